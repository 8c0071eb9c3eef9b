#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace {
constexpr double twipsPerInch = 1440.0;

double dpiX(const QWidget *widget)
{
    if (widget)
        return widget->logicalDpiX();
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

double dpiY(const QWidget *widget)
{
    if (widget)
        return widget->logicalDpiY();
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}
} // namespace

int twipsToPixelsX(int twips, const QWidget *widget)
{
    return int(std::lround(twips * dpiX(widget) / twipsPerInch));
}

int twipsToPixelsY(int twips, const QWidget *widget)
{
    return int(std::lround(twips * dpiY(widget) / twipsPerInch));
}

int pixelsToTwipsX(int pixels, const QWidget *widget)
{
    return int(std::lround(pixels * twipsPerInch / dpiX(widget)));
}

int pixelsToTwipsY(int pixels, const QWidget *widget)
{
    return int(std::lround(pixels * twipsPerInch / dpiY(widget)));
}
