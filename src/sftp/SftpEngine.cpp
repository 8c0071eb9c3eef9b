#include "sftp/SftpEngine.h"

#include "remote/RemoteInterrupt.h"
#include "remote/RemoteNameEvidence.h"
#include "sftp/SftpAuthenticator.h"
#include "sftp/SftpDownload.h"
#include "sftp/SftpEventSink.h"
#include "sftp/SftpHostKeyCheck.h"
#include "sftp/SftpPaths.h"
#include "sftp/SftpProtocol.h"
#include "sftp/SftpRefusal.h"
#include "sftp/SftpRequest.h"
#include "sftp/SftpTcp.h"
#include "sftp/SftpUpload.h"

#include <unordered_map>
#include <unordered_set>

namespace {

// Reads of a folder kept in flight: OpenSSH sends 100 names a reply.
constexpr qsizetype FolderReadsInFlight = 4;
constexpr qsizetype MaxEntries = 1000000;

// Errors after which the connection cannot be trusted to be in step.
bool closesSession(SftpErrorKind kind)
{
    return kind == SftpErrorKind::TimedOut || kind == SftpErrorKind::ConnectionLost ||
           kind == SftpErrorKind::Dropped || kind == SftpErrorKind::ProtocolError;
}

RemoteNameCodec::Choice choiceOf(SftpNameEncoding encoding)
{
    switch (encoding) {
    case SftpNameEncoding::Utf8:
        return RemoteNameCodec::Choice::Utf8;
    case SftpNameEncoding::Gbk:
        return RemoteNameCodec::Choice::Gb18030;
    case SftpNameEncoding::Auto:
        break;
    }
    return RemoteNameCodec::Choice::Undecided;
}

SftpError invalid(const QString &subject, const QString &detail)
{
    return SftpError{SftpErrorKind::InvalidArgument, -1, {}, subject, detail};
}

// A server reads paths as C strings: a NUL would cut the path short and
// address another file.
void checkPath(const QString &path)
{
    if (path.isEmpty())
        throw invalid(path, QStringLiteral("empty path"));
    if (path.contains(QChar(0)))
        throw invalid(path, QStringLiteral("NUL in the path"));
}

void refuseDotOperand(const QString &path)
{
    if (SftpPaths::isDotOperand(path))
        throw invalid(path, QStringLiteral(". or .. as the last part"));
}

bool isFolder(const SftpAttributes &attributes)
{
    return attributes.has(SftpAttributeFlag::Permissions) &&
           (attributes.permissions & SftpFileType::Mask) == SftpFileType::Directory;
}

} // namespace

SftpEngine::SftpEngine(RemoteInterrupt &interrupt, SftpEventSink &sink)
    : m_interrupt(interrupt), m_sink(sink), m_transport(interrupt), m_client(m_transport)
{}

void SftpEngine::setSettings(const SftpSettings &settings)
{
    m_settings = settings;
    m_transport.setTimeoutMs(settings.timeoutMs > 0 ? settings.timeoutMs : 30000);
}

void SftpEngine::setState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    m_sink.stateChanged(state);
}

// Runs one operation; afterwards the state matches the connection. A stop
// reaches the caller as Stopped, with the session still connected.
template <typename Operation> void SftpEngine::guarded(Operation &&operation)
{
    try {
        operation();
    } catch (const SftpStopRequest &) {
        throw SftpError{SftpErrorKind::Stopped, -1, {}, {}, {}};
    } catch (const SftpError &error) {
        if (closesSession(error.kind) || (m_state != SftpState::Closed && !m_transport.isOpen()))
            closeConnection(false);
        throw;
    }
}

void SftpEngine::requireConnected() const
{
    if (m_state != SftpState::Connected || !m_transport.isOpen())
        throw SftpError{SftpErrorKind::NotConnected, -1, {}, {}, {}};
}

