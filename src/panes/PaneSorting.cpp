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
