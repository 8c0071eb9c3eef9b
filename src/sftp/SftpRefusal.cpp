#include "sftp/SftpRefusal.h"

#include "remote/RemoteNameCodec.h"
#include "sftp/SftpProtocol.h"
#include "sftp/SftpReply.h"

SftpError SftpRefusal::fromStatus(const SftpReply &reply, const QString &subject)
{
    SftpErrorKind kind;
    switch (reply.status) {
    case SftpStatus::NoSuchFile:
        kind = SftpErrorKind::NotFound;
        break;
    case SftpStatus::PermissionDenied:
        kind = SftpErrorKind::PermissionDenied;
        break;
    case SftpStatus::OpUnsupported:
        kind = SftpErrorKind::Unsupported;
        break;
    default:
        kind = SftpErrorKind::Refused;
        break;
    }
    return SftpError{
        kind, int(reply.status), RemoteNameCodec::decodeText(reply.message), subject, {}};
}

void SftpRefusal::expect(const SftpReply &reply, quint8 type, const QString &subject)
{
    if (reply.type == type)
        return;
    if (reply.type == SftpPacketType::Status && reply.status != SftpStatus::Ok)
        throw fromStatus(reply, subject);
    throw SftpError{SftpErrorKind::ProtocolError,
                    -1,
                    {},
                    subject,
                    QStringLiteral("reply type %1 where %2 belongs").arg(reply.type).arg(type)};
}

void SftpRefusal::expectOk(const SftpReply &reply, const QString &subject)
{
    expect(reply, SftpPacketType::Status, subject);
    if (reply.status != SftpStatus::Ok)
        throw fromStatus(reply, subject);
}
