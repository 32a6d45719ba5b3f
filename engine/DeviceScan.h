// The device walk of ScanDevices, shared by all chip families: each family
// passes the rule that identifies its chips.
#pragma once

#include "VQPatch.h"

#include <functional>

struct CVQPatch::IdentRule {
    WORD baseAddr;
    // Run before the identification reads of a device (report-id probe).
    std::function<void()> beforeReads;
    // One identification byte; *fetchFailed reports a failed fetch.
    std::function<BYTE(WORD addr, bool* fetchFailed)> readByte;
    // A failed fetch ends the whole walk (VQ7140S).
    bool stopOnFetchFailure;
    std::function<bool(BYTE, BYTE, BYTE)> matches;
    // Extra test after a match (VQ5520 write test); empty when none.
    std::function<bool()> extraTest;
    // Run after the last accepted device was opened again.
    std::function<void()> afterOpen;
};

// Identification reads through ReadXdataByte (report id 0, then 1).
inline auto TwoTryReader(CVQPatch* self) {
    return [self](WORD addr, bool* fetchFailed) {
        BYTE value = 0xFF;
        *fetchFailed = self->ReadXdataByte(addr, &value) != 0;
        return value;
    };
}
