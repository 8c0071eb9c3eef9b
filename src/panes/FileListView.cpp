#include "panes/FileListView.h"

#include "panes/FileListModel.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QChildEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStackedLayout>
#include <QTreeView>
#include <algorithm>
#include <utility>

namespace {
// The row among first..last whose text in `column` is widest, or -1 when all
// are empty. Only the few texts longest by character count (a wide CJK
// character counts twice) are measured, so 100 000 rows cost one pass over
// the lengths, not one text layout per row; the widest text is among the
// longest in any font.
int widestText(const FileListModel &model, int column, int first, int last,
               const QFontMetrics &metrics)
{
    const QVector<FileRow> &rows = model.rows();
    // A small min-heap of the longest texts seen so far: in a listing most
    // texts are no longer than the shortest kept one and cost one comparison.
    constexpr size_t sample = 32;
    std::vector<std::pair<int, int>> longest; // weighted length, row
    longest.reserve(sample);
    for (int r = first; r <= last; ++r) {
        const int weight = model.textWeight(rows.at(r), column);
        if (weight == 0)
            continue;
        if (longest.size() < sample) {
            longest.emplace_back(weight, r);
            std::push_heap(longest.begin(), longest.end(), std::greater<>());
        } else if (weight > longest.front().first) {
            std::pop_heap(longest.begin(), longest.end(), std::greater<>());
            longest.back() = {weight, r};
            std::push_heap(longest.begin(), longest.end(), std::greater<>());
        }
    }
    int widestRow = -1;
    int widest = -1;
    for (const auto &candidate : longest) {
        const int row = candidate.second;
        const int width = metrics.horizontalAdvance(model.text(row, column));
        if (width > widest || (width == widest && row < widestRow)) {
            widest = width;
            widestRow = row;
        }
    }
    return widestRow;
}
} // namespace

FileListView::FileListView(FileListModel *model, QWidget *parent)
    : QWidget(parent), listModel(model), report(new QTreeView(this)), list(new QListView(this)),
      stack(new QStackedLayout(this))
{
    stack->setContentsMargins(0, 0, 0, 0);

    report->setModel(model);
    report->setRootIsDecorated(false);
    report->setItemsExpandable(false);
    report->setUniformRowHeights(true);
    report->setAllColumnsShowFocus(true);
    report->setSortingEnabled(false);
    report->header()->setSectionsClickable(true);
    report->header()->setSortIndicatorShown(false);
    report->header()->setStretchLastSection(false);

    list->setModel(model);
    list->setSelectionModel(report->selectionModel());
    list->setViewMode(QListView::ListMode);
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setUniformItemSizes(true);
    list->setModelColumn(0);

    for (QAbstractItemView *view :
         {static_cast<QAbstractItemView *>(report), static_cast<QAbstractItemView *>(list)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setTextElideMode(Qt::ElideRight);
        view->viewport()->setAcceptDrops(true);
        watch(view);
        stack->addWidget(view);
    }
    stack->setCurrentWidget(report);
    setFocusProxy(report);

    // A click the pane refuses to sort by must not leave the header's own
    // flip of the indicator on show.
    connect(report->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        Q_EMIT headerClicked(section);
        showSortIndicator();
    });
    connect(model, &FileListModel::rowsReplaced, this, &FileListView::showSortIndicator);
    connect(report->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FileListView::selectionMoved);
    connect(report->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FileListView::selectionMoved);
    // The window came back with the focus on another of its controls (without
    // a window manager, the one clicked): the pane was left after all.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (paneFocus && awayWithWindow && now && now->window() == window() && !isAncestorOf(now)) {
            paneFocus = false;
            awayWithWindow = false;
            Q_EMIT lostFocus();
        }
    });
    connect(model, &QAbstractItemModel::modelReset, this, &FileListView::contentReset);
    connect(model, &QAbstractItemModel::rowsInserted, this, &FileListView::rowsArrived);
    connect(model, &QAbstractItemModel::dataChanged, this, &FileListView::rowsChanged);
    connect(report->header(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!sizingColumns && !userSizedColumns.contains(column))
            userSizedColumns.append(column);
        if (column != freeColumn)
            giveFreeWidth();
    });
}

void FileListView::contentReset()
{
    fitListItems();
    fitColumns(0, listModel->rowCount() - 1);
}

