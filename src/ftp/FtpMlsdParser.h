#pragma once

#include "ftp/FtpListLine.h"

#include <QByteArrayView>

// Reads one line of an MLSD listing: facts, one blank, the name.
//   type=file;size=5368709120;modify=20261208134501;unix.mode=0644; big.iso
//   type=OS.unix=slink:/target;unix.mode=0777; link
// type: file "-", dir "d", OS.unix=slink/symlink "l", OS.unix=chr/blk/fifo/
// socket "c"/"b"/"p"/"s", cdir/pdir carry no entry (skip), other types "?".
// unix.mode is read in octal ("0755", "755" or Python's "0o755"); sizd is the
// size of a directory; modify is UTC "YYYYMMDDHHMMSS[.sss]". Every fact is
// optional: a file whose size the line does not give has size -1, unknown.
class FtpMlsdParser
{
public:
    static bool parse(QByteArrayView line, FtpListLine &out);
};
