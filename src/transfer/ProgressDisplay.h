#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

class WindowContext;

// Shows what the FTP component reports while it works: server replies,
// commands and failures go to the session log, the status picture follows
// the kind of the last report, progress moves Progress1 and the panel "Rate",
// and the outcome of a make-directory request is kept for the new-folder
// command.
class ProgressDisplay : public QObject
{
    Q_OBJECT
public:
    explicit ProgressDisplay(WindowContext &context, QObject *parent = nullptr);

    void ActivityEvent(int code, int category, const QString &text, qint64 count,
                       const QVariant &extra);

private:
    void showProgress(int code, qint64 count);

    WindowContext &ctx;
    // The control connection of the attempt under way was opened: only then
    // is its closing news.
    bool controlOpened = false;
};
