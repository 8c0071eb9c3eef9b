#pragma once

#include <QObject>

class QMainWindow;
class QMouseEvent;
struct MainWindowUi;
struct WindowState;

// Places the main window's frames: the local pane left of the splitter, the
// remote pane right of it, the status frame below both, as tall as the
// user dragged it. Measures are twips,
// converted with the screen's logical DPI. The user moves the splitter by
// dragging imgSplitter; picSplitter shows where it goes until release.
class MainLayout : public QObject
{
    Q_OBJECT
public:
    static constexpr int MinWindowWidth = 10000;
    static constexpr int MinWindowHeight = 6000;
    static constexpr int DesignedWidth = 13500;
    static constexpr int DesignedHeight = 9600;
    static constexpr int DesignedSplitter = 5400;
    static constexpr int PaneMargin = 2000; // the splitter's distance from either edge
    static constexpr int DragMargin = 500;  // the bar's distance while dragging

    MainLayout(QMainWindow *window, MainWindowUi &ui, WindowState &state,
               QObject *parent = nullptr);

    // The splitter position x after the layout's bounds: at least 2000 from
    // the left edge, then at most width - 2000; the right bound wins on a
    // window too narrow for both.
    static int clampSplitter(int x, int windowWidth);
    // Where the bar is drawn for a pointer at p while dragging.
    static int dragBarLeft(int p, int windowWidth);

    // Gives the window its designed size, centred on its screen, and the
    // controls their designed places.
    void placeDesigned();
    // The resize handler: keeps the minimum size and lays out the controls
    // unless the window is minimized.
    void Form_Resize();
    // Lays out every control for splitter position x (clamped in place).
    void SizeControls(int &x);

    int splitterLeft() const { return splitter; } // imgSplitter.Left
    int barLeft() const { return bar; }           // picSplitter.Left
    int windowWidth() const;                      // twips
    int areaHeight() const;                       // twips

    // The splitter drag, as imgSplitter's mouse handlers run it; x in
    // twips within imgSplitter.
    void imgSplitter_MouseDown();
    void imgSplitter_MouseMove(int x);
    void imgSplitter_MouseUp();

    // How much taller than designed the status frame is (twips): dragging
    // imgStatusSplitter up gives the queue and the log more room, never so
    // much that the file panes lose theirs.
    int statusExtraHeight() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int px(int twipsX) const;
    int py(int twipsY) const;
    void setGeometryTwips(QWidget *widget, int left, int top, int width, int height) const;
    void placeFrameContents();
    void placeStatusContents(int listWidth);
    void dragStatusSplitter(QMouseEvent *mouse);

    QMainWindow *window;
    MainWindowUi &ui;
    WindowState &state;
    int splitter = DesignedSplitter;
    int bar = DesignedSplitter;
    // Designed tops inside the frames, measured from the fonts in use.
    int listTop = 0;
    int statusListTop = 0;
    int fraStaHeight = 0;
    int labelHeight = 0;
    // The status frame's height above its design, as dragged, and where the
    // drag began (global pixels, twips).
    int statusExtra = 0;
    int statusDragStartY = -1;
    int statusDragStartExtra = 0;
};
