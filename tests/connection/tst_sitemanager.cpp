#include "SiteFixtures.h"
#include "connection/SiteManagerDialog.h"
#include "platform/Prompts.h"
#include "platform/SiteDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QTest>

namespace {

const QString NoAddress = QStringLiteral("请输入要登录的 FTP 地址!");

// A site manager over a scratch site file, shown offscreen, with scripted
// prompts and the session globals of an earlier connection.
struct Harness
{
    explicit Harness(const QString &path)
        : globals(previousSession()), dialog(
                                          globals, prompts, [this] { ++helpShown; }, path)
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }

    template <typename T = QLineEdit> T *get(const char *name) const
    {
        return dialog.findChild<T *>(QLatin1String(name));
    }
    QString text(const char *name) const { return get(name)->text(); }
    void click(const char *name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    void type(const char *name, const QString &text)
    {
        get(name)->clear();
        QTest::keyClicks(get(name), text);
    }
    QStringList names() const
    {
        QStringList names;
        const QAbstractItemModel *model = get<QListView>("listSit")->model();
        for (int row = 0; model && row < model->rowCount(); ++row)
            names.append(model->index(row, SiteDatabase::NameColumn).data().toString());
        return names;
    }
    int selectedRow() const
    {
        const QModelIndexList rows = get<QListView>("listSit")->selectionModel()->selectedIndexes();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    void select(int row)
    {
        auto *list = get<QListView>("listSit");
        const QRect rect = list->visualRect(list->model()->index(row, SiteDatabase::NameColumn));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    bool accepted() const { return dialog.result() == QDialog::Accepted && !dialog.isVisible(); }
    bool refused(const QString &box) const
    {
        return dialog.isVisible() && sameSession(globals, previousSession()) &&
               prompts.asked.size() == 1 && prompts.asked[0].text == box &&
               prompts.asked[0].title == QStringLiteral("Korvu");
    }

    Globals globals;
    ScriptedPrompts prompts;
    int helpShown = 0;
    SiteManagerDialog dialog;
};

} // namespace

class TestSiteManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadShowsSitesInTableOrder();
    void addSaveSelectAndDelete();
    void selectingAnotherSiteDropsUnsavedEdits();
    void anonymousCheckBoxFillsTheCredentials();
    void connectChecksItsInput_data();
    void connectChecksItsInput();
    void connectUsesUnsavedEditsWithoutSavingThem();
    void leavingWithoutConnectingTouchesNothing_data();
    void leavingWithoutConnectingTouchesNothing();
    void badSiteFileIsReported_data();
    void badSiteFileIsReported();
    void failedSaveIsReported();
    void keepsTheCharsetOfEachSite_data();
    void keepsTheCharsetOfEachSite();
    void keepsTheEncryptionOfEachSite_data();
    void keepsTheEncryptionOfEachSite();
    void newSitesOfferTlsWhenTheServerDoes();
    void keepsTheProtocolOfEachSite_data();
    void keepsTheProtocolOfEachSite();
};

void TestSiteManager::loadShowsSitesInTableOrder()
{
    SiteFile file;
    file.insert(QStringLiteral("zeta"), QStringLiteral("zeta.example"),
                {{"端口", "2121"},
                 {"用户名", "zed"},
                 {"密码", "s3cret"},
                 {"传输类型", "Ascii"},
                 {"超时", "45"},
                 {"被动模式", 1}});
    file.insert(QStringLiteral("alpha"), QStringLiteral("alpha.example"));
    file.insert(QStringLiteral("中文"), QStringLiteral("cn.example"),
                {{"传输类型", "no such type"}, {"被动模式", 2}});

    Harness h(file.path());
    QVERIFY(h.prompts.asked.isEmpty());
    QCOMPARE(h.names(), (QStringList{"zeta", "alpha", "中文"}));
    QCOMPARE(h.selectedRow(), 0);
    QCOMPARE(
        (QStringList{h.text("txtFTP"), h.text("txtPort"), h.text("txtUser"), h.text("txtPassword"),
                     h.get<QComboBox>("cobType")->currentText(), h.text("txtTime")}),
        (QStringList{"zeta.example", "2121", "zed", "s3cret", "Ascii", "45"}));
    QCOMPARE(h.get<QCheckBox>("chkPASV")->checkState(), Qt::Checked);

    // The password is masked until the user unchecks chkChar.
    QVERIFY(h.get<QCheckBox>("chkChar")->isChecked());
    QCOMPARE(h.get("txtPassword")->echoMode(), QLineEdit::Password);
    h.click("chkChar");
    QCOMPARE(h.get("txtPassword")->echoMode(), QLineEdit::Normal);

    // A value the combo box does not offer shows as no choice; grayed stays grayed.
    h.select(2);
    QCOMPARE(h.text("txtFTP"), QStringLiteral("cn.example"));
    QCOMPARE(h.get<QComboBox>("cobType")->currentText(), QString());
    QCOMPARE(h.get<QCheckBox>("chkPASV")->checkState(), Qt::PartiallyChecked);
}

void TestSiteManager::addSaveSelectAndDelete()
{
    SiteFile file;
    file.insert(QStringLiteral("first"), QStringLiteral("first.example"));
    {
        Harness h(file.path());
        h.prompts.inputAnswers = {std::nullopt, QStringLiteral("work")};
        h.click("cmdAdd"); // a cancelled prompt still adds a site, unnamed
        QCOMPARE(h.prompts.asked[0].text, QStringLiteral("请输入站点名称:"));
        QCOMPARE(h.prompts.asked[0].title, QStringLiteral("Korvu"));
        QCOMPARE(h.names(), (QStringList{"first", ""}));
        QCOMPARE(h.text("txtPort") + h.text("txtTime"), QStringLiteral("2130"));

        h.click("cmdAdd");
        // The new site is the one shown, so what is typed next lands in it.
        QCOMPARE(h.selectedRow(), 2);
        h.type("txtFTP", QStringLiteral("ftp.work.example"));
        h.type("txtPassword", QStringLiteral("pa ss"));
        h.get<QComboBox>("cobType")->setCurrentIndex(2);
        h.get<QCheckBox>("chkPASV")->setChecked(true);
        h.click("cmdSave");
        h.select(0);
        h.select(2);
        QCOMPARE(h.text("txtFTP"), QStringLiteral("ftp.work.example"));
    }
    QCOMPARE(file.count(), 3);
    QCOMPARE(file.cell(1, QStringLiteral("站点名称")).toString(), QStringLiteral(""));
    QCOMPARE(file.cell(1, QStringLiteral("端口")).toString(), QStringLiteral("21"));
    QCOMPARE(file.cell(1, QStringLiteral("超时")).toString(), QStringLiteral("30"));
    QCOMPARE(file.cell(2, QStringLiteral("站点名称")).toString(), QStringLiteral("work"));
    QCOMPARE(file.cell(2, QStringLiteral("密码")).toString(), QStringLiteral("pa ss"));
    QCOMPARE(file.cell(2, QStringLiteral("传输类型")).toString(), QStringLiteral("EBCIDIC"));
    QCOMPARE(file.cell(2, QStringLiteral("被动模式")).toInt(), 1);

    // A later showing finds the saved sites; delete asks nothing.
    Harness h(file.path());
    h.select(1);
    h.click("cmdDel");
    QVERIFY(h.prompts.asked.isEmpty());
    QCOMPARE(h.names(), (QStringList{"first", "work"}));
    QCOMPARE(h.selectedRow(), 0);
    QCOMPARE(h.text("txtFTP"), QStringLiteral("first.example"));
    QCOMPARE(file.count(), 2);
    // Without a selection, delete does nothing.
    h.get<QListView>("listSit")->clearSelection();
    h.click("cmdDel");
    QCOMPARE(file.count(), 2);
}

void TestSiteManager::selectingAnotherSiteDropsUnsavedEdits()
{
    SiteFile file;
    file.insert(QStringLiteral("one"), QStringLiteral("one.example"));
    file.insert(QStringLiteral("two"), QStringLiteral("two.example"));
    Harness h(file.path());
    h.type("txtFTP", QStringLiteral("edited.example"));
    h.get<QCheckBox>("chkPASV")->setChecked(true);
    h.select(1);
    QCOMPARE(h.text("txtFTP"), QStringLiteral("two.example"));
    h.click("cmdSave"); // saving the other site does not carry the dropped edit along
    h.select(0);
    QCOMPARE(h.text("txtFTP"), QStringLiteral("one.example"));
    QCOMPARE(h.get<QCheckBox>("chkPASV")->checkState(), Qt::Unchecked);
    QCOMPARE(file.cell(0, QStringLiteral("站点地址")).toString(), QStringLiteral("one.example"));
}

void TestSiteManager::anonymousCheckBoxFillsTheCredentials()
{
    SiteFile file;
    file.insert(QStringLiteral("plain"), QStringLiteral("plain.example"));
    file.insert(QStringLiteral("stored"), QStringLiteral("stored.example"),
                {{"用户名", "bob"}, {"密码", "bobs"}, {"匿名", 1}});
    Harness h(file.path());
    h.type("txtUser", QStringLiteral("someone"));
    h.click("chkAnonymous");
    QCOMPARE(h.text("txtUser"), QStringLiteral("anonymous"));
    QCOMPARE(h.text("txtPassword"), SiteManagerDialog::AnonymousPassword);
    h.click("chkAnonymous");
    QCOMPARE(h.text("txtUser") + h.text("txtPassword"), QString());

    // Showing a site whose box is checked keeps the site's own values.
    h.select(1);
    QVERIFY(h.get<QCheckBox>("chkAnonymous")->isChecked());
    QCOMPARE(h.text("txtUser") + h.text("txtPassword"), QStringLiteral("bobbobs"));
}

void TestSiteManager::connectChecksItsInput_data()
{
    const QString timeoutBox =
        QStringLiteral("无效的超时数值.\r\n\r\n请输入一个介于0 到 9999 之间的整数");
    const QString portBox =
        QStringLiteral("无效的端口号.\r\n\r\n请输入一个介于1 到 65535 之间的整数");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("timeout");
    QTest::addColumn<QString>("box"); // empty: connects
    QTest::addColumn<int>("connectedPort");
    QTest::addColumn<int>("connectedTimeout");
    const auto row = [&](const char *name, const char *port, const char *timeout, QString box,
                         int p = 0, int t = 0, const char *address = "s.example") {
        QTest::newRow(name) << address << port << timeout << box << p << t;
    };
    row("time-out 0", "21", "0", timeoutBox);
    row("time-out 1", "21", "1", {}, 21, 1);
    row("time-out 9999", "21", "9999", {}, 21, 9999);
    row("time-out 10000", "21", "10000", timeoutBox);
    row("time-out 30x", "21", "30x", timeoutBox);
    row("time-out huge", "21", "99999999999", timeoutBox);
    row("time-out blanks", "21", "  ", timeoutBox);
    row("time-out -5", "21", "-5", timeoutBox);
    row("port empty", "", "30", {}, 21, 30);
    row("port 65535 in blanks", " 65535 ", "30", {}, 65535, 30);
    row("port 0", "0", "30", portBox);
    row("port 65536", "65536", "30", portBox);
    row("port 21abc", "21abc", "30", portBox);
    row("port huge", "99999999999", "30", portBox);
    row("port blanks", "  ", "30", portBox);
    row("port -5", "-5", "30", portBox);
    row("no address", "21abc", "0", NoAddress, 0, 0, "");
    row("blank address", "21", "30", NoAddress, 0, 0, "   ");
}

void TestSiteManager::connectChecksItsInput()
{
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(QString, timeout);
    QFETCH(QString, box);
    QFETCH(int, connectedPort);
    QFETCH(int, connectedTimeout);
    SiteFile file;
    file.insert(QStringLiteral("s"), address, {{"被动模式", 2}});
    Harness h(file.path());
    h.type("txtPort", port);
    h.type("txtTime", timeout);
    h.click("cmdConnect");
    if (!box.isEmpty()) {
        QVERIFY(h.refused(box));
        return;
    }
    QVERIFY(h.prompts.asked.isEmpty());
    QVERIFY(h.accepted());
    QCOMPARE(h.globals.gHost, address);
    QCOMPARE(h.globals.gPort, connectedPort);
    QCOMPARE(h.globals.gTimeout, connectedTimeout);
    QCOMPARE(h.globals.gPassive, true); // grayed counts as passive
    QCOMPARE(h.globals.gDialogCancelled, false);
}

void TestSiteManager::connectUsesUnsavedEditsWithoutSavingThem()
{
    SiteFile file;
    file.insert(QStringLiteral("s"), QStringLiteral("stored.example"),
                {{"用户名", "stored-user"}, {"端口", "2100"}, {"超时", "60"}, {"被动模式", 1}});
    Harness h(file.path());
    h.type("txtFTP", QStringLiteral("typed.example"));
    h.type("txtUser", QStringLiteral("typed-user"));
    h.type("txtPassword", QStringLiteral("typed-pass"));
    h.get<QCheckBox>("chkPASV")->setChecked(false);
    h.click("cmdConnect");
    QVERIFY(h.accepted());
    QCOMPARE((QStringList{h.globals.gHost, h.globals.gUser, h.globals.gPassword}),
             (QStringList{"typed.example", "typed-user", "typed-pass"}));
    QCOMPARE(h.globals.gPort, 2100);
    QCOMPARE(h.globals.gTimeout, 60);
    QCOMPARE(h.globals.gPassive, false);
    QCOMPARE(file.cell(0, QStringLiteral("用户名")).toString(), QStringLiteral("stored-user"));
}

void TestSiteManager::leavingWithoutConnectingTouchesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("close button") << "cmdClose";
    QTest::newRow("close box") << "close";
    QTest::newRow("escape") << "escape";
}