void FileListView::rowsArrived(const QModelIndex &, int first, int last)
{
    fitListItems();
    fitColumns(first, last);
}

void FileListView::rowsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                               const QList<int> &roles)
{
    if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole))
        return;
    fitListItems();
    fitColumns(topLeft.row(), bottomRight.row());
}

// The list view lays out every item at one size, which is what keeps it fast
// on a folder of 100 000 entries; left alone it takes that size from a single
// item and cuts the other names to it. The grid is made as wide as the
// longest name instead.
void FileListView::fitListItems()
{
    if (mode != ListMode)
        return;
    const int count = listModel->rowCount();
    if (count == 0) {
        list->setGridSize(QSize());
        return;
    }
    const int widestRow = std::max(widestText(*listModel, 0, 0, count - 1, list->fontMetrics()), 0);
    QSize cell = list->sizeHintForIndex(listModel->index(widestRow, 0));
    // A name longer than the pane is wide is shortened rather than pushing
    // every column out of sight.
    cell.setWidth(std::min(cell.width(), std::max(list->viewport()->width(), 1)));
    list->setGridSize(cell);
}

void FileListView::watch(QAbstractItemView *view)
{
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

QAbstractItemView *FileListView::activeView() const
{
    return mode == ListMode ? static_cast<QAbstractItemView *>(list)
                            : static_cast<QAbstractItemView *>(report);
}

QItemSelectionModel *FileListView::selectionModel() const
{
    return report->selectionModel();
}

void FileListView::setViewMode(int viewMode)
{
    if (viewMode != ListMode && viewMode != ReportMode)
        return;
    const bool hadFocus = activeView()->hasFocus();
    mode = viewMode;
    fitListItems();
    stack->setCurrentWidget(activeView());
    setFocusProxy(activeView());
    if (hadFocus)
        activeView()->setFocus(Qt::OtherFocusReason);
}

void FileListView::setColumnWidthsTwips(const QList<int> &widths)
{
    const QScopedValueRollback<bool> ownWidths(sizingColumns, true);
    for (int i = 0; i < widths.size(); ++i)
        report->setColumnWidth(i, twipsToPixelsX(widths.at(i), this));
}

void FileListView::setFreeWidthColumn(int column)
{
    freeColumn = column;
    freeColumnMinimum = report->columnWidth(column);
    giveFreeWidth();
}

void FileListView::giveFreeWidth()
{
    const QHeaderView *header = report->header();
    if (freeColumn < 0 || freeColumn >= header->count())
        return;
    int others = 0;
    for (int column = 0; column < header->count(); ++column)
        if (column != freeColumn && !header->isSectionHidden(column))
            others += header->sectionSize(column);
    const int width = std::max(report->viewport()->width() - others, freeColumnMinimum);
    if (width != header->sectionSize(freeColumn)) {
        const QScopedValueRollback<bool> ownWidths(sizingColumns, true);
        report->setColumnWidth(freeColumn, width);
    }
}

QList<int> FileListView::columnWidthsTwips() const
{
    QList<int> widths;
    for (int column = 0; column < report->header()->count(); ++column)
        widths.append(pixelsToTwipsX(report->columnWidth(column), this));
    return widths;
}

void FileListView::restoreColumnWidthsTwips(const QList<int> &widths)
{
    const int count = std::min(int(widths.size()), report->header()->count());
    for (int column = 0; column < count; ++column) {
        if (widths.at(column) <= 0)
            continue;
        {
            const QScopedValueRollback<bool> ownWidths(sizingColumns, true);
            report->setColumnWidth(column, twipsToPixelsX(widths.at(column), this));
        }
        if (!userSizedColumns.contains(column))
            userSizedColumns.append(column);
    }
}

void FileListView::setSortIndicatorAlwaysShown(bool always)
{
    sortIndicatorAlways = always;
    showSortIndicator();
}

void FileListView::showSortIndicator()
{
    QHeaderView *header = report->header();
    const bool shown = sortIndicatorAlways || listModel->isSorted();
    header->setSortIndicatorShown(shown);
    if (shown)
        header->setSortIndicator(listModel->sortColumn(), listModel->sortOrder());
}

void FileListView::setFittedColumns(const QList<int> &columns)
{
    fittedColumns = columns;
    fitColumns(0, listModel->rowCount() - 1);
}

// Sizes and dates are cut mid-number otherwise ("32212…" for 3 GiB), and
// paths lose their file names. Only widening: a column that jumped back and
// forth with every folder would be harder to read than one a little wide.
void FileListView::fitColumns(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, listModel->rowCount() - 1);
    if (first > last)
        return;
    const int cap = twipsToPixelsX(FittedColumnCapTwips, this);
    for (const int column : std::as_const(fittedColumns)) {
        const int width = report->columnWidth(column);
        if (userSizedColumns.contains(column) || column >= listModel->columnCount() || width >= cap)
            continue;
        const int row = widestText(*listModel, column, first, last, report->fontMetrics());
        if (row < 0)
            continue;
        const int needed = report->sizeHintForIndex(listModel->index(row, column)).width();
        if (needed > width) {
            const QScopedValueRollback<bool> ownWidths(sizingColumns, true);
            report->setColumnWidth(column, std::min(needed, cap));
        }
    }
}

