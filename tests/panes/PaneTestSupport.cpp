#include "PaneTestSupport.h"

#include "panes/FileListView.h"
#include "panes/LocalPane.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>

LocalPaneRig::LocalPaneRig(const QStringList &driveList)
    : commands(actions.commands), drives(driveList), txtLog(new QPlainTextEdit(this)),
      parts(std::make_unique<TestContext>(this, commands, txtLog, shell)), state(parts->state),
      context(parts->context)
{
    setWindowTitle(QStringLiteral("Korvu"));
    model = new FileListModel(
        {QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("日期")}, this);
    fraLocal = new QGroupBox(QStringLiteral("本地视图"), this);
    cmbLocalDir = new QComboBox(fraLocal);
    cmbLocalDir->setEditable(true);
    lvwLocal = new FileListView(model, fraLocal);
    auto *frameLayout = new QVBoxLayout(fraLocal);
    frameLayout->addWidget(cmbLocalDir);
    frameLayout->addWidget(lvwLocal);
    elsewhere = new QLineEdit(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraLocal);
    layout->addWidget(elsewhere);
    layout->addWidget(txtLog);
    resize(500, 600);

    pane = std::make_unique<LocalPane>(context, drives, lvwLocal, cmbLocalDir, fraLocal);
    context.availability.setSources({[this] { return pane->selectedRowKind(); },
                                     {},
                                     {},
                                     {},
                                     [this](Pane) { return lvwLocal->viewMode(); }});
    context.availability.refresh();
}

LocalPaneRig::~LocalPaneRig() = default;

QStringList LocalPaneRig::texts() const
{
    QStringList out;
    for (const FileRow &row : model->rows())
        out << row.text;
    return out;
}

QStringList LocalPaneRig::history() const
{
    QStringList out;
    for (int i = 0; i < cmbLocalDir->count(); ++i)
        out << cmbLocalDir->itemText(i);
    return out;
}

int LocalPaneRig::rowOf(const QString &text) const
{
    return texts().indexOf(text);
}

void LocalPaneRig::select(const QString &text)
{
    lvwLocal->selectRow(rowOf(text));
}

bool makeFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (size > 0 && !file.resize(size))
        return false;
    return true;
}
