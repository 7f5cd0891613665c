/* Length-aware edits of variable strings inside structures that record
 * their own length: PCF strings and byte strings with their string-length
 * and structure-length fields and padding to 4 bytes, the XML sections of
 * an MQRFH2 (whose length counts itself, and whose header's length counts
 * them), and the elements of a PCF string list, which share one element
 * length and are rebuilt whole when it changes.  A structure inside an
 * MQEPH changes the MQEPH's length too.  Every step is a primitive edit
 * of the caller's undo group. */
#include "edint.h"
#include "cstext.h"
#include "csmem.h"
#include <cstring>

enum { CFSL_COUNT = 16, CFSL_STRLEN = 20, CFSL_STRINGS = 24, CF_STRUCLEN = 4 };

static uint32_t Round4(uint64_t n) { return (uint32_t)((n + 3) & ~3ull); }

const FmtStructRow *EdFieldRow(const LINEDATA *l)
{
    if (!l || !l->structure || !l->field)
        return nullptr;
    for (const FmtStructRow *row = l->structure->rows; row && row->field; row++)
        if (row->field == l->field)
            return row;
    return nullptr;
}

const FmtStructRow *EdLengthRow(const FmtStructDef *def)
{
    for (const FmtStructRow *row = def ? def->rows : nullptr; row && row->field; row++)
        if (row->flags & (RF_STRUCLEN | RF_LEN_SELF))
            return row;
    return nullptr;
}

int64_t EdReadInt(const CSDATA *b, uint32_t at, uint32_t encoding)
{
    if ((uint64_t)at + 4 > b->length)
        return -1;
    return (int32_t)FmtRd32(b->data + at, encoding);
}

int EdWriteInt(PCFDATA *ed, CSDATA *b, uint32_t at, uint32_t encoding, int64_t value)
{
    unsigned char bytes[4];
    EdPutInt(bytes, 4, (uint64_t)value, encoding);
    return EdReplaceBytes(ed, b, at, bytes, 4);
}

int EdIsLengthAware(const LINEDATA *l)
{
    if (!l || !EdLengthRow(l->structure))
        return 0;
    /* the rest of an XML section after a marker comes without its field */
    if (!l->field)
        return EdKindOf(l) == EK_CHAR && l->lengthParent != nullptr;
    uint32_t length = l->field->length;
    switch (l->field->type) {
    case FT_TEXT_BYLEN: case FT_BYTES_BYLEN: case FT_XMLTEXT: case FT_CHARBP: case FT_TEXT_TOEND:
        return length == 0 || length == 0xFFFFFFFF;
    }
    return 0;
}

int EdAdjustParentLength(PCFDATA *ed, const LINEDATA *l, int32_t difference)
{
    const FmtStructRow *own = EdLengthRow(l->structure);
    const FmtStructDef *parent = l->lengthParent;
    if (!difference || !parent || !own || (!(own->flags & RF_LEN_SELF) && parent != &FmtDefMQEPH))
        return 1;
    const FmtStructRow *row = EdLengthRow(parent);
    uint32_t at = l->lengthParentOffset + row->offset;
    int64_t v = EdReadInt(l->buffer, at, l->lengthParentEncoding);
    if (v < 0)
        return 1;
    return EdWriteInt(ed, l->buffer, at, l->lengthParentEncoding, v + difference);
}

/* ---- the shape of a string in its structure ---- */

struct StringShape {
    CSDATA *b;
    uint32_t structStart, structLength;     /* the structure's bytes */
    uint32_t lengthAt;                      /* its length field */
    int lengthSelf;                         /* the length counts itself (+4) */
    uint32_t start, length, pad;            /* the string, and the pad after it */
    uint32_t stringLengthAt;                /* its string-length field, 0: none */
    int pad4;                               /* the structure is kept to a multiple of 4 */
    unsigned char padChar;
};

