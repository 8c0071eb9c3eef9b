#pragma once

#include <QStringList>

// The machine's drive list, in the order the local folder box shows it:
// on Linux "/" first, then the user's home directory, then the mounted
// volumes that hold real file systems; on Windows the drive letters.
class Drives
{
public:
    virtual ~Drives() = default;
    virtual QStringList drives() const = 0;
};

class FixedDrives : public Drives
{
public:
    explicit FixedDrives(QStringList list) : list(std::move(list)) {}
    QStringList drives() const override { return list; }

private:
    QStringList list;
};
