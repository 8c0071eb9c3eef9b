#pragma once

#include "panes/FileListModel.h"

#include <QLocale>
#include <QString>
#include <QVector>

class QDateTime;

// Reads one local directory into the rows of the local pane. System entries
// are never listed: on Linux nothing that is not a plain file or directory
// (devices, sockets, fifos, broken links). Hidden entries (dot files) only
// when asked for, so a lone ".htaccess" can be uploaded.
// The date patterns are worked out once, so a directory of 100 000 entries
// costs one stat and one formatting call per entry.
class LocalListing
{
public:
    explicit LocalListing(const QLocale &locale = QLocale());

    struct Entries
    {
        QVector<FileRow> folders;
        QVector<FileRow> files;
    };

    // The entries of `dir` (normalised, ending in the separator), each group
    // in the order the file system yields them. Tags are `dir` followed by
    // the name; times are the local wall clock (held as UTC values, so that
    // nothing converts them again). A directory that cannot be read gives
    // no entries.
    Entries read(const QString &dir) const;

    // The modification time as the pane shows it: the locale's short date,
    // one blank and its long time without the time zone; the date alone at
    // exactly midnight.
    QString dateText(const QDateTime &modified) const;
    // The same of a row's time (a wall clock held as UTC).
    QString wallClockText(const QDateTime &wallClock) const;

    bool showsHiddenFiles() const { return showHidden; }
    void setShowHiddenFiles(bool show) { showHidden = show; }

private:
    QLocale locale;
    QString datePattern;
    QString dateTimePattern;
    bool showHidden = false;
};
