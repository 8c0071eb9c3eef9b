#include "panes/RemotePane.h"

#include "ftp/FtpSession.h"
#include "panes/Commands.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/PaneCaption.h"
#include "panes/PaneSorting.h"
#include "panes/PathRules.h"
#include "panes/RemoteListing.h"
#include "panes/SessionControl.h"
#include "panes/WindowState.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>

namespace {
const QString cdup = QStringLiteral("Cdup");
const QString folderClose = QStringLiteral("FolderClose");
const QString folderLink = QStringLiteral("FolderLink");
const QString linkKey = QStringLiteral("Link");
constexpr int connected = 2;

QString normalizedRemote(QString path)
{
    return NormalizePath(path, true);
}
} // namespace

RemotePane::RemotePane(FileListView *lvwRemote, QComboBox *cmbRemoteDir, QGroupBox *fraRemote,
                       Commands &commands, WindowState &state, Globals &g, FtpSession &ftp,
                       SessionLog &log, QObject *parent)
    : QObject(parent), lvwRemote(lvwRemote), cmbRemoteDir(cmbRemoteDir), fraRemote(fraRemote),
      commands(commands), state(state), g(g), ftp(ftp), log(log)
{
    cmbRemoteDir->setEditable(true);
    cmbRemoteDir->setInsertPolicy(QComboBox::NoInsert);

    connect(lvwRemote, &FileListView::doubleClicked, this, &RemotePane::onDoubleClicked);
    connect(lvwRemote, &FileListView::keyReleased, this,
            [this](int key, Qt::KeyboardModifiers) { onKeyReleased(key); });
    connect(lvwRemote, &FileListView::clicked, this, &RemotePane::onClicked);
    connect(lvwRemote, &FileListView::mouseReleased, this, &RemotePane::onMouseReleased);
    connect(lvwRemote, &FileListView::headerClicked, this, &RemotePane::onHeaderClicked);
    connect(lvwRemote, &FileListView::gotFocus, this, &RemotePane::onGotFocus);
    connect(lvwRemote, &FileListView::lostFocus, this, &RemotePane::onLostFocus);
    connect(cmbRemoteDir, &QComboBox::activated, this, &RemotePane::onDirectoryPicked);
}

bool RemotePane::ready() const
{
    return ftp.ConnectionState() == connected && !ftp.IsBusy();
}

void RemotePane::logError(const FtpError &error)
{
    log.append(error.description + QStringLiteral("\r\n"));
}

void RemotePane::DoRemoteRefresh(const QString &path)
{
    if (ftp.ConnectionState() != connected)
        return;
    const QString before = cmbRemoteDir->currentText();
    try {
        commands.enable(commands.mnuFile, false);
        commands.enable(commands.mnuEdit, false);
        SetFtpProperties(ftp, g);
        cmbRemoteDir->setEditText(path);
        commands.enable(commands.mnuFile, true);
        commands.enable(commands.mnuEdit, true);
        QString dir = cmbRemoteDir->currentText();
        if (!ListRemoteDir(dir))
            cmbRemoteDir->setEditText(before);
    } catch (const FtpError &error) {
        ReportRemoteError(error.description, error.number);
    }
}

bool RemotePane::ListRemoteDir(QString &path)
{
    NormalizePath(path, true);
    if (normalizedRemote(ftp.CurrentDirectory()) != path) {
        try {
            ftp.setCurrentDirectory(path);
        } catch (const FtpError &error) {
            // Rows are only ever shown under a directory the server entered:
            // the pane keeps the listing it had.
            logError(error);
            return false;
        }
    }
    // A failed listing still clears the pane down to its parent row; the
    // component reports the failure in the log.
    try {
        ftp.setTransferSetting(0);
        ftp.ListDirectory();
    } catch (const FtpError &) {
    }
    fillFromListing(path);
    shown = path;
    return true;
}

void RemotePane::fillFromListing(const QString &dir)
{
    RemoteRows rows = BuildRemoteRows(ftp.ListingEntries(), dir);
    lvwRemote->model()->fill(std::move(rows.sortedPart), std::move(rows.appended));
    lvwRemote->clearSelection();
}

