#include "app/AppTestSupport.h"
#include "app/CommandDispatch.h"
#include "connection/ConnectionController.h"
#include "fixtures/FakeFtpServer.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestFiles.h"
#include "fixtures/VsftpdServer.h"
#include "ftp/FtpSession.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/RemotePane.h"
#include "platform/SessionLog.h"
#include "transfer/DragDrop.h"
#include "window/WindowContext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

namespace {
// One answer to a modal dialog: check "全部", type a name, press a button
// ("" closes the window with its close box).
struct Answer
{
    QString dialog;
    QString button;
    bool all = false;
    QString name = QString();
};

// Answers the transfer dialogs as they come up, in order, and keeps what
// each said.
class DialogAnswers : public QObject
{
public:
    explicit DialogAnswers(QList<Answer> answers) : answers(std::move(answers))
    {
        connect(&poll, &QTimer::timeout, this, &DialogAnswers::answerOne);
        poll.start(5);
    }
    QStringList messages;
    QList<bool> resumable;  // whether each conflict offered to resume
    QStringList unexpected; // dialogs that came when no answer was left: cancelled
    int unanswered() const { return int(answers.size()); }

private:
    void answerOne()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog == last)
            return;
        last = dialog;
        if (answers.isEmpty()) {
            unexpected << dialog->objectName();
            dialog->reject();
            return;
        }
        const Answer a = answers.takeFirst();
        QCOMPARE(dialog->objectName(), a.dialog);
        if (auto *label = dialog->findChild<QLabel *>(QStringLiteral("lblMessage"))) {
            messages << label->text();
            resumable << dialog->findChild<QPushButton *>(QStringLiteral("cmdResume"))->isEnabled();
        }
        if (a.all)
            dialog->findChild<QCheckBox *>(QStringLiteral("chkSelectedAll"))->click();
        if (!a.name.isEmpty())
            dialog->findChild<QLineEdit *>(QStringLiteral("txtRename"))->setText(a.name);
        if (a.button.isEmpty()) {
            dialog->close();
            return;
        }
        auto *button = dialog->findChild<QPushButton *>(a.button);
        QVERIFY2(button && button->isEnabled(), qPrintable(a.button));
        button->click();
        // A dialog that stays open (a refused name) is answered again.
        if (dialog->isVisible())
            last = nullptr;
    }

    QList<Answer> answers;
    QTimer poll;
    QPointer<QDialog> last; // follows the dialog's life: a new one may take its address
};

QStringList queueRows(MainWindow &w)
{
    QStringList out;
    for (const FileRow &r : w.ui().lvwStatus->model()->rows())
        out << r.text + QLatin1Char(' ') + r.record.value(0).section(QLatin1Char('/'), -1);
    return out;
}

void choose(FileListView *pane, const QStringList &names)
{
    pane->selectRow(pane->model()->findText(names.first()));
    for (const QString &name : names)
        pane->setRowSelected(pane->model()->findText(name), true);
}

// "L:a/b=text" a local file below the home folder, "R:a/b=text" one on the
// server's disk, "L:a/" an empty local folder.
bool plant(const QString &home, const QString &server, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path =
            (entry[0] == 'L' ? home : server) + "/" + entry.mid(2).section('=', 0, 0);
        if (path.endsWith('/') ? !QDir().mkpath(path)
                               : !TestFiles::write(path, entry.section('=', 1).toUtf8()))
            return false;
    }
    return true;
}
} // namespace

Q_DECLARE_METATYPE(Answer)

class TestTransfers : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeFtpServer> fake;

    // A window connected to the fake server as `user`, in /pub, with the
    // home folder as the local side.
    bool connect(AppHarness &h, MainWindow &w, const QString &user)
    {
        aim(h, user, QStringLiteral("x"), fake->port());
        w.connection().Connect();
        w.remotePane().ChangeRemoteDir(QStringLiteral("/pub"));
        return w.session().ConnectionState() == 2 && w.remotePane().shownDirectory() == "/pub";
    }

    static void aim(AppHarness &h, const QString &user, const QString &password, int port)
    {
        h.globals.gHost = QStringLiteral("127.0.0.1");
        h.globals.gUser = user;
        h.globals.gPassword = password;
        h.globals.gPort = port;
        h.globals.gTimeout = 10;
        h.globals.gDialogCancelled = false;
    }

    QByteArray served(const QString &name)
    {
        // As fakeftpd.py holds them.
        if (name == "data.bin") {
            QByteArray bytes;
            for (int i = 0; i < 4; ++i)
                for (int b = 0; b < 256; ++b)
                    bytes.append(char(b));
            return bytes;
        }
        return QByteArray("hello world\n");
    }

