#include "SiteFixtures.h"
#include "connection/SiteManagerDialog.h"
#include "platform/Prompts.h"
#include "platform/SiteDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace {

SiteRow site(const QString &name, const QString &address)
{
    SiteRow row;
    row.name = name;
    row.address = address;
    return row;
}

// One site manager over a scratch site file, shown offscreen, with scripted
// prompts and the session globals of an earlier connection.
class Harness
{
public:
    explicit Harness(const QString &path) : globals(previousSession())
    {
        dialog = std::make_unique<SiteManagerDialog>(
            globals, prompts, [this] { ++helpShown; }, path);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <typename T> T *get(const char *name) const
    {
        T *widget = dialog->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QLineEdit *edit(const char *name) const { return get<QLineEdit>(name); }
    QCheckBox *check(const char *name) const { return get<QCheckBox>(name); }
    void click(const char *name) const
    {
        QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton);
    }
    void type(const char *name, const QString &text) const
    {
        edit(name)->clear();
        QTest::keyClicks(edit(name), text);
    }

    QListView *list() const { return get<QListView>("listSit"); }
    QStringList names() const
    {
        QStringList names;
        if (QAbstractItemModel *model = list()->model()) {
            for (int row = 0; row < model->rowCount(); ++row)
                names.append(model->index(row, SiteDatabase::NameColumn).data().toString());
        }
        return names;
    }
    int selectedRow() const
    {
        const QModelIndexList rows = list()->selectionModel()->selectedIndexes();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    void select(int row) const
    {
        const QModelIndex index = list()->model()->index(row, SiteDatabase::NameColumn);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualRect(index).center());
        QCOMPARE(selectedRow(), row);
    }
    bool accepted() const { return dialog->result() == QDialog::Accepted && !dialog->isVisible(); }
    bool stillOpen() const { return dialog->isVisible() && dialog->result() != QDialog::Accepted; }

    Globals globals;
    ScriptedPrompts prompts;
    int helpShown = 0;
    std::unique_ptr<SiteManagerDialog> dialog;
};

} // namespace

class TestSiteManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadShowsSitesInTableOrder();
    void addWithCancelledPromptAddsAnUnnamedSite();
    void addSaveSelectAndDelete();
    void selectingAnotherSiteDropsUnsavedEdits();
    void deleteWithoutSelectionDoesNothing();
    void anonymousCheckBoxFillsTheCredentials();
    void connectChecksTheTimeout_data();
    void connectChecksTheTimeout();
    void connectChecksThePort_data();
    void connectChecksThePort();
    void connectNeedsAnAddress();
    void connectUsesUnsavedEditsWithoutSavingThem();
    void passiveFollowsTheCheckBox_data();
    void passiveFollowsTheCheckBox();
    void leavingWithoutConnectingTouchesNothing_data();
    void leavingWithoutConnectingTouchesNothing();
    void helpButtonOpensTheHelp();
    void badSiteFileIsReported_data();
    void badSiteFileIsReported();
    void failedSaveIsReported();
};

