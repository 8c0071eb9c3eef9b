// The SFTP engine on the command line, for bench/sftp: one connection, one
// command (a file or a whole tree, either way), and the time it took.
//
//   bench_sftp [-v] [--password PW] [--key FILE] [--cipher LIST] [--trust SHA256:...]
//              HOST PORT USER COMMAND ARGS...
//   commands: get REMOTE LOCAL | put LOCAL REMOTE | get-tree REMOTE LOCAL |
//             put-tree LOCAL REMOTE | ls [REMOTE]
//
// Prints "seconds N" on success; the error in Chinese on failure (status 1).

#include "remote/RemoteInterrupt.h"
#include "remote/RemoteTexts.h"
#include "sftp/SftpEngine.h"
#include "sftp/SftpEventSink.h"
#include "sftp/SftpToRemote.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <cstdio>

namespace {

class PrintingSink : public SftpEventSink
{
public:
    bool verbose = false;
    QString trusted;

    void activity(const SftpEvent &event) override
    {
        if (verbose && event.kind != SftpActivity::DownloadProgress &&
            event.kind != SftpActivity::UploadProgress)
            std::fprintf(stderr, "%s",
                         qPrintable(RemoteTexts::logLine(SftpToRemote::activity(event, {}))));
    }
    void stateChanged(int) override {}
    SftpTrust hostKeyQuestion(const SftpHostKey &key) override
    {
        return key.fingerprint == trusted ? SftpTrust::Once : SftpTrust::Refuse;
    }
    std::optional<QString> secretQuestion(SftpSecret, const QString &, bool) override
    {
        return std::nullopt;
    }
    std::optional<QStringList> interactiveQuestion(const SftpInteractivePrompt &) override
    {
        return std::nullopt;
    }
};

void getTree(SftpEngine &engine, const QString &remote, const QString &local)
{
    QDir().mkpath(local);
    const SftpListing listing = engine.list(remote);
    for (const SftpEntry &entry : listing.entries) {
        const QString from = remote + QLatin1Char('/') + entry.name;
        const QString to = local + QLatin1Char('/') + entry.name;
        if (entry.kind == SftpEntryKind::Folder)
            getTree(engine, from, to);
        else if (entry.kind == SftpEntryKind::File)
            engine.download(from, to, 0);
    }
}

void putTree(SftpEngine &engine, const QString &local, const QString &remote)
{
    try {
        engine.makeDirectory(remote);
    } catch (const SftpError &error) {
        if (error.kind != SftpErrorKind::AlreadyExists)
            throw;
    }
    const QFileInfoList entries =
        QDir(local).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo &entry : entries) {
        const QString to = remote + QLatin1Char('/') + entry.fileName();
        if (entry.isDir())
            putTree(engine, entry.filePath(), to);
        else
            engine.upload(to, entry.filePath(), 0);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    PrintingSink sink;
    SftpLogin login;
    SftpSettings settings;
    while (!arguments.isEmpty() && arguments.first().startsWith(QLatin1String("-"))) {
        const QString option = arguments.takeFirst();
        if (option == QLatin1String("-v"))
            sink.verbose = true;
        else if (option == QLatin1String("--password") && !arguments.isEmpty())
            login.password = arguments.takeFirst();
        else if (option == QLatin1String("--key") && !arguments.isEmpty())
            login.keyFile = arguments.takeFirst();
        else if (option == QLatin1String("--cipher") && !arguments.isEmpty())
            settings.ciphers = arguments.takeFirst();
        else if (option == QLatin1String("--trust") && !arguments.isEmpty())
            sink.trusted = arguments.takeFirst();
    }
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: bench_sftp [options] HOST PORT USER COMMAND ARGS...\n");
        return 2;
    }
    login.host = arguments.takeFirst();
    login.port = arguments.takeFirst().toInt();
    login.user = arguments.takeFirst();
    login.useAgent = false;
    const QString command = arguments.takeFirst();
    RemoteInterrupt interrupt;
    SftpEngine engine(interrupt, sink);
    engine.setSettings(settings);
    QElapsedTimer clock;
    clock.start();
    try {
        engine.open(login);
        const QString first = arguments.value(0);
        const QString second = arguments.value(1);
        if (command == QLatin1String("get"))
            engine.download(first, second, 0);
        else if (command == QLatin1String("put"))
            engine.upload(second, first, 0);
        else if (command == QLatin1String("get-tree"))
            getTree(engine, first, second);
        else if (command == QLatin1String("put-tree"))
            putTree(engine, first, second);
        else if (command == QLatin1String("ls"))
            for (const SftpEntry &entry : engine.list(first).entries)
                std::printf("%s\n", qPrintable(entry.name));
        engine.quit();
    } catch (const SftpError &error) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(RemoteTexts::description(SftpToRemote::error(error, 0))));
        return 1;
    }
    std::printf("seconds %.3f\n", double(clock.nsecsElapsed()) / 1e9);
    return 0;
}
