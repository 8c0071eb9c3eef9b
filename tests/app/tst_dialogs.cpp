#include "app/AboutDialog.h"
#include "app/OptionsDialog.h"
#include "platform/NetworkInfo.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "platform/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
template <typename T> T *child(QWidget &dialog, const char *name)
{
    T *widget = dialog.findChild<T *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

struct Store
{
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("korvu.ini"));
    SettingsStore settings{file};

    QString stored(const QString &key)
    {
        settings.sync();
        return SettingsStore(file).value(key, QStringLiteral("<absent>"));
    }
};

const QString useNotepad = QStringLiteral("使用记事本");
const QString program = QStringLiteral("指定程序");
} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void optionsOpenWithTheDefaults()
    {
        Store store;
        ScriptedPrompts prompts;
        OptionsDialog dialog(store.settings, prompts);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("程序选项"));
        auto *chkNote = child<QCheckBox>(dialog, "chkNote");
        auto *txtExe = child<QLineEdit>(dialog, "txtExe");
        auto *cmdBrowse = child<QPushButton>(dialog, "cmdBrowse");
        QCOMPARE(chkNote->text(), QStringLiteral("使用记事本查看(&N)"));
        QVERIFY(chkNote->isChecked());
        QVERIFY(txtExe->text().isEmpty());
        QVERIFY(!txtExe->isEnabled() && !cmdBrowse->isEnabled());

        // Unchecking opens the path for typing; checking again keeps it.
        QTest::mouseClick(chkNote, Qt::LeftButton);
        QVERIFY(txtExe->isEnabled() && cmdBrowse->isEnabled());
        txtExe->setText(QStringLiteral("/usr/bin/less"));
        QTest::mouseClick(chkNote, Qt::LeftButton);
        QVERIFY(!txtExe->isEnabled() && !cmdBrowse->isEnabled());
        QCOMPARE(txtExe->text(), QStringLiteral("/usr/bin/less"));
        // Hidden files stay out of the local pane until asked for.
        QCOMPARE(child<QCheckBox>(dialog, "chkHidden")->text(), QStringLiteral("显示隐藏文件"));
        QVERIFY(!child<QCheckBox>(dialog, "chkHidden")->isChecked());

        // Cancel writes nothing at all.
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(store.stored(useNotepad), QStringLiteral("<absent>"));
        QCOMPARE(store.stored(program), QStringLiteral("<absent>"));
    }

    void applyThenCancelKeepsTheAppliedValues()
    {
        Store store;
        ScriptedPrompts prompts;
        {
            OptionsDialog dialog(store.settings, prompts);
            QTest::mouseClick(child<QCheckBox>(dialog, "chkNote"), Qt::LeftButton);
            child<QLineEdit>(dialog, "txtExe")->setText(QStringLiteral("/opt/viewer"));
            child<QCheckBox>(dialog, "chkHidden")->setChecked(true);
            QSignalSpy applied(&dialog, &OptionsDialog::applied);
            QTest::mouseClick(child<QPushButton>(dialog, "cmdApply"), Qt::LeftButton);
            QCOMPARE(applied.size(), 1);
            QCOMPARE(store.stored(OptionsDialog::ShowHiddenKey), QStringLiteral("1"));
            QCOMPARE(store.stored(useNotepad), QStringLiteral("0"));
            QCOMPARE(store.stored(program), QStringLiteral("/opt/viewer"));

            child<QLineEdit>(dialog, "txtExe")->setText(QStringLiteral("/opt/other"));
            QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
        }
        QCOMPARE(store.stored(program), QStringLiteral("/opt/viewer"));

        // The next opening starts from what was stored.
        OptionsDialog again(store.settings, prompts);
        QVERIFY(!child<QCheckBox>(again, "chkNote")->isChecked());
        QVERIFY(child<QLineEdit>(again, "txtExe")->isEnabled());
        QCOMPARE(child<QLineEdit>(again, "txtExe")->text(), QStringLiteral("/opt/viewer"));

        // Going back to the built-in viewer keeps the path in the store.
        QTest::mouseClick(child<QCheckBox>(again, "chkNote"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(again, "cmdOK"), Qt::LeftButton);
        QCOMPARE(again.result(), int(QDialog::Accepted));
        QCOMPARE(store.stored(useNotepad), QStringLiteral("1"));
        QCOMPARE(store.stored(program), QStringLiteral("/opt/viewer"));
    }

    void browseStartsFromTheLastFileAndACancelPutsItBack()
    {
        Store store;
        store.settings.setValue(useNotepad, QStringLiteral("0"));
        ScriptedPrompts prompts;
        prompts.fileAnswers = {QStringLiteral("/usr/bin/less"), QString()};
        OptionsDialog dialog(store.settings, prompts);
        auto *txtExe = child<QLineEdit>(dialog, "txtExe");
        auto *cmdBrowse = child<QPushButton>(dialog, "cmdBrowse");

        QTest::mouseClick(cmdBrowse, Qt::LeftButton);
        QCOMPARE(txtExe->text(), QStringLiteral("/usr/bin/less"));
        txtExe->setText(QStringLiteral("typed by hand"));
        QTest::mouseClick(cmdBrowse, Qt::LeftButton);
        QCOMPARE(txtExe->text(), QStringLiteral("/usr/bin/less"));

        QCOMPARE(prompts.asked.size(), 2);
        QCOMPARE(prompts.asked.at(0).title, QStringLiteral("请指定您要使用的文件查看程序"));
        QVERIFY(prompts.asked.at(0).filter.startsWith(QStringLiteral("可执行文件")));
        QCOMPARE(prompts.asked.at(0).text, QString());
        QCOMPARE(prompts.asked.at(1).text, QStringLiteral("/usr/bin/less"));
    }

    void aHandEditedStoreIsReadSensibly()
    {
        Store store;
        ScriptedPrompts prompts;
        const QList<QPair<QString, bool>> cases = {
            {"0", false},   {"1", true},       {"-1", true},  {"FALSE", false},
            {"True", true}, {"notepad", true}, {" 0 ", false}};
        for (const auto &[text, checked] : cases) {
            store.settings.setValue(useNotepad, text);
            OptionsDialog dialog(store.settings, prompts);
            QVERIFY2(child<QCheckBox>(dialog, "chkNote")->isChecked() == checked, qPrintable(text));
        }
        // A hidden-files value that is no flag keeps them hidden.
        for (const auto &[text, shown] : {std::pair{"1", true}, {"yes", false}, {"", false}}) {
            store.settings.setValue(OptionsDialog::ShowHiddenKey, QString::fromLatin1(text));
            QVERIFY2(OptionsDialog::showHiddenFiles(store.settings) == shown, text);
        }
    }

    void aboutExpandsAndCollapses()
    {
        NetworkDetails details;
        details.description = QStringLiteral("Qt Network 6.4.2");
        details.hostName = QStringLiteral("workstation");
        details.majorVersion = 6;
        details.minorVersion = 4;
        details.status = QStringLiteral("运行中");
        details.addresses = {QStringLiteral("127.0.0.1"), QStringLiteral("192.168.1.20"),
                             QStringLiteral("::1")};
        FixedNetworkInfo networkInfo(details);
        AboutDialog dialog(networkInfo);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        const int collapsed = twipsToPixelsY(AboutDialog::CollapsedHeight, &dialog);
        const int expanded = twipsToPixelsY(AboutDialog::ExpandedHeight, &dialog);
        auto *cmdDetails = child<QPushButton>(dialog, "cmdDetails");
        auto *lbxAddress = child<QListWidget>(dialog, "lbxAddress");
        QCOMPARE(dialog.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(child<QLabel>(dialog, "lblVer")->text(), QStringLiteral("版本 1.0.0"));
        QCOMPARE(dialog.height(), collapsed);
        QCOMPARE(cmdDetails->text(), QStringLiteral("详细 >>"));
        QVERIFY(!lbxAddress->isVisibleTo(&dialog) || lbxAddress->geometry().top() >= collapsed);

        QTest::mouseClick(cmdDetails, Qt::LeftButton);
        QCOMPARE(cmdDetails->text(), QStringLiteral("<< 详细"));
        QCOMPARE(dialog.height(), expanded);
        QVERIFY(lbxAddress->geometry().bottom() < expanded);
        QCOMPARE(child<QLabel>(dialog, "lblTitle")->text(), QStringLiteral("Korvu"));
        QCOMPARE(child<QLabel>(dialog, "lblDescription")->text(), details.description);
        QCOMPARE(child<QLabel>(dialog, "lblHostname")->text(), details.hostName);
        QCOMPARE(child<QLabel>(dialog, "lblVersion")->text(), QStringLiteral("6.4"));
        QCOMPARE(child<QLabel>(dialog, "lblStatus")->text(), details.status);

        QTest::mouseClick(cmdDetails, Qt::LeftButton);
        QCOMPARE(cmdDetails->text(), QStringLiteral("详细 >>"));
        QCOMPARE(dialog.height(), collapsed);
        QCOMPARE(child<QLabel>(dialog, "lblHostname")->text(), details.hostName);

        // Expanding again refills the list; it does not grow.
        QTest::mouseClick(cmdDetails, Qt::LeftButton);
        QStringList listed;
        for (int i = 0; i < lbxAddress->count(); ++i)
            listed << lbxAddress->item(i)->text();
        QCOMPARE(listed, details.addresses);

        QStringList captions;
        for (int i = 0; i < 5; ++i)
            captions
                << child<QLabel>(dialog, qPrintable(QStringLiteral("Labels_%1").arg(i)))->text();
        QCOMPARE(captions, QStringList({"描述:", "本机名称:", "本机 IP:",
                                        AboutDialog::socketVersionCaption(), "状态:"}));

        QTest::mouseClick(child<QPushButton>(dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
