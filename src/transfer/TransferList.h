#pragma once

#include "panes/FileListModel.h"

#include <QString>
#include <QVector>

class FileListView;

// One row chosen for a multi-item command, as it was when chosen.
struct ChosenRow
{
    QString Name;                     // the row's text
    QString Dir;                      // the pane's directory as its folder box showed it
    EntryKind Kind = EntryKind::File; // folders and links are copied and deleted as folders
    qint64 Size = -1;                 // bytes; -1 when the pane shows none
    int Index = -1;                   // the row's place in its pane when chosen
};

// The transfer list: the snapshot of the rows chosen in one pane that
// downloads, uploads and deletes walk. Each collected row is marked (ghosted,
// dark blue) while it waits. A collect rebuilds the list; it keeps its items
// until the next one.
class TransferList
{
public:
    TransferList(FileListView *lvwLocal, FileListView *lvwRemote);

    // Every selected row of the pane, or its focused row alone; `dir` is the
    // folder the rows were listed from. The parent row is taken like any
    // other. Returns the number of items.
    int CollectRemoteSelection(const QString &dir, bool focusedOnly);
    int CollectLocalSelection(const QString &dir, bool focusedOnly);
    void AddTransferItem(const QString &dir, const FileRow &row, int index);
    void clear() { items.clear(); }
    // Marks or unmarks one row; a row that is gone is no failure.
    void MarkRemoteRow(int index, bool marked);
    void MarkLocalRow(int index, bool marked);
    // Takes the marks off the rows at the items' places in one pane.
    void UnmarkTransferItems(bool local);

    const QVector<ChosenRow> &TransferItems() const { return items; }
    int count() const { return int(items.size()); }
    const ChosenRow &item(int i) const { return items.at(i); }
    // Drops the items for which `drop` says so (the parent row of a delete).
    template <typename Predicate> void removeIf(Predicate drop);

private:
    int collect(FileListView *pane, const QString &dir, bool focusedOnly, bool local);
    static void mark(FileListView *pane, int index, bool marked);

    FileListView *lvwLocal;
    FileListView *lvwRemote;
    QVector<ChosenRow> items;
};

template <typename Predicate> void TransferList::removeIf(Predicate drop)
{
    items.removeIf(drop);
}
