// The VQ7170 and VQ7170S pages (templates 138 and 142) share one
// arrangement: three group boxes side by side, "Common Flag", "USB" and
// "HD Function Flag". Only the captions of some flag boxes differ.
#pragma once

#include "DialogTemplate.h"

struct VQ7170PageCaptions {
    const char* commonFlag[8];  // boxes 1019..1026, bit 0 first
    const char* hdFlag[8];      // boxes 1027, 1028, 1029, 1032..1036, bit 0 first
};

DialogTemplate MakeVQ7170PageTemplate(int id, const VQ7170PageCaptions& captions);
