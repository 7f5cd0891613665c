/* Cursor movement: keys and mouse positions moved into display lines and
 * columns, the selection kept from an anchor, the data position behind
 * the cursor, Tab between fields, Select All and the mark. */
#include "edpane.h"
#include "edops.h"
#include "eddialog.h"
#include <cstring>

int EdHasSelection(const PCFDATA *ed)
{
    return ed->anchor.column != ED_UNSET;
}

void EdSelectionEnds(const PCFDATA *ed, const EdPosition **start, const EdPosition **end)
{
    const EdPosition *a = &ed->anchor, *c = &ed->cursor;
    int before = a->line < c->line || (a->line == c->line && a->column <= c->column);
    *start = before ? a : c;
    *end = before ? c : a;
}

static int Visible(const PCFDATA *ed, int32_t line)
{
    return line >= ed->scroll.top && line < ed->scroll.top + (int32_t)ed->scroll.visible;
}

/* EdFindField without changing the status text. */
static int Probe(PCFDATA *ed, EdFieldAt *at, int32_t column, int32_t line)
{
    char saved[ED_STATUS_SIZE];
    memcpy(saved, ed->status, sizeof saved);
    int i = EdFindField(ed, at, column, line, 0, 0, 0);
    memcpy(ed->status, saved, sizeof saved);
    return i;
}

void EdTabField(PCFDATA *ed, int backwards)
{
    LINEDATA *l = EdGetLine(ed, ed->cursor.line);
    if (l && l->lineType && l->valueLength > 0 &&
        (backwards ? ed->cursor.column > l->valueColumn : ed->cursor.column < l->valueColumn)) {
        ed->cursor.column = ed->rememberedColumn = l->valueColumn;
        return;
    }
    for (int32_t line = ed->cursor.line;;) {
        line += backwards ? -1 : 1;
        if (line < 0 || line >= ed->scroll.lineCount)
            return;                     /* at the first or last field nothing moves */
        l = EdGetLine(ed, line);
        if (l && l->lineType && l->valueLength > 0) {
            ed->cursor.line = line;
            ed->cursor.column = ed->rememberedColumn = l->valueColumn;
            return;
        }
    }
}

/* The column a key asks for before it is limited to the line. */
static int32_t KeyColumn(PCFDATA *ed, int code, int ctrl, int32_t *line)
{
    if (code == MC_END && ctrl) {
        *line = ed->scroll.lineCount - 1;
        ed->movingToEnd = 1;
        const LINEDATA *l = EdGetLine(ed, *line);
        return l ? l->textLength : 0;
    }
    if (code == MC_HOME && ctrl) {
        *line = 0;
        ed->movingToEnd = 1;
        return 0;
    }
    const LINEDATA *l = EdGetLine(ed, *line);
    if (!l)
        return 0;
    if (code == MC_HOME)
        return l->lineType ? l->valueColumn : 0;
    if (!l->lineType)
        return l->textLength;
    return l->valueColumn + l->valueLength + (ed->typing ? ed->cursor.overflow : 0);
}

/* The last value character of the line before, when it holds the same field. */
static int BackIntoField(PCFDATA *ed, int32_t *line, int32_t *column)
{
    if (!EdLineContinues(ed, 1, *line))
        return 0;
    const LINEDATA *p = EdGetLine(ed, *line - 1);
    if (!p)
        return 0;
    *line -= 1;
    *column = p->valueColumn + (p->valueLength > 0 ? p->valueLength - 1 : 0);
    return 1;
}

/* Step 4 of a move: the column limited on the new line, with wrapping. */
static void LimitColumn(PCFDATA *ed, int code, int wrap, int32_t *line, int32_t *column, int sameLine)
{
    const LINEDATA *l = EdGetLine(ed, *line);
    int32_t end = l ? l->textLength : 0;
    if (ed->typing && sameLine)
        end += ed->cursor.overflow;
    int32_t count = ed->scroll.lineCount;
    if (*column < 0) {
        if (wrap && l && l->lineType && BackIntoField(ed, line, column))
            return;
        if (*line > 0) {
            *line -= 1;
            l = EdGetLine(ed, *line);
            *column = l ? l->textLength : 0;
        } else {
            *column = 0;
        }
    } else if (*column > end) {
        if (code == MC_RIGHT && *line + 1 < count) {
            *line += 1;
            l = EdGetLine(ed, *line);
            *column = l && l->lineType ? l->valueColumn : 0;
        } else {
            *column = end;
        }
    } else if (wrap && l && l->lineType && code == MC_LEFT && *column < l->valueColumn) {
        BackIntoField(ed, line, column);
    } else if (wrap && l && l->hexColumns && code == MC_RIGHT &&
               *column >= l->valueColumn + l->hexColumns && *line + 1 < count) {
        *line += 1;
        l = EdGetLine(ed, *line);
        *column = l && l->lineType ? l->valueColumn : 0;
    }
}

