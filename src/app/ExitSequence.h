#pragma once

class FileListView;
class QWidget;
class SettingsStore;
struct Globals;

// What the main window leaves behind when it closes: its place and size in
// twips (unless it is minimized, when they mean nothing), the local pane's
// view mode, and no scratch file.
class ExitSequence
{
public:
    ExitSequence(QWidget *window, const FileListView *lvwLocal, SettingsStore &settings,
                 const Globals &globals)
        : window(window), lvwLocal(lvwLocal), settings(settings), globals(globals)
    {}

    void Form_Unload();

private:
    QWidget *window;
    const FileListView *lvwLocal;
    SettingsStore &settings;
    const Globals &globals;
};