void SftpEngine::closeConnection(bool polite)
{
    const bool wasOpen = m_transport.isOpen() || m_state != SftpState::Closed;
    if (polite)
        m_transport.close();
    else
        m_transport.drop();
    m_client.reset();
    m_directory.clear();
    if (wasOpen)
        m_sink.activity({SftpActivity::ConnectionClosed, {}, {}, 0, -1});
    setState(SftpState::Closed);
}

void SftpEngine::dropNow()
{
    // The session reports the change of state itself, at once.
    m_transport.drop();
    m_client.reset();
    m_directory.clear();
    m_state = SftpState::Closed;
}

void SftpEngine::quit()
{
    guarded([&] {
        if (m_transport.isOpen()) {
            try {
                m_client.flush();
            } catch (const SftpError &) {
                // Closing anyway.
            }
        }
        closeConnection(true);
    });
}

QString SftpEngine::currentDirectory() const
{
    return m_directory.isEmpty() ? QString() : m_codec.decode(m_directory);
}

QString SftpEngine::absolute(const QString &path) const
{
    return SftpPaths::absolute(currentDirectory(), path);
}

void SftpEngine::decideEncodingFor(const QString &path)
{
    bool ascii = true;
    for (QChar c : path)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii || m_codec.isDecided())
        return;
    // The names already in the folder say how this one is to be written.
    const QString folder = SftpPaths::parent(path);
    const QByteArray raw = m_codec.encode(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (m_probed.contains(raw))
        return;
    m_probed.insert(raw);
    try {
        readFolder(raw, folder);
    } catch (const SftpError &error) {
        if (closesSession(error.kind) || error.kind == SftpErrorKind::Stopped)
            throw;
    }
}

QByteArray SftpEngine::encode(const QString &path)
{
    decideEncodingFor(path);
    return m_codec.encode(path);
}

void SftpEngine::readConnectionInfo()
{
    ssh_session session = m_transport.session();
    const auto text = [](const char *value) { return QString::fromUtf8(value ? value : ""); };
    m_info.serverBanner = text(ssh_get_serverbanner(session));
    m_info.keyExchange = text(ssh_get_kex_algo(session));
    m_info.cipher = text(ssh_get_cipher_out(session));
    m_info.mac = text(ssh_get_hmac_out(session));
    m_sink.activity({SftpActivity::ServerBanner, {}, m_info.serverBanner, 0, -1});
    m_sink.activity(
        {SftpActivity::Encryption,
         {},
         QStringLiteral("%1, %2, %3").arg(m_info.keyExchange, m_info.cipher, m_info.mac),
         0,
         -1});
}

void SftpEngine::acceptHostKey(const SftpLogin &login)
{
    const QString host = login.host.trimmed();
    SftpHostKey key = SftpHostKeyCheck::inspect(m_transport.session(), host, login.port,
                                                m_settings.trustedHostKeys);
    m_info.hostKey = key;
    if (key.state == SftpHostKeyState::Unknown || key.state == SftpHostKeyState::Changed) {
        if (m_sink.hostKeyQuestion(key) == SftpTrust::Refuse)
            throw SftpError{SftpErrorKind::HostKeyRefused, -1, {}, host, key.fingerprint};
    }
    m_sink.activity({SftpActivity::HostKeyAccepted, host,
                     key.type + QLatin1Char(' ') + key.fingerprint, qint64(key.state), -1});
}

void SftpEngine::startDirectory()
{
    try {
        m_directory = realPath(".", QStringLiteral("."));
    } catch (const SftpError &error) {
        // Logged in all the same; only the current directory stays unknown.
        if (closesSession(error.kind))
            throw;
        m_directory.clear();
    }
}

