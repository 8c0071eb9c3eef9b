#pragma once

#include "ftp/FtpListLine.h"

#include <QByteArrayView>

// The pieces of the dates listing lines carry, one blank-separated token at a
// time, as `ls` prints them in the locales servers run in: English and other
// month names ("Dec", "déc.", "Mär", "дек"), months and days with CJK units
// ("12月", "8日", "2023年1月", "12月18日", Korean "1월", in UTF-8 and in the
// legacy encodings GBK, Big5, Shift_JIS, EUC-JP and EUC-KR), ISO dates and
// times with seconds and fractions.
class FtpDateTokens
{
public:
    // What a token with CJK units holds ("2023年1月": year and month).
    struct Parts
    {
        int year = 0;
        int month = 0;
        int day = 0;
    };

    // 1-12 for a month name or "12月"/"12월", else 0.
    static int month(QByteArrayView token);
    // 1-31 for "8", "08", "8.", "8日", "8일", else 0.
    static int day(QByteArrayView token);
    // The year of "2023", "2023年", "2023년", else 0.
    static int year(QByteArrayView token);
    // "13:45", "3:47", "13:45:07", "13:45:07.123456789": sets hour and minute.
    static bool time(QByteArrayView token, FtpListDate &date);
    // A time (sets hour and minute) or a year (sets year).
    static bool timeOrYear(QByteArrayView token, FtpListDate &date);
    // "2024-01-08" or "2024/01/08".
    static bool isoDate(QByteArrayView token, FtpListDate &date);
    // "01-08": month and day without a year.
    static bool monthDay(QByteArrayView token, FtpListDate &date);
    // "+0800", "-0500": the zone `ls --full-time` prints after the time.
    static bool zone(QByteArrayView token);
    // A token made only of numbers with CJK units ("2023年12月18日",
    // "12月18日", "2023年1月", "8日"); false for anything else.
    static bool units(QByteArrayView token, Parts &parts);
};
