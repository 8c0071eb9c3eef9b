#pragma once

#include <QObject>

class FileListView;
class LocalFileOps;
class QueueList;
class RemoteFileOps;
class WindowContext;

// The commands of "操作(&A)" and the toolbar that choose their pane: new
// folder, rename and delete act on the active pane (the remote one, the
// local one, or for delete the queue). The panes' own keys lead here too:
// Delete deletes and F2 renames in either file pane, through the command
// gate like every other command.
class FileCommands : public QObject
{
    Q_OBJECT
public:
    FileCommands(WindowContext &context, LocalFileOps &local, RemoteFileOps &remote,
                 QueueList &queue, FileListView *lvwLocal, FileListView *lvwRemote,
                 QObject *parent = nullptr);

    void CreateFolder();
    // Starts the in-place edit of the selected row's name; the parent row
    // has none to edit.
    void RenameSelected();
    void DeleteSelected();

private:
    enum class Target
    {
        Local,
        Remote,
        Queue
    };
    Target target() const;
    void renameIn(FileListView *pane);
    void keyReleased(bool remote, int key);

    WindowContext &ctx;
    LocalFileOps &local;
    RemoteFileOps &remote;
    QueueList &queue;
    FileListView *lvwLocal;
    FileListView *lvwRemote;
};
