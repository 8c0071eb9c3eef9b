#pragma once

#include <QByteArray>
#include <QObject>
#include <QScopeGuard>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

class FileListView;
class QFileSystemWatcher;
class QTemporaryDir;
class QTimer;
class RemotePane;
class SettingsStore;
class WindowContext;

// 编辑 on a remote file: the file is downloaded into a private copy (a
// folder only the user may enter, removed at exit) and opened in the program
// chosen in 程序选项, else in the desktop's program for its type. The copy
// is watched; each time it is saved with new contents Korvu asks whether to
// upload it. The upload goes to a temporary name beside the file and is then
// renamed over it, so the server's file is replaced only by a whole one;
// where the server allows no rename (or no new file), the file is uploaded
// in place. The file keeps the permissions it had.
class RemoteFileEditor : public QObject
{
    Q_OBJECT
public:
    static inline const QString UploadQuestion = QStringLiteral("文件已修改，是否上传?");

    RemoteFileEditor(WindowContext &context, SettingsStore &settings, RemotePane &pane,
                     FileListView *lvwRemote, QObject *parent = nullptr);
    ~RemoteFileEditor() override;

    // The selected row of the remote pane, a file.
    void EditSelected();
    // Fetches `path` (a file that had `permissions`, octal digits read as
    // decimal, 0 unknown) and opens the copy; a file already being edited is
    // opened again as it is. False, with the reason in the log, when nothing
    // could be opened.
    bool EditRemoteFile(const QString &path, int permissions);
    // The copy of `path`; empty when it is not being edited.
    QString copyOf(const QString &path) const;
    // Looks at every copy now instead of once the saves have settled.
    void checkCopies();

private:
    struct Edit
    {
        QString remote;
        QString copy;
        QString host; // where the file came from: it goes back there only
        QString user;
        int port = 0;
        int permissions = 0;
        QByteArray digest; // of what the server has, as far as Korvu knows
    };

    bool prepareScratch();
    bool fetch(Edit &edit);
    bool open(const Edit &edit);
    void watch(const Edit &edit);
    void copyChanged();
    void offer(Edit &edit);
    bool upload(Edit &edit);
    bool replaceByRename(const Edit &edit, const QString &temporary);
    bool sameServer(const Edit &edit) const;
    QScopeGuard<std::function<void()>> progressFrom(qint64 size);
    static QByteArray digestOf(const QString &path);

    WindowContext &ctx;
    SettingsStore &settings;
    RemotePane &pane;
    FileListView *lvwRemote;
    std::unique_ptr<QTemporaryDir> scratch;
    QFileSystemWatcher *watcher;
    // Editors write a file in several steps: the copies are looked at once
    // the writes have settled.
    QTimer *settle;
    QVector<Edit> edits;
    bool offering = false;
    // A look at the copies waits for the command in hand to end.
    bool waiting = false;
};
