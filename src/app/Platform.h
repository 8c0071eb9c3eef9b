#pragma once

#include <QString>

class Drives;
class NetworkInfo;
class Prompts;
class SettingsStore;
class Shell;

// The desktop services the main window works through. The program hands in
// the real ones; tests hand in scripted ones and a settings file of their own.
struct Platform
{
    Prompts &prompts;
    Shell &shell;
    SettingsStore &settings;
    Drives &drives;
    NetworkInfo &networkInfo;
    QString programDir; // the executable's folder; the help is found from it (ProgramFiles)
    // The site file; empty for the program's own (SiteDatabase::openProgramFile).
    QString siteDatabase = {};
    // Where unfinished background transfers are kept between runs; empty:
    // nowhere (QueueStore::defaultPath() for the program's own).
    QString queueStore = {};
};
