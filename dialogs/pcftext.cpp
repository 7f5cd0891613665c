/* Field values as text: the display text of a data-area value, of an
 * integer, of an integer list and of a multi-string of a list row, and
 * the MQSC text of a value for an export. */
#include "pcfint.h"

#include <cstdio>

#include "cs.h"

/* Attribute ids never shown with thousands separators. */
static const uint32_t PlainNumbers[] = { 2, 31, 1013, 1020, 1024, 1025, 1254, 1521, 1522,
                                         10014, 10015, 10057 };

static int Plain(const PCFFieldDef *f)
{
    for (uint32_t id : PlainNumbers)
        if (f->attrId == id)
            return 1;
    return 0;
}

void PCFGroupDigits(char *buffer, int size, const char *digits)
{
    const char *sep = PcfPrefs.sep1000;
    size_t seplen = strlen(sep);
    const char *d = digits;
    int n = 0;
    if (*d == '-')
        buffer[n++] = *d++;
    size_t count = strlen(d);
    for (size_t i = 0; i < count && n < size - 1; i++) {
        if (i && (count - i) % 3 == 0 && n + (int)seplen < size - 1) {
            memcpy(buffer + n, sep, seplen);
            n += (int)seplen;
        }
        buffer[n++] = d[i];
    }
    buffer[n] = 0;
}

/* The thousands separator at p, followed by exactly three digits. */
static size_t GroupAt(const char *p, const char *sep, size_t seplen)
{
    if (!seplen || strncmp(p, sep, seplen) != 0)
        return 0;
    const char *d = p + seplen;
    for (int i = 0; i < 3; i++)
        if (d[i] < '0' || d[i] > '9')
            return 0;
    return d[3] >= '0' && d[3] <= '9' ? 0 : seplen;
}

/* Adds a digit to a number that stops growing past the 32-bit range. */
static int64_t Digit(int64_t v, char c)
{
    return v < 100000000000LL ? v * 10 + (c - '0') : v;
}

int PCFReadNumber(const char **text, int64_t *value)
{
    const char *p = *text, *sep = PcfPrefs.sep1000;
    size_t seplen = strlen(sep), skip;
    int negative = 0;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    const char *lead = p;
    int64_t v = 0;
    while (*p >= '0' && *p <= '9')
        v = Digit(v, *p++);
    if (p == lead)
        return 0;
    if (p - lead <= 3)
        while ((skip = GroupAt(p, sep, seplen)) != 0)
            for (p += skip; *p >= '0' && *p <= '9'; p++)
                v = Digit(v, *p);
    *value = negative ? -v : v;
    *text = p;
    return 1;
}

const char *PCFIntValueText(const PCFFieldDef *field, int32_t value, char *buffer, int size,
                            int separators)
{
    char digits[24];
    if (field->type == PCFT_INTLIST && value == -1) {
        snprintf(buffer, (size_t)size, "Not set");
        return buffer;
    }
    if (field->type == PCFT_NUMBER || field->type == PCFT_SIGNED)
        snprintf(digits, sizeof digits, "%ld", (long)value);
    else
        snprintf(digits, sizeof digits, "%lu", (unsigned long)(uint32_t)value);
    if (separators && PcfPrefs.thousands && !Plain(field))
        PCFGroupDigits(buffer, size, digits);
    else
        snprintf(buffer, (size_t)size, "%s", digits);
    return buffer;
}

/* Appends text to the buffer (always terminated). */
static void Append(char *buffer, int size, int *used, const char *text)
{
    int n = snprintf(buffer + *used, (size_t)(size - *used), "%s", text);
    if (n > 0)
        *used = *used + n < size - 1 ? *used + n : size - 1;
}

static const char *Element(const PCFFieldDef *f, int32_t v, char *buffer, int size, int separators)
{
    const PCFValueDef *row = PCFFindValue(f->values, v);
    if (row) {
        snprintf(buffer, (size_t)size, "%s", row->name);
        return buffer;
    }
    return PCFIntValueText(f, v, buffer, size, separators);
}

/* The record of an entry that holds a value (present or received). */
static uint8_t *ValueRecord(const uint8_t *area, const PCFFieldEntry *entry)
{
    if (!area || !entry || !entry->field || !PCFStoresValue(entry))
        return nullptr;
    uint8_t *r = (uint8_t *)area + entry->offset;
    return PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED) ? r : nullptr;
}

