/* The frame of the fuzz targets.  A target file names its seeds and its
 * one run over an input with FUZZ_TARGET; the frame makes a program of it
 * that either the compiler's coverage-guided fuzzer drives (clang's
 * -fsanitize=fuzzer) or the project's own mutation loop (fuzzdriver.cpp).
 * A run that finds a fault ends the program through FuzzFail or a
 * sanitizer report; the input that did it is kept as a file. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

/* The inputs a target starts from. */
struct FuzzSeeds {
    std::vector<std::string> inputs;
    void Add(const std::string &bytes) { inputs.push_back(bytes); }
    void Add(const void *p, size_t n) { inputs.push_back(std::string((const char *)p, n)); }
    /* "data/<path>" under the tests' data, "samples/<path>" under the
     * shared samples: a file, or a folder read recursively (".source.txt"
     * notes left out), only names with the given ending when one is
     * given (case ignored).  A missing path is an error: the program ends. */
    void Files(const char *where, const char *ending = nullptr);
};

struct FuzzTarget {
    void (*seeds)(FuzzSeeds *);
    void (*init)(void);                          /* once, before the first run; may be null */
    void (*run)(const uint8_t *data, size_t size);
};

/* A fault the sanitizers cannot see (a broken promise of the code under
 * test): reported with its text, the program ends. */
[[noreturn]] void FuzzFail(const char *what, const std::string &detail = std::string());
#define FUZZ_CHECK(cond, detail) \
    do { if (!(cond)) FuzzFail(#cond, detail); } while (0)

/* A scratch folder of this process (created on first use). */
const std::string &FuzzScratch(void);

/* Reads an input as fields: numbers first, the rest as bytes.  Past the
 * end it gives zeros and empty strings. */
struct FuzzInput {
    const uint8_t *p;
    size_t n;
    uint8_t Byte() { return n ? (n--, *p++) : 0; }
    uint32_t Word()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; i++)
            v |= (uint32_t)Byte() << (8 * i);
        return v;
    }
    std::string Take(size_t want)
    {
        size_t k = want < n ? want : n;
        std::string s((const char *)p, k);
        p += k;
        n -= k;
        return s;
    }
    std::string Rest() { return Take(n); }
};

/* A block of exactly the input's size on the heap, so that the sanitizers
 * see a read one byte past it. */
struct FuzzBlock {
    std::vector<uint8_t> bytes;
    FuzzBlock(const void *p, size_t n) : bytes((const uint8_t *)p, (const uint8_t *)p + n) { bytes.shrink_to_fit(); }
    explicit FuzzBlock(const std::string &s) : FuzzBlock(s.data(), s.size()) {}
    uint8_t *data() { return bytes.empty() ? nullptr : bytes.data(); }
    size_t size() const { return bytes.size(); }
};

extern const FuzzTarget TheFuzzTarget;

#define FUZZ_TARGET(seeds, init, run) const FuzzTarget TheFuzzTarget = { seeds, init, run };
