#pragma once

// Timing helpers shared by the benchmark drivers. Figures of repeated runs
// are shown with their spread, "median [lowest..highest]", so that a reader
// tells the noise of a shared machine from a real change; ratios are taken
// run by run (the two contenders of one round share that round's load) and
// shown the same way. bench/lib/korvubench.py does the same for the scripts.

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <sys/resource.h>
#include <vector>

inline double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

inline double cpuMs(const rusage &usage)
{
    const auto ms = [](const timeval &t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Processor time (user and system) the calling thread has used, in ms:
// what its own work costs, whatever else the machine does meanwhile.
inline double threadCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return cpuMs(usage);
}

// The same for the whole process, all its threads.
inline double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return cpuMs(usage);
}

struct Spread
{
    double low = 0;
    double median = 0;
    double high = 0;
};

inline Spread spreadOf(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double middle = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {values.front(), middle, values.back()};
}

// a[i] / b[i]: the runs of one round against each other.
inline std::vector<double> ratiosOf(const std::vector<double> &a, const std::vector<double> &b)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        ratios.push_back(b[i] > 0 ? a[i] / b[i] : 0);
    return ratios;
}

// "812 [640..905]" with `decimals` places.
inline QString shown(const Spread &spread, int decimals = 0)
{
    return QStringLiteral("%1 [%2..%3]")
        .arg(spread.median, 0, 'f', decimals)
        .arg(spread.low, 0, 'f', decimals)
        .arg(spread.high, 0, 'f', decimals);
}
