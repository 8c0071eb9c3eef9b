#include "remote/RemoteNameCodec.h"
#include "sftp/SftpListing.h"
#include "sftp/SftpPacketReader.h"
#include "sftp/SftpReply.h"

#include <QTest>

Q_DECLARE_METATYPE(SftpEntryKind)

namespace {

QByteArray u32(quint32 value)
{
    return QByteArray::fromHex(QByteArray::number(value, 16).rightJustified(8, '0'));
}

QByteArray str(const QByteArray &value)
{
    return u32(quint32(value.size())) + value;
}

QByteArray packet(quint8 type, const QByteArray &body)
{
    return u32(quint32(body.size() + 1)) + char(type) + body;
}

} // namespace

// The socket-free side of SFTP: cutting packets out of the stream, reading
// replies, turning names into entries.
class TestSftpProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cutsPacketsHoweverSplit_data();
    void cutsPacketsHoweverSplit();
    void readsReplies_data();
    void readsReplies();
    void makesEntries_data();
    void makesEntries();
};

void TestSftpProtocol::cutsPacketsHoweverSplit_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("packets");
    QTest::addColumn<bool>("fails");
    const QByteArray two = packet(101, u32(1) + u32(0)) + packet(103, u32(2) + str("data"));
    QTest::newRow("two packets") << two << 2 << false;
    QTest::newRow("two and a half") << two + two.left(7) << 2 << false;
    QTest::newRow("empty packet") << two + u32(0) << 2 << true;
    QTest::newRow("announces 2 GiB") << u32(0x7ffffff0) + QByteArray(3, 'x') << 0 << true;
    QTest::newRow("one past the limit") << u32(SftpPacketReader::MaxPacketLength + 1) << 0 << true;
    QTest::newRow("at the limit, waiting")
        << u32(SftpPacketReader::MaxPacketLength) + QByteArray(100, 'x') << 0 << false;
}

void TestSftpProtocol::cutsPacketsHoweverSplit()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, packets);
    QFETCH(bool, fails);
    for (const qsizetype piece : {qsizetype(1), qsizetype(3), stream.size()}) {
        SftpPacketReader reader;
        int seen = 0;
        bool failed = false;
        QByteArray types;
        for (qsizetype at = 0; at < stream.size() && !failed; at += piece) {
            reader.feed(QByteArrayView(stream).sliced(at, qMin(piece, stream.size() - at)));
            SftpPacket packet;
            SftpPacketReader::Status status;
            while ((status = reader.next(packet)) == SftpPacketReader::Status::Packet) {
                ++seen;
                types += char(packet.type);
            }
            failed = status == SftpPacketReader::Status::Error;
        }
        QCOMPARE(seen, packets);
        QCOMPARE(failed, fails);
        // Nothing of a refused packet is kept.
        if (failed)
            QCOMPARE(reader.pending(), 0);
        if (packets == 2)
            QCOMPARE(types, QByteArray("\x65\x67"));
    }
}

void TestSftpProtocol::readsReplies_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("what"); // a field of the reply, as text
    const QByteArray attrs = u32(0x0f) + QByteArray::fromHex("0000000100000002") + u32(1000) +
                             u32(1001) + u32(0100644) + u32(1) + u32(1700000000);
    QTest::newRow("status") << 101 << u32(7) + u32(2) + str("No such file") + str("en") << true
                            << "2 No such file";
    QTest::newRow("status of an old server") << 101 << u32(7) + u32(4) << true << "4 ";
    QTest::newRow("status cut short") << 101 << u32(7) + QByteArray(2, 0) << false << "";
    QTest::newRow("handle") << 102 << u32(7) + str("h1") << true << "h1";
    QTest::newRow("handle over 256 bytes")
        << 102 << u32(7) + str(QByteArray(257, 'h')) << false << "";
    QTest::newRow("data") << 103 << u32(7) + str("abc") << true << "abc";
    QTest::newRow("data longer than its packet") << 103 << u32(7) + u32(100) + "abc" << false << "";
    QTest::newRow("two names") << 104
                               << u32(7) + u32(2) + str("a") + str("-rw a") + u32(0) + str("b") +
                                      str("drwx b") + attrs
                               << true << "a b 4294967298";
    QTest::newRow("names fewer than counted")
        << 104 << u32(7) + u32(3) + str("a") + str("a") + u32(0) << false << "";
    QTest::newRow("a count of four billion") << 104 << u32(7) + u32(0xffffffff) << false << "";
    QTest::newRow("attributes") << 105 << u32(7) + attrs << true << "4294967298";
    QTest::newRow("extended pairs past the end")
        << 105 << u32(7) + u32(0x80000000) + u32(5) << false << "";
    QTest::newRow("unknown type") << 99 << u32(7) << false << "";
}

