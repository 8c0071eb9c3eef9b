#pragma once

#include "platform/SiteDatabase.h"

#include <QDialog>
#include <functional>
#include <memory>

struct Globals;
class Prompts;
class QCheckBox;
class QComboBox;
class QDataWidgetMapper;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QSqlTableModel;

// The site manager "站点管理器" (object name frmlogin): the saved sites of
// the site file, one of which the user edits, saves or connects to.
//
// The controls show the record selected in listSit through a QSqlTableModel
// and a QDataWidgetMapper with manual submit: only Save writes the controls
// back to the file, and selecting another site drops what was typed.
//
// Result (the only output): when the user presses Connect and the address,
// port and time-out pass their checks, the dialog writes gHost, gUser,
// gPassword, gPort, gTimeout, gPassive, gEncoding, gEncryption, gProtocol
// and gKeyFile from the controls (saved or not; Connect does not save; an
// empty port means 22 with SFTP, 990 with implicit TLS, 21 otherwise), sets gDialogCancelled to
// false and closes with accept(). A failed check keeps the dialog open; Close, Escape and the close
// box reject it. In those cases no global is touched, so the caller, which
// sets gDialogCancelled before showing the dialog, decides what a dialog that
// was not confirmed means, and a reconnect keeps using the values of the
// last confirmed dialog.
class SiteManagerDialog : public QDialog
{
    Q_OBJECT

public:
    // The password the anonymous check box fills in.
    static inline const QString AnonymousPassword = QStringLiteral("guest@korvu.example.com");

    // Opens the site file at `databasePath`, or the program's site file
    // (SiteDatabase::openProgramFile) when it is empty. A file that cannot be
    // opened is reported in a box; the dialog then shows an empty list.
    // `showHelp` opens the program's help (the help button).
    SiteManagerDialog(Globals &globals, Prompts &prompts, std::function<void()> showHelp,
                      const QString &databasePath = QString(), QWidget *parent = nullptr);
    ~SiteManagerDialog() override;

private:
    void buildControls();
    void loadSites(const QString &databasePath);
    void bindControls();
    void reportError(int number, const QString &description);
    bool writeChanges();
    void showSite(int row);
    void clearFields();
    bool hasSelection() const;

    void addSite();
    void deleteSite();
    void saveSite();
    void connectSite();
    void setPasswordMask(bool masked);
    // Enables what the protocol chosen uses: the FTP-only fields for FTP,
    // the key file for SFTP.
    void showProtocolFields();
    void chooseKeyFile();
    void fillAnonymous(bool anonymous);

    Globals &globals;
    Prompts &prompts;
    std::function<void()> showHelp;

    // Declared in this order so the mapper and model go before the
    // connection they use.
    SiteDatabase sites;
    std::unique_ptr<QSqlTableModel> model;
    std::unique_ptr<QDataWidgetMapper> mapper;

    QListView *listSit = nullptr;
    QLineEdit *txtFTP = nullptr;
    QLineEdit *txtPort = nullptr;
    QLineEdit *txtUser = nullptr;
    QLineEdit *txtPassword = nullptr;
    QComboBox *cobType = nullptr;
    QComboBox *cobCharset = nullptr;
    QComboBox *cobEncryption = nullptr;
    QComboBox *cobProtocol = nullptr;
    QLineEdit *txtKeyFile = nullptr;
    QPushButton *cmdKeyFile = nullptr;
    QWidget *keyFileRow = nullptr;
    QLabel *lblKeyFile = nullptr;
    QLabel *lblDefaultPort = nullptr;
    QLineEdit *txtTime = nullptr;
    QCheckBox *chkChar = nullptr;
    QCheckBox *chkAnonymous = nullptr;
    QCheckBox *chkPASV = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDel = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdConnect = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *cmdHelp = nullptr;
};
