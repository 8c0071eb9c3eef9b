#include "ftp/FtpFileTransfer.h"

#include "ftp/FtpContext.h"
#include "ftp/FtpErrors.h"
#include "ftp/FtpLineEnds.h"
#include "ftp/FtpListLine.h"
#include "ftp/FtpMlsdParser.h"
#include "ftp/FtpProgress.h"
#include "ftp/FtpTransferChannel.h"
#include "remote/RemoteDigest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace {

// "150 Opening BINARY mode data connection for x (1234 bytes)."
qint64 announcedSize(const QByteArray &text)
{
    const QByteArray lower = text.toLower();
    const qsizetype bytes = lower.lastIndexOf(" bytes)");
    const qsizetype open = bytes < 0 ? -1 : lower.lastIndexOf('(', bytes);
    if (open < 0)
        return -1;
    bool ok = false;
    const qint64 size = lower.mid(open + 1, bytes - open - 1).trimmed().toLongLong(&ok);
    return ok && size >= 0 ? size : -1;
}

RemoteError localError(RemoteMessage what, const QFile &file)
{
    return FtpErrors::own(
        RemoteErrorCode::LocalFileError,
        RemoteText(what, {QDir::toNativeSeparators(file.fileName()), file.errorString()}));
}

} // namespace

FtpFileTransfer::FtpFileTransfer(FtpContext &context) : m_context(context) {}

RemoteError FtpFileTransfer::stopped(qint64 count, const QString &what)
{
    RemoteActivity activity =
        RemoteActivity::note(RemoteActivityKind::TransferStopped,
                             RemoteText(RemoteMessage::TransferStopped, {what, count}));
    activity.count = count;
    m_context.report(activity);
    return FtpErrors::own(RemoteErrorCode::StoppedByUser, RemoteMessage::TransferStoppedShort);
}

