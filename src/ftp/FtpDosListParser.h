#pragma once

#include "ftp/FtpListLine.h"

#include <QByteArrayView>

// Reads one line of a DOS/IIS listing:
//   12-08-26  01:45PM       <DIR>          New folder
//   12-08-2026  13:45             1234567 report 2026.pdf
// Two-digit years below 70 are 20xx, the others 19xx. Sizes may carry
// thousands separators ("1,234,567"). DOS listings have no permissions.
class FtpDosListParser
{
public:
    static bool parse(QByteArrayView line, FtpListLine &out);
};
