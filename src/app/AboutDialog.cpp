#include "app/AboutDialog.h"

#include "app/AppVersion.h"
#include "app/Artwork.h"
#include "platform/NetworkInfo.h"
#include "platform/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
const QString expandCaption = QStringLiteral("详细 >>");
const QString collapseCaption = QStringLiteral("<< 详细");

// Rows of the detail area, in twips.
constexpr int detailsLeft = 240;
constexpr int valuesLeft = 1500;
constexpr int rowHeight = 300;
} // namespace

QString AboutDialog::socketVersionCaption()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Winsock 版本:");
#else
    return QStringLiteral("套接字版本:");
#endif
}

AboutDialog::AboutDialog(NetworkInfo &networkInfo, QWidget *parent)
    : QDialog(parent), networkInfo(networkInfo), lblTitle(new QLabel(this)),
      lblVer(new QLabel(this)), Picture1(new QLabel(this)), Line1(new QFrame(this)),
      Label1(new QLabel(this)), lblDescription(new QLabel(this)), lblHostname(new QLabel(this)),
      lblVersion(new QLabel(this)), lblStatus(new QLabel(this)), lbxAddress(new QListWidget(this)),
      cmdOk(new QPushButton(QStringLiteral("确定(&O)"), this)),
      cmdDetails(new QPushButton(expandCaption, this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于"));
    const QList<QPair<QWidget *, const char *>> names = {
        {lblTitle, "lblTitle"},
        {lblVer, "lblVer"},
        {Picture1, "Picture1"},
        {Line1, "Line1"},
        {Label1, "Label1"},
        {lblDescription, "lblDescription"},
        {lblHostname, "lblHostname"},
        {lblVersion, "lblVersion"},
        {lblStatus, "lblStatus"},
        {lbxAddress, "lbxAddress"},
        {cmdOk, "cmdOk"},
        {cmdDetails, "cmdDetails"},
    };
    for (const auto &[widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));

    const QStringList captions = {QStringLiteral("描述:"),    QStringLiteral("本机名称:"),
                                  QStringLiteral("本机 IP:"), socketVersionCaption(),
                                  QStringLiteral("状态:"),    QStringLiteral("本机网络信息")};
    for (int i = 0; i < captions.size(); ++i) {
        auto *label = new QLabel(captions.at(i), this);
        label->setObjectName(QStringLiteral("Labels_%1").arg(i));
        Labels.append(label);
    }

    lblTitle->setText(QStringLiteral("Korvu"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    Picture1->setPixmap(Artwork::logo(48));
    Label1->setText(QStringLiteral("一个中文界面的双窗格 FTP 客户端。"));
    Label1->setWordWrap(true);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    QFont boldFont = Labels.at(5)->font();
    boldFont.setBold(true);
    Labels.at(5)->setFont(boldFont);
    for (QLabel *value : {lblDescription, lblHostname, lblVersion, lblStatus})
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdOk->setDefault(true);

    place(Picture1, 240, 240, 720, 720);
    place(lblTitle, 1200, 200, 4500, 440);
    place(lblVer, 1200, 660, 4500, 280);
    place(Label1, 1200, 960, 4500, 500);
    place(cmdOk, 3120, 1620, 1260, 400);
    place(cmdDetails, 4500, 1620, 1260, 400);
    place(Line1, 120, 2180, DialogWidth - 240, 40);
    place(Labels.at(5), detailsLeft, 2280, 4000, rowHeight);
    const int rows[] = {2600, 2900, 3800, 3200, 3500}; // by the captions' order
    for (int i = 0; i < 5; ++i)
        place(Labels.at(i), detailsLeft, rows[i], valuesLeft - detailsLeft, rowHeight);
    place(lblDescription, valuesLeft, rows[0], DialogWidth - valuesLeft - 240, rowHeight);
    place(lblHostname, valuesLeft, rows[1], DialogWidth - valuesLeft - 240, rowHeight);
    place(lblVersion, valuesLeft, rows[3], DialogWidth - valuesLeft - 240, rowHeight);
    place(lblStatus, valuesLeft, rows[4], DialogWidth - valuesLeft - 240, rowHeight);
    place(lbxAddress, valuesLeft, rows[2], DialogWidth - valuesLeft - 240,
          ExpandedHeight - rows[2] - 120);

    connect(cmdOk, &QPushButton::clicked, this, &AboutDialog::cmdOk_Click);
    connect(cmdDetails, &QPushButton::clicked, this, &AboutDialog::cmdDetails_Click);
    Form_Load();
}

void AboutDialog::place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixelsX(left, this), twipsToPixelsY(top, this),
                        twipsToPixelsX(width, this), twipsToPixelsY(height, this));
}

void AboutDialog::Form_Load()
{
    setFixedSize(twipsToPixelsX(DialogWidth, this), twipsToPixelsY(CollapsedHeight, this));
    lblVer->setText(QStringLiteral("版本 ") + AppVersion::number());
}

bool AboutDialog::isExpanded() const
{
    return cmdDetails->text() == collapseCaption;
}

void AboutDialog::cmdDetails_Click()
{
    if (isExpanded()) {
        cmdDetails->setText(expandCaption);
        setFixedSize(width(), twipsToPixelsY(CollapsedHeight, this));
        return;
    }
    cmdDetails->setText(collapseCaption);
    setFixedSize(width(), twipsToPixelsY(ExpandedHeight, this));
    lblTitle->setText(QStringLiteral("Korvu"));
    const NetworkDetails details = networkInfo.details();
    lblDescription->setText(details.description);
    lblHostname->setText(details.hostName);
    lblVersion->setText(
        QStringLiteral("%1.%2").arg(details.majorVersion).arg(details.minorVersion));
    lblStatus->setText(details.status);
    lbxAddress->clear();
    lbxAddress->addItems(details.addresses);
}

void AboutDialog::cmdOk_Click()
{
    accept();
}
