#include "window/SessionControl.h"

#include "ftp/FtpSession.h"
#include "platform/Globals.h"

void SetFtpProperties(FtpSession &ftp, const Globals &g)
{
    ftp.setTimeoutMs(g.gTimeout * 1000);
    ftp.setPassiveMode(g.gPassive);
    ftp.setNameEncoding(g.gEncoding);
    ftp.setEncryption(g.gEncryption);
}
