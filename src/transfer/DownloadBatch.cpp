#include "transfer/DownloadBatch.h"

#include "panes/LocalPane.h"
#include "panes/PathRules.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"
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

#include <QComboBox>
#include <QFileInfo>

using namespace TransferDecisions;

namespace {
// Anything at the path, file or folder, hidden or not.
bool LocalPathExists(const QString &path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}
} // namespace

void DownloadBatch::DownloadSelection(QString &localDir)
{
    WindowContext &ctx = tc.window;
    beginBatch(tc);
    batchEnded = false;
    for (const TransferItem &item : tc.list.TransferItems()) {
        if (!batchEnded && !item.Dir.isEmpty()) {
            SetFtpProperties(ctx.session, ctx.globals);
            ctx.globals.gXferUpload = false;
            if (isFolderLike(item.Kind))
                DownloadFolder(localDir, item);
            else
                DownloadOneFile(localDir, item);
        }
        tc.list.MarkRemoteRow(item.Index, false);
    }
    NormalizePath(localDir);
    tc.local.DoLocalRefresh(localDir);
    tc.combos.local->setEditText(localDir);
    endBatch(tc, false);
}

void DownloadBatch::setItemGlobals(QString &localDir, const TransferItem &item)
{
    Globals &g = tc.window.globals;
    QString remoteDir = item.Dir;
    g.gXferRemoteDir = NormalizePath(remoteDir, true);
    g.gXferRemoteName = item.Name;
    // A size the server did not give counts as unknown.
    g.gXferRemoteSize = qMax<qint64>(0, item.Size);
    g.gXferLocalDir = NormalizePath(localDir);
    g.gXferLocalName = item.Name;
}

void DownloadBatch::ReadLocalSize()
{
    Globals &g = tc.window.globals;
    // Hidden files too: a download must never replace a file unasked.
    const QFileInfo existing(g.gXferLocalDir + g.gXferLocalName);
    g.gXferLocalSize = existing.isFile() ? existing.size() : 0;
}

void DownloadBatch::DownloadOneFile(QString &localDir, const TransferItem &item)
{
    WindowContext &ctx = tc.window;
    Globals &g = ctx.globals;
    setItemGlobals(localDir, item);
    ReadLocalSize();
    ctx.statusBar->PlaceProgress();
    if (!g.gDialogCancelled && g.gXferLocalSize >= 1) {
        if (!answerStands(g))
            AskConflict(tc);
        // Overwrite starts at 0, and so does a file whose old one was renamed
        // away; resume keeps the existing length.
        if (g.gXferOverwrite || g.gXferRename)
            g.gXferLocalSize = 0;
        else
            ReadLocalSize();
    }
    if (g.gXferRemoteSize > 0)
        ctx.statusBar->setProgressMaximum(g.gXferRemoteSize);
    ctx.statusBar->setProgressValue(g.gXferLocalSize);
    if (!g.gDialogCancelled) {
        const QString remotePath = g.gXferRemoteDir + item.Name;
        const QString localPath = g.gXferLocalDir + item.Name;
        ctx.statusBar->ShowTransferFile(QStringLiteral("文件:") + item.Name, item.Size);
        try {
            ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
            qint64 offset = g.gXferLocalSize;
            ctx.session.DownloadFile(remotePath, localPath, offset);
            ctx.statusBar->ShowTransferFile(QString());
            tc.queue.AddQueueRow(QueueList::Downloaded, localPath, item.Size,
                                 QueueList::DownloadDirection, remotePath, g.gHost);
        } catch (const RemoteError &error) {
            failItem(localDir, item, item.Size, error);
        }
    }
    ctx.statusBar->setProgressValue(0);
    EndTransferItem(g);
}

void DownloadBatch::DownloadFolder(QString &localDir, const TransferItem &item)
{
    WindowContext &ctx = tc.window;
    Globals &g = ctx.globals;
    setItemGlobals(localDir, item);
    // A folder's sizes are not known: the dialog shows 0, not what the last
    // file left.
    g.gXferRemoteSize = 0;
    g.gXferLocalSize = 0;
    ctx.statusBar->PlaceProgress();
    if (g.gDialogCancelled) {
        EndTransferItem(g);
        return;
    }
    const QString localPath = g.gXferLocalDir + item.Name;
    if (LocalPathExists(localPath) && !answerStands(g))
        AskConflict(tc);
    if (!g.gDialogCancelled) {
        const QString remotePath = g.gXferRemoteDir + item.Name;
        try {
            // The copy makes the local folder once the server has let it in:
            // a folder it refuses leaves nothing behind, and a link not yet
            // probed that leads to a file becomes that file.
            ctx.statusBar->setProgressValue(0);
            ctx.statusBar->ShowTransferFile(QStringLiteral("Folder:") + item.Name);
            ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
            ctx.session.DownloadMany(folderPattern(remotePath, QLatin1Char('/')), localPath);
            ctx.statusBar->ShowTransferFile(QString());
            tc.queue.AddQueueRow(QueueList::Downloaded, localPath, -1, QueueList::DownloadDirection,
                                 remotePath, g.gHost);
        } catch (const RemoteError &error) {
            failItem(localDir, item, -1, error);
        }
    }
    EndTransferItem(g);
}

void DownloadBatch::failItem(const QString &localDir, const TransferItem &item, qint64 size,
                             const RemoteError &error)
{
    WindowContext &ctx = tc.window;
    const Globals &g = ctx.globals;
    ctx.statusBar->ShowTransferFile(QString());
    tc.queue.AddQueueRow(QueueList::Failed, localDir + item.Name, size,
                         QueueList::DownloadDirection, g.gXferRemoteDir + item.Name, g.gHost);
    ReportFtpFailure(ctx, error);
    batchEnded = endsBatch(tc, error.number);
}
