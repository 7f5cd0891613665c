/* XML editing commands: wrapping the selection in a tag or a comment,
 * removing a tag with its partner, uncommenting, selecting an element,
 * jumping to the partner tag, and the rule that keeps an end tag's name
 * equal to its start tag's while either is edited.  The fixed texts are
 * ASCII; typed in, they are converted to the field's code page like any
 * typed text. */
#include "edint.h"
#include "cstext.h"
#include "csmem.h"
#include <cstring>

static const char notOnTag[] = "Please put the cursor on a tag field";

/* A delimiter text in the line's code page; its length. */
static uint32_t Delimiter(const LINEDATA *l, const char *ascii, unsigned char *out)
{
    uint32_t n = (uint32_t)strlen(ascii);
    memcpy(out, ascii, n);
    CSConvertCodepage(out, (int)n, 850, (int)l->dataCcsid, nullptr, nullptr);
    return n;
}

/* The tag report of a tag line, or null. */
static const FmtTagInfo *TagOf(const LINEDATA *l)
{
    if (!l || !(l->lineFlags & LF_XML_TAG) || !l->element || l->element->tag == FMT_NO_TAG)
        return nullptr;
    return l->element;
}

static int HasPartner(const LINEDATA *l)
{
    const FmtTagInfo *t = TagOf(l);
    return t && !(l->lineFlags & LF_XML_END) && t->partner != FMT_NO_TAG;
}

/* ---- wrapping ---- */

int EdWrapSelection(PCFDATA *ed, int tag)
{
    const EdPosition *s = &ed->cursor, *e = &ed->cursor;
    int selection = EdHasSelection(ed);
    if (selection)
        EdSelectionEnds(ed, &s, &e);
    int32_t startLine = s->line, startColumn = s->column, endLine = e->line, endColumn = e->column;
    EdFieldAt a, z;
    if (EdFindField(ed, &a, startColumn, startLine, 0, 0, 0) < 0) {
        EdSetErrorText(ed, edNotAtField);
        return 0;
    }
    LINEDATA first = *a.line;
    uint32_t start = (uint32_t)(a.address - first.buffer->data);
    if (EdFindField(ed, &z, endColumn, endLine, 0, 0, 0) < 0 || z.line->fieldOffset != first.fieldOffset ||
        z.line->buffer != first.buffer || z.line->structOffset != first.structOffset) {
        EdSetErrorText(ed, "Selection area spans multiple fields");
        return 0;
    }
    if (first.buffer != &ed->data) {
        EdSetErrorText(ed, "Cursor is not in message area");
        return 0;
    }
    if (selection && !EdInsertText(ed, &z, tag ? "</>" : " -->", tag ? 3 : 4, 1))
        return 0;
    if (EdFindField(ed, &a, startColumn, startLine, 0, 0, 0) < 0)
        return 0;
    a.address = a.line->buffer->data + start;   /* the bytes before it did not move */
    const char *open = selection ? (tag ? "<>" : "<!-- ") : (tag ? "<></>" : "<!--  -->");
    if (!EdInsertText(ed, &a, open, (uint32_t)strlen(open), 1))
        return 0;
    ed->anchor.column = ED_UNSET;
    EdCursorTo(ed, &ed->data, 2 * (start + 1 + (tag ? 0 : 4)));
    return 1;
}

static int Wrap(PCFDATA *ed, int tag)
{
    EdBeginUndoGroup(ed);
    int ok = EdWrapSelection(ed, tag);
    EdEndUndoGroup(ed, ok);
    if (ok)
        EdBuildLineData(ed, 1);
    return ok;
}

int EdAddXmlTag(PCFDATA *ed) { return Wrap(ed, 1); }
int EdComment(PCFDATA *ed) { return Wrap(ed, 0); }

/* ---- removing ---- */

/* The field of the cursor line with its address at a data offset. */
static int AimAt(PCFDATA *ed, uint32_t offset, EdFieldAt *at)
{
    LINEDATA *l = EdGetLine(ed, ed->cursor.line);
    if (!l || EdFindField(ed, at, l->valueColumn, ed->cursor.line, 0, 0, 1) < 0)
        return 0;
    at->address = at->line->buffer->data + offset;
    return 1;
}

