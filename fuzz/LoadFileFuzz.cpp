// LoadFile of all seven chip programmers on arbitrary file contents, over an
// image of marker bytes. The first byte picks the chip programmer and the
// extension, the rest is the file.
#include "ChipPatches.h"
#include "ChipTypes.h"
#include "ImageFormat.h"
#include "RecordingHost.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A folder of this process for the file, removed at exit.
char g_folder[] = "/tmp/quillmar_fuzz_load_XXXXXX";

std::string Folder() {
    static const bool made = [] {
        if (!mkdtemp(g_folder)) std::abort();
        std::atexit([] { rmdir(g_folder); });
        return true;
    }();
    (void)made;
    return g_folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static RecordingHost host;
    // The image before the load: a marker byte, as far as a HEX load reaches.
    static const std::vector<BYTE> base(0x10100, 0xEE);
    host.Clear();
    const int chip = (data[0] & 0x7F) % 7;
    const std::string path = Folder() + ((data[0] & 0x80) ? "/image.hex" : "/image.bin");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 1 && std::fwrite(data + 1, 1, size - 1, f) != size - 1) std::abort();
    std::fclose(f);

    const LoadResult result = MakeChipPatch(chip)->LoadFile(path, base);
    // A loaded image fits the buffer, holds its length and agrees with its
    // own header; a refused one comes back as no image, with a reason.
    if (result.image) {
        const Image& image = *result.image;
        if (image.length > IMAGE_BUFFER_SIZE || image.bytes.size() < image.length || image.bytes.size() < 4 ||
            ImageCodeLength(image.bytes.data()) != image.codeLen || !result.reason.empty())
            std::abort();
    } else if (result.reason.empty() || result.messages.empty()) {
        std::abort();
    }
    std::remove(path.c_str());
    return 0;
}
