#include "ftp/FtpDateTokens.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of 1 to `maxDigits` leading digits, and how many there were.
int leadingNumber(QByteArrayView text, int maxDigits, qsizetype &length)
{
    int value = 0;
    length = 0;
    while (length < text.size() && isDigit(text[length])) {
        if (++length > maxDigits)
            return -1;
        value = value * 10 + (text[length - 1] - '0');
    }
    return length > 0 ? value : -1;
}

enum class Unit
{
    None,
    Year,
    Month,
    Day
};

struct UnitSpelling
{
    Unit unit;
    QByteArrayView bytes;
};

// 年 月 日 in UTF-8, GBK (and GB18030), Big5, Shift_JIS and EUC-JP; 년 월 일 in
// UTF-8 and EUC-KR.
constexpr UnitSpelling Units[] = {
    {Unit::Year, "\xE5\xB9\xB4"},  {Unit::Year, "\xC4\xEA"},      {Unit::Year, "\xA6\x7E"},
    {Unit::Year, "\x94\x4E"},      {Unit::Year, "\xC7\xAF"},      {Unit::Year, "\xEB\x85\x84"},
    {Unit::Year, "\xB3\xE2"},      {Unit::Month, "\xE6\x9C\x88"}, {Unit::Month, "\xD4\xC2"},
    {Unit::Month, "\xA4\xEB"},     {Unit::Month, "\x8C\x8E"},     {Unit::Month, "\xB7\xEE"},
    {Unit::Month, "\xEC\x9B\x94"}, {Unit::Month, "\xBF\xF9"},     {Unit::Day, "\xE6\x97\xA5"},
    {Unit::Day, "\xC8\xD5"},       {Unit::Day, "\xA4\xE9"},       {Unit::Day, "\x93\xFA"},
    {Unit::Day, "\xC6\xFC"},       {Unit::Day, "\xEC\x9D\xBC"},   {Unit::Day, "\xC0\xCF"},
};

// The unit `text` starts with, and its length in bytes.
Unit unitAt(QByteArrayView text, qsizetype &length)
{
    // Every spelling starts with a byte of 0x80 or more: owner names, sizes
    // and English months leave at once (this runs for most tokens of a line).
    if (text.isEmpty() || static_cast<unsigned char>(text[0]) < 0x80)
        return Unit::None;
    for (const UnitSpelling &spelling : Units) {
        if (text.startsWith(spelling.bytes)) {
            length = spelling.bytes.size();
            return spelling.unit;
        }
    }
    return Unit::None;
}

struct MonthName
{
    int month;
    QByteArrayView name; // lower case, without a final "."
};

// Month names as `ls` abbreviates them in German, French, Spanish, Italian,
// Portuguese, Dutch, Swedish, Polish and Russian (UTF-8, and Latin-1 where the
// name is not plain ASCII), besides English.
constexpr MonthName MonthNames[] = {
    {1, "janv"},
    {1, "ene"},
    {1, "gen"},
    {1, "sty"},
    {1, "\xD1\x8F\xD0\xBD\xD0\xB2"},
    {2, "f\xC3\xA9vr"},
    {2, "f\xE9vr"},
    {2, "fev"},
    {2, "lut"},
    {2, "\xD1\x84\xD0\xB5\xD0\xB2"},
    {3, "m\xC3\xA4r"},
    {3, "m\xE4r"},
    {3, "mars"},
    {3, "mrt"},
    {3, "\xD0\xBC\xD0\xB0\xD1\x80"},
    {4, "avr"},
    {4, "avril"},
    {4, "abr"},
    {4, "kwi"},
    {4, "\xD0\xB0\xD0\xBF\xD1\x80"},
    {5, "mai"},
    {5, "mag"},
    {5, "mei"},
    {5, "maj"},
    {5, "\xD0\xBC\xD0\xB0\xD1\x8F"},
    {5, "\xD0\xBC\xD0\xB0\xD0\xB9"},
    {6, "juin"},
    {6, "giu"},
    {6, "cze"},
    {6, "\xD0\xB8\xD1\x8E\xD0\xBD"},
    {7, "juil"},
    {7, "lug"},
    {7, "lip"},
    {7, "\xD0\xB8\xD1\x8E\xD0\xBB"},
    {8, "ao\xC3\xBBt"},
    {8, "ao\xFBt"},
    {8, "ago"},
    {8, "sie"},
    {8, "\xD0\xB0\xD0\xB2\xD0\xB3"},
    {9, "sept"},
    {9, "set"},
    {9, "wrz"},
    {9, "\xD1\x81\xD0\xB5\xD0\xBD"},
    {10, "okt"},
    {10, "ott"},
    {10, "out"},
    {10, "pa\xC5\xBA"},
    {10, "\xD0\xBE\xD0\xBA\xD1\x82"},
    {11, "lis"},
    {11, "\xD0\xBD\xD0\xBE\xD1\x8F"},
    {12, "d\xC3\xA9\x63"},
    {12, "d\xE9\x63"},
    {12, "dez"},
    {12, "dic"},
    {12, "gru"},
    {12, "\xD0\xB4\xD0\xB5\xD0\xBA"},
    // English in full, as some servers print it.
    {1, "january"},
    {2, "february"},
    {3, "march"},
    {4, "april"},
    {6, "june"},
    {7, "july"},
    {8, "august"},
    {9, "september"},
    {10, "october"},
    {11, "november"},
    {12, "december"},
};