static int Shape(const LINEDATA *l, StringShape *s)
{
    memset(s, 0, sizeof *s);
    const FmtStructRow *row = EdLengthRow(l->structure), *fieldRow = EdFieldRow(l);
    CSDATA *b = l->buffer;
    if (!row || !b)
        return 0;
    s->b = b;
    s->structStart = l->structOffset;
    s->lengthAt = l->structOffset + row->offset;
    s->lengthSelf = (row->flags & RF_LEN_SELF) != 0;
    int64_t total = EdReadInt(b, s->lengthAt, l->encoding);
    if (total < 0)
        return 0;
    total += s->lengthSelf ? 4 : 0;
    if ((uint64_t)s->structStart + (uint64_t)total > b->length)
        total = b->length - s->structStart;
    s->structLength = (uint32_t)total;
    s->start = l->fieldOffset;
    uint64_t end = (uint64_t)s->structStart + s->structLength;
    if (s->start > end)
        return 0;
    const FmtFieldDef *ref = l->field ? (const FmtFieldDef *)l->field->reference : nullptr;
    uint16_t t = l->field ? l->field->type : 0;
    if (ref && (t == FT_TEXT_BYLEN || t == FT_BYTES_BYLEN || t == FT_CHARBP)) {
        for (const FmtStructRow *r = l->structure->rows; r && r->field; r++)
            if (r->field == ref)
                s->stringLengthAt = l->structOffset + r->offset;
    }
    if (s->stringLengthAt) {
        int64_t n = EdReadInt(b, s->stringLengthAt, l->encoding);
        if (n < 0)
            n = 0;
        s->length = (uint64_t)n > end - s->start ? (uint32_t)(end - s->start) : (uint32_t)n;
        s->pad4 = fieldRow && (fieldRow->flags & RF_PAD4);
        s->pad = s->pad4 ? (4 - s->length % 4) % 4 : 0;
        if (s->start + s->length + s->pad > end)
            s->pad = (uint32_t)(end - s->start - s->length);
        s->padChar = 0;
    } else {
        s->length = (uint32_t)(end - s->start);
        s->pad4 = 1;
        s->padChar = FmtGetCodepage(l->dataCcsid)->ch[CP_BLANK];
    }
    return 1;
}

/* Grows or shrinks the structure's recorded length (and its parents'). */
static int Resize(PCFDATA *ed, const LINEDATA *l, const StringShape *s, int32_t difference)
{
    int64_t v = EdReadInt(s->b, s->lengthAt, l->encoding);
    return EdWriteInt(ed, s->b, s->lengthAt, l->encoding, v + difference) &&
           EdAdjustParentLength(ed, l, difference);
}

static uint32_t Blanks(const unsigned char *p, uint32_t n, unsigned char blank)
{
    uint32_t k = 0;
    while (k < n && p[n - 1 - k] == blank)
        k++;
    return k;
}

/* ---- character strings ---- */

int EdStringInsert(PCFDATA *ed, LINEDATA *l, uint32_t at, const unsigned char *text, uint32_t n)
{
    StringShape s;
    if (!Shape(l, &s) || at < s.start || at > s.start + s.length) {
        EdSetErrorText(ed, "Cannot insert beyond end of field");
        return 0;
    }
    CSDATA *b = s.b;
    if (!s.stringLengthAt) {
        uint32_t free = Blanks(b->data + s.start, s.length, s.padChar);
        if (free > s.start + s.length - at)
            free = s.start + s.length - at;
        if (free >= n) {                    /* taken in by its trailing blanks */
            if (!EdShiftBytes(ed, b, s.start, s.length, at, (int32_t)n, text, n))
                return 0;
            EdCursorTo(ed, b, 2 * (at + n));
            return 1;
        }
    }
    uint32_t room = s.stringLengthAt ? s.pad : Blanks(b->data + at, s.start + s.length - at, s.padChar);
    uint32_t grow = n > room ? n - room : 0;
    if (grow && s.pad4)
        grow = Round4(grow);
    uint32_t region = s.length + s.pad;
    if (grow) {
        if (!EdInsertRun(ed, b, s.start + region, s.stringLengthAt ? 0 : s.padChar, grow) ||
            !Resize(ed, l, &s, (int32_t)grow))
            return 0;
    }
    if (!EdShiftBytes(ed, b, s.start, region + grow, at, (int32_t)n, text, n))
        return 0;
    if (s.stringLengthAt && !EdWriteInt(ed, b, s.stringLengthAt, l->encoding, (int64_t)s.length + n))
        return 0;
    EdCursorTo(ed, b, 2 * (at + n));
    return 1;
}

