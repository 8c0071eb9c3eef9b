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
    // Days since 1970-01-01 by the civil calendar, computed here: through
    // QDate and QTime this costs a listing of 100 000 entries more than
    // reading their names.
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const qint64 days = qint64(era) * 146097 + dayOfEra - 719468;
    // A day past the end of its month (31 April) is no date.
    static constexpr int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day > monthDays[month - 1] || (month == 2 && day == 29 && !QDate::isLeapYear(year)))
        return QDateTime();
    const qint64 minutes = days * 24 * 60 + qMax(hour, 0) * 60 + minute;
    return QDateTime::fromMSecsSinceEpoch(minutes * 60 * 1000, Qt::UTC);
}
