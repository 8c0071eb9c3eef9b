#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// Reads the SSH wire types (RFC 4251 section 5) from a packet body. Reading
// past the end fails, and every later read fails too: a decoder checks once,
// at the end, whether all it read was there.
class SftpDecoder
{
public:
    explicit SftpDecoder(QByteArrayView bytes) : m_bytes(bytes) {}

    quint8 u8();
    quint32 u32();
    quint64 u64();
    // A string's bytes, a view into the packet; empty when it does not fit.
    QByteArrayView string();

    bool ok() const { return m_ok; }
    qsizetype remaining() const { return m_ok ? m_bytes.size() - m_position : 0; }

private:
    bool take(qsizetype size);

    QByteArrayView m_bytes;
    qsizetype m_position = 0;
    bool m_ok = true;
};
