/* The long robustness run: every prefix of every sample and, by default,
 * a million random mutations (first argument: the count, second: a seed).
 * Run the native build's copy so that the sanitizers watch every read. */
#include "fmtfuzz.h"
#include <chrono>
#include <cstdio>

int main(int argc, char **argv)
{
    uint64_t count = argc > 1 ? strtoull(argv[1], nullptr, 10) : 1000000;
    uint64_t seed = argc > 2 ? strtoull(argv[2], nullptr, 0) : 0xC0FFEE;
    InstallStubTables();
    FuzzCheck check;
    auto t0 = std::chrono::steady_clock::now();
    uint64_t prefixes = FuzzPrefixes(&check);
    uint64_t mutations = FuzzMutations(&check, count, seed);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    printf("%llu prefix runs, %llu mutation runs, %llu lines (%llu marker lines) in %.1f s\n",
           (unsigned long long)prefixes, (unsigned long long)mutations, (unsigned long long)check.lines,
           (unsigned long long)check.markers, s);
    return 0;
}
