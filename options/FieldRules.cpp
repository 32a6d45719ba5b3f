#include "FieldRules.h"

#include "HexFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

StringFieldBytes ReadStringField(const BYTE* image, const StringFieldLayout& layout) {
    StringFieldBytes out;
    const int length = image[layout.lengthOffset];
    out.present = length <= layout.capacity + 1;
    if (out.present && length > 1)
        out.chars.assign(reinterpret_cast<const char*>(image + layout.charsOffset), static_cast<std::size_t>(length - 1));
    return out;
}

void WriteStringField(BYTE* image, const StringFieldLayout& layout, bool present, const std::string& chars) {
    BYTE* field = image + layout.charsOffset;
    if (!present) {
        image[layout.lengthOffset] = 0xFF;
        std::memset(field, 0xFF, static_cast<std::size_t>(layout.capacity));
        return;
    }
    const std::size_t n = std::min(chars.size(), static_cast<std::size_t>(layout.capacity));
    image[layout.lengthOffset] = static_cast<BYTE>(n + 1);
    std::memcpy(field, chars.data(), n);
}

bool HasLongStringLayout(const BYTE* image, WORD codeLen) {
    if (codeLen == 0) return false;
    const BYTE* marker = image + LONG_STRING_MARKER;
    return std::all_of(marker, marker + LONG_STRING_MARKER_SIZE, [](BYTE b) { return b == 0xFF; });
}

KeyFileRead ReadKeyFile(std::FILE* file, BYTE* key, std::size_t n) {
    KeyFileRead read;
    read.size = FileSize(file);
    if (read.size != static_cast<long long>(n)) {
        read.status = KeyFileRead::WrongSize;
        return read;
    }
    std::vector<BYTE> buffer(n);
    if (ReadRaw(file, buffer.data(), n) != n) return read;  // CannotOpen
    std::memcpy(key, buffer.data(), n);
    read.status = KeyFileRead::Loaded;
    return read;
}

KeyFileRead ReadKeyFile(const std::string& path, BYTE* key, std::size_t n) {
    const FilePtr file = OpenForRead(path);
    if (!file) return {};
    return ReadKeyFile(file.get(), key, n);
}

void WriteDefaultImage(BYTE* image, const BYTE (&header)[IMAGE_HEADER_SIZE], ChecksumLayout layout) {
    std::memcpy(image, header, IMAGE_HEADER_SIZE);
    StoreHeaderChecksum(image, 0, layout);
    StoreCodeChecksum(image, 0, layout);  // no code: 0
}
