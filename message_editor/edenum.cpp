/* Two aids that read the field under the cursor or the mouse: the list
 * of a field's named values (constant names, or the names of flag bits)
 * with the choice written back as one undo step, and the jump from a
 * bracket in the message data to its partner, scanned in the data's own
 * code page with quoted text passed over. */
#include "edint.h"
#include "eddialog.h"
#include "csmem.h"
#include "userfmt.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char notOnTag[] = "Please put the cursor on a tag field";
enum : uint32_t { FF_USER_FIELD = 0x2000, BIG_CHAR_FIELD = 200 };

EdChoiceHost edChoice;                 /* the pane's window fills it */

/* ---- named values ---- */

static int Several(uint16_t t) { return t == FT_FLAGS8 || t == FT_FLAGS || t == FT_FLAGS16; }

int EdFieldOffersValues(const LINEDATA *l, int hover)
{
    const FmtFieldDef *f = l ? l->field : nullptr;
    if (!f || !f->reference)
        return 0;
    switch (f->type) {
    case FT_INT: case FT_CHAR: case FT_ENCODING: case FT_FORMAT: case FT_UINT: case FT_FLOAT: case FT_DOUBLE:
    case FT_PACKED: case FT_UPACKED: case FT_FLAGS8: case FT_FLAGS: case FT_FLAGS16:
        break;
    default:
        return 0;
    }
    return !(hover && f->type == FT_CHAR && f->length > BIG_CHAR_FIELD);
}

void EdFreeEnumList(EdEnumList *list)
{
    CSFreeMemAndClear(&list->entries);
    list->count = 0;
}

/* The user formats' names (for the Format field's list). */
struct NameFill {
    EdEnumList *list;
    uint32_t room;
};
static void AddName(void *context, const char *name)
{
    NameFill *n = (NameFill *)context;
    if (n->list->count < n->room)
        n->list->entries[n->list->count++] = EdEnumEntry{ name, 0, nullptr, 0 };
}

int EdEnumValues(PCFDATA *ed, int descriptions, EdEnumList *list)
{
    memset(list, 0, sizeof *list);
    LINEDATA *l = EdGetLine(ed, ed->listLine);
    if (!EdFieldOffersValues(l, 0))
        return 0;
    const FmtFieldDef *f = l->field;
    const FmtValueName *table = (const FmtValueName *)f->reference;
    uint32_t rows = 0;
    while (table[rows].name)
        rows++;
    uint32_t room = rows + (f->type == FT_FORMAT ? 256 : 0);
    list->entries = (EdEnumEntry *)CSGetMem(sizeof(EdEnumEntry) * (room ? room : 1), "ENUMLIST");
    if (!list->entries)
        return 0;
    list->several = Several(f->type);
    int64_t current = 0;
    int marks = f->type == FT_INT || f->type == FT_ENCODING || f->type == FT_UINT || list->several;
    if (marks && (uint64_t)l->lineOffset + FmtReadSize(f) <= l->buffer->length)
        current = FapGetFieldInt(f, l->buffer->data + l->lineOffset, l->encoding,
                                 CSIsEbcdicCcsid((int)l->dataCcsid));
    for (uint32_t i = 0; i < rows; i++) {
        const FmtValueName *r = &table[i];
        if (!r->name[0] || (strncmp(r->name, "MY", 2) == 0 && !(f->flags & FF_USER_FIELD)))
            continue;
        const char *text = descriptions && r->description && r->description[0] ? r->description : r->name;
        uint8_t marked = 0;
        if (marks)
            marked = list->several ? r->value && ((uint64_t)current & r->value) == r->value
                                   : (int64_t)r->value == current;
        list->entries[list->count++] = EdEnumEntry{ text, r->value, r, marked };
    }
    if (f->type == FT_FORMAT) {
        NameFill fill = { list, room };
        UFEachFormatName(AddName, &fill);
    }
    return list->count > 0;
}

