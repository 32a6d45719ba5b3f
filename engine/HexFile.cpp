#include "HexFile.h"

#include "RetryInterrupted.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

DWORD HexDigit(char ch) {
    const int c = static_cast<signed char>(ch);
    if (c >= '0' && c <= '9') return static_cast<DWORD>(c - 0x30);
    if (c >= 'a' && c <= 'f') return static_cast<DWORD>(c - 0x57);
    return static_cast<DWORD>(c - 0x37);  // negative values wrap, as the sum does
}

// Low byte of HexTextToInt over the two characters hi, lo.
BYTE PairValue(char hi, char lo) {
    if (hi == '\0') return 0;
    if (lo == '\0') return static_cast<BYTE>(HexDigit(hi));
    return static_cast<BYTE>(HexDigit(hi) * 16 + HexDigit(lo));
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

constexpr std::string_view END_RECORD = ":00000001FF";
constexpr std::size_t DATA_START = 9;   // ':' count(2) address(4) type(2)
constexpr std::size_t MIN_RECORD = 11;  // the above plus the checksum
constexpr std::size_t MIN_FIELDS = 7;   // ':' count address
constexpr std::size_t WORK_SIZE = 2 * HEX_ADDRESS_SPACE;
// Data characters beyond this index of a token can't land in the working
// text, so a token is kept up to here and only its length counted beyond.
constexpr std::size_t TOKEN_KEEP = DATA_START + WORK_SIZE;

// Collects records into a working text of two hex characters per address.
class HexAssembler {
public:
    HexAssembler() : work_(WORK_SIZE, 'F') {}

    // Splits text into tokens; a token may continue into the next Feed.
    void Feed(std::string_view text) {
        std::size_t i = 0;
        while (i < text.size()) {
            if (IsBlank(text[i])) {
                FlushToken();
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < text.size() && !IsBlank(text[j])) ++j;
            const std::size_t room = TOKEN_KEEP - std::min(TOKEN_KEEP, token_.size());
            token_.append(text.data() + i, std::min(room, j - i));
            tokenLength_ += j - i;
            i = j;
        }
    }

    int Finish(BYTE* out) {
        FlushToken();
        std::memset(out, 0xFF, HEX_OUTPUT_SIZE);
        for (std::size_t a = 0; a < HEX_OUTPUT_SIZE; ++a) out[a] = PairValue(work_[2 * a], work_[2 * a + 1]);
        return static_cast<int>(std::min<std::uint64_t>(end_, INT_MAX));
    }

private:
    void FlushToken() {
        if (tokenLength_ == 0) return;
        Record(token_, tokenLength_);
        token_.clear();
        tokenLength_ = 0;
    }

    // head: the token's first characters (all of them up to TOKEN_KEEP);
    // length: its full length.
    void Record(std::string_view head, std::uint64_t length) {
        if (length < MIN_FIELDS) return;  // no count or address field
        const std::uint64_t count = HexTextToInt(head.substr(1, 2));
        const std::uint64_t address = HexTextToInt(head.substr(3, 4));
        if (head[0] == ':' && length >= MIN_RECORD && head != END_RECORD) {
            const std::uint64_t chars = 2 * count;
            const std::uint64_t pos = 2 * address;
            if (length >= chars + MIN_RECORD && pos < WORK_SIZE) {
                // Whatever would fall beyond the 64 KB space is dropped.
                const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(chars, WORK_SIZE - pos));
                std::memcpy(work_.data() + pos, head.data() + DATA_START, n);
            }
        }
        end_ = std::max(end_, address + count);
    }

    std::string work_;
    std::string token_;
    std::uint64_t tokenLength_ = 0;
    std::uint64_t end_ = 0;
};

}  // namespace

DWORD HexTextToInt(std::string_view text) {
    DWORD value = 0;
    for (const char c : text) {
        if (c == '\0') break;
        value = value * 16 + HexDigit(c);
    }
    return value;
}

DWORD HexTextToInt(const char* text) { return HexTextToInt(std::string_view(text)); }

int ReadHexText(std::string_view text, BYTE* out) {
    HexAssembler hex;
    hex.Feed(text);
    return hex.Finish(out);
}

int ReadHexFile(std::FILE* file, BYTE* out) {
    HexAssembler hex;
    char chunk[16384];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) hex.Feed(std::string_view(chunk, n));
    return hex.Finish(out);
}

namespace {
std::string OpenFailure(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR: return "no such file";
    case EACCES:
    case EPERM: return "permission denied";
    case EISDIR: return "a folder";
    default: return std::strerror(error);
    }
}
}  // namespace

FilePtr OpenForRead(const std::string& path, std::string* why) {
    // Opened without waiting: a FIFO or a device node would block the open
    // (or the reads) and holds no file to load. Only a regular file is kept.
    const int fd =
        RetryInterrupted([&] { return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY); });
    if (fd < 0) {
        if (why) *why = OpenFailure(errno);
        return nullptr;
    }
    struct stat st {};
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        if (why) *why = S_ISDIR(st.st_mode) ? "a folder" : "not a regular file";
        ::close(fd);
        return nullptr;
    }
    FilePtr file(fdopen(fd, "rb"));
    if (!file) {
        if (why) *why = OpenFailure(errno);
        ::close(fd);
    }
    return file;
}

long long FileSize(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

std::size_t ReadRaw(std::FILE* file, BYTE* dst, std::size_t n) { return n == 0 ? 0 : std::fread(dst, 1, n, file); }
