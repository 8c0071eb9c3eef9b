#include "SessionRecorder.h"
#include "fixtures/FakeFtpServer.h"
#include "fixtures/TestFiles.h"
#include "ftp/FtpSession.h"
#include "remote/RemoteCodes.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

// FtpSession against a server that misbehaves on purpose (fakeftpd.py).
class TestFtpFake : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void readsLongRepliesAndRefusesOverlongLines();
    void readsLfOnlyRepliesByteByByte();
    void waitsForDataAfterEarlyCompletionReply();
    void fallsBackFromEpsvToPasv_data();
    void fallsBackFromEpsvToPasv();
    void refusesUnreadablePasvNumbers();
    void connectsToControlPeerNotPasvAddress();
    void acceptsOnlyTheServerInActiveMode();
    void reportsRefusedDataConnections();
    void neverReportsShortTransfersComplete_data();
    void neverReportsShortTransfersComplete();
    void timesOutOnStalls_data();
    void timesOutOnStalls();
    void handlesRestartRefusals();
    void handlesSizesBeyondFourGigabytes();
    void copesWithUnusablePwdReplies_data();
    void copesWithUnusablePwdReplies();
    void reportsRefusedUpload();
    void keepsRepliesInStepWhenDataBreaks();
    void neverWritesHostileNamesOutsideTheTarget();
    void readsTwoHundredThousandEntries();
    void boundsFloodingServers();
    void endsLinkCyclesItCannotSee();
    void sendsAccountWhenAsked();
    void hidesOnlyThePasswordArgument_data();
    void hidesOnlyThePasswordArgument();
    void refusesLineBreaksBeforeSending();
    void judgesExistsByLookingNotByWording();
    void readsEmptyListingsWithoutData_data();
    void readsEmptyListingsWithoutData();
    void listsDotFilesWhereTheServerAllows_data();
    void listsDotFilesWhereTheServerAllows();
    void fallsBackToPasvWhenEpsvIsSilent();
    void stopsEveryKindOfCall_data();
    void stopsEveryKindOfCall();
    void stopsAConnectAtOnce();
    void timesOutOnTrickledReplies_data();
    void timesOutOnTrickledReplies();
    void keepsEntriesOfUnreadableSizes();
    void treatsAMissingSizeFactAsUnknown();
    void leavesTheLocalFileAloneUntilDataArrives_data();
    void leavesTheLocalFileAloneUntilDataArrives();
    void cutsBackWhenTheServerIgnoresRest();
    void copiesTreesPastRefusedSubfolders();
    void refusesDotOperandsBeforeSending_data();
    void refusesDotOperandsBeforeSending();

private:
    void logIn(FtpSession &session, const QString &scenario);
    QString local(const QString &name) const { return m_local.filePath(name); }
    QByteArrayList commandsSince(qsizetype first) const;

    FakeFtpServer m_server;
    QTemporaryDir m_root;
    QDir m_local;
};

void TestFtpFake::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QVERIFY(m_root.isValid());
}

void TestFtpFake::init()
{
    m_local = QDir(m_root.filePath(QString::fromLatin1(QTest::currentTestFunction()) +
                                   QString::fromLatin1(QTest::currentDataTag())));
    QVERIFY(m_local.mkpath(QStringLiteral(".")));
}

void TestFtpFake::logIn(FtpSession &session, const QString &scenario)
{
    session.setTimeoutMs(10000);
    session.OpenConnection(QStringLiteral("127.0.0.1"), scenario, QStringLiteral("pw"), QString(),
                           m_server.port());
}

QByteArrayList TestFtpFake::commandsSince(qsizetype first) const
{
    return m_server.commands().mid(first);
}

void TestFtpFake::readsLongRepliesAndRefusesOverlongLines()
{
    FakeFtpServer longReply(QStringLiteral("long-reply"));
    QVERIFY2(longReply.start(), qPrintable(longReply.error()));
    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(10000);
    FTP_VERIFY(session.OpenConnection(QStringLiteral("127.0.0.1"), QStringLiteral("u"),
                                      QStringLiteral("p"), {}, longReply.port()));
    const auto greeting = recorder.matching(RemoteActivityKind::ServerReply).first();
    QCOMPARE(greeting.text.count(QLatin1String("\r\n")), 3001);
    QCOMPARE(greeting.activity.replyCode, 220);

    FakeFtpServer longLine(QStringLiteral("long-line"));
    QVERIFY2(longLine.start(), qPrintable(longLine.error()));
    FTP_EXPECT_ERROR(session.OpenConnection(QStringLiteral("127.0.0.1"), QStringLiteral("u"),
                                            QStringLiteral("p"), {}, longLine.port()),
                     RemoteErrorCode::ReplyTooLong);
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
}

void TestFtpFake::readsLfOnlyRepliesByteByByte()
{
    FakeFtpServer trickle(QStringLiteral("trickle"));
    QVERIFY2(trickle.start(), qPrintable(trickle.error()));
    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(10000);
    FTP_VERIFY(session.OpenConnection(QStringLiteral("127.0.0.1"), QStringLiteral("u"),
                                      QStringLiteral("p"), {}, trickle.port()));
    QCOMPARE(session.CurrentDirectory(), QStringLiteral("/"));
    FTP_VERIFY(session.DownloadFile(QStringLiteral("/pub/hello.txt"), local(QStringLiteral("h"))));
    QCOMPARE(TestFiles::read(local(QStringLiteral("h"))), QByteArray("hello world\n"));
    QVERIFY(recorder.anyTextContains(QStringLiteral("226 Transfer complete\r\n")));
}

