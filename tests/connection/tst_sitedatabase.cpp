#include "SiteFixtures.h"
#include "platform/SiteDatabase.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool ownerOnly(const QString &path)
{
    const QFileDevice::Permissions modeBits =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
        QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return (QFile::permissions(path) & modeBits) ==
           (QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

} // namespace

class TestSiteDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shippedFileHoldsAnEmptySiteTable();
    void badFileIsReportedAndNeverCreated_data();
    void badFileIsReportedAndNeverCreated();
    void readOnlyProgramFolderWorksOnAUserCopy();
    void userCopyFailures();
    void canWriteInTriesTheFolder();
    void olderFileGetsTheLaterColumnsAppended_data();
    void olderFileGetsTheLaterColumnsAppended();
};

void TestSiteDatabase::shippedFileHoldsAnEmptySiteTable()
{
    QVERIFY2(ownerOnly(SiteFile::shippedFile()), qPrintable(SiteFile::shippedFile()));
    SiteFile copy;
    SiteDatabase db;
    QVERIFY2(db.open(copy.path()), qPrintable(db.errorDescription()));
    QCOMPARE(copy.count(), 0);
    // Port and time-out keep their fixed positions.
    const QSqlRecord columns = db.database().record(SiteDatabase::TableName);
    QCOMPARE(columns.fieldName(3), SiteColumns::Port);
    QCOMPARE(columns.fieldName(7), SiteColumns::Timeout);
    QCOMPARE(columns.fieldName(columns.count() - 4), SiteColumns::Encoding);
    QCOMPARE(columns.fieldName(columns.count() - 3), SiteColumns::Encryption);
    QCOMPARE(columns.fieldName(columns.count() - 2), SiteColumns::Protocol);
    QCOMPARE(columns.fieldName(columns.count() - 1), SiteColumns::KeyFile);
}

void TestSiteDatabase::badFileIsReportedAndNeverCreated_data()
{
    QTest::addColumn<QByteArray>("schema"); // "missing", "folder", "garbage" or SQL
    QTest::addColumn<int>("number");
    QTest::newRow("missing") << QByteArray("missing") << int(SiteDatabase::FileMissing);
    QTest::newRow("folder") << QByteArray("folder") << int(SiteDatabase::FileUnreadable);
    QTest::newRow("not a database") << QByteArray("garbage") << int(SiteDatabase::FileUnreadable);
    QTest::newRow("empty database") << QByteArray("") << int(SiteDatabase::TableMissing);
    QTest::newRow("other table") << QByteArray("CREATE TABLE sites (a);")
                                 << int(SiteDatabase::TableMissing);
    QTest::newRow("short table") << QByteArray("CREATE TABLE mysit (id, name, 端口);")
                                 << int(SiteDatabase::ColumnsMissing);
}

void TestSiteDatabase::badFileIsReportedAndNeverCreated()
{
    QFETCH(QByteArray, schema);
    QFETCH(int, number);
    QTemporaryDir dir;
    const QString path = dir.filePath(SiteDatabase::FileName);
    QString error;
    if (schema == "folder")
        QVERIFY(QDir().mkdir(path));
    else if (schema == "garbage")
        QVERIFY(writeFile(path, QByteArray(4096, 'x')));
    else if (schema != "missing")
        QVERIFY(SiteDatabase::createFile(path, QString::fromUtf8(schema), &error));
    const QByteArray before = contents(path);

    SiteDatabase db;
    QVERIFY(!db.open(path));
    QCOMPARE(db.errorNumber(), number);
    QVERIFY(!db.errorDescription().isEmpty());
    QVERIFY(!db.isOpen());
    // Nothing is made or repaired behind the user's back.
    QCOMPARE(QFileInfo::exists(path), schema != "missing");
    QCOMPARE(contents(path), before);
}

void TestSiteDatabase::readOnlyProgramFolderWorksOnAUserCopy()
{
    SiteFile program;
    program.insert(QStringLiteral("shipped"), QString());
    QTemporaryDir data;
    const QString dataDir = data.filePath(QStringLiteral("Korvu")); // not there yet
    SiteDatabase db;
    QVERIFY(db.openProgramFile(program.dir(), dataDir, true));
    QCOMPARE(db.path(), program.path());
    QVERIFY(!QFileInfo::exists(dataDir));

    // An installed file is usually world-readable; the copy must not be.
    QVERIFY(QFile::setPermissions(program.path(),
                                  QFile::permissions(program.path()) | QFileDevice::ReadOther));
    QVERIFY2(db.openProgramFile(program.dir(), dataDir, false), qPrintable(db.errorDescription()));
    const QString copy = QDir(dataDir).filePath(SiteDatabase::FileName);
    QCOMPARE(db.path(), copy);
    QVERIFY(ownerOnly(copy));
    db.close();

    // From then on the copy is used as it stands, not copied again.
    program.insert(QStringLiteral("shipped later"), QString());
    QVERIFY(db.openProgramFile(program.dir(), dataDir, false));
    QCOMPARE(db.path(), copy);
    QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM mysit"), db.database());
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 1);
    query.finish();
    QCOMPARE(QDir(dataDir).entryList(QDir::Files), QStringList{SiteDatabase::FileName});
}

