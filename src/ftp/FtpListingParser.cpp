#include "ftp/FtpListingParser.h"

#include "ftp/FtpDosListParser.h"
#include "ftp/FtpMlsdParser.h"
#include "ftp/FtpUnixListParser.h"
#include "ftp/FtpVmsListParser.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteNameCodec.h"
#include "remote/RemoteNameEvidence.h"

#include <cstring>
#include <iterator>
#include <utility>

namespace {

// The line ends of one block of data: CR, LF, or both. memchr tests many
// bytes at a time where a test per byte costs a listing of 100 000 entries
// more than anything else it does; the next LF is remembered, so that a
// listing with CRs alone (old Macintosh servers) is still read once.
class LineBreaks
{
public:
    explicit LineBreaks(QByteArrayView data) : m_data(data) {}

    // The first CR or LF at or after `from`, or -1.
    qsizetype next(qsizetype from)
    {
        if (m_lf != NoneLeft && m_lf < from)
            m_lf = find('\n', from, m_data.size());
        const qsizetype cr = find('\r', from, m_lf == NoneLeft ? m_data.size() : m_lf);
        return cr != NoneLeft ? cr : m_lf;
    }

private:
    static constexpr qsizetype NoneLeft = -1;

    qsizetype find(char c, qsizetype from, qsizetype to) const
    {
        const void *const hit = std::memchr(m_data.data() + from, c, std::size_t(to - from));
        return hit ? static_cast<const char *>(hit) - m_data.data() : NoneLeft;
    }

    QByteArrayView m_data;
    qsizetype m_lf = NoneLeft - 1; // not looked for yet
};

RemoteEntryKind kindOf(char type)
{
    switch (type) {
    case 'd':
        return RemoteEntryKind::Folder;
    case 'l':
        return RemoteEntryKind::Link;
    case '-':
        return RemoteEntryKind::File;
    default:
        return RemoteEntryKind::Special;
    }
}

// The letters a listing may give, '?' for any other.
char typeOf(char type)
{
    switch (type) {
    case 'd':
    case 'l':
    case '-':
    case 'c':
    case 'b':
    case 'p':
    case 's':
        return type;
    default:
        return '?';
    }
}

} // namespace

FtpListingParser::FtpListingParser(Source source, RemoteNameCodec &codec, const FtpListDate &today,
                                   qsizetype maxEntries, qint64 maxBytes)
    : m_source(source), m_codec(codec), m_today(today), m_maxEntries(maxEntries),
      m_maxBytes(maxBytes)
{
    m_listing.format = RemoteListingFormat::None;
}

bool FtpListingParser::feed(QByteArrayView data)
{
    if (m_overLimit)
        return false;
    m_bytes += data.size();
    if (m_bytes > m_maxBytes) {
        m_overLimit = true;
        return false;
    }
    LineBreaks breaks(data);
    qsizetype pos = 0;
    while (pos < data.size()) {
        // CR LF, LF, a lone CR (old Macintosh servers), CR CR LF: each ends
        // a line, and the empty lines between two of them are passed over.
        const qsizetype end = breaks.next(pos);
        if (end < 0) {
            const QByteArrayView rest = data.sliced(pos);
            if (!m_discardingLine && m_carry.size() + rest.size() > MaxLineLength) {
                m_discardingLine = true;
                noteUnreadable(m_carry.append(rest.first(qMin(rest.size(), SampleLength))));
                m_carry.clear();
            }
            if (!m_discardingLine)
                m_carry.append(rest.data(), rest.size());
            break;
        }
        const QByteArrayView piece = data.sliced(pos, end - pos);
        pos = end + 1;
        if (m_discardingLine) {
            m_discardingLine = false;
            continue;
        }
        if (m_carry.isEmpty()) {
            parseLine(piece);
        } else {
            m_carry.append(piece.data(), piece.size());
            parseLine(m_carry);
            m_carry.clear();
        }
        if (m_overLimit)
            return false;
    }
    return true;
}

void FtpListingParser::finish()
{
    if (!m_carry.isEmpty() && !m_discardingLine && !m_overLimit)
        parseLine(m_carry);
    m_carry.clear();
    m_discardingLine = false;
    if (!m_heldName.isEmpty())
        noteUnreadable(std::exchange(m_heldName, {}));
    if (m_source == Source::Mlsd && m_lines == 0)
        m_listing.format = RemoteListingFormat::Mlsd; // an empty directory, read fine
    if (!m_listing.identities.isEmpty())
        m_listing.identities.resize(m_listing.entries.size());
    // The names decide the connection's encoding when nothing has yet, so
    // even this first listing shows them in it.
    m_codec.decide(m_evidence);
    for (const qsizetype index : std::as_const(m_undecoded)) {
        RemoteEntry &entry = m_listing.entries[index];
        entry.name = m_codec.decode(entry.rawName);
    }
    m_undecoded.clear();
}

