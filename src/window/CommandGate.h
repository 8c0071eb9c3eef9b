#pragma once

#include <QObject>
#include <functional>

class RemoteSession;
class SessionLog;

// The one way into a command of the main window: menus, toolbar, keys,
// double-clicks and the folder boxes all pass here. FTP calls wait in a
// nested event loop, so without the gate a click during a transfer would
// start a second operation inside the first. While a command runs (a
// download or upload batch is one command from its first item to its last)
// or the session is in a call, every command is refused except the ones run
// through runAlways (stop and exit). The gate is the one place that says
// whether the window is busy.
//
// Nothing escapes a command: an exception that reaches the gate is written
// to the session log.
class CommandGate : public QObject
{
    Q_OBJECT
public:
    CommandGate(SessionLog &log, const RemoteSession &session, QObject *parent = nullptr);

    bool busy() const;
    // Runs `command` unless busy; returns whether it ran.
    bool run(const std::function<void()> &command);
    // Stop and exit: they run whatever else is under way.
    void runAlways(const std::function<void()> &command);

Q_SIGNALS:
    // A command started or ended: what is available changes.
    void busyChanged();

private:
    void guarded(const std::function<void()> &command);

    SessionLog &log;
    const RemoteSession &session;
    int running = 0;
};
