#include "SiteFixtures.h"
#include "connection/CertificateTrust.h"
#include "connection/ConnectionController.h"
#include "fixtures/FakeSftpServer.h"
#include "fixtures/SshdServer.h"
#include "fixtures/TestCertificate.h"
#include "fixtures/TestFiles.h"
#include "fixtures/VsftpdServer.h"
#include "ftp/FtpSession.h"
#include "platform/Shell.h"
#include "platform/TrustedCertificates.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteTexts.h"
#include "remote/factory/RemoteSessions.h"
#include "window/HelpLauncher.h"
#include "window/RemoteBrowser.h"
#include "window/WindowTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Runs `act` on the next modal dialog as soon as it is up, from inside its
// own event loop, the way a user answers it. The poll ends there, or when
// the caller deletes it.
QPointer<QTimer> whenDialogOpens(std::function<void(QWidget *)> act)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start(10);
    return poll;
}

// Runs `call`; false with the error's text in `why` when it throws.
bool succeeds(const std::function<void()> &call, QString &why)
{
    try {
        call();
    } catch (const RemoteError &error) {
        why = QStringLiteral("RemoteError %1: %2")
                  .arg(error.number)
                  .arg(RemoteTexts::description(error));
        return false;
    }
    return true;
}

void press(QWidget *dialog, const QString &button)
{
    auto *b = dialog->findChild<QAbstractButton *>(button);
    QVERIFY2(b, qPrintable(button));
    b->click();
}

QString labelText(QWidget *dialog, const char *name)
{
    auto *label = dialog->findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

RemoteCertificate aCertificate(const QString &fingerprint)
{
    RemoteCertificate certificate;
    certificate.host = QStringLiteral("ftp.korvu.example");
    certificate.port = 990;
    certificate.subject = QStringLiteral("CN=session.korvu.example,O=Korvu tests");
    certificate.issuer = certificate.subject;
    certificate.validFrom = QDateTime(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC);
    certificate.validUntil = QDateTime(QDate(2027, 1, 1), QTime(8, 0), Qt::UTC);
    certificate.fingerprint = fingerprint;
    certificate.problem = RemoteCertificateProblem::SelfSigned;
    return certificate;
}

const QString First = QStringLiteral("AA:11:22:33");
const QString Second = QStringLiteral("BB:44:55:66");

// The remote pane as the connection drives it: lists what it is told to.
class ListingBrowser : public RemoteBrowser
{
public:
    explicit ListingBrowser(FtpSession &session) : session(session) {}
    void DoRemoteRefresh(const QString &path) override
    {
        session.ListDirectory(path);
        names.clear();
        for (const RemoteEntry &entry : session.ListingEntries().entries)
            names.append(entry.name);
    }
    void SortRemoteByName() override { names.sort(); }
    void clearRows() override { names.clear(); }
    void clearDirectoryBox() override {}

    FtpSession &session;
    QStringList names;
};

} // namespace

// Which server certificates Korvu trusts: the file of certificates trusted
// always, the question put to the user, and a connection from the site
// manager to a TLS-only vsftpd with a self-signed certificate.
class TestCertificates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void remembersPerHostAndPort_data();
    void remembersPerHostAndPort();
    void asksOnlyWhatItMust_data();
    void asksOnlyWhatItMust();
    void connectsFromTheSiteManagerOverTls();
    void judgesSshHostKeys_data();
    void judgesSshHostKeys();
    void asksSshSecretsInBoxes_data();
    void asksSshSecretsInBoxes();

private:
    // The program's HOME: no ~/.ssh/known_hosts of the machine's user.
    QTemporaryDir home;
};

void TestCertificates::initTestCase()
{
    // Never the real user's data folder.
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("SSH_AUTH_SOCK");
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(TrustedCertificates().path().contains(QLatin1String(".qttest")));
}

