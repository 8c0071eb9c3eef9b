#include "SftpRig.h"
#include "fixtures/FakeSftpServer.h"
#include "fixtures/TestFiles.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

using Error = SftpErrorKind;
Q_DECLARE_METATYPE(SftpErrorKind)

// The engine against servers that misbehave (fakesftpd.py on asyncssh, and
// one that never speaks at all): every call ends, with the right error,
// and a stop or a drop ends it within a second.
class TestSftpFake : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void copesWithMisbehaviour_data();
    void copesWithMisbehaviour();
    void endsEveryWaitAtOnce_data();
    void endsEveryWaitAtOnce();

private:
    SftpLogin login(const QString &scenario, quint16 port) const;
    // Runs `operation` of a session logged in as `scenario`.
    std::optional<SftpErrorKind> run(SftpRig &rig, const QString &operation);

    QTemporaryDir m_root;
    QTemporaryDir m_local;
    std::unique_ptr<FakeSftpServer> m_server;
    QTcpServer m_silent; // accepts, never says a word
    QByteArray m_data;
};

void TestSftpFake::initTestCase()
{
    QVERIFY(m_root.isValid() && m_local.isValid());
    m_data = TestFiles::pattern(4 * 1024 * 1024, 3);
    QVERIFY(TestFiles::write(m_root.filePath("data.bin"), m_data));
    QVERIFY(TestFiles::write(m_root.filePath("small.txt"), "small\n"));
    m_server = std::make_unique<FakeSftpServer>(m_root.path());
    QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    QVERIFY(m_silent.listen(QHostAddress::LocalHost));
}

SftpLogin TestSftpFake::login(const QString &scenario, quint16 port) const
{
    SftpLogin login;
    login.host = QStringLiteral("127.0.0.1");
    login.port = port;
    login.user = scenario;
    // The password would answer the one hidden question of "kbdint".
    login.password = scenario == QLatin1String("kbdint") ? QString() : QStringLiteral("any");
    login.useAgent = false;
    return login;
}

std::optional<SftpErrorKind> TestSftpFake::run(SftpRig &rig, const QString &operation)
{
    const QString local = m_local.filePath(QTest::currentDataTag());
    return failureOf([&] {
        if (operation == QLatin1String("download"))
            rig.engine.download(QStringLiteral("/data.bin"), local, 0);
        else if (operation == QLatin1String("upload"))
            rig.engine.upload(QStringLiteral("/upload.bin"), m_root.filePath("data.bin"), 0);
        else if (operation == QLatin1String("stat"))
            rig.engine.stat(QStringLiteral("/small.txt"));
    });
}

void TestSftpFake::copesWithMisbehaviour_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QStringList>("answers"); // keyboard-interactive
    QTest::addColumn<QString>("operation");   // after log-in
    QTest::addColumn<int>("error");           // -1: none
    QTest::addColumn<bool>("connected");      // afterwards
    const auto row = [](const char *tag, const char *scenario, const char *operation, int error,
                        bool connected, const QStringList &answers = {}) {
        QTest::newRow(tag) << QString::fromUtf8(scenario) << answers << QString::fromUtf8(operation)
                           << error << connected;
    };
    const int broken = int(Error::ProtocolError);
    row("oversized packet", "oversized", "", broken, false);
    row("truncated packet", "truncated", "", broken, false);
    row("reply never asked for", "unknown-id", "", broken, false);
    row("SFTP version 2", "old-version", "", broken, false);
    row("more data than asked", "long-data", "download", broken, false);
    row("dropped mid-transfer", "drop-read", "download", int(Error::ConnectionLost), false);
    row("stalled read", "stall-read", "download", int(Error::TimedOut), false);
    row("writes refused", "refuse-write", "upload", int(Error::PermissionDenied), true);
    row("plain download", "plain", "download", -1, true);
    row("keyboard-interactive", "kbdint", "stat", -1, true, {"4711"});
    row("keyboard-interactive, wrong code", "kbdint", "", int(Error::AuthenticationFailed), false,
        {"0000"});
}

