#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

class RemoteNameEvidence;

// Turns the server's name bytes into text and back, with one encoding for
// the whole connection: UTF-8 or GB18030 (which reads GBK and GB2312).
//
// The encoding is fixed when the connection starts (the site's choice, or
// UTF-8 once an FTP server switched to it with OPTS UTF8 ON), or else decided
// once from the first names the server shows that are not plain ASCII (see
// RemoteNameEvidence). Until then names go out as UTF-8.
//
// Bytes that do not read in the encoding are shown each as one character
// U+F780-U+F7FF (U+F700 + the byte), which no decoded text holds, so that
// every name goes back to the server byte for byte (encode(decode(b)) == b)
// and two different names never show alike.
class RemoteNameCodec
{
public:
    enum class Choice
    {
        Undecided,
        Utf8,
        Gb18030
    };

    // A new connection: `choice` fixed, or Undecided to decide from names.
    void reset(Choice choice = Choice::Undecided) { m_choice = choice; }
    Choice choice() const { return m_choice; }
    bool isDecided() const { return m_choice != Choice::Undecided; }
    // Decides from names the server sent, unless decided already; names
    // that are all plain ASCII say nothing and leave it undecided.
    void decide(const RemoteNameEvidence &evidence);

    QString decode(QByteArrayView raw) const;
    // One name, or a whole path ("/pub/中文/x"), to the bytes to send.
    QByteArray encode(const QString &path) const;
    // A reply or command for the log: decoded with the connection's
    // encoding, lossy, never sent back.
    QString text(QByteArrayView bytes) const;

    static bool isValidUtf8(QByteArrayView bytes);
    // Like text() on a connection that has not decided yet.
    static QString decodeText(QByteArrayView bytes);

private:
    QString decodeUtf8(QByteArrayView raw) const;
    QString decodeGb18030(QByteArrayView raw) const;

    Choice m_choice = Choice::Undecided;
    mutable QStringDecoder m_gbDecoder{"GB18030", QStringConverter::Flag::Stateless};
    mutable QStringEncoder m_gbEncoder{"GB18030", QStringConverter::Flag::Stateless};
};
