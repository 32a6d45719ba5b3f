// What the chip job tests look at in a JobResult: the findings of a read as
// one comparable value, the bytes it read, and its status lines in the
// recording host's terms.
#pragma once

#include "DeviceJobs.h"
#include "RecordingHost.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <vector>

namespace chiptest {

// ReadFindings, compared and printed as a whole.
struct Found {
    DWORD readLen = 0;
    std::optional<WORD> codeLen = std::nullopt;
    std::optional<WORD> checksum = std::nullopt;
    DWORD imageBytes = 0;
    bool refreshPage = false;
    bool failed = false;
    bool operator==(const Found&) const = default;
};

inline Found FoundOf(const ReadFindings& f) {
    return {f.readLen, f.codeLen, f.checksum, f.imageBytes, f.refreshPage, f.failed};
}

inline void PrintTo(const Found& f, std::ostream* os) {
    const auto opt = [os](const std::optional<WORD>& v) {
        if (v) *os << "0x" << std::hex << *v << std::dec;
        else *os << "none";
    };
    *os << "{readLen " << f.readLen << ", codeLen ";
    opt(f.codeLen);
    *os << ", checksum ";
    opt(f.checksum);
    *os << ", imageBytes " << f.imageBytes << (f.refreshPage ? ", refresh" : "") << (f.failed ? ", failed" : "")
        << "}";
}

// What a read that failed hands back: nothing but the length it was asked
// for, marked failed.
inline Found FailedRead(DWORD asked) {
    Found f;
    f.readLen = asked;
    f.failed = true;
    return f;
}

// The bytes a read brought back (none when it carries no image).
inline std::vector<BYTE> ReadBytes(const JobResult& r) {
    if (!r.image) return {};
    const auto bytes = r.image->Bytes();
    return {bytes.begin(), bytes.end()};
}

// The first n bytes of the block a read went into, whatever length the read
// settled on: the block starts all 0, so what lies behind the bytes a read
// fetched shows whether it wrote more. A read that carries no image gives
// none.
inline std::vector<BYTE> ReadBlock(const JobResult& r, std::size_t n) {
    if (!r.image || n > r.image->bytes.capacity()) return {};
    const BYTE* block = r.image->bytes.data();
    return {block, block + n};
}

// The status lines of a job as the recording host records them.
inline std::vector<RecordingHost::Status> Lines(const JobResult& r) {
    std::vector<RecordingHost::Status> out;
    for (const StatusLine& s : r.statuses) out.push_back({s.text, s.colour});
    return out;
}

}  // namespace chiptest
