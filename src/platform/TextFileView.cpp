#include "platform/TextFileView.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace {
constexpr int tabStop = 8;
constexpr int margin = 4;

// Tabs to the next multiple of eight columns, as a terminal shows them.
QString expandTabs(const QString &line)
{
    if (!line.contains(QLatin1Char('\t')))
        return line;
    QString out;
    out.reserve(line.size() + tabStop);
    for (const QChar c : line) {
        if (c == QLatin1Char('\t'))
            out.append(QString(tabStop - out.size() % tabStop, QLatin1Char(' ')));
        else
            out.append(c);
    }
    return out;
}
} // namespace

TextFileView::TextFileView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth() * 4);
    stepper.setInterval(0);
    connect(&stepper, &QTimer::timeout, this, &TextFileView::indexStep);
}

void TextFileView::setFile(std::unique_ptr<TextFileIndex> index)
{
    file = std::move(index);
    widest = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    // The first screen's lines at once; the rest between events.
    file->indexMore(TextFileIndex::BlockBytes);
    updateScrollBars();
    viewport()->update();
    if (!file->isComplete())
        stepper.start();
}

void TextFileView::indexStep()
{
    const bool complete = file->indexMore(StepBytes);
    if (complete)
        stepper.stop();
    updateScrollBars();
    Q_EMIT indexed(complete);
}

qint64 TextFileView::firstShownLine() const
{
    return verticalScrollBar()->value();
}

int TextFileView::linesOnScreen() const
{
    return qMax(1, viewport()->height() / fontMetrics().lineSpacing());
}

void TextFileView::updateScrollBars()
{
    const qint64 lines = file ? file->lineCount() : 0;
    const int page = linesOnScreen();
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, int(qBound(qint64(0), lines - page, qint64(INT_MAX))));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, qMax(0, widest + 2 * margin - viewport()->width()));
}

QStringList TextFileView::shownLines()
{
    QStringList shown;
    if (!file)
        return shown;
    for (const QByteArray &line : file->readLines(firstShownLine(), linesOnScreen() + 1))
        shown.append(TextFileIndex::decode(line, file->encoding()));
    return shown;
}

void TextFileView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const QFontMetrics metrics = fontMetrics();
    const int height = metrics.lineSpacing();
    const int x = margin - horizontalScrollBar()->value();
    int y = 0;
    const int widestBefore = widest;
    for (const QString &line : shownLines()) {
        const QString text = expandTabs(line);
        widest = qMax(widest, metrics.horizontalAdvance(text));
        painter.drawText(x, y + metrics.ascent(), text);
        y += height;
    }
    if (widest != widestBefore)
        updateScrollBars();
}

void TextFileView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TextFileView::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::MoveToStartOfDocument) {
        verticalScrollBar()->setValue(0);
        return;
    }
    if (event == QKeySequence::MoveToEndOfDocument) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}
