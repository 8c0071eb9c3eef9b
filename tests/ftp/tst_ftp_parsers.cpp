#include "ftp/FtpDataAddress.h"
#include "ftp/FtpDosListParser.h"
#include "ftp/FtpLineEnds.h"
#include "ftp/FtpListingParser.h"
#include "ftp/FtpMlsdParser.h"
#include "ftp/FtpReplyReader.h"
#include "ftp/FtpUnixListParser.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteNameCodec.h"
#include "remote/RemoteNameEvidence.h"
#include "remote/RemoteNameRules.h"

#include <QDir>
#include <QStringEncoder>
#include <QTest>

// The pure pieces of the FTP component: reply reader, PASV/EPSV, listing
// lines, names. Tables of lines as real servers send them.
class TestFtpParsers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsReplies_data();
    void readsReplies();
    void refusesBrokenReplyStreams_data();
    void refusesBrokenReplyStreams();
    void readsPassiveReplies_data();
    void readsPassiveReplies();
    void formatsActiveArguments();
    void readsUnixLines_data();
    void readsUnixLines();
    void guessesTheYearOfRecentUnixDates_data();
    void guessesTheYearOfRecentUnixDates();
    void readsLocalizedUnixDates_data();
    void readsLocalizedUnixDates();
    void readsIsoUnixDates_data();
    void readsIsoUnixDates();
    void keepsEntriesWithUnreadableFields_data();
    void keepsEntriesWithUnreadableFields();
    void readsDosLines_data();
    void readsDosLines();
    void readsMlsdLines_data();
    void readsMlsdLines();
    void buildsListingsFromPieces_data();
    void buildsListingsFromPieces();
    void decodesTheFirstListingInTheEncodingItDecides();
    void detectsListingFormats();
    void boundsListings();
    void validatesUtf8_data();
    void validatesUtf8();
    void decidesOneEncodingFromNames_data();
    void decidesOneEncodingFromNames();
    void sendsNamesBackByteExact_data();
    void sendsNamesBackByteExact();
    void encodesTypedNamesInTheConnectionsEncoding();
    void convertsAsciiLineEnds();
    void judgesLocalNames_data();
    void judgesLocalNames();
    void refusesDotOperands_data();
    void refusesDotOperands();
    void splitsPatterns_data();
    void splitsPatterns();
};

using Replies = QList<QPair<int, int>>;

namespace {

using Choice = RemoteNameCodec::Choice;

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

// One character per byte, as names that do not read show their bytes.
QString escapes(const QByteArray &bytes)
{
    QString text;
    for (char byte : bytes)
        text += QChar(char16_t(0xF700 + static_cast<unsigned char>(byte)));
    return text;
}

FtpListDate december8()
{
    FtpListDate today;
    today.year = 2026;
    today.month = 12;
    today.day = 8;
    return today;
}

// Feeds `wire` in pieces of `piece` bytes; the codes of the replies and the
// number of lines of each.
Replies replies(const QByteArray &wire, int piece, FtpReplyReader::Status &last)
{
    FtpReplyReader reader;
    Replies result;
    for (qsizetype pos = 0; pos < wire.size(); pos += piece) {
        reader.feed(QByteArrayView(wire).sliced(pos, qMin<qsizetype>(piece, wire.size() - pos)));
        FtpReply reply;
        while ((last = reader.next(reply)) == FtpReplyReader::Status::Reply)
            result.append({reply.code, int(reply.lines.size())});
        if (last == FtpReplyReader::Status::Error)
            break;
    }
    return result;
}

} // namespace

void TestFtpParsers::readsReplies_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<Replies>("expected");
    QTest::newRow("single") << QByteArray("220 ready\r\n") << Replies{{220, 1}};
    QTest::newRow("bare code") << QByteArray("200\r\n") << Replies{{200, 1}};
    QTest::newRow("LF only") << QByteArray("220 a\n331 b\n") << Replies{{220, 1}, {331, 1}};
    QTest::newRow("multi-line FEAT")
        << QByteArray("211-Features:\r\n MLST type*;size*;\r\n REST STREAM\r\n211 End\r\n")
        << Replies{{211, 4}};
    QTest::newRow("inner lines that look like codes")
        << QByteArray("220-first\r\n220-second\r\n230 not the end\r\n220 end\r\n")
        << Replies{{220, 4}};
    QTest::newRow("150 and 226 together")
        << QByteArray("150 Opening\r\n226 Transfer complete\r\n") << Replies{{150, 1}, {226, 1}};
    QTest::newRow("incomplete last line") << QByteArray("220 a\r\n331 b") << Replies{{220, 1}};
    QByteArray longest = "220 " + QByteArray(FtpReplyReader::MaxLineLength - 4, 'x') + "\r\n";
    QTest::newRow("longest line") << longest << Replies{{220, 1}};
    QByteArray many = "220-start\r\n";
    for (int i = 0; i < 3000; ++i)
        many += " line\r\n";
    QTest::newRow("3000 lines") << many + "220 end\r\n" << Replies{{220, 3002}};
}

void TestFtpParsers::readsReplies()
{
    QFETCH(QByteArray, wire);
    QFETCH(Replies, expected);
    for (int piece : {1, 3, 64 * 1024}) {
        FtpReplyReader::Status last;
        QCOMPARE(replies(wire, piece, last), expected);
        QCOMPARE(last, FtpReplyReader::Status::NeedMore);
    }
}

void TestFtpParsers::refusesBrokenReplyStreams_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<int>("fault");
    QTest::newRow("17 000-byte line") << "220-" + QByteArray(17000, 'x') + "\r\n220 ok\r\n"
                                      << int(FtpReplyReader::Fault::LineTooLong);
    QTest::newRow("endless line") << "220 " + QByteArray(40000, 'x')
                                  << int(FtpReplyReader::Fault::LineTooLong);
    QByteArray flood = "220-start\r\n";
    for (int i = 0; i < FtpReplyReader::MaxReplyLines + 10; ++i)
        flood += "220-more\r\n";
    QTest::newRow("endless multi-line reply") << flood << int(FtpReplyReader::Fault::ReplyTooLong);
    QTest::newRow("not a reply") << QByteArray("HTTP/1.1 400 Bad Request\r\n")
                                 << int(FtpReplyReader::Fault::NotAReply);
    QTest::newRow("four digits") << QByteArray("2200 x\r\n")
                                 << int(FtpReplyReader::Fault::NotAReply);
    QTest::newRow("code below 100")
        << QByteArray("099 x\r\n") << int(FtpReplyReader::Fault::NotAReply);
}

void TestFtpParsers::refusesBrokenReplyStreams()
{
    QFETCH(QByteArray, wire);
    QFETCH(int, fault);
    FtpReplyReader reader;
    reader.feed(wire);
    FtpReply reply;
    QCOMPARE(reader.next(reply), FtpReplyReader::Status::Error);
    QCOMPARE(int(reader.fault()), fault);
    // It stays broken and keeps nothing.
    reader.feed("200 ok\r\n");
    QCOMPARE(reader.next(reply), FtpReplyReader::Status::Error);
    QCOMPARE(reader.pending(), 0);
}

