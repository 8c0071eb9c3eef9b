#include "ftp/FtpMlsdParser.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool equalsNoCase(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() && equalsNoCase(text.first(prefix.size()), prefix);
}

qint64 toNumber(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18)
        return -1;
    qint64 value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Octal mode text to its digits read as decimal: "0755" -> 755, "04755" -> 4755.
int modeValue(QByteArrayView text)
{
    if (startsWithNoCase(text, "0o"))
        text = text.sliced(2);
    int bits = 0;
    for (char c : text) {
        if (c < '0' || c > '7' || bits > 07777)
            return 0;
        bits = bits * 8 + (c - '0');
    }
    bits &= 07777;
    return ((bits >> 9) & 7) * 1000 + ((bits >> 6) & 7) * 100 + ((bits >> 3) & 7) * 10 + (bits & 7);
}

char kindOfType(QByteArrayView type, bool &skip)
{
    if (equalsNoCase(type, "file"))
        return '-';
    if (equalsNoCase(type, "dir"))
        return 'd';
    if (equalsNoCase(type, "cdir") || equalsNoCase(type, "pdir")) {
        skip = true;
        return 'd';
    }
    if (startsWithNoCase(type, "OS.unix=")) {
        const QByteArrayView what = type.sliced(8);
        if (startsWithNoCase(what, "slink") || startsWithNoCase(what, "symlink"))
            return 'l';
        if (startsWithNoCase(what, "chr"))
            return 'c';
        if (startsWithNoCase(what, "blk"))
            return 'b';
        if (startsWithNoCase(what, "fifo"))
            return 'p';
        if (startsWithNoCase(what, "socket"))
            return 's';
    }
    return '?';
}

// "20261208134501" or "20261208134501.123".
void readModify(QByteArrayView text, FtpListDate &date)
{
    if (text.size() < 12)
        return;
    for (int i = 0; i < 12; ++i)
        if (!isDigit(text[i]))
            return;
    FtpListDate parsed;
    parsed.year = int(toNumber(text.first(4)));
    parsed.month = int(toNumber(text.sliced(4, 2)));
    parsed.day = int(toNumber(text.sliced(6, 2)));
    parsed.hour = int(toNumber(text.sliced(8, 2)));
    parsed.minute = int(toNumber(text.sliced(10, 2)));
    if (parsed.isValid() && parsed.hour < 24 && parsed.minute < 60)
        date = parsed;
}

} // namespace

bool FtpMlsdParser::parse(QByteArrayView line, FtpListLine &out)
{
    out = FtpListLine();
    const qsizetype blank = line.indexOf(' ');
    if (blank < 0 || blank + 1 >= line.size())
        return false;
    out.name = line.sliced(blank + 1);
    const QByteArrayView facts = line.first(blank);
    bool typed = false;
    // The size fact is optional: a file without one (or with one that cannot
    // be read) has an unknown size, not 0.
    bool sized = false;
    qsizetype pos = 0;
    while (pos < facts.size()) {
        qsizetype end = facts.indexOf(';', pos);
        if (end < 0)
            end = facts.size();
        const QByteArrayView fact = facts.sliced(pos, end - pos);
        pos = end + 1;
        const qsizetype equals = fact.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArrayView key = fact.first(equals);
        const QByteArrayView value = fact.sliced(equals + 1);
        if (equalsNoCase(key, "type")) {
            out.kind = kindOfType(value, out.skip);
            typed = true;
        } else if (equalsNoCase(key, "size") || equalsNoCase(key, "sizd")) {
            out.size = toNumber(value);
            sized = out.size >= 0;
        } else if (equalsNoCase(key, "modify")) {
            readModify(value, out.date);
        } else if (equalsNoCase(key, "unix.mode")) {
            out.permissions = modeValue(value);
        } else if (equalsNoCase(key, "unique")) {
            out.unique = value;
        }
    }
    if (!sized)
        out.size = out.kind == '-' ? -1 : 0;
    // Facts must be "key=value;" pairs; a line without any is not MLSD.
    return typed || facts.contains('=');
}
