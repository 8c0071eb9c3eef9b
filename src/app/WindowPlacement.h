#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>
#include <optional>

class FileListView;
class QWidget;
class SettingsStore;

// What the main window brings back from the run before: its place and size,
// from the values the exit writes ("MainLeft", "MainTop", "MainWidth",
// "MainHeight": the outer frame, in twips), and the column widths of the two
// file panes, which it keeps itself ("LocalColumns", "RemoteColumns").
class WindowPlacement : public QObject
{
    Q_OBJECT
public:
    WindowPlacement(QWidget *window, FileListView *lvwLocal, FileListView *lvwRemote,
                    SettingsStore &settings, QObject *parent = nullptr);

    // The frame stored at the last exit, in pixels; nothing when a value is
    // missing or is no number, or the size is none.
    static std::optional<QRect> storedFrame(const SettingsStore &settings, const QWidget *window);
    // Whether the title bar of `frame` shows on one of `screens` (their
    // available areas) far enough to be grabbed.
    static bool onSomeScreen(const QRect &frame, const QList<QRect> &screens);

    // At start, once the window has its designed place: the stored size and
    // place (a place off every screen gives way to the centre), and the
    // stored column widths.
    void restore();
    // At exit.
    void saveColumns();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void restoreFrame();

    QWidget *window;
    FileListView *lvwLocal;
    FileListView *lvwRemote;
    SettingsStore &settings;
    QSize restoredFrameSize;
};
