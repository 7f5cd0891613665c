/* Find and Replace: the search runs the formatter over the whole message
 * with a sink that tries every position of every line (titles by their
 * text, values against the message bytes in the field's code page, hex
 * fields digit by digit), records the match after the cursor (or the
 * last before it, searching backwards), and the replacement is typed in
 * over the selected match.  Replace All is one undo group; matches are
 * counted from the message's start so that a replacement holding the
 * find text is never replaced again. */
#include "edfind.h"
#include "edint.h"
#include "eddialog.h"
#include "cstext.h"
#include "csmem.h"
#include <cctype>
#include <cstdio>
#include <cstring>

enum { F_TYPED, F_CONVERTED, R_TYPED, R_KEPT };
enum : uint32_t { CASE_KEPT = 0x10000, UNCONVERTED = 0xFFFFFFFFu };

static const char notFound[] = "String not found";
static const char enterFind[] = "Please enter a find string";

CSLIST frFindHistory, frReplaceHistory;

EdFindHost edFind;                     /* the find dialog fills it */

/* ---- strings and histories ---- */

FRText *FRNewText(const char *text, uint32_t length, uint32_t ccsid)
{
    FRText *t = (FRText *)CSGetMem(sizeof *t + length, "FR");
    if (!t)
        return nullptr;
    memset(t, 0, sizeof *t);
    memcpy(t->text, text, length);
    t->text[length] = 0;
    t->length = length;
    t->ccsid = ccsid;
    t->hexDigits = (uint32_t)UTCountHexDigits(text, (int)length);
    return t;
}

static int SameText(const FRText *a, const FRText *b)
{
    return a->ccsid == b->ccsid && a->length == b->length && memcmp(a->text, b->text, a->length) == 0;
}

/* The lists keep the newest entry last. */
const FRText *FRNewest(const CSLIST *history) { return (const FRText *)history->last; }

void FRAddHistory(CSLIST *history, FRText *entry)
{
    if (!entry)
        return;
    const FRText *newest = FRNewest(history);
    if (newest && SameText(newest, entry)) {
        CSFreeMem(entry);
        return;
    }
    for (CSLISTELEM *e = history->first; e; e = e->next)
        if (SameText((FRText *)e, entry)) {
            CSListRemove(e);
            break;
        }
    if (history->count >= FR_HISTORY_MOST)
        CSListRemove(history->first);
    CSListAdd(history, "FR", CSLIST_LINK, entry, sizeof *entry + entry->length);
}

void FRFreeHistories(void)
{
    CSListFree(&frFindHistory, nullptr, nullptr);
    CSListFree(&frReplaceHistory, nullptr, nullptr);
}

void FRStatus(DialogWords *d, const char *text)
{
    ED_HOST(edFind, status, d, text);
    if (d)
        ED_HOST(edHost, status, d, text, 1);
}

static uint32_t Options(const DialogWords *d) { return d ? d->displayFlags : 0; }
static PCFDATA *EditorOf(DialogWords *d) { return d ? d->editor : nullptr; }

/* A copy of a text in another code page, upper-cased unless case counts. */
static void Prepare(PCFDATA *ed, int slot, int from, uint32_t ccsid, uint32_t caseFlag)
{
    FRText *typed = ed->find[from], *have = ed->find[slot];
    if (!typed)
        return;
    if (have && have->ccsid == ccsid && have->caseFlag == caseFlag)
        return;
    FRText *t = FRNewText(typed->text, typed->length, ccsid);
    if (!t)
        return;
    t->caseFlag = caseFlag;
    if (!caseFlag)
        for (uint32_t i = 0; i < t->length; i++)
            t->text[i] = (char)toupper((unsigned char)t->text[i]);
    if (typed->ccsid != ccsid)
        CSConvertCodepage((unsigned char *)t->text, (int)t->length, (int)typed->ccsid, (int)ccsid, nullptr, nullptr);
    CSFreeMemAndClear(&ed->find[slot]);
    ed->find[slot] = t;
}

