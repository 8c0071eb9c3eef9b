#include "Console.h"

#include <QScopeGuard>
#include <cstdio>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace Console {

QString terminalSafe(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\r')
            continue;
        const bool control = u < 0x20 || (u >= 0x7F && u < 0xA0);
        safe += control && u != u'\n' && u != u'\t' ? QChar(QChar::ReplacementCharacter) : c;
    }
    return safe;
}

void printMessage(const QString &text)
{
    QString line = terminalSafe(text);
    while (line.endsWith(QLatin1Char('\n')))
        line.chop(1);
    const QByteArray bytes = "korvu-ftp: " + line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

bool errorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

bool inputIsTerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<QString> askTerminal(const QString &prompt, bool echo)
{
    if (!inputIsTerminal())
        return std::nullopt;
    const QByteArray question = terminalSafe(prompt).toUtf8();
    std::fwrite(question.constData(), 1, size_t(question.size()), stderr);
    std::fflush(stderr);
    termios saved{};
    const bool hidden = !echo && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (hidden) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    const auto restore = qScopeGuard([&] {
        if (!hidden)
            return;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        // The user's Enter was not echoed either.
        std::fputc('\n', stderr);
    });
    QByteArray line;
    for (int c = std::fgetc(stdin); c != '\n'; c = std::fgetc(stdin)) {
        if (c == EOF)
            return std::nullopt;
        line += char(c);
    }
    return QString::fromUtf8(line);
}

int errorColumns()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace Console
