// The progress bar and the closing status line of the chip jobs.
#pragma once

#include "EngineHost.h"

// Position done / total of a span of the bar, starting at base: the product
// done * span first, then the quotient, in double precision, truncated.
inline int ProgressOf(DWORD done, double span, DWORD total, int base = 0) {
    return static_cast<int>(static_cast<double>(done) * span / static_cast<double>(total)) + base;
}

// Progress of one phase over total bytes: base + (off + 1) * (span / total),
// the quotient taken once in double precision, truncated, sent as the low
// byte.
class PhaseProgress {
public:
    PhaseProgress(double span, DWORD total, int base) : quotient_(total ? span / total : 0.0), base_(base) {}
    void At(DWORD off) const {
        const double pos = static_cast<double>(off + 1) * quotient_ + base_;
        SetProgress(static_cast<BYTE>(static_cast<int>(pos)));
    }

private:
    double quotient_;
    int base_;
};

// A job's single pass over n bytes filling the whole bar.
class PassProgress : public PhaseProgress {
public:
    explicit PassProgress(DWORD n) : PhaseProgress(100.0, n, 0) {}
};

// The end of a job: bar full, then its last status line.
inline void EndJob(const char* text, COLORREF colour) {
    SetProgress(100);
    SetStatusText(text, colour);
}
inline void EndSuccessful() { EndJob("Successful!", STATUS_GREEN); }
inline void EndVerifyError() { EndJob("Verify error!", STATUS_RED); }
inline void EndReadingCompleted() { EndJob("Reading completed!", STATUS_GREEN); }
