/* Timed waits on a condition variable (private to this folder).
 *
 * Waits are cut into short slices and the condition is looked at again
 * after each, so that a wake-up lost by the host's condition variable
 * (seen with timed waits beside untimed ones) costs a slice, not a hang. */
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#define CSWAIT_SLICE_MS 20

/* true when ready() holds, false when the time-out (ms; 0xFFFFFFFF: no
 * limit) passed first.  The lock is held on entry and on return. */
template <class Ready>
static bool CSWaitUntilReady(std::condition_variable &cv, std::unique_lock<std::mutex> &lock,
                             uint32_t timeout, Ready ready)
{
    using clock = std::chrono::steady_clock;
    if (ready())
        return true;            /* free at once: no clock read (a system call on some hosts) */
    const bool forever = timeout == 0xFFFFFFFFu;
    const clock::time_point deadline = clock::now() + std::chrono::milliseconds(forever ? 0 : timeout);
    while (!ready()) {
        clock::time_point now = clock::now();
        if (!forever && now >= deadline)
            return false;
        clock::time_point until = now + std::chrono::milliseconds(CSWAIT_SLICE_MS);
        if (!forever && deadline < until)
            until = deadline;
        cv.wait_until(lock, until);
    }
    return true;
}
