#include "connection/TrustDialog.h"

#include "remote/RemoteCodes.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TrustDialog::TrustDialog(QWidget *parent) : QDialog(parent), trust(RemoteTrust::Refuse) {}

QLabel *TrustDialog::field(const char *name, const QString &text, bool fixedPitch)
{
    auto *label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    if (fixedPitch)
        label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return label;
}

QPushButton *TrustDialog::trustButton(const char *name, const QString &text, int answer)
{
    auto *button = new QPushButton(text);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, answer] { choose(answer); });
    return button;
}

void TrustDialog::assemble(const QString &headline, bool warning, QFormLayout *details,
                           const QList<QPushButton *> &buttons)
{
    auto *lblHeadline = field("lblHeadline", headline);
    if (warning)
        lblHeadline->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));

    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *button : buttons)
        row->addWidget(button);
    // Enter must not trust by accident.
    QPushButton *cmdRefuse =
        trustButton("cmdRefuse", QStringLiteral("拒绝(&R)"), RemoteTrust::Refuse);
    cmdRefuse->setDefault(true);
    cmdRefuse->setFocus();
    row->addWidget(cmdRefuse);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblHeadline);
    layout->addLayout(details);
    // Room the texts do not need goes below them, not between them.
    layout->addStretch(1);
    layout->addLayout(row);
    setMinimumWidth(560);
}

void TrustDialog::choose(int answer)
{
    trust = answer;
    if (answer == RemoteTrust::Refuse)
        reject();
    else
        accept();
}