int FileListView::selectedRow() const
{
    const QItemSelectionModel *selection = selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    // The ranges, not the rows: after "select all" there may be 100 000.
    int first = -1;
    for (const QItemSelectionRange &range : selection->selection())
        if (first < 0 || range.top() < first)
            first = range.top();
    return first;
}

QList<int> FileListView::selectedRows() const
{
    QList<int> rows;
    const QModelIndexList indexes = selectionModel()->selectedRows(0);
    rows.reserve(indexes.size());
    for (const QModelIndex &index : indexes)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int FileListView::focusedRow() const
{
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool FileListView::isRowSelected(int row) const
{
    return selectionModel()->isRowSelected(row, QModelIndex());
}

void FileListView::selectRow(int row)
{
    if (row < 0 || row >= listModel->rowCount())
        return;
    selectionModel()->setCurrentIndex(
        listModel->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void FileListView::setRowSelected(int row, bool selected)
{
    if (row < 0 || row >= listModel->rowCount())
        return;
    selectionModel()->select(listModel->index(row, 0), (selected ? QItemSelectionModel::Select
                                                                 : QItemSelectionModel::Deselect) |
                                                           QItemSelectionModel::Rows);
}

void FileListView::clearSelection()
{
    selectionModel()->clearSelection();
}

void FileListView::editRow(int row)
{
    if (row < 0 || row >= listModel->rowCount())
        return;
    const QModelIndex index = listModel->index(row, 0);
    activeView()->scrollTo(index);
    activeView()->edit(index);
}

void FileListView::scrollToRow(int row)
{
    if (row >= 0 && row < listModel->rowCount())
        activeView()->scrollTo(listModel->index(row, 0));
}

void FileListView::setRowHidden(int row, bool hidden)
{
    if (report->isRowHidden(row, QModelIndex()) == hidden)
        return;
    report->setRowHidden(row, QModelIndex(), hidden);
    list->setRowHidden(row, hidden);
}

bool FileListView::isRowHidden(int row) const
{
    return report->isRowHidden(row, QModelIndex());
}

int FileListView::rowAt(const QPoint &pos) const
{
    QAbstractItemView *view = activeView();
    const QPoint inViewport = view->viewport()->mapFrom(this, pos);
    const QModelIndex index = view->indexAt(inViewport);
    return index.isValid() ? index.row() : -1;
}

void FileListView::focusEntered(Qt::FocusReason reason)
{
    if (reason == Qt::PopupFocusReason)
        return;
    if (paneFocus) {
        // Back from the in-place editor, a context menu or another window:
        // the pane never lost the focus. Only when the window went away and
        // the focus comes back by another way did it visit another widget.
        const bool cameBack = !awayWithWindow || reason == Qt::ActiveWindowFocusReason;
        awayWithWindow = false;
        if (cameBack)
            return;
    }
    paneFocus = true;
    awayWithWindow = false;
    Q_EMIT gotFocus();
}

void FileListView::focusLeft(Qt::FocusReason reason)
{
    // Menus opened from the keyboard (Alt) take the focus into the menu bar
    // only while they are used; they act on this pane all the same.
    if (!paneFocus || reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason)
        return;
    // Another window or a dialog taking over is not a move to another
    // control of this window.
    if (reason == Qt::ActiveWindowFocusReason) {
        awayWithWindow = true;
        return;
    }
    // The in-place name editor and the other view mode are part of the pane.
    QWidget *next = QApplication::focusWidget();
    if (next && isAncestorOf(next))
        return;
    paneFocus = false;
    Q_EMIT lostFocus();
}

// Until the pointer has moved far enough to begin a drag, its moves are kept
// from the view: it would take them for the start of a selection by dragging
// and reduce the selection to the row pressed, so the drag would take that
// row alone. A press on a selected row leaves the selection to the release
// (a click) or the drag.
bool FileListView::pointerMoved(QMouseEvent *mouse)
{
    if (!(mouse->buttons() & Qt::LeftButton)) {
        dragArmed = false;
        return false;
    }
    if ((mouse->position().toPoint() - pressedAt).manhattanLength() <
        QApplication::startDragDistance())
        return true;
    dragArmed = false;
    bool started = false;
    Q_EMIT dragRequested(&started);
    // A drag runs its own event loop, which takes the button's release.
    dragEnded = started;
    return started;
}

bool FileListView::eventFilter(QObject *watched, QEvent *event)
{
    QAbstractItemView *view = activeView();
    const bool onView = watched == view;
    const bool onViewport = watched == view->viewport();
    // The in-place editors are children of the viewports.
    const bool onEditor = !onView && !onViewport && watched->isWidgetType() &&
                          isAncestorOf(static_cast<QWidget *>(watched));

    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == report->viewport() || watched == list->viewport()) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType())
                child->installEventFilter(this);
        }
        break;
    case QEvent::FocusIn:
        if (onView || onEditor)
            focusEntered(static_cast<QFocusEvent *>(event)->reason());
        break;
    case QEvent::FocusOut:
        if (onView || onEditor)
            focusLeft(static_cast<QFocusEvent *>(event)->reason());
        break;
    case QEvent::Resize:
        if (watched == report->viewport())
            giveFreeWidth();
        break;
    case QEvent::KeyPress:
        if (onView) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (selectAllByCommand && key->matches(QKeySequence::SelectAll))
                return true;
            // Enter and Escape in the name editor end the edit and travel on
            // to the list: they are no command for it.
            const QWidget *focus = QApplication::focusWidget();
            const bool fromEditor = focus && focus != view && view->isAncestorOf(focus);
            if (!key->isAutoRepeat())
                pressedKey = fromEditor ? 0 : key->key();
        }
        break;
    case QEvent::KeyRelease:
        if (onView) {
            auto *key = static_cast<QKeyEvent *>(event);
            // A release without its press here ended an editor or came from
            // another window: it is not a command for the list.
            if (!key->isAutoRepeat() && key->key() == pressedKey) {
                pressedKey = 0;
                Q_EMIT keyReleased(key->key(), key->modifiers());
            }
        }
        break;
    case QEvent::MouseButtonPress:
        if (onViewport) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            pressedAt = mouse->position().toPoint();
            dragArmed = mouse->button() == Qt::LeftButton && view->indexAt(pressedAt).isValid();
            dragEnded = false;
        }
        break;
    case QEvent::MouseMove:
        if (onViewport && dragArmed)
            return pointerMoved(static_cast<QMouseEvent *>(event));
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (onViewport) {
            Q_EMIT dragMoved(static_cast<QDragMoveEvent *>(event));
            return true;
        }
        break;
    case QEvent::DragLeave:
        if (onViewport) {
            Q_EMIT dragLeft();
            return true;
        }
        break;
    case QEvent::Drop:
        if (onViewport) {
            Q_EMIT dropped(static_cast<QDropEvent *>(event));
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (onViewport) {
            dragArmed = false;
            // The release that ended a drag is no click: the selection that
            // was dragged stays as it is.
            if (std::exchange(dragEnded, false))
                return true;
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton)
                Q_EMIT clicked();
            Q_EMIT mouseReleased(mouse->button(), mouse->globalPosition().toPoint());
        }
        break;
    case QEvent::MouseButtonDblClick:
        // The press before it has already selected the row under the pointer.
        // The event ends here: a double-click that opened a folder must not
        // go on to select the row that now lies under the pointer.
        if (onViewport && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            Q_EMIT doubleClicked();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
