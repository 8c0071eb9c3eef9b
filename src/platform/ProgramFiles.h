#pragma once

#include <QString>

// Where Korvu finds the files it ships with: the help pages ("help/") and
// the empty site file the user's own is made from.
//
// A build tree keeps them beside the executables (build/bin/help). An
// installed copy keeps them in the data folder of its prefix, found from
// the executable's folder (/usr/bin -> /usr/share/korvu), so the same
// program runs from either without being told where it lives.
namespace ProgramFiles {

// The installed data folder for `programDir`, whether or not it exists.
QString installedDataDir(const QString &programDir);
// Whether the program in `programDir` runs from an installed tree: its
// data folder exists. Nothing is ever written there.
bool isInstalled(const QString &programDir);
// The folder holding the shipped files: the installed data folder, or the
// program's own folder in a build tree.
QString dataDir(const QString &programDir);

} // namespace ProgramFiles
