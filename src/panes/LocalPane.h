#pragma once

#include "panes/LocalListing.h"
#include "window/CommandRules.h"

#include <QObject>
#include <QPoint>
#include <QString>

class Drives;
class FileListModel;
class FileListView;
class QComboBox;
class QGroupBox;
class WindowContext;

// The local pane: the folder box cmbLocalDir above the list lvwLocal inside
// the frame fraLocal. The folder box's text is the current local directory;
// its list holds the drives followed by every directory visited. The pane
// lists that directory and moves between directories. While a command or an
// FTP call runs, the list's double-clicks, keys and context menu and the
// folder box are refused like every other command.
class LocalPane : public QObject
{
    Q_OBJECT
public:
    LocalPane(WindowContext &context, Drives &drives, FileListView *lvwLocal,
              QComboBox *cmbLocalDir, QGroupBox *fraLocal, QObject *parent = nullptr);

    // Seeds the folder box with the drives and shows the second one (the home
    // directory); with fewer than two drives the text is empty.
    void FillDriveList();
    // Lists the directory `path` in lvwLocal: the parent row and the folders
    // in the list's sort order, then the files as the file system yields
    // them; nothing selected. `path` names the folder exactly (text typed by
    // the user goes through NormalizeLocalDir first); it is cleaned ("//",
    // ".", "..") and gets its separator in place.
    void DoLocalRefresh(QString &path);
    void SortLocalByName();
    // What the selected row is, for the commands' availability.
    RowKind selectedRowKind() const;
    // The folder the list shows, with its trailing separator.
    QString shownDirectory() const { return lastListed; }
    // Adds `path` to the folder box's list unless it is there, then shows it.
    void RememberLocalDir(const QString &path);
    bool LocalDirInHistory(const QString &path) const;
    // Replaces `path` by its parent (at a root it stays) and lists it.
    void LocalParentDir(QString &path);
    // Lists the folder on show again.
    void RefreshLocal();
    // Opens the selected row: the parent row goes up, a folder row goes in,
    // and a file row is run on a double-click (Enter runs nothing). The
    // directory reached is remembered in the folder box.
    void OpenSelectedRow(bool byDoubleClick);
    // Goes up one folder as the parent row does, and remembers where.
    void OpenParentFolder();
    // Whether dot files are listed; the folder on show is listed again when
    // this changes.
    void setShowHiddenFiles(bool show);
    bool showsHiddenFiles() const;

Q_SIGNALS:
    // The list shows `dir` as it is now (a listing, not a reorder).
    void folderListed(const QString &dir);

private:
    // The folder the list shows; before the first listing, the folder box's
    // text by the typed rule.
    QString currentDirectory() const;
    void lvwLocal_GotFocus();
    void lvwLocal_LostFocus();
    void lvwLocal_DblClick();
    void lvwLocal_KeyUp(int key);
    void lvwLocal_MouseUp(Qt::MouseButton button, const QPoint &globalPos);
    void lvwLocal_ColumnClick(int section);
    void cmbLocalDir_Change();
    void cmbLocalDir_Click();
    void fillFromFolderBox();
    void showListedDirectory();
    void runFile(const QString &path);

    WindowContext &ctx;
    Drives &drives;
    FileListView *lvwLocal;
    FileListModel *list;
    QComboBox *cmbLocalDir;
    QGroupBox *fraLocal;
    LocalListing listing;

    // A navigation lists the new directory and then shows it in the folder
    // box, whose change would list it a second time. A listing of the same
    // directory made while handling the same event is not repeated.
    QString lastListed;
    bool listedJustNow = false;
    bool settingFolderBox = false; // the pane writes the box: no listing follows
};