void TestSiteManager::leavingWithoutConnectingTouchesNothing()
{
    QFETCH(QString, how);
    SiteFile file;
    file.insert(QStringLiteral("s"), QStringLiteral("s.example"));
    Harness h(file.path());
    h.click("cmdHelp");
    QCOMPARE(h.helpShown, 1);
    h.type("txtUser", QStringLiteral("typed"));
    if (how == QLatin1String("cmdClose"))
        h.click("cmdClose");
    else if (how == QLatin1String("close"))
        h.dialog.close();
    else
        QTest::keyClick(&h.dialog, Qt::Key_Escape);
    QVERIFY(!h.dialog.isVisible());
    QCOMPARE(h.dialog.result(), int(QDialog::Rejected));
    QVERIFY(sameSession(h.globals, previousSession()));
    QCOMPARE(file.cell(0, QStringLiteral("用户名")).toString(), QString());
}

void TestSiteManager::badSiteFileIsReported_data()
{
    QTest::addColumn<QString>("schema"); // "missing", "folder" or SQL
    QTest::addColumn<int>("number");
    QTest::newRow("missing") << "missing" << int(SiteDatabase::FileMissing);
    QTest::newRow("folder") << "folder" << int(SiteDatabase::FileUnreadable);
    QTest::newRow("no site table") << "CREATE TABLE t (a);" << int(SiteDatabase::TableMissing);
}

