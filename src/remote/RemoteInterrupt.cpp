#include "remote/RemoteInterrupt.h"

#include <QtGlobal>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

RemoteInterrupt::RemoteInterrupt()
{
    if (::pipe2(m_pipe, O_NONBLOCK | O_CLOEXEC) != 0)
        m_pipe[0] = m_pipe[1] = -1; // waits then only see their time-out
}

RemoteInterrupt::~RemoteInterrupt()
{
    for (int fd : m_pipe)
        if (fd >= 0)
            ::close(fd);
}

void RemoteInterrupt::requestStop()
{
    m_stop.store(true);
    wake();
}

void RemoteInterrupt::requestDrop()
{
    m_drop.store(true);
    wake();
}

void RemoteInterrupt::reset()
{
    m_stop.store(false);
    m_drop.store(false);
    drain();
}

void RemoteInterrupt::wake()
{
    if (m_pipe[1] < 0)
        return;
    const char byte = 1;
    // A full pipe already wakes the worker; the result does not matter.
    [[maybe_unused]] const ssize_t written = ::write(m_pipe[1], &byte, 1);
}

void RemoteInterrupt::drain()
{
    if (m_pipe[0] < 0)
        return;
    char buffer[64];
    while (::read(m_pipe[0], buffer, sizeof buffer) > 0) {
    }
}

void RemoteInterrupt::waitForWake()
{
    waitForWake(-1);
}

void RemoteInterrupt::waitForWake(int timeoutMs)
{
    if (m_pipe[0] < 0) {
        // No pipe: the caller looks again in a moment.
        ::poll(nullptr, 0, timeoutMs < 0 ? 100 : qMin(timeoutMs, 100));
        return;
    }
    pollfd fd{m_pipe[0], POLLIN, 0};
    if (::poll(&fd, 1, timeoutMs) > 0)
        drain();
}