void RemotePane::clearRows()
{
    lvwRemote->model()->clear();
}

void RemotePane::clearDirectoryBox()
{
    cmbRemoteDir->setEditText(QString());
    shown.clear();
}

void RemotePane::ReportRemoteError(const QString &description, int number)
{
    if (description.isEmpty() || number <= 0)
        return;
    // The component's texts carry their own line end; one of ours without
    // it would run into the next message.
    if (description.endsWith(QLatin1Char('\n')))
        log.append(description);
    else
        log.append(description + QStringLiteral("\r\n"));
    ftp.DropConnection();
    state.ConnectionLost = true;
    SetMenuState(commands, true, false, true);
}

void RemotePane::ChangeRemoteDir(const QString &path)
{
    try {
        SetMenuState(commands, false, false, false);
        SetFtpProperties(ftp, g);
        ftp.setCurrentDirectory(path);
        g.gRemoteDir = ftp.CurrentDirectory();
        DoRemoteRefresh(g.gRemoteDir);
        SetMenuState(commands, true, true, true);
    } catch (const FtpError &error) {
        ReportRemoteError(error.description, error.number);
        SetMenuState(commands, false, true, true);
    }
}

void RemotePane::RemoteParentDir()
{
    if (ftp.IsBusy())
        return;
    try {
        ftp.ParentDirectory();
        QString dir = ftp.CurrentDirectory();
        if (!ListRemoteDir(dir))
            return;
        // Remember where the server is now, so a later link probe returns
        // to the directory the pane shows.
        g.gRemoteDir = ftp.CurrentDirectory();
        cmbRemoteDir->setEditText(g.gRemoteDir);
        shown = g.gRemoteDir;
    } catch (const FtpError &error) {
        logError(error);
    }
}

void RemotePane::ProbeRemoteLink(int row)
{
    FileListModel *model = lvwRemote->model();
    if (row < 0 || row >= model->rowCount())
        return;
    SetMenuState(commands, false, false, false);
    SetFtpProperties(ftp, g);
    try {
        ftp.setCurrentDirectory(model->row(row).text);
    } catch (const FtpError &error) {
        model->setIconKey(row, QStringLiteral("File"));
        SetMenuState(commands, false, true, true);
        logError(error);
        return;
    }
    model->setIconKey(row, folderLink);
    try {
        // The listing is not reloaded: go back to the directory on show.
        ftp.setCurrentDirectory(g.gRemoteDir);
        SetMenuState(commands, true, true, true);
    } catch (const FtpError &error) {
        SetMenuState(commands, false, true, true);
        logError(error);
    }
}

void RemotePane::RememberRemoteDir()
{
    if (ftp.ConnectionState() != connected)
        return;
    const QString dir = ftp.CurrentDirectory();
    if (!RemoteDirInHistory(dir))
        cmbRemoteDir->addItem(dir);
    cmbRemoteDir->setEditText(dir);
}

bool RemotePane::RemoteDirInHistory(const QString &path) const
{
    for (int i = 0; i < cmbRemoteDir->count(); ++i)
        if (cmbRemoteDir->itemText(i) == path)
            return true;
    return false;
}

void RemotePane::SortRemoteByName()
{
    if (!ready())
        return;
    SortByName(*lvwRemote->model());
}

void RemotePane::RefreshRemote()
{
    DoRemoteRefresh(ftp.CurrentDirectory());
    UpdateRemoteCommands();
}

void RemotePane::onDirectoryPicked()
{
    QString dir = cmbRemoteDir->currentText();
    if (ListRemoteDir(dir)) {
        g.gRemoteDir = ftp.CurrentDirectory();
        shown = cmbRemoteDir->currentText();
    } else {
        cmbRemoteDir->setEditText(shown);
    }
}

void RemotePane::onDoubleClicked()
{
    openSelectedRow(false);
}

void RemotePane::onKeyReleased(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        openSelectedRow(true);
}

