#include "fixtures/TestFiles.h"
#include "platform/TextFileIndex.h"
#include "platform/TextFileView.h"
#include "platform/TextViewerDialog.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray gb18030(const QString &text)
{
    return QStringEncoder("GB18030").encode(text);
}

QStringList allLines(TextFileIndex &index)
{
    while (!index.indexMore(1024 * 1024)) {
    }
    QStringList out;
    for (const QByteArray &line : index.readLines(0, int(index.lineCount())))
        out << TextFileIndex::decode(line, index.encoding());
    return out;
}
} // namespace

class TestTextViewer : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private Q_SLOTS:
    // Lines end at LF (a CR before it dropped); a line too long to lay out
    // is broken before the character that would pass the limit.
    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        const int max = TextFileIndex::MaxLineBytes;
        const QString x(max - 1, QLatin1Char('x'));
        QTest::newRow("LF") << QByteArray("a\nbb\n") << QStringList({"a", "bb"});
        QTest::newRow("CR LF, no end on the last line")
            << QByteArray("a\r\nb") << QStringList({"a", "b"});
        QTest::newRow("empty lines") << QByteArray("\n\n") << QStringList({"", ""});
        QTest::newRow("an empty file") << QByteArray() << QStringList();
        QTest::newRow("a long UTF-8 line") << x.toUtf8() + "中y\n" << QStringList({x, "中y"});
        QTest::newRow("a long GB18030 line")
            << "x" + gb18030(QString(max / 2, QChar(0x4E2D)))
            << QStringList({"x" + QString(max / 2 - 1, QChar(0x4E2D)), QString(QChar(0x4E2D))});
        QTest::newRow("a line end right after the limit")
            << QByteArray(max, 'y') + "\nz" << QStringList({QString(max, 'y'), "z"});
    }

    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        const QString path = dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(TestFiles::write(path, bytes));
        TextFileIndex index;
        QVERIFY(index.open(path));
        QCOMPARE(allLines(index), expected);
    }

    // Only a character cut by the end of the file tells against UTF-8, not
    // one cut by the end of the part read to choose.
    void encoding()
    {
        const QByteArray cut = QStringLiteral("中文").toUtf8().chopped(1);
        QCOMPARE(TextFileIndex::detect(cut, false), TextFileIndex::Encoding::Utf8);
        QCOMPARE(TextFileIndex::detect(cut, true), TextFileIndex::Encoding::Gb18030);
        QCOMPARE(TextFileIndex::detect(gb18030("中文"), false), TextFileIndex::Encoding::Gb18030);
    }

    // Any line is found from the checkpoint before it, across the blocks
    // the file is read in.
    void findsLinesAnywhere()
    {
        const QString path = dir.filePath("numbered.txt");
        QByteArray bytes;
        for (int i = 0; i < 400000; ++i)
            bytes += QByteArray::number(i).rightJustified(10, '0') + '\n';
        QVERIFY(bytes.size() > TextFileIndex::BlockBytes);
        QVERIFY(TestFiles::write(path, bytes));
        TextFileIndex index;
        QVERIFY(index.open(path));
        QVERIFY(!index.indexMore(1024 * 1024));
        while (!index.indexMore(1024 * 1024)) {
        }
        QCOMPARE(index.lineCount(), qint64(400000));
        const int acrossBlocks = int(TextFileIndex::BlockBytes / 11);
        for (int first : {0, TextFileIndex::CheckpointLines - 1, acrossBlocks, 399999}) {
            const QList<QByteArray> got = index.readLines(first, 2);
            QCOMPARE(got.first(), QByteArray::number(first).rightJustified(10, '0'));
            QCOMPARE(got.size(), first == 399999 ? 1 : 2);
        }
        QVERIFY(index.readLines(400000, 1).isEmpty());
    }

    // A 1 GiB file opens with its first lines at once; the rest is read in
    // steps afterwards, never all at once.
    void aHugeFileOpensAtOnce()
    {
        const QString path = dir.filePath("huge.log");
        QVERIFY(TestFiles::writeSparse(path, 1LL << 30));
        QVERIFY(TestFiles::write(dir.filePath("head"), "第一行\nsecond\n"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write(TestFiles::read(dir.filePath("head")));
        }
        TextViewerDialog viewer;
        QVERIFY(viewer.load(path));
        QVERIFY(!viewer.isShownWhole());
        QVERIFY(!viewer.lineView()->index()->isComplete());
        QCOMPARE(viewer.lineView()->shownLines().mid(0, 2), QStringList({"第一行", "second"}));
        QCOMPARE(viewer.encoding(), TextFileIndex::Encoding::Utf8);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("huge.log - Korvu"));
    }
};

QTEST_MAIN(TestTextViewer)
#include "tst_textviewer.moc"