void TestSiteManager::loadShowsSitesInTableOrder()
{
    SiteFile file;
    SiteRow first = site(QStringLiteral("zeta"), QStringLiteral("ftp.zeta.example"));
    first.port = QStringLiteral("2121");
    first.user = QStringLiteral("zed");
    first.password = QStringLiteral("s3cret");
    first.type = QStringLiteral("Ascii");
    first.timeout = QStringLiteral("45");
    first.passive = 1;
    file.insert(first);
    file.insert(site(QStringLiteral("alpha"), QStringLiteral("alpha.example")));
    SiteRow third = site(QStringLiteral("中文站点"), QStringLiteral("cn.example"));
    third.type = QStringLiteral("no such type");
    third.passive = 2;
    file.insert(third);

    Harness h(file.path());
    QVERIFY(h.prompts.asked.isEmpty());
    QCOMPARE(h.names(), (QStringList{"zeta", "alpha", "中文站点"}));
    QCOMPARE(h.selectedRow(), 0);
    QCOMPARE(h.edit("txtFTP")->text(), QStringLiteral("ftp.zeta.example"));
    QCOMPARE(h.edit("txtPort")->text(), QStringLiteral("2121"));
    QCOMPARE(h.edit("txtUser")->text(), QStringLiteral("zed"));
    QCOMPARE(h.edit("txtPassword")->text(), QStringLiteral("s3cret"));
    QCOMPARE(h.get<QComboBox>("cobType")->currentText(), QStringLiteral("Ascii"));
    QCOMPARE(h.edit("txtTime")->text(), QStringLiteral("45"));
    QCOMPARE(h.check("chkPASV")->checkState(), Qt::Checked);

    // The password is masked until the user unchecks chkChar.
    QVERIFY(h.check("chkChar")->isChecked());
    QCOMPARE(h.edit("txtPassword")->echoMode(), QLineEdit::Password);
    h.click("chkChar");
    QCOMPARE(h.edit("txtPassword")->echoMode(), QLineEdit::Normal);
    h.click("chkChar");
    QCOMPARE(h.edit("txtPassword")->echoMode(), QLineEdit::Password);

    // Values the controls cannot choose show as no choice; grayed stays grayed.
    h.select(2);
    QCOMPARE(h.edit("txtFTP")->text(), QStringLiteral("cn.example"));
    QCOMPARE(h.get<QComboBox>("cobType")->currentText(), QString());
    QCOMPARE(h.check("chkPASV")->checkState(), Qt::PartiallyChecked);
    h.select(1);
    QCOMPARE(h.check("chkPASV")->checkState(), Qt::Unchecked);
}

void TestSiteManager::addWithCancelledPromptAddsAnUnnamedSite()
{
    SiteFile file;
    Harness h(file.path());
    QCOMPARE(h.names(), QStringList());
    h.click("cmdAdd"); // no answer queued: the prompt is cancelled

    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(h.prompts.asked[0].kind, ScriptedPrompts::Kind::Input);
    QCOMPARE(h.prompts.asked[0].text, QStringLiteral("请输入站点名称:"));
    QCOMPARE(h.prompts.asked[0].title, QStringLiteral("Korvu"));
    const QList<SiteRow> rows = file.rows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].name, QString());
    QCOMPARE(rows[0].port, QStringLiteral("21"));
    QCOMPARE(rows[0].timeout, QStringLiteral("30"));
    QCOMPARE(h.names(), QStringList{QString()});
    QCOMPARE(h.selectedRow(), 0);
    QCOMPARE(h.edit("txtPort")->text(), QStringLiteral("21"));
    QCOMPARE(h.edit("txtTime")->text(), QStringLiteral("30"));
}

void TestSiteManager::addSaveSelectAndDelete()
{
    SiteFile file;
    file.insert(site(QStringLiteral("first"), QStringLiteral("first.example")));
    {
        Harness h(file.path());
        h.prompts.inputAnswers = {QStringLiteral("work"), QStringLiteral("home")};
        h.click("cmdAdd");
        // The new site is the one shown, so what is typed next lands in it.
        QCOMPARE(h.selectedRow(), 1);
        h.type("txtFTP", QStringLiteral("ftp.work.example"));
        h.type("txtPort", QStringLiteral("2121"));
        h.type("txtUser", QStringLiteral("worker"));
        h.type("txtPassword", QStringLiteral("pa ss"));
        h.get<QComboBox>("cobType")->setCurrentIndex(2);
        h.check("chkPASV")->setChecked(true);
        h.click("cmdSave");
        h.click("cmdAdd");
        QCOMPARE(h.names(), (QStringList{"first", "work", "home"}));
        QCOMPARE(h.selectedRow(), 2);
        QCOMPARE(h.edit("txtFTP")->text(), QString());

        h.select(1);
        QCOMPARE(h.edit("txtFTP")->text(), QStringLiteral("ftp.work.example"));
        QCOMPARE(h.edit("txtUser")->text(), QStringLiteral("worker"));
    }
    QList<SiteRow> rows = file.rows();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].address, QStringLiteral("first.example"));
    QCOMPARE(rows[1].name, QStringLiteral("work"));
    QCOMPARE(rows[1].address, QStringLiteral("ftp.work.example"));
    QCOMPARE(rows[1].port, QStringLiteral("2121"));
    QCOMPARE(rows[1].password, QStringLiteral("pa ss"));
    QCOMPARE(rows[1].type, QStringLiteral("EBCIDIC"));
    QCOMPARE(rows[1].passive.toInt(), 1);
    QCOMPARE(rows[2].name, QStringLiteral("home"));

    // A later showing finds the saved sites; delete asks nothing.
    Harness h(file.path());
    QCOMPARE(h.names(), (QStringList{"first", "work", "home"}));
    h.select(1);
    h.click("cmdDel");
    QVERIFY(h.prompts.asked.isEmpty());
    QCOMPARE(h.names(), (QStringList{"first", "home"}));
    QCOMPARE(h.selectedRow(), 0);
    QCOMPARE(h.edit("txtFTP")->text(), QStringLiteral("first.example"));
    rows = file.rows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].name, QStringLiteral("home"));
}

