// A block of bytes on the heap that its owners hand to each other, or share
// for reading, instead of copying it: a 16 MB image changes hands between
// the work buffer and the hex view in no time. Whoever writes into a block
// first makes sure nobody else holds it.
#pragma once

#include "WinTypes.h"

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

struct ByteBlock {
    std::shared_ptr<BYTE[]> bytes;
    std::size_t capacity = 0;

    BYTE* Data() const { return bytes.get(); }
    bool Shared() const { return bytes.use_count() > 1; }
};

// capacity bytes (at least one), all 0. The system hands out the pages of a
// large block only as they are first written.
inline ByteBlock NewZeroBlock(std::size_t capacity) {
    void* p = std::calloc(capacity > 0 ? capacity : 1, 1);
    if (p == nullptr) throw std::bad_alloc();
    return {std::shared_ptr<BYTE[]>(static_cast<BYTE*>(p), [](BYTE* b) { std::free(b); }), capacity};
}

// capacity bytes (at least one), not set: for a copy.
inline ByteBlock NewByteBlock(std::size_t capacity) {
    return {std::shared_ptr<BYTE[]>(new BYTE[capacity > 0 ? capacity : 1]), capacity};
}
