#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Line ends of ASCII transfers (TransferSetting 1): CR LF on the wire, the
// platform's own on disk. Works chunk by chunk: a CR at the end of one chunk
// waits for the next one to see whether a LF follows.
class FtpLineEnds
{
public:
    // Appends `chunk` to `out` with CR LF turned into the local line end.
    void toLocal(QByteArrayView chunk, QByteArray &out);
    // The CR still held back at the end of the data, if any.
    void finishToLocal(QByteArray &out);
    // Appends `chunk` to `out` with lone LFs turned into CR LF.
    void toNetwork(QByteArrayView chunk, QByteArray &out);

private:
    bool m_heldCr = false;
    bool m_lastWasCr = false;
};
