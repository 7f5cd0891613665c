/* Field location: the input field under a line and column and the data
 * address behind the column (EdFindField), with the value allowance of
 * numbers, continued fields, the element of an XML line and the values of
 * a line's structure. */
#include "edpane.h"
#include "eddialog.h"
#include "fmtdefs.h"
#include "cscodepage.h"
#include "prfdata.h"
#include <cstring>

static const char notAtField[] = "The cursor is not at an input field";

void EdSetErrorText(PCFDATA *ed, const char *text)
{
    size_t n = strlen(text);
    if (n > ED_STATUS_SIZE - 1)
        n = ED_STATUS_SIZE - 1;
    memmove(ed->status, text, n);
    ed->status[n] = 0;
}

int EdValueAllowance(uint16_t t)
{
    switch (t) {
    case FT_INT: case FT_INTH: case FT_UINT: case FT_UINTH: return 11;
    case FT_ENCODING: case FT_FLAGS: return 8;
    case FT_SHORT: case FT_SHORTH: case FT_USHORT: case FT_USHORTH: return 6;
    case FT_INT64H: case FT_INT64: case FT_UINT64: case FT_UINT64H: return 21;
    case FT_INT8: case FT_INT8H: case FT_UINT8: case FT_UINT8H: return 4;
    case FT_PACKED: case FT_UPACKED: return -1;
    }
    return 0;
}

/* The column after the value: one more where a character may be added. */
static int32_t ValueEnd(const LINEDATA *l)
{
    int32_t end = l->valueColumn + l->valueLength;
    int widest = EdValueAllowance(l->lineType);
    if (widest < 0 || (widest > 0 && l->valueLength < widest) || l->fieldLength == 0xFFFFFFFF ||
        l->fieldLength == 0 || !l->field)
        return end + 1;                 /* open fields and strings that grow */
    if (EdIsCharType(l->lineType) && l->fieldLength != 0 && (uint32_t)l->valueLength < l->fieldLength &&
        l->lineType != FT_MSGDATA)
        return end + 1;                 /* a fixed text shown without its padding */
    return end;
}

/* The line before a line of the same field (a character line under hex
 * lies between two hex lines). */
static int32_t PreviousOfField(PCFDATA *ed, int32_t line)
{
    const LINEDATA *l = EdCachedLine(ed, line), *p = EdCachedLine(ed, line - 1);
    if (!l || !p || line < 2)
        return line - 1;
    int charLine = EdIsCharLine(l->lineType);
    int prevChar = EdIsCharLine(p->lineType);
    return charLine != prevChar ? line - 2 : line - 1;
}

int EdLineContinues(PCFDATA *ed, int sameType, int32_t line)
{
    if (line < 1)
        return 0;
    const LINEDATA *l = EdCachedLine(ed, line);
    const LINEDATA *p = EdCachedLine(ed, PreviousOfField(ed, line));
    if (!l || !p || !p->lineType)           /* a heading continues nothing */
        return 0;
    if (l->textLength == 0)
        return 1;
    if (l->fieldOffset != p->fieldOffset || l->buffer != p->buffer)
        return 0;
    return !sameType || l->lineType == p->lineType;
}

int EdCanJoinField(PCFDATA *ed, const LINEDATA *l)
{
    if (ed->typing && ed->deferred)
        return 1;
    uint16_t f = l->field ? l->field->type : 0;
    int fieldKind = f == FT_TEXT_BYLEN || f == FT_MSGDATA || f == FT_XMLTEXT || f == FT_EDIFACT;
    int lineKind = l->lineType == FT_CHAR || l->lineType == FT_TEXT_BYLEN || l->lineType == FT_CHARBP;
    return fieldKind && lineKind;
}

const FmtTagInfo *EdLineElement(PCFDATA *ed, const LINEDATA *l, int32_t line)
{
    if (!l || line <= 0 || !l->element || l->element->element == FMT_NO_TAG)
        return nullptr;
    uint32_t start = l->element->element;
    for (int32_t i = line; i >= 0; i--) {
        const LINEDATA *p = EdCachedLine(ed, i);
        if (!p)
            return nullptr;
        if (p->element && p->element->tag == start && p->buffer == l->buffer)
            return p->element;
    }
    return nullptr;
}

