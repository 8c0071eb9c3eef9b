#include "Console.h"

#include <cstdio>
#include <sys/ioctl.h>
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

int errorColumns()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace Console
