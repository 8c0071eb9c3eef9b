// Copies a remote tree the way the desktop program's transfer batch does:
// one ListDirectory per folder and one DownloadFile call per file on one
// session, so the cost of each call (not just of each file) shows. The
// script bench/mirror times it beside korvu-ftp mirror and lftp.
//
//   bench_file_batch HOST PORT REMOTE_DIR LOCAL_DIR

#include "ftp/FtpSession.h"
#include "remote/RemoteTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace {

int copyTree(FtpSession &session, const QString &remote, const QString &local)
{
    if (!QDir().mkpath(local))
        return -1;
    session.ListDirectory(remote);
    const QVector<RemoteEntry> entries = session.ListingEntries().entries;
    int files = 0;
    for (const RemoteEntry &entry : entries) {
        if (entry.name == QLatin1String(".") || entry.name == QLatin1String(".."))
            continue;
        const QString from = remote + QLatin1Char('/') + entry.name;
        const QString to = local + QLatin1Char('/') + entry.name;
        if (entry.kind == RemoteEntryKind::Folder) {
            const int inner = copyTree(session, from, to);
            if (inner < 0)
                return -1;
            files += inner;
        } else {
            session.DownloadFile(from, to);
            ++files;
        }
    }
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: bench_file_batch HOST PORT REMOTE_DIR LOCAL_DIR\n");
        return 2;
    }
    FtpSession session;
    try {
        session.setTimeoutMs(120000);
        session.OpenConnection(args.at(1), QStringLiteral("anonymous"), QStringLiteral("bench@"),
                               QString(), args.at(2).toInt());
        const int files = copyTree(session, args.at(3), args.at(4));
        session.CloseConnection();
        if (files < 0) {
            std::fprintf(stderr, "cannot create the local folders\n");
            return 1;
        }
        std::printf("%d files\n", files);
    } catch (const RemoteError &error) {
        std::fprintf(stderr, "error %d: %s\n", error.number,
                     qPrintable(RemoteTexts::description(error)));
        return 1;
    }
    return 0;
}
