#include "app/ExitSequence.h"

#include "app/ScratchFile.h"
#include "panes/FileListView.h"
#include "platform/Globals.h"
#include "platform/SettingsStore.h"
#include "platform/Twips.h"

#include <QWidget>

void ExitSequence::Form_Unload()
{
    if (!window->isMinimized()) {
        const QRect frame = window->frameGeometry();
        settings.setValue(QStringLiteral("MainLeft"),
                          QString::number(pixelsToTwipsX(frame.left(), window)));
        settings.setValue(QStringLiteral("MainTop"),
                          QString::number(pixelsToTwipsY(frame.top(), window)));
        settings.setValue(QStringLiteral("MainWidth"),
                          QString::number(pixelsToTwipsX(frame.width(), window)));
        settings.setValue(QStringLiteral("MainHeight"),
                          QString::number(pixelsToTwipsY(frame.height(), window)));
    }
    settings.setValue(QStringLiteral("ViewMode"), QString::number(lvwLocal->viewMode()));
    settings.sync();
    ScratchFile::remove(globals.gScratchFile);
}
