#include "ftp/FtpListing.h"
#include "panes/RemoteListing.h"

#include <QtTest>

namespace {
FtpListingEntry entry(const QString &name, const QString &kind, qint64 size = 0)
{
    return FtpListingEntry{name, kind, 644, size, QStringLiteral("2026-12-08 10:00"), {}};
}

QStringList texts(const QVector<FileRow> &rows)
{
    QStringList out;
    for (const FileRow &r : rows)
        out << r.text + QLatin1Char(':') + r.iconKey;
    return out;
}
} // namespace

class TestRemoteListing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kindsDecideTheRowsAndDotEntriesNeverShow()
    {
        FtpListing listing;
        listing.format = 0;
        listing.entries = {entry(".", "d"),     entry("..", "d"),    entry("b-dir", "d"),
                           entry("z.txt", "-"), entry("lower", "l"), entry("UPPER", "L"),
                           entry("caps", "D"),  entry("a-dir", "d"), entry("a.txt", "-"),
                           entry("..", "-"),    entry("dev", "c")};
        const RemoteRows rows = BuildRemoteRows(listing, QStringLiteral("/pub/"));
        // Folders go to the sorted part in server order (the model sorts them);
        // links and files keep the server's order.
        QCOMPARE(texts(rows.sortedPart),
                 QStringList({"..:Cdup", "b-dir:FolderClose", "a-dir:FolderClose"}));
        QCOMPARE(texts(rows.appended), QStringList({"z.txt:TextFile", "lower:Link", "UPPER:Link",
                                                    "caps:File", "a.txt:TextFile", "dev:File"}));
        QCOMPARE(rows.sortedPart.at(1).tag, QStringLiteral("/pub/b-dir"));
        QCOMPARE(rows.appended.at(1).tag, QStringLiteral("/pub/lower"));
        QVERIFY(rows.sortedPart.at(0).tag.isEmpty());
        QCOMPARE(rows.sortedPart.at(0).key, QStringLiteral("Cdup"));
    }

    void sizesAndPermissionsArePlainDecimals()
    {
        FtpListing listing;
        listing.format = 3;
        FtpListingEntry big = entry("big.iso", "-", 5LL * 1024 * 1024 * 1024 + 3);
        big.permissions = 755;
        listing.entries = {big, entry("empty", "-", 0), entry("max", "-", 2147483647),
                           entry("unknown", "-", -1)};
        const RemoteRows rows = BuildRemoteRows(listing, QStringLiteral("/"));
        QCOMPARE(rows.appended.at(0).subItem(1), QStringLiteral("5368709123"));
        QCOMPARE(rows.appended.at(0).subItem(3), QStringLiteral("755"));
        QCOMPARE(rows.appended.at(0).subItem(2), QStringLiteral("2026-12-08 10:00"));
        QCOMPARE(rows.appended.at(1).subItem(1), QStringLiteral("0"));
        QCOMPARE(rows.appended.at(2).subItem(1), QStringLiteral("2147483647"));
        QCOMPARE(rows.appended.at(3).subItem(1), QString()); // the server did not tell
    }

    void anUnreadableListingLeavesOnlyTheParentRow()
    {
        FtpListing listing;
        listing.format = 2;
        listing.entries = {entry("ghost", "-")};
        const RemoteRows rows = BuildRemoteRows(listing, QStringLiteral("/"));
        QCOMPARE(texts(rows.sortedPart), QStringList({"..:Cdup"}));
        QVERIFY(rows.appended.isEmpty());
    }
};

QTEST_MAIN(TestRemoteListing)
#include "tst_remotelisting.moc"
