#include "remote/RemoteNameEvidence.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

enum class Script
{
    Ascii,
    Latin,
    Greek,
    Cyrillic,
    Armenian,
    Hebrew,
    Arabic,
    Other,
    Sign // controls, symbols, modifiers: no letter at all
};

Script scriptOf(char16_t c)
{
    if (c < 0x80)
        return Script::Ascii;
    if (c < 0xC0 || c == 0xD7 || c == 0xF7)
        return Script::Sign;
    if (c < 0x250)
        return Script::Latin;
    if (c < 0x370)
        return Script::Sign; // IPA, spacing modifiers, combining marks
    if (c < 0x400)
        return Script::Greek;
    if (c < 0x530)
        return Script::Cyrillic;
    if (c < 0x590)
        return Script::Armenian;
    if (c < 0x600)
        return Script::Hebrew;
    if (c < 0x700)
        return Script::Arabic;
    return Script::Other;
}

bool isAsciiLetter(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether a letter of `script` at this place has a letter beside it that
// could belong to the same word.
bool hasNeighbour(Script script, char16_t c)
{
    const Script other = scriptOf(c);
    return other == script || (script == Script::Latin && isAsciiLetter(c));
}

// UTF-8 text of two-byte sequences only, as a person would name a file: the
// letters of one script, each beside another letter, no signs.
bool plausibleAsUtf8(const QString &text)
{
    Script seen = Script::Ascii;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const Script script = scriptOf(c);
        if (script == Script::Ascii)
            continue;
        if (script == Script::Sign || (seen != Script::Ascii && script != seen))
            return false;
        seen = script;
        const bool before = i > 0 && hasNeighbour(script, text.at(i - 1).unicode());
        const bool after = i + 1 < text.size() && hasNeighbour(script, text.at(i + 1).unicode());
        if (!before && !after)
            return false;
    }
    return true;
}

bool isChineseText(char16_t c)
{
    return c < 0x80 || (c >= 0x3000 && c <= 0x303F) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

// The bytes read as GB18030 to Chinese characters, and encode back to the
// same bytes.
bool readsAsChinese(QByteArrayView name)
{
    thread_local QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
    thread_local QStringEncoder encoder("GB18030", QStringConverter::Flag::Stateless);
    if (!decoder.isValid() || !encoder.isValid())
        return false;
    const QString text = decoder.decode(name);
    for (QChar c : text)
        if (!isChineseText(c.unicode()))
            return false;
    return QByteArray(encoder.encode(text)) == name;
}

} // namespace

bool RemoteNameEvidence::add(QByteArrayView name)
{
    bool ascii = true;
    bool twoByteOnly = true;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x80)
            continue;
        ascii = false;
        if (byte >= 0xE0)
            twoByteOnly = false;
    }
    if (ascii)
        return false;
    if (!RemoteNameCodec::isValidUtf8(name)) {
        ++m_gb18030;
        return true;
    }
    // Three- and four-byte sequences (Chinese in UTF-8 among them) seldom
    // happen by accident in GBK text.
    if (!twoByteOnly) {
        ++m_utf8;
        return true;
    }
    const QString asUtf8 = QString::fromUtf8(name.data(), name.size());
    if (!plausibleAsUtf8(asUtf8) && readsAsChinese(name))
        ++m_gb18030;
    else
        ++m_utf8;
    return true;
}

RemoteNameCodec::Choice RemoteNameEvidence::verdict() const
{
    if (m_utf8 == 0 && m_gb18030 == 0)
        return RemoteNameCodec::Choice::Undecided;
    return m_gb18030 > m_utf8 ? RemoteNameCodec::Choice::Gb18030 : RemoteNameCodec::Choice::Utf8;
}
