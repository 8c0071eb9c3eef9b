#include "fixtures/SshdServer.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// korvu-ftp with sftp:// URLs, run as a script runs it, against OpenSSH's
// sshd: which host keys it takes, how it logs in, and every command.
class TestKorvuFtpSftp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void judgesHostKeysAndLogsIn_data();
    void judgesHostKeysAndLogsIn();
    void runsEveryCommand();
    void refusesOptionsOfTheOtherProtocol_data();
    void refusesOptionsOfTheOtherProtocol();

private:
    struct Run
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    Run korvu(const QStringList &arguments) const;
    QString url(const QString &path = QString(), bool withPassword = true) const;
    QString served(const QString &name) const { return m_tree.filePath(name); }
    QString local(const QString &name) const { return m_local.filePath(name); }
    bool setKnownHosts(const QByteArray &lines) const;

    QTemporaryDir m_tree;
    QTemporaryDir m_local;
    QTemporaryDir m_home; // the program's HOME: its ~/.ssh/known_hosts
    std::unique_ptr<SshdServer> m_server;
};

void TestKorvuFtpSftp::initTestCase()
{
    if (!SshdServer::available())
        QSKIP(qPrintable(SshdServer::unavailableReason()));
    QVERIFY(m_tree.isValid() && m_local.isValid() && m_home.isValid());
    QVERIFY(TestFiles::write(served("中文目录/文件.txt"), "中文\n"));
    m_server = std::make_unique<SshdServer>(m_tree.path());
    QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    QVERIFY(QDir(m_home.path()).mkpath(QStringLiteral(".ssh")));
}

TestKorvuFtpSftp::Run TestKorvuFtpSftp::korvu(const QStringList &arguments) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("HOME"), m_home.path());
    environment.remove(QStringLiteral("SSH_AUTH_SOCK"));
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("KORVU_BIN_DIR") + QStringLiteral("/korvu-ftp"),
                  QStringList{QStringLiteral("--timeout"), QStringLiteral("20")} + arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        run.err = "korvu-ftp did not end normally: " + process.readAllStandardError();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString TestKorvuFtpSftp::url(const QString &path, bool withPassword) const
{
    return QStringLiteral("sftp://%1%2@%3:%4%5")
        .arg(SshdServer::user(),
             withPassword ? QLatin1Char(':') + SshdServer::password() : QString(), m_server->host())
        .arg(m_server->port())
        .arg(path);
}

bool TestKorvuFtpSftp::setKnownHosts(const QByteArray &lines) const
{
    return TestFiles::write(m_home.filePath(QStringLiteral(".ssh/known_hosts")), lines);
}

void TestKorvuFtpSftp::judgesHostKeysAndLogsIn_data()
{
    QTest::addColumn<QString>("knownHosts"); // "known", "changed", "none"
    QTest::addColumn<QString>("trust");      // "server", "other", "" (no --trust)
    QTest::addColumn<QString>("key");        // SshdServer::keyPath; "": the password
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // on standard error; "" when nothing is

    QTest::newRow("known host, password") << "known"
                                          << ""
                                          << "" << 0 << "";
    QTest::newRow("unknown host refused, its fingerprint shown")
        << "none"
        << ""
        << "" << 1 << "ED25519 key fingerprint is %1";
    QTest::newRow("unknown host named by --trust") << "none"
                                                   << "server"
                                                   << "" << 0 << "";
    QTest::newRow("--trust naming another key") << "none"
                                                << "other"
                                                << "" << 1 << "error 11122";
    QTest::newRow("changed key refused even when --trust names it") << "changed"
                                                                    << "server"
                                                                    << "" << 1 << "HAS CHANGED";
    QTest::newRow("ed25519 key") << "known"
                                 << ""
                                 << "ed25519" << 0 << "";
    QTest::newRow("RSA key (rsa-sha2)") << "known"
                                        << ""
                                        << "rsa" << 0 << "";
    QTest::newRow("ECDSA key") << "known"
                               << ""
                               << "ecdsa" << 0 << "";
    QTest::newRow("a key the server does not know") << "known"
                                                    << ""
                                                    << "stranger" << 1 << "error 11131";
    QTest::newRow("passphrase with no terminal to ask at")
        << "known"
        << ""
        << "ed25519-passphrase" << 1 << "error 11131";
}

void TestKorvuFtpSftp::judgesHostKeysAndLogsIn()
{
    QFETCH(QString, knownHosts);
    QFETCH(QString, trust);
    QFETCH(QString, key);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QVERIFY(setKnownHosts(
        knownHosts == QLatin1String("none")
            ? QByteArray()
            : m_server->knownHostsLine(knownHosts == QLatin1String("changed")).toUtf8()));
    QStringList arguments;
    if (!trust.isEmpty())
        arguments << QStringLiteral("--trust")
                  << (trust == QLatin1String("server")
                          ? m_server->hostKeyFingerprint()
                          : QStringLiteral("SHA256:") + QString(43, QLatin1Char('A')));
    if (!key.isEmpty())
        arguments << QStringLiteral("--key") << m_server->keyPath(key);
    arguments << url(QString(), key.isEmpty()) << QStringLiteral("pwd");
    const Run run = korvu(arguments);
    QVERIFY2(run.exitCode == exitCode, run.err.constData());
    if (said.isEmpty())
        QVERIFY2(run.err.isEmpty(), run.err.constData());
    else
        QVERIFY2(QString::fromUtf8(run.err).contains(said.arg(m_server->hostKeyFingerprint())),
                 run.err.constData());
    if (exitCode == 0)
        QCOMPARE(run.out.trimmed(), QFile::encodeName(m_tree.path()));
}

