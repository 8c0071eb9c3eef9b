#include "platform/Shell.h"
#include "remote/RemoteActivity.h"
#include "transfer/ProgressDisplay.h"
#include "window/WindowTestSupport.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

namespace {
// The status bar and log of a window, moved by the session's reports.
struct ProgressRig
{
    TestCommands actions;
    ScriptedShell shell;
    QWidget window;
    QPlainTextEdit *txtLog = new QPlainTextEdit(&window);
    TestContext parts{&window, actions.commands, txtLog, shell};
    ProgressDisplay display{parts.context};
    StatusPanels &bar = *parts.statusBar;

    void report(RemoteActivityKind kind, qint64 count, qint64 total = -1)
    {
        RemoteActivity activity;
        activity.kind = kind;
        activity.count = count;
        activity.total = total;
        display.ActivityEvent(activity);
    }
    void folderOutcome(RemoteFolderOutcome outcome, const QString &words)
    {
        RemoteActivity activity;
        activity.kind = RemoteActivityKind::MakeDirectoryResult;
        activity.folder = outcome;
        activity.reply = words;
        activity.text = words;
        display.ActivityEvent(activity);
    }
};
} // namespace

class TestProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << qint64(0) << "";
        QTest::newRow("negative") << qint64(-5) << "";
        QTest::newRow("one byte") << qint64(1) << "1 B";
        QTest::newRow("bytes up to 1000") << qint64(1000) << "1000 B";
        QTest::newRow("kilobytes from 1001") << qint64(1001) << "1.0 KB";
        QTest::newRow("half rounds up") << qint64(1280) << "1.3 KB";
        QTest::newRow("1024 KB") << qint64(1048576) << "1024.0 KB";
        QTest::newRow("megabytes after") << qint64(1048577) << "1.0 MB";
        QTest::newRow("past 4 GiB") << qint64(5368709120) << "5120.0 MB";
    }

    void formatSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(StatusPanels::FormatSize(bytes), text);
    }

    void showTransferFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("size"); // -1: none
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sizeShown");
        QTest::newRow("short") << "文件:a.txt" << qint64(2048) << "文件:a.txt"
                               << "实际大小:2.0 KB";
        QTest::newRow("fifteen") << "123456789012345" << qint64(-1) << "123456789012345"
                                 << "";
        QTest::newRow("sixteen") << "1234567890123456" << qint64(7) << "123456789012345..."
                                 << "实际大小:7 B";
        QTest::newRow("cleared") << "" << qint64(-1) << ""
                                 << "";
        QTest::newRow("big") << "x" << qint64(5368709120) << "x"
                             << "实际大小:5120.0 MB";
    }

    void showTransferFile()
    {
        QFETCH(QString, text);
        QFETCH(qint64, size);
        QFETCH(QString, name);
        QFETCH(QString, sizeShown);
        StatusPanels bar;
        bar.ShowTransferFile(text, size);
        QCOMPARE(bar.panelText(QStringLiteral("FileName")), name);
        QCOMPARE(bar.panelText(QStringLiteral("FileSize")), sizeShown);
    }

    // Reports move the bar from the restart offset; past its end the scale
    // grows to 110 % of the position, never beyond what the bar can show.
    void progress_data()
    {
        QTest::addColumn<RemoteActivityKind>("kind");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<QList<qint64>>("counts");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<qint64>("newMaximum");
        QTest::addColumn<QString>("rate");
        QTest::newRow("resumed download")
            << RemoteActivityKind::DownloadFileProgress << qint64(500) << qint64(1000)
            << QList<qint64>{100, 200} << qint64(700) << qint64(1000) << "已完成:700 B";
        QTest::newRow("download reaching the end")
            << RemoteActivityKind::DownloadFileProgress << qint64(0) << qint64(1000)
            << QList<qint64>{1000} << qint64(1000) << qint64(1100) << "已完成:1000 B";
        QTest::newRow("upload reaching the end")
            << RemoteActivityKind::UploadFileProgress << qint64(0) << qint64(1000)
            << QList<qint64>{1000} << qint64(1000) << qint64(1000) << "已完成:1000 B";
        QTest::newRow("tree beyond the design scale")
            << RemoteActivityKind::DownloadManyProgress << qint64(0) << qint64(100)
            << QList<qint64>{150} << qint64(100) << qint64(165) << "已完成:150 B";
        QTest::newRow("tree copies count without offset")
            << RemoteActivityKind::UploadManyProgress << qint64(999) << qint64(1000)
            << QList<qint64>{10} << qint64(10) << qint64(1000) << "已完成:10 B";
        QTest::newRow("resumed past 4 GiB")
            << RemoteActivityKind::DownloadFileProgress << qint64(5368709120) << qint64(6442450944)
            << QList<qint64>{536870912} << qint64(5905580032) << qint64(6442450944)
            << "已完成:5632.0 MB";
    }

    void progress()
    {
        QFETCH(RemoteActivityKind, kind);
        QFETCH(qint64, offset);
        QFETCH(qint64, maximum);
        QFETCH(QList<qint64>, counts);
        QFETCH(qint64, value);
        QFETCH(qint64, newMaximum);
        QFETCH(QString, rate);
        ProgressRig rig;
        rig.display.setRestartOffset(offset);
        rig.bar.setProgressMaximum(maximum);
        rig.bar.setProgressValue(offset);
        for (qint64 count : counts)
            rig.report(kind, count);
        QCOMPARE(rig.bar.progressValue(), value);
        QCOMPARE(rig.bar.progressMaximum(), newMaximum);
        QCOMPARE(rig.bar.panelText(QStringLiteral("Rate")), rate);
        QVERIFY(rig.parts.log.text().isEmpty());
    }

    // A whole-folder copy: the bar follows the file in hand, the amount and
    // the speed count the whole copy; a single file shows its percentage in
    // the title until the transfer ends.
    void treeCopiesAndTheTitle()
    {
        ProgressRig rig;
        rig.window.setWindowTitle(QStringLiteral("Korvu (连接到: h)"));
        rig.report(RemoteActivityKind::FileStarted, 0);
        rig.report(RemoteActivityKind::DownloadManyProgress, 3000, 4000);
        QCOMPARE(rig.bar.progressMaximum(), qint64(4000));
        rig.report(RemoteActivityKind::DownloadManyProgress, 4000, 4000);
        rig.report(RemoteActivityKind::FileStarted, 0);
        rig.report(RemoteActivityKind::DownloadManyProgress, 500, 2000);
        QCOMPARE(rig.bar.progressValue(), qint64(500));
        QCOMPARE(rig.bar.progressMaximum(), qint64(2000));
        QVERIFY(
            rig.bar.panelText(QStringLiteral("Rate")).startsWith(QStringLiteral("已完成:4.4 KB")));
        QCOMPARE(rig.window.windowTitle(), QStringLiteral("Korvu (连接到: h)"));

        rig.bar.setProgressMaximum(1000);
        rig.report(RemoteActivityKind::UploadFileProgress, 420);
        QCOMPARE(rig.window.windowTitle(), QStringLiteral("[42%] Korvu (连接到: h)"));
        rig.report(RemoteActivityKind::UploadFileProgress, 500);
        QCOMPARE(rig.window.windowTitle(), QStringLiteral("[50%] Korvu (连接到: h)"));
        // Any transfer's end puts the bar back to 0, a remote view's too.
        rig.bar.setProgressValue(0);
        QCOMPARE(rig.window.windowTitle(), QStringLiteral("Korvu (连接到: h)"));
        rig.display.finishTransfer();
        QCOMPARE(rig.bar.panelText(QStringLiteral("Rate")), QString());
        QCOMPARE(rig.bar.progressValue(), qint64(0));
    }

    // The speed over the last seconds and, for one file, the time left; a
    // pause starts the measurement again.
    void speedAndTimeLeft()
    {
        ProgressRig rig;
        qint64 clock = 0;
        rig.display.setClock([&clock] { return clock; });
        rig.bar.setProgressMaximum(10 * 1048576);
        const auto at = [&](qint64 msecs, qint64 mebibytes) {
            clock = msecs;
            rig.report(RemoteActivityKind::DownloadFileProgress, mebibytes * 1048576);
            return rig.bar.panelText(QStringLiteral("Rate"));
        };
        QCOMPARE(at(0, 0), QStringLiteral("已完成:"));
        QCOMPARE(at(1000, 2), QStringLiteral("已完成:2.0 MB  2.0 MB/s  剩余 00:04"));
        QCOMPARE(at(2000, 4), QStringLiteral("已完成:4.0 MB  2.0 MB/s  剩余 00:03"));
        QCOMPARE(at(6000, 5), QStringLiteral("已完成:5.0 MB"));
        rig.report(RemoteActivityKind::DownloadManyProgress, 1048576, 4096 * 1024);
        clock = 7000;
        rig.report(RemoteActivityKind::DownloadManyProgress, 3 * 1048576, 4096 * 1024);
        // A folder's size is not known: no time left.
        QCOMPARE(rig.bar.panelText(QStringLiteral("Rate")),
                 QStringLiteral("已完成:3.0 MB  2.0 MB/s"));
    }

    // The outcome of a make-directory request, and what reaches the log.
    void reportsOtherThanProgress()
    {
        ProgressRig rig;
        WindowState &state = rig.parts.state;
        rig.folderOutcome(RemoteFolderOutcome::AlreadyThere, QStringLiteral("exists"));
        QVERIFY(!state.MakeDirAnswered);
        rig.folderOutcome(RemoteFolderOutcome::NotMade, QStringLiteral("refused"));
        QVERIFY(state.MakeDirAnswered && !state.MakeDirSucceeded);
        QCOMPARE(rig.bar.statusPicture(), int(StatusPanels::Stopped));
        state.MakeDirAnswered = false;
        rig.folderOutcome(RemoteFolderOutcome::Made, QStringLiteral("257 \"/x\" created"));
        QVERIFY(state.MakeDirAnswered && state.MakeDirSucceeded);
        QCOMPARE(rig.bar.statusPicture(), int(StatusPanels::Closed));
        rig.display.ActivityEvent(
            RemoteActivity::note(RemoteActivityKind::EncryptionNote, QStringLiteral("note")));
        QCOMPARE(rig.bar.statusPicture(), int(StatusPanels::Connected));
        QCOMPARE(rig.parts.log.text(),
                 QStringLiteral("exists\r\nrefused\r\n257 \"/x\" created\r\nnote\r\n"));
    }
};

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
