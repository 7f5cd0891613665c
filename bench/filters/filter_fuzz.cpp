/* The compiler's long robustness run: every prefix of the corpus, then
 * by default a million random token streams, a million byte mutations,
 * a million formats and a hundred thousand "%" names (first argument:
 * the count, second: a seed).  Run the native build's copy so that the
 * sanitizers watch every read. */
#include "fltfuzz.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    uint64_t count = argc > 1 ? strtoull(argv[1], nullptr, 10) : 1000000;
    uint64_t seed = argc > 2 ? strtoull(argv[2], nullptr, 0) : 0xF17E;
    FltFuzzSetUp();
    FltFuzzResult r;
    auto t0 = std::chrono::steady_clock::now();
    FltFuzzPrefixes(&r);
    FltFuzzTokens(count, seed, &r);
    FltFuzzMutations(count, seed + 1, &r);
    FltFuzzFormats(count, seed + 2, &r);
    FltFuzzNames(count / 10, seed + 3, &r);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    printf("%llu runs: %llu compiled, %llu failed with a known message; %llu problems in %.1f s\n",
           (unsigned long long)r.runs, (unsigned long long)r.compiled, (unsigned long long)r.failed,
           (unsigned long long)r.problems, s);
    if (r.problems)
        printf("first: %s\n", r.firstProblem.c_str());
    FltFuzzTearDown();
    return r.problems ? 1 : 0;
}
