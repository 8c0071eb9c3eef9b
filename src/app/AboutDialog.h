#pragma once

#include <QDialog>
#include <QList>

class NetworkInfo;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

// frmAbout "关于": the program's title and version, and on request this
// computer's network details.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int CollapsedHeight = 2175; // twips
    static constexpr int ExpandedHeight = 4665;
    static constexpr int DialogWidth = 6000;

    explicit AboutDialog(NetworkInfo &networkInfo, QWidget *parent = nullptr);

    bool isExpanded() const;
    void cmdDetails_Click();
    void cmdOk_Click();

    // The caption beside the socket layer's version: the Windows name for
    // that layer where it is Winsock, a plain one elsewhere.
    static QString socketVersionCaption();

private:
    void Form_Load();
    void place(QWidget *widget, int left, int top, int width, int height);

    NetworkInfo &networkInfo;
    QLabel *lblTitle;
    QLabel *lblVer;
    QLabel *Picture1;
    QFrame *Line1;
    QList<QLabel *> Labels;
    QLabel *Label1;
    QLabel *lblDescription;
    QLabel *lblHostname;
    QLabel *lblVersion;
    QLabel *lblStatus;
    QListWidget *lbxAddress;
    QPushButton *cmdOk;
    QPushButton *cmdDetails;
};
