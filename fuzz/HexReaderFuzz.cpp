// The Intel HEX reader on arbitrary text: it never writes outside its 64 KB
// output and leaves the byte at 0xFFFF alone.
#include "HexFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<BYTE> out(HEX_ADDRESS_SPACE, 0xA5);
    const int end = ReadHexText(std::string_view(reinterpret_cast<const char*>(data), size), out.data());
    if (end < 0 || out[HEX_OUTPUT_SIZE] != 0xA5) std::abort();
    return 0;
}
