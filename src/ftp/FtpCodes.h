#pragma once

// Every number the FTP session component hands to its callers: the
// ActivityEvent codes and categories, the error numbers of FtpError, the
// connection states, the listing formats and the name encodings.
//
// clang-format off
//
// ActivityEvent(code, category, text, count, extra)
// -------------------------------------------------
// Every text ends with "\r\n". The commands that carry the password and the
// account show "PASS ******" and "ACCT ******"; every other command and every
// server reply is shown as it is, even where it holds the password's text
// (a user name or a word of the greeting that is the same word).
//
// Categories: 0 a server reply, for the session log (text as received);
//             1 information: progress (codes 14-17) and the other texts below;
//             2 a failure or a skipped entry.
//
// code cat  when                                            count        extra
// ---- ---  ----------------------------------------------  -----------  -------------------
//   1   1   connecting to one address of the host           0            -
//   2   1   the control connection is open                  0            -
//   3   0   a server reply (all its lines)                  0            reply code (int)
//   4   1   a command sent (PASS/ACCT masked)               0            -
//   5   1   logged in                                       0            -
//   6   1   data connection detail: EPSV fell back to       0            -
//           PASV (its port refused or did not answer in
//           time); a PASV reply's address was replaced by
//           the control connection's peer
//   7   1   a listing was read                              entries      format code (int)
//   8   1   the connection was closed                       0            -
//   9   2   DownloadMany/UploadMany skipped an entry:       0            the name (QString)
//           unsafe or unsendable name, special file, link
//           cycle, link it cannot follow safely, a local
//           link leading out of the folder UploadMany
//           copies, too deep
//  10   2   one item of DownloadMany/UploadMany failed      error number -
//           while the copy goes on: a file, or a subfolder
//           the server would not list, enter or create
//           (a failure that ends an operation reaches the
//           caller as FtpError only)
//  11   1   a file was transferred completely               bytes        local path (QString)
//  12   1   DownloadMany/UploadMany starts a file           0            local path (QString)
//  13   2   a reply could not be used but the operation     0            -
//           went on (an unreadable PWD after log-in:
//           CurrentDirectory stays empty), or the server
//           gave no way to check the size of a file after a
//           resumed upload
//  14   1   DownloadFile progress                           bytes so far in the current file,
//  15   1   DownloadMany progress                           restart offset not included;
//  16   1   UploadMany progress                             extra: bytes expected in this
//  17   1   UploadFile progress                             transfer (qint64), -1 unknown
//  18   1   a stop ended a transfer (ABOR; the partial      bytes        -
//           file is kept), a listing or a tree copy
//  19   1   the connection is encrypted: TLS version and    0            -
//           cipher, once per connection
//  20   1   encryption notes: a certificate that could not  0            -
//           be verified was trusted by the caller (why, and
//           its SHA-256 fingerprint); the server offers no
//           TLS and the session goes on unencrypted
//           (ExplicitIfOffered); the server refused
//           encrypted data connections (PROT P) and files
//           and listings go unencrypted
//  21   2   a listing held lines that could not be read as  lines        -
//           entries (what they stood for is not listed; a
//           tree copy counts each as a failed entry): how
//           many, and the first few as the server sent them
//  25   0/2 the outcome of MakeRemoteDirectory: category 0  0            reply code (int), 0
//           with the server's reply on success; category                 when none came
//           2 on failure, whose text holds "exists" exactly
//           when the name already exists on the server
//
// Progress (14-17) comes at most about ten times a second (across all the files
// of one operation), plus one final report per file with its full count.
//
// FtpError numbers
// ----------------
// Below 1000: the server's reply code; the description is the server's text.
// The component's own conditions (session state afterwards in brackets):
//
// 11101 stopped by the user (StopTransfer), in any operation: a      [connected]
//       transfer at once (partial file kept), other calls once the
//       server answered the command in hand (which it may have
//       carried out: its reply is in the log), a tree copy between
//       two entries; a connect at once                              [closed]
// 11102 timed out: connecting, a whole reply (however slowly it      [closed]
//       trickles in), or no data at all for that long
// 11103 the server closed the control connection, or it failed       [closed]
// 11104 not connected                                                [closed]
// 11105 busy: another operation of this session is running           [unchanged]
// 11106 a name or path holds CR, LF or NUL; nothing was sent         [connected]
// 11107 the server named a directory with control characters (PWD)   [connected]
// 11108 a reply line over 16 KiB, or a reply over 4096 lines or 1 MiB [closed]
// 11109 a listing over 1 000 000 entries or 256 MiB                  [connected]
// 11110 a local file or folder could not be opened, created, read    [connected]
//       or written
// 11111 the server could not be reached (refused, unreachable)      [closed]
// 11112 the host name could not be resolved                          [closed]
// 11113 a transfer ended short or long: the data connection broke or [connected]
//       closed early, or the byte count disagrees with the size the
//       server announced (SIZE, listing, "(N bytes)" in its 150); an
//       encrypted data connection ended without close_notify while
//       the size was not known (a listing's never is); after an
//       upload the server's size of the file is not the offset plus
//       the bytes sent (the server's file is not whole)
// 11114 a reply that cannot be understood: not a reply at all        [closed]
//       (broken reply stream), or bad PASV numbers, an unexpected   [connected]
//       reply code, an unreadable PWD
// 11115 no data connection could be opened                           [connected]
// 11116 the connection was dropped by DropConnection during the call [closed]
// 11117 an invalid argument (empty path, bad port, "." or ".." as    [unchanged]
//       the last part of a path to rename or delete); nothing sent
// 11118 the restart offset cannot be used: beyond the local file,    [connected]
//       beyond the remote file, the server has neither REST nor a
//       remote file of exactly that length to APPE to, or it did not
//       honour the restart of a download (refused REST, or sent more
//       than the rest of the file): the local file is then cut back
//       to exactly the offset
// 11119 DownloadMany/UploadMany copied the rest of the tree, but     [connected]
//       some entries failed or were skipped (each reported with code
//       9 or 10)
// 11120 the server asks for an account (332) and none was given      [closed]
// 11121 the TLS handshake of the control connection failed (a        [closed]
//       server that does not speak TLS on an implicit port, no
//       common protocol version or cipher)
// 11122 the server's certificate was not trusted: it could not be    [closed]
//       verified and the caller refused it, or no caller was asked
//       (see FtpSession::setCertificateQuestion)
// 11123 encryption is required (ExplicitRequired) but the server     [closed]
//       refused AUTH TLS, PBSZ or PROT P; nothing was sent in clear
//       after the greeting
// 11124 an encrypted data connection failed: its TLS handshake       [connected]
//       failed, it showed another certificate than the control
//       connection (another peer), or the server refused it (522),
//       typically because it requires the data connection to
//       resume the control connection's TLS session
//
// A server reply 421 closes the session as well.
//
// Failures and the session log
// ----------------------------
// The component does not report its own failures as events: each reaches the
// caller once, as the FtpError the call throws. A server's refusal (below
// 1000) is in the log already, as the server's reply (code 3, category 0).
// The component's own conditions (11101 and up) are not: a caller that does
// not otherwise report an FtpError (uploads, listings, a walk that goes on)
// must log the description of every number >= 11100 it catches.
//
// clang-format on

