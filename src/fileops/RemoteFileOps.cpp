#include "fileops/RemoteFileOps.h"

#include "fileops/DeleteSelection.h"
#include "fileops/PaintPacer.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/PathRules.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "transfer/QueueList.h"
#include "transfer/TransferList.h"
#include "window/RemoteErrors.h"
#include "window/SessionControl.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QScopeGuard>
#include <optional>

namespace {
QString withSlash(QString path)
{
    return NormalizePath(path, true);
}

bool isValidName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/'));
}
} // namespace

RemoteFileOps::RemoteFileOps(WindowContext &context, RemotePane &pane, FileListView *lvwRemote,
                             DirCombos combos, TransferList &transfers, QueueList &queue,
                             QObject *parent)
    : QObject(parent), ctx(context), pane(pane), lvwRemote(lvwRemote), combos(combos),
      transfers(transfers), queue(queue)
{
    lvwRemote->model()->setLabelEditHandler([this](int row, const QString &text) {
        bool renamed = false;
        ctx.gate.run([&] { renamed = RemoteRename(row, text); });
        return renamed;
    });
}

RemoteFileOps::~RemoteFileOps()
{
    if (lvwRemote)
        lvwRemote->model()->setLabelEditHandler({});
}

QString RemoteFileOps::directory() const
{
    const QString shown = pane.shownDirectory();
    return withSlash(shown.isEmpty() ? ctx.session.CurrentDirectory() : shown);
}

QString RemoteFileOps::UniqueRemoteRowName(const QString &base) const
{
    const FileListModel *model = lvwRemote->model();
    QString candidate = base;
    for (int counter = 0; model->findText(candidate) >= 0; ++counter)
        candidate = base + QString::number(counter);
    return candidate;
}

void RemoteFileOps::RemoteNewFolder()
{
    if (!ctx.connected())
        return;
    const QString dir = directory();
    const QString base = UniqueRemoteRowName(NewFolderName);
    SetFtpProperties(ctx.session, ctx.globals);
    WindowState &state = ctx.state;
    QString name = base;
    for (int attempt = 1; attempt <= NewFolderAttempts; ++attempt) {
        state.MakeDirAnswered = false;
        state.MakeDirSucceeded = false;
        std::optional<RemoteError> failure;
        try {
            ctx.session.MakeRemoteDirectory(dir + name);
        } catch (const RemoteError &error) {
            failure = error;
        }
        // The component's report of the outcome (code 25) set the flags
        // during the call; "exists" is the one answer that sets neither.
        if (state.MakeDirAnswered ? state.MakeDirSucceeded : !failure) {
            addFolderRow(dir, name);
            return;
        }
        // Refused for another reason, or no answer in time: the reason is
        // in the log, and a lost session ends the command too.
        if (state.MakeDirAnswered || !ctx.connected()) {
            if (failure)
                ReportFtpFailure(ctx, *failure);
            return;
        }
        name = base + QStringLiteral("(%1)").arg(attempt);
    }
    ctx.log.append(QStringLiteral("无法新建文件夹: 试过的 %1 个名称服务器都说已经存在\r\n")
                       .arg(NewFolderAttempts));
}

void RemoteFileOps::addFolderRow(const QString &dir, const QString &name)
{
    FileRow row;
    row.text = name;
    row.kind = EntryKind::Folder;
    row.tag = dir + name;
    const int r = lvwRemote->model()->addRow(row);
    lvwRemote->selectRow(r);
    lvwRemote->editRow(r);
    ctx.availability.refresh();
}

bool RemoteFileOps::RemoteRename(int row, const QString &newName)
{
    FileListModel *model = lvwRemote->model();
    if (!ctx.connected() || row < 0 || row >= model->rowCount() ||
        model->row(row).kind == EntryKind::Parent)
        return false;
    const FileRow &entry = model->row(row);
    if (!isValidName(newName)) {
        ctx.log.append(
            QStringLiteral("无法把 %1 重命名为 \"%2\": 名称无效\r\n").arg(entry.text, newName));
        return false;
    }
    // Most servers replace an existing entry without a word: a name the
    // pane shows is refused here.
    for (int r = 0; r < model->rowCount(); ++r) {
        if (r != row && model->row(r).text == newName) {
            ctx.log.append(QStringLiteral("无法把 %1 重命名为 \"%2\": 已有同名的文件或文件夹\r\n")
                               .arg(entry.text, newName));
            return false;
        }
    }
    const QString target = directory() + newName;
    SetFtpProperties(ctx.session, ctx.globals);
    try {
        ctx.session.RenameRemote(entry.tag, target);
    } catch (const RemoteError &error) {
        ReportFtpFailure(ctx, error);
        return false;
    }
    // The rename may have refilled nothing, but the row is looked up again:
    // a lost session empties the pane.
    if (row < model->rowCount())
        model->setTag(row, target);
    return true;
}

