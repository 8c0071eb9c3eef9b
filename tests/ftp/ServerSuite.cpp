#include "ServerSuite.h"

#include "SessionRecorder.h"
#include "fixtures/FixtureProcess.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

namespace {

constexpr qint64 MiB = 1024 * 1024;

const RemoteEntry *entryNamed(const RemoteListing &listing, const QString &name)
{
    for (const RemoteEntry &entry : listing.entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

} // namespace

void ServerSuite::initTestCase()
{
    const QString why = unavailable();
    if (!why.isEmpty())
        QSKIP(qPrintable(why));
    QVERIFY(m_root.isValid());
    QVERIFY(m_client.isValid());
    QString failure;
    QVERIFY2(startServer(m_root.path(), failure), qPrintable(failure));
}

void ServerSuite::init()
{
    // A folder of its own for each test, and for each row of a table.
    m_testFolder = QString::fromLatin1(QTest::currentTestFunction());
    if (const char *row = QTest::currentDataTag())
        m_testFolder +=
            QLatin1Char('-') + QString::fromUtf8(row).replace(QLatin1Char(' '), QLatin1Char('-'));
    QVERIFY(QDir().mkpath(serverDisk()));
    QVERIFY(QDir().mkpath(clientDisk()));
    handOver(serverDisk());
}

QString ServerSuite::remoteDir() const
{
    const QString area = remoteArea();
    return (area.endsWith(QLatin1Char('/')) ? area : area + QLatin1Char('/')) + m_testFolder;
}

QString ServerSuite::serverDisk() const
{
    return QDir(localArea()).filePath(m_testFolder);
}

QString ServerSuite::clientDisk() const
{
    return QDir(m_client.path()).filePath(m_testFolder);
}

void ServerSuite::connectSession(RemoteSession &session)
{
    session.setTimeoutMs(20000);
    configure(session);
    session.OpenConnection(host(), user(), password(), QString(), port());
}

void ServerSuite::connectsLogsInAndCloses()
{
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
    QCOMPARE(recorder.states, (QList<int>{RemoteState::Connecting, RemoteState::Connected}));
    QVERIFY(!session.IsBusy());
    QVERIFY(session.RestartSupported());
    QVERIFY(session.CurrentDirectory().startsWith(QLatin1Char('/')));
    // Delivered during the call, on this thread, while busy.
    const auto [said, sent] =
        speaksFtp() ? std::pair{RemoteActivityKind::ServerReply, RemoteActivityKind::CommandSent}
                    : std::pair{RemoteActivityKind::SshBanner, RemoteActivityKind::Encrypted};
    QVERIFY(!recorder.matching(said).isEmpty());
    QVERIFY(!recorder.matching(sent, RemoteCategory::Information).isEmpty());
    for (const RecordedEvent &event : std::as_const(recorder.events)) {
        QVERIFY(event.busy);
        QVERIFY(event.onCallerThread);
        QVERIFY2(event.text.endsWith(QLatin1String("\r\n")), qPrintable(event.text));
        QVERIFY2(!event.text.contains(password()), qPrintable(event.text));
    }
    QVERIFY(!speaksFtp() || recorder.anyTextContains(QStringLiteral("PASS ******")));

    FTP_VERIFY(session.CloseConnection());
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
    QCOMPARE(recorder.states.last(), RemoteState::Closed);
    QVERIFY(session.CurrentDirectory().isEmpty());
    FTP_VERIFY(session.CloseConnection());
    FTP_EXPECT_ERROR(session.ListDirectory(), RemoteErrorCode::NotConnected);
}

void ServerSuite::refusesBadLoginAndClosedPort()
{
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    session.setTimeoutMs(20000);
    configure(session);
    const auto refused = failureOf([&] {
        session.OpenConnection(host(), refusedUser(), QStringLiteral("wrong-password"), QString(),
                               port());
    });
    QVERIFY(refused.has_value());
    QCOMPARE(refused->number, refusedLoginNumber());
    if (speaksFtp())
        QVERIFY2(RemoteTexts::description(*refused).startsWith(QLatin1String("530")),
                 qPrintable(RemoteTexts::description(*refused)));
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
    QCOMPARE(recorder.states, (QList<int>{RemoteState::Connecting, RemoteState::Closed}));

    FTP_EXPECT_ERROR(
        session.OpenConnection(host(), user(), password(), QString(), FixtureProcess::freePort()),
        RemoteErrorCode::CannotConnect);
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
    FTP_EXPECT_ERROR(session.OpenConnection(host(), user(), password(), QString(), 0),
                     RemoteErrorCode::InvalidArgument);

    // Still good for a proper log-in afterwards.
    FTP_VERIFY(connectSession(session));
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

void ServerSuite::changesAndCreatesDirectories()
{
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    FTP_VERIFY(connectSession(session));
    const QString one = remoteDir() + QStringLiteral("/dir one");
    FTP_VERIFY(session.MakeRemoteDirectory(one));
    QVERIFY(QFileInfo(serverDisk() + QStringLiteral("/dir one")).isDir());
    FTP_VERIFY(session.setCurrentDirectory(one));
    QCOMPARE(session.CurrentDirectory(), one);

    FTP_VERIFY(session.MakeRemoteDirectory(QStringLiteral("sub")));
    QVERIFY(QFileInfo(serverDisk() + QStringLiteral("/dir one/sub")).isDir());
    FTP_VERIFY(session.setCurrentDirectory(QStringLiteral("sub")));
    QCOMPARE(session.CurrentDirectory(), one + QStringLiteral("/sub"));
    FTP_VERIFY(session.ParentDirectory());
    QCOMPARE(session.CurrentDirectory(), one);

    FTP_EXPECT_ERROR(session.setCurrentDirectory(QStringLiteral("missing")), missingNumber());
    QCOMPARE(session.CurrentDirectory(), one);
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);

    FTP_VERIFY(session.RemoveRemoteDirectory(QStringLiteral("sub")));
    QVERIFY(!QFileInfo::exists(serverDisk() + QStringLiteral("/dir one/sub")));
    FTP_EXPECT_ERROR(session.RemoveRemoteDirectory(QStringLiteral("sub")), missingNumber());
}

void ServerSuite::makeDirectoryTellsExistsOnlyWhenItExists()
{
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/plain.txt"), "x"));
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    FTP_VERIFY(session.setCurrentDirectory(remoteDir()));

    const auto outcomes = [&] {
        return recorder.matching(RemoteActivityKind::MakeDirectoryResult);
    };
    const auto saysExists = [](const RecordedEvent &event) {
        return event.activity.folder == RemoteFolderOutcome::AlreadyThere;
    };

    recorder.clear();
    FTP_VERIFY(session.MakeRemoteDirectory(QStringLiteral("exists-in-name")));
    QCOMPARE(outcomes().size(), 1);
    QCOMPARE(outcomes().first().category, RemoteCategory::ServerReply);

    struct Case
    {
        QString name;
        bool exists;
    };
    const Case cases[] = {
        {QStringLiteral("exists-in-name"), true}, // a folder of that name
        {QStringLiteral("plain.txt"), true},      // a file of that name
        {QStringLiteral("missing/exists-in-name"), false},
        // A name the protocol cannot carry: FTP's commands end at a line
        // break, SFTP's paths at a NUL.
        {speaksFtp() ? QStringLiteral("bad\r\nname")
                     : QStringLiteral("bad") + QChar(0) + QStringLiteral("name"),
         false},
    };
    for (const Case &test : cases) {
        recorder.clear();
        QVERIFY(failureOf([&] { session.MakeRemoteDirectory(test.name); }).has_value());
        QCOMPARE(outcomes().size(), 1);
        QCOMPARE(outcomes().first().category, RemoteCategory::Failure);
        QVERIFY2(saysExists(outcomes().first()) == test.exists,
                 qPrintable(outcomes().first().text));
    }
    QCOMPARE(session.CurrentDirectory(), remoteDir());
}

void ServerSuite::renamesAndDeletes()
{
    const QByteArray content = TestFiles::pattern(4000, 3);
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/a.txt"), content));
    QVERIFY(QDir().mkpath(serverDisk() + QStringLiteral("/full/inner")));
    handOver(serverDisk());
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    FTP_VERIFY(connectSession(session));

    FTP_VERIFY(session.RenameRemote(remoteDir() + QStringLiteral("/a.txt"),
                                    remoteDir() + QStringLiteral("/b c.txt")));
    QVERIFY(!QFileInfo::exists(serverDisk() + QStringLiteral("/a.txt")));
    QCOMPARE(TestFiles::read(serverDisk() + QStringLiteral("/b c.txt")), content);
    QVERIFY(failureOf([&] {
                session.RenameRemote(remoteDir() + QStringLiteral("/a.txt"),
                                     remoteDir() + QStringLiteral("/d.txt"));
            })->number >= 500);

    FTP_VERIFY(session.DeleteRemoteFile(remoteDir() + QStringLiteral("/b c.txt")));
    QVERIFY(!QFileInfo::exists(serverDisk() + QStringLiteral("/b c.txt")));
    FTP_EXPECT_ERROR(session.DeleteRemoteFile(remoteDir() + QStringLiteral("/b c.txt")),
                     missingNumber());
    FTP_EXPECT_ERROR(session.RemoveRemoteDirectory(remoteDir() + QStringLiteral("/full")),
                     notEmptyNumber());
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

void ServerSuite::listsEntries()
{
    const QString disk = serverDisk();
    QVERIFY(TestFiles::write(disk + QStringLiteral("/file one.txt"), TestFiles::pattern(1234)));
    QVERIFY(TestFiles::write(disk + QStringLiteral("/empty"), QByteArray()));
    QVERIFY(TestFiles::write(disk + QStringLiteral("/run.sh"), "#!/bin/sh\n"));
    QVERIFY(QFile::setPermissions(disk + QStringLiteral("/run.sh"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::ExeOther));
    QVERIFY(QDir().mkpath(disk + QStringLiteral("/dir two")));
    QVERIFY(QFile::link(QStringLiteral("file one.txt"), disk + QStringLiteral("/link")));
    QFile old(disk + QStringLiteral("/file one.txt"));
    QVERIFY(old.open(QIODevice::ReadWrite));
    QVERIFY(old.setFileTime(QDateTime(QDate(2020, 3, 4), QTime(5, 6), Qt::UTC),
                            QFileDevice::FileModificationTime));
    old.close();

    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    FTP_VERIFY(session.ListDirectory(remoteDir()));
    const RemoteListing &listing = session.ListingEntries();
    QCOMPARE(listing.format, listingFormat());
    QCOMPARE(listing.entries.size(), 5);

    const RemoteEntry *file = entryNamed(listing, QStringLiteral("file one.txt"));
    QVERIFY(file);
    QCOMPARE(file->kind, RemoteEntryKind::File);
    QCOMPARE(file->size, 1234);
    QCOMPARE(file->permissions, 644);
    QVERIFY2(file->date().startsWith(QLatin1String("2020-03-04")), qPrintable(file->date()));
    QCOMPARE(file->rawName, QByteArray("file one.txt"));
    QCOMPARE(entryNamed(listing, QStringLiteral("empty"))->size, 0);
    QCOMPARE(entryNamed(listing, QStringLiteral("run.sh"))->permissions, 755);
    QCOMPARE(entryNamed(listing, QStringLiteral("dir two"))->kind, RemoteEntryKind::Folder);
    QVERIFY(entryNamed(listing, QStringLiteral("link")));
    QCOMPARE(entryNamed(listing, QStringLiteral("link"))->kind, linkKind());
    const QRegularExpression dateForm(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}( \\d{2}:\\d{2})?$"));
    for (const RemoteEntry &entry : listing.entries)
        QVERIFY2(dateForm.match(entry.date()).hasMatch(), qPrintable(entry.date()));
    const auto read =
        recorder.matching(RemoteActivityKind::ListingRead, RemoteCategory::Information);
    QCOMPARE(read.size(), 1);
    QCOMPARE(read.first().count, 5);

    // The current directory, by default.
    FTP_VERIFY(session.setCurrentDirectory(remoteDir() + QStringLiteral("/dir two")));
    FTP_VERIFY(session.ListDirectory());
    QCOMPARE(session.ListingEntries().entries.size(), 0);
}

void ServerSuite::downloadsReplacingAndResuming()
{
    const QByteArray content = TestFiles::pattern(3 * MiB + 123, 1);
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/data.bin"), content));
    const QString remote = remoteDir() + QStringLiteral("/data.bin");
    const QString local = clientDisk() + QStringLiteral("/data.bin");
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));

    FTP_VERIFY(session.DownloadFile(remote, local));
    QCOMPARE(TestFiles::read(local), content);

    // Offset 0 replaces a longer file.
    QVERIFY(TestFiles::write(local, TestFiles::pattern(5 * MiB, 9)));
    qint64 offset = 0;
    FTP_VERIFY(session.DownloadFile(remote, local, offset));
    QCOMPARE(TestFiles::read(local), content);

    // Offset n keeps exactly the first n bytes, whatever follows them.
    offset = MiB;
    QVERIFY(TestFiles::write(local, content.left(offset) + QByteArray(1000, 'J')));
    recorder.clear();
    FTP_VERIFY(session.DownloadFile(remote, local, offset));
    QCOMPARE(offset, MiB);
    QCOMPARE(TestFiles::read(local), content);
    const auto progress = recorder.matching(RemoteActivityKind::DownloadFileProgress);
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().count, content.size() - MiB);
    QCOMPARE(progress.last().activity.total, content.size() - MiB);

    // Nothing left to fetch.
    offset = content.size();
    FTP_VERIFY(session.DownloadFile(remote, local, offset));
    QCOMPARE(TestFiles::read(local), content);
}

void ServerSuite::refusesResumeBeyondLocalFile()
{
    QVERIFY(
        TestFiles::write(serverDisk() + QStringLiteral("/small.bin"), TestFiles::pattern(3000)));
    const QString remote = remoteDir() + QStringLiteral("/small.bin");
    const QString local = clientDisk() + QStringLiteral("/small.bin");
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    FTP_VERIFY(connectSession(session));

    QVERIFY(TestFiles::write(local, "0123456789"));
    qint64 offset = 100;
    FTP_EXPECT_ERROR(session.DownloadFile(remote, local, offset), RemoteErrorCode::CannotResume);
    QCOMPARE(TestFiles::read(local), QByteArray("0123456789"));

    QVERIFY(TestFiles::write(local, TestFiles::pattern(4000)));
    offset = 4000;
    FTP_EXPECT_ERROR(session.DownloadFile(remote, local, offset), RemoteErrorCode::CannotResume);
    QCOMPARE(TestFiles::read(local), TestFiles::pattern(4000));

    // A refused download leaves the local file alone.
    QVERIFY(TestFiles::write(local, "keep"));
    FTP_EXPECT_ERROR(session.DownloadFile(remoteDir() + QStringLiteral("/missing"), local),
                     missingNumber());
    QCOMPARE(TestFiles::read(local), QByteArray("keep"));
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

void ServerSuite::uploadsOverwritingAndResuming()
{
    const QByteArray content = TestFiles::pattern(2 * MiB + 7, 2);
    const QString local = clientDisk() + QStringLiteral("/up.bin");
    QVERIFY(TestFiles::write(local, content));
    const QString remote = remoteDir() + QStringLiteral("/up.bin");
    const QString onDisk = serverDisk() + QStringLiteral("/up.bin");
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));

