#include "ClientCommands.h"

#include "ListingFormat.h"
#include "ProgressBar.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteNameRules.h"
#include "remote/RemoteSession.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace {

const ClientCommands::Syntax Commands[] = {
    {"ls", 0, 1, "ls [DIR]", 0b01},
    {"get", 1, 2, "get REMOTE [LOCAL]", 0b01},
    {"put", 1, 2, "put LOCAL [REMOTE]", 0b10},
    {"mirror", 2, 2, "mirror REMOTE_DIR LOCAL_DIR", 0b01},
    {"mput", 2, 2, "mput LOCAL_DIR REMOTE_DIR", 0b10},
    {"mkdir", 1, 1, "mkdir DIR", 0b01},
    {"rmdir", 1, 1, "rmdir DIR", 0b01},
    {"rm", 1, 1, "rm FILE", 0b01},
    {"mv", 2, 2, "mv OLD NEW", 0b11},
    {"pwd", 0, 0, "pwd", 0},
};

// Listing lines go out in blocks of this size, never one write per line.
constexpr qsizetype OutputBlock = 64 * 1024;

QString lastComponent(const QString &remotePath)
{
    return remotePath.section(QLatin1Char('/'), -1);
}

// The folder `remotePath` lies in: "" for the current directory.
QString parentOf(const QString &remotePath)
{
    const qsizetype slash = remotePath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    return slash == 0 ? QStringLiteral("/") : remotePath.left(slash);
}

QString joined(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// A local path as the user gave it, never a Qt resource path (":name").
QString plainLocalPath(const QString &path)
{
    return path.startsWith(QLatin1Char(':')) ? QStringLiteral("./") + path : path;
}

bool isServerRefusal(const RemoteError &error)
{
    return error.number < 1000;
}

RemoteError toolError(RemoteErrorKind kind, int number, RemoteText text)
{
    return RemoteError::own(kind, number, std::move(text));
}

} // namespace

const ClientCommands::Syntax *ClientCommands::find(const QString &name)
{
    for (const Syntax &syntax : Commands)
        if (name == QLatin1String(syntax.name))
            return &syntax;
    return nullptr;
}

QList<ClientCommands::Syntax> ClientCommands::all()
{
    return QList<Syntax>(std::begin(Commands), std::end(Commands));
}

ClientCommands::ClientCommands(RemoteSession &session, ProgressBar &progress, std::FILE *out)
    : m_session(session), m_progress(progress), m_out(out)
{}

void ClientCommands::enterStartDirectory(const QString &path)
{
    if (path.isEmpty())
        return;
    m_session.setCurrentDirectory(path);
}

void ClientCommands::run(const QString &command, const QStringList &arguments, bool resume)
{
    const QString first = arguments.value(0);
    const QString second = arguments.value(1);
    if (command == QLatin1String("ls")) {
        list(first);
    } else if (command == QLatin1String("get")) {
        get(first, plainLocalPath(second), resume);
    } else if (command == QLatin1String("put")) {
        put(plainLocalPath(first), second, resume);
    } else if (command == QLatin1String("mirror")) {
        mirror(first, plainLocalPath(second));
    } else if (command == QLatin1String("mput")) {
        mput(plainLocalPath(first), second);
    } else if (command == QLatin1String("mkdir")) {
        m_session.MakeRemoteDirectory(first);
    } else if (command == QLatin1String("rmdir")) {
        m_session.RemoveRemoteDirectory(first);
    } else if (command == QLatin1String("rm")) {
        m_session.DeleteRemoteFile(first);
    } else if (command == QLatin1String("mv")) {
        m_session.RenameRemote(first, second);
    } else if (command == QLatin1String("pwd")) {
        printWorkingDirectory();
    }
}

// Printed while the listing comes in: a long listing is written while the
// rest of it is still being read.
void ClientCommands::list(const QString &folder)
{
    QByteArray block;
    block.reserve(OutputBlock + 4096);
    std::optional<RemoteError> failure;
    const auto print = [&](const QVector<RemoteEntry> &entries) {
        for (const RemoteEntry &entry : entries) {
            if (entry.rawName == "." || entry.rawName == "..")
                continue;
            ListingFormat::appendLine(entry, block);
            if (block.size() >= OutputBlock && !failure) {
                // Never thrown from inside the session's call.
                failure = writeFailure(block);
                block.resize(0); // keeps its room for the next block
            }
        }
    };
    const QMetaObject::Connection printing =
        QObject::connect(&m_session, &RemoteSession::EntriesRead, print);
    try {
        m_session.ListDirectory(folder);
    } catch (...) {
        QObject::disconnect(printing);
        throw;
    }
    QObject::disconnect(printing);
    if (failure)
        throw *failure;
    write(block);
}

