#include "window/RemoteErrors.h"

#include "ftp/FtpSession.h"
#include "platform/SessionLog.h"
#include "window/WindowContext.h"
#include "window/WindowState.h"

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
    context.ftp.DropConnection();
    context.state.ConnectionLost = true;
    context.availability.refresh();
}

void ReportFtpFailure(WindowContext &context, const FtpError &error)
{
    if (context.ftp.ConnectionState() != FtpState::Connected || error.number == 421) {
        ReportRemoteError(context, error.description, error.number);
        return;
    }
    context.log.append(error.description + QStringLiteral("\r\n"));
}
