#pragma once

#include "remote/RemoteHash.h"

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// The hash of a local file or of the bytes a transfer moves, computed on a
// thread of its own: the transfer that feeds it goes on while it works, and
// what remains of it is done while the server works out its own hash.
//
// SHA-256, SHA-1 and MD5 come from OpenSSL (with the processor's SHA
// instructions it hashes 256 MiB in a third of a second, Qt's own SHA-256
// takes four); CRC32 (as XCRC gives it) is computed here.
class RemoteDigest
{
public:
    explicit RemoteDigest(RemoteHashAlgorithm algorithm);
    ~RemoteDigest();
    RemoteDigest(const RemoteDigest &) = delete;
    RemoteDigest &operator=(const RemoteDigest &) = delete;

    RemoteHashAlgorithm algorithm() const { return m_algorithm; }
    // Bytes in order: copied, and hashed meanwhile. Waits only while more
    // than QueueLimit bytes are still to be hashed.
    void add(const char *data, qint64 size);
    // The bytes given so far.
    qint64 count() const { return m_count; }
    // The whole file at `path`, read and hashed on the digest's thread.
    void addFile(const QString &path);
    // Waits for the digest (lower-case hex). `stopped` is asked every few
    // milliseconds: when it says so the work is abandoned and nothing is
    // returned. Nothing either when the file could not be read (error()
    // says why).
    std::optional<QByteArray> hex(const std::function<bool()> &stopped);
    QString error() const;

    static constexpr qint64 QueueLimit = 64 * 1024 * 1024;

private:
    class Hasher;

    void work();
    void hashFile(const QString &path);

    RemoteHashAlgorithm m_algorithm;
    std::unique_ptr<Hasher> m_hasher;
    qint64 m_count = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_blocks;
    std::optional<QString> m_file;
    qint64 m_queued = 0;
    bool m_finishing = false;
    bool m_done = false;
    bool m_cancelled = false;
    QString m_error;
    std::thread m_thread;
};
