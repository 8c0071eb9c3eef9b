#pragma once

#include "transfer/TransferDecisions.h"

#include <QString>

struct ChosenRow;
struct RemoteError;
struct TransferContext;

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
    void DownloadOneFile(QString &localDir, const ChosenRow &row);
    void DownloadFolder(QString &localDir, const ChosenRow &row);
    static TransferItem itemOf(QString &localDir, const ChosenRow &row);
    static void ReadLocalSize(TransferItem &item);
    // The item's transfer failed: cleared panels, an "错误" row, the reason in
    // the log; a stop or a lost session ends the batch.
    void failItem(const TransferItem &item, qint64 size, const RemoteError &error);

    TransferContext &tc;
    TransferDecisions::BatchAnswers answers;
    bool batchEnded = false;
};
