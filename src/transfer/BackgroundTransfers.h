#pragma once

#include "queue/QueueItem.h"
#include "queue/TransferQueue.h"

#include <QObject>
#include <QSet>
#include <map>
#include <memory>

class QTreeView;
class QueueStore;
class QueueModel;
class SettingsStore;
struct TransferContext;

// Downloads and uploads with "后台传输" on: a command's collected items go
// to the transfer queue and the command ends at once; the panes, the folder
// boxes and the file commands stay with the browsing session, which never
// carries a queued transfer. lvwQueue shows the waiting and running items;
// each finished one becomes a record row of lvwStatus, as a foreground
// transfer leaves it. An item asks about an existing target when it is
// about to start; "全部" stands for the rest of the items of its command.
class BackgroundTransfers : public QObject
{
    Q_OBJECT
public:
    // Before the session's question is set for good (it listens to the
    // certificates the user accepts).
    BackgroundTransfers(TransferContext &context, SettingsStore &settings, QTreeView *lvwQueue,
                        QObject *parent = nullptr);
    ~BackgroundTransfers() override;

    // Reads the options again: whether commands come here, how many at once,
    // and the speed limits, which the browsing session's own transfers
    // share with the queue's and which apply to running transfers too.
    void readOptions();
    bool enabled() const { return background; }

    // The collected items into `target`. False with "后台传输" off: the
    // command is then the foreground one.
    bool takeDownload(const QString &target);
    bool takeUpload(const QString &target);

    // 停止操作: every running item stops, and can be started again.
    void stopAll();
    // Delete on lvwQueue: the chosen waiting and stopped items go.
    void removeChosen();
    // Enter or a double-click on lvwQueue: the chosen stopped items go on.
    void restartChosen();

    TransferQueue &queue() { return transferQueue; }

    // At start: the transfers stored at the last exit, offered with
    // "继续上次未完成的传输?"; taken, they go on once the user has logged in
    // to their server. Stored ones are forgotten either way.
    void offerStored(QueueStore &store);
    // At exit: what has not arrived is stored.
    void keep(QueueStore &store);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    // lvwQueue was shown or hidden: the status frame is laid out anew.
    void visibilityChanged();

private:
    std::shared_ptr<const QueueSite> currentSite();
    bool beforeStart(QueueItem &item);
    void record(const QueueItem &item, int error, const QString &description);
    QList<int> chosenIds() const;
    void showWhenBusy();

    // What a command's "全部" answered, for the rest of its items.
    struct StandingAnswer
    {
        bool overwrite = false;
        bool cancelled = false;
    };

    TransferContext &tc;
    SettingsStore &settings;
    QTreeView *lvwQueue;
    TransferQueue transferQueue;
    QueueModel *model;
    std::shared_ptr<const QueueSite> site;
    RemoteRateLimits rateLimits;
    QStringList acceptedCertificates;
    std::map<int, StandingAnswer> standing;
    int nextBatch = 1;
    bool background = false;
};