    // Overwrite sends the whole file whatever the offset says.
    qint64 offset = 12345;
    session.setUploadMode(RemoteUploadMode::Overwrite);
    FTP_VERIFY(session.UploadFile(remote, local, offset));
    QCOMPARE(TestFiles::read(onDisk), content);

    QVERIFY(TestFiles::write(onDisk, content.left(MiB)));
    handOver(onDisk);
    offset = MiB;
    session.setUploadMode(RemoteUploadMode::Resume);
    recorder.clear();
    FTP_VERIFY(session.UploadFile(remote, local, offset));
    QCOMPARE(TestFiles::read(onDisk), content);
    const auto progress = recorder.matching(RemoteActivityKind::UploadFileProgress);
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().count, content.size() - MiB);

    offset = content.size() + 1;
    FTP_EXPECT_ERROR(session.UploadFile(remote, local, offset), RemoteErrorCode::CannotResume);
    offset = 0;
    FTP_EXPECT_ERROR(session.UploadFile(remote, clientDisk() + QStringLiteral("/missing"), offset),
                     RemoteErrorCode::LocalFileError);
    // A folder is no file to send: the remote file stays as it is.
    FTP_EXPECT_ERROR(session.UploadFile(remote, clientDisk(), offset),
                     RemoteErrorCode::LocalFileError);
    QCOMPARE(TestFiles::read(onDisk), content);
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
}

