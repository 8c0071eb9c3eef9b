#pragma once

#include <QString>

class SessionLog;
class Shell;

// Korvu's help: Chinese HTML pages installed in the "help" folder beside
// the executable, opened in the desktop's browser; and the mail link to the
// program's support address.
class HelpLauncher
{
public:
    static const QString SupportAddress;

    HelpLauncher(Shell &shell, SessionLog &log) : shell(shell), log(log) {}

    // Where the help lives: the program's folder followed by help/index.html.
    void setHelpFile(const QString &programDir);
    QString helpFile() const { return file; }

    // Opens the help at its contents page (F1, "帮助主题(&C)", the dialogs'
    // help buttons). A missing help folder or a desktop without a browser is
    // told in the log.
    void ShowContents();
    // Opens a new message to the support address in the user's mail program.
    // Whether one opens is not checked.
    void mnuEmail_Click();

private:
    Shell &shell;
    SessionLog &log;
    QString file;
};
