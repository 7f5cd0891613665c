/* The filter compiler's robustness runs, shared by the bounded test and
 * the long run of bench/filters: every prefix of a corpus of filter
 * texts, random token streams and byte mutations compiled for a Queue
 * List (with named filters to refer to) and evaluated over its rows; and
 * random date$ and statusf formats and "%" variable names.  Each check
 * that fails is counted with its first text kept. */
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FltFuzzResult {
    uint64_t runs = 0, compiled = 0, failed = 0;
    uint64_t problems = 0;
    std::string firstProblem;
};

/* Sets up the dialog, its rows and the named filters (once). */
void FltFuzzSetUp(void);
void FltFuzzTearDown(void);
const std::vector<std::string> &FltFuzzCorpus(void);
/* Compiles one text and checks the result; evaluates a program. */
void FltFuzzOne(const std::string &text, FltFuzzResult *r);
void FltFuzzPrefixes(FltFuzzResult *r);
void FltFuzzTokens(uint64_t count, uint64_t seed, FltFuzzResult *r);
void FltFuzzMutations(uint64_t count, uint64_t seed, FltFuzzResult *r);
void FltFuzzFormats(uint64_t count, uint64_t seed, FltFuzzResult *r);
void FltFuzzNames(uint64_t count, uint64_t seed, FltFuzzResult *r);
