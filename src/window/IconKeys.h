#pragma once

#include <QString>

// The icon keys of the list panes. Every command decides what a row is by its
// icon key alone.
namespace IconKey {
inline const QString Cdup = QStringLiteral("Cdup");               // the parent row ".."
inline const QString FolderClose = QStringLiteral("FolderClose"); // a folder
inline const QString Link = QStringLiteral("Link");               // a remote link not yet probed
inline const QString FolderLink = QStringLiteral("FolderLink"); // a link found to lead to a folder
inline const QString File =
    QStringLiteral("File"); // the default file type; a link that is no folder
inline const QString Move = QStringLiteral("Move"); // the drag picture

// Rows handled as folders by transfers, deletes and the commands' rules.
inline bool isFolder(const QString &key)
{
    return key == FolderClose || key == FolderLink || key == Link;
}
} // namespace IconKey
