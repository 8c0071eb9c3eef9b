#pragma once

#include "ftp/FtpListLine.h"

#include <QByteArrayView>

// Reads one line of an OpenVMS listing:
//   Directory DISK$USER:[JOHN]                                       (skip)
//   BUILD.COM;1         1/3      8-JAN-2024 10:53:07  [JOHN]  (RWED,RWED,RE,)
//   SUBDIR.DIR;1        1/3      8-JAN-2024 10:53:07.12  [GROUP,JOHN]  (RWE,RWE,RE,E)
//   Total of 2 files, 2/6 blocks.                                    (skip)
// A file keeps its version ("BUILD.COM;1"), which addresses it exactly; a
// directory is named without ".DIR;1", as CWD takes it. Sizes are counted
// in blocks, not bytes: unknown (-1). Owner and protection may be missing;
// the owner's, group's and world's rights become permissions (R 4, W 2,
// E 1; D, delete, has no place there).
//
// A name too long for its column stands on a line of its own, the rest of
// the entry on the next one: isNameOnly() tells such a line, and the two
// read as one.
class FtpVmsListParser
{
public:
    static bool parse(QByteArrayView line, FtpListLine &out);
    static bool isNameOnly(QByteArrayView line);
};