void SftpEngine::open(const SftpLogin &login)
{
    guarded([&] {
        const QString host = login.host.trimmed();
        if (host.isEmpty() || login.port < 1 || login.port > 65535)
            throw invalid(host, QStringLiteral("port %1").arg(login.port));
        if (m_transport.isOpen())
            closeConnection(true);
        m_info = SftpConnectionInfo();
        m_codec.reset(choiceOf(m_settings.nameEncoding));
        m_probed.clear();
        m_directory.clear();
        setState(SftpState::Connecting);
        try {
            QString where;
            const int fd = SftpTcp::connect(
                host, login.port, m_transport.timeoutMs(), m_interrupt,
                [&](const QString &address) {
                    where = address;
                    m_sink.activity({SftpActivity::Connecting, host, address, 0, -1});
                });
            m_sink.activity({SftpActivity::Connected, host, where, 0, -1});
            m_transport.handshake(fd, login, m_settings);
            readConnectionInfo();
            acceptHostKey(login);
            const QString method = SftpAuthenticator(m_transport, m_sink, login).logIn();
            m_transport.startSftp();
            m_client.start();
            m_info.sftpVersion = m_client.server().version;
            m_info.extensions = m_client.server().extensions;
            m_sink.activity({SftpActivity::SftpStarted, host,
                             QString::fromLatin1(m_info.extensions.join(", ")),
                             qint64(m_info.sftpVersion), -1});
            startDirectory();
            m_sink.activity(
                {SftpActivity::LoggedIn, login.user + QLatin1Char('@') + host, method, 0, -1});
            setState(SftpState::Connected);
        } catch (const SftpStopRequest &) {
            closeConnection(false);
            throw SftpError{SftpErrorKind::Stopped, -1, {}, host, {}};
        } catch (const SftpError &) {
            closeConnection(false);
            throw;
        }
    });
}

QByteArray SftpEngine::realPath(const QByteArray &raw, const QString &shown)
{
    const quint32 id = m_client.nextId();
    const SftpReply &reply =
        m_client.call(id, SftpRequest(SftpPacketType::Realpath, id).string(raw).take());
    SftpRefusal::expect(reply, SftpPacketType::Name, shown);
    if (reply.names.isEmpty() || !reply.names.first().name.startsWith('/'))
        throw SftpError{SftpErrorKind::ProtocolError,
                        -1,
                        {},
                        shown,
                        QStringLiteral("realpath without an absolute path")};
    const QByteArray result = reply.names.first().name;
    RemoteNameEvidence evidence;
    for (const QByteArray &part : result.split('/'))
        evidence.add(part);
    m_codec.decide(evidence);
    return result;
}

void SftpEngine::changeDirectory(const QString &path)
{
    guarded([&] {
        requireConnected();
        checkPath(path);
        const QString target = absolute(path);
        const QByteArray raw = encode(target);
        // realpath and stat together: one round trip.
        const quint32 realId = m_client.nextId();
        m_client.send(realId, SftpRequest(SftpPacketType::Realpath, realId).string(raw).take());
        const quint32 statId = m_client.nextId();
        m_client.send(statId, SftpRequest(SftpPacketType::Stat, statId).string(raw).take());
        QByteArray resolved;
        std::optional<SftpError> failure;
        bool folder = false;
        try {
            for (int replies = 0; replies < 2; ++replies) {
                const SftpReply &reply = m_client.next();
                try {
                    if (reply.id == realId) {
                        SftpRefusal::expect(reply, SftpPacketType::Name, target);
                        if (!reply.names.isEmpty())
                            resolved = reply.names.first().name;
                    } else {
                        SftpRefusal::expect(reply, SftpPacketType::Attrs, target);
                        folder = isFolder(reply.attributes);
                    }
                } catch (const SftpError &error) {
                    if (!failure || error.kind == SftpErrorKind::ProtocolError)
                        failure = error;
                }
            }
        } catch (const SftpStopRequest &) {
            m_client.abandon(realId);
            m_client.abandon(statId);
            throw;
        }
        if (failure)
            throw *failure;
        if (!resolved.startsWith('/'))
            throw SftpError{SftpErrorKind::ProtocolError,
                            -1,
                            {},
                            target,
                            QStringLiteral("realpath without an absolute path")};
        if (!folder)
            throw SftpError{SftpErrorKind::NotAFolder, -1, {}, target, {}};
        m_directory = resolved;
        RemoteNameEvidence evidence;
        for (const QByteArray &part : resolved.split('/'))
            evidence.add(part);
        m_codec.decide(evidence);
    });
}

