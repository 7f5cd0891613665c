/* The fuzz frame's own check: a target that fails on inputs holding
 * "FAULT" or reading past "OVERRUN", started from a seed that leads
 * there in a few mutations.  Its test entries must fail: a fault a run
 * finds ends the program with a failure and keeps the input. */
#include "fuzz.h"

#include <cstdlib>

namespace {

void Seeds(FuzzSeeds *s)
{
    const char *kind = getenv("RAVOLT_FUZZ_SELFTEST");
    s->Add(std::string(kind && !strcmp(kind, "overrun") ? "OVERRUN" : "FAULT"));
}

void Run(const uint8_t *data, size_t size)
{
    FuzzBlock b(data, size);
    std::string s((const char *)data, size);
    if (s.find("FAULT") != std::string::npos)
        FuzzFail("the input holds FAULT");
    if (s.rfind("OVERRUN", 0) == 0) {
        volatile uint8_t past = b.data()[size];          /* one byte past the block */
        (void)past;
    }
}

}  // namespace

FUZZ_TARGET(Seeds, nullptr, Run)
