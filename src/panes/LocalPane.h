#pragma once

#include "panes/LocalListing.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>

class FileListModel;
class FileListView;
class QComboBox;
class QGroupBox;
class Drives;
class Shell;
class SessionLog;
struct Commands;
struct WindowState;

// The local pane: the folder box cmbLocalDir above the list lvwLocal inside
// the frame fraLocal. The folder box's text is the current local directory;
// its list holds the drives followed by every directory visited. The pane
// lists that directory, moves between directories, and keeps the commands of
// the operations menu and the toolbar in step with the selected row.
class LocalPane : public QObject
{
    Q_OBJECT
public:
    // `ftpBusy` tells whether the FTP session is carrying out an operation;
    // while it is, the list ignores double-clicks, keys, clicks and the
    // context menu.
    LocalPane(FileListView *lvwLocal, QComboBox *cmbLocalDir, QGroupBox *fraLocal,
              Commands &commands, WindowState &state, Drives &drives, Shell &shell, SessionLog &log,
              std::function<bool()> ftpBusy, QObject *parent = nullptr);

    // Seeds the folder box with the drives and shows the second one (the home
    // directory); with fewer than two drives the text is empty.
    void FillDriveList();
    // Lists the directory `path` in lvwLocal: the parent row and the folders
    // in the list's sort order, then the files as the file system yields
    // them; nothing selected. `path` is normalised in place.
    void DoLocalRefresh(QString &path);
    void SortLocalByName();
    // Enables the commands that fit the selected row of lvwLocal.
    void UpdateLocalCommands();
    // Adds `path` to the folder box's list unless it is there, then shows it.
    void RememberLocalDir(const QString &path);
    bool LocalDirInHistory(const QString &path) const;
    // Replaces `path` by its parent (at a root it stays) and lists it.
    void LocalParentDir(QString &path);
    // Lists the current directory again and updates the commands.
    void RefreshLocal();
    // Opens the selected row: the parent row goes up, a folder row goes in,
    // and a file row is run on a double-click (Enter runs nothing). The
    // directory reached is remembered in the folder box.
    void OpenSelectedRow(bool byDoubleClick);

private:
    void lvwLocal_GotFocus();
    void lvwLocal_LostFocus();
    void lvwLocal_Click();
    void lvwLocal_DblClick();
    void lvwLocal_KeyUp(int key);
    void lvwLocal_MouseUp(Qt::MouseButton button, const QPoint &globalPos);
    void lvwLocal_ColumnClick(int section);
    void cmbLocalDir_Change();
    void cmbLocalDir_Click();
    void fillFromFolderBox();
    void runFile(const QString &path);
    bool busy() const;

    FileListView *lvwLocal;
    FileListModel *list;
    QComboBox *cmbLocalDir;
    QGroupBox *fraLocal;
    Commands &commands;
    WindowState &state;
    Drives &drives;
    Shell &shell;
    SessionLog &log;
    std::function<bool()> ftpBusy;
    LocalListing listing;

    // A navigation lists the new directory and then shows it in the folder
    // box, whose change would list it a second time. A listing of the same
    // directory made while handling the same event is not repeated.
    QString lastListed;
    bool listedJustNow = false;
    bool seedingFolderBox = false;
};
