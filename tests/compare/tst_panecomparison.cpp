#include "FileOpsRig.h"
#include "compare/PaneComparison.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestFiles.h"
#include "fixtures/VsftpdServer.h"

#include <QTemporaryDir>

namespace {

// The same files on both sides at first; then the local side changes.
bool plant(const QString &dir)
{
    const QDateTime yesterday = QDateTime::currentDateTimeUtc().addDays(-1);
    const struct
    {
        const char *name;
        QByteArray data;
    } files[] = {{"same.txt", "same"},
                 {"readme.txt", "lower"},
                 {"size.txt", "12345"},
                 {"newer.txt", "n"},
                 {"Music [FLAC]/track.flac", "flac"}};
    for (const auto &file : files) {
        const QString path = dir + QLatin1Char('/') + QString::fromUtf8(file.name);
        QFile f(path);
        if (!TestFiles::write(path, file.data) || !f.open(QIODevice::ReadWrite) ||
            !f.setFileTime(yesterday, QFileDevice::FileModificationTime))
            return false;
    }
    return true;
}

bool changeLocally(const QString &dir)
{
    QFile newer(dir + "/newer.txt");
    return TestFiles::write(dir + "/size.txt", "123456") &&
           TestFiles::write(dir + "/only here.txt", "x") && QFile::remove(dir + "/readme.txt") &&
           TestFiles::write(dir + "/README.TXT", "lower") && newer.open(QIODevice::ReadWrite) &&
           newer.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
}

QStringList marked(const FileOpsRig &rig, bool remote)
{
    QStringList out;
    const FileListModel *model = rig.model(remote);
    for (int r = 0; r < model->rowCount(); ++r) {
        const QString word = model->index(r, 0).data(FileListModel::RowMarkRole).toString();
        const bool hidden = rig.pane(remote)->isRowHidden(r);
        if (!word.isEmpty() || hidden)
            out << model->row(r).text + (hidden ? QStringLiteral(" hidden") : ' ' + word);
    }
    out.sort();
    return out;
}

} // namespace

class TestPaneComparison : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("TZ", "UTC"); }

    // The two panes marked on every server kind: the times of MLSD, and
    // the minutes of LIST lines; identical files hidden on request, folders
    // kept; the marks follow folder changes until switched off.
    void marksBothPanes_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("pyftpdlib, MLSD") << "mlsd";
        QTest::newRow("pyftpdlib, LIST") << "list";
        QTest::newRow("vsftpd") << "vsftpd";
    }

    void marksBothPanes()
    {
        QFETCH(QString, server);
        QTemporaryDir serverRoot, localRoot;
        const QString remoteDir = server == "vsftpd" ? "/pub" : "/";
        QVERIFY(plant(serverRoot.path() + remoteDir) && plant(localRoot.path()));
        QVERIFY(changeLocally(localRoot.path()));
        std::unique_ptr<PyFtpdServer> pyftpd;
        std::unique_ptr<VsftpdServer> vsftpd;
        quint16 port = 0;
        QString user, password;
        if (server == "vsftpd") {
            if (!VsftpdServer::available())
                QSKIP(qPrintable(VsftpdServer::unavailableReason()));
            vsftpd = std::make_unique<VsftpdServer>(serverRoot.path());
            QVERIFY2(vsftpd->start(), qPrintable(vsftpd->error()));
            port = vsftpd->port();
            user = vsftpd->user();
            password = vsftpd->password();
        } else {
            pyftpd = std::make_unique<PyFtpdServer>(serverRoot.path());
            pyftpd->offerMlsd(server == "mlsd");
            QVERIFY2(pyftpd->start(), qPrintable(pyftpd->error()));
            port = pyftpd->port();
            user = pyftpd->user();
            password = pyftpd->password();
        }
        FileOpsRig rig;
        rig.showLocal(localRoot.path());
        QVERIFY(rig.connectTo("127.0.0.1", port, user, password, remoteDir));
        QAction *compare = rig.w.commands().mnuViewCompare;
        QAction *hide = rig.w.commands().mnuViewCompareHide;
        QVERIFY(compare->isEnabled() && !hide->isEnabled());

        compare->trigger();
        const QStringList local = {"README.TXT ＋ 仅本地", "newer.txt ▲ 较新",
                                   "only here.txt ＋ 仅本地", "size.txt ≠ 大小不同"};
        const QStringList remote = {"newer.txt ▼ 较旧", "readme.txt ＋ 仅服务器",
                                    "size.txt ≠ 大小不同"};
        QTRY_COMPARE(marked(rig, false), local);
        QCOMPARE(marked(rig, true), remote);
        QVERIFY(compare->isChecked() && hide->isEnabled());
        QCOMPARE(rig.model(true)->index(rig.model(true)->findText("size.txt"), 0).data(),
                 QVariant("size.txt  ≠ 大小不同"));

        hide->trigger();
        const auto andHidden = [](QStringList marks) {
            marks << "same.txt hidden";
            marks.sort();
            return marks;
        };
        QTRY_COMPARE(marked(rig, false), andHidden(local));
        QCOMPARE(marked(rig, true), andHidden(remote));
        rig.activate(true);
        rig.w.dispatch().ButtonClick("刷新");
        QTRY_COMPARE(marked(rig, true), andHidden(remote));
        rig.w.commands().keySelectAll->trigger();
        QVERIFY(!rig.pane(true)->isRowSelected(rig.model(true)->findText("same.txt")));
        QVERIFY(rig.pane(true)->isRowSelected(rig.model(true)->findText("Music [FLAC]")));

        // Into a folder only the server side changes, and back.
        rig.w.remotePane().ChangeRemoteDir("Music [FLAC]");
        QTRY_COMPARE(marked(rig, true), QStringList({"track.flac ＋ 仅服务器"}));
        rig.w.remotePane().ChangeRemoteDir(remoteDir);
        QTRY_COMPARE(marked(rig, true), andHidden(remote));

        compare->trigger();
        QCOMPARE(marked(rig, false), QStringList());
        QCOMPARE(marked(rig, true), QStringList());
        QVERIFY(!compare->isChecked() && !hide->isEnabled());
    }
};

QTEST_MAIN(TestPaneComparison)
#include "tst_panecomparison.moc"
