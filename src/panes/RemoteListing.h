#pragma once

#include "panes/FileListModel.h"

#include <QString>
#include <QVector>

struct RemoteListing;

// The rows of the remote pane for one listing: the parent row and the
// directories, which the pane sorts, and the links and files, which keep the
// server's order. "." and ".." entries never become rows.
struct RemoteRows
{
    QVector<FileRow> sortedPart;
    QVector<FileRow> appended;
};

// `dir` is the listed directory, normalised with its trailing "/"; each row's
// tag is `dir` followed by the entry's name.
RemoteRows BuildRemoteRows(const RemoteListing &listing, const QString &dir);
