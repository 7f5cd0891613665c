/* The fuzz inputs of the MQ tests: a small generator and the mutations
 * (bit flips, random bytes, extreme 32-bit words, truncation) of valid
 * messages; RAVOLT_FUZZ_COUNT bounds the mutations per input (default
 * 200). */
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace fuzz {

struct Rng {
    uint64_t s;
    uint32_t Next()
    {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return (uint32_t)(s >> 33);
    }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

inline int Mutations(void)
{
    const char *v = getenv("RAVOLT_FUZZ_COUNT");
    return v && atoi(v) > 0 ? atoi(v) : 200;
}

/* Flips, random bytes and extreme 32-bit values at random places. */
inline std::vector<uint8_t> Mutate(const std::vector<uint8_t> &in, Rng &rng)
{
    std::vector<uint8_t> out = in;
    int edits = 1 + (int)rng.Below(4);
    static const int32_t extremes[] = { 0, -1, 1, 4, 16, 36, 0x7FFFFFFF, (int32_t)0x80000000, 10000, 65536 };
    for (int i = 0; i < edits && !out.empty(); i++) {
        size_t at = rng.Below((uint32_t)out.size());
        switch (rng.Below(4)) {
        case 0: out[at] ^= (uint8_t)(1u << rng.Below(8)); break;
        case 1: out[at] = (uint8_t)rng.Next(); break;
        case 2:
            if (out.size() >= 4) {
                at &= ~(size_t)3;
                if (at + 4 > out.size())
                    at = out.size() - 4;
                int32_t v = extremes[rng.Below(sizeof extremes / sizeof extremes[0])];
                memcpy(&out[at], &v, 4);
            }
            break;
        case 3: out.resize(rng.Below((uint32_t)out.size() + 1)); break;
        }
    }
    return out;
}

}  // namespace fuzz
