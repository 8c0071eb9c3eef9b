#pragma once

#include <QByteArray>
#include <QString>

class FtpEngine;

// Moves one file between the server and the disk.
//
// A download never touches the local file before the server has accepted the
// transfer (REST and RETR answered); from offset 0 it then replaces the
// file, from offset n it keeps exactly the first n bytes and appends. The
// byte count is checked against the size the server announced (SIZE, the
// listing, or "(N bytes)" in its 150 reply): a transfer that ends short is an
// error, never a success. A stop keeps the partial file for a later resume.
class FtpFileTransfer
{
public:
    // Read and write this much at a time: large enough for loopback speed,
    // small enough to keep the memory of a transfer bounded.
    static constexpr qint64 BufferSize = 1024 * 1024;

    explicit FtpFileTransfer(FtpEngine &engine);

    // `knownSize`: the remote size when a listing already gave it; -1 asks
    // the server with SIZE.
    void download(const QByteArray &remote, const QString &local, qint64 offset, int progressCode,
                  qint64 knownSize);
    // From `offset` (REST + STOR, or APPE when the server has no REST but the
    // remote file is exactly `offset` bytes long); 0 overwrites with STOR.
    void upload(const QString &local, const QByteArray &remote, qint64 offset, int progressCode);

private:
    [[noreturn]] void stopped(qint64 count, const QString &what);

    FtpEngine &m_engine;
};
