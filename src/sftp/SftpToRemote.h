#pragma once

#include "remote/RemoteActivity.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteError.h"
#include "sftp/SftpError.h"
#include "sftp/SftpEventSink.h"
#include "sftp/SftpListing.h"

// The SFTP engine's typed reports as the session interface has them: its
// errors as RemoteError (with the numbers of RemoteCodes.h), its events as
// RemoteActivity, its entries as RemoteEntry. The words are RemoteTexts'.
namespace SftpToRemote {

// What the caller knows of the transfer in hand beside the event.
struct Transfer
{
    bool upload = false;
    // One file of DownloadMany or UploadMany: progress as their kinds.
    bool tree = false;
};

// `timeoutMs`: the time-out a TimedOut error waited for.
RemoteError error(const SftpError &error, int timeoutMs);
RemoteActivity activity(const SftpEvent &event, const Transfer &transfer);
RemoteEntry entry(const SftpEntry &entry);
RemoteListing listing(const SftpListing &listing);
// Whether the error is the server's refusal of one request (the session
// stays as it was) rather than a condition of the connection.
bool isRefusal(SftpErrorKind kind);

} // namespace SftpToRemote
