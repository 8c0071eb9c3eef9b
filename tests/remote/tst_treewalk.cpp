#include "remote/RemoteTreeWalk.h"
#include "remote/TreeSides.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

// Takes every entry the walk hands over and says where it was, relative to
// the root: "f:sub/b.txt" a file, "d:sub" a folder, "s:away" passed over
// (and whether that counted).
class Recorder : public RemoteTreeWalk::Action, public RemoteTreeWalk::Host
{
public:
    explicit Recorder(const QString &root) : m_root(root) {}

    QStringList seen;

    std::optional<RemoteText> passOver(const TreeFolder &, const RemoteEntry &) override
    {
        return std::nullopt;
    }
    std::optional<RemoteError> intoFolder(const TreeFolder &folder,
                                          const RemoteEntry &entry) override
    {
        seen << QStringLiteral("d:") + relative(folder, entry);
        return std::nullopt;
    }
    std::optional<RemoteError> outOfFolder(const TreeFolder &, const RemoteEntry &) override
    {
        return std::nullopt;
    }
    void file(const TreeFolder &folder, const RemoteEntry &entry) override
    {
        seen << QStringLiteral("f:") + relative(folder, entry);
    }
    RemoteMessage doing() const override { return RemoteMessage::WordUpload; }
    RemoteMessage specialReason() const override { return RemoteMessage::SpecialFile; }
    RemoteMessage againReason() const override { return RemoteMessage::FolderUploadedAlready; }
    RemoteText linkOutReason(const QString &target) const override
    {
        return RemoteText(RemoteMessage::LinkOutOfFolder, {target});
    }

    void report(const RemoteActivity &activity) override
    {
        if (activity.kind == RemoteActivityKind::EntrySkipped)
            seen << QStringLiteral("s:") + activity.remotePath;
    }
    bool connected() const override { return true; }
    bool stopRequested() const override { return false; }
    bool dropRequested() const override { return false; }

private:
    QString relative(const TreeFolder &folder, const RemoteEntry &entry) const
    {
        return QDir(m_root).relativeFilePath(folder.path + QLatin1Char('/') + entry.name);
    }

    QString m_root;
};

// "a/b.txt" a file, "a/" a folder, "x -> target" a link, "p|" a pipe.
bool make(const QString &root, const QString &item)
{
    const QString path = root + QLatin1Char('/') + item.section(QStringLiteral(" -> "), 0, 0);
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    if (item.contains(QStringLiteral(" -> ")))
        return QFile::link(item.section(QStringLiteral(" -> "), 1), path);
    if (item.endsWith(QLatin1Char('/')))
        return QDir().mkpath(path);
    if (item.endsWith(QLatin1Char('|')))
        return ::mkfifo(QFile::encodeName(path.chopped(1)).constData(), 0600) == 0;
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace

class TestTreeWalk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsItsRules_data()
    {
        QTest::addColumn<QStringList>("tree"); // under "root/", beside "outside/"
        QTest::addColumn<QString>("glob");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<int>("failures");
        QTest::newRow("folders and files")
            << QStringList{"root/a.txt", "root/sub/b.txt", "root/sub/deeper/"} << "*"
            << QStringList{"f:a.txt", "d:sub", "f:sub/b.txt", "d:sub/deeper"} << 0;
        QTest::newRow("names users have")
            << QStringList{"root/Music [FLAC]/x", "root/README.TXT", "root/readme.txt",
                           "root/blank ", "root/中文/文件"}
            << "*" << QStringList{"d:Music [FLAC]", "f:Music [FLAC]/x", "f:README.TXT", "f:blank ",
                                  "f:readme.txt",   "d:中文",           "f:中文/文件"}
            << 0;
        // A link to a folder in the tree is walked where the folder is;
        // met again through the link, it is passed over without failing.
        QTest::newRow("www -> public_html")
            << QStringList{"root/public_html/index.html", "root/www -> public_html"} << "*"
            << QStringList{"d:public_html", "f:public_html/index.html", "s:www"} << 0;
        QTest::newRow("a link up the tree")
            << QStringList{"root/sub/up -> .."} << "*" << QStringList{"d:sub", "s:up"} << 0;
        QTest::newRow("a folder link out of the tree")
            << QStringList{"outside/secret", "root/away -> ../outside"} << "*"
            << QStringList{"s:away"} << 1;
        QTest::newRow("a file link out of the tree")
            << QStringList{"outside/secret", "root/key -> ../outside/secret"} << "*"
            << QStringList{"s:key"} << 1;
        QTest::newRow("a file link inside") << QStringList{"root/a.txt", "root/b.txt -> a.txt"}
                                            << "*" << QStringList{"f:a.txt", "f:b.txt"} << 0;
        QTest::newRow("a pipe and a broken link")
            << QStringList{"root/pipe|", "root/gone -> missing"} << "*"
            << QStringList{"s:gone", "s:pipe"} << 2;
        QTest::newRow("a pattern picks at the top only")
            << QStringList{"root/a.txt", "root/b.dat", "root/t.txt/c.dat"} << "*.txt"
            << QStringList{"f:a.txt", "d:t.txt", "f:t.txt/c.dat"} << 0;
    }

    void keepsItsRules()
    {
        QFETCH(QStringList, tree);
        QFETCH(QString, glob);
        QFETCH(QStringList, seen);
        QFETCH(int, failures);
        QTemporaryDir dir;
        for (const QString &item : tree)
            QVERIFY2(make(dir.path(), item), qPrintable(item));
        const QString root = dir.filePath(QStringLiteral("root"));
        QVERIFY(QDir().mkpath(root));
        Recorder recorder(root);
        LocalTreeSide side(root);
        RemoteTreeWalk walk(side, recorder, recorder);
        RemoteNameRules::Pattern pattern;
        pattern.glob = glob;
        walk.walk(side.confirm(), {}, pattern);
        QCOMPARE(recorder.seen, seen);
        QCOMPARE(walk.failures(), failures);
    }

    // Ends however deep the tree goes.
    void passesOverWhatIsTooDeep()
    {
        QTemporaryDir dir;
        QString deep = dir.path();
        for (int level = 0; level <= RemoteTreeWalk::MaxDepth + 1; ++level)
            deep += QStringLiteral("/d");
        QVERIFY(QDir().mkpath(deep));
        Recorder recorder(dir.path());
        LocalTreeSide side(dir.path());
        RemoteTreeWalk walk(side, recorder, recorder);
        walk.walk(side.confirm(), {}, {});
        QCOMPARE(recorder.seen.size(), RemoteTreeWalk::MaxDepth + 1);
        QCOMPARE(recorder.seen.last(), QStringLiteral("s:d"));
        QCOMPARE(walk.failures(), 1);
    }
};

QTEST_MAIN(TestTreeWalk)
#include "tst_treewalk.moc"
