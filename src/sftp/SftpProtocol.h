#pragma once

#include <QtGlobal>

// The numbers of SFTP version 3 (draft-ietf-secsh-filexfer-02), the version
// every server speaks: OpenSSH, and those that speak later versions too.
namespace SftpPacketType {
constexpr quint8 Init = 1;
constexpr quint8 Version = 2;
constexpr quint8 Open = 3;
constexpr quint8 Close = 4;
constexpr quint8 Read = 5;
constexpr quint8 Write = 6;
constexpr quint8 Lstat = 7;
constexpr quint8 Fstat = 8;
constexpr quint8 Setstat = 9;
constexpr quint8 Fsetstat = 10;
constexpr quint8 Opendir = 11;
constexpr quint8 Readdir = 12;
constexpr quint8 Remove = 13;
constexpr quint8 Mkdir = 14;
constexpr quint8 Rmdir = 15;
constexpr quint8 Realpath = 16;
constexpr quint8 Stat = 17;
constexpr quint8 Rename = 18;
constexpr quint8 Readlink = 19;
constexpr quint8 Status = 101;
constexpr quint8 Handle = 102;
constexpr quint8 Data = 103;
constexpr quint8 Name = 104;
constexpr quint8 Attrs = 105;
constexpr quint8 Extended = 200;
constexpr quint8 ExtendedReply = 201;
} // namespace SftpPacketType

// SSH_FXP_STATUS codes.
namespace SftpStatus {
constexpr quint32 Ok = 0;
constexpr quint32 Eof = 1;
constexpr quint32 NoSuchFile = 2;
constexpr quint32 PermissionDenied = 3;
constexpr quint32 Failure = 4;
constexpr quint32 BadMessage = 5;
constexpr quint32 NoConnection = 6;
constexpr quint32 ConnectionLost = 7;
constexpr quint32 OpUnsupported = 8;
} // namespace SftpStatus

// SSH_FXF_* flags of SSH_FXP_OPEN.
namespace SftpOpenFlag {
constexpr quint32 Read = 0x01;
constexpr quint32 Write = 0x02;
constexpr quint32 Append = 0x04;
constexpr quint32 Create = 0x08;
constexpr quint32 Truncate = 0x10;
constexpr quint32 Exclusive = 0x20;
} // namespace SftpOpenFlag

// SSH_FILEXFER_ATTR_* flags.
namespace SftpAttributeFlag {
constexpr quint32 Size = 0x01;
constexpr quint32 UidGid = 0x02;
constexpr quint32 Permissions = 0x04;
constexpr quint32 AccessModifyTime = 0x08;
constexpr quint32 Extended = 0x80000000u;
} // namespace SftpAttributeFlag

// The file type bits of the permissions, as POSIX and every server have them.
namespace SftpFileType {
constexpr quint32 Mask = 0170000;
constexpr quint32 Socket = 0140000;
constexpr quint32 Link = 0120000;
constexpr quint32 Regular = 0100000;
constexpr quint32 BlockDevice = 0060000;
constexpr quint32 Directory = 0040000;
constexpr quint32 CharacterDevice = 0020000;
constexpr quint32 Fifo = 0010000;
} // namespace SftpFileType

namespace SftpVersion {
constexpr quint32 Supported = 3;
} // namespace SftpVersion