void ServerSuite::transfersInActiveMode()
{
    if (!speaksFtp())
        QSKIP("no data connections: everything goes over the one SSH connection");
    const QByteArray content = TestFiles::pattern(300000, 4);
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/down.bin"), content));
    QVERIFY(TestFiles::write(clientDisk() + QStringLiteral("/up.bin"), content));
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    session.setPassiveMode(false);

    FTP_VERIFY(session.ListDirectory(remoteDir()));
    QCOMPARE(session.ListingEntries().entries.size(), 1);
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/down.bin"),
                                    clientDisk() + QStringLiteral("/down.bin")));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/down.bin")), content);
    qint64 offset = 0;
    FTP_VERIFY(session.UploadFile(remoteDir() + QStringLiteral("/up.bin"),
                                  clientDisk() + QStringLiteral("/up.bin"), offset));
    QCOMPARE(TestFiles::read(serverDisk() + QStringLiteral("/up.bin")), content);
    QStringList commands;
    for (const RecordedEvent &event : recorder.matching(RemoteActivityKind::CommandSent))
        commands.append(event.text.section(QLatin1Char(' '), 0, 0).trimmed());
    QVERIFY(commands.contains(QStringLiteral("EPRT")) || commands.contains(QStringLiteral("PORT")));
    QVERIFY(!commands.contains(QStringLiteral("PASV")));
    QVERIFY(!commands.contains(QStringLiteral("EPSV")));
}

