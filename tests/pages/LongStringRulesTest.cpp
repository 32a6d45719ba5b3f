// The long string layout test and the reading of a fixed-size key file.
#include "PageRules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

TEST(LongStringLayout, SixteenMarkerBytesAndCode) {
    std::vector<BYTE> image(0x2000, 0xFF);
    EXPECT_TRUE(HasLongStringLayout(image.data(), 1));
    EXPECT_FALSE(HasLongStringLayout(image.data(), 0));
    for (std::size_t spoilt : {LONG_STRING_MARKER, LONG_STRING_MARKER + LONG_STRING_MARKER_SIZE - 1}) {
        image[spoilt] = 0x7F;
        EXPECT_FALSE(HasLongStringLayout(image.data(), 0xFFFF)) << spoilt;
        image[spoilt] = 0xFF;
    }
}

// A stream that announces `size` bytes but gives only `gives` of them.
struct FakeFile {
    long size, gives, pos = 0;
};

TEST(KeyFile, TheTargetChangesOnlyWhenEveryByteArrived) {
    cookie_io_functions_t io{};
    io.read = [](void* cookie, char* buf, size_t n) -> ssize_t {
        auto* f = static_cast<FakeFile*>(cookie);
        const long count = std::max(0L, std::min(static_cast<long>(n), f->gives - f->pos));
        std::memset(buf, 0x42, static_cast<std::size_t>(count));
        f->pos += count;
        return count;
    };
    io.seek = [](void* cookie, off64_t* offset, int whence) {
        auto* f = static_cast<FakeFile*>(cookie);
        f->pos = (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f->pos : f->size) + static_cast<long>(*offset);
        *offset = f->pos;
        return 0;
    };
    struct Case {
        long size, gives;
        KeyFileRead::Status status;
    };
    const Case cases[] = {{285, 285, KeyFileRead::Loaded}, {285, 284, KeyFileRead::CannotOpen},
                          {285, 0, KeyFileRead::CannotOpen}, {286, 286, KeyFileRead::WrongSize},
                          {0, 0, KeyFileRead::WrongSize}};
    for (const Case& c : cases) {
        FakeFile fake{c.size, c.gives};
        std::FILE* file = fopencookie(&fake, "rb", io);
        ASSERT_NE(file, nullptr);
        std::vector<BYTE> key(285, 0x11);
        const KeyFileRead read = ReadKeyFile(file, key.data(), key.size());
        std::fclose(file);
        EXPECT_EQ(std::make_pair(read.status, read.size), std::make_pair(c.status, static_cast<long long>(c.size)));
        EXPECT_EQ(key, std::vector<BYTE>(285, c.status == KeyFileRead::Loaded ? 0x42 : 0x11)) << c.gives;
    }
}

}  // namespace