void FindSetSearch(PCFDATA *ed, uint32_t ccsid)
{
    Prepare(ed, F_CONVERTED, F_TYPED, ccsid, (Options(ed->dialog) & FO_MATCH_CASE) ? CASE_KEPT : 0);
}

void FindSetReplace(PCFDATA *ed, uint32_t ccsid)
{
    Prepare(ed, R_KEPT, R_TYPED, ccsid, CASE_KEPT);
}

/* A pane string renewed from the newest history entry when it differs. */
static int Renew(PCFDATA *ed, int typed, int other, const CSLIST *history)
{
    const FRText *newest = FRNewest(history);
    if (ed->find[typed] && SameText(ed->find[typed], newest))
        return 1;
    FRText *t = FRNewText(newest->text, newest->length, EdKeyboardCcsid());
    if (!t)
        return 0;
    CSFreeMemAndClear(&ed->find[typed]);
    CSFreeMemAndClear(&ed->find[other]);
    ed->find[typed] = t;
    return 1;
}

int FRValidate(DialogWords *d, int id)
{
    PCFDATA *ed = EditorOf(d);
    if (!ed)
        return 0;
    ed->findState.changed = 0;
    char find[256], replace[256];
    find[0] = replace[0] = 0;
    int texts = ED_HOST(edFind, texts, d, find, sizeof find, replace, sizeof replace);
    if (!texts)
        return 0;
    uint32_t keyboard = EdKeyboardCcsid();
    if (find[0])
        if (FRText *t = FRNewText(find, (uint32_t)strlen(find), keyboard))
            FRAddHistory(&frFindHistory, t);
    /* an empty replacement is one too: the occurrences are deleted */
    if (id != FR_FIND && texts == 2)
        if (FRText *t = FRNewText(replace, (uint32_t)strlen(replace), keyboard))
            FRAddHistory(&frReplaceHistory, t);
    if (!find[0] || !FRNewest(&frFindHistory)) {
        FRStatus(d, enterFind);
        return 0;
    }
    const FRText *was = ed->find[F_TYPED];
    int renewed = !was || !SameText(was, FRNewest(&frFindHistory));
    if (!Renew(ed, F_TYPED, F_CONVERTED, &frFindHistory)) {
        FRStatus(d, "No storage available");
        return 0;
    }
    if (renewed)
        ed->findState.replaced = 0;
    FindSetSearch(ed, keyboard);
    if (id == FR_FIND)
        return 1;
    if (!FRNewest(&frReplaceHistory)) {
        FRStatus(d, "Please enter a replace string");
        return 0;
    }
    const FRText *newest = FRNewest(&frReplaceHistory);
    if (SameText(ed->find[F_TYPED], newest)) {
        FRStatus(d, "The Find and Replace text are the same");
        return 0;
    }
    ed->findState.expectedStep = 0;
    if (id == FR_REPLACE_ALL) {
        const FRText *f = ed->find[F_TYPED];
        ed->findState.expectedStep = (uint32_t)((Options(d) & FO_MATCH_CASE)
                                                    ? UTMemCount(newest->text, (int)newest->length, f->text, (int)f->length)
                                                    : UTMemCountNoCase(newest->text, (int)newest->length, f->text,
                                                                       (int)f->length));
    }
    if (!Renew(ed, R_TYPED, R_KEPT, &frReplaceHistory)) {
        FRStatus(d, "No storage available");
        return 0;
    }
    FindSetReplace(ed, keyboard);
    return 1;
}

/* ---- matching at a position ---- */

static int UpperEq(unsigned char a, unsigned char b, int ebcdic)
{
    if (ebcdic) {
        auto up = [](unsigned char c) -> unsigned char {
            return (c >= 0x81 && c <= 0x89) || (c >= 0x91 && c <= 0x99) || (c >= 0xA2 && c <= 0xA9) ? c + 0x40 : c;
        };
        return up(a) == up(b);
    }
    return toupper(a) == toupper(b);
}

