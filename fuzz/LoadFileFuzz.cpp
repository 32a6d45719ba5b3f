// LoadFile of all seven chip programmers on arbitrary file contents. The
// first byte picks the chip programmer and the extension, the rest is the
// file; a recording host answers the file dialog.
#include "ChipPatches.h"
#include "ChipTypes.h"
#include "ImageFormat.h"
#include "RecordingHost.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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
    host.Clear();
    host.answers.clear();
    const int chip = (data[0] & 0x7F) % 7;
    const std::string path = Folder() + ((data[0] & 0x80) ? "/image.hex" : "/image.bin");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 1 && std::fwrite(data + 1, 1, size - 1, f) != size - 1) std::abort();
    std::fclose(f);

    const DWORD imageLenBefore = g_imageLen;
    host.QueueDialogAnswer(path);
    const bool loaded = MakeChipPatch(chip)->LoadFile();
    // A loaded image fits the buffer and agrees with its own header; a
    // refused one changed nothing.
    if (loaded) {
        if (g_imageLen > IMAGE_BUFFER_SIZE || ImageCodeLength(g_image) != g_codeLen) std::abort();
    } else if (g_imageLen != imageLenBefore) {
        std::abort();
    }
    std::remove(path.c_str());
    return 0;
}
