#pragma once

#include "platform/TextFileIndex.h"

#include <QAbstractScrollArea>
#include <QTimer>
#include <memory>

// A read-only view of a text file too big to hold as text: it draws only
// the lines on screen, read from the file as they are needed. The first
// lines show at once; the rest of the file is indexed in steps between
// events, and the scroll bar grows as it goes.
class TextFileView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    // File bytes indexed per step: a few milliseconds of work.
    static constexpr qint64 StepBytes = 16 * 1024 * 1024;

    explicit TextFileView(QWidget *parent = nullptr);

    // Shows the file of `index` (opened) from its first line on.
    void setFile(std::unique_ptr<TextFileIndex> index);
    const TextFileIndex *index() const { return file.get(); }
    qint64 firstShownLine() const;
    // The lines that fit on screen from the first one shown, decoded.
    QStringList shownLines();

Q_SIGNALS:
    // Another part of the file was indexed (`complete`: all of it).
    void indexed(bool complete);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void indexStep();
    void updateScrollBars();
    int linesOnScreen() const;

    std::unique_ptr<TextFileIndex> file;
    QTimer stepper;
    int widest = 0; // the widest line drawn so far, in pixels
};