void TestSftpFake::copesWithMisbehaviour()
{
    QFETCH(QString, scenario);
    QFETCH(QStringList, answers);
    QFETCH(QString, operation);
    QFETCH(int, error);
    QFETCH(bool, connected);
    SftpRig rig;
    rig.interactiveAnswers = answers;
    SftpSettings settings;
    settings.timeoutMs = 1500;
    settings.knownHostsFile = m_local.filePath("known_hosts");
    settings.trustedHostKeys = {m_server->fingerprint()};
    rig.engine.setSettings(settings);
    QElapsedTimer clock;
    clock.start();
    std::optional<SftpErrorKind> failure =
        failureOf([&] { rig.engine.open(login(scenario, m_server->port())); });
    if (!failure)
        failure = run(rig, operation);
    QCOMPARE(failure ? int(*failure) : -1, error);
    QCOMPARE(rig.engine.state() == SftpState::Connected, connected);
    QVERIFY(clock.elapsed() < 10000);
    QVERIFY(rig.keysAsked.isEmpty());
    if (!answers.isEmpty())
        QCOMPARE(rig.prompts.value(0).prompts, QStringList{QStringLiteral("Code: ")});
    // What a failed download leaves is the file's beginning, never more.
    const QByteArray local = TestFiles::read(m_local.filePath(QTest::currentDataTag()));
    QCOMPARE(local, m_data.left(local.size()));
    if (operation == QLatin1String("download") && error == -1)
        QCOMPARE(local.size(), m_data.size());
}

void TestSftpFake::endsEveryWaitAtOnce_data()
{
    QTest::addColumn<QString>("scenario"); // "silent": no SSH at all
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("trigger"); // "progress": at the first progress; else after 300 ms
    QTest::addColumn<bool>("drop");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("connected");
    const auto row = [](const char *tag, const char *scenario, const char *trigger, bool drop,
                        Error error, bool connected) {
        const bool silent = QByteArrayView(scenario) == "silent";
        QTest::newRow(tag) << QString::fromUtf8(scenario)
                           << (silent ? QString() : QStringLiteral("download"))
                           << QString::fromUtf8(trigger) << drop << int(error) << connected;
    };
    row("stop a transfer", "slow-read", "progress", false, Error::Stopped, true);
    row("stop a stalled read", "stall-read", "time", false, Error::Stopped, true);
    row("drop a stalled read", "stall-read", "time", true, Error::Dropped, false);
    row("stop the handshake", "silent", "time", false, Error::Stopped, false);
    row("silent server times out", "silent", "never", false, Error::TimedOut, false);
}

void TestSftpFake::endsEveryWaitAtOnce()
{
    QFETCH(QString, scenario);
    QFETCH(QString, operation);
    QFETCH(QString, trigger);
    QFETCH(bool, drop);
    QFETCH(int, error);
    QFETCH(bool, connected);
    SftpRig rig;
    SftpSettings settings;
    settings.timeoutMs = trigger == QLatin1String("never") ? 1000 : 20000;
    settings.knownHostsFile = m_local.filePath("known_hosts");
    settings.trustedHostKeys = {m_server->fingerprint()};
    rig.engine.setSettings(settings);
    QElapsedTimer clock;
    qint64 askedAt = -1;
    const auto ask = [&] {
        askedAt = clock.elapsed();
        drop ? rig.interrupt.requestDrop() : rig.interrupt.requestStop();
    };
    rig.onActivity = [&](const SftpEvent &event) {
        if (trigger == QLatin1String("progress") && askedAt < 0 &&
            event.kind == SftpActivity::DownloadProgress)
            ask();
    };
    const bool silent = scenario == QLatin1String("silent");
    const quint16 port = silent ? m_silent.serverPort() : m_server->port();
    if (!silent)
        SFTP_VERIFY(rig.engine.open(login(scenario, port)));
    clock.start();
    std::thread timer;
    if (trigger == QLatin1String("time"))
        timer = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ask();
        });
    const std::optional<SftpErrorKind> failure =
        silent ? failureOf([&] { rig.engine.open(login(scenario, port)); }) : run(rig, operation);
    const qint64 ended = clock.elapsed();
    if (timer.joinable())
        timer.join();
    QCOMPARE(failure ? int(*failure) : -1, error);
    if (askedAt >= 0)
        QVERIFY2(ended - askedAt < 1000, qPrintable(QString::number(ended - askedAt)));
    else
        QVERIFY(ended < 5000);
    QCOMPARE(rig.engine.state() == SftpState::Connected, connected);
    if (connected) {
        // Still in step with the server: the next call gets its own answer.
        rig.interrupt.reset(); // as the session does before each call
        SftpEntry small;
        SFTP_VERIFY(small = rig.engine.stat(QStringLiteral("/small.txt")));
        QCOMPARE(small.size, qint64(6));
    }
    const QByteArray local = TestFiles::read(m_local.filePath(QTest::currentDataTag()));
    QCOMPARE(local, m_data.left(local.size()));
}

QTEST_GUILESS_MAIN(TestSftpFake)
#include "tst_sftp_fake.moc"
