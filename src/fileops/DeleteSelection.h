#pragma once

#include <QString>

class FileListModel;
class Prompts;
class TransferList;

// What the local and the remote delete share: the chosen rows become the
// transfer list without the parent row, the user confirms the count, and
// each entry shows in the status bar while it goes.
class DeleteSelection
{
public:
    static inline const QString FolderLabel = QStringLiteral("Folder:");
    static inline const QString FileLabel = QStringLiteral("文件:");

    // Collects the selected rows of one pane, listed from `dir`, and drops
    // the parent row (unmarked again): it is never deleted or counted.
    // Returns the number of entries left.
    static int collect(TransferList &transfers, bool local, const QString &dir);
    // "你确定要删除 n 个文件或目录吗?" with OK and Cancel; true for OK.
    static bool confirm(Prompts &prompts, int count);
    // Takes the row of a deleted entry out of its pane: the row at `hint`
    // when it still carries `tag`, else the first that does.
    static void removeRow(FileListModel *model, const QString &tag, int hint);
};
