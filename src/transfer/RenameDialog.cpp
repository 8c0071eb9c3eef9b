#include "transfer/RenameDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RenameDialog::RenameDialog(Target target, QWidget *parent)
    : QDialog(parent), target(std::move(target)), txtRename(new QLineEdit),
      cmdOK(new QPushButton(QStringLiteral("确定(&O)"))),
      cmdCancel(new QPushButton(QStringLiteral("取消(&C)")))
{
    setObjectName(QStringLiteral("frmRename"));
    setWindowTitle(QStringLiteral("重命名"));
    txtRename->setObjectName(QStringLiteral("txtRename"));
    txtRename->setText(this->target.name);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto *label = new QLabel(QStringLiteral("请输入要更改的名称(&N):"));
    label->setBuddy(txtRename);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(txtRename);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &RenameDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void RenameDialog::cmdOK_Click()
{
    const QString name = txtRename->text();
    if (target.shownInPane(name)) {
        result = Taken;
        accept();
        return;
    }
    // A name that cannot be taken (empty, holding a separator, already on
    // disk or on the server, not permitted) leaves the dialog open.
    if (!target.rename(name))
        return;
    result = Renamed;
    accept();
}
