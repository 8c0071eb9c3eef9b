#include "FileOpsRig.h"
#include "RecordingFtpServer.h"
#include "fileops/PermissionsDialog.h"
#include "fixtures/PyFtpdServer.h"
#include "fixtures/TestFiles.h"
#include "fixtures/VsftpdServer.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <sys/stat.h>

namespace {

// "path" a file (mode 644), "path/" a folder (755), "path->target" a link.
bool plant(const QString &root, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = root + QLatin1Char('/') + entry.section("->", 0, 0);
        const bool ok =
            entry.contains("->") ? QFile::link(entry.section("->", 1), path)
            : entry.endsWith('/')
                ? QDir().mkpath(path) && ::chmod(QFile::encodeName(path), 0755) == 0
                : TestFiles::write(path, "x") && ::chmod(QFile::encodeName(path), 0644) == 0;
        if (!ok)
            return false;
    }
    return true;
}

QString modeOf(const QString &path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path), &st) != 0)
        return QStringLiteral("gone");
    return QString::number(st.st_mode & 07777, 8);
}

const QStringList tree = {"a.txt",
                          "d/",
                          "d/f.txt",
                          "d/sub/",
                          "d/sub/g.txt",
                          "outside/",
                          "outside/o.txt",
                          "d/www->../outside",
                          "d/lnk.txt->../outside/o.txt"};
} // namespace

class TestRemotePermissions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // 属性 on a remote row: the dialog starts from the listed permissions;
    // what is typed goes to the server for the entry, and for a folder to
    // what the scope names inside it. Links stay as they are and are never
    // followed (where the listing tells them: LIST lines do, pyftpdlib's
    // MLSD shows a link to a folder as that folder). A refusal is logged
    // and shown, and the rest goes on.
    void changes_data()
    {
        QTest::addColumn<QString>("server"); // pyftpd-mlsd, pyftpd-list, recording, vsftpd
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("inside"); // PermissionsDialog::Inside
        QTest::addColumn<QStringList>("modes");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("a file") << "pyftpd-mlsd"
                                << "a.txt"
                                << "644"
                                << "600" << 0 << QStringList({"a.txt=600", "d/f.txt=644"}) << "";
        QTest::newRow("a folder alone")
            << "pyftpd-mlsd"
            << "d"
            << "755"
            << "700" << 0 << QStringList({"d=700", "d/f.txt=644", "d/sub=755"}) << "";
        QTest::newRow("everything inside; links left alone")
            << "pyftpd-list"
            << "d"
            << "755"
            << "750" << 1
            << QStringList({"d=750", "d/f.txt=750", "d/sub=750", "d/sub/g.txt=750", "outside=755",
                            "outside/o.txt=644"})
            << "";
        QTest::newRow("the files inside") << "pyftpd-list"
                                          << "d"
                                          << "755"
                                          << "600" << 2
                                          << QStringList({"d=600", "d/f.txt=600", "d/sub=755",
                                                          "d/sub/g.txt=600", "outside/o.txt=644"})
                                          << "";
        QTest::newRow("the folders inside, a set-group-ID bit typed")
            << "pyftpd-list"
            << "d"
            << "755"
            << "2711" << 3 << QStringList({"d=2711", "d/f.txt=644", "d/sub=2711", "outside=755"})
            << "";
        QTest::newRow("a read-only folder inside: the rest is changed")
            << "recording"
            << "d"
            << "755"
            << "700" << 1 << QStringList({"d=700", "d/f.txt=700", "d/sub=755", "d/sub/g.txt=644"})
            << "有 2 个项目未能更改权限";
        QTest::newRow("vsftpd lets no anonymous user change them")
            << "vsftpd"
            << "a.txt"
            << "644"
            << "600" << 0 << QStringList({"a.txt=644"}) << "550";
    }

    void changes()
    {
        QFETCH(QString, server);
        QFETCH(QString, chosen);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(int, inside);
        QFETCH(QStringList, modes);
        QFETCH(QString, refusal);
        QTemporaryDir root;
        const QString disk = server == "vsftpd" ? root.path() + "/pub" : root.path();
        QVERIFY(plant(disk, server == "recording"
                                ? QStringList({"a.txt", "d/", "d/f.txt", "d/sub/", "d/sub/g.txt"})
                                : tree));
        std::unique_ptr<PyFtpdServer> pyftpd;
        std::unique_ptr<RecordingFtpServer> recording;
        std::unique_ptr<VsftpdServer> vsftpd;
        FileOpsRig rig;
        if (server == "vsftpd") {
            if (!VsftpdServer::available())
                QSKIP(qPrintable(VsftpdServer::unavailableReason()));
            vsftpd = std::make_unique<VsftpdServer>(root.path());
            QVERIFY2(vsftpd->start(), qPrintable(vsftpd->error()));
            QVERIFY(rig.connectTo(vsftpd->host(), vsftpd->port(), vsftpd->user(),
                                  vsftpd->password(), "/pub"));
        } else if (server == "recording") {
            recording = std::make_unique<RecordingFtpServer>(root.path());
            recording->setReadOnly({"d/sub"});
            QVERIFY2(recording->start(), qPrintable(recording->error()));
            QVERIFY(rig.connectTo(recording->host(), recording->port(), recording->user(),
                                  recording->password(), "/"));
        } else {
            pyftpd = std::make_unique<PyFtpdServer>(root.path());
            pyftpd->offerMlsd(server == "pyftpd-mlsd");
            QVERIFY2(pyftpd->start(), qPrintable(pyftpd->error()));
            QVERIFY(rig.connectTo(pyftpd->host(), pyftpd->port(), pyftpd->user(),
                                  pyftpd->password(), "/"));
        }
        rig.select(true, {chosen});
        QVERIFY(rig.w.commands().mnuProperty->isEnabled());
        QString startedAt;
        bool scoped = false;
        QTimer::singleShot(0, &rig.w, [&] {
            auto *dialog = qobject_cast<PermissionsDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto *octal = dialog->findChild<QLineEdit *>("txtOctal");
            startedAt = octal->text();
            octal->selectAll();
            QTest::keyClicks(octal, typed);
            if (auto *scope = dialog->findChild<QComboBox *>("cmbInside")) {
                scoped = true;
                scope->setCurrentIndex(inside);
            }
            dialog->findChild<QPushButton *>("cmdOK")->click();
        });

        rig.press("属性");

        QCOMPARE(startedAt, shown);
        QCOMPARE(scoped, chosen == "d");
        for (const QString &expected : modes)
            QCOMPARE(expected.section('=', 0, 0) + '=' +
                         modeOf(disk + '/' + expected.section('=', 0, 0)),
                     expected);
        const QStringList asked = rig.questions();
        QCOMPARE(asked.size(), refusal.isEmpty() ? 0 : 1);
        if (!refusal.isEmpty()) {
            QVERIFY2(asked.first().contains(refusal), qPrintable(asked.first()));
            QVERIFY(rig.log().contains("无法更改"));
        }
        // The pane shows the permissions the server has now.
        QCOMPARE(QString::number(rig.row(true, chosen).permissions),
                 modes.first().section(QLatin1Char('='), 1));
    }
};

QTEST_MAIN(TestRemotePermissions)
#include "tst_remotepermissions.moc"
