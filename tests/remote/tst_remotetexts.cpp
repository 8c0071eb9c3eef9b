#include "remote/RemoteCodes.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteTexts.h"

#include <QtTest>

Q_DECLARE_METATYPE(RemoteText)

// The words the log, the status bar and korvu-ftp show are put together
// here from what the engines name: a wrong blank or a lost reason would show
// everywhere at once.
class TestRemoteTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void words_data()
    {
        QTest::addColumn<RemoteText>("text");
        QTest::addColumn<QString>("words");
        QTest::newRow("blanks in order")
            << RemoteText(RemoteMessage::OffsetBeyondRemote, {12, QStringLiteral("a b"), 10})
            << QStringLiteral("无法续传：续传位置 12 超过远程文件 a b 的大小 10 字节");
        // A name that looks like a blank stays a name.
        QTest::newRow("a blank holding %1")
            << RemoteText(RemoteMessage::Skipped, {QStringLiteral("%1%2"), QStringLiteral("x")})
            << QStringLiteral("已跳过 %1%2：x");
        QTest::newRow("a reason inside a reason")
            << RemoteText(RemoteMessage::CannotConnect,
                          {RemoteText(RemoteMessage::HostAndPort, {QStringLiteral("::1"), 21}),
                           RemoteMessage::ConnectionRefused})
            << QStringLiteral("无法连接到服务器 ::1 端口 21：连接被拒绝");
        QTest::newRow("TLS words it does not")
            << RemoteText(RemoteMessage::TlsLibrary, {QStringLiteral("bad thing")})
            << QStringLiteral("TLS 协议错误（bad thing）");
        QTest::newRow("unreadable lines, more than shown")
            << RemoteText(RemoteMessage::LinesUnreadable,
                          {7,
                           RemoteText(RemoteMessage::QuotedLine,
                                      {QStringLiteral("junk"), QStringLiteral("more")}),
                           RemoteMessage::AndMore})
            << QStringLiteral("目录列表中有 7 行无法识别，其中的项目没有列出：“junk”；“more” 等");
    }

    void words()
    {
        QFETCH(RemoteText, text);
        QFETCH(QString, words);
        QCOMPARE(RemoteTexts::words(text), words);
    }

    // A refusal says what the server said; the session's own conditions
    // say the program's words, never both.
    void descriptionsAndLogLines()
    {
        const RemoteError refused =
            RemoteError::refusal(RemoteErrorKind::Refused, 550, QStringLiteral("550 No such file"));
        QCOMPARE(RemoteTexts::description(refused), QStringLiteral("550 No such file"));
        const RemoteError stopped = RemoteError::own(
            RemoteErrorKind::Stopped, RemoteErrorCode::StoppedByUser, RemoteMessage::Stopped);
        QCOMPARE(RemoteTexts::description(stopped), QStringLiteral("操作已被用户停止"));

        RemoteActivity reply;
        reply.kind = RemoteActivityKind::ServerReply;
        reply.reply = QStringLiteral("226 Transfer complete.");
        QCOMPARE(RemoteTexts::logLine(reply), QStringLiteral("226 Transfer complete.\r\n"));
        RemoteActivity made;
        made.kind = RemoteActivityKind::MakeDirectoryResult;
        made.reply = QStringLiteral("257 \"/x\" created");
        QCOMPARE(RemoteTexts::logLine(made), QStringLiteral("257 \"/x\" created\r\n"));
        QCOMPARE(made.category(), RemoteCategory::ServerReply);
        made.folder = RemoteFolderOutcome::AlreadyThere;
        made.text = RemoteMessage::FolderExists;
        QCOMPARE(RemoteTexts::logLine(made),
                 QStringLiteral("无法创建目录：该名称已存在 (exists)\r\n"));
        QCOMPARE(made.category(), RemoteCategory::Failure);
    }

    // The date column as the calendar has it: every few days over three
    // centuries at a changing time of day, leap days and year ends among
    // them, in UTC as listings give it; other zones and days before 1970
    // in their own clock.
    void showsDatesAsTheCalendarHasThem()
    {
        RemoteEntry entry;
        const QDateTime first(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC);
        for (qint64 day = 0; day < 120000; day += 3) {
            entry.time = first.addDays(day).addSecs(day * 61 % 86400);
            QCOMPARE(entry.date(), entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        }
        entry.time = QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59), Qt::UTC);
        QCOMPARE(entry.date(), QStringLiteral("2024-02-29 23:59"));
        entry.timeOfDay = false;
        QCOMPARE(entry.date(), QStringLiteral("2024-02-29"));
        entry.timeOfDay = true;
        entry.time = QDateTime(QDate(1969, 12, 31), QTime(23, 30), Qt::UTC);
        QCOMPARE(entry.date(), QStringLiteral("1969-12-31 23:30"));
        entry.time = QDateTime(QDate(2026, 12, 31), QTime(20, 5), Qt::OffsetFromUTC, 8 * 3600);
        QCOMPARE(entry.date(), QStringLiteral("2026-12-31 20:05"));
        entry.time = QDateTime();
        QCOMPARE(entry.date(), QString());
    }
};

QTEST_MAIN(TestRemoteTexts)
#include "tst_remotetexts.moc"
