/* Byte-string searches with and without regard to case, wildcard
 * matching, trimming and copying of blank-padded fields, bit fields. */
#include "cstext.h"

#include <cstring>

static inline unsigned char Lower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? (unsigned char)(c + 32) : c;
}

/* ---- Searches ---- */

char *UTMemFind(const void *buffer, int length, const void *pattern, int patternLength)
{
    const unsigned char *b = (const unsigned char *)buffer;
    const unsigned char *pat = (const unsigned char *)pattern;
    if (patternLength <= 0)
        return (char *)b;
    if (length < patternLength)
        return nullptr;
    const unsigned char *last = b + length - patternLength;
    for (const unsigned char *p = b; p <= last; p++) {
        p = (const unsigned char *)memchr(p, pat[0], (size_t)(last - p) + 1);
        if (!p)
            break;
        if (memcmp(p + 1, pat + 1, (size_t)patternLength - 1) == 0)
            return (char *)p;
    }
    return nullptr;
}

char *UTMemFindRange(const void *start, const void *end, const void *pattern,
                     int patternLength)
{
    const char *s = (const char *)start, *e = (const char *)end;
    return e < s ? nullptr : UTMemFind(s, (int)(e - s), pattern, patternLength);
}

char *UTMemFindBack(const void *position, const void *start, const void *pattern,
                    int patternLength)
{
    const char *pat = (const char *)pattern;
    for (const char *p = (const char *)position; p >= (const char *)start; p--)
        if (memcmp(p, pat, (size_t)(patternLength > 0 ? patternLength : 0)) == 0)
            return (char *)p;
    return nullptr;
}

static int EqualNoCase(const unsigned char *a, const unsigned char *b, int n)
{
    for (int i = 0; i < n; i++)
        if (Lower(a[i]) != Lower(b[i]))
            return 0;
    return 1;
}

char *UTMemFindNoCase(const void *buffer, int length, const void *pattern,
                      int patternLength)
{
    const unsigned char *b = (const unsigned char *)buffer;
    const unsigned char *pat = (const unsigned char *)pattern;
    if (patternLength <= 0)
        return (char *)b;
    unsigned char first = Lower(pat[0]);
    for (int i = 0; i + patternLength <= length; i++)
        if (Lower(b[i]) == first && EqualNoCase(b + i + 1, pat + 1, patternLength - 1))
            return (char *)(b + i);
    return nullptr;
}

typedef char *(*FindProc)(const void *, int, const void *, int);

static int CountWith(FindProc find, const void *buffer, int length, const void *pattern,
                     int patternLength)
{
    const char *b = (const char *)buffer, *end = b + length;
    int n = 0;
    if (patternLength <= 0)
        return 0;
    for (const char *p; (p = find(b, (int)(end - b), pattern, patternLength)); b = p + 1)
        n++;
    return n;
}

int UTMemCount(const void *buffer, int length, const void *pattern, int patternLength)
{
    return CountWith(UTMemFind, buffer, length, pattern, patternLength);
}

int UTMemCountNoCase(const void *buffer, int length, const void *pattern,
                     int patternLength)
{
    return CountWith(UTMemFindNoCase, buffer, length, pattern, patternLength);
}

char *UTStrStrNoCase(const char *text, const char *part)
{
    return UTMemFindNoCase(text, (int)strlen(text), part, (int)strlen(part));
}

static unsigned char EbcdicUpper(unsigned char c)
{
    if ((c >= 0x81 && c <= 0x89) || (c >= 0x91 && c <= 0x99) || (c >= 0xA1 && c <= 0xA9))
        return c | 0x40;
    return c;
}

int UTEbcdicCompareNoCase(const unsigned char *first, const unsigned char *second,
                          int count)
{
    for (int i = 0; i < count; i++) {
        unsigned char a = EbcdicUpper(first[i]), b = EbcdicUpper(second[i]);
        if (a != b)
            return (int)b - (int)a;
    }
    return 0;
}

/* ---- Wildcards ---- */

/* "*" takes the empty run first and one more byte on each retry; only the
 * last "*" needs retrying, since an earlier one can always take what a
 * later retry would give it. */
static int WildMatch(const unsigned char *t, int n, const unsigned char *p, int m,
                     int noCase)
{
    int ti = 0, pi = 0, starP = -1, starT = 0;
    while (ti < n) {
        if (pi < m && p[pi] == '*') {
            starP = pi++;
            starT = ti;
        } else if (pi < m && (p[pi] == '?' ||
                              (noCase ? Lower(p[pi]) == Lower(t[ti]) : p[pi] == t[ti]))) {
            pi++;
            ti++;
        } else if (starP >= 0) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return 0;
        }
    }
    while (pi < m && p[pi] == '*')
        pi++;
    return pi == m;
}

