#include "ftp/FtpDosListParser.h"

#include <algorithm>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The next blank-separated field from `pos`, which moves past it.
QByteArrayView nextField(QByteArrayView line, qsizetype &pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    const qsizetype begin = pos;
    while (pos < line.size() && !isBlank(line[pos]))
        ++pos;
    return line.sliced(begin, pos - begin);
}

int twoDigits(QByteArrayView text, qsizetype at)
{
    if (at + 1 >= text.size() || !isDigit(text[at]) || !isDigit(text[at + 1]))
        return -1;
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// "12-08-26", "12-08-2026", and year first "2026-12-08" (IIS in its
// other date style, Windows servers in Chinese); also with slashes. With
// dots the day comes first, as Windows writes it in Europe: "08.01.2024",
// "08.01.24".
bool readDate(QByteArrayView text, FtpListDate &date)
{
    const bool dayFirst = text.size() > 2 && text[2] == '.';
    if (text.size() == 10 && (text[4] == '-' || text[4] == '/') && text[7] == text[4]) {
        const int high = twoDigits(text, 0);
        const int low = twoDigits(text, 2);
        if (high < 0 || low < 0)
            return false;
        date.year = high * 100 + low;
        date.month = twoDigits(text, 5);
        date.day = twoDigits(text, 8);
        return date.isValid();
    }
    if ((text.size() != 8 && text.size() != 10) ||
        (text[2] != '-' && text[2] != '/' && text[2] != '.') || text[5] != text[2])
        return false;
    date.month = twoDigits(text, dayFirst ? 3 : 0);
    date.day = twoDigits(text, dayFirst ? 0 : 3);
    if (text.size() == 8) {
        const int year = twoDigits(text, 6);
        if (year < 0)
            return false;
        date.year = year < 70 ? 2000 + year : 1900 + year;
    } else {
        const int high = twoDigits(text, 6);
        const int low = twoDigits(text, 8);
        if (high < 0 || low < 0)
            return false;
        date.year = high * 100 + low;
    }
    return date.isValid();
}

// "01:45PM", "13:45", "13:45:07"; `suffix` is a separate "PM" field when there is one.
bool readTime(QByteArrayView text, QByteArrayView suffix, FtpListDate &date)
{
    if (text.size() < 4 || !isDigit(text[0]))
        return false;
    const qsizetype colon = text.indexOf(':');
    if (colon < 1 || colon > 2)
        return false;
    int hour = colon == 1 ? text[0] - '0' : twoDigits(text, 0);
    const int minute = twoDigits(text, colon + 1);
    if (hour < 0 || minute < 0 || minute > 59)
        return false;
    QByteArrayView marker = text.sliced(colon + 3);
    // Seconds: "13:45:07".
    if (marker.size() >= 3 && marker[0] == ':' && twoDigits(marker, 1) >= 0 &&
        twoDigits(marker, 1) < 61)
        marker = marker.sliced(3);
    if (marker.isEmpty())
        marker = suffix;
    if (!marker.isEmpty()) {
        const char m = char(marker[0] | 0x20);
        if (marker.size() != 2 || (m != 'a' && m != 'p') || char(marker[1] | 0x20) != 'm' ||
            hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (m == 'p' ? 12 : 0);
    }
    if (hour > 23)
        return false;
    date.hour = hour;
    date.minute = minute;
    return true;
}

// "1234567", "1,234,567" or, in Europe, "1.234.567". A size that cannot be
// held (negative, more than 18 digits) is -1, unknown; the entry stays.
bool readSize(QByteArrayView text, qint64 &size)
{
    const bool negative = text.startsWith('-');
    if (negative)
        text = text.sliced(1);
    size = 0;
    int digits = 0;
    for (char c : text) {
        if (c == ',' || c == '.')
            continue;
        if (!isDigit(c))
            return false;
        if (++digits <= 18)
            size = size * 10 + (c - '0');
    }
    if (negative || digits > 18)
        size = -1;
    return digits > 0;
}

// What a "<...>" field says an entry is: 'd' a folder, 'l' a junction or
// symbolic link (Windows shows where it leads in brackets after the name);
// 0 for a size.
char tagKind(QByteArrayView field)
{
    static const QByteArrayView folders[] = {"<DIR>"};
    static const QByteArrayView links[] = {"<JUNCTION>", "<SYMLINKD>", "<SYMLINK>"};
    for (QByteArrayView tag : folders)
        if (field.compare(tag, Qt::CaseInsensitive) == 0)
            return 'd';
    for (QByteArrayView tag : links)
        if (field.compare(tag, Qt::CaseInsensitive) == 0)
            return 'l';
    return 0;
}

// Where the blanks starting at `pos` end.
qsizetype blanksFrom(QByteArrayView line, qsizetype pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    return pos;
}

// How far the name starts after the start of a "<DIR>" field, in IIS and
// Windows listings alike.
constexpr qsizetype TagColumns = 15;

} // namespace

bool FtpDosListParser::parse(QByteArrayView line, FtpListLine &out)
{
    out = FtpListLine();
    qsizetype pos = 0;
    if (!readDate(nextField(line, pos), out.date))
        return false;
    const QByteArrayView time = nextField(line, pos);
    QByteArrayView third = nextField(line, pos);
    QByteArrayView suffix;
    if (third.size() == 2 && !isDigit(third[0]) && third[0] != '<') {
        suffix = third;
        third = nextField(line, pos);
    }
    if (!readTime(time, suffix, out.date))
        return false;
    const qsizetype fieldStart = pos - third.size();
    qsizetype nameStart = pos + 1;
    const char kind = tagKind(third);
    if (kind) {
        out.kind = kind;
        // The tag is padded to 14 columns, then one blank: what lies past
        // that is the name's, leading blanks included. Servers that pad
        // otherwise get their name from the first character after the tag.
        nameStart = fieldStart + TagColumns;
        if (nameStart > line.size() ||
            !std::all_of(line.begin() + pos, line.begin() + nameStart, isBlank))
            nameStart = blanksFrom(line, pos);
    } else if (readSize(third, out.size)) {
        out.kind = '-';
    } else {
        return false;
    }
    if (nameStart >= line.size())
        return false;
    out.name = line.sliced(nameStart);
    // "Users [C:\Users]": a link shows where it leads after its name.
    if (kind == 'l' && out.name.endsWith(']')) {
        const qsizetype open = out.name.lastIndexOf(" [");
        if (open > 0)
            out.name = out.name.first(open);
    }
    return true;
}
