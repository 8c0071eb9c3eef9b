#pragma once

#include <QString>

struct Globals;
struct TransferContext;

// The decisions every download and upload item shares.
namespace TransferDecisions {
// The end of an item: a cancel with "全部" checked skips the rest of the
// batch; any other answer is for this item only.
void EndTransferItem(Globals &g);

// Asks what to do with an existing target (frmTransfer, and frmRename when
// rename is chosen), until an answer stands. The answer is in the globals.
void AskConflict(TransferContext &tc);

// With "全部" checked and an answer other than rename, later conflicts of the
// batch are not asked again.
bool answerStands(const Globals &g);

// The start and the end every batch shares: TransferBusy, the folder boxes
// (EnableDirCombos), the answer kept for the batch, the marks, the progress
// display and the drop highlights.
void beginBatch(TransferContext &tc);
void endBatch(TransferContext &tc, bool uploaded);

// Whether a failed item ends the batch: a stop, or a session that is gone.
bool endsBatch(const TransferContext &tc, int number);

// The pattern of a whole-folder copy: the folder, a separator and "*", in
// double quotes when the folder's path holds a blank.
QString folderPattern(const QString &folder, QChar separator);
} // namespace TransferDecisions