private Q_SLOTS:
    void initTestCase()
    {
        fake = std::make_unique<FakeFtpServer>();
        QVERIFY2(fake->start(), qPrintable(fake->error()));
    }

    // Downloads onto files that exist: each answer of the conflict dialog,
    // "全部", and what ends on disk and in the queue.
    void downloadConflicts_data()
    {
        QTest::addColumn<QByteArray>("existing"); // local data.bin and hello.txt
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("rest"); // the REST the server saw
        const QByteArray head = served("data.bin").left(100);
        const QByteArray longer(3000, 'x');
        QTest::newRow("nothing there") << QByteArray() << QStringList{"data.bin"} << QList<Answer>{}
                                       << QStringList{"Download data.bin"} << "";
        QTest::newRow("empty file: no question")
            << QByteArray("") << QStringList{"data.bin"} << QList<Answer>{}
            << QStringList{"Download data.bin"} << "";
        QTest::newRow("resume at 100")
            << head << QStringList{"data.bin"} << QList<Answer>{{"frmTransfer", "cmdResume"}}
            << QStringList{"Download data.bin"} << "REST 100";
        QTest::newRow("overwrite replaces the whole file")
            << longer << QStringList{"data.bin"} << QList<Answer>{{"frmTransfer", "cmdTransfer"}}
            << QStringList{"Download data.bin"} << "";
        QTest::newRow("cancel") << head << QStringList{"data.bin"}
                                << QList<Answer>{{"frmTransfer", "cmdCancel"}} << QStringList{}
                                << "";
        QTest::newRow("close box") << head << QStringList{"data.bin"}
                                   << QList<Answer>{{"frmTransfer", ""}} << QStringList{} << "";
        QTest::newRow("overwrite for all")
            << head << QStringList{"data.bin", "hello.txt"}
            << QList<Answer>{{"frmTransfer", "cmdTransfer", true}}
            << QStringList{"Download data.bin", "Download hello.txt"} << "";
        QTest::newRow("resume for all")
            << QByteArray("hel") << QStringList{"data.bin", "hello.txt"}
            << QList<Answer>{{"frmTransfer", "cmdResume", true}}
            << QStringList{"Download data.bin", "Download hello.txt"} << "REST 3REST 3";
        QTest::newRow("cancel for all")
            << head << QStringList{"data.bin", "hello.txt"}
            << QList<Answer>{{"frmTransfer", "cmdCancel", true}} << QStringList{} << "";
        QTest::newRow("rename, first to a name taken on disk")
            << head << QStringList{"data.bin"}
            << QList<Answer>{{"frmTransfer", "cmdRename"},
                             {"frmRename", "cmdOK", false, "taken.bin"},
                             {"frmRename", "cmdOK", false, "old.bin"}}
            << QStringList{"Download data.bin"} << "";
    }

    void downloadConflicts()
    {
        QFETCH(QByteArray, existing);
        QFETCH(QStringList, chosen);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, rows);
        QFETCH(QString, rest);
        AppHarness h;
        MainWindow &w = h.start();
        QVERIFY(connect(h, w, QStringLiteral("plain")));
        const QString local = h.home + QLatin1Char('/');
        if (!existing.isNull())
            for (const QString &name : chosen)
                QVERIFY(TestFiles::write(local + name, existing));
        QVERIFY(TestFiles::write(local + "taken.bin", "mine")); // not listed in the pane
        const int commandsBefore = int(fake->commands().size());

        DialogAnswers dialogs(answers);
        choose(w.ui().lvwRemote, chosen);
        QVERIFY(w.dragDrop().BeginDrag(w.ui().lvwRemote));
        h.prompts.messageAnswers = {Prompts::Answer::Ok};
        w.dragDrop().DropOnLocal(QStringLiteral("lvwRemote"));

        QCOMPARE(dialogs.unanswered(), 0);
        QCOMPARE(queueRows(w), rows);
        QByteArray rests;
        for (const QByteArray &line : fake->commands().mid(commandsBefore))
            if (line.startsWith("REST"))
                rests += line.trimmed();
        QCOMPARE(rests, rest.toLatin1());
        for (const QString &name : chosen) {
            // A resumed file keeps what it had and gets the rest.
            const QByteArray copied =
                rest.isEmpty() ? served(name) : existing + served(name).mid(existing.size());
            const bool done = rows.contains(QStringLiteral("Download ") + name);
            QCOMPARE(TestFiles::read(local + name), done ? copied : existing);
        }
        if (answers.size() == 3) {
            QCOMPARE(TestFiles::read(local + "old.bin"), existing);
            QCOMPARE(TestFiles::read(local + "taken.bin"), QByteArray("mine"));
            QVERIFY(w.log().text().contains("taken.bin"));
        }
        QVERIFY(!w.context().gate.busy());
        QVERIFY(w.ui().cmbLocalDir->isEnabled() && w.ui().cmbRemoteDir->isEnabled());
        for (const FileRow &r : w.ui().lvwRemote->model()->rows())
            QVERIFY(!r.ghosted);
    }

    // Uploads onto what the server holds: resume is offered only when the
    // server's copy is smaller; folders go into an existing one.
    void uploadConflicts_data()
    {
        QTest::addColumn<qint64>("remoteSize");     // of f.bin, a prefix of the local 300 bytes
        QTest::addColumn<QList<Answer>>("answers"); // for the folder, then for the file
        QTest::addColumn<bool>("resumable");
        QTest::addColumn<QStringList>("rows");
        const QStringList both = {"上传 my docs", "上传 f.bin"};
        QTest::newRow("no remote copy") << qint64(-1) << QList<Answer>{} << false << both;
        QTest::newRow("smaller remote copy resumed")
            << qint64(100)
            << QList<Answer>{{"frmTransfer", "cmdTransfer"}, {"frmTransfer", "cmdResume"}} << true
            << both;
        QTest::newRow("larger remote copy: no resume")
            << qint64(400)
            << QList<Answer>{{"frmTransfer", "cmdTransfer"}, {"frmTransfer", "cmdTransfer"}}
            << false << both;
        QTest::newRow("overwrite for all")
            << qint64(400) << QList<Answer>{{"frmTransfer", "cmdTransfer", true}} << false << both;
        QTest::newRow("cancelled")
            << qint64(100)
            << QList<Answer>{{"frmTransfer", "cmdCancel"}, {"frmTransfer", "cmdCancel"}} << true
            << QStringList{};
    }

    void uploadConflicts()
    {
        QFETCH(qint64, remoteSize);
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, resumable);
        QFETCH(QStringList, rows);
        QTemporaryDir root;
        const QByteArray local = TestFiles::pattern(300, 1);
        if (remoteSize >= 0) {
            QVERIFY(TestFiles::write(root.filePath("f.bin"),
                                     remoteSize <= 300 ? local.left(remoteSize)
                                                       : TestFiles::pattern(remoteSize, 2)));
            QVERIFY(TestFiles::write(root.filePath("my docs/old.txt"), "old"));
        }
        PyFtpdServer server(root.path());
        QVERIFY2(server.start(), qPrintable(server.error()));
        AppHarness h;
        QVERIFY(TestFiles::write(h.home + "/f.bin", local));
        QVERIFY(TestFiles::write(h.home + "/my docs/a.txt", "a"));
        QVERIFY(TestFiles::write(h.home + "/my docs/sub/b.txt", "b"));
        MainWindow &w = h.start();
        aim(h, server.user(), server.password(), server.port());
        w.connection().Connect();
        QVERIFY(w.session().ConnectionState() == 2);

        DialogAnswers dialogs(answers);
        choose(w.ui().lvwLocal, {"f.bin", "my docs"});
        QVERIFY(w.dragDrop().BeginDrag(w.ui().lvwLocal));
        h.prompts.messageAnswers = {Prompts::Answer::Ok};
        w.dragDrop().DropOnRemote(QStringLiteral("lvwLocal"));

        QCOMPARE(dialogs.unanswered(), 0);
        QCOMPARE(h.prompts.asked.at(0).text, QStringLiteral("传输 2 个选定的文件或文件夹?"));
        if (answers.size() == 2) {
            QCOMPARE(dialogs.resumable.last(), resumable);
            QVERIFY(dialogs.messages.last().endsWith(
                QStringLiteral("f.bin(300)覆盖 /f.bin(%1) 吗？").arg(remoteSize)));
            QVERIFY(dialogs.messages.first().endsWith(
                QStringLiteral("my docs(0)覆盖 /my docs(0) 吗？")));
        }
        QCOMPARE(queueRows(w), rows);
        if (!rows.isEmpty()) {
            QCOMPARE(TestFiles::read(root.filePath("f.bin")), local);
            QCOMPARE(TestFiles::read(root.filePath("my docs/sub/b.txt")), QByteArray("b"));
        } else {
            QCOMPARE(QFileInfo(root.filePath("f.bin")).size(), remoteSize);
        }
        // The remote pane lists the target again.
        QVERIFY(w.ui().lvwRemote->model()->findText("f.bin") >= 0);
    }

    // Where a drop sends the rows, and what a drop that transfers nothing
    // leaves behind.
    void dragAndDrop_data()
    {
        QTest::addColumn<QString>("droppedOn");  // local row under the drop, "" for none
        QTest::addColumn<QString>("source");     // the pane the drag came from
        QTest::addColumn<QStringList>("chosen"); // its selected rows
        QTest::addColumn<Prompts::Answer>("answer");
        QTest::addColumn<QString>("landed"); // where hello.txt lands, "" for nowhere
        const QStringList hello = {"hello.txt"};
        QTest::newRow("empty area") << ""
                                    << "lvwRemote" << hello << Prompts::Answer::Ok << "hello.txt";
        QTest::newRow("folder row")
            << "data"
            << "lvwRemote" << hello << Prompts::Answer::Ok << "data/hello.txt";
        QTest::newRow("file row") << "note.txt"
                                  << "lvwRemote" << hello << Prompts::Answer::Ok << "hello.txt";
        QTest::newRow("parent row chosen too") << ""
                                               << "lvwRemote" << QStringList({"..", "hello.txt"})
                                               << Prompts::Answer::Ok << "hello.txt";
        QTest::newRow("cancelled") << ""
                                   << "lvwRemote" << hello << Prompts::Answer::Cancel << "";
        QTest::newRow("within one pane")
            << ""
            << "lvwLocal" << QStringList({"note.txt"}) << Prompts::Answer::Ok << "";
    }

    void dragAndDrop()
    {
        QFETCH(QString, droppedOn);
        QFETCH(QString, source);
        QFETCH(QStringList, chosen);
        QFETCH(Prompts::Answer, answer);
        QFETCH(QString, landed);
        AppHarness h;
        QVERIFY(QDir(h.home).mkdir("data"));
        QVERIFY(TestFiles::write(h.home + "/note.txt", "n"));
        MainWindow &w = h.start();
        QVERIFY(connect(h, w, QStringLiteral("plain")));
        FileListView *from = source == "lvwLocal" ? w.ui().lvwLocal : w.ui().lvwRemote;
        choose(from, chosen);
        QVERIFY(w.dragDrop().BeginDrag(from));
        FileListModel *local = w.ui().lvwLocal->model();
        local->setDropHighlightRow(droppedOn.isEmpty() ? -1 : local->findText(droppedOn));
        h.prompts.messageAnswers = {answer};
        w.dragDrop().DropOnLocal(source);

        const bool asked = source == "lvwRemote";
        QCOMPARE(h.prompts.asked.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(h.prompts.asked.at(0).text, QStringLiteral("覆盖 1 个选择的文件或文件夹?"));
            QCOMPARE(h.prompts.asked.at(0).title, QStringLiteral("覆盖..."));
        }
        QCOMPARE(QFile::exists(h.home + "/hello.txt") || QFile::exists(h.home + "/data/hello.txt"),
                 !landed.isEmpty());
        if (!landed.isEmpty()) {
            QCOMPARE(TestFiles::read(h.home + "/" + landed), served("hello.txt"));
            const QString folder = QFileInfo(h.home + "/" + landed).path() + "/";
            QCOMPARE(w.ui().cmbLocalDir->currentText(), folder);
        }
        for (FileListView *pane : {w.ui().lvwLocal, w.ui().lvwRemote})
            for (const FileRow &r : pane->model()->rows())
                QVERIFY(!r.ghosted);
    }

    // Where a transfer lands and what it reads: folders that were listed are
    // used as named; a batch reads the existence of its targets in the
    // target folder only, whatever highlight a drop left; an upload finds
    // the server's file by its exact name and asks about one of unknown
    // size; a folder the server refuses leaves nothing on the disk.
    void transferTargets_data()
    {
        QTest::addColumn<QString>("server"); // pyftpd, or a scenario of the fake server
        QTest::addColumn<QStringList>("planted");
        QTest::addColumn<QStringList>("dirs"); // the local one (below home), the remote one
        QTest::addColumn<QString>("how");      // a button, after a drop cancelled on a row
        QTest::addColumn<QString>("chosen");
        // "L:"/"R:" a file's content, "...!" nothing there, "C:!" a command
        // never sent, "Q:" the queue, "?:" how the conflict's message ends
        QTest::addColumn<QStringList>("after");
        QTest::newRow("download into Music [FLAC]")
            << "pyftpd" << QStringList{"R:a.txt=a", "L:Music [FLAC]/"}
            << QStringList{"Music [FLAC]/", "/"} << "下载"
            << "a.txt" << QStringList{"L:Music [FLAC]/a.txt=a", "Q:Download a.txt"};
        QTest::newRow("upload from [old]")
            << "pyftpd" << QStringList{"L:[old]/x=old x", "L:x=another x"}
            << QStringList{"[old]/", "/"} << "上传"
            << "x" << QStringList{"R:x=old x", "Q:上传 x"};
        QTest::newRow("upload after a drop cancelled on a folder row")
            << "pyftpd"
            << QStringList{"R:data/aaa/keep.txt=k", "R:data/my docs/a.txt=server",
                           "L:my docs/a.txt=local"}
            << QStringList{"", "/data"} << "aaa:上传"
            << "my docs"
            << QStringList{"R:data/my docs/a.txt=server", "?:my docs(0)覆盖 /data/my docs(0) 吗？"};
        QTest::newRow("upload of readme.txt beside README.TXT")
            << "pyftpd" << QStringList{"R:README.TXT=UPPER", "L:readme.txt=lower"}
            << QStringList{"", "/"} << "上传"
            << "readme.txt"
            << QStringList{"R:readme.txt=lower", "R:README.TXT=UPPER", "Q:上传 readme.txt"};
        QTest::newRow("upload onto a file of unknown size")
            << "mlsd-no-size" << QStringList{"L:hello.txt=mine"} << QStringList{"", "/pub"}
            << "上传"
            << "hello.txt"
            << QStringList{"C:!STOR /pub/hello.txt",
                           "?:hello.txt(4)覆盖 /pub/hello.txt(大小未知) 吗？"};
        QTest::newRow("download of a folder the server refuses")
            << "refused-subfolder" << QStringList() << QStringList{"", "/refused"} << "下载"
            << "locked" << QStringList{"L:locked!", "Q:错误 locked"};
    }

    void transferTargets()
    {
        QFETCH(QString, server);
        QFETCH(QStringList, planted);
        QFETCH(QStringList, dirs);
        QFETCH(QString, how);
        QFETCH(QString, chosen);
        QFETCH(QStringList, after);
        AppHarness h;
        QTemporaryDir disk;
        QVERIFY(plant(h.home, disk.path(), planted));
        PyFtpdServer pyftpd(disk.path());
        if (server == "pyftpd") {
            QVERIFY2(pyftpd.start(), qPrintable(pyftpd.error()));
            aim(h, pyftpd.user(), pyftpd.password(), pyftpd.port());
        } else {
            aim(h, server, QStringLiteral("x"), fake->port());
        }
        MainWindow &w = h.start();
        w.connection().Connect();
        w.remotePane().ChangeRemoteDir(dirs[1]);
        w.ui().cmbLocalDir->setEditText(h.home + "/" + dirs[0]);
        const qsizetype commandsBefore = fake->commands().size();
        const bool up = how.endsWith("上传");
        FileListView *from = up ? w.ui().lvwLocal : w.ui().lvwRemote;
        choose(from, {chosen});
        if (how.contains(':')) {
            QVERIFY(w.dragDrop().BeginDrag(from));
            FileListModel *onto = w.ui().lvwRemote->model();
            onto->setDropHighlightRow(onto->findText(how.section(':', 0, 0)));
            h.prompts.messageAnswers = {Prompts::Answer::Cancel};
            w.dragDrop().DropOnRemote(QStringLiteral("lvwLocal"));
            QCOMPARE(onto->dropHighlightRow(), -1);
        }
        const bool asks = after.join("").contains("?:");
        DialogAnswers dialogs(asks ? QList<Answer>{{"frmTransfer", "cmdCancel"}} : QList<Answer>{});
        w.dispatch().ButtonClick(how.right(2));

        QCOMPARE(dialogs.unexpected, QStringList());
        QCOMPARE(dialogs.unanswered(), 0);
        QVERIFY(!dialogs.resumable.contains(true));
        for (const QString &expected : after) {
            const QString what = expected.mid(2).section('=', 0, 0);
            const QString path = (expected[0] == 'L' ? h.home : disk.path()) + "/" + what;
            if (expected.startsWith("C:"))
                QVERIFY(
                    !fake->commands().mid(commandsBefore).contains(what.mid(1).toUtf8() + "\r\n"));
            else if (expected.startsWith("?:"))
                QVERIFY2(dialogs.messages.value(0).endsWith(what), qPrintable(what));
            else if (what.endsWith('!'))
                QVERIFY2(!QFileInfo::exists(path.chopped(1)), qPrintable(what));
            else if (!expected.startsWith("Q:"))
                QCOMPARE(TestFiles::read(path), expected.section('=', 1).toUtf8());
        }
        QCOMPARE(queueRows(w), after.filter(QRegularExpression("^Q:")).replaceInStrings("Q:", ""));
        // The panes still show the folders the transfer was about.
        QCOMPARE(w.localPane().shownDirectory(), h.home + "/" + dirs[0]);
        QCOMPARE(w.remotePane().shownDirectory(), dirs[1]);
    }

    // Nothing is taken while disconnected; files dragged in from the desktop
    // upload like rows of the local pane.
    void dragsFromOutsideAndWhileDisconnected()
    {
        AppHarness h;
        QVERIFY(TestFiles::write(h.home + "/x.txt", "xx"));
        MainWindow &w = h.start();
        choose(w.ui().lvwLocal, {"x.txt"});
        QVERIFY(!w.dragDrop().BeginDrag(w.ui().lvwLocal));
        QVERIFY(
            !w.ui().lvwLocal->model()->row(w.ui().lvwLocal->model()->findText("x.txt")).ghosted);

        QVERIFY(connect(h, w, QStringLiteral("plain")));
        h.prompts.messageAnswers = {Prompts::Answer::Ok};
        const int before = int(fake->commands().size());
        w.dragDrop().DropUrlsOnRemote({QUrl::fromLocalFile(h.home + "/x.txt")});
        QCOMPARE(h.prompts.asked.at(0).text, QStringLiteral("传输 1 个选定的文件或文件夹?"));
        QVERIFY(fake->commands().mid(before).contains("STOR /pub/x.txt\r\n"));
        QCOMPARE(queueRows(w), QStringList({"上传 x.txt"}));
    }

    // A stop in the middle of a file ends the batch with an "错误" row and
    // keeps the partial file, which a later download resumes to the byte.
    void stopThenResume()
    {
        AppHarness h;
        MainWindow &w = h.start();
        QVERIFY(connect(h, w, QStringLiteral("slow-data")));
        auto probe = std::make_unique<QObject>();
        QObject::connect(&w.session(), &RemoteSession::ActivityEvent, probe.get(),
                         [&w](const RemoteActivity &event) {
                             if (event.kind == RemoteActivityKind::DownloadFileProgress &&
                                 event.count > 0)
                                 w.dispatch().StatusPanelDblClick(QStringLiteral("Status"));
                         });
        choose(w.ui().lvwRemote, {"large.bin", "sized.bin"});
        QVERIFY(w.dragDrop().BeginDrag(w.ui().lvwRemote));
        h.prompts.messageAnswers = {Prompts::Answer::Ok};
        w.dragDrop().DropOnLocal(QStringLiteral("lvwRemote"));
        // The rest of the batch is not started.
        QCOMPARE(queueRows(w), QStringList({"错误 large.bin"}));
        QVERIFY(!QFile::exists(h.home + "/sized.bin"));
        QCOMPARE(w.session().ConnectionState(), 2);
        const QString partial = h.home + "/large.bin";
        const QByteArray large = served("data.bin").repeated(4096);
        const QByteArray part = TestFiles::read(partial);
        QVERIFY(!part.isEmpty() && part.size() < large.size());
        QCOMPARE(part, large.left(part.size()));
        probe.reset();

        QVERIFY(connect(h, w, QStringLiteral("plain")));
        DialogAnswers dialogs(QList<Answer>{{"frmTransfer", "cmdResume"}});
        choose(w.ui().lvwRemote, {"large.bin"});
        w.dispatch().ButtonClick(QStringLiteral("下载"));
        QCOMPARE(dialogs.unanswered(), 0);
        QCOMPARE(TestFiles::read(partial), large);
        QCOMPARE(queueRows(w).last(), QStringLiteral("Download large.bin"));
    }

    // Rows that are links are fetched whole: a link to a folder becomes a
    // folder, a link to a file a file; a double-click on a file downloads it.
    void linksAndDoubleClicks()
    {
        if (!VsftpdServer::available())
            QSKIP(qPrintable(VsftpdServer::unavailableReason()));
        QTemporaryDir root;
        QVERIFY(TestFiles::write(root.filePath("real/file.txt"), "in real"));
        QVERIFY(TestFiles::write(root.filePath("plain.txt"), "plain"));
        QVERIFY(TestFiles::write(root.filePath("my docs/in.txt"), "blank"));
        QVERIFY(QFile::link("real", root.filePath("todir")));
        QVERIFY(QFile::link("real/file.txt", root.filePath("tofile")));
        VsftpdServer vsftpd(root.path());
        QVERIFY2(vsftpd.start(), qPrintable(vsftpd.error()));
        AppHarness h;
        MainWindow &w = h.start();
        aim(h, vsftpd.user(), vsftpd.password(), vsftpd.port());
        w.connection().Connect();
        QVERIFY(w.session().ConnectionState() == 2);

        choose(w.ui().lvwRemote, {"todir", "tofile"});
        QVERIFY(w.dragDrop().BeginDrag(w.ui().lvwRemote));
        h.prompts.messageAnswers = {Prompts::Answer::Ok};
        w.dragDrop().DropOnLocal(QStringLiteral("lvwRemote"));
        QCOMPARE(TestFiles::read(h.home + "/todir/file.txt"), QByteArray("in real"));
        QCOMPARE(TestFiles::read(h.home + "/tofile"), QByteArray("in real"));

        FileListView *remote = w.ui().lvwRemote;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect row = remote->reportView()->visualRect(
            remote->model()->index(remote->model()->findText("plain.txt"), 0));
        QTest::mouseClick(remote->reportView()->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(remote->reportView()->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(TestFiles::read(h.home + "/plain.txt"), QByteArray("plain"));
        QCOMPARE(queueRows(w),
                 QStringList({"Download todir", "Download tofile", "Download plain.txt"}));
    }

    // A folder copied all but a refused subfolder is not recorded as done;
    // the log says what was left out.
    void aTreeCopyThatSkippedIsAnError()
    {
        AppHarness h;
        MainWindow &w = h.start();
        QVERIFY(connect(h, w, QStringLiteral("refused-subfolder")));
        w.remotePane().ChangeRemoteDir(QStringLiteral("/"));
        choose(w.ui().lvwRemote, {"refused"});
        w.dispatch().ButtonClick(QStringLiteral("下载"));
        QCOMPARE(queueRows(w), QStringList({"错误 refused"}));
        QCOMPARE(TestFiles::read(h.home + "/refused/zlast.txt"), QByteArray("last\n"));
        QVERIFY(w.log().text().contains(QStringLiteral("locked")));
    }

    // Offsets past 4 GiB: a nearly complete copy of a 9 999 999 999-byte
    // file is resumed for its last bytes, with the sizes shown in full.
    void resumePastFourGiB()
    {
        AppHarness h;
        const QString copy = h.home + "/huge.bin";
        QVERIFY(TestFiles::writeSparse(copy, 9999999000LL));
        MainWindow &w = h.start();
        QVERIFY(connect(h, w, QStringLiteral("huge-size")));
        DialogAnswers dialogs(QList<Answer>{{"frmTransfer", "cmdResume"}});
        choose(w.ui().lvwRemote, {"huge.bin"});
        w.dispatch().ButtonClick(QStringLiteral("下载"));
        QCOMPARE(dialogs.unanswered(), 0);
        QVERIFY(dialogs.messages.first().contains("huge.bin(9999999999)覆盖"));
        QVERIFY(dialogs.messages.first().contains("huge.bin(9999999000) 吗"));
        QCOMPARE(QFileInfo(copy).size(), 9999999999LL);
        QCOMPARE(TestFiles::readAt(copy, 9999999000LL, 999), QByteArray(999, 'H'));
        QCOMPARE(queueRows(w), QStringList({"Download huge.bin"}));
    }
};

QTEST_MAIN(TestTransfers)
#include "tst_transfers.moc"
