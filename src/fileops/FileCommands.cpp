#include "fileops/FileCommands.h"

#include "fileops/LocalFileOps.h"
#include "fileops/RemoteFileOps.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "transfer/QueueList.h"
#include "window/IconKeys.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

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
    if (ctx.state.RemoteHasFocus)
        return Target::Remote;
    if (ctx.state.LocalHasFocus)
        return Target::Local;
    if (ctx.state.QueueHasFocus)
        return Target::Queue;
    // Between one pane's lost focus and the next one's got focus: the file
    // pane active last, as the commands' availability has it.
    return ctx.availability.filePane() == Pane::Remote ? Target::Remote : Target::Local;
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
    if (row < 0 || pane->model()->row(row).iconKey == IconKey::Cdup)
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
