#include "compare/DirectoryComparison.h"

#include <QtTest>

namespace {

// "kind size time precision clock [name]": "f 5 2026-12-08T10:00:00.900 s utc",
// "d - - s utc", "f 5 2026-12-08T10:00 min wall". A time without a zone on
// the "utc" clock is UTC; "-" is unknown.
CompareEntry entryOf(const QString &line)
{
    const QStringList f = line.split(QLatin1Char(' '));
    CompareEntry entry;
    entry.kind = f[0] == "d"   ? CompareEntry::Kind::Folder
                 : f[0] == "l" ? CompareEntry::Kind::Other
                               : CompareEntry::Kind::File;
    entry.size = f[1] == "-" ? -1 : f[1].toLongLong();
    if (f[2] != "-") {
        entry.time = QDateTime::fromString(f[2], Qt::ISODateWithMs);
        entry.time.setTimeZone(QTimeZone::utc());
    }
    entry.precision = f[3] == "day"   ? CompareEntry::Precision::Day
                      : f[3] == "min" ? CompareEntry::Precision::Minute
                                      : CompareEntry::Precision::Second;
    entry.wallClock = f[4] == "wall";
    entry.name = f.size() > 5 ? line.section(QLatin1Char(' '), 5) : QStringLiteral("a");
    return entry;
}

QString word(const QHash<QString, CompareMark> &marks, const QString &name)
{
    static const char *const words[] = {"same", "only", "kind", "size", "newer", "older"};
    return marks.contains(name) ? QString::fromLatin1(words[int(marks.value(name))])
                                : QStringLiteral("-");
}

} // namespace

class TestComparison : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Left is a local file (a point in time, to the millisecond), right
    // what a server listed; `zone` is where a server clock without its
    // own zone is read.
    void marks_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("leftMark");
        QTest::addColumn<QString>("rightMark");
        const QString utc = "UTC";
        QTest::newRow("on the left only") << "f 5 2026-12-08T10:00:00 s utc"
                                          << "" << utc << "only"
                                          << "-";
        QTest::newRow("sizes differ, the times agree")
            << "f 5 2026-12-08T10:00:00 s utc"
            << "f 6 2026-12-08T10:00:00 s utc" << utc << "size"
            << "size";
        QTest::newRow("within the same second") << "f 5 2026-12-08T10:00:00.900 s utc"
                                                << "f 5 2026-12-08T10:00:00 s utc" << utc << "same"
                                                << "same";
        QTest::newRow("a second apart: a clock that rounds")
            << "f 5 2026-12-08T10:00:01.200 s utc"
            << "f 5 2026-12-08T10:00:00 s utc" << utc << "same"
            << "same";
        QTest::newRow("three seconds apart") << "f 5 2026-12-08T10:00:03 s utc"
                                             << "f 5 2026-12-08T10:00:00 s utc" << utc << "newer"
                                             << "older";
        QTest::newRow("a listed minute holds its 59 seconds")
            << "f 5 2026-12-08T10:00:59.999 s utc"
            << "f 5 2026-12-08T10:00 min wall" << utc << "same"
            << "same";
        QTest::newRow("half a minute past the listed minute")
            << "f 5 2026-12-08T10:01:30 s utc"
            << "f 5 2026-12-08T10:00 min wall" << utc << "newer"
            << "older";
        QTest::newRow("the server's clock in Shanghai, the same moment")
            << "f 5 2026-12-08T02:00:30 s utc"
            << "f 5 2026-12-08T10:00 min wall"
            << "Asia/Shanghai"
            << "same"
            << "same";
        QTest::newRow("the same listing read in UTC")
            << "f 5 2026-12-08T02:00:30 s utc"
            << "f 5 2026-12-08T10:00 min wall" << utc << "older"
            << "newer";
        QTest::newRow("MLSD times are UTC wherever the server is")
            << "f 5 2026-12-08T10:00:00 s utc"
            << "f 5 2026-12-08T10:00:00 s utc"
            << "Asia/Shanghai"
            << "same"
            << "same";
        QTest::newRow("an older file listed with its day only")
            << "f 5 2025-03-01T17:00:00 s utc"
            << "f 5 2025-03-01T00:00 day wall" << utc << "same"
            << "same";
        QTest::newRow("the next day") << "f 5 2025-03-02T01:00:00 s utc"
                                      << "f 5 2025-03-01T00:00 day wall" << utc << "newer"
                                      << "older";
        QTest::newRow("the evening before") << "f 5 2025-02-28T23:30:00 s utc"
                                            << "f 5 2025-03-01T00:00 day wall" << utc << "older"
                                            << "newer";
        QTest::newRow("a day before 1970") << "f 5 1969-12-31T12:00:00 s utc"
                                           << "f 5 1969-12-31T00:00 day wall" << utc << "same"
                                           << "same";
        QTest::newRow("a size the server did not give: the times decide")
            << "f 5 2026-12-08T10:05:00 s utc"
            << "f - 2026-12-08T10:00 min wall" << utc << "newer"
            << "older";
        QTest::newRow("no time: equal sizes are all there is")
            << "f 5 - s utc"
            << "f 5 2026-12-08T10:00:00 s utc" << utc << "same"
            << "same";
        QTest::newRow("a folder and a file of one name")
            << "d - - s utc"
            << "f 5 2026-12-08T10:00:00 s utc" << utc << "kind"
            << "kind";
        QTest::newRow("folders are not looked into")
            << "d - 2020-01-01T00:00:00 s utc"
            << "d - 2026-12-08T10:00:00 s utc" << utc << "same"
            << "same";
        QTest::newRow("a link not yet looked into, beside a file")
            << "f 5 2026-12-08T10:00:00 s utc"
            << "l 11 2020-01-01T00:00 min wall" << utc << "same"
            << "same";
        QTest::newRow("readme.txt and README.TXT are two files")
            << "f 5 2026-12-08T10:00:00 s utc readme.txt"
            << "f 5 2026-12-08T10:00:00 s utc README.TXT" << utc << "only"
            << "only";
        QTest::newRow("a name ending in a blank is its own")
            << "f 5 2026-12-08T10:00:00 s utc 音乐 "
            << "f 5 2026-12-08T10:00:00 s utc 音乐" << utc << "only"
            << "only";
    }

    void marks()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(QString, zone);
        QFETCH(QString, leftMark);
        QFETCH(QString, rightMark);
        QVector<CompareEntry> l, r;
        if (!left.isEmpty())
            l << entryOf(left);
        if (!right.isEmpty())
            r << entryOf(right);
        const DirectoryComparison rules(QTimeZone(zone.toLatin1()));
        const DirectoryComparison::Marks marks = rules.compare(l, r);
        const QString leftName = l.isEmpty() ? QString() : l.first().name;
        const QString rightName = r.isEmpty() ? QString() : r.first().name;
        QCOMPARE(word(marks.left, leftName), leftMark);
        QCOMPARE(word(marks.right, rightName), rightMark);
    }
};

QTEST_MAIN(TestComparison)
#include "tst_comparison.moc"
