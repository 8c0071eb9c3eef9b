#pragma once

#include <QString>

// The icon keys of the list panes' pictures. A row's key follows from what the
// row is (FileRow::iconKey), never the other way round.
namespace IconKey {
inline const QString Cdup = QStringLiteral("Cdup");               // the parent row ".."
inline const QString FolderClose = QStringLiteral("FolderClose"); // a folder
inline const QString Link = QStringLiteral("Link");               // a remote link not yet probed
inline const QString FolderLink = QStringLiteral("FolderLink"); // a link found to lead to a folder
inline const QString File =
    QStringLiteral("File"); // the default file type; a link that is no folder
inline const QString Move = QStringLiteral("Move"); // the drag picture
} // namespace IconKey
