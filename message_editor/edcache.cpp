/* The pane's formatting run over the whole message and the window of
 * cached display lines around the visible part: the run (EdFormatMessage)
 * with its display sink, the cache build, and line lookup. */
#include "edpane.h"
#include "edops.h"
#include "eddialog.h"
#include "fmtint.h"
#include "cscodepage.h"
#include "csmem.h"
#include "prfdata.h"
#include "qms.h"
#include "userfmt.h"
#include <cstdio>
#include <cstring>

int edDebugSwitch;
int32_t edLinesMadeAround = ED_CACHE_SLACK;

/* ---- the host's defaults ---- */

static int CharCell(PCFDATA *ed, uint32_t) { return ed->charWidth; }

void EdHostDefaults(EdHost *h)
{
    *h = EdHost{};
    h->cellWidth = CharCell;
}

static EdHost DefaultHost()
{
    EdHost h;
    EdHostDefaults(&h);
    return h;
}
EdHost edHost = DefaultHost();

/* ---- the formatting run ---- */

static uint32_t MakeRestSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t length);
static FmtLineSink paneSinks[8] = { EdDisplayLineSink, EdCountLineSink, EdCountDisplaySink, MakeRestSink };

int EdIsPaneSink(FmtLineSink sink)
{
    for (FmtLineSink s : paneSinks)
        if (s == sink)
            return 1;
    return 0;
}

void EdRegisterPaneSink(FmtLineSink sink)
{
    for (FmtLineSink &s : paneSinks)
        if (!s || s == sink) {
            s = sink;
            return;
        }
}

static uint32_t Rd32(const unsigned char *p) { return FmtRd32(p, 546); }

/* What the descriptor says of the data that follows it, also as the
 * user formats' state for the pane's queue. */
static void DescribeData(PCFDATA *ed, FmtMsgInfo *info, UFMatchState *uf)
{
    memset(info, 0, sizeof *info);
    info->encoding = 546;
    info->ccsid = 850;
    memset(info->format, ' ', 8);
    if (ed->descriptor.length >= 40) {
        const unsigned char *md = ed->descriptor.data;
        info->encoding = Rd32(md + 24);
        info->ccsid = Rd32(md + 28);
        memcpy(info->format, md + 32, 8);
        info->ebcdic = (uint32_t)CSIsEbcdicCcsid((int)info->ccsid);
    }
    memset(uf, 0, sizeof *uf);
    UFStateFor(uf, info->format, info->encoding, info->ccsid, ed->queueName, ed->queueNameLength);
    info->formatLength = uf->formatLength;
}

/* The descriptor's lines, walked as an MQMD in 850 and 546. */
static uint32_t DescriptorRun(PCFDATA *ed, FmtLineSink sink, FmtLineRec *lr)
{
    const unsigned char *p = ed->descriptor.data;
    uint32_t rem = ed->descriptor.length >= 8 && Rd32(p + 4) == 1 ? 324 : 364;
    if (rem > ed->descriptor.length)
        rem = ed->descriptor.length;
    FmtMsgInfo mdInfo = {};
    mdInfo.encoding = 546;
    mdInfo.ccsid = 850;
    memset(mdInfo.format, ' ', 8);
    ed->runBuffer = &ed->descriptor;
    lr->options |= LO_EDITING_MD | LO_EMPTY_LINE;
    uint32_t rc = FapFormatStructure(&mdInfo, &FmtDefMQMD, nullptr, sink, (uint64_t)(uintptr_t)ed,
                                     lr, &rem, &p);
    lr->options &= ~(LO_EDITING_MD | LO_EMPTY_LINE);
    return rc;
}

