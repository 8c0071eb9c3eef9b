#pragma once

#include <QByteArray>
#include <QString>

// The hashes a server may give of a whole file, weakest first: a session
// asks for the strongest one the server offers.
enum class RemoteHashAlgorithm
{
    None,
    Crc32,
    Md5,
    Sha1,
    Sha256,
};

// A file's hash as the server gave it, in lower-case hex digits. An
// algorithm of None: the server gives none.
struct RemoteHash
{
    RemoteHashAlgorithm algorithm = RemoteHashAlgorithm::None;
    QByteArray hex;

    bool offered() const { return algorithm != RemoteHashAlgorithm::None; }
};

namespace RemoteHashes {

// "SHA-256", "SHA-1", "MD5", "CRC32": the names servers use, shown as they are.
QString name(RemoteHashAlgorithm algorithm);
// The hex digits of a digest (CRC32: 8).
int hexLength(RemoteHashAlgorithm algorithm);
// `text` as a digest of `algorithm`: hex digits of the right length, lower
// case (CRC32 may come without its leading zeros); empty when it is none.
QByteArray digest(const QByteArray &text, RemoteHashAlgorithm algorithm);

} // namespace RemoteHashes
