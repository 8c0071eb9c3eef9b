#include "window/CommandRules.h"

void CommandLooks::enable(std::initializer_list<Cmd> commands, bool on)
{
    for (Cmd command : commands)
        (*this)[command].enabled = on;
}

namespace CommandRules {

namespace {
bool hasText(RowKind row)
{
    return row != RowKind::None && row != RowKind::Blank;
}

bool isFilePane(Pane pane)
{
    return pane == Pane::Local || pane == Pane::Remote;
}
} // namespace

SessionMenus SetMenuState(const CommandSnapshot &s)
{
    if (s.busy)
        return {false, false, false};
    if (s.connected)
        return {false, true, true};
    return {true, false, true};
}

void UpdateRemoteCommands(const CommandSnapshot &s, CommandLooks &looks)
{
    looks.enable({Cmd::Refresh, Cmd::RefreshButton, Cmd::MakeDir, Cmd::NewFolderButton},
                 s.connected);
    // A selected row with a name (the parent row too) can be renamed and
    // deleted, and offers the new-folder button, whatever the connection.
    if (hasText(s.remoteRow))
        looks.enable({Cmd::Rename, Cmd::RenameButton, Cmd::Del, Cmd::DeleteButton, Cmd::SelectAll,
                      Cmd::NewFolderButton},
                     true);
    // A file on the server is viewed and edited through a copy fetched
    // first; running it is the local pane's.
    looks.enable({Cmd::Show, Cmd::ShowButton, Cmd::EditFile},
                 s.connected && s.remoteRow == RowKind::File);
    // The properties of an entry on the server are its permissions.
    looks.enable({Cmd::Property, Cmd::PropertyButton},
                 s.connected && (s.remoteRow == RowKind::File || s.remoteRow == RowKind::Folder));
}

void UpdateLocalCommands(const CommandSnapshot &s, CommandLooks &looks)
{
    looks.enable({Cmd::Refresh, Cmd::RefreshButton, Cmd::MakeDir, Cmd::NewFolderButton}, true);
    if (!hasText(s.localRow))
        return;
    looks.enable({Cmd::Rename, Cmd::RenameButton, Cmd::Del, Cmd::DeleteButton, Cmd::SelectAll,
                  Cmd::Run, Cmd::RunButton, Cmd::Property, Cmd::PropertyButton},
                 true);
    // Only what is not a folder can be viewed; the parent row counts as a file.
    looks.enable({Cmd::Show, Cmd::ShowButton}, s.localRow != RowKind::Folder);
}

void UpdateQueueCommands(const CommandSnapshot &s, CommandLooks &looks)
{
    // Refresh refills the local pane; delete removes the chosen records.
    looks.enable({Cmd::Refresh, Cmd::RefreshButton}, true);
    looks.enable({Cmd::Del, Cmd::DeleteButton}, s.queueRowsSelected);
}

Pane commandPane(const CommandSnapshot &s)
{
    if (s.active != Pane::None)
        return s.active;
    return s.filePane == Pane::Remote ? Pane::Remote : Pane::Local;
}

CommandLooks evaluate(const CommandSnapshot &s)
{
    CommandLooks looks;
    const bool idle = !s.busy;
    const bool filePaneActive = isFilePane(s.active);

    // Leaving the program and stopping what runs are always possible.
    looks.enable({Cmd::File, Cmd::Exit, Cmd::View, Cmd::Help, Cmd::StopButton}, true);
    looks.enable({Cmd::Sit, Cmd::SiteButton, Cmd::ConnectButton, Cmd::ViewOptions,
                  Cmd::HelpContents, Cmd::Email, Cmd::HelpAbout, Cmd::ListButton,
                  Cmd::ReportButton},
                 idle);
    looks.enable({Cmd::Relogin, Cmd::ReconnectButton}, idle && s.reconnectable);
    looks.enable({Cmd::DisconnectButton}, idle && s.connected);

    const SessionMenus session = SetMenuState(s);
    looks[Cmd::Login].enabled = session.login;
    looks[Cmd::Logout].enabled = session.logout;
    looks[Cmd::Edit].enabled = session.edit && filePaneActive;

    // The up/down item, its buttons and the view items follow the file pane
    // that got the focus last; before either had it they keep their design.
    const bool focused = filePaneActive && s.filePane != Pane::None;
    looks[Cmd::UpDown].enabled = idle && focused;
    if (s.filePane == Pane::Remote)
        looks[Cmd::UpDown].text = QStringLiteral("下载(&D)");
    else if (s.filePane == Pane::Local)
        looks[Cmd::UpDown].text = QStringLiteral("上传(&U)");
    looks[Cmd::DownloadButton].enabled = idle && s.filePane == Pane::Remote;
    looks[Cmd::UploadButton].enabled = idle && s.filePane == Pane::Local;
    looks.enable({Cmd::ViewList, Cmd::ViewReport}, idle && focused);
    looks[Cmd::ViewList].checked = s.listModeChecked;
    looks[Cmd::ViewReport].checked = !s.listModeChecked;
    // A comparison may be switched on and off whenever the window is idle;
    // leaving out identical files is a way of showing it.
    looks[Cmd::ViewCompare].enabled = idle;
    looks[Cmd::ViewCompare].checked = s.comparing;
    looks[Cmd::ViewCompareHide].enabled = idle && s.comparing;
    looks[Cmd::ViewCompareHide].checked = s.hidingIdentical;

    // The pane keys act on the file pane that has the focus. Going up on the
    // server needs the session; selecting needs only the rows on show.
    looks[Cmd::ParentFolderKey].enabled =
        idle && (s.active == Pane::Local || (s.active == Pane::Remote && s.connected));
    looks[Cmd::SelectAllKey].enabled = idle && filePaneActive;

    const Pane target = commandPane(s);
    if (idle) {
        if (target == Pane::Queue)
            UpdateQueueCommands(s, looks);
        else if (target == Pane::Remote)
            UpdateRemoteCommands(s, looks);
        else
            UpdateLocalCommands(s, looks);
        looks[Cmd::StatusClear].enabled = s.queueHasRows;
        looks[Cmd::StatusDel].enabled = s.queueRowsSelected;
    }
    return looks;
}

} // namespace CommandRules
