#include "SiteFixtures.h"
#include "platform/SiteDatabase.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr QFileDevice::Permissions AllBits =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

bool ownerOnly(const QString &path)
{
    return (QFile::permissions(path) & AllBits) ==
           (QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

int siteCount(SiteDatabase &db)
{
    QSqlQuery query(db.database());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM mysit")) || !query.next())
        return -1;
    return query.value(0).toInt();
}

} // namespace

class TestSiteDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shippedFileHoldsAnEmptySiteTable();
    void badFileIsReportedAndNeverCreated_data();
    void badFileIsReportedAndNeverCreated();
    void createdFileIsOwnerOnlyAndReplacesTheOld();
    void writableProgramFolderUsesTheShippedFile();
    void readOnlyProgramFolderWorksOnAUserCopy();
    void readOnlyProgramFolderWithoutShippedFile();
    void copyThatCannotBeMadeIsReported();
    void canWriteInTriesTheFolder();
    void twoInstancesShareAFile();
};

void TestSiteDatabase::shippedFileHoldsAnEmptySiteTable()
{
    const QString shipped = SiteFile::shippedFile();
    QVERIFY2(QFile::exists(shipped), qPrintable(shipped));
    QVERIFY(ownerOnly(shipped));

    SiteFile copy;
    SiteDatabase db;
    QVERIFY2(db.open(copy.path()), qPrintable(db.errorDescription()));
    QCOMPARE(db.errorNumber(), int(SiteDatabase::NoError));
    QCOMPARE(siteCount(db), 0);
    // Port and time-out sit where older site files keep them.
    const QSqlRecord columns = db.database().record(SiteDatabase::TableName);
    QCOMPARE(columns.fieldName(3), SiteColumns::Port);
    QCOMPARE(columns.fieldName(7), SiteColumns::Timeout);
}

void TestSiteDatabase::badFileIsReportedAndNeverCreated_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("number");
    QTest::newRow("missing") << "missing" << int(SiteDatabase::FileMissing);
    QTest::newRow("folder") << "folder" << int(SiteDatabase::FileUnreadable);
    QTest::newRow("not a database") << "garbage" << int(SiteDatabase::FileUnreadable);
    QTest::newRow("empty database") << "empty" << int(SiteDatabase::TableMissing);
    QTest::newRow("other table") << "other table" << int(SiteDatabase::TableMissing);
    QTest::newRow("short table") << "short table" << int(SiteDatabase::ColumnsMissing);
}

void TestSiteDatabase::badFileIsReportedAndNeverCreated()
{
    QFETCH(QString, kind);
    QFETCH(int, number);
    QTemporaryDir dir;
    const QString path = dir.filePath(SiteDatabase::FileName);
    QString error;
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    else if (kind == QLatin1String("garbage"))
        writeFile(path, QByteArray(4096, 'x'));
    else if (kind == QLatin1String("empty"))
        writeFile(path, QByteArray());
    else if (kind == QLatin1String("other table"))
        QVERIFY(
            SiteDatabase::createFile(path, QStringLiteral("CREATE TABLE sites (a TEXT);"), &error));
    else if (kind == QLatin1String("short table"))
        QVERIFY(SiteDatabase::createFile(
            path, QStringLiteral("CREATE TABLE mysit (id INTEGER, name TEXT, 端口 TEXT);"),
            &error));
    const QByteArray before = contents(path);

    SiteDatabase db;
    QVERIFY(!db.open(path));
    QCOMPARE(db.errorNumber(), number);
    QVERIFY(!db.errorDescription().isEmpty());
    QVERIFY(!db.isOpen());
    // Nothing is made or repaired behind the user's back.
    QCOMPARE(QFileInfo::exists(path), kind != QLatin1String("missing"));
    QCOMPARE(contents(path), before);
    if (number == SiteDatabase::FileMissing)
        QVERIFY(db.errorDescription().contains(SiteDatabase::FileName));
    if (number == SiteDatabase::ColumnsMissing)
        QVERIFY(db.errorDescription().contains(SiteColumns::Address));
}