int englishMonth(QByteArrayView text)
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

int namedMonth(QByteArrayView text)
{
    if (text.endsWith('.'))
        text.chop(1);
    if (text.size() < 3 || text.size() > 9)
        return 0;
    char lower[9];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        lower[i] = c >= 'A' && c <= 'Z' ? char(c | 0x20) : c;
    }
    const QByteArrayView folded(lower, text.size());
    for (const MonthName &entry : MonthNames)
        if (entry.name == folded)
            return entry.month;
    return 0;
}

} // namespace

bool FtpDateTokens::units(QByteArrayView token, Parts &parts)
{
    parts = Parts();
    qsizetype pos = 0;
    bool any = false;
    while (pos < token.size()) {
        qsizetype digits = 0;
        const int value = leadingNumber(token.sliced(pos), 4, digits);
        if (value < 0)
            return false;
        pos += digits;
        qsizetype length = 0;
        switch (unitAt(token.sliced(pos), length)) {
        case Unit::Year:
            if (digits != 4 || parts.year || parts.month || parts.day)
                return false;
            parts.year = value;
            break;
        case Unit::Month:
            if (value < 1 || value > 12 || parts.month || parts.day)
                return false;
            parts.month = value;
            break;
        case Unit::Day:
            if (value < 1 || value > 31 || parts.day || (parts.year && !parts.month))
                return false;
            parts.day = value;
            break;
        case Unit::None:
            return false;
        }
        pos += length;
        any = true;
    }
    return any;
}

int FtpDateTokens::month(QByteArrayView token)
{
    if (token.isEmpty())
        return 0;
    if (isDigit(token[0])) {
        Parts parts;
        return units(token, parts) && !parts.year && !parts.day ? parts.month : 0;
    }
    const int english = englishMonth(token);
    return english ? english : namedMonth(token);
}

int FtpDateTokens::day(QByteArrayView token)
{
    qsizetype digits = 0;
    const int value = leadingNumber(token, 2, digits);
    if (value < 1 || value > 31)
        return 0;
    if (digits == token.size() || (digits + 1 == token.size() && token[digits] == '.'))
        return value;
    Parts parts;
    return units(token, parts) && !parts.year && !parts.month ? parts.day : 0;
}

int FtpDateTokens::year(QByteArrayView token)
{
    qsizetype digits = 0;
    const int value = leadingNumber(token, 4, digits);
    if (digits != 4 || value < 1)
        return 0;
    if (digits == token.size())
        return value;
    Parts parts;
    return units(token, parts) && !parts.month && !parts.day ? parts.year : 0;
}

bool FtpDateTokens::time(QByteArrayView token, FtpListDate &date)
{
    qsizetype digits = 0;
    const int hour = leadingNumber(token, 2, digits);
    if (hour < 0 || hour > 23 || digits >= token.size() || token[digits] != ':')
        return false;
    QByteArrayView rest = token.sliced(digits + 1);
    qsizetype minuteDigits = 0;
    const int minute = leadingNumber(rest, 2, minuteDigits);
    if (minuteDigits != 2 || minute > 59)
        return false;
    rest = rest.sliced(2);
    if (!rest.isEmpty()) {
        // Seconds, and the fraction `ls --full-time` adds.
        qsizetype secondDigits = 0;
        if (rest[0] != ':' || leadingNumber(rest.sliced(1), 2, secondDigits) > 60 ||
            secondDigits != 2)
            return false;
        rest = rest.sliced(3);
        if (!rest.isEmpty()) {
            if (rest[0] != '.' || rest.size() == 1)
                return false;
            for (char c : rest.sliced(1))
                if (!isDigit(c))
                    return false;
        }
    }
    date.hour = hour;
    date.minute = minute;
    return true;
}

bool FtpDateTokens::timeOrYear(QByteArrayView token, FtpListDate &date)
{
    const int value = year(token);
    if (value > 0) {
        date.year = value;
        return true;
    }
    return time(token, date);
}

bool FtpDateTokens::isoDate(QByteArrayView token, FtpListDate &date)
{
    if (token.size() != 10 || (token[4] != '-' && token[4] != '/') || token[7] != token[4])
        return false;
    qsizetype digits = 0;
    const int y = leadingNumber(token, 4, digits);
    if (digits != 4)
        return false;
    const int m = leadingNumber(token.sliced(5), 2, digits);
    if (digits != 2)
        return false;
    const int d = leadingNumber(token.sliced(8), 2, digits);
    if (digits != 2)
        return false;
    FtpListDate parsed = date;
    parsed.year = y;
    parsed.month = m;
    parsed.day = d;
    if (!parsed.isValid())
        return false;
    date = parsed;
    return true;
}

bool FtpDateTokens::monthDay(QByteArrayView token, FtpListDate &date)
{
    if (token.size() != 5 || token[2] != '-')
        return false;
    qsizetype digits = 0;
    const int m = leadingNumber(token, 2, digits);
    if (digits != 2 || m < 1 || m > 12)
        return false;
    const int d = leadingNumber(token.sliced(3), 2, digits);
    if (digits != 2 || d < 1 || d > 31)
        return false;
    date.month = m;
    date.day = d;
    return true;
}

bool FtpDateTokens::zone(QByteArrayView token)
{
    if (token.size() != 5 || (token[0] != '+' && token[0] != '-'))
        return false;
    for (char c : token.sliced(1))
        if (!isDigit(c))
            return false;
    return true;
}
