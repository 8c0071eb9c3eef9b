#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QTimeZone>
#include <QVector>

// One entry of a folder as a comparison sees it.
struct CompareEntry
{
    enum class Kind : quint8
    {
        File,
        Folder,
        Other, // a link not yet looked into, a device: only whether it is there counts
    };
    // How finely the time was given: a Unix listing gives minutes for recent
    // files and only the day for older ones.
    enum class Precision : quint8
    {
        Second,
        Minute,
        Day,
    };

    QString name;
    Kind kind = Kind::File;
    qint64 size = -1; // bytes; -1 unknown
    QDateTime time;   // invalid: unknown
    Precision precision = Precision::Second;
    // The time is a reading of the server's clock without its zone (FTP's
    // LIST), held as if it were UTC. Otherwise it is a true point in time
    // (local files, MLSD and MDTM, SFTP).
    bool wallClock = false;
};

// What a row of one side is, against the other side.
enum class CompareMark : quint8
{
    Same,
    OnlyHere,
    KindDiffers, // a folder on one side, a file on the other
    SizeDiffers,
    Newer,
    Older,
};

// The rules that compare two folders entry by entry, matched by exact name
// (servers tell "readme.txt" from "README.TXT"):
// - an entry on one side only is marked there;
// - files of different sizes (both known) differ in size, whatever the times;
// - otherwise the later time is newer. A time given to the minute or the day
//   stands for the whole minute or day it names, and one second more is
//   allowed for clocks that round: only times whose spans do not meet
//   differ;
// - a server clock without a zone is compared with the other side read on
//   that clock (`wallClockZone`), since no point in time can be had from it;
// - folders are not looked into: one on each side is the same.
class DirectoryComparison
{
public:
    explicit DirectoryComparison(const QTimeZone &wallClockZone = QTimeZone::systemTimeZone());

    // Every entry of each side with its mark, by name.
    struct Marks
    {
        QHash<QString, CompareMark> left;
        QHash<QString, CompareMark> right;
    };
    Marks compare(const QVector<CompareEntry> &left, const QVector<CompareEntry> &right) const;

    // The mark of `a` against `b`, two entries of the same name.
    CompareMark markOf(const CompareEntry &a, const CompareEntry &b) const;

private:
    struct Span
    {
        qint64 start; // ms since the epoch, on the chosen clock
        qint64 end;
    };
    Span spanOf(const CompareEntry &entry, bool onWallClock) const;

    QTimeZone zone;
};
