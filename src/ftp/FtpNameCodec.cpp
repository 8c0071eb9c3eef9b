#include "ftp/FtpNameCodec.h"

namespace {

bool isAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// QString::fromUtf8 drops a leading byte order mark: a name starting with
// one would show without it and go back to the server as another name.
QString fromValidUtf8(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.data(), bytes.size());
    QStringDecoder keepingBom(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return keepingBom.decode(bytes);
}

} // namespace

bool FtpNameCodec::isValidUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        unsigned minimum;
        unsigned code;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            minimum = 0x80;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            minimum = 0x800;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            minimum = 0x10000;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, UTF-16 surrogates and values past U+10FFFF are not UTF-8.
        if (code < minimum || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        p += extra + 1;
    }
    return true;
}

QString FtpNameCodec::decodeText(QByteArrayView bytes)
{
    if (isValidUtf8(bytes))
        return fromValidUtf8(bytes);
    thread_local QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
    return decoder.isValid() ? QString(decoder.decode(bytes))
                             : QString::fromLatin1(bytes.data(), bytes.size());
}

QString FtpNameCodec::decode(QByteArrayView raw)
{
    if (isValidUtf8(raw))
        return fromValidUtf8(raw);
    QString text;
    if (m_gb18030.isValid() && m_gb18030Encoder.isValid()) {
        text = m_gb18030.decode(raw);
        if (QByteArray(m_gb18030Encoder.encode(text)) != raw)
            text.clear();
    }
    if (text.isEmpty()) {
        // Not GB18030 either: one character per byte, unmistakable and lossless.
        text.reserve(raw.size());
        for (char byte : raw) {
            const auto value = static_cast<unsigned char>(byte);
            text.append(value < 0x80 ? QChar(value) : QChar(0xF700 + value));
        }
    }
    if (m_raw.size() < MaxRemembered)
        m_raw.insert(text, raw.toByteArray());
    return text;
}

QByteArray FtpNameCodec::encode(const QString &path) const
{
    if (m_raw.isEmpty() || isAscii(path))
        return path.toUtf8();
    const auto known = m_raw.constFind(path);
    if (known != m_raw.constEnd())
        return *known;
    QByteArray result;
    result.reserve(path.size() * 3);
    qsizetype start = 0;
    while (start <= path.size()) {
        qsizetype slash = path.indexOf(QLatin1Char('/'), start);
        if (slash < 0)
            slash = path.size();
        const QString part = path.mid(start, slash - start);
        const auto raw = m_raw.constFind(part);
        result += raw != m_raw.constEnd() ? *raw : part.toUtf8();
        if (slash < path.size())
            result += '/';
        start = slash + 1;
    }
    return result;
}
