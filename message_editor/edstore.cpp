/* Where a display line's value lies and what kind of field it shows: the
 * layout of each kind of formatter line (value column, value length, the
 * bytes behind it), the display classes by line type, and the filling of
 * one cached line record (EdStoreLine). */
#include "edpane.h"
#include "cscodepage.h"
#include "fmtint.h"
#include <cstring>

/* Line types that show no value of their own (structures, arrays,
 * labels of what follows, notes). */
static int NoValueType(uint16_t t)
{
    switch (t) {
    case FT_STRUCT: case FT_COUNTED_ARRAY: case FT_FIXED_ARRAY: case FT_REPEAT:
    case FT_STRUCT_BYLEN: case FT_STRUCTS_BYLEN: case FT_CHARV: case FT_UNKNOWN_REST:
    case FT_DESC: case FT_REC_COUNT: case FT_ALIGN:
        return 1;
    }
    return 0;
}

/* Field types the formatter shows in single quotes. */
static int QuotedType(uint16_t t)
{
    switch (t) {
    case FT_CHAR: case FT_TEXT_BYLEN: case FT_CHARBP: case FT_CODE1: case FT_FORMAT:
    case FT_PUTDATE: case FT_PUTTIME:
        return 1;
    }
    return 0;
}

/* Field types whose lines only label what the following lines show. */
static int LabelType(uint16_t t)
{
    switch (t) {
    case FT_HEXDUMP: case FT_TEXT_TOEND: case FT_MSGDATA: case FT_XMLTEXT: case FT_XMLMSG:
    case FT_EDIFACT: case FT_HEX: case FT_ID24: case FT_BYTES_BYLEN:
        return 1;
    }
    return 0;
}

/* The value of a quoted field line is the message's own bytes when the
 * formatter copied them (no value table turned them into printable text). */
static int RawQuoted(const FmtFieldDef *f)
{
    if (f->type == FT_TEXT_BYLEN)
        return 1;
    return (f->type == FT_CHAR || f->type == FT_CHARBP || f->type == FT_CODE1) && !f->reference;
}

uint32_t EdLineCcsid(const FmtLineRec *lr)
{
    if ((lr->lineClass == LK_TEXT || lr->lineClass == LK_XML_TEXT) && lr->msgInfo)
        return lr->msgInfo->ccsid;
    return lr->frame ? lr->frame->ccsid : 850;
}

/* Characters from column c up to the first blank (a number's text). */
static int32_t TokenLength(const char *text, uint32_t length, int32_t c)
{
    int32_t n = 0;
    while ((uint32_t)(c + n) < length && text[c + n] != ' ')
        n++;
    return n;
}

/* Characters from column c up to " (" (a time stamp before its zone). */
static int32_t TimeLength(const char *text, uint32_t length, int32_t c)
{
    for (uint32_t i = (uint32_t)c; i + 1 < length; i++)
        if (text[i] == ' ' && text[i + 1] == '(')
            return (int32_t)(i - (uint32_t)c);
    return (int32_t)length > c ? (int32_t)length - c : 0;
}

