#pragma once

#include "sftp/SftpPace.h"

#include <QByteArray>
#include <QString>

class SftpClient;
class SftpEventSink;

// Copies one remote file to the disk with many reads in flight, so that a
// transfer runs at the speed of the connection rather than at one read per
// round trip.
//
// The remote file is opened first: a refusal never touches the local file.
// From offset 0 the local file is then replaced; from offset n exactly its
// first n bytes are kept and the rest appended. The size the server gave
// when the file was opened is what must arrive: a file that ends early is
// an error, never a success. A stop or a failure keeps the partial file,
// cut back to the bytes that arrived without a gap, so a later resume from
// its size is byte-exact.
class SftpDownload
{
public:
    SftpDownload(SftpClient &client, SftpEventSink &sink, int requestsInFlight, SftpPace pace);

    // `remote`: the path's bytes; `shown`: the path as the user sees it.
    void run(const QByteArray &remote, const QString &shown, const QString &local, qint64 offset);

private:
    struct Opened
    {
        QByteArray handle;
        qint64 size = -1; // -1: the server did not say
    };

    Opened open(const QByteArray &remote, const QString &shown);
    // Sends CLOSE without waiting for the answer: nothing in it matters to
    // a download, and the next request is served after it anyway.
    void closeHandle(const QByteArray &handle);

    SftpClient &m_client;
    SftpEventSink &m_sink;
    int m_depth;
    SftpPace m_pace;
};
