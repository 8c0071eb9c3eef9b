#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

// What an entry of a listing is. A link is Link until someone looks where
// it leads: an FTP listing never says, an SFTP session looks at once and
// says LinkToFolder for a link to a folder (Link is then one whose target
// is gone or is no folder).
enum class RemoteEntryKind : quint8
{
    Folder,
    File,
    Link,
    LinkToFolder,
    Special, // device, pipe, socket, or a type the server did not name: shown, never copied
};

// One entry of a directory listing.
struct RemoteEntry
{
    // The name as shown, decoded with the connection's one encoding (UTF-8
    // or GB18030, see RemoteNameCodec). Passing it back to the session
    // addresses the same entry byte for byte.
    QString name;
    // The name exactly as the server sent it.
    QByteArray rawName;
    // The permission bits as octal digits read as a decimal number:
    // rwxr-xr-x is 755, rwsr-xr-x is 4755; 0 when the server did not say.
    int permissions = 0;
    RemoteEntryKind kind = RemoteEntryKind::File;
    // The type letter of "ls -l": 'd', 'l', '-', or a special file's own
    // ('c', 'b', 'p', 's', '?' when the server named no type it knows).
    char type = '-';
    // Bytes; -1 for a file whose size the server did not give or gave in a
    // form that cannot be read: unknown, never compared. 0 for folders and
    // devices when the server gives none.
    qint64 size = 0;
    // When it was last changed; invalid when the server gave no date. In UTC
    // where the server says so (MLSD, SFTP); an FTP LIST line gives the
    // server's clock without its zone, which is then read as if it were UTC:
    // such times compare only with each other.
    QDateTime time;
    // False when the server gave the day only (older files in "ls -l" lines).
    bool timeOfDay = true;
    // Where a link leads, where the server said (SFTP's readlink); else empty.
    QString linkTarget;

    // The time as the pane shows it: "2026-12-08 13:45", "2026-12-08"
    // without a time of day, empty without a date.
    QString date() const;
    // The same into `out`, which holds 16 characters; returns its length.
    int writeDate(char *out) const;

    bool isFolder() const
    {
        return kind == RemoteEntryKind::Folder || kind == RemoteEntryKind::LinkToFolder;
    }
    bool isLink() const
    {
        return kind == RemoteEntryKind::Link || kind == RemoteEntryKind::LinkToFolder;
    }
};
// Its members all are: a listing of 100 000 entries grows by moving memory,
// not by moving each entry in turn.
Q_DECLARE_TYPEINFO(RemoteEntry, Q_RELOCATABLE_TYPE);

struct RemoteListing
{
    // RemoteListingFormat (RemoteCodes.h): 0 Unix "ls -l" lines, 1 DOS/IIS
    // lines, 2 nothing could be read (failed listing, or no line
    // understood), 3 MLSD, 4 OpenVMS lines, 5 SFTP. An empty directory read
    // by MLSD or SFTP has its format and no entries; an empty one read by
    // LIST is format 2 with no entries.
    int format = 2;
    // In the order the server sent them; "." and ".." are kept when an FTP
    // server lists them of its own accord (not those "LIST -a" brings),
    // MLSD's cdir/pdir entries and SFTP's "." and ".." are not.
    QVector<RemoteEntry> entries;
    // Lines that could not be read as any entry: whatever they stood for is
    // missing from `entries` (reported as RemoteActivityKind::LinesUnreadable).
    qsizetype unreadableLines = 0;
    // For a tree walk only, when the server names each folder for good
    // (MLSD's "unique" fact): one per entry, empty where none was given;
    // an empty vector when none was.
    QVector<QByteArray> identities;
};
