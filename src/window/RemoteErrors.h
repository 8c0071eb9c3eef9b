#pragma once

#include <QString>

class WindowContext;
struct RemoteError;

// Session failure: when the description is not empty and the number is
// positive, logs the description, drops the connection, sets ConnectionLost
// and leaves the session menus as after a disconnect.
void ReportRemoteError(WindowContext &context, const QString &description, int number);

// A failed FTP call. One that ended the session (the connection was lost,
// timed out or closed by the server, 421) goes to ReportRemoteError; after a
// refusal the session goes on as it was. The server's refusal is in the log
// already as its reply; the component's own conditions (a data connection
// that failed, a time-out) are logged here, once.
void ReportFtpFailure(WindowContext &context, const RemoteError &error);
