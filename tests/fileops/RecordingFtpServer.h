#pragma once

#include "fixtures/FixtureProcess.h"

#include <QStringList>

// pyftpdlib serving `root` on a free loopback port (recording_ftpd.py), for
// the file-operation tests: it records each change it made to the tree, and
// can hold folders the user may enter but not change, or not enter at all,
// folders where nothing may be renamed,
// and folders in which no new folder is ever answered. Those folders must
// exist before start().
class RecordingFtpServer
{
public:
    explicit RecordingFtpServer(const QString &root) : m_root(root) {}

    // Before start(): folders (relative to the root) to guard.
    void setReadOnly(const QStringList &folders) { m_readOnly = folders; }
    void setClosed(const QStringList &folders) { m_closed = folders; }
    void setNoRename(const QStringList &folders) { m_noRename = folders; }
    void setUnanswered(const QStringList &folders) { m_unanswered = folders; }
    bool start();

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_process.port(); }
    QString user() const { return QStringLiteral("korvu"); }
    QString password() const { return QStringLiteral("korvu"); }
    QString error() const { return m_process.error(); }
    // "DELE /a/b.txt", "RMD /a", "MKD /n", "RNFR /x", "RNTO /y", "STOR /z": what the
    // server changed, in order, since start() or the last call.
    QStringList takeChanges();

private:
    QString m_root;
    QStringList m_readOnly;
    QStringList m_closed;
    QStringList m_noRename;
    QStringList m_unanswered;
    qint64 m_read = 0;
    FixtureProcess m_process;
};