void TestFtpParsers::readsPassiveReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<int>("port");     // 0: refused
    QTest::addColumn<QString>("host"); // PASV only
    QTest::newRow("vsftpd PASV") << QByteArray("227 Entering Passive Mode (127,0,0,1,195,80).")
                                 << false << 50000 << QStringLiteral("127.0.0.1");
    QTest::newRow("no brackets") << QByteArray("227 =192,168,1,2,4,1") << false << 1025
                                 << QStringLiteral("192.168.1.2");
    QTest::newRow("number over 255")
        << QByteArray("227 Entering Passive Mode (127,0,0,1,300,12)") << false << 0 << QString();
    QTest::newRow("seven numbers")
        << QByteArray("227 Entering Passive Mode (1,2,3,4,5,6,7)") << false << 0 << QString();
    QTest::newRow("port 0") << QByteArray("227 (127,0,0,1,0,0)") << false << 0 << QString();
    QTest::newRow("five numbers") << QByteArray("227 (127,0,0,1,4)") << false << 0 << QString();
    QTest::newRow("EPSV") << QByteArray("229 Entering Extended Passive Mode (|||6446|)") << true
                          << 6446 << QString();
    QTest::newRow("EPSV other delimiter")
        << QByteArray("229 ok (!!!65535!)") << true << 65535 << QString();
    QTest::newRow("EPSV without brackets")
        << QByteArray("229 ok |||21000|") << true << 21000 << QString();
    QTest::newRow("EPSV 99999") << QByteArray("229 (|||99999|)") << true << 0 << QString();
    QTest::newRow("EPSV 0") << QByteArray("229 (|||0|)") << true << 0 << QString();
    QTest::newRow("EPSV unclosed") << QByteArray("229 (|||6446") << true << 0 << QString();
    QTest::newRow("EPSV mixed delimiters")
        << QByteArray("229 (|!|6446|)") << true << 0 << QString();
    QTest::newRow("EPSV digit delimiter") << QByteArray("229 (11164461)") << true << 0 << QString();
}

void TestFtpParsers::readsPassiveReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, extended);
    QFETCH(int, port);
    QFETCH(QString, host);
    const auto address =
        extended ? FtpDataAddress::fromEpsvReply(reply) : FtpDataAddress::fromPasvReply(reply);
    QCOMPARE(address.has_value(), port != 0);
    if (!address)
        return;
    QCOMPARE(int(address->port), port);
    if (!extended)
        QCOMPARE(address->address, QHostAddress(host));
}

void TestFtpParsers::formatsActiveArguments()
{
    QCOMPARE(FtpDataAddress::portArgument(QHostAddress(QStringLiteral("127.0.0.1")), 50000),
             QByteArray("127,0,0,1,195,80"));
    QCOMPARE(FtpDataAddress::portArgument(QHostAddress(QStringLiteral("::1")), 21), QByteArray());
    QCOMPARE(FtpDataAddress::eprtArgument(QHostAddress(QStringLiteral("10.1.2.3")), 2121),
             QByteArray("|1|10.1.2.3|2121|"));
    QCOMPARE(FtpDataAddress::eprtArgument(QHostAddress(QStringLiteral("::1")), 2121),
             QByteArray("|2|::1|2121|"));
    QCOMPARE(FtpDataAddress::eprtArgument(QHostAddress(QStringLiteral("::ffff:127.0.0.1")), 7),
             QByteArray("|1|127.0.0.1|7|"));
}

void TestFtpParsers::readsUnixLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("entry"); // false: refused; "total" lines are entries to skip
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("permissions");
    QTest::addColumn<QString>("date");

    QTest::newRow("vsftpd file")
        << QByteArray("-rw-r--r--    1 0        0            1234 Mar 04  2020 file one.txt")
        << true << QByteArray("file one.txt") << "-" << qint64(1234) << 644 << "2020-03-04";
    QTest::newRow("vsftpd dir")
        << QByteArray("drwxr-xr-x    2 0        0            4096 Dec 08 13:45 dir two") << true
        << QByteArray("dir two") << "d" << qint64(4096) << 755 << "2026-12-08 13:45";
    QTest::newRow("vsftpd link")
        << QByteArray(
               "lrwxrwxrwx    1 0        0              12 Dec 08 13:45 link -> file one.txt")
        << true << QByteArray("link") << "l" << qint64(12) << 777 << "2026-12-08 13:45";
    QTest::newRow("pyftpdlib")
        << QByteArray("-rw-rw-rw-   1 owner   group    7045120 Sep 02  3:47 music.mp3") << true
        << QByteArray("music.mp3") << "-" << qint64(7045120) << 666 << "2026-09-02 03:47";
    QTest::newRow("5 GiB")
        << QByteArray("-rw-r--r--   1 ftp      ftp      5368709137 Jan  1  2025 big.iso") << true
        << QByteArray("big.iso") << "-" << qint64(5368709137) << 644 << "2025-01-01";
    QTest::newRow("9999999999") << QByteArray(
                                       "-rw-r--r-- 1 owner group 9999999999 Dec  8 13:45 huge.bin")
                                << true << QByteArray("huge.bin") << "-" << qint64(9999999999)
                                << 644 << "2026-12-08 13:45";
    QTest::newRow("character device")
        << QByteArray("crw-rw-rw-   1 root     root       1,   3 Dec  8 13:45 null") << true
        << QByteArray("null") << "c" << qint64(0) << 666 << "2026-12-08 13:45";
    QTest::newRow("block device") << QByteArray(
                                         "brw-rw----   1 root     disk       8,0 Dec  8 13:45 sda")
                                  << true << QByteArray("sda") << "b" << qint64(0) << 660
                                  << "2026-12-08 13:45";
    QTest::newRow("ACL marker and setuid")
        << QByteArray("-rwsr-xr-x+  1 root     root        55 Dec  8 13:45 passwd") << true
        << QByteArray("passwd") << "-" << qint64(55) << 4755 << "2026-12-08 13:45";
    QTest::newRow("sticky dir") << QByteArray(
                                       "drwxrwxrwt  10 root     root      4096 Dec  8 13:45 tmp")
                                << true << QByteArray("tmp") << "d" << qint64(4096) << 1777
                                << "2026-12-08 13:45";
    QTest::newRow("no group, numeric owner")
        << QByteArray("-rw-r--r--   1 1000   77 Dec  8 13:45 x") << true << QByteArray("x") << "-"
        << qint64(77) << 644 << "2026-12-08 13:45";
    QTest::newRow("owner named like a month")
        << QByteArray("-rw-r--r--   1 may      staff     100 Dec  8 13:45 m") << true
        << QByteArray("m") << "-" << qint64(100) << 644 << "2026-12-08 13:45";
    QTest::newRow("name with runs of blanks")
        << QByteArray("-rw-r--r-- 1 u g 5 Dec  8 13:45 a  b   c ") << true
        << QByteArray("a  b   c ") << "-" << qint64(5) << 644 << "2026-12-08 13:45";
    QTest::newRow("name starting with a blank")
        << QByteArray("-rw-r--r-- 1 u g 5 Dec  8 13:45  lead") << true << QByteArray(" lead") << "-"
        << qint64(5) << 644 << "2026-12-08 13:45";
    QTest::newRow("name that looks like a date")
        << QByteArray("-rw-r--r-- 1 u g 5 Dec  8 13:45 Jan 1 2020") << true
        << QByteArray("Jan 1 2020") << "-" << qint64(5) << 644 << "2026-12-08 13:45";
    QTest::newRow("ISO dates") << QByteArray("-rw-r--r-- 1 u g 12 2026-12-08 13:45 iso-dated")
                               << true << QByteArray("iso-dated") << "-" << qint64(12) << 644
                               << "2026-12-08 13:45";
    QTest::newRow("fifo") << QByteArray("prw-r--r-- 1 u g 0 Dec  8 13:45 pipe") << true
                          << QByteArray("pipe") << "p" << qint64(0) << 644 << "2026-12-08 13:45";
    QTest::newRow("total") << QByteArray("total 123") << true << QByteArray() << "" << qint64(0)
                           << 0 << "";
    QTest::newRow("total, zh_CN") << QStringLiteral("总用量 1.2M").toUtf8() << true << QByteArray()
                                  << "" << qint64(0) << 0 << "";
    // ls could not look at the entry: only kind and name are known.
    QTest::newRow("folder ls could not read")
        << QByteArray("d????????? ? ? ? ?            ? locked dir") << true
        << QByteArray("locked dir") << "d" << qint64(0) << 0 << "";
    QTest::newRow("no name") << QByteArray("-rw-r--r-- 1 u g 5 Dec  8 13:45") << false
                             << QByteArray() << "" << qint64(0) << 0 << "";
    QTest::newRow("bad mode") << QByteArray("-rw-r--r-Q 1 u g 5 Dec  8 13:45 x") << false
                              << QByteArray() << "" << qint64(0) << 0 << "";
    QTest::newRow("size not a number") << QByteArray("-rw-r--r-- 1 u g 5x Dec  8 13:45 x") << false
                                       << QByteArray() << "" << qint64(0) << 0 << "";
    QTest::newRow("size grouped wrongly") << QByteArray("-rw-r--r-- 1 u g 10,24 Dec  8 13:45 x")
                                          << false << QByteArray() << "" << qint64(0) << 0 << "";
    QTest::newRow("DOS line") << QByteArray("12-08-26  01:45PM       <DIR>          New folder")
                              << false << QByteArray() << "" << qint64(0) << 0 << "";
}

