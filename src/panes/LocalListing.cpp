#include "panes/LocalListing.h"

#include "panes/FileIcons.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>

namespace {
// The long time pattern without its time-zone field ("h:mm:ss AP t" →
// "h:mm:ss AP"): a file's time reads like a clock, and naming the zone costs
// a time-zone lookup per row.
QString withoutTimeZone(const QString &pattern)
{
    QString kept;
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('t'))
            continue;
        kept.append(c);
    }
    return kept.simplified();
}
} // namespace

LocalListing::LocalListing(const QLocale &locale)
    : locale(locale), datePattern(locale.dateFormat(QLocale::ShortFormat)),
      dateTimePattern(datePattern + QLatin1Char(' ') +
                      withoutTimeZone(locale.timeFormat(QLocale::LongFormat)))
{}

QString LocalListing::dateText(const QDateTime &modified) const
{
    const QTime time = modified.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return locale.toString(modified.date(), datePattern);
    return locale.toString(modified, dateTimePattern);
}

LocalListing::Entries LocalListing::read(const QString &dir) const
{
    static const QString folderKey = QStringLiteral("FolderClose");
    Entries entries;
    // Without QDir::Hidden and QDir::System the iterator leaves out exactly
    // the entries the pane never shows.
    QDirIterator it(dir, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        FileRow row;
        row.text = info.fileName();
        row.tag = dir + row.text;
        const QDateTime modified = info.lastModified();
        if (modified.isValid())
            row.setSubItem(2, dateText(modified));
        if (info.isDir()) {
            // A folder's own length says nothing about its contents: the
            // size cell stays empty.
            row.iconKey = folderKey;
            entries.folders.append(std::move(row));
        } else {
            SetFileIcon(row);
            row.setSubItem(1, QString::number(info.size()));
            entries.files.append(std::move(row));
        }
    }
    return entries;
}
