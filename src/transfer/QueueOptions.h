#pragma once

class SettingsStore;

// The choices of 程序选项 for transfers: whether downloads and uploads go
// to the transfer queue ("后台传输", off unless stored), and how many of its
// items run at once ("同时传输数", 1 to 10, 2 unless stored).
struct QueueOptions
{
    bool background = false;
    int parallel = 2;

    static QueueOptions read(const SettingsStore &settings);
    void write(SettingsStore &settings) const;
};
