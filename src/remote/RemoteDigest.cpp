#include "remote/RemoteDigest.h"

#include <QFile>
#include <QtEndian>
#include <array>
#include <chrono>
#include <openssl/evp.h>

namespace {

// The CRC-32 of zlib and of XCRC (reflected, polynomial 0xEDB88320), eight
// bytes a step ("slicing by 8"): a byte a step is four times slower, slower
// than the transfer it checks.
using CrcTables = std::array<std::array<quint32, 256>, 8>;

const CrcTables &crcTables()
{
    static const CrcTables tables = [] {
        CrcTables made{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 value = i;
            for (int bit = 0; bit < 8; ++bit)
                value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
            made[0][i] = value;
        }
        for (std::size_t k = 1; k < made.size(); ++k)
            for (std::size_t i = 0; i < 256; ++i)
                made[k][i] = (made[k - 1][i] >> 8) ^ made[0][made[k - 1][i] & 0xFF];
        return made;
    }();
    return tables;
}

quint32 crc32(quint32 crc, const uchar *data, qint64 size)
{
    const CrcTables &t = crcTables();
    crc = ~crc;
    for (; size >= 8; data += 8, size -= 8) {
        const quint32 low = qFromLittleEndian<quint32>(data) ^ crc;
        const quint32 high = qFromLittleEndian<quint32>(data + 4);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
              t[4][low >> 24] ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^
              t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; size > 0; ++data, --size)
        crc = t[0][(crc ^ *data) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

const EVP_MD *openSslDigest(RemoteHashAlgorithm algorithm)
{
    switch (algorithm) {
    case RemoteHashAlgorithm::Md5:
        return EVP_md5();
    case RemoteHashAlgorithm::Sha1:
        return EVP_sha1();
    case RemoteHashAlgorithm::Sha256:
        return EVP_sha256();
    default:
        return nullptr;
    }
}

constexpr qint64 FileBlock = 1024 * 1024;

} // namespace

class RemoteDigest::Hasher
{
public:
    explicit Hasher(RemoteHashAlgorithm algorithm) : m_context(nullptr, EVP_MD_CTX_free)
    {
        if (const EVP_MD *digest = openSslDigest(algorithm)) {
            m_context.reset(EVP_MD_CTX_new());
            if (!m_context || EVP_DigestInit_ex(m_context.get(), digest, nullptr) != 1)
                throw std::bad_alloc();
        }
    }

    void add(const char *data, qint64 size)
    {
        if (m_context) {
            EVP_DigestUpdate(m_context.get(), data, size_t(size));
            return;
        }
        m_crc = crc32(m_crc, reinterpret_cast<const uchar *>(data), size);
    }

    QByteArray hex()
    {
        if (!m_context)
            return QByteArray::number(m_crc, 16).rightJustified(8, '0');
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_DigestFinal_ex(m_context.get(), digest, &length);
        return QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex();
    }

private:
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX *)> m_context;
    quint32 m_crc = 0;
};

RemoteDigest::RemoteDigest(RemoteHashAlgorithm algorithm)
    : m_algorithm(algorithm), m_hasher(std::make_unique<Hasher>(algorithm)),
      m_thread([this] { work(); })
{}

RemoteDigest::~RemoteDigest()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_finishing = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void RemoteDigest::add(const char *data, qint64 size)
{
    if (size <= 0)
        return;
    m_count += size;
    std::unique_lock lock(m_mutex);
    // A hasher slower than the transfer holds it back rather than fill the
    // memory with the file.
    m_changed.wait(lock, [this] { return m_queued < QueueLimit || m_cancelled; });
    m_blocks.emplace_back(data, size);
    m_queued += size;
    lock.unlock();
    m_changed.notify_all();
}

void RemoteDigest::addFile(const QString &path)
{
    {
        std::lock_guard lock(m_mutex);
        m_file = path;
    }
    m_changed.notify_all();
}

std::optional<QByteArray> RemoteDigest::hex(const std::function<bool()> &stopped)
{
    std::unique_lock lock(m_mutex);
    m_finishing = true;
    m_changed.notify_all();
    while (!m_done) {
        if (stopped()) {
            m_cancelled = true;
            m_changed.notify_all();
            return std::nullopt;
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(20));
    }
    if (!m_error.isEmpty())
        return std::nullopt;
    return m_hasher->hex();
}

QString RemoteDigest::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

void RemoteDigest::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(
            lock, [this] { return !m_blocks.empty() || m_file || m_finishing || m_cancelled; });
        if (m_cancelled)
            break;
        if (!m_blocks.empty()) {
            const QByteArray block = std::move(m_blocks.front());
            m_blocks.pop_front();
            lock.unlock();
            m_hasher->add(block.constData(), block.size());
            lock.lock();
            m_queued -= block.size();
            m_changed.notify_all();
            continue;
        }
        if (m_file) {
            const QString path = *m_file;
            m_file.reset();
            lock.unlock();
            hashFile(path);
            lock.lock();
            continue;
        }
        if (m_finishing)
            break;
    }
    m_done = true;
    m_changed.notify_all();
}

void RemoteDigest::hashFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        std::lock_guard lock(m_mutex);
        m_error = file.errorString();
        return;
    }
    const std::unique_ptr<char[]> buffer(new char[FileBlock]);
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_cancelled)
                return;
        }
        const qint64 read = file.read(buffer.get(), FileBlock);
        if (read < 0) {
            std::lock_guard lock(m_mutex);
            m_error = file.errorString();
            return;
        }
        if (read == 0)
            return;
        m_hasher->add(buffer.get(), read);
    }
}