/* Bytes deleted at the string's end: what the string no longer needs. */
static uint32_t Leaving(const StringShape *s, uint32_t count, const unsigned char *data)
{
    if (s->stringLengthAt) {
        uint32_t now = s->length - count;
        uint32_t need = s->pad4 ? Round4(now) : now;
        return s->length + s->pad - need;
    }
    uint32_t blanks = Blanks(data + s->start, s->length, s->padChar);
    return blanks & ~3u;                    /* whole groups of four */
}

int EdStringDelete(PCFDATA *ed, LINEDATA *l, uint32_t at, uint32_t count)
{
    StringShape s;
    if (!Shape(l, &s) || at < s.start || at + (uint64_t)count > s.start + s.length) {
        EdSetErrorText(ed, "Cannot delete beyond end of data");
        return 0;
    }
    if (!count)
        return 1;
    CSDATA *b = s.b;
    uint32_t region = s.length + s.pad;
    if (s.stringLengthAt && !EdWriteInt(ed, b, s.stringLengthAt, l->encoding, (int64_t)s.length - count))
        return 0;
    if (!EdShiftBytes(ed, b, s.start, region, at, -(int32_t)count, &s.padChar, 1))
        return 0;
    uint32_t leave = Leaving(&s, count, b->data);
    if (leave && (!EdDeleteBytes(ed, b, s.start + region - leave, leave) || !Resize(ed, l, &s, -(int32_t)leave)))
        return 0;
    EdCursorTo(ed, b, 2 * at);
    ed->anchor.digit = 2 * at;
    return 1;
}

uint32_t EdStringEnd(const LINEDATA *l)
{
    const FmtStructRow *row = EdFieldRow(l);
    if (row && (row->flags & RF_STRING_LIST)) {
        int64_t sl = EdReadInt(l->buffer, l->structOffset + CFSL_STRLEN, l->encoding);
        return l->fieldOffset + (uint32_t)(sl > 0 ? sl : 0);
    }
    StringShape s;
    return Shape(l, &s) ? s.start + s.length : l->fieldOffset;
}

/* ---- byte strings ---- */

int EdBytesInsert(PCFDATA *ed, LINEDATA *l, uint32_t digit, const unsigned char *digits, uint32_t n)
{
    StringShape s;
    if (!Shape(l, &s) || !s.stringLengthAt || digit < 2 * s.start || digit > 2 * (s.start + s.length)) {
        EdSetErrorText(ed, "Cannot insert beyond end of field");
        return 0;
    }
    CSDATA *b = s.b;
    if ((digit & 1) && UTGetNibble(b->data, (int)digit) != 0) {
        EdSetErrorText(ed, "Cannot insert because the second nibble of the byte is not zero");
        return 0;
    }
    uint32_t first = (digit & 1) && (n & 1), rest = n - first, bytes = (rest + 1) / 2;
    if (first && !EdReplaceNibbles(ed, b, digit, digits, 1))
        return 0;
    uint32_t at = digit + first;            /* even: a byte boundary */
    if (bytes) {
        uint32_t grow = bytes > s.pad ? bytes - s.pad : 0;
        if (grow && s.pad4)
            grow = Round4(grow);
        uint32_t region = s.length + s.pad;
        if (grow && (!EdInsertRun(ed, b, s.start + region, 0, grow) || !Resize(ed, l, &s, (int32_t)grow)))
            return 0;
        unsigned char stack[129];
        unsigned char *run = bytes <= sizeof stack ? stack : (unsigned char *)CSGetMem(bytes, "CHEX");
        if (!run) {
            EdSetErrorText(ed, edNoMemory);
            return 0;
        }
        memset(run, 0, bytes);
        UTCopyNibbles(run, 0, digits, (int)first, (int)rest);
        int ok = EdShiftBytes(ed, b, s.start, region + grow, at / 2, (int32_t)bytes, run, bytes) &&
                 EdWriteInt(ed, b, s.stringLengthAt, l->encoding, (int64_t)s.length + bytes);
        if (run != stack)
            CSFreeMem(run);
        if (!ok)
            return 0;
    }
    if (rest & 1)
        ed->editFlags |= EF_HALF_BYTE;
    EdCursorTo(ed, b, digit + n);
    return 1;
}

