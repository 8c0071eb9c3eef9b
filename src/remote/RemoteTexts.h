#pragma once

#include "remote/RemoteActivity.h"
#include "remote/RemoteError.h"
#include "remote/RemoteQuestion.h"
#include "remote/RemoteText.h"

#include <QString>

// The words of every message the sessions give: for the session log, the
// status bar, the window's messages and korvu-ftp. The engines name
// messages (RemoteText); only this puts them into words.
namespace RemoteTexts {

QString words(const RemoteText &text);
// What a RemoteError says: the program's message, else the server's text.
QString description(const RemoteError &error);
// The session log's line for an activity, with its "\r\n".
QString logLine(const RemoteActivity &activity);
// Why a certificate could not be verified, as the certificate question shows it.
QString problem(const RemoteCertificate &certificate);

} // namespace RemoteTexts
