#pragma once

#include "remote/RemoteSettings.h"

#include <QString>
#include <functional>

class RemoteDigest;
class RemoteEngine;
class RemoteEventSink;
class RemoteInterrupt;

// The step that follows every file transfer, on the session's worker: when
// the server offers a hash of a whole file, the file just moved is compared
// with the server's hash of it. Equal: FileVerified is reported. Different:
// the transfer fails with 11132, and both files stay as they are. Not
// offered (or off, or an ASCII transfer, whose line ends change the bytes):
// nothing is said and nothing is asked of the server.
//
// A file moved whole is hashed while its bytes go by, so that only the
// server's hash costs time afterwards; a resumed one is read back from the
// disk, all of it, while the server works out its hash.
class RemoteFileCheck
{
public:
    RemoteFileCheck(RemoteEngine &engine, RemoteEventSink &sink, const RemoteInterrupt &interrupt,
                    const RemoteSettings &settings);

    // Moves one file with `move` (from `offset`: 0 for a whole file), then
    // compares `local` with the server's `remote`.
    void transfer(const QString &remote, const QString &local, qint64 offset,
                  const std::function<void()> &move);
    // Every file moved through this check (one at least) was found equal.
    bool allVerified() const { return m_moved > 0 && m_verified == m_moved; }

private:
    void compare(const QString &remote, const QString &local, RemoteDigest &digest);

    RemoteEngine &m_engine;
    RemoteEventSink &m_sink;
    const RemoteInterrupt &m_interrupt;
    bool m_enabled;
    int m_moved = 0;
    int m_verified = 0;
};
