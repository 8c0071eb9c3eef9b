#include "panes/LocalPane.h"

#include "panes/Commands.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/PaneCaption.h"
#include "panes/PaneSorting.h"
#include "panes/PathRules.h"
#include "panes/WindowState.h"
#include "platform/Drives.h"
#include "platform/SessionLog.h"
#include "platform/Shell.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QMenu>

namespace {
const QString cdupKey = QStringLiteral("Cdup");
const QString folderKey = QStringLiteral("FolderClose");

bool isFolderKey(const QString &key)
{
    return key == folderKey || key == QLatin1String("FolderLink") || key == QLatin1String("Link");
}
} // namespace

LocalPane::LocalPane(FileListView *lvwLocal, QComboBox *cmbLocalDir, QGroupBox *fraLocal,
                     Commands &commands, WindowState &state, Drives &drives, Shell &shell,
                     SessionLog &log, std::function<bool()> ftpBusy, QObject *parent)
    : QObject(parent), lvwLocal(lvwLocal), list(lvwLocal->model()), cmbLocalDir(cmbLocalDir),
      fraLocal(fraLocal), commands(commands), state(state), drives(drives), shell(shell), log(log),
      ftpBusy(std::move(ftpBusy))
{
    // The folder box's list is the history kept by RememberLocalDir: a typed
    // path confirmed with Enter must not slip into it.
    cmbLocalDir->setEditable(true);
    cmbLocalDir->setInsertPolicy(QComboBox::NoInsert);
#ifndef Q_OS_WIN
    // Completing "/tmp/a" to "/tmp/A/" would name another directory here.
    if (QCompleter *completer = cmbLocalDir->completer())
        completer->setCaseSensitivity(Qt::CaseSensitive);
#endif

    connect(lvwLocal, &FileListView::gotFocus, this, &LocalPane::lvwLocal_GotFocus);
    connect(lvwLocal, &FileListView::lostFocus, this, &LocalPane::lvwLocal_LostFocus);
    connect(lvwLocal, &FileListView::clicked, this, &LocalPane::lvwLocal_Click);
    connect(lvwLocal, &FileListView::doubleClicked, this, &LocalPane::lvwLocal_DblClick);
    connect(lvwLocal, &FileListView::keyReleased, this,
            [this](int key, Qt::KeyboardModifiers) { lvwLocal_KeyUp(key); });
    connect(lvwLocal, &FileListView::mouseReleased, this, &LocalPane::lvwLocal_MouseUp);
    connect(lvwLocal, &FileListView::headerClicked, this, &LocalPane::lvwLocal_ColumnClick);
    connect(cmbLocalDir, &QComboBox::editTextChanged, this, &LocalPane::cmbLocalDir_Change);
    connect(cmbLocalDir, &QComboBox::activated, this, &LocalPane::cmbLocalDir_Click);
}

bool LocalPane::busy() const
{
    return ftpBusy && ftpBusy();
}

void LocalPane::FillDriveList()
{
    seedingFolderBox = true;
    for (QString drive : drives.drives())
        cmbLocalDir->addItem(NormalizePath(drive));
    seedingFolderBox = false;
    // The second drive, not the first: "/" comes first and the home
    // directory second.
    cmbLocalDir->setEditText(cmbLocalDir->count() > 1 ? cmbLocalDir->itemText(1) : QString());
}

void LocalPane::DoLocalRefresh(QString &path)
{
    NormalizeLocalDir(path);
    LocalListing::Entries entries = listing.read(path);
    entries.folders.prepend(FileListModel::parentRow());
    // The parent row and the folders take the list's sort column and
    // direction; the files stay in the order the file system gave them.
    list->fill(std::move(entries.folders), std::move(entries.files));
    lvwLocal->clearSelection();

    lastListed = path;
    if (!listedJustNow) {
        listedJustNow = true;
        QMetaObject::invokeMethod(
            this, [this] { listedJustNow = false; }, Qt::QueuedConnection);
    }
}

void LocalPane::SortLocalByName()
{
    SortByName(*list);
}

void LocalPane::UpdateLocalCommands()
{
    const Commands &c = commands;
    c.enable(c.mnuRename, false);
    c.enable(c.mnuDel, false);
    c.enable(c.mnuShow, false);
    c.enable(c.mnuRefresh, true);
    c.enable(c.mnuMakeDir, true);
    c.enable(c.mnuEditSelectAll, false);
    c.enable(c.mnuProperty, false);
    c.enable(c.mnuRun, false);
    for (const char *key : {"重命名", "删除", "查看", "运行", "属性"})
        c.enableButton(QString::fromUtf8(key), false);
    c.enableButton(QStringLiteral("刷新"), true);
    c.enableButton(QStringLiteral("新建文件夹"), true);

    const int selected = lvwLocal->selectedRow();
    if (selected < 0)
        return;
    const FileRow &row = list->row(selected);
    if (row.text.isEmpty())
        return;
    // Whatever is not a folder counts as a file here, the parent row too.
    if (!isFolderKey(row.iconKey)) {
        c.enable(c.mnuShow, true);
        c.enableButton(QStringLiteral("查看"), true);
    }
    c.enable(c.mnuRename, true);
    c.enable(c.mnuDel, true);
    c.enable(c.mnuRun, true);
    c.enable(c.mnuEditSelectAll, true);
    c.enable(c.mnuProperty, true);
    for (const char *key : {"重命名", "删除", "运行", "属性"})
        c.enableButton(QString::fromUtf8(key), true);
}