void TestSiteDatabase::userCopyFailures()
{
    QTemporaryDir empty;
    QTemporaryDir data;
    SiteDatabase db;
    QVERIFY(!db.openProgramFile(empty.path(), data.path(), false));
    QCOMPARE(db.errorNumber(), int(SiteDatabase::FileMissing));
    QVERIFY(QDir(data.path()).isEmpty());

    SiteFile program;
    const QString blocker = data.filePath(QStringLiteral("file"));
    QVERIFY(writeFile(blocker, "not a folder"));
    QVERIFY(!db.openProgramFile(program.dir(), blocker + QStringLiteral("/Korvu"), false));
    QCOMPARE(db.errorNumber(), int(SiteDatabase::CopyFailed));
    QVERIFY(!db.openProgramFile(program.dir(), QString(), false));
    QCOMPARE(db.errorNumber(), int(SiteDatabase::CopyFailed));
}

void TestSiteDatabase::canWriteInTriesTheFolder()
{
    QTemporaryDir dir;
    QVERIFY(SiteDatabase::canWriteIn(dir.path()));
    QVERIFY(QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                .isEmpty()); // the probe is gone
    QVERIFY(!SiteDatabase::canWriteIn(dir.filePath(QStringLiteral("missing"))));
    // No one, root included, creates files in /proc.
    if (QFileInfo(QStringLiteral("/proc/self")).exists())
        QVERIFY(!SiteDatabase::canWriteIn(QStringLiteral("/proc")));
}

void TestSiteDatabase::olderFileGetsTheLaterColumnsAppended_data()
{
    QTest::addColumn<QString>("laterColumns"); // what the old table had past "匿名"
    QTest::addColumn<QString>("charset");      // the old site's "字符集"
    QTest::newRow("before 字符集") << QString() << QString();
    QTest::newRow("before 加密") << QStringLiteral(", \"字符集\" TEXT") << QStringLiteral("GBK");
    QTest::newRow("before 协议") << QStringLiteral(", \"字符集\" TEXT, \"加密\" TEXT")
                                 << QStringLiteral("UTF-8");
}

void TestSiteDatabase::olderFileGetsTheLaterColumnsAppended()
{
    QFETCH(QString, laterColumns);
    QFETCH(QString, charset);
    // The table as it was before, with a site in it.
    QTemporaryDir dir;
    const QString path = dir.filePath(SiteDatabase::FileName);
    QString error;
    QVERIFY2(
        SiteDatabase::createFile(
            path,
            QStringLiteral("CREATE TABLE mysit (\"编号\" INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "\"站点名称\" TEXT, \"站点地址\" TEXT, \"端口\" TEXT, "
                           "\"用户名\" TEXT, \"密码\" TEXT, \"传输类型\" TEXT, \"超时\" TEXT, "
                           "\"被动模式\" INTEGER, \"匿名\" INTEGER%1);"
                           "INSERT INTO mysit (\"站点名称\", \"端口\", \"超时\"%2) "
                           "VALUES ('old', '2121', '45'%3);")
                .arg(laterColumns, charset.isEmpty() ? QString() : QStringLiteral(", \"字符集\""),
                     charset.isEmpty() ? QString() : QStringLiteral(", '%1'").arg(charset)),
            &error),
        qPrintable(error));
    for (int opening = 0; opening < 2; ++opening) {
        SiteDatabase db;
        QVERIFY2(db.open(path), qPrintable(db.errorDescription()));
        const QSqlRecord columns = db.database().record(SiteDatabase::TableName);
        QCOMPARE(columns.count(), 14);
        QCOMPARE(columns.fieldName(3), SiteColumns::Port);
        QCOMPARE(columns.fieldName(7), SiteColumns::Timeout);
        QCOMPARE(columns.fieldName(10), SiteColumns::Encoding);
        QCOMPARE(columns.fieldName(11), SiteColumns::Encryption);
        QCOMPARE(columns.fieldName(12), SiteColumns::Protocol);
        QCOMPARE(columns.fieldName(13), SiteColumns::KeyFile);
        QSqlQuery query(db.database());
        QVERIFY(query.exec(QStringLiteral(
            "SELECT \"站点名称\", \"端口\", \"字符集\", \"加密\", \"协议\" FROM mysit")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("old"));
        QCOMPARE(query.value(1).toString(), QStringLiteral("2121"));
        QCOMPARE(query.value(2).toString(), charset);
        // Empty: the site connects as it always did, in plain FTP.
        QVERIFY(query.value(3).toString().isEmpty());
        QVERIFY(query.value(4).toString().isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestSiteDatabase)
#include "tst_sitedatabase.moc"
