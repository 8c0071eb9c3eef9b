#pragma once

#include "remote/RemoteError.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

class RemoteSession;
class ProgressBar;

// The commands of korvu-ftp, run one per invocation on a logged-in session.
// Failures leave as the RemoteError the session threw, or one of the same shape
// for what the tool finds wrong itself (with the session's error numbers).
class ClientCommands
{
public:
    struct Syntax
    {
        const char *name;
        int minArguments;
        int maxArguments;
        const char *synopsis;
        // Bit n set: argument n names something on the server, and takes
        // the escapes ls writes names with (ListingFormat::unescapedName).
        unsigned remoteArguments;
    };
    // The command called `name`; nullptr when there is none.
    static const Syntax *find(const QString &name);
    static QList<Syntax> all();

    ClientCommands(RemoteSession &session, ProgressBar &progress, std::FILE *out);

    // The directory of the URL, relative to the log-in directory.
    void enterStartDirectory(const QString &path);
    // `arguments`: as many as find() allows.
    void run(const QString &command, const QStringList &arguments, bool resume);

private:
    void list(const QString &folder);
    void get(const QString &remote, QString local, bool resume);
    void put(const QString &local, QString remote, bool resume);
    void mirror(const QString &remoteFolder, const QString &localFolder);
    void mput(const QString &localFolder, const QString &remoteFolder);
    void printWorkingDirectory();
    void write(const QByteArray &bytes);
    std::optional<RemoteError> writeFailure(const QByteArray &bytes);
    qint64 remoteFileSize(const QString &remote);

    RemoteSession &m_session;
    ProgressBar &m_progress;
    std::FILE *m_out;
};
