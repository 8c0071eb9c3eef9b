// One line of a DOS/IIS listing.

#include "FuzzCheck.h"
#include "ftp/FtpDosListParser.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView line(reinterpret_cast<const char *>(data), qsizetype(size));
    FtpListLine parsed;
    if (FtpDosListParser::parse(line, parsed)) {
        checkParsedLine(line, parsed);
        FUZZ_CHECK(parsed.kind == 'd' || parsed.kind == 'l' || parsed.kind == '-');
        FUZZ_CHECK(parsed.date.isValid());
    }
    return 0;
}
