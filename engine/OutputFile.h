// A file that bytes are saved in (a read's image, a saved .bin): checked
// before any device is asked anything, and then written whole or not at
// all, so a file that stood there is never left cut short.
#pragma once

#include "WinTypes.h"

#include <span>
#include <string>

// What keeps path from being written: its folder is missing or not
// writable, or path is a folder or no regular file. Empty when nothing
// does.
std::string OutputPathProblem(const std::string& path);

// Writes bytes to path: into a new file in the same folder, flushed to the
// disk, then renamed over path (over the file a symbolic link points to).
// Only a regular file at path is replaced; anything else there refuses.
// The new file keeps the mode of the file it replaces. On any failure path
// is as it was and no new file is left; the error names path and the reason.
std::string WriteOutputFile(const std::string& path, std::span<const BYTE> bytes);
