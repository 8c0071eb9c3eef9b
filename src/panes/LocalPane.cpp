#include "panes/LocalPane.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/PaneCaption.h"
#include "panes/PaneSorting.h"
#include "panes/PathRules.h"
#include "platform/Drives.h"
#include "platform/SessionLog.h"
#include "platform/Shell.h"
#include "window/Commands.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QScopedValueRollback>

LocalPane::LocalPane(WindowContext &context, Drives &drives, FileListView *lvwLocal,
                     QComboBox *cmbLocalDir, QGroupBox *fraLocal, QObject *parent)
    : QObject(parent), ctx(context), drives(drives), lvwLocal(lvwLocal), list(lvwLocal->model()),
      cmbLocalDir(cmbLocalDir), fraLocal(fraLocal)
{
    list->setDateFormatter(
        [this](const QDateTime &time, bool) { return listing.wallClockText(time); });
    // The folder box's list is the history kept by RememberLocalDir: a typed
    // path confirmed with Enter must not slip into it, and the box holds what
    // was typed, not a history entry it happens to start like.
    cmbLocalDir->setEditable(true);
    cmbLocalDir->setInsertPolicy(QComboBox::NoInsert);
    cmbLocalDir->setCompleter(nullptr);

    connect(lvwLocal, &FileListView::gotFocus, this, &LocalPane::lvwLocal_GotFocus);
    connect(lvwLocal, &FileListView::lostFocus, this, &LocalPane::lvwLocal_LostFocus);
    connect(lvwLocal, &FileListView::doubleClicked, this, &LocalPane::lvwLocal_DblClick);
    connect(lvwLocal, &FileListView::keyReleased, this,
            [this](int key, Qt::KeyboardModifiers) { lvwLocal_KeyUp(key); });
    connect(lvwLocal, &FileListView::selectionMoved, &ctx.availability, &CommandState::refresh);
    connect(lvwLocal, &FileListView::mouseReleased, this, &LocalPane::lvwLocal_MouseUp);
    connect(lvwLocal, &FileListView::headerClicked, this, &LocalPane::lvwLocal_ColumnClick);
    connect(cmbLocalDir, &QComboBox::editTextChanged, this, &LocalPane::cmbLocalDir_Change);
    connect(cmbLocalDir, &QComboBox::activated, this, &LocalPane::cmbLocalDir_Click);
    // Once the user is done typing, the box names the folder listed as the
    // transfers and the log will: "/home///工作" reads "/home/工作/".
    connect(cmbLocalDir->lineEdit(), &QLineEdit::editingFinished, this,
            &LocalPane::showListedDirectory);
}

void LocalPane::showListedDirectory()
{
    if (lastListed.isEmpty() || cmbLocalDir->currentText() == lastListed)
        return;
    const QScopedValueRollback<bool> quiet(settingFolderBox, true);
    cmbLocalDir->setEditText(lastListed);
}

void LocalPane::FillDriveList()
{
    settingFolderBox = true;
    // A mount point may carry brackets of its own ("/media/photos [2019]").
    for (QString drive : drives.drives())
        cmbLocalDir->addItem(NormalizeLocalDir(drive));
    settingFolderBox = false;
    // The second drive, not the first: "/" comes first and the home
    // directory second.
    cmbLocalDir->setEditText(cmbLocalDir->count() > 1 ? cmbLocalDir->itemText(1) : QString());
}

void LocalPane::DoLocalRefresh(QString &path)
{
    NormalizePath(path);
    // A typed path may hold doubled separators, "." and "..": the folder is
    // named one way only, wherever its path goes next.
    path = QDir::toNativeSeparators(QDir::cleanPath(path));
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    LocalListing::Entries entries = listing.read(path);
    FillInSortOrder(*list, std::move(entries.folders), std::move(entries.files));
    lvwLocal->clearSelection();
    ctx.availability.refresh();

    lastListed = path;
    if (!listedJustNow) {
        listedJustNow = true;
        QMetaObject::invokeMethod(
            this, [this] { listedJustNow = false; }, Qt::QueuedConnection);
    }
    Q_EMIT folderListed(path);
}

void LocalPane::SortLocalByName()
{
    SortByName(*list);
}

