#pragma once

#include "window/CommandRules.h"

#include <QObject>
#include <QSet>
#include <functional>

class CommandGate;
class RemoteSession;
struct Commands;
struct WindowState;

// The one authority over command availability: reads a snapshot of the
// window (active pane, selected rows, connection, busy) and sets every menu
// item and toolbar button from CommandRules. Controllers change the window
// and call refresh(); none of them switches an action itself.
class CommandState : public QObject
{
    Q_OBJECT
public:
    // What the panes hold; set by whoever owns the panes.
    struct Sources
    {
        std::function<RowKind()> localRow;
        std::function<RowKind()> remoteRow;
        std::function<bool()> queueHasRows;
        std::function<bool()> queueRowsSelected;
        std::function<int(Pane)> viewMode; // FileListView's view mode of a file pane
    };

    CommandState(Commands &commands, WindowState &state, RemoteSession &session, CommandGate &gate,
                 QObject *parent = nullptr);

    void setSources(Sources sources);
    // Commands whose feature the program does not have: always disabled.
    void hold(const QList<Cmd> &commands);

    // A file pane got the focus: the up/down item and the view items follow
    // it, the check marks showing its view mode.
    void paneActivated(Pane pane);
    // The view command chose a mode: the menu's check marks show it.
    void viewModeChosen(int mode);
    // The directory comparison was switched: the check marks show how.
    void comparisonChosen(bool on, bool hidingIdentical);

    CommandSnapshot snapshot() const;
    // The file pane that got the focus last; None before either had it.
    Pane filePane() const { return lastFilePane; }
    // The pane the pane commands act on now, by the rule that sets their
    // availability.
    Pane commandPane() const { return CommandRules::commandPane(snapshot()); }
    // Reads the snapshot and applies the rules to every action.
    void refresh();

private:
    void apply(const CommandLooks &looks);

    Commands &commands;
    WindowState &state;
    RemoteSession &session;
    CommandGate &gate;
    Sources sources;
    QSet<Cmd> held;
    Pane lastFilePane = Pane::None;
    bool listModeChecked = false;
    bool comparing = false;
    bool hidingIdentical = false;
};
