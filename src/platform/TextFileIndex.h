#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QVector>
#include <memory>

// The lines of a text file of any size, read in blocks and never held
// whole. A line ends at LF (a CR before it is not part of the line) or, when
// it runs longer than MaxLineBytes, at the last character boundary before
// that length: no line is too long to lay out. Only the start of every
// CheckpointLines-th line is kept, so the index of a 1 GiB file takes a few
// hundred kilobytes; a line is found from the checkpoint before it.
//
// The file stays open. If it shrinks meanwhile, the lines past its new end
// read as empty; nothing else goes wrong.
class TextFileIndex
{
public:
    enum class Encoding
    {
        Utf8,
        Gb18030
    };

    static constexpr qint64 BlockBytes = 4 * 1024 * 1024;
    static constexpr int MaxLineBytes = 4096;
    static constexpr int CheckpointLines = 256;

    // Opens the file and chooses its encoding from its first block.
    bool open(const QString &path);
    Encoding encoding() const { return textEncoding; }
    qint64 fileSize() const { return size; }

    // Indexes at least `bytes` more of the file (whole lines); true once the
    // whole file is indexed.
    bool indexMore(qint64 bytes);
    bool isComplete() const { return complete; }
    qint64 indexedBytes() const;
    // The lines found so far.
    qint64 lineCount() const { return lines; }
    // Up to `count` lines from line `first` (0-based), without line ends.
    QList<QByteArray> readLines(qint64 first, int count);

    // UTF-8 when the bytes are valid UTF-8 (ASCII included), else GB18030,
    // the superset of GBK. `whole`: the sample is the whole file; otherwise
    // a character cut at its end does not count against UTF-8.
    static Encoding detect(const QByteArray &sample, bool whole);
    static QString decode(const QByteArray &bytes, Encoding encoding);

private:
    // Walks the lines from one offset on, reading blocks as it goes.
    class Scanner
    {
    public:
        Scanner(QFile &file, Encoding encoding, qint64 start, qint64 blockBytes);
        // The next line, or false at the end of the file.
        bool next(QByteArray *content);
        qint64 position() const { return lineStart; }

    private:
        int breakBefore(const char *line, qint64 available) const;

        QFile &file;
        Encoding encoding;
        qint64 blockBytes;
        QByteArray buffer;
        qint64 bufferStart;
        qint64 lineStart;
        bool atEnd = false;
    };

    QFile file;
    Encoding textEncoding = Encoding::Utf8;
    qint64 size = 0;
    QVector<qint64> checkpoints;
    qint64 lines = 0;
    bool complete = false;
    std::unique_ptr<Scanner> indexer;
};
