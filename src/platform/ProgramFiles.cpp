#include "platform/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>

namespace ProgramFiles {

QString installedDataDir(const QString &programDir)
{
    // The install rules' data folder relative to their program folder
    // ("../share/korvu"), handed over by the build so the two cannot part.
    return QDir::cleanPath(QDir(programDir).filePath(QStringLiteral(KORVU_DATA_FROM_BIN)));
}

bool isInstalled(const QString &programDir)
{
    return QFileInfo(installedDataDir(programDir)).isDir();
}

QString dataDir(const QString &programDir)
{
    return isInstalled(programDir) ? installedDataDir(programDir) : programDir;
}

} // namespace ProgramFiles
