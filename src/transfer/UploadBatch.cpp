#include "transfer/UploadBatch.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/PathRules.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
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

#include <QDir>
#include <QScopeGuard>

using namespace TransferDecisions;

void UploadBatch::UploadSelection(QString &remoteDir)
{
    WindowContext &ctx = tc.window;
    beginBatch(tc);
    // No answer of an earlier batch carries over.
    answers = {};
    batchEnded = false;
    NormalizePath(remoteDir, true);
    // The remote pane shows the target, so its rows tell what exists there.
    QString shown = tc.remote.shownDirectory();
    if (NormalizePath(shown, true) != remoteDir)
        tc.remote.DoRemoteRefresh(remoteDir);
    for (const ChosenRow &row : tc.list.TransferItems()) {
        if (!batchEnded && !row.Dir.isEmpty()) {
            SetFtpProperties(ctx.session, ctx.globals);
            if (isFolderLike(row.Kind))
                UploadFolder(remoteDir, row);
            else
                UploadOneFile(remoteDir, row);
        }
        tc.list.MarkLocalRow(row.Index, false);
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

TransferItem UploadBatch::itemOf(const QString &remoteDir, const ChosenRow &row)
{
    TransferItem item;
    item.upload = true;
    QString localDir = row.Dir;
    item.remoteDir = remoteDir;
    item.remoteName = row.Name;
    item.localDir = NormalizePath(localDir);
    item.localName = row.Name;
    return item;
}

void UploadBatch::UploadOneFile(const QString &remoteDir, const ChosenRow &row)
{
    WindowContext &ctx = tc.window;
    TransferItem item = itemOf(remoteDir, row);
    item.localSize = qMax<qint64>(0, row.Size);
    const RemoteEntry existing = RemoteItem(row.Name);
    // A file whose size the server did not give may hold anything: it is
    // asked about like any other, shown as of unknown size (-1), and cannot
    // be resumed. Only a file the server says is empty goes unasked.
    item.remoteSize = existing.listed ? existing.size.value_or(-1) : 0;
    ctx.statusBar->PlaceProgress();
    if (!answers.skipping && item.remoteSize != 0) {
        // A resume that stands for the batch cannot go on from an unknown size.
        const bool unknownSize = item.remoteSize < 0;
        SettleConflict(tc, item, answers,
                       unknownSize && answers.last.choice != ConflictAnswer::Overwrite);
        // Overwrite, and a file whose old one was renamed away, start at 0;
        // resume appends to what the server holds.
        const bool fromStart = item.overwrite || item.rename;
        if (fromStart)
            item.remoteSize = 0;
        ctx.session.setUploadMode(fromStart ? RemoteUploadMode::Overwrite
                                            : RemoteUploadMode::Resume);
    } else {
        ctx.session.setUploadMode(RemoteUploadMode::Overwrite);
    }
    if (item.localSize > 0)
        ctx.statusBar->setProgressMaximum(item.localSize);
    ctx.statusBar->setProgressValue(qMax<qint64>(0, item.remoteSize));
    if (!answers.skipping) {
        const QString localPath = item.localPath();
        const QString remotePath = item.remotePath();
        ctx.statusBar->ShowTransferFile(QStringLiteral("文件:") + row.Name, row.Size);
        tc.progress.setRestartOffset(item.remoteSize);
        const auto fromStart = qScopeGuard([this] { tc.progress.setRestartOffset(0); });
        try {
            ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
            qint64 offset = item.remoteSize;
            ctx.session.UploadFile(remotePath, localPath, offset);
            recordItem(localPath, row.Size, remotePath, nullptr);
        } catch (const RemoteError &error) {
            recordItem(localPath, row.Size, remotePath, &error);
        }
    }
    ctx.statusBar->setProgressValue(0);
    EndTransferItem(answers);
}

void UploadBatch::UploadFolder(const QString &remoteDir, const ChosenRow &row)
{
    WindowContext &ctx = tc.window;
    // A folder's sizes are not known: the dialog shows 0.
    TransferItem item = itemOf(remoteDir, row);
    if (answers.skipping) {
        EndTransferItem(answers);
        return;
    }
    if (RemoteItem(row.Name).listed)
        SettleConflict(tc, item, answers);
    if (answers.skipping) {
        EndTransferItem(answers);
        return;
    }
    const QString remotePath = item.remotePath();
    const QString localPath = item.localPath();
    if (!RemoteItem(row.Name).listed) {
        try {
            ctx.session.MakeRemoteDirectory(remotePath);
        } catch (const RemoteError &) {
            // The copy below reports what it cannot do.
        }
    }
    ctx.statusBar->setProgressValue(0);
    ctx.statusBar->ShowTransferFile(QStringLiteral("Folder:") + row.Name);
    try {
        ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
        ctx.session.UploadMany(folderPattern(localPath, QDir::separator()), remotePath);
        recordItem(localPath, -1, remotePath, nullptr);
    } catch (const RemoteError &error) {
        recordItem(localPath, -1, remotePath, &error);
    }
    EndTransferItem(answers);
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