void TestFtpFake::waitsForDataAfterEarlyCompletionReply()
{
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("early-226")));
    FTP_VERIFY(session.DownloadFile(QStringLiteral("/pub/data.bin"), local(QStringLiteral("d"))));
    QByteArray expected;
    for (int i = 0; i < 1024; ++i)
        expected += char(i & 255);
    QCOMPARE(TestFiles::read(local(QStringLiteral("d"))), expected);
    // The next command gets its own reply, not a stale one.
    FTP_VERIFY(session.setCurrentDirectory(QStringLiteral("/pub")));
    QCOMPARE(session.CurrentDirectory(), QStringLiteral("/pub"));
}

void TestFtpFake::fallsBackFromEpsvToPasv_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("EPSV port out of range") << QStringLiteral("bad-epsv");
    QTest::newRow("EPSV port refuses") << QStringLiteral("epsv-refused");
}

void TestFtpFake::fallsBackFromEpsvToPasv()
{
    QFETCH(QString, scenario);
    FtpSession session;
    FTP_VERIFY(logIn(session, scenario));
    const qsizetype before = m_server.commands().size();
    for (int i = 0; i < 2; ++i) {
        FTP_VERIFY(
            session.DownloadFile(QStringLiteral("/pub/hello.txt"), local(QStringLiteral("h"))));
        QCOMPARE(TestFiles::read(local(QStringLiteral("h"))), QByteArray("hello world\n"));
    }
    const QByteArrayList sent = commandsSince(before);
    // EPSV once; PASV from then on.
    QCOMPARE(sent.count("EPSV\r\n"), 1);
    QCOMPARE(sent.count("PASV\r\n"), 2);
}

void TestFtpFake::refusesUnreadablePasvNumbers()
{
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("bad-pasv")));
    FTP_EXPECT_ERROR(
        session.DownloadFile(QStringLiteral("/pub/hello.txt"), local(QStringLiteral("h"))),
        RemoteErrorCode::BadReply);
    QVERIFY(!QFileInfo::exists(local(QStringLiteral("h"))));
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

void TestFtpFake::connectsToControlPeerNotPasvAddress()
{
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(logIn(session, QStringLiteral("foreign-pasv")));
    FTP_VERIFY(session.DownloadFile(QStringLiteral("/pub/hello.txt"), local(QStringLiteral("h"))));
    QCOMPARE(TestFiles::read(local(QStringLiteral("h"))), QByteArray("hello world\n"));
    const auto notes = recorder.matching(RemoteActivityKind::DataConnection);
    QCOMPARE(notes.size(), 1);
    QVERIFY(notes.first().text.contains(QLatin1String("10.255.255.1")));
}

void TestFtpFake::acceptsOnlyTheServerInActiveMode()
{
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("active-intruder")));
    session.setPassiveMode(false);
    FTP_VERIFY(session.DownloadFile(QStringLiteral("/pub/hello.txt"), local(QStringLiteral("h"))));
    QCOMPARE(TestFiles::read(local(QStringLiteral("h"))), QByteArray("hello world\n"));
}

void TestFtpFake::reportsRefusedDataConnections()
{
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("data-425")));
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/")));
    QVERIFY(!session.ListingEntries().entries.isEmpty());
    FTP_EXPECT_ERROR(session.ListDirectory(QStringLiteral("/pub")), 425);
    QCOMPARE(session.ListingEntries().format, RemoteListingFormat::None);
    QVERIFY(session.ListingEntries().entries.isEmpty());
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

namespace {

enum class Transfer
{
    Download,
    Upload,
    ResumedUpload // after the 1000 bytes /pub/sized.bin holds
};

} // namespace

void TestFtpFake::neverReportsShortTransfersComplete_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("transfer");
    QTest::addColumn<int>("expected");
    const int download = int(Transfer::Download);
    const int incomplete = RemoteErrorCode::TransferIncomplete;
    QTest::newRow("SIZE says 1000") << QStringLiteral("short-data") << download << incomplete;
    QTest::newRow("150 says 1000") << QStringLiteral("short-no-size") << download << incomplete;
    QTest::newRow("421 instead") << QStringLiteral("data-421") << download << 421;
    QTest::newRow("more than announced") << QStringLiteral("long-data") << download << incomplete;
    // The server's SIZE after an upload tells what it kept.
    QTest::newRow("upload, the server keeps half")
        << QStringLiteral("stor-short") << int(Transfer::Upload) << incomplete;
    QTest::newRow("resumed upload written from the start")
        << QStringLiteral("rest-ignored") << int(Transfer::ResumedUpload) << incomplete;
    QTest::newRow("resumed upload written from the start, no SIZE")
        << QStringLiteral("rest-ignored-no-size") << int(Transfer::ResumedUpload) << incomplete;
}

void TestFtpFake::neverReportsShortTransfersComplete()
{
    QFETCH(QString, scenario);
    QFETCH(int, transfer);
    QFETCH(int, expected);
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(logIn(session, scenario));
    qint64 offset = Transfer(transfer) == Transfer::ResumedUpload ? 1000 : 0;
    if (Transfer(transfer) == Transfer::Download) {
        FTP_EXPECT_ERROR(
            session.DownloadFile(QStringLiteral("/pub/sized.bin"), local(QStringLiteral("s"))),
            expected);
    } else {
        QVERIFY(TestFiles::write(local(QStringLiteral("s")), TestFiles::pattern(1500)));
        session.setUploadMode(RemoteUploadMode::Resume);
        FTP_EXPECT_ERROR(session.UploadFile(QStringLiteral("/pub/sized.bin"),
                                            local(QStringLiteral("s")), offset),
                         expected);
    }
    QVERIFY(recorder.matching(RemoteActivityKind::FileTransferred).isEmpty());
    QVERIFY(QFileInfo(local(QStringLiteral("s"))).size() <= 2 * 1024 * 1024);
    QCOMPARE(session.ConnectionState(),
             expected == 421 ? RemoteState::Closed : RemoteState::Connected);
    if (session.ConnectionState() == RemoteState::Connected) {
        FTP_VERIFY(session.setCurrentDirectory(QStringLiteral("/pub")));
        QCOMPARE(session.CurrentDirectory(), QStringLiteral("/pub"));
    }
}

