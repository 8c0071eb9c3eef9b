#include "fileops/PermissionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
const char *const whoNames[] = {"Owner", "Group", "Others"};
const char *const whoTexts[] = {"所有者", "组", "其他用户"};
const char *const whatNames[] = {"Read", "Write", "Execute"};
const char *const whatTexts[] = {"读取(&R)", "写入(&W)", "执行(&X)"};
constexpr int NineBits = 0777;
} // namespace

int PermissionsDialog::bitsOf(int permissions)
{
    bool ok = false;
    const int bits = QString::number(permissions).toInt(&ok, 8);
    return ok ? bits : 0;
}

int PermissionsDialog::digitsOf(int bits)
{
    return QString::number(bits, 8).toInt();
}

PermissionsDialog::PermissionsDialog(const QString &path, int permissions, bool inside,
                                     QWidget *parent)
    : QDialog(parent), txtOctal(new QLineEdit(this)), special(bitsOf(permissions) & ~NineBits)
{
    setObjectName(QStringLiteral("frmPermissions"));
    setWindowTitle(QStringLiteral("属性"));
    auto *layout = new QVBoxLayout(this);
    auto *name = new QLabel(path, this);
    name->setObjectName(QStringLiteral("lblName"));
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(name);

    auto *frame = new QGroupBox(QStringLiteral("权限"), this);
    frame->setObjectName(QStringLiteral("fraPermissions"));
    auto *grid = new QGridLayout(frame);
    const int bits = bitsOf(permissions);
    for (int who = 0; who < 3; ++who) {
        grid->addWidget(new QLabel(QString::fromUtf8(whoTexts[who]), frame), who, 0);
        for (int what = 0; what < 3; ++what) {
            auto *box = new QCheckBox(QString::fromUtf8(whatTexts[what]), frame);
            box->setObjectName(QStringLiteral("chk%1%2").arg(QLatin1String(whoNames[who]),
                                                             QLatin1String(whatNames[what])));
            box->setAccessibleName(QString::fromUtf8(whoTexts[who]) +
                                   QString::fromUtf8(whatTexts[what]).left(2));
            const int bit = 1 << (8 - (who * 3 + what));
            box->setChecked(bits & bit);
            grid->addWidget(box, who, what + 1);
            boxes[size_t(who * 3 + what)] = box;
            connect(box, &QCheckBox::toggled, this, &PermissionsDialog::boxesChanged);
        }
    }
    layout->addWidget(frame);

    auto *form = new QFormLayout;
    txtOctal->setObjectName(QStringLiteral("txtOctal"));
    txtOctal->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-7]{0,4}")), txtOctal));
    connect(txtOctal, &QLineEdit::textEdited, this, &PermissionsDialog::octalEdited);
    form->addRow(QStringLiteral("数值(&N):"), txtOctal);
    if (inside) {
        cmbInside = new QComboBox(this);
        cmbInside->setObjectName(QStringLiteral("cmbInside"));
        cmbInside->addItems(
            {QStringLiteral("只更改这个文件夹"), QStringLiteral("同时更改其中所有的文件和文件夹"),
             QStringLiteral("同时更改其中所有的文件"), QStringLiteral("同时更改其中所有的文件夹")});
        form->addRow(QStringLiteral("范围(&S):"), cmbInside);
    }
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定(&O)"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消(&C)"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(txtOctal, &QLineEdit::textChanged, this, [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(this->permissions() >= 0);
    });
    layout->addWidget(buttons);
    boxesChanged();
}

int PermissionsDialog::permissions() const
{
    const QString text = txtOctal->text();
    if (text.size() < 3)
        return -1;
    return text.toInt();
}

PermissionsDialog::Inside PermissionsDialog::inside() const
{
    return cmbInside ? Inside(cmbInside->currentIndex()) : Inside::Nothing;
}

void PermissionsDialog::boxesChanged()
{
    if (syncing)
        return;
    int bits = special;
    for (int i = 0; i < 9; ++i)
        if (boxes[size_t(i)]->isChecked())
            bits |= 1 << (8 - i);
    // Three digits unless a bit above the nine is set.
    txtOctal->setText(QStringLiteral("%1").arg(bits, bits > NineBits ? 4 : 3, 8, QLatin1Char('0')));
}

void PermissionsDialog::octalEdited(const QString &text)
{
    if (text.size() < 3)
        return;
    const int bits = bitsOf(text.toInt());
    special = bits & ~NineBits;
    syncing = true;
    for (int i = 0; i < 9; ++i)
        boxes[size_t(i)]->setChecked(bits & (1 << (8 - i)));
    syncing = false;
}
