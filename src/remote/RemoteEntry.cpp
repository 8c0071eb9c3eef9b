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

struct CivilTime
{
    int year;
    int month;
    int day;
    int hour;
    int minute;
};

// The UTC calendar date and clock of `msecs` since 1970 (not before): by
// arithmetic, where QDateTime's date() and time() ask the calendar each.
CivilTime civilTime(qint64 msecs)
{
    constexpr qint64 MsecsPerDay = 24 * 60 * 60 * 1000;
    const qint64 days = msecs / MsecsPerDay;
    const int minuteOfDay = int(msecs % MsecsPerDay / 60000);
    // Days since 1 March of year 0 in 400-year eras of 146 097 days.
    const qint64 shifted = days + 719468;
    const qint64 era = shifted / 146097;
    const int dayOfEra = int(shifted - era * 146097);
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shiftedMonth = (5 * dayOfYear + 2) / 153; // 0 is March
    const int month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const int year = int(era * 400 + yearOfEra + (month <= 2 ? 1 : 0));
    return {year, month, dayOfYear - (153 * shiftedMonth + 2) / 5 + 1, minuteOfDay / 60,
            minuteOfDay % 60};
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
    // listings with 100 000 entries, whose times are UTC.
    CivilTime civil;
    const qint64 msecs = time.toMSecsSinceEpoch();
    if (time.timeSpec() == Qt::UTC && msecs >= 0) {
        civil = civilTime(msecs);
    } else {
        const QDate day = time.date();
        const QTime clock = time.time();
        civil = {day.year(), day.month(), day.day(), clock.hour(), clock.minute()};
    }
    char *out = putDigits(buffer, civil.year % 10000, 4);
    *out++ = '-';
    out = putDigits(out, civil.month, 2);
    *out++ = '-';
    out = putDigits(out, civil.day, 2);
    if (timeOfDay) {
        *out++ = ' ';
        out = putDigits(out, civil.hour, 2);
        *out++ = ':';
        out = putDigits(out, civil.minute, 2);
    }
    return int(out - buffer);
}
