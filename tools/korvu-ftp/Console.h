#pragma once

#include <QString>
#include <optional>

// Messages on standard error. Texts from the server (replies, names) may
// hold escape sequences; none reaches the terminal as such.
namespace Console {

// Every control character but line feed and tab as U+FFFD; carriage returns
// (of CR LF line ends) dropped.
QString terminalSafe(const QString &text);
// "korvu-ftp: " + text, made terminal-safe, on its own line.
void printMessage(const QString &text);
// Whether standard error is a terminal.
bool errorIsTerminal();
// Whether standard input is a terminal (someone there to answer).
bool inputIsTerminal();
// Asks on standard error and reads one line from standard input, not shown
// while typed unless `echo`; nothing when standard input is no terminal or
// ends.
std::optional<QString> askTerminal(const QString &prompt, bool echo);
// Columns of the terminal on standard error; 80 when it does not say.
int errorColumns();

} // namespace Console
