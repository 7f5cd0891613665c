/* Capability flags: the flag array, the triple rule and the flags each
 * platform and command level sets. */
#include "capability.h"

#include <cstring>

static bool InRange(int index)
{
    return index >= 0 && index < CAP_COUNT;
}

void CapSet(uint8_t *caps, int index)
{
    if (caps && InRange(index)) caps[index] = 1;
}

void CapClear(uint8_t *caps, int index)
{
    if (caps && InRange(index)) caps[index] = 0;
}

int CapGet(const uint8_t *caps, int index)
{
    if (!caps) return 1;
    return InRange(index) ? caps[index] : 0;
}

void CapSetAll(uint8_t *caps)
{
    if (caps) memset(caps, 1, CAP_COUNT);
}

void CapMerge(uint8_t *target, const uint8_t *source)
{
    if (!target) return;
    for (int i = 0; i < CAP_COUNT; i++)
        if (!source || source[i]) target[i] = 1;
}

int CapCheckTriple(const uint8_t *caps, const CapTriple *triple)
{
    if (!caps || !triple) return 1;
    if (triple->exclude && CapGet(caps, triple->exclude)) return 0;
    bool first = !triple->need1 || CapGet(caps, triple->need1);
    bool second = !triple->need2 || CapGet(caps, triple->need2);
    return first && second;
}

int CapTest(const void *context, const uint8_t *caps, const void *record)
{
    (void)context;
    if (!record) return 1;
    CapTriple t;
    memcpy(&t, record, sizeof t);
    return CapCheckTriple(caps, &t);
}

/* ---- flags by platform and level ----------------------------------------
 * Each rule applies to a set of platforms within a range of command
 * levels and sets (or clears) its flags; rules run in order. */

enum {
    PL_ZOS = 1, PL_OS2 = 2, PL_UNIX = 3, PL_IBMI = 4, PL_WINDOWS = 11,
    PL_OPENVMS = 12, PL_NONSTOP = 13, PL_APPLIANCE = 28,
};

#define P(p) (1ull << (p))
static const uint64_t ZOS = P(PL_ZOS);
static const uint64_t IBMI = P(PL_IBMI);
static const uint64_t WIN = P(PL_WINDOWS);
static const uint64_t UNIXLIKE = P(PL_OS2) | P(PL_UNIX) | P(PL_WINDOWS) | P(PL_APPLIANCE);
static const uint64_t DISTRIBUTED = UNIXLIKE | P(PL_OPENVMS) | P(PL_NONSTOP);
static const uint64_t TAIL = DISTRIBUTED | IBMI;

static const int32_t ANY = INT32_MAX;
static const int32_t ALWAYS = INT32_MIN;

struct CapRule {
    uint64_t platforms;
    int32_t  minLevel;
    int32_t  maxLevel;
    bool     clear;
    uint8_t  flags[10];   /* ended by 0 */
};

