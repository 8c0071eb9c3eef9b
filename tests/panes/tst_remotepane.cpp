#include "PaneTestSupport.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestFiles.h"
#include "fixtures/VsftpdServer.h"
#include "ftp/FtpSession.h"
#include "panes/FileListView.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteTexts.h"
#include "window/RemoteErrors.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtTest>
#include <functional>
#include <memory>

namespace {
// The remote pane's widgets in a window of their own, with a second control
// to take the focus, the log and a real FTP session. The remote pane is the
// active one.
class RemotePaneRig : public QWidget
{
public:
    RemotePaneRig()
        : commands(actions.commands), txtLog(new QPlainTextEdit(this)),
          parts(std::make_unique<TestContext>(this, commands, txtLog, shell)), state(parts->state),
          g(parts->g), session(parts->session), context(parts->context)
    {
        setWindowTitle(QStringLiteral("Korvu"));
        model = new FileListModel({QStringLiteral("名称"), QStringLiteral("大小"),
                                   QStringLiteral("日期"), QStringLiteral("权限")},
                                  this);
        fraRemote = new QGroupBox(QStringLiteral("远程视图"), this);
        cmbRemoteDir = new QComboBox(fraRemote);
        lvwRemote = new FileListView(model, fraRemote);
        auto *frameLayout = new QVBoxLayout(fraRemote);
        frameLayout->addWidget(cmbRemoteDir);
        frameLayout->addWidget(lvwRemote);
        elsewhere = new QLineEdit(this);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(fraRemote);
        layout->addWidget(elsewhere);
        layout->addWidget(txtLog);
        resize(600, 700);
        pane = std::make_unique<RemotePane>(context, lvwRemote, cmbRemoteDir, fraRemote);
        context.availability.setSources({{},
                                         [this] { return pane->selectedRowKind(); },
                                         {},
                                         {},
                                         [this](Pane) { return lvwRemote->viewMode(); }});
        state.LocalHasFocus = false;
        state.RemoteHasFocus = true;
        context.availability.refresh();
        // The server's replies reach the log, as in the main window.
        connect(&session, &FtpSession::ActivityEvent, this, [this](const RemoteActivity &activity) {
            if (activity.category() == RemoteCategory::ServerReply)
                parts->log.append(RemoteTexts::logLine(activity));
        });
    }

    bool connectTo(const QString &host, int port, const QString &user, const QString &password)
    {
        try {
            session.OpenConnection(host, user, password, QString(), port);
        } catch (const RemoteError &error) {
            qWarning() << error.number << RemoteTexts::description(error);
            return false;
        }
        g.gRemoteDir = session.CurrentDirectory();
        pane->DoRemoteRefresh(session.CurrentDirectory());
        return true;
    }

    QStringList texts() const
    {
        QStringList out;
        for (const FileRow &r : model->rows())
            out << r.text;
        return out;
    }
    QStringList history() const
    {
        QStringList out;
        for (int i = 0; i < cmbRemoteDir->count(); ++i)
            out << cmbRemoteDir->itemText(i);
        return out;
    }
    int rowOf(const QString &text) const { return model->findText(text); }
    QString iconOf(const QString &text) const { return model->row(rowOf(text)).iconKey(); }

    void doubleClick(const QString &text)
    {
        QTreeView *view = lvwRemote->reportView();
        const QModelIndex index = model->index(rowOf(text), 0);
        const QPoint at = view->visualRect(index).center();
        // As from a real mouse: the first click selects, the second one opens.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    void pressEnterOn(const QString &text)
    {
        lvwRemote->selectRow(rowOf(text));
        QTest::keyClick(lvwRemote->reportView(), Qt::Key_Return);
    }

    TestCommands actions;
    Commands &commands;
    ScriptedShell shell;
    QPlainTextEdit *txtLog;
    std::unique_ptr<TestContext> parts;
    WindowState &state;
    Globals &g;
    FtpSession &session;
    WindowContext &context;
    FileListModel *model;
    FileListView *lvwRemote;
    QComboBox *cmbRemoteDir;
    QGroupBox *fraRemote;
    QLineEdit *elsewhere;
    std::unique_ptr<RemotePane> pane;
};
} // namespace

class TestRemotePane : public QObject
{
    Q_OBJECT