void TestFtpFake::timesOutOnStalls_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("duringLogin");
    QTest::newRow("no greeting") << QStringLiteral("stall-greeting") << true;
    QTest::newRow("no reply") << QStringLiteral("stall") << false;
    QTest::newRow("no data") << QStringLiteral("data-never") << false;
    QTest::newRow("data stops") << QStringLiteral("stall-data") << false;
}

void TestFtpFake::timesOutOnStalls()
{
    QFETCH(QString, scenario);
    QFETCH(bool, duringLogin);
    FakeFtpServer stalling(scenario);
    QVERIFY2(stalling.start(), qPrintable(stalling.error()));
    FtpSession session;
    session.setTimeoutMs(1000);
    const auto open = [&] {
        session.OpenConnection(QStringLiteral("127.0.0.1"), QStringLiteral("u"),
                               QStringLiteral("p"), {}, stalling.port());
    };
    QElapsedTimer clock;
    clock.start();
    if (duringLogin) {
        FTP_EXPECT_ERROR(open(), RemoteErrorCode::TimedOut);
    } else {
        FTP_VERIFY(open());
        clock.restart();
        FTP_EXPECT_ERROR(
            session.DownloadFile(QStringLiteral("/pub/sized.bin"), local(QStringLiteral("s"))),
            RemoteErrorCode::TimedOut);
    }
    QVERIFY(clock.elapsed() >= 900);
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
}

void TestFtpFake::handlesRestartRefusals()
{
    const QString file = local(QStringLiteral("sized.bin"));
    QVERIFY(TestFiles::write(file, "0123456789"));
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("rest-refused")));
    QVERIFY(!session.RestartSupported());
    qint64 offset = 10;
    FTP_EXPECT_ERROR(session.DownloadFile(QStringLiteral("/pub/sized.bin"), file, offset),
                     RemoteErrorCode::CannotResume);
    QCOMPARE(TestFiles::read(file), QByteArray("0123456789"));

    // A resumed upload without REST appends, but only to a remote file of
    // exactly the offset's length.
    const QString upload = local(QStringLiteral("hello.txt"));
    QVERIFY(TestFiles::write(upload, "hello world\nand more"));
    session.setUploadMode(RemoteUploadMode::Resume);
    qsizetype before = m_server.commands().size();
    offset = 5;
    FTP_EXPECT_ERROR(session.UploadFile(QStringLiteral("/pub/hello.txt"), upload, offset),
                     RemoteErrorCode::CannotResume);
    for (const QByteArray &command : commandsSince(before))
        QVERIFY2(!command.startsWith("STOR") && !command.startsWith("APPE"), command.constData());
    offset = 12;
    FTP_VERIFY(session.UploadFile(QStringLiteral("/pub/hello.txt"), upload, offset));
    QVERIFY(commandsSince(before).contains("APPE /pub/hello.txt\r\n"));
    FTP_VERIFY(
        session.DownloadFile(QStringLiteral("/pub/hello.txt"), local(QStringLiteral("back"))));
    QCOMPARE(TestFiles::read(local(QStringLiteral("back"))), QByteArray("hello world\nand more"));

    // Past the end of the remote file: refused before anything is fetched.
    FtpSession other;
    FTP_VERIFY(logIn(other, QStringLiteral("plain")));
    QVERIFY(TestFiles::write(file, QByteArray(2000, 'x')));
    before = m_server.commands().size();
    offset = 2000;
    FTP_EXPECT_ERROR(other.DownloadFile(QStringLiteral("/pub/sized.bin"), file, offset),
                     RemoteErrorCode::CannotResume);
    for (const QByteArray &command : commandsSince(before))
        QVERIFY2(!command.startsWith("RETR") && !command.startsWith("REST"), command.constData());
    QCOMPARE(TestFiles::read(file), QByteArray(2000, 'x'));
}

void TestFtpFake::handlesSizesBeyondFourGigabytes()
{
    constexpr qint64 huge = 9999999999;
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("huge-size")));
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/pub")));
    qint64 listed = 0;
    for (const RemoteEntry &entry : session.ListingEntries().entries)
        if (entry.name == QLatin1String("huge.bin"))
            listed = entry.size;
    QCOMPARE(listed, huge);

    const QString file = local(QStringLiteral("huge.bin"));
    QVERIFY(TestFiles::writeSparse(file, huge - 9));
    const qsizetype before = m_server.commands().size();
    qint64 offset = huge - 9;
    FTP_VERIFY(session.DownloadFile(QStringLiteral("/pub/huge.bin"), file, offset));
    QCOMPARE(QFileInfo(file).size(), huge);
    QCOMPARE(TestFiles::readAt(file, huge - 9, 9), QByteArray(9, 'H'));
    QVERIFY(commandsSince(before).contains("REST 9999999990\r\n"));
}

void TestFtpFake::copesWithUnusablePwdReplies_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("unclosed quote") << QStringLiteral("pwd-unclosed");
    QTest::newRow("escape sequence") << QStringLiteral("pwd-control");
}

void TestFtpFake::copesWithUnusablePwdReplies()
{
    QFETCH(QString, scenario);
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(logIn(session, scenario));
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
    QVERIFY(session.CurrentDirectory().isEmpty());
    QCOMPARE(recorder.matching(RemoteActivityKind::ReplyIgnored, RemoteCategory::Failure).size(),
             1);
    const auto failure = failureOf([&] { session.setCurrentDirectory(QStringLiteral("/pub")); });
    QVERIFY(failure.has_value());
    QVERIFY(failure->number == RemoteErrorCode::BadReply ||
            failure->number == RemoteErrorCode::UnsafeServerName);
    QVERIFY(session.CurrentDirectory().isEmpty());
    // Everything else goes on.
    FTP_VERIFY(session.DownloadFile(QStringLiteral("/pub/hello.txt"), local(QStringLiteral("h"))));
}

