/* Value records of a data area: their sizes by field type, the accessors
 * for their unaligned parts, and the attached list and message blocks. */
#include "pcfint.h"

#include "cs.h"

/* Data-area record and PCF size bound of each field type. */
struct TypeSize {
    int16_t type;
    int32_t data;        /* fixed part */
    int32_t dataPerMax;  /* times the maximum */
    int32_t pcf;
    int32_t pcfPerMax;
};

static const TypeSize TypeSizes[] = {
    { PCFT_INT, 6, 0, 16, 0 },       { PCFT_ENUM, 6, 0, 16, 0 },
    { PCFT_ENUMNUM, 6, 0, 16, 0 },   { PCFT_SHOWINT, 6, 0, 16, 0 },
    { PCFT_ENUM13, 6, 0, 16, 0 },    { PCFT_ENUM14, 6, 0, 16, 0 },
    { PCFT_NUMBER, 6, 0, 16, 0 },    { PCFT_STRING, 3, 1, 24, 1 },
    { PCFT_STRING25, 3, 1, 24, 1 },  { PCFT_NAME, 3, 1, 24, 1 },
    { PCFT_STRLIST, 11, 0, 28, 30 }, { PCFT_MULTISTR, 11, 0, 28, 30 },
    { PCFT_HEX, 13, 1, 24, 1 },      { PCFT_BYTES, 13, 1, 24, 1 },
    { PCFT_MESSAGE, 10, 0, 16, 0 },  { PCFT_NOVALUE, 0, 0, 24, 0 },
    { PCFT_ENUMLIST, 11, 0, 140, 0 }, { PCFT_INTLIST, 11, 0, 140, 0 },
    { PCFT_FLAGSET, 11, 0, 140, 0 }, { PCFT_WIDEHEX, 13, 2, 20, 1 },
    { PCFT_DATETIME, 122, 0, 24, 0 }, { PCFT_DATETIME100, 122, 0, 24, 0 },
};

static const TypeSize *FindTypeSize(int type)
{
    for (const TypeSize &t : TypeSizes)
        if (t.type == type)
            return &t;
    return nullptr;
}

uint32_t PCFTypeDataSize(const PCFFieldDef *field)
{
    const TypeSize *t = field ? FindTypeSize(field->type) : nullptr;
    return t ? (uint32_t)(t->data + t->dataPerMax * field->maximum) : 0;
}

uint32_t PCFTypePcfSize(const PCFFieldDef *field)
{
    const TypeSize *t = field ? FindTypeSize(field->type) : nullptr;
    return t ? (uint32_t)(t->pcf + t->pcfPerMax * field->maximum) : 0;
}

int PCFStoresValue(const PCFFieldEntry *entry)
{
    return entry->field && !(entry->flags & (PCFE_NOSTORE | PCFE_NOSTORE2)) &&
           PCFTypeDataSize(entry->field) > 0;
}

int PCFIsIntType(int type)
{
    switch (type) {
    case PCFT_INT: case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_SHOWINT:
    case PCFT_ENUM13: case PCFT_ENUM14: case PCFT_NUMBER:
        return 1;
    }
    return 0;
}

int PCFIsTextType(int type)
{
    return type == PCFT_STRING || type == PCFT_NAME || type == PCFT_STRING25;
}

int PCFIsIntListType(int type)
{
    return type == PCFT_ENUMLIST || type == PCFT_INTLIST || type == PCFT_FLAGSET;
}

int PCFIsAttachedType(int type)
{
    return type == PCFT_STRLIST || type == PCFT_MULTISTR || type == PCFT_MESSAGE ||
           PCFIsIntListType(type);
}

/* ---- record accessors ---- */

uint16_t PCFState(const uint8_t *record) { return Get16(record); }
void PCFSetState(uint8_t *record, uint16_t state) { Put16(record, state); }
int32_t PCFRecInt(const uint8_t *record) { return Get32(record + REC_VALUE); }
void PCFSetRecInt(uint8_t *record, int32_t value) { Put32(record + REC_VALUE, value); }

void *PCFRecPtr(const uint8_t *record)
{
    void *p;
    memcpy(&p, record + REC_VALUE, sizeof p);
    return p;
}

void PCFSetRecPtr(uint8_t *record, void *block)
{
    memcpy(record + REC_VALUE, &block, sizeof block);
}

PCFSTRLIST *PCFRecStrList(const uint8_t *record) { return (PCFSTRLIST *)PCFRecPtr(record); }
PCFINTLIST *PCFRecIntList(const uint8_t *record) { return (PCFINTLIST *)PCFRecPtr(record); }
PCFMSGBUF *PCFRecMsgBuf(const uint8_t *record) { return (PCFMSGBUF *)PCFRecPtr(record); }

