/* The container's lines: the colour table, the line and item builders, the
 * ordering of new lines by their sort labels, freeing, and the lookups of
 * a line by an address inside it. */
#include <cstring>
#include "cs.h"
#include "cntint.h"

/* ---- Colour table ---- */

static CntColour table[CNT_COLOURS];

void CntColourSet(CntColour *e, const COLORREF *var)
{
    e->var = var;
    if (e->brush) DeleteObject(e->brush);
    if (e->pen) DeleteObject(e->pen);
    e->brush = nullptr;
    e->pen = nullptr;
    if (!var)
        return;
    e->seen = *var;
    e->brush = CreateSolidBrush(e->seen);
    e->pen = CreatePen(PS_SOLID, 1, e->seen);
}

void CntColourRefresh(CntColour *e)
{
    if (e->var && (*e->var != e->seen || !e->brush))
        CntColourSet(e, e->var);
}

int CntColourIndex(const COLORREF *var)
{
    if (!var)
        return 0;
    for (int i = 0; i < CNT_COLOURS; i++)
        if (table[i].var == var)
            return i + 1;
    for (int i = 0; i < CNT_COLOURS; i++)
        if (!table[i].var) {
            CntColourSet(&table[i], var);
            return i + 1;
        }
    return 0;
}

CntColour *CntTableColour(int index)
{
    return index >= 1 && index <= CNT_COLOURS && table[index - 1].var ? &table[index - 1]
                                                                     : nullptr;
}

void CntRefreshColours(CNTW *rec)
{
    for (auto &e : table)
        CntColourRefresh(&e);
    for (auto &e : rec->colours)
        CntColourRefresh(&e);
}

/* ---- Lines and items ---- */

enum { ITEM_HEADER = 38, TEXT_FIXED = 0x8000 /* private: width given in pixels */ };

cntITEM *cntFirstItem(const cntLINE *line)
{
    cntITEM *it = (cntITEM *)((char *)line + sizeof(cntLINE));
    return it->type ? it : nullptr;
}

cntITEM *cntNextItem(const cntITEM *item)
{
    cntITEM *it = (cntITEM *)((char *)item + item->length);
    return it->type ? it : nullptr;
}

int cntInitLine(cntLINE *line, uint16_t capacity, uint16_t flags, uint32_t filter,
                const COLORREF *text, const COLORREF *back)
{
    memset(line, 0, sizeof *line);
    line->capacity = capacity;
    line->flags = flags;
    line->filter = filter;
    line->textColour = (uint8_t)CntColourIndex(text);
    line->backColour = (uint8_t)CntColourIndex(back);
    line->used = sizeof(cntLINE) + 1;
    ((char *)line)[sizeof(cntLINE)] = 0;
    return 0;
}

/* Makes room for an item of `length` bytes, growing the record when it
 * does not fit.  The 16-bit sizes must not wrap: a line that would pass
 * 65535 bytes is refused. */
static cntITEM *Reserve(cntLINE **line, uint32_t length)
{
    cntLINE *l = *line;
    uint32_t need = (uint32_t)l->used + length;
    if (need > 0xFFFF)
        return nullptr;
    if (need > l->capacity) {
        uint32_t cap = (uint32_t)l->used + 1000 + length;
        if (cap > 0xFFFF)
            cap = 0xFFFF;
        cntLINE *n = (cntLINE *)CSGetMem(cap, "cntLINE");
        if (!n)
            return nullptr;
        memcpy(n, l, l->used);
        n->capacity = (uint16_t)cap;
        CSFreeMem(l);
        *line = l = n;
    }
    cntITEM *it = (cntITEM *)((char *)l + l->used - 1);
    memset(it, 0, length);
    it->length = (uint16_t)length;
    l->used = (uint16_t)need;
    ((char *)l)[need - 1] = 0;
    return it;
}

static int AddItem(cntLINE *line, cntLINE **out, uint8_t type, uint8_t flags, uint32_t length,
                   cntITEM **made)
{
    cntITEM *it = Reserve(&line, length);
    if (!it) {
        *out = nullptr;
        return CNT_ENOMEM;
    }
    it->type = type;
    it->flags = flags;
    if (flags & CNTI_COLUMN)
        line->flags = (line->flags | CNTL_COLUMNS) & ~CNTL_ALIGNED;
    if (flags & CNTI_SELECTED)
        line->flags |= CNTL_SELECTED;
    *made = it;
    *out = line;
    return 0;
}

