#pragma once

#include <QElapsedTimer>
#include <QString>

// One line on standard error, redrawn in place, showing the file in hand,
// how far it got, the rate and (for one file of known size) the time left:
//
//     big.iso [##########..........]  50%  512.0 MiB / 1.0 GiB  310.2 MiB/s  0:01
//
// The session reports progress at most ten times a second; the bar redraws
// no more often than that either, also when a tree of small files brings a
// final report per file.
class ProgressBar
{
public:
    // A disabled bar draws nothing: standard error is not a terminal, or
    // --quiet was given.
    explicit ProgressBar(bool enabled);
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    // A new file starts; `name` is what the line shows for it.
    void startFile(const QString &name);
    // Bytes so far in the current file, of `expected` (-1 unknown).
    void update(qint64 bytes, qint64 expected);
    // The current file is complete with `bytes` bytes.
    void finishFile(qint64 bytes);
    // Removes the line, before other output and at the end.
    void clear();

private:
    void draw();
    QString statistics() const;

    bool m_enabled;
    bool m_shown = false;
    QElapsedTimer m_started; // the first file's start
    QElapsedTimer m_drawn;   // the last redraw
    QString m_name;
    int m_filesDone = 0;
    qint64 m_bytesDone = 0; // in the files completed
    qint64 m_bytes = 0;     // in the current file
    qint64 m_expected = -1;
};
