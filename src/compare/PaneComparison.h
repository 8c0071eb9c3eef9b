#pragma once

#include "compare/DirectoryComparison.h"
#include "panes/FileListModel.h"
#include "remote/RemoteEntry.h"

#include <QHash>
#include <QObject>

class FileListView;
class LocalPane;
class QTimer;
class RemotePane;
class WindowContext;

// 视图 → 目录比较: while on, the two file panes show how their folders
// differ (DirectoryComparison), each row marked with a colour and a word;
// identical files may be hidden. It follows every change of either pane (a
// new folder, a refill, a rename, a sort) until it is switched off.
class PaneComparison : public QObject
{
    Q_OBJECT
public:
    PaneComparison(WindowContext &context, LocalPane &local, RemotePane &remote,
                   FileListView *lvwLocal, FileListView *lvwRemote, QObject *parent = nullptr);

    bool isOn() const { return on; }
    bool hidesIdentical() const { return hideIdentical; }
    void setOn(bool enabled);
    void setHideIdentical(bool hide);

    // Marks the panes as they are now; changes are otherwise taken together
    // once the window is idle again.
    void update();

    // What a mark looks like on either side.
    static RowMark lookOf(CompareMark mark, bool remote);

private:
    void schedule();
    void watch(FileListView *pane);
    QVector<CompareEntry> localEntries() const;
    QVector<CompareEntry> remoteEntries() const;
    CompareEntry remoteEntryOf(const QString &name, EntryKind rowKind) const;
    void apply(FileListView *pane, const QHash<QString, CompareMark> &marks, bool remote);
    void clear(FileListView *pane);

    WindowContext &ctx;
    RemotePane &remotePane;
    FileListView *lvwLocal;
    FileListView *lvwRemote;
    QTimer *pending;
    bool on = false;
    bool hideIdentical = false;
    // The remote folder as last listed: what its rows cannot tell.
    QHash<QString, RemoteEntry> listedEntries;
    int listedFormat = 2;
};
