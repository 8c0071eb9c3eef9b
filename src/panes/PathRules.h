#pragma once

#include <QString>

// Path form: a local directory ends in the native separator ("/" here, "\"
// on Windows), a remote one in "/"; a full path is such a directory followed
// by a name.

// Normalises a directory path in place and returns it.
//
// Local: a bracketed part "[...]" is cut out (a drive entry "c: [SYSTEM]"
// becomes "c:"), blanks around the result are removed and the separator is
// appended when missing, so an empty path becomes the bare separator.
//
// Remote: the path is the server's and stays exactly as it is ("/photos
// [2019]/" and "/x /" name real folders); only a missing "/" is appended.
QString NormalizePath(QString &path, bool remote = false);

// A directory the user typed or picked from a list: the bracketed part is cut
// out, blanks around it removed and the separator appended, for either side.
// Used only after the text as it stands named no directory.
QString NormalizeTypedPath(QString &path, bool remote);

// NormalizePath for a local directory that may already exist under its own
// name: a directory called "photos [2019]" keeps its brackets, so opening it
// lists that directory and not "photos ". Only a path that names no directory
// gets the bracket cut.
QString NormalizeLocalDir(QString &path);

// The parent of a local directory, with or without its trailing separator:
// "/a/b/" and "/a/b" both give "/a/". At a root there is no parent and the
// path comes back unchanged.
QString LocalParentPath(const QString &path);