static int AddText(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value,
                   cntItemProc cb, const char *text, int length, const COLORREF *textColour,
                   const COLORREF *backColour, int width, uint16_t align, cntITEM **made)
{
    *made = nullptr;
    if (!text) {
        *out = line;
        return 0;
    }
    int blank = length == -2;
    size_t n = length < 0 ? strlen(text) : (size_t)length;
    if (n > 0xFFFF) {
        *out = nullptr;
        return CNT_ENOMEM;
    }
    cntITEM *it;
    int rc = AddItem(line, out, CNTI_TEXT, flags, (uint32_t)(n + blank + ITEM_HEADER + 1), &it);
    if (rc)
        return rc;
    it->value = value;
    it->callback = cb;
    it->textColour = (uint8_t)CntColourIndex(textColour);
    it->backColour = (uint8_t)CntColourIndex(backColour);
    it->align = align;
    if (width > 0) {
        it->chars = (uint16_t)width;
        it->align |= CNTA_CHARS;
    } else if (width < 0) {
        it->width = (uint16_t)-width;
        it->align |= TEXT_FIXED;
    }
    if (blank)
        it->text[0] = ' ';
    memcpy(it->text + blank, text, n);
    it->text[n + blank] = 0;
    *made = it;
    return 0;
}

int cntAddTextEx(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value, cntItemProc cb,
                 const char *text, int length, const COLORREF *textColour,
                 const COLORREF *backColour, int width, uint16_t align)
{
    cntITEM *it;
    return AddText(line, out, flags, value, cb, text, length, textColour, backColour, width,
                   align, &it);
}

int cntAddText(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value, cntItemProc cb,
               const char *text, int length, const COLORREF *textColour,
               const COLORREF *backColour)
{
    return cntAddTextEx(line, out, flags, value, cb, text, length, textColour, backColour, 0,
                        0);
}

static int AddLabel(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value,
                    cntItemProc cb, const char *text, int length, const COLORREF *textColour,
                    const COLORREF *backColour, uint16_t lineFlags)
{
    if (line->flags & CNTL_LABEL) {
        *out = line;
        return CNT_ELABEL;
    }
    cntITEM *it;
    int rc = AddText(line, out, flags, value, cb, text, length, textColour, backColour, 0, 0,
                     &it);
    if (rc || !it)
        return rc;
    (*out)->flags |= lineFlags;
    (*out)->label = (uint16_t)((char *)it - (char *)*out);
    return 0;
}

int cntAddSortLabel(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value,
                    cntItemProc cb, const char *text, int length, const COLORREF *textColour,
                    const COLORREF *backColour)
{
    return AddLabel(line, out, flags, value, cb, text, length, textColour, backColour,
                    CNTL_LABEL);
}

int cntAddSortLabelNoCase(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value,
                          cntItemProc cb, const char *text, int length,
                          const COLORREF *textColour, const COLORREF *backColour)
{
    return AddLabel(line, out, flags, value, cb, text, length, textColour, backColour,
                    CNTL_LABEL | CNTL_NOCASE);
}

static int AddCell(cntLINE *line, cntLINE **out, uint8_t type, uint8_t flags, uint64_t value,
                   uint64_t extra, cntItemProc cb)
{
    cntITEM *it;
    int rc = AddItem(line, out, type, flags, type == CNTI_USERDATA ? 24 : 32, &it);
    if (rc)
        return rc;
    it->value = value;
    if (type != CNTI_USERDATA) {
        it->extra = extra;
        it->callback = cb;
    }
    return 0;
}

int cntAddDraw(cntLINE *line, cntLINE **out, uint8_t flags, void *first, cntItemProc cb)
{
    return AddCell(line, out, CNTI_DRAW, flags, (uint64_t)(uintptr_t)first, 0, cb);
}

int cntAddDrawEx(cntLINE *line, cntLINE **out, uint8_t flags, void *first, void *context,
                 cntItemProc cb)
{
    return AddCell(line, out, CNTI_DRAW, flags, (uint64_t)(uintptr_t)first,
                   (uint64_t)(uintptr_t)context, cb);
}

int cntAddCheck(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value, cntItemProc cb)
{
    return AddCell(line, out, CNTI_CHECK, flags, value, 0, cb);
}

int cntAddCheckEx(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value, uint64_t extra,
                  cntItemProc cb)
{
    return AddCell(line, out, CNTI_CHECK, flags, value, extra, cb);
}

int cntAddUserData(cntLINE *line, cntLINE **out, uint8_t flags, void *value)
{
    return AddCell(line, out, CNTI_USERDATA, flags, (uint64_t)(uintptr_t)value, 0, nullptr);
}

int cntAddExpander(cntLINE *line, cntLINE **out)
{
    if (line->flags & CNTL_EXPANDER)
        return CNT_EEXPANDER;
    int rc = AddCell(line, out, CNTI_DRAW, CNTI_EXPANDER | CNTI_PRESSABLE, 0, 0,
                     cntExpanderProc);
    if (!rc)
        (*out)->flags |= CNTL_EXPANDER;
    return rc;
}

/* ---- Line sets ---- */

