#pragma once

#include <QObject>

class FileListView;
class SettingsStore;
class WindowContext;

// Hands a file to another program: run a local file with the program its
// type is associated with, view a file (a local one in the viewer chosen in
// the options, a remote one through the scratch copy in Korvu's own text
// viewer) and show a local file's properties. The parent row is no operand.
class ViewAndRun : public QObject
{
    Q_OBJECT
public:
    ViewAndRun(WindowContext &context, SettingsStore &settings, FileListView *lvwLocal,
               FileListView *lvwRemote, QObject *parent = nullptr);

    // mnuRun and mnuProperty: the selected row of the local pane, whichever
    // pane is active.
    void RunSelected();
    void PropertiesOfSelected();
    // mnuShow: the selected row of the remote pane when it is active,
    // otherwise of the local pane.
    void ViewSelected();

    void RunLocalFile(int row);
    void ShowProperties(int row);
    // The viewer settings are read afresh each time.
    void ViewLocalFile(int row);
    // Downloads the file into the scratch file, with the progress bar and the
    // panel "Rate" following, then shows it. Whatever happens, the bar and
    // the panel are reset afterwards; a failed download shows nothing.
    void ViewRemoteFile(int row);

private:
    // The tag of a row that names an entry; empty for the parent row.
    static QString pathOf(FileListView *pane, int row);

    WindowContext &ctx;
    SettingsStore &settings;
    FileListView *lvwLocal;
    FileListView *lvwRemote;
};
