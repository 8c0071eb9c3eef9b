#pragma once

#include "panes/FileListModel.h"
#include "platform/Drives.h"
#include "platform/Shell.h"
#include "window/WindowTestSupport.h"

#include <QStringList>
#include <QWidget>
#include <memory>

class FileListView;
class LocalPane;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;

// A window holding the local pane's widgets, a second focusable control and
// the log, with the local pane wired to scripted drives and shell.
class LocalPaneRig : public QWidget
{
public:
    explicit LocalPaneRig(const QStringList &driveList);
    ~LocalPaneRig() override;

    // Texts of the list's rows, in display order.
    QStringList texts() const;
    QStringList history() const; // the folder box's list
    int rowOf(const QString &text) const;
    void select(const QString &text); // makes the row the selected one

    TestCommands actions;
    Commands &commands;
    FixedDrives drives;
    ScriptedShell shell;

    FileListModel *model;
    FileListView *lvwLocal;
    QComboBox *cmbLocalDir;
    QGroupBox *fraLocal;
    QLineEdit *elsewhere; // another control that can take the focus
    QPlainTextEdit *txtLog;
    std::unique_ptr<TestContext> parts;
    WindowState &state;
    WindowContext &context;
    std::unique_ptr<LocalPane> pane;
};

// Writes a file of `size` bytes (sparse beyond the first byte).
bool makeFile(const QString &path, qint64 size = 0);
