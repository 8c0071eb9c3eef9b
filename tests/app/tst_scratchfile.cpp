#include "app/ScratchFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {
mode_t modeOf(const QString &path)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

QString preparedPath()
{
    QString error;
    const QString path = ScratchFile::preparePath(&error);
    if (path.isEmpty() && error.isEmpty())
        qWarning("an empty path must come with a reason");
    return path;
}
} // namespace

class TestScratchFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { qunsetenv("TEMP"); }

    void livesInAPrivateFolderInsideTemp()
    {
        QTemporaryDir temp;
        qputenv("TEMP", QFile::encodeName(temp.path()));
        const QString path = preparedPath();
        const QString folder = temp.filePath(QStringLiteral("korvu-%1").arg(::getuid()));
        QCOMPARE(path, folder + QStringLiteral("/KorvuScratchFile"));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(modeOf(folder), mode_t(0700));
        // Preparing again finds the folder in place.
        QCOMPARE(preparedPath(), path);
    }

    void withoutTempItUsesTheSystemTemporaryFolder_data()
    {
        QTest::addColumn<bool>("set");
        QTest::newRow("unset") << false;
        QTest::newRow("empty") << true;
    }

    void withoutTempItUsesTheSystemTemporaryFolder()
    {
        QFETCH(bool, set);
        if (set)
            qputenv("TEMP", "");
        QTemporaryDir systemTemp;
        qputenv("TMPDIR", QFile::encodeName(systemTemp.path()));
        const QString path = preparedPath();
        qunsetenv("TMPDIR");
        QVERIFY(!path.isEmpty());
        QVERIFY(path != QStringLiteral("/KorvuScratchFile"));
        QVERIFY(path.startsWith(systemTemp.path() + QStringLiteral("/korvu-")));
        QCOMPARE(modeOf(QFileInfo(path).path()), mode_t(0700));
    }

    void anOpenFolderOfOurOwnIsClosed()
    {
        QTemporaryDir temp;
        qputenv("TEMP", QFile::encodeName(temp.path()));
        const QString folder = ScratchFile::privateDirectory();
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
        QVERIFY(!preparedPath().isEmpty());
        QCOMPARE(modeOf(folder), mode_t(0700));
    }

    void aPlantedLinkIsNotFollowed()
    {
        QTemporaryDir temp;
        QTemporaryDir elsewhere;
        qputenv("TEMP", QFile::encodeName(temp.path()));
        QVERIFY(QFile::link(elsewhere.path(), ScratchFile::privateDirectory()));
        QString error;
        QVERIFY(ScratchFile::preparePath(&error).isEmpty());
        QVERIFY(!error.isEmpty());
        QVERIFY(QDir(elsewhere.path()).isEmpty());
    }

    void someoneElsesFolderIsRefused()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to hand a folder to another user");
        QTemporaryDir temp;
        qputenv("TEMP", QFile::encodeName(temp.path()));
        const QString folder = ScratchFile::privateDirectory();
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
        QString error;
        QVERIFY(ScratchFile::preparePath(&error).isEmpty());
        QVERIFY(error.contains(folder));
    }

    void removeDeletesOnlyAnExistingFile()
    {
        QTemporaryDir temp;
        qputenv("TEMP", QFile::encodeName(temp.path()));
        const QString path = preparedPath();
        ScratchFile::remove(path); // nothing there yet
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        ScratchFile::remove(path);
        QVERIFY(!QFile::exists(path));
        ScratchFile::remove(QString());
        QVERIFY(QFileInfo(QFileInfo(path).path()).isDir());
    }
};

QTEST_GUILESS_MAIN(TestScratchFile)
#include "tst_scratchfile.moc"
