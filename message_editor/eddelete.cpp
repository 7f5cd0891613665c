/* Deleting: characters and hex digits at the cursor by field type (a line
 * end taken as one unit, a hex digit in fields that grow and shrink with
 * a second step asked for, the pair's other digit), and the selection, which is cut to its fields: inside one
 * field the range goes, in the descriptor the bytes take the default
 * descriptor's values, and a range across the fields of headers or PCF
 * structures is refused rather than tearing them apart. */
#include "edint.h"
#include "eddialog.h"
#include "cstext.h"
#include <cstring>

static const char beforeStart[] = "Cannot delete before the start of data";
static const char beyondEnd[] = "Cannot delete beyond end of data";
static const char noData[] = "There is no data to delete";

/* Partner tracking ends when a tag delimiter goes. */
static void EndTracking(PCFDATA *ed, const LINEDATA *l, uint32_t at, uint32_t count)
{
    if (!ed->tracking)
        return;
    const FmtCodepage *cp = FmtGetCodepage(l->dataCcsid);
    for (uint32_t i = 0; i < count && at + i < l->buffer->length; i++) {
        unsigned char c = l->buffer->data[at + i];
        if (c == cp->ch[CP_LT] || c == cp->ch[CP_GT]) {
            ed->tracking = 0;
            ed->trackedChange = 0;
            return;
        }
    }
}

/* A line end is one unit: CR LF together. */
static void LineEndUnit(const LINEDATA *l, uint32_t *at, uint32_t *count, int backward)
{
    const CSDATA *b = l->buffer;
    const FmtCodepage *cp = FmtGetCodepage(l->dataCcsid);
    unsigned char cr = cp->ch[CP_CR], lf = cp->ch[CP_LF];
    if (*count != 1 || *at >= b->length)
        return;
    unsigned char c = b->data[*at];
    if (!backward && c == cr && *at + 1 < b->length && b->data[*at + 1] == lf)
        *count = 2;
    else if (backward && c == lf && *at > 0 && b->data[*at - 1] == cr)
        *at -= 1, *count = 2;
}

/* count bytes of a character field from at. */
int EdDeleteField(PCFDATA *ed, EdFieldAt *at, uint32_t pos, uint32_t count)
{
    LINEDATA *l = at->line;
    CSDATA *b = l->buffer;
    EndTracking(ed, l, pos, count);
    if (EdIsLengthAware(l)) {
        const FmtStructRow *row = EdFieldRow(l);
        if (l->lineType == LK_BYTES_CHARS || l->lineType == LK_BYTES_GCHARS)
            return EdBytesDelete(ed, l, 2 * pos, 2 * count);
        return row && (row->flags & RF_STRING_LIST) ? EdStringListDelete(ed, l, pos, count)
                                                    : EdStringDelete(ed, l, pos, count);
    }
    EdFieldSpan s = EdSpanOf(ed, at);
    uint32_t end = s.start + s.length;
    if (s.variable) {
        if (!s.length) {
            EdSetErrorText(ed, noData);
            return 0;
        }
        if (pos < s.start) {
            EdSetErrorText(ed, beforeStart);
            return 0;
        }
        if (pos >= end || count > end - pos) {
            EdSetErrorText(ed, beyondEnd);
            return 0;
        }
        if (!EdDeleteBytes(ed, b, pos, count))
            return 0;
    } else {
        if (!s.length) {
            EdSetErrorText(ed, "The current field is empty");
            return 0;
        }
        if (pos >= end || end > b->length) {
            EdSetErrorText(ed, beyondEnd);
            return 0;
        }
        if (count > end - pos)
            count = end - pos;
        uint16_t f = l->field ? l->field->type : 0;
        unsigned char pad = f == FT_ID24 || f == FT_HEX ? 0 : FmtGetCodepage(l->dataCcsid)->ch[CP_BLANK];
        if (!EdShiftBytes(ed, b, s.start, s.length, pos, -(int32_t)count, &pad, 1))
            return 0;
    }
    EdCursorTo(ed, b, 2 * pos);
    return 1;
}

