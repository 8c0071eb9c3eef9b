#pragma once

#include <QString>

// Remote paths, always with "/". SFTP has no working directory of its own:
// the engine keeps one and makes every path absolute against it.
namespace SftpPaths {

// `path` when it is absolute, else `path` below `directory` (itself
// absolute, or empty when unknown: then `path` as it is, which the server
// reads against the folder it logs in to).
QString absolute(const QString &directory, const QString &path);
// "/a/b" for "/a/b/c", "/" for "/c", "" for "c".
QString parent(const QString &path);
// The last part: "c" for "/a/b/c" and for "/a/b/c/".
QString lastPart(const QString &path);
// Whether the last part is "." or "..": such a path names no entry of its
// own, and renaming or deleting it would act on a folder or its parent.
bool isDotOperand(const QString &path);
// A name in a listing that cannot name an entry of that folder: empty,
// "." or "..", or holding "/" or NUL.
bool isUnusableName(const QByteArray &name);

} // namespace SftpPaths
