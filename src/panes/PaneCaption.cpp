#include "panes/PaneCaption.h"

#include <QGroupBox>
#include <QPalette>

void ShowPaneCaptionActive(QGroupBox *frame, bool active)
{
    if (!frame)
        return;
    // The title is drawn in the window-text colour. The combo box and the
    // list inside draw with other roles, so only the caption changes.
    QPalette palette = frame->palette();
    if (active)
        palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    else
        palette.setColor(QPalette::WindowText,
                         frame->parentWidget()
                             ? frame->parentWidget()->palette().color(QPalette::WindowText)
                             : QPalette().color(QPalette::WindowText));
    frame->setPalette(palette);
}

QColor PaneCaptionColor(const QGroupBox *frame)
{
    return frame ? frame->palette().color(QPalette::WindowText) : QColor();
}
