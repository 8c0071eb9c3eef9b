#pragma once

#include "remote/WorkerSession.h"

// An FTP (and FTPS) client session: the RemoteSession on the FTP engine.
// Made by the session factory for sites that speak FTP; tests and tools of
// the engine make it directly.
class FtpSession : public WorkerSession
{
    Q_OBJECT
public:
    explicit FtpSession(QObject *parent = nullptr);

    // What makes this protocol's engine, for a session that changes protocol.
    static EngineMaker engineMaker();
};
