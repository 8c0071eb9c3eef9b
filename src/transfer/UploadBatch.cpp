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
#include "window/RemoteErrors.h"
#include "window/SessionControl.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"

#include <QDir>

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
            SetFtpProperties(ctx.session, ctx.globals);
            ctx.globals.gXferUpload = true;
            if (isFolderLike(item.Kind))
                UploadFolder(remoteDir, item);
            else
                UploadOneFile(remoteDir, item);
        }
        tc.list.MarkLocalRow(item.Index, false);
    }
    tc.remote.RefreshRemote();
    endBatch(tc, true);
}

UploadBatch::RemoteEntry UploadBatch::RemoteItem(const QString &name) const
{
    // Exactly that name: on most servers readme.txt and README.TXT are two
    // files, and the other one is neither replaced nor resumed.
    for (const FileRow &row : tc.lvwRemote->model()->rows()) {
        if (row.kind == EntryKind::Parent || row.text != name)
            continue;
        // 0 is a size the server gave; -1 one it did not.
        return {true, row.size >= 0 ? std::optional<qint64>(row.size) : std::nullopt};
    }
    return {};
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
    g.gXferLocalSize = qMax<qint64>(0, item.Size);
    const RemoteEntry existing = RemoteItem(item.Name);
    // A file whose size the server did not give may hold anything: it is
    // asked about like any other, shown as of unknown size (-1), and cannot
    // be resumed. Only a file the server says is empty goes unasked.
    g.gXferRemoteSize = existing.listed ? existing.size.value_or(-1) : 0;
    ctx.statusBar->PlaceProgress();
    if (!g.gDialogCancelled && g.gXferRemoteSize != 0) {
        // A resume that stands for the batch cannot go on from an unknown size.
        if (!answerStands(g) || (g.gXferRemoteSize < 0 && !g.gXferOverwrite))
            AskConflict(tc);
        // Overwrite, and a file whose old one was renamed away, start at 0;
        // resume appends to what the server holds.
        const bool fromStart = g.gXferOverwrite || g.gXferRename;
        if (fromStart)
            g.gXferRemoteSize = 0;
        ctx.session.setUploadMode(fromStart ? RemoteUploadMode::Overwrite
                                            : RemoteUploadMode::Resume);
    } else {
        ctx.session.setUploadMode(RemoteUploadMode::Overwrite);
    }
    if (g.gXferLocalSize > 0)
        ctx.statusBar->setProgressMaximum(g.gXferLocalSize);
    ctx.statusBar->setProgressValue(qMax<qint64>(0, g.gXferRemoteSize));
    if (!g.gDialogCancelled) {
        const QString localPath = g.gXferLocalDir + item.Name;
        const QString remotePath = remoteDir + item.Name;
        ctx.statusBar->ShowTransferFile(QStringLiteral("文件:") + item.Name, item.Size);
        try {
            ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
            qint64 offset = g.gXferRemoteSize;
            ctx.session.UploadFile(remotePath, localPath, offset);
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
    if (RemoteItem(item.Name).listed && !answerStands(g))
        AskConflict(tc);
    if (g.gDialogCancelled) {
        EndTransferItem(g);
        return;
    }
    const QString remotePath = remoteDir + item.Name;
    const QString localPath = g.gXferLocalDir + item.Name;
    if (!RemoteItem(item.Name).listed) {
        try {
            ctx.session.MakeRemoteDirectory(remotePath);
        } catch (const RemoteError &) {
            // The copy below reports what it cannot do.
        }
    }
    ctx.statusBar->setProgressValue(0);
    ctx.statusBar->ShowTransferFile(QStringLiteral("Folder:") + item.Name);
    try {
        ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
        ctx.session.UploadMany(folderPattern(localPath, QDir::separator()), remotePath);
        recordItem(localPath, -1, remotePath, nullptr);
    } catch (const RemoteError &error) {
        recordItem(localPath, -1, remotePath, &error);
    }
    EndTransferItem(g);
}

void UploadBatch::recordItem(const QString &local, qint64 size, const QString &remote,
                             const RemoteError *failure)
{
    WindowContext &ctx = tc.window;
    ctx.statusBar->ShowTransferFile(QString());
    tc.queue.AddQueueRow(failure ? QueueList::UploadRefused : QueueList::Uploaded, local, size,
                         QueueList::UploadDirection, remote, ctx.globals.gHost);
    if (!failure)
        return;
    ReportFtpFailure(ctx, *failure);
    batchEnded = endsBatch(tc, failure->number);
}