void ServerSuite::copiesTreesBothWays()
{
    const QString source = clientDisk() + QStringLiteral("/src/my docs");
    QVERIFY(TestFiles::write(source + QStringLiteral("/a.txt"), TestFiles::pattern(10, 1)));
    QVERIFY(TestFiles::write(source + QStringLiteral("/b c.txt"), TestFiles::pattern(70000, 2)));
    QVERIFY(TestFiles::write(source + QStringLiteral("/sub/deep er/deep.txt"),
                             TestFiles::pattern(5, 3)));
    QVERIFY(TestFiles::write(source + QStringLiteral("/.hidden"), "h"));
    QVERIFY(QDir().mkpath(source + QStringLiteral("/empty dir")));
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    const QString start = session.CurrentDirectory();

    const QString remoteFolder = remoteDir() + QStringLiteral("/up/my docs");
    FTP_VERIFY(session.UploadMany(
        QLatin1Char('"') + source + QDir::separator() + QStringLiteral("*\""), remoteFolder));
    QCOMPARE(TestFiles::tree(serverDisk() + QStringLiteral("/up/my docs")),
             TestFiles::tree(source));
    QCOMPARE(session.CurrentDirectory(), start);
    QVERIFY(!recorder.matching(RemoteActivityKind::UploadManyProgress).isEmpty());
    QVERIFY(recorder.matching(RemoteActivityKind::EntrySkipped).isEmpty());

    const QString target = clientDisk() + QStringLiteral("/down");
    FTP_VERIFY(
        session.DownloadMany(QLatin1Char('"') + remoteFolder + QStringLiteral("/*\""), target));
    QCOMPARE(TestFiles::tree(target).keys(), TestFiles::tree(source).keys());
    QCOMPARE(TestFiles::tree(target), TestFiles::tree(source));
    QCOMPARE(session.CurrentDirectory(), start);
    QVERIFY(!recorder.matching(RemoteActivityKind::DownloadManyProgress).isEmpty());
    QCOMPARE(recorder.matching(RemoteActivityKind::FileStarted).size(), 8);

    // Once more over what is there: files are replaced, not appended to.
    FTP_VERIFY(session.DownloadMany(remoteFolder + QStringLiteral("/*"), target));
    QCOMPARE(TestFiles::tree(target), TestFiles::tree(source));
}

