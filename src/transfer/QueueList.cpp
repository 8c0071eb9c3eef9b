#include "transfer/QueueList.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "platform/Prompts.h"
#include "window/Commands.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QItemSelectionModel>
#include <QMenu>

QueueList::QueueList(WindowContext &context, FileListView *lvwStatus, QObject *parent)
    : QObject(parent), ctx(context), lvwStatus(lvwStatus)
{
    connect(lvwStatus, &FileListView::gotFocus, this, &QueueList::lvwStatus_GotFocus);
    connect(lvwStatus, &FileListView::keyReleased, this,
            [this](int key, Qt::KeyboardModifiers) { lvwStatus_KeyUp(key); });
    connect(lvwStatus, &FileListView::mouseReleased, this, &QueueList::lvwStatus_MouseUp);
    connect(lvwStatus, &FileListView::headerClicked, this, &QueueList::lvwStatus_ColumnClick);
    connect(lvwStatus, &FileListView::selectionMoved, &ctx.availability, &CommandState::refresh);
}

void QueueList::AddQueueRow(const QString &status, const QString &local, qint64 size,
                            const QString &direction, const QString &remote, const QString &host)
{
    FileRow row;
    row.kind = EntryKind::Record;
    row.text = status;
    row.size = size;
    row.record = {local, direction, remote, host};
    // The newest outcome is the one the user is waiting for.
    lvwStatus->scrollToRow(lvwStatus->model()->addRow(row));
    ctx.availability.refresh();
}

void QueueList::DeleteQueueEntries()
{
    if (ctx.prompts.messageBox(QStringLiteral("删除选择的队列条目?"), Prompts::Buttons::OkCancel,
                               Prompts::Icon::Question,
                               QStringLiteral("确认删除队列条目")) != Prompts::Answer::Ok)
        return;
    // From the last to the first, so the rows still to go keep their places.
    const QList<int> chosen = lvwStatus->selectedRows();
    for (auto it = chosen.crbegin(); it != chosen.crend(); ++it)
        lvwStatus->model()->removeRowAt(*it);
    ctx.availability.refresh();
}

void QueueList::mnuStatusClear_Click()
{
    const FileListModel *model = lvwStatus->model();
    if (model->rowCount() > 0)
        lvwStatus->selectionModel()->select(
            QItemSelection(model->index(0, 0), model->index(model->rowCount() - 1, 0)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    DeleteQueueEntries();
}

void QueueList::lvwStatus_GotFocus()
{
    ctx.state.QueueHasFocus = true;
    ctx.state.LocalHasFocus = false;
    ctx.state.RemoteHasFocus = false;
    ctx.availability.refresh();
}

void QueueList::lvwStatus_KeyUp(int key)
{
    if (key == Qt::Key_Delete)
        ctx.gate.run([this] { DeleteQueueEntries(); });
}

void QueueList::lvwStatus_MouseUp(Qt::MouseButton button, const QPoint &globalPos)
{
    if (button != Qt::RightButton || lvwStatus->model()->rowCount() == 0 || ctx.gate.busy())
        return;
    ctx.availability.refresh();
    ctx.commands.statusMenu->popup(globalPos);
}

void QueueList::lvwStatus_ColumnClick(int section)
{
    // Every click sorts ascending; rows added later take their sorted places.
    FileListModel *model = lvwStatus->model();
    model->setSortColumn(section);
    model->setSortOrder(Qt::AscendingOrder);
    model->setSorted(true);
}