int64_t EdStructFieldValue(PCFDATA *ed, const LINEDATA *l, const FmtFieldDef *field,
                           unsigned char **address)
{
    (void)ed;
    if (address)
        *address = nullptr;
    if (!l || !l->structure || !l->buffer || !field)
        return 0;
    for (const FmtStructRow *row = l->structure->rows; row && row->field; row++) {
        if (row->field != field)
            continue;
        uint64_t at = (uint64_t)l->structOffset + row->offset, size = FmtReadSize(field);
        if (size == 0 || at + size > l->buffer->length)
            return 0;                   /* not inside the data: nothing is read */
        unsigned char *p = l->buffer->data + at;
        if (address)
            *address = p;
        return FapGetFieldInt(field, p, l->encoding, l->ebcdic);
    }
    return 0;
}

/* Bytes an open field may take: the room its container leaves, bounded
 * by the data that is there. */
static uint32_t OpenLimit(PCFDATA *ed, const LINEDATA *l)
{
    CSDATA *b = l->buffer;
    uint64_t left = b->length > l->fieldOffset ? b->length - l->fieldOffset : 0;
    uint64_t room = left;
    const FmtStructDef *s = l->structure;
    if (s == &FmtDefMQRFH || s == &FmtDefMQRFH2) {
        uint64_t fixed = s == &FmtDefMQRFH ? 32 : 36;
        int64_t len = EdStructFieldValue(ed, l, &FmtFStrucLength, nullptr);
        uint64_t inside = len > (int64_t)fixed ? (uint64_t)len - fixed : 0;
        uint64_t data = b->length > l->structOffset + fixed ? b->length - (l->structOffset + fixed) : 0;
        room = inside < data ? inside : data;
    } else if (s == &FmtDefXmlSection && l->structOffset + 4 <= b->length) {
        int64_t len = FmtRd32(b->data + l->structOffset, l->encoding);
        uint64_t data = b->length - (l->structOffset + 4);
        room = len < 0 ? 0 : (uint64_t)len < data ? (uint64_t)len : data;
    } else if (l->field && l->field->reference && l->fieldLength == 0) {
        int64_t len = EdStructFieldValue(ed, l, (const FmtFieldDef *)l->field->reference, nullptr);
        room = len < 0 ? 0 : (uint64_t)len < left ? (uint64_t)len : left;
    }
    return room > 0xFFFFFFFF ? 0xFFFFFFFF : (uint32_t)room;
}

static int OpenKind(const LINEDATA *l)
{
    switch (l->lineType) {
    case LK_BYTES_CHARS: case LK_BYTES_DUMP: case LK_BYTES_PAIRS: case FT_BYTES_BYLEN:
    case LK_BYTES_GCHARS:
        return 1;
    }
    uint16_t f = l->field ? l->field->type : 0;
    return f == FT_TEXT_BYLEN || f == FT_XMLTEXT || f == FT_CHARBP || !l->field ||
           l->fieldLength == 0xFFFFFFFF;
}

/* The byte under display index i of a character line (entity text maps
 * through its decoding). */
static uint32_t ByteIndex(PCFDATA *ed, const LINEDATA *l, uint32_t i)
{
    if (!(l->rawValue && ed->dialog && (ed->dialog->viewWords[1] & LO_DECODE_ENTITIES)))
        return i;
    const unsigned char *p = l->buffer->data + l->lineOffset;
    uint32_t n = l->dataLength;
    int decoded;
    return FapEntityFit(l->ccsid, p, n, i, &decoded);
}

