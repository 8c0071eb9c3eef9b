#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// Message boxes, the input box and the open-file dialog: the desktop's modal
// questions. The real implementation shows Qt dialogs; tests use
// ScriptedPrompts, which answers from a queue and records what was asked.
class Prompts
{
public:
    enum class Icon
    {
        None,
        Information,
        Warning,
        Question,
        Critical
    };
    enum class Buttons
    {
        Ok,
        OkCancel,
        YesNo,
        YesNoCancel
    };
    enum class Answer
    {
        Ok,
        Cancel,
        Yes,
        No
    };

    virtual ~Prompts() = default;

    virtual Answer messageBox(const QString &text, Buttons buttons, Icon icon,
                              const QString &title) = 0;
    // The typed text, or nothing when the user cancelled.
    virtual std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                            const QString &defaultText) = 0;
    // The same for a password or passphrase: nothing shows while it is typed.
    virtual std::optional<QString> secretBox(const QString &prompt, const QString &title) = 0;
    // The chosen file, or an empty text when the user cancelled. `filter` uses
    // Qt's form ("可执行文件 (*)").
    virtual QString openFileName(const QString &title, const QString &filter,
                                 const QString &startFile) = 0;
};

class QtPrompts : public Prompts
{
public:
    // Dialogs are parented to the active window, falling back to `parent`.
    explicit QtPrompts(QWidget *parent = nullptr) : parent(parent) {}
    void setParentWidget(QWidget *widget) { parent = widget; }

    Answer messageBox(const QString &text, Buttons buttons, Icon icon,
                      const QString &title) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                    const QString &defaultText) override;
    std::optional<QString> secretBox(const QString &prompt, const QString &title) override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &startFile) override;

private:
    QWidget *dialogParent() const;
    QWidget *parent;
};

// Answers prompts from queues and records each question, for tests.
class ScriptedPrompts : public Prompts
{
public:
    enum class Kind
    {
        Message,
        Input,
        Secret,
        OpenFile
    };
    struct Asked
    {
        Kind kind;
        QString title;
        QString text; // message text, input prompt, or the file dialog's start file
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        QString filter = QString(); // the file dialog's filter
    };

    // Queued answers are used in order (secret boxes take the input boxes'
    // queue); with an empty queue a message box answers Ok (or Yes), an
    // input box is cancelled, a file dialog cancelled.
    QList<Answer> messageAnswers;
    QList<std::optional<QString>> inputAnswers;
    QList<QString> fileAnswers;
    QList<Asked> asked;
    // Runs while a message box is up, before it is answered: what else the
    // user or the desktop does meanwhile.
    std::function<void(const Asked &)> whileMessageUp;

    Answer messageBox(const QString &text, Buttons buttons, Icon icon,
                      const QString &title) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                    const QString &defaultText) override;
    std::optional<QString> secretBox(const QString &prompt, const QString &title) override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &startFile) override;
};
