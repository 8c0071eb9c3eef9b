#include "ftp/FtpTreeCopy.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpEngine.h"
#include "ftp/FtpError.h"
#include "ftp/FtpFileTransfer.h"
#include "ftp/FtpInterrupt.h"
#include "ftp/FtpListLine.h"
#include "ftp/FtpMlsdParser.h"

#include <QDir>
#include <QFileInfo>

FtpTreeCopy::FtpTreeCopy(FtpEngine &engine) : m_engine(engine) {}

void FtpTreeCopy::checkStop()
{
    if (m_engine.interrupt().dropRequested())
        throw FtpError{FtpErrorCode::ConnectionDropped, QStringLiteral("连接已被断开")};
    if (m_engine.interrupt().stopRequested()) {
        m_engine.report(FtpEvent::TransferStopped, FtpCategory::Information,
                        QStringLiteral("复制已被用户停止"));
        throw FtpError{FtpErrorCode::StoppedByUser, QStringLiteral("操作已被用户停止")};
    }
}

void FtpTreeCopy::skip(const QString &name, const QString &why, bool counts)
{
    m_engine.report(FtpEvent::EntrySkipped, FtpCategory::Failure,
                    QStringLiteral("已跳过 %1：%2").arg(FtpNameRules::printable(name), why), 0,
                    name);
    if (counts)
        ++m_failures;
}

void FtpTreeCopy::itemFailed(const QString &name, const FtpError &error)
{
    m_engine.report(FtpEvent::OperationFailed, FtpCategory::Failure,
                    QStringLiteral("%1 未能%2：%3")
                        .arg(FtpNameRules::printable(name),
                             m_download ? QStringLiteral("下载") : QStringLiteral("上传"),
                             error.description),
                    error.number);
    ++m_failures;
}

// Failures that concern one entry; anything else ends the copy.
bool FtpTreeCopy::isItemError(const FtpError &error) const
{
    if (!m_engine.control().isOpen())
        return false;
    if (error.number < 1000)
        return error.number != 421;
    return error.number == FtpErrorCode::TransferIncomplete ||
           error.number == FtpErrorCode::LocalFileError ||
           error.number == FtpErrorCode::CannotResume;
}

void FtpTreeCopy::back(const QByteArray &here)
{
    if (!m_engine.enterRaw(here))
        throw FtpError{FtpErrorCode::BadReply, QStringLiteral("无法回到上一级目录，复制已中止")};
}

void FtpTreeCopy::rememberCurrentDirectory()
{
    m_visited.insert("p:" + m_engine.currentDirectoryRaw());
    const QByteArray facts = m_engine.factsOf({});
    FtpListLine line;
    if (!facts.isEmpty() && FtpMlsdParser::parse(facts, line) && !line.unique.isEmpty())
        m_visited.insert("u:" + line.unique.toByteArray());
}

template <typename Walk> void FtpTreeCopy::walkFrom(Walk &&walk)
{
    if (m_engine.currentDirectoryRaw().isEmpty())
        m_engine.confirmDirectory();
    const QByteArray startRaw = m_engine.currentDirectoryRaw();
    const QString startShown = m_engine.currentDirectory();
    try {
        walk();
    } catch (const FtpError &) {
        if (m_engine.control().isOpen()) {
            try {
                m_engine.restoreDirectory(startRaw, startShown);
            } catch (const FtpError &) {
                // The first error is the one to tell.
            }
        }
        throw;
    }
    m_engine.restoreDirectory(startRaw, startShown);
    if (m_failures > 0)
        throw FtpError{FtpErrorCode::TreeCopyIncomplete,
                       QStringLiteral("有 %1 个项目未能%2（见日志），其余已完成")
                           .arg(m_failures)
                           .arg(m_download ? QStringLiteral("下载") : QStringLiteral("上传"))};
}

void FtpTreeCopy::download(const FtpNameRules::Pattern &pattern, const QString &localFolder)
{
    m_download = true;
    if (localFolder.isEmpty())
        throw FtpError{FtpErrorCode::InvalidArgument, QStringLiteral("本地文件夹为空")};
    if (!QDir().mkpath(localFolder))
        throw FtpError{
            FtpErrorCode::LocalFileError,
            QStringLiteral("无法创建本地文件夹 %1").arg(QDir::toNativeSeparators(localFolder))};
    walkFrom([&] {
        if (!pattern.folder.isEmpty()) {
            const FtpReply reply =
                m_engine.control().command("CWD", m_engine.encode(pattern.folder));
            if (!reply.isPositive())
                m_engine.control().refuse(reply);
            m_engine.confirmDirectory();
        }
        rememberCurrentDirectory();
        downloadDirectory(localFolder, m_engine.currentDirectoryRaw(), 0, &pattern);
    });
}

