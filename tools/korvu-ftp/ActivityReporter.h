#pragma once

#include "remote/RemoteActivity.h"

#include <QString>
#include <optional>

class ProgressBar;

// What korvu-ftp shows of the session's ActivityEvents: progress goes to the
// bar, failures of single entries (a tree copy goes on without them) to
// standard error. Nothing else: replies and commands are the session log of
// the desktop program, not output for scripts.
class ActivityReporter
{
public:
    explicit ActivityReporter(ProgressBar &progress);

    void onActivity(const RemoteActivity &activity);
    // The command ended, with `error` when it failed (which main() prints).
    void finish(const RemoteError *error);

private:
    void print(const QString &text);

    ProgressBar &m_progress;
    // A failure event of the session's own, held back: when it is the
    // error the call ends with, it is printed once, by main().
    struct Held
    {
        qint64 number;
        QString text;
    };
    std::optional<Held> m_held;
};
