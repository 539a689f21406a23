#pragma once
// How far a running scan has come, for a thread that watches it: the scanner writes, any
// thread reads. A scan reads the source once per cycle of its rule block.

#include <atomic>

struct TScanProgress {
    std::atomic<int> cycle{0};  // the cycle running, from 0
    std::atomic<int> cycles{1}; // the cycles of the rule block
    std::atomic<int> line{0};   // the source line (from 0) reading stands at in the cycle
    std::atomic<int> lines{0};  // the source's lines; 0 until the scan has them

    // The share of the scan done, from 0 to 1.
    double Fraction() const
    {
        const int total = lines.load(std::memory_order_relaxed);
        const int count = cycles.load(std::memory_order_relaxed);
        if (total <= 0 || count <= 0)
            return 0;
        const double done = cycle.load(std::memory_order_relaxed) +
                            static_cast<double>(line.load(std::memory_order_relaxed)) / total;
        return done >= count ? 1.0 : done / count;
    }
};
