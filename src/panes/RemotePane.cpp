#include "panes/RemotePane.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/PaneCaption.h"
#include "panes/PaneSorting.h"
#include "panes/PathRules.h"
#include "panes/RemoteListing.h"
#include "platform/Globals.h"
#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "remote/RemoteTexts.h"
#include "window/Commands.h"
#include "window/RemoteErrors.h"
#include "window/SessionControl.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>

namespace {
QString withSlash(QString path)
{
    return NormalizePath(path, true);
}
} // namespace

RemotePane::RemotePane(WindowContext &context, FileListView *lvwRemote, QComboBox *cmbRemoteDir,
                       QGroupBox *fraRemote, QObject *parent)
    : QObject(parent), ctx(context), lvwRemote(lvwRemote), cmbRemoteDir(cmbRemoteDir),
      fraRemote(fraRemote)
{
    cmbRemoteDir->setEditable(true);
    cmbRemoteDir->setInsertPolicy(QComboBox::NoInsert);
    // The box holds what the user typed, not a history entry it happens to
    // start like.
    cmbRemoteDir->setCompleter(nullptr);

    connect(lvwRemote, &FileListView::doubleClicked, this,
            [this] { ctx.gate.run([this] { openSelectedRow(false); }); });
    connect(lvwRemote, &FileListView::keyReleased, this, [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            ctx.gate.run([this] { openSelectedRow(true); });
    });
    connect(lvwRemote, &FileListView::selectionMoved, &ctx.availability, &CommandState::refresh);
    connect(lvwRemote, &FileListView::mouseReleased, this, &RemotePane::onMouseReleased);
    connect(lvwRemote, &FileListView::headerClicked, this, &RemotePane::onHeaderClicked);
    connect(lvwRemote, &FileListView::gotFocus, this, &RemotePane::onGotFocus);
    connect(lvwRemote, &FileListView::lostFocus, this, &RemotePane::onLostFocus);
    connect(cmbRemoteDir, &QComboBox::activated, this,
            [this] { ctx.gate.run([this] { openTypedDirectory(); }); });
    // The box has the focus and hands its keys to its line edit directly,
    // past any filter there.
    cmbRemoteDir->installEventFilter(this);
}

// Enter in the folder box takes the text typed as a pick from its list would
// be. The key ends here: the box would otherwise go on to pick a history
// entry of the same text and enter the folder a second time.
bool RemotePane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != cmbRemoteDir || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QObject::eventFilter(watched, event);
    ctx.gate.run([this] { openTypedDirectory(); });
    return true;
}

RowKind RemotePane::selectedRowKind() const
{
    const int r = lvwRemote->selectedRow();
    if (r < 0)
        return RowKind::None;
    const FileRow &row = lvwRemote->model()->row(r);
    if (row.text.isEmpty())
        return RowKind::Blank;
    if (row.kind == EntryKind::Parent)
        return RowKind::Parent;
    return isFolderLike(row.kind) ? RowKind::Folder : RowKind::File;
}

void RemotePane::DoRemoteRefresh(const QString &path)
{
    if (!ctx.connected())
        return;
    SetFtpProperties(ctx.session, ctx.globals);
    cmbRemoteDir->setEditText(path);
    QString dir = path;
    if (!ListRemoteDir(dir))
        cmbRemoteDir->setEditText(shown);
}

void RemotePane::enterOnServer(const QString &path)
{
    if (withSlash(ctx.session.CurrentDirectory()) != path)
        ctx.session.setCurrentDirectory(path);
}

bool RemotePane::returnToShownDirectory()
{
    if (shown.isEmpty())
        return true;
    try {
        enterOnServer(withSlash(shown));
        return true;
    } catch (const RemoteError &error) {
        ReportFtpFailure(ctx, error);
        return false;
    }
}

bool RemotePane::ListRemoteDir(QString &path)
{
    NormalizePath(path, true);
    try {
        enterOnServer(path);
    } catch (const RemoteError &error) {
        // Rows are only ever shown under a directory the server entered: the
        // pane keeps the listing it had.
        ReportFtpFailure(ctx, error);
        return false;
    }
    listEntered(path);
    return true;
}

void RemotePane::listEntered(const QString &requested)
{
    // Tags are built on the directory as the server confirmed it; a server
    // whose answer to PWD could not be used leaves the one asked for.
    const QString confirmed = ctx.session.CurrentDirectory();
    const QString dir = confirmed.isEmpty() ? requested : confirmed;
    listingError = 0;
    try {
        ctx.session.setTransferSetting(RemoteTransferSetting::Binary);
        ctx.session.ListDirectory();
    } catch (const RemoteError &error) {
        listingError = error.number;
        ReportFtpFailure(ctx, error);
        // A lost session has already emptied the pane.
        if (!ctx.connected())
            return;
    }
    fillFromListing(withSlash(dir));
    showDirectory(dir);
}

void RemotePane::showDirectory(const QString &dir)
{
    shown = dir;
    ctx.globals.gRemoteDir = dir;
    cmbRemoteDir->setEditText(dir);
}

void RemotePane::fillFromListing(const QString &dir)
{
    RemoteRows rows = BuildRemoteRows(ctx.session.ListingEntries(), dir);
    FillInSortOrder(*lvwRemote->model(), std::move(rows.sortedPart), std::move(rows.appended));
    lvwRemote->clearSelection();
    ctx.availability.refresh();
    Q_EMIT listed(ctx.session.ListingEntries());
}

void RemotePane::clearRows()
{
    lvwRemote->model()->clear();
    ctx.availability.refresh();
}

