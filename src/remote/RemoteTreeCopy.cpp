#include "remote/RemoteTreeCopy.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteEngine.h"
#include "remote/RemoteEventSink.h"
#include "remote/RemoteFileCheck.h"
#include "remote/RemoteInterrupt.h"
#include "remote/RemoteTreeWalk.h"
#include "remote/TreeSides.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QVector>

namespace {

void checkName(const QString &name)
{
    if (RemoteNameRules::holdsLineBreak(name))
        throw RemoteError::own(RemoteErrorKind::InvalidArgument, RemoteErrorCode::InvalidName,
                               RemoteMessage::NameHoldsLineBreak);
}

RemoteError localFolderError(const QString &path)
{
    return RemoteError::own(
        RemoteErrorKind::LocalFile, RemoteErrorCode::LocalFileError,
        RemoteText(RemoteMessage::CannotMakeLocalFolder, {QDir::toNativeSeparators(path)}));
}

RemoteError cannotReturnUp()
{
    return RemoteError::own(RemoteErrorKind::ProtocolError, RemoteErrorCode::BadReply,
                            RemoteMessage::CannotReturnUp);
}

// A refusal of the server's own, not a condition of the session.
bool isRefusal(const RemoteError &error)
{
    switch (error.kind) {
    case RemoteErrorKind::Refused:
    case RemoteErrorKind::NotFound:
    case RemoteErrorKind::NoPermission:
    case RemoteErrorKind::Unsupported:
        return true;
    default:
        return false;
    }
}

} // namespace

class RemoteTreeCopy::Host : public RemoteTreeWalk::Host
{
public:
    Host(RemoteEngine &engine, RemoteEventSink &sink, const RemoteInterrupt &interrupt)
        : m_engine(engine), m_sink(sink), m_interrupt(interrupt)
    {}

    void report(const RemoteActivity &activity) override { m_sink.activity(activity); }
    bool connected() const override { return m_engine.connected(); }
    bool stopRequested() const override { return m_interrupt.stopRequested(); }
    bool dropRequested() const override { return m_interrupt.dropRequested(); }

private:
    RemoteEngine &m_engine;
    RemoteEventSink &m_sink;
    const RemoteInterrupt &m_interrupt;
};

// Server to disk: each folder entered on the server has its local folder.
class RemoteTreeCopy::Download : public RemoteTreeWalk::Action
{
public:
    Download(RemoteEngine &engine, RemoteEventSink &sink, RemoteFileCheck &check,
             const QString &localFolder)
        : m_engine(engine), m_sink(sink), m_check(check), m_local({localFolder})
    {}

    std::optional<RemoteText> passOver(const TreeFolder &, const RemoteEntry &entry) override
    {
        if (!RemoteNameRules::isSafeLocalName(entry.name))
            return RemoteText(RemoteMessage::UnsafeLocalName);
        if (QFileInfo(localPath(entry)).isSymLink())
            return RemoteText(RemoteMessage::LocalLinkInTheWay);
        return std::nullopt;
    }

    std::optional<RemoteError> intoFolder(const TreeFolder &, const RemoteEntry &entry) override
    {
        const QString path = localPath(entry);
        if (!QFileInfo(path).isDir() && !QDir().mkdir(path))
            return localFolderError(path);
        m_local.append(path);
        return std::nullopt;
    }

    std::optional<RemoteError> outOfFolder(const TreeFolder &, const RemoteEntry &) override
    {
        m_local.removeLast();
        return std::nullopt;
    }

    void file(const TreeFolder &, const RemoteEntry &entry) override
    {
        fetch(entry.name, localPath(entry), entry.kind == RemoteEntryKind::File ? entry.size : -1);
    }