void TestFtpFake::reportsRefusedUpload()
{
    QVERIFY(TestFiles::write(local(QStringLiteral("up")), "data"));
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("stor-552")));
    qint64 offset = 0;
    const auto failure = failureOf([&] {
        session.UploadFile(QStringLiteral("/pub/up"), local(QStringLiteral("up")), offset);
    });
    QVERIFY(failure.has_value());
    QCOMPARE(failure->number, 552);
    QCOMPARE(RemoteTexts::description(*failure), QStringLiteral("552 Exceeded storage allocation"));
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

void TestFtpFake::keepsRepliesInStepWhenDataBreaks()
{
    FtpSession download;
    FTP_VERIFY(logIn(download, QStringLiteral("retr-reset")));
    FTP_EXPECT_ERROR(
        download.DownloadFile(QStringLiteral("/pub/large.bin"), local(QStringLiteral("l"))), 426);
    FTP_VERIFY(download.setCurrentDirectory(QStringLiteral("/pub")));
    QCOMPARE(download.CurrentDirectory(), QStringLiteral("/pub"));

    QVERIFY(TestFiles::write(local(QStringLiteral("up")), TestFiles::pattern(32 * 1024 * 1024)));
    FtpSession upload;
    FTP_VERIFY(logIn(upload, QStringLiteral("stor-reset")));
    qint64 offset = 0;
    FTP_EXPECT_ERROR(
        upload.UploadFile(QStringLiteral("/pub/up"), local(QStringLiteral("up")), offset), 552);
    FTP_VERIFY(upload.setCurrentDirectory(QStringLiteral("/pub")));
    QCOMPARE(upload.CurrentDirectory(), QStringLiteral("/pub"));
}

void TestFtpFake::neverWritesHostileNamesOutsideTheTarget()
{
    FtpSession session;
    SessionRecorder recorder(session);
    QStringList shown;
    connect(&session, &RemoteSession::EntriesRead, [&shown](const QVector<RemoteEntry> &batch) {
        for (const RemoteEntry &entry : batch)
            shown.append(entry.name);
    });
    FTP_VERIFY(logIn(session, QStringLiteral("hostile-names")));
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/evil")));
    // "." and ".." are left out of what LIST -a gives, even while it comes
    // in; the line whose name is empty is said to be unreadable.
    QCOMPARE(session.ListingEntries().entries.size(), 7);
    QCOMPARE(shown.size(), 7);
    const auto unreadable =
        recorder.matching(RemoteActivityKind::LinesUnreadable, RemoteCategory::Failure);
    QCOMPARE(unreadable.size(), 1);
    QCOMPARE(unreadable.first().count, 1);

    const QString target = local(QStringLiteral("inner"));
    FTP_EXPECT_ERROR(session.DownloadMany(QStringLiteral("/evil/*"), target),
                     RemoteErrorCode::TreeCopyIncomplete);
    QStringList written;
    QDirIterator it(m_local.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        written.append(m_local.relativeFilePath(it.next()));
    written.sort();
    QCOMPARE(written, (QStringList{QStringLiteral("inner"), QStringLiteral("inner/ok.txt")}));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/abs")));
    // ../x, a/b, /abs, a\b, nul<NUL>name, ../../up; "." and ".." go unsaid.
    const auto skipped =
        recorder.matching(RemoteActivityKind::EntrySkipped, RemoteCategory::Failure);
    QCOMPARE(skipped.size(), 6);
    for (const RecordedEvent &event : skipped) {
        QVERIFY(!event.text.chopped(2).contains(QLatin1Char('\r')));
        QVERIFY(!event.text.contains(QChar(0)));
    }
    QCOMPARE(session.CurrentDirectory(), QStringLiteral("/"));
}

void TestFtpFake::readsTwoHundredThousandEntries()
{
    FtpSession session;
    SessionRecorder recorder(session);
    // The entries come in batches as they are read; a receiver may keep a
    // batch, as a pane does, and the whole listing is there all the same.
    QList<QVector<RemoteEntry>> batches;
    bool keep = true;
    connect(&session, &RemoteSession::EntriesRead, [&](const QVector<RemoteEntry> &batch) {
        if (keep)
            batches.append(batch);
    });
    FTP_VERIFY(logIn(session, QStringLiteral("big-listing")));
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/big")));
    const RemoteListing &listing = session.ListingEntries();
    QCOMPARE(listing.format, RemoteListingFormat::Unix);
    QCOMPARE(listing.entries.size(), 200000);
    QCOMPARE(listing.entries.at(123456).name, QStringLiteral("file123456.dat"));
    QCOMPARE(listing.entries.at(123456).size, 123456);
    QVERIFY(batches.size() > 1);
    qsizetype at = 0;
    for (const QVector<RemoteEntry> &batch : std::as_const(batches))
        for (const RemoteEntry &entry : batch)
            QCOMPARE(entry.name, listing.entries.at(at++).name);
    QCOMPARE(at, 200000);
    const auto read = recorder.matching(RemoteActivityKind::ListingRead);
    QCOMPARE(read.size(), 1);
    QCOMPARE(read.first().count, 200000);

    // Batches let go of at once leave the same listing.
    batches.clear();
    keep = false;
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/big")));
    QCOMPARE(session.ListingEntries().entries.size(), 200000);
    QCOMPARE(session.ListingEntries().entries.last().name, QStringLiteral("file199999.dat"));
}

void TestFtpFake::boundsFloodingServers()
{
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("flood-listing")));
    FTP_EXPECT_ERROR(session.ListDirectory(QStringLiteral("/pub")),
                     RemoteErrorCode::ListingTooLong);
    // The listing was aborted; the session goes on.
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
    FTP_VERIFY(session.setCurrentDirectory(QStringLiteral("/pub")));
    QCOMPARE(session.CurrentDirectory(), QStringLiteral("/pub"));

    FtpSession flooded;
    FTP_VERIFY(logIn(flooded, QStringLiteral("flood-reply")));
    FTP_EXPECT_ERROR(flooded.setCurrentDirectory(QStringLiteral("/pub")),
                     RemoteErrorCode::ReplyTooLong);
    QCOMPARE(flooded.ConnectionState(), RemoteState::Closed);
}

