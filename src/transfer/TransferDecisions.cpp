#include "transfer/TransferDecisions.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "transfer/ConflictDialog.h"
#include "transfer/ProgressDisplay.h"
#include "transfer/RenameDialog.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferList.h"
#include "window/HelpLauncher.h"
#include "window/RemoteErrors.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QDir>

namespace TransferDecisions {

void EndTransferItem(BatchAnswers &answers)
{
    answers.skipping = answers.last.applyAll && answers.skipping;
}

bool answerStands(const BatchAnswers &answers)
{
    return answers.last.applyAll && answers.last.choice != ConflictAnswer::Rename;
}

void beginBatch(TransferContext &tc)
{
    tc.combos.EnableDirCombos(false, false);
    tc.window.availability.refresh();
}

void endBatch(TransferContext &tc, bool uploaded)
{
    WindowContext &ctx = tc.window;
    ctx.state.Dragging = false;
    tc.lvwLocal->model()->setDropHighlightRow(-1);
    tc.lvwRemote->model()->setDropHighlightRow(-1);
    tc.progress.finishTransfer();
    tc.list.UnmarkTransferItems(uploaded);
    tc.combos.EnableDirCombos(true, true);
    ctx.availability.refresh();
}

bool endsBatch(const TransferContext &tc, int number)
{
    return number == RemoteErrorCode::StoppedByUser || !tc.window.connected();
}

QString folderPattern(const QString &folder, QChar separator)
{
    const QString pattern = folder + separator + QLatin1Char('*');
    return folder.contains(QLatin1Char(' ')) ? QLatin1Char('"') + pattern + QLatin1Char('"')
                                             : pattern;
}

namespace {
// The existing local file or folder of a download gets another name.
bool renameLocal(WindowContext &ctx, const TransferItem &item, const QString &newName)
{
    if (newName.isEmpty() || newName.contains(QDir::separator()) || newName == QLatin1String(".") ||
        newName == QLatin1String("..")) {
        ctx.log.append(QStringLiteral("名称无效：%1\r\n").arg(newName));
        return false;
    }
    const QString from = item.localPath();
    const QString to = item.localDir + newName;
    // The rename never replaces what already has the new name.
    if (QFileInfo::exists(to) || !QDir().rename(from, to)) {
        ctx.log.append(QStringLiteral("无法将 %1 改名为 %2\r\n").arg(from, to));
        return false;
    }
    return true;
}

// The existing remote file or folder of an upload gets another name.
bool renameRemote(TransferContext &tc, const TransferItem &item, const QString &newName)
{
    WindowContext &ctx = tc.window;
    try {
        ctx.session.RenameRemote(item.remotePath(), item.remoteDir + newName);
    } catch (const RemoteError &error) {
        ReportFtpFailure(ctx, error);
        return false;
    }
    tc.remote.DoRemoteRefresh(item.remoteDir);
    return true;
}

// The user's answer about the item's existing target, until one stands.
void AskConflict(TransferContext &tc, TransferItem &item, BatchAnswers &answers)
{
    WindowContext &ctx = tc.window;
    for (;;) {
        {
            ConflictDialog dialog(item, ctx.globals.gRestartSupported, ctx.window);
            HelpLauncher::setTopic(&dialog, QStringLiteral("transfer.html"));
            dialog.exec();
            answers.last = dialog.answer();
        }
        const ConflictAnswer::Choice choice = answers.last.choice;
        item.rename = choice == ConflictAnswer::Rename;
        item.overwrite = choice == ConflictAnswer::Overwrite;
        answers.skipping = choice == ConflictAnswer::Cancel;
        if (!item.rename)
            return;
        FileListView *pane = item.upload ? tc.lvwRemote : tc.lvwLocal;
        RenameDialog::Target target{
            item.upload ? item.remoteName : item.localName,
            [pane](const QString &name) { return pane->model()->findText(name) >= 0; },
            [&](const QString &name) {
                return item.upload ? renameRemote(tc, item, name) : renameLocal(ctx, item, name);
            }};
        RenameDialog dialog(std::move(target), ctx.window);
        HelpLauncher::setTopic(&dialog, QStringLiteral("transfer.html"));
        dialog.exec();
        switch (dialog.outcome()) {
        case RenameDialog::Renamed:
            answers.skipping = false;
            return;
        case RenameDialog::Cancelled:
            answers.skipping = true;
            return;
        case RenameDialog::Taken:
            break; // asked again
        }
    }
}
} // namespace

void SettleConflict(TransferContext &tc, TransferItem &item, BatchAnswers &answers, bool mustAsk)
{
    if (mustAsk || !answerStands(answers)) {
        AskConflict(tc, item, answers);
        return;
    }
    item.overwrite = answers.last.choice == ConflictAnswer::Overwrite;
    item.rename = false;
}

} // namespace TransferDecisions
