#include "FileOpsRig.h"
#include "fixtures/TestFiles.h"
#include "transfer/QueueList.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

Q_DECLARE_METATYPE(Prompts::Answer)

namespace {
bool exists(const QString &path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

// The program's working directory for a test, holding "rel/one.txt": text
// typed into the folder box as "rel" must not reach it.
struct WorkingDirectory
{
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    WorkingDirectory()
    {
        TestFiles::write(dir.filePath("rel/one.txt"), "cwd");
        QDir::setCurrent(dir.path());
    }
    ~WorkingDirectory() { QDir::setCurrent(before); }
    bool untouched() const { return QFileInfo::exists(dir.filePath("rel/one.txt")); }
};
} // namespace

class TestLocalFileOps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The new folder takes the first name no row shows, in the directory
    // of the folder box however it was typed, and its name is edited at once.
    void newFolder_data()
    {
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("unlisted"); // made after the listing
        QTest::addColumn<QString>("typedEnd");     // what the box's text ends with
        QTest::addColumn<QString>("created");
        QTest::newRow("nothing shown") << QStringList() << QStringList() << "/"
                                       << "新建文件夹";
        QTest::newRow("one shown") << QStringList({"新建文件夹"}) << QStringList() << "/"
                                   << "新建文件夹0";
        QTest::newRow("both shown")
            << QStringList({"新建文件夹", "新建文件夹0"}) << QStringList() << "/"
            << "新建文件夹1";
        QTest::newRow("typed without the separator") << QStringList() << QStringList() << ""
                                                     << "新建文件夹";
        QTest::newRow("made since the listing")
            << QStringList() << QStringList({"新建文件夹"}) << "/"
            << "";
    }

