#pragma once

#include "transfer/TransferDecisions.h"

#include <QString>
#include <optional>

struct ChosenRow;
struct RemoteError;
struct TransferContext;

// Copies the items of the transfer list from the local disk into one remote
// folder: files with UploadFile, resuming where asked; folders whole with
// UploadMany into a remote folder of the same name. The remote pane shows the
// target folder, so an existing target is seen in its rows; the conflict
// dialog asks first. Every item processed leaves its row in the queue.
class UploadBatch
{
public:
    explicit UploadBatch(TransferContext &context) : tc(context) {}

    // `remoteDir` is given its trailing "/" in place.
    void UploadSelection(QString &remoteDir);

private:
    void UploadOneFile(const QString &remoteDir, const ChosenRow &row);
    void UploadFolder(const QString &remoteDir, const ChosenRow &row);
    static TransferItem itemOf(const QString &remoteDir, const ChosenRow &row);
    // The remote pane's row of exactly `name`: whether it is listed, and
    // its size when the server gave one.
    struct RemoteEntry
    {
        bool listed = false;
        std::optional<qint64> size;
    };
    RemoteEntry RemoteItem(const QString &name) const;
    // Records the item: "上传", or "上传被拒绝" with the reason in the log; a
    // stop or a lost session ends the batch.
    void recordItem(const QString &local, qint64 size, const QString &remote,
                    const RemoteError *failure);

    TransferContext &tc;
    TransferDecisions::BatchAnswers answers;
    bool batchEnded = false;
};
