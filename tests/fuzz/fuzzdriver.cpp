/* The project's own fuzz loop, for compilers without a coverage-guided
 * fuzzer: the target's seeds (and any corpus folders named) are run once
 * each, then random mutations of them and of kept mutants until the time
 * or the count is spent.  It takes the coverage-guided fuzzer's options
 * it needs, so scripts/fuzz and the tests call both alike:
 *   fuzz_NAME [-max_total_time=S] [-runs=N] [-seed=N] [-timeout=S]
 *             [-artifact_prefix=P] [-dict=FILE] [FOLDER...]     fuzz
 *   fuzz_NAME FILE...                              run each file once
 * A fault (sanitizer report, FuzzFail, a run longer than -timeout) keeps
 * the input as P + "crash-<hash>" (or "timeout-<hash>") and ends the
 * program with exit code 77. */
#include "fuzz.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#if defined(__has_include)
#if __has_include(<sanitizer/common_interface_defs.h>)
#include <sanitizer/common_interface_defs.h>
#define HAVE_DEATH_CALLBACK 1
#endif
#endif

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern void (*FuzzBeforeFail)(void);

namespace fs = std::filesystem;

namespace {

struct Options {
    double seconds = 0;
    uint64_t runs = 0;
    uint64_t seed = 0;
    int timeout = 30;
    std::string prefix = "./";
    std::string dict;
    std::vector<std::string> paths;
};

/* Words the mutations put in: a dictionary file's quoted entries (one a
 * line, "\\", "\"" and "\xNN" escapes, "#" comments). */
std::vector<std::string> Words;

void ReadDictionary(const std::string &path)
{
    std::ifstream f(path);
    if (!f) {
        fprintf(stderr, "fuzz: dictionary %s missing\n", path.c_str());
        exit(2);
    }
    std::string line;
    while (std::getline(f, line)) {
        size_t open = line.find('"'), close = line.rfind('"');
        if (line.empty() || line[0] == '#' || open == std::string::npos || close <= open)
            continue;
        std::string w;
        for (size_t i = open + 1; i < close; i++) {
            if (line[i] != '\\' || i + 1 >= close)
                w += line[i];
            else if (line[i + 1] == 'x' && i + 3 < close)
                w += (char)strtol(line.substr(i + 2, 2).c_str(), nullptr, 16), i += 3;
            else
                w += line[++i];
        }
        Words.push_back(w);
    }
}

/* The input being run, kept for the fault handlers. */
const std::string *Current;
std::string Prefix;

uint64_t Hash(const std::string &s)
{
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

void Keep(const char *kind)
{
    if (!Current)
        return;
    char name[64];
    snprintf(name, sizeof name, "%s-%016llx", kind, (unsigned long long)Hash(*Current));
    std::string path = Prefix + name;
    if (FILE *f = fopen(path.c_str(), "wb")) {
        fwrite(Current->data(), 1, Current->size(), f);
        fclose(f);
        fprintf(stderr, "fuzz: input kept as %s (%zu bytes)\n", path.c_str(), Current->size());
    }
    Current = nullptr;
}

/* A fault ends the program with the coverage-guided fuzzer's code for
 * one, once its report is out and the input kept. */
enum { FAULT_EXIT = 77 };

void OnFault(void)
{
    Keep("crash");
    _exit(FAULT_EXIT);
}

void OnSignal(int sig)
{
    if (sig == SIGALRM)
        fprintf(stderr, "fuzz: FAULT: one run took longer than its time-out\n");
    Keep(sig == SIGALRM ? "timeout" : "crash");
    _exit(FAULT_EXIT);
}

struct Rng {
    uint64_t s;
    uint64_t Next() { s ^= s << 13; s ^= s >> 7; s ^= s << 17; return s; }
    size_t Below(size_t n) { return n ? (size_t)(Next() % n) : 0; }
};

/* Numbers that lengths, counts and offsets trip over, in both byte orders
 * and widths. */
void PutNumber(Rng &r, std::string &b, size_t at)
{
    static const int64_t values[] = { 0, 1, -1, 2, 4, 7, 8, 16, 20, 28, 32, 36, 48, 127, 128, 255, 256,
                                      0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, (int64_t)0x80000000,
                                      0xFFFFFFFF, 1000000, -2, -4 };
    int64_t v = r.Below(4) ? values[r.Below(sizeof values / sizeof *values)] : (int64_t)r.Below(b.size() + 64);
    size_t width = (size_t)1 << r.Below(3);
    bool big = r.Below(2);
    for (size_t k = 0; k < width && at + k < b.size(); k++)
        b[at + k] = (char)(v >> (8 * (big ? width - 1 - k : k)));
}

void PutDecimal(Rng &r, std::string &b, size_t at)
{
    static const char *const texts[] = { "0", "-1", "1", "65535", "65536", "2147483647", "2147483648",
                                         "4294967296", "99999999999999999999", "-2147483649" };
    size_t end = at;
    while (end < b.size() && (isdigit((unsigned char)b[end]) || b[end] == '-'))
        end++;
    b.replace(at, end - at, texts[r.Below(sizeof texts / sizeof *texts)]);
}

std::string Mutate(Rng &r, const std::string &in, const std::vector<std::string> &pool)
{
    std::string b = in;
    int edits = 1 + (int)r.Below(r.Below(4) ? 4 : 16);
    for (int e = 0; e < edits; e++) {
        if (b.empty()) {
            b.push_back((char)r.Next());
            continue;
        }
        size_t at = r.Below(b.size());
        switch (r.Below(Words.empty() ? 10 : 12)) {
        case 0: b[at] = (char)r.Next(); break;
        case 1: b[at] ^= (char)(1u << r.Below(8)); break;
        case 2: b.erase(at, 1 + r.Below(r.Below(4) ? 8 : 256)); break;
        case 3: b.insert(at, 1 + r.Below(r.Below(4) ? 4 : 512), (char)(r.Below(2) ? r.Next() : b[at])); break;
        case 4: PutNumber(r, b, at); break;
        case 5: PutDecimal(r, b, at); break;
        case 6: {                                /* a stretch of itself elsewhere */
            size_t from = r.Below(b.size()), n = 1 + r.Below(std::min<size_t>(b.size() - from, 128));
            b.insert(r.Below(b.size() + 1), b.substr(from, n));
            break;
        }
        case 7: {                                /* a stretch of another input */
            const std::string &o = pool[r.Below(pool.size())];
            if (!o.empty()) {
                size_t from = r.Below(o.size());
                b.insert(at, o.substr(from, 1 + r.Below(std::min<size_t>(o.size() - from, 256))));
            }
            break;
        }
        case 8: b.resize(at); break;
        case 9: {                                /* two bytes swapped */
            size_t other = r.Below(b.size());
            std::swap(b[at], b[other]);
            break;
        }
        case 10: b.insert(at, Words[r.Below(Words.size())]); break;
        default: {                               /* a word over the bytes there */
            const std::string &w = Words[r.Below(Words.size())];
            b.replace(at, std::min(w.size(), b.size() - at), w);
        }
        }
        if (b.size() > 1 << 20)
            b.resize(1 << 20);
    }
    return b;
}

void RunOne(const std::string &input, int timeout)
{
    Current = &input;
    alarm((unsigned)timeout);
    LLVMFuzzerTestOneInput((const uint8_t *)input.data(), input.size());
    alarm(0);
    Current = nullptr;
}

std::string ReadWhole(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

Options Parse(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto value = [&](const char *name) -> const char * {
            size_t n = strlen(name);
            return a.compare(0, n, name) == 0 ? a.c_str() + n : nullptr;
        };
        if (const char *v = value("-max_total_time="))
            o.seconds = atof(v);
        else if (const char *v = value("-runs="))
            o.runs = strtoull(v, nullptr, 10);
        else if (const char *v = value("-seed="))
            o.seed = strtoull(v, nullptr, 10);
        else if (const char *v = value("-timeout="))
            o.timeout = atoi(v);
        else if (const char *v = value("-artifact_prefix="))
            o.prefix = v;
        else if (const char *v = value("-dict="))
            o.dict = v;
        else if (a[0] == '-')
            fprintf(stderr, "fuzz: option %s ignored\n", a.c_str());
        else
            o.paths.push_back(a);
    }
    return o;
}

}  // namespace

int main(int argc, char **argv)
{
    Options o = Parse(argc, argv);
    Prefix = o.prefix;
    if (!o.dict.empty())
        ReadDictionary(o.dict);
    LLVMFuzzerInitialize(&argc, &argv);
    FuzzBeforeFail = OnFault;
#ifdef HAVE_DEATH_CALLBACK
    __sanitizer_set_death_callback(OnFault);
#endif
    /* (memory faults are the sanitizers' own: their report calls OnFault) */
    for (int sig : { SIGABRT, SIGALRM })
        signal(sig, OnSignal);

    std::vector<std::string> pool;
    bool filesOnly = !o.paths.empty();
    for (const std::string &p : o.paths) {
        std::error_code ec;
        if (fs::is_directory(p, ec)) {
            filesOnly = false;
            for (auto &e : fs::recursive_directory_iterator(p, ec))
                if (e.is_regular_file())
                    pool.push_back(ReadWhole(e.path()));
        } else {
            pool.push_back(ReadWhole(p));
        }
    }
    if (filesOnly) {                              /* reproduce: each file once */
        for (size_t i = 0; i < pool.size(); i++) {
            fprintf(stderr, "fuzz: running %s\n", o.paths[i].c_str());
            RunOne(pool[i], o.timeout);
        }
        fprintf(stderr, "fuzz: %zu inputs ran without a fault\n", pool.size());
        return 0;
    }
    FuzzSeeds seeds;
    TheFuzzTarget.seeds(&seeds);
    pool.insert(pool.end(), seeds.inputs.begin(), seeds.inputs.end());
    if (pool.empty())
        pool.push_back(std::string());
    auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    uint64_t runs = 0;
    for (const std::string &s : pool)
        RunOne(s, o.timeout), runs++;
    size_t seedCount = pool.size();
    Rng r{ (o.seed ? o.seed : (uint64_t)time(nullptr)) * 0x9E3779B97F4A7C15ull | 1 };
    fprintf(stderr, "fuzz: %zu seeds ran; mutating (seed %llu)\n", seedCount, (unsigned long long)o.seed);
    while ((o.runs == 0 || runs < o.runs) && (o.seconds <= 0 || elapsed() < o.seconds)) {
        if (o.runs == 0 && o.seconds <= 0)
            break;
        std::string m = Mutate(r, pool[r.Below(pool.size())], pool);
        RunOne(m, o.timeout);
        runs++;
        /* some mutants stay, so that mutations stack */
        if (r.Below(64) == 0) {
            if (pool.size() < seedCount + 4096)
                pool.push_back(m);
            else
                pool[seedCount + r.Below(4096)] = m;
        }
        if (runs % 100000 == 0)
            fprintf(stderr, "fuzz: %llu runs, %.0f s\n", (unsigned long long)runs, elapsed());
    }
    fprintf(stderr, "fuzz: Done %llu runs in %.1f s without a fault\n", (unsigned long long)runs, elapsed());
    return 0;
}
