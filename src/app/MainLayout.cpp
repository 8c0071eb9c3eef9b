#include "app/MainLayout.h"

#include "app/MainWindowUi.h"
#include "panes/FileListView.h"
#include "platform/Twips.h"
#include "window/StatusPanels.h"
#include "window/WindowState.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTreeView>

namespace {
// Designed measures, in twips.
constexpr int splitterWidth = 90;
// The file frames start a little below the toolbar and end a little above
// the status frame.
constexpr int frameTop = 60;
constexpr int frameGap = splitterWidth; // where imgStatusSplitter lies
constexpr int innerLeft = 50;           // lists and folder boxes inside their frames
constexpr int statusInnerLeft = 100;
constexpr int statusListHeight = 1250;
constexpr int progressHeight = 150;
constexpr int logHeight = 1100;
constexpr int lblLogWidth = 1000;
// What the file frames keep below their folder boxes when the status frame
// is dragged taller: a few rows.
constexpr int fileListMinimum = 1200;
} // namespace

MainLayout::MainLayout(QMainWindow *window, MainWindowUi &ui, WindowState &state, QObject *parent)
    : QObject(parent), window(window), ui(ui), state(state)
{
    window->setMinimumSize(px(MinWindowWidth), py(MinWindowHeight));
    ui.area->installEventFilter(this);
    ui.imgSplitter->installEventFilter(this);
    ui.imgStatusSplitter->installEventFilter(this);
    window->installEventFilter(this);
}

int MainLayout::clampSplitter(int x, int windowWidth)
{
    if (x < PaneMargin)
        x = PaneMargin;
    if (x > windowWidth - PaneMargin)
        x = windowWidth - PaneMargin;
    return x;
}

int MainLayout::dragBarLeft(int p, int windowWidth)
{
    if (p < DragMargin)
        return DragMargin;
    if (p > windowWidth - DragMargin)
        return windowWidth - DragMargin;
    return p;
}

int MainLayout::px(int twipsX) const
{
    return twipsToPixelsX(twipsX, window);
}

int MainLayout::py(int twipsY) const
{
    return twipsToPixelsY(twipsY, window);
}

int MainLayout::windowWidth() const
{
    return pixelsToTwipsX(window->width(), window);
}

int MainLayout::areaHeight() const
{
    return pixelsToTwipsY(ui.area->height(), window);
}

void MainLayout::setGeometryTwips(QWidget *widget, int left, int top, int width, int height) const
{
    widget->setGeometry(px(left), py(top), qMax(0, px(width)), qMax(0, py(height)));
}