void TestFtpFake::endsLinkCyclesItCannotSee()
{
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(logIn(session, QStringLiteral("link-cycle")));
    const QString target = local(QStringLiteral("tree"));
    // "alias" hides where it leads: not followed, and the copy says so.
    FTP_EXPECT_ERROR(session.DownloadMany(QStringLiteral("/tree/*"), target),
                     RemoteErrorCode::TreeCopyIncomplete);
    QCOMPARE(TestFiles::read(target + QStringLiteral("/top.txt")), QByteArray("top\n"));
    QCOMPARE(TestFiles::read(target + QStringLiteral("/a/inner.txt")), QByteArray("inner\n"));
    QVERIFY(!QFileInfo::exists(target + QStringLiteral("/loop")));
    QVERIFY(!QFileInfo::exists(target + QStringLiteral("/alias")));
    const auto skipped = recorder.matching(RemoteActivityKind::EntrySkipped);
    QCOMPARE(skipped.size(), 2);
    // The listing gave alias's target: it is skipped for being a link.
    for (const RecordedEvent &event : skipped) {
        if (event.activity.remotePath != QLatin1String("alias"))
            continue;
        QVERIFY2(event.text.contains(QStringLiteral("链接")), qPrintable(event.text));
        QVERIFY2(!event.text.contains(QStringLiteral("没有给出")), qPrintable(event.text));
    }
}

void TestFtpFake::sendsAccountWhenAsked()
{
    FtpSession session;
    session.setTimeoutMs(10000);
    const qsizetype before = m_server.commands().size();
    FTP_VERIFY(session.OpenConnection(QStringLiteral("127.0.0.1"), QStringLiteral("acct"),
                                      QStringLiteral("pw"), QStringLiteral("books"),
                                      m_server.port()));
    QVERIFY(commandsSince(before).contains("ACCT books\r\n"));
    FTP_EXPECT_ERROR(session.OpenConnection(QStringLiteral("127.0.0.1"), QStringLiteral("acct"),
                                            QStringLiteral("pw"), QString(), m_server.port()),
                     RemoteErrorCode::AccountRequired);
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
}

void TestFtpFake::hidesOnlyThePasswordArgument_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QStringList>("shown"); // texts the log must hold as they are
    QTest::newRow("password is a word of the greeting")
        << "plain"
        << "fake" << QString()
        << QStringList{"Korvu fake server ready", "USER plain", "PASS ******"};
    QTest::newRow("user and password alike")
        << "plain"
        << "plain" << QString() << QStringList{"USER plain", "PASS ******"};
    QTest::newRow("account") << "acct"
                             << "acct"
                             << "books" << QStringList{"USER acct", "PASS ******", "ACCT ******"};
}

void TestFtpFake::hidesOnlyThePasswordArgument()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, account);
    QFETCH(QStringList, shown);
    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(10000);
    FTP_VERIFY(session.OpenConnection(QStringLiteral("127.0.0.1"), user, password, account,
                                      m_server.port()));
    for (const QString &text : std::as_const(shown))
        QVERIFY2(recorder.anyTextContains(text), qPrintable(text));
    QVERIFY(!recorder.anyTextContains(QStringLiteral("PASS ") + password));
    if (!account.isEmpty())
        QVERIFY(!recorder.anyTextContains(QStringLiteral("ACCT ") + account));
}

void TestFtpFake::refusesLineBreaksBeforeSending()
{
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("plain")));
    const qsizetype before = m_server.commands().size();
    qint64 offset = 0;
    QVERIFY(TestFiles::write(local(QStringLiteral("f")), "x"));
    FTP_EXPECT_ERROR(session.MakeRemoteDirectory(QStringLiteral("a\r\nDELE /pub/hello.txt")),
                     RemoteErrorCode::InvalidName);
    FTP_EXPECT_ERROR(session.RenameRemote(QStringLiteral("/pub/hello.txt"), QStringLiteral("b\nc")),
                     RemoteErrorCode::InvalidName);
    FTP_EXPECT_ERROR(session.DeleteRemoteFile(QStringLiteral("x") + QChar(0) + QStringLiteral("y")),
                     RemoteErrorCode::InvalidName);
    FTP_EXPECT_ERROR(session.UploadFile(QStringLiteral("up\r"), local(QStringLiteral("f")), offset),
                     RemoteErrorCode::InvalidName);
    FTP_EXPECT_ERROR(session.setCurrentDirectory(QStringLiteral("/pub\n")),
                     RemoteErrorCode::InvalidName);
    FTP_EXPECT_ERROR(session.DownloadMany(QStringLiteral("/pub\r\n/*"), local(QStringLiteral("t"))),
                     RemoteErrorCode::InvalidName);
    QCOMPARE(commandsSince(before), QByteArrayList());
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

void TestFtpFake::judgesExistsByLookingNotByWording()
{
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(logIn(session, QStringLiteral("mkd-lies")));
    const auto lastOutcome = [&] {
        return recorder.matching(RemoteActivityKind::MakeDirectoryResult).last();
    };
    // The server claims "File exists" for everything.
    QVERIFY(failureOf([&] { session.MakeRemoteDirectory(QStringLiteral("/pub/brand-new")); }));
    QCOMPARE(lastOutcome().category, RemoteCategory::Failure);
    QVERIFY(!lastOutcome().text.toUpper().contains(QLatin1String("EXISTS")));
    QVERIFY(failureOf([&] { session.MakeRemoteDirectory(QStringLiteral("/pub")); }));
    QVERIFY(lastOutcome().text.toUpper().contains(QLatin1String("EXISTS")));
    QVERIFY(failureOf([&] { session.MakeRemoteDirectory(QStringLiteral("/pub/hello.txt")); }));
    QVERIFY(lastOutcome().text.toUpper().contains(QLatin1String("EXISTS")));
    QCOMPARE(recorder.matching(RemoteActivityKind::MakeDirectoryResult).size(), 3);
    QCOMPARE(session.CurrentDirectory(), QStringLiteral("/"));
}

