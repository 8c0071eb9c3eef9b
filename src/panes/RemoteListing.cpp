#include "panes/RemoteListing.h"

#include "ftp/FtpListing.h"
#include "panes/FileIcons.h"
#include "window/IconKeys.h"

RemoteRows BuildRemoteRows(const FtpListing &listing, const QString &dir)
{
    RemoteRows rows;
    rows.sortedPart.append(FileListModel::parentRow());
    if (listing.format == 2)
        return rows;
    rows.appended.reserve(listing.entries.size());
    for (const FtpListingEntry &entry : listing.entries) {
        if (entry.name == QLatin1String(".") || entry.name == QLatin1String(".."))
            continue;
        FileRow row;
        row.text = entry.name;
        // A size the server's line did not tell is shown as unknown, not as -1.
        row.setSubItem(1, entry.size < 0 ? QString() : QString::number(entry.size));
        row.setSubItem(2, entry.date);
        row.setSubItem(3, QString::number(entry.permissions));
        row.tag = dir + entry.name;
        // The kind decides, exactly: "d" is a folder, "l" or "L" a link, and
        // everything else (a "D" included) a file.
        if (entry.kind == QLatin1String("d")) {
            row.iconKey = IconKey::FolderClose;
            rows.sortedPart.append(std::move(row));
        } else if (entry.kind.compare(QLatin1String("l"), Qt::CaseInsensitive) == 0) {
            row.iconKey = IconKey::Link;
            rows.appended.append(std::move(row));
        } else {
            SetFileIcon(row);
            rows.appended.append(std::move(row));
        }
    }
    return rows;
}
