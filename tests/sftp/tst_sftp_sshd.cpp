#include "SftpRig.h"
#include "fixtures/SshdServer.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using Kind = SftpEntryKind;
using Error = SftpErrorKind;
Q_DECLARE_METATYPE(SftpEntryKind)
Q_DECLARE_METATYPE(SftpErrorKind)
Q_DECLARE_METATYPE(SftpTrust)
Q_DECLARE_METATYPE(SftpHostKeyState)

namespace {

constexpr int None = -1;                           // no error expected
const QByteArray GbkName = "\xd6\xd0\xce\xc4.txt"; // 中文.txt in GBK

} // namespace

// The engine against OpenSSH's sshd (internal-sftp) with the names users
// have: brackets, case twins, a link to a folder, a name ending in a blank,
// Chinese names in UTF-8 and in GBK.
class TestSftpSshd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void lists_data();
    void lists();
    void changesDirectory_data();
    void changesDirectory();
    void changesTheTree_data();
    void changesTheTree();
    void logsIn_data();
    void logsIn();
    void judgesHostKeys_data();
    void judgesHostKeys();
    void transfers_data();
    void transfers();
    void sendsNamesBackByteForByte_data();
    void sendsNamesBackByteForByte();

private:
    SftpLogin login() const;
    void open(SftpRig &rig, const SftpLogin &login);
    QString served(const QString &name) const { return m_tree.filePath(name); }
    bool startAgent();

    QTemporaryDir m_tree;
    QTemporaryDir m_local;
    std::unique_ptr<SshdServer> m_server;
    SftpSettings m_settings;
    QProcess m_agent;
};

void TestSftpSshd::initTestCase()
{
    if (!SshdServer::available())
        QSKIP(qPrintable(SshdServer::unavailableReason()));
    QVERIFY(m_tree.isValid() && m_local.isValid());
    QVERIFY(TestFiles::write(served("Music [FLAC]/01 track.flac"), TestFiles::pattern(1000)));
    QVERIFY(TestFiles::write(served("readme.txt"), "lower\n"));
    QVERIFY(TestFiles::write(served("README.TXT"), "UPPER\n"));
    QVERIFY(TestFiles::write(served("public_html/index.html"), "<p>hi</p>\n"));
    QVERIFY(QFile::link(QStringLiteral("public_html"), served("www")));
    QVERIFY(QFile::link(QStringLiteral("nowhere"), served("broken")));
    QVERIFY(TestFiles::write(served("notes "), "blank\n"));
    QVERIFY(TestFiles::write(served("中文目录/文件.txt"), "中文\n"));
    QVERIFY(TestFiles::write(served("big.bin"), TestFiles::pattern(3 * 1024 * 1024 + 123, 7)));
    QVERIFY(TestFiles::write(served("empty.txt"), {}));
    QVERIFY(QDir(m_tree.path()).mkpath(QStringLiteral("locked")));
    QVERIFY(QDir(m_tree.path()).mkpath(QStringLiteral("work")));
    QVERIFY(TestFiles::writeRaw(QFile::encodeName(served("gbk/")) + GbkName, "gbk\n"));
    m_server = std::make_unique<SshdServer>(m_tree.path());
    QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    ::chmod(QFile::encodeName(served("locked")).constData(), 0555);
    QVERIFY(TestFiles::write(m_local.filePath("known_hosts"), m_server->knownHostsLine().toUtf8()));
    m_settings.knownHostsFile = m_local.filePath("known_hosts");
    m_settings.globalKnownHostsFile = m_local.filePath("no-global-known-hosts");
    m_settings.timeoutMs = 20000;
    qunsetenv("SSH_AUTH_SOCK");
}

void TestSftpSshd::cleanupTestCase()
{
    m_agent.kill();
    m_agent.waitForFinished();
    ::chmod(QFile::encodeName(served("locked")).constData(), 0755);
    // QTemporaryDir cannot name the GBK file.
    TestFiles::removeTreeRaw(QFile::encodeName(served("gbk")));
}

SftpLogin TestSftpSshd::login() const
{
    SftpLogin login;
    login.host = m_server->host();
    login.port = m_server->port();
    login.user = SshdServer::user();
    login.password = SshdServer::password();
    return login;
}

