#pragma once

#include <QChar>
#include <QString>

class QComboBox;

// The two folder boxes, cmbLocalDir and cmbRemoteDir. A delete walks its
// folders through the panes, so while it runs neither box may take the user
// elsewhere.
struct DirCombos
{
    QComboBox *local = nullptr;
    QComboBox *remote = nullptr;

    void EnableDirCombos(bool localOn, bool remoteOn) const;

    // Removes the first entry of `box`'s list that names the directory
    // `dir`, with or without the trailing `separator`; the text in the box
    // stays as it is. Returns whether one was removed.
    static bool forgetDirectory(QComboBox *box, const QString &dir, QChar separator);
};
