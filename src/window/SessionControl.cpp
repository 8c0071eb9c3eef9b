#include "window/SessionControl.h"

#include "platform/Globals.h"
#include "remote/RemoteSession.h"

void SetFtpProperties(RemoteSession &ftp, const Globals &g)
{
    ftp.setTimeoutMs(g.gTimeout * 1000);
    ftp.setPassiveMode(g.gPassive);
    ftp.setNameEncoding(g.gEncoding);
    ftp.setEncryption(g.gEncryption);
}