int UTWildMatch(const char *text, int length, const char *pattern, int patternLength)
{
    return WildMatch((const unsigned char *)text, length, (const unsigned char *)pattern,
                     patternLength, 0);
}

int UTWildMatchNoCase(const char *text, int length, const char *pattern, int patternLength)
{
    return WildMatch((const unsigned char *)text, length, (const unsigned char *)pattern,
                     patternLength, 1);
}

char *UTFindInsertion(const char *longer, int longLength, const char *shorter,
                      int shortLength)
{
    int extra = longLength - shortLength;
    if (extra <= 0 || shortLength < 0)
        return nullptr;
    int prefix = 0, suffix = 0;
    while (prefix < shortLength && longer[prefix] == shorter[prefix])
        prefix++;
    while (suffix < shortLength &&
           longer[longLength - 1 - suffix] == shorter[shortLength - 1 - suffix])
        suffix++;
    /* The run may start at i when shorter's first i bytes are a common
     * prefix and the rest a common suffix. */
    int first = shortLength - suffix;
    return first <= prefix ? (char *)longer + first : nullptr;
}

int UTEndsWith(const char *text, int length, const char *end, int endLength)
{
    if (length < 0)
        length = (int)strlen(text);
    if (endLength < 0)
        endLength = (int)strlen(end);
    return endLength <= length && memcmp(text + length - endLength, end, (size_t)endLength) == 0;
}

int UTIsAll(const void *bytes, int count, int value)
{
    const unsigned char *b = (const unsigned char *)bytes;
    for (int i = 0; i < count; i++)
        if (b[i] != (unsigned char)value)
            return 0;
    return 1;
}

/* ---- Trimming and copying ---- */

static int TrailingWhite(char c)
{
    return c == 0 || c == '\t' || c == '\n' || c == ' ';
}

int UTTrimmedLength(const char *bytes, int length)
{
    while (length > 0 && TrailingWhite(bytes[length - 1]))
        length--;
    return length;
}

int UTTrimRight(char *bytes, int length)
{
    int n = UTTrimmedLength(bytes, length);
    if (length > n)
        memset(bytes + n, 0, (size_t)(length - n));
    return n;
}

int UTTrimZeroLength(const void *bytes, int length)
{
    const unsigned char *b = (const unsigned char *)bytes;
    static const unsigned char zeros[4] = {0, 0, 0, 0};
    for (int step = 4; step >= 1; step /= 2)
        while (length >= step && memcmp(b + length - step, zeros, (size_t)step) == 0)
            length -= step;
    return length;
}

int UTTrimRightChars(char *text, int length, const char *set)
{
    while (length > 0 && text[length - 1] && strchr(set, text[length - 1]))
        text[--length] = 0;
    return length;
}

char *UTStripChars(char *text, const char *set)
{
    while (*text && strchr(set, *text))
        text++;
    UTTrimRightChars(text, (int)strlen(text), set);
    return text;
}

void UTTrimSpan(const char **start, int *length)
{
    while (*length > 0 && **start == ' ') {
        ++*start;
        --*length;
    }
    while (*length > 0 && (*start)[*length - 1] == ' ')
        --*length;
}

int UTStrCopyToBlank(char *out, const char *in, int length, int limit)
{
    int max = limit && limit < length ? limit : length;
    int n = 0;
    while (n < max && in[n] && in[n] != ' ') {
        out[n] = in[n];
        n++;
    }
    out[n] = 0;
    return n;
}

int UTCopyTrimmed(char *out, const char *in, int length, int limit)
{
    while (length > 0 && in[length - 1] == ' ')
        length--;
    if (limit && length > limit)
        length = limit;
    if (length < 0)
        length = 0;
    memcpy(out, in, (size_t)length);
    out[length] = 0;
    return length;
}

void UTStrCopy(char *out, const char *in, size_t size)
{
    if (!size)
        return;
    size_t n = 0;
    while (n + 1 < size && in[n]) {
        out[n] = in[n];
        n++;
    }
    out[n] = 0;
}

/* ---- Bit fields ---- */

void UTSetMasked(uint32_t *word, uint32_t value, uint32_t mask)
{
    *word = (*word & ~mask) | (value & mask);
}

void UTSetFlag(uint32_t *word, int on, uint32_t bits)
{
    if (on)
        *word |= bits;
    else
        *word &= ~bits;
}