void ServerSuite::downloadsAFolderThatIsAFile_data()
{
    QTest::addColumn<bool>("folderMade");
    QTest::newRow("the caller made the folder") << true;
    QTest::newRow("no folder yet") << false;
}

void ServerSuite::downloadsAFolderThatIsAFile()
{
    // A "Link" row is copied as a folder; this link leads to a file.
    QFETCH(bool, folderMade);
    // The rows share the test's folders.
    const QString link = folderMade ? QStringLiteral("to-file") : QStringLiteral("to-file-2");
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/target.txt"), "the target"));
    QVERIFY(QFile::link(QStringLiteral("target.txt"), serverDisk() + QLatin1Char('/') + link));
    handOver(serverDisk());
    const QString local = clientDisk() + QLatin1Char('/') + link;
    if (folderMade)
        QVERIFY(QDir().mkpath(local));
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    const QString start = session.CurrentDirectory();
    FTP_VERIFY(
        session.DownloadMany(remoteDir() + QLatin1Char('/') + link + QStringLiteral("/*"), local));
    QVERIFY(QFileInfo(local).isFile());
    QCOMPARE(TestFiles::read(local), QByteArray("the target"));
    QCOMPARE(recorder.matching(RemoteActivityKind::FileStarted).size(), 1);
    QCOMPARE(session.CurrentDirectory(), start);
    // A folder that is neither: the refusal of the folder, and nothing made.
    const QString missing = clientDisk() + QStringLiteral("/missing");
    QVERIFY(failureOf([&] {
                session.DownloadMany(remoteDir() + QStringLiteral("/missing/*"), missing);
            })->number >= 500);
    QVERIFY(!QFileInfo::exists(missing));
}

