#pragma once

#include <QDialog>

class QFormLayout;
class QLabel;
class QPushButton;

// What the questions about a server's identity (its TLS certificate, its SSH
// host key) share: a headline (a warning in red when what was trusted has
// changed), the details as selectable text, answer buttons with 拒绝 as the
// default so that Enter never trusts by accident, and the answer as a
// RemoteTrust. Escape and the close box refuse.
class TrustDialog : public QDialog
{
    Q_OBJECT

public:
    int answer() const { return trust; } // RemoteTrust

protected:
    explicit TrustDialog(QWidget *parent);

    static QLabel *field(const char *name, const QString &text, bool fixedPitch = false);
    QPushButton *trustButton(const char *name, const QString &text, int answer);
    // Lays the dialog out; `buttons` are put before 拒绝.
    void assemble(const QString &headline, bool warning, QFormLayout *details,
                  const QList<QPushButton *> &buttons);

private:
    void choose(int answer);

    int trust;
};
