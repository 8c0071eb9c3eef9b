#pragma once

#include <QDialog>

class Prompts;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SettingsStore;

// frmOption "程序选项": which program views local files, Korvu's built-in
// viewer or one the user names. Each opening starts from the settings
// store; OK and Apply write to it, Cancel writes nothing.
class OptionsDialog : public QDialog
{
    Q_OBJECT
public:
    static const QString BrowseTitle;
    static const QString BrowseFilter;

    OptionsDialog(SettingsStore &settings, Prompts &prompts, QWidget *parent = nullptr);

    void chkNote_Click();
    void cmdBrowse_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void Form_Load();

    SettingsStore &settings;
    Prompts &prompts;
    QGroupBox *Frame1;
    QCheckBox *chkNote;
    QLabel *Label1;
    QLineEdit *txtExe;
    QPushButton *cmdBrowse;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QPushButton *cmdApply;
    // The file dialog's file name: it keeps the last file browsed to, even
    // when a later browse is cancelled.
    QString cdg1FileName;
};
