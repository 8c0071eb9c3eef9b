#include "fileops/RemoteFileEditor.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/PathRules.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "platform/Prompts.h"
#include "platform/SessionLog.h"
#include "platform/Shell.h"
#include "platform/ViewerSettings.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteNameRules.h"
#include "remote/RemoteSession.h"
#include "window/RemoteErrors.h"
#include "window/SessionControl.h"
#include "window/StatusPanels.h"
#include "window/WindowContext.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace {

constexpr int SettleMs = 400;
constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

QString withSlash(QString path)
{
    return NormalizePath(path, true);
}

QString nameOf(const QString &remote)
{
    return remote.section(QLatin1Char('/'), -1);
}

QString folderOf(const QString &remote)
{
    return remote.left(remote.size() - nameOf(remote).size());
}

// Beside the file, hidden, and not a name anybody uses.
QString temporaryNameOf(const QString &remote)
{
    return folderOf(remote) + QLatin1Char('.') + nameOf(remote) +
           QStringLiteral(".korvu-%1.part")
               .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

} // namespace

RemoteFileEditor::RemoteFileEditor(WindowContext &context, SettingsStore &settings,
                                   RemotePane &pane, FileListView *lvwRemote, QObject *parent)
    : QObject(parent), ctx(context), settings(settings), pane(pane), lvwRemote(lvwRemote),
      watcher(new QFileSystemWatcher(this)), settle(new QTimer(this))
{
    settle->setSingleShot(true);
    settle->setInterval(SettleMs);
    connect(settle, &QTimer::timeout, this, &RemoteFileEditor::checkCopies);
    connect(watcher, &QFileSystemWatcher::fileChanged, this, &RemoteFileEditor::copyChanged);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &RemoteFileEditor::copyChanged);
    // A question that had to wait for a command to end is asked after it.
    connect(&ctx.gate, &CommandGate::busyChanged, this, [this] {
        if (waiting && !ctx.gate.busy()) {
            waiting = false;
            settle->start();
        }
    });
}

RemoteFileEditor::~RemoteFileEditor() = default;

void RemoteFileEditor::EditSelected()
{
    const int r = lvwRemote->selectedRow();
    const FileListModel *model = lvwRemote->model();
    if (r < 0 || r >= model->rowCount())
        return;
    const FileRow &row = model->row(r);
    if (row.kind == EntryKind::Parent || isFolderLike(row.kind) || row.tag.isEmpty())
        return;
    EditRemoteFile(row.tag, row.permissions);
}

QString RemoteFileEditor::copyOf(const QString &path) const
{
    for (const Edit &edit : edits)
        if (edit.remote == path)
            return edit.copy;
    return QString();
}

bool RemoteFileEditor::EditRemoteFile(const QString &path, int permissions)
{
    if (!ctx.connected())
        return false;
    for (const Edit &edit : std::as_const(edits))
        if (edit.remote == path && sameServer(edit))
            return open(edit);
    const QString name = nameOf(path);
    if (!RemoteNameRules::isSafeLocalName(name)) {
        ctx.log.append(QStringLiteral("无法编辑 %1: 名称不能用作本地文件名\r\n").arg(path));
        return false;
    }
    if (!prepareScratch())
        return false;
    // Each file has a folder of its own, so that two files of one name
    // from two folders do not meet.
    const QString folder = scratch->filePath(QString::number(edits.size() + 1));
    if (!QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        ctx.log.append(QStringLiteral("无法建立临时文件夹 %1\r\n").arg(folder));
        return false;
    }
    Edit edit{path,
              RemoteNameRules::localChildPath(folder, name),
              ctx.globals.gHost,
              ctx.globals.gUser,
              ctx.globals.gPort,
              permissions,
              {}};
    if (!fetch(edit))
        return false;
    edits.append(edit);
    watch(edit);
    return open(edit);
}

bool RemoteFileEditor::prepareScratch()
{
    if (scratch)
        return true;
    // QTemporaryDir makes its folder for the owner alone.
    scratch = std::make_unique<QTemporaryDir>(
        QStandardPaths::writableLocation(QStandardPaths::TempLocation) +
        QStringLiteral("/korvu-edit-XXXXXX"));
    if (scratch->isValid())
        return true;
    ctx.log.append(QStringLiteral("无法建立临时文件夹: %1\r\n").arg(scratch->errorString()));
    scratch.reset();
    return false;
}

bool RemoteFileEditor::fetch(Edit &edit)
{
    // An empty file the user alone may read receives what the server sends.
    QFile file(edit.copy);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(OwnerOnly)) {
        ctx.log.append(QStringLiteral("无法写入临时文件 %1\r\n").arg(edit.copy));
        return false;
    }
    file.close();
    const auto resetBar = progressFrom(0);
    SetFtpProperties(ctx.session, ctx.globals);
    ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
    try {
        ctx.session.DownloadFile(edit.remote, edit.copy);
    } catch (const RemoteError &error) {
        ReportFtpFailure(ctx, error);
        QFile::remove(edit.copy);
        return false;
    }
    edit.digest = digestOf(edit.copy);
    return true;
}

bool RemoteFileEditor::open(const Edit &edit)
{
    const ViewerSettings viewer = ViewerSettings::read(settings);
    const bool opened = !viewer.useNotepad && !viewer.program.isEmpty()
                            ? ctx.shell.startProgram(viewer.program, {edit.copy})
                            : ctx.shell.openFile(edit.copy);
    if (!opened)
        ctx.log.append(QStringLiteral("无法打开 %1 进行编辑\r\n").arg(edit.copy));
    return opened;
}

