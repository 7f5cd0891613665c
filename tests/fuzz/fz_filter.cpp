/* Fuzz target: a filter text as the user types it, compiled for a Queue
 * List (named filters to refer to, circular ones among them) and run over
 * its rows.  A compile that fails says why in one of the filter
 * language's texts, with a position inside the text; one that succeeds
 * evaluates every row. */
#include "fuzz.h"

#include "fltfuzz.h"

namespace {

void Seeds(FuzzSeeds *s)
{
    for (const std::string &t : FltFuzzCorpus())
        s->Add(t);
}

void Run(const uint8_t *data, size_t size)
{
    FltFuzzResult r;
    FltFuzzOne(std::string((const char *)data, size), &r);
    if (r.problems)
        FuzzFail("filter", r.firstProblem);
}

}  // namespace

FUZZ_TARGET(Seeds, FltFuzzSetUp, Run)
