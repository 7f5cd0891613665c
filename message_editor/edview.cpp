/* View commands of a message dialog: the two message-view words and the
 * body kind with their check marks and tool bar buttons, the display
 * copy as text, the line-number gutter, the question before edited bytes
 * are dropped, and the debug captions. */
#include "edpane.h"
#include "eddialog.h"
#include "command.h"
#include "csmem.h"
#include "cstext.h"
#include "prfdata.h"
#include "cscodepage.h"
#include "mq/mqown.h"
#include <cstddef>
#include <cstdio>
#include <cstring>

/* ---- the message-view words ---- */

enum { WORD_FIRST, WORD_SECOND, WORD_LEVEL };

static const struct ViewRow {
    int id;
    int word;                   /* WORD_* */
    uint32_t bit;               /* toggled; for WORD_LEVEL the level */
    int inverted;               /* the check mark shows the bit clear */
} viewRows[] = {
    { 570, WORD_LEVEL, 1, 0 }, { 571, WORD_LEVEL, 2, 0 }, { 572, WORD_LEVEL, 3, 0 },
    { 573, WORD_FIRST, VW_SHOW_MD, 0 }, { 609, WORD_FIRST, LR_OFFSET_PREFIX, 0 },
    { 640, WORD_FIRST, LR_HEX_CHARLINE, 0 }, { 673, WORD_FIRST, LR_XML_DETECT, 0 },
    { 674, WORD_FIRST, LR_XML_NAMES, 0 }, { 737, WORD_FIRST, LR_DUMP_NO_CHARS, 1 },
    { 775, WORD_SECOND, LO_NO_SPLIT, 0 }, { 936, WORD_SECOND, LO_DECODE_ENTITIES, 0 },
    { 568, WORD_FIRST, VW_RAW_BYTES, 0 }, { 569, WORD_FIRST, VW_FORMATTED, 0 },
};
static const int viewButtons[] = { 568, 569, 573, 609, 640, 570, 571, 572 };

static const struct ModeRow { int id; uint32_t kind; } modeRows[] = {
    { 922, BK_AUTO }, { 925, BK_CSV }, { 924, BK_FIX }, { 923, BK_JSON }, { 928, BK_TEXT },
    { 929, BK_XML }, { 930, BK_EDIFACT },
};

static int RowChecked(const ViewRow &r, const uint32_t w[2])
{
    if (r.word == WORD_LEVEL)
        return (w[0] & 0xFF) == r.bit;
    int on = (w[r.word] & r.bit) != 0;
    return r.inverted ? !on : on;
}

void EdShowViewState(DialogWords *d)
{
    for (const ViewRow &r : viewRows)
        ED_HOST(edHost, checkItem, d, r.id, RowChecked(r, d->viewWords));
    for (int id : viewButtons)
        for (const ViewRow &r : viewRows)
            if (r.id == id)
                ED_HOST(edHost, pressButton, d, id, RowChecked(r, d->viewWords));
    for (const ModeRow &m : modeRows)
        if (m.id != 928)                /* text has no check mark */
            ED_HOST(edHost, checkItem, d, m.id, d->bodyKind == m.kind);
    ED_HOST(edHost, checkItem, d, 926, d->viewSwitches[0] != 0);
    ED_HOST(edHost, checkItem, d, 927, d->viewSwitches[1] != 0);
}

/* The program-wide words that dialogs opened later copy. */
static void StoreDefaults(const uint32_t w[2])
{
    Prf.msgFormat = (int32_t)(w[0] & 0xFF);
    Prf.msgFlags = w[0] & ~0xFFu;
    Prf.msgFlags2 = w[1];
}

void ToggleViewOption(DialogWords *d, uint32_t *first, uint32_t *second, int menuId)
{
    PCFDATA *ed = d->editor;
    switch (menuId) {
    case 568: case 569:
        *first |= (uint32_t)(menuId == 568 ? VW_RAW_BYTES : VW_FORMATTED) | (uint32_t)LR_HEX_GROUP_BLANK;
        *first &= ~(menuId == 568 ? VW_FORMATTED : VW_RAW_BYTES);
        if (ed) {
            ed->flush = 1;
            ed->cursor.field = nullptr;
            ed->cursor.lineType = 0;
        }
        break;
    case 0:
        break;
    default:
        for (const ViewRow &r : viewRows) {
            if (r.id != menuId)
                continue;
            if (r.word == WORD_LEVEL)
                *first = (*first & ~0xFFu) | r.bit;
            else
                (r.word == WORD_FIRST ? *first : *second) ^= r.bit;
        }
        break;
    }
    if (menuId) {
        uint32_t w[2] = { *first, *second };
        StoreDefaults(w);
    }
    EdShowViewState(d);
}

