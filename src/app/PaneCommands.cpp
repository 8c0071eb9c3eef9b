#include "app/PaneCommands.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "window/WindowContext.h"

#include <QItemSelectionModel>

PaneCommands::PaneCommands(WindowContext &context, FileListView *lvwLocal, FileListView *lvwRemote)
    : ctx(context), lvwLocal(lvwLocal), lvwRemote(lvwRemote)
{}

void PaneCommands::mnuViewList_Click()
{
    setViewMode(FileListView::ListMode);
}

void PaneCommands::mnuViewReport_Click()
{
    setViewMode(FileListView::ReportMode);
}

void PaneCommands::setViewMode(int mode)
{
    if (FileListView *pane = activeFilePane())
        pane->setViewMode(mode);
    ctx.availability.viewModeChosen(mode);
}

FileListView *PaneCommands::activeFilePane() const
{
    switch (ctx.availability.commandPane()) {
    case Pane::Local:
        return lvwLocal;
    case Pane::Remote:
        return lvwRemote;
    default:
        return nullptr;
    }
}

void PaneCommands::mnuEditSelectAll_Click()
{
    FileListView *pane = activeFilePane();
    if (!pane)
        return;
    const FileListModel *model = pane->model();
    const int rows = model->rowCount();
    if (rows < 2)
        return;
    // One range per run of shown rows, not one call per row: a folder may
    // hold 100 000 entries. Rows a comparison hides are not chosen.
    QItemSelection ranges;
    int first = -1;
    for (int r = 1; r <= rows; ++r) {
        const bool shown = r < rows && !pane->isRowHidden(r);
        if (shown && first < 0)
            first = r;
        if (!shown && first >= 0) {
            ranges.select(model->index(first, 0), model->index(r - 1, 0));
            first = -1;
        }
    }
    pane->selectionModel()->select(ranges, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void PaneCommands::RefreshPane()
{
    // With the queue active, the local pane.
    if (ctx.availability.commandPane() == Pane::Remote) {
        if (refreshRemote)
            refreshRemote();
    } else if (refreshLocal) {
        refreshLocal();
    }
}

void PaneCommands::ParentFolder()
{
    const Pane pane = ctx.availability.commandPane();
    if (pane == Pane::Remote && parentRemote)
        parentRemote();
    else if (pane == Pane::Local && parentLocal)
        parentLocal();
}
