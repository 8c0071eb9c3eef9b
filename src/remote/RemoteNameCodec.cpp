#include "remote/RemoteNameCodec.h"

#include "remote/RemoteNameEvidence.h"

namespace {

constexpr char16_t EscapeBase = 0xF700;
constexpr char16_t FirstEscape = EscapeBase + 0x80;
constexpr char16_t LastEscape = EscapeBase + 0xFF;

bool isEscape(char16_t c)
{
    return c >= FirstEscape && c <= LastEscape;
}

QChar escaped(char byte)
{
    return QChar(char16_t(EscapeBase + static_cast<unsigned char>(byte)));
}

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool holdsEscape(QStringView text)
{
    for (QChar c : text)
        if (isEscape(c.unicode()))
            return true;
    return false;
}

// The length of the UTF-8 sequence at `p` and its code point; 0 when the
// bytes there are not one (overlong forms, surrogates, past U+10FFFF).
int utf8Sequence(const unsigned char *p, const unsigned char *end, char32_t &code)
{
    const unsigned c = *p;
    if (c < 0x80) {
        code = c;
        return 1;
    }
    int extra;
    char32_t minimum;
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
        return 0;
    }
    if (end - p <= extra)
        return 0;
    for (int i = 1; i <= extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < minimum || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return extra + 1;
}

// The length of the GB18030 sequence at `p` by its shape: 2 or 4 bytes, or
// 0 when it has none.
int gbSequence(const unsigned char *p, const unsigned char *end)
{
    if (p[0] < 0x81 || p[0] > 0xFE || end - p < 2)
        return 0;
    if ((p[1] >= 0x40 && p[1] <= 0x7E) || (p[1] >= 0x80 && p[1] <= 0xFE))
        return 2;
    if (p[1] >= 0x30 && p[1] <= 0x39 && end - p >= 4 && p[2] >= 0x81 && p[2] <= 0xFE &&
        p[3] >= 0x30 && p[3] <= 0x39)
        return 4;
    return 0;
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

bool RemoteNameCodec::isValidUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    char32_t code;
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int length = utf8Sequence(p, end, code);
        if (length == 0)
            return false;
        p += length;
    }
    return true;
}

void RemoteNameCodec::decide(const RemoteNameEvidence &evidence)
{
    if (m_choice == Choice::Undecided)
        m_choice = evidence.verdict();
}

QString RemoteNameCodec::decode(QByteArrayView raw) const
{
    if (isAscii(raw))
        return QString::fromLatin1(raw.data(), raw.size());
    if (m_choice == Choice::Gb18030)
        return decodeGb18030(raw);
    return decodeUtf8(raw);
}

QString RemoteNameCodec::decodeUtf8(QByteArrayView raw) const
{
    if (isValidUtf8(raw)) {
        const QString text = fromValidUtf8(raw);
        if (!holdsEscape(text))
            return text;
    }
    // Sequence by sequence: what does not read is shown byte by byte.
    QString text;
    text.reserve(raw.size());
    const auto *begin = reinterpret_cast<const unsigned char *>(raw.data());
    const auto *end = begin + raw.size();
    for (const unsigned char *p = begin; p < end;) {
        char32_t code = 0;
        const int length = utf8Sequence(p, end, code);
        if (length > 0 && !(code >= FirstEscape && code <= LastEscape)) {
            if (QChar::requiresSurrogates(code)) {
                text.append(QChar(QChar::highSurrogate(code)));
                text.append(QChar(QChar::lowSurrogate(code)));
            } else {
                text.append(QChar(char16_t(code)));
            }
            p += length;
        } else {
            text.append(escaped(char(*p)));
            ++p;
        }
    }
    return text;
}

QString RemoteNameCodec::decodeGb18030(QByteArrayView raw) const
{
    if (!m_gbDecoder.isValid() || !m_gbEncoder.isValid()) {
        QString text;
        for (char byte : raw)
            text.append(static_cast<unsigned char>(byte) < 0x80 ? QChar::fromLatin1(byte)
                                                                : escaped(byte));
        return text;
    }
    // Qt's decoder never reports bad bytes: a text that does not encode back
    // to the same bytes did not read.
    QString whole = m_gbDecoder.decode(raw);
    if (!holdsEscape(whole) && QByteArray(m_gbEncoder.encode(whole)) == raw)
        return whole;
    QString text;
    text.reserve(raw.size());
    const auto *begin = reinterpret_cast<const unsigned char *>(raw.data());
    const auto *end = begin + raw.size();
    for (const unsigned char *p = begin; p < end;) {
        if (*p < 0x80) {
            text.append(QChar(char16_t(*p++)));
            continue;
        }
        const int length = gbSequence(p, end);
        if (length > 0) {
            const QByteArrayView sequence(reinterpret_cast<const char *>(p), length);
            const QString one = m_gbDecoder.decode(sequence);
            if (!holdsEscape(one) && QByteArray(m_gbEncoder.encode(one)) == sequence) {
                text += one;
                p += length;
                continue;
            }
        }
        text.append(escaped(char(*p)));
        ++p;
    }
    return text;
}

QByteArray RemoteNameCodec::encode(const QString &path) const
{
    const bool gb = m_choice == Choice::Gb18030 && m_gbEncoder.isValid();
    if (!holdsEscape(path))
        return gb ? QByteArray(m_gbEncoder.encode(path)) : path.toUtf8();
    QByteArray bytes;
    bytes.reserve(path.size() * 3);
    qsizetype run = 0;
    const auto flush = [&](qsizetype upTo) {
        const QStringView part = QStringView(path).sliced(run, upTo - run);
        bytes += gb ? QByteArray(m_gbEncoder.encode(part)) : part.toUtf8();
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path.at(i).unicode();
        if (!isEscape(c))
            continue;
        flush(i);
        bytes += char(c - EscapeBase);
        run = i + 1;
    }
    flush(path.size());
    return bytes;
}

QString RemoteNameCodec::text(QByteArrayView bytes) const
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), bytes.size());
    switch (m_choice) {
    case Choice::Utf8:
        return QString::fromUtf8(bytes.data(), bytes.size());
    case Choice::Gb18030:
        if (m_gbDecoder.isValid())
            return m_gbDecoder.decode(bytes);
        break;
    case Choice::Undecided:
        break;
    }
    return decodeText(bytes);
}

QString RemoteNameCodec::decodeText(QByteArrayView bytes)
{
    if (isValidUtf8(bytes))
        return fromValidUtf8(bytes);
    thread_local QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
    return decoder.isValid() ? QString(decoder.decode(bytes))
                             : QString::fromLatin1(bytes.data(), bytes.size());
}
