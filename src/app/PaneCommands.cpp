#include "app/PaneCommands.h"

#include "panes/Commands.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/WindowState.h"

#include <QAction>
#include <QItemSelectionModel>

PaneCommands::PaneCommands(Commands &commands, WindowState &state, FileListView *lvwLocal,
                           FileListView *lvwRemote)
    : commands(commands), state(state), lvwLocal(lvwLocal), lvwRemote(lvwRemote)
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
    commands.mnuViewReport->setChecked(mode == FileListView::ReportMode);
    commands.mnuViewList->setChecked(mode == FileListView::ListMode);
    if (state.LocalHasFocus)
        lvwLocal->setViewMode(mode);
    if (state.RemoteHasFocus)
        lvwRemote->setViewMode(mode);
}

FileListView *PaneCommands::activeFilePane() const
{
    return state.RemoteHasFocus ? lvwRemote : lvwLocal;
}

void PaneCommands::mnuEditSelectAll_Click()
{
    FileListView *pane = activeFilePane();
    const FileListModel *model = pane->model();
    const int rows = model->rowCount();
    if (rows < 2)
        return;
    // One range, not one call per row: a folder may hold 100 000 entries.
    const QItemSelection range(model->index(1, 0), model->index(rows - 1, 0));
    pane->selectionModel()->select(range, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void PaneCommands::RefreshPane()
{
    if (state.RemoteHasFocus) {
        if (refreshRemote)
            refreshRemote();
    } else if (refreshLocal) {
        refreshLocal();
    }
}

void PaneCommands::lvwStatus_GotFocus()
{
    state.QueueHasFocus = true;
    state.LocalHasFocus = false;
    state.RemoteHasFocus = false;
}
