#include "app/OptionsDialog.h"

#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "platform/ViewerSettings.h"
#include "transfer/QueueOptions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

const QString OptionsDialog::ShowHiddenKey = QStringLiteral("显示隐藏文件");
const QString OptionsDialog::BrowseTitle = QStringLiteral("请指定您要使用的文件查看程序");
#ifdef Q_OS_WIN
const QString OptionsDialog::BrowseFilter = QStringLiteral("可执行文件 (*.exe)");
#else
// Programs here carry no extension: any file may be one.
const QString OptionsDialog::BrowseFilter = QStringLiteral("可执行文件 (*)");
#endif

namespace {
QPushButton *makeButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

// A speed limit in KiB/s; 0 shows as "不限".
QSpinBox *makeLimitBox(const char *name, const QString &caption, QLabel *label, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(caption);
    box->setRange(0, QueueOptions::MaxLimit);
    box->setSpecialValueText(QStringLiteral("不限"));
    box->setSingleStep(64);
    label->setBuddy(box);
    return box;
}
} // namespace

OptionsDialog::OptionsDialog(SettingsStore &settings, Prompts &prompts, QWidget *parent)
    : QDialog(parent), settings(settings), prompts(prompts),
      Frame1(new QGroupBox(QStringLiteral("文件查看选项"), this)),
      chkNote(new QCheckBox(QStringLiteral("使用记事本查看(&N)"), Frame1)),
      Label1(new QLabel(QStringLiteral("指定查看程序:"), Frame1)), txtExe(new QLineEdit(Frame1)),
      cmdBrowse(makeButton("cmdBrowse", QStringLiteral("浏览(&B)"), Frame1)),
      chkHidden(new QCheckBox(QStringLiteral("显示隐藏文件"), this)),
      chkBackground(new QCheckBox(QStringLiteral("后台传输"), this)),
      lblParallel(new QLabel(QStringLiteral("同时传输数:"), this)), spnParallel(new QSpinBox(this)),
      lblDownloadLimit(new QLabel(QStringLiteral("下载限速 (KiB/s):"), this)),
      spnDownloadLimit(makeLimitBox("spnDownloadLimit", QStringLiteral("下载限速 (KiB/s)"),
                                    lblDownloadLimit, this)),
      lblUploadLimit(new QLabel(QStringLiteral("上传限速 (KiB/s):"), this)),
      spnUploadLimit(
          makeLimitBox("spnUploadLimit", QStringLiteral("上传限速 (KiB/s)"), lblUploadLimit, this)),
      cmdOK(makeButton("cmdOK", QStringLiteral("确定(&O)"), this)),
      cmdCancel(makeButton("cmdCancel", QStringLiteral("取消(&C)"), this)),
      cmdApply(makeButton("cmdApply", QStringLiteral("应用(&A)"), this))
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("程序选项"));
    Frame1->setObjectName(QStringLiteral("Frame1"));
    chkNote->setObjectName(QStringLiteral("chkNote"));
    Label1->setObjectName(QStringLiteral("Label1"));
    txtExe->setObjectName(QStringLiteral("txtExe"));
    chkHidden->setObjectName(QStringLiteral("chkHidden"));
    chkBackground->setObjectName(QStringLiteral("chkBackground"));
    chkBackground->setAccessibleName(QStringLiteral("后台传输"));
    lblParallel->setObjectName(QStringLiteral("lblParallel"));
    spnParallel->setObjectName(QStringLiteral("spnParallel"));
    spnParallel->setAccessibleName(QStringLiteral("同时传输数"));
    spnParallel->setRange(1, 10);
    lblParallel->setBuddy(spnParallel);
    lblDownloadLimit->setObjectName(QStringLiteral("lblDownloadLimit"));
    lblUploadLimit->setObjectName(QStringLiteral("lblUploadLimit"));
    Label1->setBuddy(txtExe);
    cmdOK->setDefault(true);

    auto *frameLayout = new QGridLayout(Frame1);
    frameLayout->addWidget(chkNote, 0, 0, 1, 2);
    frameLayout->addWidget(Label1, 1, 0, 1, 2);
    frameLayout->addWidget(txtExe, 2, 0);
    frameLayout->addWidget(cmdBrowse, 2, 1);
    frameLayout->setColumnStretch(0, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdApply);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(chkHidden);
    auto *queueRow = new QHBoxLayout;
    queueRow->addWidget(chkBackground);
    queueRow->addStretch();
    queueRow->addWidget(lblParallel);
    queueRow->addWidget(spnParallel);
    layout->addLayout(queueRow);
    auto *limitRow = new QHBoxLayout;
    limitRow->addWidget(lblDownloadLimit);
    limitRow->addWidget(spnDownloadLimit);
    limitRow->addStretch();
    limitRow->addWidget(lblUploadLimit);
    limitRow->addWidget(spnUploadLimit);
    layout->addLayout(limitRow);
    layout->addLayout(buttons);
    setMinimumWidth(440);

    connect(chkNote, &QCheckBox::clicked, this, &OptionsDialog::chkNote_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &OptionsDialog::cmdBrowse_Click);
    connect(cmdApply, &QPushButton::clicked, this, &OptionsDialog::cmdApply_Click);
    connect(cmdOK, &QPushButton::clicked, this, &OptionsDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &OptionsDialog::cmdCancel_Click);

    Form_Load();
}

void OptionsDialog::Form_Load()
{
    const ViewerSettings viewer = ViewerSettings::read(settings);
    chkNote->setChecked(viewer.useNotepad);
    txtExe->setEnabled(!viewer.useNotepad);
    cmdBrowse->setEnabled(!viewer.useNotepad);
    txtExe->setText(viewer.program);
    chkHidden->setChecked(showHiddenFiles(settings));
    const QueueOptions queue = QueueOptions::read(settings);
    chkBackground->setChecked(queue.background);
    spnParallel->setValue(queue.parallel);
    spnDownloadLimit->setValue(queue.downloadLimit);
    spnUploadLimit->setValue(queue.uploadLimit);
}

bool OptionsDialog::showHiddenFiles(const SettingsStore &settings)
{
    // Read as the viewer flag is, except that a text that is no flag leaves
    // hidden files out, as they are by default.
    const QString stored = settings.value(ShowHiddenKey).trimmed();
    bool numeric = false;
    const qlonglong number = stored.toLongLong(&numeric);
    return numeric ? number != 0 : stored.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void OptionsDialog::chkNote_Click()
{
    const bool useNotepad = chkNote->isChecked();
    txtExe->setEnabled(!useNotepad);
    cmdBrowse->setEnabled(!useNotepad);
}

void OptionsDialog::cmdBrowse_Click()
{
    const QString chosen = prompts.openFileName(BrowseTitle, BrowseFilter, cdg1FileName);
    if (!chosen.isEmpty())
        cdg1FileName = chosen;
    if (!cdg1FileName.isEmpty())
        txtExe->setText(cdg1FileName);
}

void OptionsDialog::cmdApply_Click()
{
    ViewerSettings viewer;
    viewer.useNotepad = chkNote->isChecked();
    viewer.program = txtExe->text();
    viewer.write(settings);
    settings.setValue(ShowHiddenKey,
                      chkHidden->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    QueueOptions{chkBackground->isChecked(), spnParallel->value(), spnDownloadLimit->value(),
                 spnUploadLimit->value()}
        .write(settings);
    Q_EMIT applied();
}

void OptionsDialog::cmdOK_Click()
{
    cmdApply_Click();
    accept();
}

void OptionsDialog::cmdCancel_Click()
{
    reject();
}
