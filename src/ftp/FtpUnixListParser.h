#pragma once

#include "ftp/FtpListLine.h"

#include <QByteArrayView>

// Reads one line of a Unix "ls -l" listing:
//   drwxr-xr-x   2 owner group      4096 Dec  8 13:45 name with spaces
//   -rw-r--r--   1 owner group 5368709120 Mar  1  2020 big.iso
//   lrwxrwxrwx   1 owner group         7 Dec  8 13:45 a -> b      (name "a")
//   crw-rw-rw-   1 root  root     1,   3 Dec  8 13:45 null          (size 0)
//   -rw-r--r--   1 owner group       12 2026-12-08 13:45 iso-dated
// and "total N" lines (skip). Owner and group may be missing or numeric. A date
// without a year takes `today`'s year, or the year before when that would
// put it more than a day after `today`.
class FtpUnixListParser
{
public:
    static bool parse(QByteArrayView line, const FtpListDate &today, FtpListLine &out);
};