void TestSiteManager::selectingAnotherSiteDropsUnsavedEdits()
{
    SiteFile file;
    file.insert(site(QStringLiteral("one"), QStringLiteral("one.example")));
    file.insert(site(QStringLiteral("two"), QStringLiteral("two.example")));
    Harness h(file.path());
    h.type("txtFTP", QStringLiteral("edited.example"));
    h.check("chkPASV")->setChecked(true);
    h.select(1);
    QCOMPARE(h.edit("txtFTP")->text(), QStringLiteral("two.example"));
    h.select(0);
    QCOMPARE(h.edit("txtFTP")->text(), QStringLiteral("one.example"));
    QCOMPARE(h.check("chkPASV")->checkState(), Qt::Unchecked);
    // Saving the other site does not carry the dropped edit along.
    h.select(1);
    h.click("cmdSave");
    QCOMPARE(file.rows()[0].address, QStringLiteral("one.example"));
}

void TestSiteManager::deleteWithoutSelectionDoesNothing()
{
    SiteFile file;
    file.insert(site(QStringLiteral("keep"), QStringLiteral("keep.example")));
    Harness h(file.path());
    h.list()->clearSelection();
    h.click("cmdDel");
    QCOMPARE(file.rows().size(), 1);
    QCOMPARE(h.names(), QStringList{QStringLiteral("keep")});
}

void TestSiteManager::anonymousCheckBoxFillsTheCredentials()
{
    SiteFile file;
    file.insert(site(QStringLiteral("plain"), QStringLiteral("plain.example")));
    SiteRow stored = site(QStringLiteral("stored"), QStringLiteral("stored.example"));
    stored.user = QStringLiteral("bob");
    stored.password = QStringLiteral("bobs");
    stored.anonymous = 1;
    file.insert(stored);
    Harness h(file.path());

    h.type("txtUser", QStringLiteral("someone"));
    h.click("chkAnonymous");
    QCOMPARE(h.edit("txtUser")->text(), QStringLiteral("anonymous"));
    QCOMPARE(h.edit("txtPassword")->text(), SiteManagerDialog::AnonymousPassword);
    QVERIFY(SiteManagerDialog::AnonymousPassword.contains(QLatin1Char('@')));
    h.click("chkAnonymous");
    QCOMPARE(h.edit("txtUser")->text(), QString());
    QCOMPARE(h.edit("txtPassword")->text(), QString());

    // Showing a site whose box is checked keeps the site's own values.
    h.select(1);
    QVERIFY(h.check("chkAnonymous")->isChecked());
    QCOMPARE(h.edit("txtUser")->text(), QStringLiteral("bob"));
    QCOMPARE(h.edit("txtPassword")->text(), QStringLiteral("bobs"));
}

