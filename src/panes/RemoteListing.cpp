#include "panes/RemoteListing.h"

#include "panes/FileIcons.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteEntry.h"
#include "window/IconKeys.h"

RemoteRows BuildRemoteRows(const RemoteListing &listing, const QString &dir)
{
    RemoteRows rows;
    rows.sortedPart.append(FileListModel::parentRow());
    if (listing.format == RemoteListingFormat::None)
        return rows;
    rows.appended.reserve(listing.entries.size());
    for (const RemoteEntry &entry : listing.entries) {
        if (entry.name == QLatin1String(".") || entry.name == QLatin1String(".."))
            continue;
        FileRow row;
        row.text = entry.name;
        // A size the server's line did not tell is shown as unknown, not as -1.
        row.setSubItem(1, entry.size < 0 ? QString() : QString::number(entry.size));
        row.setSubItem(2, entry.date());
        row.setSubItem(3, QString::number(entry.permissions));
        row.tag = dir + entry.name;
        // The kind decides the icon: a folder, a link (one known to lead to
        // a folder as such), and everything else a file.
        switch (entry.kind) {
        case RemoteEntryKind::Folder:
            row.iconKey = IconKey::FolderClose;
            rows.sortedPart.append(std::move(row));
            break;
        case RemoteEntryKind::Link:
        case RemoteEntryKind::LinkToFolder:
            row.iconKey = entry.kind == RemoteEntryKind::Link ? IconKey::Link : IconKey::FolderLink;
            rows.appended.append(std::move(row));
            break;
        case RemoteEntryKind::File:
        case RemoteEntryKind::Special:
            SetFileIcon(row);
            rows.appended.append(std::move(row));
            break;
        }
    }
    return rows;
}