/* The raw view: a heading, the data as one hex dump, the truncation note. */
static uint32_t RawBytesRun(PCFDATA *ed, FmtLineSink sink, FmtLineRec *lr, FmtMsgInfo *info)
{
    char *buffer = (char *)CSGetMem(FMT_LINE_BUFFER + 256, "StructLine");
    if (!buffer)
        return 0;
    uint64_t context = (uint64_t)(uintptr_t)ed;
    const unsigned char *data = ed->data.data;
    uint32_t length = ed->data.length;
    lr->text = buffer;
    lr->msgInfo = info;
    lr->dataStart = data;
    lr->dataEnd = data + length;
    lr->field = nullptr;
    lr->lineClass = 0;
    lr->dataOffset = 0;
    lr->frame = nullptr;
    lr->options |= LO_EMPTY_LINE | LO_SHOW_EMPTY_END;
    uint32_t rc = FmtEmitText(lr, sink, context, LF_HEADING, "[%5u bytes] Message Bytes", length);
    if (rc == 0 && length)
        rc = FapHexDump(lr, sink, context, data, length);
    if (rc == 0 && (lr->flags & LR_TRUNCATED)) {
        lr->field = nullptr;
        lr->lineClass = 0;
        lr->dataOffset = length;
        rc = FmtEmitText(lr, sink, context, LF_HEADING, "<Message Truncated>");
    }
    CSFreeMem(buffer);
    lr->text = nullptr;
    return rc;
}

/* A non-zero body kind applies to data of a format that is not one of
 * IBM MQ's own, or to plain strings. */
static int BodyKindApplies(const FmtMsgInfo *info)
{
    return memcmp(info->format, "MQ", 2) != 0 || memcmp(info->format, "MQSTR   ", 8) == 0;
}

static int runDepth;

int EdRunActive(void) { return runDepth; }

static uint32_t FormatRun(FmtLineSink sink, PCFDATA *ed)
{
    DialogWords *d = ed->dialog;
    if (!d || !ed->dataSlot)
        return 0;
    FmtLineRec *lr = &ed->lineRec;
    memset(lr, 0, sizeof *lr);
    lr->flags = d->viewWords[0];
    lr->options = d->viewWords[1] | LO_KEEP_ENCODING;
    if (Prf.po[3] & PO4_HEX_OFFSETS)
        lr->options |= LO_HEX_OFFSETS;
    if (Prf.po[1] & PO2_LOCAL_TIMES)
        lr->flags |= LR_LOCAL_TIME;
    int cell = ED_HOST(edHost, cellWidth, ed, 850);
    lr->width = cell > 0 && ed->width > 0 ? (uint32_t)(ed->width / cell) : 0;
    lr->displayCcsid = EdLocation(d) && ed->qmCcsid ? ed->qmCcsid : 850;
    if (EdIsPaneSink(sink)) {
        ed->runLine = 0;
        if (ed->runFirst != 0)
            lr->flags |= LR_NO_TEXT;
    }
    if (sink == EdCountLineSink) {
        lr->flags |= LR_NO_TEXT;
        ed->scroll.lineCount = 0;
    }
    if (sink == EdCountDisplaySink)
        ed->scroll.lineCount = 0;
    FmtMsgInfo info;
    UFMatchState uf;
    DescribeData(ed, &info, &uf);
    /* the user formats of the pane's queue: the body's structure, and
       what a header's format name chooses for the data after it */
    lr->userFormats = &uf;
    const FmtStructDef *body = &FmtDefMessageContent;
    if (lr->flags & VW_FORMATTED) {
        if (const FmtStructDef *chosen = UFChooseFormatter(ed, &uf))
            body = chosen;
        UFApplyState(&uf, &info);
    }
    if (ed->bodyFormatter && ed->bodyFormatter != body)
        ed->flush = 1;
    ed->bodyFormatter = body;
    uint32_t rc = 0;
    if (ed->descriptor.length && (lr->flags & VW_SHOW_MD)) {
        if ((rc = DescriptorRun(ed, sink, lr)) == FMT_STOP)
            return rc;
    }
    ed->runBuffer = &ed->data;
    if (EdTruncated(d))
        lr->flags |= LR_TRUNCATED;
    if (lr->flags & VW_RAW_BYTES)
        return RawBytesRun(ed, sink, lr, &info);
    if (!(lr->flags & VW_FORMATTED))
        return rc;
    if (d->bodyKind && BodyKindApplies(&info)) {
        info.bodyKind = (uint8_t)d->bodyKind;
        lr->forcedBodyKind = (uint8_t)d->bodyKind;
    }
    lr->options |= LO_EMPTY_LINE | LO_SHOW_EMPTY_END;
    const unsigned char *p = ed->data.data;
    uint32_t rem = ed->data.length;
    static const unsigned char none[1] = { 0 };
    if (!p)
        p = none;
    return FapFormatStructure(&info, (FmtStructDef *)body, nullptr, sink, (uint64_t)(uintptr_t)ed,
                              lr, &rem, &p);
}