void TestFtpParsers::readsUnixLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, entry);
    FtpListLine parsed;
    QCOMPARE(FtpUnixListParser::parse(line, december8(), parsed), entry);
    if (!entry)
        return;
    QFETCH(QByteArray, name);
    if (name.isEmpty()) {
        QVERIFY(parsed.skip);
        return;
    }
    QVERIFY(!parsed.skip);
    QCOMPARE(parsed.name.toByteArray(), name);
    QTEST(QString(QChar::fromLatin1(parsed.kind)), "kind");
    QTEST(parsed.size, "size");
    QTEST(parsed.permissions, "permissions");
    QTEST(parsed.date.text(), "date");
}

void TestFtpParsers::guessesTheYearOfRecentUnixDates_data()
{
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<int>("todayYear");
    QTest::addColumn<int>("todayMonth");
    QTest::addColumn<int>("todayDay");
    QTest::addColumn<QString>("expected");
    QTest::newRow("earlier this year")
        << QByteArray("Jan 05 10:00") << 2026 << 12 << 8 << "2026-01-05 10:00";
    QTest::newRow("tomorrow (time zones)")
        << QByteArray("Dec 09 10:00") << 2026 << 12 << 8 << "2026-12-09 10:00";
    QTest::newRow("later: last year")
        << QByteArray("Dec 10 10:00") << 2026 << 12 << 8 << "2025-12-10 10:00";
    QTest::newRow("29 February") << QByteArray("Feb 29 10:00") << 2025 << 3 << 1
                                 << "2024-02-29 10:00";
    QTest::newRow("31 December: tomorrow is next year")
        << QByteArray("Dec 31 23:00") << 2026 << 12 << 31 << "2026-12-31 23:00";
    QTest::newRow("31 December: 1 January was this year")
        << QByteArray("Jan 01 10:00") << 2026 << 12 << 31 << "2026-01-01 10:00";
}

void TestFtpParsers::guessesTheYearOfRecentUnixDates()
{
    QFETCH(QByteArray, date);
    FtpListDate today;
    QFETCH(int, todayYear);
    QFETCH(int, todayMonth);
    QFETCH(int, todayDay);
    today.year = todayYear;
    today.month = todayMonth;
    today.day = todayDay;
    FtpListLine parsed;
    QVERIFY(FtpUnixListParser::parse("-rw-r--r-- 1 u g 5 " + date + " x", today, parsed));
    QTEST(parsed.date.text(), "expected");
}

namespace {

// The fields a line of the date tables must give.
struct ExpectedEntry
{
    QByteArray name;
    qint64 size;
    QString date;
};

void checkUnixLine(const QByteArray &line, const ExpectedEntry &expected)
{
    FtpListLine parsed;
    QVERIFY2(FtpUnixListParser::parse(line, december8(), parsed), line.constData());
    QVERIFY(!parsed.skip);
    QCOMPARE(parsed.name.toByteArray(), expected.name);
    QCOMPARE(parsed.size, expected.size);
    QCOMPARE(parsed.date.text(), expected.date);
}

} // namespace

void TestFtpParsers::readsLocalizedUnixDates_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("date");
    const QByteArray folder = QStringLiteral("目录").toUtf8();
    const QByteArray gbkFolder = QByteArray::fromHex("c4bfc2bc");
    // ls in zh_TW and ja_JP ("%b %e %H:%M"), as the vsftpd-like servers of
    // Chinese users print it.
    QTest::newRow("Chinese month, day, time")
        << "drwxr-xr-x 2 ftp ftp 4096 " + QStringLiteral("12月  8 10:53 目录").toUtf8() << folder
        << qint64(4096) << "2026-12-08 10:53";
    QTest::newRow("Chinese month in GBK")
        << "drwxr-xr-x 2 ftp ftp 4096 12\xd4\xc2  8 10:53 " + gbkFolder << gbkFolder << qint64(4096)
        << "2026-12-08 10:53";
    QTest::newRow("Chinese month, day, year")
        << "-rw-r--r-- 1 ftp ftp 7 " + QStringLiteral("1月 08 2023 a.txt").toUtf8()
        << QByteArray("a.txt") << qint64(7) << "2023-01-08";
    QTest::newRow("Big5 month") << QByteArray("-rw-r--r-- 1 ftp ftp 7 3\xa4\xeb  1 09:05 b")
                                << QByteArray("b") << qint64(7) << "2026-03-01 09:05";
    // ls in zh_CN: "%b%e日 %H:%M" and "%Y年%b%e日", the day padded with a blank.
    QTest::newRow("zh_CN day with unit")
        << "-rw-r--r-- 1 ftp ftp 7 " + QStringLiteral("12月 8日 10:53 a.txt").toUtf8()
        << QByteArray("a.txt") << qint64(7) << "2026-12-08 10:53";
    QTest::newRow("zh_CN month and day in one")
        << "-rw-r--r-- 1 ftp ftp 7 " + QStringLiteral("11月18日 10:53 a.txt").toUtf8()
        << QByteArray("a.txt") << qint64(7) << "2026-11-18 10:53";
    QTest::newRow("zh_CN later this month: last year")
        << "-rw-r--r-- 1 ftp ftp 7 " + QStringLiteral("12月18日 10:53 a.txt").toUtf8()
        << QByteArray("a.txt") << qint64(7) << "2025-12-18 10:53";
    QTest::newRow("zh_CN older file")
        << "-rw-r--r-- 1 ftp ftp 7 " + QStringLiteral("2023年1月 8日 a.txt").toUtf8()
        << QByteArray("a.txt") << qint64(7) << "2023-01-08";
    QTest::newRow("zh_CN older file, all in one")
        << "-rw-r--r-- 1 ftp ftp 7 " + QStringLiteral("2023年12月18日 旧 文件").toUtf8()
        << QStringLiteral("旧 文件").toUtf8() << qint64(7) << "2023-12-18";
    QTest::newRow("zh_CN older file in GBK") << QByteArray("-rw-r--r-- 1 ftp ftp 7 2023\xc4\xea"
                                                           "1\xd4\xc2 8\xc8\xd5 a.txt")
                                             << QByteArray("a.txt") << qint64(7) << "2023-01-08";
    QTest::newRow("Korean") << "-rw-r--r-- 1 u g 5 " + QStringLiteral("1월  8일  10:53 k").toUtf8()
                            << QByteArray("k") << qint64(5) << "2026-01-08 10:53";
    QTest::newRow("Korean older file")
        << "-rw-r--r-- 1 u g 5 " + QStringLiteral("2023년 1월  8일 k").toUtf8() << QByteArray("k")
        << qint64(5) << "2023-01-08";
    QTest::newRow("Japanese older file")
        << "-rw-r--r-- 1 u g 5 " + QStringLiteral(" 1月  8  2023 j").toUtf8() << QByteArray("j")
        << qint64(5) << "2023-01-08";
    // Day first.
    QTest::newRow("German") << QByteArray("-rw-r--r-- 1 u g 5  8. Dez 10:53 d") << QByteArray("d")
                            << qint64(5) << "2026-12-08 10:53";
    QTest::newRow("German older file, blank after the year")
        << QByteArray("-rw-r--r-- 1 u g 5  8. M\xc3\xa4r 2023  d") << QByteArray("d") << qint64(5)
        << "2023-03-08";
    QTest::newRow("French") << QByteArray("-rw-r--r-- 1 u g 5  8 d\xc3\xa9\x63. 10:53 f")
                            << QByteArray("f") << qint64(5) << "2026-12-08 10:53";
    QTest::newRow("French older file in Latin-1")
        << QByteArray("-rw-r--r-- 1 u g 5  8 f\xe9vr.  2023 f") << QByteArray("f") << qint64(5)
        << "2023-02-08";
    QTest::newRow("Spanish") << QByteArray("-rw-r--r-- 1 u g 5 ene  8 10:53 e") << QByteArray("e")
                             << qint64(5) << "2026-01-08 10:53";
    QTest::newRow("Russian") << "-rw-r--r-- 1 u g 5 " + QStringLiteral("мая  8 10:53 r").toUtf8()
                             << QByteArray("r") << qint64(5) << "2026-05-08 10:53";
    QTest::newRow("English in full") << QByteArray("-rw-r--r-- 1 u g 5 September  8 2020 s")
                                     << QByteArray("s") << qint64(5) << "2020-09-08";
}

