#include "sftp/SftpSession.h"

#include "sftp/SftpRemoteEngine.h"

SftpSession::SftpSession(QObject *parent)
    : WorkerSession(RemoteProtocol::Sftp, engineMaker(), parent)
{}

WorkerSession::EngineMaker SftpSession::engineMaker()
{
    return [](RemoteInterrupt &interrupt, RemoteEventSink &sink) {
        return std::make_unique<SftpRemoteEngine>(interrupt, sink);
    };
}