/* The bytes a chosen entry writes into the field; their count, 0: none. */
static uint32_t ChoiceBytes(PCFDATA *ed, const LINEDATA *l, const EdEnumList *list, const uint8_t *chosen,
                            unsigned char *out)
{
    const FmtFieldDef *f = l->field;
    uint64_t value = 0;
    const EdEnumEntry *one = nullptr;
    for (uint32_t i = 0; i < list->count; i++) {
        if (!chosen[i])
            continue;
        value |= list->entries[i].value;
        if (!one)
            one = &list->entries[i];
    }
    if (!one && !list->several)
        return 0;
    switch (f->type) {
    case FT_INT: case FT_ENCODING: case FT_FLAGS: case FT_INT_NORMAL: case FT_INTH: case FT_UINT:
        EdPutInt(out, 4, list->several ? value : one->value, f->type == FT_INT_NORMAL ? 1 : l->encoding);
        return 4;
    case FT_BYTE: case FT_FLAGS8:
        out[0] = (unsigned char)(list->several ? value : one->value);
        return 1;
    case FT_SHORT: case FT_FLAGS16: case FT_USHORT:
        EdPutInt(out, 2, list->several ? value : one->value, l->encoding);
        return 2;
    case FT_CHAR: case FT_FORMAT: {
        uint32_t n = f->type == FT_FORMAT ? 8 : f->length;
        const char *text = one->row && one->row->value ? (const char *)(uintptr_t)one->row->value : one->text;
        size_t have = strnlen(text, n);
        memset(out, ' ', n);
        memcpy(out, text, have);
        return EdConvertText(ed, out, n, 850, l->dataCcsid) ? n : 0;
    }
    case FT_FLOAT: case FT_DOUBLE: {
        char *end;
        double v = strtod(one->text, &end);
        if (end == one->text)
            return 0;
        uint32_t w = f->type == FT_FLOAT ? 4 : 8;
        EdPutFloat(out, w, v, l->encoding);
        return w;
    }
    case FT_PACKED: case FT_UPACKED:
        return f->length <= 64 ? FapParseDecimal(f, one->text, (uint32_t)strlen(one->text), 0, out) : 0;
    }
    return 0;
}

int EdApplyEnumEntries(PCFDATA *ed, const EdEnumList *list, const uint8_t *chosen)
{
    EdBeginUndoGroup(ed);
    ED_HOST(edChoice, hide, ed);
    LINEDATA *l = EdGetLine(ed, ed->listLine);
    /* the bytes of the widest value: a text field's whole length */
    unsigned char stack[64], *bytes = stack;
    int typed = l && l->field && l->field->type >= FT_INT && l->field->type <= FT_UPACKED;
    if (typed && l->field->type == FT_CHAR && l->field->length > sizeof stack)
        bytes = (unsigned char *)CSGetMem(l->field->length, "ENUMLIST");
    uint32_t n = typed && bytes ? ChoiceBytes(ed, l, list, chosen, bytes) : 0;
    int ok = n && (uint64_t)l->lineOffset + n <= l->buffer->length && EdCanEdit(ed, l) &&
             EdReplaceBytes(ed, l->buffer, l->lineOffset, bytes, n);
    if (bytes && bytes != stack)
        CSFreeMem(bytes);
    EdEndUndoGroup(ed, ok);
    if (ok)
        EdBuildLineData(ed, 1);
    return ok;
}

int EdShowEnumList(PCFDATA *ed)
{
    EdEnumList *list = (EdEnumList *)ed->enumList;
    if (!list) {
        list = (EdEnumList *)CSGetMem(sizeof *list, "ENUMLIST");
        if (!list)
            return 0;
        memset(list, 0, sizeof *list);
        ed->enumList = list;
    }
    EdFreeEnumList(list);
    if (!EdEnumValues(ed, ED_HOST(edHost, keyDown, ED_KEY_SHIFT), list)) {
        EdFreeEnumList(list);
        return 0;
    }
    ED_HOST(edChoice, fill, ed, list);
    return 1;
}

void EdHoverSelectionBox(PCFDATA *ed, int32_t line)
{
    ed->listLine = line;
    LINEDATA *l = EdCachedLine(ed, line);
    if (!EdFieldOffersValues(l, 1)) {
        ED_HOST(edChoice, hide, ed);
        return;
    }
    int32_t column = l->valueColumn + l->valueLength + (ed->typing && line == ed->cursor.line ? ed->cursor.overflow : 0);
    ED_HOST(edChoice, show, ed, line, column, 0);
}

void EdApplyEnumChoice(PCFDATA *ed)
{
    ed->editFlags &= ~EF_ENUM_OPEN;
    EdEnumList *list = (EdEnumList *)ed->enumList;
    if (!list || !list->count)
        return;
    uint8_t stack[512];
    uint8_t *chosen = list->count <= sizeof stack ? stack : (uint8_t *)CSGetMem(list->count, "ENUMLIST");
    if (!chosen)
        return;
    memset(chosen, 0, list->count);
    if (ED_HOST(edChoice, chosen, ed, chosen, list->count))
        EdApplyEnumEntries(ed, list, chosen);
    if (chosen != stack)
        CSFreeMem(chosen);
}

/* ---- partner brackets ---- */

enum { DEPTH_BRACE, DEPTH_SQUARE, DEPTH_ANGLE, DEPTH_PAREN };

