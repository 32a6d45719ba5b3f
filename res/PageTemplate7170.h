// The VQ7170 and VQ7170S pages (templates 138 and 142) share one
// arrangement: three group boxes side by side, "Common Flag", "USB" and
// "HD Function Flag". Only the captions of some flag boxes differ.
#pragma once

#include "DialogTemplate.h"

#include <vector>

struct VQ7170PageCaptions {
    const char* commonFlag[8];  // boxes 1019..1026, bit 0 first
    const char* hdFlag[8];      // boxes 1027, 1028, 1029, 1032..1036, bit 0 first
};

DialogTemplate MakeVQ7170PageTemplate(int id, const VQ7170PageCaptions& captions);

// The "Common Flag" column (boxes 1019..1026 with these captions, bit 0
// first) and the "USB" column (VID, PID, both strings) at the left of the
// page. Template 139 (VQ7340) has them too.
void AddCommonFlagAndUsbColumns(std::vector<ControlTemplate>& controls, const char* const (&commonFlag)[8]);
