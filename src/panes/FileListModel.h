#pragma once

#include "panes/PinyinCollator.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QStringList>
#include <QVector>
#include <array>
#include <functional>
#include <vector>

// One row of a list pane: a file list entry of the local or remote pane, or a
// record of the transfer queue. Column 0 shows `text`, column n shows sub-item n.
struct FileRow
{
    static constexpr int SubItemCount = 5;

    QString key; // "Cdup" on the parent row only
    QString text;
    std::array<QString, SubItemCount> sub; // sub-items 1..5 at indexes 0..4
    QString iconKey;
    QString tag; // full path of the entry
    bool ghosted = false;
    QColor textColor; // invalid: the view's default colour

    QString subItem(int n) const { return sub[size_t(n - 1)]; }
    void setSubItem(int n, const QString &value) { sub[size_t(n - 1)] = value; }
    // The text shown in `column`: the row's text, a sub-item, or nothing.
    const QString &columnText(int column) const;
};
// Every member can be moved in memory as it is: growing a listing of 100 000
// rows copies bytes instead of moving each string.
Q_DECLARE_TYPEINFO(FileRow, Q_RELOCATABLE_TYPE);

// A mark laid over a row from outside (a directory comparison): a colour
// behind it and a word after its name, so that it does not rest on telling
// colours apart, and screen readers say it.
struct RowMark
{
    QColor background;
    QString word;
};

// The rows of a list pane with the list-control behaviour the panes rely on:
// automatic sorting that can be switched on and off, a sort column and one
// direction per list, a case-insensitive text sort with precomputed keys
// that puts Chinese names in pinyin order (PinyinCollator), find by text,
// ghosted rows, text colours and a drop-highlight row. Bulk fills emit one
// reset, never one insert per row.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The word of a row's mark (RowMark), or nothing.
    static constexpr int RowMarkRole = Qt::UserRole + 1;

    explicit FileListModel(const QStringList &headers, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    QStringList headers() const { return columnHeaders; }
    const QVector<FileRow> &rows() const { return items; }
    const FileRow &row(int r) const { return items.at(r); }

    // Replaces every row by `sortedPart`, ordered by the current sort column
    // and direction (the parent row first when ascending), followed by
    // `appendedPart` in the given order; one reset.
    // Automatic sorting is off afterwards.
    void fill(QVector<FileRow> sortedPart, QVector<FileRow> appendedPart = {});
    void clear();
    // Adds one row: at its sorted position while automatic sorting is on
    // (after rows that compare equal), else at the end. Returns its index.
    int addRow(const FileRow &row);
    void removeRowAt(int r);

    void setText(int r, const QString &text);
    void setSubItem(int r, int n, const QString &text);
    void setIconKey(int r, const QString &key);
    void setTag(int r, const QString &tag);
    void setKey(int r, const QString &key);
    void setGhosted(int r, bool ghosted);
    void setTextColor(int r, const QColor &color);

    // Automatic sorting. Switching it on sorts the rows at once (stable).
    bool isSorted() const { return sorted; }
    void setSorted(bool on);
    int sortColumn() const { return sortCol; }
    void setSortColumn(int column);
    Qt::SortOrder sortOrder() const { return order; }
    void setSortOrder(Qt::SortOrder sortOrder);

    // The parent row first, then the "FolderClose" rows, then all others,
    // each group in its current order. The parent row is rebuilt (key, text
    // and icon "Cdup", nothing else), also when the list had none. A list with
    // no row besides a parent row is left unchanged.
    void foldersFirst();

    // First row whose text equals `text`, ignoring case; -1 when none.
    int findText(const QString &text) const;
    // First row with the given key; -1 when none.
    int findKey(const QString &key) const;

    // Marks by row text; they stay through fills and sorts until replaced.
    void setRowMarks(QHash<QString, RowMark> marks);

    int dropHighlightRow() const { return dropRow; }
    void setDropHighlightRow(int r);

    // Column 0 becomes editable when a handler is set. The handler decides
    // whether an edited text is accepted; a refused edit keeps the old text.
    using LabelEditHandler = std::function<bool(int row, const QString &newText)>;
    void setLabelEditHandler(LabelEditHandler handler) { labelEdit = std::move(handler); }

    // Orders `rows` by the list's sort column and direction (stable), as
    // automatic sorting would.
    void sortRows(QVector<FileRow> &rows) const;

    // The parent row every listing starts with.
    static FileRow parentRow();

Q_SIGNALS:
    void rowsReplaced(); // after fill, clear, sorting and reorders

private:
    bool lessThan(const FileRow &a, const FileRow &b) const;
    // Row positions in sort order: the first entry is the row that sorts first.
    std::vector<int> sortedOrder(const QVector<FileRow> &rows) const;
    static QVector<FileRow> reordered(QVector<FileRow> rows, const std::vector<int> &sequence);
    void emitRowChanged(int r, const QList<int> &roles);

    QStringList columnHeaders;
    QVector<FileRow> items;
    bool sorted = false;
    int sortCol = 0;
    Qt::SortOrder order = Qt::AscendingOrder;
    int dropRow = -1;
    PinyinCollator collator;
    LabelEditHandler labelEdit;
    QHash<QString, RowMark> marks;
};
