#include "app/SplashWindow.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>
#include <memory>

class TestSplash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsTheVersionAndLoadsTheMainWindowHidden()
    {
        std::unique_ptr<QWidget> main;
        bool splashVisibleDuringLoad = false;
        SplashWindow splash([&]() -> QWidget * {
            splashVisibleDuringLoad = splash.isVisible();
            main = std::make_unique<QWidget>();
            return main.get();
        });
        splash.start();
        QVERIFY(splashVisibleDuringLoad);
        QVERIFY(main && !main->isVisible());
        QCOMPARE(SplashWindow::versionLine(), QStringLiteral("Ver 1.0.0 for Linux"));
        QCOMPARE(splash.findChild<QLabel *>(QStringLiteral("Label1"))->text(),
                 SplashWindow::versionLine());
        // The window is exactly the picture.
        auto *image = splash.findChild<QLabel *>(QStringLiteral("Image1"));
        QCOMPARE(image->pos(), QPoint(0, 0));
        QCOMPARE(splash.size(), image->size());
    }

    void aClickShowsTheMainWindowAtOnce()
    {
        QWidget main;
        int loads = 0;
        SplashWindow splash([&]() -> QWidget * {
            ++loads;
            return &main;
        });
        splash.start();
        auto *timer = splash.findChild<QTimer *>(QStringLiteral("Timer1"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 3000);

        QTest::mouseClick(splash.findChild<QLabel *>(QStringLiteral("Image1")), Qt::LeftButton);
        QVERIFY(main.isVisible());
        QVERIFY(!splash.isVisible());
        QVERIFY(!timer->isActive());
        // Hidden again by the user, the main window is not brought back.
        main.hide();
        QTest::mouseClick(splash.findChild<QLabel *>(QStringLiteral("Image1")), Qt::LeftButton);
        QVERIFY(!main.isVisible());
        QCOMPARE(loads, 1);
    }

    void theTimerEndsTheSplash()
    {
        QWidget main;
        SplashWindow splash([&]() -> QWidget * { return &main; });
        splash.start();
        QTRY_VERIFY_WITH_TIMEOUT(main.isVisible(), 6000);
        QVERIFY(!splash.isVisible());
        QVERIFY(splash.isFinished());
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
