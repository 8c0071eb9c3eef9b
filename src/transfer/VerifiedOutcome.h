#pragma once

#include <QString>

class RemoteSession;

// The outcome a finished transfer's record row shows: "（已校验）" is added
// when the session found every file it moved equal to the server's by the
// server's hash, so that the user sees which files were checked.
QString VerifiedOutcome(const QString &outcome, const RemoteSession &session);
QString VerifiedOutcome(const QString &outcome, bool verified);
