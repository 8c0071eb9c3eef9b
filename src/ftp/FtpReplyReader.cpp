#include "ftp/FtpReplyReader.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The code of a line that starts with three digits, else -1.
int leadingCode(QByteArrayView line)
{
    if (line.size() < 3 || !isDigit(line[0]) || !isDigit(line[1]) || !isDigit(line[2]))
        return -1;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

} // namespace

QByteArray FtpReply::text() const
{
    return lines.join("\r\n");
}

void FtpReplyReader::feed(QByteArrayView data)
{
    if (m_fault != Fault::None)
        return;
    // Drop what earlier replies used up before the buffer grows again.
    if (m_pos > 0 && (m_pos == m_buffer.size() || m_pos > 64 * 1024)) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    m_buffer.append(data.data(), data.size());
}

void FtpReplyReader::reset()
{
    m_buffer.clear();
    m_pos = 0;
    m_fault = Fault::None;
    m_partial = FtpReply();
    m_partialBytes = 0;
}

FtpReplyReader::Status FtpReplyReader::fail(Fault fault)
{
    m_fault = fault;
    m_buffer.clear();
    m_pos = 0;
    m_partial = FtpReply();
    return Status::Error;
}

bool FtpReplyReader::takeLine(QByteArrayView &line)
{
    const qsizetype end = m_buffer.indexOf('\n', m_pos);
    if (end < 0)
        return false;
    qsizetype length = end - m_pos;
    if (length > 0 && m_buffer.at(end - 1) == '\r')
        --length;
    line = QByteArrayView(m_buffer.constData() + m_pos, length);
    m_pos = end + 1;
    return true;
}

FtpReplyReader::Status FtpReplyReader::next(FtpReply &reply)
{
    if (m_fault != Fault::None)
        return Status::Error;
    QByteArrayView line;
    while (takeLine(line)) {
        if (line.size() > MaxLineLength)
            return fail(Fault::LineTooLong);
        const int code = leadingCode(line);
        if (m_partial.lines.isEmpty()) {
            // The first line: "123 text", "123" or "123-text" (a multi-line reply).
            if (code < 100 || (line.size() > 3 && line[3] != ' ' && line[3] != '-'))
                return fail(Fault::NotAReply);
            m_partial.code = code;
            m_partial.lines.append(line.toByteArray());
            m_partialBytes = line.size();
            if (line.size() > 3 && line[3] == '-')
                continue;
        } else {
            // Inside a multi-line reply only "123 " (or a bare "123") ends it.
            if (m_partial.lines.size() >= MaxReplyLines ||
                m_partialBytes + line.size() > MaxReplyBytes)
                return fail(Fault::ReplyTooLong);
            m_partial.lines.append(line.toByteArray());
            m_partialBytes += line.size();
            if (code != m_partial.code || (line.size() > 3 && line[3] != ' '))
                continue;
        }
        reply = std::move(m_partial);
        m_partial = FtpReply();
        m_partialBytes = 0;
        return Status::Reply;
    }
    // A line still waiting for its end may hold its CR already.
    if (m_buffer.size() - m_pos > MaxLineLength + 1)
        return fail(Fault::LineTooLong);
    return Status::NeedMore;
}
