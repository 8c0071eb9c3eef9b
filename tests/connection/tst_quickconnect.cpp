#include "SiteFixtures.h"
#include "connection/QuickConnectDialog.h"
#include "platform/Prompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class Harness
{
public:
    Harness() : globals(previousSession()), dialog(globals, prompts)
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    void type(const char *name, const QString &text)
    {
        QLineEdit *edit = dialog.findChild<QLineEdit *>(QLatin1String(name));
        QVERIFY(edit);
        QTest::keyClicks(edit, text);
    }
    void click(const char *name)
    {
        QPushButton *button = dialog.findChild<QPushButton *>(QLatin1String(name));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    bool accepted() const { return dialog.result() == QDialog::Accepted && !dialog.isVisible(); }

    Globals globals;
    ScriptedPrompts prompts;
    QuickConnectDialog dialog;
};

} // namespace

class TestQuickConnect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsItsNote();
    void emptyUserLogsInAnonymously();
    void typedUserLogsInAsTyped();
    void portIsChecked_data();
    void portIsChecked();
    void emptyAddressIsRefused_data();
    void emptyAddressIsRefused();
    void cancelTouchesNothing_data();
    void cancelTouchesNothing();
};

void TestQuickConnect::showsItsNote()
{
    Harness h;
    QCOMPARE(h.dialog.objectName(), QStringLiteral("frmConnect"));
    QCOMPARE(h.dialog.windowTitle(), QStringLiteral("快速连接"));
    bool noteShown = false;
    for (const QLabel *label : h.dialog.findChildren<QLabel *>())
        noteShown |= label->isVisible() &&
                     label->text() == QStringLiteral("提示:快速连接方式不保存连接地址及设置");
    QVERIFY(noteShown);
    QCOMPARE(h.dialog.findChild<QLineEdit *>(QStringLiteral("txtPass"))->echoMode(),
             QLineEdit::Password);
}

void TestQuickConnect::emptyUserLogsInAnonymously()
{
    Harness h;
    h.type("txtIP", QStringLiteral("ftp.example"));
    h.type("txtPass", QStringLiteral("typed but unused"));
    h.click("cmdOK");
    QVERIFY(h.prompts.asked.isEmpty());
    QVERIFY(h.accepted());
    QCOMPARE(h.globals.gHost, QStringLiteral("ftp.example"));
    QCOMPARE(h.globals.gUser, QStringLiteral("anonymous"));
    QCOMPARE(h.globals.gPassword, QuickConnectDialog::AnonymousPassword);
    QVERIFY(QuickConnectDialog::AnonymousPassword.contains(QLatin1Char('@')));
    QCOMPARE(h.globals.gPort, 21);
    QCOMPARE(h.globals.gPassive, true);
    QCOMPARE(h.globals.gTimeout, 30);
    QCOMPARE(h.globals.gDialogCancelled, false);
}

void TestQuickConnect::typedUserLogsInAsTyped()
{
    Harness h;
    h.type("txtIP", QStringLiteral(" 127.0.0.1 "));
    h.type("txtUser", QStringLiteral("alice"));
    h.type("txtPass", QStringLiteral("wonder land"));
    h.type("txtPort", QStringLiteral("2121"));
    h.click("cmdOK");
    QVERIFY(h.accepted());
    QCOMPARE(h.globals.gHost, QStringLiteral("127.0.0.1"));
    QCOMPARE(h.globals.gUser, QStringLiteral("alice"));
    QCOMPARE(h.globals.gPassword, QStringLiteral("wonder land"));
    QCOMPARE(h.globals.gPort, 2121);
}

void TestQuickConnect::portIsChecked_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("trailing letters") << "21abc";
    QTest::newRow("huge") << "99999999999";
    QTest::newRow("0") << "0";
    QTest::newRow("65536") << "65536";
    QTest::newRow("blanks") << "  ";
}

void TestQuickConnect::portIsChecked()
{
    QFETCH(QString, port);
    Harness h;
    h.type("txtIP", QStringLiteral("ftp.example"));
    h.type("txtPort", port);
    h.click("cmdOK");
    QVERIFY(h.dialog.isVisible());
    QVERIFY(sameSession(h.globals, previousSession()));
    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(h.prompts.asked[0].title, QStringLiteral("Korvu"));
    QCOMPARE(h.prompts.asked[0].icon, Prompts::Icon::Warning);
    QCOMPARE(h.prompts.asked[0].text,
             QStringLiteral("无效的端口号.\r\n\r\n请输入一个介于1 到 65535 之间的整数"));
}

void TestQuickConnect::emptyAddressIsRefused_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("empty") << "";
    QTest::newRow("blanks") << "   ";
}

void TestQuickConnect::emptyAddressIsRefused()
{
    QFETCH(QString, address);
    Harness h;
    h.type("txtIP", address);
    h.type("txtUser", QStringLiteral("alice"));
    h.click("cmdOK");
    QVERIFY(h.dialog.isVisible());
    QVERIFY(sameSession(h.globals, previousSession()));
    QCOMPARE(h.prompts.asked.size(), 1);
    QCOMPARE(h.prompts.asked[0].text, QStringLiteral("请输入要登录的 FTP 地址!"));
    QCOMPARE(h.prompts.asked[0].title, QStringLiteral("Korvu"));
    QCOMPARE(h.prompts.asked[0].icon, Prompts::Icon::Information);
}

void TestQuickConnect::cancelTouchesNothing_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("cancel button") << false;
    QTest::newRow("close box") << true;
}

void TestQuickConnect::cancelTouchesNothing()
{
    QFETCH(bool, closeBox);
    Harness h;
    h.type("txtIP", QStringLiteral("ftp.example"));
    if (closeBox)
        h.dialog.close();
    else
        h.click("cmdCancel");
    QVERIFY(!h.dialog.isVisible());
    QCOMPARE(h.dialog.result(), int(QDialog::Rejected));
    QVERIFY(sameSession(h.globals, previousSession()));
    QVERIFY(h.prompts.asked.isEmpty());
}

QTEST_MAIN(TestQuickConnect)
#include "tst_quickconnect.moc"
