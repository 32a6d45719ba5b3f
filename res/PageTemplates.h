// The option page templates, one file each (PageTemplate136.cpp ...).
// Page templates are child dialogs created hidden, at 0, 0 of their host.
#pragma once

#include "DialogTemplate.h"

const DialogTemplate& PageTemplate136();  // VQ7140S
const DialogTemplate& PageTemplate137();  // VQ7140XX
const DialogTemplate& PageTemplate138();  // VQ7170
const DialogTemplate& PageTemplate139();  // VQ7340
const DialogTemplate& PageTemplate140();  // VQ5632
const DialogTemplate& PageTemplate141();  // VQ5520
const DialogTemplate& PageTemplate142();  // VQ7170S

inline constexpr unsigned kPageStyle = dlgstyle::Child;
