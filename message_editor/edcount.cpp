/* Counting the display lines of the whole message and placing the cursor
 * and the selection anchor on them: a position is kept in data terms (a
 * buffer and a half-byte offset) and given its line and column again by
 * every count.  A count is made only when something the lines depend on
 * changed since the last one. */
#include "edpane.h"
#include "eddialog.h"
#include "fmtint.h"
#include <cstring>

uint32_t EdLineDigits(uint16_t lineType, uint32_t dataLength, uint32_t valueLength)
{
    (void)valueLength;
    switch (lineType) {
    case FT_HEX: case FT_HEXDUMP: case FT_BYTES_BYLEN:
        return 0;                       /* labels: their digits are on the lines below */
    }
    return 2 * dataLength;
}

int EdIsCharType(uint16_t t)
{
    switch (t) {
    case FT_CHAR: case FT_TEXT_BYLEN: case FT_FORMAT: case FT_TEXT_TOEND: case FT_MSGDATA:
    case FT_XMLTEXT: case FT_XMLMSG: case FT_PUTDATE: case FT_PUTTIME: case LK_HEX_PAIRS:
    case FT_DESC: case LK_DUMP_CHARS: case LK_BYTES_CHARS: case LK_BYTES_PAIRS:
    case LK_DUMP_GCHARS: case LK_BYTES_GCHARS:
        return 1;
    }
    return 0;
}

/* Lines whose columns stand one per byte of text. */
static int TextColumns(uint16_t t)
{
    switch (t) {
    case FT_CHAR: case FT_TEXT_BYLEN: case FT_FORMAT: case FT_TEXT_TOEND: case FT_XMLTEXT:
    case FT_PUTDATE: case FT_PUTTIME: case FT_CHARBP: case FT_CODE1: case FT_MSGDATA:
        return 1;
    }
    return 0;
}

int32_t EdDigitColumn(uint16_t t, uint32_t d, int32_t valueLength, int32_t kept)
{
    switch (t) {
    case FT_HEX: case FT_HEXDUMP: case FT_BYTES_BYLEN:
        return (int32_t)d;
    case LK_DUMP: case LK_BYTES_DUMP: {
        int32_t c = (int32_t)(d + d / 8);
        return valueLength > 0 && c > valueLength ? valueLength : c;
    }
    case LK_HEX_PAIRS: case LK_BYTES_PAIRS:
        return (int32_t)d;              /* a column per digit */
    case LK_DUMP_CHARS: case LK_BYTES_CHARS:
        return (int32_t)(d & ~1u);      /* a byte's character over its two digits */
    case LK_DUMP_GCHARS: case LK_BYTES_GCHARS: {
        int32_t b = (int32_t)(d / 2);   /* and a blank after every fourth byte */
        int32_t c = 2 * b + b / 4;
        return valueLength > 0 && c > valueLength ? valueLength : c;
    }
    }
    if (TextColumns(t))
        return (int32_t)(d / 2);
    return kept;                        /* a value edited as text keeps its column */
}

int EdHexNibble(uint16_t t, int32_t c)
{
    switch (t) {
    case FT_HEX: case FT_HEXDUMP: case FT_MSGDATA: case FT_BYTES_BYLEN: case LK_HEX_PAIRS:
    case LK_BYTES_PAIRS:
        return c & 1;
    case LK_DUMP: case LK_BYTES_DUMP:
        return (c - c / 9) & 1;
    }
    return 0;
}

/* Digits past the line's own bytes that still belong to it: the end of
 * the data (where text is added), the line end that cut a text, and the
 * end of a string whose length is recorded (where it grows). */
static uint32_t ExtraDigits(const CSDATA *b, const EdLayout *lay, const FmtLineRec *lr, uint32_t fieldOffset)
{
    uint64_t end = (uint64_t)lay->lineOffset + lay->dataLength;
    const FmtFieldDef *f = lr->field;
    int grows = f && (f->length == 0 || f->length == 0xFFFFFFFF) && lr->fieldLength != 0xFFFFFFFF &&
                end == (uint64_t)fieldOffset + lr->fieldLength;
    if (grows && (lay->lineType == LK_BYTES_PAIRS || TextColumns(lay->lineType)))
        return 2;
    if (lay->lineType == LK_DUMP || lay->lineType == LK_BYTES_DUMP)
        return end >= b->length ? 1 : 0;
    if (!TextColumns(lay->lineType) && lay->dataLength)
        return 0;
    if (end >= b->length)
        return 2;
    unsigned char c = b->data[end];
    return c == 0x0A || c == 0x0D || c == 0x15 || c == 0x25 ? 2 : 0;
}

