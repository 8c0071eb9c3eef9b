#pragma once

#include "ftp/FtpListLine.h"

#include <QByteArrayView>

// Reads one line of a DOS/IIS listing:
//   12-08-26  01:45PM       <DIR>          New folder
//   12-08-2026  13:45             1234567 report 2026.pdf
//   2026/12/08  13:45    <DIR>          目录
//   2026-12-08  13:45:07           1234 a.txt
//   08.01.2024  10:53    <JUNCTION>     Documents [C:\Users\me\Documents]
//   08.01.2024  10:53             1.234 bericht.txt
// Two-digit years below 70 are 20xx, the others 19xx; dates with dots put
// the day first. Sizes may carry thousands separators ("1,234,567",
// "1.234.567"). Junctions and symbolic links are links (kind 'l'), named
// without the target Windows shows after them. A name starts one blank
// after the size, or 15 columns after the start of "<DIR>": the blanks
// past that are the name's. DOS listings have no permissions.
class FtpDosListParser
{
public:
    static bool parse(QByteArrayView line, FtpListLine &out);
};
