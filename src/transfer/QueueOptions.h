#pragma once

class SettingsStore;

// The choices of 程序选项 for transfers: whether downloads and uploads go
// to the transfer queue ("后台传输", off unless stored), and how many of its
// items run at once ("同时传输数", 1 to 10, 2 unless stored); the speed
// limits in KiB/s that every transfer, queued or not, shares ("下载限速",
// "上传限速", 0 to MaxLimit; 0, the default, is no limit).
struct QueueOptions
{
    static constexpr int MaxLimit = 1024 * 1024; // KiB/s: 1 GiB/s

    bool background = false;
    int parallel = 2;
    int downloadLimit = 0;
    int uploadLimit = 0;

    static QueueOptions read(const SettingsStore &settings);
    void write(SettingsStore &settings) const;
};
