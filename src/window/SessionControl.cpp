#include "window/SessionControl.h"

#include "platform/Globals.h"
#include "remote/RemoteSession.h"

void SetFtpProperties(RemoteSession &session, const Globals &g)
{
    session.setTimeoutMs(g.gTimeout * 1000);
    session.setPassiveMode(g.gPassive);
    session.setNameEncoding(g.gEncoding);
    session.setEncryption(g.gEncryption);
    session.setKeyFile(g.gKeyFile);
}
