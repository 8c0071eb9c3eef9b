#include "platform/SessionLog.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

void SessionLog::append(const QString &text)
{
    if (!txtLog)
        return;
    QTextCursor cursor(txtLog->document());
    cursor.movePosition(QTextCursor::End);
    // The document keeps paragraphs, not line ends: a lone CR or LF and the
    // CR LF pair all become one paragraph break.
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    cursor.insertText(plain);
    if (*endPending)
        return;
    *endPending = true;
    QMetaObject::invokeMethod(
        txtLog,
        [log = txtLog, pending = endPending] {
            *pending = false;
            QTextCursor end(log->document());
            end.movePosition(QTextCursor::End);
            log->setTextCursor(end);
            log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum());
        },
        Qt::QueuedConnection);
}

void SessionLog::clear()
{
    if (txtLog)
        txtLog->clear();
}

QString SessionLog::text() const
{
    if (!txtLog)
        return QString();
    QString plain = txtLog->toPlainText();
    plain.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return plain;
}
