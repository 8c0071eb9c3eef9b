#pragma once

#include <atomic>

// The way the caller's thread reaches a worker blocked in a socket wait:
// StopTransfer and DropConnection set a flag and write one byte to a pipe
// that every wait of the worker polls along with its socket.
class RemoteInterrupt
{
public:
    RemoteInterrupt();
    ~RemoteInterrupt();
    RemoteInterrupt(const RemoteInterrupt &) = delete;
    RemoteInterrupt &operator=(const RemoteInterrupt &) = delete;

    void requestStop();
    void requestDrop();
    // Clears both requests; called before each operation.
    void reset();

    bool stopRequested() const { return m_stop.load(std::memory_order_relaxed); }
    bool dropRequested() const { return m_drop.load(std::memory_order_relaxed); }

    // The descriptor that becomes readable on a request; drain() empties it.
    int pollDescriptor() const { return m_pipe[0]; }
    void drain();
    // Wakes a worker that waits for anything else the caller's thread
    // provides (an answer), without a request.
    void wake();
    // Waits until a request or a wake() (for ever), then drains.
    void waitForWake();
    // The same for at most `timeoutMs`.
    void waitForWake(int timeoutMs);

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_drop{false};
    int m_pipe[2] = {-1, -1};
};
