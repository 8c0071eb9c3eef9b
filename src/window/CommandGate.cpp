#include "window/CommandGate.h"

#include "platform/SessionLog.h"
#include "remote/RemoteSession.h"
#include "remote/RemoteTexts.h"

#include <exception>

CommandGate::CommandGate(SessionLog &log, const RemoteSession &session, QObject *parent)
    : QObject(parent), log(log), session(session)
{}

bool CommandGate::busy() const
{
    return running > 0 || session.IsBusy();
}

bool CommandGate::run(const std::function<void()> &command)
{
    if (busy())
        return false;
    ++running;
    Q_EMIT busyChanged();
    guarded(command);
    --running;
    Q_EMIT busyChanged();
    return true;
}

void CommandGate::runAlways(const std::function<void()> &command)
{
    guarded(command);
}

void CommandGate::guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const RemoteError &error) {
        log.append(RemoteTexts::description(error) + QStringLiteral("\r\n"));
    } catch (const std::exception &error) {
        log.append(QString::fromLocal8Bit(error.what()) + QStringLiteral("\r\n"));
    } catch (...) {
        log.append(QStringLiteral("未知错误\r\n"));
    }
}
