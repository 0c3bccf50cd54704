// Timing and peak-memory helpers shared by the benchmarks.
#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <malloc.h>

namespace Bench {

// Starts a new peak of the resident set (Linux: writing 5 to clear_refs resets VmHWM), after
// handing memory freed by the step before back to the system.
inline void resetPeakRss()
{
    malloc_trim(0);
    if (std::FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// The peak resident set since the last reset, in megabytes (VmHWM), or −1 when unknown.
inline double peakRssMb()
{
    std::FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    double kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kb = std::atof(line + 6);
    std::fclose(f);
    return kb < 0 ? -1 : kb / 1024.0;
}

// The best of `runs` timings of work in milliseconds, and the highest peak memory of a run.
struct Measure {
    double ms = 1e300;
    double rssMb = 0;
};

inline Measure bestOf(int runs, const std::function<void()> &work)
{
    Measure m;
    for (int r = 0; r < runs; ++r) {
        resetPeakRss();
        QElapsedTimer t;
        t.start();
        work();
        m.ms = std::min(m.ms, t.nsecsElapsed() / 1e6);
        m.rssMb = std::max(m.rssMb, peakRssMb());
    }
    return m;
}

// One line of figures: ours beside the plainest way, their ratio and the peak memory of each.
inline void report(const char *name, int n, const Measure &ours, const Measure &plain)
{
    std::printf("bench %s n=%d ours_ms=%.1f plain_ms=%.1f ratio=%.2f rss_mb=%.0f plain_rss_mb=%.0f\n", name, n, ours.ms,
                plain.ms, ours.ms / plain.ms, ours.rssMb, plain.rssMb);
    std::fflush(stdout);
}

} // namespace Bench
