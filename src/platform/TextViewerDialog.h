#pragma once

#include "platform/TextFileIndex.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class TextFileView;

// Korvu's own read-only text viewer, used when the user has not chosen a
// viewer program and for files viewed from the server. It is modeless: the
// main window goes on working while it is open. UTF-8 and GB18030 (GBK)
// files are told apart by their bytes.
//
// A file of up to WholeTextBytes is shown whole, to select and copy from.
// A bigger one, up to any size, is read line by line as it scrolls past: it
// opens at once and never sits in memory whole.
class TextViewerDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr qint64 WholeTextBytes = 4 * 1024 * 1024;

    explicit TextViewerDialog(QWidget *parent = nullptr);

    // Shows the file; false when it cannot be read. The title is `title`
    // (the file's own name when empty) followed by " - Korvu".
    bool load(const QString &path, const QString &title = QString());
    // The whole text, for a file shown whole; empty otherwise.
    QString text() const;
    bool isShownWhole() const { return shownWhole; }
    TextFileIndex::Encoding encoding() const { return textEncoding; }
    // The line view of a big file.
    TextFileView *lineView() const { return lines; }

    // UTF-8 when the bytes are valid UTF-8, otherwise GB18030 (a superset of
    // GBK, the usual encoding of older Chinese text files).
    static QString decode(const QByteArray &bytes);

private:
    void showProgress(bool complete);

    QPlainTextEdit *txtView;
    TextFileView *lines;
    QLabel *lblNotice;
    bool shownWhole = true;
    TextFileIndex::Encoding textEncoding = TextFileIndex::Encoding::Utf8;
    QString sizeText;
};