void FtpTreeCopy::downloadDirectory(const QString &localDir, const QByteArray &here, int depth,
                                    const FtpNameRules::Pattern *pattern)
{
    QVector<QByteArray> uniques;
    const FtpListing listing = m_engine.listRaw({}, &uniques);
    for (qsizetype i = 0; i < listing.entries.size(); ++i) {
        checkStop();
        const FtpListingEntry &entry = listing.entries.at(i);
        if (entry.rawName == "." || entry.rawName == "..")
            continue;
        if (pattern && !pattern->matches(entry.name))
            continue;
        if (!FtpNameRules::isSafeLocalName(entry.name)) {
            skip(entry.name, QStringLiteral("名称不能用作本地文件名"));
            continue;
        }
        const QString localPath = FtpNameRules::localChildPath(localDir, entry.name);
        if (QFileInfo(localPath).isSymLink()) {
            skip(entry.name, QStringLiteral("本地已有同名的符号链接，未写入"));
            continue;
        }
        if (entry.kind == QLatin1String("d") || entry.kind == QLatin1String("l")) {
            const Entered entered =
                downloadSubdirectory(entry, uniques.value(i), localPath, here, depth);
            if (entered == Entered::NotADirectory)
                downloadFile(entry, localPath, -1);
        } else if (entry.kind == QLatin1String("-")) {
            downloadFile(entry, localPath, entry.size);
        } else {
            skip(entry.name, QStringLiteral("特殊文件（设备、管道或套接字）"));
        }
    }
}

FtpTreeCopy::Entered FtpTreeCopy::downloadSubdirectory(const FtpListingEntry &entry,
                                                       const QByteArray &unique,
                                                       const QString &localPath,
                                                       const QByteArray &here, int depth)
{
    const bool link = entry.kind == QLatin1String("l");
    if (depth + 1 > MaxDepth) {
        skip(entry.name, QStringLiteral("目录层次过深"));
        return Entered::No;
    }
    if (!unique.isEmpty() && m_visited.contains("u:" + unique)) {
        skip(entry.name, QStringLiteral("这个目录已经复制过（链接循环）"), false);
        return Entered::No;
    }
    int refusal = 0;
    if (!m_engine.enterRaw(entry.rawName, &refusal)) {
        if (link)
            return Entered::NotADirectory;
        itemFailed(entry.name,
                   FtpError{refusal, QStringLiteral("服务器拒绝进入这个目录（%1）").arg(refusal)});
        return Entered::No;
    }
    try {
        m_engine.confirmDirectory();
    } catch (const FtpError &error) {
        if (!m_engine.control().isOpen())
            throw;
        back(here);
        itemFailed(entry.name, error);
        return Entered::No;
    }
    const QByteArray there = m_engine.currentDirectoryRaw();
    if (link && unique.isEmpty()) {
        // A server that shows the link's own path gives no way to tell a
        // cycle: such a link is not followed.
        const QByteArray literal = (here.endsWith('/') ? here : here + '/') + entry.rawName;
        if (there == literal) {
            back(here);
            skip(entry.name, QStringLiteral("服务器没有给出链接的目标，为免循环未跟随"));
            return Entered::No;
        }
    }
    if (m_visited.contains("p:" + there)) {
        back(here);
        skip(entry.name, QStringLiteral("这个目录已经复制过（链接循环）"), false);
        return Entered::No;
    }
    m_visited.insert("p:" + there);
    if (!unique.isEmpty())
        m_visited.insert("u:" + unique);
    if (!QFileInfo(localPath).isDir() && !QDir().mkdir(localPath)) {
        back(here);
        itemFailed(
            entry.name,
            FtpError{
                FtpErrorCode::LocalFileError,
                QStringLiteral("无法创建本地文件夹 %1").arg(QDir::toNativeSeparators(localPath))});
        return Entered::No;
    }
    downloadDirectory(localPath, there, depth + 1, nullptr);
    back(here);
    return Entered::Yes;
}

void FtpTreeCopy::downloadFile(const FtpListingEntry &entry, const QString &localPath,
                               qint64 knownSize)
{
    m_engine.report(
        FtpEvent::FileStarted, FtpCategory::Information,
        QStringLiteral("下载 %1 → %2")
            .arg(FtpNameRules::printable(entry.name), QDir::toNativeSeparators(localPath)),
        0, localPath);
    try {
        FtpFileTransfer(m_engine).download(entry.rawName, localPath, 0,
                                           FtpEvent::DownloadManyProgress, knownSize);
    } catch (const FtpError &error) {
        if (!isItemError(error))
            throw;
        itemFailed(entry.name, error);
    }
}

