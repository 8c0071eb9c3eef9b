#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// One entry of a directory listing, as FtpSession::ListDirectory read it.
struct FtpListingEntry
{
    // The name as shown, decoded with the connection's one encoding (UTF-8
    // or GB18030, see RemoteNameCodec). Passing it back to the session
    // addresses the same entry byte for byte.
    QString name;
    // "d" directory, "l" symbolic link, "-" regular file; special files keep
    // their type letter ("c", "b", "p", "s", "?" unknown). Callers treat
    // anything but "d" and "l" as a file.
    QString kind;
    // The permission bits as octal digits read as a decimal number:
    // rwxr-xr-x is 755, rwsr-xr-x is 4755; 0 when the server did not say.
    int permissions = 0;
    // Bytes; -1 for a file whose size the server did not give or gave in a
    // form that cannot be read (a LIST size that is negative or over 18
    // digits, an MLSD line without its size fact): unknown, never compared.
    // 0 for directories and devices when the server gives none.
    qint64 size = 0;
    // "2026-12-08 13:45", or "2026-12-08" when the server gave no time of day
    // (older files in Unix listings); empty when the server gave no date.
    // Times are the server's: MLSD times are UTC, LIST times whatever the
    // server prints.
    QString date;
    // The name exactly as the server sent it.
    QByteArray rawName;
};
// Its members all are: a listing of 100 000 entries grows by moving memory,
// not by moving each entry in turn.
Q_DECLARE_TYPEINFO(FtpListingEntry, Q_RELOCATABLE_TYPE);

struct FtpListing
{
    // FtpListingFormat (FtpCodes.h): 0 Unix "ls -l" lines, 1 DOS/IIS lines,
    // 2 nothing could be read (failed listing, or no line understood),
    // 3 MLSD, 4 OpenVMS lines. An empty directory read by MLSD is format 3
    // with no entries; an empty one read by LIST is format 2 with no entries.
    int format = 2;
    // In the order the server sent them; "." and ".." are kept when the
    // server lists them of its own accord (not those "LIST -a" brings),
    // MLSD's cdir/pdir entries are not.
    QVector<FtpListingEntry> entries;
    // Lines that could not be read as any entry: whatever they stood for is
    // missing from `entries` (reported with ActivityEvent code 21).
    qsizetype unreadableLines = 0;
};
