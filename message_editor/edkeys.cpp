/* Keys and characters of the pane: the WM_KEYDOWN table (cursor keys,
 * Insert, Delete, F4), the character table (Ctrl keys, Backspace,
 * Return, typed characters with the JSON and XML typing aids), typing a
 * text at the cursor, the typing state and integer fields written whole.
 * Every key that edits runs inside one undo group. */
#include "edpane.h"
#include "edops.h"
#include "eddialog.h"
#include "prfdata.h"
#include "qms.h"
#include <cstdio>
#include <cstring>

enum {
    VK_TAB_ = 9, VK_PRIOR_ = 33, VK_NEXT_ = 34, VK_END_ = 35, VK_HOME_ = 36, VK_LEFT_ = 37,
    VK_UP_ = 38, VK_RIGHT_ = 39, VK_DOWN_ = 40, VK_INSERT_ = 45, VK_DELETE_ = 46, VK_F4_ = 115,
};

/* The display lines again after a change of the bytes. */
static void Rebuild(PCFDATA *ed)
{
    EdBuildLineData(ed, 1);
}

/* One unit deleted at the cursor (Delete) or before it (Backspace); when
 * that deletion asks for a second step (the other digit of a hex pair),
 * the field is located again and a second unit deleted: at the same
 * place (Delete; before it when the first was the field's last digit),
 * or one column further back (Backspace). */
static int DeleteUnit(PCFDATA *ed, int backward)
{
    EdFieldAt at;
    if (EdFindField(ed, &at, -1, -1, backward ? -1 : 0, 1, 0) < 0)
        return 0;
    int again = 0;
    int ok = EdDeleteChars(ed, &at, 1, backward ? -1 : 0, &again);
    ed->trackedChange--;
    if (!ok || !again)
        return ok;
    int32_t column = ed->cursor.column, line = ed->cursor.line;
    ok = EdFindField(ed, &at, column, line, backward ? -2 : 0, 1, 0) >= 0 &&
         EdDeleteChars(ed, &at, 1, backward ? -1 : 0, nullptr);
    if (!ok && !backward)
        ok = EdFindField(ed, &at, column, line, -1, 1, 0) >= 0 && EdDeleteChars(ed, &at, 1, -1, nullptr);
    ed->trackedChange--;
    return ok;
}

/* Delete (forward) and Backspace (backward): the selection, else a unit. */
static int DeleteKey(PCFDATA *ed, int backward)
{
    EdBeginUndoGroup(ed);
    int ok;
    if (EdHasSelection(ed))
        ok = EdDeleteSelection(ed->dialog, ed, 0);
    else
        ok = DeleteUnit(ed, backward);
    if (ok)
        ok = EdSyncPartnerTag(ed);
    EdEndUndoGroup(ed, ok);
    if (ok)
        Rebuild(ed);
    return ok;
}

int EdKeyDown(PCFDATA *ed, int key)
{
    if (key < 9 || key > 115)
        return 0;
    switch (key) {
    case VK_TAB_: case VK_PRIOR_: case VK_NEXT_: case VK_END_: case VK_HOME_: case VK_LEFT_:
    case VK_UP_: case VK_RIGHT_: case VK_DOWN_:
        ed->editFlags &= ~EF_HALF_BYTE;
        EdBeginUndoGroup(ed);
        EdMoveCursor(ed, 1, 0, key, -1, -1);
        EdEndUndoGroup(ed, 1);
        return 1;
    case VK_INSERT_:
        ed->insertMode ^= 1;
        ED_HOST(edHost, recreateCaret, ed);
        return 1;
    case VK_DELETE_:
        DeleteKey(ed, 0);
        return 1;
    case VK_F4_: {
        ed->listLine = ed->cursor.line;
        LINEDATA *l = EdGetLine(ed, ed->cursor.line);
        if (!l || !EdShowEnumList(ed)) {
            EdSetStatus(ed, "There are no enumerated values for this field");
            return 1;
        }
        ed->editFlags |= EF_ENUM_OPEN;
        ED_HOST(edChoice, show, ed, ed->cursor.line, l->valueColumn + l->valueLength, 1);
        return 1;
    }
    }
    return 0;
}

int EdTypeText(PCFDATA *ed, const char *text, uint32_t length)
{
    EdFieldAt at;
    if (EdFindField(ed, &at, -1, -1, 0, 1, 0) < 0) {
        EdSetErrorText(ed, "The cursor is not at an input field");
        return 0;
    }
    if (!EdInsertText(ed, &at, text, length, (int)ed->insertMode))
        return 0;
    ed->trackedChange += (int32_t)length;
    return 1;
}

/* Return: a line end (a record separator in CSV and FIX bodies). */
static int ReturnKey(PCFDATA *ed)
{
    DialogWords *d = ed->dialog;
    uint32_t insert = ed->insertMode;
    ed->insertMode = 1;
    EdBeginUndoGroup(ed);
    if (EdHasSelection(ed))
        EdDeleteSelection(d, ed, 0);
    int ok, separator = d && d->viewSwitches[0] && (d->bodyKind == BK_CSV || d->bodyKind == BK_FIX);
    if (separator) {
        ok = EdTypeText(ed, d->bodyKind == BK_CSV ? "," : "\x01", 1);
    } else {
        const char *end = ed->typing && ed->deferred ? "\r"
                          : EdLocation(d) && (EdLocation(d)->flags2 & LF2_CRLF) ? "\r\n" : "\n";
        ed->insertingLineEnd = 1;
        ok = EdTypeText(ed, end, (uint32_t)strlen(end));
        ed->insertingLineEnd = 0;
        if (ok)
            ok = EdSyncPartnerTag(ed);
    }
    ed->insertMode = insert;
    EdEndUndoGroup(ed, ok);
    if (ok)
        Rebuild(ed);
    return ok;
}

