#include "app/QtTranslation.h"

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <memory>

// Qt's own buttons and menus read in Chinese, like the rest of Korvu,
// whatever the locale it runs in.
class TestQtTranslation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(QtTranslation::install(*QCoreApplication::instance())); }

    void qtTextsAreChinese_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("button"); // 0: the context menu of a text field
        QTest::addColumn<QString>("expected");
        QTest::newRow("OK, C") << "C" << int(QMessageBox::Ok) << "确定";
        QTest::newRow("Cancel, en_US") << "en_US" << int(QMessageBox::Cancel) << "取消";
        QTest::newRow("No, de_DE") << "de_DE" << int(QMessageBox::No) << "否(&N)";
        QTest::newRow("text field, en_US") << "en_US" << 0 << "全选\tCtrl+A";
    }

    void qtTextsAreChinese()
    {
        QFETCH(QString, locale);
        QFETCH(int, button);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        QStringList shown;
        if (button) {
            QMessageBox box;
            shown << box.addButton(QMessageBox::StandardButton(button))->text();
        } else {
            QLineEdit field;
            const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
            for (const QAction *action : menu->actions())
                shown << action->text();
        }
        QVERIFY2(shown.contains(expected), qPrintable(shown.join(QLatin1String(" | "))));
    }
};

QTEST_MAIN(TestQtTranslation)
#include "tst_qttranslation.moc"
