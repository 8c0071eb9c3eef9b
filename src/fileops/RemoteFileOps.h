#pragma once

#include "window/DirCombos.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>
#include <optional>

class FileListView;
class PaintPacer;
class QueueList;
class RemotePane;
class TransferList;
class WindowContext;
struct RemoteError;

// New folder, rename and delete on the server, from the remote pane. Every
// path is the directory the pane shows, as the server confirmed it, followed
// by a listed or typed name; nothing is cut or trimmed. The end of an
// in-place name edit in lvwRemote renames (through the command gate).
class RemoteFileOps : public QObject
{
    Q_OBJECT
public:
    static inline const QString NewFolderName = QStringLiteral("New Folder");
    // Names a new folder tries while the server answers that each exists.
    static constexpr int NewFolderAttempts = 100;

    enum class TreeOutcome
    {
        Removed,
        Refused, // something stays; the reason is in the log
        Stopped, // the user stopped the walk (error 11101)
    };

    RemoteFileOps(WindowContext &context, RemotePane &pane, FileListView *lvwRemote,
                  DirCombos combos, TransferList &transfers, QueueList &queue,
                  QObject *parent = nullptr);
    ~RemoteFileOps() override;

    // Creates "New Folder" (or the first name no row shows; then "(1)",
    // "(2)" ... while the server says the name exists) in the directory on
    // show, adds its row and starts the edit of its name. Ends after a
    // refusal, a missing answer or NewFolderAttempts names, with a log line.
    void RemoteNewFolder();
    // `base`, or `base` followed by 0, 1, 2 ... : the first that no row shows.
    QString UniqueRemoteRowName(const QString &base) const;
    // Renames the entry of `row` within the directory on show; false (with
    // the server's refusal in the log) leaves the old name.
    bool RemoteRename(int row, const QString &newName);
    // Asks, then deletes the selected files and folder trees, one queue row
    // per entry. A stop ends the batch: the entry in hand counts as refused
    // and the rest is left alone. The parent row is never an operand.
    void RemoteDelete();
    // Removes the folder `path` (the absolute path of a folder row) with
    // everything in it, as one operation of the session, showing the folder
    // in the pane while its rows go. Only entries the server lists inside
    // exactly `path` are deleted; a link is never followed: links inside are
    // deleted as links, and so is a folder row that turns out to be one.
    TreeOutcome RemoveRemoteTree(const QString &path);
    // Drops `path` from the folder box's history, with or without its "/".
    void ForgetRemoteDir(const QString &path);

private:
    QString directory() const;
    TreeOutcome failed(const RemoteError &error);
    TreeOutcome deleteFile(const QString &name, qint64 size, const QString &path, int rowHint);
    // An entry the tree delete in hand removed: its row, if shown, leaves.
    void removedOnServer(const QString &path);
    void takeOutGoneRows();
    void addFolderRow(const QString &dir, const QString &name);

    WindowContext &ctx;
    RemotePane &pane;
    QPointer<FileListView> lvwRemote;
    DirCombos combos;
    TransferList &transfers;
    QueueList &queue;
    // Paces the window's painting while a delete runs.
    PaintPacer *pacer = nullptr;
    // Rows of entries deleted since the window was last painted, still shown
    // (the place each had then, and its tag).
    struct GoneRow
    {
        QString tag;
        int hint;
    };
    QVector<GoneRow> goneRows;
};
