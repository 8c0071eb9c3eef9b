#pragma once

#include <QByteArray>
#include <QString>

// What went wrong, as a kind the caller can act on; the texts shown to the
// user are made from it above the engine (SftpToRemote, RemoteTexts).
enum class SftpErrorKind
{
    Stopped,              // StopTransfer: the call ended at once; still connected
    TimedOut,             // nothing arrived within the time-out; closed
    ConnectionLost,       // the server or the network ended the connection; closed
    Dropped,              // DropConnection during the call; closed
    NotConnected,         // an operation without a connection
    HostNotFound,         // the host name could not be resolved
    CannotConnect,        // refused, unreachable; `detail` says why
    HostKeyRefused,       // the host key was refused (unknown or changed, or no one asked)
    AuthenticationFailed, // no method the server offers let us in; `detail` lists those tried
    ProtocolError,        // the server broke SSH or SFTP (bad, oversized or truncated packets,
                          // no SFTP subsystem, an old SFTP version); closed
    NotFound,             // SSH_FX_NO_SUCH_FILE
    PermissionDenied,     // SSH_FX_PERMISSION_DENIED
    AlreadyExists,        // a new folder or a rename target that is there already
    NotAFolder,           // changeDirectory to something that is not a folder
    Refused,              // any other refusal by the server (SSH_FX_FAILURE, ...)
    Unsupported,          // SSH_FX_OP_UNSUPPORTED
    LocalFileError,       // a local file could not be opened, read or written
    InvalidArgument,      // empty path, bad port, "." or ".." as the last part; nothing sent
    CannotResume,         // the offset lies beyond the local or the remote file
    TransferIncomplete,   // the file ended before the size the server gave (it changed)
    ListingTooLong,       // over a million entries
};

// Thrown by every failing SftpEngine operation.
struct SftpError
{
    SftpErrorKind kind = SftpErrorKind::Refused;
    // The SSH_FX status code of the server's refusal; -1 when none came.
    int status = -1;
    // The server's own message with that status, as it sent it (for the log).
    QString serverMessage;
    // What the failure concerns: a remote path as shown, a local path, the
    // host, an authentication method list.
    QString subject;
    // A detail from the system or libssh (errno text, libssh's error), or
    // numbers ("offset 12 > size 10"); never meant to be shown on its own.
    QString detail;
};

// Thrown by a wait when StopTransfer was asked for; the operation in hand
// abandons its requests and turns it into SftpError Stopped.
struct SftpStopRequest
{
};
