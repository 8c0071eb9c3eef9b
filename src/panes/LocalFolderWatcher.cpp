#include "panes/LocalFolderWatcher.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QSet>
#include <algorithm>

LocalFolderWatcher::LocalFolderWatcher(WindowContext &context, LocalPane &local,
                                       FileListView *lvwLocal, QObject *parent)
    : QObject(parent), ctx(context), local(local), lvwLocal(lvwLocal)
{
    quiet.setSingleShot(true);
    connect(&quiet, &QTimer::timeout, this, &LocalFolderWatcher::refillWhenFree);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, &LocalFolderWatcher::changed);
    connect(&local, &LocalPane::folderListed, this, &LocalFolderWatcher::follow);
}

// Every listing shows the folder as it is now: what changed before it is on
// show. A folder removed and made again is watched afresh.
void LocalFolderWatcher::follow(const QString &dir)
{
    pending = false;
    quiet.stop();
    if (dir == watched && !watcher.directories().isEmpty())
        return;
    if (!watcher.directories().isEmpty())
        watcher.removePaths(watcher.directories());
    watched = dir;
    watcher.addPath(dir);
}

void LocalFolderWatcher::changed()
{
    if (!pending) {
        pending = true;
        sinceFirstChange.start();
    }
    const int left = LongestWaitMs - int(sinceFirstChange.elapsed());
    quiet.start(std::clamp(left, 0, QuietMs));
}

void LocalFolderWatcher::refillWhenFree()
{
    if (!pending)
        return;
    if (paneInUse()) {
        quiet.start(QuietMs);
        return;
    }
    ctx.gate.run([this] { refillKeepingView(); });
}

// A refill now would end a name being edited, pull rows from under a drag
// or from under a command that collected them.
bool LocalFolderWatcher::paneInUse() const
{
    if (ctx.gate.busy() || ctx.state.Dragging)
        return true;
    // The delegate's editor is the one widget shown inside the viewport.
    const QWidget *viewport = lvwLocal->activeView()->viewport();
    const QList<QWidget *> inside = viewport->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    return std::any_of(inside.cbegin(), inside.cend(),
                       [](const QWidget *child) { return child->isVisible(); });
}

void LocalFolderWatcher::refillKeepingView()
{
    const FileListModel *model = lvwLocal->model();
    QSet<QString> chosen;
    for (int row : lvwLocal->selectedRows())
        chosen.insert(model->row(row).text);
    const int focused = lvwLocal->focusedRow();
    const QString focusedName = focused >= 0 ? model->row(focused).text : QString();
    QAbstractItemView *view = lvwLocal->activeView();
    const int down = view->verticalScrollBar()->value();
    const int across = view->horizontalScrollBar()->value();

    QString dir = watched;
    local.DoLocalRefresh(dir);

    // Names, not row numbers: rows came and went above the ones chosen. One
    // range per run of chosen rows, as "select all" made them.
    QItemSelection selection;
    int runStart = -1;
    for (int row = 0; row <= model->rowCount(); ++row) {
        const bool inRun = row < model->rowCount() && chosen.contains(model->row(row).text);
        if (inRun && runStart < 0)
            runStart = row;
        if (!inRun && runStart >= 0) {
            selection.select(model->index(runStart, 0), model->index(row - 1, 0));
            runStart = -1;
        }
        if (row < model->rowCount() && !focusedName.isEmpty() &&
            model->row(row).text == focusedName)
            lvwLocal->selectionModel()->setCurrentIndex(model->index(row, 0),
                                                        QItemSelectionModel::NoUpdate);
    }
    lvwLocal->selectionModel()->select(selection,
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // The scroll bars learn the new row count from the layout.
    view->doItemsLayout();
    view->verticalScrollBar()->setValue(down);
    view->horizontalScrollBar()->setValue(across);
}
