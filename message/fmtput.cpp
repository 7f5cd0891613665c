/* Line text without the C library's formatted printing: decimal and hex
 * numbers and strings appended to the run's line buffer, and the start
 * and end of a line.  Each writer gives exactly what the printf format
 * named beside it gives. */
#include "fmtint.h"
#include "csmem.h"
#include "cstext.h"

/* "%*llu": right-aligned in width blanks */
char *FmtPutUDecWidth(char *p, uint64_t v, int width)
{
    int n = CSDecimalDigits(v);
    if (n < width)
        p = FmtPutFill(p, ' ', (size_t)(width - n));
    return CSPutUDec(p, v);
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