void TestSiteDatabase::createdFileIsOwnerOnlyAndReplacesTheOld()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.sit"));
    writeFile(path, "old contents");
    QVERIFY(QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ReadOther));
    QString error;
    QVERIFY2(SiteDatabase::createFile(path,
                                      QStringLiteral("-- a comment; with a semicolon\n"
                                                     "CREATE TABLE a (x TEXT);\n"
                                                     "CREATE TABLE b (y TEXT);"),
                                      &error),
             qPrintable(error));
    QVERIFY(ownerOnly(path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("new.sit")});

    QVERIFY(!SiteDatabase::createFile(path, QStringLiteral("CREATE TABLE broken ("), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!SiteDatabase::createFile(dir.filePath(QStringLiteral("no/such/dir.sit")),
                                      QStringLiteral("CREATE TABLE a (x TEXT);"), &error));
}

void TestSiteDatabase::writableProgramFolderUsesTheShippedFile()
{
    SiteFile program;
    QTemporaryDir data;
    SiteDatabase db;
    QVERIFY2(db.openProgramFile(program.dir(), data.path(), true),
             qPrintable(db.errorDescription()));
    QCOMPARE(db.path(), program.path());
    QVERIFY(QDir(data.path()).isEmpty());
}

void TestSiteDatabase::readOnlyProgramFolderWorksOnAUserCopy()
{
    SiteFile program;
    SiteRow site;
    site.name = QStringLiteral("shipped site");
    program.insert(site);
    // An installed file is usually world-readable; the copy must not be.
    QVERIFY(QFile::setPermissions(program.path(), QFile::permissions(program.path()) |
                                                      QFileDevice::ReadGroup |
                                                      QFileDevice::ReadOther));
    const QByteArray shipped = contents(program.path());
    QTemporaryDir data;
    const QString dataDir = data.filePath(QStringLiteral("Korvu")); // not there yet
    const QString copy = QDir(dataDir).filePath(SiteDatabase::FileName);
    {
        SiteDatabase db;
        QVERIFY2(db.openProgramFile(program.dir(), dataDir, false),
                 qPrintable(db.errorDescription()));
        QCOMPARE(db.path(), copy);
        QVERIFY(ownerOnly(copy));
        QCOMPARE(siteCount(db), 1);
        QSqlQuery query(db.database());
        QVERIFY(query.exec(QStringLiteral("INSERT INTO mysit (站点名称) VALUES ('mine')")));
    }
    QCOMPARE(contents(program.path()), shipped);

    // From then on the copy is used as it stands, not copied again.
    SiteDatabase again;
    QVERIFY(again.openProgramFile(program.dir(), dataDir, false));
    QCOMPARE(again.path(), copy);
    QCOMPARE(siteCount(again), 2);
    QCOMPARE(QDir(dataDir).entryList(QDir::Files), QStringList{SiteDatabase::FileName});
}

void TestSiteDatabase::readOnlyProgramFolderWithoutShippedFile()
{
    QTemporaryDir program;
    QTemporaryDir data;
    SiteDatabase db;
    QVERIFY(!db.openProgramFile(program.path(), data.path(), false));
    QCOMPARE(db.errorNumber(), int(SiteDatabase::FileMissing));
    QVERIFY(QDir(data.path()).isEmpty());
}

void TestSiteDatabase::copyThatCannotBeMadeIsReported()
{
    SiteFile program;
    QTemporaryDir data;
    const QString blocker = data.filePath(QStringLiteral("file"));
    writeFile(blocker, "not a folder");
    SiteDatabase db;
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

void TestSiteDatabase::twoInstancesShareAFile()
{
    SiteFile file;
    SiteDatabase first;
    auto second = std::make_unique<SiteDatabase>();
    QVERIFY(first.open(file.path()));
    QVERIFY(second->open(file.path()));
    {
        QSqlQuery insert(second->database());
        QVERIFY(insert.exec(QStringLiteral("INSERT INTO mysit (站点名称) VALUES ('x')")));
    }
    second.reset();
    QVERIFY(first.isOpen());
    QCOMPARE(siteCount(first), 1);
}

QTEST_GUILESS_MAIN(TestSiteDatabase)
#include "tst_sitedatabase.moc"