const char *PCFValueText(const uint8_t *area, const PCFFieldEntry *entry, int index, char *buffer,
                         int size, int separators)
{
    static const char empty[] = "";
    uint8_t *r = ValueRecord(area, entry);
    if (!r || size < 1)
        return empty;
    const PCFFieldDef *f = entry->field;
    buffer[0] = 0;
    switch (f->type) {
    case PCFT_INT: case PCFT_NUMBER: case PCFT_SHOWINT:
        return PCFIntValueText(f, PCFRecInt(r), buffer, size, separators);
    case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14:
        return Element(f, PCFRecInt(r), buffer, size, separators);
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRING25:
        return PCFRecText(r);
    case PCFT_STRLIST: case PCFT_MULTISTR: {
        PCFSTRLIST *l = PCFRecStrList(r);
        if (l && index >= 0 && index < l->count)
            UTCopyTrimmed(buffer, PCFStrListItem(l, f->maximum, index), f->maximum,
                          size - 1 < f->maximum ? size - 1 : 0);
        return buffer;
    }
    case PCFT_HEX: case PCFT_WIDEHEX:
        PCFHexText(PCFRecBytes(r), PCFRecBytesLength(r), buffer, (uint32_t)size);
        return buffer;
    case PCFT_BYTES: {
        uint32_t n = PCFRecBytesLength(r);
        if (n > (uint32_t)size - 1)
            n = (uint32_t)size - 1;
        UTPrintableCopy(buffer, PCFRecBytes(r), (int)n);
        buffer[n] = 0;
        return buffer;
    }
    case PCFT_ENUMLIST: case PCFT_FLAGSET: {
        PCFINTLIST *l = PCFRecIntList(r);
        if (l && index >= 0 && index < l->count)
            return Element(f, PCFIntListItems(l)[index], buffer, size, separators);
        if (f->type == PCFT_FLAGSET && (!l || !l->count)) {
            const PCFValueDef *zero = PCFFindValue(f->values, 0);
            if (zero)
                snprintf(buffer, (size_t)size, "%s", zero->name);
        }
        return buffer;
    }
    case PCFT_INTLIST: {
        PCFINTLIST *l = PCFRecIntList(r);
        int used = 0, any = 0;
        char item[32];
        for (int i = 0; l && i < l->count; i++)
            any |= PCFIntListItems(l)[i] != -1;
        for (int i = 0; any && i < l->count; i++) {
            if (i)
                Append(buffer, size, &used, PcfPrefs.sepInt);
            Append(buffer, size, &used, PCFIntValueText(f, PCFIntListItems(l)[i], item, sizeof item, separators));
        }
        return buffer;
    }
    case PCFT_DATETIME: case PCFT_DATETIME100:
        return (const char *)r + REC_PAIRTEXT;
    }
    return buffer;
}

const char *PCFListValueText(const uint8_t *record, const PCFFieldDef *field, char *buffer, int size)
{
    int count = PCFListLength(record), used = 0, shown = 0, any = 0;
    const uint8_t *items = record + PCFLV_TEXT;
    buffer[0] = 0;
    for (int i = 0; i < count; i++)
        any |= Get32(items + 4 * i) != -1;
    if (field->type == PCFT_INTLIST && !any)
        return buffer;
    char item[64];
    for (int i = 0; i < count; i++) {
        int32_t v = Get32(items + 4 * i);
        const PCFValueDef *row = PCFFindValue(field->values, v);
        const char *sep = PcfPrefs.sepList;
        if (row) {
            if (row->keyword && *row->keyword == '!')
                continue;
            snprintf(item, sizeof item, "%s", row->name);
        } else {
            PCFIntValueText(field, v, item, sizeof item, 1);
            if (field->type == PCFT_INTLIST)
                sep = PcfPrefs.sepInt;
        }
        if (shown++)
            Append(buffer, size, &used, sep);
        Append(buffer, size, &used, item);
    }
    return buffer;
}

int PCFMultiStringJoin(const uint8_t *record, char *out, int size)
{
    int n = PCFListLength(record), used = 0;
    const char *text = (const char *)record + PCFLV_TEXT, *sep = PcfPrefs.sepList;
    int seplen = (int)strlen(sep);
    if (size < 1)
        return 0;
    for (int i = 0; i < n && used < size - 1; i++) {
        if (text[i] != 5) {
            out[used++] = text[i];
        } else if (!PcfPrefs.wholeMultiStrings) {
            out[used++] = '+';
            break;
        } else {
            for (int j = 0; j < seplen && used < size - 1; j++)
                out[used++] = sep[j];
        }
    }
    out[used] = 0;
    return used;
}

