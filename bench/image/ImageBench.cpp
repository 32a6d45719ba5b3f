// Time of one HEX load through the VQ7340 loader.
//
// Two files: 4096 records of 16 bytes covering the whole 64 KB space (its
// end address 0x10000 lies beyond every chip's window, so the loader reads
// and assembles all of it, then refuses it), and the largest file the
// loader accepts, 4032 records of firmware from address 0 up to 0xFC00
// (read, copied, stamped and checksummed).
#include "ChipPatches.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

// A fixed clock for the version stamp; nothing shown.
class BenchHost final : public IEngineHost {
public:
    void SetStatusText(const std::string&, COLORREF) override {}
    void SetProgress(int) override {}
    void Sleep(DWORD) override {}
    std::tm LocalTime() override { return std::tm{}; }
};

// Random data bytes (seeded): real firmware gives the branch predictor no
// pattern to learn in the hex digits, and neither may the bench.
std::string HexFile(unsigned end) {
    std::string text;
    char line[64];
    std::mt19937 gen(end);
    for (unsigned address = 0; address < end; address += 16) {
        unsigned sum = 16 + (address >> 8) + (address & 0xFF);
        int n = std::snprintf(line, sizeof line, ":10%04X00", address);
        for (unsigned i = 0; i < 16; ++i) {
            const unsigned b = gen() & 0xFF;
            n += std::snprintf(line + n, sizeof line - n, "%02X", b);
            sum += b;
        }
        std::snprintf(line + n, sizeof line - n, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        text += line;
    }
    return text + ":00000001FF\n";
}

struct Figures {
    double median, mean, min;
};

// Loads the file rounds times (after a short warm-up) over the start image;
// expectLoaded tells whether the loader should accept it. *last is the
// result of the last load.
bool TimeLoads(const std::string& text, int rounds, bool expectLoaded, Figures* out, LoadResult* last) {
    const auto path = std::filesystem::temp_directory_path() / "quillmar_image_bench.hex";
    std::ofstream(path, std::ios::binary) << text;
    BenchHost host;
    SetEngineHost(&host);
    CVQ7340Patch chip;
    std::vector<double> ms;
    bool asExpected = true;
    for (int i = 0; i < rounds + 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        *last = chip.LoadFile(path.string(), {});
        const auto stop = std::chrono::steady_clock::now();
        asExpected = asExpected && last->image.has_value() == expectLoaded;
        if (i >= 3) ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    SetEngineHost(nullptr);
    std::filesystem::remove(path);
    if (!asExpected) {
        std::printf("unexpected result, message: %s\n", last->messages.empty() ? "" : last->messages[0].c_str());
        return false;
    }
    std::sort(ms.begin(), ms.end());
    double total = 0;
    for (double v : ms) total += v;
    *out = {ms[ms.size() / 2], total / static_cast<double>(ms.size()), ms.front()};
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    Figures full{}, accepted{};
    LoadResult refused, loaded;
    if (!TimeLoads(HexFile(0x10000), rounds, false, &full, &refused) ||
        !TimeLoads(HexFile(0xFC00), rounds, true, &accepted, &loaded))
        return 1;
    if (loaded.image->codeLen != 0xFC00) return 1;
    std::printf("HEX load, %d rounds (target < 2 ms per load)\n", rounds);
    const char* row = "  %-66s median %.3f ms, mean %.3f ms, min %.3f ms\n";
    std::printf(row, "full 64 KB space, 4096 records x 16 bytes (refused at the window):", full.median, full.mean,
                full.min);
    std::printf(row, "firmware 0x0000-0xFC00, 4032 records x 16 bytes (loaded):", accepted.median, accepted.mean,
                accepted.min);
    return 0;
}
