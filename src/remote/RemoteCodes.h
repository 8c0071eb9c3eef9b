#pragma once

// The numbers a remote session hands its callers: the error numbers of
// RemoteError, the connection states, the listing formats and the values of
// the session's settings. The numbers are the ones users and scripts know;
// an SFTP session uses them where they apply.
//
// clang-format off
//
// RemoteError numbers
// -------------------
// Below 1000: the server's reply code; the description is the server's text.
// The session's own conditions (session state afterwards in brackets):
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
//       (see RemoteSession::setQuestion); SSH: the same for a host key
//       that is not known (or changed) and was not accepted
// 11123 encryption is required (ExplicitRequired) but the server     [closed]
//       refused AUTH TLS, PBSZ or PROT P; nothing was sent in clear
//       after the greeting
// 11124 an encrypted data connection failed: its TLS handshake       [connected]
//       failed, it showed another certificate than the control
//       connection (another peer), or the server refused it (522),
//       typically because it requires the data connection to
//       resume the control connection's TLS session
// 11125 SFTP: the server says there is no such file or folder      [connected]
//       (SSH_FX_NO_SUCH_FILE)
// 11126 SFTP: the server says the user may not                      [connected]
//       (SSH_FX_PERMISSION_DENIED)
// 11127 SFTP: the server refused for another reason                 [connected]
//       (SSH_FX_FAILURE: a folder that is not empty, a disk that is full)
// 11128 SFTP: the server cannot do this (SSH_FX_OP_UNSUPPORTED)      [connected]
// 11129 SFTP: a new folder, or the new name of a rename, is there   [connected]
//       already (as a folder or a file)
// 11130 SFTP: the folder to change to is no folder                  [connected]
// 11131 SSH: the log-in was refused: the server took none of the     [closed]
//       methods tried (key file, agent, password, keyboard-
//       interactive), or the user declined to answer
// 11132 the file transferred differs from the server's: its hash is   [connected]
//       not the one the server gives (HASH, XSHA256, XSHA1, XMD5,
//       XCRC). Both files are kept as they are.
//
// An SSH server has no reply codes: every refusal of an SFTP session is one
// of the numbers 11125 to 11131, and the server's own words (its status
// message) come with it. Like a server's reply code from 500 on, these say
// the request itself was refused, not that it should be tried again.
// Protocol errors of SSH or SFTP are 11114 (closed), a connection that ends
// 11103, a time-out 11102.
//
// A server reply 421 closes the session as well.
//
// Failures and the session log
// ----------------------------
// A session does not report its own failures as events: each reaches the
// caller once, as the RemoteError the call throws. A server's refusal (below
// 1000) is in the log already, as the server's reply (code 3, category 0).
// The session's own conditions (11101 and up) are not: a caller that does
// not otherwise report a RemoteError (uploads, listings, a walk that goes on)
// must log the description of every number >= 11100 it catches.
//
// clang-format on

namespace RemoteErrorCode {
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
constexpr int NoSuchFile = 11125;
constexpr int PermissionDenied = 11126;
constexpr int RequestRefused = 11127;
constexpr int Unsupported = 11128;
constexpr int AlreadyExists = 11129;
constexpr int NotAFolder = 11130;
constexpr int LoginRefused = 11131;
constexpr int HashMismatch = 11132;
} // namespace RemoteErrorCode

// ConnectionState
namespace RemoteState {
constexpr int Closed = 0;
constexpr int Connecting = 1; // between the start of OpenConnection and the log-in
constexpr int Connected = 2;  // connected and logged in
} // namespace RemoteState

// RemoteListing::format
namespace RemoteListingFormat {
constexpr int Unix = 0;
constexpr int Dos = 1;
constexpr int None = 2;
constexpr int Mlsd = 3;
constexpr int Vms = 4;
constexpr int Sftp = 5; // the names and attributes an SFTP server gives
} // namespace RemoteListingFormat

// UploadMode
namespace RemoteUploadMode {
constexpr int Overwrite = 0; // STOR from the start; the offset is not used
constexpr int Resume = 2;    // from the offset: REST + STOR, or APPE when the remote size matches
} // namespace RemoteUploadMode

// NameEncoding: how names are turned into bytes for the whole connection
namespace RemoteNameEncoding {
constexpr int Auto = 0; // UTF-8 when the server switches with OPTS UTF8 ON; else the
                        // first names it shows decide between UTF-8 and GB18030
constexpr int Utf8 = 1;
constexpr int Gbk = 2; // GB18030, which reads GBK and GB2312
} // namespace RemoteNameEncoding

// Encryption: how a connection is made, read by OpenConnection
namespace RemoteEncryption {
constexpr int Plain = 0;             // no TLS at all
constexpr int ExplicitIfOffered = 1; // AUTH TLS; plain FTP when the server refuses it
constexpr int ExplicitRequired = 2;  // AUTH TLS, or no connection (11123)
constexpr int Implicit = 3;          // TLS from the first byte (port 990 by custom)
} // namespace RemoteEncryption

// The answer to a question about a server certificate that could not be
// verified, or about an SSH host key not yet known or changed
// (RemoteSession::setQuestion)
namespace RemoteTrust {
constexpr int Refuse = 0; // the connection ends with 11122
constexpr int Once = 1;   // accepted for this connection
constexpr int Always = 2; // accepted; the caller remembers it for this host and port
} // namespace RemoteTrust

// TransferSetting
namespace RemoteTransferSetting {
constexpr int Binary = 0; // TYPE I, bytes as they are (what callers write before each transfer)
constexpr int Ascii = 1;  // TYPE A for the next transfers; no size check
} // namespace RemoteTransferSetting
