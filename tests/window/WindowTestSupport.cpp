#include "window/WindowTestSupport.h"

#include "window/CommandSurface.h"

TestCommands::TestCommands()
{
    CommandSurface::build(this, commands);
}

TestContext::TestContext(QWidget *window, Commands &commands, QPlainTextEdit *txtLog, Shell &shell)
    : statusBar(new StatusPanels(window)), log(txtLog),
      context({window, session, g, state, commands, log, prompts, shell, statusBar})
{
    session.setTimeoutMs(10000);
}
