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
    // Appends reach the pane together, this long after the first of them:
    // laying out each line and moving the view to it would cost a delete of
    // thousands of files more than its FTP calls.
    static constexpr int FlushDelayMs = 50;

    explicit SessionLog(QPlainTextEdit *txtLog) : txtLog(txtLog) {}

    // Appends at the end whatever the user has selected, and leaves the
    // insertion point after the new text so the pane shows the end.
    void append(const QString &text);
    void clear();
    // The whole log with "\r\n" line ends, as it was appended, whether or
    // not the pane shows all of it yet.
    QString text() const;

private:
    struct Pending
    {
        QString text; // with "\n" line ends, as the pane holds it
        bool scheduled = false;
    };

    QPlainTextEdit *txtLog;
    // Shared with the flush on its way, which may outlive us.
    std::shared_ptr<Pending> pending = std::make_shared<Pending>();
};
