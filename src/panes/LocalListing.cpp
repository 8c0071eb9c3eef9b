#include "panes/LocalListing.h"

#include <QDateTime>
#include <QFile>
#include <cstring>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#include <time.h>
#else
#include <QDirIterator>
#include <QFileInfo>
#endif

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

bool isMidnight(const QTime &time)
{
    return time.hour() == 0 && time.minute() == 0 && time.second() == 0;
}
} // namespace

LocalListing::LocalListing(const QLocale &locale)
    : locale(locale), datePattern(locale.dateFormat(QLocale::ShortFormat)),
      dateTimePattern(datePattern + QLatin1Char(' ') +
                      withoutTimeZone(locale.timeFormat(QLocale::LongFormat)))
{}

QString LocalListing::dateText(const QDateTime &modified) const
{
    return wallClockText(QDateTime(modified.date(), modified.time(), Qt::UTC));
}

QString LocalListing::wallClockText(const QDateTime &wallClock) const
{
    if (isMidnight(wallClock.time()))
        return locale.toString(wallClock.date(), datePattern);
    // The time is already the local wall clock; as a UTC value the formatter
    // takes it as it is, with no time-zone work.
    return locale.toString(wallClock, dateTimePattern);
}

#ifdef Q_OS_UNIX
// One readdir pass and one fstatat per entry, relative to the open
// directory. Qt's iterator would stat each entry by its full path, and its
// local modification time makes the C library check the system time zone
// file once per entry, which costs more than listing the directory.
LocalListing::Entries LocalListing::read(const QString &dir) const
{
    Entries entries;
    DIR *stream = opendir(QFile::encodeName(dir).constData());
    if (!stream)
        return entries;
    const int fd = dirfd(stream);
    tzset(); // once per listing: picks up a changed system time zone
    while (const dirent *entry = readdir(stream)) {
        // Dot files are the hidden entries here.
        const char *name = entry->d_name;
        if (name[0] == '.' &&
            (!showHidden || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0))
            continue;
        // Links are followed: a link to a folder lists as a folder, a broken
        // link not at all.
        struct stat st;
        if (fstatat(fd, entry->d_name, &st, 0) != 0)
            continue;
        const bool folder = S_ISDIR(st.st_mode);
        if (!folder && !S_ISREG(st.st_mode))
            continue; // devices, sockets and fifos are system entries

        FileRow row;
        row.text = QFile::decodeName(entry->d_name);
        row.tag = dir + row.text;
        const time_t seconds = st.st_mtime;
        struct tm local;
        if (localtime_r(&seconds, &local))
            row.time = QDateTime(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                                 QTime(local.tm_hour, local.tm_min, local.tm_sec), Qt::UTC);
        if (folder) {
            // A folder's own length says nothing about its contents: the
            // size cell stays empty.
            row.kind = EntryKind::Folder;
            entries.folders.append(std::move(row));
        } else {
            row.size = qint64(st.st_size);
            entries.files.append(std::move(row));
        }
    }
    closedir(stream);
    return entries;
}
#else
LocalListing::Entries LocalListing::read(const QString &dir) const
{
    Entries entries;
    // Without QDir::System the iterator leaves out the entries the pane never
    // shows; without QDir::Hidden the hidden ones too.
    const QDir::Filters hidden = showHidden ? QDir::Hidden : QDir::Filters();
    QDirIterator it(dir, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | hidden);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        FileRow row;
        row.text = info.fileName();
        row.tag = dir + row.text;
        const QDateTime modified = info.lastModified();
        if (modified.isValid())
            row.time = QDateTime(modified.date(), modified.time(), Qt::UTC);
        if (info.isDir()) {
            row.kind = EntryKind::Folder;
            entries.folders.append(std::move(row));
        } else {
            row.size = info.size();
            entries.files.append(std::move(row));
        }
    }
    return entries;
}
#endif
