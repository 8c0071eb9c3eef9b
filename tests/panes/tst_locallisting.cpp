#include "PaneTestSupport.h"
#include "panes/FileListView.h"
#include "panes/LocalListing.h"
#include "panes/LocalPane.h"
#include "panes/PaneSorting.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

class TestLocalListing : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    QString root; // the temporary directory, normalised

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        root = tmp.path() + QLatin1Char('/');
        QDir dir(root);
        for (const char *folder : {"beta", "Alpha", "x.txt", ".hiddendir", "ab"})
            QVERIFY(dir.mkdir(QString::fromLatin1(folder)));
        for (const char *file :
             {"z.txt", "readme", "M.ZIP", "a.bin", "index.html", ".hidden", "ab/inside"})
            QVERIFY(makeFile(root + QString::fromLatin1(file), 3));
        QVERIFY(QFile::link(root + "z.txt", root + "link.txt"));
        QVERIFY(QFile::link(root + "gone", root + "broken.lnk"));
        QVERIFY(QFile::link(root + "beta", root + "beta.lnk"));
        QCOMPARE(mkfifo(QFile::encodeName(root + "pipe").constData(), 0600), 0);
    }

    void fillsFoldersFirstThenFilesInEnumerationOrder()
    {
        LocalPaneRig rig({});
        rig.lvwLocal->selectRow(0);
        QString path = tmp.path(); // typed without the separator
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(path, root);

        const QStringList folders = {"..", "ab", "Alpha", "beta", "beta.lnk", "x.txt"};
        QCOMPARE(rig.texts().mid(0, folders.size()), folders);
        // Hidden entries, the fifo and the broken link are not listed; the
        // files keep the order the file system yields them in.
        QCOMPARE(rig.texts().mid(folders.size()), enumeratedFiles(root));
        QCOMPARE(rig.model->rowCount(), folders.size() + 6);
        QStringList expectedFolders = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        expectedFolders.prepend("..");
        QCOMPARE(rig.texts().mid(0, folders.size()), expectedFolders);

        const FileListModel &m = *rig.model;
        const FileRow &parent = m.row(0);
        QCOMPARE(parent.key, QStringLiteral("Cdup"));
        QCOMPARE(parent.iconKey, QStringLiteral("Cdup"));
        QVERIFY(parent.tag.isEmpty() && parent.subItem(1).isEmpty() && parent.subItem(2).isEmpty());

        const FileRow &folder = m.row(rig.rowOf("x.txt"));
        QCOMPARE(folder.iconKey, QStringLiteral("FolderClose"));
        QCOMPARE(folder.tag, root + "x.txt");
        QVERIFY(!folder.subItem(2).isEmpty());

        const FileRow &zip = m.row(rig.rowOf("M.ZIP"));
        QCOMPARE(zip.iconKey, QStringLiteral("ZipFile"));
        QCOMPARE(zip.subItem(1), QStringLiteral("3"));
        QCOMPARE(zip.tag, root + "M.ZIP");
        QVERIFY(zip.key.isEmpty());
        QCOMPARE(m.row(rig.rowOf("link.txt")).iconKey, QStringLiteral("TextFile"));

        // Nothing is selected and automatic sorting is off after a fill.
        QCOMPARE(rig.lvwLocal->selectedRow(), -1);
        QVERIFY(!m.isSorted());
    }

    void descendingSortOrdersTheParentRowWithTheFolders()
    {
        LocalPaneRig rig({});
        QString path = root;
        rig.pane->DoLocalRefresh(path);
        SortByHeader(*rig.model, 0);
        QCOMPARE(rig.texts().first(), QStringLiteral(".."));
        rig.pane->DoLocalRefresh(path);
        // ".." sorts before letters, so a descending name sort puts it last.
        QCOMPARE(rig.texts().mid(0, 6),
                 QStringList({"x.txt", "beta.lnk", "beta", "Alpha", "ab", ".."}));
        QCOMPARE(rig.model->sortOrder(), Qt::DescendingOrder);
    }

    void missingDirectoryShowsOnlyTheParentRow()
    {
        LocalPaneRig rig({});
        QString path = root + "no such dir";
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(path, root + "no such dir/");
        QCOMPARE(rig.texts(), QStringList({".."}));

        QString file = root + "z.txt"; // a file is no directory either
        rig.pane->DoLocalRefresh(file);
        QCOMPARE(rig.texts(), QStringList({".."}));
    }

    void unreadableDirectoryShowsOnlyTheParentRow()
    {
        if (geteuid() == 0)
            QSKIP("root reads every directory");
        const QString locked = root + "locked";
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(makeFile(locked + "/secret", 1));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        LocalPaneRig rig({});
        QString path = locked;
        rig.pane->DoLocalRefresh(path);
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QCOMPARE(rig.texts(), QStringList({".."}));
    }

    void bracketsInATypedPath()
    {
        LocalPaneRig rig({});
        // "a[1]b" does not exist: the bracketed part is cut and "ab" listed.
        QString path = root + "a[1]b";
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(path, root + "ab/");
        QCOMPARE(rig.texts(), QStringList({"..", "inside"}));

        // A directory that really carries brackets in its name is listed.
        QVERIFY(QDir(root).mkpath("photos [2019]/day one"));
        path = root + "photos [2019]";
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(path, root + "photos [2019]/");
        QCOMPARE(rig.texts(), QStringList({"..", "day one"}));
        QCOMPARE(rig.model->row(1).tag, root + "photos [2019]/day one");
        QVERIFY(QDir(root + "photos [2019]").removeRecursively());
    }

    void sizesBeyondFourGigabytes()
    {
        QTemporaryDir big;
        const qint64 size = 5 * (qint64(1) << 30) + 7;
        if (!makeFile(big.path() + "/huge.iso", size))
            QSKIP("no sparse file of 5 GiB here");
        LocalPaneRig rig({});
        QString path = big.path();
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(rig.model->row(1).subItem(1), QStringLiteral("5368709127"));
        QCOMPARE(rig.model->row(1).iconKey, QStringLiteral("ISO"));
    }

    void dateColumnShowsLocalTime()
    {
        QTemporaryDir dir;
        QVERIFY(makeFile(dir.path() + "/noon"));
        QVERIFY(makeFile(dir.path() + "/midnight"));
        const QDateTime noon(QDate(2023, 11, 5), QTime(13, 5, 7));
        const QDateTime midnight(QDate(2023, 11, 6), QTime(0, 0));
        auto touch = [&](const QString &name, const QDateTime &when) {
            QFile f(dir.path() + name);
            return f.open(QIODevice::ReadWrite) &&
                   f.setFileTime(when, QFileDevice::FileModificationTime);
        };
        QVERIFY(touch("/noon", noon));
        QVERIFY(touch("/midnight", midnight));

        LocalPaneRig rig({});
        QString path = dir.path();
        rig.pane->DoLocalRefresh(path);
        const LocalListing listing;
        QCOMPARE(rig.model->row(rig.rowOf("noon")).subItem(2), listing.dateText(noon));
        QCOMPARE(rig.model->row(rig.rowOf("midnight")).subItem(2), listing.dateText(midnight));
    }

    void dateTextInSeveralLocales_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("afternoon");
        QTest::addColumn<QString>("midnight");
        QTest::newRow("zh_CN") << QLocale(QLocale::Chinese, QLocale::China) << "2024/3/4 13:05:07"
                               << "2024/3/5";
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << "3/4/24 1:05:07 PM"
                               << "3/5/24";
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "04.03.24 13:05:07"
                               << "05.03.24";
        QTest::newRow("ja_JP") << QLocale(QLocale::Japanese, QLocale::Japan)
                               << "2024/03/04 13時05分07秒"
                               << "2024/03/05";
    }

    void dateTextInSeveralLocales()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, afternoon);
        QFETCH(QString, midnight);
        const LocalListing listing(locale);
        QString text = listing.dateText(QDateTime(QDate(2024, 3, 4), QTime(13, 5, 7, 250)));
        text.replace(QChar(0x202f), QLatin1Char(' ')); // some locales use a narrow blank
        QCOMPARE(text, afternoon);
        QCOMPARE(listing.dateText(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 0, 400))), midnight);
        // One second after midnight is no longer midnight.
        QVERIFY(listing.dateText(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 1))).size() >
                midnight.size());
    }
};

QTEST_MAIN(TestLocalListing)
#include "tst_locallisting.moc"
