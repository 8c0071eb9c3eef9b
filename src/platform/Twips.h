#pragma once

class QWidget;

// Window measures are kept in twips (1440 per inch) and converted with the
// screen's logical DPI, so a layout looks the same at any scale.
int twipsToPixelsX(int twips, const QWidget *widget);
int twipsToPixelsY(int twips, const QWidget *widget);
int pixelsToTwipsX(int pixels, const QWidget *widget);
int pixelsToTwipsY(int pixels, const QWidget *widget);
