#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// A calendar date with an optional time of day, as a listing line gives it.
struct FtpListDate
{
    int year = 0;
    int month = 0; // 1-12
    int day = 0;
    int hour = -1; // -1: the line gave no time of day
    int minute = 0;

    bool isValid() const { return year > 0 && month >= 1 && month <= 12 && day >= 1 && day <= 31; }
    // "2026-12-08 13:45", "2026-12-08" without a time, "" when not valid.
    QString text() const;
    // The same moment, read as UTC (midnight without a time of day);
    // invalid when the date is.
    QDateTime time() const;
};

// One parsed line of a listing, pointing into the line it came from.
struct FtpListLine
{
    QByteArrayView name;   // raw bytes
    QByteArrayView unique; // MLSD "unique" fact (identifies a directory), else empty
    char kind = '-';       // 'd', 'l', '-', or a special file's letter ('c', 'b', 'p', 's', '?')
    int permissions = 0;   // octal digits read as decimal (755)
    qint64 size = 0;       // -1: unknown (not given, or not readable)
    FtpListDate date;
    bool skip = false; // a line that carries no entry ("total 12", MLSD cdir/pdir)
};
