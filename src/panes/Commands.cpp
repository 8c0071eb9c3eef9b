#include "panes/Commands.h"

#include <QAction>

void Commands::enable(QAction *action, bool on) const
{
    if (action)
        action->setEnabled(on && !unavailable.contains(action));
}

void Commands::setAvailable(QAction *action, bool available)
{
    if (!action)
        return;
    if (available) {
        unavailable.remove(action);
    } else {
        unavailable.insert(action);
        action->setEnabled(false);
    }
}