    QTemporaryDir tree;
    std::unique_ptr<PyFtpdServer> server;

    std::unique_ptr<RemotePaneRig> connectedRig()
    {
        auto rig = std::make_unique<RemotePaneRig>();
        rig->show();
        if (!QTest::qWaitForWindowExposed(rig.get()))
            return nullptr;
        if (!rig->connectTo(server->host(), server->port(), server->user(), server->password()))
            return nullptr;
        return rig;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TestFiles::write(tree.filePath("beta/inner.txt"), "inner"));
        QVERIFY(TestFiles::write(tree.filePath("Alpha/sub/deep.txt"), "deep"));
        QVERIFY(QDir(tree.path()).mkpath("empty"));
        QVERIFY(TestFiles::write(tree.filePath("zeta.txt"), "z"));
        QVERIFY(TestFiles::write(tree.filePath("a.bin"), "aaaa"));
        QVERIFY(TestFiles::writeSparse(tree.filePath("big.iso"), 5368709123LL));
        server = std::make_unique<PyFtpdServer>(tree.path());
        QVERIFY2(server->start(), qPrintable(server->error()));
    }

    void fillsTheServerDirectory()
    {
        auto rig = connectedRig();
        QVERIFY(rig);
        // The parent row, the folders, then the files, each sorted by name.
        QCOMPARE(rig->texts(),
                 QStringList({"..", "Alpha", "beta", "empty", "a.bin", "big.iso", "zeta.txt"}));
        QCOMPARE(rig->model->findParent(), 0);
        QCOMPARE(rig->model->row(rig->rowOf("beta")).tag, QStringLiteral("/beta"));
        QCOMPARE(rig->model->text(rig->rowOf("big.iso"), 1), QStringLiteral("5368709123"));
        QCOMPARE(rig->cmbRemoteDir->currentText(), QStringLiteral("/"));
        QCOMPARE(rig->lvwRemote->selectedRow(), -1);

        rig->pane->DoRemoteRefresh(QStringLiteral("/empty"));
        QCOMPARE(rig->texts(), QStringList({".."}));
        QCOMPARE(rig->cmbRemoteDir->currentText(), QStringLiteral("/empty"));
    }

    void refreshWithoutAConnectionChangesNothing()
    {
        RemotePaneRig rig;
        rig.cmbRemoteDir->setEditText(QStringLiteral("/before"));
        rig.model->fill({FileListModel::parentRow()});
        rig.pane->DoRemoteRefresh(QStringLiteral("/pub"));
        QCOMPARE(rig.cmbRemoteDir->currentText(), QStringLiteral("/before"));
        QCOMPARE(rig.texts(), QStringList({".."}));
        QVERIFY(rig.parts->log.text().isEmpty());
    }

    void aDirectoryTheServerRefusesKeepsTheListingOnShow()
    {
        auto rig = connectedRig();
        QVERIFY(rig);
        const QStringList before = rig->texts();

        rig->pane->DoRemoteRefresh(QStringLiteral("/missing"));
        QCOMPARE(rig->texts(), before);
        QCOMPARE(rig->cmbRemoteDir->currentText(), QStringLiteral("/"));
        QVERIFY(rig->parts->log.text().contains(QStringLiteral("550")));
        QCOMPARE(rig->session.ConnectionState(), 2);

        // A history entry whose folder has gone away: the same.
        rig->cmbRemoteDir->addItem(QStringLiteral("/gone"));
        rig->cmbRemoteDir->setCurrentIndex(rig->cmbRemoteDir->count() - 1);
        Q_EMIT rig->cmbRemoteDir->activated(rig->cmbRemoteDir->count() - 1);
        QCOMPARE(rig->texts(), before);
        QCOMPARE(rig->cmbRemoteDir->currentText(), QStringLiteral("/"));
        QCOMPARE(rig->session.CurrentDirectory(), QStringLiteral("/"));

        // A pick that works lists that folder and becomes the place to return to.
        rig->cmbRemoteDir->addItem(QStringLiteral("/beta"));
        rig->cmbRemoteDir->setCurrentIndex(rig->cmbRemoteDir->count() - 1);
        Q_EMIT rig->cmbRemoteDir->activated(rig->cmbRemoteDir->count() - 1);
        QCOMPARE(rig->texts(), QStringList({"..", "inner.txt"}));
        QCOMPARE(rig->g.gRemoteDir, QStringLiteral("/beta"));
    }