void TestSftpSshd::open(SftpRig &rig, const SftpLogin &login)
{
    rig.engine.setSettings(m_settings);
    rig.engine.open(login);
}

void TestSftpSshd::lists_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<SftpEntryKind>("kind");
    QTest::addColumn<qint64>("size"); // -2: not compared (a folder's, a link's)
    QTest::addColumn<QString>("target");
    const auto row = [](const char *tag, const char *folder, const char *name, Kind kind,
                        qint64 size, const char *target = "") {
        QTest::newRow(tag) << QString::fromUtf8(folder) << QString::fromUtf8(name) << kind << size
                           << QString::fromUtf8(target);
    };
    row("brackets", "", "Music [FLAC]", Kind::Folder, -2);
    row("lower twin", "", "readme.txt", Kind::File, 6);
    row("upper twin", "", "README.TXT", Kind::File, 6);
    row("link to a folder", "", "www", Kind::LinkToFolder, -2, "public_html");
    row("broken link", "", "broken", Kind::Link, -2, "nowhere");
    row("trailing blank", "", "notes ", Kind::File, 6);
    row("Chinese folder", "", "中文目录", Kind::Folder, -2);
    row("inside brackets", "Music [FLAC]", "01 track.flac", Kind::File, 1000);
    row("through the link", "www", "index.html", Kind::File, 10);
    row("Chinese file", "中文目录", "文件.txt", Kind::File, 7);
}

void TestSftpSshd::lists()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(SftpEntryKind, kind);
    QFETCH(qint64, size);
    QFETCH(QString, target);
    SftpRig rig;
    SFTP_VERIFY(open(rig, login()));
    SftpListing listing;
    SFTP_VERIFY(listing = rig.engine.list(folder));
    QStringList names;
    for (const SftpEntry &entry : listing.entries)
        names.append(entry.name);
    QVERIFY(!names.contains(QStringLiteral(".")) && !names.contains(QStringLiteral("..")));
    const qsizetype at = names.indexOf(name);
    QVERIFY2(at >= 0, qPrintable(names.join(QLatin1Char('|'))));
    const SftpEntry &entry = listing.entries.at(at);
    QCOMPARE(entry.kind, kind);
    if (size != -2)
        QCOMPARE(entry.size, size);
    QCOMPARE(entry.linkTarget, target);
    QVERIFY(entry.modified.isValid());
    QVERIFY(entry.permissions > 0);
}

void TestSftpSshd::changesDirectory_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // below the root
    QTest::addColumn<int>("error");
    const auto row = [](const char *tag, const char *path, const char *expected, int error) {
        QTest::newRow(tag) << QString::fromUtf8(path) << QString::fromUtf8(expected) << error;
    };
    row("brackets", "Music [FLAC]", "/Music [FLAC]", None);
    row("link resolved", "www", "/public_html", None);
    row("Chinese", "中文目录", "/中文目录", None);
    row("up and down", "中文目录/../www", "/public_html", None);
    row("a file", "readme.txt", "", int(Error::NotAFolder));
    row("missing", "missing", "", int(Error::NotFound));
    row("broken link", "broken", "", int(Error::NotFound));
}

void TestSftpSshd::changesDirectory()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QFETCH(int, error);
    SftpRig rig;
    SFTP_VERIFY(open(rig, login()));
    const QString root = QFileInfo(m_tree.path()).canonicalFilePath();
    QCOMPARE(rig.engine.currentDirectory(), root);
    const std::optional<SftpErrorKind> failure =
        failureOf([&] { rig.engine.changeDirectory(path); });
    QCOMPARE(failure ? int(*failure) : None, error);
    QCOMPARE(rig.engine.currentDirectory(), error == None ? root + expected : root);
    QCOMPARE(rig.engine.state(), SftpState::Connected);
    if (error == None) {
        SFTP_VERIFY(rig.engine.parentDirectory());
        QCOMPARE(rig.engine.currentDirectory(), QFileInfo(root + expected).path());
    }
}

