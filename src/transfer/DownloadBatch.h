#pragma once

#include <QString>

struct RemoteError;
struct TransferContext;
struct TransferItem;

// Copies the items of the transfer list from the server into one local
// folder: files with DownloadFile, resuming where asked; folders and links
// whole with DownloadMany into a local folder of the same name. An existing
// target asks the conflict dialog first. Every item processed leaves its row
// in the queue; at the end the local pane lists the target folder.
class DownloadBatch
{
public:
    explicit DownloadBatch(TransferContext &context) : tc(context) {}

    // `localDir` is given its trailing separator in place.
    void DownloadSelection(QString &localDir);

private:
    void DownloadOneFile(QString &localDir, const TransferItem &item);
    void DownloadFolder(QString &localDir, const TransferItem &item);
    void setItemGlobals(QString &localDir, const TransferItem &item);
    void ReadLocalSize();
    // The item's transfer failed: cleared panels, an "错误" row, the reason in
    // the log; a stop or a lost session ends the batch.
    void failItem(const QString &localDir, const TransferItem &item, qint64 size,
                  const RemoteError &error);

    TransferContext &tc;
    bool batchEnded = false;
};