void EdPlacePosition(PCFDATA *ed, const FmtLineRec *lr, int isCursor, EdPosition *pos)
{
    CSDATA *b = ed->runBuffer;
    if (!b || pos->buffer != b)
        return;
    EdLayout lay;
    EdLineLayout(lr, nullptr, 0, &lay);
    if (!lay.lineType)
        return;
    uint32_t first = 2 * lay.lineOffset;
    uint32_t fieldOffset = (lr->frame ? FmtOffsetOf(lr, lr->frame->start) : 0) + lr->structOffset;
    uint32_t span = EdLineDigits(lay.lineType, lay.dataLength, (uint32_t)lay.valueLength) +
                    ExtraDigits(b, &lay, lr, fieldOffset);
    /* a descriptor's text field keeps a position in its blank tail (a
       short or empty value typed on) at the end of the value shown */
    int blankTail = lay.lineType == FT_CHAR && (lr->options & LO_EDITING_MD);
    if (span == 0 && !blankTail)
        return;
    uint32_t elementOffset = lr->tag && lr->tag->element != FMT_NO_TAG
                                 ? lr->tag->element
                                 : lr->frame ? FmtOffsetOf(lr, lr->frame->start) : 0;
    if (pos->digit < first) {
        if (pos->placed)
            return;
        pos->digit = first;             /* a position between lines goes to the next one */
        pos->valueColumn = 0;
        if (isCursor && ed->typing)
            EdSetPending(ed, 0);
    } else if (pos->digit >= first + span) {
        if (!blankTail || pos->digit >= first + 2 * lr->fieldLength)
            return;
        pos->digit = first + span;
    }
    if (pos->placed && !ed->flush &&
        (pos->fieldOffset != fieldOffset || pos->elementOffset != elementOffset ||
         pos->lineType != lay.lineType))
        return;
    pos->line = ed->runLine;
    pos->column = lay.valueColumn +
                  EdDigitColumn(lay.lineType, pos->digit - first, lay.valueLength, pos->valueColumn);
    pos->field = lr->field;
    pos->lineType = lay.lineType;
    pos->fieldOffset = fieldOffset;
    pos->elementOffset = elementOffset;
    pos->frame = lr->frame ? lr->frame->def : nullptr;
    pos->frameOffset = lr->frame ? FmtOffsetOf(lr, lr->frame->start) : 0;
    pos->placed = 1;
    if (isCursor)
        ed->rememberedColumn = pos->column;
}

uint32_t EdCountLineSink(uint64_t context, FmtLineRec *lr, char *, uint32_t)
{
    PCFDATA *ed = (PCFDATA *)(uintptr_t)context;
    if (ed->runBuffer) {
        if (ed->refreshPositions)
            EdUpdateLinePos(ed, lr);
        if (lr->lineFlags & LF_MARKER)
            ed->editFlags |= EF_HEADER_ERROR;
        if (ed->cursor.buffer == ed->runBuffer && !ed->cursor.placed)
            EdPlacePosition(ed, lr, 1, &ed->cursor);
        if (ed->anchor.column != ED_UNSET && ed->anchor.buffer == ed->runBuffer && !ed->anchor.placed)
            EdPlacePosition(ed, lr, 0, &ed->anchor);
    }
    ed->runLine++;
    ed->scroll.lineCount++;
    return FMT_GO_ON;
}

/* What the count depends on, now. */
static void CountKey(const PCFDATA *ed, EdCountKey *k)
{
    memset(k, 0, sizeof *k);
    const DialogWords *d = ed->dialog;
    k->md = ed->descriptor.data;
    k->data = ed->data.data;
    k->mdLength = ed->descriptor.length;
    k->dataLength = ed->data.length;
    k->generation = ed->generation;
    if (d) {
        k->view[0] = d->viewWords[0];
        k->view[1] = d->viewWords[1];
        k->bodyKind = d->bodyKind | (uint32_t)EdTruncated(d) << 16;
    }
    k->width = (uint32_t)ed->width;
    k->formatter = ed->bodyFormatter;
    k->valid = 1;
}

/* One counting run through the sink (the count sink, or the sink that
 * also caches the display window), runFirst set by the caller. */
static void CountRun(PCFDATA *ed, FmtLineSink sink)
{
    ed->editFlags &= ~EF_HEADER_ERROR;
    ed->cursor.placed = 0;
    ed->anchor.placed = 0;
    ed->countRuns++;
    EdFormatMessage(sink, ed);
    CountKey(ed, &ed->counted);         /* after the run: it chose the body formatter */
    ed->refreshPositions = 0;
    if (ed->cursorFromPartner) {
        ed->cursor.valueColumn = 0;
        ed->cursorFromPartner = 0;
    }
    ed->flush = 0;
}

void EdCountLines(PCFDATA *ed)
{
    ed->runFirst = 0;
    CountRun(ed, EdCountLineSink);
}

/* Ends pending typing (flush flag); 1 when the lines must be counted. */
static int CountDue(PCFDATA *ed)
{
    if (ed->flush && ed->typing) {
        EdSetPending(ed, 0);
        ed->cursor.overflow = 0;
    }
    EdCountKey now;
    CountKey(ed, &now);
    return ed->flush || !ed->counted.valid || memcmp(&now, &ed->counted, sizeof now) != 0;
}

/* After a count: the gutter, and the cursor kept within the lines. */
static void Counted(PCFDATA *ed, int32_t line, int32_t column)
{
    SetLineNumberWidth(ed);
    if (ed->cursor.line >= ed->scroll.lineCount) {
        ed->cursor.line = ed->scroll.lineCount > 0 ? ed->scroll.lineCount - 1 : 0;
        ed->cursor.column = 0;
    }
    if (ed->cursor.line != line || ed->cursor.column != column)
        ED_HOST(edHost, invalidate, ed, 0, -1);
}

void EdFlushTyping(PCFDATA *ed)
{
    if (!CountDue(ed))
        return;
    int32_t line = ed->cursor.line, column = ed->cursor.column;
    EdCountLines(ed);
    Counted(ed, line, column);
}

int EdFlushTypingCaching(PCFDATA *ed, int32_t first, int32_t last, int32_t madeFirst, int32_t madeLast)
{
    if (!CountDue(ed))
        return 0;
    int32_t line = ed->cursor.line, column = ed->cursor.column;
    ed->cacheFirst = first;
    ed->cacheLast = last;
    ed->runFirst = ed->madeFirst = madeFirst;
    ed->runLast = ed->madeLast = madeLast;
    ed->refreshPositions = 0;           /* every cached line is made again */
    CountRun(ed, EdCountDisplaySink);
    Counted(ed, line, column);
    return 1;
}
