#include "platform/SystemDrives.h"

#include <QDir>
#include <QStorageInfo>

namespace {
QString asDirectory(const QString &path)
{
    QString dir = QDir::toNativeSeparators(QDir::cleanPath(path));
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir;
}

// Network shares have no device node but are real files all the same.
bool isNetworkFileSystem(const QByteArray &type)
{
    static const QList<QByteArray> network = {"nfs",   "nfs4",       "cifs", "smb3",
                                              "smbfs", "fuse.sshfs", "9p",   "afs"};
    return network.contains(type);
}
} // namespace

bool SystemDrives::holdsRealFiles(const QStorageInfo &volume)
{
    if (!volume.isValid() || !volume.isReady())
        return false;
    const QByteArray type = volume.fileSystemType();
    // Read-only images such as snap packages are mounted from loop devices
    // but are not places a user keeps files.
    if (type == "squashfs")
        return false;
    return volume.device().startsWith("/dev/") || isNetworkFileSystem(type);
}

QStringList SystemDrives::drives() const
{
    QStringList list;
#ifdef Q_OS_WIN
    for (const QFileInfo &drive : QDir::drives())
        list.append(asDirectory(drive.absolutePath()));
#else
    list.append(QStringLiteral("/"));
    const QString home = asDirectory(QDir::homePath());
    if (!list.contains(home))
        list.append(home);
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!holdsRealFiles(volume))
            continue;
        const QString root = asDirectory(volume.rootPath());
        if (!list.contains(root))
            list.append(root);
    }
#endif
    return list;
}