/* The find string equals the bytes (case as the options say). */
static int SameBytes(const char *find, uint32_t n, const unsigned char *data, int matchCase, int ebcdic)
{
    if (matchCase)
        return memcmp(find, data, n) == 0;
    if (ebcdic)
        return UTEbcdicCompareNoCase((const unsigned char *)find, data, (int)n) == 0;
    for (uint32_t i = 0; i < n; i++)
        if (!UpperEq((unsigned char)find[i], data[i], 0))
            return 0;
    return 1;
}

int EdMatchAtPos(PCFDATA *ed, const LINEDATA *l, int32_t column)
{
    const FRText *typed = ed->find[F_TYPED];
    int matchCase = (Options(ed->dialog) & FO_MATCH_CASE) != 0;
    int32_t k = column - l->valueColumn;
    if (!typed || !typed->length || !l->lineType || k < 0 || k >= l->valueLength || !l->buffer)
        return 0;
    const CSDATA *b = l->buffer;
    uint32_t cls = l->displayClass & DC_CLASSES;
    if (EdKindOf(l) == EK_VALUE) {
        if (column + (int32_t)typed->length > l->valueColumn + l->valueLength || !l->text)
            return 0;
        return SameBytes(typed->text, typed->length, (const unsigned char *)l->text + column, matchCase, 0);
    }
    if (cls == DC_HEX || cls == DC_HEX_FROM_LINE || cls == DC_HEX_GROUPED) {
        if (!typed->hexDigits || (cls == DC_HEX_GROUPED && k % 9 == 8))
            return 0;
        uint32_t digit = 2 * l->lineOffset + (uint32_t)(cls == DC_HEX_GROUPED ? k - k / 9 : k);
        if (digit + (uint64_t)typed->hexDigits > 2ull * b->length)
            return 0;
        return UTHexMatch(b->data, (int)digit, typed->text, (int)typed->length);
    }
    FindSetSearch(ed, l->dataCcsid);
    const FRText *f = ed->find[F_CONVERTED];
    if (!f)
        return 0;
    uint32_t at;
    if (cls == DC_HEX_DUMP || cls == DC_CHARS_GROUPED) {
        if (cls == DC_CHARS_GROUPED)
            k -= k / 9;                 /* the blanks between groups */
        if (k & 1)
            return 0;
        at = l->lineOffset + (uint32_t)k / 2;
    } else {
        at = l->lineOffset + (uint32_t)k;
    }
    uint64_t end = b->length;
    if (l->field && l->fieldLength && l->fieldLength != 0xFFFFFFFF && l->fieldOffset + (uint64_t)l->fieldLength < end)
        end = l->fieldOffset + (uint64_t)l->fieldLength;
    if (at + (uint64_t)f->length > end)
        return 0;
    return SameBytes(f->text, f->length, b->data + at, matchCase, CSIsEbcdicCcsid((int)l->dataCcsid));
}

/* Gives a position its line and column on the lines of its field from
 * a line on (a match may run on over the lines below). */
static void PlaceFrom(PCFDATA *ed, int32_t line, const LINEDATA *first, EdPosition *pos)
{
    for (int32_t i = line; i < ed->scroll.lineCount && i < line + 10000; i++) {
        const LINEDATA *l = EdCachedLine(ed, i);
        if (!l || l->buffer != first->buffer || l->fieldOffset != first->fieldOffset || l->lineType != first->lineType)
            break;
        uint32_t from = 2 * l->lineOffset, to = 2 * (l->lineOffset + l->dataLength);
        if (pos->digit < from || pos->digit > to)
            continue;
        pos->line = i;
        pos->column = l->valueColumn + EdDigitColumn(l->lineType, pos->digit - from, l->valueLength, 0);
        pos->placed = 1;
        return;
    }
}