void TestFtpParsers::readsLocalizedUnixDates()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, name);
    QFETCH(qint64, size);
    QFETCH(QString, date);
    checkUnixLine(line, {name, size, date});
}

void TestFtpParsers::readsIsoUnixDates_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("date");
    QTest::newRow("long-iso") << QByteArray("-rw-r--r-- 1 u g 7 2024-01-08 10:53 a.txt")
                              << QByteArray("a.txt") << qint64(7) << "2024-01-08 10:53";
    QTest::newRow("full-iso")
        << QByteArray("-rw-r--r-- 1 u g 7 2024-01-08 10:53:07.123456789 +0800 a b.txt")
        << QByteArray("a b.txt") << qint64(7) << "2024-01-08 10:53";
    QTest::newRow("full-iso, west of Greenwich")
        << QByteArray("drwxr-xr-x 2 u g 4096 2024-01-08 23:59:59.000000000 -0500 d")
        << QByteArray("d") << qint64(4096) << "2024-01-08 23:59";
    QTest::newRow("iso, older file") << QByteArray("-rw-r--r-- 1 u g 7 2023-01-08 a.txt")
                                     << QByteArray("a.txt") << qint64(7) << "2023-01-08";
    QTest::newRow("iso, older file named like a number")
        << QByteArray("-rw-r--r-- 1 u g 7 2023-01-08 10 things") << QByteArray("10 things")
        << qint64(7) << "2023-01-08";
    QTest::newRow("iso, recent file") << QByteArray("-rw-r--r-- 1 u g 7 01-08 10:53 a.txt")
                                      << QByteArray("a.txt") << qint64(7) << "2026-01-08 10:53";
    QTest::newRow("long-iso, slashes") << QByteArray("-rw-r--r-- 1 u g 7 2024/01/08 10:53 a.txt")
                                       << QByteArray("a.txt") << qint64(7) << "2024-01-08 10:53";
}

void TestFtpParsers::readsIsoUnixDates()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, name);
    QFETCH(qint64, size);
    QFETCH(QString, date);
    checkUnixLine(line, {name, size, date});
}

void TestFtpParsers::keepsEntriesWithUnreadableFields_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("date");
    // Servers with 32-bit size fields print 2 GiB and more as negative numbers.
    QTest::newRow("negative size")
        << QByteArray("-rw-r--r-- 1 ftp ftp -2147483648 Dec  8 10:53 big.iso")
        << QByteArray("big.iso") << qint64(-1) << "2026-12-08 10:53";
    QTest::newRow("19 digits") << QByteArray(
                                      "-rw-r--r-- 1 ftp ftp 1234567890123456789 Dec  8 10:53 huge")
                               << QByteArray("huge") << qint64(-1) << "2026-12-08 10:53";
    QTest::newRow("unknown month") << QByteArray("-rw-r--r-- 1 u g 5 Foo  8 10:53 x y")
                                   << QByteArray("x y") << qint64(5) << "";
    QTest::newRow("Thai month") << "-rw-r--r-- 1 u g 5 " +
                                       QStringLiteral("ธ.ค.  8 10:53 t").toUtf8()
                                << QByteArray("t") << qint64(5) << "";
    QTest::newRow("hour 25") << QByteArray("-rw-r--r-- 1 u g 5 Dec  8 25:45 x") << QByteArray("x")
                             << qint64(5) << "";
    QTest::newRow("unknown date, no group")
        << QByteArray("-rw-r--r-- 1 1000 5 Foo 8 10:53 x") << QByteArray("x") << qint64(5) << "";
    QTest::newRow("unknown date and negative size")
        << QByteArray("-rw-r--r-- 1 u g -5 Foo 8 10:53 x") << QByteArray("x") << qint64(-1) << "";
    QTest::newRow("size with a plus") << QByteArray("-rw-r--r-- 1 u g +5 Dec  8 10:53 plus")
                                      << QByteArray("plus") << qint64(5) << "2026-12-08 10:53";
    QTest::newRow("size with thousands separators")
        << QByteArray("-rw-r--r-- 1 u g 1,234,567 Dec  8 10:53 grouped") << QByteArray("grouped")
        << qint64(1234567) << "2026-12-08 10:53";
    QTest::newRow("size in hex") << QByteArray("-rw-r--r-- 1 u g 0x10 Dec  8 10:53 hex")
                                 << QByteArray("hex") << qint64(16) << "2026-12-08 10:53";
    QTest::newRow("file ls could not read, name with a leading blank")
        << QByteArray("-????????? ? ? ? ?            ?  lead") << QByteArray(" lead") << qint64(-1)
        << "";
}

void TestFtpParsers::keepsEntriesWithUnreadableFields()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, name);
    QFETCH(qint64, size);
    QFETCH(QString, date);
    checkUnixLine(line, {name, size, date});
    // And the entry is in the listing, with the same fields.
    RemoteNameCodec codec;
    FtpListingParser parser(FtpListingParser::Source::List, codec, december8());
    parser.feed(line + "\r\n");
    parser.finish();
    const RemoteListing listing = parser.takeListing();
    QCOMPARE(listing.entries.size(), 1);
    QCOMPARE(listing.entries.first().rawName, name);
    QCOMPARE(listing.entries.first().size, size);
    QCOMPARE(listing.entries.first().date(), date);
}

