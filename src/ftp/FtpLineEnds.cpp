#include "ftp/FtpLineEnds.h"

void FtpLineEnds::toLocal(QByteArrayView chunk, QByteArray &out)
{
#ifdef Q_OS_WIN
    out.append(chunk.data(), chunk.size());
#else
    out.reserve(out.size() + chunk.size() + 1);
    for (char c : chunk) {
        if (m_heldCr) {
            m_heldCr = false;
            if (c != '\n')
                out.append('\r');
        }
        if (c == '\r')
            m_heldCr = true;
        else
            out.append(c);
    }
#endif
}

void FtpLineEnds::finishToLocal(QByteArray &out)
{
    if (m_heldCr)
        out.append('\r');
    m_heldCr = false;
}

void FtpLineEnds::toNetwork(QByteArrayView chunk, QByteArray &out)
{
#ifdef Q_OS_WIN
    out.append(chunk.data(), chunk.size());
#else
    out.reserve(out.size() + chunk.size() + chunk.size() / 16);
    for (char c : chunk) {
        if (c == '\n' && !m_lastWasCr)
            out.append('\r');
        out.append(c);
        m_lastWasCr = c == '\r';
    }
#endif
}
