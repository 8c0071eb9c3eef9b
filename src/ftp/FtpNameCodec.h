#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

// Turns the server's name bytes into text and back.
//
// A name that is valid UTF-8 is shown as UTF-8; any other name (a GBK server)
// is shown decoded as GB18030. Qt's GB18030 decoder never reports bad bytes:
// when the text does not encode back to the same bytes, each byte above 0x7F
// is shown as U+F780 + (byte - 0x80) instead, so two different names never
// show alike and none looks like a plain ASCII name. The codec remembers the
// exact bytes of every such name and uses them when the name is sent back, so
// the entry can be downloaded, renamed and deleted. Names the server has never
// shown (new folders, upload targets) are sent as UTF-8.
class FtpNameCodec
{
public:
    // Beyond this many remembered names new ones are still decoded but no
    // longer remembered, so a hostile server cannot grow memory without end.
    static constexpr qsizetype MaxRemembered = 1'000'000;

    QString decode(QByteArrayView raw);
    // One path component, or a whole path ("/pub/中文/x"), to the bytes to send.
    QByteArray encode(const QString &path) const;
    void clear() { m_raw.clear(); }

    static bool isValidUtf8(QByteArrayView bytes);
    // Decodes like decode() without remembering: for reply texts.
    static QString decodeText(QByteArrayView bytes);

private:
    QHash<QString, QByteArray> m_raw;
    QStringDecoder m_gb18030{"GB18030", QStringConverter::Flag::Stateless};
    QStringEncoder m_gb18030Encoder{"GB18030", QStringConverter::Flag::Stateless};
};
