#pragma once

#include "fileops/PermissionsDialog.h"

#include <QObject>

class FileListView;
class RemotePane;
class WindowContext;
struct RemoteError;

// 属性 on a row of the remote pane: its permissions in PermissionsDialog,
// changed with the session's permissions call (SITE CHMOD on FTP), for a
// folder optionally for everything inside as well. A refusal is written to
// the log and shown.
class RemotePermissions : public QObject
{
    Q_OBJECT
public:
    RemotePermissions(WindowContext &context, RemotePane &pane, FileListView *lvwRemote,
                      QObject *parent = nullptr);

    // The selected row's permissions, shown and changed; nothing for the
    // parent row.
    void ShowRemoteProperties();
    // Changes `path` to `permissions` (octal digits read as decimal), with
    // what `inside` names of a folder's contents first; false when something
    // was refused. The pane is listed again either way.
    bool ChangeRemotePermissions(const QString &path, int permissions,
                                 PermissionsDialog::Inside inside);

private:
    void refused(const QString &path, const RemoteError &error);

    WindowContext &ctx;
    RemotePane &pane;
    FileListView *lvwRemote;
};