/* Which counter a byte moves: +1 opening, -1 closing, 0 neither. */
static int Bracket(const FmtCodepage *cp, unsigned char c, int *which)
{
    static const struct { int open, close, depth; } pairs[] = {
        { CP_LBRACE, CP_RBRACE, DEPTH_BRACE }, { CP_LBRK, CP_RBRK, DEPTH_SQUARE },
        { CP_LT, CP_GT, DEPTH_ANGLE }, { CP_LPAR, CP_RPAR, DEPTH_PAREN },
    };
    for (auto &p : pairs) {
        *which = p.depth;
        if (c == cp->ch[p.open])
            return 1;
        if (c == cp->ch[p.close])
            return -1;
    }
    return 0;
}

/* The scan: step +1 forwards, -1 backwards; *unmatched set when it stops
 * at a bracket that cannot be matched. */
static const unsigned char *Scan(const FmtCodepage *cp, const unsigned char *from, const unsigned char *limit,
                                 int step, int *unmatched)
{
    int depth[4] = {}, quoted = 0;
    *unmatched = 0;
    for (const unsigned char *p = from; step > 0 ? p < limit : p >= limit; p += step) {
        if (*p == cp->ch[CP_QUOTE]) {
            quoted ^= 1;
            continue;
        }
        int which, kind = quoted ? 0 : Bracket(cp, *p, &which);
        if (!kind)
            continue;
        depth[which] += kind * step;
        if (kind * step > 0)
            continue;                   /* opens in the scan direction */
        if (depth[DEPTH_PAREN] || depth[DEPTH_BRACE]) {
            if (depth[DEPTH_BRACE] < 0) {
                *unmatched = 1;
                return p;
            }
        } else if (!depth[DEPTH_ANGLE] && !depth[DEPTH_SQUARE]) {
            return p;
        }
        for (int d : depth)
            if (d < 0) {
                *unmatched = 1;
                return p;
            }
    }
    return nullptr;
}

static const unsigned char *Matched(PCFDATA *ed, const unsigned char *p, int unmatched)
{
    if (!p) {
        EdSetStatus(ed, "Partner tag was not found");
    } else if (unmatched) {
        EdSetStatus(ed, "Unmatched bracket found");
    }
    return p;
}

const unsigned char *EdMatchBracketFwd(PCFDATA *ed, const FmtCodepage *cp, unsigned char, const unsigned char *from,
                                       const unsigned char *end)
{
    int unmatched;
    const unsigned char *p = Scan(cp, from, end, 1, &unmatched);
    return Matched(ed, p, unmatched);
}

const unsigned char *EdMatchBracketBack(PCFDATA *ed, const FmtCodepage *cp, unsigned char, const unsigned char *from,
                                        const unsigned char *start)
{
    int unmatched;
    const unsigned char *p = Scan(cp, from, start, -1, &unmatched);
    return Matched(ed, p, unmatched);
}

int EdFindPartnerTag(PCFDATA *ed, const LINEDATA *l)
{
    CSDATA *b = l->buffer;
    uint32_t at = ed->cursor.digit / 2;
    if (!b || at >= b->length) {
        EdSetStatus(ed, notOnTag);
        return 0;
    }
    uint32_t ccsid = l->structure || ed->descriptor.length < 32 ? l->dataCcsid
                                                                 : FmtRd32(ed->descriptor.data + 28, 546);
    const FmtCodepage *cp = FmtGetCodepage(ccsid);
    int which, kind = Bracket(cp, b->data[at], &which);
    if (!kind) {
        EdSetStatus(ed, notOnTag);
        return 0;
    }
    const unsigned char *p = kind > 0 ? EdMatchBracketFwd(ed, cp, 0, b->data + at, b->data + b->length)
                                      : EdMatchBracketBack(ed, cp, 0, b->data + at, b->data);
    if (!p)
        return 0;
    ed->flush = 1;
    ed->cursorFromPartner = 1;
    EdCursorTo(ed, b, 2 * (uint32_t)(p - b->data));
    EdFlushTyping(ed);
    EdMoveCursor(ed, 0, 0, MC_GOTO, ed->cursor.column, ed->cursor.line);
    ED_HOST(edHost, invalidate, ed, 0, -1);
    return 1;
}

int EdGotoPartnerTag(PCFDATA *ed)
{
    LINEDATA *l = EdGetLine(ed, ed->cursor.line);
    if (!l || l->buffer != &ed->data) {
        EdSetStatus(ed, "Cursor is not in message area");
        return 0;
    }
    if (l->lineFlags & LF_XML_TAG)
        return EdJumpToPartner(ed, l);
    return EdFindPartnerTag(ed, l);
}
