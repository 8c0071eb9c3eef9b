#pragma once

class CommandState;

// The commands whose features Korvu does not have yet. They stay disabled
// whatever the panes' focus and selection say, so nothing on screen looks
// like it works when it does not. Each feature, once wired, takes its
// commands off this list.
class UnbuiltCommands
{
public:
    static void hold(CommandState &availability);
};
