#pragma once

#include "remote/RemoteEntry.h"
#include "window/CommandRules.h"
#include "window/RemoteBrowser.h"

#include <QObject>
#include <QPoint>
#include <QString>

class FileListView;
class QComboBox;
class QGroupBox;
class WindowContext;

// The remote pane: lists one directory of the server in lvwRemote, moves
// between directories (double-click, Enter, "..", links, the folder box),
// keeps the history of visited directories and sorts by column.
//
// The pane owns the directory it shows: the one the server confirmed when it
// was entered. The folder box, gRemoteDir and every row's tag (that
// directory followed by the listed name, verbatim) come from it, and before
// the server is asked anything relative, its current directory is compared
// with it and brought back when it differs.
class RemotePane : public QObject, public RemoteBrowser
{
    Q_OBJECT
public:
    RemotePane(WindowContext &context, FileListView *lvwRemote, QComboBox *cmbRemoteDir,
               QGroupBox *fraRemote, QObject *parent = nullptr);

    // Lists `path` when connected and shows it in the folder box.
    void DoRemoteRefresh(const QString &path) override;
    // Enters `path` (given a trailing "/" in place) unless the server is
    // already there, lists it and fills the pane. Returns false, leaving the
    // rows and the box as they were, when the directory could not be entered.
    bool ListRemoteDir(QString &path);
    // The error number of the last listing that failed after its directory
    // was entered (the pane then shows no entries); 0 when it was read.
    int lastListingError() const { return listingError; }

    // Enters a directory by name (relative to the one on show) or full path.
    void ChangeRemoteDir(const QString &path);
    void RemoteParentDir();
    // Goes up one folder as the parent row does, and remembers where.
    void OpenParentFolder();
    void ProbeRemoteLink(int row);
    void RememberRemoteDir();
    bool RemoteDirInHistory(const QString &path) const;

    void SortRemoteByName() override;
    // The refresh command while the remote pane is active.
    void RefreshRemote();

    void clearRows() override;
    void clearDirectoryBox() override;

    // The directory on show, as the server named it; empty before the first
    // listing and after a log-out.
    QString shownDirectory() const { return shown; }
    // What the selected row is, for the commands' availability.
    RowKind selectedRowKind() const;

Q_SIGNALS:
    // The pane was filled from `listing`, the directory on show as the
    // server listed it.
    void listed(const RemoteListing &listing);
    // A double-click on a file or an unprobed link: download that row, listed
    // from `dir`.
    void downloadRequested(const QString &dir);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void enterOnServer(const QString &path);
    bool tryEnter(const QString &path);
    bool returnToShownDirectory();
    void listEntered(const QString &requested);
    void showDirectory(const QString &dir);
    void openSelectedRow(bool byEnter);
    // Enters the folder of a parent, folder or folder-link row, or probes a
    // link when asked; false for any other row.
    bool openFolderRow(int row, bool probeLink);
    // The folder box's text, picked from its list or typed and confirmed
    // with Enter: entered when the server lets us in, otherwise the box
    // shows the folder on show again.
    void openTypedDirectory();
    void fillFromListing(const QString &dir);
    void onMouseReleased(Qt::MouseButton button, const QPoint &globalPos);
    void onHeaderClicked(int section);
    void onGotFocus();
    void onLostFocus();

    WindowContext &ctx;
    FileListView *lvwRemote;
    QComboBox *cmbRemoteDir;
    QGroupBox *fraRemote;
    QString shown;
    int listingError = 0;
};
