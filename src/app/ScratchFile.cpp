#include "app/ScratchFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

QString ScratchFile::baseDirectory()
{
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.trimmed().isEmpty())
        return QDir::cleanPath(temp);
    return QDir::tempPath();
}

QString ScratchFile::privateDirectory()
{
#ifdef Q_OS_UNIX
    const QString name = QStringLiteral("korvu-%1").arg(::getuid());
#else
    // The Windows temporary folder is already the user's own.
    const QString name = QStringLiteral("Korvu");
#endif
    return QDir(baseDirectory()).filePath(name);
}

QString ScratchFile::preparePath(QString *error)
{
    const QString dir = privateDirectory();
    if (!QFileInfo::exists(dir) && !QFileInfo(dir).isSymLink()) {
        if (!QDir().mkdir(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
            *error = QStringLiteral("无法创建临时文件夹 %1").arg(QDir::toNativeSeparators(dir));
            return QString();
        }
    }
#ifdef Q_OS_UNIX
    // lstat, not stat: a link planted under our name must not be followed.
    struct stat st = {};
    if (::lstat(QFile::encodeName(dir).constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::getuid()) {
        *error = QStringLiteral("临时文件夹 %1 不属于当前用户，已停用").arg(dir);
        return QString();
    }
    if ((st.st_mode & 077) != 0 && ::chmod(QFile::encodeName(dir).constData(), 0700) != 0) {
        *error = QStringLiteral("无法设置临时文件夹 %1 的权限").arg(dir);
        return QString();
    }
#else
    if (!QFileInfo(dir).isDir()) {
        *error = QStringLiteral("无法使用临时文件夹 %1").arg(QDir::toNativeSeparators(dir));
        return QString();
    }
#endif
    return QDir::toNativeSeparators(QDir(dir).filePath(QString::fromLatin1(FileName)));
}

void ScratchFile::remove(const QString &path)
{
    if (!path.isEmpty() && QFileInfo(path).isFile())
        QFile::remove(path);
}
