#include "panes/SessionControl.h"

#include "ftp/FtpSession.h"
#include "panes/Commands.h"
#include "platform/Globals.h"

void SetFtpProperties(FtpSession &ftp, const Globals &g)
{
    ftp.setTimeoutMs(g.gTimeout * 1000);
    ftp.setPassiveMode(g.gPassive);
    ftp.setNameEncoding(g.gEncoding);
}

void SetMenuState(const Commands &commands, bool login, bool logout, bool edit)
{
    commands.enable(commands.mnuLogin, login);
    commands.enable(commands.mnuLogout, logout);
    commands.enable(commands.mnuEdit, edit);
}
