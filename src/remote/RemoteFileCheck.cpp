#include "remote/RemoteFileCheck.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteDigest.h"
#include "remote/RemoteEngine.h"
#include "remote/RemoteEventSink.h"
#include "remote/RemoteInterrupt.h"
#include "remote/RemoteNameRules.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

RemoteFileCheck::RemoteFileCheck(RemoteEngine &engine, RemoteEventSink &sink,
                                 const RemoteInterrupt &interrupt, const RemoteSettings &settings)
    : m_engine(engine), m_sink(sink), m_interrupt(interrupt),
      m_enabled(settings.verifyTransfers &&
                settings.transferSetting == RemoteTransferSetting::Binary)
{}

void RemoteFileCheck::transfer(const QString &remote, const QString &local, qint64 offset,
                               const std::function<void()> &move)
{
    const RemoteHashAlgorithm algorithm =
        m_enabled ? m_engine.hashAlgorithm() : RemoteHashAlgorithm::None;
    if (algorithm == RemoteHashAlgorithm::None) {
        move();
        ++m_moved;
        return;
    }
    std::unique_ptr<RemoteDigest> digest;
    if (offset == 0) {
        digest = std::make_unique<RemoteDigest>(algorithm);
        m_engine.setTransferTap(digest.get());
    }
    try {
        move();
    } catch (...) {
        m_engine.setTransferTap(nullptr);
        throw;
    }
    m_engine.setTransferTap(nullptr);
    ++m_moved;
    // Resumed, or not all of the file went by (a file complete already):
    // the file on the disk is what counts. What is no file (/dev/null, a
    // pipe) cannot be read back: the bytes that went by are all there is.
    const QFileInfo written(local);
    if (!digest || (written.isFile() && digest->count() != written.size())) {
        digest = std::make_unique<RemoteDigest>(algorithm);
        digest->addFile(local);
    }
    compare(remote, local, *digest);
}

void RemoteFileCheck::compare(const QString &remote, const QString &local, RemoteDigest &digest)
{
    // The server reads its file while the digest here finishes.
    const QFileInfo written(local);
    const RemoteHash server =
        m_engine.fileHash(remote, written.isFile() ? written.size() : digest.count());
    if (!server.offered())
        return;
    std::unique_ptr<RemoteDigest> again;
    RemoteDigest *mine = &digest;
    if (server.algorithm != digest.algorithm()) {
        if (!written.isFile())
            return;
        again = std::make_unique<RemoteDigest>(server.algorithm);
        again->addFile(local);
        mine = again.get();
    }
    const std::optional<QByteArray> hex =
        mine->hex([this] { return m_interrupt.stopRequested() || m_interrupt.dropRequested(); });
    if (m_interrupt.dropRequested())
        throw RemoteError::own(RemoteErrorKind::Dropped, RemoteErrorCode::ConnectionDropped,
                               RemoteMessage::ConnectionDropped);
    if (m_interrupt.stopRequested())
        throw RemoteError::own(RemoteErrorKind::Stopped, RemoteErrorCode::StoppedByUser,
                               RemoteMessage::Stopped);
    const QString shown = RemoteNameRules::printable(remote);
    const QString algorithm = RemoteHashes::name(server.algorithm);
    if (!hex)
        throw RemoteError::own(RemoteErrorKind::LocalFile, RemoteErrorCode::LocalFileError,
                               RemoteText(RemoteMessage::CannotHashLocal,
                                          {QDir::toNativeSeparators(local), mine->error()}));
    if (*hex != server.hex)
        throw RemoteError::own(
            RemoteErrorKind::TransferIncomplete, RemoteErrorCode::HashMismatch,
            RemoteText(RemoteMessage::HashMismatch, {shown, algorithm, QString::fromLatin1(*hex),
                                                     QString::fromLatin1(server.hex)}));
    RemoteActivity verified =
        RemoteActivity::note(RemoteActivityKind::FileVerified,
                             RemoteText(RemoteMessage::FileVerified, {shown, algorithm}));
    verified.remotePath = remote;
    verified.localPath = local;
    m_sink.activity(verified);
    ++m_verified;
}
