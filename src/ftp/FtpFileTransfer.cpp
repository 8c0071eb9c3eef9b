#include "ftp/FtpFileTransfer.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpDataConnection.h"
#include "ftp/FtpEngine.h"
#include "ftp/FtpError.h"
#include "ftp/FtpLineEnds.h"
#include "ftp/FtpNameCodec.h"
#include "ftp/FtpProgress.h"

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

FtpFileTransfer::FtpFileTransfer(FtpEngine &engine) : m_engine(engine) {}

void FtpFileTransfer::stopped(qint64 count, const QString &what)
{
    m_engine.report(
        FtpEvent::TransferStopped, FtpCategory::Information,
        QStringLiteral("传输已被用户停止：%1，已传输 %2 字节，部分文件已保留").arg(what).arg(count),
        count);
    throw FtpError{FtpErrorCode::StoppedByUser, QStringLiteral("传输已被用户停止")};
}

void FtpFileTransfer::download(const QByteArray &remote, const QString &local, qint64 offset,
                               int progressCode, qint64 knownSize)
{
    FtpControlConnection &control = m_engine.control();
    const QString shown = FtpNameCodec::decodeText(remote);
    const bool ascii = m_engine.settings().transferSetting == FtpTransferSetting::Ascii;
    if (offset < 0)
        throw FtpError{FtpErrorCode::InvalidArgument,
                       QStringLiteral("续传位置无效：%1").arg(offset)};
    if (QFileInfo(local).isDir())
        throw FtpError{
            FtpErrorCode::LocalFileError,
            QStringLiteral("%1 是文件夹，不能写入文件").arg(QDir::toNativeSeparators(local))};
    const qint64 size = knownSize >= 0 ? knownSize : m_engine.remoteSize(remote).value_or(-1);
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
    QFile file(local);
    if (offset > 0 && expected == 0) {
        // Already complete: only what lies past the offset goes.
        if (!file.resize(offset))
            throw localError(QStringLiteral("无法截断本地文件 %1：%2"), file);
        FtpProgress(m_engine, m_engine.progressClock(), progressCode, 0).finish();
        m_engine.report(FtpEvent::FileTransferred, FtpCategory::Information,
                        QStringLiteral("%1 已是完整文件，无需下载").arg(shown), 0, local);
        return;
    }
    m_engine.useTransferType();
    FtpDataConnection data(m_engine);
    data.prepare();
    if (offset > 0) {
        const FtpReply rest = control.command("REST", QByteArray::number(offset));
        if (rest.code != 350) {
            data.close();
            control.refuse(rest);
        }
    }
    const FtpReply start = control.command("RETR", remote);
    if (!start.isPreliminary()) {
        data.close();
        if (start.code >= 400)
            control.refuse(start);
        throw FtpError{FtpErrorCode::BadReply,
                       QStringLiteral("服务器对 RETR 的回复无法识别：%1").arg(control.text(start))};
    }
    if (expected < 0 && offset == 0 && !ascii)
        expected = announcedSize(start.text());

    FtpProgress progress(m_engine, m_engine.progressClock(), progressCode, expected);
    bool overrun = false;
    try {
        data.establish();
        const bool opened =
            offset == 0
                ? file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)
                : file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) && file.resize(offset) &&
                      file.seek(offset);
        if (!opened) {
            const FtpError error = localError(QStringLiteral("无法写入本地文件 %1：%2"), file);
            m_engine.abortTransfer(data);
            throw error;
        }
        const std::unique_ptr<char[]> buffer(new char[BufferSize]);
        FtpLineEnds lineEnds;
        QByteArray converted;
        const auto write = [&](const char *bytes, qint64 length) {
            if (file.write(bytes, length) == length)
                return;
            const FtpError error = localError(QStringLiteral("写入本地文件 %1 失败：%2"), file);
            m_engine.abortTransfer(data);
            throw error;
        };
        for (;;) {
            const qint64 received = data.socket().receive(buffer.get(), BufferSize,
                                                          m_engine.settings().timeoutMs, true);
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
            // More than announced: a server filling the disk, or a file that
            // changed under the transfer. Either way not the file.
            if (expected >= 0 && progress.count() > expected) {
                overrun = true;
                break;
            }
        }
        converted.clear();
        lineEnds.finishToLocal(converted);
        write(converted.constData(), converted.size());
    } catch (const FtpStopRequest &) {
        file.close();
        progress.finish();
        m_engine.abortTransfer(data);
        stopped(progress.count(), shown);
    } catch (const FtpError &error) {
        if (error.number != FtpErrorCode::TransferIncomplete)
            throw;
        file.close();
        m_engine.failTransfer(data, error);
    }
    file.close();
    if (overrun) {
        m_engine.abortTransfer(data);
        throw FtpError{FtpErrorCode::TransferIncomplete,
                       QStringLiteral("传输出错：%1 收到的数据超过服务器给出的大小 %2 字节")
                           .arg(shown)
                           .arg(expected)};
    }
    data.close();
    m_engine.finishTransfer();
    if (expected >= 0 && progress.count() != expected)
        throw FtpError{FtpErrorCode::TransferIncomplete,
                       QStringLiteral("传输不完整：%1 收到 %2 字节，服务器给出的大小为 %3 字节")
                           .arg(shown)
                           .arg(progress.count())
                           .arg(expected)};
    progress.finish();
    m_engine.report(FtpEvent::FileTransferred, FtpCategory::Information,
                    QStringLiteral("已下载 %1（%2 字节）").arg(shown).arg(progress.count()),
                    progress.count(), local);
}

