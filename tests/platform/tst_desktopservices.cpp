#include "platform/DesktopShell.h"
#include "platform/SystemDrives.h"
#include "platform/SystemNetworkInfo.h"
#include "platform/TextFileView.h"
#include "platform/TextViewerDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QList<TextViewerDialog *> openViewers()
{
    QList<TextViewerDialog *> viewers;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *viewer = qobject_cast<TextViewerDialog *>(w))
            viewers.append(viewer);
    }
    return viewers;
}
} // namespace

class TestDesktopServices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drivesStartAtRootThenHome()
    {
        QTemporaryDir home;
        qputenv("HOME", QFile::encodeName(home.path()));
        const QStringList drives = SystemDrives().drives();
        QVERIFY(drives.size() >= 2);
        QCOMPARE(drives.at(0), QStringLiteral("/"));
        QCOMPARE(drives.at(1), home.path() + QStringLiteral("/"));
        QCOMPARE(QSet<QString>(drives.begin(), drives.end()).size(), drives.size());
        for (const QString &drive : drives) {
            QVERIFY2(drive.endsWith(QLatin1Char('/')), qPrintable(drive));
            QVERIFY2(!drive.startsWith(QStringLiteral("/proc")) &&
                         !drive.startsWith(QStringLiteral("/sys")),
                     qPrintable(drive));
        }
        QVERIFY(!SystemDrives::holdsRealFiles(QStorageInfo(QStringLiteral("/proc"))));
    }

    void networkDetailsListTheLoopbackAddress()
    {
        const NetworkDetails d = SystemNetworkInfo().details();
        QVERIFY(!d.hostName.isEmpty());
        QVERIFY(d.description.contains(QStringLiteral("Qt")));
        QVERIFY(d.majorVersion >= 6);
        QVERIFY(d.addresses.contains(QStringLiteral("127.0.0.1")));
    }

    void programsGetTheirArgumentsUntouched()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("args.txt"));
        const QString tricky = QStringLiteral("a b; rm -rf \"$HOME\" `x` 文件.txt");
        DesktopShell shell;
        QVERIFY(
            shell.startProgram(QStringLiteral("/bin/sh"),
                               {QStringLiteral("-c"), QStringLiteral("printf %s \"$1\" > \"$2\""),
                                QStringLiteral("sh"), tricky, out}));
        QTRY_VERIFY(QFileInfo(out).size() > 0);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), tricky);

        QVERIFY(!shell.startProgram(QString(), {}));
        QVERIFY(!shell.startProgram(dir.filePath(QStringLiteral("no-such-program")), {}));
        QVERIFY(!shell.openFile(dir.filePath(QStringLiteral("missing.txt"))));
    }

    void theViewerReadsUtf8AndGbk()
    {
        QCOMPARE(TextViewerDialog::decode(QByteArray("\xe4\xb8\xad\xe6\x96\x87 ok")),
                 QStringLiteral("中文 ok"));
        QCOMPARE(TextViewerDialog::decode(QByteArray("\xd6\xd0\xce\xc4 ok")),
                 QStringLiteral("中文 ok"));

        QTemporaryDir dir;
        const QString small = dir.filePath(QStringLiteral("readme.txt"));
        writeFile(small, "hello\n世界\n");
        DesktopShell shell;
        QVERIFY(!shell.viewText(dir.filePath(QStringLiteral("missing.txt")), QString(), nullptr));
        QVERIFY(openViewers().isEmpty());
        QVERIFY(shell.viewText(small, QString(), nullptr));
        QCOMPARE(openViewers().size(), 1);
        TextViewerDialog *viewer = openViewers().first();
        QCOMPARE(viewer->text(), QStringLiteral("hello\n世界\n"));
        QVERIFY(viewer->isShownWhole());
        QVERIFY(viewer->windowTitle().startsWith(QStringLiteral("readme.txt")));
        viewer->close();
        QTRY_VERIFY(openViewers().isEmpty());

        // A file past the limit is read line by line as it scrolls past.
        const QString big = dir.filePath(QStringLiteral("big.log"));
        const QByteArray line = QByteArray(99, 'x') + '\n';
        writeFile(big, line.repeated(int(TextViewerDialog::WholeTextBytes / line.size()) + 10));
        TextViewerDialog partial;
        QVERIFY(partial.load(big));
        QVERIFY(!partial.isShownWhole());
        QCOMPARE(partial.lineView()->shownLines().value(0), QString(99, QLatin1Char('x')));
    }
};

QTEST_MAIN(TestDesktopServices)
#include "tst_desktopservices.moc"
