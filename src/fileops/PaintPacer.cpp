#include "fileops/PaintPacer.h"

PaintPacer::PaintPacer(QWidget *window) : window(window)
{
    // A window not on screen has nothing to pace; one already held belongs
    // to an outer pacer.
    held = window && window->isVisible() && window->updatesEnabled();
    if (held)
        window->setUpdatesEnabled(false);
    sincePainted.start();
}

PaintPacer::~PaintPacer()
{
    if (!held || !window)
        return;
    window->setUpdatesEnabled(true);
    // At once: what the held window missed meanwhile (the places a closed
    // dialog uncovered) is not all still on its way.
    window->repaint();
}

bool PaintPacer::due() const
{
    return !held || sincePainted.elapsed() >= Interval;
}

void PaintPacer::tick()
{
    if (!held || !window || !due())
        return;
    window->setUpdatesEnabled(true);
    window->repaint();
    window->setUpdatesEnabled(false);
    sincePainted.restart();
}
