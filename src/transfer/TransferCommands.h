#pragma once

#include "transfer/DownloadBatch.h"
#include "transfer/UploadBatch.h"

#include <QObject>

class BackgroundTransfers;
struct TransferContext;

// The transfer commands: the toolbar's "下载" and "上传" (and the up/down
// menu item standing for them), the double-click on a remote file, and the
// batches a drop starts.
class TransferCommands : public QObject
{
    Q_OBJECT
public:
    explicit TransferCommands(TransferContext &context, QObject *parent = nullptr);

    // "下载": the focused remote row into the local folder on show.
    void DownloadCommand();
    // "上传": the focused local row into the remote folder on show.
    void UploadCommand();
    // The transfer list as collected, into `target`.
    void download(QString target);
    void upload(QString target);
    // The parent row is never an operand: it leaves the list unmarked.
    void dropParentRows(bool local);
    // With "后台传输" on, the collected items go to the transfer queue.
    void setBackground(BackgroundTransfers *queue) { background = queue; }

private:
    void downloadRow(const QString &dir);

    TransferContext &tc;
    DownloadBatch downloads;
    UploadBatch uploads;
    BackgroundTransfers *background = nullptr;
};
