#pragma once

#include <QObject>
#include <QString>

class QWidget;
class SessionLog;
class Shell;

// Korvu's help: Chinese HTML pages in the "help" folder of the program's
// shipped files (ProgramFiles), opened in the desktop's browser; and the
// mail link to the program's support address.
//
// F1 opens the page of the window it is pressed in: a window names its page
// with setTopic(); one that names none shows the page of the window it
// belongs to, and the main window shows the contents.
class HelpLauncher : public QObject
{
    Q_OBJECT
public:
    static const QString SupportAddress;

    HelpLauncher(Shell &shell, SessionLog &log, QObject *parent = nullptr);

    // Where the help lives: help/index.html in the shipped files of the
    // program in `programDir`.
    void setHelpFile(const QString &programDir);
    QString helpFile() const { return file; }

    // The help page of a window ("connect.html"), for F1 and its help button.
    static void setTopic(QWidget *window, const QString &page);
    static QString topicOf(const QWidget *widget);

    // Opens the help at its contents page ("帮助主题(&C)", F1 in the main
    // window). A missing help folder or a desktop without a browser is told
    // in the log.
    void ShowContents();
    // Opens one page of the help.
    void ShowTopic(const QString &page);
    // Opens a new message to the support address in the user's mail program.
    // Whether one opens is not checked.
    void mnuEmail_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Shell &shell;
    SessionLog &log;
    QString file;
};