uint32_t EdFormatMessage(FmtLineSink sink, PCFDATA *ed)
{
    runDepth++;
    uint32_t rc = FormatRun(sink, ed);
    ed->lineRec.userFormats = nullptr;      /* the run's own state */
    runDepth--;
    return rc;
}

/* ---- the display sink ---- */

/* A line in a CCSID whose code page nothing converts: the user is told
 * once per code page, after the run (never from inside it). */
static void CheckCodepage(PCFDATA *ed, const FmtLineRec *lr)
{
    uint32_t ccsid = EdLineCcsid(lr);
    if (ccsid == 850)
        return;
    CPSETTING *cp = CSGetCodepageSetting((int)ccsid, nullptr, nullptr, nullptr);
    if (cp && cp->notInstalled && !cp->warned) {
        cp->warned = 1;
        ED_HOST(edHost, codepageMissing, ed, ccsid);
    }
}

static void MakeRest(PCFDATA *ed);

LINEDATA *EdCachedLine(PCFDATA *ed, int32_t line)
{
    if (!ed->cache || line < ed->cacheFirst || line > ed->cacheLast || line >= ed->scroll.lineCount)
        return nullptr;
    if (line < ed->madeFirst || line > ed->madeLast) {
        MakeRest(ed);
        if (line < ed->madeFirst || line > ed->madeLast || line > ed->cacheLast)
            return nullptr;
    }
    return &ed->cache[line - ed->cacheFirst];
}

/* The cursor's line as the typing text, while nothing is typed. */
static void TypedFromLine(PCFDATA *ed, const LINEDATA *line)
{
    if (ed->typing || !line->lineType || !line->text)
        return;
    int32_t n = line->valueLength;
    if (line->valueColumn + n > (int32_t)line->textLength)
        n = line->textLength > line->valueColumn ? line->textLength - line->valueColumn : 0;
    if (CSDataSet(&ed->typed, line->text + line->valueColumn, n, 1))
        ed->typed.data[n] = 0;
}

/* The cursor's column within its line's text (and what typing adds). */
static void KeepColumn(PCFDATA *ed, const LINEDATA *line)
{
    int32_t most = line->textLength + (ed->typing ? ed->cursor.overflow : 0);
    if (ed->cursor.column > most)
        ed->cursor.column = most;
}

/* A line's record and text in the cache. */
static LINEDATA *StoreCached(PCFDATA *ed, int32_t index, const char *text, uint32_t length, const FmtLineRec *lr)
{
    LINEDATA *line = &ed->cache[index];
    if (length > 0xFFFF)
        length = 0xFFFF;
    const char *stored = EdLineAreaReserve(ed, text, length);
    EdStoreLine(ed, lr, line, text, length, 1);
    line->text = stored;
    line->textLength = (uint16_t)(stored ? length : 0);
    if (lr->tag) {
        ed->cacheTags[index] = *lr->tag;
        line->element = &ed->cacheTags[index];
    }
    return line;
}

void EdCacheLine(PCFDATA *ed, int32_t index, const char *text, uint32_t length, const FmtLineRec *lr)
{
    LINEDATA *line = StoreCached(ed, index, text, length, lr);
    if (ed->runLine == ed->cursor.line)
        TypedFromLine(ed, line);
}

/* A run's line: its code page noted, and cached when it lies between
 * madeFirst and madeLast (the text store emptied at the first); null
 * when not. */