int FRSelectMatch(PCFDATA *ed, const LINEDATA *l)
{
    const FRText *typed = ed->find[F_TYPED];
    int32_t k = ed->cursor.column - l->valueColumn;
    if (k < 0 || !typed)
        return 0;
    uint32_t F = typed->length, X = typed->hexDigits, L = l->lineOffset;
    uint32_t cls = l->displayClass & DC_CLASSES;
    EdPosition *c = &ed->cursor, *a = &ed->anchor;
    c->buffer = l->buffer;
    *a = *c;
    a->placed = c->placed = 0;
    if (EdKindOf(l) == EK_VALUE) {
        c->digit = a->digit = 2 * L;
        c->valueColumn = (uint8_t)k;
        a->valueColumn = (uint8_t)(k + (int32_t)F);
        a->column = c->column + (int32_t)F;
        return 1;
    }
    uint32_t from, to;
    switch (cls) {
    case DC_HEX: case DC_HEX_FROM_LINE: from = 2 * L + (uint32_t)k; to = from + X; break;
    case DC_HEX_GROUPED: from = 2 * L + (uint32_t)(k - k / 9); to = from + X; break;
    case DC_HEX_DUMP: from = 2 * (L + (uint32_t)k / 2); to = from + 2 * F; break;
    case DC_CHARS_GROUPED: from = 2 * (L + (uint32_t)(k - k / 9) / 2); to = from + 2 * F; break;
    case 0:
        if (EdKindOf(l) != EK_CHAR)
            return 0;
        from = 2 * (L + (uint32_t)k);
        to = from + 2 * F;
        break;
    default:
        return 0;
    }
    c->digit = from;
    a->digit = to;
    c->placed = 1;
    PlaceFrom(ed, c->line, l, a);
    return 1;
}

/* ---- the search run ---- */

struct SearchRun {
    PCFDATA *ed;
    int backward, matchCase, dataOnly;
    int32_t startLine, startColumn;
    int32_t skipBefore;                 /* Replace All: lines passed over */
    int recorded;
    int32_t line, column;
    int stopping;
};
static SearchRun *search;               /* the run in progress (interface thread only) */

static int Before(int32_t l1, int32_t c1, int32_t l2, int32_t c2) { return l1 < l2 || (l1 == l2 && c1 < c2); }

/* A confirmed match: forward the first after the start ends the run. */
static int Record(SearchRun *s, const LINEDATA *l, int32_t line, int32_t column)
{
    PCFDATA *ed = s->ed;
    EdFindState *f = &ed->findState;
    if (f->expectedStep) {
        f->ordinal++;
        if (f->ordinal != f->expected)
            return 0;
    }
    /* Replace All goes from the start to the end once: a match behind
     * the last replacement is never taken again (a number that shows the
     * same text after its replacement would be replaced for ever); one
     * that begins where the last replacement ended (the cursor) is the
     * next original occurrence */
    int after = Before(s->startLine, s->startColumn, line, column) ||
                (f->replacingAll && line == s->startLine && column == s->startColumn);
    if (!s->backward && !after && (s->recorded || ed->findState.replacingAll))
        return 0;
    if (s->backward && !Before(line, column, s->startLine, s->startColumn))
        f->wrapped = 1;
    s->recorded = 1;
    s->line = line;
    s->column = column;
    ed->foundLine = *l;
    ed->foundLine.text = nullptr;
    f->inField = column >= l->valueColumn && column < l->valueColumn + l->valueLength && l->lineType;
    if (f->expectedStep)
        f->expected += f->expectedStep;
    return !s->backward && after;
}

