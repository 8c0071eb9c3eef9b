#pragma once

#include <functional>

// The picture of the status-bar panel "Status": 1 stopped, 2 closed,
// 3 connected. A stop during an operation shows the stopped picture until
// that operation has ended, whatever the replies to the stop say.
class StatusIndicator
{
public:
    static constexpr int Stopped = 1;
    static constexpr int Closed = 2;
    static constexpr int Connected = 3;

    explicit StatusIndicator(std::function<void(int)> showPicture)
        : showPicture(std::move(showPicture))
    {}

    // What the session's activity suggests; ignored while a stop is shown.
    void show(int picture);
    // The stop command; `duringOperation`: something was running.
    void stopped(bool duringOperation);
    // The operation has ended: the activity decides again.
    void release() { holdingStop = false; }
    int picture() const { return current; }

private:
    std::function<void(int)> showPicture;
    int current = 0;
    bool holdingStop = false;
};
