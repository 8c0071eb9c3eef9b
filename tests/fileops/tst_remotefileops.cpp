#include "FileOpsRig.h"
#include "RecordingFtpServer.h"
#include "fileops/RemoteFileOps.h"
#include "fixtures/FakeFtpServer.h"
#include "fixtures/TestFiles.h"
#include "fixtures/VsftpdServer.h"
#include "ftp/FtpSession.h"
#include "transfer/QueueList.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <memory>

Q_DECLARE_METATYPE(Prompts::Answer)

namespace {
const QString refused = QStringLiteral("删除被拒绝");
const QString deleted = QStringLiteral("删除");

bool makeFolders(const QString &root, const QStringList &names)
{
    for (const QString &name : names)
        if (!QDir(root).mkpath(name))
            return false;
    return true;
}

// Below `root`: "a/b.txt" a file holding its own name, "a/www->target" a
// link to `target` as written (relative to the link's folder).
bool plant(const QString &root, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = root + entry.section("->", 0, 0);
        const bool made = entry.contains("->") ? QDir().mkpath(QFileInfo(path).path()) &&
                                                     QFile::link(entry.section("->", 1), path)
                                               : TestFiles::write(path, entry.toUtf8());
        if (!made)
            return false;
    }
    return true;
}
} // namespace

class TestRemoteFileOps : public QObject
{
    Q_OBJECT

    QTemporaryDir tree;
    std::unique_ptr<RecordingFtpServer> server;
    int cases = 0;

    QString onServer(const QString &path) const { return tree.path() + path; }

    std::unique_ptr<FileOpsRig> connected(const QString &dir)
    {
        auto rig = std::make_unique<FileOpsRig>();
        rig->w.show();
        if (!QTest::qWaitForWindowExposed(&rig->w) ||
            !rig->connectTo(server->host(), server->port(), server->user(), server->password(),
                            dir))
            return nullptr;
        server->takeChanges();
        return rig;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Guarded folders: "ro" may be entered but not changed, "walk/locked"
        // likewise, "shut/closed" not even entered; a new folder in "mute"
        // gets no answer.
        QVERIFY(TestFiles::write(onServer("/ro/keep.txt"), "keep"));
        QVERIFY(TestFiles::write(onServer("/walk/locked/x.txt"), "x"));
        QVERIFY(TestFiles::write(onServer("/walk/y.txt"), "y"));
        QVERIFY(TestFiles::write(onServer("/shut/closed/in.txt"), "in"));
        QVERIFY(TestFiles::write(onServer("/shut/a.txt"), "a"));
        QVERIFY(QDir(tree.path()).mkdir("mute"));
        server = std::make_unique<RecordingFtpServer>(tree.path());
        server->setReadOnly({"ro", "walk/locked"});
        server->setClosed({"shut/closed"});
        server->setUnanswered({"mute"});
        QVERIFY2(server->start(), qPrintable(server->error()));
    }

