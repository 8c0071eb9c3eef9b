#include "platform/SessionLog.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>

namespace {
// How long appended text may wait to be shown: too short for anyone to
// see, long enough that a run of thousands of replies repaints the pane a
// few times rather than once each.
constexpr int insertionDelayMs = 50;
} // namespace

void SessionLog::append(const QString &text)
{
    if (!txtLog)
        return;
    // The document keeps paragraphs, not line ends: a lone CR or LF and the
    // CR LF pair all become one paragraph break.
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    pending->text += plain;
    if (pending->scheduled)
        return;
    pending->scheduled = true;
    QTimer::singleShot(insertionDelayMs, txtLog, [log = txtLog, waiting = pending] {
        insertPending(log, *waiting);
        waiting->scheduled = false;
        QTextCursor end(log->document());
        end.movePosition(QTextCursor::End);
        log->setTextCursor(end);
        log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum());
    });
}

void SessionLog::insertPending(QPlainTextEdit *log, Pending &pending)
{
    if (pending.text.isEmpty())
        return;
    QTextCursor cursor(log->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(pending.text);
    pending.text.clear();
}

void SessionLog::clear()
{
    pending->text.clear();
    if (txtLog)
        txtLog->clear();
}

QString SessionLog::text() const
{
    if (!txtLog)
        return QString();
    insertPending(txtLog, *pending);
    QString plain = txtLog->toPlainText();
    plain.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return plain;
}
