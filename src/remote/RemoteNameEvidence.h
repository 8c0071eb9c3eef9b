#pragma once

#include "remote/RemoteNameCodec.h"

#include <QByteArrayView>

// Weighs the names a server sent (a listing, the directory it named) for the
// one encoding of the connection: UTF-8 or GB18030.
//
// Each name that is not plain ASCII counts once: for GB18030 when it is not
// valid UTF-8, or when it is valid UTF-8 only by accident: it reads as
// GB18030 text of Chinese characters, while as UTF-8 it would be letters
// of two scripts, a lone accented letter, a control or a sign (GBK "目录"
// is valid UTF-8 "Ŀ¼"); for UTF-8 otherwise ("café", "файл", "中文" in
// UTF-8). The side with more names wins, UTF-8 on a tie, so one stray name
// does not turn a whole server.
class RemoteNameEvidence
{
public:
    // False for a plain ASCII name, which reads the same in either encoding.
    bool add(QByteArrayView name);
    // Undecided while only plain ASCII names were seen.
    RemoteNameCodec::Choice verdict() const;

    int utf8Names() const { return m_utf8; }
    int gb18030Names() const { return m_gb18030; }

private:
    int m_utf8 = 0;
    int m_gb18030 = 0;
};
