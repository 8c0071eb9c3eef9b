#include "sftp/SftpAttributes.h"

#include "sftp/SftpDecoder.h"
#include "sftp/SftpEncoding.h"
#include "sftp/SftpProtocol.h"

bool SftpAttributes::decode(SftpDecoder &decoder)
{
    flags = decoder.u32();
    if (has(SftpAttributeFlag::Size))
        size = decoder.u64();
    if (has(SftpAttributeFlag::UidGid)) {
        uid = decoder.u32();
        gid = decoder.u32();
    }
    if (has(SftpAttributeFlag::Permissions))
        permissions = decoder.u32();
    if (has(SftpAttributeFlag::AccessModifyTime)) {
        accessTime = decoder.u32();
        modifyTime = decoder.u32();
    }
    if (has(SftpAttributeFlag::Extended)) {
        // Each pair takes at least 8 bytes: a count larger than the packet
        // holds ends at its end.
        for (quint32 count = decoder.u32(); count > 0 && decoder.ok(); --count) {
            decoder.string();
            decoder.string();
        }
    }
    return decoder.ok();
}

void SftpAttributes::encode(QByteArray &out) const
{
    // Extended pairs are never sent: nothing here has any.
    const quint32 sent = flags & ~SftpAttributeFlag::Extended;
    SftpEncoding::appendU32(out, sent);
    if (sent & SftpAttributeFlag::Size)
        SftpEncoding::appendU64(out, size);
    if (sent & SftpAttributeFlag::UidGid) {
        SftpEncoding::appendU32(out, uid);
        SftpEncoding::appendU32(out, gid);
    }
    if (sent & SftpAttributeFlag::Permissions)
        SftpEncoding::appendU32(out, permissions);
    if (sent & SftpAttributeFlag::AccessModifyTime) {
        SftpEncoding::appendU32(out, accessTime);
        SftpEncoding::appendU32(out, modifyTime);
    }
}
