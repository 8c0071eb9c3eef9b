#include "remote/RemoteNameRules.h"

#include <QDir>
#include <QRegularExpression>

namespace {

QString unquoted(const QString &pattern)
{
    const QString trimmed = pattern.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('"')) &&
        trimmed.endsWith(QLatin1Char('"')))
        return trimmed.mid(1, trimmed.size() - 2);
    return trimmed;
}

bool holdsWildcard(const QString &text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?')) ||
           text.contains(QLatin1Char('['));
}

// Splits "folder/glob" on the last "/"; "/" stays the root.
RemoteNameRules::Pattern splitOnSlash(const QString &path)
{
    RemoteNameRules::Pattern result;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString last = path.mid(slash + 1);
    if (!holdsWildcard(last)) {
        result.folder = path;
    } else {
        result.glob = last;
        result.folder = slash < 0 ? QString() : path.left(slash);
        if (slash == 0)
            result.folder = QStringLiteral("/");
    }
    while (result.folder.size() > 1 && result.folder.endsWith(QLatin1Char('/')))
        result.folder.chop(1);
    return result;
}

} // namespace

bool RemoteNameRules::holdsLineBreak(QStringView text)
{
    for (QChar c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.unicode() == 0)
            return true;
    return false;
}

bool RemoteNameRules::holdsLineBreak(QByteArrayView text)
{
    for (char c : text)
        if (c == '\r' || c == '\n' || c == '\0')
            return true;
    return false;
}

bool RemoteNameRules::holdsControlCharacter(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    return false;
}

bool RemoteNameRules::isSafeLocalName(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u".." || holdsLineBreak(name))
        return false;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return false;
#ifdef Q_OS_WIN
    if (name.contains(QLatin1Char(':')))
        return false;
#endif
    return true;
}

QString RemoteNameRules::localChildPath(const QString &folder, const QString &name)
{
    QString path = folder.isEmpty() ? QStringLiteral(".") : QDir::fromNativeSeparators(folder);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return QDir::toNativeSeparators(path + name);
}

bool RemoteNameRules::isDotOperand(QStringView path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const QStringView last = path.sliced(path.lastIndexOf(QLatin1Char('/')) + 1);
    return last == u"." || last == u"..";
}

QString RemoteNameRules::printable(QString name)
{
    for (QChar &c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QChar(QChar::ReplacementCharacter);
    return name;
}

bool RemoteNameRules::Pattern::matches(const QString &name) const
{
    if (selectsAll())
        return true;
    const QRegularExpression expression(QRegularExpression::wildcardToRegularExpression(glob));
    return expression.match(name).hasMatch();
}

RemoteNameRules::Pattern RemoteNameRules::splitRemotePattern(const QString &pattern)
{
    return splitOnSlash(unquoted(pattern));
}

RemoteNameRules::Pattern RemoteNameRules::splitLocalPattern(const QString &pattern)
{
    Pattern result = splitOnSlash(QDir::fromNativeSeparators(unquoted(pattern)));
    result.folder = QDir::toNativeSeparators(result.folder);
    return result;
}