RowKind LocalPane::selectedRowKind() const
{
    const int selected = lvwLocal->selectedRow();
    if (selected < 0)
        return RowKind::None;
    const FileRow &row = list->row(selected);
    if (row.text.isEmpty())
        return RowKind::Blank;
    if (row.kind == EntryKind::Parent)
        return RowKind::Parent;
    return isFolderLike(row.kind) ? RowKind::Folder : RowKind::File;
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
    QString path = currentDirectory();
    DoLocalRefresh(path);
}

QString LocalPane::currentDirectory() const
{
    if (!lastListed.isEmpty())
        return lastListed;
    QString typed = cmbLocalDir->currentText();
    return NormalizeLocalDir(typed);
}

void LocalPane::OpenSelectedRow(bool byDoubleClick)
{
    const int selected = lvwLocal->selectedRow();
    if (selected < 0)
        return;
    // Copies: listing another directory replaces the rows.
    const EntryKind kind = list->row(selected).kind;
    const QString name = list->row(selected).text;
    const QString tag = list->row(selected).tag;

    // The row was listed in the folder the pane shows, whatever the box
    // holds by now.
    QString path = currentDirectory();
    if (kind == EntryKind::Parent) {
        LocalParentDir(path);
    } else if (kind == EntryKind::Folder) {
        path += name;
        DoLocalRefresh(path);
    } else if (byDoubleClick) {
        runFile(tag);
    }
    RememberLocalDir(path);
    if (byDoubleClick)
        lvwLocal->activeView()->viewport()->update();
}

void LocalPane::OpenParentFolder()
{
    QString path = cmbLocalDir->currentText();
    LocalParentDir(path);
    RememberLocalDir(path);
}

bool LocalPane::showsHiddenFiles() const
{
    return listing.showsHiddenFiles();
}

void LocalPane::setShowHiddenFiles(bool show)
{
    if (listing.showsHiddenFiles() == show)
        return;
    listing.setShowHiddenFiles(show);
    if (lastListed.isEmpty())
        return;
    QString path = lastListed;
    DoLocalRefresh(path);
}

void LocalPane::runFile(const QString &path)
{
    if (!ctx.shell.openFile(path))
        ctx.log.append(QStringLiteral("无法打开文件 %1\r\n").arg(path));
}

void LocalPane::fillFromFolderBox()
{
    if (settingFolderBox)
        return;
    QString path = cmbLocalDir->currentText();
    NormalizeLocalDir(path);
    // Text on its way to a path ("home/us") names no folder of its own: the
    // list stays with the last folder until the text is a whole path.
    if (QDir::isRelativePath(path) || (listedJustNow && path == lastListed))
        return;
    DoLocalRefresh(path);
}

void LocalPane::cmbLocalDir_Change()
{
    ctx.gate.run([this] { fillFromFolderBox(); });
}

void LocalPane::cmbLocalDir_Click()
{
    ctx.gate.run([this] { fillFromFolderBox(); });
}

void LocalPane::lvwLocal_GotFocus()
{
    ctx.state.LocalHasFocus = true;
    ctx.state.RemoteHasFocus = false;
    ctx.state.QueueHasFocus = false;
    ShowPaneCaptionActive(fraLocal, true);
    ctx.availability.paneActivated(Pane::Local);
}

void LocalPane::lvwLocal_LostFocus()
{
    ctx.state.LocalHasFocus = false;
    ShowPaneCaptionActive(fraLocal, false);
    ctx.availability.refresh();
}

void LocalPane::lvwLocal_DblClick()
{
    ctx.gate.run([this] { OpenSelectedRow(true); });
}

void LocalPane::lvwLocal_KeyUp(int key)
{
    // The Delete key starts the local delete, a file operation that listens
    // to the list on its own.
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        ctx.gate.run([this] { OpenSelectedRow(false); });
}

void LocalPane::lvwLocal_MouseUp(Qt::MouseButton button, const QPoint &globalPos)
{
    if (ctx.gate.busy() || button != Qt::RightButton)
        return;
    ctx.availability.refresh();
    ctx.commands.editMenu->setDefaultAction(ctx.commands.mnuRun);
    ctx.commands.editMenu->popup(globalPos);
}

void LocalPane::lvwLocal_ColumnClick(int section)
{
    SortByHeader(*list, section);
}
