#pragma once

#include <QList>
#include <QPoint>
#include <QWidget>

class FileListModel;
class QAbstractItemView;
class QDragMoveEvent;
class QDropEvent;
class QItemSelectionModel;
class QListView;
class QMouseEvent;
class QStackedLayout;
class QTreeView;

// A list pane: one model shown either as a list (view mode 2: names with
// small icons flowing in columns) or as a report (view mode 3: one row per
// entry with all columns). Both views share the model and the selection, so
// switching keeps everything. The widget reports the user's actions as
// signals the pane controllers connect to.
//
// gotFocus and lostFocus tell when the focus moves between this pane and
// another control of the window. The pane keeps the focus while its in-place
// editor or its context menu is open and while another window is active.
class FileListView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int ListMode = 2;
    static constexpr int ReportMode = 3;

    explicit FileListView(FileListModel *model, QWidget *parent = nullptr);

    FileListModel *model() const { return listModel; }
    QAbstractItemView *activeView() const;
    QTreeView *reportView() const { return report; }
    QListView *listView() const { return list; }
    QItemSelectionModel *selectionModel() const;

    int viewMode() const { return mode; }
    void setViewMode(int viewMode);

    // Column widths of the report view, in twips: the widths as designed.
    void setColumnWidthsTwips(const QList<int> &widths);
    // Report columns that widen to show their widest text uncut when a fill,
    // a new row or a changed text would cut it: never narrower than designed
    // and at most FittedColumnCapTwips wide. A column the user resized keeps
    // the user's width for the rest of the run.
    void setFittedColumns(const QList<int> &columns);
    static constexpr int FittedColumnCapTwips = 7200; // five inches
    // The report column that takes the width the others leave free, never
    // narrower than it is now. A width the user gives it holds until the
    // pane or another column changes size.
    void setFreeWidthColumn(int column);
    // Every report column's width in twips, and the widths of an earlier
    // run given back: they count as the user's, so no fill widens them.
    QList<int> columnWidthsTwips() const;
    void restoreColumnWidthsTwips(const QList<int> &widths);

    // The header shows the model's sort column and direction: always (a
    // file pane is always sorted) or once automatic sorting is on.
    void setSortIndicatorAlwaysShown(bool always);
    // Ctrl+A is a command of the window's (every row but the parent row):
    // the views' own select-all is switched off.
    void leaveSelectAllToCommand() { selectAllByCommand = true; }

    // The selected row: the focused row when it is selected, else the first
    // selected row; -1 when nothing is selected.
    int selectedRow() const;
    QList<int> selectedRows() const; // ascending
    int focusedRow() const;          // the row with the focus rectangle, or -1
    bool isRowSelected(int row) const;
    void selectRow(int row); // makes it the only selected and focused row
    void setRowSelected(int row, bool selected);
    void clearSelection();
    void editRow(int row); // starts the in-place edit of the row's name
    void scrollToRow(int row);
    // A row left out of both views (and out of select all); a new fill
    // shows every row again.
    void setRowHidden(int row, bool hidden);
    bool isRowHidden(int row) const;

    // The row under a point given in this widget's coordinates; -1 for none.
    int rowAt(const QPoint &pos) const;

Q_SIGNALS:
    void gotFocus();
    void lostFocus();
    void clicked();
    void doubleClicked();
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);
    void mouseReleased(Qt::MouseButton button, const QPoint &globalPos);
    void headerClicked(int section);
    // The selected rows or the focused row changed.
    void selectionMoved();
    // The left button moved far enough from where it was pressed on a row:
    // a handler that begins a drag sets *started, and the move is its.
    void dragRequested(bool *started);
    // A drag enters or moves over the list (the handler accepts the event or
    // not), leaves it, or is dropped on it.
    void dragMoved(QDragMoveEvent *event);
    void dragLeft();
    void dropped(QDropEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QAbstractItemView *view);
    void contentReset();
    void rowsArrived(const QModelIndex &parent, int first, int last);
    void rowsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles);
    void fitListItems();
    void fitColumns(int first, int last);
    void giveFreeWidth();
    void showSortIndicator();
    void focusEntered(Qt::FocusReason reason);
    void focusLeft(Qt::FocusReason reason);
    // A move with the left button down after a press on a row; true when
    // the view must not see it.
    bool pointerMoved(QMouseEvent *mouse);

    FileListModel *listModel;
    QTreeView *report;
    QListView *list;
    QStackedLayout *stack;
    QList<int> fittedColumns;
    QList<int> userSizedColumns;
    bool sizingColumns = false; // the widths being set are the program's, not the user's
    int freeColumn = -1;
    int freeColumnMinimum = 0; // pixels
    bool sortIndicatorAlways = false;
    bool selectAllByCommand = false;
    int mode = ReportMode;
    int pressedKey = 0;
    QPoint pressedAt; // where the left button went down on a row
    bool dragArmed = false;
    bool dragEnded = false;      // a drag began since the last press
    bool paneFocus = false;      // between gotFocus and lostFocus
    bool awayWithWindow = false; // the window lost the focus while the pane had it
};