    void doubleClickAndEnterWalkTheFoldersAndKeepAHistory()
    {
        auto rig = connectedRig();
        QVERIFY(rig);
        rig->doubleClick("Alpha");
        QCOMPARE(rig->cmbRemoteDir->currentText(), QStringLiteral("/Alpha"));
        QCOMPARE(rig->texts(), QStringList({"..", "sub"}));
        QCOMPARE(rig->g.gRemoteDir, QStringLiteral("/Alpha"));
        // The row that lands under the pointer is not selected by the click.
        QCOMPARE(rig->lvwRemote->selectedRow(), -1);

        rig->pressEnterOn("sub");
        QCOMPARE(rig->cmbRemoteDir->currentText(), QStringLiteral("/Alpha/sub"));
        QCOMPARE(rig->model->row(rig->rowOf("deep.txt")).tag,
                 QStringLiteral("/Alpha/sub/deep.txt"));

        rig->doubleClick("..");
        rig->doubleClick("..");
        QCOMPARE(rig->cmbRemoteDir->currentText(), QStringLiteral("/"));
        rig->doubleClick("Alpha");
        QCOMPARE(rig->history(), QStringList({"/Alpha", "/Alpha/sub", "/"}));

        // ".." at the root: the pane lists whatever the server stays in.
        rig->doubleClick("..");
        rig->doubleClick("..");
        QCOMPARE(rig->session.CurrentDirectory(), QStringLiteral("/"));
        QVERIFY(rig->texts().contains("zeta.txt"));

        // Enter on a file runs nothing: the pane stays where it is.
        const QStringList rows = rig->texts();
        rig->pressEnterOn("zeta.txt");
        QCOMPARE(rig->texts(), rows);
        QCOMPARE(rig->cmbRemoteDir->currentText(), QStringLiteral("/"));
    }