void RemotePane::clearDirectoryBox()
{
    cmbRemoteDir->setEditText(QString());
    shown.clear();
}

void RemotePane::ChangeRemoteDir(const QString &path)
{
    try {
        SetFtpProperties(ctx.session, ctx.globals);
        // A name is relative to the directory on show.
        if (!path.startsWith(QLatin1Char('/')) && !returnToShownDirectory())
            return;
        ctx.session.setCurrentDirectory(path);
    } catch (const RemoteError &error) {
        // A refusal keeps the session, the pane and the box; only a lost
        // connection ends the session.
        ReportFtpFailure(ctx, error);
        return;
    }
    listEntered(path);
}

void RemotePane::RemoteParentDir()
{
    if (ctx.session.IsBusy() || !returnToShownDirectory())
        return;
    try {
        ctx.session.ParentDirectory();
    } catch (const RemoteError &error) {
        ReportFtpFailure(ctx, error);
        return;
    }
    listEntered(ctx.session.CurrentDirectory());
}

void RemotePane::ProbeRemoteLink(int row)
{
    FileListModel *model = lvwRemote->model();
    if (row < 0 || row >= model->rowCount())
        return;
    SetFtpProperties(ctx.session, ctx.globals);
    if (!returnToShownDirectory())
        return;
    try {
        ctx.session.setCurrentDirectory(model->row(row).text);
    } catch (const RemoteError &error) {
        if (!ctx.connected()) {
            ReportFtpFailure(ctx, error);
            return;
        }
        model->setKind(row, EntryKind::File);
        ctx.log.append(RemoteTexts::description(error) + QStringLiteral("\r\n"));
        ctx.availability.refresh();
        return;
    }
    model->setKind(row, EntryKind::FolderLink);
    ctx.availability.refresh();
    // The listing is not reloaded: back to the directory on show.
    returnToShownDirectory();
}

bool RemotePane::openFolderRow(int r, bool probeLink)
{
    const FileRow row = lvwRemote->model()->row(r);
    if (row.kind == EntryKind::Parent)
        RemoteParentDir();
    else if (row.kind == EntryKind::Folder)
        ChangeRemoteDir(row.text);
    else if (row.kind == EntryKind::FolderLink)
        ChangeRemoteDir(row.tag);
    else if (row.kind == EntryKind::Link && probeLink)
        ProbeRemoteLink(r);
    else
        return false;
    return true;
}

void RemotePane::OpenParentFolder()
{
    if (!ctx.ready())
        return;
    RemoteParentDir();
    RememberRemoteDir();
}

void RemotePane::RememberRemoteDir()
{
    if (!ctx.connected() || shown.isEmpty())
        return;
    if (!RemoteDirInHistory(shown))
        cmbRemoteDir->addItem(shown);
    cmbRemoteDir->setEditText(shown);
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
    if (!ctx.ready())
        return;
    SortByName(*lvwRemote->model());
}

void RemotePane::RefreshRemote()
{
    DoRemoteRefresh(shown.isEmpty() ? ctx.session.CurrentDirectory() : shown);
}

void RemotePane::openTypedDirectory()
{
    if (!ctx.connected()) {
        cmbRemoteDir->setEditText(shown);
        return;
    }
    SetFtpProperties(ctx.session, ctx.globals);
    // The text as typed first: a folder may be called "photos [2019]" or end
    // in a blank. Only a text the server refuses is tried again without its
    // bracketed part and outer blanks.
    const QString typed = cmbRemoteDir->currentText();
    QString path = typed;
    NormalizePath(path, true);
    QString cut = typed;
    NormalizeTypedPath(cut, true);
    try {
        enterOnServer(path);
    } catch (const RemoteError &error) {
        if (cut == path || !ctx.connected() || !tryEnter(cut)) {
            ReportFtpFailure(ctx, error);
            cmbRemoteDir->setEditText(shown);
            return;
        }
        path = cut;
    }
    listEntered(path);
}

bool RemotePane::tryEnter(const QString &path)
{
    try {
        enterOnServer(path);
        return true;
    } catch (const RemoteError &) {
        return false;
    }
}

void RemotePane::openSelectedRow(bool byEnter)
{
    if (!ctx.ready())
        return;
    const int r = lvwRemote->selectedRow();
    if (r < 0)
        return;
    // A double-click downloads a file or an unprobed link; Enter probes the
    // link and opens no file.
    if (!openFolderRow(r, byEnter) && !byEnter)
        Q_EMIT downloadRequested(shown);
    RememberRemoteDir();
}

void RemotePane::onMouseReleased(Qt::MouseButton button, const QPoint &globalPos)
{
    if (button != Qt::RightButton || !ctx.ready() || ctx.gate.busy())
        return;
    ctx.availability.refresh();
    ctx.commands.editMenu->setDefaultAction(ctx.commands.mnuUpDown);
    ctx.commands.editMenu->popup(globalPos);
}

void RemotePane::onHeaderClicked(int section)
{
    if (lvwRemote->model()->rowCount() < 2 || !ctx.ready())
        return;
    SortByHeader(*lvwRemote->model(), section);
}

void RemotePane::onGotFocus()
{
    ctx.state.RemoteHasFocus = true;
    ctx.state.LocalHasFocus = false;
    ctx.state.QueueHasFocus = false;
    ShowPaneCaptionActive(fraRemote, true);
    ctx.availability.paneActivated(Pane::Remote);
}

void RemotePane::onLostFocus()
{
    ctx.state.RemoteHasFocus = false;
    ShowPaneCaptionActive(fraRemote, false);
    ctx.availability.refresh();
}
