#pragma once

#include "remote/RemoteError.h"
#include "remote/RemoteText.h"

#include <QString>
#include <optional>

// What a session reports while it works, as ActivityEvent. The numbers are
// the event codes users of the FTP session know.
//
// clang-format off
//
// kind (code)              cat  when                                     fields
// -----------------------  ---  ---------------------------------------  --------------------------
// Connecting (1)            1   connecting to one address of the host    text
// Connected (2)             1   the connection is open                   text
// ServerReply (3)           0   a server reply (all its lines)           reply, replyCode
// CommandSent (4)           1   a command sent (PASS/ACCT masked)        reply (the command)
// LoggedIn (5)              1   logged in                                text
// DataConnection (6)        1   data connection detail: EPSV fell back   text
//                               to PASV; a PASV reply's address was
//                               replaced by the control connection's
// ListingRead (7)           1   a listing was read                       count (entries), format
// ConnectionClosed (8)      1   the connection was closed                text
// EntrySkipped (9)          2   a tree copy skipped an entry: unsafe or  remotePath (the name), text
//                               unsendable name, special file, link
//                               cycle, a link it does not follow, too
//                               deep
// ItemFailed (10)           2   one item of a tree copy failed while     remotePath (the name),
//                               the copy goes on: a file, or a subfolder error, count (its number),
//                               the server would not list, enter or      text
//                               create (a failure that ends an
//                               operation reaches the caller as the
//                               RemoteError it throws only)
// FileTransferred (11)      1   a file was transferred completely        count (bytes), localPath,
//                                                                        text
// FileStarted (12)          1   a tree copy starts a file                localPath, remotePath, text
// ReplyIgnored (13)         2   a reply could not be used but the        text
//                               operation went on (an unreadable PWD
//                               after log-in), or the server gave no way
//                               to check a file's size after a resumed
//                               upload
// DownloadFileProgress (14) 1   DownloadFile progress                    count: bytes so far in the
// DownloadManyProgress (15) 1   DownloadMany progress                    current file, restart offset
// UploadManyProgress (16)   1   UploadMany progress                      not included; total: bytes
// UploadFileProgress (17)   1   UploadFile progress                      expected, -1 unknown; text
// TransferStopped (18)      1   a stop ended a transfer (the partial     count (bytes), text
//                               file is kept), a listing or a tree copy
// Encrypted (19)            1   the connection is encrypted: protocol    text
//                               version and cipher (SSH: key exchange,
//                               cipher and MAC), once per connection
// EncryptionNote (20)       1   a certificate that could not be verified text
//                               was trusted by the caller; the server
//                               offers no TLS and the session goes on
//                               unencrypted; the server refused
//                               encrypted data connections
// LinesUnreadable (21)      2   a listing held lines that could not be   count (lines), text
//                               read (what they stood for is not listed;
//                               a tree copy counts each as a failed
//                               entry): how many, and the first few
// FileVerified (22)         1   a file transferred was found equal to    remotePath, localPath, text
//                               the server's by its hash (the algorithm
//                               in the text)
// MakeDirectoryResult (25) 0/2  the outcome of MakeRemoteDirectory:      folder, replyCode (0 when
//                               category 0 with the server's reply when  none came), reply (made),
//                               made; category 2 otherwise               text (not made; made
//                                                                        where the server says
//                                                                        nothing: SFTP)
// SshBanner (26)            1   the SSH server's banner (its version)    text
// HostKeyAccepted (27)      1   the SSH host key, and why it was taken:  text
//                               known_hosts, trusted before, or the
//                               user's answer
// LoginTrying (28)          1   an SSH log-in method is tried            text
// LoginMethodRefused (29)   1   the server did not take it (the next     text
//                               method is tried)
// SftpStarted (30)          1   SFTP runs: its version and the server's  text
//                               extensions
// EntryRemoved (31)         1   a tree delete removed an entry (the      remotePath (its path)
//                               server's reply is in the log already)
//
// Categories: 0 a server's words for the session log, as received;
//             1 information: progress (14-17) and the other texts;
//             2 a failure or a skipped entry.
//
// Progress (14-17) comes at most about ten times a second (across all the
// files of one operation), plus one final report per file with its full
// count. The commands that carry the password and the account show
// "PASS ******" and "ACCT ******"; every other command and every reply is
// shown as it is.
//
// clang-format on
// RemoteActivity::category()
namespace RemoteCategory {
constexpr int ServerReply = 0;
constexpr int Information = 1;
constexpr int Failure = 2;
} // namespace RemoteCategory

enum class RemoteActivityKind
{
    Connecting = 1,
    Connected = 2,
    ServerReply = 3,
    CommandSent = 4,
    LoggedIn = 5,
    DataConnection = 6,
    ListingRead = 7,
    ConnectionClosed = 8,
    EntrySkipped = 9,
    ItemFailed = 10,
    FileTransferred = 11,
    FileStarted = 12,
    ReplyIgnored = 13,
    DownloadFileProgress = 14,
    DownloadManyProgress = 15,
    UploadManyProgress = 16,
    UploadFileProgress = 17,
    TransferStopped = 18,
    Encrypted = 19,
    EncryptionNote = 20,
    LinesUnreadable = 21,
    FileVerified = 22,
    MakeDirectoryResult = 25,
    SshBanner = 26,
    HostKeyAccepted = 27,
    LoginTrying = 28,
    LoginMethodRefused = 29,
    SftpStarted = 30,
    EntryRemoved = 31,
};

// How a request to make a folder came out (MakeDirectoryResult).
enum class RemoteFolderOutcome
{
    Made,
    AlreadyThere, // a folder or a file of that name is there: try another name
    NotMade,      // refused for another reason, or no answer came
};

struct RemoteActivity
{
    RemoteActivityKind kind = RemoteActivityKind::ServerReply;
    // The program's words, for every kind but the server's and the commands.
    RemoteText text;
    // A server reply or a command as received or sent, without its line end.
    QString reply;
    int replyCode = 0;
    // The entry or remote file concerned.
    QString remotePath;
    // The local file concerned.
    QString localPath;
    // Bytes, entries or lines, as the kind says.
    qint64 count = 0;
    // Bytes expected; -1 unknown.
    qint64 total = -1;
    // ListingRead: RemoteListingFormat.
    int format = 0;
    RemoteFolderOutcome folder = RemoteFolderOutcome::Made;
    // ItemFailed: what failed.
    std::optional<RemoteError> error;

    // 0, 1 or 2 (see the table).
    int category() const;
    bool isProgress() const
    {
        return kind >= RemoteActivityKind::DownloadFileProgress &&
               kind <= RemoteActivityKind::UploadFileProgress;
    }

    static RemoteActivity note(RemoteActivityKind kind, RemoteText text)
    {
        RemoteActivity activity;
        activity.kind = kind;
        activity.text = std::move(text);
        return activity;
    }
};
