/* The container's tree: matching an old and a new tree so that expanded
 * and selected lines carry over, the initial selection from the line marks,
 * and the layout pass (levels, rows, visible links, widths, column
 * alignment, tree-line masks and scroll ranges). */
#include <cstring>
#include "cs.h"
#include "cntint.h"

enum { TEXT_FIXED = 0x8000, MAXLEVEL = 32 };

int CntCellWidth(const cntLINE *line, const cntITEM *item)
{
    if ((item->flags & CNTI_EXPANDER) && (line->flags & CNTL_NOEXPANDERS))
        return 0;
    return item->width;
}

/* ---- Matching ---- */

static const cntITEM *Compared(const cntITEM *it)
{
    while (it && it->type == CNTI_TEXT && (it->align & CNTA_NOCOMPARE))
        it = cntNextItem(it);
    return it;
}

static int RunsEqual(const cntLINE *a, const cntLINE *b)
{
    const cntITEM *x = Compared(cntFirstItem(a)), *y = Compared(cntFirstItem(b));
    for (; x && y; x = Compared(cntNextItem(x)), y = Compared(cntNextItem(y))) {
        if (x->type != y->type)
            return 0;
        if (x->type == CNTI_TEXT
            && (x->length != y->length || strcmp(x->text, y->text) != 0))
            return 0;
        if (x->type == CNTI_USERDATA && (x->value != y->value || x->extra != y->extra))
            return 0;
    }
    return !x && !y;
}

void CntMatchTrees(CNTW *rec, cntLINE *o, cntLINE *n)
{
    while (o && n) {
        if ((o->flags & CNTL_LABEL) && (n->flags & CNTL_LABEL)) {
            int c = CntLabelCompare(n, o, n->flags & CNTL_NOCASE);
            if (c < 0) { n = n->next; continue; }
            if (c > 0) { o = o->next; continue; }
        } else if (!RunsEqual(o, n)) {
            o = o->next;
            n = n->next;
            continue;
        }
        n->flags = (n->flags & ~CNTL_EXPANDED) | (o->flags & CNTL_EXPANDED);
        if (o == rec->selLine) {
            rec->selLine = n;
            rec->selectionKept = 1;
        }
        CntMatchTrees(rec, o->child, n->child);
        o = o->next;
        n = n->next;
    }
}

/* ---- Initial selection ---- */

static void ClearMarks(cntLINE *l)
{
    l->flags &= ~CNTL_SELECTED;
    for (cntITEM *it = cntFirstItem(l); it; it = cntNextItem(it))
        it->flags &= ~CNTI_SELECTED;
}

static void Marks(CNTW *rec, cntLINE *l)
{
    for (; l; l = l->next) {
        if (l->flags & CNTL_SELECTED) {
            if (rec->selLine)
                ClearMarks(rec->selLine);
            rec->selLine = l;
        }
        Marks(rec, l->child);
    }
}

void CntInitialSelection(CNTW *rec, cntLINE *first)
{
    rec->selLine = nullptr;
    rec->selItem = nullptr;
    Marks(rec, first);
    if (!rec->selLine)
        return;
    rec->selectionKept = 1;
    for (cntITEM *it = cntFirstItem(rec->selLine); it; it = cntNextItem(it))
        if (it->flags & CNTI_SELECTED) {
            rec->selItem = it;
            rec->selLine->flags &= ~CNTL_SELECTED;
            break;
        }
}

/* ---- Layout ---- */

struct Walk {
    CNTW *rec;
    uint32_t row;
    cntLINE *last;        /* last visible line so far */
    int widest;
    uint8_t generation;
};

static int Passes(const CNTW *rec, const cntLINE *l)
{
    return (l->filter & rec->filter) == l->filter;
}

static void Measure(Walk *w, cntLINE *l)
{
    if (l->width && l->generation == w->generation)
        return;
    CNTW *rec = w->rec;
    uint32_t sum = 0;
    for (cntITEM *it = cntFirstItem(l); it; it = cntNextItem(it)) {
        switch (it->type) {
        case CNTI_TEXT:
            if (it->align & TEXT_FIXED)
                break;
            if (it->align & CNTA_CHARS) {
                it->width = (uint16_t)(it->chars * rec->avgChar * 3 / 2);
            } else {
                SIZE sz = {};
                GetTextExtentPoint32A(rec->measureDC, it->text, (int)strlen(it->text), &sz);
                int32_t w = sz.cx + 2 * CNT_TEXT_MARGIN;
                it->width = (uint16_t)(w > 0xFFFF ? 0xFFFF : w);
            }
            break;
        case CNTI_DRAW:
        case CNTI_CHECK:
            it->width = (uint16_t)rec->indent;
            break;
        case CNTI_USERDATA:
            it->width = 0;
            break;
        default:
            CSTrap("cnt", __TIMESTAMP__, __LINE__, it->type);
            break;
        }
        if (!(it->flags & CNTI_EXPANDER))
            sum += it->width;
    }
    l->width = (uint16_t)(sum > 0xFFFF ? 0xFFFF : sum);
    l->generation = w->generation;
}

/* Is there a child to show below a collapsed line? */
static int Showable(const CNTW *rec, const cntLINE *l)
{
    for (; l; l = l->next) {
        if (!Passes(rec, l))
            continue;
        if (!(l->flags & CNTL_NOTCHILD))
            return 1;
        if (Showable(rec, l->child))
            return 1;
    }
    return 0;
}

/* Makes the n-th column-aligned items of the shown lines of a list as wide
 * as the widest of them. */
