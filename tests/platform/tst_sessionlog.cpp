#include "platform/SessionLog.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextCursor>
#include <QtTest>

class TestSessionLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appendsAtTheEndWhateverTheUserSelected()
    {
        QPlainTextEdit txtLog;
        SessionLog log(&txtLog);
        log.append(QStringLiteral("连接中 ...\r\n"));
        log.append(QStringLiteral("220 ready\r\n"));
        QTRY_VERIFY(!txtLog.document()->isEmpty());

        // The user selects a word at the start and puts the caret there.
        QTextCursor selection(txtLog.document());
        selection.setPosition(0);
        selection.setPosition(2, QTextCursor::KeepAnchor);
        txtLog.setTextCursor(selection);
        QCOMPARE(txtLog.textCursor().selectedText(), QStringLiteral("连接"));

        log.append(QStringLiteral("连接已关闭\r\n"));
        QCOMPARE(log.text(), QStringLiteral("连接中 ...\r\n220 ready\r\n连接已关闭\r\n"));
        // The view moves once the program waits for events again.
        QTRY_VERIFY(!txtLog.textCursor().hasSelection());
        QCOMPARE(txtLog.textCursor().position(), txtLog.document()->characterCount() - 1);
    }

    void anEmptyAppendOnlyMovesTheCaretToTheEnd()
    {
        QPlainTextEdit txtLog;
        SessionLog log(&txtLog);
        log.append(QStringLiteral("one\r\ntwo\r\n"));
        QTextCursor start(txtLog.document());
        txtLog.setTextCursor(start);
        log.append(QString());
        QCOMPARE(log.text(), QStringLiteral("one\r\ntwo\r\n"));
        QTRY_COMPARE(txtLog.textCursor().position(), txtLog.document()->characterCount() - 1);
    }

    void aTextWithoutLineEndIsContinuedOnTheSameLine()
    {
        QPlainTextEdit txtLog;
        SessionLog log(&txtLog);
        log.append(QStringLiteral("150 Opening"));
        log.append(QStringLiteral("错误\r\n"));
        QCOMPARE(log.text(), QStringLiteral("150 Opening错误\r\n"));
        QTRY_COMPARE(txtLog.document()->blockCount(), 2); // the line and the empty one after it
    }

    void aLongLogScrollsToItsEnd()
    {
        QPlainTextEdit txtLog;
        txtLog.resize(300, 100);
        txtLog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&txtLog));
        SessionLog log(&txtLog);
        QSignalSpy changes(txtLog.document(), &QTextDocument::contentsChange);
        for (int i = 0; i < 200; ++i)
            log.append(QStringLiteral("line %1\r\n").arg(i));
        QScrollBar *bar = txtLog.verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTRY_COMPARE(bar->value(), bar->maximum());
        // A run of appends (a folder copy's thousands of replies) comes in
        // one change, laid out once.
        QCOMPARE(changes.count(), 1);
    }
};

QTEST_MAIN(TestSessionLog)
#include "tst_sessionlog.moc"
