#include "remote/TreeSides.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteEngine.h"
#include "remote/RemoteEventSink.h"
#include "remote/RemoteInterrupt.h"

#include <QDir>
#include <QFileInfo>

void walkFromHere(RemoteEngine &engine, RemoteMessage doing,
                  const std::function<int(const RemoteFolder &start)> &steps)
{
    RemoteFolder start = engine.knownFolder();
    if (start.raw.isEmpty())
        start = engine.confirmFolder();
    const auto restore = [&] {
        if (!engine.returnTo(start))
            throw RemoteError::own(RemoteErrorKind::ProtocolError, RemoteErrorCode::BadReply,
                                   RemoteText(RemoteMessage::CannotReturnTo, {start.path}));
    };
    int failures = 0;
    try {
        failures = steps(start);
    } catch (const RemoteError &) {
        if (engine.connected()) {
            try {
                restore();
            } catch (const RemoteError &) {
                // The first error is the one to tell.
            }
        }
        throw;
    }
    restore();
    if (failures > 0)
        throw RemoteError::own(RemoteErrorKind::TreeIncomplete, RemoteErrorCode::TreeCopyIncomplete,
                               RemoteText(RemoteMessage::TreeIncomplete, {failures, doing}));
}

void EngineWalkHost::report(const RemoteActivity &activity)
{
    m_sink.activity(activity);
}

bool EngineWalkHost::connected() const
{
    return m_engine.connected();
}

bool EngineWalkHost::stopRequested() const
{
    return m_interrupt.stopRequested();
}

bool EngineWalkHost::dropRequested() const
{
    return m_interrupt.dropRequested();
}

std::optional<RemoteError> EngineTreeSide::enter(const QString &name)
{
    return m_engine.enter(name);
}

TreeFolder EngineTreeSide::confirm()
{
    const RemoteFolder folder = m_engine.confirmFolder();
    return {folder.path, folder.raw};
}

RemoteListing EngineTreeSide::list()
{
    return m_engine.listHere();
}

bool EngineTreeSide::back(const TreeFolder &folder)
{
    return m_engine.returnTo({folder.path, folder.identity});
}

namespace {

RemoteEntry entryOf(const QFileInfo &info)
{
    RemoteEntry entry;
    entry.name = info.fileName();
    entry.rawName = QFile::encodeName(entry.name);
    const bool link = info.isSymLink();
    if (info.isDir()) {
        entry.kind = link ? RemoteEntryKind::LinkToFolder : RemoteEntryKind::Folder;
        entry.type = link ? 'l' : 'd';
    } else if (info.isFile()) {
        entry.kind = link ? RemoteEntryKind::Link : RemoteEntryKind::File;
        entry.type = link ? 'l' : '-';
        entry.size = info.size();
    } else {
        // A device, a pipe, a socket, or a link whose target is gone.
        entry.kind = RemoteEntryKind::Special;
        entry.type = '?';
    }
    if (link && info.exists())
        entry.linkTarget = info.canonicalFilePath();
    return entry;
}

} // namespace

std::optional<RemoteError> LocalTreeSide::enter(const QString &name)
{
    const QString path = RemoteNameRules::localChildPath(m_current, name);
    if (!QFileInfo(path).isDir())
        return RemoteError::own(
            RemoteErrorKind::LocalFile, RemoteErrorCode::LocalFileError,
            RemoteText(RemoteMessage::CannotEnter, {QDir::toNativeSeparators(path)}));
    m_current = path;
    return std::nullopt;
}

TreeFolder LocalTreeSide::confirm()
{
    return {m_current, QFileInfo(m_current).canonicalFilePath().toUtf8()};
}

RemoteListing LocalTreeSide::list()
{
    RemoteListing listing;
    const QFileInfoList entries = QDir(m_current).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    listing.entries.reserve(entries.size());
    for (const QFileInfo &info : entries)
        listing.entries.append(entryOf(info));
    return listing;
}

bool LocalTreeSide::back(const TreeFolder &folder)
{
    m_current = folder.path;
    return true;
}
