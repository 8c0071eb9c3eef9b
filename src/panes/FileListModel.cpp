#include "panes/FileListModel.h"

#include "panes/FileIcons.h"
#include "panes/IconLibrary.h"
#include "window/IconKeys.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <numeric>
#include <vector>

namespace {
// The fixed-width date of the file panes, written by hand: a listing of
// 100 000 entries is sorted by it without a formatter per row.
constexpr int IsoDateLength = 10;     // "2026-12-08"
constexpr int IsoDateTimeLength = 16; // "2026-12-08 13:45"

char *putDigits(char *out, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

QByteArray isoDate(const QDateTime &time, bool dayOnly)
{
    if (!time.isValid())
        return {};
    char buffer[IsoDateTimeLength];
    const QDate day = time.date();
    char *out = putDigits(buffer, day.year() % 10000, 4);
    *out++ = '-';
    out = putDigits(out, day.month(), 2);
    *out++ = '-';
    out = putDigits(out, day.day(), 2);
    if (!dayOnly) {
        const QTime clock = time.time();
        *out++ = ' ';
        out = putDigits(out, clock.hour(), 2);
        *out++ = ':';
        out = putDigits(out, clock.minute(), 2);
    }
    return QByteArray(buffer, int(out - buffer));
}

int decimalDigits(qint64 value)
{
    int digits = 1;
    for (; value >= 10; value /= 10)
        ++digits;
    return digits;
}

// A wide (CJK) character takes about two narrow ones.
int weightOf(const QString &text)
{
    int weight = int(text.size());
    for (const QChar c : text)
        weight += c.unicode() >= 0x1100 ? 1 : 0;
    return weight;
}

const QVector<RowField> fileFields = {RowField::Name, RowField::Size, RowField::Date,
                                      RowField::Permissions};
} // namespace

QString FileRow::iconKey() const
{
    switch (kind) {
    case EntryKind::Parent:
        return IconKey::Cdup;
    case EntryKind::Folder:
        return IconKey::FolderClose;
    case EntryKind::Link:
        return IconKey::Link;
    case EntryKind::FolderLink:
        return IconKey::FolderLink;
    case EntryKind::File:
        return FileTypeIconKey(text);
    case EntryKind::Record:
        break;
    }
    return {};
}

FileListModel::FileListModel(const QStringList &headers, QObject *parent)
    : FileListModel(headers, fileFields, parent)
{}

FileListModel::FileListModel(const QStringList &headers, const QVector<RowField> &fields,
                             QObject *parent)
    : QAbstractTableModel(parent), columnHeaders(headers), fields(fields)
{}

QVector<RowField> FileListModel::recordFields()
{
    return {RowField::Name,      RowField::Local,  RowField::Size,
            RowField::Direction, RowField::Remote, RowField::Host};
}

RowField FileListModel::field(int column) const
{
    return fields.value(column, RowField::Name);
}

void FileListModel::setDateFormatter(DateFormatter formatter)
{
    dateFormatter = std::move(formatter);
}

QString FileListModel::text(const FileRow &row, int column) const
{
    if (column < 0 || column >= fields.size())
        return {};
    switch (field(column)) {
    case RowField::Name:
        return row.text;
    case RowField::Size:
        return row.size < 0 ? QString() : QString::number(row.size);
    case RowField::Date:
        if (dateFormatter)
            return row.time.isValid() ? dateFormatter(row.time, row.dayOnly) : QString();
        return QString::fromLatin1(isoDate(row.time, row.dayOnly));
    case RowField::Permissions:
        return row.permissions < 0 ? QString() : QString::number(row.permissions);
    case RowField::Local:
        return row.record.value(0);
    case RowField::Direction:
        return row.record.value(1);
    case RowField::Remote:
        return row.record.value(2);
    case RowField::Host:
        return row.record.value(3);
    }
    return {};
}

int FileListModel::textWeight(const FileRow &row, int column) const
{
    if (column < 0 || column >= fields.size())
        return 0;
    switch (field(column)) {
    case RowField::Size:
        return row.size < 0 ? 0 : decimalDigits(row.size);
    case RowField::Permissions:
        return row.permissions < 0 ? 0 : decimalDigits(row.permissions);
    case RowField::Date:
        if (!dateFormatter)
            return !row.time.isValid() ? 0 : row.dayOnly ? IsoDateLength : IsoDateTimeLength;
        break;
    case RowField::Name:
        return weightOf(row.text);
    default:
        break;
    }
    return weightOf(text(row, column));
}

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
        return text(r, column);
    case IconKeyRole:
        return r.iconKey();
    case RowMarkRole:
        return marks.value(r.text).word;
    case Qt::DecorationRole: {
        if (column != 0 || r.kind == EntryKind::Record)
            return {};
        QIcon icon = IconLibrary::icon(r.iconKey());
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
        const auto parent =
            std::find_if(sortedPart.begin(), sortedPart.end(),
                         [](const FileRow &r) { return r.kind == EntryKind::Parent; });
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
    items[r].nameKey.clear();
    emitRowChanged(r, {Qt::DisplayRole, Qt::EditRole});
}

void FileListModel::setKind(int r, EntryKind kind)
{
    items[r].kind = kind;
    emitRowChanged(r, {Qt::DecorationRole, IconKeyRole});
}

void FileListModel::setTag(int r, const QString &tag)
{
    items[r].tag = tag;
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

// The shown texts compare as the collator orders them. Sizes,
// permissions and fixed-width dates are digits (and the same separators in
// the same places), which the collator orders as their bytes: their keys
// are the texts themselves, made without a collator call.
QByteArray FileListModel::sortKey(const FileRow &row, int column) const
{
    switch (field(column)) {
    case RowField::Size:
        return row.size < 0 ? QByteArray() : QByteArray::number(row.size);
    case RowField::Permissions:
        return row.permissions < 0 ? QByteArray() : QByteArray::number(row.permissions);
    case RowField::Date:
        if (!dateFormatter)
            return isoDate(row.time, row.dayOnly);
        break;
    case RowField::Name:
        if (row.nameKey.isEmpty())
            row.nameKey = collator.sortKey(row.text);
        return row.nameKey;
    default:
        break;
    }
    return collator.sortKey(text(row, column));
}

bool FileListModel::lessThan(const FileRow &a, const FileRow &b) const
{
    const int c = sortKey(a, sortCol).compare(sortKey(b, sortCol));
    return order == Qt::AscendingOrder ? c < 0 : c > 0;
}

std::vector<int> FileListModel::sortedOrder(const QVector<FileRow> &rows) const
{
    // One collation key per row, then a stable sort on the keys: the
    // expensive collation work is done n times, not n log n times.
    std::vector<QByteArray> keys;
    keys.reserve(size_t(rows.size()));
    for (const FileRow &row : rows)
        keys.push_back(sortKey(row, sortCol));
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
    row.kind = EntryKind::Parent;
    row.text = QStringLiteral("..");
    return row;
}

void FileListModel::foldersFirst()
{
    const bool onlyParent = std::all_of(
        items.cbegin(), items.cend(), [](const FileRow &r) { return r.kind == EntryKind::Parent; });
    if (onlyParent)
        return;
    QVector<FileRow> reordered;
    reordered.reserve(items.size() + 1);
    reordered.append(parentRow());
    // A reorder carries what the row shows and its tag only: marks and
    // colours go.
    auto carry = [](FileRow &r) {
        r.ghosted = false;
        r.textColor = QColor();
        return std::move(r);
    };
    for (FileRow &r : items)
        if (r.kind == EntryKind::Folder)
            reordered.append(carry(r));
    for (FileRow &r : items)
        if (r.kind != EntryKind::Folder && r.kind != EntryKind::Parent)
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

int FileListModel::findParent() const
{
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).kind == EntryKind::Parent)
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
