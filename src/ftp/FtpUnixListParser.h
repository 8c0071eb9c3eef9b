#pragma once

#include "ftp/FtpListLine.h"

#include <QByteArrayView>

// Reads one line of a Unix "ls -l" listing:
//   drwxr-xr-x   2 owner group      4096 Dec  8 13:45 name with spaces
//   -rw-r--r--   1 owner group 5368709120 Mar  1  2020 big.iso
//   lrwxrwxrwx   1 owner group         7 Dec  8 13:45 a -> b      (name "a")
//   crw-rw-rw-   1 root  root     1,   3 Dec  8 13:45 null          (size 0)
// and "total N" lines, also as other locales print them ("总用量 12"), which
// carry no entry (skip). Owner and group may be missing or numeric. Sizes as
// odd servers print them are read too: "+5", "1,024", "0x10". An entry ls
// could not look at ("-????????? ? ? ? ?  ? name") gives its kind and name,
// with size -1.
//
// Dates as ls prints them in other locales are read too: "12月  8 10:53",
// "1月 08 2023", "12月 8日 10:53", "12月18日 10:53", "2023年1月 8日",
// "2023年12月18日" (Chinese, UTF-8 or GBK), "1월  8일  10:53" and
// "2023년 1월  8일" (Korean), "8 déc. 10:53", "8. Dez 2023" (day first), and
// the ISO styles "2026-12-08 13:45", "2026-12-08 13:45:07.123456789 +0800",
// "2026-12-08" and "12-08 13:45". A date without a year takes `today`'s
// year, or the year before when that would put it more than a day after
// `today`. A line whose date is in none of these forms still gives its
// entry, with no date, when the rest of it is an ls line; a size that does
// not fit (negative, more than 18 digits) is -1, unknown.
class FtpUnixListParser
{
public:
    static bool parse(QByteArrayView line, const FtpListDate &today, FtpListLine &out);
};