uint32_t FindSearchSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t length)
{
    PCFDATA *ed = (PCFDATA *)(uintptr_t)context;
    SearchRun *s = search;
    int32_t line = ed->runLine++;
    if (!s)
        return FMT_STOP;
    if (line + 1 < s->skipBefore)
        return line + 2 == s->skipBefore ? FMT_BUILD_TEXT : FMT_COUNT_ONLY;
    if (s->backward && s->recorded && !ed->findState.wrapped && line >= s->startLine)
        return FMT_STOP;
    EdFindState *f = &ed->findState;
    if (f->replacingAll && ed->noRedraw && line > f->lastLine && f->progressStep && ++f->progress >= f->progressStep) {
        f->progress = 0;
        if (ed->dialog)
            ED_HOST(edFind, progress, ed->dialog);
    }
    LINEDATA l;
    EdStoreLine(ed, lr, &l, text, length, 0);
    l.text = text;
    l.textLength = (uint16_t)(length > 0xFFFF ? 0xFFFF : length);
    const FRText *typed = ed->find[F_TYPED];
    if (!typed || !typed->length || (s->dataOnly && (!l.lineType || (l.lineFlags & LF_GROUP_END))))
        return FMT_GO_ON;
    int32_t first = s->dataOnly ? l.valueColumn : 0;
    int32_t last = s->dataOnly ? l.valueColumn + l.valueLength : (int32_t)length;
    for (int32_t k = first; k < last && k < (int32_t)length; k++) {
        int inValue = l.lineType && k >= l.valueColumn && k < l.valueColumn + l.valueLength;
        int match = 0;
        if (inValue)
            match = EdMatchAtPos(ed, &l, k);
        if (!match && !s->dataOnly && k + typed->length <= length &&
            !inValue && SameBytes(typed->text, typed->length, (const unsigned char *)text + k, s->matchCase, 0))
            match = 1;
        if (match && Record(s, &l, line, k))
            return FMT_STOP;
    }
    return FMT_GO_ON;
}

/* Runs the search from the cursor; 1 when a match was recorded. */
static int Search(PCFDATA *ed, int backward, int dataOnly)
{
    SearchRun s = {};
    s.ed = ed;
    s.backward = backward;
    s.matchCase = (Options(ed->dialog) & FO_MATCH_CASE) != 0;
    s.dataOnly = dataOnly;
    s.startLine = ed->cursor.line;
    s.startColumn = ed->cursor.column;
    EdFindState *f = &ed->findState;
    if (f->replacingAll && !f->expectedStep && f->lastLine > 200)
        s.skipBefore = f->lastLine - 200;
    f->wrapped = 0;
    f->ordinal = 0;
    f->matched = 0;
    search = &s;
    EdRegisterPaneSink(FindSearchSink);
    ed->runFirst = 0;
    EdFormatMessage(FindSearchSink, ed);
    search = nullptr;
    if (!s.recorded)
        return 0;
    f->matched = 1;
    ed->found.line = s.line;
    ed->found.column = s.column;
    if (!backward && !Before(s.startLine, s.startColumn, s.line, s.column))
        f->wrapped = 1;
    /* either way, coming back to the start means the text occurs once */
    if (f->wrapped && s.line == s.startLine && s.column == s.startColumn)
        f->wrapped = 2;
    return 1;
}

/* The cursor on the recorded match with the match selected after it. */
static void SelectFound(PCFDATA *ed)
{
    const LINEDATA *l = &ed->foundLine;
    const FRText *typed = ed->find[F_TYPED];
    EdPosition *c = &ed->cursor;
    c->line = ed->found.line;
    c->column = ed->found.column;
    c->buffer = l->buffer;
    c->digit = 2 * l->lineOffset;
    c->field = l->field;
    c->fieldOffset = l->fieldOffset;
    c->lineType = l->lineType;
    c->frame = l->structure;
    c->placed = 1;
    if (!ed->findState.inField || !FRSelectMatch(ed, l)) {
        ed->anchor = *c;
        ed->anchor.column += (int32_t)typed->length;
        ed->anchor.buffer = nullptr;
        c->buffer = nullptr;
    }
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, ed->found.column, ed->found.line);
}

