// Test data shared by the engine tests: random bytes and the status lines
// the jobs show.
#pragma once

#include "RecordingHost.h"

#include <cstddef>
#include <random>
#include <vector>

inline std::vector<BYTE> RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::vector<BYTE> out(n);
    for (auto& b : out) b = static_cast<BYTE>(gen());
    return out;
}

namespace status {
inline const RecordingHost::Status kDownloading{"Downloading......", STATUS_GREEN};
inline const RecordingHost::Status kVerifying{"Verifying......", STATUS_GREEN};
inline const RecordingHost::Status kSuccessful{"Successful!", STATUS_GREEN};
inline const RecordingHost::Status kVerifyError{"Verify error!", STATUS_RED};
inline const RecordingHost::Status kReading{"Reading......", STATUS_GREEN};
inline const RecordingHost::Status kReadingCompleted{"Reading completed!", STATUS_GREEN};
inline const RecordingHost::Status kReadingFailed{"Reading failed!", STATUS_RED};
}  // namespace status
