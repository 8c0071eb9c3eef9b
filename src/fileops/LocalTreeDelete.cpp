#include "fileops/LocalTreeDelete.h"

#include "fileops/LocalFiles.h"
#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteTexts.h"
#include "remote/RemoteTreeWalk.h"
#include "remote/TreeSides.h"

namespace {

QString childPath(const TreeFolder &folder, const RemoteEntry &entry)
{
    return RemoteNameRules::localChildPath(folder.path, entry.name);
}

RemoteError refusal(const QString &reason)
{
    return RemoteError::own(RemoteErrorKind::LocalFile, RemoteErrorCode::LocalFileError, reason);
}

} // namespace

// The disk answers at once: nothing stops or drops the walk.
class LocalTreeDelete::Host : public RemoteTreeWalk::Host
{
public:
    explicit Host(SessionLog &log) : m_log(log) {}

    void report(const RemoteActivity &activity) override
    {
        m_log.append(RemoteTexts::logLine(activity));
    }
    bool connected() const override { return true; }
    bool stopRequested() const override { return false; }
    bool dropRequested() const override { return false; }

private:
    SessionLog &m_log;
};

class LocalTreeDelete::Delete : public RemoteTreeWalk::Action
{
public:
    explicit Delete(bool hiddenShown) : m_hiddenShown(hiddenShown) {}

    std::optional<RemoteText> passOver(const TreeFolder &, const RemoteEntry &entry) override
    {
        if (!m_hiddenShown && entry.name.startsWith(QLatin1Char('.')))
            return RemoteText(RemoteMessage::HiddenKept);
        return std::nullopt;
    }
    bool walksLinks() const override { return false; }
    std::optional<RemoteError> intoFolder(const TreeFolder &, const RemoteEntry &) override
    {
        return std::nullopt;
    }
    std::optional<RemoteError> outOfFolder(const TreeFolder &folder,
                                           const RemoteEntry &entry) override
    {
        QString error;
        if (!LocalFiles::removeDirectory(childPath(folder, entry), &error))
            return refusal(error);
        return std::nullopt;
    }
    void file(const TreeFolder &folder, const RemoteEntry &entry) override
    {
        QString error;
        if (!LocalFiles::removeFile(childPath(folder, entry), &error))
            throw refusal(error);
    }
    RemoteMessage doing() const override { return RemoteMessage::WordDelete; }
    RemoteMessage specialReason() const override { return RemoteMessage::SpecialFile; }
    RemoteMessage againReason() const override { return RemoteMessage::FolderDeletedAlready; }
    RemoteText linkOutReason(const QString &target) const override
    {
        return RemoteText(RemoteMessage::LinkOutOfFolder, {target});
    }

private:
    bool m_hiddenShown;
};

LocalTreeDelete::LocalTreeDelete(SessionLog &log, bool hiddenShown)
    : m_log(log), m_hiddenShown(hiddenShown)
{}

bool LocalTreeDelete::remove(const QString &path, QString *error)
{
    // A link to a folder is not the folder: only the link goes.
    if (LocalFiles::isLink(path))
        return LocalFiles::removeFile(path, error);
    Host host(m_log);
    Delete action(m_hiddenShown);
    LocalTreeSide side(path);
    RemoteTreeWalk walk(side, action, host);
    walk.walk(side.confirm(), {}, {});
    if (walk.failures() > 0) {
        *error = RemoteTexts::words(RemoteText(RemoteMessage::TreeIncomplete,
                                               {walk.failures(), RemoteMessage::WordDelete}));
        return false;
    }
    return LocalFiles::removeDirectory(path, error);
}