void TestFtpFake::readsEmptyListingsWithoutData_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("bare 226") << QStringLiteral("bare-226");
    QTest::newRow("450 No files found") << QStringLiteral("no-files-450");
    QTest::newRow("550 No files found") << QStringLiteral("no-files-550");
}

void TestFtpFake::readsEmptyListingsWithoutData()
{
    QFETCH(QString, scenario);
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(logIn(session, scenario));
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/empty")));
    QVERIFY(session.ListingEntries().entries.isEmpty());
    QCOMPARE(recorder.matching(RemoteActivityKind::ListingRead).size(), 1);
    QCOMPARE(recorder.matching(RemoteActivityKind::ListingRead).first().count, 0);
    // The replies stay in step, and a folder that is not there is still an error.
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/pub")));
    QVERIFY(!session.ListingEntries().entries.isEmpty());
    FTP_EXPECT_ERROR(session.ListDirectory(QStringLiteral("/nothing-here")), 550);
    // A tree copy takes such a folder for the empty folder it is.
    FTP_VERIFY(session.DownloadMany(QStringLiteral("/empty/*"), local(QStringLiteral("empty"))));
    QVERIFY(QFileInfo(local(QStringLiteral("empty"))).isDir());
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

void TestFtpFake::listsDotFilesWhereTheServerAllows_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QByteArrayList>("listings");
    QTest::newRow("options taken")
        << QStringLiteral("plain") << QByteArrayList{"LIST -a /pub\r\n", "LIST -a /tree\r\n"};
    QTest::newRow("options refused")
        << QStringLiteral("no-list-options")
        << QByteArrayList{"LIST -a /pub\r\n", "LIST /pub\r\n", "LIST /tree\r\n"};
    QTest::newRow("options taken for a name")
        << QStringLiteral("list-option-as-name")
        << QByteArrayList{"LIST -a /pub\r\n", "LIST /pub\r\n", "LIST /tree\r\n"};
}

void TestFtpFake::listsDotFilesWhereTheServerAllows()
{
    QFETCH(QString, scenario);
    QFETCH(QByteArrayList, listings);
    FtpSession session;
    FTP_VERIFY(logIn(session, scenario));
    const qsizetype before = m_server.commands().size();
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/pub")));
    QCOMPARE(session.ListingEntries().entries.size(), 4);
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/tree")));
    QCOMPARE(session.ListingEntries().entries.size(), 4);
    QByteArrayList sent;
    for (const QByteArray &command : commandsSince(before))
        if (command.startsWith("LIST"))
            sent.append(command);
    QCOMPARE(sent, listings);
}

void TestFtpFake::fallsBackToPasvWhenEpsvIsSilent()
{
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(logIn(session, QStringLiteral("epsv-silent")));
    session.setTimeoutMs(1000);
    const qsizetype before = m_server.commands().size();
    for (int i = 0; i < 2; ++i) {
        FTP_VERIFY(
            session.DownloadFile(QStringLiteral("/pub/hello.txt"), local(QStringLiteral("h"))));
        QCOMPARE(TestFiles::read(local(QStringLiteral("h"))), QByteArray("hello world\n"));
    }
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
    const QByteArrayList sent = commandsSince(before);
    QCOMPARE(sent.count("EPSV\r\n"), 1);
    QCOMPARE(sent.count("PASV\r\n"), 2);
    QCOMPARE(recorder.matching(RemoteActivityKind::DataConnection).size(), 1);
}

namespace {

enum class Call
{
    Delete,
    ChangeDirectory,
    RemoveDirectory,
    MakeDirectory,
    Rename,
    List
};

void runCall(FtpSession &session, Call call)
{
    switch (call) {
    case Call::Delete:
        session.DeleteRemoteFile(QStringLiteral("/pub/hello.txt"));
        break;
    case Call::ChangeDirectory:
        session.setCurrentDirectory(QStringLiteral("/pub"));
        break;
    case Call::RemoveDirectory:
        session.RemoveRemoteDirectory(QStringLiteral("/empty"));
        break;
    case Call::MakeDirectory:
        session.MakeRemoteDirectory(QStringLiteral("/pub/new"));
        break;
    case Call::Rename:
        session.RenameRemote(QStringLiteral("/pub/hello.txt"), QStringLiteral("/pub/renamed"));
        break;
    case Call::List:
        session.ListDirectory(QStringLiteral("/pub"));
        break;
    }
}

} // namespace

void TestFtpFake::stopsEveryKindOfCall_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("call");
    QTest::addColumn<int>("eventCode");  // the event whose handler stops
    QTest::addColumn<QString>("prefix"); // ... when its text starts so
    const QString slow = QStringLiteral("slow-replies");
    const int sent = int(RemoteActivityKind::CommandSent);
    QTest::newRow("DELE") << slow << int(Call::Delete) << sent << QStringLiteral("DELE");
    QTest::newRow("CWD") << slow << int(Call::ChangeDirectory) << sent << QStringLiteral("CWD");
    QTest::newRow("RMD") << slow << int(Call::RemoveDirectory) << sent << QStringLiteral("RMD");
    QTest::newRow("MKD") << slow << int(Call::MakeDirectory) << sent << QStringLiteral("MKD");
    QTest::newRow("RNFR") << slow << int(Call::Rename) << sent << QStringLiteral("RNFR");
    QTest::newRow("listing") << slow << int(Call::List) << sent << QStringLiteral("LIST");
    // Asked for with the last reply of the call: the call still ends stopped.
    QTest::newRow("after the last reply")
        << QStringLiteral("plain") << int(Call::Delete) << int(RemoteActivityKind::ServerReply)
        << QStringLiteral("250");
}

