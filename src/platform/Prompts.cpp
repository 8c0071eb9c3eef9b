#include "platform/Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

QWidget *QtPrompts::dialogParent() const
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return parent;
}

Prompts::Answer QtPrompts::messageBox(const QString &text, Buttons buttons, Icon icon,
                                      const QString &title)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<QString> QtPrompts::inputBox(const QString &prompt, const QString &title,
                                           const QString &defaultText)
{
    bool ok = false;
    QString text =
        QInputDialog::getText(dialogParent(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtPrompts::secretBox(const QString &prompt, const QString &title)
{
    bool ok = false;
    QString text =
        QInputDialog::getText(dialogParent(), title, prompt, QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtPrompts::openFileName(const QString &title, const QString &filter,
                                const QString &startFile)
{
    return QFileDialog::getOpenFileName(dialogParent(), title, startFile, filter);
}

Prompts::Answer ScriptedPrompts::messageBox(const QString &text, Buttons buttons, Icon icon,
                                            const QString &title)
{
    asked.append({Kind::Message, title, text, buttons, icon});
    if (whileMessageUp)
        whileMessageUp(asked.last());
    if (!messageAnswers.isEmpty())
        return messageAnswers.takeFirst();
    return (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) ? Answer::Yes
                                                                          : Answer::Ok;
}

std::optional<QString> ScriptedPrompts::inputBox(const QString &prompt, const QString &title,
                                                 const QString &)
{
    asked.append({Kind::Input, title, prompt});
    if (!inputAnswers.isEmpty())
        return inputAnswers.takeFirst();
    return std::nullopt;
}

std::optional<QString> ScriptedPrompts::secretBox(const QString &prompt, const QString &title)
{
    asked.append({Kind::Secret, title, prompt});
    if (!inputAnswers.isEmpty())
        return inputAnswers.takeFirst();
    return std::nullopt;
}

QString ScriptedPrompts::openFileName(const QString &title, const QString &filter,
                                      const QString &startFile)
{
    asked.append({Kind::OpenFile, title, startFile, Buttons::Ok, Icon::None, filter});
    if (!fileAnswers.isEmpty())
        return fileAnswers.takeFirst();
    return QString();
}
