#include "remote/RemoteEntry.h"

namespace {

char *putDigits(char *out, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

} // namespace

QString RemoteEntry::date() const
{
    char buffer[16];
    const int length = writeDate(buffer);
    return QString::fromLatin1(buffer, length);
}

int RemoteEntry::writeDate(char *buffer) const
{
    if (!time.isValid())
        return 0;
    // Built by hand: the panes and korvu-ftp ls ask for it once per entry of
    // listings with 100 000 entries.
    const QDate day = time.date();
    char *out = putDigits(buffer, day.year() % 10000, 4);
    *out++ = '-';
    out = putDigits(out, day.month(), 2);
    *out++ = '-';
    out = putDigits(out, day.day(), 2);
    if (timeOfDay) {
        const QTime clock = time.time();
        *out++ = ' ';
        out = putDigits(out, clock.hour(), 2);
        *out++ = ':';
        out = putDigits(out, clock.minute(), 2);
    }
    return int(out - buffer);
}
