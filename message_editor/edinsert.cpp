/* Typing into a field: the questions asked before a message is first
 * edited, the kind of field a line shows, and the insert or overtype of
 * typed characters and hex digits into fixed and variable fields (values
 * go to the typing buffer, strings with length fields to the length-aware
 * edits). */
#include "edint.h"
#include "eddialog.h"
#include "cstext.h"
#include "csmem.h"
#include "prfdata.h"
#include <cstring>

const char edNotAtField[] = "The cursor is not at an input field";
const char edNoMemory[] = "The system does not have sufficient memory";
const char edBadChar[] = "Character is not valid for this type of field";
static const char fieldFull[] = "The current field is full";
static const char beyondField[] = "Cannot insert beyond end of field";

enum : uint32_t { OPT1_EXPERT = 0x200000 };
enum : uint32_t { ASK_CONVERTED = 2048, ASK_FETCH = 512, ASK_SUBSTITUTION = 8192 };

uint32_t EdKeyboardCcsid(void)
{
    return Prf.keyboardCodepage > 0 ? (uint32_t)Prf.keyboardCodepage : 850;
}

int EdLocalTimeShown(void)
{
    return (Prf.po[1] & PO2_LOCAL_TIMES) != 0;
}

int EdConvertText(PCFDATA *ed, unsigned char *text, uint32_t length, uint32_t from, uint32_t to)
{
    if (from == to || !length)
        return 1;
    int rc = CSConvertCodepage(text, (int)length, (int)from, (int)to, nullptr, nullptr);
    if (rc == CSCP_OK)
        return 1;
    EdSetErrorText(ed, rc == CSCP_BAD_SOURCE ? "Character not valid in source codepage"
                                             : "Character not valid in target codepage");
    return 0;
}

void EdCursorTo(PCFDATA *ed, CSDATA *buffer, uint32_t digit)
{
    ed->cursor.buffer = buffer;
    ed->cursor.digit = digit;
    ed->cursor.placed = 0;
    ed->cursor.valueColumn = 0;
}

/* ---- the questions before an edit ---- */

/* A question asked once per message; 1 when the user agrees. */
static int AskOnce(PCFDATA *ed, uint32_t agreed, const char *question, uint32_t bit)
{
    if (ed->agreed & agreed)
        return 1;
    if (!ED_HOST(edHost, confirm, ed->dialog, question, &Prf.co, bit)) {
        ed->quiet = 1;
        return 0;
    }
    ed->agreed |= agreed;
    return 1;
}

int EdCanEdit(PCFDATA *ed, const LINEDATA *line)
{
    DialogWords *d = ed->dialog;
    if (d && (d->viewWords[1] & LO_DECODE_ENTITIES) &&
        !AskOnce(ed, EA_SUBSTITUTION,
                 "!You are displaying the message in 'Character Substitution Mode' so characters displayed "
                 "may not be exactly as they appear in the message.\n\nAre you sure you want to edit the "
                 "message in this mode?", ASK_SUBSTITUTION))
        return 0;
    if (d && EdConverted(d) &&
        !AskOnce(ed, EA_CONVERTED,
                 "!This message has been converted. Are you sure you want to edit the converted version of "
                 "the message?", ASK_CONVERTED))
        return 0;
    if (d && (EdTruncated(d))) {
        if (ED_HOST(edHost, confirm, d,
                    "!In order to edit the message you must have the entire message retrieved from "
                    "the Queue Manager. Would you like to retrieve the entire message now?",
                    &Prf.co, ASK_FETCH) && edHost.fetchWhole)
            edHost.fetchWhole(d);
        ed->quiet = 1;
        ed->status[0] = 0;
        return 0;
    }
    if (line && line->field && (line->field->flags & EF_FIELD_EXPERT) && !(Prf.opt1 & OPT1_EXPERT)) {
        EdSetErrorText(ed, "To edit this field you need to be expert mode");
        return 0;
    }
    return 1;
}

/* ---- kinds of field ---- */

EdFieldKind EdKindOf(const LINEDATA *l)
{
    if (!l || !l->lineType)
        return EK_NONE;
    if (EdIsValueType(l->lineType))
        return EK_VALUE;
    if (l->lineType == FT_MSGDATA)
        return EK_CHAR;                 /* the label of an empty body takes text */
    return (l->displayClass & (DC_HEX | DC_HEX_FROM_LINE | DC_HEX_GROUPED)) ? EK_HEX : EK_CHAR;
}