void FtpTreeCopy::upload(const FtpNameRules::Pattern &pattern, const QString &remoteFolder)
{
    m_download = false;
    const QFileInfo root(pattern.folder.isEmpty() ? QStringLiteral(".") : pattern.folder);
    if (!root.isDir())
        throw FtpError{
            FtpErrorCode::LocalFileError,
            QStringLiteral("本地文件夹 %1 不存在").arg(QDir::toNativeSeparators(pattern.folder))};
    walkFrom([&] {
        if (!remoteFolder.isEmpty()) {
            enterOrCreate(remoteFolder);
            m_engine.confirmDirectory();
        }
        m_visited.insert("l:" + root.canonicalFilePath().toUtf8());
        uploadDirectory(root.filePath(), m_engine.currentDirectoryRaw(), 0, &pattern);
    });
}

void FtpTreeCopy::enterOrCreate(const QString &remoteFolder)
{
    const QByteArray raw = m_engine.encode(remoteFolder);
    if (m_engine.enterRaw(raw))
        return;
    // Create the missing levels one after the other: "a", "a/b", "a/b/c".
    FtpReply made;
    qsizetype slash = remoteFolder.startsWith(QLatin1Char('/')) ? 0 : -1;
    do {
        slash = remoteFolder.indexOf(QLatin1Char('/'), slash + 1);
        const QString level = slash < 0 ? remoteFolder : remoteFolder.left(slash);
        if (!level.isEmpty() && level != QLatin1String("/"))
            made = m_engine.control().command("MKD", m_engine.encode(level));
    } while (slash >= 0);
    if (!m_engine.enterRaw(raw)) {
        if (made.code >= 400)
            m_engine.control().refuse(made);
        throw FtpError{FtpErrorCode::BadReply, QStringLiteral("无法进入目录 %1").arg(remoteFolder)};
    }
}

void FtpTreeCopy::uploadDirectory(const QString &localDir, const QByteArray &here, int depth,
                                  const FtpNameRules::Pattern *pattern)
{
    const QFileInfoList entries = QDir(localDir).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &info : entries) {
        checkStop();
        const QString name = info.fileName();
        if (pattern && !pattern->matches(name))
            continue;
        if (FtpNameRules::holdsLineBreak(name)) {
            skip(name, QStringLiteral("名称中含有回车或换行，无法发送给服务器"));
            continue;
        }
        if (info.isDir())
            uploadSubdirectory(info.filePath(), name, here, depth);
        else if (info.isFile())
            uploadFile(info.filePath(), name);
        else
            skip(name, QStringLiteral("特殊文件（设备、管道或套接字）或失效的链接"));
    }
}

void FtpTreeCopy::uploadSubdirectory(const QString &localPath, const QString &name,
                                     const QByteArray &here, int depth)
{
    if (depth + 1 > MaxDepth) {
        skip(name, QStringLiteral("目录层次过深"));
        return;
    }
    const QByteArray key = "l:" + QFileInfo(localPath).canonicalFilePath().toUtf8();
    if (m_visited.contains(key)) {
        skip(name, QStringLiteral("这个文件夹已经上传过（链接循环）"), false);
        return;
    }
    m_visited.insert(key);
    const QByteArray raw = m_engine.encode(name);
    // MKD first: it fails harmlessly when the folder is already there.
    const FtpReply made = m_engine.control().command("MKD", raw);
    int refusal = 0;
    if (!m_engine.enterRaw(raw, &refusal)) {
        itemFailed(name, made.isPositive()
                             ? FtpError{refusal,
                                        QStringLiteral("服务器拒绝进入这个目录（%1）").arg(refusal)}
                             : FtpError{made.code, m_engine.control().text(made)});
        return;
    }
    try {
        m_engine.confirmDirectory();
    } catch (const FtpError &error) {
        if (!m_engine.control().isOpen())
            throw;
        back(here);
        itemFailed(name, error);
        return;
    }
    uploadDirectory(localPath, m_engine.currentDirectoryRaw(), depth + 1, nullptr);
    back(here);
}

void FtpTreeCopy::uploadFile(const QString &localPath, const QString &name)
{
    m_engine.report(FtpEvent::FileStarted, FtpCategory::Information,
                    QStringLiteral("上传 %1 → %2")
                        .arg(QDir::toNativeSeparators(localPath), FtpNameRules::printable(name)),
                    0, localPath);
    try {
        FtpFileTransfer(m_engine).upload(localPath, m_engine.encode(name), 0,
                                         FtpEvent::UploadManyProgress);
    } catch (const FtpError &error) {
        if (!isItemError(error))
            throw;
        itemFailed(name, error);
    }
}
