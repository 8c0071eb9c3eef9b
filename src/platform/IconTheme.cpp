#include "platform/IconTheme.h"

#include <QIcon>

void IconTheme::ensure()
{
    const QString desktopTheme = QIcon::themeName();
    // "hicolor" is only the freedesktop fallback, not a theme of its own.
    if (desktopTheme.isEmpty() || desktopTheme == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}
