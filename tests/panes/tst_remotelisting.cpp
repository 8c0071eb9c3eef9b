#include "panes/RemoteListing.h"
#include "remote/RemoteEntry.h"

#include <QtTest>

namespace {
using Kind = RemoteEntryKind;

RemoteEntry entry(const QString &name, Kind kind, qint64 size = 0)
{
    RemoteEntry entry;
    entry.name = name;
    entry.kind = kind;
    entry.permissions = 644;
    entry.size = size;
    entry.time = QDateTime(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC);
    return entry;
}

QStringList texts(const QVector<FileRow> &rows)
{
    QStringList out;
    for (const FileRow &r : rows)
        out << r.text + QLatin1Char(':') + r.iconKey();
    return out;
}
} // namespace

class TestRemoteListing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kindsDecideTheRowsAndDotEntriesNeverShow()
    {
        RemoteListing listing;
        listing.format = 0;
        listing.entries = {entry(".", Kind::Folder),     entry("..", Kind::Folder),
                           entry("b-dir", Kind::Folder), entry("z.txt", Kind::File),
                           entry("lower", Kind::Link),   entry("site", Kind::LinkToFolder),
                           entry("a-dir", Kind::Folder), entry("a.txt", Kind::File),
                           entry("..", Kind::File),      entry("dev", Kind::Special)};
        const RemoteRows rows = BuildRemoteRows(listing, QStringLiteral("/pub/"));
        // Folders go to the sorted part in server order (the model sorts them);
        // links and files keep the server's order.
        QCOMPARE(texts(rows.sortedPart),
                 QStringList({"..:Cdup", "b-dir:FolderClose", "a-dir:FolderClose"}));
        QCOMPARE(texts(rows.appended),
                 QStringList({"z.txt:TextFile", "lower:Link", "site:FolderLink", "a.txt:TextFile",
                              "dev:File"}));
        QCOMPARE(rows.sortedPart.at(1).tag, QStringLiteral("/pub/b-dir"));
        QCOMPARE(rows.appended.at(1).tag, QStringLiteral("/pub/lower"));
        QVERIFY(rows.sortedPart.at(0).tag.isEmpty());
    }

    void sizesAndPermissionsArePlainDecimals()
    {
        RemoteListing listing;
        listing.format = 3;
        RemoteEntry big = entry("big.iso", Kind::File, 5LL * 1024 * 1024 * 1024 + 3);
        big.permissions = 755;
        listing.entries = {big, entry("empty", Kind::File, 0), entry("max", Kind::File, 2147483647),
                           entry("unknown", Kind::File, -1)};
        FileListModel model({"名称", "大小", "日期", "权限"});
        model.fill({}, BuildRemoteRows(listing, QStringLiteral("/")).appended);
        QCOMPARE(model.text(0, 1), QStringLiteral("5368709123"));
        QCOMPARE(model.text(0, 3), QStringLiteral("755"));
        QCOMPARE(model.text(0, 2), QStringLiteral("2026-12-08 10:00"));
        QCOMPARE(model.text(1, 1), QStringLiteral("0"));
        QCOMPARE(model.text(2, 1), QStringLiteral("2147483647"));
        QCOMPARE(model.text(3, 1), QString()); // the server did not tell
    }

    void anUnreadableListingLeavesOnlyTheParentRow()
    {
        RemoteListing listing;
        listing.format = 2;
        listing.entries = {entry("ghost", Kind::File)};
        const RemoteRows rows = BuildRemoteRows(listing, QStringLiteral("/"));
        QCOMPARE(texts(rows.sortedPart), QStringList({"..:Cdup"}));
        QVERIFY(rows.appended.isEmpty());
    }
};

QTEST_MAIN(TestRemoteListing)
#include "tst_remotelisting.moc"
