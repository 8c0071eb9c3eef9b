#include "ListingFormat.h"

#include "remote/RemoteEntry.h"

#include <algorithm>
#include <charconv>

namespace ListingFormat {

namespace {

bool needsEscape(char16_t c)
{
    return c < 0x20 || c == 0x7F || c == u'\\' || (c >= 0x80 && c < 0xA0);
}

// Plain ASCII, most names, is copied as it is: no UTF-8 text of its own for
// every line of a long listing.
void appendUtf8(const QString &text, QByteArray &out)
{
    if (!std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; })) {
        out += text.toUtf8();
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + text.size());
    std::transform(text.cbegin(), text.cend(), out.data() + at,
                   [](QChar c) { return char(c.unicode()); });
}

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
}

} // namespace

QString escapedName(const QString &name)
{
    if (std::none_of(name.cbegin(), name.cend(), [](QChar c) { return needsEscape(c.unicode()); }))
        return name;
    QString escaped;
    escaped.reserve(name.size() + 8);
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (!needsEscape(u))
            escaped += c;
        else if (u == u'\\')
            escaped += QLatin1String("\\\\");
        else if (u == u'\t')
            escaped += QLatin1String("\\t");
        else if (u == u'\r')
            escaped += QLatin1String("\\r");
        else if (u == u'\n')
            escaped += QLatin1String("\\n");
        else
            escaped += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
    }
    return escaped;
}

std::optional<QString> unescapedName(const QString &text)
{
    if (!text.contains(QLatin1Char('\\')))
        return text;
    QString name;
    name.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\\')) {
            name += text[i];
            continue;
        }
        const QChar next = ++i < text.size() ? text[i] : QChar();
        if (next == QLatin1Char('\\')) {
            name += next;
        } else if (next == QLatin1Char('t')) {
            name += QLatin1Char('\t');
        } else if (next == QLatin1Char('r')) {
            name += QLatin1Char('\r');
        } else if (next == QLatin1Char('n')) {
            name += QLatin1Char('\n');
        } else if (next == QLatin1Char('x')) {
            const QString digits = text.mid(i + 1, 2);
            if (digits.size() != 2 || !isHexDigit(digits[0]) || !isHexDigit(digits[1]))
                return std::nullopt;
            name += QChar(digits.toUShort(nullptr, 16));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return name;
}

void appendLine(const RemoteEntry &entry, QByteArray &out)
{
    // Without a text per field: ls of 100 000 entries prints about as fast
    // as the listing arrives.
    char field[24];
    const auto appendNumber = [&](qint64 value) {
        out.append(field, std::to_chars(field, field + sizeof field, value).ptr - field);
    };
    out += entry.type;
    out += '\t';
    if (entry.size >= 0)
        appendNumber(entry.size);
    out += '\t';
    appendNumber(entry.permissions);
    out += '\t';
    out.append(field, entry.writeDate(field));
    out += '\t';
    appendUtf8(escapedName(entry.name), out);
    out += '\n';
}

} // namespace ListingFormat
