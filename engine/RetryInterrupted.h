// System calls that a signal may interrupt.
#pragma once

#include <cerrno>

// A system call made again while a signal interrupts it (-1 with EINTR);
// any other result, failures included, is returned as it came.
template <typename Call>
auto RetryInterrupted(Call call) {
    decltype(call()) rc;
    do {
        rc = call();
    } while (rc < 0 && errno == EINTR);
    return rc;
}
