#pragma once

#include "sftp/SftpPace.h"

#include <QByteArray>
#include <QString>

class SftpClient;
class SftpEventSink;

// Copies one local file to the server with many writes in flight.
//
// From offset 0 the remote file is created or emptied; from offset n it is
// opened without emptying and written from n on, which needs a remote file
// at least n bytes long (else CannotResume: the gap would be zeros). A
// remote file longer than the local one is cut to the local size. The
// server's answer to every write and to the final CLOSE is checked: a
// refused write fails the upload, never reports it done. A stop keeps what
// the server has written.
class SftpUpload
{
public:
    SftpUpload(SftpClient &client, SftpEventSink &sink, int requestsInFlight, SftpPace pace);

    // `remote`: the path's bytes; `shown`: the path as the user sees it.
    void run(const QString &local, const QByteArray &remote, const QString &shown, qint64 offset);

private:
    QByteArray open(const QByteArray &remote, const QString &shown, bool truncate,
                    quint32 permissions);
    qint64 remoteSize(const QByteArray &handle, const QString &shown);
    void closeHandle(const QByteArray &handle);

    SftpClient &m_client;
    SftpEventSink &m_sink;
    int m_depth;
    SftpPace m_pace;
};
