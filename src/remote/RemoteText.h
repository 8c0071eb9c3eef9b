#pragma once

#include <QString>
#include <type_traits>
#include <vector>

// Every text the sessions give their callers, by name. The engines never
// word a message: they name one and hand over what fills its blanks; the
// words are RemoteTexts' alone (RemoteTexts.cpp holds them, %1, %2 ... being
// the blanks in order).
enum class RemoteMessage
{
    Verbatim, // a path, a number, the server's or the system's words, as they are

    // Connecting and logging in
    Connecting,        // host, address, port
    Connected,         // address, port
    LoggedIn,          // host
    ConnectionClosed,  //
    HostNotFound,      // host
    InvalidHostOrPort, // port
    AccountRequired,   //
    CannotConnect,     // where ("host 端口 port"), reason
    CannotOpenSocket,  //
    HostAndPort,       // host, port
    ConnectTimedOut,   // where, ms
    ConnectStopped,    //
    NotConnected,      //
    Busy,              //
    InternalError,     // the exception's words
    SessionDestroyed,  //
    ConnectionDropped, //
    Stopped,           //
    ReplyTimedOut,     // ms
    DataTimedOut,      // ms
    ServerClosed,      //
    NotAReply,         //
    ReplyTooLong,      //
    WaitFailed,        // reason
    ControlBroken,     // (the connection to the server broke)
    DataBroken,        // (the data connection broke)
    WithReason,        // what, reason: "what：reason"

    // What the system says of a socket
    ConnectionRefused,  //
    NetworkUnreachable, //
    ConnectionReset,    //
    PeerClosed,         //
    SocketTimedOut,     //
    NetworkError,       // the system's words

    // Names and paths
    NameHoldsLineBreak,  //
    EmptyArgument,       // what (one of the three below)
    WhatFolderName,      //
    WhatFileName,        //
    WhatName,            //
    EmptyFileName,       //
    DotOperand,          // path
    InvalidPermissions,  // permissions
    UnclosedDirectory,   //
    UnreadableDirectory, //
    EmptyDirectory,      //
    ControlInDirectory,  //
    CannotReturnTo,      // folder
    NoCurrentDirectory,  //

    // Listings
    ListingRead,     // entries
    ListingTooLong,  // entries, MiB
    ListingStopped,  //
    ListingCutShort, //
    LinesUnreadable, // count, the first lines, "等" when there are more
    QuotedLine,      // line
    LineSeparator,   //
    AndMore,         //

    // Folders
    FolderExists,  //
    FolderRefused, // reply code
    FolderFailed,  // error number

    // Data connections
    EpsvFallback,            // why
    NoIpv6Passive,           //
    UnreadablePassive,       // reply
    PassiveAddressIgnored,   // address given, address used
    NoIpv6Active,            //
    DataCertificateDiffers,  //
    CannotListen,            // address, reason
    CannotAccept,            // reason
    CannotOpenData,          // where, reason
    UnreadableTransferReply, // command, reply
    UnreadableEndReply,      // reply
    DataTlsRefused,          // reply
    DataTlsNotResumed,       // reply

    // Transfers
    TransferStopped,            // name, bytes
    TransferStoppedShort,       //
    InvalidOffset,              // offset
    LocalIsFolder,              // path
    CannotResumeBecause,        // name, why, offset
    LocalShorterThanOffset,     // path, offset
    OffsetBeyondRemote,         // offset, name, size
    CannotTruncate,             // path, the system's words
    AlreadyComplete,            // name
    RestartRefused,             // reply
    CannotWriteLocal,           // path, the system's words
    RestartIgnored,             // bytes left
    ReceivedTooMuch,            // name, size
    TransferShort,              // name, bytes, size
    TransferCutShort,           // name, bytes
    Downloaded,                 // name, bytes
    CannotOpenLocal,            // path, the system's words
    OffsetBeyondLocal,          // offset, path, size
    NoRestNoAppend,             // name, offset
    CannotReadLocal,            // path, the system's words
    Uploaded,                   // name, bytes
    SizeUncheckable,            // name
    ServerFileShort,            // name, bytes, size the server gives
    ServerFileShortAfterResume, // name, bytes, size, offset
    DownloadedBytes,            // bytes
    UploadedBytes,              // bytes
    FileVerified,               // name, algorithm
    HashMismatch,               // name, algorithm, local digest, server's digest
    CannotHashLocal,            // path, the system's words