int EdRemoveTagAt(PCFDATA *ed, const LINEDATA *line, uint32_t position, int comment, uint32_t *removed,
                  const char **error)
{
    *removed = 0;
    *error = notOnTag;
    EdFieldAt at;
    if (!line || !AimAt(ed, position, &at))
        return 0;
    EdFieldSpan s = EdSpanOf(ed, &at);
    const unsigned char *data = at.line->buffer->data;
    unsigned char open[8], close[8];
    uint32_t no = Delimiter(line, comment ? "<!--" : "<", open), nc = Delimiter(line, comment ? "-->" : ">", close);
    if (position < s.start || position >= s.start + s.length)
        return 0;
    const char *from = UTMemFindBack(data + position, data + s.start, open, (int)no);
    const char *to = UTMemFindRange(data + position, data + s.start + s.length, close, (int)nc);
    if (!from || !to)
        return 0;
    uint32_t first = (uint32_t)((const unsigned char *)from - data);
    uint32_t count = (uint32_t)((const unsigned char *)to - data) + nc - first;
    if (!EdDeleteField(ed, &at, first, count)) {
        *error = ed->status;
        return 0;
    }
    *removed = count;
    return 1;
}

int EdRemoveXmlTag(PCFDATA *ed)
{
    EdBeginUndoGroup(ed);
    LINEDATA *l = EdGetLine(ed, ed->cursor.line);
    const FmtTagInfo *t = TagOf(l);
    const char *error = notOnTag;
    int ok = 0;
    uint32_t removed = 0;
    if (t) {
        LINEDATA line = *l;
        FmtTagInfo tag = *t;
        uint32_t position = tag.tag;
        ok = 1;
        if (HasPartner(&line)) {
            ok = EdRemoveTagAt(ed, &line, tag.partner, 0, &removed, &error);
            if (ok && tag.partner < position)
                position -= removed;
        }
        if (ok)
            ok = EdRemoveTagAt(ed, &line, position, !HasPartner(&line) && (line.lineFlags & LF_XML_SPECIAL),
                               &removed, &error);
        if (ok)
            EdCursorTo(ed, line.buffer, 2 * position);
    }
    if (!ok)
        EdSetErrorText(ed, error);
    EdEndUndoGroup(ed, ok);
    if (ok)
        EdBuildLineData(ed, 1);
    return ok;
}

int EdUncomment(PCFDATA *ed)
{
    EdBeginUndoGroup(ed);
    LINEDATA *l = EdGetLine(ed, ed->cursor.line);
    const FmtTagInfo *t = TagOf(l);
    int ok = 0;
    if (!t) {
        EdSetErrorText(ed, notOnTag);
    } else if (!(l->lineFlags & LF_XML_SPECIAL)) {
        EdSetErrorText(ed, "Cursor is not in an XML command");
    } else {
        LINEDATA line = *l;
        uint32_t position = t->tag;
        EdFieldAt at;
        ok = AimAt(ed, position, &at);
        EdFieldSpan s = EdSpanOf(ed, &at);
        const unsigned char *data = line.buffer->data;
        unsigned char open[8], close[8], blank = FmtGetCodepage(line.dataCcsid)->ch[CP_BLANK];
        uint32_t no = Delimiter(&line, "<!--", open), nc = Delimiter(&line, "-->", close);
        const char *end = ok ? UTMemFindRange(data + position, data + s.start + s.length, close, (int)nc) : nullptr;
        const char *begin = ok ? UTMemFindBack(data + position, data + s.start, open, (int)no) : nullptr;
        ok = end && begin;
        if (ok) {
            uint32_t e = (uint32_t)((const unsigned char *)end - data), b = (uint32_t)((const unsigned char *)begin - data);
            uint32_t n = nc;
            if (e > b + no && data[e - 1] == blank)
                e--, n++;
            uint32_t m = no + (b + no < e && data[b + no] == blank ? 1 : 0);
            ok = EdDeleteField(ed, &at, e, n) && EdDeleteField(ed, &at, b, m);
            if (ok)
                EdCursorTo(ed, line.buffer, 2 * b);
        } else {
            EdSetErrorText(ed, notOnTag);
        }
    }
    EdEndUndoGroup(ed, ok);
    if (ok)
        EdBuildLineData(ed, 1);
    return ok;
}

