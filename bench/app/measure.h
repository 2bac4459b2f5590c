#pragma once
// What the application benchmarks measure with.
#include <algorithm>
#include <ctime>
#include <vector>

namespace bench {

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// CPU time of the calling thread: the window's share of work done elsewhere.
inline double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

} // namespace bench