void SetViewModeOption(DialogWords *d, int menuId)
{
    for (const ModeRow &m : modeRows)
        if (m.id == menuId)
            d->bodyKind = m.kind;
    if (menuId == 926 || menuId == 927)
        d->viewSwitches[menuId - 926] ^= 1;
    EdShowViewState(d);
}

/* ---- the line-number gutter ---- */

void SetLineNumberWidth(PCFDATA *ed)
{
    if (!ed->dialog || !(ed->dialog->viewOptions & DV_LINE_NUMBERS)) {
        ed->gutterWidth = 0;
        return;
    }
    uint32_t digits = 1;
    for (int32_t n = ed->scroll.lineCount; n >= 10; n /= 10)
        digits++;
    ed->gutterWidth = digits + 2;
}

/* ---- the discard check ---- */

static int SameAsSaved(const CSDATA *edited, const void *saved)
{
    uint32_t length = 0;
    if (saved)
        memcpy(&length, (const char *)saved + 4, 4);
    if (length != edited->length)
        return 0;
    return length == 0 || memcmp(edited->data, (const char *)saved + 8, length) == 0;
}

/* The data as the discard check sees it: a deferred saved copy is the
 * data itself, unchanged since the load. */
static int DataAsSaved(const PCFDATA *ed)
{
    if (ed->savedDataDeferred && !ed->savedData)
        return 1;
    return SameAsSaved(&ed->data, ed->savedData);
}

int EdKeepSavedData(PCFDATA *ed)
{
    if (!ed->savedDataDeferred)
        return 1;
    if (!ed->savedData && !MessageCopyBuffer(&ed->savedData, ed->data.data, ed->data.length))
        return 0;
    ed->savedDataDeferred = 0;
    return 1;
}

int EdUnsaved(const PCFDATA *ed)
{
    int noMessage = !ed->descriptor.length && !ed->data.length && !ed->savedDescriptor && !ed->savedData;
    return !noMessage && !(DataAsSaved(ed) && SameAsSaved(&ed->descriptor, ed->savedDescriptor));
}

int ConfirmDiscardEdits(DialogWords *d)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed || !EdUnsaved(ed))
        return 0;
    int agreed = ED_HOST(edHost, confirm, d,
                         "!The edited message has not been saved. If you continue all updates "
                         "will be lost.\n\nAre you sure you want to continue?",
                         &Prf.co, 256);
    return agreed ? 0 : 1;
}

void EdNoteSent(PCFDATA *ed)
{
    EdKeepSavedData(ed);                /* the engine reads the copies beside the bytes */
    MessageCopyBuffer(&ed->sentDescriptor, ed->descriptor.data, ed->descriptor.length);
    MessageCopyBuffer(&ed->sentData, ed->data.data, ed->data.length);
}

/* A copy block's bytes into another slot. */
static void CopyBlock(void **to, const void *from)
{
    uint32_t length = 0;
    memcpy(&length, (const char *)from + 4, 4);
    MessageCopyBuffer(to, (const char *)from + 8, length);
}

/* The end of a command on the pane's dialog (sent at once, ahead of the
 * reply's status text): an Update or Add is noted, to be settled when the
 * dialog's update that follows the status arrives. */
void EdCommandDone(DialogWords *d, uint32_t command)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (ed && (command == MYCMD_UPDATE_MSG || command == MYCMD_ADD_MSG))
        ed->endedCommand = command;
}

/* After an Update the queue holds the message put in place of the one
 * read.  The Update's reply has named it by its token in the dialog; the
 * window names it as well by the id it was put with, all 24 bytes (an id
 * of zeros is left to the queue manager: none).  A window that holds no
 * token keeps no id either: a further Update is refused rather than
 * given the first message that carries the id, which may be another. */