static void AlignColumns(cntLINE *first)
{
    for (int col = 0;; col++) {
        int widest = -1;
        for (cntLINE *l = first; l; l = l->next) {
            if (!(l->flags & CNTL_COLUMNS))
                continue;
            int n = 0;
            for (cntITEM *it = cntFirstItem(l); it; it = cntNextItem(it))
                if ((it->flags & CNTI_COLUMN) && n++ == col && it->width > widest)
                    widest = it->width;
        }
        if (widest < 0)
            break;
        for (cntLINE *l = first; l; l = l->next) {
            if (!(l->flags & CNTL_COLUMNS))
                continue;
            int n = 0;
            for (cntITEM *it = cntFirstItem(l); it; it = cntNextItem(it))
                if ((it->flags & CNTI_COLUMN) && n++ == col && it->width != widest) {
                    l->width = (uint16_t)(l->width + widest - it->width);
                    it->width = (uint16_t)widest;
                }
        }
    }
    for (cntLINE *l = first; l; l = l->next)
        if (l->flags & CNTL_COLUMNS)
            l->flags |= CNTL_ALIGNED;
}

static void Show(Walk *w, cntLINE *l, uint32_t level, int indent)
{
    l->level = level;
    l->indent = (uint16_t)indent;
    l->row = w->row++;
    l->prevVisible = w->last;
    l->nextVisible = nullptr;
    if (w->last)
        w->last->nextVisible = l;
    else
        w->rec->firstVisible = l;
    w->last = l;
    if (l == w->rec->selLine)
        w->rec->selSeen = 1;
}

/* Lays out one sibling list; returns the number of lines shown from it. */
static uint32_t LayoutList(Walk *w, cntLINE *first, uint32_t level, int indent)
{
    CNTW *rec = w->rec;
    uint32_t shown = 0;
    int expanders = 0, childToShow = 0, columns = 0;
    for (cntLINE *l = first; l; l = l->next) {
        if (!Passes(rec, l)) {
            if (l->flags & CNTL_EXPANDER)
                shown += LayoutList(w, l->child, level, indent);
            continue;
        }
        Show(w, l, level, indent);
        shown++;
        Measure(w, l);
        columns |= l->flags & CNTL_COLUMNS;
        int end = indent + l->width;
        if (end > w->widest)
            w->widest = end;
        if (!(l->flags & CNTL_EXPANDER))
            continue;
        expanders = 1;
        int any = (l->flags & CNTL_EXPANDED)
                      ? LayoutList(w, l->child, level + 1, indent + rec->indent) > 0
                      : Showable(rec, l->child);
        if (any) {
            l->flags &= ~CNTL_NOCHILD;
            childToShow = 1;
        } else
            l->flags |= CNTL_NOCHILD;
    }
    for (cntLINE *l = first; l; l = l->next) {
        if (expanders && !childToShow)
            l->flags |= CNTL_NOEXPANDERS;
        else
            l->flags &= ~CNTL_NOEXPANDERS;
    }
    if (columns) {
        AlignColumns(first);
        for (cntLINE *l = first; l; l = l->next)
            if (l->indent + l->width > w->widest && Passes(rec, l))
                w->widest = l->indent + l->width;
    }
    return shown;
}

/* Last-of-level flags and tree-line masks, from the end backwards: a
 * later line at level n before any line above it means the ancestor at
 * level n has a later sibling. */
static void TreeMasks(cntLINE *last)
{
    uint32_t follow = 0;     /* bit n-1: a later line at level n follows */
    for (cntLINE *l = last; l; l = l->prevVisible) {
        uint32_t lv = l->level > MAXLEVEL ? MAXLEVEL : l->level;
        uint32_t bit = 1u << (lv - 1);
        if (follow & bit)
            l->flags &= ~CNTL_LAST;
        else
            l->flags |= CNTL_LAST;
        l->treeMask = follow & ((bit << 1) - 1);
        follow = (follow & ((bit << 1) - 1)) | bit;
    }
}

void CntLayout(CNTW *rec)
{
    Walk w = { rec, 0, nullptr, 0, 0 };
    rec->firstVisible = nullptr;
    rec->selSeen = 0;
    if (rec->lines) {
        w.generation = (uint8_t)rec->lines->generation;
        LayoutList(&w, rec->lines->first, 1, 0);
        rec->lines->flags &= ~1u;
    }
    TreeMasks(w.last);
    rec->v.total = (int32_t)w.row;
    rec->h.total = w.widest;
    rec->v.needed = rec->v.total > rec->v.page;
    rec->h.needed = rec->h.total > rec->h.page;
    int32_t page = rec->rowHeight ? rec->childCy / rec->rowHeight : 0;
    rec->v.page = (uint16_t)(page < rec->v.total ? page : rec->v.total);
    if (rec->v.position + page > rec->v.total)
        rec->v.position = rec->v.total - page > 0 ? rec->v.total - page : 0;
    rec->h.page = (uint16_t)(rec->childCx < rec->h.total ? rec->childCx : rec->h.total);
    if (rec->h.position + rec->childCx > rec->h.total)
        rec->h.position = rec->h.total - rec->childCx > 0 ? rec->h.total - rec->childCx : 0;
    if (!rec->selSeen) {
        if (rec->selItem)
            rec->selItem->flags &= ~CNTI_SELECTED;
        if (rec->selLine)
            rec->selLine->flags &= ~CNTL_SELECTED;
        rec->selLine = nullptr;
        rec->selItem = nullptr;
    }
}