int EdFindField(PCFDATA *ed, EdFieldAt *out, int32_t column, int32_t line, int32_t delta,
                int join, int clamp)
{
    memset(out, 0, sizeof *out);
    if (line < 0)
        line = ed->cursor.line;
    if (column < 0)
        column = ed->cursor.column;
    LINEDATA *l = EdGetLine(ed, line);
    if (!l || !l->lineType || !l->buffer) {
        EdSetErrorText(ed, notAtField);
        return -1;
    }
    int32_t most = l->textLength;
    if (ed->typing && line == ed->cursor.line) {
        int32_t typed = ed->typed.data ? (int32_t)strlen((const char *)ed->typed.data) : 0;
        ed->cursor.overflow = (int8_t)(typed > l->valueLength ? typed - l->valueLength : 0);
        most += ed->cursor.overflow;
    }
    int32_t k = column < most ? column : most;
    int32_t end = ValueEnd(l);
    if (clamp)
        k = k < l->valueColumn ? l->valueColumn : k >= end ? end - 1 : k;
    int32_t p = k + delta;
    if (p >= end) {
        EdSetErrorText(ed, notAtField);
        return -1;
    }
    if (p < l->valueColumn) {
        EdSetErrorText(ed, delta == -1 && p == l->valueColumn - 1
                               ? "Cannot delete befiore the start of the field" : notAtField);
        if (!join || k != l->valueColumn || !EdLineContinues(ed, 0, line))
            return -1;
        if (l->lineOffset > 0) {
            unsigned char before = l->buffer->data[l->lineOffset - 1];
            int lineEnd = l->ebcdic ? before == 0x25 || before == 0x15 : before == 0x0A || before == 0x0D;
            if (lineEnd && EdCanJoinField(ed, l)) {
                out->line = l;
                out->field = l->buffer->data + l->fieldOffset;
                out->address = l->buffer->data + l->lineOffset - 1;
                out->limit = OpenKind(l) ? OpenLimit(ed, l) : l->fieldLength;
                out->lineDigit = 2 * l->lineOffset;
                out->digit = 2 * (l->lineOffset - 1);
                return 0;
            }
        }
        int32_t prev = PreviousOfField(ed, line);
        const LINEDATA *pl = EdCachedLine(ed, prev);
        if (!pl)
            return -1;
        return EdFindField(ed, out, pl->valueColumn + pl->valueLength - 1, prev, 0, 0, 0);
    }
    uint32_t i = (uint32_t)(p - l->valueColumn);
    uint32_t half = 2 * l->lineOffset;
    unsigned char *data = l->buffer->data;
    unsigned char *address;
    switch (l->displayClass & DC_CLASSES) {
    case DC_HEX: case DC_HEX_FROM_LINE:
        half += i;
        address = data + l->lineOffset + i / 2;
        break;
    case DC_HEX_GROUPED: {
        /* backwards by digits from the column's own: the blank between
           two groups is no digit */
        uint32_t from = delta < 0 ? (uint32_t)(k - l->valueColumn) : i;
        half += from - from / 9 - (delta < 0 ? (uint32_t)-delta : 0);
        address = data + half / 2;
        break;
    }
    case DC_HEX_DUMP:
        half += i & ~1u;
        address = data + half / 2;
        break;
    case DC_CHARS_GROUPED:
        half += (i - i / 9) & ~1u;
        address = data + half / 2;
        break;
    case DC_NUMBER: case DC_TIME:
        address = data + l->lineOffset;
        break;
    default: {
        uint32_t b = ByteIndex(ed, l, i);
        half = 2 * (l->lineOffset + b);
        address = data + l->lineOffset + b;
        break;
    }
    }
    out->line = l;
    out->field = data + (l->fieldOffset <= l->buffer->length ? l->fieldOffset : l->lineOffset);
    out->address = address;
    out->limit = OpenKind(l) || l->fieldLength == 0 ? OpenLimit(ed, l) : l->fieldLength;
    out->lineDigit = 2 * l->lineOffset;
    out->digit = half;
    return (int32_t)i;
}

void EdXmlSelectionRange(PCFDATA *ed, const EdPosition *a, const EdPosition *b)
{
    ed->tracking = 0;
    ed->trackedChange = 0;
    if (!(Prf.po[3] & PO4_XML_ASSIST))
        return;
    LINEDATA *la = EdCachedLine(ed, a->line), *lb = EdCachedLine(ed, b->line);
    if (!la || !lb || !(la->lineFlags & (LF_XML | LF_XML_TAG)) || !(lb->lineFlags & (LF_XML | LF_XML_TAG)))
        return;
    const FmtTagInfo *ea = EdLineElement(ed, la, a->line), *eb = EdLineElement(ed, lb, b->line);
    const FmtTagInfo *tag = la->element;
    if (!ea || ea != eb || !(la->lineFlags & LF_XML_TAG) || !tag || tag->tag == FMT_NO_TAG ||
        tag->partner == FMT_NO_TAG)
        return;
    ed->tracking = 1;
    ed->trackTag = tag->tag;
    ed->trackPartner = tag->partner;
    ed->trackBuffer = la->buffer;
}

int32_t EdColumnFromX(PCFDATA *ed, int32_t line, int32_t x)
{
    const LINEDATA *l = EdCachedLine(ed, line);
    int w = l ? ED_HOST(edHost, cellWidth, ed, l->ccsid) : ed->charWidth;
    if (w <= 0)
        return 0;
    return x < 0 ? 0 : x / w;
}
