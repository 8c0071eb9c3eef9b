#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// Writes the SSH wire types (RFC 4251 section 5), big-endian.
namespace SftpEncoding {

inline void appendU32(QByteArray &out, quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

inline void appendU64(QByteArray &out, quint64 value)
{
    appendU32(out, quint32(value >> 32));
    appendU32(out, quint32(value));
}

inline void appendString(QByteArray &out, QByteArrayView value)
{
    appendU32(out, quint32(value.size()));
    out.append(value.data(), value.size());
}

} // namespace SftpEncoding
