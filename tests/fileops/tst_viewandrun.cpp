#include "FileOpsRig.h"
#include "RecordingFtpServer.h"
#include "fixtures/TestFiles.h"
#include "ftp/FtpSession.h"
#include "platform/DesktopShell.h"
#include "platform/TextViewerDialog.h"
#include "platform/ViewerSettings.h"
#include "window/StatusPanels.h"

#include <QProgressBar>
#include <QStringEncoder>
#include <QTemporaryDir>

namespace {
QStringList calls(const ScriptedShell &shell)
{
    QStringList out;
    for (const ScriptedShell::Call &call : shell.calls)
        out << call.what + QLatin1Char(' ') + QFileInfo(call.target).fileName() +
                   (call.arguments.isEmpty() ? QString()
                                             : QLatin1Char(' ') + call.arguments.join(','));
    return out;
}
} // namespace

class TestViewAndRun : public QObject
{
    Q_OBJECT

    QTemporaryDir tree;
    std::unique_ptr<RecordingFtpServer> server;
    const QByteArray gbk = QStringEncoder("GB18030").encode(QStringLiteral("中文内容\n第二行\n"));
    const qint64 huge = 3LL * 1024 * 1024 * 1024 + 5;

    std::unique_ptr<FileOpsRig> connected()
    {
        auto rig = std::make_unique<FileOpsRig>();
        if (!rig->connectTo(server->host(), server->port(), server->user(), server->password(),
                            "/"))
            return nullptr;
        return rig;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TestFiles::write(tree.filePath("empty.txt"), ""));
        QVERIFY(TestFiles::write(tree.filePath("gbk.txt"), gbk));
        QVERIFY(TestFiles::write(tree.filePath("gone.txt"), "x"));
        QVERIFY(TestFiles::writeSparse(tree.filePath("huge.iso"), huge));
        server = std::make_unique<RecordingFtpServer>(tree.path());
        QVERIFY2(server->start(), qPrintable(server->error()));
    }

    // A local file goes to the viewer the options name, read afresh each
    // time: Korvu's own viewer unless a program is chosen, which gets the
    // path as one argument, blanks and all. A viewer that cannot start
    // leaves one line in the log.
    void viewLocal_data()
    {
        QTest::addColumn<QString>("useNotepad"); // empty: not in the settings
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("settings absent") << ""
                                         << ""
                                         << "viewer";
        QTest::newRow("a viewer with blanks in its path") << "0"
                                                          << "<script>"
                                                          << "program";
        QTest::newRow("a viewer that cannot start") << "0"
                                                    << "/no/such viewer"
                                                    << "log";
        QTest::newRow("no viewer named") << "0"
                                         << ""
                                         << "log";
    }

    void viewLocal()
    {
        QFETCH(QString, useNotepad);
        QFETCH(QString, program);
        QFETCH(QString, outcome);
        QTemporaryDir dir;
        const QString file = dir.filePath("a b.txt");
        QVERIFY(TestFiles::write(file, "hello\n"));
        const QString script = dir.filePath("my viewer/view it");
        QVERIFY(TestFiles::write(script, "#!/bin/sh\nprintf %s \"$1\" > \"$0.out\"\n"));
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner));
        DesktopShell desktop;
        FileOpsRig rig(&desktop);
        if (!useNotepad.isEmpty()) {
            rig.settings->setValue(ViewerSettings::UseNotepadKey, useNotepad);
            rig.settings->setValue(ViewerSettings::ProgramKey, program.replace("<script>", script));
        }
        rig.showLocal(dir.path());
        rig.select(false, {"a b.txt"});
        QVERIFY(rig.w.commands().button("查看")->isEnabled());

        rig.press("查看");

        const auto viewers = rig.w.findChildren<TextViewerDialog *>();
        QCOMPARE(viewers.size(), outcome == "viewer" ? 1 : 0);
        if (outcome == "viewer") {
            QVERIFY(viewers.first()->isVisible() && !viewers.first()->isModal());
            QCOMPARE(viewers.first()->windowTitle(), QStringLiteral("a b.txt - Korvu"));
            QCOMPARE(viewers.first()->text(), QStringLiteral("hello\n"));
        }
        if (outcome == "program")
            QTRY_COMPARE(TestFiles::read(script + ".out"), file.toUtf8());
        QCOMPARE(rig.log().count("\r\n"), outcome == "log" ? 1 : 0);
    }

    // Run takes the local pane's selected row whichever pane is active;
    // properties with the remote pane active are the remote row's. The
    // parent row is no operand.
    void runAndProperties_data()
    {
        QTest::addColumn<bool>("remoteActive");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("the remote pane active")
            << true << "a.txt" << QStringList({"openFile a.txt"});
        QTest::newRow("the parent row") << false << ".." << QStringList();
    }

    void runAndProperties()
    {
        QFETCH(bool, remoteActive);
        QFETCH(QString, chosen);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("a.txt"), "a"));
        FileOpsRig rig;
        rig.showLocal(dir.path());
        rig.select(false, {chosen});
        rig.activate(remoteActive);
        rig.press("运行");
        rig.press("属性");
        QCOMPARE(calls(rig.shell), expected);
        for (const ScriptedShell::Call &call : rig.shell.calls)
            QCOMPARE(call.target, dir.filePath(chosen));
    }

    // A remote file is fetched whole into the scratch file and shown in
    // Korvu's own viewer under its own name. The progress bar's scale is the
    // listed size (a size of 0 leaves it as it was; the last report grows
    // it by a tenth), and the bar is reset afterwards, also when the
    // download fails.
    void viewRemote_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("gone");
        QTest::addColumn<qint64>("scale");
        QTest::addColumn<QString>("shown");
        QTest::newRow("an empty file") << "empty.txt" << false << qint64(100) << "";
        QTest::newRow("a GBK text file")
            << "gbk.txt" << false << qint64(gbk.size() + gbk.size() / 10) << "中文内容\n第二行\n";
        QTest::newRow("gone since the listing") << "gone.txt" << true << qint64(1) << "";
    }

    void viewRemote()
    {
        QFETCH(QString, name);
        QFETCH(bool, gone);
        QFETCH(qint64, scale);
        QFETCH(QString, shown);
        auto rig = connected();
        QVERIFY(rig);
        rig->select(true, {name});
        QVERIFY(rig->w.commands().mnuShow->isEnabled());
        if (gone)
            QVERIFY(QFile::remove(tree.filePath(name)));
        StatusPanels *bar = rig->w.ui().sbStatusBar;

        rig->press("查看");

        QCOMPARE(bar->progressMaximum(), scale);
        QCOMPARE(bar->progressValue(), qint64(0));
        QCOMPARE(bar->panelText("Rate"), QString());
        QVERIFY(rig->w.commands().mnuLogout->isEnabled() && rig->w.commands().mnuEdit->isEnabled());
        if (gone) {
            QVERIFY(rig->shell.calls.isEmpty());
            QVERIFY(rig->log().contains("550"));
            return;
        }
        QCOMPARE(calls(rig->shell), QStringList({"viewText KorvuScratchFile " + name}));
        QCOMPARE(rig->shell.calls.first().target, rig->globals.gScratchFile);
        TextViewerDialog viewer;
        QVERIFY(viewer.load(rig->globals.gScratchFile, name));
        QCOMPARE(viewer.text(), shown);
        QCOMPARE(viewer.windowTitle(), name + " - Korvu");
    }

    // A file past 2 GiB keeps the bar within its range; stopped, nothing is
    // shown and the bar is reset.
    void viewingAHugeRemoteFile()
    {
        auto rig = connected();
        QVERIFY(rig);
        rig->select(true, {"huge.iso"});
        StatusPanels *bar = rig->w.ui().sbStatusBar;
        qint64 scale = 0;
        bool inRange = false;
        connect(&rig->w.session(), &RemoteSession::ActivityEvent, &rig->w,
                [&](const RemoteActivity &event) {
                    if (event.kind != RemoteActivityKind::DownloadFileProgress || scale)
                        return;
                    scale = bar->progressMaximum();
                    QProgressBar *shown = bar->progress();
                    inRange =
                        shown->value() >= shown->minimum() && shown->value() <= shown->maximum();
                    rig->press("停止操作");
                });

        rig->press("查看");

        QCOMPARE(scale, huge);
        QVERIFY(inRange);
        QVERIFY(rig->shell.calls.isEmpty());
        QCOMPARE(bar->progressValue(), qint64(0));
        QCOMPARE(bar->panelText("Rate"), QString());
    }
};

QTEST_MAIN(TestViewAndRun)
#include "tst_viewandrun.moc"
