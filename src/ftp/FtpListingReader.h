#pragma once

#include "ftp/FtpListing.h"

#include <QByteArray>
#include <QVector>

class FtpContext;
struct FtpReply;

// Reads one directory listing from the server.
//
// MLSD when the server offers it (LIST from the first time it turns out not
// to have it after all); otherwise "LIST -a", so that copies keep dot files
// on servers that hide them from a plain LIST, and plain LIST for the rest
// of the session on a server that refuses the option. A server that answers
// an empty directory without any data (a bare 226, or "450 No files found",
// "550 No files found") gives an empty listing, not an error. The names
// decide the connection's encoding when it is still open.
class FtpListingReader
{
public:
    explicit FtpListingReader(FtpContext &context);

    // `raw` empty: the current directory. `uniques` receives the MLSD unique
    // facts when wanted.
    FtpListing read(const QByteArray &raw, QVector<QByteArray> *uniques);

private:
    enum class Command
    {
        Mlsd,
        ListAll,
        List
    };
    struct Attempt;

    Attempt attempt(Command command, const QByteArray &raw, QVector<QByteArray> *uniques);
    FtpListing empty(Command command) const;
    static bool saysNoFiles(const FtpReply &reply);

    FtpContext &m_context;
};