void TestFtpFake::stopsEveryKindOfCall()
{
    QFETCH(QString, scenario);
    QFETCH(int, call);
    QFETCH(int, eventCode);
    QFETCH(QString, prefix);
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(logIn(session, scenario));
    const qsizetype before = m_server.commands().size();
    int stops = 0;
    recorder.onEvent = [&](const RecordedEvent &event) {
        if (int(event.code) == eventCode && event.text.startsWith(prefix) && stops++ == 0)
            session.StopTransfer();
    };
    FTP_EXPECT_ERROR(runCall(session, Call(call)), RemoteErrorCode::StoppedByUser);
    QCOMPARE(stops, 1);
    QVERIFY(!session.IsBusy());
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
    const QByteArrayList sent = commandsSince(before);
    // Nothing after the stop: no RNTO after the RNFR.
    if (Call(call) == Call::Rename)
        QVERIFY(!sent.join().contains("RNTO"));
    // The session knows where the server is after a stopped CWD.
    if (Call(call) == Call::ChangeDirectory)
        QCOMPARE(session.CurrentDirectory(), QStringLiteral("/pub"));
    // The stop does not outlive its call, and the replies stay in step.
    recorder.onEvent = nullptr;
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/tree")));
    QCOMPARE(session.ListingEntries().entries.size(), 4);
}

void TestFtpFake::stopsAConnectAtOnce()
{
    FakeFtpServer silent(QStringLiteral("stall-greeting"));
    QVERIFY2(silent.start(), qPrintable(silent.error()));
    FtpSession session;
    SessionRecorder recorder(session);
    session.setTimeoutMs(20000);
    recorder.onEvent = [&](const RecordedEvent &event) {
        if (event.code == RemoteActivityKind::Connected)
            session.StopTransfer();
    };
    QElapsedTimer clock;
    clock.start();
    FTP_EXPECT_ERROR(session.OpenConnection(QStringLiteral("127.0.0.1"), QStringLiteral("u"),
                                            QStringLiteral("p"), {}, silent.port()),
                     RemoteErrorCode::StoppedByUser);
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
    QCOMPARE(recorder.states.last(), RemoteState::Closed);
}

void TestFtpFake::timesOutOnTrickledReplies_data()
{
    QTest::addColumn<QString>("serverScenario");
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("duringLogin");
    QTest::newRow("greeting") << QStringLiteral("slow-greeting") << QStringLiteral("u") << true;
    QTest::newRow("PWD") << QStringLiteral("plain") << QStringLiteral("slow-pwd") << true;
    QTest::newRow("SIZE") << QStringLiteral("plain") << QStringLiteral("slow-size") << false;
}

void TestFtpFake::timesOutOnTrickledReplies()
{
    QFETCH(QString, serverScenario);
    QFETCH(QString, user);
    QFETCH(bool, duringLogin);
    FakeFtpServer server(serverScenario);
    QVERIFY2(server.start(), qPrintable(server.error()));
    FtpSession session;
    // Each reply trickles in for seven seconds and more, a byte every 0.25 s.
    session.setTimeoutMs(1000);
    QElapsedTimer clock;
    clock.start();
    const auto open = [&] {
        session.OpenConnection(QStringLiteral("127.0.0.1"), user, QStringLiteral("p"), {},
                               server.port());
    };
    if (duringLogin) {
        FTP_EXPECT_ERROR(open(), RemoteErrorCode::TimedOut);
    } else {
        FTP_VERIFY(open());
        clock.restart();
        FTP_EXPECT_ERROR(
            session.DownloadFile(QStringLiteral("/pub/sized.bin"), local(QStringLiteral("s"))),
            RemoteErrorCode::TimedOut);
    }
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
}

void TestFtpFake::keepsEntriesOfUnreadableSizes()
{
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("odd-sizes")));
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/pub")));
    QMap<QString, qint64> sizes;
    for (const RemoteEntry &entry : session.ListingEntries().entries)
        sizes.insert(entry.name, entry.size);
    QCOMPARE(sizes.value(QStringLiteral("sized.bin")), -1);
    QCOMPARE(sizes.value(QStringLiteral("data.bin")), -1);
    QCOMPARE(sizes.value(QStringLiteral("hello.txt")), 12);
    // The copy takes the size from SIZE instead.
    FTP_VERIFY(session.DownloadMany(QStringLiteral("/pub/*"), local(QStringLiteral("pub"))));
    QCOMPARE(QFileInfo(local(QStringLiteral("pub/sized.bin"))).size(), 1000);
    QCOMPARE(QFileInfo(local(QStringLiteral("pub/data.bin"))).size(), 1024);
}

void TestFtpFake::treatsAMissingSizeFactAsUnknown()
{
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("mlsd-no-size")));
    FTP_VERIFY(session.ListDirectory(QStringLiteral("/pub")));
    QCOMPARE(session.ListingEntries().format, RemoteListingFormat::Mlsd);
    for (const RemoteEntry &entry : session.ListingEntries().entries)
        QCOMPARE(entry.size, entry.kind == RemoteEntryKind::Folder ? 0 : -1);
    // Neither the listing nor SIZE says: the data's end does.
    FTP_VERIFY(session.DownloadMany(QStringLiteral("/pub/*"), local(QStringLiteral("pub"))));
    QCOMPARE(QFileInfo(local(QStringLiteral("pub/sized.bin"))).size(), 1000);
    QCOMPARE(QFileInfo(local(QStringLiteral("pub/large.bin"))).size(), 4 * 1024 * 1024);
    FTP_VERIFY(session.DownloadFile(QStringLiteral("/pub/data.bin"), local(QStringLiteral("d"))));
    QCOMPARE(QFileInfo(local(QStringLiteral("d"))).size(), 1024);
}