const char *PCFMultiStringFormat(const uint8_t *record, char **buffer, uint32_t *capacity, int *length)
{
    static const char noStorage[] = "No Storage!";
    uint32_t n = PCFListLength(record);
    uint32_t need = n + 500 + (uint32_t)(strlen(PcfPrefs.sepList) * n);
    if (!*buffer || *capacity < need) {
        char *b = (char *)CSGetMem(need, "multistring");
        if (!b) {
            *length = 11;
            return noStorage;
        }
        if (*buffer)
            CSFreeMem(*buffer);
        *buffer = b;
        *capacity = need;
    }
    *length = PCFMultiStringJoin(record, *buffer, (int)*capacity);
    return *buffer;
}

/* ---- MQSC export ---- */

/* A text in single quotes (inner quotes doubled) when quote is set. */
static const char *Quoted(const char *text, size_t n, int quote, char *buffer, int size)
{
    int used = 0;
    if (quote && used < size - 1)
        buffer[used++] = '\'';
    for (size_t i = 0; i < n && used < size - 2; i++) {
        if (quote && text[i] == '\'')
            buffer[used++] = '\'';
        buffer[used++] = text[i];
    }
    if (quote && used < size - 1)
        buffer[used++] = '\'';
    buffer[used] = 0;
    return buffer;
}

const char *PCFExportValueText(const uint8_t *area, const PCFFieldEntry *entry, int index, int quote,
                               int all, char *buffer, int size)
{
    static const char empty[] = "";
    uint8_t *r = ValueRecord(area, entry);
    if (!r || size < 3)
        return empty;
    const PCFFieldDef *f = entry->field;
    buffer[0] = 0;
    switch (f->type) {
    case PCFT_INT: case PCFT_NUMBER: case PCFT_SHOWINT:
        return PCFIntValueText(f, PCFRecInt(r), buffer, size, 0);
    case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14: {
        const PCFValueDef *row = PCFFindValue(f->values, PCFRecInt(r));
        if (row && row->keyword && *row->keyword != '!')
            snprintf(buffer, (size_t)size, "%s", row->keyword);
        else
            snprintf(buffer, (size_t)size, "%ld", (long)PCFRecInt(r));
        return buffer;
    }
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRING25: {
        const char *t = PCFRecText(r);
        return *t ? Quoted(t, strlen(t), quote, buffer, size) : Quoted(" ", 1, quote, buffer, size);
    }
    case PCFT_STRLIST: case PCFT_MULTISTR: {
        PCFSTRLIST *l = PCFRecStrList(r);
        if (!l || index < 0 || index >= l->count)
            return buffer;
        const char *item = PCFStrListItem(l, f->maximum, index);
        size_t n = 0;
        while (n < (size_t)f->maximum && item[n] != ' ')
            n++;
        return Quoted(item, n, quote, buffer, size);
    }
    case PCFT_HEX: case PCFT_BYTES: case PCFT_WIDEHEX: {
        uint32_t n = PCFRecBytesLength(r);
        if (!n)
            return buffer;
        int at = quote ? 1 : 0;
        PCFHexText(PCFRecBytes(r), n, buffer + at, (uint32_t)(size - 2 * at));
        if (quote) {
            buffer[0] = '\'';
            strcat(buffer, "'");
        }
        return buffer;
    }
    case PCFT_ENUMLIST: case PCFT_FLAGSET: {
        PCFINTLIST *l = PCFRecIntList(r);
        if (!l || index < 0 || index >= l->count)
            return buffer;
        int32_t v = PCFIntListItems(l)[index];
        const PCFValueDef *row = PCFFindValue(f->values, v);
        if (row && row->keyword)
            snprintf(buffer, (size_t)size, "%s", *row->keyword == '!' ? "" : row->keyword);
        else
            snprintf(buffer, (size_t)size, "%ld", (long)v);
        return buffer;
    }
    case PCFT_INTLIST: {
        PCFINTLIST *l = PCFRecIntList(r);
        int used = 0;
        char item[16];
        for (int i = index; l && i >= 0 && i < l->count; i++) {
            if (i > index)
                Append(buffer, size, &used, ",");
            snprintf(item, sizeof item, "%ld", (long)PCFIntListItems(l)[i]);
            Append(buffer, size, &used, item);
            if (!all)
                break;
        }
        return buffer;
    }
    case PCFT_DATETIME: case PCFT_DATETIME100:
        return (const char *)r + REC_PAIRTEXT;
    }
    return buffer;
}