static const CapRule CapRules[] = {
    /* z/OS */
    { ZOS, ALWAYS, ANY, false, { 3, 7, 19 } },
    { ZOS, ALWAYS, 113, false, { 9 } },
    { ZOS, 114, ANY, false, { 10, 11 } },
    { ZOS, 120, ANY, false, { 6 } },
    { ZOS, 210, ANY, false, { 4, 8, 29 } },
    { ZOS, 220, ANY, false, { 12, 13, 14 } },
    { ZOS, 520, ANY, false, { 20 } },
    { ZOS, 530, ANY, false, { 1, 21, 22, 34 } },
    { ZOS, 600, ANY, false, { 2, 26, 33, 50 } },
    { ZOS, 700, ANY, false, { 30 } },
    { ZOS, 701, ANY, false, { 31 } },
    { ZOS, 710, ANY, false, { 36, 48 } },
    { ZOS, 750, ANY, false, { 38 } },
    { ZOS, 800, ANY, false, { 42, 43 } },
    { ZOS, 900, ANY, false, { 49 } },
    { ZOS, 902, ANY, false, { 51 } },
    { ZOS, 904, ANY, false, { 53 } },
    { ZOS, 911, ANY, false, { 55 } },
    { ZOS, 913, ANY, false, { 56 } },
    { ZOS, 914, ANY, false, { 59 } },
    { ZOS, 915, ANY, false, { 60 } },
    { ZOS, 921, ANY, false, { 66 } },
    { ZOS, 923, ANY, false, { 63 } },
    { ZOS, 924, ANY, false, { 67 } },
    { ZOS, 930, ANY, false, { 18, 23, 35 } },
    { ZOS, 932, ANY, false, { 70 } },

    /* IBM i */
    { IBMI, ALWAYS, ANY, false, { 11, 12, 13, 27, 29 } },
    { IBMI, 510, ANY, false, { 1, 2, 3, 4, 5, 6, 7, 8, 10 } },
    { IBMI, 530, ANY, false, { 20, 21, 22 } },
    { IBMI, 600, ANY, false, { 26, 35, 43, 48 } },
    { IBMI, 700, ANY, false, { 30, 39, 50 } },
    { IBMI, 701, ANY, false, { 31, 32, 33, 34 } },
    { IBMI, 710, ANY, false, { 36 } },
    { IBMI, 750, ANY, false, { 38 } },
    { IBMI, 800, ANY, false, { 42, 65 } },
    { IBMI, 801, ANY, false, { 45, 52 } },

    /* OS/2, UNIX, Windows, appliance, OpenVMS, NonStop */
    { WIN, ALWAYS, ANY, false, { 25 } },
    { UNIXLIKE, 711, ANY, false, { 37 } },
    { UNIXLIKE, 802, ANY, false, { 47 } },
    { DISTRIBUTED, ALWAYS, ANY, false, { 10, 11, 12, 13, 29 } },
    { DISTRIBUTED, 201, ANY, false, { 2, 3 } },
    { DISTRIBUTED, 230, ANY, false, { 1, 4, 5, 6 } },
    { DISTRIBUTED, 510, ANY, false, { 7, 8 } },
    { DISTRIBUTED, 530, ANY, false, { 20, 21, 22 } },
    { DISTRIBUTED, 600, ANY, false, { 26, 35, 43, 48 } },
    { DISTRIBUTED, 700, ANY, false, { 30, 39, 50 } },
    { DISTRIBUTED, 701, ANY, false, { 31, 32, 33, 34, 41 } },
    { DISTRIBUTED, 710, ANY, false, { 36 } },
    { DISTRIBUTED, 750, ANY, false, { 38 } },
    { DISTRIBUTED, 800, ANY, false, { 42, 65 } },
    { DISTRIBUTED, 801, ANY, false, { 44, 45, 52 } },

    /* the tail common to all but z/OS */
    { TAIL, 900, ANY, false, { 49 } },
    { TAIL, 902, ANY, false, { 51 } },
    { TAIL, 905, ANY, false, { 53 } },
    { TAIL, 911, ANY, false, { 55 } },
    { TAIL, 913, ANY, false, { 56 } },
    { TAIL, 914, ANY, false, { 59 } },
    { TAIL, 915, ANY, false, { 60 } },
    { TAIL, 921, ANY, false, { 66 } },
    { TAIL, 923, ANY, false, { 18, 63 } },
    { TAIL, 924, ANY, false, { 67 } },
    { TAIL, 930, ANY, false, { 23 } },
    { TAIL, 931, ANY, false, { 16 } },
    { TAIL, 932, ANY, false, { 70 } },

    /* finally */
    { WIN, 801, 899, true, { 52 } },
    { P(PL_APPLIANCE), ALWAYS, ANY, false, { 71 } },
};

void CapSetForQmgr(uint8_t *caps, int32_t platform, int32_t commandLevel)
{
    if (!caps || platform < 0 || platform > 63) return;
    for (const CapRule &r : CapRules) {
        if (!(r.platforms & P(platform))) continue;
        if (commandLevel < r.minLevel || commandLevel > r.maxLevel) continue;
        for (const uint8_t *f = r.flags; *f && f < r.flags + sizeof r.flags; f++) {
            if (r.clear) CapClear(caps, *f);
            else CapSet(caps, *f);
        }
    }
}
