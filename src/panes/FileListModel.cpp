#include "panes/FileListModel.h"

#include "panes/IconLibrary.h"
#include "window/IconKeys.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <numeric>
#include <vector>

const QString &FileRow::columnText(int column) const
{
    static const QString none;
    if (column == 0)
        return text;
    if (column > 0 && column <= SubItemCount)
        return sub[size_t(column - 1)];
    return none;
}

FileListModel::FileListModel(const QStringList &headers, QObject *parent)
    : QAbstractTableModel(parent), columnHeaders(headers)
{}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(items.size());
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columnHeaders.size());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= items.size())
        return {};
    const FileRow &r = items.at(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (column == 0 && !marks.isEmpty()) {
            const auto mark = marks.constFind(r.text);
            if (mark != marks.cend() && !mark->word.isEmpty())
                return r.text + QStringLiteral("  ") + mark->word;
        }
        [[fallthrough]];
    case Qt::EditRole:
        if (column > FileRow::SubItemCount)
            return {};
        return r.columnText(column);
    case RowMarkRole:
        return marks.value(r.text).word;
    case Qt::DecorationRole: {
        if (column != 0)
            return {};
        QIcon icon = IconLibrary::icon(r.iconKey);
        if (r.ghosted && !icon.isNull())
            return QIcon(icon.pixmap(QSize(16, 16), QIcon::Disabled));
        return icon;
    }
    case Qt::ForegroundRole:
        if (r.textColor.isValid())
            return r.textColor;
        return {};
    case Qt::BackgroundRole:
        if (index.row() == dropRow)
            return QApplication::palette().color(QPalette::Highlight).lighter(160);
        if (!marks.isEmpty()) {
            const QColor background = marks.value(r.text).background;
            if (background.isValid())
                return background;
        }
        return {};
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnHeaders.size())
        return columnHeaders.at(section);
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0 && labelEdit)
        f |= Qt::ItemIsEditable;
    return f;
}

bool FileListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0 || !labelEdit)
        return false;
    const QString text = value.toString();
    const int r = index.row();
    if (text == items.at(r).text)
        return false;
    if (!labelEdit(r, text))
        return false;
    // The handler may have refilled the list; only touch a row that is still there.
    if (r < items.size())
        setText(r, text);
    return true;
}

void FileListModel::fill(QVector<FileRow> sortedPart, QVector<FileRow> appendedPart)
{
    sortRows(sortedPart);
    // The collation puts "_", "-", "!" and blanks before ".", but an ascending
    // list always starts with its parent row. A descending one keeps it where
    // the sort put it.
    if (order == Qt::AscendingOrder) {
        const auto parent = std::find_if(sortedPart.begin(), sortedPart.end(),
                                         [](const FileRow &r) { return r.key == IconKey::Cdup; });
        if (parent != sortedPart.end())
            std::rotate(sortedPart.begin(), parent, parent + 1);
    }
    beginResetModel();
    items = std::move(sortedPart);
    items.reserve(items.size() + appendedPart.size());
    for (FileRow &row : appendedPart)
        items.append(std::move(row));
    sorted = false;
    dropRow = -1;
    endResetModel();
    Q_EMIT rowsReplaced();
}

void FileListModel::clear()
{
    beginResetModel();
    items.clear();
    dropRow = -1;
    endResetModel();
    Q_EMIT rowsReplaced();
}

int FileListModel::addRow(const FileRow &row)
{
    int at = int(items.size());
    if (sorted) {
        auto pos =
            std::upper_bound(items.begin(), items.end(), row,
                             [this](const FileRow &a, const FileRow &b) { return lessThan(a, b); });
        at = int(pos - items.begin());
    }
    beginInsertRows(QModelIndex(), at, at);
    items.insert(at, row);
    if (dropRow >= at)
        ++dropRow;
    endInsertRows();
    return at;
}

void FileListModel::removeRowAt(int r)
{
    if (r < 0 || r >= items.size())
        return;
    beginRemoveRows(QModelIndex(), r, r);
    items.removeAt(r);
    if (dropRow == r)
        dropRow = -1;
    else if (dropRow > r)
        --dropRow;
    endRemoveRows();
}

// The roles tell the views what changed: marking thousands of rows changes
// colours only, and the views need not measure any text again.
void FileListModel::emitRowChanged(int r, const QList<int> &roles)
{
    Q_EMIT dataChanged(index(r, 0), index(r, columnCount() - 1), roles);
}

void FileListModel::setText(int r, const QString &text)
{
    items[r].text = text;
    emitRowChanged(r, {Qt::DisplayRole, Qt::EditRole});
}

void FileListModel::setSubItem(int r, int n, const QString &text)
{
    items[r].setSubItem(n, text);
    emitRowChanged(r, {Qt::DisplayRole, Qt::EditRole});
}

void FileListModel::setIconKey(int r, const QString &key)
{
    items[r].iconKey = key;
    emitRowChanged(r, {Qt::DecorationRole});
}