void ServerSuite::uploadsNoLinkOutOfTheFolder()
{
    const QString source = clientDisk() + QStringLiteral("/source");
    const QString outside = clientDisk() + QStringLiteral("/outside");
    QVERIFY(TestFiles::write(source + QStringLiteral("/a.txt"), "a"));
    QVERIFY(TestFiles::write(source + QStringLiteral("/sub/b.txt"), "b"));
    QVERIFY(TestFiles::write(outside + QStringLiteral("/secret.txt"), "secret"));
    QVERIFY(QFile::link(QStringLiteral("a.txt"), source + QStringLiteral("/inside-link.txt")));
    QVERIFY(QFile::link(outside, source + QStringLiteral("/outside-dir")));
    QVERIFY(QFile::link(outside + QStringLiteral("/secret.txt"),
                        source + QStringLiteral("/outside-file")));
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    FTP_EXPECT_ERROR(session.UploadMany(source + QDir::separator() + QLatin1Char('*'),
                                        remoteDir() + QStringLiteral("/up")),
                     RemoteErrorCode::TreeCopyIncomplete);
    const QString up = serverDisk() + QStringLiteral("/up");
    QCOMPARE(TestFiles::read(up + QStringLiteral("/a.txt")), QByteArray("a"));
    QCOMPARE(TestFiles::read(up + QStringLiteral("/inside-link.txt")), QByteArray("a"));
    QCOMPARE(TestFiles::read(up + QStringLiteral("/sub/b.txt")), QByteArray("b"));
    QVERIFY(!QFileInfo::exists(up + QStringLiteral("/outside-dir")));
    QVERIFY(!QFileInfo::exists(up + QStringLiteral("/outside-file")));
    const auto skipped =
        recorder.matching(RemoteActivityKind::EntrySkipped, RemoteCategory::Failure);
    QCOMPARE(skipped.size(), 2);
    for (const RecordedEvent &event : skipped)
        QVERIFY(event.activity.remotePath.startsWith(QLatin1String("outside-")));
}

// A folder goes with everything in it and nothing beside it; a link goes
// as a link, what it leads to stays.
void ServerSuite::removesTrees_data()
{
    QTest::addColumn<QStringList>("planted"); // "path" a file, "path->target" a link
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("staying");
    QTest::addColumn<QString>("startIn"); // the session's folder at the start, below the chosen
    QTest::newRow("names users have")
        << QStringList({"Music [FLAC]/readme.txt", "Music [FLAC]/README.TXT",
                        "Music [FLAC]/专辑 一/01 歌.flac", "Music [FLAC]/sub /x", "Music/keep"})
        << "Music [FLAC]" << QStringList({"Music/keep"}) << "";
    QTest::newRow("from inside it") << QStringList({"old/sub/a.txt", "older/b.txt"}) << "old"
                                    << QStringList({"older/b.txt"}) << "/sub";
    QTest::newRow("a name ending in a blank") << QStringList({"abc /in.txt", "abc/keep.txt"})
                                              << "abc " << QStringList({"abc/keep.txt"}) << "";
    QTest::newRow("links inside") << QStringList({"public_html/index.html", "site/a.txt",
                                                  "site/www->../public_html",
                                                  "site/deep/page->../../public_html/index.html"})
                                  << "site" << QStringList({"public_html/index.html"}) << "";
    QTest::newRow("a link chosen") << QStringList({"public_html/index.html", "www->public_html"})
                                   << "www" << QStringList({"public_html/index.html"}) << "";
}

