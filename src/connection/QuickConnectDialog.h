#pragma once

#include <QDialog>

struct Globals;
class Prompts;
class QLineEdit;
class QPushButton;

// Quick connect "快速连接" (object name frmConnect): a server typed for one
// connection; nothing is stored.
//
// Result (the only output): when the user presses OK and the address and
// port pass their checks, the dialog writes gHost, gUser, gPassword, gPort,
// gTimeout (30) and gPassive (true), sets gDialogCancelled to false and closes
// with accept(). An empty user name logs in as "anonymous" with
// AnonymousPassword, whatever the password box holds. A failed check keeps
// the dialog open; Cancel, Escape and the close box reject it. In those
// cases no global is touched (see SiteManagerDialog).
class QuickConnectDialog : public QDialog
{
    Q_OBJECT

public:
    static inline const QString AnonymousPassword = QStringLiteral("korvu@korvu.example.com");

    QuickConnectDialog(Globals &globals, Prompts &prompts, QWidget *parent = nullptr);

private:
    void buildControls();
    void confirm();

    Globals &globals;
    Prompts &prompts;

    QLineEdit *txtIP = nullptr;
    QLineEdit *txtUser = nullptr;
    QLineEdit *txtPass = nullptr;
    QLineEdit *txtPort = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
};