void EdLineLayout(const FmtLineRec *lr, const char *text, uint32_t length, EdLayout *out)
{
    memset(out, 0, sizeof *out);
    out->ccsid = 850;
    uint32_t cls = lr->lineClass;
    const FmtFieldDef *f = lr->field;
    if ((lr->lineFlags & (LF_HEADING | LF_MARKER | LF_GROUP_END)) || cls == 41)
        return;
    uint16_t type = (uint16_t)(cls ? cls : f ? f->type : 0);
    if ((lr->lineFlags & LF_DUMP) && (cls == LK_DUMP_CHARS || cls == LK_BYTES_CHARS))
        type = cls == LK_DUMP_CHARS ? LK_DUMP_GCHARS : LK_BYTES_GCHARS;
    if (!type || (cls == 0 && NoValueType(type)))
        return;
    if (cls == 0 && (lr->lineFlags & LF_CONTINUATION) && !QuotedType(type))
        return;                         /* flag names under a flag word */
    int32_t prefix = (lr->flags & LR_OFFSET_PREFIX) ? 10 : 0;
    int32_t label = (int32_t)lr->prefixLength;
    int32_t column, valueLength = 0;
    out->lineOffset = lr->dataOffset;
    out->dataLength = lr->valueBytes;
    switch (type == LK_DUMP_GCHARS || type == LK_BYTES_GCHARS ? type : cls) {
    case LK_TEXT: case LK_XML_TEXT:
        column = prefix + label;
        if (lr->valueBytes)             /* a display name (valueBytes 0) is no value */
            valueLength = text && length ? (int32_t)length - column : (int32_t)lr->valueBytes;
        out->rawValue = 1;
        break;
    case LK_DUMP: case LK_BYTES_DUMP:
        column = prefix + label;        /* a field's dump stands under its label */
        valueLength = (int32_t)lr->valueWidth;
        out->hexColumns = (int16_t)(lr->dumpBytesPerLine * 2 + lr->dumpBytesPerLine / 4 - 1);
        break;
    case LK_DUMP_GCHARS: case LK_BYTES_GCHARS:
        column = prefix + label;
        valueLength = (int32_t)lr->valueWidth;
        out->hexColumns = (int16_t)valueLength;
        break;
    case LK_HEX_PAIRS: case LK_BYTES_PAIRS: case LK_DUMP_CHARS: case LK_BYTES_CHARS:
        column = prefix + label + 1;
        valueLength = 2 * (int32_t)lr->valueBytes;
        out->hexColumns = (int16_t)valueLength;
        break;
    default:
        if (LabelType(type)) {
            column = type == FT_MSGDATA ? prefix + (int32_t)strlen(f->name) + 2
                     : type == FT_HEX || type == FT_ID24 || type == FT_BYTES_BYLEN
                         ? prefix + label : prefix + label + 1;
            out->dataLength = 0;
        } else if (QuotedType(type)) {
            /* an empty text is shown without its quotes unless empty lines are asked for */
            int bare = lr->valueBytes == 0 && RawQuoted(f) && !(lr->options & LO_EMPTY_LINE);
            column = prefix + label + (bare ? 1 : 2);
            valueLength = (int32_t)lr->valueBytes;
            out->rawValue = (uint8_t)RawQuoted(f);
        } else {
            column = prefix + label + 1;
            if (text && length)
                valueLength = EdDisplayClass(type) & DC_TIME ? TimeLength(text, length, column)
                                                             : TokenLength(text, length, column);
        }
        break;
    }
    if (text && length) {
        int32_t room = (int32_t)length - column;
        if (valueLength > room)
            valueLength = room > 0 ? room : 0;
    }
    if (valueLength < 0)
        valueLength = 0;
    out->lineType = type;
    out->valueColumn = (int16_t)(column > 32767 ? 32767 : column);
    out->valueLength = (int16_t)(valueLength > 32767 ? 32767 : valueLength);
    if (out->rawValue)
        out->ccsid = EdLineCcsid(lr);
}

uint32_t EdDisplayClass(uint16_t t)
{
    switch (t) {
    case LK_DUMP: case LK_BYTES_DUMP:
        return DC_HEX_GROUPED;
    case LK_DUMP_CHARS: case LK_BYTES_CHARS:
        return DC_HEX_DUMP;
    case LK_DUMP_GCHARS: case LK_BYTES_GCHARS:
        return DC_CHARS_GROUPED;
    case FT_HEX: case FT_FLAGS8: case FT_FLAGS: case FT_HEXDUMP: case FT_MSGDATA:
    case FT_FLAGS16: case FT_BYTES_BYLEN:
        return DC_HEX;
    case LK_HEX_PAIRS: case LK_BYTES_PAIRS:
        return DC_HEX_FROM_LINE;
    case FT_INT: case FT_ENCODING: case FT_SHORT: case FT_INTH: case FT_INT64H:
    case FT_BYTE: case FT_REC_OFFSET: case FT_INT_NORMAL:
    case FT_FLOAT: case FT_DOUBLE: case FT_PACKED: case FT_UPACKED:
    case FT_ZONED: case FT_DIGITS:
        return DC_NUMBER;
    case FT_TIME32: case FT_TIME64:
        return DC_TIME;
    }
    if (t >= FT_UINT && t <= FT_UINT8H)
        return DC_NUMBER;
    return 0;
}

/* Eight bytes at a time: for each byte b and a limit n of 1 to 0x80,
 * the top bit of the byte in Below(x, n) is set exactly when b < n (the
 * low seven bits plus 0x80 - n carry into the top bit when they reach n,
 * and a byte of 0x80 or more is never below). */
static const uint64_t ONES = 0x0101010101010101ull, TOPS = 0x8080808080808080ull;

static uint64_t Below(uint64_t x, unsigned n)
{
    return ~(((x & ~TOPS) + (0x80 - n) * ONES) | x) & TOPS;
}

