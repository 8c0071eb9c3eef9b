#include "fileops/LocalFileOps.h"

#include "fileops/DeleteSelection.h"
#include "fileops/LocalFiles.h"
#include "fileops/LocalTreeDelete.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/PathRules.h"
#include "platform/SessionLog.h"
#include "transfer/QueueList.h"
#include "transfer/TransferList.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"

#include <QDir>
#include <QScopeGuard>

namespace {
bool isValidName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QDir::separator());
}
} // namespace

LocalFileOps::LocalFileOps(WindowContext &context, LocalPane &pane, FileListView *lvwLocal,
                           DirCombos combos, TransferList &transfers, QueueList &queue,
                           QObject *parent)
    : QObject(parent), ctx(context), pane(pane), lvwLocal(lvwLocal), combos(combos),
      transfers(transfers), queue(queue)
{
    // The end of a name edit is a command like any other.
    lvwLocal->model()->setLabelEditHandler([this](int row, const QString &text) {
        bool renamed = false;
        ctx.gate.run([&] { renamed = LocalRename(row, text); });
        return renamed;
    });
}

LocalFileOps::~LocalFileOps()
{
    if (lvwLocal)
        lvwLocal->model()->setLabelEditHandler({});
}

QString LocalFileOps::currentDirectory() const
{
    // The folder the rows were listed from: the box may hold text typed
    // since, even a relative one that would name a folder of the program's
    // working directory.
    QString dir = pane.shownDirectory();
    return NormalizePath(dir);
}

QString LocalFileOps::UniqueRowName(const QString &base) const
{
    const FileListModel *model = lvwLocal->model();
    QString candidate = base;
    for (int counter = 0; model->findText(candidate) >= 0; ++counter)
        candidate = base + QString::number(counter);
    return candidate;
}

void LocalFileOps::LocalNewFolder()
{
    const QString name = UniqueRowName(NewFolderName);
    const QString path = currentDirectory() + name;
    QString error;
    if (!LocalFiles::makeDirectory(path, &error)) {
        ctx.log.append(error + QStringLiteral("\r\n"));
        return;
    }
    FileRow row;
    row.text = name;
    row.kind = EntryKind::Folder;
    row.tag = path;
    const int r = lvwLocal->model()->addRow(row);
    lvwLocal->selectRow(r);
    lvwLocal->editRow(r);
    ctx.availability.refresh();
}

bool LocalFileOps::LocalRename(int row, const QString &newName)
{
    FileListModel *model = lvwLocal->model();
    if (row < 0 || row >= model->rowCount() || model->row(row).kind == EntryKind::Parent)
        return false;
    const QString oldName = model->row(row).text;
    if (!isValidName(newName)) {
        ctx.log.append(
            QStringLiteral("无法把 %1 重命名为 \"%2\": 名称无效\r\n").arg(oldName, newName));
        return false;
    }
    const QString dir = currentDirectory();
    QString error;
    if (!LocalFiles::renameNoReplace(dir + oldName, dir + newName, &error)) {
        ctx.log.append(error + QStringLiteral("\r\n"));
        return false;
    }
    model->setTag(row, dir + newName);
    return true;
}

void LocalFileOps::LocalDelete()
{
    const QString dir = currentDirectory();
    const int count = DeleteSelection::collect(transfers, true, dir);
    if (count == 0)
        return;
    const auto done = qScopeGuard([this] { lvwLocal->clearSelection(); });
    if (!DeleteSelection::confirm(ctx.prompts, count)) {
        transfers.UnmarkTransferItems(true);
        return;
    }
    combos.EnableDirCombos(false, false);
    const auto enableAgain = qScopeGuard([this] { combos.EnableDirCombos(true, true); });
    // A copy: the list is the shared transfer list.
    const QVector<ChosenRow> items = transfers.TransferItems();
    int rowsGone = 0;
    for (const ChosenRow &item : items) {
        const QString full = item.Dir + item.Name;
        QString error;
        const bool deleted = deleteItem(item.Name, item.Kind, item.Size, full, &error);
        if (!deleted)
            ctx.log.append(error + QStringLiteral("\r\n"));
        queue.AddQueueRow(deleted ? QueueList::Deleted : QueueList::LocalDeleteRefused, full,
                          item.Size, QString(), QString(), QString());
        if (deleted) {
            // The row's place: where it was chosen, less the rows gone before it.
            DeleteSelection::removeRow(lvwLocal->model(), full, item.Index - rowsGone);
            ++rowsGone;
        }
    }
    QString again = dir;
    pane.DoLocalRefresh(again);
}

bool LocalFileOps::deleteItem(const QString &name, EntryKind kind, qint64 size, const QString &full,
                              QString *error)
{
    StatusPanels &bar = *ctx.statusBar;
    const auto cleared = qScopeGuard([&bar] { bar.ShowTransferFile(QString()); });
    if (kind == EntryKind::Folder) {
        bar.ShowTransferFile(DeleteSelection::FolderLabel + name);
        if (!LocalTreeDelete(ctx.log, pane.showsHiddenFiles()).remove(full, error))
            return false;
        ForgetLocalDir(full);
        return true;
    }
    bar.ShowTransferFile(DeleteSelection::FileLabel + name, size);
    return LocalFiles::removeFile(full, error);
}

void LocalFileOps::ForgetLocalDir(const QString &path)
{
    DirCombos::forgetDirectory(combos.local, path, QDir::separator());
}
