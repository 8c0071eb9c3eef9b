#include "ftp/FtpTreeCopy.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpContext.h"
#include "ftp/FtpError.h"
#include "ftp/FtpFileTransfer.h"
#include "ftp/FtpListLine.h"
#include "ftp/FtpMlsdParser.h"
#include "remote/RemoteInterrupt.h"

#include <QDir>
#include <QFileInfo>

FtpTreeCopy::FtpTreeCopy(FtpContext &context) : m_context(context) {}

void FtpTreeCopy::checkStop()
{
    if (m_context.interrupt().dropRequested())
        throw FtpError{FtpErrorCode::ConnectionDropped, QStringLiteral("连接已被断开")};
    if (m_context.interrupt().stopRequested()) {
        m_context.report(FtpEvent::TransferStopped, FtpCategory::Information,
                         QStringLiteral("复制已被用户停止"));
        throw FtpError{FtpErrorCode::StoppedByUser, QStringLiteral("操作已被用户停止")};
    }
}

void FtpTreeCopy::skip(const QString &name, const QString &why, bool counts)
{
    m_context.report(FtpEvent::EntrySkipped, FtpCategory::Failure,
                     QStringLiteral("已跳过 %1：%2").arg(FtpNameRules::printable(name), why), 0,
                     name);
    if (counts)
        ++m_failures;
}

void FtpTreeCopy::itemFailed(const QString &name, const FtpError &error)
{
    m_context.report(FtpEvent::OperationFailed, FtpCategory::Failure,
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
    if (!m_context.control().isOpen())
        return false;
    if (error.number < 1000)
        return error.number != 421;
    return error.number == FtpErrorCode::TransferIncomplete ||
           error.number == FtpErrorCode::LocalFileError ||
           error.number == FtpErrorCode::CannotResume;
}

void FtpTreeCopy::back(const QByteArray &here)
{
    if (!m_context.enterRaw(here))
        throw FtpError{FtpErrorCode::BadReply, QStringLiteral("无法回到上一级目录，复制已中止")};
}

void FtpTreeCopy::rememberCurrentDirectory()
{
    m_visited.insert("p:" + m_context.currentDirectoryRaw());
    const QByteArray facts = m_context.factsOf({});
    FtpListLine line;
    if (!facts.isEmpty() && FtpMlsdParser::parse(facts, line) && !line.unique.isEmpty())
        m_visited.insert("u:" + line.unique.toByteArray());
}

template <typename Walk> void FtpTreeCopy::walkFrom(Walk &&walk)
{
    if (m_context.currentDirectoryRaw().isEmpty())
        m_context.confirmDirectory();
    const QByteArray startRaw = m_context.currentDirectoryRaw();
    const QString startShown = m_context.currentDirectory();
    try {
        walk();
    } catch (const FtpError &) {
        if (m_context.control().isOpen()) {
            try {
                m_context.restoreDirectory(startRaw, startShown);
            } catch (const FtpError &) {
                // The first error is the one to tell.
            }
        }
        throw;
    }
    m_context.restoreDirectory(startRaw, startShown);
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
    walkFrom([&] {
        if (!pattern.folder.isEmpty()) {
            FtpReply refusal;
            if (!m_context.enterRaw(m_context.encode(pattern.folder), &refusal)) {
                if (pattern.selectsAll() && refusal.code >= 500 &&
                    downloadFolderAsFile(pattern.folder, localFolder, refusal))
                    return;
                m_context.control().refuse(refusal);
            }
            m_context.confirmDirectory();
        }
        if (!QDir().mkpath(localFolder))
            throw FtpError{
                FtpErrorCode::LocalFileError,
                QStringLiteral("无法创建本地文件夹 %1").arg(QDir::toNativeSeparators(localFolder))};
        rememberCurrentDirectory();
        QVector<QByteArray> uniques;
        const FtpListing listing = m_context.list({}, &uniques);
        downloadDirectory(localFolder, listing, uniques, 0, &pattern);
    });
}

// The folder to copy is no folder: a link to a file, shown as a link in the
// listing. Fetched as the file it is, into the place of the local folder
// when that is still empty (the caller made it for the copy), else into it.
// Should RETR be refused too, the refusal of CWD is the one to tell.
bool FtpTreeCopy::downloadFolderAsFile(const QString &folder, const QString &localFolder,
                                       const FtpReply &refusal)
{
    const QByteArray raw = m_context.encode(folder);
    QString target = localFolder;
    const QFileInfo info(localFolder);
    bool removedFolder = false;
    if (info.isDir() && !info.isSymLink()) {
        if (QDir(localFolder)
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            removedFolder = QDir().rmdir(localFolder);
            if (!removedFolder)
                return false;
        } else {
            const QString name =
                folder.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty);
            if (!FtpNameRules::isSafeLocalName(name))
                return false;
            target = FtpNameRules::localChildPath(localFolder, name);
        }
    }
    m_context.report(FtpEvent::FileStarted, FtpCategory::Information,
                     QStringLiteral("下载 %1 → %2")
                         .arg(FtpNameRules::printable(folder), QDir::toNativeSeparators(target)),
                     0, target);
    try {
        FtpFileTransfer(m_context).download(raw, target, 0, FtpEvent::DownloadManyProgress, -1);
    } catch (const FtpError &error) {
        if (removedFolder)
            QDir().mkdir(localFolder);
        // Not a file either: the folder's own refusal is the one to tell.
        if (error.number < 1000 && error.number != 421 && m_context.control().isOpen())
            m_context.control().refuse(refusal);
        throw;
    }
    return true;
}