/* Each byte less 0x7F, without borrows between the bytes. */
static uint64_t Less7F(uint64_t x)
{
    return ((x | TOPS) - 0x7F * ONES) ^ (~x & TOPS);
}

static int PrintableByte(unsigned char c, int ebcdic)
{
    return ebcdic ? c >= 0x40 && c != 0xFF : c >= 0x20 && (unsigned char)(c - 0x7F) >= 0x21;
}

int EdPrintable(const unsigned char *p, uint32_t n, int ebcdic)
{
    uint64_t bad = 0;
    uint32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t x;
        memcpy(&x, p + i, 8);
        bad |= ebcdic ? Below(x, 0x40) | Below(~x, 1) : Below(x, 0x20) | Below(Less7F(x), 0x21);
    }
    for (; i < n; i++)
        if (!PrintableByte(p[i], ebcdic))
            return 0;
    return bad == 0;
}

/* 1 when the structure has a row that holds its length. */
static int HasLengthRow(const FmtStructDef *def)
{
    for (const FmtStructRow *row = def ? def->rows : nullptr; row && row->field; row++)
        if (row->flags & (RF_STRUCLEN | RF_LEN_SELF))
            return 1;
    return 0;
}

/* The nearest frame around the line's structure that records its length. */
static void LengthParent(const FmtLineRec *lr, const FmtWalkFrame *fr, LINEDATA *line)
{
    for (fr = fr ? fr->parent : nullptr; fr; fr = fr->parent)
        if (HasLengthRow(fr->def)) {
            line->lengthParent = fr->def;
            line->lengthParentOffset = FmtOffsetOf(lr, fr->start);
            line->lengthParentEncoding = fr->encoding;
            return;
        }
}

/* The frame's outermost repeat: the frame a repeated group was cut from. */
static const FmtWalkFrame *OuterFrame(const FmtWalkFrame *fr)
{
    while (fr && fr->parent && fr->parent->repeatStart == fr->start && fr->parent->def)
        fr = fr->parent;
    return fr;
}

void EdStoreLine(PCFDATA *ed, const FmtLineRec *lr, LINEDATA *line, const char *text,
                 uint32_t length, int checkPrintable)
{
    EdLayout lay;
    EdLineLayout(lr, text, length, &lay);
    memset(line, 0, sizeof *line);
    line->lineFlags = lr->lineFlags;
    line->buffer = ed->runBuffer;
    line->lineOffset = lay.lineType ? lay.lineOffset : lr->dataOffset;
    line->dataLength = lay.dataLength;
    line->valueColumn = lay.valueColumn;
    line->valueLength = lay.valueLength;
    line->hexColumns = lay.hexColumns;
    line->bodyKind = lr->bodyKind;
    line->runOffset = lr->structOffset;
    line->fieldAttributes = lr->element;
    const FmtWalkFrame *fr = lr->frame;
    uint32_t frameOffset = fr ? FmtOffsetOf(lr, fr->start) : 0;
    line->structure = fr ? fr->def : nullptr;
    line->structOffset = frameOffset;
    if (const FmtWalkFrame *outer = OuterFrame(fr)) {
        line->outer = outer->def;
        line->outerOffset = FmtOffsetOf(lr, outer->start);
    }
    line->fieldOffset = frameOffset + lr->structOffset;
    line->elementOffset = lr->tag && lr->tag->element != FMT_NO_TAG ? lr->tag->element : frameOffset;
    line->printable = 1;
    line->ccsid = 850;
    line->encoding = fr ? fr->encoding : 546;
    line->dataCcsid = fr ? fr->ccsid : 850;
    LengthParent(lr, fr, line);
    if (!lay.lineType)
        return;
    line->lineType = lay.lineType;
    line->field = lr->field;
    line->fieldLength = lr->field ? lr->field->length : 0;
    line->displayClass = (lr->field ? lr->field->flags : 0) | EdDisplayClass(lay.lineType);
    line->ccsid = lay.ccsid;
    if (lay.rawValue)
        line->dataCcsid = lay.ccsid;
    line->ebcdic = (uint8_t)(lay.ccsid != 850 && CSIsEbcdicCcsid((int)lay.ccsid));
    line->rawValue = lay.rawValue;
    CSDATA *b = line->buffer;
    uint16_t t = lay.lineType;
    if (checkPrintable && lay.rawValue && t != FT_ZONED && t != FT_DIGITS && b && b->data &&
        (uint64_t)line->lineOffset + line->dataLength <= b->length)
        line->printable = (uint8_t)EdPrintable(b->data + line->lineOffset, line->dataLength, line->ebcdic);
}
