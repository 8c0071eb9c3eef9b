#include "ftp/FtpVmsListParser.h"

#include "ftp/FtpDateTokens.h"

#include <QByteArrayList>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
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

// The blank-separated fields of a line; an entry has at most six.
struct Fields
{
    static constexpr int Max = 8;
    QByteArrayView at[Max];
    int count = 0;
};

Fields split(QByteArrayView line)
{
    Fields fields;
    qsizetype pos = 0;
    while (fields.count < Fields::Max) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        if (pos == line.size())
            break;
        const qsizetype begin = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
            ++pos;
        fields.at[fields.count++] = line.sliced(begin, pos - begin);
    }
    return fields;
}

bool equalsNoCase(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// "Directory DISK$USER:[JOHN]", "Total of 2 files, 2/6 blocks.", "Grand
// total of 3 directories, 9 files, 12/30 blocks."
bool isHeading(const Fields &fields)
{
    if (fields.count == 2 && equalsNoCase(fields.at[0], "Directory"))
        return fields.at[1].endsWith(']');
    const int first = fields.count > 0 && equalsNoCase(fields.at[0], "Grand") ? 1 : 0;
    return fields.count > first + 2 && equalsNoCase(fields.at[first], "Total") &&
           equalsNoCase(fields.at[first + 1], "of") && isDigit(fields.at[first + 2][0]);
}

// "BUILD.COM;12": a name, a semicolon and a version number.
bool isVersionedName(QByteArrayView field)
{
    const qsizetype semicolon = field.lastIndexOf(';');
    if (semicolon < 1 || !allDigits(field.sliced(semicolon + 1)))
        return false;
    for (char c : field.first(semicolon))
        if (c == ';' || c == '[' || c == ']' || c == '/')
            return false;
    return true;
}

// "1/3" (blocks used and allocated) or "1".
bool isBlockCount(QByteArrayView field)
{
    const qsizetype slash = field.indexOf('/');
    if (slash < 0)
        return allDigits(field);
    return allDigits(field.first(slash)) && allDigits(field.sliced(slash + 1));
}

// "8-JAN-2024".
bool readDate(QByteArrayView field, FtpListDate &date)
{
    const qsizetype first = field.indexOf('-');
    if (first < 1 || field.size() != first + 9 || field[first + 4] != '-')
        return false;
    date.day = FtpDateTokens::day(field.first(first));
    date.month = FtpDateTokens::month(field.sliced(first + 1, 3));
    date.year = FtpDateTokens::year(field.sliced(first + 5));
    return date.day > 0 && date.isValid();
}

// "(RWED,RWED,RE,)": the rights of system, owner, group and world; the
// last three as octal digits read as decimal (RWED,RE,R: 754).
int permissionsOf(QByteArrayView field)
{
    if (!field.startsWith('(') || !field.endsWith(')'))
        return 0;
    const QByteArrayList groups = field.sliced(1, field.size() - 2).toByteArray().split(',');
    if (groups.size() != 4)
        return 0;
    int permissions = 0;
    for (qsizetype i = 1; i < groups.size(); ++i) {
        int rights = 0;
        for (char c : groups.at(i))
            rights |= c == 'R' ? 4 : c == 'W' ? 2 : c == 'E' ? 1 : 0;
        permissions = permissions * 10 + rights;
    }
    return permissions;
}

} // namespace

bool FtpVmsListParser::parse(QByteArrayView line, FtpListLine &out)
{
    out = FtpListLine();
    const Fields fields = split(line);
    if (isHeading(fields)) {
        out.skip = true;
        return true;
    }
    if (fields.count < 3 || !isVersionedName(fields.at[0]) || !isBlockCount(fields.at[1]) ||
        !readDate(fields.at[2], out.date))
        return false;
    if (fields.count > 3)
        FtpDateTokens::time(fields.at[3], out.date);
    out.permissions = permissionsOf(fields.at[fields.count - 1]);
    out.name = fields.at[0];
    const QByteArrayView bare = out.name.first(out.name.lastIndexOf(';'));
    if (bare.size() > 4 && equalsNoCase(bare.last(4), ".DIR")) {
        out.kind = 'd';
        out.name = bare.chopped(4);
        out.size = 0;
    } else {
        out.size = -1;
    }
    return true;
}

bool FtpVmsListParser::isNameOnly(QByteArrayView line)
{
    const Fields fields = split(line);
    return fields.count == 1 && !line.startsWith(' ') && isVersionedName(fields.at[0]);
}
