// One line of a Unix "ls -l" listing, read against a "today" taken from the
// input too, so the year guessing of recent dates sees every day of the year.

#include "FuzzCheck.h"
#include "ftp/FtpUnixListParser.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    FtpListDate today;
    today.year = 1970 + data[0] % 131;
    today.month = 1 + data[1] % 12;
    today.day = 1 + data[2] % 31; // also days a month lacks (Feb 30)
    const QByteArrayView line(reinterpret_cast<const char *>(data) + 3, qsizetype(size) - 3);
    FtpListLine parsed;
    if (FtpUnixListParser::parse(line, today, parsed))
        checkParsedLine(line, parsed);
    return 0;
}
