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
    // insertion point after the new text so the pane shows the end. A run of
    // appends (a delete of thousands of files) moves the view once, when the
    // program next waits for events.
    void append(const QString &text);
    void clear();
    // The whole log with "\r\n" line ends, as it was appended.
    QString text() const;

private:
    QPlainTextEdit *txtLog;
    // A move to the end is on its way; shared with it, so it may outlive us.
    std::shared_ptr<bool> endPending = std::make_shared<bool>(false);
};
