#pragma once

#include <QString>
#include <QtGlobal>

// One file or folder of a download or upload, from the moment its batch
// takes it up until it is recorded in the queue. The batch that owns it is
// the only one to see it: two batches never share the item in hand. Sizes
// and restart offsets are 64-bit: files past 2 GiB are ordinary.
struct TransferItem
{
    QString localName;
    QString localDir; // with its trailing separator
    QString remoteName;
    QString remoteDir; // with its trailing "/"
    // Bytes. For the side being written, what is already there (0 when
    // nothing is); -1 is a size the server did not give.
    qint64 localSize = 0;
    qint64 remoteSize = 0;
    bool upload = false;
    // The answer about an existing target: start again from 0, or have the
    // existing one renamed first; neither means resume.
    bool overwrite = false;
    bool rename = false;

    QString localPath() const { return localDir + localName; }
    QString remotePath() const { return remoteDir + remoteName; }
};

// What the conflict dialog was told, and whether it holds for the rest of
// the batch ("全部").
struct ConflictAnswer
{
    enum Choice : quint8
    {
        Cancel, // also the close box
        Overwrite,
        Resume,
        Rename,
    };
    Choice choice = Cancel;
    bool applyAll = false;
};
