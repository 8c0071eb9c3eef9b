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

void EndTransferItem(Globals &g)
{
    g.gDialogCancelled = g.gXferApplyAll == 1 && g.gDialogCancelled;
}

bool answerStands(const Globals &g)
{
    return g.gXferApplyAll == 1 && !g.gXferRename;
}

void beginBatch(TransferContext &tc)
{
    tc.window.state.TransferBusy = true;
    tc.combos.EnableDirCombos(false, false);
    // No answer of an earlier batch carries over.
    tc.window.globals.gXferApplyAll = 0;
    tc.window.globals.gDialogCancelled = false;
    tc.window.availability.refresh();
}

void endBatch(TransferContext &tc, bool uploaded)
{
    WindowContext &ctx = tc.window;
    ctx.state.TransferBusy = false;
    ctx.state.Dragging = false;
    tc.lvwLocal->model()->setDropHighlightRow(-1);
    tc.lvwRemote->model()->setDropHighlightRow(-1);
    tc.progress.finishTransfer();
    ctx.globals.gDialogCancelled = false;
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
bool renameLocal(WindowContext &ctx, const QString &newName)
{
    const Globals &g = ctx.globals;
    if (newName.isEmpty() || newName.contains(QDir::separator()) || newName == QLatin1String(".") ||
        newName == QLatin1String("..")) {
        ctx.log.append(QStringLiteral("名称无效：%1\r\n").arg(newName));
        return false;
    }
    const QString from = g.gXferLocalDir + g.gXferLocalName;
    const QString to = g.gXferLocalDir + newName;
    // The rename never replaces what already has the new name.
    if (QFileInfo::exists(to) || !QDir().rename(from, to)) {
        ctx.log.append(QStringLiteral("无法将 %1 改名为 %2\r\n").arg(from, to));
        return false;
    }
    return true;
}

// The existing remote file or folder of an upload gets another name.
bool renameRemote(TransferContext &tc, const QString &newName)
{
    WindowContext &ctx = tc.window;
    const Globals &g = ctx.globals;
    try {
        ctx.session.RenameRemote(g.gXferRemoteDir + g.gXferRemoteName, g.gXferRemoteDir + newName);
    } catch (const RemoteError &error) {
        ReportFtpFailure(ctx, error);
        return false;
    }
    tc.remote.DoRemoteRefresh(g.gXferRemoteDir);
    return true;
}
} // namespace

void AskConflict(TransferContext &tc)
{
    WindowContext &ctx = tc.window;
    Globals &g = ctx.globals;
    for (;;) {
        {
            ConflictDialog dialog(g, ctx.window);
            HelpLauncher::setTopic(&dialog, QStringLiteral("transfer.html"));
            dialog.exec();
        }
        if (!g.gXferRename)
            return;
        FileListView *pane = g.gXferUpload ? tc.lvwRemote : tc.lvwLocal;
        RenameDialog::Target target{
            g.gXferUpload ? g.gXferRemoteName : g.gXferLocalName,
            [pane](const QString &name) { return pane->model()->findText(name) >= 0; },
            [&](const QString &name) {
                return g.gXferUpload ? renameRemote(tc, name) : renameLocal(ctx, name);
            }};
        RenameDialog dialog(std::move(target), ctx.window);
        HelpLauncher::setTopic(&dialog, QStringLiteral("transfer.html"));
        dialog.exec();
        switch (dialog.outcome()) {
        case RenameDialog::Renamed:
            g.gDialogCancelled = false;
            return;
        case RenameDialog::Cancelled:
            g.gDialogCancelled = true;
            return;
        case RenameDialog::Taken:
            break; // asked again
        }
    }
}

} // namespace TransferDecisions
