// An image as a value: its bytes and the numbers the tool keeps with them.
//
// Loading gives one (LoadFile.h), a read-back gives one (Jobs.h), and the
// download and verify jobs take one's bytes. Copying an image copies its
// bytes; moving it hands them over, as does Release, so the bytes of a 16 MB
// read change hands without a copy.
#pragma once

#include "ByteBlock.h"
#include "ImageFormat.h"
#include "WinTypes.h"

#include <cstddef>
#include <span>

// Bytes on a block of their own, zero where nothing was written. Large
// blocks come from the system's zero pages, which cost nothing until they
// are written.
class ImageBytes {
public:
    ImageBytes() = default;
    explicit ImageBytes(std::span<const BYTE> bytes);
    // Takes over the first size bytes of block (size at most its capacity).
    static ImageBytes Adopt(ByteBlock block, std::size_t size);

    ImageBytes(const ImageBytes& other) : ImageBytes(std::span<const BYTE>(other.data(), other.size())) {}
    ImageBytes& operator=(const ImageBytes& other);
    ImageBytes(ImageBytes&& other) noexcept;
    ImageBytes& operator=(ImageBytes&& other) noexcept;

    BYTE* data() { return block_.Data(); }
    const BYTE* data() const { return block_.Data(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return block_.capacity; }
    BYTE& operator[](std::size_t i) { return block_.Data()[i]; }
    BYTE operator[](std::size_t i) const { return block_.Data()[i]; }
    // The byte at i, or 0 past the end.
    BYTE At(std::size_t i) const { return i < size_ ? block_.Data()[i] : 0; }

    // New bytes are 0; a larger size than the block holds moves the bytes to
    // a new block.
    void resize(std::size_t n);
    // At least n bytes (never fewer than now).
    void Reach(std::size_t n) {
        if (n > size_) resize(n);
    }
    // The block, for a reader that keeps it; this holds no bytes afterwards.
    ByteBlock Release();

private:
    ByteBlock block_;
    std::size_t size_ = 0;
};

// Bytes 0..1 of the image the tool starts with.
inline constexpr BYTE START_MAGIC[2] = {0x5A, 0xA5};

struct Image {
    // The image as the tool starts with it: 5A A5, length 2.
    Image();

    ImageBytes bytes;   // at least `length` of them
    DWORD length = 2;   // header, code, checksums (and a BCSH block)
    WORD codeLen = 0;   // code length
    WORD checksum = 0;  // code checksum, as loaded, read back or edited
    int row = 0;        // the chip-type row it is for

    // The image proper: its first `length` bytes.
    std::span<const BYTE> Bytes() const {
        return {bytes.data(), length < bytes.size() ? static_cast<std::size_t>(length) : bytes.size()};
    }
    // Bytes 0..1 read as a memory type of the row's chip type (MEMTYPE_...).
    BYTE MemoryType() const;
    // The row's magic bytes for memType at 0..1, as the memory-type radios
    // set them.
    void SetMemoryType(BYTE memType);
};