void TestSftpSshd::changesTheTree_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("exists");  // afterwards, below the row's folder
    QTest::addColumn<QString>("missing"); // afterwards
    const auto row = [](const char *tag, const char *operation, const char *first,
                        const char *second, int error, const char *exists, const char *missing) {
        QTest::newRow(tag) << QString::fromUtf8(operation) << QString::fromUtf8(first)
                           << QString::fromUtf8(second) << error << QString::fromUtf8(exists)
                           << QString::fromUtf8(missing);
    };
    const int there = int(Error::AlreadyExists);
    row("new folder", "mkdir", "new [1] ", "", None, "new [1] ", "");
    row("folder there", "mkdir", "sub", "", there, "sub", "");
    row("file there", "mkdir", "a.txt", "", there, "a.txt", "");
    row("no permission", "mkdir", "../../locked/x", "", int(Error::PermissionDenied), "",
        "../../locked/x");
    row("rename", "rename", "a.txt", "文件 b.txt", None, "文件 b.txt", "a.txt");
    row("rename onto a file", "rename", "a.txt", "A.TXT", there, "A.TXT", "");
    row("rename missing", "rename", "gone", "x", int(Error::NotFound), "", "x");
    row("rename dot", "rename", "sub/..", "x", int(Error::InvalidArgument), "sub", "x");
    row("delete", "delete", "a.txt", "", None, "A.TXT", "a.txt");
    row("delete missing", "delete", "gone", "", int(Error::NotFound), "", "");
    row("delete a link", "delete", "link", "", None, "sub/inner.txt", "link");
    row("remove full folder", "rmdir", "sub", "", int(Error::Refused), "sub/inner.txt", "");
    row("remove empty folder", "rmdir", "empty ", "", None, "", "empty ");
    row("chmod", "chmod", "a.txt", "600", None, "a.txt", "");
    row("chmod not octal", "chmod", "a.txt", "689", int(Error::InvalidArgument), "a.txt", "");
}

void TestSftpSshd::changesTheTree()
{
    QFETCH(QString, operation);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, error);
    QFETCH(QString, exists);
    QFETCH(QString, missing);
    const QString folder = served(QStringLiteral("work/") + QTest::currentDataTag());
    QVERIFY(TestFiles::write(folder + "/a.txt", "a"));
    QVERIFY(TestFiles::write(folder + "/A.TXT", "A"));
    QVERIFY(TestFiles::write(folder + "/sub/inner.txt", "inner"));
    QVERIFY(QDir(folder).mkpath(QStringLiteral("empty ")));
    QVERIFY(QFile::link(QStringLiteral("sub"), folder + "/link"));
    QVERIFY(SshdServer::giveToUser(served("work")));
    SftpRig rig;
    SFTP_VERIFY(open(rig, login()));
    SFTP_VERIFY(rig.engine.changeDirectory(folder));
    const std::optional<SftpErrorKind> failure = failureOf([&] {
        if (operation == QLatin1String("mkdir"))
            rig.engine.makeDirectory(first);
        else if (operation == QLatin1String("rename"))
            rig.engine.rename(first, second);
        else if (operation == QLatin1String("delete"))
            rig.engine.deleteFile(first);
        else if (operation == QLatin1String("rmdir"))
            rig.engine.removeDirectory(first);
        else
            rig.engine.chmod(first, second.toInt());
    });
    QCOMPARE(failure ? int(*failure) : None, error);
    QCOMPARE(rig.engine.state(), SftpState::Connected);
    if (!exists.isEmpty())
        QVERIFY(QFileInfo(folder + '/' + exists).exists());
    if (!missing.isEmpty())
        QVERIFY(!QFileInfo(folder + '/' + missing).isSymLink() &&
                !QFileInfo::exists(folder + '/' + missing));
    struct stat info;
    if (operation == QLatin1String("chmod") && error == None)
        QCOMPARE(::stat(QFile::encodeName(folder + "/a.txt").constData(), &info) == 0
                     ? info.st_mode & 07777
                     : 0u,
                 0600u);
}

