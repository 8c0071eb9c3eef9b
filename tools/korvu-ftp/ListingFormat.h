#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

struct RemoteEntry;

// The lines of `korvu-ftp ls`: kind, size, permissions, date and name,
// separated by tabs, in UTF-8.
namespace ListingFormat {

// Appends the line of `entry`, with its line end, to `out`.
void appendLine(const RemoteEntry &entry, QByteArray &out);
// The name as a line shows it: a backslash as "\\", tab, CR and LF as "\t",
// "\r", "\n", any other control character as "\xHH". A name without those
// (nearly all) is shown as it is, so scripts can pass it back.
QString escapedName(const QString &name);
// The other way, for names typed as arguments: every backslash starts one
// of those escapes ("\xHH" with two hex digits in either case). Nothing
// when `text` holds another backslash, which would be a guess.
std::optional<QString> unescapedName(const QString &text);

} // namespace ListingFormat