void TestFtpParsers::readsDosLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("entry");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("date");
    QTest::newRow("IIS folder") << QByteArray("12-08-26  01:45PM       <DIR>          New folder")
                                << true << QByteArray("New folder") << "d" << qint64(0)
                                << "2026-12-08 13:45";
    QTest::newRow("IIS file") << QByteArray(
                                     "03-04-20  09:05AM              6442450944 big file.iso")
                              << true << QByteArray("big file.iso") << "-" << qint64(6442450944)
                              << "2020-03-04 09:05";
    QTest::newRow("four-digit year, 24 h")
        << QByteArray("12-08-2026  13:45  1234567 report 2026.pdf") << true
        << QByteArray("report 2026.pdf") << "-" << qint64(1234567) << "2026-12-08 13:45";
    QTest::newRow("midnight, last century, separators")
        << QByteArray("01-02-99  12:00AM  1,234 a.txt") << true << QByteArray("a.txt") << "-"
        << qint64(1234) << "1999-01-02 00:00";
    QTest::newRow("AM/PM apart") << QByteArray("01/02/2021 12:30 PM <DIR> noon") << true
                                 << QByteArray("noon") << "d" << qint64(0) << "2021-01-02 12:30";
    // Windows servers in Chinese and IIS in its other date style: year first, 24 hours.
    QTest::newRow("year first, slashes")
        << "2024/01/08  10:53    <DIR>          " + QStringLiteral("目录").toUtf8() << true
        << QStringLiteral("目录").toUtf8() << "d" << qint64(0) << "2024-01-08 10:53";
    QTest::newRow("year first, dashes")
        << QByteArray("2024-01-08  23:05  1,234 a.txt") << true << QByteArray("a.txt") << "-"
        << qint64(1234) << "2024-01-08 23:05";
    QTest::newRow("seconds") << QByteArray("2024-01-08  10:53:07  77 s.txt") << true
                             << QByteArray("s.txt") << "-" << qint64(77) << "2024-01-08 10:53";
    QTest::newRow("GBK name") << QByteArray("2024/01/08  10:53  5 \xd6\xd0\xce\xc4.txt") << true
                              << QByteArray("\xd6\xd0\xce\xc4.txt") << "-" << qint64(5)
                              << "2024-01-08 10:53";
    QTest::newRow("size beyond 18 digits")
        << QByteArray("2024/01/08  10:53  1234567890123456789 huge") << true << QByteArray("huge")
        << "-" << qint64(-1) << "2024-01-08 10:53";
    // Windows in Europe: the day first, dots in the size.
    QTest::newRow("European date and size")
        << QByteArray("08.01.2024  10:53             1.234 bericht.txt") << true
        << QByteArray("bericht.txt") << "-" << qint64(1234) << "2024-01-08 10:53";
    QTest::newRow("junction, its target left out")
        << QByteArray("08.01.2024  10:53    <JUNCTION>     Documents [C:\\Users\\me\\Documents]")
        << true << QByteArray("Documents") << "l" << qint64(0) << "2024-01-08 10:53";
    QTest::newRow("folder named with leading blanks")
        << QByteArray("12-08-26  01:45PM       <DIR>            two") << true << QByteArray("  two")
        << "d" << qint64(0) << "2026-12-08 13:45";
    QTest::newRow("file named with a leading blank")
        << QByteArray("03-04-20  09:05AM                   77  one") << true << QByteArray(" one")
        << "-" << qint64(77) << "2020-03-04 09:05";
    QTest::newRow("month 13, year first")
        << QByteArray("2024/13/08  10:53  5 x") << false << QByteArray() << "" << qint64(0) << "";
    QTest::newRow("no name") << QByteArray("12-08-26  01:45PM  <DIR>") << false << QByteArray()
                             << "" << qint64(0) << "";
    QTest::newRow("13 PM") << QByteArray("12-08-26  13:45PM  5 x") << false << QByteArray() << ""
                           << qint64(0) << "";
    QTest::newRow("Unix line") << QByteArray("-rw-r--r-- 1 u g 5 Dec  8 13:45 x") << false
                               << QByteArray() << "" << qint64(0) << "";
}

void TestFtpParsers::readsDosLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, entry);
    FtpListLine parsed;
    QCOMPARE(FtpDosListParser::parse(line, parsed), entry);
    if (!entry)
        return;
    QTEST(parsed.name.toByteArray(), "name");
    QTEST(QString(QChar::fromLatin1(parsed.kind)), "kind");
    QTEST(parsed.size, "size");
    QTEST(parsed.date.text(), "date");
    QCOMPARE(parsed.permissions, 0);
}

void TestFtpParsers::readsMlsdLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("entry");
    QTest::addColumn<bool>("skip");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("permissions");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QByteArray>("unique");
    QTest::newRow("pyftpdlib file")
        << QByteArray("modify=20261208134501;perm=radfwMT;size=5368709120;type=file;unique=803g1a;"
                      "unix.mode=0o644; big file.iso")
        << true << false << QByteArray("big file.iso") << "-" << qint64(5368709120) << 644
        << "2026-12-08 13:45" << QByteArray("803g1a");
    QTest::newRow("dir, upper-case facts")
        << QByteArray("Type=dir;Modify=20200304050607.123;UNIX.mode=2755; sub") << true << false
        << QByteArray("sub") << "d" << qint64(0) << 2755 << "2020-03-04 05:06" << QByteArray();
    QTest::newRow("cdir") << QByteArray("type=cdir;modify=20200304050607; /pub") << true << true
                          << QByteArray("/pub") << "d" << qint64(0) << 0 << "2020-03-04 05:06"
                          << QByteArray();
    QTest::newRow("pdir") << QByteArray("type=pdir; ..") << true << true << QByteArray("..") << "d"
                          << qint64(0) << 0 << "" << QByteArray();
    QTest::newRow("link") << QByteArray("type=OS.unix=slink:/etc/passwd;unix.mode=0777; pw") << true
                          << false << QByteArray("pw") << "l" << qint64(0) << 777 << ""
                          << QByteArray();
    QTest::newRow("device") << QByteArray("type=OS.unix=chr-1/3; null") << true << false
                            << QByteArray("null") << "c" << qint64(0) << 0 << "" << QByteArray();
    QTest::newRow("sizd") << QByteArray("type=dir;sizd=4096; d") << true << false << QByteArray("d")
                          << "d" << qint64(4096) << 0 << "" << QByteArray();
    QTest::newRow("name with ; and =")
        << QByteArray("type=file;size=1; a;b=c") << true << false << QByteArray("a;b=c") << "-"
        << qint64(1) << 0 << "" << QByteArray();
    QTest::newRow("leading blank in name")
        << QByteArray("type=file;size=1;  x") << true << false << QByteArray(" x") << "-"
        << qint64(1) << 0 << "" << QByteArray();
    QTest::newRow("unknown type") << QByteArray("type=OS.vms=weird; w") << true << false
                                  << QByteArray("w") << "?" << qint64(0) << 0 << "" << QByteArray();
    QTest::newRow("bad modify") << QByteArray("type=file;size=3;modify=2026; m") << true << false
                                << QByteArray("m") << "-" << qint64(3) << 0 << "" << QByteArray();
    // The size fact is optional: a file without one has an unknown size.
    QTest::newRow("file without size")
        << QByteArray("type=file;modify=20261208134501; nosize") << true << false
        << QByteArray("nosize") << "-" << qint64(-1) << 0 << "2026-12-08 13:45" << QByteArray();
    QTest::newRow("unreadable size")
        << QByteArray("type=file;size=12kB; k") << true << false << QByteArray("k") << "-"
        << qint64(-1) << 0 << "" << QByteArray();
    QTest::newRow("folder without size")
        << QByteArray("type=dir; d") << true << false << QByteArray("d") << "d" << qint64(0) << 0
        << "" << QByteArray();
    QTest::newRow("no facts") << QByteArray("just a name") << false << false << QByteArray() << ""
                              << qint64(0) << 0 << "" << QByteArray();
    QTest::newRow("no name") << QByteArray("type=file;size=1;") << false << false << QByteArray()
                             << "" << qint64(0) << 0 << "" << QByteArray();
}