int FRFindNext(DialogWords *d, int fromDialog, int reverse, int report)
{
    PCFDATA *ed = EditorOf(d);
    if (!ed || !ed->dataSlot) {
        if (report)
            FRStatus(d, "Please select a message");
        return 0;
    }
    EdFindState *f = &ed->findState;
    if (report)
        FRStatus(d, "");
    if (!ed->find[F_TYPED] || fromDialog || f->changed) {
        if (!FRValidate(d, FR_FIND))
            return 0;
    }
    uint32_t options = Options(d);             /* as the validation took them from the dialog */
    int dataOnly = (options & FO_DATA_ONLY) || f->replacing || f->replacingAll;
    int backward = ((options & FO_BACKWARD) != 0) ^ (reverse != 0);
    if (!ed->find[F_TYPED] || !ed->find[F_TYPED]->length) {
        FRStatus(d, enterFind);
        return 0;
    }
    if (EdHasSelection(ed))
        ED_HOST(edHost, invalidate, ed, ed->anchor.line, ed->cursor.line);
    if (!Search(ed, backward, dataOnly)) {
        if (report)
            FRStatus(d, notFound);
        return 0;
    }
    SelectFound(ed);
    if (report) {
        char text[200];
        int n = 0;
        if (f->replacing || f->replacingAll)
            n = snprintf(text, sizeof text, "Text at line %d replaced (%u instances replaced) ;", f->lastLine,
                         f->replaced);
        n += snprintf(text + n, sizeof text - (size_t)n, "Text found at line:%d", ed->found.line + 1);
        if (f->wrapped == 2)
            snprintf(text + n, sizeof text - (size_t)n, ": only one occurence");
        else if (f->wrapped)
            snprintf(text + n, sizeof text - (size_t)n, ": wrapped....");
        FRStatus(d, text);
    }
    return 1;
}

/* ---- replacing ---- */

int FindReplaceNumber(DialogWords *d, int inReplaceAll)
{
    (void)inReplaceAll;
    PCFDATA *ed = EditorOf(d);
    const FRText *find = ed->find[F_TYPED], *with = ed->find[R_TYPED];
    LINEDATA *cached = EdGetLine(ed, ed->found.line);
    if (!cached || !cached->text || cached->valueLength > 30)
        return 0;
    char text[80];
    uint32_t n = (uint32_t)cached->valueLength, k = (uint32_t)(ed->found.column - cached->valueColumn);
    memcpy(text, cached->text + cached->valueColumn, n);
    text[n] = 0;
    if (k + find->length > n || with->length + n - find->length >= sizeof text)
        return 0;
    memmove(text + k + with->length, text + k + find->length, n - k - find->length + 1);
    memcpy(text + k, with->text, with->length);
    ed->anchor.column = ED_UNSET;
    if (!CSDataSet(&ed->typed, text, (int64_t)strlen(text) + 1, 16))
        return 0;
    EdSetPending(ed, 1);
    if (!EdSetFieldValue(ed, cached, text, 1)) {
        ed->findState.error = 1;
        EdSetErrorText(ed, "Invalid number format");
        FRStatus(d, "Invalid number format");
        return 0;
    }
    ed->cursor.valueColumn = (uint8_t)(k + with->length);
    return 1;
}

int FindReplaceOnce(DialogWords *d, int inAll)
{
    PCFDATA *ed = EditorOf(d);
    if (!ed)
        return 0;
    EdFindState *f = &ed->findState;
    if (!inAll)
        EdBeginUndoGroup(ed);
    f->replacing = 1;
    f->error = 0;
    int ok = 0;
    LINEDATA *l = ed->scroll.lineCount ? EdGetLine(ed, ed->cursor.line) : nullptr;
    if (!l) {
        FRStatus(d, "Please select a message");
    } else if (f->matched && f->inField && ed->cursor.line == ed->found.line &&
               ed->cursor.column == ed->found.column && EdMatchAtPos(ed, l, ed->cursor.column)) {
        LINEDATA line = *l;
        if (!FRSelectMatch(ed, &line)) {
            ok = 0;
        } else if (EdKindOf(&line) == EK_VALUE) {
            ok = FindReplaceNumber(d, inAll);
        } else {
            ok = EdDeleteSelection(d, ed, 0);
            const FRText *with = ed->find[R_TYPED];
            if (ok && with && with->length) {
                LINEDATA *at = EdGetLine(ed, ed->cursor.line);
                if (at && ed->cursor.column < at->valueColumn)
                    ed->cursor.column = at->valueColumn;
                uint32_t insert = ed->insertMode;
                ed->insertMode = 1;
                ok = EdTypeText(ed, with->text, with->length);
                ed->insertMode = insert;
                FindSetReplace(ed, EdKeyboardCcsid());
            }
            if (ok)
                ok = EdSyncPartnerTag(ed);
        }
        if (!ok)
            f->error = 1;
        EdBuildLineData(ed, 1);
        if (ok) {
            f->replaced++;
            f->lastLine = ed->cursor.line + 1;
            if (!inAll)
                FRFindNext(d, 0, 0, 1);
        }
    } else {
        FRStatus(d, "The cursor is not at the text which should be changed");
    }
    f->replacing = 0;
    if (!inAll) {
        EdEndUndoGroup(ed, ok);
        EdBuildLineData(ed, 1);
    }
    return ok;
}

