#include "PaneTestSupport.h"
#include "panes/FileListView.h"
#include "panes/LocalListing.h"
#include "panes/LocalPane.h"
#include "panes/PaneSorting.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>
#include <sys/stat.h>

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
        for (const char *folder : {"beta", "Alpha", "x.txt", ".hiddendir", "ab"})
            QVERIFY(QDir(root).mkdir(QString::fromLatin1(folder)));
        for (const char *file : {"z.txt", "readme", "M.ZIP", "a.bin", ".hidden", "ab/inside"})
            QVERIFY(makeFile(root + QString::fromLatin1(file), 3));
        QVERIFY(QFile::link(root + "z.txt", root + "link.txt"));
        QVERIFY(QFile::link(root + "gone", root + "broken.lnk"));
        QVERIFY(QFile::link(root + "beta", root + "beta.lnk"));
        QCOMPARE(mkfifo(QFile::encodeName(root + "pipe").constData(), 0600), 0);
    }

    void fillsInThePanesSortFoldersFirst()
    {
        LocalPaneRig rig({});
        QAbstractItemModelTester tester(rig.model);
        rig.lvwLocal->setSortIndicatorAlwaysShown(true); // as the window's file panes
        rig.lvwLocal->selectRow(0);
        QString path = tmp.path(); // typed without the separator
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(path, root);

        // Hidden entries, the fifo and the broken link are not listed.
        QCOMPARE(rig.texts(), QStringList({"..", "ab", "Alpha", "beta", "beta.lnk", "x.txt",
                                           "a.bin", "link.txt", "M.ZIP", "readme", "z.txt"}));

        const FileRow &parent = rig.model->row(0);
        QCOMPARE(parent.iconKey(), QStringLiteral("Cdup"));
        QVERIFY(parent.tag.isEmpty() && rig.model->text(0, 1).isEmpty());
        const int folder = rig.rowOf("x.txt");
        QCOMPARE(rig.model->row(folder).iconKey(), QStringLiteral("FolderClose"));
        QCOMPARE(rig.model->row(folder).tag, root + "x.txt");
        QVERIFY(rig.model->text(folder, 1).isEmpty());
        QVERIFY(!rig.model->text(folder, 2).isEmpty());
        const int zip = rig.rowOf("M.ZIP");
        QCOMPARE(rig.model->row(zip).iconKey(), QStringLiteral("ZipFile"));
        QCOMPARE(rig.model->text(zip, 1), QStringLiteral("3"));
        const FileRow &zipRow = rig.model->row(zip);
        QCOMPARE(zipRow.tag, root + "M.ZIP");
        QCOMPARE(rig.lvwLocal->selectedRow(), -1);
        QVERIFY(!rig.model->isSorted());

        // The next folder keeps the sort a header click chose, the parent
        // row first; the header shows it.
        SortByHeader(*rig.model, 0);
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(rig.texts(), QStringList({"..", "x.txt", "beta.lnk", "beta", "Alpha", "ab",
                                           "z.txt", "readme", "M.ZIP", "link.txt", "a.bin"}));
        const QHeaderView *header = rig.lvwLocal->reportView()->header();
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);

        // Hidden files on request: ".htaccess" can be uploaded.
        rig.pane->setShowHiddenFiles(true);
        QVERIFY(rig.texts().contains(".hiddendir") && rig.texts().contains(".hidden"));
        QCOMPARE(rig.texts().count(".."), 1);
        rig.pane->setShowHiddenFiles(false);
        QVERIFY(!rig.texts().contains(".hidden"));
    }

    void missingDirectoriesAndBrackets()
    {
        LocalPaneRig rig({});
        QString path = root + "no such dir";
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(rig.texts(), QStringList({".."}));
        path = root + "z.txt"; // a file is no directory either
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(rig.texts(), QStringList({".."}));

        // A folder is listed as it is named; only text typed into the box
        // loses its bracketed part, when it names no folder: "a[1]b" does
        // not exist, and typed it lists "ab".
        path = root + "a[1]b";
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(path, root + "a[1]b/");
        QCOMPARE(rig.texts(), QStringList({".."}));
        rig.cmbLocalDir->setEditText(root + "a[1]b");
        QCOMPARE(rig.pane->shownDirectory(), root + "ab/");
        QCOMPARE(rig.texts(), QStringList({"..", "inside"}));
    }

    void sizesBeyondFourGigabytes()
    {
        QTemporaryDir big;
        if (!makeFile(big.path() + "/huge.iso", 5 * (qint64(1) << 30) + 7))
            QSKIP("no sparse file of 5 GiB here");
        LocalPaneRig rig({});
        QString path = big.path();
        rig.pane->DoLocalRefresh(path);
        QCOMPARE(rig.model->text(1, 1), QStringLiteral("5368709127"));
    }

    void dateColumnIsTheLocalWallClock()
    {
        QTemporaryDir dir;
        const QDateTime noon(QDate(2023, 11, 5), QTime(13, 5, 7));
        const QDateTime midnight(QDate(2023, 11, 6), QTime(0, 0));
        for (const auto &[name, when] : {std::pair{"/noon", noon}, {"/midnight", midnight}}) {
            QFile f(dir.path() + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
        }
        LocalPaneRig rig({});
        QString path = dir.path();
        rig.pane->DoLocalRefresh(path);
        const LocalListing listing;
        QCOMPARE(rig.model->text(rig.rowOf("noon"), 2), listing.dateText(noon));
        QCOMPARE(rig.model->text(rig.rowOf("midnight"), 2), listing.dateText(midnight));
    }

    void dateTextInTwoLocales()
    {
        const QDateTime afternoon(QDate(2024, 3, 4), QTime(13, 5, 7, 250));
        const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 0, 0, 400));
        const LocalListing chinese(QLocale(QLocale::Chinese, QLocale::China));
        QCOMPARE(chinese.dateText(afternoon), QStringLiteral("2024/3/4 13:05:07"));
        QCOMPARE(chinese.dateText(midnight), QStringLiteral("2024/3/5"));
        QCOMPARE(chinese.dateText(midnight.addSecs(1)), QStringLiteral("2024/3/5 00:00:01"));
        // No time-zone name after the time.
        const LocalListing american(QLocale(QLocale::English, QLocale::UnitedStates));
        QString text = american.dateText(afternoon);
        text.replace(QChar(0x202f), QLatin1Char(' '));
        QCOMPARE(text, QStringLiteral("3/4/24 1:05:07 PM"));
    }
};

QTEST_MAIN(TestLocalListing)
#include "tst_locallisting.moc"
