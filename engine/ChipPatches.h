// All seven chip programmers, by family.
#pragma once

#include "eeprom/EepromPatch.h"
#include "vq5520/VQ5520Patch.h"
#include "vq7340/VQ7340Patch.h"
