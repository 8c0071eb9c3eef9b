#pragma once

#include <QByteArrayView>
#include <cstdio>
#include <cstdlib>

struct FtpListLine;

// A property every input must keep. A broken one aborts, and libFuzzer
// saves the input that broke it (release builds leave out Q_ASSERT).
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// What any listing parser must give for a line it accepted: a name inside
// the line, a known kind, a size of zero or more (or -1, unknown),
// permissions of octal digits and a date that is either valid or absent.
void checkParsedLine(QByteArrayView line, const FtpListLine &parsed);
