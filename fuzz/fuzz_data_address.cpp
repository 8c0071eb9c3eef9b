// PASV and EPSV replies: any text gives either nothing or an address and a
// port the session can use, and what PORT/EPRT would send reads back the same.

#include "FuzzCheck.h"
#include "ftp/FtpDataAddress.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));

    if (const auto pasv = FtpDataAddress::fromPasvReply(text)) {
        FUZZ_CHECK(pasv->port > 0);
        bool isIpv4 = false;
        pasv->address.toIPv4Address(&isIpv4);
        FUZZ_CHECK(isIpv4);
        const QByteArray argument = FtpDataAddress::portArgument(pasv->address, pasv->port);
        const auto again =
            FtpDataAddress::fromPasvReply("227 Entering Passive Mode (" + argument + ").");
        FUZZ_CHECK(again && again->address == pasv->address && again->port == pasv->port);
        FUZZ_CHECK(FtpDataAddress::eprtArgument(pasv->address, pasv->port).startsWith("|1|"));
    }

    if (const auto epsv = FtpDataAddress::fromEpsvReply(text)) {
        FUZZ_CHECK(epsv->port > 0);
        const auto again = FtpDataAddress::fromEpsvReply("229 Entering Extended Passive Mode (|||" +
                                                         QByteArray::number(epsv->port) + "|)");
        FUZZ_CHECK(again && again->port == epsv->port);
    }

    // Sixteen bytes as an IPv6 address for EPRT.
    if (size >= 18) {
        Q_IPV6ADDR bytes;
        for (int i = 0; i < 16; ++i)
            bytes[i] = data[i];
        const QHostAddress address(bytes);
        const quint16 port = quint16(data[16] << 8 | data[17]);
        const QByteArray eprt = FtpDataAddress::eprtArgument(address, port);
        FUZZ_CHECK(eprt.startsWith('|') && eprt.endsWith('|') && eprt.count('|') == 4);
    }
    return 0;
}
