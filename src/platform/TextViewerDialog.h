#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

// Korvu's own read-only text viewer, used when the user has not chosen a
// viewer program. Very large files are shown in part so the window opens
// at once.
class TextViewerDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr qint64 MaxShownBytes = 8 * 1024 * 1024;

    explicit TextViewerDialog(QWidget *parent = nullptr);

    // Reads the file; false when it cannot be read.
    bool load(const QString &path);
    QString text() const;
    bool isTruncated() const { return truncated; }

    // UTF-8 when the bytes are valid UTF-8, otherwise GB18030 (a superset of
    // GBK, the usual encoding of older Chinese text files).
    static QString decode(const QByteArray &bytes);

private:
    QPlainTextEdit *txtView;
    QLabel *lblNotice;
    bool truncated = false;
};