/* ---- selecting and jumping ---- */

/* Bytes of the tag whose "<" is at offset (its scan), 0 when none. */
static int ScanTagAt(const LINEDATA *l, const EdFieldSpan *s, uint32_t offset, FmtXmlTag *tag)
{
    const unsigned char *p = l->buffer->data + offset;
    uint64_t end = (uint64_t)s->start + s->length;
    if (offset >= end)
        return 0;
    uint32_t rem = (uint32_t)(end - offset);
    return FapXmlScanTag(&p, &rem, 0, FmtGetCodepage(l->dataCcsid), tag) == 0;
}

static uint32_t TagLength(const LINEDATA *l, const EdFieldSpan *s, uint32_t offset)
{
    FmtXmlTag tag;
    if (!ScanTagAt(l, s, offset, &tag) || !(tag.flags & FMT_TAG_COMPLETE))
        return 0;
    return (uint32_t)(tag.end - (l->buffer->data + offset)) + 1;
}

/* Anchor and cursor on two data offsets of the cursor line's buffer. */
static void SelectBytes(PCFDATA *ed, CSDATA *b, uint32_t from, uint32_t to)
{
    ed->anchor = ed->cursor;
    ed->anchor.buffer = b;
    ed->anchor.digit = 2 * from;
    ed->anchor.column = 0;
    ed->anchor.placed = 0;
    EdCursorTo(ed, b, 2 * to);
    ed->flush = 1;
    EdFlushTyping(ed);
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, ed->cursor.column, ed->cursor.line);
    ED_HOST(edHost, invalidate, ed, 0, -1);
}

int EdSelectXml(PCFDATA *ed, int includeTags)
{
    LINEDATA *l = EdGetLine(ed, ed->cursor.line);
    const FmtTagInfo *t = TagOf(l);
    EdFieldAt at;
    if (!t || !AimAt(ed, t->tag, &at)) {
        EdSetStatus(ed, notOnTag);
        return 0;
    }
    LINEDATA line = *l;
    FmtTagInfo tag = *t;
    EdFieldSpan s = EdSpanOf(ed, &at);
    if (HasPartner(&line)) {
        uint32_t a = tag.tag < tag.partner ? tag.tag : tag.partner, z = tag.tag ^ tag.partner ^ a;
        uint32_t la = TagLength(&line, &s, a), lz = TagLength(&line, &s, z);
        if (!la || !lz) {
            EdSetStatus(ed, notOnTag);
            return 0;
        }
        if (includeTags)
            SelectBytes(ed, line.buffer, a, z + lz);
        else
            SelectBytes(ed, line.buffer, a + la, z);
    } else {
        uint32_t n = TagLength(&line, &s, tag.tag);
        if (!n) {
            EdSetStatus(ed, notOnTag);
            return 0;
        }
        SelectBytes(ed, line.buffer, tag.tag, tag.tag + n);
    }
    return 1;
}

int EdJumpToPartner(PCFDATA *ed, LINEDATA *l)
{
    if (!HasPartner(l)) {
        EdSetStatus(ed, notOnTag);
        return 0;
    }
    ed->flush = 1;
    ed->cursorFromPartner = 1;
    EdCursorTo(ed, l->buffer, 2 * l->element->partner);
    EdFlushTyping(ed);
    EdMoveCursor(ed, 0, 0, MC_GOTO, ed->cursor.column, ed->cursor.line);
    ED_HOST(edHost, invalidate, ed, 0, -1);
    return 1;
}

/* ---- keeping the partner's name ---- */

