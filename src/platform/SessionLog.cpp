#include "platform/SessionLog.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <utility>

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
    QTimer::singleShot(FlushDelayMs, txtLog, [log = txtLog, pending = pending] {
        pending->scheduled = false;
        QTextCursor end(log->document());
        end.movePosition(QTextCursor::End);
        end.insertText(std::exchange(pending->text, QString()));
        log->setTextCursor(end);
        log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum());
    });
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
    // Appending is adding at the end: what waits follows what is shown.
    QString plain = txtLog->toPlainText() + pending->text;
    plain.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return plain;
}
