#include "transfer/UploadBatch.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/PathRules.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "transfer/QueueList.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferDecisions.h"
#include "transfer/TransferList.h"
#include "window/IconKeys.h"
#include "window/RemoteErrors.h"
#include "window/SessionControl.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"

#include <QDir>
#include <cmath>

using namespace TransferDecisions;

void UploadBatch::UploadSelection(QString &remoteDir)
{
    WindowContext &ctx = tc.window;
    beginBatch(tc);
    batchEnded = false;
    NormalizePath(remoteDir, true);
    // The remote pane shows the target, so its rows tell what exists there.
    QString shown = tc.remote.shownDirectory();
    if (NormalizePath(shown, true) != remoteDir)
        tc.remote.DoRemoteRefresh(remoteDir);
    for (const TransferItem &item : tc.list.TransferItems()) {
        if (!batchEnded && !item.Dir.isEmpty()) {
            SetFtpProperties(ctx.ftp, ctx.globals);
            ctx.globals.gXferUpload = true;
            if (IconKey::isFolder(item.IconKey))
                UploadFolder(remoteDir, item);
            else
                UploadOneFile(remoteDir, item);
        }
        tc.list.MarkLocalRow(item.Index, false);
    }
    tc.remote.RefreshRemote();
    endBatch(tc, true);
}

bool UploadBatch::remoteListed(const QString &name) const
{
    return tc.lvwRemote->model()->findText(name) >= 0;
}

qint64 UploadBatch::RemoteItemSize(const QString &name) const
{
    const FileListModel *model = tc.lvwRemote->model();
    const int row = model->findText(name);
    if (row < 0)
        return -1;
    return std::llround(model->row(row).subItem(1).toDouble());
}

void UploadBatch::UploadOneFile(QString &remoteDir, const TransferItem &item)
{
    WindowContext &ctx = tc.window;
    Globals &g = ctx.globals;
    QString localDir = item.Dir;
    g.gXferRemoteDir = remoteDir;
    g.gXferRemoteName = item.Name;
    g.gXferLocalDir = NormalizePath(localDir);
    g.gXferLocalName = item.Name;
    g.gXferLocalSize = qMax<qint64>(0, item.Size.toLongLong());
    g.gXferRemoteSize = qMax<qint64>(0, RemoteItemSize(item.Name));
    ctx.statusBar->PlaceProgress();
    if (!g.gDialogCancelled && g.gXferRemoteSize > 0) {
        if (!answerStands(g))
            AskConflict(tc);
        // Overwrite, and a file whose old one was renamed away, start at 0;
        // resume appends to what the server holds.
        const bool fromStart = g.gXferOverwrite || g.gXferRename;
        if (fromStart)
            g.gXferRemoteSize = 0;
        ctx.ftp.setUploadMode(fromStart ? RemoteUploadMode::Overwrite : RemoteUploadMode::Resume);
    } else {
        ctx.ftp.setUploadMode(RemoteUploadMode::Overwrite);
    }
    if (g.gXferLocalSize > 0)
        ctx.statusBar->setProgressMaximum(g.gXferLocalSize);
    ctx.statusBar->setProgressValue(g.gXferRemoteSize);
    if (!g.gDialogCancelled) {
        const QString localPath = g.gXferLocalDir + item.Name;
        const QString remotePath = remoteDir + item.Name;
        ctx.statusBar->ShowTransferFile(QStringLiteral("文件:") + item.Name, item.Size);
        try {
            ctx.ftp.setTransferSetting(RemoteTransferSetting::Binary);
            qint64 offset = g.gXferRemoteSize;
            ctx.ftp.UploadFile(remotePath, localPath, offset);
            recordItem(localPath, item.Size, remotePath, nullptr);
        } catch (const RemoteError &error) {
            recordItem(localPath, item.Size, remotePath, &error);
        }
    }
    ctx.statusBar->setProgressValue(0);
    EndTransferItem(g);
}

void UploadBatch::UploadFolder(QString &remoteDir, const TransferItem &item)
{
    WindowContext &ctx = tc.window;
    Globals &g = ctx.globals;
    tc.remote.OpenDropTarget();
    QString localDir = item.Dir;
    g.gXferRemoteDir = remoteDir;
    g.gXferRemoteName = item.Name;
    g.gXferLocalDir = NormalizePath(localDir);
    g.gXferLocalName = item.Name;
    // A folder's sizes are not known: the dialog shows 0.
    g.gXferLocalSize = 0;
    g.gXferRemoteSize = 0;
    if (g.gDialogCancelled) {
        EndTransferItem(g);
        return;
    }
    if (remoteListed(item.Name) && !answerStands(g))
        AskConflict(tc);
    if (g.gDialogCancelled) {
        EndTransferItem(g);
        return;
    }
    const QString remotePath = remoteDir + item.Name;
    const QString localPath = g.gXferLocalDir + item.Name;
    if (!remoteListed(item.Name)) {
        try {
            ctx.ftp.MakeRemoteDirectory(remotePath);
        } catch (const RemoteError &) {
            // The copy below reports what it cannot do.
        }
    }
    ctx.statusBar->setProgressValue(0);
    ctx.statusBar->ShowTransferFile(QStringLiteral("Folder:") + item.Name, QString());
    try {
        ctx.ftp.setTransferSetting(RemoteTransferSetting::Binary);
        ctx.ftp.UploadMany(folderPattern(localPath, QDir::separator()), remotePath);
        recordItem(localPath, QString(), remotePath, nullptr);
    } catch (const RemoteError &error) {
        recordItem(localPath, QString(), remotePath, &error);
    }
    EndTransferItem(g);
}

void UploadBatch::recordItem(const QString &local, const QString &size, const QString &remote,
                             const RemoteError *failure)
{
    WindowContext &ctx = tc.window;
    ctx.statusBar->ShowTransferFile(QString(), QString());
    tc.queue.AddQueueRow(failure ? QueueList::UploadRefused : QueueList::Uploaded, local, size,
                         QueueList::UploadDirection, remote, ctx.globals.gHost);
    if (!failure)
        return;
    ReportFtpFailure(ctx, *failure);
    batchEnded = endsBatch(tc, failure->number);
}
