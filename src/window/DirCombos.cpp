#include "window/DirCombos.h"

#include <QComboBox>

void DirCombos::EnableDirCombos(bool localOn, bool remoteOn) const
{
    local->setEnabled(localOn);
    remote->setEnabled(remoteOn);
}

namespace {
QString withSeparator(const QString &dir, QChar separator)
{
    return dir.endsWith(separator) ? dir : dir + separator;
}
} // namespace

bool DirCombos::forgetDirectory(QComboBox *box, const QString &dir, QChar separator)
{
    const QString wanted = withSeparator(dir, separator);
    for (int i = 0; i < box->count(); ++i) {
        if (withSeparator(box->itemText(i), separator) != wanted)
            continue;
        // Removing the current entry would put another one into the box.
        const QString shown = box->currentText();
        const bool blocked = box->blockSignals(true);
        box->removeItem(i);
        box->setEditText(shown);
        box->blockSignals(blocked);
        return true;
    }
    return false;
}
