// The three jobs on a device: download (with its verify), verify alone and
// read-back. Each takes its inputs as arguments and returns what became of
// it; its status texts and progress reach the host of the calling thread as
// they happen, as well.
//
// The device is a chip programmer whose scan left the device to work on open.
// A job touches nothing but that programmer, its device and the bytes it is
// given, so jobs on different devices may run at once, each on a thread of
// its own.
#pragma once

#include "EngineHost.h"
#include "Image.h"
#include "VQPatch.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

struct StatusLine {
    std::string text;
    COLORREF colour = 0;
    bool operator==(const StatusLine&) const = default;
};

// Where a verify found the chip unlike the image.
struct Difference {
    DWORD address = 0;  // the first differing byte
    DWORD count = 0;    // how many bytes differ
    BYTE chip = 0;      // the first differing byte on the chip
    BYTE image = 0;     // and in the image
};

// Image addresses [begin, end) whose bytes no text of a job may show (an
// HDCP key); empty by default.
struct HiddenBytes {
    DWORD begin = 0;
    DWORD end = 0;
    bool Holds(DWORD address) const { return address >= begin && address < end; }
};

struct JobResult {
    // The job did what it was for: a download wrote and verified the whole
    // image, a verify found the chip equal to the image, a read read every
    // byte. A job that showed a red text did not succeed, even if it went on
    // to a green end.
    bool ok = false;
    // Why not: the first red text, with the HID layer's reason for the first
    // failed transfer where there was one. Empty when ok.
    std::string reason;
    // Every status text the job showed, in order.
    std::vector<StatusLine> statuses;
    // A read: the bytes read (as many as found.readLen tells, at most
    // IMAGE_BUFFER_SIZE), their length, and the code length and checksum the
    // read found (0 where it found none).
    std::optional<Image> image;
    // A read: what it found, as the window keeps it with its image.
    ReadFindings found;
    // A verify that found the chip unlike the image.
    std::optional<Difference> difference;
};

// Writes image to the device's memory of memoryType and verifies it.
JobResult Download(CVQPatch& device, std::span<const BYTE> image, BYTE memoryType);
// Compares the device's memory of memoryType with image; writes nothing.
// The reason of a verify that found a difference names its address, the
// count and both bytes, but for a first difference among hidden bytes,
// whose values it leaves out (the result's difference holds them).
JobResult Verify(CVQPatch& device, std::span<const BYTE> image, BYTE memoryType, HiddenBytes hidden = {});

// The two jobs that take an image, for callers that run either.
enum class ImageJob { Download, Verify };
JobResult RunImageJob(ImageJob job, CVQPatch& device, std::span<const BYTE> image, BYTE memoryType,
                      HiddenBytes hidden = {});
// Reads the image stored in the device's memory of memoryType. With
// lengthGiven it reads length bytes (at most IMAGE_BUFFER_SIZE); without, the
// stored header decides where the chip type has that rule, and length is
// read where it has none. The bytes are read into target when it is a block
// of IMAGE_BUFFER_SIZE bytes that nobody else holds (a caller that reads
// again and again hands back the block of its last read), else into a new
// block; the result's image holds that block.
JobResult ReadBack(CVQPatch& device, BYTE memoryType, DWORD length, bool lengthGiven, ByteBlock target = {});
