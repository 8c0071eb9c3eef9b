#include "fileops/LocalFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
#ifdef Q_OS_UNIX
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
#endif

QString failure(const QString &what, const QString &path, const QString &reason)
{
    return QStringLiteral("%1 %2: %3").arg(what, QDir::toNativeSeparators(path), reason);
}
} // namespace

bool LocalFiles::isLink(const QString &path)
{
    return QFileInfo(path).isSymLink();
}

bool LocalFiles::removeFile(const QString &path, QString *error)
{
#ifdef Q_OS_WIN
    // Windows refuses to delete a read-only file; its attribute is cleared first.
    if (!isLink(path))
        QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteUser);
#endif
    QFile file(path);
    if (file.remove())
        return true;
    *error = failure(QStringLiteral("无法删除文件"), path, file.errorString());
    return false;
}

bool LocalFiles::removeDirectory(const QString &path, QString *error)
{
#ifdef Q_OS_UNIX
    if (::rmdir(QFile::encodeName(path).constData()) == 0)
        return true;
    *error = failure(QStringLiteral("无法删除文件夹"), path, systemError());
    return false;
#else
    if (QDir().rmdir(path))
        return true;
    *error = failure(QStringLiteral("无法删除文件夹"), path,
                     QFileInfo::exists(path) ? QStringLiteral("文件夹不是空的或不允许删除")
                                             : QStringLiteral("文件夹不存在"));
    return false;
#endif
}

bool LocalFiles::makeDirectory(const QString &path, QString *error)
{
#ifdef Q_OS_UNIX
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return true;
    *error = failure(QStringLiteral("无法新建文件夹"), path, systemError());
    return false;
#else
    if (!QFileInfo::exists(path) && QDir().mkdir(path))
        return true;
    *error = failure(QStringLiteral("无法新建文件夹"), path,
                     QFileInfo::exists(path) ? QStringLiteral("已存在") : QStringLiteral("不允许"));
    return false;
#endif
}

bool LocalFiles::renameNoReplace(const QString &from, const QString &to, QString *error)
{
#ifdef Q_OS_LINUX
    if (::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                    QFile::encodeName(to).constData(), RENAME_NOREPLACE) == 0)
        return true;
    // Other errors are the answer; these only say the file system cannot
    // refuse atomically.
    if (errno != EINVAL && errno != ENOSYS) {
        *error = failure(QStringLiteral("无法重命名"), from, systemError());
        return false;
    }
#endif
    if (QFileInfo::exists(to) || isLink(to)) {
        *error = failure(QStringLiteral("无法重命名"), from,
                         QStringLiteral("%1 已存在").arg(QDir::toNativeSeparators(to)));
        return false;
    }
    QFile file(from);
    if (file.rename(to))
        return true;
    *error = failure(QStringLiteral("无法重命名"), from, file.errorString());
    return false;
}