static LINEDATA *CacheRunLine(PCFDATA *ed, const FmtLineRec *lr, const char *text, uint32_t length)
{
    if (lr->lineFlags & LF_TEXT)
        CheckCodepage(ed, lr);
    int32_t line = ed->runLine;
    if (line < ed->madeFirst || line > ed->madeLast)
        return nullptr;
    if (line == ed->madeFirst)
        EdLineAreaEmpty(ed);            /* every record is filled whole; none past the run is read */
    return StoreCached(ed, line - ed->cacheFirst, text, length, lr);
}

uint32_t EdDisplayLineSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t length)
{
    PCFDATA *ed = (PCFDATA *)(uintptr_t)context;
    int32_t line = ed->runLine;
    LINEDATA *cached = CacheRunLine(ed, lr, text, length);
    if (cached && line == ed->cursor.line) {
        TypedFromLine(ed, cached);
        KeepColumn(ed, cached);
    }
    uint32_t rc = line >= ed->runLast ? FMT_STOP
                  : line + 1 == ed->runFirst ? FMT_BUILD_TEXT
                  : line == ed->madeLast ? FMT_COUNT_ONLY : FMT_GO_ON;
    ed->runLine++;
    return rc;
}

/* A count that caches the lines runFirst..runLast (madeFirst..madeLast)
 * on its way, their text built: what a display run after the count would
 * cache.  The cursor is
 * placed anew by the count, so what depends on its line (the typing text,
 * the column kept within the line) is settled after the run. */
uint32_t EdCountDisplaySink(uint64_t context, FmtLineRec *lr, char *text, uint32_t length)
{
    PCFDATA *ed = (PCFDATA *)(uintptr_t)context;
    int32_t line = ed->runLine;
    CacheRunLine(ed, lr, text, length);
    EdCountLineSink(context, lr, text, length);
    return line + 1 == ed->runFirst ? FMT_BUILD_TEXT : line == ed->runLast ? FMT_COUNT_ONLY : FMT_GO_ON;
}

/* The window's lines that the build left: their text built, the lines
 * made already passed over as a count does. */
static int Pending(const PCFDATA *ed, int32_t line)
{
    return line >= ed->cacheFirst && line <= ed->cacheLast && (line < ed->madeFirst || line > ed->madeLast);
}

static uint32_t MakeRestSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t length)
{
    PCFDATA *ed = (PCFDATA *)(uintptr_t)context;
    int32_t line = ed->runLine++;
    if (Pending(ed, line))
        StoreCached(ed, line - ed->cacheFirst, text, length, lr);
    if (line >= ed->runLast)
        return FMT_STOP;
    return Pending(ed, line + 1) ? FMT_BUILD_TEXT : FMT_COUNT_ONLY;
}

/* The rest of the window, made by one display run when a line of it is
 * first asked for (never inside another run): the lines are what the
 * build would have made at once. */
static void MakeRest(PCFDATA *ed)
{
    if (runDepth || ed->cacheLast < ed->cacheFirst ||
        (ed->madeFirst <= ed->cacheFirst && ed->madeLast >= ed->cacheLast))
        return;
    if (ed->madeLast < ed->madeFirst)
        EdLineAreaEmpty(ed);            /* no line made: the store holds nothing of this window */
    ed->runFirst = ed->cacheFirst;
    ed->runLast = ed->cacheLast;
    EdFormatMessage(MakeRestSink, ed);
    if (ed->runLine <= ed->cacheLast)
        ed->cacheLast = ed->runLine - 1;
    ed->madeFirst = ed->cacheFirst;
    ed->madeLast = ed->cacheLast;
}

void EdUpdateLinePos(PCFDATA *ed, const FmtLineRec *lr)
{
    LINEDATA *line = EdCachedLine(ed, ed->runLine);
    if (!line)
        return;
    LINEDATA fresh;
    EdStoreLine(ed, lr, &fresh, nullptr, 0, 0);
    line->lineFlags = fresh.lineFlags;
    line->buffer = fresh.buffer;
    line->fieldOffset = fresh.fieldOffset;
    line->elementOffset = fresh.elementOffset;
    line->runOffset = fresh.runOffset;
    line->lineOffset = fresh.lineOffset;
    line->dataLength = fresh.dataLength;
    line->field = fresh.field;
    line->structOffset = fresh.structOffset;
    line->outerOffset = fresh.outerOffset;
    line->lengthParentOffset = fresh.lengthParentOffset;
}

