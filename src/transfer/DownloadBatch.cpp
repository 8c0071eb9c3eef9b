#include "transfer/DownloadBatch.h"

#include "panes/LocalPane.h"
#include "panes/PathRules.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "transfer/ProgressDisplay.h"
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
#include <QScopeGuard>

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
    // No answer of an earlier batch carries over.
    answers = {};
    batchEnded = false;
    for (const ChosenRow &row : tc.list.TransferItems()) {
        if (!batchEnded && !row.Dir.isEmpty()) {
            SetFtpProperties(ctx.session, ctx.globals);
            if (isFolderLike(row.Kind))
                DownloadFolder(localDir, row);
            else
                DownloadOneFile(localDir, row);
        }
        tc.list.MarkRemoteRow(row.Index, false);
    }
    NormalizePath(localDir);
    tc.local.DoLocalRefresh(localDir);
    tc.combos.local->setEditText(localDir);
    endBatch(tc, false);
}

TransferItem DownloadBatch::itemOf(QString &localDir, const ChosenRow &row)
{
    TransferItem item;
    QString remoteDir = row.Dir;
    item.remoteDir = NormalizePath(remoteDir, true);
    item.remoteName = row.Name;
    // A size the server did not give counts as unknown.
    item.remoteSize = qMax<qint64>(0, row.Size);
    item.localDir = NormalizePath(localDir);
    item.localName = row.Name;
    return item;
}

void DownloadBatch::ReadLocalSize(TransferItem &item)
{
    // Hidden files too: a download must never replace a file unasked.
    const QFileInfo existing(item.localPath());
    item.localSize = existing.isFile() ? existing.size() : 0;
}

void DownloadBatch::DownloadOneFile(QString &localDir, const ChosenRow &row)
{
    WindowContext &ctx = tc.window;
    TransferItem item = itemOf(localDir, row);
    ReadLocalSize(item);
    ctx.statusBar->PlaceProgress();
    if (!answers.skipping && item.localSize >= 1) {
        SettleConflict(tc, item, answers);
        // Overwrite starts at 0, and so does a file whose old one was renamed
        // away; resume keeps the existing length.
        if (item.overwrite || item.rename)
            item.localSize = 0;
        else
            ReadLocalSize(item);
    }
    if (item.remoteSize > 0)
        ctx.statusBar->setProgressMaximum(item.remoteSize);
    ctx.statusBar->setProgressValue(item.localSize);
    if (!answers.skipping) {
        const QString remotePath = item.remotePath();
        const QString localPath = item.localPath();
        ctx.statusBar->ShowTransferFile(QStringLiteral("文件:") + row.Name, row.Size);
        tc.progress.setRestartOffset(item.localSize);
        const auto fromStart = qScopeGuard([this] { tc.progress.setRestartOffset(0); });
        try {
            ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
            qint64 offset = item.localSize;
            ctx.session.DownloadFile(remotePath, localPath, offset);
            ctx.statusBar->ShowTransferFile(QString());
            tc.queue.AddQueueRow(QueueList::Downloaded, localPath, row.Size,
                                 QueueList::DownloadDirection, remotePath, ctx.globals.gHost);
        } catch (const RemoteError &error) {
            failItem(item, row.Size, error);
        }
    }
    ctx.statusBar->setProgressValue(0);
    EndTransferItem(answers);
}

void DownloadBatch::DownloadFolder(QString &localDir, const ChosenRow &row)
{
    WindowContext &ctx = tc.window;
    TransferItem item = itemOf(localDir, row);
    // A folder's sizes are not known: the dialog shows 0.
    item.remoteSize = 0;
    ctx.statusBar->PlaceProgress();
    if (answers.skipping) {
        EndTransferItem(answers);
        return;
    }
    const QString localPath = item.localPath();
    if (LocalPathExists(localPath))
        SettleConflict(tc, item, answers);
    if (!answers.skipping) {
        const QString remotePath = item.remotePath();
        try {
            // The copy makes the local folder once the server has let it in:
            // a folder it refuses leaves nothing behind, and a link not yet
            // probed that leads to a file becomes that file.
            ctx.statusBar->setProgressValue(0);
            ctx.statusBar->ShowTransferFile(QStringLiteral("Folder:") + row.Name);
            ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
            ctx.session.DownloadMany(folderPattern(remotePath, QLatin1Char('/')), localPath);
            ctx.statusBar->ShowTransferFile(QString());
            tc.queue.AddQueueRow(QueueList::Downloaded, localPath, -1, QueueList::DownloadDirection,
                                 remotePath, ctx.globals.gHost);
        } catch (const RemoteError &error) {
            failItem(item, -1, error);
        }
    }
    EndTransferItem(answers);
}

void DownloadBatch::failItem(const TransferItem &item, qint64 size, const RemoteError &error)
{
    WindowContext &ctx = tc.window;
    ctx.statusBar->ShowTransferFile(QString());
    tc.queue.AddQueueRow(QueueList::Failed, item.localPath(), size, QueueList::DownloadDirection,
                         item.remotePath(), ctx.globals.gHost);
    ReportFtpFailure(ctx, error);
    batchEnded = endsBatch(tc, error.number);
}
