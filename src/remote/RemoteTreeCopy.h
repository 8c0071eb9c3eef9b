#pragma once

#include <QString>

class RemoteEngine;
class RemoteEventSink;
class RemoteFileCheck;
class RemoteInterrupt;

// DownloadMany and UploadMany: copy the whole tree below a folder, creating
// folders as needed, and come back to the directory they started in. Runs
// on the session's worker thread, inside RemoteEngine::walk, one walk
// (RemoteTreeWalk) over the engine's steps: a tree of thousands of files is
// one operation.
//
// Downloads are safe against hostile servers: a listed name becomes part of
// a local path only when RemoteNameRules::isSafeLocalName accepts it, and
// never through a local symbolic link. A download whose folder turns out to
// be a file (a link to a file: the server will not enter it, but sends it)
// fetches that file. Uploads follow local links only inside the chosen
// folder.
//
// Each skipped or failed entry is reported (EntrySkipped, ItemFailed) and
// the copy goes on; at the end such entries, and listing lines that could
// not be read, make the call fail with 11119. Stops, drops, time-outs and a
// lost connection end the copy at once; a stop is seen between two entries.
// Each file goes through `check` (RemoteFileCheck): one that differs from
// the server's fails as an entry of its own.
class RemoteTreeCopy
{
public:
    RemoteTreeCopy(RemoteEngine &engine, RemoteEventSink &sink, const RemoteInterrupt &interrupt,
                   RemoteFileCheck &check);

    // Patterns as DownloadMany and UploadMany take them.
    void download(const QString &remotePattern, const QString &localFolder);
    void upload(const QString &localPattern, const QString &remoteFolder);

private:
    class Host;
    class Download;
    class Upload;

    RemoteEngine &m_engine;
    RemoteEventSink &m_sink;
    const RemoteInterrupt &m_interrupt;
    RemoteFileCheck &m_check;
};
