#include "platform/TextFileIndex.h"

#include <QStringDecoder>
#include <cstring>

namespace {
// Lines read for the screen come in small blocks; the index reads big ones.
constexpr qint64 screenBlockBytes = 64 * 1024;

bool isContinuation(char byte)
{
    return (uchar(byte) & 0xC0) == 0x80;
}

// The length of the GB18030 character at `p`: one byte, two, or four when
// a digit follows the lead byte.
int gb18030Length(const char *p, qint64 available)
{
    const uchar lead = uchar(p[0]);
    if (lead < 0x81 || lead == 0xFF || available < 2)
        return 1;
    const uchar second = uchar(p[1]);
    return (second >= 0x30 && second <= 0x39) ? 4 : 2;
}
} // namespace

TextFileIndex::Scanner::Scanner(QFile &file, Encoding encoding, qint64 start, qint64 blockBytes)
    : file(file), encoding(encoding), blockBytes(blockBytes), bufferStart(start), lineStart(start)
{}

int TextFileIndex::Scanner::breakBefore(const char *line, qint64 available) const
{
    if (encoding == Encoding::Utf8) {
        // Back from the limit to the lead byte of the character it cuts.
        int at = MaxLineBytes;
        for (int back = 0; back < 3 && at > 1 && isContinuation(line[at]); ++back)
            --at;
        return at;
    }
    int at = 0;
    while (at < MaxLineBytes) {
        const int length = gb18030Length(line + at, available - at);
        if (at + length > MaxLineBytes)
            break;
        at += length;
    }
    return at;
}

bool TextFileIndex::Scanner::next(QByteArray *content)
{
    for (;;) {
        const qint64 offset = lineStart - bufferStart;
        const qint64 available = buffer.size() - offset;
        const char *line = buffer.constData() + offset;
        // A line end right after a full-length line still ends that line.
        const qint64 searched = qMin<qint64>(available, MaxLineBytes + 1);
        if (const auto *end =
                static_cast<const char *>(std::memchr(line, '\n', size_t(searched)))) {
            const qint64 length = end - line;
            if (content)
                *content = QByteArray(line, length > 0 && end[-1] == '\r' ? length - 1 : length);
            lineStart += length + 1;
            return true;
        }
        if (available > MaxLineBytes) {
            const int length = breakBefore(line, available);
            if (content)
                *content = QByteArray(line, length);
            lineStart += length;
            return true;
        }
        if (atEnd) {
            if (available <= 0)
                return false;
            if (content)
                *content = QByteArray(line, available);
            lineStart += available;
            return true;
        }
        // Keep the line begun, read on behind it.
        buffer.remove(0, offset);
        bufferStart = lineStart;
        if (!file.seek(bufferStart + buffer.size())) {
            atEnd = true;
            continue;
        }
        const QByteArray block = file.read(blockBytes);
        if (block.isEmpty())
            atEnd = true;
        buffer.append(block);
    }
}

bool TextFileIndex::open(const QString &path)
{
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    size = file.size();
    const QByteArray sample = file.read(BlockBytes);
    textEncoding = detect(sample, sample.size() >= size);
    checkpoints = {0};
    lines = 0;
    complete = false;
    indexer = std::make_unique<Scanner>(file, textEncoding, 0, BlockBytes);
    return true;
}

qint64 TextFileIndex::indexedBytes() const
{
    return indexer ? indexer->position() : 0;
}

bool TextFileIndex::indexMore(qint64 bytes)
{
    if (complete || !indexer)
        return true;
    const qint64 until = indexer->position() + bytes;
    while (indexer->position() < until) {
        if (!indexer->next(nullptr)) {
            complete = true;
            break;
        }
        if (++lines % CheckpointLines == 0)
            checkpoints.append(indexer->position());
    }
    return complete;
}

QList<QByteArray> TextFileIndex::readLines(qint64 first, int count)
{
    QList<QByteArray> result;
    if (first < 0 || first >= lines || count <= 0)
        return result;
    const qint64 checkpoint = first / CheckpointLines;
    Scanner scanner(file, textEncoding, checkpoints.at(checkpoint), screenBlockBytes);
    QByteArray content;
    for (qint64 skip = first - checkpoint * CheckpointLines; skip > 0; --skip)
        if (!scanner.next(nullptr))
            return result;
    const qint64 last = qMin(lines, first + count);
    for (qint64 line = first; line < last; ++line) {
        if (!scanner.next(&content))
            content.clear();
        result.append(content);
    }
    return result;
}

TextFileIndex::Encoding TextFileIndex::detect(const QByteArray &sample, bool whole)
{
    QByteArrayView bytes(sample);
    if (!whole && !bytes.isEmpty()) {
        // The sample may end inside a character: drop its last lead byte and
        // what follows it.
        qsizetype at = bytes.size() - 1;
        for (int back = 0; back < 3 && at > 0 && isContinuation(bytes[at]); ++back)
            --at;
        if (uchar(bytes[at]) >= 0x80)
            bytes = bytes.first(at);
    }
    // Stateless: a character cut at the end is an error, not a wait for more.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? Encoding::Gb18030 : Encoding::Utf8;
}

QString TextFileIndex::decode(const QByteArray &bytes, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return QString::fromUtf8(bytes);
    QStringDecoder gb18030("GB18030");
    if (!gb18030.isValid())
        return QString::fromLocal8Bit(bytes);
    return gb18030.decode(bytes);
}
