#pragma once

#include <QString>
#include <memory>

class QPlainTextEdit;

// The session log pane: every part of the program writes its progress and
// its errors here. Texts are appended unchanged (callers supply the "\r\n");
// the log is never trimmed and never saved.
class SessionLog
{
public:
    explicit SessionLog(QPlainTextEdit *txtLog) : txtLog(txtLog) {}

    // Appends at the end whatever the user has selected, and leaves the
    // insertion point after the new text so the pane shows the end. The
    // text reaches the pane within a few hundredths of a second, when the
    // program waits for events: a run of appends (the thousands of replies
    // of a folder copy or a delete) goes in as one insertion and the view
    // moves once. Inserted, laid out and painted line by line, the log took
    // most of the window's time during such a run.
    void append(const QString &text);
    void clear();
    // The whole log with "\r\n" line ends, as it was appended, including
    // what has not reached the pane yet.
    QString text() const;

private:
    // Appended text on its way into the pane; shared with the insertion that
    // is on its way, so that may outlive us.
    struct Pending
    {
        QString text;
        bool scheduled = false;
    };

    static void insertPending(QPlainTextEdit *log, Pending &pending);

    QPlainTextEdit *txtLog;
    std::shared_ptr<Pending> pending = std::make_shared<Pending>();
};
