#pragma once

#include "app/AppTestSupport.h"
#include "app/CommandDispatch.h"
#include "connection/ConnectionController.h"
#include "panes/FileListModel.h"
#include "panes/FileListView.h"
#include "panes/LocalPane.h"
#include "panes/RemotePane.h"
#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "window/WindowContext.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTreeView>
#include <QtTest>

// The real main window on scripted desktop services (or the real desktop
// shell, `desktop`), with helpers to reach its panes the way a user does:
// choose rows, make a pane the active one, press a toolbar button.
struct FileOpsRig : AppHarness
{
    explicit FileOpsRig(Shell *desktop = nullptr) : w(open(desktop)) {}

    MainWindow &open(Shell *desktop)
    {
        platform =
            std::make_unique<Platform>(Platform{prompts, desktop ? *desktop : shell, *settings,
                                                drives, networkInfo, programDir, siteDatabase});
        window = std::make_unique<MainWindow>(*platform, globals);
        return *window;
    }

    MainWindow &w;

    FileListView *pane(bool remote) const
    {
        return remote ? window->ui().lvwRemote : window->ui().lvwLocal;
    }
    FileListModel *model(bool remote) const { return pane(remote)->model(); }

    // Logs in to a server and shows `dir` in the remote pane, which becomes
    // the active one.
    bool connectTo(const QString &host, quint16 port, const QString &user, const QString &password,
                   const QString &dir)
    {
        globals.gHost = host;
        globals.gUser = user;
        globals.gPassword = password;
        globals.gPort = port;
        globals.gTimeout = 10;
        w.connection().Connect();
        if (w.session().ConnectionState() != RemoteState::Connected)
            return false;
        w.remotePane().DoRemoteRefresh(dir);
        activate(true);
        return w.remotePane().shownDirectory() == dir;
    }
    // Shows `dir` in the local pane, typed as it is, which becomes the
    // active one.
    void showLocal(const QString &dir)
    {
        w.ui().cmbLocalDir->setEditText(dir);
        activate(false);
    }
    void activate(bool remote)
    {
        w.state().LocalHasFocus = !remote;
        w.state().RemoteHasFocus = remote;
        w.state().QueueHasFocus = false;
        w.context().availability.paneActivated(remote ? Pane::Remote : Pane::Local);
    }

    QStringList texts(bool remote) const
    {
        QStringList out;
        for (const FileRow &row : model(remote)->rows())
            out << row.text;
        return out;
    }
    const FileRow &row(bool remote, const QString &text) const
    {
        return model(remote)->row(model(remote)->findText(text));
    }
    void select(bool remote, const QStringList &names)
    {
        pane(remote)->clearSelection();
        for (const QString &name : names)
            pane(remote)->setRowSelected(model(remote)->findText(name), true);
    }
    // The in-place name editor open in a pane, or null.
    QLineEdit *editor(bool remote) const
    {
        for (auto *edit : pane(remote)->activeView()->viewport()->findChildren<QLineEdit *>())
            if (edit->isVisible())
                return edit;
        return nullptr;
    }
    // F2 on the row, the new name typed and Enter, whose release reaches
    // the list once the editor is gone, as it does from a real keyboard.
    void renameByKeyboard(bool remote, int row, const QString &to)
    {
        pane(remote)->selectRow(row);
        QTest::keyClick(pane(remote)->reportView(), Qt::Key_F2);
        QLineEdit *edit = editor(remote);
        QVERIFY(edit);
        edit->setText(to);
        QTest::keyPress(edit, Qt::Key_Return);
        QTRY_VERIFY(!editor(remote));
        QTest::keyRelease(pane(remote)->reportView(), Qt::Key_Return);
    }
    void press(const char *button) { w.dispatch().ButtonClick(QString::fromUtf8(button)); }

    // Each queue row as "outcome|local|remote".
    QStringList queue() const
    {
        QStringList out;
        for (const FileRow &row : w.ui().lvwStatus->model()->rows())
            out << row.text + QLatin1Char('|') + row.record.value(0) + QLatin1Char('|') +
                       row.record.value(2);
        return out;
    }
    QStringList questions() const
    {
        QStringList out;
        for (const ScriptedPrompts::Asked &asked : prompts.asked)
            out << asked.title + QLatin1Char(':') + asked.text;
        return out;
    }
    QString log() const { return w.log().text(); }
};
