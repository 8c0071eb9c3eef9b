#pragma once

#include <QDialog>

class Prompts;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class SettingsStore;

// frmOption "程序选项": which program views local files, Korvu's built-in
// viewer or one the user names, and whether the local pane lists hidden
// files ("显示隐藏文件", "1" or "0", off when absent), whether downloads
// and uploads go to the transfer queue ("后台传输") and how many of its
// items run at once ("同时传输数"), and the download and upload speed
// limits every transfer shares ("下载限速", "上传限速", KiB/s, 0 none). Each opening starts
// from the settings store; OK and Apply write to it, Cancel writes nothing.
class OptionsDialog : public QDialog
{
    Q_OBJECT
public:
    static const QString BrowseTitle;
    static const QString BrowseFilter;
    static const QString ShowHiddenKey;

    static bool showHiddenFiles(const SettingsStore &settings);

    OptionsDialog(SettingsStore &settings, Prompts &prompts, QWidget *parent = nullptr);

    void chkNote_Click();
    void cmdBrowse_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

Q_SIGNALS:
    // The choices were written to the store.
    void applied();

private:
    void Form_Load();

    SettingsStore &settings;
    Prompts &prompts;
    QGroupBox *Frame1;
    QCheckBox *chkNote;
    QLabel *Label1;
    QLineEdit *txtExe;
    QPushButton *cmdBrowse;
    QCheckBox *chkHidden;
    QCheckBox *chkBackground;
    QLabel *lblParallel;
    QSpinBox *spnParallel;
    QLabel *lblDownloadLimit;
    QSpinBox *spnDownloadLimit;
    QLabel *lblUploadLimit;
    QSpinBox *spnUploadLimit;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QPushButton *cmdApply;
    // The file dialog's file name: it keeps the last file browsed to, even
    // when a later browse is cancelled.
    QString cdg1FileName;
};
