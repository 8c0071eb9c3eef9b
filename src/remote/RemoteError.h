#pragma once

#include "remote/RemoteText.h"

#include <QString>

// What went wrong, as a caller acts on it: retry after a lost connection or
// a time-out, not after a refusal; say "stopped" without alarm.
enum class RemoteErrorKind
{
    Refused,            // the server said no (its code and text tell why)
    NotFound,           // the server says the file or folder is not there
    NoPermission,       // the server says the user may not
    AlreadyExists,      // a folder or a rename target that is there already
    LoginRefused,       // the user name, password or key was not accepted
    LostConnection,     // the server or the network ended the connection (closed)
    TimedOut,           // nothing came for the time-out (closed)
    Stopped,            // StopTransfer
    Dropped,            // DropConnection during the call (closed)
    NotConnected,       //
    Busy,               // another operation of the session runs
    CannotConnect,      // the host could not be resolved or reached
    Security,           // TLS, a certificate or a host key that was not accepted
    ProtocolError,      // a reply or packet that cannot be understood
    LocalFile,          // a local file or folder could not be read, written or made
    InvalidArgument,    // nothing was sent
    CannotResume,       // the restart offset cannot be used
    TransferIncomplete, // the file moved is not whole
    TreeIncomplete,     // a tree copy or walk left out entries (each was reported)
    Unsupported,        // the server cannot do what was asked
};

// What every failing RemoteSession operation throws, by value.
//
// `number` is the one users and scripts know: the server's reply code (below
// 1000) for an FTP server's refusal, else one of RemoteErrorCode (11101 ...,
// RemoteCodes.h). `serverText` is the server's own text as received, without
// its line end, when the server gave one; `text` is the program's message.
// RemoteTexts::description() words it: the message, or else the server's
// text.
struct RemoteError
{
    RemoteErrorKind kind = RemoteErrorKind::Refused;
    int number = 0;
    QString serverText;
    RemoteText text;

    // What the error says, as a blank of another message.
    RemoteText said() const { return text.isEmpty() ? RemoteText(serverText) : text; }

    // A refusal by the server: its code and text, nothing of the program's.
    static RemoteError refusal(RemoteErrorKind kind, int code, const QString &serverText)
    {
        return RemoteError{kind, code, serverText, {}};
    }
    // One of the program's own conditions.
    static RemoteError own(RemoteErrorKind kind, int number, RemoteText text)
    {
        return RemoteError{kind, number, {}, std::move(text)};
    }
};

// Thrown by a wait of the worker when a stop ends it at once (connecting,
// answering a question); the operation in hand turns it into a RemoteError.
struct RemoteStopRequest
{
};