void RemotePane::openSelectedRow(bool byEnter)
{
    if (!ready())
        return;
    const int r = lvwRemote->selectedRow();
    if (r < 0)
        return;
    const FileRow row = lvwRemote->model()->row(r);
    if (row.iconKey == cdup)
        RemoteParentDir();
    else if (row.iconKey == folderClose)
        ChangeRemoteDir(row.text);
    else if (row.iconKey == folderLink)
        ChangeRemoteDir(row.tag);
    else if (row.iconKey == linkKey && byEnter)
        ProbeRemoteLink(r);
    // A file row (and a link on a double-click) opens nothing from the list.
    RememberRemoteDir();
}

void RemotePane::onClicked()
{
    if (ready())
        UpdateRemoteCommands();
}

void RemotePane::onMouseReleased(Qt::MouseButton button, const QPoint &globalPos)
{
    if (button != Qt::RightButton || !ready())
        return;
    UpdateRemoteCommands();
    commands.editMenu->setDefaultAction(commands.mnuUpDown);
    commands.editMenu->popup(globalPos);
}

void RemotePane::onHeaderClicked(int section)
{
    if (lvwRemote->model()->rowCount() < 2 || !ready())
        return;
    SortByHeader(*lvwRemote->model(), section);
}

void RemotePane::onGotFocus()
{
    const bool isConnected = ftp.ConnectionState() == connected;
    commands.enableButton(QStringLiteral("上传"), false);
    commands.enableButton(QStringLiteral("下载"), true);
    if (!isConnected)
        for (const char *key : {"刷新", "删除", "重命名", "新建文件夹", "运行", "查看", "属性"})
            commands.enableButton(QString::fromUtf8(key), false);
    state.RemoteHasFocus = true;
    state.LocalHasFocus = false;
    state.QueueHasFocus = false;
    ShowPaneCaptionActive(fraRemote, true);
    commands.enable(commands.mnuEdit, true);
    const bool sessionItems = isConnected || ftp.IsBusy();
    for (QAction *item :
         {commands.mnuMakeDir, commands.mnuRename, commands.mnuDel, commands.mnuEditSelectAll,
          commands.mnuRefresh, commands.mnuShow, commands.mnuRun})
        commands.enable(item, sessionItems);
    commands.mnuProperty->setVisible(false);
    commands.enable(commands.mnuViewList, true);
    commands.enable(commands.mnuViewReport, true);
    const bool report = lvwRemote->viewMode() == FileListView::ReportMode;
    commands.mnuViewList->setChecked(!report);
    commands.mnuViewReport->setChecked(report);
    commands.mnuUpDown->setText(QStringLiteral("下载(&D)"));
    commands.enable(commands.mnuUpDown, true);
}

void RemotePane::onLostFocus()
{
    state.RemoteHasFocus = false;
    ShowPaneCaptionActive(fraRemote, false);
    commands.enable(commands.mnuEdit, false);
    commands.enable(commands.mnuViewList, false);
    commands.enable(commands.mnuViewReport, false);
    commands.enable(commands.mnuUpDown, false);
}

void RemotePane::UpdateRemoteCommands()
{
    const int r = lvwRemote->selectedRow();
    for (QAction *item :
         {commands.mnuMakeDir, commands.mnuRename, commands.mnuDel, commands.mnuEditSelectAll,
          commands.mnuRefresh, commands.mnuProperty, commands.mnuShow, commands.mnuRun})
        commands.enable(item, false);
    for (const char *key : {"刷新", "删除", "重命名", "新建文件夹", "运行", "查看", "属性"})
        commands.enableButton(QString::fromUtf8(key), false);
    if (ftp.ConnectionState() == connected) {
        commands.enable(commands.mnuRefresh, true);
        commands.enable(commands.mnuMakeDir, true);
        commands.enableButton(QStringLiteral("刷新"), true);
        commands.enableButton(QStringLiteral("新建文件夹"), true);
    }
    if (r < 0 || lvwRemote->model()->row(r).text.isEmpty())
        return;
    commands.enable(commands.mnuRename, true);
    commands.enable(commands.mnuDel, true);
    commands.enable(commands.mnuEditSelectAll, true);
    commands.enableButton(QStringLiteral("重命名"), true);
    commands.enableButton(QStringLiteral("删除"), true);
    commands.enableButton(QStringLiteral("新建文件夹"), true);
}
