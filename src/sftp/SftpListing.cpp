#include "sftp/SftpListing.h"

#include "remote/RemoteNameCodec.h"
#include "sftp/SftpProtocol.h"
#include "sftp/SftpReply.h"

namespace {

SftpEntryKind kindOfMode(quint32 mode)
{
    switch (mode & SftpFileType::Mask) {
    case SftpFileType::Directory:
        return SftpEntryKind::Folder;
    case SftpFileType::Link:
        return SftpEntryKind::Link;
    case SftpFileType::Regular:
        return SftpEntryKind::File;
    case 0:
        return SftpEntryKind::File; // permissions without a type: nothing says otherwise
    default:
        return SftpEntryKind::Special;
    }
}

SftpEntryKind kindOfLongName(const QByteArray &longName)
{
    switch (longName.isEmpty() ? '-' : longName.at(0)) {
    case 'd':
        return SftpEntryKind::Folder;
    case 'l':
        return SftpEntryKind::Link;
    case 'c':
    case 'b':
    case 'p':
    case 's':
        return SftpEntryKind::Special;
    default:
        return SftpEntryKind::File;
    }
}

} // namespace

void SftpEntry::applyAttributes(const SftpAttributes &attributes, SftpEntry &entry)
{
    if (attributes.has(SftpAttributeFlag::Permissions)) {
        entry.kind = kindOfMode(attributes.permissions);
        entry.permissions = QString::number(attributes.permissions & 07777, 8).toInt();
    }
    // Sizes past 2^63 are no size at all.
    entry.size = attributes.has(SftpAttributeFlag::Size) && attributes.size <= quint64(INT64_MAX)
                     ? qint64(attributes.size)
                     : -1;
    entry.modified = attributes.has(SftpAttributeFlag::AccessModifyTime)
                         ? QDateTime::fromSecsSinceEpoch(attributes.modifyTime, Qt::UTC)
                         : QDateTime();
}

SftpEntry SftpEntry::fromName(const SftpNameItem &item, const RemoteNameCodec &codec)
{
    SftpEntry entry;
    entry.rawName = item.name;
    entry.name = codec.decode(item.name);
    entry.longName = codec.text(item.longName);
    entry.kind = kindOfLongName(item.longName);
    applyAttributes(item.attributes, entry);
    return entry;
}
