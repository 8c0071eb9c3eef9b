#pragma once

#include "panes/FileListModel.h"

#include <QVector>

// Sorting of the file panes. A list is sorted by the text of one column; the
// result is then regrouped so that the parent row comes first, the folders
// next and everything else last, each group in sort order.

// The parent row first, then the "FolderClose" rows, then all others.
void FoldersFirst(FileListModel &list);

// The sort a pane gets when it is first filled: names, ascending.
void SortByName(FileListModel &list);

// A click on the header of column `section`. The name, size and date columns
// flip the direction on every click, also when the sort moves to another
// column; any other column (the remote permissions) keeps it. A list with
// fewer than two rows is left exactly as it is.
void SortByHeader(FileListModel &list, int section);

// A new listing in the order the pane's sort gives it, as after a click on
// its header: a parent row, then `folders`, then `others`, each group
// sorted by the list's sort column and direction. A pane keeps its sort from
// folder to folder. One reset.
void FillInSortOrder(FileListModel &list, QVector<FileRow> folders, QVector<FileRow> others);