/* ---- the cache ---- */

/* Room for count records; the arrays grow, never shrink. */
static int CacheRoom(PCFDATA *ed, int64_t count)
{
    if (count <= ed->cacheCapacity)
        return 1;
    if (count > 0x1000000)
        return 0;
    LINEDATA *lines = (LINEDATA *)CSGetMem(sizeof(LINEDATA) * (size_t)count, "LINEDATA");
    FmtTagInfo *tags = (FmtTagInfo *)CSGetMem(sizeof(FmtTagInfo) * (size_t)count, "LINEDATA");
    if (!lines || !tags) {
        if (lines)
            CSFreeMem(lines);
        if (tags)
            CSFreeMem(tags);
        return 0;
    }
    memset(lines, 0, sizeof(LINEDATA) * (size_t)count);
    if (ed->cache)
        CSFreeMem(ed->cache);
    if (ed->cacheTags)
        CSFreeMem(ed->cacheTags);
    ed->cache = lines;
    ed->cacheTags = tags;
    ed->cacheCapacity = (int32_t)count;
    ed->cacheFirst = ed->madeFirst = 0;
    ed->cacheLast = ed->madeLast = -1;  /* nothing held until the run fills it */
    EdLineAreaEmpty(ed);
    return 1;
}

void EdSetTop(PCFDATA *ed, int32_t line)
{
    int32_t most = ed->scroll.lineCount - (int32_t)ed->scroll.visible;
    if (line > most)
        line = most;
    ed->scroll.top = line > 0 ? line : 0;
}

/* The lines a build makes at once: those around the view and the
 * cursor's line (when it lies in the window), inside the window. */
static void MadeAtOnce(const PCFDATA *ed, int32_t first, int32_t last, int32_t *from, int32_t *to)
{
    int64_t lo = (int64_t)ed->scroll.top - edLinesMadeAround;
    int64_t hi = (int64_t)ed->scroll.top + ed->scroll.visible + edLinesMadeAround - 1;
    int32_t cursor = ed->cursor.line;
    if (cursor >= first && cursor <= last) {
        if (cursor < lo)
            lo = cursor;
        if (cursor > hi)
            hi = cursor;
    }
    *from = (int32_t)(lo < first ? first : lo);
    *to = (int32_t)(hi > last ? last : hi);
}

static int Visible(const PCFDATA *ed, int32_t line)
{
    return line >= ed->scroll.top && line < ed->scroll.top + (int32_t)ed->scroll.visible;
}

