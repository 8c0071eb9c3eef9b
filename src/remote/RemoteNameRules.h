#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The checks every name passes before it reaches the server or the disk.
class RemoteNameRules
{
public:
    // CR, LF or NUL would end or cut a command: such a name is never sent.
    static bool holdsLineBreak(QStringView text);
    static bool holdsLineBreak(QByteArrayView text);
    // Any C0 control character or DEL: not accepted in a directory the server
    // names (PWD), where it could fake log lines or terminal output.
    static bool holdsControlCharacter(QStringView text);
    // Whether a name the server listed may become one component of a local
    // path: not empty, not "." or "..", no "/" or "\" (so not absolute), no
    // line break or NUL, and on Windows no drive colon.
    static bool isSafeLocalName(QStringView name);
    // The local path of `name` (a name isSafeLocalName accepts) inside
    // `folder`, "" meaning the current directory. Joined as text, because
    // QDir::filePath takes a name starting with ":" for a Qt resource path
    // and leaves the folder out.
    static QString localChildPath(const QString &folder, const QString &name);
    // Whether the last component of a remote path ("a/..", "/pub/.", "..")
    // is "." or "..", which name no entry of their own.
    static bool isDotOperand(QStringView path);
    // The name with every control character replaced by U+FFFD, for texts
    // that reach the log: a listed name must not be able to fake log lines.
    static QString printable(QString name);

    // A DownloadMany/UploadMany pattern: a folder followed by "/*" (or the
    // local separator and "*"), possibly in double quotes. The last component
    // may also be another wildcard pattern ("*.txt"), which then selects the
    // top-level entries; "*" selects all. A pattern without wildcards is
    // the folder itself.
    struct Pattern
    {
        QString folder;     // "" means the current directory
        QString glob = "*"; // applied to the entries directly below folder
        bool selectsAll() const { return glob == QLatin1String("*"); }
        bool matches(const QString &name) const;
    };
    static Pattern splitRemotePattern(const QString &pattern);
    static Pattern splitLocalPattern(const QString &pattern);
};
