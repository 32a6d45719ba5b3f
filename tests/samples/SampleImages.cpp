#include "SampleImages.h"

#include "AppTestEnv.h"
#include "Globals.h"
#include "HexRecords.h"
#include "TessadaneDlg.h"

#include <cstring>

namespace samples {

std::vector<BYTE> SampleCode(int row) {
    std::vector<BYTE> code = {0x80, 0xFE};
    const std::string text = std::string("Quillmar sample for ") + CHIP_TYPES[row].label;
    code.insert(code.end(), text.begin(), text.end());
    code.resize(64, 0x00);
    return code;
}

std::string SampleFileContents(int row, const std::vector<BYTE>& defaults) {
    const SampleFormat& f = SAMPLE_FORMATS[row];
    const std::size_t headerSize = CodeOffset(f.layout);
    const std::vector<BYTE> code = SampleCode(row);
    std::vector<BYTE> image(defaults.begin(), defaults.begin() + headerSize);
    WriteBE16(image.data() + 2, static_cast<WORD>(code.size()));
    image.insert(image.end(), code.begin(), code.end());
    if (f.hex) return hexrecords::HexOf(f.codeBase - static_cast<unsigned>(headerSize), image);
    image.resize(image.size() + 4);
    StoreChecksums(image.data(), f.layout);
    return std::string(image.begin(), image.end());
}

std::vector<BYTE> DefaultImageHead(int row) {
    // The image as the tool starts: 5A A5, the rest 0 (the VQ7140S page
    // keeps bytes 10 and 11 of what it finds).
    std::memset(g_image, 0, IMAGE_HEADER_SIZE + 4);
    g_image[0] = 0x5A;
    g_image[1] = 0xA5;
    auto dlg = OpenMainDialog(row);
    return std::vector<BYTE>(g_image, g_image + IMAGE_HEADER_SIZE);
}

}  // namespace samples
