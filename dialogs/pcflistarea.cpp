/* List-area geometry and the records inside it: the header parts, row
 * headers, list value records by field type, the reference count that
 * decides when an area is freed, and the column-only list.
 *
 * Layout of an area of n columns: the 24-byte fixed header, the column
 * list (n + 1 twelve-byte entries), the 8-byte, 16-byte and 18-byte
 * arrays per column (36 + 54 n bytes in all), then the rows from the next
 * multiple of 8.  Every row starts on a multiple of 8 (its length word
 * counts the padding), so row headers are read in place. */
#include "pcfint.h"

#include <atomic>

#include "cs.h"

uint32_t PCFListAreaSize(int columns)
{
    return 36 + 54 * (uint32_t)(columns < 0 ? 0 : columns);
}

static uint32_t RowsStart(int columns)
{
    return (PCFListAreaSize(columns) + 7) & ~7u;
}

void PCFListAreaPointers(PCFLISTAREA *area, PCFLISTPARTS *parts)
{
    uint8_t *base = (uint8_t *)area;
    uint32_t n = area->columns;
    parts->columns = (PCFLISTENTRY *)(base + PCFLA_HEADER);
    parts->widths = base + PCFLA_HEADER + 12 * (n + 1);
    parts->entries = parts->widths + 8 * n;
    parts->titles = parts->entries + 16 * n;
    parts->rows = base + RowsStart((int)n);
}

uint16_t PCFListLength(const uint8_t *record) { return Get16(record + 2); }
int32_t PCFListInt(const uint8_t *record) { return Get32(record + PCFLV_INT); }

uint32_t PCFEmptyValueLength(int type)
{
    switch (type) {
    case PCFT_WIDE17:
        return 62;
    case PCFT_REAL:
        return 18;
    case PCFT_DATETIME: case PCFT_DATETIME100:
        return 36;
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRLIST: case PCFT_MULTISTR: case PCFT_HEX:
    case PCFT_BYTES: case PCFT_ENUMLIST: case PCFT_INTLIST: case PCFT_WIDEHEX:
    case PCFT_STRING25: case PCFT_MESSAGE:
        return 12;
    }
    return 14;
}

uint32_t PCFValueLength(const uint8_t *record, const PCFFieldDef *field)
{
    uint32_t n = PCFListLength(record);
    switch (field->type) {
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRLIST: case PCFT_MULTISTR: case PCFT_HEX:
    case PCFT_BYTES: case PCFT_WIDEHEX: case PCFT_STRING25: case PCFT_MESSAGE:
        return 12 + n;
    case PCFT_ENUMLIST: case PCFT_INTLIST:
        return 12 + 4 * n;
    case PCFT_DATETIME: case PCFT_DATETIME100:
        return 36 + n;
    }
    return PCFEmptyValueLength(field->type);
}

uint8_t *PCFNextValue(uint8_t *record, const PCFFieldDef *field)
{
    return record + PCFValueLength(record, field);
}

uint32_t ResetListValue(int type, uint8_t *record)
{
    uint32_t n = PCFEmptyValueLength(type);
    memset(record, 0, n);
    return n;
}

PCFROW *PCFFirstRow(PCFLISTAREA *area)
{
    if (!area || !area->rows)
        return nullptr;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    return (PCFROW *)parts.rows;
}

PCFROW *PCFNextRow(PCFLISTAREA *area, PCFROW *row)
{
    uint8_t *next = (uint8_t *)row + (row->length ? row->length : PCFLA_ROWHEADER);
    return next + PCFLA_ROWHEADER <= (uint8_t *)area + area->used ? (PCFROW *)next : nullptr;
}

