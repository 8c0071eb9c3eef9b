#include "panes/FileIcons.h"
#include "panes/FileListModel.h"
#include "panes/PathRules.h"

#include <QDir>
#include <QtTest>

class TestPathRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void normalizePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("remote");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("drive label") << " c: [SYSTEM] " << false << true << "c:/";
        QTest::newRow("first pair cut") << "/a[1]b[2]c" << false << true << "/ab[2]c/";
        QTest::newRow("close before open") << "/x]y[z" << false << true << "/x]y[z/";
        QTest::newRow("trimmed") << "  /tmp/x  " << false << true << "/tmp/x/";
        // Folders that were listed are used as they are named.
        QTest::newRow("listed brackets")
            << "/home/u/Music [FLAC]" << false << false << "/home/u/Music [FLAC]/";
        QTest::newRow("listed blank") << "/home/u/abc " << false << false << "/home/u/abc /";
        QTest::newRow("normalised stays") << "/tmp/" << false << false << "/tmp/";
        QTest::newRow("empty local") << "" << false << false << "/";
        QTest::newRow("empty remote") << "" << true << false << "/";
        // The server's paths are used as it gave them.
        QTest::newRow("remote brackets") << "/photos [2019]" << true << false << "/photos [2019]/";
        QTest::newRow("remote blanks") << " /pub/x " << true << false << " /pub/x /";
        QTest::newRow("typed remote") << " /photos [2019] " << true << true << "/photos/";
        QTest::newRow("typed remote blank") << " /pub/in" << true << true << "/pub/in/";
    }

    void normalizePath()
    {
        QFETCH(QString, path);
        QFETCH(bool, remote);
        QFETCH(bool, typed);
        QFETCH(QString, expected);
        expected.replace(QLatin1Char('/'), remote ? QLatin1Char('/') : QDir::separator());
        QCOMPARE(typed ? NormalizeTypedPath(path, remote) : NormalizePath(path, remote), expected);
        QCOMPARE(path, expected); // rewritten in place
    }

    void localParentPath()
    {
        const QString s = QDir::separator();
        QCOMPARE(LocalParentPath(s + "home" + s + "u" + s), s + "home" + s);
        QCOMPARE(LocalParentPath(s + "home" + s + "u"), s + "home" + s);
        QCOMPARE(LocalParentPath(s + "home" + s), s);
        QCOMPARE(LocalParentPath(s), s); // a root has no parent
        QCOMPARE(LocalParentPath(QString()), QString());
    }

    void fileTypeIconKey_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        QTest::newRow("no extension") << "readme"
                                      << "File";
        QTest::newRow("short extension") << "a.h"
                                         << "File";
        QTest::newRow("shorter than four") << "TXT"
                                           << "File";
        QTest::newRow("mixed case") << "x.Txt"
                                    << "TextFile";
        QTest::newRow("html") << "index.html"
                              << "HtmlFile";
        QTest::newRow("shtml") << "page.shtml"
                               << "HtmlFile";
        QTest::newRow("four letters") << "photo.jpeg"
                                      << "File";
        QTest::newRow("chinese name") << "说明.DOC"
                                      << "Word";
        QTest::newRow("last group") << "simsun.ttc"
                                    << "Font";
        QTest::newRow("only the end counts") << "src.tar.gz"
                                             << "File";
    }

    void fileTypeIconKey()
    {
        QFETCH(QString, name);
        QFETCH(QString, key);
        FileRow row;
        row.text = name;
        QCOMPARE(row.iconKey(), key);
    }
};

QTEST_APPLESS_MAIN(TestPathRules)
#include "tst_pathrules.moc"