void ClientCommands::get(const QString &remote, QString local, bool resume)
{
    // Into a folder (or the current one) under the remote name, like cp.
    if (local.isEmpty() || QFileInfo(local).isDir()) {
        const QString name = lastComponent(remote);
        if (!RemoteNameRules::isSafeLocalName(name))
            throw toolError(RemoteErrorKind::InvalidArgument, RemoteErrorCode::InvalidArgument,
                            RemoteText(RemoteMessage::NotALocalName, {remote}));
        local = RemoteNameRules::localChildPath(local, name);
    }
    const QFileInfo target(local);
    qint64 offset = resume && target.isFile() ? target.size() : 0;
    m_progress.startFile(lastComponent(remote));
    m_session.DownloadFile(remote, local, offset);
}

void ClientCommands::put(const QString &local, QString remote, bool resume)
{
    if (remote.isEmpty() || remote.endsWith(QLatin1Char('/')))
        remote += QFileInfo(local).fileName();
    qint64 offset = 0;
    if (resume) {
        m_session.setUploadMode(RemoteUploadMode::Resume);
        offset = remoteFileSize(remote);
    }
    m_progress.startFile(QFileInfo(local).fileName());
    m_session.UploadFile(remote, local, offset);
}

void ClientCommands::mirror(const QString &remoteFolder, const QString &localFolder)
{
    // In quotes, so that blanks at either end of the folder's name stay.
    const QString pattern =
        remoteFolder.isEmpty() ? QStringLiteral("*") : joined(remoteFolder, QStringLiteral("*"));
    m_session.DownloadMany(QLatin1Char('"') + pattern + QLatin1Char('"'), localFolder);
}

void ClientCommands::mput(const QString &localFolder, const QString &remoteFolder)
{
    const QString pattern =
        QDir::toNativeSeparators(localFolder.isEmpty() ? QStringLiteral(".") : localFolder) +
        QDir::separator() + QLatin1Char('*');
    m_session.UploadMany(QLatin1Char('"') + pattern + QLatin1Char('"'), remoteFolder);
}

void ClientCommands::printWorkingDirectory()
{
    const QString directory = m_session.CurrentDirectory();
    if (directory.isEmpty())
        throw toolError(RemoteErrorKind::ProtocolError, RemoteErrorCode::BadReply,
                        RemoteMessage::NoCurrentDirectory);
    write(directory.toUtf8() + '\n');
}

void ClientCommands::write(const QByteArray &bytes)
{
    if (const std::optional<RemoteError> failure = writeFailure(bytes))
        throw *failure;
}

std::optional<RemoteError> ClientCommands::writeFailure(const QByteArray &bytes)
{
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out) == size_t(bytes.size()) &&
        std::fflush(m_out) == 0)
        return std::nullopt;
    return toolError(RemoteErrorKind::LocalFile, RemoteErrorCode::LocalFileError,
                     RemoteText(RemoteMessage::CannotWriteOutput,
                                {QString::fromLocal8Bit(std::strerror(errno))}));
}

// The size of the remote file, from a listing of its folder; 0 when it is
// not there (a resumed upload then sends the whole file).
qint64 ClientCommands::remoteFileSize(const QString &remote)
{
    try {
        m_session.ListDirectory(parentOf(remote));
    } catch (const RemoteError &error) {
        if (!isServerRefusal(error))
            throw;
        return 0;
    }
    const QString name = lastComponent(remote);
    for (const RemoteEntry &entry : m_session.ListingEntries().entries) {
        if (entry.name != name || entry.kind == RemoteEntryKind::Folder)
            continue;
        if (entry.size < 0)
            throw toolError(RemoteErrorKind::CannotResume, RemoteErrorCode::CannotResume,
                            RemoteText(RemoteMessage::UnknownRemoteSize, {remote}));
        return entry.size;
    }
    return 0;
}
