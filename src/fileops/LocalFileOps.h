#pragma once

#include "window/DirCombos.h"

#include <QObject>
#include <QPointer>
#include <QString>

class FileListView;
enum class EntryKind : quint8;
class LocalPane;
class QueueList;
class TransferList;
class WindowContext;

// New folder, rename and delete in the local pane, in the folder the pane
// shows (not whatever text the folder box holds by now). The end of an
// in-place name edit in lvwLocal renames (through the command gate); a
// refused rename keeps the old name.
class LocalFileOps : public QObject
{
    Q_OBJECT
public:
    static inline const QString NewFolderName = QStringLiteral("新建文件夹");

    LocalFileOps(WindowContext &context, LocalPane &pane, FileListView *lvwLocal, DirCombos combos,
                 TransferList &transfers, QueueList &queue, QObject *parent = nullptr);
    ~LocalFileOps() override;

    // Creates the first "新建文件夹" name no row of the pane shows, adds its
    // row and starts the edit of its name.
    void LocalNewFolder();
    // `base`, or `base` followed by 0, 1, 2 ... : the first that no row shows.
    QString UniqueRowName(const QString &base) const;
    // Renames the entry of `row` inside the current directory. An empty name,
    // one holding a separator, "." or "..", or one that exists fails with a
    // line in the log; nothing is ever overwritten.
    bool LocalRename(int row, const QString &newName);
    // Asks, then deletes the selected files and folder trees, one queue row
    // per entry. The parent row is never an operand.
    void LocalDelete();
    // Drops `path` from the folder box's history.
    void ForgetLocalDir(const QString &path);

private:
    QString currentDirectory() const;
    bool deleteItem(const QString &name, EntryKind kind, qint64 size, const QString &full,
                    QString *error);

    WindowContext &ctx;
    LocalPane &pane;
    QPointer<FileListView> lvwLocal;
    DirCombos combos;
    TransferList &transfers;
    QueueList &queue;
};
