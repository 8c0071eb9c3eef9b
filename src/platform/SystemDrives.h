#pragma once

#include "platform/Drives.h"

class QStorageInfo;

// The drives of this machine. On Linux: "/", the home directory, then every
// mounted volume that holds a real file system (disks and network shares,
// not the kernel's pseudo file systems). On Windows: the drive letters.
// Every entry is a directory path ending in the native separator.
class SystemDrives : public Drives
{
public:
    QStringList drives() const override;

    // A mount worth offering as a place to browse.
    static bool holdsRealFiles(const QStorageInfo &volume);
};
