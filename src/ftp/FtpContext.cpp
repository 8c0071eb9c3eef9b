#include "ftp/FtpContext.h"

#include "ftp/FtpErrors.h"
#include "ftp/FtpListingReader.h"
#include "remote/RemoteEventSink.h"
#include "remote/RemoteInterrupt.h"
#include "remote/RemoteNameEvidence.h"
#include "remote/RemoteNameRules.h"

namespace {

bool isAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// The folder to list so that the names in it decide how `path` is sent:
// the part of the path before its first component that is not plain ASCII
// ("" the current directory).
QString probeFolderFor(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    QStringList folder;
    for (const QString &part : parts) {
        if (!isAscii(part))
            break;
        folder.append(part);
    }
    const QString joined = folder.join(QLatin1Char('/'));
    return joined.isEmpty() && path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : joined;
}

} // namespace

FtpContext::FtpContext(RemoteInterrupt &interrupt, RemoteEventSink &sink)
    : m_interrupt(interrupt), m_sink(sink), m_control(interrupt, sink)
{
    m_control.setCodec(&m_codec);
}

void FtpContext::setSettings(const RemoteSettings &settings)
{
    m_settings = settings;
    m_control.setTimeout(settings.timeoutMs);
    m_progressClock.start();
}

void FtpContext::report(const RemoteActivity &activity)
{
    m_sink.activity(activity);
}

void FtpContext::note(RemoteActivityKind kind, RemoteText text)
{
    m_sink.activity(RemoteActivity::note(kind, std::move(text)));
}

int FtpContext::askAboutCertificate(const RemoteCertificate &certificate)
{
    return m_sink.ask(certificate).trust;
}

void FtpContext::stopPoint()
{
    if (m_interrupt.stopRequested())
        throw FtpErrors::own(RemoteErrorCode::StoppedByUser, RemoteMessage::Stopped);
}

void FtpContext::startConnection(RemoteNameCodec::Choice encoding)
{
    m_features = FtpFeatures();
    m_codec.reset(encoding);
    m_tls.reset();
    m_dataProtected = false;
    m_type = 0;
    m_probed.clear();
    forgetDirectory();
}

QByteArray FtpContext::encode(const QString &path)
{
    if (!m_codec.isDecided() && !isAscii(path))
        decideEncodingFor(path);
    return m_codec.encode(path);
}

void FtpContext::decideEncodingFor(const QString &path)
{
    const QByteArray folder = probeFolderFor(path).toLatin1();
    if (m_probed.contains(folder))
        return;
    m_probed.insert(folder);
    try {
        list(folder);
    } catch (const RemoteError &error) {
        // A folder that cannot be listed says nothing: the name goes as
        // UTF-8. Anything that ends the operation still does.
        if (error.number >= 1000 || error.number == 421 || !m_control.isOpen())
            throw;
    }
}

void FtpContext::forgetDirectory()
{
    m_currentDirectory.clear();
    m_currentDirectoryRaw.clear();
}

bool FtpContext::enterRaw(const QByteArray &raw, FtpReply *refusal)
{
    const FtpReply reply = m_control.command("CWD", raw);
    if (reply.isPositive())
        return true;
    if (refusal)
        *refusal = reply;
    return false;
}

void FtpContext::confirmDirectory()
{
    const FtpReply reply = m_control.command("PWD");
    if (!reply.isPositive())
        m_control.refuse(reply);
    forgetDirectory();
    const QByteArray line = reply.lines.value(0).mid(4);
    QByteArray raw;
    const qsizetype open = line.indexOf('"');
    if (open >= 0) {
        qsizetype pos = open + 1;
        bool closed = false;
        while (pos < line.size()) {
            if (line.at(pos) == '"') {
                if (pos + 1 < line.size() && line.at(pos + 1) == '"') {
                    raw += '"';
                    pos += 2;
                    continue;
                }
                closed = true;
                break;
            }
            raw += line.at(pos++);
        }
        if (!closed)
            throw FtpErrors::own(RemoteErrorCode::BadReply, RemoteMessage::UnclosedDirectory);
    } else {
        // Some servers leave the quotes out: "257 /home/user is the current directory".
        const QByteArray first = line.trimmed().split(' ').value(0);
        if (!first.startsWith('/'))
            throw FtpErrors::own(RemoteErrorCode::BadReply, RemoteMessage::UnreadableDirectory);
        raw = first;
    }
    if (raw.isEmpty())
        throw FtpErrors::own(RemoteErrorCode::BadReply, RemoteMessage::EmptyDirectory);
    // The first names of a connection may well come from here (a log-in
    // directory named in Chinese): they decide the encoding like a listing's.
    const QByteArrayList parts = raw.split('/');
    if (!m_codec.isDecided()) {
        RemoteNameEvidence evidence;
        for (const QByteArray &part : parts)
            evidence.add(part);
        m_codec.decide(evidence);
    }
    QStringList shown;
    for (const QByteArray &part : parts)
        shown.append(m_codec.decode(part));
    const QString path = shown.join(QLatin1Char('/'));
    if (RemoteNameRules::holdsControlCharacter(path))
        throw FtpErrors::own(RemoteErrorCode::UnsafeServerName, RemoteMessage::ControlInDirectory);
    m_currentDirectory = path;
    m_currentDirectoryRaw = raw;
}

bool FtpContext::restoreDirectory(const QByteArray &raw, const QString &shown)
{
    if (raw.isEmpty())
        return true;
    if (!enterRaw(raw))
        return false;
    m_currentDirectory = shown;
    m_currentDirectoryRaw = raw;
    return true;
}

QByteArray FtpContext::factsOf(const QByteArray &raw)
{
    if (!m_features.mlst)
        return {};
    const FtpReply reply = m_control.command("MLST", raw);
    // "250-Listing x", " type=dir;unique=801g2; /x", "250 End"
    if (!reply.isPositive() || reply.lines.size() < 3)
        return {};
    return reply.lines.at(1).trimmed();
}

std::optional<qint64> FtpContext::remoteSize(const QByteArray &raw)
{
    if (!m_features.size)
        return std::nullopt;
    const FtpReply reply = m_control.command("SIZE", raw);
    if (reply.code == 213) {
        bool ok = false;
        const qint64 size = reply.lines.value(0).mid(4).trimmed().toLongLong(&ok);
        if (ok && size >= 0)
            return size;
        return std::nullopt;
    }
    if (reply.code == 500 || reply.code == 502)
        m_features.size = false;
    return std::nullopt;
}

void FtpContext::useTransferType()
{
    const char wanted = m_settings.transferSetting == RemoteTransferSetting::Ascii ? 'A' : 'I';
    if (m_type == wanted)
        return;
    const FtpReply reply = m_control.command("TYPE", QByteArray(1, wanted));
    if (!reply.isPositive())
        m_control.refuse(reply);
    m_type = wanted;
}

RemoteListing FtpContext::list(const QByteArray &raw, FtpListingReader::Use use)
{
    m_entriesShown = 0;
    return FtpListingReader(*this).read(raw, use);
}

void FtpContext::showEntries(const QVector<RemoteEntry> &entries)
{
    m_entriesShown += entries.size();
    m_sink.entriesRead(entries);
}