    // Folders whose names hold brackets or end in a blank are entered and
    // listed under their own names, beside decoys where a cut or trimmed
    // name would lead; only a typed text the server refuses is cut.
    void serverPathsAreUsedAsGiven()
    {
        QTemporaryDir root;
        for (const char *file : {"photos [2019]/in.txt", "photos /decoy.txt", "x /in.txt",
                                 "x/decoy.txt", "docs/in.txt"})
            QVERIFY(TestFiles::write(root.filePath(QString::fromUtf8(file)), "data"));
        PyFtpdServer pyftpd(root.path());
        QVERIFY2(pyftpd.start(), qPrintable(pyftpd.error()));
        RemotePaneRig rig;
        rig.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig));
        QVERIFY(rig.connectTo(pyftpd.host(), pyftpd.port(), pyftpd.user(), pyftpd.password()));

        auto typeFolder = [&rig](const QString &text) {
            rig.cmbRemoteDir->setEditText(text);
            Q_EMIT rig.cmbRemoteDir->activated(rig.cmbRemoteDir->currentIndex());
        };
        const struct
        {
            std::function<void()> go;
            QString shown;
        } steps[] = {
            {[&] { rig.doubleClick("photos [2019]"); }, "/photos [2019]"},
            {[&] { rig.pane->RefreshRemote(); }, "/photos [2019]"},
            {[&] { rig.doubleClick(".."); }, "/"},
            {[&] { rig.pressEnterOn("x "); }, "/x "},
            {[&] { typeFolder("/photos [2019]"); }, "/photos [2019]"},
            {[&] { typeFolder("/docs [old] "); }, "/docs"},
        };
        for (const auto &step : steps) {
            step.go();
            QCOMPARE(rig.cmbRemoteDir->currentText(), step.shown);
            QCOMPARE(rig.g.gRemoteDir, step.shown);
            if (step.shown == "/")
                continue;
            QCOMPARE(rig.texts(), QStringList({"..", "in.txt"}));
            QCOMPARE(rig.model->row(1).tag, step.shown + "/in.txt");
        }
        QCOMPARE(rig.session.ConnectionState(), 2);
    }

    void eventsDuringAnOperationAreIgnored()
    {
        auto rig = connectedRig();
        QVERIFY(rig);
        bool sawBusy = false;
        QObject context;
        connect(&rig->session, &FtpSession::ActivityEvent, &context,
                [&](const RemoteActivity &event) {
                    if (event.kind != RemoteActivityKind::ListingRead || !rig->session.IsBusy())
                        return;
                    sawBusy = true;
                    rig->doubleClick("beta");
                    rig->pressEnterOn("Alpha");
                    rig->pane->RemoteParentDir();
                });
        rig->pane->RefreshRemote();
        QVERIFY(sawBusy);
        QCOMPARE(rig->session.CurrentDirectory(), QStringLiteral("/"));
        QCOMPARE(rig->cmbRemoteDir->currentText(), QStringLiteral("/"));
    }

    void aFolderTheServerRefusesKeepsTheSession()
    {
        auto rig = connectedRig();
        QVERIFY(rig);
        const QStringList before = rig->texts();
        rig->pane->ChangeRemoteDir(QStringLiteral("/missing"));
        QCOMPARE(rig->session.ConnectionState(), 2);
        QVERIFY(!rig->state.ConnectionLost);
        QVERIFY(rig->parts->log.text().contains(QStringLiteral("550")));
        QCOMPARE(rig->texts(), before);
        QCOMPARE(rig->cmbRemoteDir->currentText(), QStringLiteral("/"));
        QVERIFY(!rig->commands.mnuLogin->isEnabled());
        QVERIFY(rig->commands.mnuLogout->isEnabled());
        QVERIFY(rig->commands.mnuEdit->isEnabled());
    }

    void reportRemoteErrorNeedsATextAndAPositiveNumber()
    {
        auto rig = connectedRig();
        QVERIFY(rig);
        const QString log = rig->parts->log.text();
        ReportRemoteError(rig->context, QString(), 550);
        ReportRemoteError(rig->context, QStringLiteral("ignored"), 0);
        ReportRemoteError(rig->context, QStringLiteral("ignored"), -3);
        QCOMPARE(rig->session.ConnectionState(), 2);
        QCOMPARE(rig->parts->log.text(), log);
        QVERIFY(!rig->state.ConnectionLost);

        rig->commands.mnuLogin->setEnabled(false);
        ReportRemoteError(rig->context, QStringLiteral("421 going away\r\n"), 421);
        QVERIFY(rig->parts->log.text().trimmed().endsWith(QStringLiteral("421 going away")));
        QCOMPARE(rig->session.ConnectionState(), 0);
        QVERIFY(rig->state.ConnectionLost);
        QVERIFY(rig->commands.mnuLogin->isEnabled());
        QVERIFY(!rig->commands.mnuLogout->isEnabled());
    }

    void headerClicksSortOnlyWhileConnectedAndIdle()
    {
        auto rig = connectedRig();
        QVERIFY(rig);
        rig->pane->SortRemoteByName();
        QCOMPARE(rig->texts().mid(0, 4), QStringList({"..", "Alpha", "beta", "empty"}));
        QCOMPARE(rig->texts().mid(4), QStringList({"a.bin", "big.iso", "zeta.txt"}));

        Q_EMIT rig->lvwRemote->headerClicked(0); // names, now descending
        QCOMPARE(rig->model->sortOrder(), Qt::DescendingOrder);
        const QStringList descending = {"..",       "empty",   "beta", "Alpha",
                                        "zeta.txt", "big.iso", "a.bin"};
        QCOMPARE(rig->texts(), descending);
        // Another listing keeps the sort.
        rig->pane->DoRemoteRefresh(QStringLiteral("/"));
        QCOMPARE(rig->texts(), descending);
        Q_EMIT rig->lvwRemote->headerClicked(3); // permissions keep the direction
        QCOMPARE(rig->model->sortOrder(), Qt::DescendingOrder);
        QCOMPARE(rig->model->sortColumn(), 3);

        rig->session.CloseConnection();
        const QStringList rows = rig->texts();
        Q_EMIT rig->lvwRemote->headerClicked(0);
        QCOMPARE(rig->model->sortColumn(), 3);
        QCOMPARE(rig->texts(), rows);
    }

    void focusSwitchesTheCommandSurfaceToTheRemotePane()
    {
        RemotePaneRig rig;
        rig.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig));
        Commands &c = rig.commands;
        c.button(QStringLiteral("刷新"))->setEnabled(true);
        rig.lvwRemote->setViewMode(FileListView::ListMode);
        rig.elsewhere->setFocus();
        rig.lvwRemote->setFocus();
        QTRY_VERIFY(rig.state.RemoteHasFocus);
        QVERIFY(!rig.state.LocalHasFocus && !rig.state.QueueHasFocus);
        QCOMPARE(c.mnuUpDown->text(), QStringLiteral("下载(&D)"));
        QVERIFY(c.button(QStringLiteral("下载"))->isEnabled());
        QVERIFY(!c.button(QStringLiteral("上传"))->isEnabled());
        QVERIFY(!c.button(QStringLiteral("刷新"))->isEnabled()); // not connected
        QVERIFY(!c.mnuRefresh->isEnabled());
        QVERIFY(!c.mnuProperty->isVisible());
        QVERIFY(c.mnuViewList->isChecked() && !c.mnuViewReport->isChecked());

        rig.elsewhere->setFocus();
        QTRY_VERIFY(!rig.state.RemoteHasFocus);
        QVERIFY(!c.mnuEdit->isEnabled() && !c.mnuUpDown->isEnabled());

        // A right-click shows the operations menu only while connected.
        Q_EMIT rig.lvwRemote->mouseReleased(Qt::RightButton, rig.mapToGlobal(QPoint(20, 20)));
        QVERIFY(!c.editMenu->isVisible());
        auto live = connectedRig();
        QVERIFY(live);
        Q_EMIT live->lvwRemote->mouseReleased(Qt::RightButton, live->mapToGlobal(QPoint(20, 20)));
        QTRY_VERIFY(live->commands.editMenu->isVisible());
        QCOMPARE(live->commands.editMenu->defaultAction(), live->commands.mnuUpDown);
        live->commands.editMenu->close();
    }

    void linksAreProbedAndTheServerStaysWithThePane()
    {
        if (!VsftpdServer::available())
            QSKIP(qPrintable(VsftpdServer::unavailableReason()));
        QTemporaryDir root;
        QVERIFY(TestFiles::write(root.filePath("real/file.txt"), "x"));
        QVERIFY(QFile::link("real", root.filePath("todir")));
        QVERIFY(QFile::link("real/file.txt", root.filePath("tofile")));
        VsftpdServer vsftpd(root.path());
        QVERIFY2(vsftpd.start(), qPrintable(vsftpd.error()));

        RemotePaneRig rig;
        rig.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig));
        QVERIFY(rig.connectTo(vsftpd.host(), vsftpd.port(), vsftpd.user(), vsftpd.password()));
        QCOMPARE(rig.iconOf("todir"), QStringLiteral("Link"));
        QCOMPARE(rig.iconOf("tofile"), QStringLiteral("Link"));

        // In and out again: ".." leaves the server in "/", where a probe
        // must bring it back to.
        rig.doubleClick("real");
        rig.doubleClick("..");
        QCOMPARE(rig.cmbRemoteDir->currentText(), QStringLiteral("/"));
        rig.pressEnterOn("todir");
        QCOMPARE(rig.iconOf("todir"), QStringLiteral("FolderLink"));
        QCOMPARE(rig.session.CurrentDirectory(), QStringLiteral("/"));
        QVERIFY(rig.commands.mnuLogout->isEnabled() && !rig.commands.mnuLogin->isEnabled());

        const qsizetype logLines = rig.parts->log.text().count(QStringLiteral("\r\n"));
        rig.pressEnterOn("tofile");
        QCOMPARE(rig.iconOf("tofile"), QStringLiteral("File"));
        QVERIFY(rig.parts->log.text().count(QStringLiteral("\r\n")) > logLines);
        QCOMPARE(rig.session.CurrentDirectory(), QStringLiteral("/"));
        QCOMPARE(rig.session.ConnectionState(), 2);

        // A folder link is entered through its full path.
        rig.doubleClick("todir");
        QCOMPARE(rig.texts(), QStringList({"..", "file.txt"}));
        QCOMPARE(rig.model->row(1).tag, rig.cmbRemoteDir->currentText() + "/file.txt");
    }
};

QTEST_MAIN(TestRemotePane)
#include "tst_remotepane.moc"