void TestCertificates::remembersPerHostAndPort_data()
{
    QTest::addColumn<QByteArray>("file"); // as it is on disk
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("fingerprint");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("remembered");
    const QByteArray one = "ftp.korvu.example\t990\tAA:11:22:33\n";
    const int unknown = int(TrustedCertificates::Verdict::Unknown);
    const int trusted = int(TrustedCertificates::Verdict::Trusted);
    const int changed = int(TrustedCertificates::Verdict::Changed);
    QTest::newRow("no file") << QByteArray() << "ftp.korvu.example" << 990 << First << unknown
                             << QString();
    QTest::newRow("the same") << one << "ftp.korvu.example" << 990 << First << trusted << First;
    QTest::newRow("written otherwise")
        << one << "FTP.Korvu.example" << 990 << "aa112233" << trusted << First;
    QTest::newRow("another port") << one << "ftp.korvu.example" << 21 << First << unknown
                                  << QString();
    QTest::newRow("another host") << one << "ftp2.korvu.example" << 990 << First << unknown
                                  << QString();
    QTest::newRow("another certificate")
        << one << "ftp.korvu.example" << 990 << Second << changed << First;
    QTest::newRow("among others") << QByteArray("::1\t21\tCC:77\n") + one + "x\t1\tDD:88\n"
                                  << "ftp.korvu.example" << 990 << Second << changed << First;
    QTest::newRow("damaged line")
        << QByteArray("ftp.korvu.example 990 AA:11:22:33\nftp.korvu.example\tport\tAA:11\n")
        << "ftp.korvu.example" << 990 << First << unknown << QString();
}

void TestCertificates::remembersPerHostAndPort()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, fingerprint);
    QFETCH(int, verdict);
    QFETCH(QString, remembered);
    QTemporaryDir dir;
    const QString path = dir.filePath(TrustedCertificates::FileName);
    if (!file.isEmpty())
        QVERIFY(TestFiles::write(path, file));
    QString onFile;
    QCOMPARE(int(TrustedCertificates(path).check(host, port, fingerprint, &onFile)), verdict);
    QCOMPARE(onFile, remembered);
}

void TestCertificates::asksOnlyWhatItMust_data()
{
    QTest::addColumn<QString>("remembered"); // on file for the server before
    QTest::addColumn<QString>("button");     // pressed in the dialog; empty: Escape
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("rememberedAfter");
    QTest::newRow("unknown, once")
        << QString() << "cmdTrustOnce" << true << int(RemoteTrust::Once) << QString();
    QTest::newRow("unknown, always")
        << QString() << "cmdTrustAlways" << true << int(RemoteTrust::Always) << First;
    QTest::newRow("unknown, refused")
        << QString() << "cmdRefuse" << true << int(RemoteTrust::Refuse) << QString();
    QTest::newRow("unknown, Escape")
        << QString() << "" << true << int(RemoteTrust::Refuse) << QString();
    QTest::newRow("trusted always before")
        << First << "" << false << int(RemoteTrust::Once) << First;
    QTest::newRow("changed, refused")
        << Second << "cmdRefuse" << true << int(RemoteTrust::Refuse) << Second;
    QTest::newRow("changed, always")
        << Second << "cmdTrustAlways" << true << int(RemoteTrust::Always) << First;
}

