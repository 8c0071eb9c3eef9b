#include "compare/DirectoryComparison.h"

namespace {

constexpr qint64 SecondMs = 1000;
constexpr qint64 MinuteMs = 60 * SecondMs;
constexpr qint64 DayMs = 24 * 60 * MinuteMs;
// What clocks that round instead of cutting, or file systems that keep two
// seconds, may put between two times of the same change.
constexpr qint64 SlackMs = SecondMs;

qint64 lengthOf(CompareEntry::Precision precision)
{
    switch (precision) {
    case CompareEntry::Precision::Second:
        return SecondMs;
    case CompareEntry::Precision::Minute:
        return MinuteMs;
    case CompareEntry::Precision::Day:
        return DayMs;
    }
    return SecondMs;
}

bool comparable(const CompareEntry &entry)
{
    return entry.kind == CompareEntry::Kind::File;
}

CompareMark opposite(CompareMark mark)
{
    if (mark == CompareMark::Newer)
        return CompareMark::Older;
    if (mark == CompareMark::Older)
        return CompareMark::Newer;
    return mark;
}

} // namespace

DirectoryComparison::DirectoryComparison(const QTimeZone &wallClockZone) : zone(wallClockZone) {}

DirectoryComparison::Span DirectoryComparison::spanOf(const CompareEntry &entry,
                                                      bool onWallClock) const
{
    QDateTime time = entry.time;
    if (onWallClock && !entry.wallClock) {
        // The reading the server's clock would have shown at that moment.
        const QDateTime there = time.toTimeZone(zone);
        time = QDateTime(there.date(), there.time(), Qt::UTC);
    }
    const qint64 length = lengthOf(entry.precision);
    qint64 start = time.toMSecsSinceEpoch();
    // Rounded down to what the precision names, also before 1970.
    start -= ((start % length) + length) % length;
    return {start, start + length};
}

CompareMark DirectoryComparison::markOf(const CompareEntry &a, const CompareEntry &b) const
{
    const bool aFolder = a.kind == CompareEntry::Kind::Folder;
    const bool bFolder = b.kind == CompareEntry::Kind::Folder;
    if (aFolder != bFolder && a.kind != CompareEntry::Kind::Other &&
        b.kind != CompareEntry::Kind::Other)
        return CompareMark::KindDiffers;
    if (!comparable(a) || !comparable(b))
        return CompareMark::Same;
    if (a.size >= 0 && b.size >= 0 && a.size != b.size)
        return CompareMark::SizeDiffers;
    if (!a.time.isValid() || !b.time.isValid())
        return CompareMark::Same;
    const bool onWallClock = a.wallClock || b.wallClock;
    const Span sa = spanOf(a, onWallClock);
    const Span sb = spanOf(b, onWallClock);
    if (sa.start >= sb.end + SlackMs)
        return CompareMark::Newer;
    if (sb.start >= sa.end + SlackMs)
        return CompareMark::Older;
    return CompareMark::Same;
}

DirectoryComparison::Marks DirectoryComparison::compare(const QVector<CompareEntry> &left,
                                                        const QVector<CompareEntry> &right) const
{
    Marks marks;
    QHash<QString, const CompareEntry *> rightByName;
    rightByName.reserve(right.size());
    for (const CompareEntry &entry : right)
        rightByName.insert(entry.name, &entry);
    marks.left.reserve(left.size());
    marks.right.reserve(right.size());
    for (const CompareEntry &entry : left) {
        const CompareEntry *other = rightByName.value(entry.name);
        if (!other) {
            marks.left.insert(entry.name, CompareMark::OnlyHere);
            continue;
        }
        const CompareMark mark = markOf(entry, *other);
        marks.left.insert(entry.name, mark);
        marks.right.insert(entry.name, opposite(mark));
    }
    for (const CompareEntry &entry : right)
        if (!marks.right.contains(entry.name))
            marks.right.insert(entry.name, CompareMark::OnlyHere);
    return marks;
}