/* On a hex body line the cursor stands on a digit, never on the blank
 * between two groups of eight: Left steps back over it to the group's
 * last digit, every other move on to the next group's first digit. */
static int32_t OffGroupBlank(const LINEDATA *l, int code, int32_t k)
{
    if (!l || (l->lineType != LK_DUMP && l->lineType != LK_BYTES_DUMP))
        return k;
    int32_t i = k - l->valueColumn;
    if (i < 0 || i >= l->valueLength || i % 9 != 8)
        return k;
    return code == MC_LEFT ? k - 1 : k + 1;
}

/* Step 7: the data position behind the cursor. */
static void DataPosition(PCFDATA *ed, const LINEDATA *l, const EdFieldAt *at, int found)
{
    EdPosition *c = &ed->cursor;
    c->buffer = l ? l->buffer : nullptr;
    if (!l || !l->lineType)
        return;
    int32_t k = c->column - l->valueColumn;
    int32_t chars = l->valueColumn + l->hexColumns + ED_DUMP_GAP;
    if ((l->displayClass & (DC_NUMBER | DC_TIME)) || EdIsValueType(l->lineType)) {
        c->valueColumn = (uint8_t)(k < 0 ? 0 : k > 255 ? 255 : k);
        c->digit = 2 * l->lineOffset;
    } else if ((l->lineType == LK_DUMP || l->lineType == LK_BYTES_DUMP) && c->column >= chars) {
        uint32_t i = (uint32_t)(c->column - chars);
        if (i > l->dataLength)
            i = l->dataLength;
        c->digit = 2 * (l->lineOffset + i);
    } else if (found) {
        c->digit = at->digit;
    } else {
        c->digit = 2 * (l->lineOffset + (k > 0 ? l->dataLength : 0));
    }
}