void FtpFileTransfer::download(const QByteArray &remote, const QString &local, qint64 offset,
                               RemoteActivityKind progressKind, qint64 knownSize)
{
    const QString shown = m_context.codec().decode(remote);
    const bool ascii = m_context.settings().transferSetting == RemoteTransferSetting::Ascii;
    if (offset < 0)
        throw FtpErrors::own(RemoteErrorCode::InvalidArgument,
                             RemoteText(RemoteMessage::InvalidOffset, {offset}));
    if (QFileInfo(local).isDir())
        throw FtpErrors::own(
            RemoteErrorCode::LocalFileError,
            RemoteText(RemoteMessage::LocalIsFolder, {QDir::toNativeSeparators(local)}));
    const qint64 size = knownSize >= 0 ? knownSize : m_context.remoteSize(remote).value_or(-1);
    QFile file(local);
    // Cuts a resumed file back to exactly the offset: what follows it is
    // not the remote file's.
    const auto cannotResume = [&](const RemoteText &why) {
        file.close();
        if (QFileInfo(local).size() > offset)
            file.resize(offset);
        return FtpErrors::own(RemoteErrorCode::CannotResume,
                              RemoteText(RemoteMessage::CannotResumeBecause, {shown, why, offset}));
    };
    if (offset > 0) {
        const QFileInfo info(local);
        if (!info.isFile() || info.size() < offset)
            throw FtpErrors::own(RemoteErrorCode::CannotResume,
                                 RemoteText(RemoteMessage::LocalShorterThanOffset,
                                            {QDir::toNativeSeparators(local), offset}));
        if (size >= 0 && offset > size)
            throw FtpErrors::own(
                RemoteErrorCode::CannotResume,
                RemoteText(RemoteMessage::OffsetBeyondRemote, {offset, shown, size}));
    }
    qint64 expected = size >= 0 && !ascii ? size - offset : -1;
    if (offset > 0 && expected == 0) {
        // Already complete: only what lies past the offset goes.
        if (!file.resize(offset))
            throw localError(RemoteMessage::CannotTruncate, file);
        FtpProgress(m_context, m_context.progressClock(), progressKind, 0).finish();
        transferred(RemoteText(RemoteMessage::AlreadyComplete, {shown}), shown, local, 0);
        return;
    }
    m_context.useTransferType();
    FtpTransferChannel channel(m_context);
    channel.prepare();
    if (offset > 0 && !channel.restart(offset)) {
        channel.close();
        throw cannotResume(
            RemoteText(RemoteMessage::RestartRefused, {m_context.control().text(channel.reply())}));
    }
    if (channel.start("RETR", remote) != FtpTransferChannel::Outcome::Open)
        channel.refuse();
    channel.limitBy(m_context.settings().rateLimits.download.get());
    if (expected < 0 && offset == 0 && !ascii)
        expected = announcedSize(channel.reply().text());

    FtpProgress progress(m_context, m_context.progressClock(), progressKind, expected);
    // Opened when the first byte is there: until then the old file stays.
    const auto open = [&] {
        if (file.isOpen())
            return true;
        return offset == 0
                   ? file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)
                   : file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) &&
                         file.resize(offset) && file.seek(offset);
    };
    const std::unique_ptr<char[]> buffer(new char[BufferSize]);
    FtpLineEnds lineEnds;
    QByteArray converted;
    RemoteDigest *const tap = ascii ? nullptr : m_context.transferTap();
    const auto write = [&](const char *bytes, qint64 length) {
        if (length == 0)
            return;
        if (open() && file.write(bytes, length) == length)
            return;
        channel.abort(localError(RemoteMessage::CannotWriteLocal, file));
    };
    channel.run(
        [&] {
            for (;;) {
                const qint64 received = channel.receive(buffer.get(), BufferSize);
                if (received == 0)
                    break;
                if (ascii) {
                    converted.clear();
                    lineEnds.toLocal(QByteArrayView(buffer.get(), received), converted);
                    write(converted.constData(), converted.size());
                } else {
                    write(buffer.get(), received);
                    if (tap)
                        tap->add(buffer.get(), received);
                }
                progress.add(received);
                // More than announced: a server that ignored the restart, a
                // server filling the disk, or a file that changed under the
                // transfer. Either way not the file.
                if (expected >= 0 && progress.count() > expected) {
                    if (offset > 0)
                        channel.abort(
                            cannotResume(RemoteText(RemoteMessage::RestartIgnored, {expected})));
                    file.close();
                    channel.abort(FtpErrors::own(
                        RemoteErrorCode::TransferIncomplete,
                        RemoteText(RemoteMessage::ReceivedTooMuch, {shown, expected})));
                }
            }
            converted.clear();
            lineEnds.finishToLocal(converted);
            write(converted.constData(), converted.size());
        },
        [&] {
            file.close();
            progress.finish();
            return stopped(progress.count(), shown);
        });
    // An empty remote file, confirmed by the server: now the local one is
    // replaced (or cut to the offset).
    if (!open())
        throw localError(RemoteMessage::CannotWriteLocal, file);
    file.close();
    if (expected >= 0 && progress.count() != expected)
        throw FtpErrors::own(
            RemoteErrorCode::TransferIncomplete,
            RemoteText(RemoteMessage::TransferShort, {shown, progress.count(), expected}));
    // Only the size, known and reached, vouches for data whose encrypted
    // connection was closed without close_notify.
    if (expected < 0 && channel.cutShort())
        throw FtpErrors::own(
            RemoteErrorCode::TransferIncomplete,
            RemoteText(RemoteMessage::TransferCutShort, {shown, progress.count()}));
    progress.finish();
    transferred(RemoteText(RemoteMessage::Downloaded, {shown, progress.count()}), shown, local,
                progress.count());
}

void FtpFileTransfer::transferred(RemoteText text, const QString &remote, const QString &local,
                                  qint64 bytes)
{
    RemoteActivity activity =
        RemoteActivity::note(RemoteActivityKind::FileTransferred, std::move(text));
    activity.remotePath = remote;
    activity.localPath = local;
    activity.count = bytes;
    m_context.report(activity);
}

