#include "window/WindowTestSupport.h"

#include "window/CommandSurface.h"

TestCommands::TestCommands()
{
    CommandSurface::build(this, commands);
}

TestContext::TestContext(QWidget *window, Commands &commands, QPlainTextEdit *txtLog, Shell &shell)
    : statusBar(new StatusPanels(window)), log(txtLog),
      context({window, ftp, g, state, commands, log, prompts, shell, statusBar})
{
    ftp.setTimeoutMs(10000);
}