void FtpFileTransfer::upload(const QString &local, const QByteArray &remote, qint64 offset,
                             int progressCode)
{
    FtpControlConnection &control = m_engine.control();
    const QString shown = FtpNameCodec::decodeText(remote);
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
        if (m_engine.restartSupported()) {
            rest = true;
        } else if (m_engine.remoteSize(remote).value_or(-1) == offset) {
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
    m_engine.useTransferType();
    FtpDataConnection data(m_engine);
    data.prepare();
    if (rest) {
        const FtpReply reply = control.command("REST", QByteArray::number(offset));
        if (reply.code != 350) {
            // REST announced but refused: APPE does the same when the remote
            // file is exactly as long as the offset.
            if (reply.code < 500 || m_engine.remoteSize(remote).value_or(-1) != offset) {
                data.close();
                control.refuse(reply);
            }
            verb = "APPE";
        }
    }
    const FtpReply start = control.command(verb, remote);
    if (!start.isPreliminary()) {
        data.close();
        if (start.code >= 400)
            control.refuse(start);
        throw FtpError{FtpErrorCode::BadReply,
                       QStringLiteral("服务器对 %1 的回复无法识别：%2")
                           .arg(QString::fromLatin1(verb), control.text(start))};
    }
    FtpProgress progress(m_engine, m_engine.progressClock(), progressCode, localSize - offset);
    try {
        data.establish();
        const std::unique_ptr<char[]> buffer(new char[BufferSize]);
        const bool ascii = m_engine.settings().transferSetting == FtpTransferSetting::Ascii;
        FtpLineEnds lineEnds;
        QByteArray converted;
        for (;;) {
            const qint64 read = file.read(buffer.get(), BufferSize);
            if (read < 0) {
                const FtpError error = localError(QStringLiteral("无法读取本地文件 %1：%2"), file);
                m_engine.abortTransfer(data);
                throw error;
            }
            if (read == 0)
                break;
            if (ascii) {
                converted.clear();
                lineEnds.toNetwork(QByteArrayView(buffer.get(), read), converted);
                data.socket().sendAll(converted.constData(), converted.size(),
                                      m_engine.settings().timeoutMs, true);
            } else {
                data.socket().sendAll(buffer.get(), read, m_engine.settings().timeoutMs, true);
            }
            progress.add(read);
        }
    } catch (const FtpStopRequest &) {
        progress.finish();
        m_engine.abortTransfer(data);
        stopped(progress.count(), shown);
    } catch (const FtpError &error) {
        if (error.number != FtpErrorCode::TransferIncomplete)
            throw;
        m_engine.failTransfer(data, error);
    }
    // Closing the data connection is what tells the server the file is complete.
    data.close();
    m_engine.finishTransfer();
    progress.finish();
    m_engine.report(FtpEvent::FileTransferred, FtpCategory::Information,
                    QStringLiteral("已上传 %1（%2 字节）").arg(shown).arg(progress.count()),
                    progress.count(), local);
}