void TestSiteManager::badSiteFileIsReported()
{
    QFETCH(QString, schema);
    QFETCH(int, number);
    QTemporaryDir dir;
    const QString path = dir.filePath(SiteDatabase::FileName);
    QString error;
    if (schema == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    else if (schema != QLatin1String("missing"))
        QVERIFY(SiteDatabase::createFile(path, schema, &error));
    SiteDatabase probe;
    QVERIFY(!probe.open(path));

    Harness h(path);
    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(h.prompts.asked[0].title, QStringLiteral("Korvu错误号:%1").arg(number));
    QCOMPARE(h.prompts.asked[0].text, probe.errorDescription());
    QCOMPARE(h.names(), QStringList());
    QVERIFY(h.get<QCheckBox>("chkChar")->isChecked());

    // The buttons act on no record and create nothing; connect still works.
    for (const char *button : {"cmdAdd", "cmdDel", "cmdSave", "cmdConnect"})
        h.click(button);
    QCOMPARE(h.prompts.asked.size(), 2);
    QCOMPARE(h.prompts.asked[1].text, NoAddress);
    QCOMPARE(QFileInfo::exists(path), schema != QLatin1String("missing"));
    h.type("txtFTP", QStringLiteral("typed.example"));
    h.type("txtTime", QStringLiteral("30"));
    h.click("cmdConnect");
    QVERIFY(h.accepted());
}

void TestSiteManager::failedSaveIsReported()
{
    SiteFile file;
    file.insert(QStringLiteral("s"), QStringLiteral("s.example"));
    Harness h(file.path());
    file.exec(QStringLiteral("DROP TABLE mysit"));
    h.type("txtFTP", QStringLiteral("lost.example"));
    h.click("cmdSave");
    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(h.prompts.asked[0].title,
             QStringLiteral("Korvu错误号:%1").arg(SiteDatabase::WriteFailed));
    QVERIFY(h.dialog.isVisible());
}

void TestSiteManager::keepsTheCharsetOfEachSite_data()
{
    QTest::addColumn<QVariant>("stored"); // null: a site from before the column
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("encoding");
    QTest::newRow("GBK") << QVariant(QStringLiteral("GBK")) << "GBK" << 2;
    QTest::newRow("UTF-8") << QVariant(QStringLiteral("UTF-8")) << "UTF-8" << 1;
    QTest::newRow("自动") << QVariant(QStringLiteral("自动")) << "自动" << 0;
    QTest::newRow("nothing chosen") << QVariant() << "自动" << 0;
    QTest::newRow("unknown") << QVariant(QStringLiteral("Big5")) << "自动" << 0;
}

void TestSiteManager::keepsTheCharsetOfEachSite()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    QFETCH(int, encoding);
    SiteFile file;
    QVariantMap more{{"超时", "30"}};
    if (stored.isValid())
        more.insert(QStringLiteral("字符集"), stored);
    file.insert(QStringLiteral("cn"), QStringLiteral("cn.example"), more);
    file.insert(QStringLiteral("other"), QStringLiteral("other.example"), {{"超时", "30"}});
    {
        Harness h(file.path());
        QCOMPARE(h.get<QComboBox>("cobCharset")->currentText(), shown);
        h.click("cmdConnect");
        QVERIFY(h.accepted());
        QCOMPARE(h.globals.gEncoding, encoding);
    }
    // Chosen and saved for one site, it stays with that site.
    Harness h(file.path());
    h.select(1);
    h.get<QComboBox>("cobCharset")->setCurrentIndex(2);
    h.click("cmdSave");
    h.select(0);
    QCOMPARE(h.get<QComboBox>("cobCharset")->currentText(), shown);
    QCOMPARE(file.cell(1, QStringLiteral("字符集")).toString(), QStringLiteral("GBK"));
    QCOMPARE(file.cell(0, QStringLiteral("字符集")).toString(), stored.toString());
}

