#pragma once

#include "remote/WorkerSession.h"

// An SFTP client session: the RemoteSession on the SFTP engine. Made by the
// session factory for sites that speak SFTP; tests and tools of the engine
// make it directly.
class SftpSession : public WorkerSession
{
    Q_OBJECT
public:
    explicit SftpSession(QObject *parent = nullptr);

    // What makes this protocol's engine, for a session that changes protocol.
    static EngineMaker engineMaker();
};
