#pragma once

#include "transfer/TransferItem.h"

#include <QString>

struct TransferContext;

// The decisions every download and upload item shares.
namespace TransferDecisions {
// The answers about existing targets one batch has been given.
struct BatchAnswers
{
    ConflictAnswer last;   // of the last conflict dialog
    bool skipping = false; // the item in hand is not transferred
};

// The end of an item: a cancel with "全部" checked skips the rest of the
// batch; any other answer is for this item only.
void EndTransferItem(BatchAnswers &answers);

// Settles what happens to the item's existing target: the answer that stands
// for the batch, or else (and always when `mustAsk`) the user's, asked with
// frmTransfer (and frmRename when rename is chosen). Sets the item's
// overwrite and rename, and whether it is skipped.
void SettleConflict(TransferContext &tc, TransferItem &item, BatchAnswers &answers,
                    bool mustAsk = false);

// With "全部" checked and an answer other than rename, later conflicts of the
// batch are not asked again.
bool answerStands(const BatchAnswers &answers);

// The start and the end every batch shares: the folder boxes
// (EnableDirCombos), the marks, the progress display and the drop
// highlights.
void beginBatch(TransferContext &tc);
void endBatch(TransferContext &tc, bool uploaded);

// Whether a failed item ends the batch: a stop, or a session that is gone.
bool endsBatch(const TransferContext &tc, int number);

// The pattern of a whole-folder copy: the folder, a separator and "*", in
// double quotes when the folder's path holds a blank.
QString folderPattern(const QString &folder, QChar separator);
} // namespace TransferDecisions
