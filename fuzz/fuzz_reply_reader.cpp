// The control connection's reply reader: whatever a server sends, it never
// reads out of bounds, keeps its limits, and cuts the same replies out of
// the stream however the stream is split into packets.

#include "FuzzCheck.h"
#include "ftp/FtpReplyReader.h"

#include <QList>
#include <cstdint>

namespace {

struct Outcome
{
    QList<FtpReply> replies;
    bool failed = false;
};

void checkReply(const FtpReply &reply)
{
    FUZZ_CHECK(reply.code >= 100 && reply.code <= 999);
    FUZZ_CHECK(!reply.lines.isEmpty() && reply.lines.size() <= FtpReplyReader::MaxReplyLines);
    FUZZ_CHECK(reply.lines.first().left(3).toInt() == reply.code);
    qsizetype bytes = 0;
    for (const QByteArray &line : reply.lines) {
        FUZZ_CHECK(line.size() <= FtpReplyReader::MaxLineLength);
        FUZZ_CHECK(!line.contains('\n'));
        bytes += line.size();
    }
    FUZZ_CHECK(bytes <= FtpReplyReader::MaxReplyBytes);
}

Outcome read(QByteArrayView stream, qsizetype piece)
{
    FtpReplyReader reader;
    Outcome outcome;
    for (qsizetype pos = 0; pos < stream.size() && !outcome.failed; pos += piece) {
        reader.feed(stream.sliced(pos, qMin(piece, stream.size() - pos)));
        FtpReply reply;
        FtpReplyReader::Status status;
        while ((status = reader.next(reply)) == FtpReplyReader::Status::Reply) {
            checkReply(reply);
            outcome.replies.append(reply);
        }
        if (status == FtpReplyReader::Status::Error) {
            FUZZ_CHECK(reader.fault() != FtpReplyReader::Fault::None);
            FUZZ_CHECK(reader.next(reply) == FtpReplyReader::Status::Error);
            outcome.failed = true;
        }
        // What waits for its line end stays bounded.
        FUZZ_CHECK(outcome.failed || reader.pending() <= FtpReplyReader::MaxLineLength + 1 + piece);
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte says how the stream is cut into packets.
    const qsizetype piece = data[0] % 16 + 1;
    const QByteArrayView stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    const Outcome whole = read(stream, qMax<qsizetype>(1, stream.size()));
    const Outcome pieces = read(stream, piece);
    FUZZ_CHECK(whole.failed == pieces.failed);
    FUZZ_CHECK(whole.replies.size() == pieces.replies.size());
    for (qsizetype i = 0; i < whole.replies.size(); ++i) {
        FUZZ_CHECK(whole.replies[i].code == pieces.replies[i].code);
        FUZZ_CHECK(whole.replies[i].lines == pieces.replies[i].lines);
    }
    return 0;
}
