#pragma once

#include "remote/RemoteEntry.h"

#include <QByteArray>
#include <QVector>

class FtpContext;
class FtpListingParser;
struct FtpReply;

// Reads one directory listing from the server.
//
// MLSD when the server offers it (LIST from the first time it turns out not
// to have it after all); otherwise "LIST -a", so that copies keep dot files
// on servers that hide them from a plain LIST, and plain LIST for the rest
// of the session on a server that refuses the option. A server that answers
// an empty directory without any data (a bare 226, or "450 No files found",
// "550 No files found") gives an empty listing, not an error. The names
// decide the connection's encoding when it is still open. Lines that cannot
// be read are reported (LinesUnreadable) and counted in the listing. An encrypted
// data connection that ends without TLS's close_notify may have been cut:
// such a listing is an error (11113), never taken for the whole folder.
class FtpListingReader
{
public:
    explicit FtpListingReader(FtpContext &context);

    // What a listing is for.
    enum class Use
    {
        Quiet, // looked at inside an operation
        Walk,  // a tree walk's: with the MLSD unique facts as identities
        Shown, // ListDirectory's: the entries go to the caller as they come,
               // and the listing read() gives holds only those that were not
    };

    // `raw` empty: the current directory.
    RemoteListing read(const QByteArray &raw, Use use);

private:
    enum class Command
    {
        Mlsd,
        ListAll,
        List
    };
    struct Attempt;

    Attempt attempt(Command command, const QByteArray &raw, Use use);
    RemoteListing empty(Command command) const;
    static bool saysNoFiles(const FtpReply &reply);
    void reportUnreadable(const FtpListingParser &parser);

    FtpContext &m_context;
};
