#include "app/SplashWindow.h"

#include "app/AppVersion.h"
#include "app/Artwork.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace {
const QSize pictureSize(480, 300);
}

SplashWindow::SplashWindow(MainWindowLoader loadMainWindow, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      loadMainWindow(std::move(loadMainWindow)), Image1(new QLabel(this)), Label1(new QLabel(this)),
      Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("frmFlash"));
    setWindowTitle(QStringLiteral("Korvu"));
    Image1->setObjectName(QStringLiteral("Image1"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Image1->installEventFilter(this);
    Image1->setCursor(Qt::PointingHandCursor);
    connect(Timer1, &QTimer::timeout, this, &SplashWindow::Form_Unload);
}

QString SplashWindow::versionLine()
{
    return QStringLiteral("Ver %1 for %2").arg(AppVersion::number(), AppVersion::platformName());
}

void SplashWindow::start()
{
    Image1->setPixmap(Artwork::splashPicture(pictureSize));
    Image1->setGeometry(QRect(QPoint(0, 0), pictureSize));
    setFixedSize(Image1->size());

    Label1->setText(versionLine());
    Label1->setStyleSheet(
        QStringLiteral("color: rgba(255, 255, 255, 200); background: transparent;"));
    Label1->adjustSize();
    Label1->move(width() - Label1->width() - 14, height() - Label1->height() - 10);
    Label1->raise();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Timer1->start(DisplayMs);
    show();
    // Let the picture reach the screen before the main window's load runs.
    QCoreApplication::processEvents();
    frmMain = loadMainWindow();
    // A click that came while the main window was loading still counts.
    if (unloadRequested)
        Form_Unload();
}

bool SplashWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Form_Unload();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SplashWindow::Form_Unload()
{
    unloadRequested = true;
    if (finished || !frmMain)
        return;
    finished = true;
    Timer1->stop();
    frmMain->show();
    close();
    Q_EMIT mainWindowShown();
}