void RemoteFileOps::RemoteDelete()
{
    if (!ctx.connected())
        return;
    const QString dir = directory();
    const int count = DeleteSelection::collect(transfers, false, dir);
    if (count == 0)
        return;
    if (!DeleteSelection::confirm(ctx.prompts, count)) {
        transfers.UnmarkTransferItems(false);
        return;
    }
    SetFtpProperties(ctx.session, ctx.globals);
    combos.EnableDirCombos(false, false);
    PaintPacer paced(ctx.window);
    pacer = &paced;
    const auto enableAgain = qScopeGuard([this] {
        pacer = nullptr;
        combos.EnableDirCombos(true, true);
    });

    StatusPanels &bar = *ctx.statusBar;
    const QVector<ChosenRow> items = transfers.TransferItems();
    int rowsGone = 0;
    for (const ChosenRow &item : items) {
        const QString path = withSlash(item.Dir) + item.Name;
        TreeOutcome outcome;
        QString recorded = path;
        if (item.Kind == EntryKind::Folder) {
            bar.ShowTransferFile(DeleteSelection::FolderLabel + item.Name);
            outcome = RemoveRemoteTree(path);
            recorded = withSlash(path);
            // The pane comes back to the directory the delete started in.
            if (ctx.connected() && outcome != TreeOutcome::Stopped)
                pane.DoRemoteRefresh(dir);
        } else {
            // A file, or a link, which goes as itself: what it leads to is
            // not the user's to lose. The row's place: where it was chosen,
            // less the rows gone before it.
            outcome = deleteFile(item.Name, item.Size, path, item.Index - rowsGone);
        }
        if (outcome == TreeOutcome::Removed && isFolderLike(item.Kind))
            ForgetRemoteDir(path);
        if (outcome == TreeOutcome::Removed)
            ++rowsGone;
        bar.ShowTransferFile(QString());
        queue.AddQueueRow(outcome == TreeOutcome::Removed ? QueueList::Deleted
                                                          : QueueList::RemoteDeleteRefused,
                          QString(), item.Size, QString(), recorded, ctx.globals.gHost);
        if (outcome == TreeOutcome::Stopped || !ctx.connected())
            break;
    }
    // Whatever happened, the pane shows the starting directory as the
    // server has it now, and nothing is left marked.
    takeOutGoneRows();
    if (ctx.connected())
        pane.DoRemoteRefresh(dir);
    transfers.UnmarkTransferItems(false);
}

RemoteFileOps::TreeOutcome RemoteFileOps::deleteFile(const QString &name, qint64 size,
                                                     const QString &path, int rowHint)
{
    if (!pacer || pacer->due())
        ctx.statusBar->ShowTransferFile(DeleteSelection::FileLabel + name, size);
    try {
        ctx.session.DeleteRemoteFile(path);
    } catch (const RemoteError &error) {
        return failed(error);
    }
    // The window is painted only now and then: the rows gone meanwhile are
    // taken out together just before, and the list is laid out once.
    goneRows.append({path, rowHint});
    if (!pacer || pacer->due())
        takeOutGoneRows();
    if (pacer)
        pacer->tick();
    return TreeOutcome::Removed;
}

void RemoteFileOps::takeOutGoneRows()
{
    for (const GoneRow &gone : std::as_const(goneRows))
        DeleteSelection::removeRow(lvwRemote->model(), gone.tag, gone.hint);
    goneRows.clear();
}

RemoteFileOps::TreeOutcome RemoteFileOps::failed(const RemoteError &error)
{
    ReportFtpFailure(ctx, error);
    return error.number == RemoteErrorCode::StoppedByUser ? TreeOutcome::Stopped
                                                          : TreeOutcome::Refused;
}

RemoteFileOps::TreeOutcome RemoteFileOps::RemoveRemoteTree(const QString &path)
{
    // The pane shows the folder while it empties.
    QString shown = withSlash(path);
    goneRows.clear();
    pane.DoRemoteRefresh(shown);
    if (pane.lastListingError() == RemoteErrorCode::StoppedByUser)
        return TreeOutcome::Stopped;
    const QMetaObject::Connection watched = connect(
        &ctx.session, &RemoteSession::ActivityEvent, this, [this](const RemoteActivity &activity) {
            if (activity.kind == RemoteActivityKind::EntryRemoved)
                removedOnServer(activity.remotePath);
        });
    // The pane lists the starting directory again after the tree.
    const auto unwatched = qScopeGuard([this, &watched] {
        disconnect(watched);
        goneRows.clear();
    });
    try {
        ctx.session.RemoveTree(path);
    } catch (const RemoteError &error) {
        return failed(error);
    }
    return TreeOutcome::Removed;
}

void RemoteFileOps::removedOnServer(const QString &path)
{
    const bool due = !pacer || pacer->due();
    if (due)
        ctx.statusBar->ShowTransferFile(DeleteSelection::FileLabel +
                                        path.section(QLatin1Char('/'), -1));
    // Only the folder on show has rows; the rest of the tree is not shown.
    if (withSlash(path.section(QLatin1Char('/'), 0, -2)) == withSlash(pane.shownDirectory()))
        goneRows.append({path, -1});
    if (due)
        takeOutGoneRows();
    if (pacer)
        pacer->tick();
}

void RemoteFileOps::ForgetRemoteDir(const QString &path)
{
    DirCombos::forgetDirectory(combos.remote, path, QLatin1Char('/'));
}
