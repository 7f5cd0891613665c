/* Fuzz target: a user format file (with the fixtures' files beside it to
 * include) loaded as "Reload user formats" loads it, then every structure
 * it defines formatting and summarising data and the queue rules
 * matched.  A load ends in success or in one of the language's own error
 * texts. */
#include "fuzz.h"

#include "ufparsefuzz.h"

namespace {

UFFuzzer *fuzzer;

void Seeds(FuzzSeeds *s)
{
    s->Files("data/message/userfmt", ".fmt");
}

void Init(void)
{
    fuzzer = new UFFuzzer;
    fuzzer->Start(FuzzScratch() + "/formats");
}

void Run(const uint8_t *data, size_t size)
{
    uint64_t seed = 1469598103934665603ull;
    for (size_t i = 0; i < size; i++)
        seed = (seed ^ data[i]) * 1099511628211ull;
    UFFuzzRng r{ seed | 1 };
    fuzzer->LoadAndUse(std::string((const char *)data, size), &r, true);
    if (fuzzer->check.unexpected)
        FuzzFail("a load ended in a text that is not the language's", fuzzer->check.firstUnexpected);
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