/* Digits of a hex field from digit d: whole bytes where the field grows
 * and shrinks, digits shifted left (0 filled in) in a fixed field. */
static int DeleteDigitsOfField(PCFDATA *ed, EdFieldAt *at, uint32_t d, uint32_t count, int bytes)
{
    LINEDATA *l = at->line;
    CSDATA *b = l->buffer;
    if (EdIsLengthAware(l)) {
        uint32_t from = d & ~1u, to = bytes ? from + 2 * count : d + count;
        return EdBytesDelete(ed, l, from, to - from);
    }
    EdFieldSpan s = EdSpanOf(ed, at);
    uint32_t start = 2 * s.start, end = 2 * (s.start + s.length);
    if (d < start) {
        EdSetErrorText(ed, beforeStart);
        return 0;
    }
    if (s.variable) {
        uint32_t from = d & ~1u, to = bytes ? from + 2 * count : (d + count + 1) & ~1u;
        if (to > end) {
            EdSetErrorText(ed, from >= end ? beyondEnd : noData);
            return 0;
        }
        ed->editFlags &= ~EF_HALF_BYTE;
        if (!EdDeleteNibbles(ed, b, from, to - from))
            return 0;
        ed->editFlags &= ~EF_HALF_BYTE;
        EdCursorTo(ed, b, from);
        return 1;
    }
    if (d >= end) {
        EdSetErrorText(ed, beyondEnd);
        return 0;
    }
    if (count > end - d)
        count = end - d;
    static const unsigned char zero = 0;
    if (!EdShiftNibbles(ed, b, start, end - start, d, -(int32_t)count, &zero, 1))
        return 0;
    EdCursorTo(ed, b, d);
    return 1;
}

/* A digit typed in insert mode into the middle of the data opens a byte
 * whose second digit is a placeholder, at the cursor, when the key comes.
 * It is no digit of the data: the typed digit before it (Backspace) or
 * the data's digit after it (Delete) goes together with it, which leaves
 * whole bytes.  (Between a key's two steps the half byte is the data's
 * last digit instead.) */
static int BesidePlaceholder(const PCFDATA *ed, const CSDATA *b, uint32_t d, uint32_t count)
{
    uint32_t c = ed->cursor.digit;
    return (ed->editFlags & EF_HALF_BYTE) && count == 1 && ed->cursor.buffer == b && (c & 1) &&
           c + 1 < 2ull * b->length && (d == c || d + 1 == c);
}

/* One digit of a hex field that grows and shrinks: the digits after it
 * move down by one, which leaves a half byte, so the caller is asked for
 * a second step (the next digit) that makes the byte whole again.  Other
 * hex fields by the field's own rules. */
static int DeleteHexUnit(PCFDATA *ed, EdFieldAt *at, uint32_t count, int *again)
{
    LINEDATA *l = at->line;
    EdFieldSpan s = EdSpanOf(ed, at);
    if (EdIsLengthAware(l) || !s.variable)
        return DeleteDigitsOfField(ed, at, at->digit, count, 1);
    uint32_t d = at->digit, start = 2 * s.start, end = 2 * (s.start + s.length);
    if (d < start) {
        EdSetErrorText(ed, beforeStart);
        return 0;
    }
    if (d >= end || count > end - d) {
        EdSetErrorText(ed, d == start ? noData : beyondEnd);
        return 0;
    }
    if (again && BesidePlaceholder(ed, l->buffer, d, count)) {
        ed->editFlags &= ~EF_HALF_BYTE;
        if (!EdDeleteNibbles(ed, l->buffer, d, 2))
            return 0;
        EdCursorTo(ed, l->buffer, d);
        return 1;
    }
    int half = (ed->editFlags & EF_HALF_BYTE) != 0;
    if (!EdDeleteNibbles(ed, l->buffer, d, count))
        return 0;
    if (again)
        *again = !half && (ed->editFlags & EF_HALF_BYTE) != 0;
    EdCursorTo(ed, l->buffer, d);
    return 1;
}

