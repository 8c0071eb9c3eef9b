#include "app/QtTranslation.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {
// The text Qt gives a standard button, or every entry of a text field's
// context menu, as a user would see them now.
QStringList shownTexts(const QString &where, int button)
{
    if (where == QLatin1String("message box")) {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::StandardButton(button));
        return {box.button(QMessageBox::StandardButton(button))->text()};
    }
    if (where == QLatin1String("input box")) {
        QInputDialog dialog;
        dialog.show(); // builds its buttons
        auto *buttons = dialog.findChild<QDialogButtonBox *>();
        const QString text = buttons->button(QDialogButtonBox::StandardButton(button))->text();
        dialog.hide();
        return {text};
    }
    QLineEdit field(QStringLiteral("text"));
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << action->text().section(QLatin1Char('\t'), 0, 0);
    return texts;
}
} // namespace

// Qt's own buttons and menus read in Chinese, like the rest of Korvu,
// whatever the locale it runs in.
class TestQtTranslation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(shownTexts("message box", QMessageBox::Ok), QStringList({"OK"}));
        QVERIFY(QtTranslation::install(*QCoreApplication::instance()));
    }

    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void qtTextsAreChinese_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("expected");

        QTest::newRow("message box OK, C") << "C"
                                           << "message box" << int(QMessageBox::Ok) << "确定";
        QTest::newRow("message box Cancel, en_US")
            << "en_US"
            << "message box" << int(QMessageBox::Cancel) << "取消";
        QTest::newRow("message box Yes, de_DE")
            << "de_DE"
            << "message box" << int(QMessageBox::Yes) << "是(&Y)";
        QTest::newRow("message box No, zh_CN") << "zh_CN"
                                               << "message box" << int(QMessageBox::No) << "否(&N)";
        QTest::newRow("input box OK, en_US") << "en_US"
                                             << "input box" << int(QDialogButtonBox::Ok) << "确定";
        QTest::newRow("input box Cancel, C")
            << "C"
            << "input box" << int(QDialogButtonBox::Cancel) << "取消";
        QTest::newRow("text field menu, select all") << "C"
                                                     << "text field menu" << 0 << "全选";
        QTest::newRow("text field menu, copy") << "en_US"
                                               << "text field menu" << 0 << "复制(&C)";
    }

    void qtTextsAreChinese()
    {
        QFETCH(QString, locale);
        QFETCH(QString, where);
        QFETCH(int, button);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        const QStringList texts = shownTexts(where, button);
        QVERIFY2(texts.contains(expected), qPrintable(texts.join(QLatin1String(" | "))));
    }
};

QTEST_MAIN(TestQtTranslation)
#include "tst_qttranslation.moc"