void ServerSuite::removesTrees()
{
    QFETCH(QStringList, planted);
    QFETCH(QString, chosen);
    QFETCH(QStringList, staying);
    QFETCH(QString, startIn);
    const QString disk =
        serverDisk() + QLatin1Char('/') + QString::fromLatin1(QTest::currentDataTag());
    for (const QString &entry : planted) {
        const QString path = disk + QLatin1Char('/') + entry.section(QStringLiteral("->"), 0, 0);
        QVERIFY(entry.contains(QStringLiteral("->"))
                    ? QDir().mkpath(QFileInfo(path).path()) &&
                          QFile::link(entry.section(QStringLiteral("->"), 1), path)
                    : TestFiles::write(path, entry.toUtf8()));
    }
    handOver(serverDisk());
    const QString folder =
        remoteDir() + QLatin1Char('/') + QString::fromLatin1(QTest::currentDataTag());
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    // Where it started, or where the folder was when that went with it.
    FTP_VERIFY(session.setCurrentDirectory(
        startIn.isEmpty() ? folder : folder + QLatin1Char('/') + chosen + startIn));

    FTP_VERIFY(session.RemoveTree(folder + QLatin1Char('/') + chosen));

    QVERIFY(!QFileInfo(disk + QLatin1Char('/') + chosen).exists());
    QVERIFY(!QFileInfo(disk + QLatin1Char('/') + chosen).isSymLink());
    for (const QString &path : staying)
        QVERIFY2(QFileInfo::exists(disk + QLatin1Char('/') + path), qPrintable(path));
    QCOMPARE(session.CurrentDirectory(), folder);
    const auto removed = recorder.matching(RemoteActivityKind::EntryRemoved);
    QVERIFY(!removed.isEmpty());
    QCOMPARE(removed.last().activity.remotePath, folder + QLatin1Char('/') + chosen);
}

void ServerSuite::stopsTransferFromHandler_data()
{
    QTest::addColumn<bool>("download");
    QTest::newRow("download") << true;
    QTest::newRow("upload") << false;
}

// A stop asked from inside a progress report ends the transfer, leaves what
// arrived, and keeps the connection for the next call.
void ServerSuite::stopsTransferFromHandler()
{
    QFETCH(bool, download);
    const qint64 size = 2048 * MiB;
    const QString remote = serverDisk() + QStringLiteral("/big.bin");
    const QString local = clientDisk() + QStringLiteral("/big.bin");
    QVERIFY(TestFiles::writeSparse(download ? remote : local, size));
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    bool stopped = false;
    const RemoteActivityKind progress = download ? RemoteActivityKind::DownloadFileProgress
                                                 : RemoteActivityKind::UploadFileProgress;
    recorder.onEvent = [&](const RecordedEvent &event) {
        if (event.code == progress && event.count > 0 && !stopped) {
            stopped = true;
            session.StopTransfer();
        }
    };
    const QString remotePath = remoteDir() + QStringLiteral("/big.bin");
    if (download) {
        FTP_EXPECT_ERROR(session.DownloadFile(remotePath, local), RemoteErrorCode::StoppedByUser);
    } else {
        qint64 offset = 0;
        FTP_EXPECT_ERROR(session.UploadFile(remotePath, local, offset),
                         RemoteErrorCode::StoppedByUser);
    }
    QVERIFY(stopped);
    QVERIFY(QFileInfo(download ? local : remote).size() < size);
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);
    QVERIFY(!session.IsBusy());

    recorder.onEvent = nullptr;
    FTP_VERIFY(session.ListDirectory(remoteDir()));
    QCOMPARE(session.ListingEntries().entries.size(), 1);
    if (!download)
        return;
    QVERIFY(QFileInfo(local).size() > 0);
    QCOMPARE(recorder.matching(RemoteActivityKind::TransferStopped).size(), 1);
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/after.txt"), "after"));
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/after.txt"),
                                    clientDisk() + QStringLiteral("/after.txt")));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/after.txt")), QByteArray("after"));
}