int EdDeleteChars(PCFDATA *ed, EdFieldAt *at, int count, int direction, int *again)
{
    if (again)
        *again = 0;
    LINEDATA *l = at->line;
    if (!EdMayChange(ed, l))
        return 0;
    if (count < 1)
        return 0;
    switch (EdKindOf(l)) {
    case EK_VALUE:
        return EdDeleteValue(ed, at, count, direction < 0);
    case EK_HEX:
        return DeleteHexUnit(ed, at, (uint32_t)count, again);
    case EK_CHAR: {
        uint32_t pos = (uint32_t)(at->address - l->buffer->data), n = (uint32_t)count;
        if (!l->buffer->length && at->limit == 0) {
            EdSetErrorText(ed, noData);
            return 0;
        }
        LineEndUnit(l, &pos, &n, direction < 0);
        return EdDeleteField(ed, at, pos, n);
    }
    default:
        EdSetErrorText(ed, edNotAtField);
        return 0;
    }
}

/* ---- the selection ---- */

/* One end of the selection in data terms. */
struct SelEnd {
    int32_t line, column;
    LINEDATA copy;              /* the line (the cache may move) */
    CSDATA *buffer;
    uint32_t digit;             /* half-byte position */
};

/* The line's data end, for a column past its value. */
static uint32_t LineEndDigit(const LINEDATA *l)
{
    return 2 * (l->lineOffset + l->dataLength);
}

static int Locate(PCFDATA *ed, int32_t line, int32_t column, int clampStart, SelEnd *e)
{
    LINEDATA *l = EdGetLine(ed, line);
    if (!l)
        return 0;
    e->line = line;
    e->column = column;
    e->copy = *l;
    e->buffer = l->buffer;
    int32_t valueEnd = l->valueColumn + l->valueLength;
    EdFieldAt at;
    char saved[ED_STATUS_SIZE];
    memcpy(saved, ed->status, sizeof saved);
    int i = column < valueEnd ? EdFindField(ed, &at, column, line, 0, 0, clampStart) : -1;
    memcpy(ed->status, saved, sizeof saved);
    if (i >= 0)
        e->digit = EdKindOf(&e->copy) == EK_CHAR ? 2 * (uint32_t)(at.address - l->buffer->data) : at.digit;
    else
        e->digit = column <= l->valueColumn ? 2 * l->lineOffset : LineEndDigit(l);
    return 1;
}

/* The descriptor's bytes from..to back to the default descriptor's. */
static int ResetDescriptor(PCFDATA *ed, uint32_t from, uint32_t to)
{
    unsigned char md[364];
    EdDefaultDescriptorBytes(ed->dialog, md, "        ", 0, 0);
    if (to > ed->descriptor.length)
        to = ed->descriptor.length;
    if (to > sizeof md)
        to = sizeof md;
    if (from >= to)
        return 1;
    return EdReplaceBytes(ed, &ed->descriptor, from, md + from, to - from);
}

/* The same field on both lines: one structure and one field start. */
static int SameField(const LINEDATA *a, const LINEDATA *b)
{
    return a->buffer == b->buffer && a->fieldOffset == b->fieldOffset && a->structOffset == b->structOffset &&
           a->field == b->field && EdKindOf(a) == EdKindOf(b) &&
           (a->fieldAttributes == b->fieldAttributes || !EdIsLengthAware(a));
}

