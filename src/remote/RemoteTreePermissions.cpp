#include "remote/RemoteTreePermissions.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteEngine.h"
#include "remote/RemoteEventSink.h"
#include "remote/RemoteInterrupt.h"
#include "remote/RemoteTreeWalk.h"
#include "remote/TreeSides.h"

class RemoteTreePermissions::Chmod : public RemoteTreeWalk::Action
{
public:
    Chmod(RemoteEngine &engine, RemoteEventSink &sink, int files, int folders)
        : m_engine(engine), m_sink(sink), m_files(files), m_folders(folders)
    {}

    std::optional<RemoteText> passOver(const TreeFolder &, const RemoteEntry &) override
    {
        return std::nullopt;
    }
    bool walksLinks() const override { return false; }

    std::optional<RemoteError> intoFolder(const TreeFolder &, const RemoteEntry &) override
    {
        return std::nullopt;
    }

    std::optional<RemoteError> outOfFolder(const TreeFolder &, const RemoteEntry &entry) override
    {
        if (m_folders < 0)
            return std::nullopt;
        try {
            m_engine.changePermissions(entry.name, m_folders);
        } catch (const RemoteError &error) {
            if (!m_engine.connected())
                throw;
            return error;
        }
        return std::nullopt;
    }

    void file(const TreeFolder &, const RemoteEntry &entry) override
    {
        if (entry.isLink()) {
            // Not a failure: the link is as the user wants it.
            RemoteActivity left = RemoteActivity::note(
                RemoteActivityKind::EntrySkipped,
                RemoteText(RemoteMessage::Skipped,
                           {RemoteNameRules::printable(entry.name), RemoteMessage::LinkLeftAsIs}));
            left.remotePath = entry.name;
            m_sink.activity(left);
            return;
        }
        if (m_files >= 0)
            m_engine.changePermissions(entry.name, m_files);
    }

    RemoteMessage doing() const override { return RemoteMessage::WordChangePermissions; }
    RemoteMessage specialReason() const override { return RemoteMessage::SpecialFile; }
    RemoteMessage againReason() const override { return RemoteMessage::FolderChangedAlready; }
    RemoteText linkOutReason(const QString &target) const override
    {
        return RemoteText(RemoteMessage::RemoteLinkOutOfFolder, {target});
    }

private:
    RemoteEngine &m_engine;
    RemoteEventSink &m_sink;
    int m_files;
    int m_folders;
};

RemoteTreePermissions::RemoteTreePermissions(RemoteEngine &engine, RemoteEventSink &sink,
                                             const RemoteInterrupt &interrupt)
    : m_engine(engine), m_sink(sink), m_interrupt(interrupt)
{}

void RemoteTreePermissions::change(const QString &folder, int filePermissions,
                                   int folderPermissions)
{
    if (RemoteNameRules::holdsLineBreak(folder))
        throw RemoteError::own(RemoteErrorKind::InvalidArgument, RemoteErrorCode::InvalidName,
                               RemoteMessage::NameHoldsLineBreak);
    EngineWalkHost host(m_engine, m_sink, m_interrupt);
    EngineTreeSide side(m_engine);
    Chmod action(m_engine, m_sink, filePermissions, folderPermissions);
    RemoteTreeWalk walk(side, action, host);
    walkFromHere(m_engine, RemoteMessage::WordChangePermissions, [&](const RemoteFolder &) {
        if (const std::optional<RemoteError> refusal = m_engine.enter(folder))
            throw *refusal;
        const RemoteFolder root = m_engine.confirmFolder();
        walk.walk({root.path, root.raw}, m_engine.folderIdentity(), {});
        return walk.failures();
    });
}
