#include "AppTestSupport.h"
#include "app/CommandDispatch.h"
#include "connection/ConnectionController.h"
#include "fixtures/FakeFtpServer.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestCertificate.h"
#include "fixtures/TestFiles.h"
#include "ftp/FtpSession.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/RemotePane.h"
#include "platform/SessionLog.h"
#include "platform/SiteDatabase.h"
#include "queue/QueueStore.h"
#include "remote/RemoteCodes.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <functional>

namespace {
// Runs `fill` on the modal dialog as soon as it is up, from inside its own
// event loop, the way a user would type into it.
void whenDialogOpens(std::function<void(QWidget *)> fill)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, fill] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        fill(dialog);
    });
    poll->start(10);
}

void type(QWidget *dialog, const char *field, const QString &text)
{
    auto *edit = dialog->findChild<QLineEdit *>(QLatin1String(field));
    QVERIFY2(edit, field);
    edit->setText(text);
}

void press(QWidget *dialog, const char *button)
{
    auto *b = dialog->findChild<QAbstractButton *>(QLatin1String(button));
    QVERIFY2(b, button);
    b->click();
}

// An empty site file of the harness's own, made from the shipped schema.
bool useFreshSiteFile(AppHarness &h)
{
    QFile schema(qEnvironmentVariable("KORVU_FIXTURES") +
                 QStringLiteral("/../../resources/sites.sql"));
    if (!schema.open(QIODevice::ReadOnly))
        return false;
    h.siteDatabase = h.root.filePath(QStringLiteral("korvu.sit"));
    QString error;
    return SiteDatabase::createFile(h.siteDatabase, QString::fromUtf8(schema.readAll()), &error);
}

