#pragma once

#include "ftp/FtpListing.h"
#include "ftp/FtpNameRules.h"

#include <QByteArray>
#include <QSet>
#include <QString>

class FtpContext;
struct FtpError;
struct FtpListingEntry;
struct FtpReply;

// DownloadMany and UploadMany: copy the whole tree below a folder, creating
// folders as needed, and come back to the directory they started in.
//
// Downloads are safe against hostile servers: a listed name becomes part of
// a local path only when FtpNameRules::isSafeLocalName accepts it, and never
// through a local symbolic link. Directories are recognised when met again
// (by their MLSD "unique" fact, and by the directory PWD reports after
// entering them), so link cycles end; a link whose target the server does
// not reveal is not followed. A download whose folder turns out to be a
// file (a link to a file: CWD refused, RETR works) fetches that file.
// Uploads follow local links only inside the chosen folder: a link out of
// it (to /etc, to a key) is skipped.
//
// Each skipped or failed entry is reported (codes 9 and 10) and the copy
// goes on, also past a subfolder the server will not list, enter or create;
// at the end such entries, and listing lines that could not be read (code
// 21), make the call fail with 11119. Stops, drops,
// time-outs and a lost connection end the copy at once; a stop is seen
// between two entries.
class FtpTreeCopy
{
public:
    static constexpr int MaxDepth = 64;

    explicit FtpTreeCopy(FtpContext &context);

    void download(const FtpNameRules::Pattern &pattern, const QString &localFolder);
    void upload(const FtpNameRules::Pattern &pattern, const QString &remoteFolder);

private:
    enum class Entered
    {
        Yes,
        No,
        NotADirectory
    };

    void downloadDirectory(const QString &localDir, const FtpListing &listing,
                           const QVector<QByteArray> &uniques, int depth,
                           const FtpNameRules::Pattern *pattern);
    Entered downloadSubdirectory(const FtpListingEntry &entry, const QByteArray &unique,
                                 const QString &localPath, const QByteArray &here, int depth);
    void downloadFile(const FtpListingEntry &entry, const QString &localPath, qint64 knownSize);
    bool downloadFolderAsFile(const QString &folder, const QString &localFolder,
                              const FtpReply &refusal);
    void enterOrCreate(const QString &remoteFolder);
    void uploadDirectory(const QString &localDir, const QByteArray &here, int depth,
                         const FtpNameRules::Pattern *pattern);
    void uploadSubdirectory(const QString &localPath, const QString &name, const QByteArray &here,
                            int depth);
    void uploadFile(const QString &localPath, const QString &name);

    // Runs the walk from the current directory and always tries to return.
    template <typename Walk> void walkFrom(Walk &&walk);
    void back(const QByteArray &here);
    void skip(const QString &name, const QString &why, bool counts = true);
    void itemFailed(const QString &name, const FtpError &error);
    bool isItemError(const FtpError &error) const;
    void checkStop();
    void rememberCurrentDirectory();

    FtpContext &m_context;
    QString m_localRoot; // canonical: uploads follow no link out of it
    QSet<QByteArray> m_visited;
    int m_failures = 0;
    bool m_download = true;
};