void TestSiteManager::keepsTheEncryptionOfEachSite_data()
{
    // The texts of "加密" as site files keep them.
    QTest::addColumn<QVariant>("stored"); // null: a site from before the column
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("encryption");
    QTest::addColumn<int>("connectsTo");
    QTest::newRow("plain") << QVariant(QStringLiteral("不加密（普通 FTP）")) << "" << 0 << 21;
    QTest::newRow("TLS if offered")
        << QVariant(QStringLiteral("TLS 加密（服务器支持时）")) << "" << 1 << 21;
    QTest::newRow("TLS required") << QVariant(QStringLiteral("TLS 加密（必须）")) << "2121" << 2
                                  << 2121;
    QTest::newRow("implicit, no port")
        << QVariant(QStringLiteral("隐式 TLS 加密（FTPS）")) << "" << 3 << 990;
    QTest::newRow("implicit, port 2990")
        << QVariant(QStringLiteral("隐式 TLS 加密（FTPS）")) << "2990" << 3 << 2990;
    QTest::newRow("older site") << QVariant() << "" << 0 << 21;
    QTest::newRow("unknown text") << QVariant(QStringLiteral("SSH")) << "" << 0 << 21;
}

void TestSiteManager::keepsTheEncryptionOfEachSite()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, port);
    QFETCH(int, encryption);
    QFETCH(int, connectsTo);
    SiteFile file;
    QVariantMap more{{"超时", "30"}, {"端口", port}};
    if (stored.isValid())
        more.insert(QStringLiteral("加密"), stored);
    file.insert(QStringLiteral("site"), QStringLiteral("site.example"), more);
    file.insert(QStringLiteral("other"), QStringLiteral("other.example"), {{"超时", "30"}});
    {
        Harness h(file.path());
        QCOMPARE(h.get<QComboBox>("cobEncryption")->currentIndex(), encryption);
        h.click("cmdConnect");
        QVERIFY(h.accepted());
        QCOMPARE(h.globals.gEncryption, encryption);
        QCOMPARE(h.globals.gPort, connectsTo);
    }
    // Chosen and saved for another site, it stays with that site.
    Harness h(file.path());
    h.select(1);
    h.get<QComboBox>("cobEncryption")->setCurrentIndex(3);
    h.click("cmdSave");
    h.select(0);
    QCOMPARE(h.get<QComboBox>("cobEncryption")->currentIndex(), encryption);
    QCOMPARE(file.cell(1, QStringLiteral("加密")).toString(),
             QStringLiteral("隐式 TLS 加密（FTPS）"));
    QCOMPARE(file.cell(0, QStringLiteral("加密")).toString(), stored.toString());
}

