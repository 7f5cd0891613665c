/* Sort keys of list rows.  A value becomes a key text by its field type:
 * texts as they are, enumerations by their display name, numbers in a
 * fixed-width form that sorts negatives (digits inverted) below the
 * smallest 32-bit value ("..") below the rest, times the same way with 20
 * digits.  A row's key joins its primary and secondary parts through the
 * collation table, letters compared without regard to case and the small
 * letter first only to break a tie ("queue.a", "QUEUE.B"; "a", "A"); a
 * descending part is complemented and ended by 255 so that longer texts
 * come first. */
#include "pcflists.h"
#include "../pcfint.h"

#include <cmath>
#include <cstdio>

/* "[" to "`" become "A" to "F"; each letter, of either case, one place
 * from "G"; every other byte stays. */
static const uint8_t *Collation(void)
{
    static uint8_t table[256];
    static int made;
    if (made)
        return table;
    for (int i = 0; i < 256; i++)
        table[i] = (uint8_t)i;
    for (int i = 0; i < 6; i++)
        table['[' + i] = (uint8_t)('A' + i);
    for (int i = 0; i < 26; i++)
        table['a' + i] = table['A' + i] = (uint8_t)('G' + i);
    made = 1;
    return table;
}

/* "|" and ten digits, or "-" and ten inverted digits; ".." for the least
 * 32-bit value. */
static int IntKey(int32_t v, char *out)
{
    if (v == INT32_MIN)
        return snprintf(out, 3, "..");
    if (v >= 0)
        return snprintf(out, 12, "|%010ld", (long)v);
    int n = snprintf(out, 13, "%011ld", (long)v);
    for (int i = 1; i < n; i++)
        out[i] = (char)('9' - (out[i] - '0'));
    return n;
}

static int TimeKey(int64_t v, char *out)
{
    if (v == INT64_MIN)
        return snprintf(out, 3, "..");
    if (v >= 0)
        return snprintf(out, 23, "|%020lld", (long long)v);
    int n = snprintf(out, 24, "-%020lld", -(long long)v);
    for (int i = 1; i < n; i++)
        out[i] = (char)('9' - (out[i] - '0'));
    return n;
}

/* A float: "|" and 17 whole digits with the decimals, negatives inverted. */
static int RealKey(double v, int decimals, char *out)
{
    if (std::isnan(v))
        return snprintf(out, 3, "..");
    double a = std::fabs(v);
    if (a >= 1e17)
        a = 99999999999999999.0;
    int n = snprintf(out + 1, 40, "%0*.*f", 18 + decimals, decimals, a) + 1;
    out[0] = v < 0 ? '-' : '|';
    if (v < 0)
        for (int i = 1; i < n; i++)
            if (out[i] >= '0' && out[i] <= '9')
                out[i] = (char)('9' - (out[i] - '0'));
    return n;
}

static int CopyKey(const void *text, size_t n, char *out)
{
    if (n > PCF_KEYPART)
        n = PCF_KEYPART;
    memcpy(out, text, n);
    out[n] = 0;
    return (int)n;
}

int FlagsToNames(const PCFFieldDef *field, uint32_t flags, char *text)
{
    int used = 0;
    uint32_t left = flags;
    text[0] = 0;
    for (const PCFValueDef *r = field ? field->values : nullptr; r && r->name && *r->name; r++) {
        uint32_t bits = (uint32_t)r->value;
        if (!bits || (flags & bits) != bits)
            continue;
        used += snprintf(text + used, (size_t)(PCF_KEYPART + 1 - used), "%s%s", used ? "," : "", r->name);
        if (used >= PCF_KEYPART)
            return PCF_KEYPART;
        left &= ~bits;
    }
    if (left)
        used += snprintf(text + used, (size_t)(PCF_KEYPART + 1 - used), "%s0x%lX", used ? "," : "",
                         (unsigned long)left);
    return used < PCF_KEYPART ? used : PCF_KEYPART;
}

int PCFValueKey(const PCFFieldDef *f, const uint8_t *v, int secondary, char *out)
{
    out[0] = 0;
    if (!v || !(PCFState(v) & PCFS_PRESENT))
        return 0;
    switch (f->type) {
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRLIST: case PCFT_HEX: case PCFT_BYTES:
    case PCFT_WIDEHEX: case PCFT_STRING25: case PCFT_MULTISTR:
        return CopyKey(v + PCFLV_TEXT, PCFListLength(v), out);
    case PCFT_WIDE17:
        return CopyKey(v + PCFLV_TEXT, strnlen((const char *)v + PCFLV_TEXT, 50), out);
    case PCFT_ENUMLIST: case PCFT_INTLIST: {
        char names[1024];
        PCFListValueText(v, f, names, sizeof names);
        return CopyKey(names, strlen(names), out);
    }
    case PCFT_ENUM: case PCFT_ENUMNUM: {
        const PCFValueDef *row = PCFFindValue(f->values, PCFListInt(v));
        if (row && row->name && *row->name)
            return CopyKey(row->name, strlen(row->name), out);
        return IntKey(PCFListInt(v), out);
    }
    case PCFT_DATETIME: case PCFT_DATETIME100:
        return TimeKey(PCFPairTime(v), out);
    case PCFT_REAL: {
        double d;
        memcpy(&d, v + PCFLV_INT, sizeof d);
        return RealKey(d, secondary ? 9 : 2, out);
    }
    case PCFT_FLAGSET:
        return FlagsToNames(f, (uint32_t)PCFListInt(v), out);
    }
    return IntKey(PCFListInt(v), out);
}

/* A byte of a part, complemented when descending; a NUL never enters (it
 * ends the key). */
static void Out(char *out, int *used, uint8_t b, int descending)
{
    if (descending)
        b = (uint8_t)~b;
    out[(*used)++] = (char)(b ? b : 1);
}

/* One part: the text through the collation (letters without regard to
 * case), then, when it holds letters, 2 and each letter's case (small
 * before capital), so that case only breaks a tie; complemented and ended
 * by 255 when descending. */
static int Part(const char *text, int n, int descending, char *out)
{
    const uint8_t *c = Collation();
    int used = 0, letters = 0;
    if (n > PCF_KEYPART)
        n = PCF_KEYPART;
    for (int i = 0; i < n; i++) {
        Out(out, &used, c[(uint8_t)text[i]], descending);
        letters += (text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z');
    }
    if (letters) {
        Out(out, &used, 2, descending);
        for (int i = 0; i < n; i++) {
            if (text[i] >= 'a' && text[i] <= 'z')
                Out(out, &used, 3, descending);
            else if (text[i] >= 'A' && text[i] <= 'Z')
                Out(out, &used, 4, descending);
        }
    }
    if (descending)
        out[used++] = (char)255;
    return used;
}

int PCFSortKey(const char *primary, int pn, int pd, const char *secondary, int sn, int sd, char *out)
{
    int used = pn > 0 ? Part(primary, pn, pd, out) : 0;
    out[used++] = 1;
    if (sn > 0)
        used += Part(secondary, sn, sd, out + used);
    out[used] = 0;
    return used;
}
