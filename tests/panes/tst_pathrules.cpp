#include "panes/FileIcons.h"
#include "panes/FileListModel.h"
#include "panes/PathRules.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestPathRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void normalizePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("remote");
        QTest::addColumn<QString>("expected");
        QTest::newRow("drive entry loses its label") << "c: [SYSTEM]" << false << "c:/";
        QTest::newRow("bracketed part is cut") << "/d/a[1]b" << false << "/d/ab/";
        QTest::newRow("only the first pair") << "/a[1]b[2]c" << false << "/ab[2]c/";
        QTest::newRow("close before open cuts nothing") << "/x]y[z" << false << "/x]y[z/";
        QTest::newRow("open alone stays") << "/a[b" << false << "/a[b/";
        QTest::newRow("blanks trimmed") << "  /tmp/x  " << false << "/tmp/x/";
        QTest::newRow("blanks around cut trimmed") << " /mnt [USB] " << false << "/mnt/";
        QTest::newRow("already normalised") << "/tmp/" << false << "/tmp/";
        QTest::newRow("empty local") << "" << false << "/";
        QTest::newRow("empty remote") << "" << true << "/";
        QTest::newRow("remote") << " /pub/incoming" << true << "/pub/incoming/";
        QTest::newRow("remote keeps its slash") << "/pub/" << true << "/pub/";
    }

    void normalizePath()
    {
        QFETCH(QString, path);
        QFETCH(bool, remote);
        QFETCH(QString, expected);
        expected.replace(QLatin1Char('/'), remote ? QLatin1Char('/') : QDir::separator());
        const QString returned = NormalizePath(path, remote);
        QCOMPARE(path, expected);
        QCOMPARE(returned, expected);
    }

    void normalizeLocalDirKeepsBracketsOfARealDirectory()
    {
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkdir(QStringLiteral("photos [2019]")));
        QString existing = tmp.path() + QStringLiteral("/photos [2019]");
        QCOMPARE(NormalizeLocalDir(existing), tmp.path() + QStringLiteral("/photos [2019]/"));
        QString missing = tmp.path() + QStringLiteral("/a[1]b ");
        QCOMPARE(NormalizeLocalDir(missing), tmp.path() + QStringLiteral("/ab/"));
    }

    void localParentPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("parent");
        QTest::newRow("normalised") << "/home/u/"
                                    << "/home/";
        QTest::newRow("typed without separator") << "/home/u"
                                                 << "/home/";
        QTest::newRow("below the root") << "/home/"
                                        << "/";
        QTest::newRow("root stays") << "/"
                                    << "/";
        QTest::newRow("empty stays") << ""
                                     << "";
        QTest::newRow("no separator stays") << "abc"
                                            << "abc";
    }

    void localParentPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, parent);
        path.replace(QLatin1Char('/'), QDir::separator());
        parent.replace(QLatin1Char('/'), QDir::separator());
        QCOMPARE(LocalParentPath(path), parent);
    }

    void fileTypeIconKey_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        QTest::newRow("no extension") << "readme"
                                      << "File";
        QTest::newRow("short extension") << "a.h"
                                         << "File";
        QTest::newRow("mixed case") << "x.Txt"
                                    << "TextFile";
        QTest::newRow("html") << "index.html"
                              << "HtmlFile";
        QTest::newRow("shtml") << "page.shtml"
                               << "HtmlFile";
        QTest::newRow("four letters") << "photo.jpeg"
                                      << "File";
        QTest::newRow("shorter than four") << "TXT"
                                           << "File";
        QTest::newRow("only the ending") << ".txt"
                                         << "TextFile";
        QTest::newRow("chinese name") << "说明.TXT"
                                      << "TextFile";
        QTest::newRow("zip") << "a.ZIP"
                             << "ZipFile";
        QTest::newRow("cab") << "setup.cab"
                             << "ZipFile";
        QTest::newRow("tgz") << "src.tgz"
                             << "ZipFile";
        QTest::newRow("gz is no archive here") << "src.tar.gz"
                                               << "File";
        QTest::newRow("rar") << "b.rar"
                             << "RarFile";
        QTest::newRow("bat") << "run.bat"
                             << "ExeFile";
        QTest::newRow("pcx") << "old.pcx"
                             << "ImageFile";
        QTest::newRow("png") << "new.png"
                             << "ImageFile";
        QTest::newRow("chm") << "korvu.chm"
                             << "HelpFile";
        QTest::newRow("mht") << "saved.mht"
                             << "HtmlFile";
        QTest::newRow("vxd") << "driver.vxd"
                             << "DllFile";
        QTest::newRow("inf") << "setup.inf"
                             << "IniFile";
        QTest::newRow("wps") << "letter.wps"
                             << "Word";
        QTest::newRow("xlc") << "chart.xlc"
                             << "Excel";
        QTest::newRow("dbf") << "table.dbf"
                             << "Access";
        QTest::newRow("ppa") << "addin.ppa"
                             << "Powerpnt";
        QTest::newRow("mid") << "tune.mid"
                             << "MediaFile";
        QTest::newRow("ima") << "disk.ima"
                             << "ISO";
        QTest::newRow("ttc") << "simsun.ttc"
                             << "Font";
    }

    void fileTypeIconKey()
    {
        QFETCH(QString, name);
        QFETCH(QString, key);
        QCOMPARE(FileTypeIconKey(name), key);
        FileRow row;
        row.text = name;
        row.iconKey = QStringLiteral("FolderClose");
        SetFileIcon(row);
        QCOMPARE(row.iconKey, key);
    }
};

QTEST_APPLESS_MAIN(TestPathRules)
#include "tst_pathrules.moc"
