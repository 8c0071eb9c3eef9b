#include "transfer/TransferList.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"

namespace {
// Colour 1 of the 16-colour palette.
const QColor markColor(0, 0, 128);
} // namespace

TransferList::TransferList(FileListView *lvwLocal, FileListView *lvwRemote)
    : lvwLocal(lvwLocal), lvwRemote(lvwRemote)
{}

int TransferList::CollectRemoteSelection(const QString &dir, bool focusedOnly)
{
    return collect(lvwRemote, dir, focusedOnly, false);
}

int TransferList::CollectLocalSelection(const QString &dir, bool focusedOnly)
{
    return collect(lvwLocal, dir, focusedOnly, true);
}

int TransferList::collect(FileListView *pane, const QString &dir, bool focusedOnly, bool local)
{
    items.clear();
    const FileListModel *model = pane->model();
    const QList<int> rows = focusedOnly ? QList<int>{pane->focusedRow()} : pane->selectedRows();
    for (int r : rows) {
        if (r < 0 || r >= model->rowCount())
            continue;
        AddTransferItem(dir, model->row(r), r);
        local ? MarkLocalRow(r, true) : MarkRemoteRow(r, true);
    }
    return count();
}

void TransferList::AddTransferItem(const QString &dir, const FileRow &row, int index)
{
    items.append({row.text, dir, row.kind, row.size, index});
}

void TransferList::MarkRemoteRow(int index, bool marked)
{
    mark(lvwRemote, index, marked);
}

void TransferList::MarkLocalRow(int index, bool marked)
{
    mark(lvwLocal, index, marked);
}

void TransferList::mark(FileListView *pane, int index, bool marked)
{
    FileListModel *model = pane->model();
    if (index < 0 || index >= model->rowCount())
        return;
    model->setGhosted(index, marked);
    model->setTextColor(index, marked ? markColor : QColor());
}

void TransferList::UnmarkTransferItems(bool local)
{
    for (const ChosenRow &item : items)
        mark(local ? lvwLocal : lvwRemote, item.Index, false);
}
