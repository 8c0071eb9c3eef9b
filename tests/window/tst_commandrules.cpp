#include "window/CommandRules.h"

#include <QtTest>

Q_DECLARE_METATYPE(Pane)
Q_DECLARE_METATYPE(RowKind)

namespace {
// The commands whose state the table below speaks of, by short names.
const QList<QPair<Cmd, const char *>> watched = {
    {Cmd::Login, "login"},
    {Cmd::Logout, "logout"},
    {Cmd::Edit, "edit"},
    {Cmd::Sit, "sites"},
    {Cmd::UpDown, "updown"},
    {Cmd::MakeDir, "mkdir"},
    {Cmd::NewFolderButton, "MKDIR"},
    {Cmd::Rename, "rename"},
    {Cmd::Del, "del"},
    {Cmd::DeleteButton, "DEL"},
    {Cmd::SelectAll, "all"},
    {Cmd::Refresh, "refresh"},
    {Cmd::Show, "show"},
    {Cmd::ShowButton, "SHOW"},
    {Cmd::EditFile, "editfile"},
    {Cmd::Run, "run"},
    {Cmd::Property, "props"},
    {Cmd::DownloadButton, "DOWN"},
    {Cmd::UploadButton, "UP"},
    {Cmd::StopButton, "STOP"},
    {Cmd::Exit, "exit"},
};

QString enabled(const CommandLooks &looks)
{
    QStringList on;
    for (const auto &[command, name] : watched)
        if (looks[command].enabled)
            on << QString::fromLatin1(name);
    return on.join(QLatin1Char(' '));
}
} // namespace

class TestCommandRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Which commands a user can reach for each pane, selected row,
    // connection and busy state. Upper case: toolbar buttons.
    void availability_data()
    {
        QTest::addColumn<Pane>("pane");
        QTest::addColumn<RowKind>("row");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("expected");
        const QString always = QStringLiteral("STOP exit");

        QTest::newRow("local, nothing chosen")
            << Pane::Local << RowKind::None << false << false
            << "login edit sites updown mkdir MKDIR refresh UP " + always;
        QTest::newRow("local folder")
            << Pane::Local << RowKind::Folder << false << false
            << "login edit sites updown mkdir MKDIR rename del DEL all refresh run props UP " +
                   always;
        QTest::newRow("local file, connected") << Pane::Local << RowKind::File << true << false
                                               << "logout edit sites updown mkdir MKDIR rename del "
                                                  "DEL all refresh show SHOW run props UP " +
                                                      always;
        QTest::newRow("local parent row counts as a file")
            << Pane::Local << RowKind::Parent << false << false
            << "login edit sites updown mkdir MKDIR rename del DEL all refresh show SHOW run props "
               "UP " +
                   always;
        QTest::newRow("local row without text")
            << Pane::Local << RowKind::Blank << false << false
            << "login edit sites updown mkdir MKDIR refresh UP " + always;
        QTest::newRow("remote, not connected") << Pane::Remote << RowKind::None << false << false
                                               << "login edit sites updown DOWN " + always;
        QTest::newRow("remote row, not connected: the new-folder button only")
            << Pane::Remote << RowKind::File << false << false
            << "login edit sites updown MKDIR rename del DEL all DOWN " + always;
        QTest::newRow("remote, connected")
            << Pane::Remote << RowKind::None << true << false
            << "logout edit sites updown mkdir MKDIR refresh DOWN " + always;
        QTest::newRow("remote file, connected: viewed and edited through a copy")
            << Pane::Remote << RowKind::File << true << false
            << "logout edit sites updown mkdir MKDIR rename del DEL all refresh show SHOW editfile "
               "props DOWN " +
                   always;
        QTest::newRow("remote folder, connected: its permissions only")
            << Pane::Remote << RowKind::Folder << true << false
            << "logout edit sites updown mkdir MKDIR rename del DEL all refresh props DOWN " +
                   always;
        QTest::newRow("remote parent row, connected")
            << Pane::Remote << RowKind::Parent << true << false
            << "logout edit sites updown mkdir MKDIR rename del DEL all refresh DOWN " + always;
        QTest::newRow("queue") << Pane::Queue << RowKind::File << true << false
                               << "logout sites refresh UP " + always;
        QTest::newRow("busy: stop and exit only")
            << Pane::Remote << RowKind::File << true << true << always;
        QTest::newRow("busy while disconnected")
            << Pane::Local << RowKind::File << false << true << always;
    }

    void availability()
    {
        QFETCH(Pane, pane);
        QFETCH(RowKind, row);
        QFETCH(bool, connected);
        QFETCH(bool, busy);
        QFETCH(QString, expected);
        CommandSnapshot s;
        s.active = pane;
        // The queue was reached from the local pane.
        s.filePane = pane == Pane::Queue ? Pane::Local : pane;
        (pane == Pane::Remote ? s.remoteRow : s.localRow) = row;
        s.connected = connected;
        s.busy = busy;
        QCOMPARE(enabled(CommandRules::evaluate(s)), expected);
    }

    // The up/down item and the view items follow the file pane that had the
    // focus last; before either had it they keep their design.
    void followsTheFilePaneFocusedLast_data()
    {
        QTest::addColumn<Pane>("active");
        QTest::addColumn<Pane>("filePane");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("viewItems");
        QTest::addColumn<bool>("propertyShown");
        QTest::newRow("at start") << Pane::Local << Pane::None << "" << false << true;
        QTest::newRow("local") << Pane::Local << Pane::Local << "上传(&U)" << true << true;
        QTest::newRow("remote") << Pane::Remote << Pane::Remote << "下载(&D)" << true << true;
        QTest::newRow("between panes") << Pane::None << Pane::Remote << "下载(&D)" << false << true;
    }

    void followsTheFilePaneFocusedLast()
    {
        QFETCH(Pane, active);
        QFETCH(Pane, filePane);
        QFETCH(QString, caption);
        QFETCH(bool, viewItems);
        QFETCH(bool, propertyShown);
        CommandSnapshot s;
        s.active = active;
        s.filePane = filePane;
        const CommandLooks looks = CommandRules::evaluate(s);
        QCOMPARE(looks[Cmd::UpDown].text, caption);
        QCOMPARE(looks[Cmd::ViewList].enabled, viewItems);
        QCOMPARE(looks[Cmd::UpDown].enabled, viewItems);
        QCOMPARE(looks[Cmd::Property].visible, propertyShown);
    }
};

QTEST_APPLESS_MAIN(TestCommandRules)
#include "tst_commandrules.moc"
