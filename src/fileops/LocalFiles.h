#pragma once

#include <QString>

// The file-system steps of the local file operations, each reporting why it
// failed. None of them follows a symbolic link: a link is removed, renamed
// or looked at as the link itself.
class LocalFiles
{
public:
    // A symbolic link (to a folder, a file or nowhere).
    static bool isLink(const QString &path);
    // Deletes a file or a link. A read-only file goes as well: on Linux the
    // file's own mode does not guard it, only its folder's.
    static bool removeFile(const QString &path, QString *error);
    // Removes an empty folder.
    static bool removeDirectory(const QString &path, QString *error);
    static bool makeDirectory(const QString &path, QString *error);
    // Renames, refusing a target that exists, atomically where the file
    // system can.
    static bool renameNoReplace(const QString &from, const QString &to, QString *error);
};
