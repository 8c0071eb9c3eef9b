#include "AppTestSupport.h"
#include "app/CommandDispatch.h"
#include "connection/ConnectionController.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestFiles.h"
#include "ftp/FtpSession.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "platform/SessionLog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeView>
#include <QtTest>

namespace {
QStringList texts(FileListView *pane)
{
    QStringList out;
    for (const FileRow &r : pane->model()->rows())
        out << r.text;
    return out;
}
} // namespace

// What the pane commands and the folder boxes act on, in a window connected
// to pyftpdlib.
class TestPaneCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir tree;
    std::unique_ptr<PyFtpdServer> server;

    bool connect(AppHarness &h, MainWindow &w)
    {
        h.globals.gHost = server->host();
        h.globals.gUser = server->user();
        h.globals.gPassword = server->password();
        h.globals.gPort = server->port();
        h.globals.gTimeout = 10;
        w.connection().Connect();
        w.show();
        return w.ftp().ConnectionState() == 2 && QTest::qWaitForWindowActive(&w);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TestFiles::write(tree.filePath("docs/readme.txt"), "read me"));
        QVERIFY(TestFiles::write(tree.filePath("hello.txt"), "hello"));
        server = std::make_unique<PyFtpdServer>(tree.path());
        QVERIFY2(server->start(), qPrintable(server->error()));
    }

    // The focus left a file pane for the log: the commands still act on that
    // pane, the one whose commands the menus and buttons offer.
    void commandsActOnThePaneTheyWereOfferedFor_data()
    {
        QTest::addColumn<QString>("pane"); // the file pane that had the focus last
        QTest::addColumn<QString>("button");
        for (const char *pane : {"remote", "local"})
            for (const char *button : {"刷新", "查看", "列表视图"})
                QTest::addRow("%s, %s", pane, button) << pane << button;
    }

    void commandsActOnThePaneTheyWereOfferedFor()
    {
        QFETCH(QString, pane);
        QFETCH(QString, button);
        AppHarness h;
        QVERIFY(TestFiles::write(h.home + "/mine.txt", "mine"));
        MainWindow &w = h.start();
        QVERIFY(connect(h, w));
        FileListView *active = pane == "remote" ? w.ui().lvwRemote : w.ui().lvwLocal;
        FileListView *other = pane == "remote" ? w.ui().lvwLocal : w.ui().lvwRemote;
        const QString file = pane == "remote" ? "hello.txt" : "mine.txt";
        active->reportView()->setFocus(Qt::MouseFocusReason);
        active->selectRow(active->model()->findText(file));
        w.ui().txtLog->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(!w.state().LocalHasFocus && !w.state().RemoteHasFocus);
        // Something new on both sides, for a refresh to find.
        QVERIFY(TestFiles::write(tree.filePath("new.txt"), "n"));
        QVERIFY(TestFiles::write(h.home + "/new.txt", "n"));
        const auto cleanUp = qScopeGuard([this] { QFile::remove(tree.filePath("new.txt")); });

        QVERIFY(w.commands().button(button)->isEnabled());
        w.commands().button(button)->trigger();
        if (button == "刷新") {
            QVERIFY(texts(active).contains("new.txt"));
            QVERIFY(!texts(other).contains("new.txt"));
        } else if (button == "查看") {
            QCOMPARE(h.shell.calls.size(), 1);
            QVERIFY(h.shell.calls.at(0).target.endsWith(pane == "remote" ? "KorvuScratchFile"
                                                                         : "/mine.txt"));
        } else {
            QCOMPARE(active->viewMode(), FileListView::ListMode);
            QCOMPARE(other->viewMode(), FileListView::ReportMode);
        }
    }

    // A path typed into a folder box and confirmed with Enter.
    void typedFolders_data()
    {
        QTest::addColumn<QString>("box"); // "remote" or "local"
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // in the box afterwards
        QTest::addColumn<QString>("listed");
        QTest::newRow("remote, full path") << "remote"
                                           << "/docs"
                                           << "/docs"
                                           << "readme.txt";
        QTest::newRow("remote, relative") << "remote"
                                          << "docs/"
                                          << "/docs"
                                          << "readme.txt";
        QTest::newRow("remote, refused") << "remote"
                                         << "/missing"
                                         << "/"
                                         << "hello.txt";
        QTest::newRow("local, doubled separators") << "local"
                                                   << "HOME///工作//"
                                                   << "HOME/工作/"
                                                   << "plan.txt";
        QTest::newRow("local, dot and dot-dot") << "local"
                                                << "HOME/./工作/../工作"
                                                << "HOME/工作/"
                                                << "plan.txt";
    }

    void typedFolders()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, listed);
        AppHarness h;
        QVERIFY(TestFiles::write(h.home + "/工作/plan.txt", "plan"));
        typed.replace("HOME", h.home);
        shown.replace("HOME", h.home);
        MainWindow &w = h.start();
        QVERIFY(connect(h, w));
        const bool remote = box == "remote";
        QComboBox *combo = remote ? w.ui().cmbRemoteDir : w.ui().cmbLocalDir;
        combo->lineEdit()->setFocus();
        combo->lineEdit()->selectAll();
        combo->lineEdit()->insert(typed);       // as pasted: QTest types no Chinese
        QTest::keyClick(combo, Qt::Key_Return); // the box has the focus, not its line edit

        QCOMPARE(combo->currentText(), shown);
        QVERIFY(texts(remote ? w.ui().lvwRemote : w.ui().lvwLocal).contains(listed));
        if (remote) {
            QCOMPARE(h.globals.gRemoteDir, shown);
            if (shown == "/")
                QVERIFY(w.log().text().contains("550"));
            return;
        }
        // The folder goes on as shown, into the queue too.
        w.ui().lvwLocal->selectRow(w.ui().lvwLocal->model()->findText(listed));
        w.dispatch().ButtonClick(QStringLiteral("上传"));
        const auto cleanUp = qScopeGuard([this] { QFile::remove(tree.filePath("plan.txt")); });
        QCOMPARE(w.ui().lvwStatus->model()->rowCount(), 1);
        QCOMPARE(w.ui().lvwStatus->model()->row(0).subItem(1), shown + listed);
    }
};

QTEST_MAIN(TestPaneCommands)
#include "tst_panecommands.moc"
