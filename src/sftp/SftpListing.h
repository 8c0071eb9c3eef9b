#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

class RemoteNameCodec;
struct SftpAttributes;
struct SftpNameItem;

enum class SftpEntryKind
{
    Folder,
    File,
    Link,         // a link whose target is gone, or could not be looked at
    LinkToFolder, // a link to a folder: opening it lists the folder
    Special,      // device, FIFO, socket: shown, never transferred
};

// One entry of a listing, or what stat() found.
struct SftpEntry
{
    // As shown: decoded with the connection's one encoding. Passing it
    // back to the engine addresses the same entry byte for byte.
    QString name;
    // The name exactly as the server sent it.
    QByteArray rawName;
    SftpEntryKind kind = SftpEntryKind::File;
    // Bytes; -1 when the server did not say. A link's own size.
    qint64 size = -1;
    // UTC; invalid when the server did not say.
    QDateTime modified;
    // The permission bits as octal digits read as a decimal number:
    // rwxr-xr-x is 755, rwsr-xr-x is 4755; 0 when the server did not say.
    int permissions = 0;
    // A link's target as the server reads it (readlink); empty otherwise,
    // or when it could not be read.
    QString linkTarget;
    // The server's "ls -l" line for the entry (owner, group ...), for show.
    QString longName;

    bool isLink() const
    {
        return kind == SftpEntryKind::Link || kind == SftpEntryKind::LinkToFolder;
    }
    bool isFolder() const
    {
        return kind == SftpEntryKind::Folder || kind == SftpEntryKind::LinkToFolder;
    }

    // From a name of a listing; the kind from the mode, or from the first
    // letter of the long name when the server gives no mode.
    static SftpEntry fromName(const SftpNameItem &item, const RemoteNameCodec &codec);
    // Kind, size, time and permissions of `attributes` into `entry`.
    static void applyAttributes(const SftpAttributes &attributes, SftpEntry &entry);
};
Q_DECLARE_TYPEINFO(SftpEntry, Q_RELOCATABLE_TYPE);

struct SftpListing
{
    // The folder listed, absolute, as the engine addressed it.
    QString path;
    // In the order the server sent them, without "." and "..".
    QVector<SftpEntry> entries;
};