void EdBuildLineData(PCFDATA *ed, int force)
{
    if (ed->editFlags & EF_REBUILD) {
        force = 1;
        ed->editFlags &= ~EF_REBUILD;
    }
    int32_t top = ed->scroll.top, visible = ed->scroll.visible;
    if (!force && ed->counted.valid && ed->cacheLast >= ed->cacheFirst) {
        int64_t lo = top - ED_CACHE_SLACK, hi = (int64_t)top + visible + ED_CACHE_SLACK - 1;
        if (lo < 0)
            lo = 0;
        if (hi > ed->scroll.lineCount - 1)
            hi = ed->scroll.lineCount - 1;
        if (ed->cacheFirst <= lo && ed->cacheLast >= hi)
            return;
    }
    int32_t first = top > ED_CACHE_AROUND ? top - ED_CACHE_AROUND : 0;
    int64_t last = (int64_t)top + visible + ED_CACHE_AROUND - 1;
    if (!CacheRoom(ed, last - first + 1))
        return;
    if (last > INT32_MAX)
        last = INT32_MAX;
    int32_t madeFirst, madeLast;
    MadeAtOnce(ed, first, (int32_t)last, &madeFirst, &madeLast);
    int cached = EdFlushTypingCaching(ed, first, (int32_t)last, madeFirst, madeLast);
    if (last > ed->scroll.lineCount - 1)
        last = ed->scroll.lineCount - 1;
    ed->cacheFirst = first;
    ed->cacheLast = (int32_t)last;
    ed->madeFirst = madeFirst;
    ed->madeLast = madeLast;
    if (cached) {
        if (last < first) {
            EdLineAreaEmpty(ed);
        } else {
            ed->displayRuns++;          /* the count made the display lines */
            if (LINEDATA *l = EdCachedLine(ed, ed->cursor.line)) {
                TypedFromLine(ed, l);
                KeepColumn(ed, l);
            }
        }
    } else if (last >= first) {
        ed->runFirst = madeFirst;
        ed->runLast = (int32_t)last;    /* on to the window's end, counting: as far as a whole build goes */
        ed->displayRuns++;
        EdFormatMessage(EdDisplayLineSink, ed);
        if (ed->runLine <= ed->cacheLast)
            ed->cacheLast = ed->runLine - 1;       /* the run ended early */
    } else {
        EdLineAreaEmpty(ed);
    }
    if (ed->madeLast > ed->cacheLast)
        ed->madeLast = ed->cacheLast;
    if (!ed->scrolling) {
        if (!ed->movingToEnd && !Visible(ed, ed->cursor.line) && ed->scroll.lineCount)
            ED_HOST(edHost, scrollTo, ed, ed->cursor.line);
        ED_HOST(edHost, scrollBars, ed);
        ED_HOST(edHost, placeCaret, ed);
        ED_HOST(edHost, invalidate, ed, 0, -1);
    }
    ed->movingToEnd = 0;
}

LINEDATA *EdGetLine(PCFDATA *ed, int32_t line)
{
    if (line < 0 || line >= ed->scroll.lineCount)
        return nullptr;
    if (!EdCachedLine(ed, line)) {
        EdSetTop(ed, line);
        ED_HOST(edHost, scrollBars, ed);
        ed->movingToEnd = 1;            /* the build must not scroll back to the cursor */
        EdBuildLineData(ed, 1);
    }
    return EdCachedLine(ed, line);
}

/* ---- the pane's life ---- */

PCFDATA *EdCreatePane(DialogWords *dialog)
{
    PCFDATA *ed = (PCFDATA *)CSGetMem(sizeof *ed, "PCFDATA");
    if (!ed)
        return nullptr;
    memset(ed, 0, sizeof *ed);
    ed->dialog = dialog;
    ed->anchor.column = ED_UNSET;
    ed->listLine = -1;
    ed->cacheLast = -1;
    ed->format = EdFormatMessage;
    if (dialog) {
        ed->charWidth = (int16_t)dialog->charWidth;
        ed->charHeight = (int16_t)dialog->lineHeight;
        ed->scroll.lineHeight = (uint16_t)(dialog->lineHeight + dialog->lineGap);
        dialog->editor = ed;
    }
    return ed;
}

void EdFreePane(PCFDATA *ed)
{
    if (!ed)
        return;
    EdFreeUndoList(ed);
    CSDataFree(&ed->descriptor);
    CSDataFree(&ed->data);
    CSDataFree(&ed->typed);
    CSFreeMemAndClear(&ed->cache);
    CSFreeMemAndClear(&ed->cacheTags);
    CSFreeMemAndClear(&ed->lineArea);
    CSFreeMemAndClear(&ed->savedDescriptor);
    CSFreeMemAndClear(&ed->savedData);
    CSFreeMemAndClear(&ed->sentDescriptor);
    CSFreeMemAndClear(&ed->sentData);
    for (FRText *&f : ed->find)
        CSFreeMemAndClear(&f);
    if (ed->enumList)
        EdFreeEnumList((EdEnumList *)ed->enumList);
    CSFreeMemAndClear(&ed->enumList);
    if (ed->dialog && ed->dialog->editor == ed)
        ed->dialog->editor = nullptr;
    CSFreeMem(ed);
}

/* The dialog's side: a message dialog's pane state goes with the dialog. */
void PCFEditorFree(DialogWords *dialog)
{
    if (dialog && dialog->editor)
        EdFreePane(dialog->editor);
}