void TestSiteManager::connectChecksTheTimeout_data()
{
    QTest::addColumn<QString>("timeout");
    QTest::addColumn<int>("accepted"); // the time-out connected with, 0 = refused
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("9999") << "9999" << 9999;
    QTest::newRow("10000") << "10000" << 0;
    QTest::newRow("blanks around") << " 30 " << 30;
    QTest::newRow("trailing letters") << "30x" << 0;
    QTest::newRow("huge") << "99999999999" << 0;
    QTest::newRow("negative") << "-5" << 0;
    QTest::newRow("blanks") << "  " << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestSiteManager::connectChecksTheTimeout()
{
    QFETCH(QString, timeout);
    QFETCH(int, accepted);
    SiteFile file;
    file.insert(site(QStringLiteral("s"), QStringLiteral("s.example")));
    Harness h(file.path());
    h.type("txtTime", timeout);
    h.click("cmdConnect");
    if (accepted) {
        QVERIFY(h.prompts.asked.isEmpty());
        QVERIFY(h.accepted());
        QCOMPARE(h.globals.gTimeout, accepted);
        QCOMPARE(h.globals.gDialogCancelled, false);
        return;
    }
    QVERIFY(h.stillOpen());
    QVERIFY(sameSession(h.globals, previousSession()));
    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(h.prompts.asked[0].title, QStringLiteral("Korvu"));
    QCOMPARE(h.prompts.asked[0].icon, Prompts::Icon::Warning);
    QCOMPARE(h.prompts.asked[0].text,
             QStringLiteral("无效的超时数值.\r\n\r\n请输入一个介于0 到 9999 之间的整数"));
}

void TestSiteManager::connectChecksThePort_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("accepted"); // the port connected to, 0 = refused
    QTest::newRow("empty") << "" << 21;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("2121") << "2121" << 2121;
    QTest::newRow("65535") << "65535" << 65535;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("65536") << "65536" << 0;
    QTest::newRow("trailing letters") << "21abc" << 0;
    QTest::newRow("huge") << "99999999999" << 0;
    QTest::newRow("negative") << "-5" << 0;
    QTest::newRow("blanks") << "  " << 0;
}

void TestSiteManager::connectChecksThePort()
{
    QFETCH(QString, port);
    QFETCH(int, accepted);
    SiteFile file;
    file.insert(site(QStringLiteral("s"), QStringLiteral("s.example")));
    Harness h(file.path());
    h.type("txtPort", port);
    h.click("cmdConnect");
    if (accepted) {
        QVERIFY(h.prompts.asked.isEmpty());
        QVERIFY(h.accepted());
        QCOMPARE(h.globals.gPort, accepted);
        QCOMPARE(h.globals.gHost, QStringLiteral("s.example"));
        return;
    }
    QVERIFY(h.stillOpen());
    QVERIFY(sameSession(h.globals, previousSession()));
    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(h.prompts.asked[0].title, QStringLiteral("Korvu"));
    QVERIFY(h.prompts.asked[0].text.contains(QStringLiteral("端口")));
}

void TestSiteManager::connectNeedsAnAddress()
{
    SiteFile file;
    file.insert(site(QStringLiteral("blank"), QStringLiteral("   ")));
    Harness h(file.path());
    h.click("cmdConnect");
    QVERIFY(h.stillOpen());
    QVERIFY(sameSession(h.globals, previousSession()));
    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(h.prompts.asked[0].text, QStringLiteral("请输入要登录的 FTP 地址!"));
    QCOMPARE(h.prompts.asked[0].title, QStringLiteral("Korvu"));
    QCOMPARE(h.prompts.asked[0].icon, Prompts::Icon::Information);

    // Fixed in the box, the same showing connects.
    h.type("txtFTP", QStringLiteral("ok.example"));
    h.click("cmdConnect");
    QVERIFY(h.accepted());
    QCOMPARE(h.globals.gHost, QStringLiteral("ok.example"));
}

void TestSiteManager::connectUsesUnsavedEditsWithoutSavingThem()
{
    SiteFile file;
    SiteRow stored = site(QStringLiteral("s"), QStringLiteral("stored.example"));
    stored.user = QStringLiteral("stored-user");
    stored.password = QStringLiteral("stored-pass");
    stored.port = QStringLiteral("2100");
    stored.timeout = QStringLiteral("60");
    file.insert(stored);
    Harness h(file.path());
    h.type("txtFTP", QStringLiteral("typed.example"));
    h.type("txtUser", QStringLiteral("typed-user"));
    h.type("txtPassword", QStringLiteral("typed-pass"));
    h.click("cmdConnect");
    QVERIFY(h.accepted());
    QCOMPARE(h.globals.gHost, QStringLiteral("typed.example"));
    QCOMPARE(h.globals.gUser, QStringLiteral("typed-user"));
    QCOMPARE(h.globals.gPassword, QStringLiteral("typed-pass"));
    QCOMPARE(h.globals.gPort, 2100);
    QCOMPARE(h.globals.gTimeout, 60);
    QCOMPARE(h.globals.gDialogCancelled, false);
    QCOMPARE(file.rows()[0].address, QStringLiteral("stored.example"));
    QCOMPARE(file.rows()[0].user, QStringLiteral("stored-user"));
}