static void FollowUpdated(DialogWords *d, const void *sentMd)
{
    uint32_t length = 0;
    memcpy(&length, (const char *)sentMd + 4, 4);
    if (!d->definition || !d->dataArea || length < offsetof(MQMD, MsgId) + MQ_MSG_ID_LENGTH)
        return;
    const uint8_t *msgId = (const uint8_t *)sentMd + 8 + offsetof(MQMD, MsgId);
    PCFFieldEntry *token = PCFFindField(nullptr, nullptr, d->definition->fields, MYPCFA_MSG_TOKEN);
    PCFFieldEntry *id = PCFFindField(nullptr, nullptr, d->definition->fields, MYPCFA_MSGID);
    CSLockGlobal(CSLOCK_DIALOGS);
    int named = token && PCFStoresValue(token) && (PCFState(d->dataArea + token->offset) & PCFS_SPECIFIED);
    if (id && PCFStoresValue(id)) {
        uint8_t *r = d->dataArea + id->offset;
        int given = named && UTTrimZeroLength(msgId, MQ_MSG_ID_LENGTH) != 0;
        PCFSetRecBytes(r, id->field, msgId, MQ_MSG_ID_LENGTH);
        PCFSetState(r, (uint16_t)((PCFState(r) & ~7u) | (given ? PCFS_RECEIVED | PCFS_SPECIFIED : 0)));
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

/* An Update or Add that ended without an error in the status line has put
 * the message as its request took it, which from then on is the message
 * as saved (whatever the reply carried); edits made since stay unsaved. */
void EdSettleCommand(DialogWords *d)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed || !ed->endedCommand)
        return;
    uint32_t command = ed->endedCommand;
    ed->endedCommand = 0;
    if ((d->shownStatus & 4) || !ed->sentDescriptor || !ed->sentData)
        return;
    CopyBlock(&ed->savedDescriptor, ed->sentDescriptor);
    CopyBlock(&ed->savedData, ed->sentData);
    if (command == MYCMD_UPDATE_MSG)
        FollowUpdated(d, ed->sentDescriptor);
}

/* ---- the display copy ---- */

static EdCopyRange *copyRun;    /* the run in progress (interface thread only) */

/* The piece of a line in the range. */
static void Piece(const EdCopyRange *c, int32_t line, uint32_t length, uint32_t *from, uint32_t *to)
{
    *from = 0;
    *to = length;
    if (line == c->last && c->endColumn >= 0 && (uint32_t)c->endColumn < *to)
        *to = (uint32_t)c->endColumn;
    if (line == c->first && c->startColumn > 0)
        *from = (uint32_t)c->startColumn < *to ? (uint32_t)c->startColumn : *to;
}

/* The clipboard's form of a piece: a character field's bytes in the
 * keyboard's code page, every other byte that is not printable a dot. */
static void ClipboardPiece(const FmtLineRec *lr, const char *text, uint32_t length, uint32_t from,
                           uint32_t to, char *out)
{
    EdLayout lay;
    EdLineLayout(lr, text, length, &lay);
    uint32_t vc = (uint32_t)lay.valueColumn, ve = vc + (uint32_t)lay.valueLength;
    memcpy(out, text + from, to - from);
    if (lay.lineType && lay.rawValue && EdIsCharType(lay.lineType)) {
        uint32_t a = from > vc ? from : vc, b = to < ve ? to : ve;
        if (a < b) {
            uint32_t keyboard = Prf.keyboardCodepage > 0 ? (uint32_t)Prf.keyboardCodepage : 850;
            CSConvertCodepage((unsigned char *)out + (a - from), (int)(b - a), (int)lay.ccsid, (int)keyboard,
                              ".", nullptr);
        }
    }
    for (uint32_t i = 0; i < to - from; i++) {
        unsigned char c = (unsigned char)out[i];
        if (c < 0x20 || c == 0x7F)
            out[i] = '.';
    }
}

