#include "fileops/FileCommands.h"

#include "fileops/LocalFileOps.h"
#include "fileops/RemoteFileOps.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "transfer/QueueList.h"
#include "window/WindowContext.h"

FileCommands::FileCommands(WindowContext &context, LocalFileOps &local, RemoteFileOps &remote,
                           QueueList &queue, FileListView *lvwLocal, FileListView *lvwRemote,
                           QObject *parent)
    : QObject(parent), ctx(context), local(local), remote(remote), queue(queue), lvwLocal(lvwLocal),
      lvwRemote(lvwRemote)
{
    connect(lvwLocal, &FileListView::keyReleased, this,
            [this](int key, Qt::KeyboardModifiers) { keyReleased(false, key); });
    connect(lvwRemote, &FileListView::keyReleased, this,
            [this](int key, Qt::KeyboardModifiers) { keyReleased(true, key); });
}

FileCommands::Target FileCommands::target() const
{
    // The pane whose availability the menus and buttons show.
    switch (ctx.availability.commandPane()) {
    case Pane::Remote:
        return Target::Remote;
    case Pane::Queue:
        return Target::Queue;
    default:
        return Target::Local;
    }
}

void FileCommands::CreateFolder()
{
    switch (target()) {
    case Target::Remote:
        remote.RemoteNewFolder();
        break;
    case Target::Local:
        local.LocalNewFolder();
        break;
    case Target::Queue:
        break;
    }
}

void FileCommands::RenameSelected()
{
    switch (target()) {
    case Target::Remote:
        if (ctx.connected())
            renameIn(lvwRemote);
        break;
    case Target::Local:
        renameIn(lvwLocal);
        break;
    case Target::Queue:
        break;
    }
}

void FileCommands::renameIn(FileListView *pane)
{
    const int row = pane->selectedRow();
    if (row < 0 || pane->model()->row(row).kind == EntryKind::Parent)
        return;
    pane->editRow(row);
}

void FileCommands::DeleteSelected()
{
    switch (target()) {
    case Target::Remote:
        remote.RemoteDelete();
        break;
    case Target::Local:
        local.LocalDelete();
        break;
    case Target::Queue:
        queue.DeleteQueueEntries();
        break;
    }
}

void FileCommands::keyReleased(bool inRemote, int key)
{
    if (key == Qt::Key_Delete) {
        ctx.gate.run([this, inRemote] { inRemote ? remote.RemoteDelete() : local.LocalDelete(); });
    } else if (key == Qt::Key_F2) {
        ctx.gate.run([this, inRemote] {
            if (!inRemote)
                renameIn(lvwLocal);
            else if (ctx.connected())
                renameIn(lvwRemote);
        });
    }
}