bool TestSftpSshd::startAgent()
{
    if (m_agent.state() == QProcess::Running)
        return true;
    const QString socket = m_local.filePath(QStringLiteral("agent.sock"));
    m_agent.start(QStringLiteral("ssh-agent"),
                  {QStringLiteral("-D"), QStringLiteral("-a"), socket});
    for (int i = 0; i < 100 && !QFileInfo::exists(socket); ++i)
        QTest::qWait(20);
    QProcess add;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SSH_AUTH_SOCK"), socket);
    add.setProcessEnvironment(environment);
    add.start(QStringLiteral("ssh-add"), {m_server->keyPath(QStringLiteral("ecdsa"))});
    return add.waitForFinished(10000) && add.exitCode() == 0 &&
           qputenv("SSH_AUTH_SOCK", QFile::encodeName(socket));
}

void TestSftpSshd::logsIn_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("agent");
    QTest::addColumn<QStringList>("answers"); // to the secret questions, in order
    QTest::addColumn<QString>("method");      // empty: refused
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("questions");
    const QString pw = SshdServer::password();
    const QString phrase = SshdServer::passphrase();
    const auto row = [](const char *tag, const char *key, const QString &password,
                        const QStringList &answers, const char *method, int error = None,
                        int questions = 0, bool agent = false) {
        QTest::newRow(tag) << QString::fromUtf8(key) << password << agent << answers
                           << QString::fromUtf8(method) << error << questions;
    };
    const int refused = int(Error::AuthenticationFailed);
    row("password", "", pw, {}, "password");
    row("wrong password", "", "nope", {}, "", refused);
    row("password asked", "", "", {pw}, "password", None, 1);
    row("ed25519", "ed25519", "", {}, "publickey");
    row("ecdsa", "ecdsa", "", {}, "publickey");
    row("rsa-sha2", "rsa", "", {}, "publickey");
    row("rsa in PEM", "rsa-pem", "", {}, "publickey");
    row("passphrase", "ed25519-passphrase", "", {phrase}, "publickey", None, 1);
    row("passphrase wrong, then right", "ed25519-passphrase", "", {"nope", phrase}, "publickey",
        None, 2);
    row("passphrase declined, password", "ed25519-passphrase", pw, {}, "password", None, 1);
    row("unknown key, then password", "stranger", pw, {}, "password");
    row("agent", "", "", {}, "publickey (agent)", None, 0, true);
    row("missing key file", "missing", pw, {}, "", int(Error::LocalFileError));
}

void TestSftpSshd::logsIn()
{
    QFETCH(QString, key);
    QFETCH(QString, password);
    QFETCH(bool, agent);
    QFETCH(QStringList, answers);
    QFETCH(QString, method);
    QFETCH(int, error);
    QFETCH(int, questions);
    if (agent)
        QVERIFY(startAgent());
    else
        qunsetenv("SSH_AUTH_SOCK");
    SftpRig rig;
    rig.secrets = answers;
    SftpLogin credentials = login();
    credentials.password = password;
    credentials.keyFile = key.isEmpty() ? QString() : m_server->keyPath(key);
    const std::optional<SftpErrorKind> failure = failureOf([&] { open(rig, credentials); });
    qunsetenv("SSH_AUTH_SOCK");
    QCOMPARE(failure ? int(*failure) : None, error);
    QCOMPARE(rig.secretsAsked.size(), questions);
    if (error != None) {
        QCOMPARE(rig.engine.state(), SftpState::Closed);
        return;
    }
    QCOMPARE(rig.engine.state(), SftpState::Connected);
    QCOMPARE(rig.matching(SftpActivity::LoggedIn).value(0).detail, method);
}

void TestSftpSshd::judgesHostKeys_data()
{
    QTest::addColumn<QString>("knownHosts"); // "known", "changed", "none"
    QTest::addColumn<bool>("trusted");       // the caller trusts the fingerprint
    QTest::addColumn<SftpTrust>("answer");
    QTest::addColumn<int>("asked");
    QTest::addColumn<SftpHostKeyState>("state"); // as accepted or asked
    QTest::addColumn<bool>("connected");
    const auto row = [](const char *tag, const char *knownHosts, bool trusted, SftpTrust answer,
                        int asked, SftpHostKeyState state, bool connected) {
        QTest::newRow(tag) << QString::fromUtf8(knownHosts) << trusted << answer << asked << state
                           << connected;
    };
    using State = SftpHostKeyState;
    row("known", "known", false, SftpTrust::Refuse, 0, State::Known, true);
    row("unknown, once", "none", false, SftpTrust::Once, 1, State::Unknown, true);
    row("unknown, always", "none", false, SftpTrust::Always, 1, State::Unknown, true);
    row("unknown, refused", "none", false, SftpTrust::Refuse, 1, State::Unknown, false);
    row("unknown, trusted", "none", true, SftpTrust::Refuse, 0, State::Trusted, true);
    row("changed, refused", "changed", false, SftpTrust::Refuse, 1, State::Changed, false);
    row("changed, replaced", "changed", true, SftpTrust::Refuse, 0, State::Trusted, true);
}

