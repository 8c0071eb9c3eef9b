#pragma once

#include "panes/PinyinCollator.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QStringList>
#include <QVector>
#include <functional>
#include <vector>

// What a row of a list pane stands for. Its picture follows from it (and a
// file's from its name); iconKey() gives the documented key.
enum class EntryKind : quint8
{
    Parent,     // the parent row ".."
    Folder,     // a folder
    Link,       // a remote link nobody has looked into yet
    FolderLink, // a remote link found to lead to a folder
    File,       // a file, or a remote link found to lead to no folder
    Record,     // a row of the transfer queue: no picture
};

// The kinds transfers, deletes and the commands' rules handle as folders:
// folders and links (a link not looked into may well be one).
inline bool isFolderLike(EntryKind kind)
{
    return kind == EntryKind::Folder || kind == EntryKind::FolderLink || kind == EntryKind::Link;
}

// What a column of a list pane shows of its rows.
enum class RowField : quint8
{
    Name, // the entry's name; a queue record's outcome
    Size,
    Date,
    Permissions,
    Local, // a queue record's local path, direction, remote path and host
    Direction,
    Remote,
    Host,
};

// One row of a list pane: a file list entry of the local or remote pane, or a
// record of the transfer queue. It holds what the entry is; the texts the
// columns show are made from it (FileListModel::text).
struct FileRow
{
    QString text; // the entry's name; ".." on the parent row; a record's outcome
    QString tag;  // the entry's full path; empty on the parent row
    // When the entry last changed, as the pane shows it (the pane's clock);
    // invalid when nobody said.
    QDateTime time;
    // Bytes; -1 when none is shown (a folder, a size the server did not give).
    qint64 size = -1;
    // Remote entries: the permission bits as octal digits read as decimal
    // (755); -1 none.
    int permissions = -1;
    EntryKind kind = EntryKind::File;
    bool dayOnly = false; // the time is a day without its time of day
    bool ghosted = false;
    QColor textColor; // invalid: the view's default colour
    // A queue record's other texts: local path, direction, remote path, host.
    QStringList record;
    // The collation key of `text`, made the first time the rows are sorted
    // by name and kept: a header click on 100 000 rows then costs no
    // collator call. Empty until made; whoever changes `text` through the
    // model drops it.
    mutable QByteArray nameKey;

    // "Cdup", "FolderClose", "Link", "FolderLink", the file type's key
    // ("TextFile", "File", ...), or empty for a record.
    QString iconKey() const;
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
// direction per list, a case-insensitive sort of the shown texts with
// precomputed keys that puts Chinese names in pinyin order (PinyinCollator),
// find by text, ghosted rows, text colours and a drop-highlight row. Bulk
// fills emit one reset, never one insert per row.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The key of a row's picture (FileRow::iconKey), for those who look.
    static constexpr int IconKeyRole = Qt::UserRole + 1;

    // The word of a row's mark (RowMark), or nothing.
    static constexpr int RowMarkRole = Qt::UserRole + 2;

    // Columns by position: name, size, date, permissions (the file panes).
    explicit FileListModel(const QStringList &headers, QObject *parent = nullptr);
    FileListModel(const QStringList &headers, const QVector<RowField> &fields,
                  QObject *parent = nullptr);
    // The fields of the queue's columns: outcome, local, size, direction,
    // remote, host.
    static QVector<RowField> recordFields();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    QStringList headers() const { return columnHeaders; }
    const QVector<FileRow> &rows() const { return items; }
    const FileRow &row(int r) const { return items.at(r); }
    // The text `column` shows for a row: sizes in plain decimal, dates as
    // the pane writes them, empty where there is nothing to show.
    QString text(const FileRow &row, int column) const;
    QString text(int r, int column) const { return text(items.at(r), column); }
    // The length of that text, a wide (CJK) character counting twice,
    // without making it where the field tells (sizes, fixed-width dates).
    int textWeight(const FileRow &row, int column) const;

    // How the date column writes a time: by default "2026-12-08 13:45"
    // ("2026-12-08" for a day alone); the local pane writes its locale's.
    using DateFormatter = std::function<QString(const QDateTime &time, bool dayOnly)>;
    void setDateFormatter(DateFormatter formatter);

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
    void setKind(int r, EntryKind kind);
    void setTag(int r, const QString &tag);
    void setGhosted(int r, bool ghosted);
    void setTextColor(int r, const QColor &color);

    // Automatic sorting. Switching it on sorts the rows at once (stable).
    bool isSorted() const { return sorted; }
    void setSorted(bool on);
    int sortColumn() const { return sortCol; }
    void setSortColumn(int column);
    Qt::SortOrder sortOrder() const { return order; }
    void setSortOrder(Qt::SortOrder sortOrder);

    // The parent row first, then the folder rows, then all others, each
    // group in its current order. The parent row is rebuilt (text "..",
    // nothing else), also when the list had none. A list with no row besides
    // a parent row is left unchanged.
    void foldersFirst();

    // First row whose text equals `text`, ignoring case; -1 when none.
    int findText(const QString &text) const;
    // The parent row; -1 when none.
    int findParent() const;

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
    RowField field(int column) const;
    QByteArray sortKey(const FileRow &row, int column) const;
    bool lessThan(const FileRow &a, const FileRow &b) const;
    // Row positions in sort order: the first entry is the row that sorts first.
    std::vector<int> sortedOrder(const QVector<FileRow> &rows) const;
    static QVector<FileRow> reordered(QVector<FileRow> rows, const std::vector<int> &sequence);
    void emitRowChanged(int r, const QList<int> &roles);

    QStringList columnHeaders;
    QVector<RowField> fields;
    QVector<FileRow> items;
    bool sorted = false;
    int sortCol = 0;
    Qt::SortOrder order = Qt::AscendingOrder;
    int dropRow = -1;
    PinyinCollator collator;
    LabelEditHandler labelEdit;
    DateFormatter dateFormatter;
    QHash<QString, RowMark> marks;
};
