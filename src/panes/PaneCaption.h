#pragma once

#include <QColor>

class QGroupBox;

// The active file pane shows its frame caption in blue; an inactive one in
// the frame's normal text colour.
void ShowPaneCaptionActive(QGroupBox *frame, bool active);
QColor PaneCaptionColor(const QGroupBox *frame);