const PCFFieldDef *PCFFindParm(const PCFLISTENTRY *columns, PCFROW *row, uint32_t attrId,
                               uint8_t **valueOut, int *indexOut, PCFPARMVIEW *typed)
{
    uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; columns && columns[i].field; i++) {
        const PCFFieldDef *f = columns[i].field;
        if (f->attrId == attrId) {
            if (valueOut)
                *valueOut = v;
            if (indexOut)
                *indexOut = i;
            if (typed) {
                memset(typed, 0, sizeof *typed);
                if (PCFEmptyValueLength(f->type) == 14)
                    typed->integer = (int32_t *)(v + PCFLV_INT);
                else if (f->type == PCFT_ENUMLIST || f->type == PCFT_INTLIST)
                    typed->list = v + PCFLV_TEXT;
                else if (f->type == PCFT_REAL)
                    typed->real = v + PCFLV_INT;
                else if (f->type == PCFT_WIDE17)
                    typed->wide = v + PCFLV_TEXT;
                else if (f->type == PCFT_DATETIME || f->type == PCFT_DATETIME100)
                    typed->pair = v + PCFLV_TEXT;
                else
                    typed->text = (char *)v + PCFLV_TEXT;
            }
            return f;
        }
        v = PCFNextValue(v, f);
    }
    return nullptr;
}

int PCFFindColumnIndex(PCFLISTAREA *area, const PCFFieldDef *field)
{
    if (!area)
        return -1;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    for (int i = 0; i < area->columns && parts.columns[i].field; i++)
        if (parts.columns[i].field == field && (parts.columns[i].flags & (PCFL_SHOWN | PCFL_EXPORTED)))
            return i;
    return -1;
}

uint8_t *FindItemAttr(PCFLISTAREA *area, uint32_t attrId, PCFROW *row)
{
    if (!area || !row)
        return nullptr;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    uint8_t *value;
    return PCFFindParm(parts.columns, row, attrId, &value, nullptr, nullptr) ? value : nullptr;
}

/* ---- reference-counted areas ---- */

PCFLISTAREA *AllocRefBlock(uint32_t size, const char *tag)
{
    if (size < sizeof(PCFLISTAREA))
        size = sizeof(PCFLISTAREA);
    PCFLISTAREA *a = (PCFLISTAREA *)CSGetMem(size, tag);
    if (!a)
        return nullptr;
    memset(a, 0, sizeof *a);
    a->size = size;
    a->used = PCFLA_HEADER;
    a->refCount = 1;
    return a;
}

void AddRefBlock(PCFLISTAREA *area)
{
    if (area)
        std::atomic_ref<uint32_t>(area->refCount).fetch_add(1);
}

void ReleaseRefBlock(PCFLISTAREA **slot)
{
    PCFLISTAREA *a = *slot;
    *slot = nullptr;
    if (a && std::atomic_ref<uint32_t>(a->refCount).fetch_sub(1) == 1)
        CSFreeMem(a);
}

void PCFDumpListArea(const char *title, PCFLISTAREA *area)
{
    if (!CSTraceIsOn())
        return;
    if (!area)
        CSTrace(1, "Listarea '%s' @ %p\n", title, (void *)area);
    else
        CSTrace(1, "Listarea '%s' [%d,%d] bytes @ %p (%d x %d)\n", title, (int)area->size,
                (int)area->used, (void *)area, (int)area->rows, (int)area->columns);
}

/* Combined date-time columns and their date and time attributes. */
static const uint32_t DateTimePairs[][3] = {
    { 10216, 2004, 2005 },      /* creation */
    { 10217, 2027, 2028 },      /* alteration */
    { 10230, 10027, 10028 },    /* put */
    { 10240, 2037, 2038 },      /* cluster */
};

int FindDateTimePair(uint32_t combined, uint32_t *dateId, uint32_t *timeId)
{
    for (const auto &p : DateTimePairs)
        if (p[0] == combined) {
            *dateId = p[1];
            *timeId = p[2];
            return 1;
        }
    return 0;
}

PCFLISTAREA *PCFColumnOnlyList(const PCFLISTENTRY *columns)
{
    int n = 0;
    while (columns && columns[n].field)
        n++;
    uint32_t size = RowsStart(n);
    PCFLISTAREA *a = AllocRefBlock(size, "DUMMYLIST");
    if (!a)
        return nullptr;
    memset((uint8_t *)a + PCFLA_HEADER, 0, size - PCFLA_HEADER);
    a->columns = (uint16_t)n;
    a->flags = PCFLA_COLUMNS;
    a->used = size;
    PCFLISTPARTS parts;
    PCFListAreaPointers(a, &parts);
    if (n)
        memcpy(parts.columns, columns, sizeof(PCFLISTENTRY) * (size_t)n);
    return a;
}
