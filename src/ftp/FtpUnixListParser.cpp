#include "ftp/FtpUnixListParser.h"

#include "ftp/FtpDateTokens.h"

#include <QDate>
#include <algorithm>

namespace {

// The fields before the name; the date always ends among the first twelve.
constexpr int MaxTokens = 12;

struct Tokens
{
    QByteArrayView line;
    // Only the first `count` are set: left unset, the arrays cost a line
    // nothing before its fields are found.
    qsizetype begin[MaxTokens];
    qsizetype end[MaxTokens];
    int count = 0;

    QByteArrayView at(int i) const { return line.sliced(begin[i], end[i] - begin[i]); }
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

int permissionDigit(char r, char w, char x)
{
    return (r == 'r' ? 4 : 0) + (w == 'w' ? 2 : 0) + (x == 'x' || x == 's' || x == 't' ? 1 : 0);
}

bool isPermissionLetter(char c)
{
    switch (c) {
    case 'r':
    case 'w':
    case 'x':
    case 's':
    case 'S':
    case 't':
    case 'T':
    case 'l':
    case 'L':
    case '-':
        return true;
    default:
        return false;
    }
}

// "rwxr-xr-x" (the nine letters after the type) as 755; setuid, setgid and
// sticky bits become a leading 4, 2, 1 (rwsr-xr-x is 4755).
bool readPermissions(QByteArrayView bits, int &permissions)
{
    if (!std::all_of(bits.begin(), bits.end(), isPermissionLetter))
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

// "total 12", and as ls prints it in other locales ("总用量 12",
// "insgesamt 12", "итого 1,2M"): one word, then a number of blocks.
bool isTotalLine(const Tokens &tokens)
{
    if (tokens.count != 2 || !isDigit(tokens.at(1)[0]))
        return false;
    for (char c : tokens.at(0))
        if (isDigit(c) || c == '-')
            return false;
    return true;
}

// The value of `digits` in `base` (10 or 16); false when a character is no
// such digit, or the value would pass what 18 decimal digits hold.
bool readNumber(QByteArrayView digits, int base, qint64 &value)
{
    constexpr qint64 Limit = 999'999'999'999'999'999;
    value = 0;
    for (char c : digits) {
        const char lower = char(c | 0x20);
        const int digit = isDigit(c)                     ? c - '0'
                          : lower >= 'a' && lower <= 'f' ? lower - 'a' + 10
                                                         : base;
        if (digit >= base || value > (Limit - digit) / base)
            return false;
        value = value * base + digit;
    }
    return !digits.isEmpty();
}

// "1,024": one to three digits, then groups of three after commas. False
// when `token` is not so grouped; -1 when the value does not fit.
bool readGrouped(QByteArrayView token, qint64 &size)
{
    const qsizetype firstComma = token.indexOf(',');
    if (firstComma < 1 || firstComma > 3 || (token.size() - firstComma) % 4 != 0)
        return false;
    QByteArray digits;
    for (qsizetype i = 0; i < token.size(); ++i) {
        const bool commaPlace = i >= firstComma && (i - firstComma) % 4 == 0;
        if (commaPlace ? token[i] != ',' : !isDigit(token[i]))
            return false;
        if (!commaPlace)
            digits += token[i];
    }
    if (!readNumber(digits, 10, size))
        size = -1;
    return true;
}

// The size field: "1234", or what odd servers print instead: "+5", "1,024",
// "0x10". Devices show "1," "3" or "1,3": size 0. A size that cannot be
// held (servers with 32-bit fields print 2 GiB and more as a negative
// number; more than 18 digits) is unknown, -1, and the entry stays.
bool readSize(QByteArrayView token, char kind, qint64 &size)
{
    const bool negative = token.startsWith('-');
    const QByteArrayView digits = negative || token.startsWith('+') ? token.sliced(1) : token;
    if (allDigits(digits)) {
        if (negative || !readNumber(digits, 10, size))
            size = -1;
        return true;
    }
    if (kind == 'c' || kind == 'b') {
        const qsizetype comma = token.indexOf(',');
        if (comma < 0 || !allDigits(token.first(comma)))
            return false;
        size = 0;
        return true;
    }
    if (negative)
        return false;
    if (digits.startsWith("0x") || digits.startsWith("0X"))
        return readNumber(digits.sliced(2), 16, size);
    return readGrouped(digits, size);
}

// The day after `today` (year 0 when today is no date). Worked out once
// per day asked for: every line of recent files asks.
FtpListDate dayAfter(const FtpListDate &today)
{
    thread_local FtpListDate cachedFor;
    thread_local FtpListDate cached;
    if (today.year != cachedFor.year || today.month != cachedFor.month ||
        today.day != cachedFor.day) {
        cachedFor = today;
        cached = FtpListDate();
        const QDate todayDate(today.year, today.month, today.day);
        if (todayDate.isValid()) {
            const QDate tomorrow = todayDate.addDays(1);
            cached.year = tomorrow.year();
            cached.month = tomorrow.month();
            cached.day = tomorrow.day();
        }
    }
    return cached;
}

// ls prints the time instead of the year for recent files: the last such
// date that is not in the future (a day's grace for time zones).
void guessYear(FtpListDate &date, const FtpListDate &today)
{
    date.year = today.year;
    const FtpListDate tomorrow = dayAfter(today);
    if (tomorrow.year == 0)
        return;
    // Tomorrow in the next year (today is 31 December): no day of this year
    // lies beyond it.
    const bool future =
        tomorrow.year == date.year &&
        (date.month > tomorrow.month || (date.month == tomorrow.month && date.day > tomorrow.day));
    if (future || !QDate::isValid(date.year, date.month, date.day))
        date.year -= 1;
}

// A year or a time after month and day; a time alone leaves the year to guess.
bool finishWithYearOrTime(QByteArrayView token, const FtpListDate &today, FtpListDate &date)
{
    if (!FtpDateTokens::timeOrYear(token, date))
        return false;
    if (date.year == 0)
        guessYear(date, today);
    return true;
}

// The date that starts at token `i`, in any of the forms ls prints (see the
// header); the index of its last token, or -1.
int readDate(const Tokens &tokens, int i, const FtpListDate &today, FtpListDate &date)
{
    date = FtpListDate();
    const int left = tokens.count - i;
    const QByteArrayView first = tokens.at(i);
    if (first.isEmpty())
        return -1;

    if (isDigit(first[0])) {
        // ISO: "2024-01-08 10:53", "2024-01-08 10:53:07.123456789 +0800",
        // "2024-01-08" (older files), "01-08 10:53" (recent files).
        if (FtpDateTokens::isoDate(first, date)) {
            if (left > 1 && FtpDateTokens::time(tokens.at(i + 1), date))
                return left > 2 && FtpDateTokens::zone(tokens.at(i + 2)) ? i + 2 : i + 1;
            return i;
        }
        if (left > 1 && FtpDateTokens::monthDay(first, date) &&
            FtpDateTokens::time(tokens.at(i + 1), date)) {
            guessYear(date, today);
            return i + 1;
        }
        // Numbers with CJK units: "2023年12月18日", "12月18日 10:53",
        // "2023年1月 8日", Korean "2023년 1월 8일".
        FtpDateTokens::Parts parts;
        if (FtpDateTokens::units(first, parts) && (parts.year || parts.day)) {
            date.year = parts.year;
            date.month = parts.month;
            date.day = parts.day;
            if (parts.year && parts.month && parts.day)
                return date.isValid() ? i : -1;
            if (parts.year && parts.month && left > 1) {
                date.day = FtpDateTokens::day(tokens.at(i + 1));
                return date.day ? i + 1 : -1;
            }
            if (parts.year && !parts.month && left > 2) {
                date.month = FtpDateTokens::month(tokens.at(i + 1));
                date.day = FtpDateTokens::day(tokens.at(i + 2));
                return date.month && date.day ? i + 2 : -1;
            }
            if (!parts.year && parts.month && left > 1)
                return finishWithYearOrTime(tokens.at(i + 1), today, date) ? i + 1 : -1;
            return -1;
        }
    }
    if (left < 3)
        return -1;
    // Month, day, then year or time: "Dec  8 10:53", "12月  8 10:53",
    // "1月 08 2023", "12月 8日 10:53", "1월  8일  10:53".
    date.day = FtpDateTokens::day(tokens.at(i + 1));
    if (date.day && (date.month = FtpDateTokens::month(first)) != 0)
        return finishWithYearOrTime(tokens.at(i + 2), today, date) ? i + 2 : -1;
    // Day, month, then year or time: "8 déc. 10:53", "8. Dez 2023".
    date.day = FtpDateTokens::day(first);
    if (date.day && (date.month = FtpDateTokens::month(tokens.at(i + 1))) != 0)
        return finishWithYearOrTime(tokens.at(i + 2), today, date) ? i + 2 : -1;
    return -1;
}

// "d????????? ? ? ? ?            ? name": an entry ls could not look at (no
// permission to read it). Its kind and name are known; its size, date and
// permissions are not.
bool readUnknownEntry(const Tokens &tokens, FtpListLine &out)
{
    const QByteArrayView mode = tokens.at(0);
    if (tokens.count < 7 || mode.size() != 10 || mode.sliced(1) != "?????????")
        return false;
    for (int i = 1; i <= 5; ++i)
        if (tokens.at(i) != "?")
            return false;
    out.kind = kindOf(mode[0]);
    out.size = out.kind == 'd' ? 0 : -1;
    // After exactly one blank, as with any other date.
    out.name = tokens.line.sliced(tokens.end[5] + 1);
    return true;
}

} // namespace

bool FtpUnixListParser::parse(QByteArrayView line, const FtpListDate &today, FtpListLine &out)
{
    out = FtpListLine();
    Tokens tokens;
    tokens.line = line;
    const char *const start = line.data();
    const char *const stop = start + line.size();
    for (const char *p = start; tokens.count < MaxTokens;) {
        while (p != stop && isBlank(*p))
            ++p;
        if (p == stop)
            break;
        tokens.begin[tokens.count] = p - start;
        while (p != stop && !isBlank(*p))
            ++p;
        tokens.end[tokens.count++] = p - start;
    }
    if (isTotalLine(tokens)) {
        out.skip = true;
        return true;
    }
    if (tokens.count < 5)
        return false;
    if (readUnknownEntry(tokens, out))
        return true;
    const QByteArrayView mode = tokens.at(0);
    if (mode.size() < 10 || mode.size() > 11 ||
        !readPermissions(mode.sliced(1, 9), out.permissions))
        return false;
    out.kind = kindOf(mode[0]);

    int lastDateToken = -1;
    for (int i = 2; i < tokens.count && lastDateToken < 0; ++i) {
        FtpListDate date;
        const int last = readDate(tokens, i, today, date);
        if (last < 0 || !readSize(tokens.at(i - 1), out.kind, out.size))
            continue;
        out.date = date;
        lastDateToken = last;
    }
    if (lastDateToken < 0) {
        // A date in a form not known here: the entry is still listed, with
        // no date, taking the date as the three fields after the size, as
        // ls prints it (the size after owner and group, or after the owner).
        int sizeToken = -1;
        if (tokens.count >= 9 && readSize(tokens.at(4), out.kind, out.size))
            sizeToken = 4;
        else if (tokens.count >= 8 && readSize(tokens.at(3), out.kind, out.size))
            sizeToken = 3;
        if (sizeToken < 0)
            return false;
        lastDateToken = sizeToken + 3;
    }
    // Devices show "major, minor" where files show the size.
    if (out.kind == 'c' || out.kind == 'b')
        out.size = 0;
    // The name starts after exactly one blank: leading blanks belong to it.
    // German dates of older files ("8. Dez 2023 ") end in a blank of their
    // own, which lines them up with "8. Dez 10:53".
    qsizetype nameStart = tokens.end[lastDateToken] + 1;
    const QByteArrayView first = tokens.at(lastDateToken - 2 >= 0 ? lastDateToken - 2 : 0);
    if (out.date.hour < 0 && first.endsWith('.') && nameStart < line.size() &&
        line[nameStart] == ' ' && FtpDateTokens::day(first))
        ++nameStart;
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
