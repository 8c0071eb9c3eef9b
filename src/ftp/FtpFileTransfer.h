#pragma once

#include "remote/RemoteActivity.h"

#include <QByteArray>
#include <QString>
#include <optional>

class FtpContext;

// Moves one file between the server and the disk.
//
// A download leaves the local file alone until the first byte arrives (an
// empty remote file: until the server confirmed the transfer): a refused or
// failed RETR never empties a good file. From offset 0 it then replaces the
// file; from offset n it keeps exactly the first n bytes and appends. When
// the server does not honour the restart (it refuses REST, or sends more
// than the remote size less the offset) the file is cut back to exactly n
// bytes and the download fails with 11118, so that the next resume starts
// from a sound file. The byte count is checked against the size the server
// announced (SIZE, the listing, or "(N bytes)" in its 150 reply): a transfer
// that ends short is an error, never a success; an unknown size is never
// compared. Over an encrypted data connection that ended without TLS's
// close_notify only a known size that was reached vouches for the file:
// with the size unknown such a download fails (11113). A stop keeps the
// partial file for a later resume.
//
// After an upload the server's own size of the file (SIZE, else MLST; after
// a resumed upload, when neither answers, the folder's listing) must be the
// offset plus the bytes sent: anything else means the file on the server is
// not whole, such as a server that agreed to REST and then wrote from the
// start, and the upload fails (11113).
class FtpFileTransfer
{
public:
    // Read and write this much at a time: large enough for loopback speed,
    // small enough to keep the memory of a transfer bounded.
    static constexpr qint64 BufferSize = 1024 * 1024;

    explicit FtpFileTransfer(FtpContext &context);

    // `knownSize`: the remote size when a listing already gave it; -1 asks
    // the server with SIZE.
    void download(const QByteArray &remote, const QString &local, qint64 offset,
                  RemoteActivityKind progressKind, qint64 knownSize);
    // From `offset` (REST + STOR, or APPE when the server has no REST but the
    // remote file is exactly `offset` bytes long); 0 overwrites with STOR.
    void upload(const QString &local, const QByteArray &remote, qint64 offset,
                RemoteActivityKind progressKind);

private:
    RemoteError stopped(qint64 count, const QString &what);
    void transferred(RemoteText text, const QString &remote, const QString &local, qint64 bytes);
    void checkRemoteSize(const QByteArray &remote, qint64 expected, qint64 offset);
    std::optional<qint64> factSize(const QByteArray &remote);
    std::optional<qint64> listedSize(const QByteArray &remote);

    FtpContext &m_context;
};
