#include "ftp/FtpSession.h"

#include "ftp/FtpEngine.h"

FtpSession::FtpSession(QObject *parent) : WorkerSession(RemoteProtocol::Ftp, engineMaker(), parent)
{}

WorkerSession::EngineMaker FtpSession::engineMaker()
{
    return [](RemoteInterrupt &interrupt, RemoteEventSink &sink) {
        return std::make_unique<FtpEngine>(interrupt, sink);
    };
}
