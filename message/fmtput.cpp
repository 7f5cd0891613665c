/* Line text without the C library's formatted printing: decimal and hex
 * numbers and strings appended to the run's line buffer, and the start
 * and end of a line.  Each writer gives exactly what the printf format
 * named beside it gives. */
#include "fmtint.h"
#include "csmem.h"

/* The digit pairs 00..99. */
static const char digitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

/* Decimal digits of v. */
static int DigitCount(uint64_t v)
{
    int n = 1;
    for (; v >= 10000; v /= 10000)
        n += 4;
    return n + (v >= 10) + (v >= 100) + (v >= 1000);
}

/* The n digits of v written backwards from end, two at a time. */
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

/* "%llu" */
char *FmtPutUDec(char *p, uint64_t v)
{
    p += DigitCount(v);
    PutDigits(p, v);
    return p;
}

/* "%lld" */
char *FmtPutDec(char *p, int64_t v)
{
    if (v < 0) {
        *p++ = '-';
        return FmtPutUDec(p, 0 - (uint64_t)v);
    }
    return FmtPutUDec(p, (uint64_t)v);
}

/* "%*llu": right-aligned in width blanks */
char *FmtPutUDecWidth(char *p, uint64_t v, int width)
{
    int n = DigitCount(v);
    if (n < width)
        p = FmtPutFill(p, ' ', (size_t)(width - n));
    PutDigits(p + n, v);
    return p + n;
}

/* "%.*llX": upper-case hex of at least minDigits digits */
char *FmtPutHex(char *p, uint64_t v, int minDigits)
{
    static const char hex[] = "0123456789ABCDEF";
    char digits[16];
    int n = 0;
    do {
        digits[n++] = hex[v & 15];
        v >>= 4;
    } while (v);
    while (n < minDigits)
        digits[n++] = '0';
    while (n)
        *p++ = digits[--n];
    return p;
}

/* Makes the cache once the run has shown enough integer lines. */
FmtLineCache *FmtCacheMake(FmtLineRec *lr)
{
    if (++lr->integerLines < FMT_LINE_CACHE_AFTER)
        return nullptr;
    lr->lineCache = (FmtLineCache *)CSGetMem(sizeof(FmtLineCache), "StructLineCache");
    if (!lr->lineCache) {
        lr->integerLines = 0;
        return nullptr;
    }
    for (FmtLineCacheEntry &e : lr->lineCache->slots)
        e.row = nullptr;
    return lr->lineCache;
}

void FmtCacheFree(FmtLineRec *lr)
{
    CSFreeMemAndClear(&lr->lineCache);
    lr->integerLines = 0;
}
