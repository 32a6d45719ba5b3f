// Figures of repeated measurements: smallest, median and largest.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
};

// The median of an even count is the mean of the two middle values.
inline Spread SpreadOf(std::vector<double> v) {
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {v.front(), median, v.back()};
}

// "min / median / max" with the given format for each figure.
inline std::string Str(const Spread& s, const char* format = "%.3f") {
    char buf[3][32];
    std::snprintf(buf[0], sizeof buf[0], format, s.min);
    std::snprintf(buf[1], sizeof buf[1], format, s.median);
    std::snprintf(buf[2], sizeof buf[2], format, s.max);
    return std::string(buf[0]) + " / " + buf[1] + " / " + buf[2];
}
