#pragma once

#include "remote/RemoteHash.h"

#include <QByteArray>

class FtpContext;
struct FtpFeatures;

// The server's hash of a whole file: HASH where FEAT offers it ("HASH
// SHA-256*;SHA-1;MD5", the one in use marked; OPTS HASH chooses; the reply
// "213 SHA-256 0-1234 <hex> <name>"), else the older XSHA256, XSHA1, XMD5
// and XCRC when FEAT names them (the reply "250 <hex>"). The strongest
// offered is used: SHA-256, SHA-1, MD5, CRC32. Nothing is tried that FEAT
// did not offer, and a 500, 502 or 504 to a hash command means the server
// does not offer it after all: no hash is asked for again on the connection.
class FtpFileHash
{
public:
    explicit FtpFileHash(FtpContext &context);

    // One line of the FEAT reply, as received.
    static void readFeature(const QByteArray &line, FtpFeatures &features);
    // The digest a reply gives (its first line); None when there is none.
    static RemoteHash fromHashReply(const QByteArray &line);
    static RemoteHash fromXReply(const QByteArray &line, RemoteHashAlgorithm algorithm);

    // The algorithm the server will use; the first time on a connection
    // where HASH's strongest is not the one in use, OPTS HASH asks for it.
    RemoteHashAlgorithm algorithm();
    // The server's hash of `raw`; None when it gives none. `sizeHint`: the
    // file's size, -1 unknown: the reply may take as long as the server
    // needs to read the file.
    RemoteHash of(const QByteArray &raw, qint64 sizeHint);

private:
    FtpContext &m_context;
};
