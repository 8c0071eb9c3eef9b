#include "remote/factory/RemoteSessions.h"

#include "ftp/FtpSession.h"
#include "sftp/SftpSession.h"

namespace RemoteSessions {

std::unique_ptr<RemoteSession> make(RemoteProtocol protocol, QObject *parent)
{
    switch (protocol) {
    case RemoteProtocol::Sftp:
        return std::make_unique<SftpSession>(parent);
    case RemoteProtocol::Ftp:
        break;
    }
    return std::make_unique<FtpSession>(parent);
}

bool speak(RemoteSession &session, RemoteProtocol protocol)
{
    if (session.Protocol() == protocol)
        return true;
    auto *worker = qobject_cast<WorkerSession *>(&session);
    if (!worker)
        return false;
    return worker->replaceEngine(protocol, protocol == RemoteProtocol::Sftp
                                               ? SftpSession::engineMaker()
                                               : FtpSession::engineMaker());
}

std::unique_ptr<RemoteSession> makeLike(const RemoteSession &model, QObject *parent)
{
    std::unique_ptr<RemoteSession> session = make(model.Protocol(), parent);
    session->setSettings(model.settings());
    session->setQuestion(model.question());
    return session;
}

} // namespace RemoteSessions