void TestSiteManager::newSitesOfferTlsWhenTheServerDoes()
{
    SiteFile file;
    Harness h(file.path());
    h.prompts.inputAnswers = {QStringLiteral("new")};
    h.click("cmdAdd");
    QCOMPARE(h.get<QComboBox>("cobEncryption")->currentText(),
             QStringLiteral("TLS 加密（服务器支持时）"));
    QCOMPARE(file.cell(0, QStringLiteral("加密")).toString(),
             QStringLiteral("TLS 加密（服务器支持时）"));
    h.type("txtFTP", QStringLiteral("new.example"));
    h.click("cmdConnect");
    QVERIFY(h.accepted());
    QCOMPARE(h.globals.gEncryption, 1);
}

void TestSiteManager::keepsTheProtocolOfEachSite_data()
{
    QTest::addColumn<QVariant>("stored"); // "协议"; null: a site from before the column
    QTest::addColumn<QString>("port");    // "端口" as stored
    QTest::addColumn<int>("switchTo");    // the user's choice in cobProtocol; -1 none
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("portShown");
    QTest::addColumn<int>("connectsTo");
    QTest::newRow("SFTP, no port") << QVariant("SFTP") << "" << -1 << 1 << "" << 22;
    QTest::newRow("SFTP on its own port")
        << QVariant("SFTP") << "2222" << -1 << 1 << "2222" << 2222;
    QTest::newRow("older site") << QVariant() << "21" << -1 << 0 << "21" << 21;
    QTest::newRow("unknown text") << QVariant("SSH") << "" << -1 << 0 << "" << 21;
    QTest::newRow("to SFTP: 21 becomes 22") << QVariant("FTP") << "21" << 1 << 1 << "22" << 22;
    QTest::newRow("to SFTP: another port stays")
        << QVariant("FTP") << "2121" << 1 << 1 << "2121" << 2121;
    QTest::newRow("back to FTP: 22 becomes 21") << QVariant("SFTP") << "22" << 0 << 0 << "21" << 21;
}

