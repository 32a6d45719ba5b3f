#include "Emulator.h"
