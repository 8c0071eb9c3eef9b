#pragma once

#include "window/CommandIds.h"

#include <QString>
#include <array>
#include <initializer_list>

// Which list pane the commands act on.
enum class Pane
{
    None,
    Local,
    Remote,
    Queue
};

// What the selected row of a file pane is, as the commands see it.
enum class RowKind
{
    None,   // no row selected
    Blank,  // a selected row without text
    Parent, // the ".." row
    Folder, // "FolderClose", "FolderLink" or "Link"
    File,   // anything else
};

// Everything command availability depends on, read at one moment.
struct CommandSnapshot
{
    Pane active = Pane::Local; // None between one pane's lost focus and the next got focus
    // The file pane (Local or Remote) that got the focus last; None before
    // either had it.
    Pane filePane = Pane::None;
    RowKind localRow = RowKind::None;
    RowKind remoteRow = RowKind::None;
    bool queueHasRows = false;
    bool queueRowsSelected = false;
    bool connected = false;     // logged in (RemoteState::Connected)
    bool busy = false;          // an FTP call, a batch or another command is under way
    bool reconnectable = false; // a connection was attempted: "重新连接" has something to redo
    bool listModeChecked = false;
    bool comparing = false;       // 目录比较 is on
    bool hidingIdentical = false; // ... and leaves out identical files
};

// How one command shows.
struct CommandLook
{
    bool enabled = false;
    bool visible = true;
    bool checked = false;
    QString text; // empty: the caption stays as built
};

class CommandLooks
{
public:
    CommandLook &operator[](Cmd command) { return looks[std::size_t(command)]; }
    const CommandLook &operator[](Cmd command) const { return looks[std::size_t(command)]; }
    void enable(std::initializer_list<Cmd> commands, bool on);

private:
    std::array<CommandLook, CommandCount> looks;
};

// The availability rules, as pure functions of a snapshot.
namespace CommandRules {
// Quick connect, disconnect and the operations menu move together: all off
// while something runs; afterwards as fits the connection.
struct SessionMenus
{
    bool login = false;
    bool logout = false;
    bool edit = false;
};
SessionMenus SetMenuState(const CommandSnapshot &snapshot);

// The pane commands (new folder, rename, delete, select all, refresh,
// properties, view, run; menu items and buttons) for the pane acted on.
void UpdateRemoteCommands(const CommandSnapshot &snapshot, CommandLooks &looks);
void UpdateLocalCommands(const CommandSnapshot &snapshot, CommandLooks &looks);
void UpdateQueueCommands(const CommandSnapshot &snapshot, CommandLooks &looks);

// The pane the pane commands act on: the active one; between one pane's lost
// focus and the next one's got focus, the file pane active last (the local
// pane before either had the focus).
Pane commandPane(const CommandSnapshot &snapshot);

// Every command at once.
CommandLooks evaluate(const CommandSnapshot &snapshot);
} // namespace CommandRules