void TestCertificates::asksOnlyWhatItMust()
{
    QFETCH(QString, remembered);
    QFETCH(QString, button);
    QFETCH(bool, asked);
    QFETCH(int, answer);
    QFETCH(QString, rememberedAfter);
    QTemporaryDir dir;
    // The folder is made when something is to be remembered.
    const QString path = dir.filePath(QStringLiteral("data/") + TrustedCertificates::FileName);
    const RemoteCertificate certificate = aCertificate(First);
    if (!remembered.isEmpty())
        QVERIFY(TrustedCertificates(path).remember(certificate.host, certificate.port, remembered));

    QWidget window;
    QPlainTextEdit txtLog;
    SessionLog log(&txtLog);
    CertificateTrust trust(&window, log, path);
    bool shown = false;
    const QPointer<QTimer> poll = whenDialogOpens([&](QWidget *dialog) {
        shown = true;
        QCOMPARE(dialog->objectName(), QStringLiteral("frmCertificate"));
        QCOMPARE(dialog->parentWidget(), &window);
        QCOMPARE(HelpLauncher::topicOf(dialog), QStringLiteral("connect.html"));
        QCOMPARE(labelText(dialog, "lblFingerprint"), certificate.fingerprint);
        QCOMPARE(labelText(dialog, "lblProblem"), QStringLiteral("自签名证书"));
        QCOMPARE(labelText(dialog, "lblSubject"), certificate.subject);
        QVERIFY(labelText(dialog, "lblValidity").contains(QLatin1String("2026-01-01")));
        QVERIFY(labelText(dialog, "lblHeadline").contains(QLatin1String("ftp.korvu.example")));
        // A changed certificate says so, and shows what was trusted before.
        const bool changed = !remembered.isEmpty();
        QCOMPARE(labelText(dialog, "lblHeadline").contains(QStringLiteral("不同")), changed);
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("lblRemembered")) != nullptr, changed);
        if (changed)
            QCOMPARE(labelText(dialog, "lblRemembered"), remembered);
        if (button.isEmpty())
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            press(dialog, button);
    });
    QCOMPARE(trust.ask(certificate), answer);
    QCOMPARE(shown, asked);
    delete poll; // still waiting when nothing was asked
    QString onFile;
    TrustedCertificates(path).check(certificate.host, certificate.port, First, &onFile);
    QCOMPARE(onFile, rememberedAfter);
    if (!rememberedAfter.isEmpty()) {
        // One line for the server, whatever was there before, for its owner's eyes only.
        QCOMPARE(TestFiles::read(path).count('\n'), 1);
        QCOMPARE(QFileInfo(path).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
    }
}

void TestCertificates::connectsFromTheSiteManagerOverTls()
{
    if (!VsftpdServer::available())
        QSKIP(qPrintable(VsftpdServer::unavailableReason()));
    QTemporaryDir keys;
    TestCertificate certificate;
    QVERIFY2(certificate.make(keys.path(), QStringLiteral("server")),
             qPrintable(certificate.error()));
    QTemporaryDir root;
    VsftpdServer server(root.path());
    server.setTls(false, certificate);
    const QByteArray content = TestFiles::pattern(2 * 1024 * 1024 + 3, 5);
    QVERIFY(TestFiles::write(server.writablePath() + QStringLiteral("/file.bin"), content));
    QVERIFY2(server.start(), qPrintable(server.error()));
    QFile::remove(TrustedCertificates().path());

    // A new user's site, as the site manager makes one: TLS when offered.
    SiteFile sites;
    sites.insert(QStringLiteral("tls"), server.host(),
                 {{"端口", QString::number(server.port())},
                  {"用户名", server.user()},
                  {"密码", server.password()},
                  {"超时", "20"},
                  {"被动模式", 1},
                  {"加密", QStringLiteral("TLS 加密（服务器支持时）")}});
    TestCommands actions;
    QPlainTextEdit txtLog;
    ScriptedShell shell;
    TestContext parts(&actions, actions.commands, &txtLog, shell);
    ListingBrowser browser(parts.session);
    ConnectionController controller(parts.context, browser, sites.path());
    int questions = 0;
    const auto answerAlways = [&](QWidget *dialog) {
        ++questions;
        QCOMPARE(dialog->objectName(), QStringLiteral("frmCertificate"));
        QCOMPARE(labelText(dialog, "lblFingerprint"), certificate.fingerprint());
        press(dialog, QStringLiteral("cmdTrustAlways"));
    };
    whenDialogOpens([&](QWidget *dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("frmlogin"));
        whenDialogOpens(answerAlways);
        press(dialog, QStringLiteral("cmdConnect"));
    });
    controller.mnuSit_Click();
    QCOMPARE(questions, 1);
    QCOMPARE(parts.session.ConnectionState(), RemoteState::Connected);
    QVERIFY(parts.session.IsEncrypted());
    QCOMPARE(actions.windowTitle(),
             QStringLiteral("Korvu (连接到: %1, 已加密)").arg(server.host()));
    QCOMPARE(browser.names, QStringList{QStringLiteral("pub")});

    const QString local = keys.filePath(QStringLiteral("file.bin"));
    QString why;
    QVERIFY2(
        succeeds([&] { parts.session.DownloadFile(QStringLiteral("/pub/file.bin"), local); }, why),
        qPrintable(why));
    QCOMPARE(TestFiles::read(local), content);
    qint64 start = 0;
    QVERIFY2(
        succeeds([&] { parts.session.UploadFile(QStringLiteral("/pub/back.bin"), local, start); },
                 why),
        qPrintable(why));
    QCOMPARE(TestFiles::read(server.writablePath() + QStringLiteral("/back.bin")), content);

    // Trusted always: the next connection asks nothing.
    controller.mnuLogout_Click();
    QCOMPARE(actions.windowTitle(), QStringLiteral("Korvu"));
    controller.mnuRelogin_Click();
    QCOMPARE(questions, 1);
    QCOMPARE(parts.session.ConnectionState(), RemoteState::Connected);
    QVERIFY(parts.session.IsEncrypted());
    QCOMPARE(TrustedCertificates().check(server.host(), server.port(), certificate.fingerprint()),
             TrustedCertificates::Verdict::Trusted);
}