void FileListModel::setTag(int r, const QString &tag)
{
    items[r].tag = tag;
}

void FileListModel::setKey(int r, const QString &key)
{
    items[r].key = key;
}

void FileListModel::setGhosted(int r, bool ghosted)
{
    items[r].ghosted = ghosted;
    emitRowChanged(r, {Qt::DecorationRole});
}

void FileListModel::setTextColor(int r, const QColor &color)
{
    items[r].textColor = color;
    emitRowChanged(r, {Qt::ForegroundRole});
}

void FileListModel::setSorted(bool on)
{
    sorted = on;
    if (!on || items.size() < 2)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<int> sequence = sortedOrder(items);
    std::vector<int> newRowOf(sequence.size());
    for (size_t to = 0; to < sequence.size(); ++to)
        newRowOf[size_t(sequence[to])] = int(to);
    items = reordered(std::move(items), sequence);
    if (dropRow >= 0)
        dropRow = newRowOf[size_t(dropRow)];
    // The selection and the current row follow their rows to the new places.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &old : before)
        after.append(index(newRowOf[size_t(old.row())], old.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT rowsReplaced();
}

void FileListModel::setSortColumn(int column)
{
    sortCol = column;
}

void FileListModel::setSortOrder(Qt::SortOrder sortOrder)
{
    order = sortOrder;
}

bool FileListModel::lessThan(const FileRow &a, const FileRow &b) const
{
    const int c = collator.compare(a.columnText(sortCol), b.columnText(sortCol));
    return order == Qt::AscendingOrder ? c < 0 : c > 0;
}

std::vector<int> FileListModel::sortedOrder(const QVector<FileRow> &rows) const
{
    // One collation key per row, then a stable sort on the keys: the
    // expensive collation work is done n times, not n log n times.
    std::vector<QByteArray> keys;
    keys.reserve(size_t(rows.size()));
    for (const FileRow &row : rows)
        keys.push_back(collator.sortKey(row.columnText(sortCol)));
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    const bool ascending = this->order == Qt::AscendingOrder;
    std::stable_sort(order.begin(), order.end(), [&keys, ascending](int a, int b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]); // byte order
        return ascending ? c < 0 : c > 0;
    });
    return order;
}

QVector<FileRow> FileListModel::reordered(QVector<FileRow> rows, const std::vector<int> &sequence)
{
    QVector<FileRow> result;
    result.reserve(rows.size());
    for (int from : sequence)
        result.append(std::move(rows[from]));
    return result;
}

void FileListModel::sortRows(QVector<FileRow> &rows) const
{
    if (rows.size() < 2)
        return;
    rows = reordered(std::move(rows), sortedOrder(rows));
}

FileRow FileListModel::parentRow()
{
    FileRow row;
    row.key = IconKey::Cdup;
    row.text = QStringLiteral("..");
    row.iconKey = IconKey::Cdup;
    return row;
}

void FileListModel::foldersFirst()
{
    const bool onlyParent = std::all_of(
        items.cbegin(), items.cend(), [](const FileRow &r) { return r.iconKey == IconKey::Cdup; });
    if (onlyParent)
        return;
    QVector<FileRow> reordered;
    reordered.reserve(items.size() + 1);
    reordered.append(parentRow());
    auto carry = [](const FileRow &r) {
        // A reorder carries the visible fields and the tag only.
        FileRow copy;
        copy.text = r.text;
        copy.iconKey = r.iconKey;
        copy.sub = r.sub;
        copy.tag = r.tag;
        return copy;
    };
    for (const FileRow &r : std::as_const(items))
        if (r.iconKey == IconKey::FolderClose)
            reordered.append(carry(r));
    for (const FileRow &r : std::as_const(items))
        if (r.iconKey != IconKey::FolderClose && r.iconKey != IconKey::Cdup)
            reordered.append(carry(r));
    beginResetModel();
    items = std::move(reordered);
    sorted = false;
    dropRow = -1;
    endResetModel();
    Q_EMIT rowsReplaced();
}

int FileListModel::findText(const QString &text) const
{
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).text.compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int FileListModel::findKey(const QString &key) const
{
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).key == key)
            return i;
    return -1;
}

void FileListModel::setRowMarks(QHash<QString, RowMark> newMarks)
{
    if (marks.isEmpty() && newMarks.isEmpty())
        return;
    marks = std::move(newMarks);
    if (!items.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(items.size()) - 1, columnCount() - 1),
                           {Qt::DisplayRole, Qt::BackgroundRole, RowMarkRole});
}

void FileListModel::setDropHighlightRow(int r)
{
    if (r == dropRow)
        return;
    const int old = dropRow;
    dropRow = (r >= 0 && r < items.size()) ? r : -1;
    if (old >= 0 && old < items.size())
        emitRowChanged(old, {Qt::BackgroundRole});
    if (dropRow >= 0)
        emitRowChanged(dropRow, {Qt::BackgroundRole});
}