static const cntITEM *Label(const cntLINE *l)
{
    return (const cntITEM *)((const char *)l + l->label);
}

int CntLabelCompare(const cntLINE *a, const cntLINE *b, int nocase)
{
    const char *x = Label(a)->text, *y = Label(b)->text;
    size_t lx = strlen(x), ly = strlen(y), n = lx < ly ? lx : ly;
    for (size_t i = 0; i < n; i++) {
        int cx = (unsigned char)x[i], cy = (unsigned char)y[i];
        if (nocase) {
            if (cx >= 'a' && cx <= 'z') cx -= 32;
            if (cy >= 'a' && cy <= 'z') cy -= 32;
        }
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return lx < ly ? -1 : lx > ly ? 1 : 0;
}

/* A label line goes in among its sorted siblings.  When the line it is
 * added after is a label it does not sort before, the search starts
 * there: lines added in their order go in without walking the list. */
static void Insert(cntLINE **head, cntLINE *after, cntLINE *n)
{
    if (n->flags & CNTL_LABEL) {
        int hinted = after && (after->flags & (CNTL_LABEL | CNTL_NOCASE)) == (n->flags & (CNTL_LABEL | CNTL_NOCASE))
                     && CntLabelCompare(n, after, n->flags & CNTL_NOCASE) >= 0;
        cntLINE **at = hinted ? &after->next : head;
        while (*at && ((*at)->flags & CNTL_LABEL)
               && CntLabelCompare(n, *at, n->flags & CNTL_NOCASE) >= 0)
            at = &(*at)->next;
        n->next = *at;
        *at = n;
    } else if (after) {
        n->next = after->next;
        after->next = n;
    } else {
        n->next = *head;
        *head = n;
    }
}

static int Copy(CntLineSet *set, cntLINE **head, cntLINE *after, const cntLINE *built,
                cntLINE **out)
{
    cntLINE *n = (cntLINE *)CSGetMem(built->used, "cntLINE");
    if (out)
        *out = n;
    if (!n)
        return CNT_ENOMEM;
    memcpy(n, built, built->used);
    n->capacity = built->used;
    n->next = n->child = n->nextVisible = n->prevVisible = nullptr;
    n->width = 0;
    Insert(head, after, n);
    set->flags |= 1;
    return 0;
}

int cntAddLine(CntLineSet *set, cntLINE *after, const cntLINE *built, cntLINE **out)
{
    return Copy(set, &set->first, after, built, out);
}

int cntAddChildLine(CntLineSet *set, cntLINE *parent, cntLINE *after, const cntLINE *built,
                    cntLINE **out)
{
    return Copy(set, &parent->child, after, built, out);
}

static void FreeList(cntLINE *l)
{
    while (l) {
        cntLINE *next = l->next;
        FreeList(l->child);
        CSFreeMem(l);
        l = next;
    }
}

void cntFreeLines(CntLineSet *set, int freeSet)
{
    if (!set)
        return;
    FreeList(set->first);
    set->first = nullptr;
    if (freeSet)
        CSFreeMem(set);
}

void *cntGetUserData(const cntLINE *line)
{
    for (cntITEM *it = cntFirstItem(line); it; it = cntNextItem(it))
        if (it->type == CNTI_USERDATA)
            return (void *)(uintptr_t)it->value;
    return nullptr;
}

static int Holds(const cntLINE *l, const void *a)
{
    return (const char *)a >= (const char *)l && (const char *)a < (const char *)l + l->capacity;
}

static const cntLINE *FindHolder(const cntLINE *l, const void *a)
{
    for (; l; l = l->next) {
        if (Holds(l, a))
            return l;
        if (const cntLINE *d = FindHolder(l->child, a))
            return d;
    }
    return nullptr;
}

void *cntLineFromItem(CNTW *rec, const void *address)
{
    if (!rec || !rec->lines)
        return nullptr;
    for (cntLINE *t = rec->lines->first; t; t = t->next)
        if (Holds(t, address))
            return cntGetUserData(t);
    for (cntLINE *t = rec->lines->first; t; t = t->next)
        if (const cntLINE *d = FindHolder(t->child, address)) {
            void *ud = cntGetUserData(d);
            return ud ? ud : cntGetUserData(t);
        }
    return nullptr;
}

static void *FindItemLine(cntLINE *first, const void *address, int *found)
{
    for (cntLINE *l = first; l; l = l->next) {
        if (Holds(l, address)) {
            *found = 1;
            return cntGetUserData(l);
        }
        void *r = FindItemLine(l->child, address, found);
        if (*found) {
            void *ud = cntGetUserData(l);
            return ud ? ud : r;
        }
    }
    return nullptr;
}

void *cntFindItemLine(cntLINE *first, const void *address, int *found)
{
    int f = 0;
    void *r = FindItemLine(first, address, &f);
    if (found)
        *found = f;
    return r;
}