namespace FtpCategory {
constexpr int ServerReply = 0;
constexpr int Information = 1;
constexpr int Failure = 2;
} // namespace FtpCategory

namespace FtpEvent {
constexpr int Connecting = 1;
constexpr int Connected = 2;
constexpr int ServerReply = 3;
constexpr int CommandSent = 4;
constexpr int LoggedIn = 5;
constexpr int DataConnection = 6;
constexpr int ListingRead = 7;
constexpr int ConnectionClosed = 8;
constexpr int EntrySkipped = 9;
constexpr int OperationFailed = 10;
constexpr int FileTransferred = 11;
constexpr int FileStarted = 12;
constexpr int ReplyIgnored = 13;
constexpr int DownloadFileProgress = 14;
constexpr int DownloadManyProgress = 15;
constexpr int UploadManyProgress = 16;
constexpr int UploadFileProgress = 17;
constexpr int TransferStopped = 18;
constexpr int TlsEstablished = 19;
constexpr int TlsNote = 20;
constexpr int LinesUnreadable = 21;
constexpr int MakeDirectoryResult = 25;
} // namespace FtpEvent

namespace FtpErrorCode {
constexpr int StoppedByUser = 11101;
constexpr int TimedOut = 11102;
constexpr int ConnectionLost = 11103;
constexpr int NotConnected = 11104;
constexpr int Busy = 11105;
constexpr int InvalidName = 11106;
constexpr int UnsafeServerName = 11107;
constexpr int ReplyTooLong = 11108;
constexpr int ListingTooLong = 11109;
constexpr int LocalFileError = 11110;
constexpr int CannotConnect = 11111;
constexpr int HostNotFound = 11112;
constexpr int TransferIncomplete = 11113;
constexpr int BadReply = 11114;
constexpr int DataConnectionFailed = 11115;
constexpr int ConnectionDropped = 11116;
constexpr int InvalidArgument = 11117;
constexpr int CannotResume = 11118;
constexpr int TreeCopyIncomplete = 11119;
constexpr int AccountRequired = 11120;
constexpr int TlsHandshakeFailed = 11121;
constexpr int CertificateRefused = 11122;
constexpr int TlsRefused = 11123;
constexpr int DataTlsFailed = 11124;
} // namespace FtpErrorCode