    // The folder to copy is no folder: a link to a file, shown as a link in
    // the listing. Fetched as the file it is, into the place of the local
    // folder when that is still empty (the caller made it for the copy),
    // else into it. Should the server refuse to send it too, its refusal
    // of the folder is the one to tell.
    bool fetchFolderAsFile(const QString &folder, const RemoteError &refusal)
    {
        const QString localFolder = m_local.first();
        QString target = localFolder;
        const QFileInfo info(localFolder);
        bool removedFolder = false;
        if (info.isDir() && !info.isSymLink()) {
            if (QDir(localFolder)
                    .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                             QDir::NoDotAndDotDot)) {
                removedFolder = QDir().rmdir(localFolder);
                if (!removedFolder)
                    return false;
            } else {
                const QString name =
                    folder.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty);
                if (!RemoteNameRules::isSafeLocalName(name))
                    return false;
                target = RemoteNameRules::localChildPath(localFolder, name);
            }
        }
        try {
            fetch(folder, target, -1);
        } catch (const RemoteError &error) {
            if (removedFolder)
                QDir().mkdir(localFolder);
            if (isRefusal(error) && m_engine.connected())
                throw refusal;
            throw;
        }
        return true;
    }

    RemoteMessage doing() const override { return RemoteMessage::WordDownload; }
    RemoteMessage specialReason() const override { return RemoteMessage::SpecialFile; }
    RemoteMessage againReason() const override { return RemoteMessage::FolderCopiedAlready; }
    RemoteText linkOutReason(const QString &target) const override
    {
        return RemoteText(RemoteMessage::RemoteLinkOutOfFolder, {target});
    }

private:
    QString localPath(const RemoteEntry &entry) const
    {
        return RemoteNameRules::localChildPath(m_local.last(), entry.name);
    }

    void fetch(const QString &remote, const QString &local, qint64 knownSize)
    {
        RemoteActivity started = RemoteActivity::note(
            RemoteActivityKind::FileStarted,
            RemoteText(RemoteMessage::DownloadingTo,
                       {RemoteNameRules::printable(remote), QDir::toNativeSeparators(local)}));
        started.remotePath = remote;
        started.localPath = local;
        m_sink.activity(started);
        m_check.transfer(remote, local, 0, [&] { m_engine.fetch(remote, local, knownSize); });
    }

    RemoteEngine &m_engine;
    RemoteEventSink &m_sink;
    RemoteFileCheck &m_check;
    QStringList m_local;
};

// Disk to server: each local folder has its folder on the server, made
// when missing.
class RemoteTreeCopy::Upload : public RemoteTreeWalk::Action
{
public:
    Upload(RemoteEngine &engine, RemoteEventSink &sink, RemoteFileCheck &check,
           const RemoteFolder &start)
        : m_engine(engine), m_sink(sink), m_check(check), m_remote({start})
    {}

    std::optional<RemoteText> passOver(const TreeFolder &, const RemoteEntry &entry) override
    {
        if (RemoteNameRules::holdsLineBreak(entry.name))
            return RemoteText(RemoteMessage::UnsendableName);
        return std::nullopt;
    }

    std::optional<RemoteError> intoFolder(const TreeFolder &, const RemoteEntry &entry) override
    {
        // Made first: that fails harmlessly when the folder is there already.
        const std::optional<RemoteError> made = m_engine.makeFolder(entry.name);
        if (const std::optional<RemoteError> refusal = m_engine.enter(entry.name))
            return made ? *made : *refusal;
        try {
            m_remote.append(m_engine.confirmFolder());
        } catch (const RemoteError &error) {
            if (!m_engine.connected())
                throw;
            backUp();
            return error;
        }
        return std::nullopt;
    }

    std::optional<RemoteError> outOfFolder(const TreeFolder &, const RemoteEntry &) override
    {
        m_remote.removeLast();
        backUp();
        return std::nullopt;
    }

    void file(const TreeFolder &folder, const RemoteEntry &entry) override
    {
        const QString local = RemoteNameRules::localChildPath(folder.path, entry.name);
        RemoteActivity started = RemoteActivity::note(
            RemoteActivityKind::FileStarted,
            RemoteText(RemoteMessage::UploadingTo,
                       {QDir::toNativeSeparators(local), RemoteNameRules::printable(entry.name)}));
        started.remotePath = entry.name;
        started.localPath = local;
        m_sink.activity(started);
        m_check.transfer(entry.name, local, 0, [&] { m_engine.send(local, entry.name); });
    }

    RemoteMessage doing() const override { return RemoteMessage::WordUpload; }
    RemoteMessage specialReason() const override { return RemoteMessage::SpecialOrBrokenLink; }
    RemoteMessage againReason() const override { return RemoteMessage::FolderUploadedAlready; }
    RemoteText linkOutReason(const QString &target) const override
    {
        return RemoteText(RemoteMessage::LinkOutOfFolder, {QDir::toNativeSeparators(target)});
    }

private:
    void backUp()
    {
        if (!m_engine.returnTo(m_remote.last()))
            throw cannotReturnUp();
    }

