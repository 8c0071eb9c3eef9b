#include "fileops/ViewAndRun.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"
#include "platform/Shell.h"
#include "platform/ViewerSettings.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "window/RemoteErrors.h"
#include "window/SessionControl.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"

#include <QDir>
#include <QScopeGuard>

ViewAndRun::ViewAndRun(WindowContext &context, SettingsStore &settings, FileListView *lvwLocal,
                       FileListView *lvwRemote, QObject *parent)
    : QObject(parent), ctx(context), settings(settings), lvwLocal(lvwLocal), lvwRemote(lvwRemote)
{}

QString ViewAndRun::pathOf(FileListView *pane, int row)
{
    const FileListModel *model = pane->model();
    if (row < 0 || row >= model->rowCount() || model->row(row).kind == EntryKind::Parent)
        return QString();
    return model->row(row).tag;
}

void ViewAndRun::RunSelected()
{
    RunLocalFile(lvwLocal->selectedRow());
}

void ViewAndRun::PropertiesOfSelected()
{
    ShowProperties(lvwLocal->selectedRow());
}

void ViewAndRun::ViewSelected()
{
    if (ctx.availability.commandPane() == Pane::Remote)
        ViewRemoteFile(lvwRemote->selectedRow());
    else
        ViewLocalFile(lvwLocal->selectedRow());
}

void ViewAndRun::RunLocalFile(int row)
{
    const QString path = pathOf(lvwLocal, row);
    if (path.isEmpty())
        return;
    if (!ctx.shell.openFile(path))
        ctx.log.append(QStringLiteral("无法打开文件 %1\r\n").arg(QDir::toNativeSeparators(path)));
}

void ViewAndRun::ShowProperties(int row)
{
    const QString path = pathOf(lvwLocal, row);
    if (!path.isEmpty())
        ctx.shell.showProperties(path, ctx.window);
}

void ViewAndRun::ViewLocalFile(int row)
{
    const QString path = pathOf(lvwLocal, row);
    if (path.isEmpty())
        return;
    const ViewerSettings viewer = ViewerSettings::read(settings);
    if (viewer.useNotepad) {
        if (!ctx.shell.viewText(path, QString(), ctx.window))
            ctx.log.append(
                QStringLiteral("无法查看文件 %1\r\n").arg(QDir::toNativeSeparators(path)));
        return;
    }
    // The program and the file go as two arguments: blanks in either are
    // part of the name.
    if (!ctx.shell.startProgram(viewer.program, {path}))
        ctx.log.append(QStringLiteral("无法启动查看程序 \"%1\"\r\n").arg(viewer.program));
}

void ViewAndRun::ViewRemoteFile(int row)
{
    const QString path = pathOf(lvwRemote, row);
    if (path.isEmpty() || !ctx.connected())
        return;
    const FileRow &entry = lvwRemote->model()->row(row);
    if (isFolderLike(entry.kind))
        return;
    const QString name = entry.text;
    const QString scratch = ctx.globals.gScratchFile;
    if (scratch.isEmpty()) {
        ctx.log.append(QStringLiteral("没有可用的临时文件，无法查看 %1\r\n").arg(name));
        return;
    }
    StatusPanels &bar = *ctx.statusBar;
    // The scale is 64-bit: a file past 2 GiB is shown like any other.
    const qint64 size = entry.size;
    if (size > 0)
        bar.setProgressMaximum(size);
    bar.setProgressValue(0);
    const auto reset = qScopeGuard([&bar] {
        bar.setProgressValue(0);
        bar.setPanelText(QStringLiteral("Rate"), QString());
    });
    SetFtpProperties(ctx.session, ctx.globals);
    ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
    try {
        ctx.session.DownloadFile(path, scratch);
    } catch (const RemoteError &error) {
        ReportFtpFailure(ctx, error);
        return;
    }
    if (!ctx.shell.viewText(scratch, name, ctx.window))
        ctx.log.append(QStringLiteral("无法查看文件 %1\r\n").arg(name));
}
