#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <optional>

class FileListView;
class QDragMoveEvent;
class QDropEvent;
class TransferCommands;
struct TransferContext;

// Rows dragged from one file pane and dropped on the other are transferred
// after a confirmation: a drop on lvwLocal downloads, on lvwRemote uploads,
// and a drop on a folder row sends them into that folder. Files and folders
// dragged from the desktop's file manager onto lvwRemote upload the same way.
class DragDrop : public QObject
{
    Q_OBJECT
public:
    // The drag's data: which pane it comes from.
    static inline const QString PaneMimeType = QStringLiteral("application/x-korvu-pane");

    DragDrop(TransferContext &context, TransferCommands &commands, QObject *parent = nullptr);

    // The start of a drag from `pane`: when connected and idle with rows to
    // drag, the selection but its parent row is collected and marked;
    // returns whether a drag may begin.
    bool BeginDrag(FileListView *pane);
    // The drop of a drag from the pane named `source` ("lvwLocal" or
    // "lvwRemote") on a pane, at its drop-highlight row.
    void DropOnLocal(const QString &source);
    void DropOnRemote(const QString &source);
    // Local files and folders dropped on lvwRemote from outside.
    void DropUrlsOnRemote(const QList<QUrl> &urls);

private:
    void startDrag(FileListView *pane, bool *started);
    void dragOver(FileListView *pane, QDragMoveEvent *event);
    void drop(FileListView *pane, QDropEvent *event);
    // Where the items go: the pane's folder, or the folder row dropped on.
    // The pane's drop highlight is cleared.
    QString takeDropTarget(FileListView *pane, const QString &dir, bool remote);
    bool confirm(const QString &text, const QString &title) const;

    TransferContext &tc;
    TransferCommands &commands;
    // A drop on the other pane during our own drag, run once the drag is over.
    std::optional<QString> droppedOn;
};
