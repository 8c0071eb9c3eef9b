#pragma once

#include <QString>

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
// Columns of the terminal on standard error; 80 when it does not say.
int errorColumns();

} // namespace Console