EdFieldSpan EdSpanOf(PCFDATA *ed, const EdFieldAt *at)
{
    (void)ed;
    const LINEDATA *l = at->line;
    const CSDATA *b = l->buffer;
    EdFieldSpan s = {};
    uint32_t length = l->fieldLength;
    int open = !l->field || length == 0 || length == 0xFFFFFFFF || l->lineType == LK_DUMP ||
               l->lineType == LK_BYTES_DUMP;
    s.start = l->field && l->fieldOffset <= b->length ? l->fieldOffset : l->lineOffset;
    if (!l->field && (l->lineType == LK_DUMP || l->lineType == LK_BYTES_DUMP))
        s.start = l->fieldOffset <= l->lineOffset ? l->fieldOffset : l->lineOffset;
    if (open) {
        s.variable = 1;
        uint64_t end = (uint64_t)s.start + at->limit;
        if (end > b->length)
            end = b->length;
        s.length = end > s.start ? (uint32_t)(end - s.start) : 0;
    } else {
        s.length = length;
    }
    return s;
}

/* 1 when a line end may be typed into the line's field. */
static int TakesLineEnds(const LINEDATA *l)
{
    uint16_t f = l->field ? l->field->type : 0;
    int line = l->lineType == LK_TEXT || l->lineType == FT_TEXT_BYLEN || l->lineType == LK_XML_TEXT ||
               l->lineType == FT_MSGDATA;
    int field = f == FT_TEXT_BYLEN || f == FT_MSGDATA || f == FT_XMLTEXT || f == FT_EDIFACT;
    return line && field;
}

static int HasLineEnd(const char *text, uint32_t n)
{
    return memchr(text, '\r', n) || memchr(text, '\n', n);
}

/* ---- characters ---- */

static uint32_t Offset(const CSDATA *b, const unsigned char *p) { return (uint32_t)(p - b->data); }

int EdInsertTextChar(PCFDATA *ed, EdFieldAt *at, const unsigned char *text, uint32_t n, int insert)
{
    LINEDATA *l = at->line;
    CSDATA *b = l->buffer;
    EdFieldSpan s = EdSpanOf(ed, at);
    uint32_t pos = Offset(b, at->address), end = s.start + s.length;
    int ok;
    if (!insert && !(s.variable && pos >= end)) {
        if (pos >= end) {
            EdSetErrorText(ed, beyondField);
            return 0;
        }
        uint32_t over = end - pos < n ? end - pos : n;
        ok = EdReplaceBytes(ed, b, pos, text, over);
        if (ok && over < n)
            ok = s.variable ? EdInsertBytes(ed, b, pos + over, text + over, n - over) : (n = over, 1);
    } else if (s.variable) {
        ok = EdInsertBytes(ed, b, pos, text, n);
    } else {
        if (end > b->length || pos > end) {
            EdSetErrorText(ed, beyondField);
            return 0;
        }
        unsigned char blank = FmtGetCodepage(l->dataCcsid)->ch[CP_BLANK];
        uint32_t pad = 0;
        while (end - pad > pos && (b->data[end - pad - 1] == blank || b->data[end - pad - 1] == 0))
            pad++;
        if (!pad) {
            EdSetErrorText(ed, fieldFull);
            return 0;
        }
        if (n > pad)
            n = pad;
        ok = EdShiftBytes(ed, b, s.start, s.length, pos, (int32_t)n, text, n);
    }
    if (!ok)
        return 0;
    EdCursorTo(ed, b, 2 * (pos + n));
    if (l->field && l->field->type == FT_EDIFACT)
        ed->flush = 1;
    return 1;
}

/* ---- hex digits ---- */

/* Digit values packed two to a byte; 0 when a character is no hex digit. */
static int PackDigits(const char *text, uint32_t n, unsigned char *out)
{
    for (uint32_t i = 0; i < n; i++) {
        char c = text[i];
        int v = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10
                : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (v < 0)
            return 0;
        UTSetNibble(out, (int)i, v);
    }
    return 1;
}