/* ---- counting ---- */

struct CountRun {
    PCFDATA *ed;
    int dataOnly, matchCase;
    uint32_t count;
};
static CountRun *counting;

static uint32_t FRCountInField(uint64_t context, FmtLineRec *lr, char *text, uint32_t length)
{
    PCFDATA *ed = (PCFDATA *)(uintptr_t)context;
    CountRun *c = counting;
    ed->runLine++;
    LINEDATA l;
    EdStoreLine(ed, lr, &l, text, length, 0);
    const FRText *typed = ed->find[F_TYPED];
    if (c->dataOnly) {
        if (!l.lineType)
            return FMT_GO_ON;
        for (int32_t k = l.valueColumn; k < l.valueColumn + l.valueLength; k++) {
            l.text = text;
            c->count += EdMatchAtPos(ed, &l, k);
        }
        return FMT_GO_ON;
    }
    c->count += (uint32_t)(c->matchCase ? UTMemCount(text, (int)length, typed->text, (int)typed->length)
                                        : UTMemCountNoCase(text, (int)length, typed->text, (int)typed->length));
    return FMT_GO_ON;
}

int FindCountAll(DialogWords *d)
{
    PCFDATA *ed = EditorOf(d);
    if (!ed || !ed->find[F_TYPED])
        return 0;
    EdFindState *f = &ed->findState;
    CountRun c = { ed, (Options(d) & FO_DATA_ONLY) || f->replacing || f->replacingAll,
                   (Options(d) & FO_MATCH_CASE) != 0, 0 };
    counting = &c;
    EdRegisterPaneSink(FRCountInField);
    ed->runFirst = 0;
    EdFormatMessage(FRCountInField, ed);
    counting = nullptr;
    f->occurrences = c.count;
    if (!c.count)
        FRStatus(d, notFound);
    return c.count > 0;
}

int FindReplaceAll(DialogWords *d)
{
    PCFDATA *ed = EditorOf(d);
    if (!ed)
        return 0;
    EdFindState *f = &ed->findState;
    f->progressStep = (uint32_t)ed->scroll.lineCount / 100;
    f->progress = 0;
    f->lastLine = 0;
    EdBeginUndoGroup(ed);
    f->replacingAll = 1;
    int ok = 1;
    if (f->expectedStep) {
        ok = FindCountAll(d);
        f->expected = 1;
    }
    if (ok) {
        ed->anchor.column = ED_UNSET;
        ed->cursor.line = 0;
        ed->cursor.column = -1;             /* before the first line's first column */
        ok = FRFindNext(d, 0, 0, 1);
    }
    if (ok) {
        FRStatus(d, "Replacing....");
        ed->noRedraw = 1;
        f->replaced = 0;
        f->error = 0;
        ok = FindReplaceOnce(d, 1);
        while (ok && !f->error && FRFindNext(d, 0, 0, 0))
            ok = FindReplaceOnce(d, 1);
        char text[100];
        if (ok) {
            snprintf(text, sizeof text, "%u occurences changed", f->replaced);
            FRStatus(d, text);
        } else if (!f->error || !ed->status[0]) {
            FRStatus(d, "Error replacing text");
        } else {
            FRStatus(d, ed->status);
        }
        ed->noRedraw = 0;
    }
    f->replacingAll = 0;
    f->expectedStep = 0;
    EdEndUndoGroup(ed, ok);
    EdBuildLineData(ed, 1);
    ED_HOST(edHost, invalidate, ed, 0, -1);
    return ok;
}