void TestCertificates::judgesSshHostKeys_data()
{
    QTest::addColumn<bool>("keptOther"); // another key trusted always for the server before
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("keptAfter"); // "server", "other" or ""
    QTest::newRow("unknown, always") << false << "cmdTrustAlways" << true << "server";
    QTest::newRow("unknown, once") << false << "cmdTrustOnce" << true << "";
    QTest::newRow("unknown, refused") << false << "cmdRefuse" << false << "";
    QTest::newRow("changed, refused") << true << "cmdRefuse" << false << "other";
    QTest::newRow("changed, replaced") << true << "cmdReplace" << true << "server";
}

// An SFTP site from the site manager against sshd: the host key is put to
// the user before any password leaves, and "always" is kept per server.
void TestCertificates::judgesSshHostKeys()
{
    if (!SshdServer::available())
        QSKIP(qPrintable(SshdServer::unavailableReason()));
    QFETCH(bool, keptOther);
    QFETCH(QString, button);
    QFETCH(bool, connected);
    QFETCH(QString, keptAfter);
    QTemporaryDir root;
    QVERIFY(TestFiles::write(root.filePath(QStringLiteral("中文目录/文件.txt")), "x"));
    SshdServer server(root.path());
    QVERIFY2(server.start(), qPrintable(server.error()));
    const QString other = QStringLiteral("SHA256:") + QString(43, QLatin1Char('k'));
    QFile::remove(TrustedCertificates().path());
    if (keptOther)
        QVERIFY(TrustedCertificates().remember(server.host(), server.port(), other));

    SiteFile sites;
    sites.insert(QStringLiteral("ssh"), server.host(),
                 {{"端口", QString::number(server.port())},
                  {"用户名", SshdServer::user()},
                  {"密码", SshdServer::password()},
                  {"超时", "20"},
                  {"协议", "SFTP"}});
    TestCommands actions;
    QPlainTextEdit txtLog;
    ScriptedShell shell;
    TestContext parts(&actions, actions.commands, &txtLog, shell);
    ListingBrowser browser(parts.session);
    ConnectionController controller(parts.context, browser, sites.path());
    int questions = 0;
    const auto answer = [&](QWidget *dialog) {
        ++questions;
        QCOMPARE(dialog->objectName(), QStringLiteral("frmHostKey"));
        QCOMPARE(labelText(dialog, "lblKeyType"), QStringLiteral("ED25519"));
        QCOMPARE(labelText(dialog, "lblFingerprint"), server.hostKeyFingerprint());
        // A changed key is refused or replaced, never taken just once.
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("lblKnown")) != nullptr, keptOther);
        QCOMPARE(dialog->findChild<QWidget *>(QStringLiteral("cmdTrustOnce")) == nullptr,
                 keptOther);
        press(dialog, button);
    };
    whenDialogOpens([&](QWidget *dialog) {
        whenDialogOpens(answer);
        press(dialog, QStringLiteral("cmdConnect"));
    });
    controller.mnuSit_Click();
    QCOMPARE(questions, 1);
    QCOMPARE(parts.session.ConnectionState(),
             connected ? RemoteState::Connected : RemoteState::Closed);
    QString kept;
    TrustedCertificates().check(server.host(), server.port(), QString(), &kept);
    QCOMPARE(kept, keptAfter == QLatin1String("server")  ? server.hostKeyFingerprint()
                   : keptAfter == QLatin1String("other") ? other
                                                         : QString());
    if (!connected)
        return;
    QCOMPARE(actions.windowTitle(),
             QStringLiteral("Korvu (连接到: %1, SSH 已加密)").arg(server.host()));
    QVERIFY(browser.names.contains(QStringLiteral("中文目录")));
    if (kept.isEmpty())
        return;
    // Trusted always: the next connection asks nothing.
    controller.mnuLogout_Click();
    controller.mnuRelogin_Click();
    QCOMPARE(questions, 1);
    QCOMPARE(parts.session.ConnectionState(), RemoteState::Connected);
}