void FtpFileTransfer::upload(const QString &local, const QByteArray &remote, qint64 offset,
                             RemoteActivityKind progressKind)
{
    const QString shown = m_context.codec().decode(remote);
    QFile file(local);
    // A folder opens for reading on Unix: refuse it before the server
    // truncates the remote file.
    if (!QFileInfo(local).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw localError(RemoteMessage::CannotOpenLocal, file);
    const qint64 localSize = file.size();
    if (offset < 0 || offset > localSize)
        throw FtpErrors::own(RemoteErrorCode::CannotResume,
                             RemoteText(RemoteMessage::OffsetBeyondLocal,
                                        {offset, QDir::toNativeSeparators(local), localSize}));
    QByteArray verb = "STOR";
    bool rest = false;
    if (offset > 0) {
        if (m_context.restartSupported()) {
            rest = true;
        } else if (m_context.remoteSize(remote).value_or(-1) == offset) {
            verb = "APPE";
        } else {
            throw FtpErrors::own(RemoteErrorCode::CannotResume,
                                 RemoteText(RemoteMessage::NoRestNoAppend, {shown, offset}));
        }
    }
    if (!file.seek(offset))
        throw localError(RemoteMessage::CannotReadLocal, file);
    m_context.useTransferType();
    FtpTransferChannel channel(m_context);
    channel.prepare();
    if (rest && !channel.restart(offset)) {
        // REST announced but refused: APPE does the same when the remote
        // file is exactly as long as the offset.
        const FtpReply refusal = channel.reply();
        if (refusal.code < 500 || m_context.remoteSize(remote).value_or(-1) != offset) {
            channel.close();
            m_context.control().refuse(refusal);
        }
        verb = "APPE";
    }
    if (channel.start(verb, remote) != FtpTransferChannel::Outcome::Open)
        channel.refuse();
    channel.limitBy(m_context.settings().rateLimits.upload.get());
    FtpProgress progress(m_context, m_context.progressClock(), progressKind, localSize - offset);
    const bool ascii = m_context.settings().transferSetting == RemoteTransferSetting::Ascii;
    const std::unique_ptr<char[]> buffer(new char[BufferSize]);
    FtpLineEnds lineEnds;
    QByteArray converted;
    RemoteDigest *const tap = ascii ? nullptr : m_context.transferTap();
    channel.run(
        [&] {
            for (;;) {
                const qint64 read = file.read(buffer.get(), BufferSize);
                if (read < 0)
                    channel.abort(localError(RemoteMessage::CannotReadLocal, file));
                if (read == 0)
                    break;
                if (ascii) {
                    converted.clear();
                    lineEnds.toNetwork(QByteArrayView(buffer.get(), read), converted);
                    channel.send(converted.constData(), converted.size());
                } else {
                    channel.send(buffer.get(), read);
                    if (tap)
                        tap->add(buffer.get(), read);
                }
                progress.add(read);
            }
        },
        [&] {
            progress.finish();
            return stopped(progress.count(), shown);
        });
    progress.finish();
    // ASCII line ends change the count on the way: nothing to compare.
    if (!ascii)
        checkRemoteSize(remote, offset + progress.count(), offset);
    transferred(RemoteText(RemoteMessage::Uploaded, {shown, progress.count()}), shown, local,
                progress.count());
}

void FtpFileTransfer::checkRemoteSize(const QByteArray &remote, qint64 expected, qint64 offset)
{
    const QString shown = m_context.codec().decode(remote);
    std::optional<qint64> size = m_context.remoteSize(remote);
    if (!size)
        size = factSize(remote);
    if (!size && offset > 0)
        size = listedSize(remote);
    if (!size) {
        if (offset > 0)
            m_context.note(RemoteActivityKind::ReplyIgnored,
                           RemoteText(RemoteMessage::SizeUncheckable, {shown}));
        return;
    }
    if (*size == expected)
        return;
    throw FtpErrors::own(
        RemoteErrorCode::TransferIncomplete,
        offset > 0 ? RemoteText(RemoteMessage::ServerFileShortAfterResume,
                                {shown, expected, *size, offset})
                   : RemoteText(RemoteMessage::ServerFileShort, {shown, expected, *size}));
}

std::optional<qint64> FtpFileTransfer::factSize(const QByteArray &remote)
{
    const QByteArray facts = m_context.factsOf(remote);
    FtpListLine line;
    if (facts.isEmpty() || !FtpMlsdParser::parse(facts, line) || line.kind != '-' || line.size < 0)
        return std::nullopt;
    return line.size;
}

std::optional<qint64> FtpFileTransfer::listedSize(const QByteArray &remote)
{
    const qsizetype slash = remote.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray() : remote.left(qMax<qsizetype>(slash, 1));
    const QByteArray name = remote.mid(slash + 1);
    RemoteListing listing;
    try {
        listing = m_context.list(folder);
    } catch (const RemoteError &error) {
        // A folder the server will not list tells nothing; anything that
        // ends the session still ends it.
        if (error.number >= 1000 || error.number == 421 || !m_context.control().isOpen())
            throw;
        return std::nullopt;
    }
    for (const RemoteEntry &entry : std::as_const(listing.entries))
        if (entry.rawName == name && entry.kind == RemoteEntryKind::File && entry.size >= 0)
            return entry.size;
    return std::nullopt;
}