void TestSftpProtocol::readsReplies()
{
    QFETCH(int, type);
    QFETCH(QByteArray, body);
    QFETCH(bool, readable);
    QFETCH(QString, what);
    SftpReply reply;
    QCOMPARE(SftpReply::decode({quint8(type), body}, reply), readable);
    if (!readable)
        return;
    QCOMPARE(reply.id, 7u);
    QString seen;
    if (type == 101)
        seen = QString::number(reply.status) + ' ' + QString::fromLatin1(reply.message);
    else if (type == 102)
        seen = QString::fromLatin1(reply.handle);
    else if (type == 103)
        seen = QString::fromLatin1(reply.data.toByteArray());
    else if (type == 104)
        seen = QString::fromLatin1(reply.names.at(0).name + ' ' + reply.names.at(1).name + ' ') +
               QString::number(reply.names.at(1).attributes.size);
    else
        seen = QString::number(reply.attributes.size);
    QCOMPARE(seen, what);
}

void TestSftpProtocol::makesEntries_data()
{
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<quint64>("size");
    QTest::addColumn<QByteArray>("longName");
    QTest::addColumn<SftpEntryKind>("kind");
    QTest::addColumn<int>("permissions");
    QTest::addColumn<qint64>("shownSize");
    QTest::newRow("file") << 0x5u << 0100644u << quint64(12) << QByteArray("-rw-r--r-- x")
                          << SftpEntryKind::File << 644 << qint64(12);
    QTest::newRow("folder") << 0x5u << 040755u << quint64(4096) << QByteArray("-rw (lies)")
                            << SftpEntryKind::Folder << 755 << qint64(4096);
    QTest::newRow("link") << 0x4u << 0120777u << quint64(0) << QByteArray() << SftpEntryKind::Link
                          << 777 << qint64(-1);
    QTest::newRow("setuid") << 0x4u << 0104755u << quint64(0) << QByteArray() << SftpEntryKind::File
                            << 4755 << qint64(-1);
    QTest::newRow("fifo") << 0x4u << 010600u << quint64(0) << QByteArray() << SftpEntryKind::Special
                          << 600 << qint64(-1);
    QTest::newRow("no mode, long name of a folder")
        << 0x1u << 0u << quint64(1) << QByteArray("drwxr-xr-x 2 u g") << SftpEntryKind::Folder << 0
        << qint64(1);
    QTest::newRow("no mode, long name of a link")
        << 0x0u << 0u << quint64(0) << QByteArray("lrwxrwxrwx 1 u g") << SftpEntryKind::Link << 0
        << qint64(-1);
    QTest::newRow("nothing at all")
        << 0x0u << 0u << quint64(0) << QByteArray() << SftpEntryKind::File << 0 << qint64(-1);
    QTest::newRow("size past 2^63") << 0x1u << 0u << (quint64(1) << 63) << QByteArray()
                                    << SftpEntryKind::File << 0 << qint64(-1);
}

void TestSftpProtocol::makesEntries()
{
    QFETCH(quint32, flags);
    QFETCH(quint32, mode);
    QFETCH(quint64, size);
    QFETCH(QByteArray, longName);
    QFETCH(SftpEntryKind, kind);
    QFETCH(int, permissions);
    QFETCH(qint64, shownSize);
    SftpNameItem item;
    item.name = "n\xff";
    item.longName = longName;
    item.attributes.flags = flags | 0x8;
    item.attributes.permissions = mode;
    item.attributes.size = size;
    item.attributes.modifyTime = 1700000000;
    RemoteNameCodec codec;
    const SftpEntry entry = SftpEntry::fromName(item, codec);
    QCOMPARE(entry.kind, kind);
    QCOMPARE(entry.permissions, permissions);
    QCOMPARE(entry.size, shownSize);
    QCOMPARE(entry.modified, QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC));
    QCOMPARE(entry.rawName, item.name);
    QCOMPARE(codec.encode(entry.name), item.name);
}

QTEST_APPLESS_MAIN(TestSftpProtocol)
#include "tst_sftp_protocol.moc"
