// One line of an MLSD listing (also what MLST answers about one entry).

#include "FuzzCheck.h"
#include "ftp/FtpMlsdParser.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView line(reinterpret_cast<const char *>(data), qsizetype(size));
    FtpListLine parsed;
    if (FtpMlsdParser::parse(line, parsed))
        checkParsedLine(line, parsed);
    return 0;
}