/* A range inside one field. */
static int DeleteInField(PCFDATA *ed, const SelEnd *s, const SelEnd *e)
{
    EdFieldAt at;
    if (EdFindField(ed, &at, s->column, s->line, 0, 0, 1) < 0)
        return 0;
    switch (EdKindOf(at.line)) {
    case EK_VALUE:
        if (s->line != e->line || e->column <= s->column)
            return 0;
        ed->cursor.column = s->column;
        return EdDeleteValue(ed, &at, e->column - s->column, 0);
    case EK_HEX: {
        if (e->digit <= s->digit)
            return 0;
        LINEDATA *l = at.line;
        EdFieldSpan span = EdSpanOf(ed, &at);
        if (span.variable || EdIsLengthAware(l)) {
            uint32_t from = s->digit & ~1u, to = (e->digit + 1) & ~1u;
            return DeleteDigitsOfField(ed, &at, from, (to - from) / 2, 1);
        }
        return DeleteDigitsOfField(ed, &at, s->digit, e->digit - s->digit, 0);
    }
    case EK_CHAR:
        if (e->digit / 2 <= s->digit / 2)
            return 0;
        if (ed->tracking)
            ed->trackedChange = -(int32_t)(e->digit / 2 - s->digit / 2);
        return EdDeleteField(ed, &at, s->digit / 2, e->digit / 2 - s->digit / 2);
    default:
        return 0;
    }
}

/* A body line: message data outside every header and PCF structure. */
static int BodyLine(const LINEDATA *l)
{
    return !l->lengthParent && (!l->structure || l->structure == &FmtDefMessageContent ||
                                l->structure == &FmtDefHeaderChain) &&
           (!l->field || l->field->type == FT_MSGDATA);
}

int EdDeleteSelection(DialogWords *dialog, PCFDATA *ed, int flags)
{
    (void)dialog;
    (void)flags;
    if (!EdHasSelection(ed) || (ed->anchor.line == ed->cursor.line && ed->anchor.column == ed->cursor.column))
        return 0;
    const EdPosition *sp, *ep;
    EdSelectionEnds(ed, &sp, &ep);
    int32_t sl = sp->line, sc = sp->column, el = ep->line, ec = ep->column;
    for (;; sl++, sc = 0) {
        const LINEDATA *l = sl <= el ? EdGetLine(ed, sl) : nullptr;
        if (!l)
            return 0;
        if (l->lineType && l->buffer) {
            if (sc < l->valueColumn)
                sc = l->valueColumn;
            break;
        }
    }
    for (;; el--, ec = 10000) {
        const LINEDATA *l = el >= sl ? EdGetLine(ed, el) : nullptr;
        if (!l)
            return 0;
        if (l->lineType && l->buffer) {
            if (ec > l->valueColumn + l->valueLength)
                ec = l->valueColumn + l->valueLength;
            break;
        }
    }
    SelEnd s, e;
    if (!Locate(ed, sl, sc, 1, &s) || !Locate(ed, el, ec, 0, &e))
        return 0;
    int ok;
    if (s.buffer != e.buffer) {
        /* the descriptor's end, then the data's start */
        int fromStart = BodyLine(&e.copy) && e.copy.fieldOffset == 0;
        if (!fromStart) {
            EdSetErrorText(ed, "Selection area spans multiple fields");
            return 0;
        }
        ok = ResetDescriptor(ed, s.digit / 2, ed->descriptor.length) &&
             EdDeleteBytes(ed, e.buffer, 0, e.digit / 2);
        s.buffer = e.buffer;
        s.digit = 0;
    } else if (s.buffer == &ed->descriptor) {
        ok = ResetDescriptor(ed, s.digit / 2, (e.digit + 1) / 2);
    } else if (SameField(&s.copy, &e.copy) || (BodyLine(&s.copy) && BodyLine(&e.copy))) {
        ok = DeleteInField(ed, &s, &e);
    } else {
        EdSetErrorText(ed, "Selection area spans multiple fields");
        ok = 0;
    }
    if (!ok)
        return 0;
    if (s.buffer == &ed->descriptor || e.buffer != s.copy.buffer)
        EdCursorTo(ed, s.buffer, s.digit);      /* else the field's delete placed it */
    ed->anchor.column = ED_UNSET;
    EdBuildLineData(ed, 1);
    return 1;
}
