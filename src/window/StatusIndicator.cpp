#include "window/StatusIndicator.h"

void StatusIndicator::show(int picture)
{
    if (holdingStop)
        return;
    current = picture;
    if (showPicture)
        showPicture(picture);
}

void StatusIndicator::stopped(bool duringOperation)
{
    holdingStop = false;
    show(Stopped);
    holdingStop = duringOperation;
}