// A tree up and back, a resumed download, and the folder commands, with
// the names users have.
void TestKorvuFtpSftp::runsEveryCommand()
{
    QVERIFY(setKnownHosts(m_server->knownHostsLine().toUtf8()));
    const QString up = local(QStringLiteral("up"));
    QVERIFY(TestFiles::write(up + QStringLiteral("/Music [FLAC]/01.flac"),
                             TestFiles::pattern(300000, 3)));
    QVERIFY(TestFiles::write(up + QStringLiteral("/readme.txt"), "lower"));
    QVERIFY(TestFiles::write(up + QStringLiteral("/README.TXT"), "UPPER"));
    QVERIFY(TestFiles::write(up + QStringLiteral("/notes "), "blank"));
    QVERIFY(TestFiles::write(up + QStringLiteral("/中文/文件.txt"), "中文"));
    const QString base = url(QStringLiteral("/~/"));
    const auto ok = [this](const QStringList &arguments) {
        const Run run = korvu(arguments);
        return run.exitCode == 0 && run.err.isEmpty() ? run.out : QByteArray("failed: " + run.err);
    };

    QCOMPARE(ok({base, QStringLiteral("mkdir"), QStringLiteral("tree")}), QByteArray());
    QCOMPARE(ok({base, QStringLiteral("mput"), up, QStringLiteral("tree")}), QByteArray());
    QCOMPARE(TestFiles::tree(served(QStringLiteral("tree"))), TestFiles::tree(up));
    const QByteArray listing = ok({url(QStringLiteral("/tree")), QStringLiteral("ls")});
    QVERIFY2(listing.contains("d\t") && listing.contains("\tMusic [FLAC]\n") &&
                 listing.contains("\tnotes \n"),
             listing.constData());

    QCOMPARE(ok({base, QStringLiteral("mirror"), QStringLiteral("tree"), local("down")}),
             QByteArray());
    QCOMPARE(TestFiles::tree(local("down")), TestFiles::tree(up));

    const QString music = QStringLiteral("tree/Music [FLAC]/01.flac");
    QVERIFY(TestFiles::write(local("part.flac"), TestFiles::pattern(300000, 3).left(100000)));
    QCOMPARE(
        ok({QStringLiteral("--resume"), base, QStringLiteral("get"), music, local("part.flac")}),
        QByteArray());
    QCOMPARE(TestFiles::read(local("part.flac")), TestFiles::pattern(300000, 3));

    QCOMPARE(ok({base, QStringLiteral("put"), local("part.flac"), QStringLiteral("tree/")}),
             QByteArray());
    QCOMPARE(ok({base, QStringLiteral("mv"), QStringLiteral("tree/part.flac"),
                 QStringLiteral("tree/中文/新.flac")}),
             QByteArray());
    QCOMPARE(TestFiles::read(served(QStringLiteral("tree/中文/新.flac"))),
             TestFiles::pattern(300000, 3));
    QCOMPARE(ok({base, QStringLiteral("rm"), QStringLiteral("tree/中文/新.flac")}), QByteArray());
    QCOMPARE(ok({base, QStringLiteral("rm"), QStringLiteral("tree/中文/文件.txt")}), QByteArray());
    QCOMPARE(ok({base, QStringLiteral("rmdir"), QStringLiteral("tree/中文")}), QByteArray());
    QVERIFY(!QFileInfo::exists(served(QStringLiteral("tree/中文"))));

    const Run missing =
        korvu({base, QStringLiteral("get"), QStringLiteral("tree/nothing"), local("nothing")});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.startsWith("korvu-ftp: error 11125: "), missing.err.constData());
}

void TestKorvuFtpSftp::refusesOptionsOfTheOtherProtocol_data()
{
    const QString sftp = QStringLiteral("sftp://u@127.0.0.1");
    const QString ftp = QStringLiteral("ftp://u@127.0.0.1");
    const QString hex = QString(64, QLatin1Char('A'));
    const QString ssh = QStringLiteral("SHA256:") + QString(43, QLatin1Char('a'));
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("--tls with sftp://") << QStringList{QStringLiteral("--tls"), sftp, "pwd"};
    QTest::newRow("--insecure with sftp://")
        << QStringList{QStringLiteral("--insecure"), sftp, "pwd"};
    QTest::newRow("--active with sftp://") << QStringList{QStringLiteral("--active"), sftp, "pwd"};
    QTest::newRow("--key with ftp://") << QStringList{QStringLiteral("--key"), "k", ftp, "pwd"};
    QTest::newRow("--key missing") << QStringList{sftp, QStringLiteral("--key")};
    QTest::newRow("certificate fingerprint for a host key")
        << QStringList{QStringLiteral("--trust"), hex, sftp, "pwd"};
    QTest::newRow("host key fingerprint for a certificate")
        << QStringList{QStringLiteral("--tls"), QStringLiteral("--trust"), ssh, ftp, "pwd"};
    QTest::newRow("host key fingerprint cut short")
        << QStringList{QStringLiteral("--trust"), ssh.chopped(1), sftp, "pwd"};
}

void TestKorvuFtpSftp::refusesOptionsOfTheOtherProtocol()
{
    QFETCH(QStringList, arguments);
    const Run run = korvu(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestKorvuFtpSftp)
#include "tst_korvu_ftp_sftp.moc"