void SftpEngine::parentDirectory()
{
    const QString current = currentDirectory();
    changeDirectory(current.isEmpty() ? QStringLiteral("..") : current + QStringLiteral("/.."));
}

QVector<SftpNameItem> SftpEngine::readFolder(const QByteArray &raw, const QString &shown)
{
    const quint32 openId = m_client.nextId();
    const SftpReply &opened =
        m_client.call(openId, SftpRequest(SftpPacketType::Opendir, openId).string(raw).take());
    SftpRefusal::expect(opened, SftpPacketType::Handle, shown);
    const QByteArray handle = opened.handle;
    QVector<SftpNameItem> items;
    std::unordered_set<quint32> reads;
    bool end = false;
    const auto closeHandle = [&] {
        for (quint32 id : reads)
            m_client.abandon(id);
        const quint32 id = m_client.nextId();
        m_client.send(id, SftpRequest(SftpPacketType::Close, id).string(handle).take());
        m_client.abandon(id);
    };
    try {
        for (;;) {
            while (!end && qsizetype(reads.size()) < FolderReadsInFlight) {
                const quint32 id = m_client.nextId();
                m_client.send(id, SftpRequest(SftpPacketType::Readdir, id).string(handle).take());
                reads.insert(id);
            }
            if (reads.empty())
                break;
            const SftpReply &reply = m_client.next();
            reads.erase(reply.id);
            if (reply.type == SftpPacketType::Status && reply.status == SftpStatus::Eof) {
                end = true;
                continue;
            }
            SftpRefusal::expect(reply, SftpPacketType::Name, shown);
            items += reply.names;
            if (items.size() > MaxEntries)
                throw SftpError{
                    SftpErrorKind::ListingTooLong, -1, {}, shown, QString::number(items.size())};
        }
    } catch (const SftpStopRequest &) {
        closeHandle();
        throw;
    } catch (const SftpError &error) {
        if (m_transport.isOpen() && !closesSession(error.kind))
            closeHandle();
        throw;
    }
    closeHandle();
    RemoteNameEvidence evidence;
    for (const SftpNameItem &item : std::as_const(items))
        evidence.add(item.name);
    m_codec.decide(evidence);
    return items;
}

void SftpEngine::resolveLinks(const QByteArray &folder, QVector<SftpEntry> &entries)
{
    QVector<qsizetype> links;
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (entries.at(i).kind == SftpEntryKind::Link)
            links.append(i);
    const QByteArray base = folder.endsWith('/') ? folder : folder + '/';
    struct Question
    {
        qsizetype entry;
        bool target; // stat; else readlink
    };
    std::unordered_map<quint32, Question> asked;
    const qsizetype depth = qMax(2, m_settings.requestsInFlight);
    qsizetype next = 0;
    try {
        while (next < links.size() || !asked.empty()) {
            while (next < links.size() && qsizetype(asked.size()) + 2 <= depth) {
                const QByteArray path = base + entries.at(links.at(next)).rawName;
                const quint32 statId = m_client.nextId();
                m_client.send(statId,
                              SftpRequest(SftpPacketType::Stat, statId).string(path).take());
                asked.emplace(statId, Question{links.at(next), true});
                const quint32 readId = m_client.nextId();
                m_client.send(readId,
                              SftpRequest(SftpPacketType::Readlink, readId).string(path).take());
                asked.emplace(readId, Question{links.at(next), false});
                ++next;
            }
            const SftpReply &reply = m_client.next();
            const Question question = asked.at(reply.id);
            asked.erase(reply.id);
            SftpEntry &entry = entries[question.entry];
            // A link whose target is gone or out of reach stays a link.
            if (question.target && reply.type == SftpPacketType::Attrs &&
                isFolder(reply.attributes))
                entry.kind = SftpEntryKind::LinkToFolder;
            else if (!question.target && reply.type == SftpPacketType::Name &&
                     !reply.names.isEmpty())
                entry.linkTarget = m_codec.decode(reply.names.first().name);
        }
    } catch (...) {
        for (const auto &question : asked)
            m_client.abandon(question.first);
        throw;
    }
}