void TestFtpFake::leavesTheLocalFileAloneUntilDataArrives_data()
{
    QTest::addColumn<qint64>("offset");
    QTest::newRow("from the start") << qint64(0);
    QTest::newRow("resumed") << qint64(3);
}

void TestFtpFake::leavesTheLocalFileAloneUntilDataArrives()
{
    QFETCH(qint64, offset);
    const QString file = local(QStringLiteral("sized.bin"));
    QVERIFY(TestFiles::write(file, "keep me"));
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("retr-empty-fail")));
    FTP_EXPECT_ERROR(session.DownloadFile(QStringLiteral("/pub/sized.bin"), file, offset), 426);
    QCOMPARE(TestFiles::read(file), QByteArray("keep me"));
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

void TestFtpFake::cutsBackWhenTheServerIgnoresRest()
{
    const QByteArray sized = [] {
        QByteArray data;
        for (int i = 0; i < 1000; ++i)
            data += char((i * 7) % 251);
        return data;
    }();
    const QString file = local(QStringLiteral("sized.bin"));
    QVERIFY(TestFiles::write(file, sized.left(400) + "JUNK"));
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("rest-ignored")));
    qint64 offset = 400;
    FTP_EXPECT_ERROR(session.DownloadFile(QStringLiteral("/pub/sized.bin"), file, offset),
                     RemoteErrorCode::CannotResume);
    // Exactly the offset stays, so the next resume starts from a sound file.
    QCOMPARE(TestFiles::read(file), sized.left(400));
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
    offset = 0;
    FTP_VERIFY(session.DownloadFile(QStringLiteral("/pub/sized.bin"), file, offset));
    QCOMPARE(TestFiles::read(file), sized);
}

void TestFtpFake::copiesTreesPastRefusedSubfolders()
{
    FtpSession session;
    SessionRecorder recorder(session);
    FTP_VERIFY(logIn(session, QStringLiteral("refused-subfolder")));
    const QString target = local(QStringLiteral("down"));
    FTP_EXPECT_ERROR(session.DownloadMany(QStringLiteral("/refused/*"), target),
                     RemoteErrorCode::TreeCopyIncomplete);
    QCOMPARE(TestFiles::read(target + QStringLiteral("/first.txt")), QByteArray("first\n"));
    QCOMPARE(TestFiles::read(target + QStringLiteral("/zlast.txt")), QByteArray("last\n"));
    QVERIFY(!QFileInfo::exists(target + QStringLiteral("/locked")));
    const auto failed = recorder.matching(RemoteActivityKind::ItemFailed, RemoteCategory::Failure);
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().count, 550);
    QVERIFY(failed.first().text.contains(QLatin1String("locked")));

    const QString source = local(QStringLiteral("up"));
    QVERIFY(TestFiles::write(source + QStringLiteral("/a.txt"), "a"));
    QVERIFY(TestFiles::write(source + QStringLiteral("/locked/x.txt"), "x"));
    QVERIFY(TestFiles::write(source + QStringLiteral("/open/y.txt"), "y"));
    QVERIFY(TestFiles::write(source + QStringLiteral("/z.txt"), "z"));
    recorder.clear();
    const qsizetype before = m_server.commands().size();
    FTP_EXPECT_ERROR(session.UploadMany(source + QStringLiteral("/*"), QStringLiteral("/pub")),
                     RemoteErrorCode::TreeCopyIncomplete);
    const QByteArrayList sent = commandsSince(before);
    for (const char *stored : {"STOR a.txt\r\n", "STOR y.txt\r\n", "STOR z.txt\r\n"})
        QVERIFY2(sent.contains(stored), stored);
    QVERIFY(!sent.contains("STOR x.txt\r\n"));
    QCOMPARE(recorder.matching(RemoteActivityKind::ItemFailed).size(), 1);
    QCOMPARE(session.CurrentDirectory(), QStringLiteral("/"));
}

void TestFtpFake::refusesDotOperandsBeforeSending_data()
{
    QTest::addColumn<int>("call");
    QTest::addColumn<QString>("path");
    QTest::newRow("rename ..") << int(Call::Rename) << QStringLiteral("..");
    QTest::newRow("delete /pub/..") << int(Call::Delete) << QStringLiteral("/pub/..");
    QTest::newRow("remove .") << int(Call::RemoveDirectory) << QStringLiteral(".");
    QTest::newRow("remove a/../") << int(Call::RemoveDirectory) << QStringLiteral("a/../");
}

void TestFtpFake::refusesDotOperandsBeforeSending()
{
    QFETCH(int, call);
    QFETCH(QString, path);
    FtpSession session;
    FTP_VERIFY(logIn(session, QStringLiteral("plain")));
    const qsizetype before = m_server.commands().size();
    const auto attempt = [&] {
        switch (Call(call)) {
        case Call::Rename:
            session.RenameRemote(path, QStringLiteral("/pub/x"));
            break;
        case Call::Delete:
            session.DeleteRemoteFile(path);
            break;
        default:
            session.RemoveRemoteDirectory(path);
            break;
        }
    };
    FTP_EXPECT_ERROR(attempt(), RemoteErrorCode::InvalidArgument);
    // Either name of a rename.
    if (Call(call) == Call::Rename)
        FTP_EXPECT_ERROR(session.RenameRemote(QStringLiteral("/pub/hello.txt"), path),
                         RemoteErrorCode::InvalidArgument);
    QCOMPARE(commandsSince(before), QByteArrayList());
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

QTEST_MAIN(TestFtpFake)
#include "tst_ftp_fake.moc"
