// A whole LIST or MLSD data connection, as it arrives in packets: the same
// listing whatever the packets, and whether its entries are taken as they
// come or all at the end, within its limits, and every name decoded so that
// it goes back to the server byte for byte.

#include "FuzzCheck.h"
#include "ftp/FtpListingParser.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteNameCodec.h"

#include <QHash>
#include <QSet>
#include <cstdint>

namespace {

constexpr qsizetype MaxEntries = 500;
constexpr qint64 MaxBytes = 256 * 1024;

struct Result
{
    RemoteListing listing;
    bool withinLimits = true;
};

// With `takeAsItComes`, the entries ready after each packet are taken, as a
// listing shown while it arrives is, and put back in front of the rest.
Result parse(FtpListingParser::Source source, QByteArrayView stream, qsizetype piece,
             RemoteNameCodec &codec, bool takeAsItComes)
{
    FtpListDate today;
    today.year = 2026;
    today.month = 12;
    today.day = 8;
    FtpListingParser parser(source, codec, today, MaxEntries, MaxBytes);
    Result result;
    QVector<RemoteEntry> taken;
    for (qsizetype pos = 0; pos < stream.size() && result.withinLimits; pos += piece) {
        result.withinLimits = parser.feed(stream.sliced(pos, qMin(piece, stream.size() - pos)));
        if (takeAsItComes)
            for (const RemoteEntry &entry : parser.takeNewEntries()) {
                FUZZ_CHECK(!entry.name.isEmpty()); // never one waiting for the encoding
                taken.append(entry);
            }
    }
    parser.finish();
    const qsizetype count = parser.entryCount();
    if (takeAsItComes)
        taken.append(parser.takeNewEntries());
    result.listing = parser.takeListing();
    if (takeAsItComes) {
        FUZZ_CHECK(result.listing.entries.isEmpty());
        result.listing.entries = taken;
    }
    FUZZ_CHECK(result.listing.entries.size() == count);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const auto source =
        data[0] & 1 ? FtpListingParser::Source::Mlsd : FtpListingParser::Source::List;
    const qsizetype piece = (data[0] >> 1) + 1;
    const QByteArrayView stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);

    RemoteNameCodec wholeCodec;
    RemoteNameCodec piecesCodec;
    const Result whole =
        parse(source, stream, qMax<qsizetype>(1, stream.size()), wholeCodec, false);
    const Result pieces = parse(source, stream, piece, piecesCodec, true);

    const QVector<RemoteEntry> &entries = pieces.listing.entries;
    FUZZ_CHECK(entries.size() <= MaxEntries);
    FUZZ_CHECK(pieces.listing.identities.isEmpty() ||
               pieces.listing.identities.size() == entries.size());
    FUZZ_CHECK(entries.isEmpty() || pieces.listing.format != RemoteListingFormat::None);
    if (whole.withinLimits && pieces.withinLimits) {
        FUZZ_CHECK(whole.listing.format == pieces.listing.format);
        FUZZ_CHECK(whole.listing.entries.size() == entries.size());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            FUZZ_CHECK(whole.listing.entries[i].rawName == entries[i].rawName);
            FUZZ_CHECK(whole.listing.entries[i].name == entries[i].name);
            FUZZ_CHECK(whole.listing.entries[i].size == entries[i].size);
            FUZZ_CHECK(whole.listing.entries[i].time == entries[i].time);
        }
    }

    // Each shown name addresses its own entry again. Left out: two entries
    // whose names show alike (one UTF-8, one GBK), which text cannot tell
    // apart, and names holding "/", which go back as paths, component by
    // component.
    QHash<QString, QByteArray> rawOf;
    QSet<QString> ambiguous;
    for (const RemoteEntry &entry : entries) {
        FUZZ_CHECK(!entry.rawName.isEmpty() && !entry.name.isEmpty());
        const auto known = rawOf.constFind(entry.name);
        if (known != rawOf.constEnd() && *known != entry.rawName)
            ambiguous.insert(entry.name);
        rawOf.insert(entry.name, entry.rawName);
    }
    for (const RemoteEntry &entry : entries)
        if (!ambiguous.contains(entry.name) && !entry.name.contains(QLatin1Char('/')))
            FUZZ_CHECK(piecesCodec.encode(entry.name) == entry.rawName);
    return 0;
}