    // The new folder takes the first name no row shows, then "(1)", "(2)"
    // ... while the server says the name exists; any other answer ends it.
    void newFolder_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QStringList>("listed");   // folders the pane shows
        QTest::addColumn<QStringList>("unlisted"); // made after the listing
        QTest::addColumn<bool>("unanswered");
        QTest::addColumn<int>("requests");
        QTest::addColumn<QString>("created");
        QTest::addColumn<QString>("logged");
        QStringList allTaken = {"New Folder"};
        for (int i = 1; i < RemoteFileOps::NewFolderAttempts; ++i)
            allTaken << QStringLiteral("New Folder(%1)").arg(i);
        QTest::newRow("nothing shown")
            << "/nf1" << QStringList() << QStringList() << false << 1 << "New Folder"
            << "";
        QTest::newRow("New Folder and New Folder0 shown")
            << "/nf2" << QStringList({"New Folder", "New Folder0"}) << QStringList() << false << 1
            << "New Folder1"
            << "";
        QTest::newRow("the server has the name")
            << "/nf3" << QStringList({"New Folder", "New Folder0"}) << QStringList({"New Folder1"})
            << false << 2 << "New Folder1(1)"
            << "";
        QTest::newRow("refused for another reason")
            << "/ro" << QStringList() << QStringList() << false << 1 << ""
            << "550";
        QTest::newRow("every name taken")
            << "/nf5" << QStringList() << allTaken << false << 100 << ""
            << "试过的 100 个名称";
        QTest::newRow("no answer") << "/mute" << QStringList() << QStringList() << true << 1 << ""
                                   << "超时";
    }

    void newFolder()
    {
        QFETCH(QString, dir);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, unlisted);
        QFETCH(bool, unanswered);
        QFETCH(int, requests);
        QFETCH(QString, created);
        QFETCH(QString, logged);
        QVERIFY(makeFolders(onServer(dir), listed + QStringList{"."}));
        auto rig = connected(dir);
        QVERIFY(rig);
        QVERIFY(makeFolders(onServer(dir), unlisted));
        int sent = 0;
        connect(&rig->w.session(), &RemoteSession::ActivityEvent, &rig->w,
                [&](const RemoteActivity &event) {
                    sent += event.kind == RemoteActivityKind::CommandSent &&
                            event.reply.startsWith("MKD");
                });
        if (unanswered)
            rig->globals.gTimeout = 1;
        const QStringList before = rig->texts(true);

        rig->press("新建文件夹");

        if (created.isEmpty()) {
            // A session that timed out is closed, its pane emptied.
            QCOMPARE(rig->texts(true), unanswered ? QStringList() : before);
            QVERIFY(!server->takeChanges().join(' ').contains(dir + "/New"));
        } else {
            QCOMPARE(server->takeChanges(), QStringList({"MKD " + dir + "/" + created}));
            const FileRow &row = rig->row(true, created);
            QCOMPARE(row.tag, dir + "/" + created);
            QCOMPARE(row.kind, EntryKind::Folder);
            QCOMPARE(rig->pane(true)->selectedRow(), rig->model(true)->findText(created));
            QVERIFY(rig->editor(true));
        }
        QCOMPARE(sent, requests);
        QVERIFY(rig->log().contains(logged));
        // The session's commands are back as the connection allows.
        QVERIFY(!rig->w.context().gate.busy());
        QCOMPARE(rig->w.commands().mnuLogout->isEnabled(), !unanswered);
        QCOMPARE(rig->w.commands().mnuLogin->isEnabled(), unanswered);
    }

    // The end of a name edit renames on the server; a refusal, a name the
    // pane shows or one with a "/" keeps the old name and overwrites nothing.
    void rename_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("logged");
        QTest::newRow("a folder, with F2 and Enter")
            << "/rn1"
            << "d"
            << "c" << true << QStringList({"RNFR /rn1/d", "RNTO /rn1/c"}) << "";
        QTest::newRow("a name the pane shows") << "/rn3"
                                               << "a.txt"
                                               << "b.txt" << false << QStringList() << "已有";
        QTest::newRow("a name holding a slash") << "/rn4"
                                                << "a.txt"
                                                << "x/y" << false << QStringList() << "名称无效";
        QTest::newRow("refused by the server") << "/ro"
                                               << "keep.txt"
                                               << "k.txt" << false << QStringList() << "550";
    }

    void rename()
    {
        QFETCH(QString, dir);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, byKeyboard);
        QFETCH(QStringList, changes);
        QFETCH(QString, logged);
        if (dir != "/ro") {
            QVERIFY(TestFiles::write(onServer(dir + "/a.txt"), "a"));
            QVERIFY(TestFiles::write(onServer(dir + "/b.txt"), "b"));
            QVERIFY(makeFolders(onServer(dir), {"d"}));
        }
        auto rig = connected(dir);
        QVERIFY(rig);
        const int r = rig->model(true)->findText(from);
        if (byKeyboard)
            rig->renameByKeyboard(true, r, to);
        else
            rig->model(true)->setData(rig->model(true)->index(r, 0), to, Qt::EditRole);
        QCOMPARE(rig->w.remotePane().shownDirectory(), dir);
        QCOMPARE(server->takeChanges(), changes);
        const bool accepted = !changes.isEmpty();
        QCOMPARE(rig->model(true)->row(r).text, accepted ? to : from);
        QCOMPARE(rig->model(true)->row(r).tag, dir + "/" + (accepted ? to : from));
        QVERIFY(rig->log().contains(logged));
        if (dir == "/rn3")
            QCOMPARE(TestFiles::read(onServer("/rn3/b.txt")), QByteArray("b"));
    }

    // The box asks with the count; only OK deletes, and the parent row is
    // never one of the entries.
    void deleteAsksFirst_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<Prompts::Answer>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("changes");
        const QString one = QStringLiteral("确认删除:你确定要删除 1 个文件或目录吗?");
        QTest::newRow("one file") << QStringList({"one.txt"}) << Prompts::Answer::Ok << one
                                  << QStringList({"DELE /%1/one.txt"});
        QTest::newRow("cancelled")
            << QStringList({"one.txt"}) << Prompts::Answer::Cancel << one << QStringList();
        QTest::newRow("the parent row alone")
            << QStringList({".."}) << Prompts::Answer::Ok << "" << QStringList();
    }

    void deleteAsksFirst()
    {
        QFETCH(QStringList, chosen);
        QFETCH(Prompts::Answer, answer);
        QFETCH(QString, question);
        QFETCH(QStringList, changes);
        const QString dir = QStringLiteral("ask%1").arg(++cases);
        QVERIFY(TestFiles::write(onServer("/" + dir + "/one.txt"), "1"));
        QVERIFY(TestFiles::write(onServer("/" + dir + "/two.txt"), "2"));
        auto rig = connected("/" + dir);
        QVERIFY(rig);
        rig->select(true, chosen);
        rig->prompts.messageAnswers = {answer};

        rig->press("删除");

        QCOMPARE(rig->questions(), question.isEmpty() ? QStringList() : QStringList{question});
        QCOMPARE(server->takeChanges(), changes.replaceInStrings("%1", dir));
        QCOMPARE(rig->queue(), changes.isEmpty() ? QStringList()
                                                 : QStringList{deleted + "||/" + dir + "/one.txt"});
        QCOMPARE(rig->texts(true).contains("one.txt"), changes.isEmpty());
        for (const FileRow &row : rig->model(true)->rows())
            QVERIFY2(!row.ghosted, qPrintable(row.text));
    }

    // Depth first, each folder emptied from inside and removed from its
    // parent; one queue row for the folder, its path ending in "/".
    void deletesAWholeTree()
    {
        QVERIFY(TestFiles::write(onServer("/t/top/sub/s1.txt"), "1"));
        QVERIFY(TestFiles::write(onServer("/t/top/sub/s2.txt"), "2"));
        QVERIFY(TestFiles::write(onServer("/t/top/f1.txt"), "3"));
        QVERIFY(TestFiles::write(onServer("/t/top/f2.txt"), "4"));
        QVERIFY(TestFiles::write(onServer("/t/other.txt"), "5"));
        auto rig = connected("/t");
        QVERIFY(rig);
        rig->w.ui().cmbRemoteDir->addItem("/t/top");
        rig->select(true, {"top"});

        rig->press("删除");

        // In the server's listing order, each folder after its contents.
        const QStringList changes = server->takeChanges();
        QStringList sorted = changes;
        sorted.sort();
        QCOMPARE(sorted,
                 QStringList({"DELE /t/top/f1.txt", "DELE /t/top/f2.txt", "DELE /t/top/sub/s1.txt",
                              "DELE /t/top/sub/s2.txt", "RMD /t/top", "RMD /t/top/sub"}));
        QVERIFY(changes.indexOf("RMD /t/top/sub") > changes.indexOf("DELE /t/top/sub/s1.txt"));
        QVERIFY(changes.indexOf("RMD /t/top/sub") > changes.indexOf("DELE /t/top/sub/s2.txt"));
        QCOMPARE(changes.last(), QStringLiteral("RMD /t/top"));
        QCOMPARE(rig->queue(), QStringList({deleted + "||/t/top/"}));
        QCOMPARE(rig->texts(true), QStringList({"..", "other.txt"}));
        QCOMPARE(rig->w.ui().cmbRemoteDir->currentText(), QStringLiteral("/t"));
        QCOMPARE(rig->w.ui().cmbRemoteDir->findText("/t/top"), -1);
        QVERIFY(rig->w.ui().cmbRemoteDir->isEnabled() && rig->w.ui().cmbLocalDir->isEnabled());
        // The window is painted again as usual.
        QVERIFY(rig->w.updatesEnabled() && rig->w.ui().lvwRemote->updatesEnabled());
    }

    // Only entries listed inside the folder itself are deleted: a folder
    // that cannot be entered deletes nothing, and a subfolder that stays is
    // passed over and keeps its parent.
    void refusedFoldersDeleteNothingElse_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QStringList>("staying");
        QTest::addColumn<QStringList>("logged"); // each refusal, and that the rest went on
        QTest::newRow("cannot be entered")
            << "/shut"
            << "closed" << QStringList() << QStringList({"/shut/a.txt", "/shut/closed/in.txt"})
            << QStringList({"550"});
        QTest::newRow("a subfolder stays")
            << "/"
            << "walk" << QStringList({"DELE /walk/y.txt"}) << QStringList({"/walk/locked/x.txt"})
            << QStringList({"x.txt 未能删除：", "locked 未能删除：", "有 2 个项目未能删除"});
    }

    void refusedFoldersDeleteNothingElse()
    {
        QFETCH(QString, dir);
        QFETCH(QString, target);
        QFETCH(QStringList, changes);
        QFETCH(QStringList, staying);
        QFETCH(QStringList, logged);
        auto rig = connected(dir);
        QVERIFY(rig);
        rig->select(true, {target});

        rig->press("删除");

        QCOMPARE(server->takeChanges(), changes);
        for (const QString &path : staying)
            QVERIFY2(QFileInfo::exists(onServer(path)), qPrintable(path));
        for (const QString &text : logged)
            QVERIFY2(rig->log().contains(text), qPrintable(text));
        QCOMPARE(rig->queue(),
                 QStringList({refused + "||" + (dir == "/" ? "" : dir) + "/" + target + "/"}));
        QCOMPARE(rig->w.remotePane().shownDirectory(), dir);
    }

    // A link is never walked, whether chosen or met inside a tree: it goes
    // with DELE, as a link, and what it leads to stays. pyftpdlib lists a
    // link to a folder as a folder and names the link after CWD; vsftpd
    // shows links and enters their targets. A folder row that is a link the
    // server will not delete is entered by its own path only: a server that
    // ends up elsewhere, or shows the same folders again and again, gets
    // nothing deleted there.
    void links_data()
    {
        QTest::addColumn<QString>("kind"); // pyftpd, vsftpd, or a scenario of the fake server
        QTest::addColumn<QStringList>("planted"); // "path" a file, "path->target" a link
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("queued");
        QTest::addColumn<QStringList>("after"); // paths staying, "path!" gone
        QTest::addColumn<QString>("logged");
        QTest::newRow("pyftpd: www -> public_html")
            << "pyftpd" << QStringList({"/lk1/public_html/index.html", "/lk1/www->public_html"})
            << "/lk1"
            << "www" << deleted + "||/lk1/www/"
            << QStringList({"/lk1/www!", "/lk1/public_html/index.html"}) << "";
        QTest::newRow("pyftpd: a tree holding a link to a folder")
            << "pyftpd"
            << QStringList({"/lk2/public_html/index.html", "/lk2/site/a.txt",
                            "/lk2/site/www->../public_html"})
            << "/lk2"
            << "site" << deleted + "||/lk2/site/"
            << QStringList({"/lk2/site!", "/lk2/public_html/index.html"}) << "";
        QTest::newRow("vsftpd: www -> public_html")
            << "vsftpd" << QStringList({"/pub/public_html/index.html", "/pub/www->public_html"})
            << "/pub"
            << "www" << deleted + "||/pub/www"
            << QStringList({"/pub/www!", "/pub/public_html/index.html"}) << "";
        QTest::newRow("vsftpd: a link the server will not delete")
            << "vsftpd" << QStringList({"/pub/public_html/index.html", "/www->pub/public_html"})
            << "/"
            << "www" << refused + "||/www" << QStringList({"/www", "/pub/public_html/index.html"})
            << "550";
        QTest::newRow("a folder row that leads back into its folder")
            << "links-as-folders" << QStringList() << "/tree"
            << "loop" << refused + "||/tree/loop/" << QStringList() << "服务器进入的是 /tree，";
        QTest::newRow("a folder row showing its own folders without end")
            << "links-as-folders" << QStringList() << "/tree"
            << "alias" << refused + "||/tree/alias/" << QStringList() << "目录层次过深";
    }

    void links()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, planted);
        QFETCH(QString, dir);
        QFETCH(QString, chosen);
        QFETCH(QString, queued);
        QFETCH(QStringList, after);
        QFETCH(QString, logged);
        QTemporaryDir root;
        std::unique_ptr<FakeFtpServer> fake;
        std::unique_ptr<VsftpdServer> vsftpd;
        const QString disk = kind == "vsftpd" ? root.path() : tree.path();
        QVERIFY(plant(disk, planted));
        auto rig = kind == "pyftpd" ? connected(dir) : std::make_unique<FileOpsRig>();
        if (kind == "vsftpd") {
            if (!VsftpdServer::available())
                QSKIP(qPrintable(VsftpdServer::unavailableReason()));
            vsftpd = std::make_unique<VsftpdServer>(disk);
            QVERIFY2(vsftpd->start(), qPrintable(vsftpd->error()));
            QVERIFY(rig->connectTo("127.0.0.1", vsftpd->port(), vsftpd->user(), vsftpd->password(),
                                   dir));
        } else if (kind != "pyftpd") {
            fake = std::make_unique<FakeFtpServer>();
            QVERIFY2(fake->start(), qPrintable(fake->error()));
            QVERIFY(rig->connectTo("127.0.0.1", fake->port(), kind, "x", dir));
        }
        QVERIFY(rig);
        rig->select(true, {chosen});

        rig->press("删除");

        QCOMPARE(rig->queue(), QStringList({queued}));
        QVERIFY2(rig->log().contains(logged), qPrintable(rig->log().right(300)));
        for (QString path : after) {
            const bool gone = path.endsWith('!');
            path = disk + path.remove('!');
            QVERIFY2((QFileInfo::exists(path) || QFileInfo(path).isSymLink()) != gone,
                     qPrintable(path));
        }
        if (fake) {
            const QByteArray folder = (dir + "/" + chosen).toUtf8();
            for (QByteArray command : fake->commands()) {
                command = command.trimmed();
                const QByteArray operand = command.mid(command.indexOf(' ') + 1);
                if (command.startsWith("DELE") || command.startsWith("RMD"))
                    QVERIFY2(operand == folder || operand.startsWith(folder + "/"),
                             command.constData());
            }
        }
    }

    // "停止操作" in the middle of a tree: the folder in hand is recorded as
    // refused and the rest of the batch is left alone. The walk runs on the
    // session's worker, which hears the stop a few milliseconds after the
    // command it comes with: of a big folder most stays.
    void stopInTheMiddleOfATree_data()
    {
        QTest::addColumn<QString>("command"); // the stop comes as it is sent
        QTest::addColumn<int>("nth");
        QTest::addColumn<bool>("clicked"); // through the event loop, as a click comes
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("staying"); // files at least
        QTest::newRow("between two deletes") << "DELE" << 3 << false << 1000 << 100;
        QTest::newRow("while the folder is listed") << "MLSD" << 1 << false << 30 << 30;
        QTest::newRow("a click while the files go") << "DELE" << 2 << true << 1000 << 100;
    }

    void stopInTheMiddleOfATree()
    {
        QFETCH(QString, command);
        QFETCH(int, nth);
        QFETCH(bool, clicked);
        QFETCH(int, files);
        QFETCH(int, staying);
        const QString dir = QStringLiteral("/stop%1").arg(++cases);
        for (int i = 0; i < files; ++i)
            QVERIFY(TestFiles::write(onServer(dir + QStringLiteral("/big/f%1.txt").arg(i)), "x"));
        QVERIFY(TestFiles::write(onServer(dir + "/later.txt"), "later"));
        auto rig = connected(dir);
        QVERIFY(rig);
        rig->select(true, {"big", "later.txt"});
        int sent = 0;
        connect(&rig->w.session(), &RemoteSession::ActivityEvent, &rig->w,
                [&](const RemoteActivity &event) {
                    if (event.kind != RemoteActivityKind::CommandSent ||
                        !event.reply.startsWith(command) || ++sent != nth)
                        return;
                    if (clicked)
                        QTimer::singleShot(0, &rig->w, [&rig] { rig->press("停止操作"); });
                    else
                        rig->press("停止操作");
                });

        rig->press("删除");

        QCOMPARE(rig->queue(), QStringList({refused + "||" + dir + "/big/"}));
        QVERIFY(QFileInfo::exists(onServer(dir + "/later.txt")));
        QVERIFY(QDir(onServer(dir + "/big")).entryList(QDir::Files).size() >= staying);
        QCOMPARE(rig->w.remotePane().shownDirectory(), dir);
    }
};

QTEST_MAIN(TestRemoteFileOps)
#include "tst_remotefileops.moc"
