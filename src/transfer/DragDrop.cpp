#include "transfer/DragDrop.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/IconLibrary.h"
#include "panes/LocalPane.h"
#include "panes/PathRules.h"
#include "panes/RemotePane.h"
#include "platform/Prompts.h"
#include "transfer/TransferCommands.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferList.h"
#include "window/IconKeys.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QScopeGuard>
#include <QTimer>

DragDrop::DragDrop(TransferContext &context, TransferCommands &commands, QObject *parent)
    : QObject(parent), tc(context), commands(commands)
{
    for (FileListView *pane : {tc.lvwLocal, tc.lvwRemote}) {
        connect(pane, &FileListView::dragRequested, this,
                [this, pane](bool *started) { startDrag(pane, started); });
        connect(pane, &FileListView::dragMoved, this,
                [this, pane](QDragMoveEvent *event) { dragOver(pane, event); });
        connect(pane, &FileListView::dragLeft, this,
                [pane] { pane->model()->setDropHighlightRow(-1); });
        connect(pane, &FileListView::dropped, this,
                [this, pane](QDropEvent *event) { drop(pane, event); });
    }
}

bool DragDrop::BeginDrag(FileListView *pane)
{
    WindowContext &ctx = tc.window;
    const FileListModel *model = pane->model();
    if (!ctx.ready() || ctx.gate.busy() || model->rowCount() == 0)
        return false;
    const bool local = pane == tc.lvwLocal;
    // A remote drag starts from a row with a name.
    const int focused = pane->focusedRow();
    if (!local && (focused < 0 || model->row(focused).text.isEmpty()))
        return false;
    ctx.state.Dragging = true;
    if (local)
        tc.list.CollectLocalSelection(tc.local.shownDirectory(), false);
    else
        tc.list.CollectRemoteSelection(tc.remote.shownDirectory(), false);
    // The prompt counts what the batch will transfer.
    commands.dropParentRows(local);
    return tc.list.count() > 0;
}

void DragDrop::startDrag(FileListView *pane, bool *started)
{
    if (!BeginDrag(pane))
        return;
    *started = true;
    auto *data = new QMimeData;
    data->setData(PaneMimeType, pane->objectName().toUtf8());
    QDrag drag(pane);
    drag.setMimeData(data);
    drag.setPixmap(IconLibrary::icon(IconKey::Move).pixmap(32, 32));
    droppedOn.reset();
    drag.exec(Qt::CopyAction);
    const std::optional<QString> target = std::exchange(droppedOn, std::nullopt);
    // The transfer starts once the drag is over, as a command of its own.
    if (target == tc.lvwLocal->objectName())
        tc.window.gate.run([this, pane] { DropOnLocal(pane->objectName()); });
    else if (target == tc.lvwRemote->objectName())
        tc.window.gate.run([this, pane] { DropOnRemote(pane->objectName()); });
    else
        tc.list.UnmarkTransferItems(pane == tc.lvwLocal); // dropped nowhere
}

void DragDrop::dragOver(FileListView *pane, QDragMoveEvent *event)
{
    const QMimeData *data = event->mimeData();
    const bool ours = data->hasFormat(PaneMimeType) && tc.window.state.Dragging &&
                      QString::fromUtf8(data->data(PaneMimeType)) != pane->objectName();
    const bool files = pane == tc.lvwRemote && data->hasUrls() && !data->hasFormat(PaneMimeType) &&
                       tc.window.ready() && !tc.window.gate.busy();
    if (!ours && !files) {
        event->ignore();
        return;
    }
    const QWidget *viewport = pane->activeView()->viewport();
    pane->model()->setDropHighlightRow(
        pane->rowAt(viewport->mapTo(pane, event->position().toPoint())));
    event->acceptProposedAction();
}

void DragDrop::drop(FileListView *pane, QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (data->hasFormat(PaneMimeType)) {
        const QString source = QString::fromUtf8(data->data(PaneMimeType));
        if (source == pane->objectName())
            tc.list.UnmarkTransferItems(pane == tc.lvwLocal); // within one pane
        else
            droppedOn = pane->objectName();
        event->acceptProposedAction();
        return;
    }
    if (pane != tc.lvwRemote || !data->hasUrls()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The other program waits for the drop to end: the upload comes after.
    const QList<QUrl> urls = data->urls();
    QTimer::singleShot(
        0, this, [this, urls] { tc.window.gate.run([this, urls] { DropUrlsOnRemote(urls); }); });
}

QString DragDrop::takeDropTarget(FileListView *pane, const QString &dir, bool remote)
{
    QString target = dir;
    NormalizePath(target, remote);
    FileListModel *model = pane->model();
    const int r = model->dropHighlightRow();
    if (r >= 0 && isFolderLike(model->row(r).kind))
        target += model->row(r).text;
    // Its part is played once dropped on, whatever the answer: a highlight
    // left behind would be taken for the target of a later transfer.
    model->setDropHighlightRow(-1);
    return target;
}

bool DragDrop::confirm(const QString &text, const QString &title) const
{
    return tc.window.prompts.messageBox(text, Prompts::Buttons::OkCancel, Prompts::Icon::Question,
                                        title) == Prompts::Answer::Ok;
}

void DragDrop::DropOnLocal(const QString &source)
{
    const QString target = takeDropTarget(tc.lvwLocal, tc.local.shownDirectory(), false);
    if (source == tc.lvwLocal->objectName()) {
        tc.list.UnmarkTransferItems(true);
        return;
    }
    if (confirm(QStringLiteral("覆盖 %1 个选择的文件或文件夹?").arg(tc.list.count()),
                QStringLiteral("覆盖...")))
        commands.download(target);
    else
        tc.list.UnmarkTransferItems(false);
}

void DragDrop::DropOnRemote(const QString &source)
{
    const QString target = takeDropTarget(tc.lvwRemote, tc.remote.shownDirectory(), true);
    if (source == tc.lvwRemote->objectName()) {
        tc.list.UnmarkTransferItems(false);
        return;
    }
    if (confirm(QStringLiteral("传输 %1 个选定的文件或文件夹?").arg(tc.list.count()),
                QStringLiteral("传输...")))
        commands.upload(target);
    else
        tc.list.UnmarkTransferItems(true);
}

void DragDrop::DropUrlsOnRemote(const QList<QUrl> &urls)
{
    // Dropped on, even when nothing comes of it.
    const auto cleared = qScopeGuard([this] { tc.lvwRemote->model()->setDropHighlightRow(-1); });
    if (!tc.window.ready())
        return;
    tc.list.clear();
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo file(QDir::cleanPath(url.toLocalFile()));
        if (!file.exists() || file.fileName().isEmpty())
            continue;
        FileRow row;
        row.text = file.fileName();
        row.kind = file.isDir() ? EntryKind::Folder : EntryKind::File;
        row.size = file.isDir() ? -1 : file.size();
        tc.list.AddTransferItem(file.absolutePath() + QDir::separator(), row, -1);
    }
    if (tc.list.count() > 0)
        DropOnRemote(QStringLiteral("files"));
}
