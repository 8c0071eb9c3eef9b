#include "sftp/SftpPaths.h"

#include <QByteArray>

QString SftpPaths::absolute(const QString &directory, const QString &path)
{
    if (path.startsWith(QLatin1Char('/')) || directory.isEmpty())
        return path;
    if (directory.endsWith(QLatin1Char('/')))
        return directory + path;
    return directory + QLatin1Char('/') + path;
}

QString SftpPaths::parent(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    return slash == 0 ? QStringLiteral("/") : trimmed.left(slash);
}

QString SftpPaths::lastPart(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

bool SftpPaths::isDotOperand(const QString &path)
{
    const QString last = lastPart(path);
    return last == QLatin1String(".") || last == QLatin1String("..");
}

bool SftpPaths::isUnusableName(const QByteArray &name)
{
    return name.isEmpty() || name == "." || name == ".." || name.contains('/') ||
           name.contains('\0');
}
