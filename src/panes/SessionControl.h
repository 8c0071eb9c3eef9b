#pragma once

class FtpSession;
struct Commands;
struct Globals;

// Applies the session's time-out and passive mode to the FTP component; done
// before every remote operation so a changed setting takes effect at once.
void SetFtpProperties(FtpSession &ftp, const Globals &g);

// The three session menus always move together: quick connect, disconnect
// and the operations menu.
void SetMenuState(const Commands &commands, bool login, bool logout, bool edit);
