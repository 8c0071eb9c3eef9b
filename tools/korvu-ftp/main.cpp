// korvu-ftp: one FTP or SFTP command from the command line, on Korvu's remote session.

#include "ActivityReporter.h"
#include "Answers.h"
#include "ClientCommands.h"
#include "CommandLine.h"
#include "Console.h"
#include "ProgressBar.h"
#include "UsageError.h"
#include "remote/RemoteTexts.h"
#include "remote/factory/RemoteSessions.h"

#include <QCoreApplication>
#include <cstdio>
#include <pwd.h>
#include <unistd.h>

namespace {

namespace ExitStatus {
constexpr int Done = 0;
constexpr int Failed = 1;
constexpr int BadCommandLine = 2;
} // namespace ExitStatus

// A server's refusal is described by its reply, which starts with the code
// the message shows already: "error 550: No such file", not "550: 550 No ...".
QString descriptionOf(const RemoteError &error)
{
    const QString code = QString::number(error.number);
    const QString text = RemoteTexts::description(error);
    if (error.number < 1000 && text.startsWith(code) && text.size() > code.size() &&
        (text[code.size()] == QLatin1Char(' ') || text[code.size()] == QLatin1Char('-')))
        return text.mid(code.size() + 1);
    return text;
}

// An sftp:// URL without a user logs in as the local user, as ssh does.
QString userOf(const RemoteUrl &url)
{
    if (url.protocol != RemoteProtocol::Sftp || !url.user.isEmpty())
        return url.user;
    if (const passwd *entry = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

void closeQuietly(RemoteSession &session)
{
    try {
        session.CloseConnection();
    } catch (const RemoteError &) {
        // The command's outcome is decided; a QUIT nobody answers changes nothing.
    }
}

int runInvocation(const Invocation &invocation)
{
    ProgressBar progress(!invocation.quiet && Console::errorIsTerminal());
    ActivityReporter reporter(progress);
    const RemoteUrl &url = invocation.url;
    const std::unique_ptr<RemoteSession> made = RemoteSessions::make(url.protocol);
    RemoteSession &session = *made;
    session.setPassiveMode(!invocation.active);
    session.setTimeoutMs(invocation.timeoutMs);
    session.setNameEncoding(invocation.encoding);
    session.setEncryption(invocation.encryption);
    session.setVerifyTransfers(invocation.verify);
    session.setKeyFile(invocation.keyFile);
    session.setQuestion([&invocation](const RemoteQuestion &question) {
        return Answers::answer(invocation, question);
    });
    QObject::connect(
        &session, &RemoteSession::ActivityEvent,
        [&reporter](const RemoteActivity &activity) { reporter.onActivity(activity); });
    ClientCommands commands(session, progress, stdout);
    try {
        session.OpenConnection(url.host, userOf(url), url.password, QString(), url.port);
        commands.enterStartDirectory(url.startDirectory);
        commands.run(invocation.command, invocation.arguments, invocation.resume);
    } catch (const RemoteError &error) {
        // Printed in every case: the session's own failures (11100 and up)
        // are in no reply the user saw.
        reporter.finish(&error);
        Console::printMessage(
            QStringLiteral("error %1: %2").arg(error.number).arg(descriptionOf(error)));
        closeQuietly(session);
        return ExitStatus::Failed;
    }
    reporter.finish(nullptr);
    closeQuietly(session);
    return ExitStatus::Done;
}

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // The session waits for its worker in a nested event loop.
    QCoreApplication application(argc, argv);
    Invocation invocation;
    try {
        invocation = parseCommandLine(QCoreApplication::arguments().mid(1));
    } catch (const UsageError &error) {
        Console::printMessage(error.message);
        Console::printMessage(QStringLiteral("\"korvu-ftp --help\" shows how to call it"));
        return ExitStatus::BadCommandLine;
    }
    switch (invocation.action) {
    case Invocation::Action::ShowHelp:
        print(stdout, usageText());
        return ExitStatus::Done;
    case Invocation::Action::ShowVersion:
        print(stdout, QStringLiteral("korvu-ftp %1.%2.%3\n")
                          .arg(KORVU_VERSION_MAJOR)
                          .arg(KORVU_VERSION_MINOR)
                          .arg(KORVU_VERSION_PATCH));
        return ExitStatus::Done;
    case Invocation::Action::Run:
        break;
    }
    return runInvocation(invocation);
}
