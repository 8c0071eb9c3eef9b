#include "fileops/RemotePermissions.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "platform/Prompts.h"
#include "platform/SessionLog.h"
#include "remote/RemoteSession.h"
#include "remote/RemoteTexts.h"
#include "window/RemoteErrors.h"
#include "window/SessionControl.h"
#include "window/WindowContext.h"

RemotePermissions::RemotePermissions(WindowContext &context, RemotePane &pane,
                                     FileListView *lvwRemote, QObject *parent)
    : QObject(parent), ctx(context), pane(pane), lvwRemote(lvwRemote)
{}

void RemotePermissions::ShowRemoteProperties()
{
    const int r = lvwRemote->selectedRow();
    const FileListModel *model = lvwRemote->model();
    if (!ctx.connected() || r < 0 || r >= model->rowCount())
        return;
    const FileRow row = model->row(r);
    if (row.kind == EntryKind::Parent || row.tag.isEmpty())
        return;
    // The listed permissions come as their octal digits (none: all clear);
    // a link's own are not what changing it would change, so its contents
    // are never offered.
    PermissionsDialog dialog(row.tag, qMax(0, row.permissions), row.kind == EntryKind::Folder,
                             ctx.window);
    if (dialog.exec() != QDialog::Accepted || dialog.permissions() < 0)
        return;
    ChangeRemotePermissions(row.tag, dialog.permissions(), dialog.inside());
}

bool RemotePermissions::ChangeRemotePermissions(const QString &path, int permissions,
                                                PermissionsDialog::Inside inside)
{
    using Inside = PermissionsDialog::Inside;
    SetFtpProperties(ctx.session, ctx.globals);
    bool whole = true;
    // The contents first: a folder whose owner loses the right to enter it
    // could not be walked afterwards.
    if (inside != Inside::Nothing) {
        const int files = inside == Inside::FoldersOnly ? -1 : permissions;
        const int folders = inside == Inside::FilesOnly ? -1 : permissions;
        try {
            ctx.session.ChangePermissionsMany(path, files, folders);
        } catch (const RemoteError &error) {
            whole = false;
            refused(path, error);
        }
    }
    if (ctx.connected()) {
        try {
            ctx.session.ChangePermissions(path, permissions);
        } catch (const RemoteError &error) {
            whole = false;
            refused(path, error);
        }
    }
    if (ctx.connected())
        pane.DoRemoteRefresh(pane.shownDirectory());
    return whole;
}

void RemotePermissions::refused(const QString &path, const RemoteError &error)
{
    // A lost session ends as every lost session does.
    if (!ctx.connected()) {
        ReportFtpFailure(ctx, error);
        return;
    }
    const QString reason = RemoteTexts::description(error);
    const QString text = QStringLiteral("无法更改 %1 的权限: %2").arg(path, reason);
    ctx.log.append(text + QStringLiteral("\r\n"));
    ctx.prompts.messageBox(text, Prompts::Buttons::Ok, Prompts::Icon::Warning,
                           QStringLiteral("Korvu"));
}
