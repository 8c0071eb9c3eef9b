#include "compare/PaneComparison.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/RemotePane.h"
#include "remote/RemoteCodes.h"
#include "window/WindowContext.h"

#include <QFileInfo>
#include <QTimer>

namespace {

CompareEntry::Kind kindOfRow(EntryKind kind)
{
    if (isFolderLike(kind))
        return CompareEntry::Kind::Folder;
    if (kind == EntryKind::Link)
        return CompareEntry::Kind::Other;
    return CompareEntry::Kind::File;
}

CompareEntry::Kind kindOf(RemoteEntryKind kind)
{
    switch (kind) {
    case RemoteEntryKind::Folder:
    case RemoteEntryKind::LinkToFolder:
        return CompareEntry::Kind::Folder;
    case RemoteEntryKind::File:
        return CompareEntry::Kind::File;
    case RemoteEntryKind::Link:
    case RemoteEntryKind::Special:
        break;
    }
    return CompareEntry::Kind::Other;
}

// MLSD and SFTP give points in time (UTC); the lines of LIST give the
// server's clock without its zone.
bool givesPointsInTime(int format)
{
    return format == RemoteListingFormat::Mlsd || format == RemoteListingFormat::Sftp;
}

} // namespace

PaneComparison::PaneComparison(WindowContext &context, LocalPane &local, RemotePane &remote,
                               FileListView *lvwLocal, FileListView *lvwRemote, QObject *parent)
    : QObject(parent), ctx(context), remotePane(remote), lvwLocal(lvwLocal), lvwRemote(lvwRemote),
      pending(new QTimer(this))
{
    pending->setSingleShot(true);
    pending->setInterval(0);
    connect(pending, &QTimer::timeout, this, &PaneComparison::update);
    connect(&local, &LocalPane::folderListed, this, &PaneComparison::schedule);
    connect(&remote, &RemotePane::listed, this, [this](const RemoteListing &listing) {
        listedEntries.clear();
        listedEntries.reserve(listing.entries.size());
        for (const RemoteEntry &entry : listing.entries)
            listedEntries.insert(entry.name, entry);
        listedFormat = listing.format;
        schedule();
    });
    watch(lvwLocal);
    watch(lvwRemote);
}

void PaneComparison::watch(FileListView *pane)
{
    FileListModel *model = pane->model();
    connect(model, &FileListModel::rowsReplaced, this, &PaneComparison::schedule);
    connect(model, &QAbstractItemModel::rowsInserted, this, &PaneComparison::schedule);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &PaneComparison::schedule);
    // A renamed row; the marks' own changes carry no edit role.
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles.contains(Qt::EditRole))
                    schedule();
            });
}

void PaneComparison::setOn(bool enabled)
{
    on = enabled;
    update();
    ctx.availability.comparisonChosen(on, hideIdentical);
}

void PaneComparison::setHideIdentical(bool hide)
{
    hideIdentical = hide;
    update();
    ctx.availability.comparisonChosen(on, hideIdentical);
}

void PaneComparison::schedule()
{
    if (on)
        pending->start();
}

void PaneComparison::update()
{
    pending->stop();
    // Nothing to hold the local folder against without a remote one.
    if (!on || !ctx.connected() || remotePane.shownDirectory().isEmpty()) {
        clear(lvwLocal);
        clear(lvwRemote);
        return;
    }
    const DirectoryComparison::Marks marks =
        DirectoryComparison().compare(localEntries(), remoteEntries());
    apply(lvwLocal, marks.left, false);
    apply(lvwRemote, marks.right, true);
}

QVector<CompareEntry> PaneComparison::localEntries() const
{
    QVector<CompareEntry> entries;
    const QVector<FileRow> &rows = lvwLocal->model()->rows();
    entries.reserve(rows.size());
    for (const FileRow &row : rows) {
        if (row.kind == EntryKind::Parent || row.tag.isEmpty())
            continue;
        const QFileInfo info(row.tag);
        CompareEntry entry;
        entry.name = row.text;
        entry.kind = kindOfRow(row.kind);
        if (entry.kind == CompareEntry::Kind::File && info.exists()) {
            entry.size = info.size();
            entry.time = info.lastModified().toUTC();
        }
        entries.append(entry);
    }
    return entries;
}

QVector<CompareEntry> PaneComparison::remoteEntries() const
{
    QVector<CompareEntry> entries;
    const QVector<FileRow> &rows = lvwRemote->model()->rows();
    entries.reserve(rows.size());
    for (const FileRow &row : rows)
        if (row.kind != EntryKind::Parent)
            entries.append(remoteEntryOf(row.text, row.kind));
    return entries;
}

// A row the listing had is taken as the server described it; one added
// since (a new folder, a renamed entry) by its kind alone.
CompareEntry PaneComparison::remoteEntryOf(const QString &name, EntryKind rowKind) const
{
    CompareEntry entry;
    entry.name = name;
    const auto listed = listedEntries.constFind(name);
    if (listed == listedEntries.cend()) {
        entry.kind = kindOfRow(rowKind);
        return entry;
    }
    entry.kind = kindOf(listed->kind);
    entry.size = listed->size;
    entry.time = listed->time;
    entry.wallClock = !givesPointsInTime(listedFormat);
    // The listings of FTP, MLSD's too, are read to the minute.
    if (!listed->timeOfDay)
        entry.precision = CompareEntry::Precision::Day;
    else if (listedFormat != RemoteListingFormat::Sftp)
        entry.precision = CompareEntry::Precision::Minute;
    return entry;
}

void PaneComparison::apply(FileListView *pane, const QHash<QString, CompareMark> &marks,
                           bool remote)
{
    QHash<QString, RowMark> looks;
    for (auto it = marks.cbegin(); it != marks.cend(); ++it)
        if (it.value() != CompareMark::Same)
            looks.insert(it.key(), lookOf(it.value(), remote));
    FileListModel *model = pane->model();
    model->setRowMarks(std::move(looks));
    // Folders stay: what is inside them may differ all the same.
    const QVector<FileRow> &rows = model->rows();
    for (int r = 0; r < rows.size(); ++r) {
        const FileRow &row = rows.at(r);
        const bool hide = hideIdentical && row.kind != EntryKind::Parent &&
                          !isFolderLike(row.kind) &&
                          marks.value(row.text, CompareMark::OnlyHere) == CompareMark::Same;
        if (hide && pane->isRowSelected(r))
            pane->setRowSelected(r, false);
        pane->setRowHidden(r, hide);
    }
}

void PaneComparison::clear(FileListView *pane)
{
    pane->model()->setRowMarks({});
    for (int r = 0; r < pane->model()->rowCount(); ++r)
        pane->setRowHidden(r, false);
}

RowMark PaneComparison::lookOf(CompareMark mark, bool remote)
{
    switch (mark) {
    case CompareMark::Same:
        break;
    case CompareMark::OnlyHere:
        return {QColor(0xcf, 0xe3, 0xff),
                remote ? QStringLiteral("＋ 仅服务器") : QStringLiteral("＋ 仅本地")};
    case CompareMark::KindDiffers:
        return {QColor(0xea, 0xd7, 0xff), QStringLiteral("◆ 类型不同")};
    case CompareMark::SizeDiffers:
        return {QColor(0xff, 0xd0, 0xd0), QStringLiteral("≠ 大小不同")};
    case CompareMark::Newer:
        return {QColor(0xd4, 0xf2, 0xc8), QStringLiteral("▲ 较新")};
    case CompareMark::Older:
        return {QColor(0xff, 0xf0, 0xbf), QStringLiteral("▼ 较旧")};
    }
    return {};
}