    void newFolder()
    {
        QFETCH(QStringList, shown);
        QFETCH(QStringList, unlisted);
        QFETCH(QString, typedEnd);
        QFETCH(QString, created);
        QTemporaryDir dir;
        for (const QString &name : shown)
            QVERIFY(QDir(dir.path()).mkdir(name));
        FileOpsRig rig;
        rig.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.w));
        rig.showLocal(dir.path() + typedEnd);
        for (const QString &name : unlisted)
            QVERIFY(QDir(dir.path()).mkdir(name));
        const QStringList before = rig.texts(false);

        rig.press("新建文件夹");

        if (created.isEmpty()) {
            QCOMPARE(rig.texts(false), before);
            QVERIFY(rig.log().contains("无法新建文件夹"));
            return;
        }
        QVERIFY(QFileInfo(dir.filePath(created)).isDir());
        QCOMPARE(rig.texts(false), before + QStringList{created});
        QCOMPARE(rig.row(false, created).tag, dir.filePath(created));
        QCOMPARE(rig.pane(false)->selectedRow(), before.size());
        QVERIFY(rig.editor(false));
    }

    // Renames inside the folder box's directory; a name that is empty,
    // holds a separator or exists fails with a log line, and nothing is
    // overwritten: not a file, not an empty folder.
    void rename_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("a folder, with F2 and Enter") << "d"
                                                     << "c" << true << true;
        QTest::newRow("onto a file") << "a.txt"
                                     << "b.txt" << false << false;
        QTest::newRow("onto an empty folder") << "d"
                                              << "e" << false << false;
        QTest::newRow("empty") << "a.txt"
                               << "" << false << false;
        QTest::newRow("holding a separator") << "a.txt"
                                             << "x/y" << false << false;
    }

    void rename()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, byKeyboard);
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("a.txt"), "a"));
        QVERIFY(TestFiles::write(dir.filePath("b.txt"), "b"));
        QVERIFY(QDir(dir.path()).mkpath("d/inner") && QDir(dir.path()).mkdir("e"));
        FileOpsRig rig;
        rig.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.w));
        rig.showLocal(dir.path()); // typed without the separator
        const int r = rig.model(false)->findText(from);
        if (byKeyboard)
            rig.renameByKeyboard(false, r, to);
        else
            rig.model(false)->setData(rig.model(false)->index(r, 0), to, Qt::EditRole);
        // The pane stays where it was.
        QCOMPARE(rig.w.ui().cmbLocalDir->currentText(), dir.path());
        QCOMPARE(rig.model(false)->row(r).text, accepted ? to : from);
        QCOMPARE(rig.model(false)->row(r).tag, dir.filePath(accepted ? to : from));
        QCOMPARE(exists(dir.filePath(from)), !accepted);
        QCOMPARE(rig.log().isEmpty(), accepted);
        // Nothing was overwritten.
        QCOMPARE(TestFiles::read(dir.filePath("b.txt")), QByteArray("b"));
        QVERIFY(QFileInfo(dir.filePath("e")).isDir());
        QVERIFY(accepted || QFileInfo::exists(dir.filePath("d/inner")));
    }

    // Files and whole trees go after one question; each entry leaves a
    // queue row. Links are removed as links, never followed; a folder with
    // a hidden entry loses its visible content and stays. Nothing outside
    // the folder the pane shows is touched, whatever the box holds.
    void deletes_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("typedAfter"); // typed into the box after the listing
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<Prompts::Answer>("answer");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("queue"); // outcome and name
        QTest::addColumn<QStringList>("gone");
        QTest::addColumn<QStringList>("staying");
        const QString ask = QStringLiteral("确认删除:你确定要删除 %1 个文件或目录吗?");
        const auto ok = Prompts::Answer::Ok;
        QTest::newRow("three files")
            << QStringList({"one.txt", "two.txt", "three.txt"}) << "" << false << ok
            << QStringList({ask.arg(3)})
            << QStringList({"删除 one.txt", "删除 two.txt", "删除 three.txt"})
            << QStringList({"one.txt", "two.txt", "three.txt"}) << QStringList({"ro.txt"});
        QTest::newRow("a read-only file, by the Delete key")
            << QStringList({"ro.txt"}) << "" << true << ok << QStringList({ask.arg(1)})
            << QStringList({"删除 ro.txt"}) << QStringList({"ro.txt"}) << QStringList();
        QTest::newRow("a tree holding links")
            << QStringList({"tree"}) << "" << false << ok << QStringList({ask.arg(1)})
            << QStringList({"删除 tree"}) << QStringList({"tree"})
            << QStringList({"../outside/keep.txt", "../outside/deep/d.txt"});
        QTest::newRow("a folder holding a hidden file")
            << QStringList({"hid"}) << "" << false << ok << QStringList({ask.arg(1)})
            << QStringList({"删除操作被拒绝 hid"}) << QStringList({"hid/v.txt", "hid/sub"})
            << QStringList({"hid/.hidden"});
        QTest::newRow("a link to a folder elsewhere")
            << QStringList({"dirlink"}) << "" << false << ok << QStringList({ask.arg(1)})
            << QStringList({"删除 dirlink"}) << QStringList({"dirlink"})
            << QStringList({"../outside/keep.txt", "../outside/deep/d.txt"});
        QTest::newRow("a folder ending in a blank")
            << QStringList({"abc "}) << "" << false << ok << QStringList({ask.arg(1)})
            << QStringList({"删除 abc "}) << QStringList({"abc "}) << QStringList({"abc/keep.txt"});
        QTest::newRow("relative text in the box")
            << QStringList({"one.txt"}) << "rel" << false << ok << QStringList({ask.arg(1)})
            << QStringList({"删除 one.txt"}) << QStringList({"one.txt"}) << QStringList();
        QTest::newRow("the parent row alone")
            << QStringList({".."}) << "" << true << ok << QStringList() << QStringList()
            << QStringList() << QStringList({"one.txt"});
        QTest::newRow("cancelled")
            << QStringList({"one.txt", "tree"}) << "" << false << Prompts::Answer::Cancel
            << QStringList({ask.arg(2)}) << QStringList() << QStringList()
            << QStringList({"one.txt", "tree/f.txt"});
    }

    void deletes()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QString, typedAfter);
        QFETCH(bool, byKey);
        QFETCH(Prompts::Answer, answer);
        QFETCH(QStringList, questions);
        QFETCH(QStringList, queue);
        QFETCH(QStringList, gone);
        QFETCH(QStringList, staying);
        QTemporaryDir base;
        const QString root = base.filePath("root");
        const QString outside = base.filePath("outside");
        for (const char *name :
             {"one.txt", "two.txt", "three.txt", "ro.txt", "tree/sub/s.txt", "tree/f.txt",
              "hid/v.txt", "hid/sub/w.txt", "hid/.hidden", "abc /in.txt", "abc/keep.txt"})
            QVERIFY(TestFiles::write(root + "/" + name, name));
        QVERIFY(QFile::setPermissions(root + "/ro.txt", QFile::ReadOwner | QFile::ReadGroup));
        QVERIFY(TestFiles::write(outside + "/keep.txt", "keep"));
        QVERIFY(TestFiles::write(outside + "/deep/d.txt", "d"));
        QVERIFY(QFile::link(outside, root + "/tree/sub/out"));
        QVERIFY(QFile::link(outside + "/keep.txt", root + "/tree/flink"));
        QVERIFY(QFile::link(outside, root + "/dirlink"));
        WorkingDirectory cwd;
        FileOpsRig rig;
        rig.showLocal(root);
        rig.w.ui().cmbLocalDir->addItem(root + "/tree/");
        rig.w.ui().cmbLocalDir->setEditText(typedAfter.isEmpty() ? root : typedAfter);
        rig.select(false, chosen);
        rig.prompts.messageAnswers = {answer};

        if (byKey)
            Q_EMIT rig.pane(false)->keyReleased(Qt::Key_Delete, {});
        else
            rig.press("删除");

        QCOMPARE(rig.questions(), questions);
        QStringList recorded;
        for (const QString &row : rig.queue())
            recorded << row.section('|', 0, 0) + " " + row.section('|', 1, 1).mid(root.size() + 1);
        // Files come in the order the file system lists them.
        recorded.sort();
        queue.sort();
        QCOMPARE(recorded, queue);
        for (const QString &path : gone)
            QVERIFY2(!exists(root + "/" + path), qPrintable(path));
        for (const QString &path : staying)
            QVERIFY2(exists(root + "/" + path), qPrintable(path));
        QCOMPARE(rig.w.ui().cmbLocalDir->findText(root + "/tree/") < 0, gone.contains("tree"));
        QVERIFY(cwd.untouched());
        // The pane shows the directory again, nothing marked or chosen.
        QCOMPARE(rig.w.ui().cmbLocalDir->currentText(), typedAfter.isEmpty() ? root : typedAfter);
        QCOMPARE(rig.texts(false).contains("one.txt"), !gone.contains("one.txt"));
        for (const FileRow &row : rig.model(false)->rows())
            QVERIFY2(!row.ghosted, qPrintable(row.text));
        QVERIFY(rig.pane(false)->selectedRows().isEmpty() || questions.isEmpty());
        QVERIFY(rig.w.ui().cmbLocalDir->isEnabled() && rig.w.ui().cmbRemoteDir->isEnabled());
    }

    // With the queue active, delete removes queue records and new folder
    // does nothing.
    void theQueueActive()
    {
        QTemporaryDir dir;
        FileOpsRig rig;
        rig.showLocal(dir.path());
        rig.w.queueList().AddQueueRow("删除", "/x", 1, "", "", "");
        rig.w.ui().lvwStatus->selectRow(0);
        rig.w.state().LocalHasFocus = false;
        rig.w.state().QueueHasFocus = true;

        rig.press("新建文件夹");
        rig.press("删除");

        QCOMPARE(rig.questions(), QStringList({"确认删除队列条目:删除选择的队列条目?"}));
        QCOMPARE(rig.queue(), QStringList());
        QVERIFY(QDir(dir.path()).isEmpty());
    }
};

QTEST_MAIN(TestLocalFileOps)
#include "tst_localfileops.moc"
