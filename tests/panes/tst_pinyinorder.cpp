#include "panes/FileListModel.h"
#include "panes/PaneSorting.h"

#include <QAbstractItemModelTester>
#include <QtTest>
#include <algorithm>
#include <random>

namespace {
FileRow named(const QString &name, const char *icon)
{
    FileRow r;
    r.text = name;
    r.iconKey = QString::fromLatin1(icon);
    return r;
}

QStringList texts(const FileListModel &m)
{
    QStringList out;
    for (const FileRow &r : m.rows())
        out << r.text;
    return out;
}

QStringList reversed(QStringList list)
{
    std::reverse(list.begin(), list.end());
    return list;
}
} // namespace

// Names holding Chinese characters sort by their pinyin, after digits and
// Latin names, whatever the locale Korvu runs in; fills, header clicks and
// rows added to a sorted list agree.
class TestPinyinOrder : public QObject
{
    Q_OBJECT

    const QStringList headers = {QStringLiteral("名称"), QStringLiteral("大小"),
                                 QStringLiteral("日期")};

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void namesSortByPinyin_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("sorted"); // ascending

        const QStringList folders = {"软件", "图片", "文档", "音乐", "最新文档"};
        QTest::newRow("C") << "C" << folders;
        QTest::newRow("en_US") << "en_US" << folders;
        QTest::newRow("zh_CN") << "zh_CN" << folders;
        QTest::newRow("de_DE") << "de_DE" << folders;
        QTest::newRow("syllable by syllable")
            << "C" << QStringList({"张三", "中国", "中文", "周报"});
        QTest::newRow("digits and Latin first")
            << "C" << QStringList({"10", "2024报告", "readme.txt", "Zeta", "图片", "文档"});
        QTest::newRow("digits and Latin first, zh_CN")
            << "zh_CN" << QStringList({"3.jpg", "Korvu", "setup.exe", "安装", "说明"});
        QTest::newRow("digits and Latin first, en_US")
            << "en_US" << QStringList({"007", "backup", "Music", "视频", "下载"});
        QTest::newRow("after a shared Chinese start")
            << "C" << QStringList({"文档", "文档2", "文档b", "文档图片"});
        QTest::newRow("case ignored") << "en_US" << QStringList({"a", "B", "c", "报告"});
        QTest::newRow("sizes as text, not numbers")
            << "zh_CN" << QStringList({"100", "20", "9", "九"});
    }

    void namesSortByPinyin()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, sorted);
        QLocale::setDefault(QLocale(locale));
        QStringList shuffled = sorted;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
        if (shuffled == sorted)
            std::reverse(shuffled.begin(), shuffled.end());
        const QStringList withParent = QStringList({".."}) + sorted;

        // A fill sorts the parent row and the folders.
        FileListModel m(headers);
        QAbstractItemModelTester tester(&m);
        QVector<FileRow> folders = {FileListModel::parentRow()};
        for (const QString &name : shuffled)
            folders.append(named(name, "FolderClose"));
        m.fill(folders);
        QCOMPARE(texts(m), withParent);

        // The files a fill appends unsorted are sorted by the first sort and
        // by each click on "名称", which flips the direction.
        QVector<FileRow> files;
        for (const QString &name : shuffled)
            files.append(named(name, "File"));
        m.fill({FileListModel::parentRow()}, files);
        QCOMPARE(texts(m), QStringList({".."}) + shuffled);
        SortByName(m);
        QCOMPARE(texts(m), withParent);
        SortByHeader(m, 0);
        QCOMPARE(texts(m), QStringList({".."}) + reversed(sorted));
        SortByHeader(m, 0);
        QCOMPARE(texts(m), withParent);

        // A list that stays sorted, like the queue after a click, places each
        // new row the same way.
        FileListModel queue(headers);
        queue.setSorted(true);
        for (const QString &name : shuffled)
            queue.addRow(named(name, "File"));
        QCOMPARE(texts(queue), sorted);

        // The other columns compare alike.
        FileListModel bySize(headers);
        QVector<FileRow> sizes;
        for (const QString &name : shuffled) {
            FileRow r = named(QStringLiteral("f"), "File");
            r.setSubItem(1, name);
            sizes.append(r);
        }
        bySize.fill({}, sizes);
        bySize.setSortColumn(1);
        bySize.setSorted(true);
        QStringList sizeTexts;
        for (const FileRow &r : bySize.rows())
            sizeTexts << r.subItem(1);
        QCOMPARE(sizeTexts, sorted);
    }
};

QTEST_MAIN(TestPinyinOrder)
#include "tst_pinyinorder.moc"