void FtpTreeCopy::downloadDirectory(const QString &localDir, const FtpListing &listing,
                                    const QVector<QByteArray> &uniques, int depth,
                                    const FtpNameRules::Pattern *pattern)
{
    const QByteArray here = m_context.currentDirectoryRaw();
    // Each line the listing could not read may have been an entry to copy
    // (reported by the listing, code 21): the copy is not whole.
    m_failures += int(listing.unreadableLines); // bounded by the listing's 256 MiB
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
    FtpReply refusal;
    if (!m_context.enterRaw(entry.rawName, &refusal)) {
        if (link)
            return Entered::NotADirectory;
        itemFailed(entry.name, FtpError{refusal.code, m_context.control().text(refusal)});
        return Entered::No;
    }
    try {
        m_context.confirmDirectory();
    } catch (const FtpError &error) {
        if (!m_context.control().isOpen())
            throw;
        back(here);
        itemFailed(entry.name, error);
        return Entered::No;
    }
    const QByteArray there = m_context.currentDirectoryRaw();
    if (link && unique.isEmpty()) {
        // A server that shows the link's own path gives no way to tell a
        // cycle: such a link is not followed.
        const QByteArray literal = (here.endsWith('/') ? here : here + '/') + entry.rawName;
        if (there == literal) {
            back(here);
            skip(entry.name,
                 QStringLiteral("这是指向文件夹的链接，没有跟随：进入后服务器报告的是链接本身的"
                                "路径，无法判断它是否通向已复制的文件夹（循环）"));
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
    // A folder the server will not list is one failed entry; the copy goes on.
    QVector<QByteArray> uniques;
    FtpListing listing;
    try {
        listing = m_context.list({}, &uniques);
    } catch (const FtpError &error) {
        if (!isItemError(error))
            throw;
        back(here);
        itemFailed(entry.name, error);
        return Entered::No;
    }
    if (!QFileInfo(localPath).isDir() && !QDir().mkdir(localPath)) {
        back(here);
        itemFailed(
            entry.name,
            FtpError{
                FtpErrorCode::LocalFileError,
                QStringLiteral("无法创建本地文件夹 %1").arg(QDir::toNativeSeparators(localPath))});
        return Entered::No;
    }
    downloadDirectory(localPath, listing, uniques, depth + 1, nullptr);
    back(here);
    return Entered::Yes;
}

void FtpTreeCopy::downloadFile(const FtpListingEntry &entry, const QString &localPath,
                               qint64 knownSize)
{
    m_context.report(
        FtpEvent::FileStarted, FtpCategory::Information,
        QStringLiteral("下载 %1 → %2")
            .arg(FtpNameRules::printable(entry.name), QDir::toNativeSeparators(localPath)),
        0, localPath);
    try {
        FtpFileTransfer(m_context).download(entry.rawName, localPath, 0,
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
    m_localRoot = root.canonicalFilePath();
    walkFrom([&] {
        if (!remoteFolder.isEmpty()) {
            enterOrCreate(remoteFolder);
            m_context.confirmDirectory();
        }
        m_visited.insert("l:" + m_localRoot.toUtf8());
        uploadDirectory(root.filePath(), m_context.currentDirectoryRaw(), 0, &pattern);
    });
}

void FtpTreeCopy::enterOrCreate(const QString &remoteFolder)
{
    const QByteArray raw = m_context.encode(remoteFolder);
    if (m_context.enterRaw(raw))
        return;
    // Create the missing levels one after the other: "a", "a/b", "a/b/c".
    FtpReply made;
    qsizetype slash = remoteFolder.startsWith(QLatin1Char('/')) ? 0 : -1;
    do {
        slash = remoteFolder.indexOf(QLatin1Char('/'), slash + 1);
        const QString level = slash < 0 ? remoteFolder : remoteFolder.left(slash);
        if (!level.isEmpty() && level != QLatin1String("/"))
            made = m_context.control().command("MKD", m_context.encode(level));
    } while (slash >= 0);
    if (!m_context.enterRaw(raw)) {
        if (made.code >= 400)
            m_context.control().refuse(made);
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
        if (info.isSymLink() && info.exists()) {
            const QString target = info.canonicalFilePath();
            if (target != m_localRoot && !target.startsWith(m_localRoot + QLatin1Char('/'))) {
                skip(name, QStringLiteral("链接指向所选文件夹之外（%1），未上传")
                               .arg(QDir::toNativeSeparators(target)));
                continue;
            }
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
    const QByteArray raw = m_context.encode(name);
    // MKD first: it fails harmlessly when the folder is already there.
    const FtpReply made = m_context.control().command("MKD", raw);
    FtpReply refusal;
    if (!m_context.enterRaw(raw, &refusal)) {
        const FtpReply &why = made.isPositive() ? refusal : made;
        itemFailed(name, FtpError{why.code, m_context.control().text(why)});
        return;
    }
    try {
        m_context.confirmDirectory();
    } catch (const FtpError &error) {
        if (!m_context.control().isOpen())
            throw;
        back(here);
        itemFailed(name, error);
        return;
    }
    uploadDirectory(localPath, m_context.currentDirectoryRaw(), depth + 1, nullptr);
    back(here);
}

void FtpTreeCopy::uploadFile(const QString &localPath, const QString &name)
{
    m_context.report(FtpEvent::FileStarted, FtpCategory::Information,
                     QStringLiteral("上传 %1 → %2")
                         .arg(QDir::toNativeSeparators(localPath), FtpNameRules::printable(name)),
                     0, localPath);
    try {
        FtpFileTransfer(m_context).upload(localPath, m_context.encode(name), 0,
                                          FtpEvent::UploadManyProgress);
    } catch (const FtpError &error) {
        if (!isItemError(error))
            throw;
        itemFailed(name, error);
    }
}
