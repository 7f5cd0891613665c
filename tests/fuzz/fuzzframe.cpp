/* The part of the fuzz frame both drivers share: the seeds read from the
 * tests' data and the shared samples, the scratch folder, the report of a
 * fault, and the two entry points the coverage-guided fuzzer calls (the
 * project's own loop calls them the same way).  RAVOLT_FUZZ_SEED_DIR set:
 * the program writes its seeds into that folder and ends, which is how
 * scripts/fuzz gives the coverage-guided fuzzer its first corpus. */
#include "fuzz.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <unistd.h>

namespace fs = std::filesystem;

void (*FuzzBeforeFail)(void);                    /* set by the own driver: keeps the input */

namespace {

std::string Folder(const char *variable, const char *fallback)
{
    const char *v = getenv(variable);
    return v && *v ? v : fallback;
}

std::string ReadWhole(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool EndsWith(const std::string &name, const char *ending)
{
    size_t n = ending ? strlen(ending) : 0;
    return name.size() >= n && strcasecmp(name.c_str() + name.size() - n, ending ? ending : "") == 0;
}

uint64_t Hash(const std::string &s)
{
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

void WriteSeeds(const char *dir, const FuzzSeeds &seeds)
{
    fs::create_directories(dir);
    for (const std::string &s : seeds.inputs) {
        char name[40];
        snprintf(name, sizeof name, "seed-%016llx", (unsigned long long)Hash(s));
        std::ofstream(fs::path(dir) / name, std::ios::binary).write(s.data(), (std::streamsize)s.size());
    }
    printf("fuzz: %zu seeds written to %s\n", seeds.inputs.size(), dir);
}

}  // namespace

void FuzzSeeds::Files(const char *where, const char *ending)
{
    std::string w = where;
    fs::path p;
    if (w.rfind("data/", 0) == 0)
        p = fs::path(Folder("RAVOLT_TEST_DATA", RAVOLT_TOP "/tests/data")) / w.substr(5);
    else if (w.rfind("samples/", 0) == 0)
        p = fs::path(Folder("RAVOLT_SAMPLES", RAVOLT_TOP "/../shared/samples")) / w.substr(8);
    else
        p = w;
    std::error_code ec;
    if (!fs::exists(p, ec)) {
        fprintf(stderr, "fuzz: seed path missing: %s\n", p.string().c_str());
        exit(2);
    }
    if (!fs::is_directory(p, ec)) {
        Add(ReadWhole(p));
        return;
    }
    std::vector<fs::path> files;
    for (auto &e : fs::recursive_directory_iterator(p, ec))
        if (e.is_regular_file() && e.path().string().find(".source.txt") == std::string::npos &&
            EndsWith(e.path().string(), ending))
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path &f : files)
        Add(ReadWhole(f));
}

void FuzzFail(const char *what, const std::string &detail)
{
    fprintf(stderr, "fuzz: FAULT: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
    if (FuzzBeforeFail)
        FuzzBeforeFail();
    abort();
}

const std::string &FuzzScratch(void)
{
    static std::string dir;
    if (dir.empty()) {
        fs::path p = fs::temp_directory_path() / ("ravolt-fuzz-" + std::to_string((long)getpid()));
        fs::create_directories(p);
        dir = p.string();
        atexit([] {
            std::error_code ec;
            fs::remove_all(dir, ec);
        });
    }
    return dir;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (TheFuzzTarget.init)
        TheFuzzTarget.init();
    if (const char *dir = getenv("RAVOLT_FUZZ_SEED_DIR")) {
        FuzzSeeds seeds;
        TheFuzzTarget.seeds(&seeds);
        WriteSeeds(dir, seeds);
        exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TheFuzzTarget.run(data, size);
    return 0;
}
