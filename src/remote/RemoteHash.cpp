#include "remote/RemoteHash.h"

#include <algorithm>

namespace RemoteHashes {

QString name(RemoteHashAlgorithm algorithm)
{
    switch (algorithm) {
    case RemoteHashAlgorithm::Crc32:
        return QStringLiteral("CRC32");
    case RemoteHashAlgorithm::Md5:
        return QStringLiteral("MD5");
    case RemoteHashAlgorithm::Sha1:
        return QStringLiteral("SHA-1");
    case RemoteHashAlgorithm::Sha256:
        return QStringLiteral("SHA-256");
    case RemoteHashAlgorithm::None:
        break;
    }
    return {};
}

int hexLength(RemoteHashAlgorithm algorithm)
{
    switch (algorithm) {
    case RemoteHashAlgorithm::Crc32:
        return 8;
    case RemoteHashAlgorithm::Md5:
        return 32;
    case RemoteHashAlgorithm::Sha1:
        return 40;
    case RemoteHashAlgorithm::Sha256:
        return 64;
    case RemoteHashAlgorithm::None:
        break;
    }
    return 0;
}

QByteArray digest(const QByteArray &text, RemoteHashAlgorithm algorithm)
{
    const int length = hexLength(algorithm);
    const bool allHex = std::all_of(text.cbegin(), text.cend(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
    if (text.isEmpty() || !allHex || text.size() > length)
        return {};
    if (text.size() < length && algorithm != RemoteHashAlgorithm::Crc32)
        return {};
    return text.toLower().rightJustified(length, '0');
}

} // namespace RemoteHashes
