#pragma once

#include "remote/RemoteCodes.h"
#include "remote/RemoteError.h"

// The errors of the FTP engine as RemoteErrors: the session's own
// conditions by their numbers (RemoteCodes.h), the server's refusals by
// their reply codes.
namespace FtpErrors {

// One of the session's own conditions, 11101 and up; the kind follows from
// the number.
RemoteError own(int number, RemoteText text);
// A refusal: the reply code and the server's text. 421 means the server
// closes the connection.
RemoteError refusal(int code, const QString &serverText);

} // namespace FtpErrors
