#include "window/StatusPanels.h"

#include "platform/Twips.h"

#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <cmath>

const QString StatusPanels::ProgressKey = QStringLiteral("\"Progress\"");

namespace {
// Offsets of Progress1 inside the status bar, in twips.
constexpr int progressTop = 80;
constexpr int progressLeft = 500;
// The bar's own range: fine enough for a smooth bar at any width.
constexpr int barSteps = 10000;
constexpr int fileNameShown = 15;

QIcon pictureIcon(int image)
{
    switch (image) {
    case StatusPanels::Stopped:
        return QIcon::fromTheme(QStringLiteral("process-stop"));
    case StatusPanels::Closed:
        return QIcon::fromTheme(QStringLiteral("network-offline"));
    case StatusPanels::Connected:
        return QIcon::fromTheme(QStringLiteral("network-transmit-receive"));
    default:
        return QIcon();
    }
}
// The panel "Status". Its picture changes with every command and every
// reply: painted here, a new one only repaints the panel, where a new pixmap
// of the label's own would lay the whole status bar out again.
class PicturePanel : public QLabel
{
public:
    explicit PicturePanel(QWidget *parent) : QLabel(parent) {}
    void setPicture(const QPixmap &pixmap)
    {
        picture = pixmap;
        update();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        if (picture.isNull())
            return;
        QPainter painter(this);
        painter.drawPixmap(QStyle::alignedRect(layoutDirection(), Qt::AlignCenter,
                                               picture.deviceIndependentSize().toSize(),
                                               contentsRect()),
                           picture);
    }

private:
    QPixmap picture;
};
} // namespace

StatusPanels::StatusPanels(QWidget *parent) : QStatusBar(parent), Progress1(new QProgressBar(this))
{
    setObjectName(QStringLiteral("sbStatusBar"));
    addPanel(ProgressKey, QStringLiteral("状态"), QStringLiteral("传输进度"), 3600, 0);
    addPanel(QStringLiteral("Rate"), QString(), QStringLiteral("已传输大小"), 2000, 0);
    addPanel(QStringLiteral("FileName"), QString(), QStringLiteral("传输文件名"), 2000, 1);
    addPanel(QStringLiteral("FileSize"), QString(), QStringLiteral("文件大小"), 1600, 0);
    addPanel(QStringLiteral("Status"), QString(), QStringLiteral("传输状态"), 600, 0);
    panel(QStringLiteral("Status"))->setAlignment(Qt::AlignCenter);
    // "Rate" holds the amount, the speed and the time left of a transfer.
    QLabel *rate = panel(QStringLiteral("Rate"));
    const int rateWidth = rate->fontMetrics().horizontalAdvance(
                              QStringLiteral("已完成:1023.9 MB  1023.9 MB/s  剩余 00:00:00")) +
                          2 * rate->frameWidth() + rate->margin() + 8;
    rate->setMinimumWidth(qMax(rate->minimumWidth(), rateWidth));
    rate->setMaximumWidth(rate->minimumWidth());

    Progress1->setObjectName(QStringLiteral("Progress1"));
    Progress1->setTextVisible(false);
    Progress1->setRange(0, barSteps);
    Progress1->setValue(0);
    Progress1->raise();

    setStatusPicture(Closed);
}

void StatusPanels::addPanel(const QString &key, const QString &text, const QString &toolTip,
                            int widthTwips, int stretch)
{
    QLabel *label =
        key == QLatin1String("Status") ? new PicturePanel(this) : new QLabel(text, this);
    label->setObjectName(key);
    label->setToolTip(toolTip);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(twipsToPixelsX(widthTwips, this));
    if (stretch == 0)
        label->setMaximumWidth(twipsToPixelsX(widthTwips, this));
    label->installEventFilter(this);
    addWidget(label, stretch);
    panelKeys.append(key);
    panels.insert(key, label);
}

QString StatusPanels::panelText(const QString &key) const
{
    const QLabel *label = panel(key);
    return label ? label->text() : QString();
}

void StatusPanels::setPanelText(const QString &key, const QString &text)
{
    if (QLabel *label = panel(key))
        label->setText(text);
}

void StatusPanels::setStatusPicture(int image)
{
    picture = image;
    QLabel *status = panel(QStringLiteral("Status"));
    const int side = status->fontMetrics().height();
    // Every command and every reply of a run of thousands of calls changes
    // the picture: each is looked up in the theme and drawn once a size.
    if (side != drawnSide) {
        drawnPictures.clear();
        drawnSide = side;
    }
    auto drawn = drawnPictures.constFind(image);
    if (drawn == drawnPictures.cend()) {
        const QIcon icon = pictureIcon(image);
        drawn = drawnPictures.insert(image, icon.isNull() ? QPixmap() : icon.pixmap(side, side));
    }
    static_cast<PicturePanel *>(status)->setPicture(*drawn);
}

void StatusPanels::PlaceProgress()
{
    const QLabel *first = panel(ProgressKey);
    const int top = twipsToPixelsY(progressTop, this);
    const int left = twipsToPixelsX(progressLeft, this);
    Progress1->setGeometry(left, top, qMax(0, first->width() - left),
                           qMax(0, first->height() - 2 * top + first->y()));
}

bool StatusPanels::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (auto it = panels.constBegin(); it != panels.constEnd(); ++it) {
            if (it.value() == watched)
                Q_EMIT panelDoubleClicked(it.key());
        }
    }
    return QStatusBar::eventFilter(watched, event);
}

void StatusPanels::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    PlaceProgress();
}

void StatusPanels::setProgressMaximum(qint64 bytes)
{
    maximum = bytes;
    showProgress();
}

void StatusPanels::setProgressValue(qint64 bytes)
{
    value = bytes;
    showProgress();
    if (bytes == 0)
        Q_EMIT progressCleared();
}

void StatusPanels::showProgress()
{
    const double share = maximum > 0 ? double(qBound<qint64>(0, value, maximum)) / maximum : 0.0;
    Progress1->setValue(int(share * barSteps));
}

void StatusPanels::ShowTransferFile(const QString &text, qint64 size)
{
    setPanelText(QStringLiteral("FileName"),
                 text.size() <= fileNameShown ? text
                                              : text.left(fileNameShown) + QStringLiteral("..."));
    setPanelText(QStringLiteral("FileSize"),
                 size >= 0 ? QStringLiteral("实际大小:") + FormatSize(size) : QString());
}

QString StatusPanels::FormatSize(qint64 bytes)
{
    constexpr qint64 mebibyte = 1024 * 1024;
    if (bytes <= 0)
        return QString();
    if (bytes <= 1000)
        return QString::number(bytes) + QStringLiteral(" B");
    // One decimal, halves away from zero.
    const auto oneDecimal = [](double amount) {
        return QString::number(std::round(amount * 10) / 10, 'f', 1);
    };
    if (bytes <= mebibyte)
        return oneDecimal(bytes / 1024.0) + QStringLiteral(" KB");
    return oneDecimal(double(bytes) / mebibyte) + QStringLiteral(" MB");
}
