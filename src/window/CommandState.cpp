#include "window/CommandState.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "window/CommandGate.h"
#include "window/Commands.h"
#include "window/WindowState.h"

#include <QAction>

namespace {
constexpr int listMode = 2; // FileListView::ListMode
} // namespace

CommandState::CommandState(Commands &commands, WindowState &state, RemoteSession &session,
                           CommandGate &gate, QObject *parent)
    : QObject(parent), commands(commands), state(state), session(session), gate(gate)
{
    connect(&gate, &CommandGate::busyChanged, this, &CommandState::refresh);
    connect(&session, &RemoteSession::StateChangedEvent, this, &CommandState::refresh);
}

void CommandState::setSources(Sources newSources)
{
    sources = std::move(newSources);
}

void CommandState::hold(const QList<Cmd> &list)
{
    for (Cmd command : list)
        held.insert(command);
    refresh();
}

void CommandState::paneActivated(Pane pane)
{
    lastFilePane = pane;
    if (sources.viewMode)
        listModeChecked = sources.viewMode(pane) == listMode;
    refresh();
}

void CommandState::viewModeChosen(int mode)
{
    listModeChecked = mode == listMode;
    refresh();
}

void CommandState::comparisonChosen(bool on, bool hiding)
{
    comparing = on;
    hidingIdentical = hiding;
    refresh();
}

CommandSnapshot CommandState::snapshot() const
{
    CommandSnapshot s;
    if (state.LocalHasFocus)
        s.active = Pane::Local;
    else if (state.RemoteHasFocus)
        s.active = Pane::Remote;
    else if (state.QueueHasFocus)
        s.active = Pane::Queue;
    else
        s.active = Pane::None;
    s.filePane = lastFilePane;
    if (sources.localRow)
        s.localRow = sources.localRow();
    if (sources.remoteRow)
        s.remoteRow = sources.remoteRow();
    s.queueHasRows = sources.queueHasRows && sources.queueHasRows();
    s.queueRowsSelected = sources.queueRowsSelected && sources.queueRowsSelected();
    s.connected = session.ConnectionState() == RemoteState::Connected;
    s.busy = gate.busy();
    s.reconnectable = state.SessionStarted;
    s.listModeChecked = listModeChecked;
    s.comparing = comparing;
    s.hidingIdentical = hidingIdentical;
    return s;
}

void CommandState::refresh()
{
    apply(CommandRules::evaluate(snapshot()));
}

void CommandState::apply(const CommandLooks &looks)
{
    for (std::size_t i = 0; i < CommandCount; ++i) {
        const Cmd command = Cmd(i);
        QAction *action = commands.action(command);
        if (!action)
            continue;
        const CommandLook &look = looks[command];
        action->setEnabled(look.enabled && !held.contains(command));
        action->setVisible(look.visible);
        if (!look.text.isEmpty())
            action->setText(look.text);
        if (action->isCheckable())
            action->setChecked(look.checked);
    }
}
