#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

// frmRename: a new name for the existing target of a transfer, so the
// transfer can write a fresh file under the item's own name.
//
// OK hands the name to `rename`, which returns false when it could not be
// done (the failure is logged by it): the dialog then stays open for
// another name. A name the pane already shows closes the dialog with
// Taken, so the conflict is asked again.
class RenameDialog : public QDialog
{
    Q_OBJECT
public:
    enum Outcome
    {
        Renamed,
        Taken,
        Cancelled
    };
    struct Target
    {
        QString name;                                     // the existing target's name
        std::function<bool(const QString &)> shownInPane; // a row of that name is listed
        std::function<bool(const QString &)> rename;      // renames the target to that name
    };

    explicit RenameDialog(Target target, QWidget *parent = nullptr);
    Outcome outcome() const { return result; }

private:
    void cmdOK_Click();

    Target target;
    QLineEdit *txtRename;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    Outcome result = Cancelled;
};