int PCFRecListCount(const uint8_t *record, const PCFFieldDef *field)
{
    switch (field->type) {
    case PCFT_STRLIST: case PCFT_MULTISTR: {
        const PCFSTRLIST *l = PCFRecStrList(record);
        return l ? l->count : 0;
    }
    case PCFT_ENUMLIST: case PCFT_FLAGSET: case PCFT_INTLIST: {
        const PCFINTLIST *l = PCFRecIntList(record);
        return l ? l->count : 0;
    }
    }
    return 0;
}

char *PCFRecText(uint8_t *record)
{
    return (char *)record + REC_VALUE;
}

uint32_t PCFRecBytesLength(const uint8_t *record)
{
    return (uint32_t)Get32(record + REC_BYTESLEN);
}

uint8_t *PCFRecBytes(uint8_t *record)
{
    return record + REC_BYTES;
}

uint32_t PCFBytesRoom(const PCFFieldDef *field)
{
    int32_t m = field->maximum < 0 ? 0 : field->maximum;
    return (uint32_t)(field->type == PCFT_WIDEHEX ? 2 * m : m);
}

void PCFSetRecBytes(uint8_t *record, const PCFFieldDef *field, const void *bytes, uint32_t length)
{
    uint32_t room = PCFBytesRoom(field);
    if (length > room)
        length = room;
    memset(record + REC_BYTES, 0, room);
    if (length)
        memcpy(record + REC_BYTES, bytes, length);
    Put32(record + REC_BYTESLEN, (int32_t)length);
}

/* ---- attached blocks ---- */

PCFSTRLIST *PCFNewStrList(int capacity, int maximum, const char *tag)
{
    if (capacity < 1)
        capacity = 1;
    if (capacity > 32767)
        return nullptr;
    size_t size = (size_t)capacity * (size_t)(maximum > 0 ? maximum : 0) + 15;
    PCFSTRLIST *l = (PCFSTRLIST *)CSGetMem(size, tag);
    if (!l)
        return nullptr;
    memset(l, 0, sizeof *l);
    memset(l + 1, ' ', size - sizeof *l);
    l->size = (uint32_t)size;
    l->capacity = (int16_t)capacity;
    return l;
}

PCFINTLIST *PCFNewIntList(int capacity, const char *tag)
{
    if (capacity < 1)
        capacity = 1;
    if (capacity > 32767)
        return nullptr;
    PCFINTLIST *l = (PCFINTLIST *)CSGetMem(sizeof(PCFINTLIST) + 4 * (size_t)capacity, tag);
    if (!l)
        return nullptr;
    memset(l, 0, sizeof(PCFINTLIST) + 4 * (size_t)capacity);
    l->capacity = (int16_t)capacity;
    return l;
}

PCFMSGBUF *PCFNewMsgBuf(uint32_t capacity, const char *tag)
{
    PCFMSGBUF *b = (PCFMSGBUF *)CSGetMem(sizeof(PCFMSGBUF) + (size_t)capacity, tag);
    if (!b)
        return nullptr;
    b->capacity = capacity;
    b->length = 0;
    return b;
}

uint32_t PCFAttachedSize(int type, const void *block)
{
    if (!block)
        return 0;
    if (type == PCFT_STRLIST || type == PCFT_MULTISTR)
        return ((const PCFSTRLIST *)block)->size;
    if (type == PCFT_MESSAGE)
        return (uint32_t)sizeof(PCFMSGBUF) + ((const PCFMSGBUF *)block)->capacity;
    return (uint32_t)(sizeof(PCFINTLIST) + 4 * (size_t)((const PCFINTLIST *)block)->capacity);
}

/* ---- texts ---- */

void PCFHexText(const uint8_t *bytes, uint32_t count, char *out, uint32_t room)
{
    if (!room)
        return;
    if (count > (room - 1) / 2)
        count = (room - 1) / 2;
    UTBytesToHex(bytes, (int)count, out, 0);
}

/* Fixed fields are mostly padding: the tail is passed over eight bytes
 * at a time while every byte of them is a blank (0x20) or a NUL, the
 * two values that clearing bit 5 leaves zero. */
int32_t PCFTrimmedLength(const uint8_t *text, int32_t length)
{
    uint64_t word;
    while (length >= 8) {
        memcpy(&word, text + length - 8, 8);
        if (word & ~0x2020202020202020ull)
            break;
        length -= 8;
    }
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == 0))
        length--;
    return length;
}
