#include "sftp/SftpToRemote.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteNameRules.h"
#include "sftp/SftpHostKey.h"

#include <QRegularExpression>

namespace {

using M = RemoteMessage;
using Kind = RemoteActivityKind;

// What the server or the system added: the server's status and message,
// else the detail, in brackets; nothing when neither came.
RemoteText detailOf(const SftpError &error)
{
    if (error.status >= 0)
        return RemoteText(M::ServerStatus, {error.status, error.serverMessage});
    if (!error.detail.isEmpty())
        return RemoteText(M::InBrackets, {error.detail});
    return {};
}

RemoteError own(RemoteErrorKind kind, int number, RemoteText text)
{
    return RemoteError::own(kind, number, std::move(text));
}

// The server's refusal: its message is kept as its own words.
RemoteError refusal(const SftpError &error, RemoteErrorKind kind, int number, RemoteText text)
{
    return RemoteError{kind, number, error.serverMessage, std::move(text)};
}

// SftpTcp names an address it tries as "192.0.2.1 port 22": the address and
// the port, for the words every session uses.
std::pair<QString, QString> addressAndPort(const QString &where)
{
    static const QRegularExpression form(QStringLiteral("^(.*) port (\\d+)$"));
    const QRegularExpressionMatch match = form.match(where);
    if (!match.hasMatch())
        return {where, QString()};
    return {match.captured(1), match.captured(2)};
}

RemoteText hostKeyHow(qint64 state)
{
    switch (SftpHostKeyState(state)) {
    case SftpHostKeyState::Known:
        return M::HostKeyKnown;
    case SftpHostKeyState::Trusted:
        return M::HostKeyTrusted;
    case SftpHostKeyState::Unknown:
        return M::HostKeyNew;
    case SftpHostKeyState::Changed:
        break;
    }
    return M::HostKeyReplaced;
}

RemoteActivity note(Kind kind, RemoteText text, qint64 count = 0)
{
    RemoteActivity activity = RemoteActivity::note(kind, std::move(text));
    activity.count = count;
    return activity;
}

RemoteActivity connecting(const SftpEvent &event)
{
    const auto [address, port] = addressAndPort(event.detail);
    if (event.kind == SftpActivity::Connected)
        return note(Kind::Connected, RemoteText(M::Connected, {address, port}));
    return note(Kind::Connecting, RemoteText(M::Connecting, {event.subject, address, port}));
}

RemoteActivity transferred(const SftpEvent &event, const SftpToRemote::Transfer &transfer)
{
    RemoteActivity activity;
    if (event.kind == SftpActivity::TransferStopped)
        activity = note(Kind::TransferStopped,
                        RemoteText(M::TransferStopped, {event.subject, event.count}), event.count);
    else
        activity = note(
            Kind::FileTransferred,
            RemoteText(transfer.upload ? M::Uploaded : M::Downloaded, {event.subject, event.count}),
            event.count);
    activity.remotePath = event.subject;
    activity.localPath = event.detail;
    return activity;
}

RemoteActivity progress(const SftpEvent &event, const SftpToRemote::Transfer &transfer)
{
    const bool upload = event.kind == SftpActivity::UploadProgress;
    const Kind kind =
        upload ? (transfer.tree ? Kind::UploadManyProgress : Kind::UploadFileProgress)
               : (transfer.tree ? Kind::DownloadManyProgress : Kind::DownloadFileProgress);
    RemoteActivity activity =
        note(kind, RemoteText(upload ? M::UploadedBytes : M::DownloadedBytes, {event.count}),
             event.count);
    activity.total = event.total;
    activity.remotePath = event.subject;
    return activity;
}

} // namespace

