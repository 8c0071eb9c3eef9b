#pragma once

class RemoteSession;
struct Globals;

// Applies the session's time-out, passive mode, name encoding and encryption
// to the FTP component; done before every remote operation so a changed
// setting takes effect at once.
void SetFtpProperties(RemoteSession &session, const Globals &g);
