#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;

// 属性 of an entry on the server: its permissions as check boxes (owner,
// group and others, each read, write and execute) beside the same value in
// octal, which can be typed too; for a folder, whether everything inside
// changes as well. The bits above the nine (setuid, setgid, sticky) are
// kept as they were.
class PermissionsDialog : public QDialog
{
    Q_OBJECT
public:
    // What else changes inside a folder.
    enum class Inside
    {
        Nothing,
        Everything,
        FilesOnly,
        FoldersOnly,
    };

    // `permissions`: octal digits read as decimal (755, 4755), as listings
    // give them; 0 when the server did not say. `inside`: whether the
    // entry's contents may change too (a folder, not a link).
    PermissionsDialog(const QString &path, int permissions, bool inside, QWidget *parent = nullptr);

    // The permissions chosen, in the same form; -1 while the octal box holds
    // no valid value.
    int permissions() const;
    Inside inside() const;

    // Octal digits read as decimal, and the bits they stand for.
    static int bitsOf(int permissions);
    static int digitsOf(int bits);

private:
    void boxesChanged();
    void octalEdited(const QString &text);

    std::array<QCheckBox *, 9> boxes{}; // owner rwx, group rwx, others rwx
    QLineEdit *txtOctal;
    QComboBox *cmbInside = nullptr;
    int special; // the bits above the nine
    bool syncing = false;
};
