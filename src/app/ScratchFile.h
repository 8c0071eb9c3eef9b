#pragma once

#include <QString>

// The scratch file remote files are fetched into for viewing. It lives in a
// folder of its own inside the temporary folder ("TEMP" when set, else the
// system's), private to the user: other users of a shared /tmp can neither
// read what was viewed nor plant a link where Korvu writes.
class ScratchFile
{
public:
    static constexpr const char *FileName = "KorvuScratchFile";

    // The temporary folder: the "TEMP" environment variable when it holds a
    // path, else the system's temporary folder. Never empty, never the root
    // of the file system by accident of an unset variable.
    static QString baseDirectory();
    // The user's private folder inside the base directory ("korvu-<uid>").
    static QString privateDirectory();

    // Makes sure the private folder exists, is a real folder (not a link),
    // belongs to this user and is closed to everybody else, and returns the
    // scratch file's path in it. On failure returns an empty path and puts
    // the reason into `error`.
    static QString preparePath(QString *error);

    // Deletes the scratch file when there is one.
    static void remove(const QString &path);
};