void RemoteFileEditor::watch(const Edit &edit)
{
    // Editors that save by writing a new file and renaming it over the old
    // one end the watch of the file; its folder sees that too.
    watcher->addPath(QFileInfo(edit.copy).path());
    watcher->addPath(edit.copy);
}

void RemoteFileEditor::copyChanged()
{
    settle->start();
}

void RemoteFileEditor::checkCopies()
{
    settle->stop();
    // Changes made while a question is open are looked at once it is answered.
    if (offering) {
        waiting = true;
        return;
    }
    for (qsizetype i = 0; i < edits.size(); ++i) {
        Edit &edit = edits[i];
        if (!watcher->files().contains(edit.copy) && QFileInfo::exists(edit.copy))
            watcher->addPath(edit.copy);
        const QByteArray now = digestOf(edit.copy);
        if (!now.isEmpty() && now != edit.digest)
            offer(edit);
    }
}

void RemoteFileEditor::offer(Edit &edit)
{
    // The question and the upload are a command like any other: while
    // another one runs they wait for it to end.
    offering = true;
    const bool ran = ctx.gate.run([&] {
        const QByteArray saved = digestOf(edit.copy);
        const Prompts::Answer answer =
            ctx.prompts.messageBox(UploadQuestion, Prompts::Buttons::YesNo, Prompts::Icon::Question,
                                   QStringLiteral("编辑 ") + edit.remote);
        if (answer != Prompts::Answer::Yes) {
            // Not asked again until it is saved again.
            edit.digest = saved;
            return;
        }
        upload(edit);
    });
    offering = false;
    if (!ran) {
        waiting = true;
        settle->start();
    }
}

bool RemoteFileEditor::sameServer(const Edit &edit) const
{
    return edit.host == ctx.globals.gHost && edit.user == ctx.globals.gUser &&
           edit.port == ctx.globals.gPort;
}

bool RemoteFileEditor::upload(Edit &edit)
{
    if (!ctx.connected() || !sameServer(edit)) {
        ctx.log.append(QStringLiteral("没有连接到 %1，%2 没有上传；修改后的文件在 %3\r\n")
                           .arg(edit.host, edit.remote, edit.copy));
        return false;
    }
    const QByteArray sent = digestOf(edit.copy);
    const auto resetBar = progressFrom(QFileInfo(edit.copy).size());
    SetFtpProperties(ctx.session, ctx.globals);
    ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
    ctx.session.setUploadMode(RemoteUploadMode::Overwrite);
    try {
        if (!replaceByRename(edit, temporaryNameOf(edit.remote))) {
            qint64 start = 0;
            ctx.session.UploadFile(edit.remote, edit.copy, start);
        }
    } catch (const RemoteError &error) {
        ReportFtpFailure(ctx, error);
        ctx.log.append(
            QStringLiteral("%1 没有上传；修改后的文件在 %2\r\n").arg(edit.remote, edit.copy));
        return false;
    }
    edit.digest = sent;
    ctx.log.append(QStringLiteral("已上传 %1\r\n").arg(edit.remote));
    if (ctx.connected() && withSlash(pane.shownDirectory()) == folderOf(edit.remote))
        pane.DoRemoteRefresh(pane.shownDirectory());
    return true;
}

// Whole under a name of its own first, then in the file's place. False when
// the server takes no new file or renames nothing (its refusal is in the
// log): the file is then to be uploaded in place. Throws what ends the upload.
bool RemoteFileEditor::replaceByRename(const Edit &edit, const QString &temporary)
{
    try {
        qint64 start = 0;
        ctx.session.UploadFile(temporary, edit.copy, start);
    } catch (const RemoteError &error) {
        if (error.number >= RemoteErrorCode::StoppedByUser || !ctx.connected()) {
            // What came of the temporary file is not the user's.
            if (ctx.connected())
                try {
                    ctx.session.DeleteRemoteFile(temporary);
                } catch (const RemoteError &) {
                }
            throw;
        }
        return false;
    }
    try {
        ctx.session.RenameRemote(temporary, edit.remote);
    } catch (const RemoteError &error) {
        if (!ctx.connected())
            throw;
        try {
            ctx.session.DeleteRemoteFile(temporary);
        } catch (const RemoteError &) {
            // Left beside the file; the log has the server's reply.
        }
        if (error.number >= RemoteErrorCode::StoppedByUser)
            throw;
        return false;
    }
    // A new file has the server's default permissions: the old ones back.
    if (edit.permissions > 0) {
        try {
            ctx.session.ChangePermissions(edit.remote, edit.permissions);
        } catch (const RemoteError &) {
            // The refusal is in the log; the file itself is whole.
            if (!ctx.connected())
                throw;
        }
    }
    return true;
}

// The progress bar and the panel "Rate" count the transfer in hand from 0
// and are cleared when it ends, however it ends.
QScopeGuard<std::function<void()>> RemoteFileEditor::progressFrom(qint64 size)
{
    StatusPanels &bar = *ctx.statusBar;
    if (size > 0)
        bar.setProgressMaximum(size);
    bar.setProgressValue(0);
    return qScopeGuard(std::function<void()>([&bar] {
        bar.setProgressValue(0);
        bar.setPanelText(QStringLiteral("Rate"), QString());
    }));
}

QByteArray RemoteFileEditor::digestOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}
