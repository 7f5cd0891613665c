/* Decimal numbers written without the C library's formatted printing:
 * the digits two at a time from a table of pairs, exactly what "%llu" and
 * "%lld" give, and no NUL after them. */
#include "cstext.h"

#include <cstring>

/* The digit pairs 00..99. */
static const char digitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

int CSDecimalDigits(uint64_t v)
{
    int n = 1;
    for (; v >= 10000; v /= 10000)
        n += 4;
    return n + (v >= 10) + (v >= 100) + (v >= 1000);
}

/* The digits of v written backwards from end, two at a time. */
static void PutDigits(char *end, uint64_t v)
{
    while (v >= 100) {
        unsigned pair = (unsigned)(v % 100);
        v /= 100;
        end -= 2;
        memcpy(end, digitPairs + 2 * pair, 2);
    }
    if (v >= 10)
        memcpy(end - 2, digitPairs + 2 * v, 2);
    else
        end[-1] = (char)('0' + v);
}

char *CSPutUDec(char *p, uint64_t v)
{
    p += CSDecimalDigits(v);
    PutDigits(p, v);
    return p;
}

char *CSPutDec(char *p, int64_t v)
{
    if (v < 0) {
        *p++ = '-';
        return CSPutUDec(p, 0 - (uint64_t)v);
    }
    return CSPutUDec(p, (uint64_t)v);
}