void ServerSuite::dropsFromHandler()
{
    QVERIFY(TestFiles::writeSparse(serverDisk() + QStringLiteral("/big.bin"), 2048 * MiB));
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    recorder.clear();
    bool dropped = false;
    recorder.onEvent = [&](const RecordedEvent &event) {
        if (event.code == RemoteActivityKind::DownloadFileProgress && !dropped) {
            dropped = true;
            session.DropConnection();
            QCOMPARE(session.ConnectionState(), RemoteState::Closed);
        }
    };
    QElapsedTimer clock;
    clock.start();
    FTP_EXPECT_ERROR(session.DownloadFile(remoteDir() + QStringLiteral("/big.bin"),
                                          clientDisk() + QStringLiteral("/big.bin")),
                     RemoteErrorCode::ConnectionDropped);
    QVERIFY(clock.elapsed() < 15000);
    QVERIFY(dropped);
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
    QCOMPARE(recorder.states, QList<int>{RemoteState::Closed});
    QVERIFY(!session.IsBusy());
    QVERIFY(session.CurrentDirectory().isEmpty());
    FTP_EXPECT_ERROR(session.ListDirectory(), RemoteErrorCode::NotConnected);

    // Dropping a closed session does nothing; a new log-in works.
    session.DropConnection();
    QCOMPARE(recorder.states, QList<int>{RemoteState::Closed});
    recorder.onEvent = nullptr;
    FTP_VERIFY(connectSession(session));
    QCOMPARE(session.ConnectionState(), RemoteState::Connected);

    // Asked for at the very end of an operation, the drop still closes.
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/small.txt"), "small"));
    recorder.clear();
    recorder.onEvent = [&](const RecordedEvent &event) {
        if (event.code == RemoteActivityKind::FileTransferred)
            session.DropConnection();
    };
    const auto late = failureOf([&] {
        session.DownloadFile(remoteDir() + QStringLiteral("/small.txt"),
                             clientDisk() + QStringLiteral("/small.txt"));
    });
    QVERIFY(!late || late->number == RemoteErrorCode::ConnectionDropped);
    QCOMPARE(session.ConnectionState(), RemoteState::Closed);
    QCOMPARE(recorder.states, QList<int>{RemoteState::Closed});
    FTP_EXPECT_ERROR(session.ListDirectory(), RemoteErrorCode::NotConnected);
}

void ServerSuite::refusesSecondOperationWhileBusy()
{
    const QByteArray content = TestFiles::pattern(8 * MiB, 5);
    QVERIFY(TestFiles::write(serverDisk() + QStringLiteral("/data.bin"), content));
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    QList<int> refusals;
    recorder.onEvent = [&](const RecordedEvent &event) {
        if (event.code != RemoteActivityKind::DownloadFileProgress || !refusals.isEmpty())
            return;
        for (const auto &attempt :
             {std::function<void()>([&] { session.ListDirectory(); }),
              std::function<void()>([&] { session.MakeRemoteDirectory(QStringLiteral("x")); }),
              std::function<void()>([&] { session.setCurrentDirectory(QStringLiteral("/")); })}) {
            const auto failure = failureOf(attempt);
            refusals.append(failure ? failure->number : 0);
        }
    };
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/data.bin"),
                                    clientDisk() + QStringLiteral("/data.bin")));
    QCOMPARE(refusals,
             (QList<int>{RemoteErrorCode::Busy, RemoteErrorCode::Busy, RemoteErrorCode::Busy}));
    QCOMPARE(TestFiles::read(clientDisk() + QStringLiteral("/data.bin")), content);
    QVERIFY(!QFileInfo::exists(serverDisk() + QStringLiteral("/x")));
    FTP_VERIFY(session.ListDirectory(remoteDir()));
}

void ServerSuite::throttlesProgress()
{
    const qint64 size = 256 * MiB;
    QVERIFY(TestFiles::writeSparse(serverDisk() + QStringLiteral("/big.bin"), size));
    const std::unique_ptr<RemoteSession> made = newSession();
    RemoteSession &session = *made;
    SessionRecorder recorder(session);
    FTP_VERIFY(connectSession(session));
    QElapsedTimer clock;
    clock.start();
    FTP_VERIFY(session.DownloadFile(remoteDir() + QStringLiteral("/big.bin"),
                                    clientDisk() + QStringLiteral("/big.bin")));
    const qint64 elapsed = clock.elapsed();
    const auto progress =
        recorder.matching(RemoteActivityKind::DownloadFileProgress, RemoteCategory::Information);
    QVERIFY(!progress.isEmpty());
    QVERIFY2(progress.size() <= elapsed / 100 + 3,
             qPrintable(QStringLiteral("%1 reports in %2 ms").arg(progress.size()).arg(elapsed)));
    for (qsizetype i = 1; i < progress.size(); ++i)
        QVERIFY(progress.at(i).count >= progress.at(i - 1).count);
    QCOMPARE(progress.last().count, size);
    QCOMPARE(QFileInfo(clientDisk() + QStringLiteral("/big.bin")).size(), size);
    QCOMPARE(recorder.matching(RemoteActivityKind::FileTransferred).size(), 1);
}
