// Image file readers: Intel HEX text and raw binary files.
#pragma once

#include "WinTypes.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// The HEX reader works on a 16-bit address space and produces the bytes of
// addresses 0x0000..0xFFFE; the byte at 0xFFFF is never written.
inline constexpr std::size_t HEX_ADDRESS_SPACE = 0x10000;
inline constexpr std::size_t HEX_OUTPUT_SIZE = 0xFFFF;

// Hex digits to a number, modulo 2^32, up to the terminator. Never fails:
// '0'-'9' count 0-9, 'a'-'f' 10-15, every other character c counts c - 0x37
// (which gives 10-15 for 'A'-'F'; c is taken as a signed 8-bit value).
DWORD HexTextToInt(const char* text);
// The same over at most text.size() characters (stops at a NUL).
DWORD HexTextToInt(std::string_view text);

// Reads Intel HEX records from an open file (binary mode, at its start) and
// fills out[0x0000..0xFFFE]; out must hold at least HEX_OUTPUT_SIZE bytes.
// Returns the end address: the highest address + count of all records met,
// 0 when none. Leaves the file open.
//
// Tokens are runs of non-white-space characters; line structure plays no
// part. Record types and record checksums are not examined: every record
// but the exact end record ":00000001FF" is data placed at its own 16-bit
// address field. A record without all its data characters writes nothing
// but still counts toward the end address. Bytes no record touched are 0xFF;
// data falling at or beyond 0x10000 is dropped.
int ReadHexFile(std::FILE* file, BYTE* out);
// The same over HEX text held in memory.
int ReadHexText(std::string_view text, BYTE* out);

// --- raw binary files ------------------------------------------------------
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading in binary mode; null when it can't be
// opened, with why (when given) saying so: "no such file", "a folder", "not a
// regular file", "permission denied" or the system's text.
FilePtr OpenForRead(const std::string& path, std::string* why = nullptr);
// The file's size in bytes, found by seeking to its end; the position is
// back at the start afterwards. -1 when the file can't be sized.
long long FileSize(std::FILE* file);
// One read of up to n bytes into dst; returns the number read.
std::size_t ReadRaw(std::FILE* file, BYTE* dst, std::size_t n);
