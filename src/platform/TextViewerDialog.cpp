#include "platform/TextViewerDialog.h"

#include "platform/TextFileView.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString encodingName(TextFileIndex::Encoding encoding)
{
    return encoding == TextFileIndex::Encoding::Utf8 ? QStringLiteral("UTF-8")
                                                     : QStringLiteral("GB18030");
}
} // namespace

TextViewerDialog::TextViewerDialog(QWidget *parent)
    : QDialog(parent), txtView(new QPlainTextEdit(this)), lines(new TextFileView(this)),
      lblNotice(new QLabel(this))
{
    setObjectName(QStringLiteral("frmTextViewer"));
    txtView->setObjectName(QStringLiteral("txtView"));
    txtView->setReadOnly(true);
    txtView->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lines->setObjectName(QStringLiteral("lineView"));
    lines->setVisible(false);
    lblNotice->setVisible(false);
    connect(lines, &TextFileView::indexed, this, &TextViewerDialog::showProgress);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭(&C)"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblNotice);
    layout->addWidget(txtView);
    layout->addWidget(lines);
    layout->addWidget(buttons);
    resize(720, 540);
}

bool TextViewerDialog::load(const QString &path, const QString &title)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (info.size() <= WholeTextBytes) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = file.readAll();
        textEncoding = TextFileIndex::detect(bytes, true);
        txtView->setPlainText(TextFileIndex::decode(bytes, textEncoding));
        shownWhole = true;
    } else {
        auto index = std::make_unique<TextFileIndex>();
        if (!index->open(path))
            return false;
        textEncoding = index->encoding();
        sizeText = QLocale().formattedDataSize(index->fileSize());
        lines->setFile(std::move(index));
        shownWhole = false;
        txtView->clear();
        showProgress(lines->index()->isComplete());
    }
    txtView->setVisible(shownWhole);
    lines->setVisible(!shownWhole);
    lblNotice->setVisible(!shownWhole);
    setWindowTitle((title.isEmpty() ? info.fileName() : title) + QStringLiteral(" - Korvu"));
    return true;
}

void TextViewerDialog::showProgress(bool complete)
{
    const TextFileIndex *index = lines->index();
    const QString state =
        complete ? QStringLiteral("共 %1 行").arg(QLocale().toString(index->lineCount()))
                 : QStringLiteral("正在读取 %1%")
                       .arg(index->fileSize() > 0 ? index->indexedBytes() * 100 / index->fileSize()
                                                  : 100);
    lblNotice->setText(
        QStringLiteral("%1 · %2 · %3").arg(encodingName(textEncoding), sizeText, state));
}

QString TextViewerDialog::text() const
{
    return shownWhole ? txtView->toPlainText() : QString();
}

QString TextViewerDialog::decode(const QByteArray &bytes)
{
    return TextFileIndex::decode(bytes, TextFileIndex::detect(bytes, true));
}