void TestFtpParsers::readsMlsdLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, entry);
    FtpListLine parsed;
    QCOMPARE(FtpMlsdParser::parse(line, parsed), entry);
    if (!entry)
        return;
    QTEST(parsed.skip, "skip");
    QTEST(parsed.name.toByteArray(), "name");
    QTEST(QString(QChar::fromLatin1(parsed.kind)), "kind");
    QTEST(parsed.size, "size");
    QTEST(parsed.permissions, "permissions");
    QTEST(parsed.date.text(), "date");
    QTEST(parsed.unique.toByteArray(), "unique");
}

void TestFtpParsers::buildsListingsFromPieces_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArrayList>("names"); // as sent
    QTest::addColumn<QString>("kinds");        // one letter per entry
    QTest::addColumn<QList<qint64>>("sizes");
    QTest::addColumn<QStringList>("dates");
    QTest::addColumn<int>("unreadable");
    // The same Unix listing with each kind of line end: CR LF, LF, a lone
    // CR (old Macintosh servers), CR CR LF (a CR LF converted once more),
    // and all of them at once. Only "garbage line" cannot be read; the last
    // line has no end at all.
    const QByteArrayList lines = {"total 8",
                                  "drwxr-xr-x 2 u g 4096 Dec  8 13:45 sub",
                                  "-rw-r--r-- 1 u g 10 Dec  8 13:45 a file",
                                  "garbage line",
                                  "-rw-r--r-- 1 u g 20 Mar 04  2020 \xd6\xd0\xce\xc4.txt",
                                  "lrwxrwxrwx 1 u g 3 Dec  8 13:45 l -> sub"};
    const QByteArrayList unixNames = {"sub", "a file", "\xd6\xd0\xce\xc4.txt", "l"};
    const QList<qint64> unixSizes = {4096, 10, 20, 3};
    const QStringList unixDates = {"2026-12-08 13:45", "2026-12-08 13:45", "2020-03-04",
                                   "2026-12-08 13:45"};
    const QList<QPair<const char *, const char *>> styles = {
        {"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}, {"CR CR LF", "\r\r\n"}};
    for (const auto &[tag, end] : styles)
        QTest::newRow(tag) << lines.join(end) << RemoteListingFormat::Unix << unixNames << "d--l"
                           << unixSizes << unixDates << 1;
    QByteArray mixed;
    const QByteArrayList ends = {"\r\n", "\n", "\r", "\r\r\n", "\n"};
    for (qsizetype i = 0; i < lines.size(); ++i)
        mixed += lines.at(i) + ends.value(i);
    QTest::newRow("mixed") << mixed << RemoteListingFormat::Unix << unixNames << "d--l" << unixSizes
                           << unixDates << 1;
    // OpenVMS: a heading, sizes in blocks, a name too long for its column
    // with the rest of its entry on the next line, and one whose rest never
    // comes.
    const QByteArray vms =
        "Directory DISK$USER:[JOHN]\r\n"
        "\r\n"
        "BUILD.COM;1               1/3          8-JAN-2024 10:53:07  [JOHN]  (RWED,RWED,RE,)\r\n"
        "SUBDIR.DIR;1              1/3          8-JAN-2024 10:53:07.12  [GROUP,JOHN]  "
        "(RWE,RWE,RE,E)\r\n"
        "A_VERY_LONG_FILE_NAME_THAT_WRAPS.TXT;12\r\n"
        "                          4/6         12-DEC-2023 09:00:00  [JOHN]  (RWED,RWED,R,)\r\n"
        "ORPHAN.TXT;1\r\n"
        "\r\n"
        "Total of 3 files, 6/12 blocks.\r\n";
    QTest::newRow("OpenVMS") << vms << RemoteListingFormat::Vms
                             << QByteArrayList{"BUILD.COM;1", "SUBDIR",
                                               "A_VERY_LONG_FILE_NAME_THAT_WRAPS.TXT;12"}
                             << "-d-" << QList<qint64>{-1, 0, -1}
                             << QStringList{"2024-01-08 10:53", "2024-01-08 10:53",
                                            "2023-12-12 09:00"}
                             << 1;
}

void TestFtpParsers::buildsListingsFromPieces()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArrayList, names);
    QFETCH(QString, kinds);
    QFETCH(QList<qint64>, sizes);
    QFETCH(QStringList, dates);
    for (int piece : {1, 2, 7, 1000}) {
        RemoteNameCodec codec;
        FtpListingParser parser(FtpListingParser::Source::List, codec, december8());
        for (qsizetype pos = 0; pos < text.size(); pos += piece)
            QVERIFY(parser.feed(
                QByteArrayView(text).sliced(pos, qMin<qsizetype>(piece, text.size() - pos))));
        parser.finish();
        const RemoteListing listing = parser.takeListing();
        QTEST(listing.format, "format");
        QTEST(int(listing.unreadableLines), "unreadable");
        QByteArrayList listedNames;
        QString listedKinds;
        QList<qint64> listedSizes;
        QStringList listedDates;
        for (const RemoteEntry &entry : listing.entries) {
            listedNames.append(entry.rawName);
            listedKinds += QLatin1Char(entry.type);
            listedSizes.append(entry.size);
            listedDates.append(entry.date());
            // Every name goes back byte for byte: the GBK one decided the encoding.
            QCOMPARE(codec.encode(entry.name), entry.rawName);
        }
        QCOMPARE(listedNames, names);
        QCOMPARE(listedKinds, kinds);
        QCOMPARE(listedSizes, sizes);
        QCOMPARE(listedDates, dates);
    }
}

void TestFtpParsers::decodesTheFirstListingInTheEncodingItDecides()
{
    // "目录" in GBK comes first and is valid UTF-8 ("Ŀ¼"); the names after it
    // tip the connection to GBK, and it shows as what it is.
    const QByteArray text =
        "drwxr-xr-x 2 ftp ftp 4096 Dec  8 10:53 " + gbk(QStringLiteral("目录")) +
        "\r\n-rw-r--r-- 1 ftp ftp 7 Dec  8 10:53 " + gbk(QStringLiteral("中文.txt")) +
        "\r\n-rw-r--r-- 1 ftp ftp 7 Dec  8 10:53 plain.txt\r\n";
    RemoteNameCodec codec;
    FtpListingParser parser(FtpListingParser::Source::List, codec, december8());
    QVERIFY(parser.feed(text));
    parser.finish();
    const RemoteListing listing = parser.takeListing();
    QCOMPARE(codec.choice(), Choice::Gb18030);
    QCOMPARE(listing.entries.size(), 3);
    QCOMPARE(listing.entries.at(0).name, QStringLiteral("目录"));
    QCOMPARE(listing.entries.at(1).name, QStringLiteral("中文.txt"));
    QCOMPARE(listing.entries.at(2).name, QStringLiteral("plain.txt"));
    for (const RemoteEntry &entry : listing.entries)
        QCOMPARE(codec.encode(entry.name), entry.rawName);
}

void TestFtpParsers::detectsListingFormats()
{
    const auto formatOf = [](FtpListingParser::Source source, const QByteArray &text) {
        RemoteNameCodec codec;
        FtpListingParser parser(source, codec, december8());
        parser.feed(text);
        parser.finish();
        return parser.takeListing().format;
    };
    using Source = FtpListingParser::Source;
    QCOMPARE(formatOf(Source::List, "-rw-r--r-- 1 u g 5 Dec  8 13:45 x\r\n"),
             RemoteListingFormat::Unix);
    QCOMPARE(formatOf(Source::List, "12-08-26  01:45PM  5 x\r\n"), RemoteListingFormat::Dos);
    QCOMPARE(formatOf(Source::List, "what is this\r\n"), RemoteListingFormat::None);
    QCOMPARE(formatOf(Source::List, "total 0\r\n"), RemoteListingFormat::None);
    QCOMPARE(formatOf(Source::List, ""), RemoteListingFormat::None);
    QCOMPARE(formatOf(Source::Mlsd, ""), RemoteListingFormat::Mlsd);
    QCOMPARE(formatOf(Source::Mlsd, "type=file; x\r\n"), RemoteListingFormat::Mlsd);
    QCOMPARE(formatOf(Source::Mlsd, "no facts here\r\n"), RemoteListingFormat::None);

    RemoteNameCodec codec;
    FtpListingParser parser(Source::Mlsd, codec, december8());
    parser.feed("type=cdir; .\r\ntype=dir;unique=1a; d\r\ntype=file; f\r\n");
    parser.finish();
    const RemoteListing listing = parser.takeListing();
    QCOMPARE(listing.identities, (QVector<QByteArray>{"1a", QByteArray()}));
    QCOMPARE(listing.entries.size(), 2);
}

