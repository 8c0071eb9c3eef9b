#include "transfer/ConflictDialog.h"

#include "platform/Globals.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPushButton *button(const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption);
    b->setObjectName(QLatin1String(name));
    return b;
}
} // namespace

ConflictDialog::ConflictDialog(Globals &globals, QWidget *parent)
    : QDialog(parent), g(globals), lblMessage(new QLabel),
      cmdTransfer(button("cmdTransfer", QStringLiteral("覆盖"))),
      cmdRename(button("cmdRename", QStringLiteral("更名(&R)"))),
      cmdResume(button("cmdResume", QStringLiteral("继续(&S)"))),
      cmdCancel(button("cmdCancel", QStringLiteral("取消(&C)"))),
      chkSelectedAll(new QCheckBox(QStringLiteral("全部")))
{
    setObjectName(QStringLiteral("frmTransfer"));
    setWindowTitle(QStringLiteral("传输"));
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    chkSelectedAll->setObjectName(QStringLiteral("chkSelectedAll"));

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdTransfer, cmdRename, cmdResume, cmdCancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblMessage);
    layout->addLayout(buttons);
    layout->addWidget(chkSelectedAll);

    connect(cmdTransfer, &QPushButton::clicked, this, &ConflictDialog::cmdTransfer_Click);
    connect(cmdResume, &QPushButton::clicked, this, &ConflictDialog::cmdResume_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &ConflictDialog::cmdCancel_Click);
    connect(cmdRename, &QPushButton::clicked, this, &ConflictDialog::cmdRename_Click);
    connect(chkSelectedAll, &QCheckBox::clicked, this,
            [this](bool checked) { g.gXferApplyAll = checked ? 1 : 0; });
    Form_Load();
}

void ConflictDialog::Form_Load()
{
    // Closing the window without a button cancels.
    g.gDialogCancelled = true;
    g.gXferRename = false;
    g.gXferApplyAll = 0;
    const QString local = g.gXferLocalDir + g.gXferLocalName;
    const QString remote = g.gXferRemoteDir + g.gXferRemoteName;
    // A size the server did not give is -1.
    const auto sized = [](const QString &path, qint64 size) {
        return path + QStringLiteral("(") +
               (size < 0 ? QStringLiteral("大小未知") : QString::number(size)) +
               QStringLiteral(")");
    };
    if (g.gXferUpload) {
        setWindowTitle(QStringLiteral("文件传输中..."));
        lblMessage->setText(QStringLiteral("你要用 ") + sized(local, g.gXferLocalSize) +
                            QStringLiteral("覆盖 ") + sized(remote, g.gXferRemoteSize) +
                            QStringLiteral(" 吗？"));
        // Resuming needs to know where the server's copy ends.
        cmdResume->setEnabled(g.gXferRemoteSize >= 0 && g.gXferRemoteSize < g.gXferLocalSize);
    } else {
        setWindowTitle(QStringLiteral("获取文件中..."));
        lblMessage->setText(QStringLiteral("你要用 ") + sized(remote, g.gXferRemoteSize) +
                            QStringLiteral("覆盖 ") + sized(local, g.gXferLocalSize) +
                            QStringLiteral(" 吗？"));
        cmdResume->setEnabled(g.gXferLocalSize < g.gXferRemoteSize && g.gRestartSupported);
    }
    cmdTransfer->setText(QStringLiteral("覆盖"));
}

void ConflictDialog::cmdTransfer_Click()
{
    g.gXferOverwrite = true;
    g.gDialogCancelled = false;
    g.gXferRename = false;
    accept();
}

void ConflictDialog::cmdResume_Click()
{
    g.gXferOverwrite = false;
    g.gXferRename = false;
    g.gDialogCancelled = false;
    accept();
}

void ConflictDialog::cmdCancel_Click()
{
    g.gXferRename = false;
    g.gDialogCancelled = true;
    reject();
}

void ConflictDialog::cmdRename_Click()
{
    g.gXferRename = true;
    accept();
}
