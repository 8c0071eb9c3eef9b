#include "remote/RemoteTreeRemoval.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteEngine.h"
#include "remote/RemoteEventSink.h"
#include "remote/RemoteInterrupt.h"
#include "remote/RemoteTreeWalk.h"
#include "remote/TreeSides.h"

namespace {

QString childPath(const QString &folder, const QString &name)
{
    return (folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')) + name;
}

QString withoutSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

RemoteError enteredElsewhere(const QString &asked, const QString &reached)
{
    return RemoteError::own(RemoteErrorKind::Refused, RemoteErrorCode::BadReply,
                            RemoteText(RemoteMessage::EnteredElsewhere, {asked, reached}));
}

} // namespace

// The server's side, entered only where the server confirms the very path
// asked for: a link the server takes for a folder, or a folder the server
// maps elsewhere, leads to entries that are not the tree's.
class RemoteTreeRemoval::ExactSide : public RemoteTreeSide
{
public:
    ExactSide(RemoteEngine &engine, const TreeFolder &root) : m_side(engine), m_here(root) {}

    std::optional<RemoteError> enter(const QString &name) override
    {
        if (std::optional<RemoteError> refusal = m_side.enter(name))
            return refusal;
        const QString asked = childPath(m_here.path, name);
        m_there = m_side.confirm();
        if (withoutSlash(m_there.path) == withoutSlash(asked)) {
            m_here = m_there;
            return std::nullopt;
        }
        if (!m_side.back(m_here))
            throw RemoteError::own(RemoteErrorKind::ProtocolError, RemoteErrorCode::BadReply,
                                   RemoteMessage::CannotReturnUp);
        return enteredElsewhere(asked, m_there.path);
    }
    TreeFolder confirm() override { return m_there; }
    RemoteListing list() override { return m_side.list(); }
    bool back(const TreeFolder &folder) override
    {
        m_here = folder;
        return m_side.back(folder);
    }

private:
    EngineTreeSide m_side;
    TreeFolder m_here;
    TreeFolder m_there;
};

class RemoteTreeRemoval::Delete : public RemoteTreeWalk::Action
{
public:
    explicit Delete(RemoteTreeRemoval &removal) : m_removal(removal) {}

    std::optional<RemoteText> passOver(const TreeFolder &, const RemoteEntry &) override
    {
        return std::nullopt;
    }
    // What a link leads to is not the user's to lose.
    bool walksLinks() const override { return false; }
    bool doneWithout(const TreeFolder &folder, const RemoteEntry &entry) override
    {
        return m_removal.removedAsLink(childPath(folder.path, entry.name));
    }
    std::optional<RemoteError> intoFolder(const TreeFolder &, const RemoteEntry &) override
    {
        return std::nullopt;
    }
    std::optional<RemoteError> outOfFolder(const TreeFolder &folder,
                                           const RemoteEntry &entry) override
    {
        const QString path = childPath(folder.path, entry.name);
        try {
            m_removal.m_engine.removeDirectory(path);
        } catch (const RemoteError &error) {
            if (!m_removal.m_engine.connected())
                throw;
            return error;
        }
        m_removal.removed(path);
        return std::nullopt;
    }
    void file(const TreeFolder &folder, const RemoteEntry &entry) override
    {
        const QString path = childPath(folder.path, entry.name);
        m_removal.m_engine.deleteFile(path);
        m_removal.removed(path);
    }

    RemoteMessage doing() const override { return RemoteMessage::WordDelete; }
    RemoteMessage specialReason() const override { return RemoteMessage::SpecialFile; }
    RemoteMessage againReason() const override { return RemoteMessage::FolderDeletedAlready; }
    RemoteText linkOutReason(const QString &target) const override
    {
        return RemoteText(RemoteMessage::RemoteLinkOutOfFolder, {target});
    }

private:
    RemoteTreeRemoval &m_removal;
};

RemoteTreeRemoval::RemoteTreeRemoval(RemoteEngine &engine, RemoteEventSink &sink,
                                     const RemoteInterrupt &interrupt)
    : m_engine(engine), m_sink(sink), m_interrupt(interrupt)
{}

void RemoteTreeRemoval::removed(const QString &path)
{
    RemoteActivity activity;
    activity.kind = RemoteActivityKind::EntryRemoved;
    activity.remotePath = path;
    m_sink.activity(activity);
}

bool RemoteTreeRemoval::removedAsLink(const QString &path)
{
    try {
        m_engine.deleteFile(path);
    } catch (const RemoteError &error) {
        // The refusal is the answer a folder gives; a stop or a lost
        // connection still ends the walk.
        if (!m_engine.connected() || error.kind == RemoteErrorKind::Stopped)
            throw;
        return false;
    }
    removed(path);
    return true;
}

void RemoteTreeRemoval::remove(const QString &folder)
{
    if (RemoteNameRules::holdsLineBreak(folder))
        throw RemoteError::own(RemoteErrorKind::InvalidArgument, RemoteErrorCode::InvalidName,
                               RemoteMessage::NameHoldsLineBreak);
    if (removedAsLink(folder))
        return;
    RemoteFolder start = m_engine.knownFolder();
    if (start.raw.isEmpty())
        start = m_engine.confirmFolder();
    try {
        walkInside(folder);
    } catch (const RemoteError &) {
        try {
            if (m_engine.connected())
                m_engine.returnTo(start);
        } catch (const RemoteError &) {
            // The first error is the one to tell.
        }
        throw;
    }
    leave(folder, start);
    m_engine.removeDirectory(folder);
    removed(folder);
}

// The folder goes from outside it: some servers keep the directory they are
// in. A session that started inside it waits in its parent instead.
void RemoteTreeRemoval::leave(const QString &folder, const RemoteFolder &start)
{
    const QString target = withoutSlash(folder);
    const QString here = withoutSlash(start.path);
    if (here != target && !here.startsWith(childPath(target, QString()))) {
        if (!m_engine.returnTo(start))
            throw RemoteError::own(RemoteErrorKind::ProtocolError, RemoteErrorCode::BadReply,
                                   RemoteText(RemoteMessage::CannotReturnTo, {start.path}));
        return;
    }
    const QString parent = target.section(QLatin1Char('/'), 0, -2);
    if (const std::optional<RemoteError> refusal =
            m_engine.enter(parent.isEmpty() ? QStringLiteral("/") : parent))
        throw *refusal;
    m_engine.confirmFolder();
}

void RemoteTreeRemoval::walkInside(const QString &folder)
{
    if (const std::optional<RemoteError> refusal = m_engine.enter(folder))
        throw *refusal;
    const RemoteFolder root = m_engine.confirmFolder();
    if (withoutSlash(root.path) != withoutSlash(folder))
        throw enteredElsewhere(folder, root.path);
    EngineWalkHost host(m_engine, m_sink, m_interrupt);
    ExactSide side(m_engine, {root.path, root.raw});
    Delete action(*this);
    RemoteTreeWalk walk(side, action, host);
    walk.walk({root.path, root.raw}, m_engine.folderIdentity(), {});
    // Something stays inside: so does the folder.
    if (walk.failures() > 0)
        throw RemoteError::own(RemoteErrorKind::TreeIncomplete, RemoteErrorCode::TreeCopyIncomplete,
                               RemoteText(RemoteMessage::TreeIncomplete,
                                          {walk.failures(), RemoteMessage::WordDelete}));
}
