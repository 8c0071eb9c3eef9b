#pragma once

#include "remote/RemoteEntry.h"
#include "remote/RemoteError.h"
#include "remote/RemoteHash.h"
#include "remote/RemoteSettings.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class RemoteDigest;

// A folder as the server confirmed it: the path as shown, and its bytes as
// the server named it (what tells the folder when it is met again).
struct RemoteFolder
{
    QString path;
    QByteArray raw;
};

// The protocol side of a session (FTP, SFTP): runs on the session's worker
// thread, one operation at a time, synchronous, and speaks through the
// RemoteEventSink it was made with. Every operation throws RemoteError;
// errors that leave the connection unusable close it first. A stop ends an
// operation with 11101 at the next point where the server has answered (at
// once while connecting or transferring); a drop (RemoteInterrupt) ends it
// at once, closed. WorkerSession resets the interrupt and hands over the
// settings before each operation.
//
// Paths may be absolute or relative to the current directory; names as
// listed are sent back byte for byte, in the connection's one encoding.
class RemoteEngine
{
public:
    virtual ~RemoteEngine() = default;

    virtual void setSettings(const RemoteSettings &settings) = 0;

    // The operations of RemoteSession, by the same names.
    virtual void open(const RemoteLogin &login) = 0;
    virtual void quit() = 0;
    // Closes at once without a word to the server; never throws.
    virtual void dropNow() = 0;
    virtual void changeDirectory(const QString &path) = 0;
    virtual void parentDirectory() = 0;
    // Without the entries handed over while it came (RemoteEventSink).
    virtual RemoteListing list(const QString &path) = 0;
    // Reports the outcome as MakeDirectoryResult, made or not.
    virtual void makeDirectory(const QString &path) = 0;
    virtual void removeDirectory(const QString &path) = 0;
    virtual void deleteFile(const QString &path) = 0;
    virtual void rename(const QString &from, const QString &to) = 0;
    virtual void changePermissions(const QString &path, int permissions) = 0;
    virtual void download(const QString &remote, const QString &local, qint64 offset) = 0;
    virtual void upload(const QString &remote, const QString &local, qint64 offset) = 0;

    virtual int state() const = 0;
    // Logged in, and everything goes encrypted, data connections included.
    virtual bool encrypted() const = 0;
    // The directory the server confirmed; empty when closed or unknown.
    virtual QString currentDirectory() const = 0;
    virtual bool restartSupported() const = 0;

    // A tree walk as one operation: `steps` runs the walk (RemoteTreeWalk)
    // on the steps below, under the same rules as every operation (it must
    // be connected; a lost connection closes; a stop asked for ends it
    // with 11101 once the server has answered).
    virtual void walk(const std::function<void()> &steps) = 0;

    // The steps of a walk. They report nothing of their own beyond the
    // protocol's (replies, commands, progress, files transferred); names
    // are read against the current directory.
    //
    // Whether the connection is still open: a failure then concerns one
    // entry, and the walk goes on.
    virtual bool connected() const = 0;
    // The current directory as last confirmed, without asking the server
    // (an empty `raw` when unknown).
    virtual RemoteFolder knownFolder() const = 0;
    // Asks the server where the session is now.
    virtual RemoteFolder confirmFolder() = 0;
    // What names the current directory for good, where the server tells
    // (MLST's "unique" fact); empty when it does not.
    virtual QByteArray folderIdentity() = 0;
    // Into `path`; the server's refusal is returned, anything else thrown.
    virtual std::optional<RemoteError> enter(const QString &path) = 0;
    // Back to a folder confirmed before; false when the server refuses.
    virtual bool returnTo(const RemoteFolder &folder) = 0;
    // The current directory's entries, with their identities where the
    // server gives them.
    virtual RemoteListing listHere() = 0;
    // A new folder, quietly: the refusal is returned (a folder that is
    // there already is one), anything else thrown.
    virtual std::optional<RemoteError> makeFolder(const QString &name) = 0;
    // One file of a tree, from offset 0: progress as DownloadManyProgress and
    // UploadManyProgress. `knownSize`: the size the listing gave, -1 unknown.
    virtual void fetch(const QString &remote, const QString &local, qint64 knownSize) = 0;
    virtual void send(const QString &local, const QString &remote) = 0;

    // Verified transfers (RemoteFileCheck); a protocol without a way to
    // ask the server for a hash keeps these defaults: nothing offered.
    //
    // The hash the server gives of a whole file, the strongest it offers;
    // None when it offers none. Known from the log-in, though it may ask
    // the server once per connection to use the strongest (FTP: OPTS HASH).
    virtual RemoteHashAlgorithm hashAlgorithm() { return RemoteHashAlgorithm::None; }
    // The server's hash of `path`. None when the server turns out not to
    // offer it after all (from then on, for the connection) or gives none
    // for this file. `sizeHint`: the file's size when known, -1 else (the
    // server reads the whole file before it answers).
    virtual RemoteHash fileHash(const QString &, qint64) { return {}; }
    // The bytes the following transfers move, exactly as the file holds
    // them, go to `tap` as well while they are moved; nullptr: to nothing.
    virtual void setTransferTap(RemoteDigest *) {}
};
