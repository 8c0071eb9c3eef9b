#include "FileOpsRig.h"
#include "RecordingFtpServer.h"
#include "fileops/RemoteFileEditor.h"
#include "fixtures/TestFiles.h"
#include "fixtures/VsftpdServer.h"
#include "platform/ViewerSettings.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <sys/stat.h>

class TestRemoteEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // 编辑 on a remote file: a private copy opens in the chosen editor; a
    // save of new contents asks "文件已修改，是否上传?", and yes replaces the
    // server's file whole (a temporary name renamed over it, or in place
    // where nothing may be renamed), keeping its permissions.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("server"); // recording, or vsftpd
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("program"); // 程序选项's editor; empty: the desktop's
        QTest::addColumn<bool>("inPlace");    // saved in place, or as a new file renamed over it
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QStringList>("changes"); // as the recording server saw them
        const QString temp = "/.a b.txt.korvu-\\w{8}.part";
        QTest::newRow("saved and uploaded: renamed over the file")
            << "recording"
            << "/ed"
            << "" << false << true
            << QStringList({"STOR /ed" + temp, "RNFR /ed" + temp, "RNTO /ed/a b.txt"});
        QTest::newRow("the editor chosen in the options; not uploaded")
            << "recording"
            << "/ed"
            << "/opt/my editor" << true << false << QStringList();
        QTest::newRow("nothing may be renamed there: uploaded in place")
            << "recording"
            << "/nr"
            << "" << false << true
            << QStringList({"STOR /nr" + temp, "DELE /nr" + temp, "STOR /nr/a b.txt"});
        QTest::newRow("vsftpd") << "vsftpd"
                                << "/pub"
                                << "" << true << true << QStringList();
    }

    void roundTrip()
    {
        QFETCH(QString, server);
        QFETCH(QString, folder);
        QFETCH(QString, program);
        QFETCH(bool, inPlace);
        QFETCH(bool, upload);
        QFETCH(QStringList, changes);
        QTemporaryDir root;
        const QString onServer = root.path() + folder + "/a b.txt";
        QVERIFY(QDir().mkpath(root.path() + folder) && QDir().mkpath(root.path() + "/nr"));
        QVERIFY(TestFiles::write(onServer, "old\n"));
        QVERIFY(::chmod(QFile::encodeName(onServer), 0704) == 0);
        std::unique_ptr<RecordingFtpServer> recording;
        std::unique_ptr<VsftpdServer> vsftpd;
        FileOpsRig rig;
        if (!program.isEmpty()) {
            rig.settings->setValue(ViewerSettings::UseNotepadKey, "0");
            rig.settings->setValue(ViewerSettings::ProgramKey, program);
        }
        if (server == "vsftpd") {
            if (!VsftpdServer::available())
                QSKIP(qPrintable(VsftpdServer::unavailableReason()));
            QVERIFY(VsftpdServer::giveToFtpUser(root.path() + folder));
            vsftpd = std::make_unique<VsftpdServer>(root.path());
            QVERIFY2(vsftpd->start(), qPrintable(vsftpd->error()));
            QVERIFY2(rig.connectTo(vsftpd->host(), vsftpd->port(), vsftpd->user(),
                                   vsftpd->password(), folder),
                     qPrintable(rig.log()));
        } else {
            recording = std::make_unique<RecordingFtpServer>(root.path());
            recording->setNoRename({"nr"});
            QVERIFY2(recording->start(), qPrintable(recording->error()));
            QVERIFY(rig.connectTo(recording->host(), recording->port(), recording->user(),
                                  recording->password(), folder));
        }
        rig.select(true, {"a b.txt"});
        QVERIFY(rig.w.commands().mnuEditFile->isEnabled());

        rig.w.commands().mnuEditFile->trigger();

        const QString copy = rig.w.remoteEditor().copyOf(folder + "/a b.txt");
        QCOMPARE(rig.shell.calls.size(), 1);
        QCOMPARE(rig.shell.calls.first().what, program.isEmpty() ? "openFile" : "startProgram");
        QCOMPARE(program.isEmpty() ? rig.shell.calls.first().target
                                   : rig.shell.calls.first().arguments.value(0),
                 copy);
        QCOMPARE(TestFiles::read(copy), QByteArray("old\n"));
        QCOMPARE(QFile::permissions(copy) & 0x0077, QFileDevice::Permissions());
        QCOMPARE(QFile::permissions(QFileInfo(copy).path()) & 0x0077, QFileDevice::Permissions());

        rig.prompts.messageAnswers = {upload ? Prompts::Answer::Yes : Prompts::Answer::No};
        QFile file(inPlace ? copy : copy + "~");
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.write("new\n") == 4 && file.resize(4));
        file.close();
        QVERIFY(inPlace || ::rename(QFile::encodeName(copy + "~"), QFile::encodeName(copy)) == 0);
        QTRY_COMPARE(
            rig.questions(),
            QStringList({"编辑 " + folder + "/a b.txt:" + RemoteFileEditor::UploadQuestion}));

        QCOMPARE(TestFiles::read(onServer), QByteArray(upload ? "new\n" : "old\n"));
        QCOMPARE(QDir(root.path() + folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"a b.txt"}));
        if (recording) {
            const QStringList seen = recording->takeChanges();
            QCOMPARE(seen.size(), changes.size());
            for (int i = 0; i < changes.size(); ++i)
                QVERIFY2(QRegularExpression('^' + changes.at(i) + '$').match(seen.at(i)).hasMatch(),
                         qPrintable(seen.join(", ")));
            // A file that went up under another name has its mode back.
            struct stat st;
            QVERIFY(::stat(QFile::encodeName(onServer), &st) == 0);
            QCOMPARE(st.st_mode & 0777, mode_t(0704));
        }
        // Saved again with the same contents: nothing more is asked.
        QVERIFY(TestFiles::write(copy, "new\n"));
        QTest::qWait(800);
        QCOMPARE(rig.questions().size(), 1);
    }
};

QTEST_MAIN(TestRemoteEdit)
#include "tst_remoteedit.moc"
