#include "panes/PathRules.h"

#include <QDir>
#include <QFileInfo>

namespace {
QChar separatorFor(bool remote)
{
    return remote ? QLatin1Char('/') : QDir::separator();
}

void appendSeparator(QString &path, bool remote)
{
    const QChar separator = separatorFor(remote);
    if (!path.endsWith(separator))
        path.append(separator);
}
} // namespace

QString NormalizePath(QString &path, bool remote)
{
    appendSeparator(path, remote);
    return path;
}

QString NormalizeTypedPath(QString &path, bool remote)
{
    const qsizetype open = path.indexOf(QLatin1Char('['));
    const qsizetype close = path.indexOf(QLatin1Char(']'));
    // Only a "]" after the "[" closes a bracketed part; the other way round,
    // cutting would repeat the text between them.
    if (open >= 0 && close > open)
        path = path.left(open) + path.mid(close + 1);
    path = path.trimmed();
    appendSeparator(path, remote);
    return path;
}

QString NormalizeLocalDir(QString &path)
{
    // Relative text would name a folder of the program's working directory,
    // which no pane shows.
    for (const QString &candidate : {path, path.trimmed()}) {
        if (QDir::isAbsolutePath(candidate) && QFileInfo(candidate).isDir()) {
            path = candidate;
            return NormalizePath(path);
        }
    }
    return NormalizeTypedPath(path, false);
}

QString LocalParentPath(const QString &path)
{
    const QStringView withoutLast = QStringView(path).chopped(path.isEmpty() ? 0 : 1);
    const qsizetype cut = withoutLast.lastIndexOf(QDir::separator());
    if (cut < 0)
        return path;
    return withoutLast.left(cut + 1).toString();
}
