/* The long robustness run of the user format parser: every prefix of the
 * fixtures and, by default, a million mutations (first argument: the
 * count, second: a seed).  Run the native build's copy under the
 * sanitizers. */
#include "ufparsefuzz.h"
#include <chrono>

int main(int argc, char **argv)
{
    uint64_t count = argc > 1 ? strtoull(argv[1], nullptr, 10) : 1000000;
    uint64_t seed = argc > 2 ? strtoull(argv[2], nullptr, 0) : 0xBEEF;
    InstallStubTables();
    UFFuzzer f;
    f.Start((std::filesystem::temp_directory_path() / "ravolt_uffuzz_bench").string());
    auto t0 = std::chrono::steady_clock::now();
    uint64_t prefixes = f.Prefixes();
    f.Mutations(count, seed);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    printf("%llu prefix loads, %llu mutation loads, %llu errors, %llu unexpected, %llu structures used, "
           "%llu lines in %.1f s\n", (unsigned long long)prefixes, (unsigned long long)count,
           (unsigned long long)f.check.errors, (unsigned long long)f.check.unexpected,
           (unsigned long long)f.check.structs, (unsigned long long)f.check.lines, s);
    if (f.check.unexpected)
        printf("first unexpected:\n%s\n", f.check.firstUnexpected.c_str());
    f.Stop();
    return f.check.unexpected ? 1 : 0;
}
