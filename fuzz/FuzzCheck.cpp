#include "FuzzCheck.h"

#include "ftp/FtpListLine.h"

void checkParsedLine(QByteArrayView line, const FtpListLine &parsed)
{
    if (parsed.skip)
        return;
    FUZZ_CHECK(!parsed.name.isEmpty());
    FUZZ_CHECK(parsed.name.data() >= line.data() &&
               parsed.name.data() + parsed.name.size() <= line.data() + line.size());
    if (!parsed.unique.isEmpty())
        FUZZ_CHECK(parsed.unique.data() >= line.data() &&
                   parsed.unique.data() + parsed.unique.size() <= line.data() + line.size());
    FUZZ_CHECK(QByteArrayView("dl-cbps?").contains(parsed.kind));
    FUZZ_CHECK(parsed.size >= -1); // -1: unknown
    FUZZ_CHECK(parsed.permissions >= 0 && parsed.permissions <= 7777);
    for (int p = parsed.permissions; p > 0; p /= 10)
        FUZZ_CHECK(p % 10 <= 7);
    const QString date = parsed.date.text();
    FUZZ_CHECK(date.isEmpty() == !parsed.date.isValid());
    FUZZ_CHECK(date.isEmpty() || date.size() == 10 || date.size() == 16);
    if (parsed.date.hour >= 0)
        FUZZ_CHECK(parsed.date.hour <= 23 && parsed.date.minute >= 0 && parsed.date.minute <= 59);
}
