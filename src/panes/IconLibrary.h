#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>

// The small-icon image list shared by the panes: every icon key a row can
// carry, resolved once through the desktop icon theme with a standard-style
// fallback, so painting a row is a hash lookup.
class IconLibrary
{
public:
    // All keys, in the image list's own order.
    static const QStringList &keys();

    // The icon of a key; an empty icon for an empty or unknown key.
    static QIcon icon(const QString &key);

private:
    static QIcon load(const QString &key);
};
