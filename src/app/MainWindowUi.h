#pragma once

class FileListView;
class QComboBox;
class QGroupBox;
class QLabel;
class QMainWindow;
class QPlainTextEdit;
class QTreeView;
class QProgressBar;
class QWidget;
class StatusPanels;
struct Commands;

// The main window's widgets, created with their object names, captions and
// column headers. Places and sizes are the layout's business (MainLayout).
struct MainWindowUi
{
    QWidget *area = nullptr; // the central area between toolbar and status bar

    QGroupBox *fraLocal = nullptr;
    QComboBox *cmbLocalDir = nullptr;
    FileListView *lvwLocal = nullptr;

    QGroupBox *fraRemote = nullptr;
    QComboBox *cmbRemoteDir = nullptr;
    FileListView *lvwRemote = nullptr;

    QWidget *imgSplitter = nullptr;       // takes the mouse for dragging
    QWidget *picSplitter = nullptr;       // the bar shown while dragging
    QWidget *imgStatusSplitter = nullptr; // above the status frame: its height

    QGroupBox *fraSta = nullptr;
    QProgressBar *Progress = nullptr;
    FileListView *lvwStatus = nullptr;
    QTreeView *lvwQueue = nullptr; // the transfer queue's items, above lvwStatus while any
    QLabel *lblLog = nullptr;
    QPlainTextEdit *txtLog = nullptr;

    StatusPanels *sbStatusBar = nullptr;

    void setupUi(QMainWindow *window, Commands &commands);

private:
    void setupFilePanes(QWidget *area);
    void setupStatusFrame(QWidget *area);
};
