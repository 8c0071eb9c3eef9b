// ASCII-mode line ends: converting a transfer chunk by chunk gives what one
// conversion of the whole gives, wherever a CR LF is cut.

#include "FuzzCheck.h"
#include "ftp/FtpLineEnds.h"

#include <cstdint>

namespace {

QByteArray toLocal(QByteArrayView data, qsizetype piece)
{
    FtpLineEnds lineEnds;
    QByteArray out;
    for (qsizetype pos = 0; pos < data.size(); pos += piece)
        lineEnds.toLocal(data.sliced(pos, qMin(piece, data.size() - pos)), out);
    lineEnds.finishToLocal(out);
    return out;
}

QByteArray toNetwork(QByteArrayView data, qsizetype piece)
{
    FtpLineEnds lineEnds;
    QByteArray out;
    for (qsizetype pos = 0; pos < data.size(); pos += piece)
        lineEnds.toNetwork(data.sliced(pos, qMin(piece, data.size() - pos)), out);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype piece = data[0] % 8 + 1;
    const QByteArrayView text(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    const qsizetype whole = qMax<qsizetype>(1, text.size());
    const QByteArray local = toLocal(text, whole);
    FUZZ_CHECK(toLocal(text, piece) == local);
    FUZZ_CHECK(toNetwork(text, piece) == toNetwork(text, whole));
    // What goes out has no bare LF.
    const QByteArray network = toNetwork(text, whole);
    for (qsizetype i = 0; i < network.size(); ++i)
        if (network[i] == '\n')
            FUZZ_CHECK(i > 0 && network[i - 1] == '\r');
    return 0;
}
