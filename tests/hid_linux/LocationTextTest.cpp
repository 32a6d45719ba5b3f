// The location text built from a USB device's bus number and port chain.
#include "HidLinux.h"

#include <gtest/gtest.h>

namespace {

using hid::hidraw::LocationText;

struct LocationCase {
    const char* busnum;
    const char* devpath;
    const char* location;  // "" when the device can't be placed
};

const LocationCase kCases[] = {
    {"1", "3", "0000.0000.0000.001.003.000.000.000.000"},
    {"1", "2.4", "0000.0000.0000.001.002.004.000.000.000"},
    {"2", "1.2.3.4.5", "0000.0000.0000.002.001.002.003.004.005"},
    // A sixth port still shows; the list reads only the first nine fields.
    {"3", "1.2.3.4.5.6", "0000.0000.0000.003.001.002.003.004.005.006"},
    {"12", "10.15", "0000.0000.0000.00c.00a.00f.000.000.000"},
    {"4095", "255", "0000.0000.0000.fff.0ff.000.000.000.000"},
    {"001", "03", "0000.0000.0000.001.003.000.000.000.000"},
    {"4096", "1", ""},
    {"1", "4096", ""},
    {"", "3", ""},
    {"1", "", ""},
    {"1", "2..4", ""},
    {"1", "2.4.", ""},
    {"1", ".2", ""},
    {"x", "3", ""},
    {"-1", "3", ""},
    {"1", "3 ", ""},
    {"1", "0x3", ""},
};

TEST(LocationText, BusAndPortsAsThreeHexDigits) {
    for (const auto& c : kCases)
        EXPECT_EQ(LocationText(c.busnum, c.devpath), c.location) << c.busnum << " / " << c.devpath;
}

}  // namespace
