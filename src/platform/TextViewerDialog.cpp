#include "platform/TextViewerDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QVBoxLayout>

TextViewerDialog::TextViewerDialog(QWidget *parent)
    : QDialog(parent), txtView(new QPlainTextEdit(this)), lblNotice(new QLabel(this))
{
    setObjectName(QStringLiteral("frmTextViewer"));
    txtView->setObjectName(QStringLiteral("txtView"));
    txtView->setReadOnly(true);
    txtView->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lblNotice->setVisible(false);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblNotice);
    layout->addWidget(txtView);
    layout->addWidget(buttons);
    resize(720, 540);
}

bool TextViewerDialog::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(MaxShownBytes);
    truncated = !file.atEnd();
    txtView->setPlainText(decode(bytes));
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - Korvu"));
    if (truncated) {
        lblNotice->setText(
            QStringLiteral("文件较大，只显示了开头的 %1 MB。").arg(MaxShownBytes / (1024 * 1024)));
    }
    lblNotice->setVisible(truncated);
    return true;
}

QString TextViewerDialog::text() const
{
    return txtView->toPlainText();
}

QString TextViewerDialog::decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030");
    if (gb18030.isValid())
        return gb18030.decode(bytes);
    return QString::fromLocal8Bit(bytes);
}
