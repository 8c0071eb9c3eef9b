#pragma once

#include "ftp/FtpListLine.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteNameEvidence.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QVector>

class RemoteNameCodec;

// Turns the bytes of a LIST or MLSD data connection into a RemoteListing as
// they arrive, without keeping the raw text. CR LF, LF and a lone CR all end
// a line. LIST lines are read as Unix "ls -l" lines, else as DOS/IIS lines,
// else as OpenVMS lines; a line none of them understands (a single line
// over 64 KiB included) is counted in the listing's unreadableLines, and
// the first few are kept for the caller to report. Limits: 1 000 000
// entries and 256 MiB of text. While the codec's encoding is still open,
// names that are not plain ASCII are decoded at the end, once the whole
// listing has decided it.
class FtpListingParser
{
public:
    enum class Source
    {
        List,
        Mlsd
    };
    static constexpr qint64 MaxBytes = 256LL * 1024 * 1024;
    static constexpr qsizetype MaxEntries = 1'000'000;
    static constexpr qsizetype MaxLineLength = 64 * 1024;
    // Unreadable lines kept for the report, and how much of each.
    static constexpr int MaxSamples = 3;
    static constexpr qsizetype SampleLength = 200;

    FtpListingParser(Source source, RemoteNameCodec &codec, const FtpListDate &today,
                     qsizetype maxEntries = MaxEntries, qint64 maxBytes = MaxBytes);

    // "." and ".." are passed over: "LIST -a" brings them, the directory
    // does not hold them.
    void skipDots() { m_skipDots = true; }

    // False once a limit is passed; the rest is then ignored.
    bool feed(QByteArrayView data);
    // Reads a last line that had no line end, and decodes the names that
    // waited for the encoding.
    void finish();

    // The entries read since the last call, in order, up to the first whose
    // name waits for the encoding (after finish(): all of them), and how
    // many that would be. They leave the parser (a listing of 100 000
    // entries is not kept twice): takeListing() has the others only.
    QVector<RemoteEntry> takeNewEntries();
    qsizetype newEntryCount() const;
    // Every entry read, taken or not.
    qsizetype entryCount() const { return m_entryCount; }
    // After finish(): the entries takeNewEntries() did not take. Its
    // identities are the MLSD "unique" fact of each entry (same order), or
    // none when the server gave none.
    RemoteListing takeListing();
    // The first unreadable lines (at most MaxSamples, each cut to
    // SampleLength bytes), as the server sent them.
    const QByteArrayList &unreadableSamples() const { return m_samples; }
    qsizetype unreadableLines() const { return m_listing.unreadableLines; }

private:
    void parseLine(QByteArrayView line);
    // True when the line gave an entry or carries none ("total 12").
    bool readLine(QByteArrayView line);
    void noteUnreadable(QByteArrayView line);

    Source m_source;
    RemoteNameCodec &m_codec;
    FtpListDate m_today;
    qsizetype m_maxEntries;
    qint64 m_maxBytes;
    RemoteListing m_listing; // its entries: those not taken yet
    qsizetype m_entryCount = 0;
    RemoteNameEvidence m_evidence;
    QVector<qsizetype> m_undecoded; // places in m_listing of names waiting for the encoding
    QByteArray m_carry;
    QByteArray m_heldName; // a VMS name whose entry goes on in the next line
    QByteArrayList m_samples;
    bool m_discardingLine = false;
    bool m_skipDots = false;
    bool m_overLimit = false;
    qint64 m_bytes = 0;
    qsizetype m_lines = 0;
};
