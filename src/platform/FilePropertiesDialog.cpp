#include "platform/FilePropertiesDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel *valueLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QString timeText(const QDateTime &time)
{
    if (!time.isValid())
        return QStringLiteral("-");
    return QLocale().toString(time, QLocale::LongFormat);
}
} // namespace

FilePropertiesDialog::FilePropertiesDialog(const QString &path, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProperties"));
    const QFileInfo info(path);
    const QString name =
        info.fileName().isEmpty() ? QDir::toNativeSeparators(info.filePath()) : info.fileName();
    setWindowTitle(QStringLiteral("%1 属性").arg(name));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("名称:"), valueLabel(name, this));
    if (!info.exists()) {
        form->addRow(QStringLiteral("状态:"), valueLabel(QStringLiteral("文件不存在"), this));
    } else {
        QString kind;
        if (info.isSymLink())
            kind = QStringLiteral("符号链接 → ") + QDir::toNativeSeparators(info.symLinkTarget());
        else if (info.isDir())
            kind = QStringLiteral("文件夹");
        else
            kind = QMimeDatabase().mimeTypeForFile(info).comment();
        form->addRow(QStringLiteral("类型:"), valueLabel(kind, this));
        form->addRow(QStringLiteral("位置:"),
                     valueLabel(QDir::toNativeSeparators(info.absolutePath()), this));
        if (!info.isDir()) {
            const QLocale locale;
            form->addRow(QStringLiteral("大小:"),
                         valueLabel(QStringLiteral("%1 (%2 字节)")
                                        .arg(locale.formattedDataSize(info.size()),
                                             locale.toString(info.size())),
                                    this));
        }
        form->addRow(QStringLiteral("创建时间:"), valueLabel(timeText(info.birthTime()), this));
        form->addRow(QStringLiteral("修改时间:"), valueLabel(timeText(info.lastModified()), this));
        form->addRow(QStringLiteral("访问时间:"), valueLabel(timeText(info.lastRead()), this));
        form->addRow(QStringLiteral("所有者:"),
                     valueLabel(info.owner() + QStringLiteral(" / ") + info.group(), this));
        form->addRow(QStringLiteral("权限:"), valueLabel(permissionText(info.permissions()), this));
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定(&O)"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

QString FilePropertiesDialog::permissionText(QFileDevice::Permissions permissions)
{
    const struct
    {
        QFileDevice::Permission flag;
        char letter;
    } bits[] = {
        {QFileDevice::ReadOwner, 'r'}, {QFileDevice::WriteOwner, 'w'}, {QFileDevice::ExeOwner, 'x'},
        {QFileDevice::ReadGroup, 'r'}, {QFileDevice::WriteGroup, 'w'}, {QFileDevice::ExeGroup, 'x'},
        {QFileDevice::ReadOther, 'r'}, {QFileDevice::WriteOther, 'w'}, {QFileDevice::ExeOther, 'x'},
    };
    QString text;
    for (const auto &bit : bits)
        text += QLatin1Char(permissions.testFlag(bit.flag) ? bit.letter : '-');
    return text;
}