bool LocalPane::LocalDirInHistory(const QString &path) const
{
    for (int i = 0; i < cmbLocalDir->count(); ++i)
        if (cmbLocalDir->itemText(i) == path)
            return true;
    return false;
}

void LocalPane::RememberLocalDir(const QString &path)
{
    if (!LocalDirInHistory(path))
        cmbLocalDir->addItem(path);
    cmbLocalDir->setEditText(path);
}

void LocalPane::LocalParentDir(QString &path)
{
    path = LocalParentPath(path);
    DoLocalRefresh(path);
}

void LocalPane::RefreshLocal()
{
    QString path = cmbLocalDir->currentText();
    DoLocalRefresh(path);
    UpdateLocalCommands();
}

void LocalPane::OpenSelectedRow(bool byDoubleClick)
{
    if (busy())
        return;
    const int selected = lvwLocal->selectedRow();
    if (selected < 0)
        return;
    // Copies: listing another directory replaces the rows.
    const QString iconKey = list->row(selected).iconKey;
    const QString name = list->row(selected).text;
    const QString tag = list->row(selected).tag;

    QString path = cmbLocalDir->currentText();
    if (iconKey == cdupKey) {
        LocalParentDir(path);
    } else if (iconKey == folderKey) {
        NormalizeLocalDir(path);
        path += name;
        DoLocalRefresh(path);
    } else if (byDoubleClick) {
        runFile(tag);
    }
    RememberLocalDir(path);
    if (byDoubleClick)
        lvwLocal->activeView()->viewport()->update();
}

void LocalPane::runFile(const QString &path)
{
    if (!shell.openFile(path))
        log.append(QStringLiteral("无法打开文件 %1\r\n").arg(path));
}

void LocalPane::fillFromFolderBox()
{
    if (seedingFolderBox)
        return;
    QString path = cmbLocalDir->currentText();
    QString normalized = path;
    NormalizeLocalDir(normalized);
    if (listedJustNow && normalized == lastListed)
        return;
    DoLocalRefresh(path);
}

void LocalPane::cmbLocalDir_Change()
{
    fillFromFolderBox();
}

void LocalPane::cmbLocalDir_Click()
{
    fillFromFolderBox();
}

void LocalPane::lvwLocal_GotFocus()
{
    Commands &c = commands;
    c.enableButton(QStringLiteral("下载"), false);
    c.enableButton(QStringLiteral("上传"), true);
    state.LocalHasFocus = true;
    state.RemoteHasFocus = false;
    state.QueueHasFocus = false;
    ShowPaneCaptionActive(fraLocal, true);
    for (QAction *action :
         {c.mnuEdit, c.mnuMakeDir, c.mnuRename, c.mnuDel, c.mnuRefresh, c.mnuShow, c.mnuRun})
        c.enable(action, true);
    if (c.mnuProperty)
        c.mnuProperty->setVisible(true);
    for (QAction *action : {c.mnuView, c.mnuViewList, c.mnuViewReport})
        c.enable(action, true);
    const bool report = lvwLocal->viewMode() == FileListView::ReportMode;
    if (c.mnuViewList)
        c.mnuViewList->setChecked(!report);
    if (c.mnuViewReport)
        c.mnuViewReport->setChecked(report);
    if (c.mnuUpDown)
        c.mnuUpDown->setText(QStringLiteral("上传(&U)"));
    c.enable(c.mnuUpDown, true);
}

void LocalPane::lvwLocal_LostFocus()
{
    const Commands &c = commands;
    state.LocalHasFocus = false;
    ShowPaneCaptionActive(fraLocal, false);
    for (QAction *action : {c.mnuEdit, c.mnuViewList, c.mnuViewReport, c.mnuUpDown})
        c.enable(action, false);
}

void LocalPane::lvwLocal_Click()
{
    if (!busy())
        UpdateLocalCommands();
}

void LocalPane::lvwLocal_DblClick()
{
    OpenSelectedRow(true);
}

void LocalPane::lvwLocal_KeyUp(int key)
{
    // The Delete key starts the local delete, a file operation that listens
    // to the list on its own.
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        OpenSelectedRow(false);
}

void LocalPane::lvwLocal_MouseUp(Qt::MouseButton button, const QPoint &globalPos)
{
    if (busy() || button != Qt::RightButton || !commands.editMenu)
        return;
    UpdateLocalCommands();
    commands.editMenu->setDefaultAction(commands.mnuRun);
    commands.editMenu->popup(globalPos);
}

void LocalPane::lvwLocal_ColumnClick(int section)
{
    SortByHeader(*list, section);
}