void TestSftpSshd::judgesHostKeys()
{
    QFETCH(QString, knownHosts);
    QFETCH(bool, trusted);
    QFETCH(SftpTrust, answer);
    QFETCH(int, asked);
    QFETCH(SftpHostKeyState, state);
    QFETCH(bool, connected);
    const QString file = m_local.filePath(QStringLiteral("known_hosts-") + QTest::currentDataTag());
    const QString line = knownHosts == QLatin1String("known")     ? m_server->knownHostsLine()
                         : knownHosts == QLatin1String("changed") ? m_server->knownHostsLine(true)
                                                                  : QString();
    QVERIFY(TestFiles::write(file, line.toUtf8()));
    SftpRig rig;
    rig.trust = answer;
    SftpSettings settings = m_settings;
    settings.knownHostsFile = file;
    if (trusted)
        settings.trustedHostKeys = {QStringLiteral("SHA256:other"), m_server->hostKeyFingerprint()};
    rig.engine.setSettings(settings);
    const std::optional<SftpErrorKind> failure = failureOf([&] { rig.engine.open(login()); });
    QCOMPARE(failure.has_value(), !connected);
    if (failure)
        QCOMPARE(*failure, Error::HostKeyRefused);
    QCOMPARE(rig.keysAsked.size(), asked);
    const SftpHostKey key = asked ? rig.keysAsked.first() : rig.engine.connectionInfo().hostKey;
    QCOMPARE(key.state, state);
    QCOMPARE(key.type, QStringLiteral("ED25519"));
    QCOMPARE(key.port, int(m_server->port()));
    QCOMPARE(key.fingerprint, m_server->hostKeyFingerprint());
    if (knownHosts == QLatin1String("changed") && asked)
        QVERIFY(!key.knownFingerprint.isEmpty() && key.knownFingerprint != key.fingerprint);
    // The engine writes nothing: "always" is the caller's to keep.
    QCOMPARE(TestFiles::read(file), line.toUtf8());
    if (!connected) {
        QCOMPARE(rig.engine.state(), SftpState::Closed);
        QVERIFY(rig.matching(SftpActivity::AuthenticationTry).isEmpty());
    }
}

void TestSftpSshd::transfers_data()
{
    QTest::addColumn<bool>("upload");
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<QByteArray>("tail"); // what the target holds after the offset beforehand
    QTest::addColumn<int>("error");
    const auto row = [](const char *tag, bool upload, const char *file, qint64 offset,
                        const QByteArray &tail = {}, int error = None) {
        QTest::newRow(tag) << upload << QString::fromUtf8(file) << offset << tail << error;
    };
    const QByteArray junk = "junk that must go";
    const int cannot = int(Error::CannotResume);
    row("download", false, "big.bin", 0);
    row("download resumed", false, "big.bin", 1234567);
    row("download resumed over junk", false, "big.bin", 70000, junk);
    row("download complete already", false, "big.bin", 3145851);
    row("download empty", false, "empty.txt", 0);
    row("download past the end", false, "readme.txt", 7, "xx", cannot);
    row("download missing", false, "missing.bin", 0, {}, int(Error::NotFound));
    row("upload", true, "big.bin", 0);
    row("upload resumed", true, "big.bin", 2000001);
    row("upload resumed over junk", true, "big.bin", 99, junk);
    row("upload resumed into a longer file", true, "readme.txt", 3, "XXXXXXXXXX");
    row("upload empty", true, "empty.txt", 0);
    row("upload past the remote end", true, "readme.txt", 5, "!", cannot);
}

