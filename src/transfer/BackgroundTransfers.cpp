#include "transfer/BackgroundTransfers.h"

#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/PathRules.h"
#include "panes/RemotePane.h"
#include "platform/Globals.h"
#include "platform/Prompts.h"
#include "platform/SessionLog.h"
#include "queue/QueueModel.h"
#include "queue/QueueStore.h"
#include "remote/RateLimit.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "transfer/ConflictDialog.h"
#include "transfer/QueueList.h"
#include "transfer/QueueOptions.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferList.h"
#include "transfer/VerifiedOutcome.h"
#include "window/HelpLauncher.h"
#include "window/WindowContext.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTreeView>

BackgroundTransfers::BackgroundTransfers(TransferContext &context, SettingsStore &settings,
                                         QTreeView *lvwQueue, QObject *parent)
    : QObject(parent), tc(context), settings(settings), lvwQueue(lvwQueue),
      model(new QueueModel(transferQueue, this))
{
    lvwQueue->setModel(model);
    lvwQueue->setRootIsDecorated(false);
    lvwQueue->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwQueue->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwQueue->header()->setStretchLastSection(false);
    lvwQueue->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lvwQueue->hide();
    connect(lvwQueue, &QTreeView::doubleClicked, this, &BackgroundTransfers::restartChosen);
    lvwQueue->installEventFilter(this);

    transferQueue.setBeforeStart([this](QueueItem &item) { return beforeStart(item); });
    connect(&transferQueue, &TransferQueue::itemFinished, this, &BackgroundTransfers::record);
    connect(&transferQueue, &TransferQueue::itemAdded, this, &BackgroundTransfers::showWhenBusy);
    connect(&transferQueue, &TransferQueue::itemRemoved, this, &BackgroundTransfers::showWhenBusy);

    // One download and one upload limit for every transfer of the program.
    RemoteSession &session = tc.window.session;
    rateLimits = {std::make_shared<RateLimit>(), std::make_shared<RateLimit>()};
    session.setRateLimits(rateLimits);
    transferQueue.setRateLimits(rateLimits);
    // The queue's connections trust what the user trusted for this one.
    session.setQuestion([this, asked = session.question()](const RemoteQuestion &question) {
        RemoteAnswer answer = asked ? asked(question) : RemoteAnswer{};
        const auto *certificate = std::get_if<RemoteCertificate>(&question);
        if (certificate && answer.trust != RemoteTrust::Refuse)
            acceptedCertificates.append(certificate->fingerprint);
        return answer;
    });
    connect(&session, &RemoteSession::StateChangedEvent, this, [this] {
        if (tc.window.connected())
            transferQueue.adoptLogin(currentSite());
    });
    readOptions();
}

void BackgroundTransfers::offerStored(QueueStore &store)
{
    if (store.isEmpty())
        return;
    const QVector<QueueItem> stored = store.load();
    store.clear();
    if (tc.window.prompts.messageBox(QStringLiteral("继续上次未完成的传输?"),
                                     Prompts::Buttons::YesNo, Prompts::Icon::Question,
                                     QStringLiteral("Korvu")) != Prompts::Answer::Yes)
        return;
    for (QueueItem item : stored) {
        item.awaitingLogin = true;
        item.batch = nextBatch;
        transferQueue.add(std::move(item));
    }
    ++nextBatch;
    if (tc.window.connected())
        transferQueue.adoptLogin(currentSite());
}

void BackgroundTransfers::keep(QueueStore &store)
{
    if (!store.save(transferQueue.items()))
        tc.window.log.append(QStringLiteral("无法保存未完成的传输\r\n"));
}

BackgroundTransfers::~BackgroundTransfers() = default;

