#include "window/WindowContext.h"

#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "window/StatusPanels.h"
#include "window/WindowState.h"

WindowContext::WindowContext(const Parts &parts)
    : window(parts.window), session(parts.session), globals(parts.globals), state(parts.state),
      commands(parts.commands), log(parts.log), prompts(parts.prompts), shell(parts.shell),
      statusBar(parts.statusBar), gate(parts.log, parts.session),
      availability(parts.commands, parts.state, parts.session, gate),
      status([this](int picture) { statusBar->setStatusPicture(picture); }),
      help(parts.shell, parts.log)
{
    // Once the stopped command is over, the activity shows again.
    QObject::connect(&gate, &CommandGate::busyChanged, &gate, [this] {
        if (!gate.busy())
            status.release();
    });
}

bool WindowContext::connected() const
{
    return session.ConnectionState() == RemoteState::Connected;
}

bool WindowContext::ready() const
{
    return connected() && !session.IsBusy();
}