int EdBytesDelete(PCFDATA *ed, LINEDATA *l, uint32_t digit, uint32_t count)
{
    uint32_t from = digit / 2, to = (digit + count + 1) / 2;
    int ok = EdStringDelete(ed, l, from, to - from);
    if (ok) {
        EdCursorTo(ed, l->buffer, 2 * from);
        ed->editFlags &= ~EF_HALF_BYTE;
    }
    return ok;
}

/* ---- string lists ---- */

struct ListShape {
    CSDATA *b;
    uint32_t start, length;                 /* the MQCFSL's bytes (StrucLength) */
    uint32_t count, stringLength;
    uint32_t index;                         /* the element edited */
    uint32_t encoding;
    unsigned char blank;
};

static int List(const LINEDATA *l, ListShape *s)
{
    CSDATA *b = l->buffer;
    s->b = b;
    s->start = l->structOffset;
    s->encoding = l->encoding;
    s->blank = FmtGetCodepage(l->dataCcsid)->ch[CP_BLANK];
    int64_t len = EdReadInt(b, s->start + CF_STRUCLEN, l->encoding);
    int64_t count = EdReadInt(b, s->start + CFSL_COUNT, l->encoding);
    int64_t sl = EdReadInt(b, s->start + CFSL_STRLEN, l->encoding);
    if (len < CFSL_STRINGS || count < 0 || sl < 0 || (uint64_t)s->start + (uint64_t)len > b->length ||
        CFSL_STRINGS + (uint64_t)count * (uint64_t)sl > (uint64_t)len)
        return 0;
    s->length = (uint32_t)len;
    s->count = (uint32_t)count;
    s->stringLength = (uint32_t)sl;
    s->index = l->fieldAttributes - 1;
    return l->fieldAttributes >= 1 && s->index < s->count;
}

static const unsigned char *Element(const ListShape *s, uint32_t i)
{
    return s->b->data + s->start + CFSL_STRINGS + i * s->stringLength;
}

/* The list rebuilt with elements of a new length: the edited element is
 * given (its bytes, blank-padded or cut), the others are padded or cut;
 * the block replaces the structure, the size difference inserted or
 * deleted first. */
static int Rebuild(PCFDATA *ed, const LINEDATA *l, const ListShape *s, uint32_t newLength,
                   const unsigned char *edited, uint32_t editedLength)
{
    uint64_t size64 = Round4(CFSL_STRINGS + (uint64_t)s->count * newLength);
    if (size64 > 0x7FFFFFFF) {
        EdSetErrorText(ed, edNoMemory);
        return 0;
    }
    uint32_t size = (uint32_t)size64;
    unsigned char *block = (unsigned char *)CSGetMem(size, "NEWCFSL");
    if (!block) {
        EdSetErrorText(ed, edNoMemory);
        return 0;
    }
    memset(block, 0, size);
    memcpy(block, s->b->data + s->start, CFSL_STRINGS);
    EdPutInt(block + CF_STRUCLEN, 4, size, s->encoding);
    EdPutInt(block + CFSL_STRLEN, 4, newLength, s->encoding);
    for (uint32_t i = 0; i < s->count; i++) {
        unsigned char *to = block + CFSL_STRINGS + i * newLength;
        const unsigned char *from = i == s->index ? edited : Element(s, i);
        uint32_t have = i == s->index ? editedLength : s->stringLength;
        uint32_t n = have < newLength ? have : newLength;
        memcpy(to, from, n);
        memset(to + n, s->blank, newLength - n);
    }
    int32_t difference = (int32_t)size - (int32_t)s->length;
    int ok = (difference > 0 ? EdInsertBytes(ed, s->b, s->start, block, (uint32_t)difference)
              : difference < 0 ? EdDeleteBytes(ed, s->b, s->start, (uint32_t)-difference) : 1) &&
             EdReplaceBytes(ed, s->b, s->start, block, size) && EdAdjustParentLength(ed, l, difference);
    CSFreeMem(block);
    return ok;
}