namespace SftpToRemote {

bool isRefusal(SftpErrorKind kind)
{
    switch (kind) {
    case SftpErrorKind::NotFound:
    case SftpErrorKind::PermissionDenied:
    case SftpErrorKind::AlreadyExists:
    case SftpErrorKind::NotAFolder:
    case SftpErrorKind::Refused:
    case SftpErrorKind::Unsupported:
        return true;
    default:
        return false;
    }
}

RemoteError error(const SftpError &error, int timeoutMs)
{
    using K = RemoteErrorKind;
    namespace C = RemoteErrorCode;
    const QString &subject = error.subject;
    switch (error.kind) {
    case SftpErrorKind::Stopped:
        return own(K::Stopped, C::StoppedByUser, M::Stopped);
    case SftpErrorKind::TimedOut:
        return own(K::TimedOut, C::TimedOut, RemoteText(M::ReplyTimedOut, {timeoutMs}));
    case SftpErrorKind::ConnectionLost:
        return own(K::LostConnection, C::ConnectionLost,
                   error.detail.isEmpty()
                       ? RemoteText(M::ControlBroken)
                       : RemoteText(M::WithReason, {M::ControlBroken, error.detail}));
    case SftpErrorKind::Dropped:
        return own(K::Dropped, C::ConnectionDropped, M::ConnectionDropped);
    case SftpErrorKind::NotConnected:
        return own(K::NotConnected, C::NotConnected, M::NotConnected);
    case SftpErrorKind::HostNotFound:
        return own(K::CannotConnect, C::HostNotFound, RemoteText(M::HostNotFound, {subject}));
    case SftpErrorKind::CannotConnect: {
        const auto [address, port] = addressAndPort(subject);
        const RemoteText where =
            port.isEmpty() ? RemoteText(address) : RemoteText(M::HostAndPort, {address, port});
        return own(
            K::CannotConnect, C::CannotConnect,
            RemoteText(M::CannotConnect, {where, RemoteText(M::NetworkError, {error.detail})}));
    }
    case SftpErrorKind::HostKeyRefused:
        return own(K::Security, C::CertificateRefused,
                   RemoteText(M::HostKeyRefused, {subject, error.detail}));
    case SftpErrorKind::AuthenticationFailed:
        return own(K::LoginRefused, C::LoginRefused,
                   RemoteText(M::SshLoginRefused,
                              {subject.isEmpty() ? RemoteText(M::Nothing) : RemoteText(subject)}));
    case SftpErrorKind::ProtocolError:
        return own(K::ProtocolError, C::BadReply,
                   RemoteText(M::SshProtocolError, {detailOf(error)}));
    case SftpErrorKind::NotFound:
        return refusal(error, K::NotFound, C::NoSuchFile,
                       RemoteText(M::PathNotFound, {subject, detailOf(error)}));
    case SftpErrorKind::PermissionDenied:
        return refusal(error, K::NoPermission, C::PermissionDenied,
                       RemoteText(M::PathNoPermission, {subject, detailOf(error)}));
    case SftpErrorKind::AlreadyExists:
        return refusal(error, K::AlreadyExists, C::AlreadyExists,
                       RemoteText(M::PathExists, {subject}));
    case SftpErrorKind::NotAFolder:
        return refusal(error, K::Refused, C::NotAFolder, RemoteText(M::NotAFolder, {subject}));
    case SftpErrorKind::Refused:
        return refusal(error, K::Refused, C::RequestRefused,
                       RemoteText(M::PathRefused, {subject, detailOf(error)}));
    case SftpErrorKind::Unsupported:
        return refusal(error, K::Unsupported, C::Unsupported,
                       RemoteText(M::PathUnsupported, {subject}));
    case SftpErrorKind::LocalFileError:
        return own(K::LocalFile, C::LocalFileError,
                   RemoteText(M::LocalReadWrite, {subject, detailOf(error)}));
    case SftpErrorKind::InvalidArgument:
        return own(K::InvalidArgument, C::InvalidArgument,
                   RemoteText(M::BadArgument, {subject, detailOf(error)}));
    case SftpErrorKind::CannotResume:
        return own(K::CannotResume, C::CannotResume,
                   RemoteText(M::CannotResumePath, {subject, detailOf(error)}));
    case SftpErrorKind::TransferIncomplete:
        return own(K::TransferIncomplete, C::TransferIncomplete,
                   RemoteText(M::TransferIncomplete, {subject, detailOf(error)}));
    case SftpErrorKind::ListingTooLong:
        return own(K::ProtocolError, C::ListingTooLong, RemoteText(M::FolderTooLong, {subject}));
    }
    return own(K::ProtocolError, C::BadReply, RemoteText(M::SshProtocolError, {detailOf(error)}));
}

RemoteActivity activity(const SftpEvent &event, const Transfer &transfer)
{
    switch (event.kind) {
    case SftpActivity::Connecting:
    case SftpActivity::Connected:
        return connecting(event);
    case SftpActivity::ServerBanner:
        return note(Kind::SshBanner, RemoteText(M::SshServer, {event.detail}));
    case SftpActivity::Encryption:
        return note(Kind::Encrypted, RemoteText(M::SshEncryption, {event.detail}));
    case SftpActivity::HostKeyAccepted:
        return note(Kind::HostKeyAccepted,
                    RemoteText(M::HostKeyAccepted, {event.detail, hostKeyHow(event.count)}));
    case SftpActivity::AuthenticationTry:
        return note(Kind::LoginTrying,
                    event.subject.isEmpty()
                        ? RemoteText(M::LoginTrying, {event.detail})
                        : RemoteText(M::LoginTryingKey, {event.detail, event.subject}));
    case SftpActivity::AuthenticationRefused:
        return note(Kind::LoginMethodRefused, RemoteText(M::LoginMethodRefused, {event.detail}));
    case SftpActivity::LoggedIn:
        return note(Kind::LoggedIn, RemoteText(M::LoggedInWith, {event.subject, event.detail}));
    case SftpActivity::SftpStarted:
        return note(Kind::SftpStarted,
                    RemoteText(M::SftpStarted,
                               {event.count, event.detail.isEmpty() ? RemoteText(M::Nothing)
                                                                    : RemoteText(event.detail)}));
    case SftpActivity::EntrySkipped: {
        RemoteActivity activity =
            note(Kind::EntrySkipped,
                 RemoteText(M::Skipped,
                            {RemoteNameRules::printable(event.subject), M::UnusableRemoteName}));
        activity.remotePath = event.subject;
        return activity;
    }
    case SftpActivity::ListingRead: {
        RemoteActivity activity =
            note(Kind::ListingRead, RemoteText(M::ListingRead, {event.count}), event.count);
        activity.format = RemoteListingFormat::Sftp;
        return activity;
    }
    case SftpActivity::FileTransferred:
    case SftpActivity::TransferStopped:
        return transferred(event, transfer);
    case SftpActivity::DownloadProgress:
    case SftpActivity::UploadProgress:
        return progress(event, transfer);
    case SftpActivity::ConnectionClosed:
        break;
    }
    return note(Kind::ConnectionClosed, M::SshConnectionClosed);
}

RemoteEntry entry(const SftpEntry &from)
{
    RemoteEntry entry;
    entry.name = from.name;
    entry.rawName = from.rawName;
    entry.permissions = from.permissions;
    entry.time = from.modified;
    entry.linkTarget = from.linkTarget;
    entry.size = from.size;
    switch (from.kind) {
    case SftpEntryKind::Folder:
        entry.kind = RemoteEntryKind::Folder;
        entry.type = 'd';
        break;
    case SftpEntryKind::File:
        entry.kind = RemoteEntryKind::File;
        entry.type = '-';
        break;
    case SftpEntryKind::Link:
        entry.kind = RemoteEntryKind::Link;
        entry.type = 'l';
        break;
    case SftpEntryKind::LinkToFolder:
        entry.kind = RemoteEntryKind::LinkToFolder;
        entry.type = 'l';
        break;
    case SftpEntryKind::Special: {
        // The long name's type letter, where the server gave one it knows.
        const QChar letter = from.longName.isEmpty() ? QChar() : from.longName.at(0);
        entry.kind = RemoteEntryKind::Special;
        entry.type = QStringLiteral("cbps").contains(letter) ? char(letter.unicode()) : '?';
        break;
    }
    }
    // Folders and devices without a size have none to show, not an unknown one.
    if (entry.size < 0 && entry.kind != RemoteEntryKind::File &&
        entry.kind != RemoteEntryKind::Link)
        entry.size = 0;
    return entry;
}

RemoteListing listing(const SftpListing &from)
{
    RemoteListing listing;
    listing.format = RemoteListingFormat::Sftp;
    listing.entries.reserve(from.entries.size());
    for (const SftpEntry &each : from.entries)
        listing.entries.append(entry(each));
    return listing;
}

} // namespace SftpToRemote
