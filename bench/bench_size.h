#pragma once
// How much work a benchmark does: all of it when it measures, a small share in the test
// command's smoke run (MJ_BENCH_SMOKE=1), which only shows that every benchmark still runs, under
// the sanitizers, where a large buffer grown a kilobyte at a time takes minutes.
#include <cstdlib>

namespace mjbench {

inline bool smokeRun() {
    const char* s = std::getenv("MJ_BENCH_SMOKE");
    return s && *s && *s != '0';
}

template <class T>
T size(T whole, T smoke) {
    return smokeRun() ? smoke : whole;
}

}  // namespace mjbench