bool BackgroundTransfers::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lvwQueue && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete) {
            removeChosen();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            restartChosen();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void BackgroundTransfers::readOptions()
{
    const QueueOptions options = QueueOptions::read(settings);
    background = options.background;
    transferQueue.setLimit(options.parallel);
    rateLimits.download->setRate(qint64(options.downloadLimit) * 1024);
    rateLimits.upload->setRate(qint64(options.uploadLimit) * 1024);
}

std::shared_ptr<const QueueSite> BackgroundTransfers::currentSite()
{
    const RemoteSession &session = tc.window.session;
    const Globals &g = tc.window.globals;
    QueueSite now;
    now.protocol = session.Protocol();
    now.settings = session.settings();
    now.login = {g.gHost, g.gUser, g.gPassword, QString(), g.gPort};
    now.trustedCertificates = acceptedCertificates;
    // The same site keeps its connections from one command to the next.
    if (!site || !site->sameServer(now) || site->login.password != now.login.password ||
        site->trustedCertificates != now.trustedCertificates)
        site = std::make_shared<const QueueSite>(now);
    return site;
}

bool BackgroundTransfers::takeDownload(const QString &target)
{
    if (!background)
        return false;
    QString localDir = target;
    NormalizePath(localDir);
    const int batch = nextBatch++;
    const auto to = currentSite();
    for (const ChosenRow &chosen : tc.list.TransferItems()) {
        QString remoteDir = chosen.Dir;
        QueueItem item;
        item.folder = isFolderLike(chosen.Kind);
        item.remotePath = NormalizePath(remoteDir, true) + chosen.Name;
        item.localPath = localDir + chosen.Name;
        item.size = item.folder ? -1 : chosen.Size;
        item.batch = batch;
        item.site = to;
        transferQueue.add(std::move(item));
        tc.list.MarkRemoteRow(chosen.Index, false);
    }
    return true;
}

bool BackgroundTransfers::takeUpload(const QString &target)
{
    if (!background)
        return false;
    QString remoteDir = target;
    NormalizePath(remoteDir, true);
    QString shown = tc.remote.shownDirectory();
    // The remote pane's rows tell what is there only when it shows the target.
    const bool listed = NormalizePath(shown, true) == remoteDir;
    const int batch = nextBatch++;
    const auto to = currentSite();
    for (const ChosenRow &chosen : tc.list.TransferItems()) {
        QString localDir = chosen.Dir;
        QueueItem item;
        item.upload = true;
        item.folder = isFolderLike(chosen.Kind);
        item.localPath = NormalizePath(localDir) + chosen.Name;
        item.remotePath = remoteDir + chosen.Name;
        item.size = item.folder ? -1 : chosen.Size;
        item.batch = batch;
        item.site = to;
        if (listed)
            for (const FileRow &row : tc.lvwRemote->model()->rows())
                if (row.kind != EntryKind::Parent && row.text == chosen.Name) {
                    item.targetListed = true;
                    item.targetSize = row.size;
                }
        transferQueue.add(std::move(item));
        tc.list.MarkLocalRow(chosen.Index, false);
    }
    return true;
}

bool BackgroundTransfers::beforeStart(QueueItem &item)
{
    const QFileInfo local(item.localPath);
    // What the foreground asks about: a download onto a file with content
    // or any folder, an upload onto anything listed but an empty file.
    const bool conflict = item.upload
                              ? item.targetListed && (item.folder || item.targetSize != 0)
                              : (item.folder ? local.exists() : local.isFile() && local.size() > 0);
    if (!conflict)
        return true;
    const auto stands = standing.find(item.batch);
    StandingAnswer answer;
    if (stands != standing.end()) {
        answer = stands->second;
    } else {
        const QFileInfo remote(item.remotePath);
        TransferItem asked;
        asked.upload = item.upload;
        asked.localDir = local.absolutePath() + QLatin1Char('/');
        asked.localName = local.fileName();
        asked.remoteDir = remote.path() + QLatin1Char('/');
        asked.remoteName = remote.fileName();
        // A folder's sizes are not known: the dialog shows 0.
        asked.localSize = item.folder ? 0 : (item.upload ? item.size : local.size());
        asked.remoteSize = item.folder ? 0 : (item.upload ? item.targetSize : item.size);
        ConflictDialog dialog(asked, tc.window.globals.gRestartSupported, tc.window.window);
        HelpLauncher::setTopic(&dialog, QStringLiteral("transfer.html"));
        dialog.withoutRename();
        dialog.exec();
        const ConflictAnswer chosen = dialog.answer();
        answer.cancelled = chosen.choice == ConflictAnswer::Cancel;
        answer.overwrite = chosen.choice == ConflictAnswer::Overwrite;
        if (chosen.applyAll)
            standing[item.batch] = answer;
    }
    if (answer.cancelled)
        return false;
    // Resume goes on from what the target holds; a size it cannot know
    // (an upload's unlisted size) starts over.
    item.resume = !answer.overwrite && !(item.upload && item.targetSize < 0);
    return true;
}

void BackgroundTransfers::record(const QueueItem &item, int error, const QString &description)
{
    const QString &status = item.upload ? (error ? QueueList::UploadRefused : QueueList::Uploaded)
                                        : (error ? QueueList::Failed : QueueList::Downloaded);
    tc.queue.AddQueueRow(VerifiedOutcome(status, item.verified), item.localPath,
                         item.folder ? -1 : item.size,
                         item.upload ? QueueList::UploadDirection : QueueList::DownloadDirection,
                         item.remotePath, item.site->login.host);
    if (error && !description.isEmpty())
        tc.window.log.append(description + QStringLiteral("\r\n"));
    // The local pane shows what arrived, as after a foreground download;
    // the browsing session is not needed for it.
    QString shown = tc.local.shownDirectory();
    if (!item.upload && !shown.isEmpty() &&
        QFileInfo(item.localPath).absolutePath() + QLatin1Char('/') == NormalizePath(shown))
        tc.local.RefreshLocal();
}

void BackgroundTransfers::stopAll()
{
    transferQueue.stopAll();
}

QList<int> BackgroundTransfers::chosenIds() const
{
    QList<int> ids;
    for (const QModelIndex &index : lvwQueue->selectionModel()->selectedRows())
        ids.append(index.data(QueueModel::IdRole).toInt());
    return ids;
}

void BackgroundTransfers::removeChosen()
{
    for (int id : chosenIds())
        transferQueue.remove(id);
}

void BackgroundTransfers::restartChosen()
{
    for (int id : chosenIds())
        transferQueue.restart(id);
}

void BackgroundTransfers::showWhenBusy()
{
    const bool busy = !transferQueue.items().isEmpty();
    if (lvwQueue->isHidden() != busy)
        return;
    lvwQueue->setVisible(busy);
    Q_EMIT visibilityChanged();
}
