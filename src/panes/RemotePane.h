#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

class FileListView;
class FtpSession;
class QComboBox;
class QGroupBox;
class SessionLog;
struct Commands;
struct FtpError;
struct Globals;
struct WindowState;

// The remote pane: lists one directory of the server in lvwRemote, moves
// between directories (double-click, Enter, "..", links, the folder box),
// keeps the history of visited directories, sorts by column and keeps the
// operations menu in step with the selection while the pane has the focus.
class RemotePane : public QObject
{
    Q_OBJECT
public:
    RemotePane(FileListView *lvwRemote, QComboBox *cmbRemoteDir, QGroupBox *fraRemote,
               Commands &commands, WindowState &state, Globals &g, FtpSession &ftp, SessionLog &log,
               QObject *parent = nullptr);

    // Lists `path` when connected; a failure of the session goes to
    // ReportRemoteError.
    void DoRemoteRefresh(const QString &path);
    // Enters `path` (normalised in place) unless the component is already
    // there, lists it and fills the pane. Returns false, leaving the rows and
    // the box as they were, when the directory could not be entered.
    bool ListRemoteDir(QString &path);
    void ReportRemoteError(const QString &description, int number);

    void ChangeRemoteDir(const QString &path);
    void RemoteParentDir();
    void ProbeRemoteLink(int row);
    void RememberRemoteDir();
    bool RemoteDirInHistory(const QString &path) const;

    void SortRemoteByName();
    void UpdateRemoteCommands();
    // The refresh command while the remote pane is active.
    void RefreshRemote();

    // Empties the list (a new connection, a closed one) and the box (log-out).
    void clearRows();
    void clearDirectoryBox();

    // The directory box's text and the rows are those of the last directory
    // the component actually entered.
    QString shownDirectory() const { return shown; }

private:
    bool ready() const;
    void onDoubleClicked();
    void onKeyReleased(int key);
    // Enter probes a link; a double-click leaves it to the download.
    void openSelectedRow(bool byEnter);
    void onClicked();
    void onMouseReleased(Qt::MouseButton button, const QPoint &globalPos);
    void onHeaderClicked(int section);
    void onGotFocus();
    void onLostFocus();
    void onDirectoryPicked();
    void fillFromListing(const QString &dir);
    void logError(const FtpError &error);

    FileListView *lvwRemote;
    QComboBox *cmbRemoteDir;
    QGroupBox *fraRemote;
    Commands &commands;
    WindowState &state;
    Globals &g;
    FtpSession &ftp;
    SessionLog &log;
    QString shown; // box text of the directory on show
};