void TestCertificates::asksSshSecretsInBoxes_data()
{
    QTest::addColumn<QString>("user"); // "kbdint": the fake server's keyboard-interactive log-in
    QTest::addColumn<QString>("key");  // SshdServer::keyPath; "": none
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("firstAsked"); // part of the first box's question
    QTest::newRow("key passphrase") << SshdServer::user() << "ed25519-passphrase"
                                    << QStringList{SshdServer::passphrase()} << true << "私钥";
    QTest::newRow("passphrase declined, password declined")
        << SshdServer::user() << "ed25519-passphrase" << QStringList() << false << "私钥";
    QTest::newRow("password asked")
        << SshdServer::user() << "" << QStringList{SshdServer::password()} << true << "的密码";
    QTest::newRow("keyboard-interactive") << "kbdint"
                                          << "" << QStringList{"4711"} << true << "Code:";
    QTest::newRow("keyboard-interactive, wrong code")
        << "kbdint"
        << "" << QStringList{"1234"} << false << "Code:";
}

// What the log-in asks goes to the user in boxes (hidden as typed); a box
// closed without an answer ends the log-in.
void TestCertificates::asksSshSecretsInBoxes()
{
    if (!SshdServer::available())
        QSKIP(qPrintable(SshdServer::unavailableReason()));
    QFETCH(QString, user);
    QFETCH(QString, key);
    QFETCH(QStringList, typed);
    QFETCH(bool, connected);
    QFETCH(QString, firstAsked);
    QTemporaryDir root;
    SshdServer sshd(root.path());
    FakeSftpServer fake(root.path());
    const bool interactive = user == QLatin1String("kbdint");
    QVERIFY2(interactive ? fake.start() : sshd.start(),
             qPrintable(interactive ? fake.error() : sshd.error()));
    const int port = interactive ? fake.port() : sshd.port();
    TestCommands actions;
    QPlainTextEdit txtLog;
    ScriptedShell shell;
    TestContext parts(&actions, actions.commands, &txtLog, shell);
    for (const QString &answer : typed)
        parts.prompts.inputAnswers.append(answer);
    ListingBrowser browser(parts.session);
    // It answers the session's questions.
    ConnectionController controller(parts.context, browser);
    QVERIFY(RemoteSessions::speak(parts.session, RemoteProtocol::Sftp));
    parts.session.setTimeoutMs(20000);
    parts.session.setKeyFile(key.isEmpty() ? QString() : sshd.keyPath(key));
    // The host key is trusted already: only the log-in asks.
    parts.session.setTrustedHostKeys(
        {interactive ? fake.fingerprint() : sshd.hostKeyFingerprint()});
    QString why;
    QCOMPARE(succeeds(
                 [&] {
                     parts.session.OpenConnection(QStringLiteral("127.0.0.1"), user, QString(),
                                                  QString(), port);
                 },
                 why),
             connected);
    QVERIFY(!parts.prompts.asked.isEmpty());
    QCOMPARE(parts.prompts.asked.first().kind, ScriptedPrompts::Kind::Secret);
    QVERIFY2(parts.prompts.asked.first().text.contains(firstAsked),
             qPrintable(parts.prompts.asked.first().text));
}

QTEST_MAIN(TestCertificates)
#include "tst_certificates.moc"
