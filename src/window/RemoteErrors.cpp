#include "window/RemoteErrors.h"

#include "platform/SessionLog.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"
#include "remote/RemoteTexts.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

namespace {
// Numbers below this one are the server's reply codes.
constexpr int firstOwnNumber = 1000;
} // namespace

namespace {
void endSession(WindowContext &context)
{
    context.session.DropConnection();
    context.state.ConnectionLost = true;
    context.availability.refresh();
}
} // namespace

void ReportRemoteError(WindowContext &context, const QString &description, int number)
{
    if (description.isEmpty() || number <= 0)
        return;
    // The component's texts carry their own line end; one of ours without
    // it would run into the next message.
    if (description.endsWith(QLatin1Char('\n')))
        context.log.append(description);
    else
        context.log.append(description + QStringLiteral("\r\n"));
    endSession(context);
}

void ReportFtpFailure(WindowContext &context, const RemoteError &error)
{
    // A refusal of the server is in the log already, as its reply; the
    // component's own conditions are not.
    if (error.number >= firstOwnNumber)
        context.log.append(RemoteTexts::description(error) + QStringLiteral("\r\n"));
    if (context.session.ConnectionState() != RemoteState::Connected || error.number == 421)
        endSession(context);
}
