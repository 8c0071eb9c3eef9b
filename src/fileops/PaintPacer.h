#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

// Paints a window at a steady pace during a long run of FTP calls. Each
// call waits in an event loop of its own, so left alone the window would be
// painted after every call: a delete of 2 000 files paints it 2 000 times,
// and painting then costs more than deleting. While a pacer lives, the
// window's updates are held and it is painted whole every Interval
// milliseconds, when tick() is called between two steps of the work.
class PaintPacer
{
public:
    static constexpr int Interval = 100;

    explicit PaintPacer(QWidget *window);
    ~PaintPacer();
    PaintPacer(const PaintPacer &) = delete;
    PaintPacer &operator=(const PaintPacer &) = delete;

    // Whether the next tick() paints: what is shown only for a moment
    // (the file in hand) need not be set before then.
    bool due() const;
    void tick();

private:
    QPointer<QWidget> window;
    bool held = false;
    QElapsedTimer sincePainted;
};
