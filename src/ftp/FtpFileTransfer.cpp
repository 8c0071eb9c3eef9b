#include "ftp/FtpFileTransfer.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpContext.h"
#include "ftp/FtpError.h"
#include "ftp/FtpLineEnds.h"
#include "ftp/FtpListLine.h"
#include "ftp/FtpMlsdParser.h"
#include "ftp/FtpProgress.h"
#include "ftp/FtpTransferChannel.h"

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

FtpError localError(const QString &what, const QFile &file)
{
    return FtpError{FtpErrorCode::LocalFileError,
                    what.arg(QDir::toNativeSeparators(file.fileName()), file.errorString())};
}

} // namespace

FtpFileTransfer::FtpFileTransfer(FtpContext &context) : m_context(context) {}

FtpError FtpFileTransfer::stopped(qint64 count, const QString &what)
{
    m_context.report(
        FtpEvent::TransferStopped, FtpCategory::Information,
        QStringLiteral("传输已被用户停止：%1，已传输 %2 字节，部分文件已保留").arg(what).arg(count),
        count);
    return FtpError{FtpErrorCode::StoppedByUser, QStringLiteral("传输已被用户停止")};
}

void FtpFileTransfer::download(const QByteArray &remote, const QString &local, qint64 offset,
                               int progressCode, qint64 knownSize)
{
    const QString shown = m_context.codec().decode(remote);
    const bool ascii = m_context.settings().transferSetting == FtpTransferSetting::Ascii;
    if (offset < 0)
        throw FtpError{FtpErrorCode::InvalidArgument,
                       QStringLiteral("续传位置无效：%1").arg(offset)};
    if (QFileInfo(local).isDir())
        throw FtpError{
            FtpErrorCode::LocalFileError,
            QStringLiteral("%1 是文件夹，不能写入文件").arg(QDir::toNativeSeparators(local))};
    const qint64 size = knownSize >= 0 ? knownSize : m_context.remoteSize(remote).value_or(-1);
    QFile file(local);
    // Cuts a resumed file back to exactly the offset: what follows it is
    // not the remote file's.
    const auto cannotResume = [&](const QString &why) {
        file.close();
        if (QFileInfo(local).size() > offset)
            file.resize(offset);
        return FtpError{FtpErrorCode::CannotResume,
                        QStringLiteral("无法续传 %1：%2；本地文件保留前 %3 字节，可从头下载")
                            .arg(shown, why)
                            .arg(offset)};
    };
    if (offset > 0) {
        const QFileInfo info(local);
        if (!info.isFile() || info.size() < offset)
            throw FtpError{FtpErrorCode::CannotResume,
                           QStringLiteral("无法续传：本地文件 %1 短于续传位置 %2 字节")
                               .arg(QDir::toNativeSeparators(local))
                               .arg(offset)};
        if (size >= 0 && offset > size)
            throw FtpError{FtpErrorCode::CannotResume,
                           QStringLiteral("无法续传：续传位置 %1 超过远程文件 %2 的大小 %3 字节")
                               .arg(offset)
                               .arg(shown)
                               .arg(size)};
    }
    qint64 expected = size >= 0 && !ascii ? size - offset : -1;
    if (offset > 0 && expected == 0) {
        // Already complete: only what lies past the offset goes.
        if (!file.resize(offset))
            throw localError(QStringLiteral("无法截断本地文件 %1：%2"), file);
        FtpProgress(m_context, m_context.progressClock(), progressCode, 0).finish();
        m_context.report(FtpEvent::FileTransferred, FtpCategory::Information,
                         QStringLiteral("%1 已是完整文件，无需下载").arg(shown), 0, local);
        return;
    }
    m_context.useTransferType();
    FtpTransferChannel channel(m_context);
    channel.prepare();
    if (offset > 0 && !channel.restart(offset)) {
        channel.close();
        throw cannotResume(QStringLiteral("服务器不接受续传（%1）")
                               .arg(m_context.control().text(channel.reply())));
    }
    if (channel.start("RETR", remote) != FtpTransferChannel::Outcome::Open)
        channel.refuse();
    if (expected < 0 && offset == 0 && !ascii)
        expected = announcedSize(channel.reply().text());

    FtpProgress progress(m_context, m_context.progressClock(), progressCode, expected);
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
    const auto write = [&](const char *bytes, qint64 length) {
        if (length == 0)
            return;
        if (open() && file.write(bytes, length) == length)
            return;
        channel.abort(localError(QStringLiteral("无法写入本地文件 %1：%2"), file));
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
                }
                progress.add(received);
                // More than announced: a server that ignored the restart, a
                // server filling the disk, or a file that changed under the
                // transfer. Either way not the file.
                if (expected >= 0 && progress.count() > expected) {
                    if (offset > 0)
                        channel.abort(cannotResume(
                            QStringLiteral("服务器没有从续传位置发送数据（收到的数据超过剩余的 "
                                           "%1 字节）")
                                .arg(expected)));
                    file.close();
                    channel.abort(FtpError{
                        FtpErrorCode::TransferIncomplete,
                        QStringLiteral("传输出错：%1 收到的数据超过服务器给出的大小 %2 字节")
                            .arg(shown)
                            .arg(expected)});
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
        throw localError(QStringLiteral("无法写入本地文件 %1：%2"), file);
    file.close();
    if (expected >= 0 && progress.count() != expected)
        throw FtpError{FtpErrorCode::TransferIncomplete,
                       QStringLiteral("传输不完整：%1 收到 %2 字节，服务器给出的大小为 %3 字节")
                           .arg(shown)
                           .arg(progress.count())
                           .arg(expected)};
    // Only the size, known and reached, vouches for data whose encrypted
    // connection was closed without close_notify.
    if (expected < 0 && channel.cutShort())
        throw FtpError{
            FtpErrorCode::TransferIncomplete,
            QStringLiteral("传输可能不完整：%1 的大小未知，而加密的数据连接没有以 TLS "
                           "结束通知（close_notify）结束，收到的 %2 字节不能算作完整文件")
                .arg(shown)
                .arg(progress.count())};
    progress.finish();
    m_context.report(FtpEvent::FileTransferred, FtpCategory::Information,
                     QStringLiteral("已下载 %1（%2 字节）").arg(shown).arg(progress.count()),
                     progress.count(), local);
}

void FtpFileTransfer::upload(const QString &local, const QByteArray &remote, qint64 offset,
                             int progressCode)
{
    const QString shown = m_context.codec().decode(remote);
    QFile file(local);
    // A folder opens for reading on Unix: refuse it before the server
    // truncates the remote file.
    if (!QFileInfo(local).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw localError(QStringLiteral("无法打开本地文件 %1：%2"), file);
    const qint64 localSize = file.size();
    if (offset < 0 || offset > localSize)
        throw FtpError{FtpErrorCode::CannotResume,
                       QStringLiteral("无法续传：续传位置 %1 超过本地文件 %2 的大小 %3 字节")
                           .arg(offset)
                           .arg(QDir::toNativeSeparators(local))
                           .arg(localSize)};
    QByteArray verb = "STOR";
    bool rest = false;
    if (offset > 0) {
        if (m_context.restartSupported()) {
            rest = true;
        } else if (m_context.remoteSize(remote).value_or(-1) == offset) {
            verb = "APPE";
        } else {
            throw FtpError{
                FtpErrorCode::CannotResume,
                QStringLiteral("无法续传：服务器不支持 REST，且远程文件 %1 的大小不是 %2 字节")
                    .arg(shown)
                    .arg(offset)};
        }
    }
    if (!file.seek(offset))
        throw localError(QStringLiteral("无法读取本地文件 %1：%2"), file);
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
    FtpProgress progress(m_context, m_context.progressClock(), progressCode, localSize - offset);
    const bool ascii = m_context.settings().transferSetting == FtpTransferSetting::Ascii;
    const std::unique_ptr<char[]> buffer(new char[BufferSize]);
    FtpLineEnds lineEnds;
    QByteArray converted;
    channel.run(
        [&] {
            for (;;) {
                const qint64 read = file.read(buffer.get(), BufferSize);
                if (read < 0)
                    channel.abort(localError(QStringLiteral("无法读取本地文件 %1：%2"), file));
                if (read == 0)
                    break;
                if (ascii) {
                    converted.clear();
                    lineEnds.toNetwork(QByteArrayView(buffer.get(), read), converted);
                    channel.send(converted.constData(), converted.size());
                } else {
                    channel.send(buffer.get(), read);
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
    m_context.report(FtpEvent::FileTransferred, FtpCategory::Information,
                     QStringLiteral("已上传 %1（%2 字节）").arg(shown).arg(progress.count()),
                     progress.count(), local);
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
            m_context.report(
                FtpEvent::ReplyIgnored, FtpCategory::Failure,
                QStringLiteral("无法核对续传后 %1 在服务器上的大小：服务器不回答 SIZE 和 MLST，"
                               "目录列表中也没有它的大小")
                    .arg(shown));
        return;
    }
    if (*size == expected)
        return;
    QString why =
        QStringLiteral("服务器上的文件不完整：%1 应为 %2 字节，服务器报告的大小为 %3 字节")
            .arg(shown)
            .arg(expected)
            .arg(*size);
    if (offset > 0)
        why += QStringLiteral("（服务器可能没有从续传位置 %1 接着写入）").arg(offset);
    throw FtpError{FtpErrorCode::TransferIncomplete, why};
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
    FtpListing listing;
    try {
        listing = m_context.list(folder);
    } catch (const FtpError &error) {
        // A folder the server will not list tells nothing; anything that
        // ends the session still ends it.
        if (error.number >= 1000 || error.number == 421 || !m_context.control().isOpen())
            throw;
        return std::nullopt;
    }
    for (const FtpListingEntry &entry : std::as_const(listing.entries))
        if (entry.rawName == name && entry.kind == QLatin1String("-") && entry.size >= 0)
            return entry.size;
    return std::nullopt;
}