/* The typing aids: a bracket pair, quotes or an empty element, with the
 * cursor inside; *back is how many characters it goes back. */
static const char *TypingAid(PCFDATA *ed, int ch, int *back)
{
    DialogWords *d = ed->dialog;
    const LINEDATA *l = EdCachedLine(ed, ed->cursor.line);
    *back = 0;
    if (!d || !d->viewSwitches[1] || !l)
        return nullptr;
    if (l->bodyKind == BK_JSON) {
        *back = 1;
        if (ch == '{') return "{}";
        if (ch == '[') return "[]";
        if (ch == '"') return "\"\"";
    }
    if (ch == '<' && (Prf.po[3] & PO4_XML_ASSIST)) {
        int emptyString = ed->data.length == 0 && ed->descriptor.length >= 40 &&
                          memcmp(ed->descriptor.data + 32, "MQSTR   ", 8) == 0;
        if (emptyString || l->lineType == LK_TEXT || (l->lineFlags & LF_XML)) {
            *back = 4;
            return "<></>";
        }
    }
    *back = 0;
    return nullptr;
}

static int TypeChar(PCFDATA *ed, int ch)
{
    EdBeginUndoGroup(ed);
    if (EdHasSelection(ed))
        EdDeleteSelection(ed->dialog, ed, 0);
    char one[2] = { (char)ch, 0 };
    int back;
    const char *text = TypingAid(ed, ch, &back);
    if (!text)
        text = one;
    uint32_t n = (uint32_t)strlen(text);
    int ok = EdTypeText(ed, text, n) && EdSyncPartnerTag(ed);
    if (ok && n > 1)
        ed->cursor.digit -= 2 * (uint32_t)back;
    EdEndUndoGroup(ed, ok);
    if (ok)
        Rebuild(ed);
    return ok;
}

int EdCharProc(PCFDATA *ed, int ch)
{
    DialogWords *d = ed->dialog;
    int ctrl = ED_HOST(edHost, keyDown, ED_KEY_CONTROL);
    if (ch != 8)
        ed->editFlags &= ~EF_HALF_BYTE;
    switch (ch) {
    case 1:
        if (EdSelectAll(d))
            Rebuild(ed);
        return 1;
    case 3:
        EdCopy(d, 0);
        return 0;
    case 8:
        DeleteKey(ed, 1);
        return 1;
    case 9: case 10: case 27:
        return 0;
    case 13:
        ReturnKey(ed);
        return 1;
    case 22:
        if (ED_HOST(edHost, keyDown, ED_KEY_SHIFT) ? EdPasteAll(d) : EdPaste(d)) {
            Rebuild(ed);
            return 1;
        }
        return 0;
    case 24:
        if (EdCut(d))
            Rebuild(ed);
        return 1;
    case 25:
        EdRedo(ed);
        return 1;
    case 26:
        EdUndo(ed, 0);
        return 1;
    }
    if (ctrl) {
        if (ch == 'y' || ch == 'Y')
            return EdRedo(ed), 1;
        if (ch == 'z' || ch == 'Z')
            return EdUndo(ed, 0), 1;
        return 0;
    }
    if (ch < 32)
        return 0;
    TypeChar(ed, ch);
    return 1;
}

void EdSetPending(PCFDATA *ed, int on)
{
    on = on != 0;
    if ((int)ed->typing == on)
        return;
    ed->typing = (uint32_t)on;
    if (!on)
        ed->deferred = 0;
    if (ed->editFlags & (EF_UNDOING | EF_REDOING))
        return;
    if (!on)
        ed->cursor.overflow = 0;
    EdAddTypingRecord(ed, on ? 9 : 10);
}

int EdSetFieldInt(PCFDATA *ed, LINEDATA *line, const FmtFieldDef *field, unsigned char *address,
                  uint32_t encoding, int64_t value, int ebcdic)
{
    unsigned char bytes[100];
    uint32_t n = 0;
    CSDATA *b = line->buffer;
    if (!b || address < b->data || address > b->data + b->length)
        return 0;
    uint32_t at = (uint32_t)(address - b->data);
    switch (field->type) {
    case FT_INT: case 5: case FT_ENCODING: case FT_FLAGS: case FT_REC_OFFSET: case FT_POINTER:
    case FT_INT_NORMAL: case FT_INTH: case FT_UINT: case FT_UINTH:
        n = 4; break;
    case FT_BYTE: case FT_FLAGS8: case FT_INT8: case FT_INT8H: case FT_UINT8: case FT_UINT8H:
        n = 1; break;
    case FT_SHORT: case FT_FLAGS16: case FT_SHORTH: case FT_USHORT: case FT_USHORTH:
        n = 2; break;
    case FT_INT64H: case FT_INT64: case FT_UINT64: case FT_UINT64H:
        n = 8; break;
    case FT_PACKED: case FT_UPACKED: case FT_ZONED: {
        char text[32];
        snprintf(text, sizeof text, "%lld", (long long)value);
        n = field->type == FT_ZONED ? FapParseZoned(field, text, (uint32_t)strlen(text), ebcdic, bytes)
                                    : FapParseDecimal(field, text, (uint32_t)strlen(text), ebcdic, bytes);
        if (!n)
            return 0;
        return EdReplaceBytes(ed, b, at, bytes, n);
    }
    default:
        return 0;
    }
    EdPutInt(bytes, n, (uint64_t)value, field->type == FT_INT_NORMAL ? 1 : encoding);
    return EdReplaceBytes(ed, b, at, bytes, n);
}
