#include "app/WindowPlacement.h"

#include "panes/FileListView.h"
#include "platform/SettingsStore.h"
#include "platform/Twips.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
const QString localColumnsKey = QStringLiteral("LocalColumns");
const QString remoteColumnsKey = QStringLiteral("RemoteColumns");
// A column wider than this (twenty inches) was not set by a user.
constexpr int widestColumnTwips = 28800;
// What must show of the window's top edge for its title bar to be grabbed.
constexpr int titleStripHeight = 40;
constexpr int grabbableWidth = 100;
constexpr int grabbableHeight = 20;

std::optional<int> storedNumber(const SettingsStore &settings, const QString &key)
{
    bool ok = false;
    const int value = settings.value(key).trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QList<int> columnsFrom(const QString &text)
{
    QList<int> widths;
    for (const QString &part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int width = part.trimmed().toInt(&ok);
        widths.append(ok && width <= widestColumnTwips ? width : 0);
    }
    return widths;
}

QString columnsText(const QList<int> &widths)
{
    QStringList parts;
    for (int width : widths)
        parts.append(QString::number(width));
    return parts.join(QLatin1Char(','));
}
} // namespace

WindowPlacement::WindowPlacement(QWidget *window, FileListView *lvwLocal, FileListView *lvwRemote,
                                 SettingsStore &settings, QObject *parent)
    : QObject(parent), window(window), lvwLocal(lvwLocal), lvwRemote(lvwRemote), settings(settings)
{}

std::optional<QRect> WindowPlacement::storedFrame(const SettingsStore &settings,
                                                  const QWidget *window)
{
    const auto left = storedNumber(settings, QStringLiteral("MainLeft"));
    const auto top = storedNumber(settings, QStringLiteral("MainTop"));
    const auto width = storedNumber(settings, QStringLiteral("MainWidth"));
    const auto height = storedNumber(settings, QStringLiteral("MainHeight"));
    if (!left || !top || !width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    return QRect(twipsToPixelsX(*left, window), twipsToPixelsY(*top, window),
                 twipsToPixelsX(*width, window), twipsToPixelsY(*height, window));
}

bool WindowPlacement::onSomeScreen(const QRect &frame, const QList<QRect> &screens)
{
    const QRect titleStrip(frame.left(), frame.top(), frame.width(), titleStripHeight);
    for (const QRect &screen : screens) {
        const QRect shown = titleStrip.intersected(screen);
        if (shown.width() >= grabbableWidth && shown.height() >= grabbableHeight)
            return true;
    }
    return false;
}

void WindowPlacement::restore()
{
    restoreFrame();
    lvwLocal->restoreColumnWidthsTwips(columnsFrom(settings.value(localColumnsKey)));
    lvwRemote->restoreColumnWidthsTwips(columnsFrom(settings.value(remoteColumnsKey)));
}

void WindowPlacement::restoreFrame()
{
    const std::optional<QRect> frame = storedFrame(settings, window);
    if (!frame)
        return;
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    // A place off every screen (one unplugged since) is not kept: the size
    // is, centred on the window's screen.
    const bool placeKept = onSomeScreen(*frame, screens);
    const QScreen *screen =
        placeKept ? QGuiApplication::screenAt(frame->center()) : window->screen();
    if (!screen)
        screen = window->screen();
    // A screen smaller than the one the size was left on holds all of it.
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QSize size = area.isValid() ? frame->size().boundedTo(area.size()) : frame->size();
    window->resize(size);
    if (placeKept)
        window->move(frame->topLeft());
    else if (area.isValid())
        window->move(area.center() - window->rect().center());
    restoredFrameSize = size;
    window->installEventFilter(this);
}

// The stored size is the outer one, frame included, and the frame is known
// only once the window manager has decorated the window: the inner size is
// made smaller by it then, so the window does not grow from run to run.
bool WindowPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window && event->type() == QEvent::WindowActivate) {
        window->removeEventFilter(this);
        const QSize frame = window->frameGeometry().size() - window->size();
        if (!frame.isNull())
            window->resize(restoredFrameSize - frame);
    }
    return QObject::eventFilter(watched, event);
}

void WindowPlacement::saveColumns()
{
    settings.setValue(localColumnsKey, columnsText(lvwLocal->columnWidthsTwips()));
    settings.setValue(remoteColumnsKey, columnsText(lvwRemote->columnWidthsTwips()));
}