// ConnectionState
namespace FtpState {
constexpr int Closed = 0;
constexpr int Connecting = 1; // between the start of OpenConnection and the log-in
constexpr int Connected = 2;  // connected and logged in
} // namespace FtpState

// FtpListing::format
namespace FtpListingFormat {
constexpr int Unix = 0;
constexpr int Dos = 1;
constexpr int None = 2;
constexpr int Mlsd = 3;
constexpr int Vms = 4;
} // namespace FtpListingFormat

// UploadMode
namespace FtpUploadMode {
constexpr int Overwrite = 0; // STOR from the start; the offset is not used
constexpr int Resume = 2;    // from the offset: REST + STOR, or APPE when the remote size matches
} // namespace FtpUploadMode

// NameEncoding: how names are turned into bytes for the whole connection
namespace FtpNameEncoding {
constexpr int Auto = 0; // UTF-8 when the server switches with OPTS UTF8 ON; else the
                        // first names it shows decide between UTF-8 and GB18030
constexpr int Utf8 = 1;
constexpr int Gbk = 2; // GB18030, which reads GBK and GB2312
} // namespace FtpNameEncoding

// Encryption: how a connection is made, read by OpenConnection
namespace FtpEncryption {
constexpr int Plain = 0;             // no TLS at all
constexpr int ExplicitIfOffered = 1; // AUTH TLS; plain FTP when the server refuses it
constexpr int ExplicitRequired = 2;  // AUTH TLS, or no connection (11123)
constexpr int Implicit = 3;          // TLS from the first byte (port 990 by custom)
} // namespace FtpEncryption

// The answer to a question about a server certificate that could not be
// verified (FtpSession::setCertificateQuestion)
namespace FtpTrust {
constexpr int Refuse = 0; // the connection ends with 11122
constexpr int Once = 1;   // accepted for this connection
constexpr int Always = 2; // accepted; the caller remembers it for this host and port
} // namespace FtpTrust

// TransferSetting
namespace FtpTransferSetting {
constexpr int Binary = 0; // TYPE I, bytes as they are (what callers write before each transfer)
constexpr int Ascii = 1;  // TYPE A for the next transfers; no size check
} // namespace FtpTransferSetting
