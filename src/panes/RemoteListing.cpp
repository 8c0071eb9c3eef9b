#include "panes/RemoteListing.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteEntry.h"

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
        row.size = entry.size;
        row.time = entry.time;
        row.dayOnly = !entry.timeOfDay;
        row.permissions = entry.permissions;
        row.tag = dir + entry.name;
        // A folder, a link (one known to lead to a folder as such), and
        // everything else a file.
        switch (entry.kind) {
        case RemoteEntryKind::Folder:
            row.kind = EntryKind::Folder;
            rows.sortedPart.append(std::move(row));
            break;
        case RemoteEntryKind::Link:
        case RemoteEntryKind::LinkToFolder:
            row.kind =
                entry.kind == RemoteEntryKind::Link ? EntryKind::Link : EntryKind::FolderLink;
            rows.appended.append(std::move(row));
            break;
        case RemoteEntryKind::File:
        case RemoteEntryKind::Special:
            rows.appended.append(std::move(row));
            break;
        }
    }
    return rows;
}