void MainLayout::placeDesigned()
{
    window->resize(px(DesignedWidth), py(DesignedHeight));
    if (const QScreen *screen = window->screen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    // Give the central area its size now, before the window is first shown,
    // so the first layout already works with real measures.
    if (QLayout *layout = window->layout())
        layout->activate();
    placeFrameContents();
}

void MainLayout::placeFrameContents()
{
    // Inside a frame, controls start below its caption, whose height
    // depends on the font.
    const int captionBottom = pixelsToTwipsY(ui.fraLocal->contentsRect().top(), window);
    const int boxTop = captionBottom + 30;
    const int boxHeight = pixelsToTwipsY(ui.cmbLocalDir->sizeHint().height(), window);
    listTop = boxTop + boxHeight + 60;
    for (QComboBox *box : {ui.cmbLocalDir, ui.cmbRemoteDir})
        setGeometryTwips(box, innerLeft, boxTop, 2000, boxHeight);

    const int staCaption = pixelsToTwipsY(ui.fraSta->contentsRect().top(), window);
    statusListTop = qMax(200, staCaption + 30);
    labelHeight = pixelsToTwipsY(ui.lblLog->sizeHint().height(), window);
    fraStaHeight = statusListTop + statusListHeight + 40 + progressHeight + 40 + labelHeight + 20 +
                   logHeight + 80;
    placeStatusContents(2000);
}

int MainLayout::statusExtraHeight() const
{
    const int fileFrames = frameTop + listTop + fileListMinimum + 50 + frameGap;
    return qBound(0, statusExtra, qMax(0, areaHeight() - fraStaHeight - fileFrames));
}

// The queue and the log share what the status frame has above its design.
void MainLayout::placeStatusContents(int listWidth)
{
    const int extra = statusExtraHeight();
    const int listHeight = statusListHeight + extra / 2;
    const int progressTop = statusListTop + listHeight + 40;
    const int labelTop = progressTop + progressHeight + 40;
    const int logTop = labelTop + labelHeight + 20;
    // The transfer queue, while it holds items, takes the upper part of the
    // record's place: what runs above what has finished.
    const int queueHeight = ui.lvwQueue->isHidden() ? 0 : listHeight / 2;
    setGeometryTwips(ui.lvwQueue, statusInnerLeft, statusListTop, listWidth, queueHeight);
    setGeometryTwips(ui.lvwStatus, statusInnerLeft, statusListTop + queueHeight, listWidth,
                     listHeight - queueHeight);
    setGeometryTwips(ui.Progress, statusInnerLeft, progressTop, listWidth - statusInnerLeft,
                     progressHeight);
    setGeometryTwips(ui.lblLog, statusInnerLeft, labelTop, lblLogWidth, labelHeight);
    setGeometryTwips(ui.txtLog, statusInnerLeft, logTop, listWidth, logHeight + extra - extra / 2);
}

void MainLayout::Form_Resize()
{
    if (window->width() < px(MinWindowWidth))
        window->resize(px(MinWindowWidth), window->height());
    if (window->height() < py(MinWindowHeight))
        window->resize(window->width(), py(MinWindowHeight));
    if (window->isMinimized())
        return;
    int x = splitter;
    SizeControls(x);
}

void MainLayout::SizeControls(int &x)
{
    const int width = windowWidth();
    x = clampSplitter(x, width);
    splitter = x;

    const int statusListWidth = pixelsToTwipsX(ui.lvwStatus->width(), window);
    ui.txtLog->resize(px(statusListWidth), ui.txtLog->height());

    const int staHeight = fraStaHeight + statusExtraHeight();
    const int frameHeight = areaHeight() - staHeight - (frameTop + frameGap);
    setGeometryTwips(ui.fraLocal, 50, frameTop, x, frameHeight);
    const int remoteLeft = x + splitterWidth;
    const int remoteWidth = width - splitterWidth - x - 50 - 100;
    setGeometryTwips(ui.fraRemote, remoteLeft, frameTop, remoteWidth, frameHeight);
    setGeometryTwips(ui.imgSplitter, remoteLeft - splitterWidth, frameTop, splitterWidth,
                     frameHeight);

    const int listHeight = frameHeight - listTop - 50;
    setGeometryTwips(ui.lvwLocal, innerLeft, listTop, x - 100, listHeight);
    setGeometryTwips(ui.lvwRemote, innerLeft, listTop, remoteWidth - 100, listHeight);
    ui.cmbLocalDir->resize(qMax(0, px(x - 100)), ui.cmbLocalDir->height());
    ui.cmbRemoteDir->resize(qMax(0, px(remoteWidth - 100)), ui.cmbRemoteDir->height());

    const int staWidth = width - 200;
    const int staTop = areaHeight() - staHeight;
    setGeometryTwips(ui.fraSta, 50, staTop, staWidth, staHeight);
    setGeometryTwips(ui.imgStatusSplitter, 50, staTop - frameGap, staWidth, frameGap);
    placeStatusContents(staWidth - 200);

    ui.imgSplitter->raise();
    ui.sbStatusBar->PlaceProgress();
}

void MainLayout::imgSplitter_MouseDown()
{
    bar = splitter;
    const int top = pixelsToTwipsY(ui.imgSplitter->y(), window);
    const int height = pixelsToTwipsY(ui.imgSplitter->height(), window);
    setGeometryTwips(ui.picSplitter, bar, top, splitterWidth / 2, height - 20);
    ui.picSplitter->show();
    ui.picSplitter->raise();
    state.SplitterMoving = true;
}

void MainLayout::imgSplitter_MouseMove(int x)
{
    if (!state.SplitterMoving)
        return;
    bar = dragBarLeft(splitter + x, windowWidth());
    ui.picSplitter->move(px(bar), ui.picSplitter->y());
}

void MainLayout::imgSplitter_MouseUp()
{
    if (!state.SplitterMoving)
        return;
    int x = bar;
    SizeControls(x);
    ui.picSplitter->hide();
    state.SplitterMoving = false;
}

// The status frame follows the pointer while the button is down. Global
// positions: the grip itself moves with the frame.
void MainLayout::dragStatusSplitter(QMouseEvent *mouse)
{
    const int y = pixelsToTwipsY(int(mouse->globalPosition().y()), window);
    switch (mouse->type()) {
    case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) {
            statusDragStartY = y;
            statusDragStartExtra = statusExtraHeight();
        }
        break;
    case QEvent::MouseMove:
        if (statusDragStartY >= 0) {
            statusExtra = qMax(0, statusDragStartExtra + statusDragStartY - y);
            statusExtra = statusExtraHeight();
            int x = splitter;
            SizeControls(x);
        }
        break;
    case QEvent::MouseButtonRelease:
        if (mouse->button() == Qt::LeftButton)
            statusDragStartY = -1;
        break;
    default:
        break;
    }
}

bool MainLayout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui.area && event->type() == QEvent::Resize) {
        Form_Resize();
    } else if (watched == window && event->type() == QEvent::WindowStateChange) {
        // Coming back from the task bar lays out again even when the size
        // did not change while the window was minimized.
        if (!window->isMinimized())
            Form_Resize();
    } else if (watched == ui.imgStatusSplitter) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
            event->type() == QEvent::MouseButtonRelease)
            dragStatusSplitter(static_cast<QMouseEvent *>(event));
    } else if (watched == ui.imgSplitter) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton)
                imgSplitter_MouseDown();
            break;
        case QEvent::MouseMove:
            imgSplitter_MouseMove(pixelsToTwipsX(int(mouse->position().x()), window));
            break;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton)
                imgSplitter_MouseUp();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
