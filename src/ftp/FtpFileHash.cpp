#include "ftp/FtpFileHash.h"

#include "ftp/FtpContext.h"

namespace {

RemoteHashAlgorithm algorithmNamed(QByteArray name)
{
    name = name.trimmed().toUpper();
    if (name == "SHA-256")
        return RemoteHashAlgorithm::Sha256;
    if (name == "SHA-1")
        return RemoteHashAlgorithm::Sha1;
    if (name == "MD5")
        return RemoteHashAlgorithm::Md5;
    if (name == "CRC32")
        return RemoteHashAlgorithm::Crc32;
    return RemoteHashAlgorithm::None;
}

QByteArray xCommand(RemoteHashAlgorithm algorithm)
{
    switch (algorithm) {
    case RemoteHashAlgorithm::Sha256:
        return "XSHA256";
    case RemoteHashAlgorithm::Sha1:
        return "XSHA1";
    case RemoteHashAlgorithm::Md5:
        return "XMD5";
    case RemoteHashAlgorithm::Crc32:
        return "XCRC";
    case RemoteHashAlgorithm::None:
        break;
    }
    return {};
}

// What follows the reply code, split at blanks.
QList<QByteArray> words(const QByteArray &line)
{
    return line.mid(4).simplified().split(' ');
}

bool meansNotOffered(int code)
{
    return code == 500 || code == 502 || code == 504;
}

// A server reads the file before it answers: at a slow disk's pace (25 MiB
// a second) a large file takes longer than any reply is waited for.
int hashTimeout(int timeoutMs, qint64 sizeHint)
{
    constexpr qint64 SlowDiskBytesPerMs = 25 * 1024 * 1024 / 1000;
    const qint64 reading = sizeHint > 0 ? sizeHint / SlowDiskBytesPerMs : 0;
    return int(qMin<qint64>(timeoutMs + reading, std::numeric_limits<int>::max()));
}

} // namespace

FtpFileHash::FtpFileHash(FtpContext &context) : m_context(context) {}

void FtpFileHash::readFeature(const QByteArray &line, FtpFeatures &features)
{
    const QByteArray feature = line.trimmed().toUpper();
    if (feature.startsWith("HASH ")) {
        for (QByteArray offered : feature.mid(5).split(';')) {
            const bool inUse = offered.trimmed().endsWith('*');
            if (inUse)
                offered = offered.trimmed().chopped(1);
            const RemoteHashAlgorithm algorithm = algorithmNamed(offered);
            features.hash = qMax(features.hash, algorithm);
            if (inUse)
                features.hashInUse = algorithm;
        }
        return;
    }
    for (const RemoteHashAlgorithm algorithm :
         {RemoteHashAlgorithm::Crc32, RemoteHashAlgorithm::Md5, RemoteHashAlgorithm::Sha1,
          RemoteHashAlgorithm::Sha256})
        if (feature == xCommand(algorithm))
            features.xHash = qMax(features.xHash, algorithm);
}

RemoteHash FtpFileHash::fromHashReply(const QByteArray &line)
{
    // "213 SHA-256 0-1234 <hex> <name>"
    const QList<QByteArray> parts = words(line);
    if (parts.size() < 3)
        return {};
    const RemoteHashAlgorithm algorithm = algorithmNamed(parts.at(0));
    const QByteArray hex = RemoteHashes::digest(parts.at(2), algorithm);
    if (hex.isEmpty())
        return {};
    return {algorithm, hex};
}

RemoteHash FtpFileHash::fromXReply(const QByteArray &line, RemoteHashAlgorithm algorithm)
{
    // "250 <hex>", by some servers followed by the name.
    const QByteArray hex = RemoteHashes::digest(words(line).value(0), algorithm);
    if (hex.isEmpty())
        return {};
    return {algorithm, hex};
}

RemoteHashAlgorithm FtpFileHash::algorithm()
{
    FtpFeatures &features = m_context.features();
    if (features.hashRefused)
        return RemoteHashAlgorithm::None;
    if (features.hash == RemoteHashAlgorithm::None)
        return features.xHash;
    if (features.hashInUse != features.hash && !features.hashChosen) {
        features.hashChosen = true;
        const FtpReply reply = m_context.control().command(
            "OPTS", "HASH " + RemoteHashes::name(features.hash).toLatin1());
        if (reply.isPositive())
            features.hashInUse = features.hash;
    }
    // In use but not named: the reply will name it.
    return features.hashInUse != RemoteHashAlgorithm::None ? features.hashInUse : features.hash;
}

RemoteHash FtpFileHash::of(const QByteArray &raw, qint64 sizeHint)
{
    FtpFeatures &features = m_context.features();
    const RemoteHashAlgorithm algorithm = this->algorithm();
    if (algorithm == RemoteHashAlgorithm::None)
        return {};
    const bool hashCommand = features.hash != RemoteHashAlgorithm::None;
    FtpControlConnection &control = m_context.control();
    const int timeoutMs = control.timeout();
    control.setTimeout(hashTimeout(timeoutMs, sizeHint));
    FtpReply reply;
    try {
        reply = control.command(hashCommand ? QByteArray("HASH") : xCommand(algorithm), raw);
    } catch (...) {
        control.setTimeout(timeoutMs);
        throw;
    }
    control.setTimeout(timeoutMs);
    if (meansNotOffered(reply.code))
        features.hashRefused = true;
    if (!reply.isPositive() || reply.lines.isEmpty())
        return {};
    return hashCommand ? fromHashReply(reply.lines.last())
                       : fromXReply(reply.lines.last(), algorithm);
}