    // TLS and certificates
    TlsRefusedRequired,     // reply
    TlsNotOffered,          //
    CertificateRefused,     // problem
    CertificateTrusted,     // problem, fingerprint
    TlsEstablished,         // protocol, cipher
    DataTlsRefusedRequired, // reply
    DataTlsNotOffered,      //
    TlsExtraData,           //
    TlsHandshakeFailed,     //
    DataTlsHandshakeFailed, //
    TlsHandshakeTimedOut,   // ms
    TlsProtocolError,       //
    TlsUnknownError,        //
    TlsCannotStart,         //
    TlsCannotConnect,       //
    TlsLibrary,             // the library's words (a known reason is said in Chinese too)
    NoCertificate,          //
    SelfSigned,             //
    SelfSignedChain,        //
    UntrustedIssuer,        //
    CertificateExpired,     //
    CertificateNotYetValid, //
    CertificateWrongHost,   //
    CertificateUnverified,  // the library's words

    // Tree copies
    CopyStopped,           //
    Skipped,               // name, why
    ItemFailed,            // name, direction, why
    WordDownload,          //
    WordUpload,            //
    CannotReturnUp,        //
    TreeIncomplete,        // count, direction
    EmptyLocalFolder,      //
    CannotMakeLocalFolder, // path
    DownloadingTo,         // remote name, local path
    UploadingTo,           // local path, remote name
    UnsafeLocalName,       //
    UnsendableName,        //
    LocalLinkInTheWay,     //
    SpecialFile,           //
    SpecialOrBrokenLink,   //
    TooDeep,               //
    FolderCopiedAlready,   //
    FolderUploadedAlready, //
    LinkNotFollowed,       //
    LinkOutOfFolder,       // target
    RemoteLinkOutOfFolder, // target
    NoLocalFolder,         // path
    CannotEnter,           // folder
    WordChangePermissions, //
    LinkLeftAsIs,          //
    FolderChangedAlready,  //
    WordDelete,            //
    FolderDeletedAlready,  //
    HiddenKept,            //
    EnteredElsewhere,      // folder asked for, folder the server entered

    // SSH and SFTP
    SshServer,           // the server's banner
    SshEncryption,       // key exchange, cipher and MAC
    HostKeyAccepted,     // type and fingerprint, why (one of the four below)
    HostKeyKnown,        //
    HostKeyTrusted,      //
    HostKeyNew,          //
    HostKeyReplaced,     //
    HostKeyRefused,      // host, fingerprint
    LoginTrying,         // method
    LoginTryingKey,      // method, key file
    LoginMethodRefused,  // method
    LoggedInWith,        // user@host, method
    SshLoginRefused,     // the methods tried
    Nothing,             // "none"
    SftpStarted,         // version, the server's extensions
    SshConnectionClosed, //
    InBrackets,          // a detail
    ServerStatus,        // status code, the server's message
    SshProtocolError,    // detail (InBrackets, ServerStatus or nothing)
    PathNotFound,        // path, detail
    PathNoPermission,    // path, detail
    PathExists,          // path
    NotAFolder,          // path
    PathRefused,         // path, detail
    PathUnsupported,     // path
    LocalReadWrite,      // path, detail
    BadArgument,         // the argument, detail
    CannotResumePath,    // path, detail
    TransferIncomplete,  // path, detail
    FolderTooLong,       // folder
    UnusableRemoteName,  //
    FolderMade,          // path
    FolderNotMade,       // why

    // korvu-ftp
    NotALocalName,     // remote path
    CannotWriteOutput, // the system's words
    UnknownRemoteSize, // remote path
};

// A message not yet in words: which one, and what fills its blanks (each
// itself a text, so that a reason can be one of the program's messages).
// Build it in the engine, word it with RemoteTexts::words().
struct RemoteText
{
    RemoteMessage message = RemoteMessage::Verbatim;
    // For Verbatim: the text itself.
    QString verbatim;
    std::vector<RemoteText> blanks;

    RemoteText() = default;
    RemoteText(RemoteMessage id, std::vector<RemoteText> args = {})
        : message(id), blanks(std::move(args))
    {}
    RemoteText(const QString &text) : verbatim(text) {}
    RemoteText(const char *text) : verbatim(QString::fromUtf8(text)) {}
    template <typename Number, std::enable_if_t<std::is_integral_v<Number>, bool> = true>
    RemoteText(Number number) : verbatim(QString::number(qint64(number)))
    {}

    bool isEmpty() const { return message == RemoteMessage::Verbatim && verbatim.isEmpty(); }
};
