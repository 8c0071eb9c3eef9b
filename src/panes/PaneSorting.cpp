#include "panes/PaneSorting.h"

#include "panes/FileListModel.h"

#include <QStringList>

void FoldersFirst(FileListModel &list)
{
    list.foldersFirst();
}

void SortByName(FileListModel &list)
{
    list.setSortColumn(0);
    list.setSortOrder(Qt::AscendingOrder);
    list.setSorted(true);
    FoldersFirst(list);
}

void SortByHeader(FileListModel &list, int section)
{
    if (list.rowCount() < 2)
        return;
    static const QStringList flipping = {QStringLiteral("名称"), QStringLiteral("大小"),
                                         QStringLiteral("日期")};
    list.setSortColumn(section);
    if (flipping.contains(list.headers().value(section)))
        list.setSortOrder(list.sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                 : Qt::AscendingOrder);
    list.setSorted(true);
    FoldersFirst(list);
}

void FillInSortOrder(FileListModel &list, QVector<FileRow> folders, QVector<FileRow> others)
{
    // Whatever parent row came along, the listing gets its own, first.
    folders.removeIf([](const FileRow &row) { return row.kind == EntryKind::Parent; });
    list.sortRows(folders);
    list.sortRows(others);
    QVector<FileRow> rows;
    rows.reserve(folders.size() + others.size() + 1);
    rows.append(FileListModel::parentRow());
    for (FileRow &row : folders)
        rows.append(std::move(row));
    for (FileRow &row : others)
        rows.append(std::move(row));
    // Already in order: nothing is sorted again.
    list.fill({}, std::move(rows));
}