void TestFtpParsers::boundsListings()
{
    RemoteNameCodec codec;
    FtpListingParser byEntries(FtpListingParser::Source::List, codec, december8(), 3, 1 << 20);
    const QByteArray line = "-rw-r--r-- 1 u g 5 Dec  8 13:45 x\r\n";
    QVERIFY(byEntries.feed(line + line + line));
    QVERIFY(!byEntries.feed(line));
    QVERIFY(!byEntries.feed(line));
    QCOMPARE(byEntries.takeListing().entries.size(), 3);

    FtpListingParser byBytes(FtpListingParser::Source::List, codec, december8(), 100, 100);
    QVERIFY(byBytes.feed(line));
    QVERIFY(!byBytes.feed(QByteArray(100, 'x')));

    // A line without end is passed over, not kept, and counted.
    FtpListingParser longLine(FtpListingParser::Source::List, codec, december8());
    QVERIFY(longLine.feed("-rw-r--r-- 1 u g 5 Dec  8 13:45 " + QByteArray(100000, 'y')));
    QVERIFY(longLine.feed(QByteArray(100000, 'y') + "\r\n" + line));
    longLine.finish();
    const RemoteListing listing = longLine.takeListing();
    QCOMPARE(listing.entries.size(), 1);
    QCOMPARE(listing.entries.first().name, QStringLiteral("x"));
    QCOMPARE(listing.unreadableLines, 1);
}

void TestFtpParsers::validatesUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("ASCII") << QByteArray("plain.txt") << true;
    QTest::newRow("Chinese") << QStringLiteral("中文").toUtf8() << true;
    QTest::newRow("emoji") << QByteArray("\xf0\x9f\x98\x80") << true;
    QTest::newRow("GBK") << QByteArray("\xd6\xd0\xce\xc4") << false;
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false;
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false;
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false;
    QTest::newRow("cut short") << QByteArray("\xe4\xb8") << false;
    QTest::newRow("lone continuation") << QByteArray("a\x80") << false;
}

void TestFtpParsers::validatesUtf8()
{
    QFETCH(QByteArray, bytes);
    QTEST(RemoteNameCodec::isValidUtf8(bytes), "valid");
}

void TestFtpParsers::decidesOneEncodingFromNames_data()
{
    QTest::addColumn<QByteArrayList>("names");
    QTest::addColumn<int>("choice");
    const QByteArray utf8Chinese = QStringLiteral("中文").toUtf8();
    QTest::newRow("plain ASCII says nothing")
        << QByteArrayList{"a.txt", "README", "..."} << int(Choice::Undecided);
    QTest::newRow("GBK, not UTF-8")
        << QByteArrayList{"a.txt", gbk(QStringLiteral("中文"))} << int(Choice::Gb18030);
    // Valid UTF-8 by accident: "Ŀ¼", "ѧϰ", "Ŀ.txt".
    QTest::newRow("GBK 目录") << QByteArrayList{gbk(QStringLiteral("目录"))}
                              << int(Choice::Gb18030);
    QTest::newRow("GBK 学习") << QByteArrayList{gbk(QStringLiteral("学习"))}
                              << int(Choice::Gb18030);
    QTest::newRow("GBK 目.txt") << QByteArrayList{gbk(QStringLiteral("目.txt"))}
                                << int(Choice::Gb18030);
    QTest::newRow("UTF-8 Chinese") << QByteArrayList{utf8Chinese} << int(Choice::Utf8);
    QTest::newRow("UTF-8 Latin") << QByteArrayList{QStringLiteral("café.txt").toUtf8(),
                                                   QStringLiteral("Ærø").toUtf8()}
                                 << int(Choice::Utf8);
    QTest::newRow("UTF-8 Cyrillic")
        << QByteArrayList{QStringLiteral("файл").toUtf8()} << int(Choice::Utf8);
    QTest::newRow("one stray Latin-1 name among UTF-8 ones")
        << QByteArrayList{utf8Chinese, QStringLiteral("资料").toUtf8(), "caf\xe9"}
        << int(Choice::Utf8);
    QTest::newRow("more GBK than UTF-8")
        << QByteArrayList{gbk(QStringLiteral("资料")), gbk(QStringLiteral("目录")), utf8Chinese}
        << int(Choice::Gb18030);
    QTest::newRow("as many of each")
        << QByteArrayList{gbk(QStringLiteral("资料")), utf8Chinese} << int(Choice::Utf8);
}

void TestFtpParsers::decidesOneEncodingFromNames()
{
    QFETCH(QByteArrayList, names);
    QFETCH(int, choice);
    RemoteNameEvidence evidence;
    for (const QByteArray &name : names)
        evidence.add(name);
    QCOMPARE(int(evidence.verdict()), choice);

    // Once decided, the connection keeps its encoding; a fixed one is never
    // changed by names.
    RemoteNameCodec codec;
    codec.decide(evidence);
    QCOMPARE(int(codec.choice()), choice);
    RemoteNameEvidence other;
    other.add(choice == int(Choice::Utf8) ? gbk(QStringLiteral("中文"))
                                          : QStringLiteral("中文").toUtf8());
    other.add("caf\xe9");
    codec.decide(other);
    if (choice != int(Choice::Undecided))
        QCOMPARE(int(codec.choice()), choice);
    RemoteNameCodec fixed;
    fixed.reset(Choice::Utf8);
    fixed.decide(evidence);
    QCOMPARE(fixed.choice(), Choice::Utf8);
}

void TestFtpParsers::sendsNamesBackByteExact_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("shown");
    const QByteArray chinese = gbk(QStringLiteral("中文"));
    QTest::newRow("GBK on a GB18030 connection")
        << chinese << int(Choice::Gb18030) << QStringLiteral("中文");
    QTest::newRow("GBK 目录, valid UTF-8 too")
        << gbk(QStringLiteral("目录")) << int(Choice::Gb18030) << QStringLiteral("目录");
    QTest::newRow("GBK on a UTF-8 connection") << chinese << int(Choice::Utf8) << escapes(chinese);
    QTest::newRow("UTF-8 on a UTF-8 connection")
        << QStringLiteral("资料").toUtf8() << int(Choice::Utf8) << QStringLiteral("资料");
    QTest::newRow("neither, GB18030 connection")
        << QByteArray("\xff\x80\x80name") << int(Choice::Gb18030)
        << escapes("\xff\x80\x80") + QStringLiteral("name");
    QTest::newRow("GBK with a cut-off end")
        << chinese + "\xd6" << int(Choice::Gb18030) << QStringLiteral("中文") + escapes("\xd6");
    // A cut-off sequence must not pass for the plain name before it.
    QTest::newRow("cut-off UTF-8")
        << QByteArray("abc\xc0") << int(Choice::Utf8) << QStringLiteral("abc") + escapes("\xc0");
    QTest::newRow("undecided reads UTF-8")
        << QByteArray("x\xe4\xb8\xad") << int(Choice::Undecided) << QStringLiteral("x中");
    // A leading byte order mark is part of the name (found by fuzz_names).
    QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf"
                                                   "bom")
                                     << int(Choice::Utf8) << QString(QChar(0xFEFF)) + "bom";
    // Text that looks like the escapes themselves is escaped in turn.
    QTest::newRow("private use U+F780 in UTF-8")
        << QByteArray("\xef\x9e\x80") << int(Choice::Utf8) << escapes("\xef\x9e\x80");
}

