#pragma once

#include "transfer/TransferItem.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// frmTransfer: the target of a download or upload item exists. Tells which
// file would overwrite which, with both sizes, and takes the answer:
// overwrite, rename the existing target, resume, or cancel, and "全部" to
// keep the answer for the rest of the batch.
//
// The answer (answer()) is cancel until a button other than cancel is
// chosen, so the close box cancels; rename means the caller asks for the new
// name.
class ConflictDialog : public QDialog
{
    Q_OBJECT
public:
    // `restartSupported`: the server resumes downloads.
    ConflictDialog(const TransferItem &item, bool restartSupported, QWidget *parent = nullptr);

    ConflictAnswer answer() const { return chosen; }
    // 更名 cannot be offered where the old file cannot be renamed first
    // (the background queue: the panes and the browsing session belong to
    // the user meanwhile).
    void withoutRename();

private:
    void Form_Load(const TransferItem &item, bool restartSupported);
    void choose(ConflictAnswer::Choice choice);

    ConflictAnswer chosen;
    QLabel *lblMessage;
    QPushButton *cmdTransfer;
    QPushButton *cmdRename;
    QPushButton *cmdResume;
    QPushButton *cmdCancel;
    QCheckBox *chkSelectedAll;
};