SftpListing SftpEngine::list(const QString &path)
{
    SftpListing listing;
    guarded([&] {
        requireConnected();
        const QString folder = path.isEmpty() ? currentDirectory() : absolute(path);
        const QString shown = folder.isEmpty() ? QStringLiteral(".") : folder;
        checkPath(shown);
        const QByteArray raw = encode(shown);
        const QVector<SftpNameItem> items = readFolder(raw, shown);
        listing.path = shown;
        listing.entries.reserve(items.size());
        for (const SftpNameItem &item : items) {
            if (SftpPaths::isUnusableName(item.name)) {
                if (item.name != "." && item.name != "..")
                    m_sink.activity(
                        {SftpActivity::EntrySkipped, m_codec.decode(item.name), {}, 0, -1});
                continue;
            }
            listing.entries.append(SftpEntry::fromName(item, m_codec));
        }
        resolveLinks(raw, listing.entries);
        m_sink.activity({SftpActivity::ListingRead, shown, {}, listing.entries.size(), -1});
    });
    return listing;
}

SftpEntry SftpEngine::attributesOf(quint8 type, const QString &path)
{
    SftpEntry entry;
    guarded([&] {
        requireConnected();
        checkPath(path);
        const QString target = absolute(path);
        const QByteArray raw = encode(target);
        const quint32 id = m_client.nextId();
        const SftpReply &reply = m_client.call(id, SftpRequest(type, id).string(raw).take());
        SftpRefusal::expect(reply, SftpPacketType::Attrs, target);
        entry.name = SftpPaths::lastPart(target);
        entry.rawName = m_codec.encode(entry.name);
        SftpEntry::applyAttributes(reply.attributes, entry);
    });
    return entry;
}

SftpEntry SftpEngine::stat(const QString &path)
{
    return attributesOf(SftpPacketType::Stat, path);
}

SftpEntry SftpEngine::lstat(const QString &path)
{
    return attributesOf(SftpPacketType::Lstat, path);
}

QString SftpEngine::readLink(const QString &path)
{
    QString target;
    guarded([&] {
        requireConnected();
        checkPath(path);
        const QString link = absolute(path);
        const QByteArray raw = encode(link);
        const quint32 id = m_client.nextId();
        const SftpReply &reply =
            m_client.call(id, SftpRequest(SftpPacketType::Readlink, id).string(raw).take());
        SftpRefusal::expect(reply, SftpPacketType::Name, link);
        if (reply.names.isEmpty())
            throw SftpError{SftpErrorKind::ProtocolError,
                            -1,
                            {},
                            link,
                            QStringLiteral("readlink without a name")};
        target = m_codec.decode(reply.names.first().name);
    });
    return target;
}

bool SftpEngine::exists(const QByteArray &raw)
{
    const quint32 id = m_client.nextId();
    return m_client.call(id, SftpRequest(SftpPacketType::Lstat, id).string(raw).take()).type ==
           SftpPacketType::Attrs;
}

void SftpEngine::makeDirectory(const QString &path)
{
    guarded([&] {
        requireConnected();
        checkPath(path);
        const QString target = absolute(path);
        const QByteArray raw = encode(target);
        const quint32 id = m_client.nextId();
        const SftpReply &reply = m_client.call(
            id,
            SftpRequest(SftpPacketType::Mkdir, id).string(raw).attributes(SftpAttributes()).take());
        if (reply.type == SftpPacketType::Status && reply.status == SftpStatus::Ok)
            return;
        SftpError error{SftpErrorKind::ProtocolError, -1, {}, target, {}};
        try {
            SftpRefusal::expectOk(reply, target);
        } catch (const SftpError &refusal) {
            error = refusal;
        }
        // The server's wording says little (OpenSSH: "Failure"): look.
        if (error.kind == SftpErrorKind::Refused && exists(raw))
            error.kind = SftpErrorKind::AlreadyExists;
        throw error;
    });
}

