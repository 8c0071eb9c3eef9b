#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "platform/Shell.h"
#include "transfer/QueueList.h"
#include "transfer/TransferList.h"
#include "window/WindowTestSupport.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QTreeView>
#include <QtTest>

namespace {
FileListModel *queueModel(QObject *parent)
{
    return new FileListModel({QStringLiteral("状态"), QStringLiteral("本地"),
                              QStringLiteral("大小"), QStringLiteral("方向"),
                              QStringLiteral("远程"), QStringLiteral("主机")},
                             FileListModel::recordFields(), parent);
}

FileRow row(const QString &text, EntryKind kind, qint64 size = -1)
{
    FileRow r;
    r.text = text;
    r.kind = kind;
    r.size = size;
    return r;
}

// The queue list in a window of its own, with the window's parts.
struct QueueRig
{
    TestCommands actions;
    ScriptedShell shell;
    QWidget window;
    QPlainTextEdit *txtLog = new QPlainTextEdit(&window);
    TestContext parts{&window, actions.commands, txtLog, shell};
    FileListView *lvwStatus = new FileListView(queueModel(&window), &window);
    QueueList queue{parts.context, lvwStatus};

    QueueRig()
    {
        for (int i = 1; i <= 6; ++i)
            queue.AddQueueRow(QStringLiteral("删除"), QStringLiteral("/l/%1").arg(i), 7 - i,
                              QString(), QStringLiteral("/r/%1").arg(i), QStringLiteral("host"));
    }
    QStringList locals() const
    {
        QStringList out;
        for (const FileRow &r : lvwStatus->model()->rows())
            out << r.record.value(0);
        return out;
    }
};
} // namespace

class TestQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deletingRecords_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<Prompts::Answer>("answer");
        QTest::addColumn<bool>("clearAll");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("rows 2, 3 and 5 of six") << QList<int>{1, 2, 4} << Prompts::Answer::Ok
                                                << false << QStringList({"/l/1", "/l/4", "/l/6"});
        QTest::newRow("cancelled") << QList<int>{1, 2} << Prompts::Answer::Cancel << false
                                   << QStringList({"/l/1", "/l/2", "/l/3", "/l/4", "/l/5", "/l/6"});
        QTest::newRow("nothing chosen")
            << QList<int>{} << Prompts::Answer::Ok << false
            << QStringList({"/l/1", "/l/2", "/l/3", "/l/4", "/l/5", "/l/6"});
        QTest::newRow("clear") << QList<int>{3} << Prompts::Answer::Ok << true << QStringList();
        QTest::newRow("clear cancelled")
            << QList<int>{} << Prompts::Answer::Cancel << true
            << QStringList({"/l/1", "/l/2", "/l/3", "/l/4", "/l/5", "/l/6"});
    }

    void deletingRecords()
    {
        QFETCH(QList<int>, selected);
        QFETCH(Prompts::Answer, answer);
        QFETCH(bool, clearAll);
        QFETCH(QStringList, left);
        QueueRig rig;
        for (int r : selected)
            rig.lvwStatus->setRowSelected(r, true);
        rig.parts.prompts.messageAnswers = {answer};
        clearAll ? rig.queue.mnuStatusClear_Click() : rig.queue.mnuStatusDel_Click();
        QCOMPARE(rig.locals(), left);
        QCOMPARE(rig.parts.prompts.asked.size(), 1);
        QCOMPARE(rig.parts.prompts.asked.at(0).text, QStringLiteral("删除选择的队列条目?"));
        QCOMPARE(rig.parts.prompts.asked.at(0).title, QStringLiteral("确认删除队列条目"));
        QVERIFY(rig.parts.log.text().isEmpty());
    }

    // A header click sorts by that column's text, ascending, every time; rows
    // added later take their sorted places. The Delete key asks to delete.
    void sortingAndKeys()
    {
        QueueRig rig;
        Q_EMIT rig.lvwStatus->headerClicked(2);
        Q_EMIT rig.lvwStatus->headerClicked(2);
        QCOMPARE(rig.locals(), QStringList({"/l/6", "/l/5", "/l/4", "/l/3", "/l/2", "/l/1"}));
        rig.queue.AddQueueRow(QStringLiteral("Download"), QStringLiteral("/l/7"), 10,
                              QStringLiteral("<--"), QStringLiteral("/r/7"),
                              QStringLiteral("host"));
        QCOMPARE(rig.locals().indexOf("/l/7"), 1); // "10" sorts after "1", as text
        rig.parts.prompts.messageAnswers = {Prompts::Answer::Ok};
        rig.lvwStatus->selectRow(0);
        Q_EMIT rig.lvwStatus->keyReleased(Qt::Key_Delete, {});
        QCOMPARE(rig.locals().size(), 6);
    }

    // Each new record is brought into view, at the end or at its sorted place,
    // wherever the user had scrolled to.
    void theNewestRecordIsInView_data()
    {
        QTest::addColumn<bool>("sorted"); // by the local path: the newest sorts first
        QTest::newRow("in the order added") << false;
        QTest::newRow("sorted") << true;
    }

    void theNewestRecordIsInView()
    {
        QFETCH(bool, sorted);
        QueueRig rig;
        rig.lvwStatus->resize(500, 120);
        rig.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
        if (sorted)
            Q_EMIT rig.lvwStatus->headerClicked(1);
        QTreeView *view = rig.lvwStatus->reportView();
        for (int i = 0; i < 40; ++i) {
            sorted ? view->scrollToBottom() : view->scrollToTop();
            const QString local = QStringLiteral("/a/%1").arg(90 - i);
            rig.queue.AddQueueRow("上传", local, -1, {}, local, "host");
            const int newest = sorted ? 0 : rig.lvwStatus->model()->rowCount() - 1;
            QCOMPARE(rig.lvwStatus->model()->text(newest, 1), local);
            QVERIFY(view->viewport()->rect().contains(
                view->visualRect(view->model()->index(newest, 0))));
        }
    }

    void rightClickOffersTheMenuOnlyOverRecords()
    {
        QueueRig rig;
        rig.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
        QMenu *menu = rig.actions.commands.statusMenu;
        Q_EMIT rig.lvwStatus->mouseReleased(Qt::RightButton, rig.window.mapToGlobal(QPoint(5, 5)));
        QTRY_VERIFY(menu->isVisible());
        menu->close();
        rig.lvwStatus->model()->clear();
        Q_EMIT rig.lvwStatus->mouseReleased(Qt::RightButton, rig.window.mapToGlobal(QPoint(5, 5)));
        QVERIFY(!menu->isVisible());
    }

    // The rows chosen in a pane become the transfer list, marked while they
    // wait; unmarking after the pane changed touches what stands there now.
    void collectingAndMarking_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("focused");
        QTest::addColumn<bool>("focusedOnly");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("every selected row, the parent row too")
            << QList<int>{0, 2, 3} << 3 << false << QStringList({"..", "b.txt", "c"});
        QTest::newRow("the focused row alone")
            << QList<int>{1, 2, 3} << 2 << true << QStringList({"b.txt"});
    }

    void collectingAndMarking()
    {
        QFETCH(QList<int>, selected);
        QFETCH(int, focused);
        QFETCH(bool, focusedOnly);
        QFETCH(QStringList, names);
        FileListModel local({"名称"}), remote({"名称"});
        FileListView lvwLocal(&local), lvwRemote(&remote);
        remote.fill({FileListModel::parentRow()},
                    {row("a.txt", EntryKind::File, 1), row("b.txt", EntryKind::File, 22),
                     row("c", EntryKind::Folder)});
        for (int r : selected)
            lvwRemote.setRowSelected(r, true);
        lvwRemote.selectionModel()->setCurrentIndex(remote.index(focused, 0),
                                                    QItemSelectionModel::NoUpdate);
        TransferList list(&lvwLocal, &lvwRemote);
        QCOMPARE(list.CollectRemoteSelection(QStringLiteral("/pub"), focusedOnly), names.size());
        QStringList collected;
        for (const ChosenRow &item : list.TransferItems()) {
            collected << item.Name;
            QCOMPARE(item.Dir, QStringLiteral("/pub"));
            QCOMPARE(item.Kind, remote.row(item.Index).kind);
            QCOMPARE(item.Size, remote.row(item.Index).size);
            QVERIFY(remote.row(item.Index).ghosted);
            QCOMPARE(remote.row(item.Index).textColor, QColor(0, 0, 128));
        }
        QCOMPARE(collected, names);
        for (int r = 0; r < remote.rowCount(); ++r)
            QCOMPARE(remote.row(r).ghosted,
                     selected.contains(r) && names.contains(remote.row(r).text));

        remote.fill({FileListModel::parentRow()}, {row("only", EntryKind::File)});
        list.UnmarkTransferItems(false);
        QVERIFY(!remote.row(0).ghosted && !remote.row(1).ghosted);
    }
};

QTEST_MAIN(TestQueue)
#include "tst_queue.moc"
