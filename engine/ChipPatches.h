// All seven chip programmers.
#pragma once

#include "VQ5520Patch.h"
#include "VQ7140Patch.h"
#include "VQ7170Patch.h"
#include "VQ7340Patch.h"