void FtpListingParser::parseLine(QByteArrayView line)
{
    if (line.isEmpty())
        return;
    ++m_lines;
    if (line.size() > MaxLineLength) {
        noteUnreadable(line);
        return;
    }
    if (!m_heldName.isEmpty()) {
        // A VMS name on a line of its own: the rest of its entry follows.
        const QByteArray held = std::exchange(m_heldName, {});
        if (readLine(QByteArray(held).append(line)))
            return;
        noteUnreadable(held);
    }
    if (readLine(line))
        return;
    if (m_source == Source::List && FtpVmsListParser::isNameOnly(line))
        m_heldName = line.toByteArray();
    else
        noteUnreadable(line);
}

void FtpListingParser::noteUnreadable(QByteArrayView line)
{
    ++m_listing.unreadableLines;
    if (m_samples.size() < MaxSamples)
        m_samples.append(line.first(qMin<qsizetype>(line.size(), SampleLength)).toByteArray());
}

bool FtpListingParser::readLine(QByteArrayView line)
{
    FtpListLine parsed;
    int format;
    if (m_source == Source::Mlsd) {
        if (!FtpMlsdParser::parse(line, parsed))
            return false;
        format = RemoteListingFormat::Mlsd;
    } else if (FtpUnixListParser::parse(line, m_today, parsed)) {
        format = RemoteListingFormat::Unix;
    } else if (FtpDosListParser::parse(line, parsed)) {
        format = RemoteListingFormat::Dos;
    } else if (FtpVmsListParser::parse(line, parsed)) {
        format = RemoteListingFormat::Vms;
    } else {
        return false;
    }
    if (parsed.skip || (m_skipDots && (parsed.name == "." || parsed.name == "..")))
        return true;
    if (m_entryCount >= m_maxEntries) {
        m_overLimit = true;
        return true;
    }
    if (m_listing.format == RemoteListingFormat::None)
        m_listing.format = format;
    RemoteEntry entry;
    entry.rawName = parsed.name.toByteArray();
    // Plain ASCII reads alike in either encoding: decoded as it comes, while
    // the other names wait for the encoding the whole listing decides.
    if (m_codec.isDecided() || !m_evidence.add(parsed.name))
        entry.name = m_codec.decode(parsed.name);
    else
        m_undecoded.append(m_listing.entries.size());
    entry.kind = kindOf(parsed.kind);
    entry.type = typeOf(parsed.kind);
    entry.permissions = parsed.permissions;
    entry.size = parsed.size;
    entry.time = parsed.date.time();
    entry.timeOfDay = parsed.date.hour >= 0;
    m_listing.entries.append(std::move(entry));
    ++m_entryCount;
    if (!parsed.unique.isEmpty()) {
        m_listing.identities.resize(m_listing.entries.size());
        m_listing.identities.back() = parsed.unique.toByteArray();
    }
    return true;
}

qsizetype FtpListingParser::newEntryCount() const
{
    return m_undecoded.isEmpty() ? m_listing.entries.size() : m_undecoded.first();
}

QVector<RemoteEntry> FtpListingParser::takeNewEntries()
{
    QVector<RemoteEntry> &entries = m_listing.entries;
    const qsizetype count = newEntryCount();
    if (count == entries.size()) {
        QVector<RemoteEntry> taken = std::exchange(entries, {});
        // The next batch is about as long: grown once, not step by step.
        entries.reserve(taken.size());
        m_listing.identities.clear();
        return taken;
    }
    // Names wait for the encoding behind these: the batch leaves the front,
    // and the places of those waiting move with it.
    QVector<RemoteEntry> taken(std::make_move_iterator(entries.begin()),
                               std::make_move_iterator(entries.begin() + count));
    entries.remove(0, count);
    QVector<QByteArray> &identities = m_listing.identities;
    identities.remove(0, qMin(count, identities.size()));
    for (qsizetype &index : m_undecoded)
        index -= count;
    return taken;
}

RemoteListing FtpListingParser::takeListing()
{
    return std::exchange(m_listing, RemoteListing());
}