    RemoteEngine &m_engine;
    RemoteEventSink &m_sink;
    RemoteFileCheck &m_check;
    QVector<RemoteFolder> m_remote;
};

RemoteTreeCopy::RemoteTreeCopy(RemoteEngine &engine, RemoteEventSink &sink,
                               const RemoteInterrupt &interrupt, RemoteFileCheck &check)
    : m_engine(engine), m_sink(sink), m_interrupt(interrupt), m_check(check)
{}

namespace {

// Into `folder`, made level by level where missing: "a", "a/b", "a/b/c".
void enterOrCreate(RemoteEngine &engine, const QString &folder)
{
    if (!engine.enter(folder))
        return;
    std::optional<RemoteError> made;
    qsizetype slash = folder.startsWith(QLatin1Char('/')) ? 0 : -1;
    do {
        slash = folder.indexOf(QLatin1Char('/'), slash + 1);
        const QString level = slash < 0 ? folder : folder.left(slash);
        if (!level.isEmpty() && level != QLatin1String("/"))
            made = engine.makeFolder(level);
    } while (slash >= 0);
    if (engine.enter(folder)) {
        if (made)
            throw *made;
        throw RemoteError::own(RemoteErrorKind::ProtocolError, RemoteErrorCode::BadReply,
                               RemoteText(RemoteMessage::CannotEnter, {folder}));
    }
}

} // namespace

void RemoteTreeCopy::download(const QString &remotePattern, const QString &localFolder)
{
    checkName(remotePattern);
    const RemoteNameRules::Pattern pattern = RemoteNameRules::splitRemotePattern(remotePattern);
    if (localFolder.isEmpty())
        throw RemoteError::own(RemoteErrorKind::InvalidArgument, RemoteErrorCode::InvalidArgument,
                               RemoteMessage::EmptyLocalFolder);
    Host host(m_engine, m_sink, m_interrupt);
    EngineTreeSide side(m_engine);
    Download action(m_engine, m_sink, m_check, localFolder);
    RemoteTreeWalk walk(side, action, host);
    walkFromHere(m_engine, RemoteMessage::WordDownload, [&](const RemoteFolder &start) {
        RemoteFolder root = start;
        if (!pattern.folder.isEmpty()) {
            if (const std::optional<RemoteError> refusal = m_engine.enter(pattern.folder)) {
                // Permanent refusals only: a folder the server could not
                // enter for the moment is not taken for a file.
                if (pattern.selectsAll() && refusal->number >= 500 &&
                    action.fetchFolderAsFile(pattern.folder, *refusal))
                    return 0;
                throw *refusal;
            }
            root = m_engine.confirmFolder();
        }
        if (!QDir().mkpath(localFolder))
            throw localFolderError(localFolder);
        walk.walk({root.path, root.raw}, m_engine.folderIdentity(), pattern);
        return walk.failures();
    });
}

void RemoteTreeCopy::upload(const QString &localPattern, const QString &remoteFolder)
{
    checkName(remoteFolder);
    const RemoteNameRules::Pattern pattern = RemoteNameRules::splitLocalPattern(localPattern);
    const QFileInfo root(pattern.folder.isEmpty() ? QStringLiteral(".") : pattern.folder);
    if (!root.isDir())
        throw RemoteError::own(
            RemoteErrorKind::LocalFile, RemoteErrorCode::LocalFileError,
            RemoteText(RemoteMessage::NoLocalFolder, {QDir::toNativeSeparators(pattern.folder)}));
    Host host(m_engine, m_sink, m_interrupt);
    walkFromHere(m_engine, RemoteMessage::WordUpload, [&](const RemoteFolder &start) {
        RemoteFolder target = start;
        if (!remoteFolder.isEmpty()) {
            enterOrCreate(m_engine, remoteFolder);
            target = m_engine.confirmFolder();
        }
        LocalTreeSide side(root.filePath());
        Upload action(m_engine, m_sink, m_check, target);
        RemoteTreeWalk walk(side, action, host);
        walk.walk(side.confirm(), {}, pattern);
        return walk.failures();
    });
}