void TestSftpSshd::transfers()
{
    QFETCH(bool, upload);
    QFETCH(QString, file);
    QFETCH(qint64, offset);
    QFETCH(QByteArray, tail);
    QFETCH(int, error);
    const QByteArray source = TestFiles::read(served(file));
    const QString target =
        upload ? served(QStringLiteral("work/up-") + QTest::currentDataTag())
               : m_local.filePath(QStringLiteral("down-") + QTest::currentDataTag());
    // The target's beginning as a resume finds it: the file's first bytes
    // (all of them for an upload past the remote end: the remote is short).
    const QByteArray before =
        upload && error != None ? source.left(offset - 1) : source.left(offset) + tail;
    if (offset > 0 || !tail.isEmpty())
        QVERIFY(TestFiles::write(target, before));
    if (upload)
        QVERIFY(SshdServer::giveToUser(QFileInfo(target).path()));
    const QString local = upload ? served(file) : target;
    const QString remote = upload ? target : file;
    SftpRig rig;
    SFTP_VERIFY(open(rig, login()));
    const std::optional<SftpErrorKind> failure = failureOf([&] {
        if (upload)
            rig.engine.upload(remote, local, offset);
        else
            rig.engine.download(remote, local, offset);
    });
    QCOMPARE(failure ? int(*failure) : None, error);
    QCOMPARE(rig.engine.state(), SftpState::Connected);
    if (error != None) {
        // A refusal leaves the target as it was.
        QCOMPARE(TestFiles::read(target), offset > 0 || !tail.isEmpty() ? before : QByteArray());
        return;
    }
    QCOMPARE(TestFiles::read(target), source);
    const QList<SftpEvent> done = rig.matching(SftpActivity::FileTransferred);
    QCOMPARE(done.size(), 1);
    QCOMPARE(done.first().count, source.size() - offset);
}

void TestSftpSshd::sendsNamesBackByteForByte_data()
{
    QTest::addColumn<SftpNameEncoding>("encoding");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("raw");
    QTest::newRow("UTF-8, decided by the names") << SftpNameEncoding::Auto << "中文目录"
                                                 << "文件.txt" << QByteArray("文件.txt");
    QTest::newRow("GBK, decided by the names") << SftpNameEncoding::Auto << "gbk"
                                               << "中文.txt" << GbkName;
    QTest::newRow("GBK, as the site says") << SftpNameEncoding::Gbk << "gbk"
                                           << "中文.txt" << GbkName;
    QTest::newRow("GBK read as UTF-8") << SftpNameEncoding::Utf8 << "gbk"
                                       << "\uf7d6\uf7d0\uf7ce\uf7c4.txt" << GbkName;
}

void TestSftpSshd::sendsNamesBackByteForByte()
{
    QFETCH(SftpNameEncoding, encoding);
    QFETCH(QString, folder);
    QFETCH(QString, shown);
    QFETCH(QByteArray, raw);
    SftpRig rig;
    m_settings.nameEncoding = encoding;
    SFTP_VERIFY(open(rig, login()));
    m_settings.nameEncoding = SftpNameEncoding::Auto;
    SFTP_VERIFY(rig.engine.changeDirectory(folder));
    SftpListing listing;
    SFTP_VERIFY(listing = rig.engine.list());
    QCOMPARE(listing.entries.size(), 1);
    QCOMPARE(listing.entries.first().name, shown);
    QCOMPARE(listing.entries.first().rawName, raw);
    const QString local = m_local.filePath(QStringLiteral("name-") + QTest::currentDataTag());
    SFTP_VERIFY(rig.engine.download(shown, local, 0));
    QCOMPARE(TestFiles::read(local),
             TestFiles::readRaw(QFile::encodeName(served(folder)) + '/' + raw));
    // Renamed there and back by the name shown: the same bytes on disk.
    SFTP_VERIFY(rig.engine.rename(shown, QStringLiteral("plain.txt")));
    SFTP_VERIFY(rig.engine.rename(QStringLiteral("plain.txt"), shown));
    QVERIFY(TestFiles::existsRaw(QFile::encodeName(served(folder)) + '/' + raw));
}

QTEST_GUILESS_MAIN(TestSftpSshd)
#include "tst_sftp_sshd.moc"
