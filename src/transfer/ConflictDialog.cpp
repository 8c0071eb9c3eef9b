#include "transfer/ConflictDialog.h"

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

ConflictDialog::ConflictDialog(const TransferItem &item, bool restartSupported, QWidget *parent)
    : QDialog(parent), lblMessage(new QLabel),
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

    connect(cmdTransfer, &QPushButton::clicked, this,
            [this] { choose(ConflictAnswer::Overwrite); });
    connect(cmdResume, &QPushButton::clicked, this, [this] { choose(ConflictAnswer::Resume); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { choose(ConflictAnswer::Cancel); });
    connect(cmdRename, &QPushButton::clicked, this, [this] { choose(ConflictAnswer::Rename); });
    connect(chkSelectedAll, &QCheckBox::clicked, this,
            [this](bool checked) { chosen.applyAll = checked; });
    Form_Load(item, restartSupported);
}

void ConflictDialog::Form_Load(const TransferItem &item, bool restartSupported)
{
    const QString local = item.localPath();
    const QString remote = item.remotePath();
    // A size the server did not give is -1.
    const auto sized = [](const QString &path, qint64 size) {
        return path + QStringLiteral("(") +
               (size < 0 ? QStringLiteral("大小未知") : QString::number(size)) +
               QStringLiteral(")");
    };
    if (item.upload) {
        setWindowTitle(QStringLiteral("文件传输中..."));
        lblMessage->setText(QStringLiteral("你要用 ") + sized(local, item.localSize) +
                            QStringLiteral("覆盖 ") + sized(remote, item.remoteSize) +
                            QStringLiteral(" 吗？"));
        // Resuming needs to know where the server's copy ends.
        cmdResume->setEnabled(item.remoteSize >= 0 && item.remoteSize < item.localSize);
    } else {
        setWindowTitle(QStringLiteral("获取文件中..."));
        lblMessage->setText(QStringLiteral("你要用 ") + sized(remote, item.remoteSize) +
                            QStringLiteral("覆盖 ") + sized(local, item.localSize) +
                            QStringLiteral(" 吗？"));
        cmdResume->setEnabled(item.localSize < item.remoteSize && restartSupported);
    }
    cmdTransfer->setText(QStringLiteral("覆盖"));
}

void ConflictDialog::choose(ConflictAnswer::Choice choice)
{
    chosen.choice = choice;
    if (choice == ConflictAnswer::Cancel)
        reject();
    else
        accept();
}

void ConflictDialog::withoutRename()
{
    cmdRename->setEnabled(false);
}