int EdInsertHexChar(PCFDATA *ed, EdFieldAt *at, const char *text, uint32_t n, int insert)
{
    LINEDATA *l = at->line;
    CSDATA *b = l->buffer;
    unsigned char stack[256];
    unsigned char *digits = n / 2 + 1 <= sizeof stack ? stack : (unsigned char *)CSGetMem(n / 2 + 1, "CHEX");
    if (!digits) {
        EdSetErrorText(ed, edNoMemory);
        return 0;
    }
    int ok = PackDigits(text, n, digits);
    uint32_t d = at->digit;
    if (!ok) {
        EdSetErrorText(ed, edBadChar);
    } else if (EdIsLengthAware(l)) {
        uint32_t over = 0, end = 2 * EdStringEnd(l);
        if (!insert && d < end) {
            over = end - d < n ? end - d : n;
            ok = EdReplaceNibbles(ed, b, d, digits, over);
        }
        if (ok && over < n) {
            unsigned char rest[256];
            uint32_t m = n - over < 2 * sizeof rest ? n - over : 2 * sizeof rest;
            UTCopyNibbles(rest, 0, digits, (int)over, (int)m);
            ok = EdBytesInsert(ed, l, d + over, rest, m);
        } else if (ok) {
            EdCursorTo(ed, b, d + n);
        }
    } else {
        EdFieldSpan s = EdSpanOf(ed, at);
        uint32_t start = 2 * s.start, end = 2 * (s.start + s.length);
        if (!insert && !(s.variable && d >= end)) {
            uint32_t over = end > d ? (end - d < n ? end - d : n) : 0;
            ok = over && EdReplaceNibbles(ed, b, d, digits, over);
            if (ok && over < n && s.variable) {
                unsigned char rest[256];
                uint32_t m = n - over < 2 * sizeof rest ? n - over : 2 * sizeof rest;
                UTCopyNibbles(rest, 0, digits, (int)over, (int)m);
                ok = EdInsertNibbles(ed, b, d + over, rest, m);
            } else if (ok) {
                n = over;
            }
            if (!ok && !ed->status[0])
                EdSetErrorText(ed, beyondField);
        } else if ((d & 1) && d < 2 * b->length && UTGetNibble(b->data, (int)d) != 0) {
            EdSetErrorText(ed, "Cannot insert because the second nibble of the byte is not zero");
            ok = 0;
        } else if (s.variable) {
            ok = EdInsertNibbles(ed, b, d, digits, n);
        } else {
            uint32_t zeros = 0;
            while (end - zeros > d && UTGetNibble(b->data, (int)(end - zeros - 1)) == 0)
                zeros++;
            uint32_t room = (d & 1) ? zeros : zeros & ~1u;
            if (!room || d >= end) {
                EdSetErrorText(ed, d >= end ? beyondField : fieldFull);
                ok = 0;
            } else {
                if (n > room)
                    n = room;
                ok = EdShiftNibbles(ed, b, start, end - start, d, (int32_t)n, digits, n);
            }
        }
        if (ok)
            EdCursorTo(ed, b, d + n);
    }
    if (digits != stack)
        CSFreeMem(digits);
    return ok;
}

/* A string whose lengths are rewritten: overtype within it, insert the rest. */
static int InsertIntoString(PCFDATA *ed, LINEDATA *l, uint32_t pos, const unsigned char *text, uint32_t n,
                            int insert)
{
    uint32_t over = 0, end = EdStringEnd(l);
    if (!insert && pos < end) {
        over = end - pos < n ? end - pos : n;
        if (!EdReplaceBytes(ed, l->buffer, pos, text, over))
            return 0;
        EdCursorTo(ed, l->buffer, 2 * (pos + over));
        if (over == n)
            return 1;
    }
    const FmtStructRow *row = EdFieldRow(l);
    return row && (row->flags & RF_STRING_LIST) ? EdStringListInsert(ed, l, pos + over, text + over, n - over)
                                                : EdStringInsert(ed, l, pos + over, text + over, n - over);
}

/* ---- the entry point ---- */

int EdMayChange(PCFDATA *ed, const LINEDATA *l)
{
    if (!l || !l->lineType || !l->buffer) {
        EdSetErrorText(ed, edNotAtField);
        return 0;
    }
    if (!EdCanEdit(ed, l))
        return 0;
    if ((l->lineType == FT_PUTDATE || l->lineType == FT_PUTTIME) && EdLocalTimeShown()) {
        EdSetErrorText(ed, "Cannot edit time or date field while local time displayed");
        return 0;
    }
    return 1;
}

int EdInsertText(PCFDATA *ed, EdFieldAt *at, const char *text, uint32_t length, int insert)
{
    LINEDATA *l = at->line;
    if (!EdMayChange(ed, l))
        return 0;
    if (HasLineEnd(text, length) && !(ed->typing && ed->deferred) && !TakesLineEnds(l)) {
        EdSetErrorText(ed, "Newline character is not valid for this type of field");
        return 0;
    }
    switch (EdKindOf(l)) {
    case EK_VALUE:
        return EdTypeValue(ed, at, text, length, insert);
    case EK_HEX:
        return EdInsertHexChar(ed, at, text, length, insert);
    case EK_CHAR:
        break;
    default:
        EdSetErrorText(ed, edNotAtField);
        return 0;
    }
    unsigned char stack[256];
    unsigned char *bytes = length <= sizeof stack ? stack : (unsigned char *)CSGetMem(length, "CLIP");
    if (!bytes) {
        EdSetErrorText(ed, edNoMemory);
        return 0;
    }
    memcpy(bytes, text, length);
    int ok = EdConvertText(ed, bytes, length, EdKeyboardCcsid(), l->dataCcsid);
    if (ok) {
        if (!EdIsLengthAware(l))
            ok = EdInsertTextChar(ed, at, bytes, length, insert);
        else
            ok = InsertIntoString(ed, l, (uint32_t)(at->address - l->buffer->data), bytes, length, insert);
    }
    if (bytes != stack)
        CSFreeMem(bytes);
    return ok;
}
