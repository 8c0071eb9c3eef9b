#pragma once

#include <QString>

// Path form: a local directory ends in the native separator ("/" here, "\"
// on Windows), a remote one in "/"; a full path is such a directory followed
// by a name.

// Normalises a directory path in place and returns it: the separator is
// appended when missing, so an empty path becomes the bare separator. The
// path stays exactly as it is otherwise: it names a folder the server or the
// file system listed, a pane shows or a drop brought ("/photos [2019]/",
// "/home/u/x /" and "Music [FLAC]" are real folders).
QString NormalizePath(QString &path, bool remote = false);

// Text the user typed or picked from a list: the bracketed part "[...]" is
// cut out (a drive entry "c: [SYSTEM]" becomes "c:"), blanks around it
// removed and the separator appended, for either side.
QString NormalizeTypedPath(QString &path, bool remote);

// Text typed into the local folder box: a folder that exists under that very
// name, by an absolute path, keeps it (brackets and blanks included), so
// typing "/home/u/photos [2019]" lists that folder and not "photos ". Any
// other text gets the typed rule.
QString NormalizeLocalDir(QString &path);

// The parent of a local directory, with or without its trailing separator:
// "/a/b/" and "/a/b" both give "/a/". At a root there is no parent and the
// path comes back unchanged.
QString LocalParentPath(const QString &path);
