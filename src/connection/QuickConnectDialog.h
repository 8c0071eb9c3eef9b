#pragma once

#include "connection/QuickConnectHistory.h"

#include <QDialog>
#include <QList>

struct RemoteUrl;
struct Globals;
class Prompts;
class QComboBox;
class QLineEdit;
class QPushButton;

// Quick connect "快速连接" (object name frmConnect): a server typed for one
// connection. With a history (useHistory), the address box's drop-down
// offers the servers confirmed before, the newest already filled in, and a
// confirmed server joins them; a password never does.
//
// Result (the only output): when the user presses OK and the address and
// port pass their checks, the dialog writes gHost, gUser, gPassword, gPort
// (21, or 990 for implicit TLS, when none is typed), gTimeout (30), gPassive
// (true), gEncoding (自动), gEncryption (the choice in cobEncryption, TLS
// when the server offers it unless changed), gProtocol (cobProtocol; an
// address typed as "sftp://host:port" chooses SFTP and its port) and
// gKeyFile (none: SFTP logs in with the agent's keys or the password),
// sets gDialogCancelled to false and closes with accept(). An empty user name logs in as
// "anonymous" with AnonymousPassword, whatever the password box holds. A failed check keeps the
// dialog open; Cancel, Escape and the close box reject it. In those cases no global is touched (see
// SiteManagerDialog).
class QuickConnectDialog : public QDialog
{
    Q_OBJECT

public:
    static inline const QString AnonymousPassword = QStringLiteral("korvu@korvu.example.com");

    QuickConnectDialog(Globals &globals, Prompts &prompts, QWidget *parent = nullptr);

    // Fills the boxes from a link the desktop handed over: address, user
    // (empty for "anonymous", so the anonymous rule above applies), port
    // (empty when it is the default) and implicit TLS for ftps://. A password
    // in the link is not taken: links are kept in histories and shown to
    // others, so the password is typed here, where the focus waits for it.
    void fillFrom(const RemoteUrl &url);

    // Offers the servers of `history` in the address box's list and fills in
    // the newest; a confirmed server is remembered there.
    void useHistory(QuickConnectHistory &history);

private:
    void buildControls();
    void confirm();
    // Fills the boxes from the history's entry at `index`; the password
    // box is emptied.
    void pickServer(int index);

    Globals &globals;
    Prompts &prompts;

    QComboBox *cmbIP = nullptr;
    QLineEdit *txtIP = nullptr; // cmbIP's text
    QLineEdit *txtUser = nullptr;
    QLineEdit *txtPass = nullptr;
    QLineEdit *txtPort = nullptr;
    QComboBox *cobEncryption = nullptr;
    QComboBox *cobProtocol = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QuickConnectHistory *history = nullptr;
    QList<QuickConnectHistory::Server> servers; // cmbIP's list
};