/* Trimmed length of the longest element but the edited one. */
static uint32_t LongestOther(const ListShape *s)
{
    uint32_t most = 0;
    for (uint32_t i = 0; i < s->count; i++) {
        if (i == s->index)
            continue;
        uint32_t n = s->stringLength - Blanks(Element(s, i), s->stringLength, s->blank);
        if (n > most)
            most = n;
    }
    return most;
}

int EdStringListInsert(PCFDATA *ed, LINEDATA *l, uint32_t at, const unsigned char *text, uint32_t n)
{
    ListShape s;
    if (!List(l, &s))
        return 0;
    uint32_t first = s.start + CFSL_STRINGS + s.index * s.stringLength;
    if (at < first || at > first + s.stringLength) {
        EdSetErrorText(ed, "Cannot insert beyond end of field");
        return 0;
    }
    uint32_t k = at - first;
    const unsigned char *e = Element(&s, s.index);
    uint32_t free = Blanks(e + k, s.stringLength - k, s.blank);
    if (free >= n) {
        if (!EdShiftBytes(ed, s.b, first, s.stringLength, at, (int32_t)n, text, n))
            return 0;
        EdCursorTo(ed, s.b, 2 * (at + n));
        return 1;
    }
    uint64_t whole = (uint64_t)s.stringLength + n;
    unsigned char *edited = whole > 0x7FFFFFFF ? nullptr : (unsigned char *)CSGetMem((size_t)whole + 1, "NEWCFSL");
    if (!edited) {
        EdSetErrorText(ed, edNoMemory);
        return 0;
    }
    memcpy(edited, e, k);
    memcpy(edited + k, text, n);
    memcpy(edited + k + n, e + k, s.stringLength - k);
    uint32_t trimmed = (uint32_t)whole - Blanks(edited, (uint32_t)whole, s.blank);
    uint32_t newLength = trimmed > s.stringLength ? trimmed : s.stringLength;
    if (newLength < k + n)
        newLength = k + n;
    int ok = Rebuild(ed, l, &s, newLength, edited, (uint32_t)whole);
    CSFreeMem(edited);
    if (ok)
        EdCursorTo(ed, s.b, 2 * (s.start + CFSL_STRINGS + s.index * newLength + k + n));
    return ok;
}

int EdStringListDelete(PCFDATA *ed, LINEDATA *l, uint32_t at, uint32_t count)
{
    ListShape s;
    if (!List(l, &s))
        return 0;
    uint32_t first = s.start + CFSL_STRINGS + s.index * s.stringLength;
    if (at < first || at + (uint64_t)count > first + s.stringLength) {
        EdSetErrorText(ed, "Cannot delete beyond end of data");
        return 0;
    }
    uint32_t k = at - first;
    const unsigned char *e = Element(&s, s.index);
    unsigned char stack[256];
    unsigned char *edited = s.stringLength <= sizeof stack ? stack
                                                           : (unsigned char *)CSGetMem(s.stringLength, "NEWCFSL");
    if (!edited) {
        EdSetErrorText(ed, edNoMemory);
        return 0;
    }
    memcpy(edited, e, k);
    memcpy(edited + k, e + k + count, s.stringLength - k - count);
    memset(edited + s.stringLength - count, s.blank, count);
    uint32_t mine = s.stringLength - Blanks(edited, s.stringLength, s.blank);
    uint32_t others = LongestOther(&s);
    uint32_t newLength = mine > others ? mine : others;
    if (newLength < k)
        newLength = k;
    int ok = newLength >= s.stringLength
                 ? EdShiftBytes(ed, s.b, first, s.stringLength, at, -(int32_t)count, &s.blank, 1)
                 : Rebuild(ed, l, &s, newLength, edited, s.stringLength);
    if (edited != stack)
        CSFreeMem(edited);
    if (ok)
        EdCursorTo(ed, s.b, 2 * (s.start + CFSL_STRINGS + s.index * (newLength < s.stringLength ? newLength
                                                                                                  : s.stringLength) + k));
    return ok;
}
