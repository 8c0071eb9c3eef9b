#pragma once

#include <QIcon>
#include <QPixmap>

// Korvu's own pictures, drawn rather than shipped so they stay sharp at any
// scale: the program mark (two panes with arrows passing between them) and
// the start-up picture.
class Artwork
{
public:
    static QPixmap logo(int size);
    static QIcon windowIcon();
    // The start-up picture at `size` logical pixels.
    static QPixmap splashPicture(const QSize &size);
};
