#pragma once

#include "ftp/FtpListLine.h"
#include "ftp/FtpListing.h"
#include "remote/RemoteNameEvidence.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QVector>

class RemoteNameCodec;

// Turns the bytes of a LIST or MLSD data connection into an FtpListing as
// they arrive, without keeping the raw text. LIST lines are read as Unix
// "ls -l" lines, else as DOS/IIS lines; lines understood by neither are
// passed over. Limits: 1 000 000 entries and 256 MiB of text; a single
// line over 64 KiB is passed over. While the codec's encoding is still open,
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

    FtpListingParser(Source source, RemoteNameCodec &codec, const FtpListDate &today,
                     qsizetype maxEntries = MaxEntries, qint64 maxBytes = MaxBytes);

    // False once a limit is passed; the rest is then ignored.
    bool feed(QByteArrayView data);
    // Reads a last line that had no line end, and decodes the names that
    // waited for the encoding.
    void finish();

    FtpListing takeListing();
    // After finish(): the MLSD "unique" fact of each entry (same order), or
    // an empty vector when the server gave none.
    QVector<QByteArray> takeUniques();

private:
    void parseLine(QByteArrayView line);

    Source m_source;
    RemoteNameCodec &m_codec;
    FtpListDate m_today;
    qsizetype m_maxEntries;
    qint64 m_maxBytes;
    FtpListing m_listing;
    RemoteNameEvidence m_evidence;
    QVector<qsizetype> m_undecoded; // entries whose names wait for the encoding
    QVector<QByteArray> m_uniques;
    QByteArray m_carry;
    bool m_discardingLine = false;
    bool m_overLimit = false;
    qint64 m_bytes = 0;
    qsizetype m_lines = 0;
};