static uint32_t CopySink(uint64_t context, FmtLineRec *lr, char *text, uint32_t length)
{
    PCFDATA *ed = (PCFDATA *)(uintptr_t)context;
    EdCopyRange *c = copyRun;
    int32_t line = ed->runLine++;
    if (line >= c->first) {
        uint32_t from, to;
        Piece(c, line, length, &from, &to);
        if (c->out) {
            if (c->clipboard)
                ClipboardPiece(lr, text, length, from, to, c->out + c->size);
            else
                memcpy(c->out + c->size, text + from, to - from);
            memcpy(c->out + c->size + (to - from), "\r\n", 2);
        }
        c->size += to - from + 2;
    }
    return line >= c->last ? FMT_STOP : line + 1 == c->first ? FMT_BUILD_TEXT : FMT_GO_ON;
}

void EdRunCopy(PCFDATA *ed, EdCopyRange *c)
{
    c->size = 0;
    ed->runFirst = c->first;
    copyRun = c;
    EdRegisterPaneSink(CopySink);
    if (ed->format)
        ed->format(CopySink, ed);
    else
        EdFormatMessage(CopySink, ed);
    copyRun = nullptr;
}

char *EdViewCopyText(DialogWords *d, int menuId, uint32_t *size, int ask)
{
    *size = 0;
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed)
        return nullptr;
    EdCopyRange c = { 0, 0, -1, -1, 0, nullptr, 0 };
    if (menuId == 670) {
        c.first = ed->scroll.top;
        c.last = ed->scroll.top + (ed->scroll.visible ? ed->scroll.visible : 1) - 1;
    } else if (menuId == 692) {
        c.last = 9999999;
    } else {
        if (!EdHasSelection(ed))
            return nullptr;
        const EdPosition *s, *e;
        EdSelectionEnds(ed, &s, &e);
        c.first = s->line;
        c.last = e->line;
        c.startColumn = s->column;
        c.endColumn = e->column;
    }
    EdRunCopy(ed, &c);
    uint64_t total = c.size;
    if (total >= 51200 && ask) {
        char question[160];
        snprintf(question, sizeof question,
                 "!The data is quite large, are you sure you want to copy all %llu bytes to the clipboard ?",
                 (unsigned long long)total);
        if (!ED_HOST(edHost, confirm, d, question, nullptr, 0))
            return nullptr;
    }
    if (total + 50 > 0x7FFFFFFF)
        return nullptr;
    char *text = (char *)CSGetMem((size_t)total + 50, "CLIP");
    if (!text) {
        *size = (uint32_t)total;        /* the caller reports the allocation */
        return nullptr;
    }
    c.out = text;
    EdRunCopy(ed, &c);
    if (c.size > total)
        c.size = total;                 /* the message cannot change between the runs */
    text[c.size] = 0;
    *size = (uint32_t)c.size + 1;
    return text;
}

/* ---- debug captions ---- */

void EdDebugStateText(PCFDATA *ed, char *out, size_t size)
{
    LINEDATA *l = EdCachedLine(ed, ed->cursor.line);
    if (!l) {
        snprintf(out, size, "Beyond array");
        return;
    }
    const EdPosition *c = &ed->cursor, *a = &ed->anchor;
    int n = snprintf(out, size,
                     " Scr(%d,%d,%d) Ft(%d) C(%d,%d,%d) CF(%s,%d,%d) L(%hd,%hd,%d,%d) S(%d,%d,%d,%p) U(%d,%d)",
                     ed->scroll.top, ed->scroll.lineCount, ed->scroll.visible, l->lineType, c->column,
                     c->line, (int)c->digit, c->field ? c->field->name : "", (int)c->fieldOffset,
                     (int)c->valueColumn, (short)l->textLength, (short)l->valueColumn, (int)l->lineOffset,
                     (int)l->fieldLength, a->column, a->line, (int)a->digit, (void *)a->buffer, 0, 0);
    if (n < 0 || (size_t)n >= size)
        return;
    if (l->lineType)
        n += snprintf(out + n, size - (size_t)n, "T(%hd) Fl(%d)", (short)l->lineType, (int)l->lineFlags);
    if (ed->typing && n >= 0 && (size_t)n < size)
        snprintf(out + n, size - (size_t)n, "Cf(%s)Ca(%d)",
                 ed->typed.data ? (const char *)ed->typed.data : "", ed->cursor.overflow);
}

void EdDebugState(PCFDATA *ed)
{
    if (!edDebugSwitch)
        return;
    char text[512];
    EdDebugStateText(ed, text, sizeof text);
    ED_HOST(edHost, caption, ed, text);
}