void TestSiteManager::keepsTheProtocolOfEachSite()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, port);
    QFETCH(int, switchTo);
    QFETCH(int, protocol);
    QFETCH(QString, portShown);
    QFETCH(int, connectsTo);
    const QString key = QStringLiteral("/keys/id_ed25519");
    SiteFile file;
    QVariantMap more{{"超时", "30"}, {"端口", port}, {"密钥文件", key}};
    if (stored.isValid())
        more.insert(QStringLiteral("协议"), stored);
    file.insert(QStringLiteral("site"), QStringLiteral("site.example"), more);
    Harness h(file.path());
    auto *box = h.get<QComboBox>("cobProtocol");
    QCOMPARE(box->accessibleName(), QStringLiteral("协议"));
    if (switchTo >= 0) {
        box->setCurrentIndex(switchTo);
        Q_EMIT box->activated(switchTo);
    }
    QCOMPARE(box->currentIndex(), protocol);
    QCOMPARE(h.text("txtPort"), portShown);
    const bool sftp = protocol == 1;
    // What SSH does not use cannot be changed; the key file shows for it only.
    for (const char *ftpOnly : {"cobEncryption", "chkPASV", "chkAnonymous", "cobType"})
        QCOMPARE(h.get<QWidget>(ftpOnly)->isEnabled(), !sftp);
    QCOMPARE(h.get<QWidget>("txtKeyFile")->isVisible(), sftp);
    h.click("cmdConnect");
    QVERIFY(h.accepted());
    QCOMPARE(h.globals.gProtocol, protocol);
    QCOMPARE(h.globals.gPort, connectsTo);
    QCOMPARE(h.globals.gKeyFile, sftp ? key : QString());
}

QTEST_MAIN(TestSiteManager)
#include "tst_sitemanager.moc"
