/* The engine's clock: every time, tick, sleep and wait of the engine
 * comes from here, so that tests can run the engine on their own time. */
#include "engint.h"

#include <chrono>
#include <ctime>

#include "csthread.h"

static int64_t system_time(void *)
{
    return (int64_t)time(nullptr);
}

static uint64_t system_tick(void *)
{
    using namespace std::chrono;
    return (uint64_t)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

static void system_sleep(void *, uint32_t ms)
{
    CSSleep(ms);
}

static uint32_t system_wait(void *, uint32_t ms)
{
    return ms;
}

static const MQECLOCK systemClock = { nullptr, system_time, system_tick, system_sleep, system_wait };
/* Replaced only while no engine thread runs. */
static MQECLOCK clock_ = systemClock;

void MQESetClock(const MQECLOCK *clock)
{
    clock_ = clock ? *clock : systemClock;
}

const MQECLOCK *MQEClock(void)
{
    return &clock_;
}

int64_t MQETime(void)
{
    return clock_.time(clock_.context);
}

uint64_t MQETick(void)
{
    return clock_.tick(clock_.context);
}

void MQESleep(uint32_t ms)
{
    clock_.sleep(clock_.context, ms);
}

uint32_t MQEWait(uint32_t ms)
{
    if (ms == 0xFFFFFFFFu)
        return ms;
    return clock_.wait(clock_.context, ms);
}
