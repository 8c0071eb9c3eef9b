#pragma once

class RemoteSession;
struct Globals;

// Applies the session's time-out, passive mode, name encoding, encryption
// and key file to the session component; done before every remote operation so a changed
// setting takes effect at once.
void SetFtpProperties(RemoteSession &session, const Globals &g);