/* The name of the tag whose "<" is at offset. */
static int NameAt(const LINEDATA *l, const EdFieldSpan *s, uint32_t offset, const unsigned char **name,
                  uint32_t *length)
{
    FmtXmlTag tag;
    if (!ScanTagAt(l, s, offset, &tag) || !tag.name)
        return 0;
    *name = tag.name;
    *length = tag.nameLength;
    return 1;
}

/* Text of the message's code page typed at an offset of the field. */
static int TypeAt(PCFDATA *ed, EdFieldAt *at, uint32_t offset, const unsigned char *bytes, uint32_t n,
                  uint32_t ccsid)
{
    unsigned char stack[200];
    unsigned char *text = n <= sizeof stack ? stack : (unsigned char *)CSGetMem(n, "TAG");
    if (!text) {
        EdSetErrorText(ed, edNoMemory);
        return 0;
    }
    memcpy(text, bytes, n);
    int ok = EdConvertText(ed, text, n, ccsid, EdKeyboardCcsid());
    if (ok) {
        at->address = at->line->buffer->data + offset;
        ok = EdInsertText(ed, at, (const char *)text, n, 1);
    }
    if (text != stack)
        CSFreeMem(text);
    return ok;
}

int EdSyncPartnerTag(PCFDATA *ed)
{
    if (!ed->tracking)
        return 1;
    EdPosition saved = ed->cursor;
    EdFieldAt at;
    LINEDATA *l = EdCachedLine(ed, ed->cursor.line);
    if (!l || l->buffer != ed->trackBuffer || !AimAt(ed, ed->trackTag, &at))
        return 1;
    LINEDATA line = *at.line;
    EdFieldSpan s = EdSpanOf(ed, &at);
    const unsigned char *data = line.buffer->data;
    unsigned char lt = FmtGetCodepage(line.dataCcsid)->ch[CP_LT];
    uint32_t tagAt = ed->trackTag;
    uint32_t partnerAt = ed->trackPartner + (ed->trackPartner > tagAt ? (uint32_t)ed->trackedChange : 0);
    if (tagAt >= line.buffer->length || partnerAt >= line.buffer->length || data[tagAt] != lt ||
        data[partnerAt] != lt)
        return 1;
    const unsigned char *edited, *partner;
    uint32_t ne, np;
    if (!NameAt(&line, &s, tagAt, &edited, &ne) || !NameAt(&line, &s, partnerAt, &partner, &np))
        return 1;
    if (ne == np && memcmp(edited, partner, ne) == 0)
        return 1;
    uint32_t partnerName = (uint32_t)(partner - data), editedName = (uint32_t)(edited - data);
    int32_t change;
    int ok;
    if (np > ne && (partner = (const unsigned char *)UTFindInsertion((const char *)data + partnerName, (int)np,
                                                                     (const char *)data + editedName, (int)ne))) {
        uint32_t at1 = (uint32_t)(partner - data);
        change = -(int32_t)(np - ne);
        ok = EdDeleteField(ed, &at, at1, np - ne);
    } else if (np < ne && (edited = (const unsigned char *)UTFindInsertion((const char *)data + editedName, (int)ne,
                                                                           (const char *)data + partnerName, (int)np))) {
        uint32_t run = (uint32_t)(edited - data) - editedName;
        change = (int32_t)(ne - np);
        ok = TypeAt(ed, &at, partnerName + run, edited, ne - np, line.dataCcsid);
    } else {
        change = (int32_t)ne - (int32_t)np;
        unsigned char copy[256];
        ok = ne <= sizeof copy;
        if (ok) {
            memcpy(copy, data + editedName, ne);
            ok = EdDeleteField(ed, &at, partnerName, np) &&
                 TypeAt(ed, &at, partnerName, copy, ne, line.dataCcsid);
        }
    }
    ed->cursor = saved;
    ed->cursor.placed = 0;
    if (!ok)
        return 0;
    if (partnerAt < tagAt) {
        ed->cursor.digit += (uint32_t)(2 * change);
        tagAt += (uint32_t)change;
    }
    ed->trackTag = tagAt;
    ed->trackPartner = partnerAt;
    ed->trackedChange = 0;
    return 1;
}
