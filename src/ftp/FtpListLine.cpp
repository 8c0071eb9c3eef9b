#include "ftp/FtpListLine.h"

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

QString FtpListDate::text() const
{
    if (!isValid())
        return QString();
    // Built by hand: this runs once per entry of listings with 100 000 entries.
    char buffer[16];
    char *out = putDigits(buffer, year % 10000, 4);
    *out++ = '-';
    out = putDigits(out, month, 2);
    *out++ = '-';
    out = putDigits(out, day, 2);
    if (hour >= 0) {
        *out++ = ' ';
        out = putDigits(out, hour, 2);
        *out++ = ':';
        out = putDigits(out, minute, 2);
    }
    return QString::fromLatin1(buffer, out - buffer);
}

QDateTime FtpListDate::time() const
{
    if (!isValid())
        return QDateTime();
    const QDate date(year, month, day);
    if (!date.isValid())
        return QDateTime();
    return QDateTime(date, QTime(qMax(hour, 0), minute), Qt::UTC);
}
