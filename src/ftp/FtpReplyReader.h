#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

// One complete reply of the control connection.
struct FtpReply
{
    int code = 0;
    QByteArrayList lines; // as received, without line ends; lines[0] starts with the code

    // All lines joined by "\r\n", without a final line end.
    QByteArray text() const;
    bool isPreliminary() const { return code >= 100 && code < 200; }
    bool isPositive() const { return code >= 200 && code < 300; }
    bool isIntermediate() const { return code >= 300 && code < 400; }
};

// Splits the bytes of a control connection into replies. It accepts CR LF and
// LF-only line ends and data in pieces of any size (one byte per packet), and
// bounds what it keeps: a line over 16 KiB, a reply over 4096 lines or over
// 1 MiB, or a first line that does not start with a three-digit code puts the
// reader into its error state, which it never leaves (the stream cannot be
// trusted after that).
class FtpReplyReader
{
public:
    static constexpr qsizetype MaxLineLength = 16 * 1024;
    static constexpr int MaxReplyLines = 4096;
    static constexpr qsizetype MaxReplyBytes = 1024 * 1024;

    enum class Status
    {
        NeedMore,
        Reply,
        Error
    };
    enum class Fault
    {
        None,
        LineTooLong,
        ReplyTooLong,
        NotAReply
    };

    void feed(QByteArrayView data);
    // Takes the next complete reply out of what was fed so far.
    Status next(FtpReply &reply);
    Fault fault() const { return m_fault; }
    // Bytes fed but not yet part of a returned reply.
    qsizetype pending() const { return m_buffer.size() - m_pos; }
    void reset();

private:
    Status fail(Fault fault);
    bool takeLine(QByteArrayView &line);

    QByteArray m_buffer;
    qsizetype m_pos = 0;
    Fault m_fault = Fault::None;
    // A multi-line reply in progress.
    FtpReply m_partial;
    qsizetype m_partialBytes = 0;
};
