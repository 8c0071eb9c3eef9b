#include "sftp/SftpSession.h"

#include "sftp/SftpRemoteEngine.h"

SftpSession::SftpSession(QObject *parent)
    : WorkerSession(
          RemoteProtocol::Sftp,
          [](RemoteInterrupt &interrupt, RemoteEventSink &sink) {
              return std::make_unique<SftpRemoteEngine>(interrupt, sink);
          },
          parent)
{}
