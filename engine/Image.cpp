#include "Image.h"

#include "ChipTypes.h"

#include <algorithm>
#include <cstring>
#include <utility>

ImageBytes::ImageBytes(std::span<const BYTE> bytes) : block_(NewZeroBlock(bytes.size())), size_(bytes.size()) {
    if (!bytes.empty()) std::memcpy(block_.Data(), bytes.data(), bytes.size());
}

ImageBytes ImageBytes::Adopt(ByteBlock block, std::size_t size) {
    ImageBytes out;
    out.size_ = std::min(size, block.capacity);
    out.block_ = std::move(block);
    return out;
}

ImageBytes& ImageBytes::operator=(const ImageBytes& other) {
    if (this != &other) *this = ImageBytes(other);
    return *this;
}

ImageBytes::ImageBytes(ImageBytes&& other) noexcept
    : block_(std::exchange(other.block_, {})), size_(std::exchange(other.size_, 0)) {}

ImageBytes& ImageBytes::operator=(ImageBytes&& other) noexcept {
    block_ = std::exchange(other.block_, {});
    size_ = std::exchange(other.size_, 0);
    return *this;
}

void ImageBytes::resize(std::size_t n) {
    if (n > block_.capacity) {
        ByteBlock grown = NewZeroBlock(n);
        if (size_ != 0) std::memcpy(grown.Data(), block_.Data(), size_);
        block_ = std::move(grown);
    } else if (n > size_) {
        std::memset(block_.Data() + size_, 0, n - size_);
    }
    size_ = n;
}

ByteBlock ImageBytes::Release() {
    size_ = 0;
    return std::exchange(block_, {});
}

Image::Image() : bytes(std::span<const BYTE>(START_MAGIC)) {}

BYTE Image::MemoryType() const {
    const BYTE head[2] = {bytes.At(0), bytes.At(1)};
    return MagicMemoryType(DescriptorOf(row).magic, head);
}

void Image::SetMemoryType(BYTE memType) {
    bytes.Reach(2);
    SetMagicMemoryType(DescriptorOf(row).magic, bytes.data(), memType);
}
