#pragma once

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

class FileListView;
class LocalPane;
class WindowContext;

// Keeps the local pane in step with what other programs do to the folder it
// shows. A burst of changes (an archive unpacked, a build) is one refill,
// made once the folder has been quiet for QuietMs, or LongestWaitMs after
// the first change; the refill keeps the selected rows (by name), the
// focused row and the scroll position. It waits while a command runs, a
// name is being edited or a drag is under way, and passes the command gate
// like any command.
class LocalFolderWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int QuietMs = 200;
    static constexpr int LongestWaitMs = 1000;

    LocalFolderWatcher(WindowContext &context, LocalPane &local, FileListView *lvwLocal,
                       QObject *parent = nullptr);

    QString watchedFolder() const { return watched; }

private:
    void follow(const QString &dir);
    void changed();
    void refillWhenFree();
    bool paneInUse() const;
    void refillKeepingView();

    WindowContext &ctx;
    LocalPane &local;
    FileListView *lvwLocal;
    QFileSystemWatcher watcher;
    QString watched;
    QTimer quiet;
    QElapsedTimer sinceFirstChange;
    bool pending = false;
};