void TestSiteManager::passiveFollowsTheCheckBox_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("passive");
    QTest::newRow("empty") << QVariant() << false;
    QTest::newRow("unchecked") << QVariant(0) << false;
    QTest::newRow("checked") << QVariant(1) << true;
    QTest::newRow("grayed") << QVariant(2) << true;
}

void TestSiteManager::passiveFollowsTheCheckBox()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, passive);
    SiteFile file;
    SiteRow row = site(QStringLiteral("s"), QStringLiteral("s.example"));
    row.passive = stored;
    file.insert(row);
    Harness h(file.path());
    h.globals.gPassive = !passive;
    h.click("cmdConnect");
    QVERIFY(h.accepted());
    QCOMPARE(h.globals.gPassive, passive);
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
    file.insert(site(QStringLiteral("s"), QStringLiteral("s.example")));
    Harness h(file.path());
    h.type("txtUser", QStringLiteral("typed"));
    if (how == QLatin1String("cmdClose"))
        h.click("cmdClose");
    else if (how == QLatin1String("close"))
        h.dialog->close();
    else
        QTest::keyClick(h.dialog.get(), Qt::Key_Escape);
    QVERIFY(!h.dialog->isVisible());
    QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
    QVERIFY(sameSession(h.globals, previousSession()));
    QCOMPARE(file.rows()[0].user, QString());
}

void TestSiteManager::helpButtonOpensTheHelp()
{
    SiteFile file;
    Harness h(file.path());
    h.click("cmdHelp");
    QCOMPARE(h.helpShown, 1);
    QVERIFY(h.dialog->isVisible());
}

void TestSiteManager::badSiteFileIsReported_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("number");
    QTest::newRow("missing") << "missing" << int(SiteDatabase::FileMissing);
    QTest::newRow("not a database") << "garbage" << int(SiteDatabase::FileUnreadable);
    QTest::newRow("folder") << "folder" << int(SiteDatabase::FileUnreadable);
    QTest::newRow("no site table") << "other table" << int(SiteDatabase::TableMissing);
}

void TestSiteManager::badSiteFileIsReported()
{
    QFETCH(QString, kind);
    QFETCH(int, number);
    QTemporaryDir dir;
    const QString path = dir.filePath(SiteDatabase::FileName);
    if (kind == QLatin1String("garbage")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(2048, '\x5a'));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == QLatin1String("other table")) {
        QString error;
        QVERIFY(SiteDatabase::createFile(path, QStringLiteral("CREATE TABLE t (a TEXT);"), &error));
    }
    SiteDatabase probe;
    QVERIFY(!probe.open(path));

    Harness h(path);
    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(h.prompts.asked[0].kind, ScriptedPrompts::Kind::Message);
    QCOMPARE(h.prompts.asked[0].title, QStringLiteral("Korvu错误号:%1").arg(number));
    QCOMPARE(h.prompts.asked[0].text, probe.errorDescription());
    QCOMPARE(h.names(), QStringList());
    QVERIFY(h.check("chkChar")->isChecked());

    // The buttons act on no record; nothing is created.
    for (const char *button : {"cmdAdd", "cmdDel", "cmdSave"})
        h.click(button);
    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(QFileInfo::exists(path), kind != QLatin1String("missing"));
    h.click("cmdConnect");
    QCOMPARE(h.prompts.asked.last().text, QStringLiteral("请输入要登录的 FTP 地址!"));
    h.type("txtFTP", QStringLiteral("typed.example"));
    h.type("txtTime", QStringLiteral("30"));
    h.click("cmdConnect");
    QVERIFY(h.accepted());
    QCOMPARE(h.globals.gHost, QStringLiteral("typed.example"));
}

void TestSiteManager::failedSaveIsReported()
{
    SiteFile file;
    file.insert(site(QStringLiteral("s"), QStringLiteral("s.example")));
    Harness h(file.path());
    file.exec(QStringLiteral("DROP TABLE mysit"));
    h.type("txtFTP", QStringLiteral("lost.example"));
    h.click("cmdSave");
    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(h.prompts.asked[0].title,
             QStringLiteral("Korvu错误号:%1").arg(SiteDatabase::WriteFailed));
    QVERIFY(!h.prompts.asked[0].text.isEmpty());
    QVERIFY(h.dialog->isVisible());
}

QTEST_MAIN(TestSiteManager)
#include "tst_sitemanager.moc"
