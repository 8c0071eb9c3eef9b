// Downloads and uploads with 后台传输 on, through the window: the command
// ends at once, the items run on connections of their own, each existing
// target is asked about when its item starts, and what arrives is recorded
// as the foreground records it.

#include "app/AppTestSupport.h"
#include "connection/ConnectionController.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestFiles.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/RemotePane.h"
#include "remote/RemoteSession.h"
#include "transfer/TransferCommands.h"
#include "transfer/TransferList.h"
#include "window/WindowContext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

namespace {
// Presses `button` (with "全部" checked when `all`) in every conflict
// dialog that comes up, and counts them.
class ConflictAnswers : public QObject
{
public:
    ConflictAnswers(QString button, bool all) : button(std::move(button)), all(all)
    {
        connect(&poll, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != QLatin1String("frmTransfer"))
                return;
            ++asked;
            // Renaming the old file first is not offered in the background.
            renameOffered |=
                dialog->findChild<QPushButton *>(QStringLiteral("cmdRename"))->isEnabled();
            if (this->all)
                dialog->findChild<QCheckBox *>(QStringLiteral("chkSelectedAll"))->click();
            dialog->findChild<QPushButton *>(this->button)->click();
        });
        poll.start(5);
    }
    int asked = 0;
    bool renameOffered = false;

private:
    QString button;
    bool all;
    QTimer poll;
};

QStringList recordRows(MainWindow &w)
{
    QStringList out;
    for (const FileRow &r : w.ui().lvwStatus->model()->rows())
        out << r.text + ' ' + r.record.value(0).section('/', -1);
    out.sort();
    return out;
}
} // namespace

class TestBackground : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commands_data();
    void commands();
};

void TestBackground::commands_data()
{
    QTest::addColumn<bool>("upload");
    QTest::addColumn<QStringList>("there"); // names the target side holds already ("old")
    QTest::addColumn<QString>("answer");    // the conflict dialog's button
    QTest::addColumn<bool>("all");
    QTest::addColumn<int>("asked");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("hashes"); // the hash commands the server offers

    const QStringList both = {"Download Music [FLAC].txt", "Download 报告.txt"};
    QTest::newRow("download: nothing asked")
        << false << QStringList() << QString() << false << 0 << both << QStringList();
    QTest::newRow("download: each existing file asked as it starts")
        << false << QStringList{"Music [FLAC].txt", "报告.txt"} << "cmdTransfer" << false << 2
        << both << QStringList();
    QTest::newRow("download: 全部 answers the rest of the command")
        << false << QStringList{"Music [FLAC].txt", "报告.txt"} << "cmdTransfer" << true << 1
        << both << QStringList();
    QTest::newRow("download: cancelled items leave no row")
        << false << QStringList{"报告.txt"} << "cmdCancel" << false << 1
        << QStringList{"Download Music [FLAC].txt"} << QStringList();
    QTest::newRow("upload") << true << QStringList{"报告.txt"} << "cmdTransfer" << false << 1
                            << QStringList{"上传 Music [FLAC].txt", "上传 报告.txt"}
                            << QStringList();
    QTest::newRow("download: the server's hash vouches for each file")
        << false << QStringList() << QString() << false << 0
        << QStringList{"Download（已校验） Music [FLAC].txt", "Download（已校验） 报告.txt"}
        << QStringList{"XSHA256"};
    QTest::newRow("upload: the server's hash vouches for each file")
        << true << QStringList() << QString() << false << 0
        << QStringList{"上传（已校验） Music [FLAC].txt", "上传（已校验） 报告.txt"}
        << QStringList{"HASH"};
}

void TestBackground::commands()
{
    QFETCH(bool, upload);
    QFETCH(QStringList, there);
    QFETCH(QString, answer);
    QFETCH(bool, all);
    QFETCH(int, asked);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, hashes);

    QTemporaryDir served;
    AppHarness h;
    const QStringList names = {"Music [FLAC].txt", "报告.txt"};
    const QString from = upload ? h.home : served.path();
    const QString to = upload ? served.path() : h.home;
    for (const QString &name : names)
        QVERIFY(TestFiles::write(from + '/' + name, QByteArray(100000, name.at(0).toLatin1())));
    for (const QString &name : there)
        QVERIFY(TestFiles::write(to + '/' + name, "old"));
    PyFtpdServer server(served.path());
    server.setThrottle(64 * 1024);
    server.offerHashes(hashes);
    QVERIFY2(server.start(), qPrintable(server.error()));

    h.settings->setValue(QStringLiteral("后台传输"), QStringLiteral("1"));
    MainWindow &w = h.start();
    h.globals.gHost = server.host();
    h.globals.gUser = server.user();
    h.globals.gPassword = server.password();
    h.globals.gPort = server.port();
    w.connection().Connect();
    QCOMPARE(w.session().ConnectionState(), 2);

    ConflictAnswers dialogs(answer, all);
    FileListView *pane = upload ? w.ui().lvwLocal : w.ui().lvwRemote;
    pane->selectRow(pane->model()->findText(names.first()));
    pane->setRowSelected(pane->model()->findText(names.last()), true);
    // As a drop hands them over: every selected row.
    if (upload) {
        w.transferList().CollectLocalSelection(w.localPane().shownDirectory(), false);
        w.transferCommands().upload(w.remotePane().shownDirectory());
    } else {
        w.transferList().CollectRemoteSelection(w.remotePane().shownDirectory(), false);
        w.transferCommands().download(w.localPane().shownDirectory());
    }
    // The command is over; the browsing session is free for the panes.
    QVERIFY(!w.context().gate.busy());
    QVERIFY(!w.session().IsBusy());
    QCOMPARE(w.ui().lvwQueue->model()->rowCount(), 2);
    QVERIFY(!w.ui().lvwQueue->isHidden());
    w.remotePane().RefreshRemote();

    QTRY_COMPARE_WITH_TIMEOUT(w.ui().lvwQueue->model()->rowCount(), 0, 30000);
    QVERIFY(w.ui().lvwQueue->isHidden());
    QCOMPARE(dialogs.asked, asked);
    QVERIFY(!dialogs.renameOffered);
    QCOMPARE(recordRows(w), rows);
    for (const QString &name : names)
        QCOMPARE(TestFiles::read(to + '/' + name),
                 rows.join(' ').contains(name) ? TestFiles::read(from + '/' + name) : "old");
}

QTEST_MAIN(TestBackground)
#include "tst_background.moc"
