#include "ftp/FtpUnixListParser.h"

#include <QDate>

namespace {

struct Token
{
    qsizetype begin = 0;
    qsizetype end = 0;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool allDigits(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (!isDigit(c))
            return false;
    return true;
}

// Decimal value of up to 18 digits, -1 when not a number.
qint64 toNumber(QByteArrayView text)
{
    if (!allDigits(text) || text.size() > 18)
        return -1;
    qint64 value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value;
}

int monthNumber(QByteArrayView text)
{
    static const char names[] = "janfebmaraprmayjunjulaugsepoctnovdec";
    if (text.size() != 3)
        return 0;
    char lower[3];
    for (int i = 0; i < 3; ++i)
        lower[i] = char(text[i] | 0x20);
    for (int m = 0; m < 12; ++m)
        if (lower[0] == names[m * 3] && lower[1] == names[m * 3 + 1] &&
            lower[2] == names[m * 3 + 2])
            return m + 1;
    return 0;
}

// "13:45", "3:47" or "13:45:07".
bool readTime(QByteArrayView text, FtpListDate &date)
{
    const qsizetype colon = text.indexOf(':');
    if (colon < 1 || colon > 2)
        return false;
    const qint64 hour = toNumber(text.first(colon));
    QByteArrayView rest = text.sliced(colon + 1);
    if (rest.size() == 5 && rest[2] == ':' && allDigits(rest.sliced(3)))
        rest = rest.first(2);
    const qint64 minute = rest.size() == 2 ? toNumber(rest) : -1;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return false;
    date.hour = int(hour);
    date.minute = int(minute);
    return true;
}

// "2026-12-08"
bool readIsoDate(QByteArrayView text, FtpListDate &date)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    const qint64 year = toNumber(text.first(4));
    const qint64 month = toNumber(text.sliced(5, 2));
    const qint64 day = toNumber(text.sliced(8, 2));
    date.year = int(year);
    date.month = int(month);
    date.day = int(day);
    return year > 0 && date.isValid();
}

// "Dec", "8", "13:45" or "2020".
bool readMonthDate(QByteArrayView month, QByteArrayView day, QByteArrayView yearOrTime,
                   const FtpListDate &today, FtpListDate &date)
{
    date.month = monthNumber(month);
    const qint64 dayValue = day.size() <= 2 ? toNumber(day) : -1;
    if (date.month == 0 || dayValue < 1 || dayValue > 31)
        return false;
    date.day = int(dayValue);
    if (yearOrTime.size() == 4 && allDigits(yearOrTime)) {
        date.year = int(toNumber(yearOrTime));
        return true;
    }
    if (!readTime(yearOrTime, date))
        return false;
    // ls prints the time instead of the year for recent files: the last such
    // date that is not in the future (a day's grace for time zones).
    date.year = today.year;
    const QDate todayDate(today.year, today.month, today.day);
    const QDate candidate(date.year, date.month, date.day);
    if (todayDate.isValid() && (!candidate.isValid() || candidate > todayDate.addDays(1)))
        date.year -= 1;
    return true;
}

int permissionDigit(char r, char w, char x)
{
    return (r == 'r' ? 4 : 0) + (w == 'w' ? 2 : 0) + (x == 'x' || x == 's' || x == 't' ? 1 : 0);
}

// "rwxr-xr-x" (the nine letters after the type) as 755; setuid, setgid and
// sticky bits become a leading 4, 2, 1 (rwsr-xr-x is 4755).
bool readPermissions(QByteArrayView bits, int &permissions)
{
    static const QByteArrayView allowed = "rwxsStTlL-";
    for (char c : bits)
        if (!allowed.contains(c))
            return false;
    const int special =
        ((bits[2] == 's' || bits[2] == 'S') ? 4 : 0) +
        ((bits[5] == 's' || bits[5] == 'S' || bits[5] == 'l' || bits[5] == 'L') ? 2 : 0) +
        ((bits[8] == 't' || bits[8] == 'T') ? 1 : 0);
    permissions = special * 1000 + permissionDigit(bits[0], bits[1], bits[2]) * 100 +
                  permissionDigit(bits[3], bits[4], bits[5]) * 10 +
                  permissionDigit(bits[6], bits[7], bits[8]);
    return true;
}

char kindOf(char type)
{
    switch (type) {
    case '-':
    case 'd':
    case 'l':
    case 'c':
    case 'b':
    case 'p':
    case 's':
        return type;
    default:
        return '?';
    }
}

bool isTotalLine(QByteArrayView line)
{
    static const char word[] = "total ";
    if (line.size() < 7)
        return false;
    for (int i = 0; i < 6; ++i)
        if (char(line[i] | 0x20) != word[i])
            return false;
    return allDigits(line.sliced(6).trimmed());
}

// The size field; for devices "1," "3" or "1,3": no size.
bool readSize(QByteArrayView sizeToken, char kind, qint64 &size)
{
    size = toNumber(sizeToken);
    if (size >= 0)
        return true;
    if (kind != 'c' && kind != 'b')
        return false;
    const qsizetype comma = sizeToken.indexOf(',');
    if (comma < 0 || !allDigits(sizeToken.first(comma)))
        return false;
    size = 0;
    return true;
}

} // namespace

bool FtpUnixListParser::parse(QByteArrayView line, const FtpListDate &today, FtpListLine &out)
{
    out = FtpListLine();
    if (isTotalLine(line)) {
        out.skip = true;
        return true;
    }
    // The fields before the name; the date is always among the first eleven.
    constexpr int MaxTokens = 11;
    Token tokens[MaxTokens];
    int count = 0;
    for (qsizetype pos = 0; pos < line.size() && count < MaxTokens;) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos == line.size())
            break;
        tokens[count].begin = pos;
        while (pos < line.size() && !isBlank(line[pos]))
            ++pos;
        tokens[count++].end = pos;
    }
    const auto field = [&](int i) {
        return line.sliced(tokens[i].begin, tokens[i].end - tokens[i].begin);
    };
    if (count < 5)
        return false;
    const QByteArrayView mode = field(0);
    if (mode.size() < 10 || mode.size() > 11 ||
        !readPermissions(mode.sliced(1, 9), out.permissions))
        return false;
    out.kind = kindOf(mode[0]);

    int lastDateToken = -1;
    for (int i = 2; i + 1 < count && lastDateToken < 0; ++i) {
        FtpListDate date;
        if (i + 2 < count && readMonthDate(field(i), field(i + 1), field(i + 2), today, date))
            lastDateToken = i + 2;
        else if (readIsoDate(field(i), date) && readTime(field(i + 1), date))
            lastDateToken = i + 1;
        else
            continue;
        if (!readSize(field(i - 1), out.kind, out.size)) {
            lastDateToken = -1;
            continue;
        }
        out.date = date;
    }
    if (lastDateToken < 0)
        return false;
    // Devices show "major, minor" where files show the size.
    if (out.kind == 'c' || out.kind == 'b')
        out.size = 0;
    // The name starts after exactly one blank: leading blanks belong to it.
    const qsizetype nameStart = tokens[lastDateToken].end + 1;
    if (nameStart >= line.size())
        return false;
    out.name = line.sliced(nameStart);
    if (out.kind == 'l') {
        const qsizetype arrow = out.name.indexOf(" -> ");
        if (arrow > 0)
            out.name = out.name.first(arrow);
    }
    return true;
}
