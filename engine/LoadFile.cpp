// Loading .hex and .bin image files (to be built).
#include "ChipPatches.h"

bool CVQ7140SPatch::LoadFile() { return false; }
bool CVQ7140XXPatch::LoadFile() { return false; }
bool CVQ7170Patch::LoadFile() { return false; }
bool CVQ7170SPatch::LoadFile() { return false; }
bool CVQ5520Patch::LoadFile() { return false; }
bool CVQ7340Patch::LoadFile() { return false; }
bool CVQ5632Patch::LoadFile() { return false; }