void EdMoveCursor(PCFDATA *ed, int extendAllowed, int wrap, int code, int32_t column, int32_t line)
{
    int shift = ED_HOST(edHost, keyDown, ED_KEY_SHIFT), ctrl = ED_HOST(edHost, keyDown, ED_KEY_CONTROL);
    int extend = (shift && extendAllowed) || code == MC_EXTEND_TO || ed->capturing;
    EdPosition old = ed->cursor;
    ed->statusShown = 0;
    int32_t l = old.line, k = old.column, page = ed->scroll.visible ? ed->scroll.visible : 1;
    int chosen = 0;
    switch (code) {
    case MC_TAB:
        EdTabField(ed, shift);
        l = ed->cursor.line;
        k = ed->cursor.column;
        chosen = 1;
        break;
    case MC_EXTEND_TO: case MC_GOTO: k = column; l = line; chosen = 1; break;
    case MC_PAGE_UP: l -= page; break;
    case MC_PAGE_DOWN: l += page; break;
    case MC_UP: l--; break;
    case MC_DOWN: l++; break;
    case MC_LEFT: k--; chosen = 1; break;
    case MC_RIGHT: k++; chosen = 1; break;
    case MC_END: case MC_HOME: k = KeyColumn(ed, code, ctrl, &l); chosen = 1; break;
    }
    if (!chosen)
        k = ed->rememberedColumn;
    int32_t count = ed->scroll.lineCount;
    if (l >= count)
        l = count - 1;
    if (l < 0)
        l = 0;
    if (l != old.line && ed->typing)
        EdSetPending(ed, 0);
    LimitColumn(ed, code, wrap, &l, &k, l == old.line);
    k = OffGroupBlank(EdGetLine(ed, l), code, k);
    if (chosen)
        ed->rememberedColumn = k;
    ed->cursor.line = l;
    ed->cursor.column = k;
    LINEDATA *nl = EdGetLine(ed, l);
    EdPosition *c = &ed->cursor;
    c->lineType = nl ? nl->lineType : 0;
    c->field = nl ? nl->field : nullptr;
    c->fieldOffset = nl ? nl->fieldOffset : 0;
    c->elementOffset = nl ? nl->elementOffset : 0;
    c->frame = nl ? nl->structure : nullptr;
    c->frameOffset = nl ? nl->structOffset : 0;
    c->placed = nl != nullptr;
    EdFieldAt at;
    int found = nl && Probe(ed, &at, k, l) >= 0;
    uint32_t kind = found ? 2 : 1;
    if (kind != ed->caretKind) {
        ed->caretKind = kind;
        ED_HOST(edHost, recreateCaret, ed);
    }
    if (!Visible(ed, l))
        ED_HOST(edHost, scrollTo, ed, l);
    ED_HOST(edHost, placeCaret, ed);
    DataPosition(ed, nl, &at, found);
    int32_t first = old.line < l ? old.line : l, last = old.line < l ? l : old.line;
    if (extend && !EdHasSelection(ed)) {
        ed->anchor = old;
        ED_HOST(edHost, browseState, ed->dialog);
    } else if (!extend && EdHasSelection(ed)) {
        if (ed->anchor.line < first)
            first = ed->anchor.line;
        if (ed->anchor.line > last)
            last = ed->anchor.line;
        ed->anchor.column = ED_UNSET;
        ED_HOST(edHost, browseState, ed->dialog);
    }
    if (EdHasSelection(ed)) {
        if (ed->anchor.line < first)
            first = ed->anchor.line;
        if (ed->anchor.line > last)
            last = ed->anchor.line;
    }
    ED_HOST(edHost, invalidate, ed, first, last);
    if (!ed->noRedraw && ed->dialog)
        ED_HOST(edHost, countWindow, ed->dialog);
    EdXmlSelectionRange(ed, &ed->cursor, EdHasSelection(ed) ? &ed->anchor : &ed->cursor);
    EdDebugState(ed);
}

int EdSelectAll(DialogWords *dialog)
{
    PCFDATA *ed = dialog ? dialog->editor : nullptr;
    if (!ed || ed->scroll.lineCount == 0)
        return 0;
    int32_t lastLine = ed->scroll.lineCount - 1;
    ed->movingToEnd = 1;
    LINEDATA *first = EdGetLine(ed, 0);
    CSDATA *firstBuffer = first ? first->buffer : nullptr;
    ed->movingToEnd = 1;
    LINEDATA *last = EdGetLine(ed, lastLine);
    if (!last || !last->buffer)
        return 0;
    EdPosition a = {};
    a.line = 0;
    a.column = 0;
    a.buffer = firstBuffer ? firstBuffer : last->buffer;
    a.digit = 0;
    a.placed = 1;
    ed->anchor = a;
    EdPosition *c = &ed->cursor;
    c->line = lastLine;
    c->column = last->textLength;
    c->buffer = last->buffer;
    c->digit = 2 * last->buffer->length;
    c->lineType = last->lineType;
    c->field = last->field;
    c->placed = 1;
    ed->rememberedColumn = c->column;
    ED_HOST(edHost, browseState, dialog);
    return 1;
}

void EdSelectAnchor(DialogWords *dialog)
{
    PCFDATA *ed = dialog->editor;
    if (!ed)
        return;
    ed->mark = ed->cursor;
    ED_HOST(edHost, browseState, dialog);
}

void EdSelectMark(DialogWords *dialog)
{
    PCFDATA *ed = dialog->editor;
    if (!ed || !ed->mark.buffer)
        return;
    int shift = ED_HOST(edHost, keyDown, ED_KEY_SHIFT);
    if (!shift) {
        if (EdHasSelection(ed))
            ED_HOST(edHost, invalidate, ed, ed->anchor.line, ed->cursor.line);
        ed->anchor.column = ED_UNSET;
    } else if (!EdHasSelection(ed)) {
        ed->anchor = ed->cursor;
    }
    ed->cursor = ed->mark;
    ed->cursor.placed = 0;
    ed->flush = 1;
    EdFlushTyping(ed);
    EdMoveCursor(ed, 0, 0, shift ? MC_EXTEND_TO : MC_GOTO, ed->cursor.column, ed->cursor.line);
}