int occurrences(const QString &text, const QString &part)
{
    return int(text.count(part));
}
} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

    QTemporaryDir tree;
    std::unique_ptr<PyFtpdServer> server;

    // A window whose session globals name the test server; connect with
    // "重新连接" (the globals of a confirmed dialog).
    void aim(AppHarness &h, const QString &password)
    {
        h.globals.gHost = server->host();
        h.globals.gUser = server->user();
        h.globals.gPassword = password;
        h.globals.gPort = server->port();
        h.globals.gTimeout = 10;
        h.globals.gPassive = true;
        h.globals.gDialogCancelled = false;
    }

    static QString logText(MainWindow &w) { return w.log().text(); }
    static QStringList remoteTexts(MainWindow &w)
    {
        QStringList out;
        for (const FileRow &r : w.ui().lvwRemote->model()->rows())
            out << r.text;
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TestFiles::write(tree.filePath("docs/readme.txt"), "read me"));
        QVERIFY(TestFiles::write(tree.filePath("hello.txt"), "hello"));
        server = std::make_unique<PyFtpdServer>(tree.path());
        QVERIFY2(server->start(), qPrintable(server->error()));
    }

    void quickConnectLogsInAndShowsTheServer()
    {
        AppHarness h;
        MainWindow &w = h.start();
        whenDialogOpens([this](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("frmConnect"));
            type(d, "txtIP", server->host());
            type(d, "txtUser", server->user());
            type(d, "txtPass", server->password());
            type(d, "txtPort", QString::number(server->port()));
            press(d, "cmdOK");
        });
        w.commands().button(QStringLiteral("连接"))->trigger();

        QCOMPARE(w.session().ConnectionState(), 2);
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvu (连接到: 127.0.0.1)"));
        const QString log = logText(w);
        QVERIFY(log.startsWith(QStringLiteral("连接中 ...\r\n")));
        QVERIFY(log.contains(QStringLiteral("连接到: 127.0.0.1\r\n")));
        QVERIFY(log.contains(QStringLiteral("230")));
        QVERIFY(!log.contains(server->password()));
        QCOMPARE(remoteTexts(w), QStringList({"..", "docs", "hello.txt"}));
        QCOMPARE(w.ui().cmbRemoteDir->currentText(), QStringLiteral("/"));
        QCOMPARE(h.globals.gHomeDir, QStringLiteral("/"));
        QCOMPARE(h.globals.gRemoteDir, QStringLiteral("/"));
        QVERIFY(h.globals.gRestartSupported);
        Commands &c = w.commands();
        QVERIFY(c.mnuLogout->isEnabled() && c.mnuRelogin->isEnabled());
        QVERIFY(c.button(QStringLiteral("断开连接"))->isEnabled());
        QVERIFY(c.button(QStringLiteral("重新连接"))->isEnabled());
        QVERIFY(!h.globals.gDialogCancelled);
    }

    // How the desktop starts Korvu for a link: quick connect filled in from
    // it; the password is typed, whatever the link held.
    void aLinkOpensQuickConnect()
    {
        AppHarness h;
        MainWindow &w = h.start();
        whenDialogOpens([this](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("frmConnect"));
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("txtUser"))->text(), server->user());
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("txtPass"))->text(), QString());
            type(d, "txtPass", server->password());
            press(d, "cmdOK");
        });
        w.connection().quickConnectTo(QStringLiteral("ftp://%1:not-this@%2:%3/docs")
                                          .arg(server->user(), server->host())
                                          .arg(server->port()));
        QCOMPARE(w.session().ConnectionState(), 2);
        QCOMPARE(remoteTexts(w), QStringList({"..", "docs", "hello.txt"}));

        // A text that names no FTP server opens nothing.
        AppHarness other;
        MainWindow &second = other.start();
        second.connection().quickConnectTo(QStringLiteral("http://example.com/"));
        QCOMPARE(other.prompts.asked.size(), 1);
        QCOMPARE(other.prompts.asked[0].text,
                 QStringLiteral("无法识别的 FTP 地址: http://example.com/"));
        QVERIFY(other.globals.gDialogCancelled);
    }

    // A link that comes while the question about unfinished transfers is
    // up waits for its answer: quick connect opens after it, not over it.
    void aLinkWaitsForTheStartUpQuestion()
    {
        AppHarness h;
        h.queueStore = h.root.filePath(QStringLiteral("queue.db"));
        QueueItem stored;
        stored.localPath = h.home + QStringLiteral("/a.txt");
        stored.remotePath = QStringLiteral("/a.txt");
        stored.site = std::make_shared<QueueSite>();
        QVERIFY(QueueStore(h.queueStore).save({stored}));
        h.prompts.messageAnswers = {Prompts::Answer::No};
        bool questionUp = false;
        bool openedOverQuestion = false;
        bool opened = false;
        MainWindow *window = nullptr;
        h.prompts.whileMessageUp = [&](const ScriptedPrompts::Asked &asked) {
            if (asked.text != QStringLiteral("继续上次未完成的传输?"))
                return;
            questionUp = true;
            window->openLink(
                QStringLiteral("ftp://u@%1:%2/").arg(server->host()).arg(server->port()));
            questionUp = false;
        };
        whenDialogOpens([&](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("frmConnect"));
            opened = true;
            openedOverQuestion = questionUp;
            press(d, "cmdCancel");
        });
        window = &h.start();
        QTRY_VERIFY(opened);
        QVERIFY(!openedOverQuestion);
        QCOMPARE(h.prompts.asked.first().text, QStringLiteral("继续上次未完成的传输?"));
    }

    void aRefusedLogInEndsInTheClosedState()
    {
        AppHarness h;
        MainWindow &w = h.start();
        aim(h, QStringLiteral("wrong-password"));
        w.commands().mnuRelogin->setEnabled(true);
        w.commands().mnuRelogin->trigger();

        QCOMPARE(w.session().ConnectionState(), 0);
        QVERIFY(w.state().ConnectionLost);
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvu"));
        const QString log = logText(w);
        QVERIFY(log.startsWith(QStringLiteral("连接中 ...\r\n")));
        QVERIFY(log.contains(QStringLiteral("530")));
        QVERIFY(!log.contains(QStringLiteral("wrong-password")));
        QVERIFY(!log.contains(QStringLiteral("连接已关闭")));
        QCOMPARE(w.ui().sbStatusBar->statusPicture(), int(StatusPanels::Closed));
        Commands &c = w.commands();
        QVERIFY(c.mnuLogin->isEnabled());
        QVERIFY(!c.mnuLogout->isEnabled());
        QVERIFY(c.mnuEdit->isEnabled());
        QVERIFY(!c.button(QStringLiteral("断开连接"))->isEnabled());
        QVERIFY(remoteTexts(w).isEmpty());
    }

    void aRefusedPortIsReportedOnce()
    {
        AppHarness h;
        MainWindow &w = h.start();
        aim(h, server->password());
        // A port nobody listens on: the server's own, once it is closed.
        {
            PyFtpdServer gone(tree.path());
            QVERIFY(gone.start());
            h.globals.gPort = gone.port();
        }
        w.connection().Connect();
        QCOMPARE(w.session().ConnectionState(), 0);
        QVERIFY(w.state().ConnectionLost);
        const QString log = logText(w);
        const QString firstError = log.section(QStringLiteral("\r\n"), 1, 1);
        QVERIFY2(!firstError.isEmpty(), qPrintable(log));
        QCOMPARE(occurrences(log, firstError), 1);
        // Nothing was open, so nothing is said to close.
        QVERIFY2(!log.contains(QStringLiteral("断开")) && !log.contains(QStringLiteral("关闭")),
                 qPrintable(log));
    }

    void aSilentServerTimesOut()
    {
        FakeFtpServer silent(QStringLiteral("stall-greeting"));
        QVERIFY2(silent.start(), qPrintable(silent.error()));
        AppHarness h;
        MainWindow &w = h.start();
        aim(h, QStringLiteral("x"));
        h.globals.gPort = silent.port();
        h.globals.gTimeout = 1;
        QElapsedTimer clock;
        clock.start();
        w.connection().Connect();
        QVERIFY(clock.elapsed() < 8000);
        QCOMPARE(w.session().ConnectionState(), 0);
        QVERIFY(w.state().ConnectionLost);
        QVERIFY2(logText(w).contains(QStringLiteral("超时（1000 毫秒）")), qPrintable(logText(w)));
    }

    void disconnectAndReconnect()
    {
        AppHarness h;
        MainWindow &w = h.start();
        aim(h, server->password());
        w.connection().mnuRelogin_Click();
        QCOMPARE(w.session().ConnectionState(), 2);

        w.commands().button(QStringLiteral("断开连接"))->trigger();
        QCOMPARE(w.session().ConnectionState(), 0);
        const QString log = logText(w);
        QVERIFY(log.contains(QStringLiteral("正在断开连接 ...\r\n")));
        QVERIFY(log.endsWith(QStringLiteral("连接已关闭\r\n")));
        QCOMPARE(occurrences(log, QStringLiteral("连接已关闭")), 1);
        QVERIFY(remoteTexts(w).isEmpty());
        QVERIFY(w.ui().cmbRemoteDir->currentText().isEmpty());
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvu"));
        QCOMPARE(w.ui().sbStatusBar->statusPicture(), int(StatusPanels::Closed));
        Commands &c = w.commands();
        QVERIFY(c.mnuLogin->isEnabled() && !c.mnuLogout->isEnabled() && c.mnuRelogin->isEnabled());
        QVERIFY(!c.button(QStringLiteral("断开连接"))->isEnabled());
        QVERIFY(c.button(QStringLiteral("重新连接"))->isEnabled());

        // Log-out while not connected still empties the box and sets the menus.
        w.ui().cmbRemoteDir->setEditText(QStringLiteral("/stale"));
        c.mnuLogout->setEnabled(true);
        c.mnuLogout->trigger();
        QVERIFY(w.ui().cmbRemoteDir->currentText().isEmpty());
        QVERIFY(!c.mnuLogout->isEnabled());

        c.button(QStringLiteral("重新连接"))->trigger();
        QCOMPARE(w.session().ConnectionState(), 2);
        QVERIFY(logText(w).startsWith(QStringLiteral("连接中 ...\r\n")));
        QCOMPARE(remoteTexts(w), QStringList({"..", "docs", "hello.txt"}));
    }

    void aDialogClosedUnconfirmedConnectsNothing()
    {
        AppHarness h;
        QVERIFY(useFreshSiteFile(h));
        MainWindow &w = h.start();
        aim(h, server->password());
        w.connection().mnuRelogin_Click();
        QCOMPARE(w.session().ConnectionState(), 2);
        w.connection().mnuLogout_Click();

        // Quick connect, typed into and cancelled.
        whenDialogOpens([](QWidget *d) {
            type(d, "txtIP", QStringLiteral("192.0.2.1"));
            press(d, "cmdCancel");
        });
        w.commands().mnuLogin->trigger();
        QCOMPARE(w.session().ConnectionState(), 0);
        QCOMPARE(h.globals.gHost, server->host());

        // Quick connect whose address check fails, then closed.
        whenDialogOpens([](QWidget *d) {
            type(d, "txtUser", QStringLiteral("someone"));
            press(d, "cmdOK"); // no address: refused, the dialog stays
            press(d, "cmdCancel");
        });
        w.commands().mnuLogin->trigger();
        QCOMPARE(w.session().ConnectionState(), 0);
        QCOMPARE(h.globals.gUser, server->user());
        QCOMPARE(h.prompts.asked.last().text, QStringLiteral("请输入要登录的 FTP 地址!"));

        // The site manager, closed.
        whenDialogOpens([](QWidget *d) { press(d, "cmdClose"); });
        w.commands().mnuSit->trigger();
        QCOMPARE(w.session().ConnectionState(), 0);

        // "重新连接" still goes to the last confirmed server.
        QVERIFY(!h.globals.gDialogCancelled);
        w.commands().mnuRelogin->trigger();
        QCOMPARE(w.session().ConnectionState(), 2);
    }

    void aSavedSiteConnects()
    {
        AppHarness h;
        QVERIFY(useFreshSiteFile(h));
        MainWindow &w = h.start();
        h.prompts.inputAnswers.append(QStringLiteral("测试服务器"));
        whenDialogOpens([this](QWidget *d) {
            press(d, "cmdAdd");
            type(d, "txtFTP", server->host());
            type(d, "txtPort", QString::number(server->port()));
            type(d, "txtUser", server->user());
            type(d, "txtPassword", server->password());
            d->findChild<QCheckBox *>(QStringLiteral("chkPASV"))->setChecked(true);
            press(d, "cmdSave");
            press(d, "cmdConnect");
        });
        w.commands().button(QStringLiteral("站点管理"))->trigger();
        QCOMPARE(w.session().ConnectionState(), 2);
        QCOMPARE(h.globals.gPort, int(server->port()));
        QCOMPARE(h.globals.gTimeout, 30);

        // The site is there the next time, with what was saved.
        QString shownAddress;
        QStringList names;
        whenDialogOpens([&](QWidget *d) {
            auto *list = d->findChild<QListView *>(QStringLiteral("listSit"));
            QVERIFY(list);
            for (int i = 0; i < list->model()->rowCount(); ++i)
                names << list->model()->index(i, list->modelColumn()).data().toString();
            shownAddress = d->findChild<QLineEdit *>(QStringLiteral("txtFTP"))->text();
            press(d, "cmdClose");
        });
        w.commands().mnuSit->trigger();
        QCOMPARE(names, QStringList({"测试服务器"}));
        QCOMPARE(shownAddress, server->host());
    }

    // A listing that fails leaves its reason in the log, once; only a lost
    // connection ends the session, and the menus then offer to reconnect.
    void listingFailures_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("sessionEnds");
        QTest::newRow("own condition") << "bad-pasv"
                                       << "/"
                                       << "无法识别服务器的被动模式回复" << false;
        QTest::newRow("refusal") << "data-425"
                                 << "/pub"
                                 << "425 Can't open data connection" << false;
        QTest::newRow("lost") << "data-421"
                              << "/"
                              << "421 Service not available" << true;
    }

    void listingFailures()
    {
        QFETCH(QString, user);
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        QFETCH(bool, sessionEnds);
        FakeFtpServer fake;
        QVERIFY2(fake.start(), qPrintable(fake.error()));
        AppHarness h;
        MainWindow &w = h.start();
        aim(h, QStringLiteral("x"));
        h.globals.gUser = user;
        h.globals.gPort = fake.port();
        w.connection().Connect();
        if (folder != QLatin1String("/"))
            w.remotePane().ChangeRemoteDir(folder);

        QCOMPARE(occurrences(logText(w), reason), 1);
        QCOMPARE(w.session().ConnectionState(), sessionEnds ? 0 : 2);
        QCOMPARE(w.state().ConnectionLost, sessionEnds);
        const Commands &c = w.commands();
        QCOMPARE(c.mnuLogin->isEnabled(), sessionEnds);
        QCOMPARE(c.mnuLogout->isEnabled(), !sessionEnds);
        QVERIFY(c.mnuRelogin->isEnabled());
        // A lost session leaves no folder on show.
        QCOMPARE(w.ui().cmbRemoteDir->currentText(), sessionEnds ? QString() : folder);
        if (!sessionEnds)
            QCOMPARE(remoteTexts(w), QStringList({".."}));
    }

    // While a call waits for the server, every command but stop and exit is
    // refused, however it arrives; the call then ends on its own terms.
    void commandsWaitWhileACallRuns()
    {
        FakeFtpServer fake;
        QVERIFY2(fake.start(), qPrintable(fake.error()));
        AppHarness h;
        MainWindow &w = h.start();
        aim(h, QStringLiteral("x"));
        h.globals.gUser = QStringLiteral("stall"); // LIST is never answered
        h.globals.gPort = fake.port();
        h.globals.gTimeout = 1;
        const Commands &c = w.commands();
        int dialogs = 0;
        whenDialogOpens([&dialogs](QWidget *d) {
            ++dialogs;
            static_cast<QDialog *>(d)->reject();
        });

        bool tried = false;
        QObject probe;
        connect(&w.session(), &RemoteSession::ActivityEvent, &probe,
                [&](const RemoteActivity &event) {
                    if (tried || event.kind != RemoteActivityKind::CommandSent ||
                        !event.reply.startsWith("LIST"))
                        return;
                    tried = true;
                    QVERIFY(!c.mnuSit->isEnabled() && !c.mnuEdit->isEnabled());
                    QVERIFY(c.button(QStringLiteral("停止操作"))->isEnabled());
                    QVERIFY(c.mnuExit->isEnabled());
                    w.dispatch().ButtonClick(QStringLiteral("站点管理"));
                    w.dispatch().ButtonClick(QStringLiteral("重新连接"));
                    w.dispatch().ButtonClick(QStringLiteral("刷新"));
                    w.ui().lvwLocal->selectRow(0);
                    Q_EMIT w.ui().lvwLocal->doubleClicked();
                    w.ui().cmbRemoteDir->setEditText(QStringLiteral("/pub"));
                    Q_EMIT w.ui().cmbRemoteDir->activated(0);
                    w.dispatch().StatusPanelDblClick(QStringLiteral("Status"));
                    QCOMPARE(w.ui().sbStatusBar->statusPicture(), int(StatusPanels::Stopped));
                });
        w.dispatch().ButtonClick(QStringLiteral("重新连接"));

        QVERIFY(tried);
        QCOMPARE(dialogs, 0);
        const QStringList sent = QString::fromLatin1(fake.commands().join()).split("\r\n");
        QCOMPARE(sent.filter(QRegularExpression("^(LIST|MLSD)")).size(), 1);
        QVERIFY(sent.filter(QRegularExpression("^CWD")).isEmpty());
        QCOMPARE(w.ui().cmbLocalDir->currentText(), h.home + QStringLiteral("/"));
        // The call is over: the commands are back, and what the stop showed
        // stays, whatever the session reported after it.
        QVERIFY(c.mnuSit->isEnabled());
        QCOMPARE(w.ui().sbStatusBar->statusPicture(), int(StatusPanels::Stopped));
    }

    // A session that ends with a refused log-in leaves nothing of the one
    // before on show: no rows, no folder. (A lost one: listingFailures.)
    void aRefusedLogInLeavesNoFolderOnShow_data()
    {
        QTest::addColumn<bool>("certificate"); // refused; else the password
        QTest::newRow("password refused") << false;
        QTest::newRow("certificate refused") << true;
    }

    void aRefusedLogInLeavesNoFolderOnShow()
    {
        QFETCH(bool, certificate);
        AppHarness h;
        MainWindow &w = h.start();
        aim(h, server->password());
        w.connection().Connect();
        w.remotePane().ChangeRemoteDir(QStringLiteral("/docs"));
        QCOMPARE(w.ui().cmbRemoteDir->currentText(), QStringLiteral("/docs"));

        QTemporaryDir keys;
        TestCertificate selfSigned;
        PyFtpdServer tls(tree.path());
        if (certificate) {
            QVERIFY(selfSigned.make(keys.path(), "server"));
            tls.setTls(PyFtpdServer::Tls::Explicit, selfSigned);
            QVERIFY2(tls.start(), qPrintable(tls.error()));
            h.globals.gPort = tls.port();
            h.globals.gEncryption = RemoteEncryption::ExplicitRequired;
            whenDialogOpens([](QWidget *d) { press(d, "cmdRefuse"); });
        } else {
            h.globals.gPassword = QStringLiteral("wrong");
        }
        w.connection().Connect();
        QCOMPARE(w.session().ConnectionState(), 0);
        QVERIFY(remoteTexts(w).isEmpty());
        QVERIFY(w.ui().cmbRemoteDir->currentText().isEmpty());
    }

    // The focus left a file pane for the log: a button acts on that pane,
    // whose commands the buttons offer.
    void buttonsActOnTheFilePaneActiveLast_data()
    {
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QString>("button");
        QTest::newRow("remote, refresh") << "remote"
                                         << "刷新";
        QTest::newRow("remote, view") << "remote"
                                      << "查看";
        QTest::newRow("remote, list view") << "remote"
                                           << "列表视图";
        QTest::newRow("local, list view") << "local"
                                          << "列表视图";
    }

    void buttonsActOnTheFilePaneActiveLast()
    {
        QFETCH(QString, pane);
        QFETCH(QString, button);
        AppHarness h;
        MainWindow &w = h.start();
        aim(h, server->password());
        w.connection().Connect();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        FileListView *active = pane == "remote" ? w.ui().lvwRemote : w.ui().lvwLocal;
        active->reportView()->setFocus();
        w.ui().lvwRemote->selectRow(w.ui().lvwRemote->model()->findText("hello.txt"));
        w.ui().txtLog->setFocus();
        QTRY_VERIFY(!w.state().LocalHasFocus && !w.state().RemoteHasFocus);
        QVERIFY(TestFiles::write(tree.filePath("new.txt"), "n"));
        const auto cleanUp = qScopeGuard([this] { QFile::remove(tree.filePath("new.txt")); });

        QVERIFY(w.commands().button(button)->isEnabled());
        w.commands().button(button)->trigger();
        if (button == "刷新")
            QVERIFY(remoteTexts(w).contains("new.txt"));
        else if (button == "查看")
            QCOMPARE(h.shell.calls.value(0).arguments, QStringList({"hello.txt"}));
        else
            QCOMPARE(active->viewMode(), FileListView::ListMode);
    }

    // A path typed into a folder box and confirmed with Enter: the remote
    // box enters it; the local box shows it cleaned, as transfers use it.
    void typedFolders_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // in the box afterwards
        QTest::addColumn<QString>("listed");
        QTest::newRow("remote") << "/docs"
                                << "/docs"
                                << "readme.txt";
        QTest::newRow("remote, refused") << "/missing"
                                         << "/"
                                         << "hello.txt";
        QTest::newRow("local, doubled separators") << "~///工作//"
                                                   << "~/工作/"
                                                   << "plan.txt";
        QTest::newRow("local, dot and dot-dot") << "~/./工作/../工作"
                                                << "~/工作/"
                                                << "plan.txt";
    }

    void typedFolders()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, listed);
        AppHarness h;
        QVERIFY(TestFiles::write(h.home + "/工作/plan.txt", "plan"));
        MainWindow &w = h.start();
        aim(h, server->password());
        w.connection().Connect();
        const bool local = typed.startsWith('~');
        QComboBox *box = local ? w.ui().cmbLocalDir : w.ui().cmbRemoteDir;
        box->setFocus();
        box->lineEdit()->selectAll();
        box->lineEdit()->insert(typed.replace('~', h.home)); // as pasted: QTest types no Chinese
        QTest::keyClick(box, Qt::Key_Return);

        QCOMPARE(box->currentText(), shown.replace('~', h.home));
        QCOMPARE(logText(w).contains("550 "), shown == "/");
        FileListView *pane = local ? w.ui().lvwLocal : w.ui().lvwRemote;
        pane->selectRow(pane->model()->findText(listed));
        QVERIFY(pane->selectedRow() > 0);
        if (!local)
            return;
        w.dispatch().ButtonClick(QStringLiteral("上传"));
        const auto cleanUp = qScopeGuard([this] { QFile::remove(tree.filePath("plan.txt")); });
        QCOMPARE(w.ui().lvwStatus->model()->text(0, 1), shown + listed);
    }

    void stopShowsTheStoppedPictureAndExitDropsTheConnection()
    {
        AppHarness h;
        MainWindow &w = h.start();
        w.commands().button(QStringLiteral("停止操作"))->trigger();
        QCOMPARE(w.ui().sbStatusBar->statusPicture(), int(StatusPanels::Stopped));

        aim(h, server->password());
        w.connection().mnuRelogin_Click();
        QCOMPARE(w.session().ConnectionState(), 2);
        w.dispatch().StatusPanelDblClick(QStringLiteral("FileName"));
        QVERIFY(w.ui().sbStatusBar->statusPicture() != int(StatusPanels::Stopped));
        w.dispatch().StatusPanelDblClick(QStringLiteral("Status"));
        QCOMPARE(w.ui().sbStatusBar->statusPicture(), int(StatusPanels::Stopped));
        QCOMPARE(w.session().ConnectionState(), 2);

        w.close();
        QCOMPARE(w.session().ConnectionState(), 0);
        QVERIFY(!logText(w).contains(QStringLiteral("正在断开连接")));
    }

    // The keys a user reaches for in the panes, pressed where the user
    // presses them. `folder`: the local folder box's text below the home
    // folder, or the remote folder on show; `allSelected`: every row but the
    // parent row is selected, else none is; `refreshed`: a file made just
    // before the key is listed (the folder box lists what it holds as typed).
    void keys_data()
    {
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("allSelected");
        QTest::addColumn<bool>("refreshed");
        const QKeySequence f5(Qt::Key_F5), back(Qt::Key_Backspace), all(QKeySequence::SelectAll);
        QTest::newRow("F5, local") << "local" << f5 << false << "work/" << false << true;
        QTest::newRow("F5, remote") << "remote" << f5 << false << "/docs" << false << true;
        QTest::newRow("Backspace, local") << "local" << back << false << "" << false << false;
        QTest::newRow("Backspace, remote") << "remote" << back << false << "/" << false << false;
        QTest::newRow("Ctrl+A, local") << "local" << all << false << "work/" << true << false;
        QTest::newRow("Ctrl+A, remote") << "remote" << all << false << "/docs" << true << false;
        QTest::newRow("Backspace in the folder box edits it")
            << "box" << back << false << "work" << false << true;
        QTest::newRow("Ctrl+A while a command runs")
            << "local" << all << true << "work/" << false << false;
        QTest::newRow("Backspace while a command runs")
            << "remote" << back << true << "/docs" << false << false;
        QTest::newRow("F5 while a command runs")
            << "local" << f5 << true << "work/" << false << false;
    }

    void keys()
    {
        QFETCH(QString, pane);
        QFETCH(QKeySequence, key);
        QFETCH(bool, busy);
        QFETCH(QString, folder);
        QFETCH(bool, allSelected);
        QFETCH(bool, refreshed);
        AppHarness h;
        QVERIFY(QDir(h.home).mkpath(QStringLiteral("work/sub")));
        QVERIFY(TestFiles::write(h.home + QStringLiteral("/work/a.txt"), "a"));
        MainWindow &w = h.start();
        QString work = h.home + QStringLiteral("/work");
        w.localPane().DoLocalRefresh(work);
        w.localPane().RememberLocalDir(work);
        const bool remote = pane == QLatin1String("remote");
        if (remote) {
            aim(h, server->password());
            w.connection().mnuRelogin_Click();
            w.remotePane().ChangeRemoteDir(QStringLiteral("docs"));
        }
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        FileListView *list = remote ? w.ui().lvwRemote : w.ui().lvwLocal;
        QWidget *target = list->reportView();
        if (pane == QLatin1String("box"))
            target = w.ui().cmbLocalDir->lineEdit();
        target->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(target->hasFocus());

        const QString made = QStringLiteral("new-%1.txt").arg(QDateTime::currentMSecsSinceEpoch());
        QVERIFY(TestFiles::write(work + QLatin1Char('/') + made, "new"));
        QVERIFY(TestFiles::write(tree.filePath(QStringLiteral("docs/") + made), "new"));
        if (busy)
            w.context().gate.run([&] { QTest::keySequence(target, key); });
        else
            QTest::keySequence(target, key);

        QCOMPARE(remote ? w.remotePane().shownDirectory()
                        : w.ui().cmbLocalDir->currentText().mid(h.home.size() + 1),
                 folder);
        QList<int> everyRowButTheParent;
        for (int row = 1; allSelected && row < list->model()->rowCount(); ++row)
            everyRowButTheParent << row;
        QCOMPARE(list->selectedRows(), everyRowButTheParent);
        QCOMPARE(list->model()->findText(made) > 0, refreshed);
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