void SftpEngine::simple(quint8 type, const QString &path)
{
    guarded([&] {
        requireConnected();
        checkPath(path);
        refuseDotOperand(path);
        const QString target = absolute(path);
        const QByteArray raw = encode(target);
        const quint32 id = m_client.nextId();
        SftpRefusal::expectOk(m_client.call(id, SftpRequest(type, id).string(raw).take()), target);
    });
}

void SftpEngine::removeDirectory(const QString &path)
{
    simple(SftpPacketType::Rmdir, path);
}

void SftpEngine::deleteFile(const QString &path)
{
    simple(SftpPacketType::Remove, path);
}

void SftpEngine::rename(const QString &from, const QString &to)
{
    guarded([&] {
        requireConnected();
        checkPath(from);
        checkPath(to);
        refuseDotOperand(from);
        refuseDotOperand(to);
        const QString source = absolute(from);
        const QString target = absolute(to);
        const QByteArray rawSource = encode(source);
        const QByteArray rawTarget = encode(target);
        const quint32 id = m_client.nextId();
        const SftpReply &reply = m_client.call(
            id, SftpRequest(SftpPacketType::Rename, id).string(rawSource).string(rawTarget).take());
        if (reply.type == SftpPacketType::Status && reply.status == SftpStatus::Ok)
            return;
        SftpError error{SftpErrorKind::ProtocolError, -1, {}, source, {}};
        try {
            SftpRefusal::expectOk(reply, source);
        } catch (const SftpError &refusal) {
            error = refusal;
        }
        if (error.kind == SftpErrorKind::Refused && exists(rawSource) && exists(rawTarget)) {
            error.kind = SftpErrorKind::AlreadyExists;
            error.subject = target;
        }
        throw error;
    });
}

void SftpEngine::chmod(const QString &path, int permissions)
{
    guarded([&] {
        bool ok = false;
        const uint bits = QString::number(permissions).toUInt(&ok, 8);
        if (permissions < 0 || !ok || bits > 07777)
            throw invalid(path, QStringLiteral("permissions %1").arg(permissions));
        requireConnected();
        checkPath(path);
        const QString target = absolute(path);
        const QByteArray raw = encode(target);
        SftpAttributes attributes;
        attributes.flags = SftpAttributeFlag::Permissions;
        attributes.permissions = bits;
        const quint32 id = m_client.nextId();
        SftpRefusal::expectOk(
            m_client.call(
                id,
                SftpRequest(SftpPacketType::Setstat, id).string(raw).attributes(attributes).take()),
            target);
    });
}

// The server's path of a file to move, once both ends are known to be usable.
QString SftpEngine::transferPath(const QString &remote, const QString &local) const
{
    requireConnected();
    checkPath(remote);
    if (local.isEmpty())
        throw invalid(local, QStringLiteral("empty local path"));
    return absolute(remote);
}

void SftpEngine::download(const QString &remote, const QString &local, qint64 offset)
{
    guarded([&] {
        const QString source = transferPath(remote, local);
        SftpDownload(m_client, m_sink, m_settings.requestsInFlight,
                     SftpPace(m_settings.downloadLimit.get(), m_interrupt))
            .run(encode(source), source, local, offset);
    });
}

void SftpEngine::upload(const QString &remote, const QString &local, qint64 offset)
{
    guarded([&] {
        const QString target = transferPath(remote, local);
        SftpUpload(m_client, m_sink, m_settings.requestsInFlight,
                   SftpPace(m_settings.uploadLimit.get(), m_interrupt))
            .run(local, encode(target), target, offset);
    });
}