void TestFtpParsers::sendsNamesBackByteExact()
{
    QFETCH(QByteArray, raw);
    QFETCH(int, choice);
    RemoteNameCodec codec;
    codec.reset(Choice(choice));
    const QString shown = codec.decode(raw);
    QTEST(shown, "shown");
    QCOMPARE(codec.encode(shown), raw);
    QCOMPARE(codec.encode(QStringLiteral("/a/") + shown + QStringLiteral("/b")),
             "/a/" + raw + "/b");
}

void TestFtpParsers::encodesTypedNamesInTheConnectionsEncoding()
{
    RemoteNameCodec codec;
    QCOMPARE(codec.encode(QStringLiteral("新建")), QStringLiteral("新建").toUtf8());
    RemoteNameEvidence evidence;
    evidence.add(gbk(QStringLiteral("资料")));
    codec.decide(evidence);
    // Listed, typed or new: every name of a GBK connection goes as GBK.
    QCOMPARE(codec.encode(QStringLiteral("/资料/新建")), gbk(QStringLiteral("/资料/新建")));
    QCOMPARE(codec.encode(QStringLiteral("plain")), QByteArray("plain"));
    codec.reset(Choice::Utf8);
    QCOMPARE(codec.encode(QStringLiteral("/资料/新建")), QStringLiteral("/资料/新建").toUtf8());
    // Reply texts follow the connection too.
    codec.reset(Choice::Gb18030);
    QCOMPARE(codec.text("550 " + gbk(QStringLiteral("目录")) + " exists"),
             QStringLiteral("550 目录 exists"));
}

void TestFtpParsers::convertsAsciiLineEnds()
{
    const QByteArray wire = "a\r\nb\rc\r\n\r\nd\r";
    for (int piece : {1, 2, 3, 100}) {
        FtpLineEnds toLocal;
        QByteArray local;
        for (qsizetype pos = 0; pos < wire.size(); pos += piece)
            toLocal.toLocal(
                QByteArrayView(wire).sliced(pos, qMin<qsizetype>(piece, wire.size() - pos)), local);
        toLocal.finishToLocal(local);
        QCOMPARE(local, QByteArray("a\nb\rc\n\nd\r"));

        FtpLineEnds toNetwork;
        QByteArray network;
        const QByteArray text = "a\nb\r\nc\n\n";
        for (qsizetype pos = 0; pos < text.size(); pos += piece)
            toNetwork.toNetwork(
                QByteArrayView(text).sliced(pos, qMin<qsizetype>(piece, text.size() - pos)),
                network);
        QCOMPARE(network, QByteArray("a\r\nb\r\nc\r\n\r\n"));
    }
}

void TestFtpParsers::judgesLocalNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << QStringLiteral("report 2026.pdf") << true;
    QTest::newRow("Chinese") << QStringLiteral("中文") << true;
    QTest::newRow("dotfile") << QStringLiteral(".hidden") << true;
    QTest::newRow("three dots") << QStringLiteral("...") << true;
    // Not a Qt resource path once inside the folder (found by fuzz_names).
    QTest::newRow("colon first") << QStringLiteral(":notes.txt") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("dot") << QStringLiteral(".") << false;
    QTest::newRow("dot dot") << QStringLiteral("..") << false;
    QTest::newRow("parent path") << QStringLiteral("../x") << false;
    QTest::newRow("slash") << QStringLiteral("a/b") << false;
    QTest::newRow("absolute") << QStringLiteral("/abs") << false;
    QTest::newRow("backslash") << QStringLiteral("a\\b") << false;
    QTest::newRow("CR") << QStringLiteral("a\rb") << false;
    QTest::newRow("LF") << QStringLiteral("a\nb") << false;
    QTest::newRow("NUL") << (QStringLiteral("a") + QChar(0) + QStringLiteral("b")) << false;
}

void TestFtpParsers::judgesLocalNames()
{
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(RemoteNameRules::isSafeLocalName(name), safe);
    if (safe) {
        const QString folder = QDir::toNativeSeparators(QStringLiteral("/target/folder"));
        QCOMPARE(RemoteNameRules::localChildPath(folder, name), folder + QDir::separator() + name);
        QCOMPARE(RemoteNameRules::localChildPath(QString(), name),
                 QStringLiteral(".") + QDir::separator() + name);
    }
}

void TestFtpParsers::splitsPatterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("glob");
    QTest::newRow("remote") << QStringLiteral("/pub/docs/*") << true << QStringLiteral("/pub/docs")
                            << QStringLiteral("*");
    QTest::newRow("remote quoted") << QStringLiteral("\"/pub/my docs/*\"") << true
                                   << QStringLiteral("/pub/my docs") << QStringLiteral("*");
    QTest::newRow("root") << QStringLiteral("/*") << true << QStringLiteral("/")
                          << QStringLiteral("*");
    QTest::newRow("here") << QStringLiteral("*") << true << QString() << QStringLiteral("*");
    QTest::newRow("relative") << QStringLiteral("docs/*") << true << QStringLiteral("docs")
                              << QStringLiteral("*");
    QTest::newRow("no wildcard") << QStringLiteral("/pub/docs/") << true
                                 << QStringLiteral("/pub/docs") << QStringLiteral("*");
    QTest::newRow("other wildcard") << QStringLiteral("/pub/*.txt") << true
                                    << QStringLiteral("/pub") << QStringLiteral("*.txt");
    const QString local = QDir::toNativeSeparators(QStringLiteral("/home/me/my docs"));
    QTest::newRow("local quoted") << QLatin1Char('"') + local + QDir::separator() +
                                         QStringLiteral("*\"")
                                  << false << local << QStringLiteral("*");
}

void TestFtpParsers::splitsPatterns()
{
    QFETCH(QString, pattern);
    QFETCH(bool, remote);
    const RemoteNameRules::Pattern split = remote ? RemoteNameRules::splitRemotePattern(pattern)
                                                  : RemoteNameRules::splitLocalPattern(pattern);
    QTEST(split.folder, "folder");
    QTEST(split.glob, "glob");
    QVERIFY(split.matches(QStringLiteral("notes.txt")));
    QCOMPARE(split.matches(QStringLiteral("image.png")), split.selectsAll());
}

void TestFtpParsers::refusesDotOperands_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("dot");
    QTest::newRow("dot dot") << QStringLiteral("..") << true;
    QTest::newRow("dot") << QStringLiteral(".") << true;
    QTest::newRow("ends in ..") << QStringLiteral("/pub/a/..") << true;
    QTest::newRow("ends in .") << QStringLiteral("a/.") << true;
    QTest::newRow("ends in .. and /") << QStringLiteral("a/../") << true;
    QTest::newRow("three dots") << QStringLiteral("...") << false;
    QTest::newRow("dot file") << QStringLiteral("/pub/.hidden") << false;
    QTest::newRow("dots inside") << QStringLiteral("a..b") << false;
    QTest::newRow(".. earlier") << QStringLiteral("../x") << false;
    QTest::newRow("root") << QStringLiteral("/") << false;
}

void TestFtpParsers::refusesDotOperands()
{
    QFETCH(QString, path);
    QTEST(RemoteNameRules::isDotOperand(path), "dot");
}

QTEST_MAIN(TestFtpParsers)
#include "tst_ftp_parsers.moc"
