#pragma once

#include <QString>

class SettingsStore;

// The choice of the program that views local files, as the options dialog
// stores it: Korvu's own viewer ("使用记事本", "1" or "0", "1" when absent),
// or the program at "指定程序" (kept even while the built-in viewer is chosen).
struct ViewerSettings
{
    static const QString UseNotepadKey;
    static const QString ProgramKey;

    bool useNotepad = true;
    QString program;

    static ViewerSettings read(const SettingsStore &settings);
    void write(SettingsStore &settings) const;

    // Korvu itself writes only "1" and "0". A hand-edited store may hold
    // anything: any integer counts as true unless it is 0, "true" and
    // "false" are read as such in any case, and any other text falls back
    // to the default, the built-in viewer.
    static bool parseFlag(const QString &text);
};
