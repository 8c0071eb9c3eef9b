#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
struct Globals;

// frmTransfer: the target of a download or upload item exists. Tells which
// file would overwrite which, with both sizes, and takes the answer:
// overwrite, rename the existing target, resume, or cancel, and "全部" to
// keep the answer for the rest of the batch.
//
// Result (only through the globals): gDialogCancelled (true until a button
// other than cancel is chosen, so the close box cancels), gXferOverwrite,
// gXferRename (rename was chosen: the caller asks for the new name) and
// gXferApplyAll.
class ConflictDialog : public QDialog
{
    Q_OBJECT
public:
    ConflictDialog(Globals &globals, QWidget *parent = nullptr);

private:
    void Form_Load();
    void cmdTransfer_Click();
    void cmdResume_Click();
    void cmdCancel_Click();
    void cmdRename_Click();

    Globals &g;
    QLabel *lblMessage;
    QPushButton *cmdTransfer;
    QPushButton *cmdRename;
    QPushButton *cmdResume;
    QPushButton *cmdCancel;
    QCheckBox *chkSelectedAll;
};
