/* Pane layout: building a layout, validation, resizing and the double
 * buffered move-and-commit step.  Every change of a step is written into
 * the pending copy of a node, pane or splitter; a successful commit makes
 * it current, a failure restores it, so that nothing moves half-way. */
#include <cstring>
#include <cmath>
#include "cs.h"
#include "bagint.h"

static int32_t Trunc10(int32_t v) { return v / 10 * 10; }

int BagFindPane(BagRecord *bag, HWND window)
{
    for (int i = 0; i < bag->paneCount; i++)
        if (bag->panes[i].used && bag->panes[i].window == window)
            return i;
    return -1;
}

void BagSetNodePos(BagNode *n, int axis, int32_t v, uint32_t fixed)
{
    BagNodeState *s = BagNP(n);
    s->pos[axis] = v;
    s->flags |= fixed | BAG_CHANGED;
}

/* Rectangle edge of a pane from a node position: an edge more than one
 * splitter away from its border makes room for the splitter. */
static int32_t RectLo(int32_t v) { return Trunc10(v > BAG_THICK ? v + BAG_THICK : v); }
static int32_t RectHi(int32_t v, int32_t size10)
{
    return Trunc10(v < size10 - BAG_THICK ? v - BAG_THICK : v);
}

int32_t BagEdgeFor(int32_t opposite, int side, int32_t want, int32_t size10)
{
    if (side) {
        int32_t goal = RectLo(opposite) + want;
        return goal + BAG_THICK < size10 - BAG_THICK ? goal + BAG_THICK
               : goal >= size10 - BAG_THICK ? goal : goal + BAG_THICK;
    }
    int32_t goal = RectHi(opposite, size10) - want;
    return goal - BAG_THICK > BAG_THICK ? goal - BAG_THICK
           : goal <= BAG_THICK ? goal : goal - BAG_THICK;
}

int BagInitialise(BagRecord *bag, HWND parent, int32_t extentCx, int32_t extentCy)
{
    if (!BagRegisterClass())
        return 1;
    BagPensDefault();
    memset(bag, 0, sizeof *bag);
    if (!extentCx || !extentCy)
        extentCx = extentCy = 10000;
    bag->extentCx = extentCx;
    bag->extentCy = extentCy;
    bag->parent = parent;
    bag->suggestX = bag->suggestY = -1;
    return 0;
}

static void ClearPlacementTail(BagPanePlacement *pl)
{
    pl->pctCx = pl->pctCy = pl->initCx = pl->initCy = pl->flags = 0;
}

static int NewNode(BagRecord *bag, int pane, int gx, int gy)
{
    for (int i = 0; i < BAG_MAXNODES; i++) {
        BagNode *n = &bag->nodes[i];
        if (n->used)
            continue;
        memset(n, 0, sizeof *n);
        n->used = 1;
        n->index = i;
        n->pane = pane;
        n->grid[0] = gx;
        n->grid[1] = gy;
        BagNP(n)->flags = BAG_CHANGED | BAG_NEW;
        if (i >= bag->nodeCount)
            bag->nodeCount = i + 1;
        return i;
    }
    return -1;
}

static int NewSplit(BagRecord *bag, int pane, int a, int b, int vertical, uint32_t edge)
{
    for (int i = 0; i < BAG_MAXSPLITS; i++) {
        BagSplitter *s = &bag->splits[i];
        if (s->used)
            continue;
        memset(s, 0, sizeof *s);
        s->used = 1;
        s->index = i;
        s->pane = pane;
        s->vertical = vertical;
        s->nodeA = a;
        s->nodeB = b;
        *BagSP(s) = edge | BAG_CHANGED | BAG_NEW;
        if (i >= bag->splitCount)
            bag->splitCount = i + 1;
        return i;
    }
    return -1;
}

int BagAdd(BagRecord *bag, HWND window, int32_t tlx, int32_t tly, int32_t brx, int32_t bry,
           BagPanePlacement *place, int32_t *paneIndex)
{
    int rc = 0, slot = -1;
    if (!(tlx >= 0 && tlx < brx && brx <= BAG_MAXGRID && tly >= 0 && tly < bry
          && bry <= BAG_MAXGRID)) {
        rc = BAGERR_SPAN;
        goto out;
    }
    for (int i = 0; i < BAG_MAXPANES && slot < 0; i++)
        if (!bag->panes[i].used)
            slot = i;
    if (slot < 0) {
        rc = BAGERR_NOPANE;
        goto out;
    }
    {
        BagPane *p = &bag->panes[slot];
        memset(p, 0, sizeof *p);
        p->window = window;
        p->grid[0] = tlx; p->grid[1] = tly; p->grid[2] = brx; p->grid[3] = bry;
        p->place = *place;
        p->place.minCx *= 10; p->place.minCy *= 10;
        p->place.maxCx *= 10; p->place.maxCy *= 10;
        p->place.initCx *= 10; p->place.initCy *= 10;
        BagPP(p)->flags = BAG_CHANGED | BAG_NEW;
        for (int k = 0; k < 4; k++)
            p->node[k] = p->split[k] = -1;
        /* corners in the order top-left, top-right, bottom-right, bottom-left */
        static const int order[4] = { 0, 1, 3, 2 };
        const int32_t gx[4] = { tlx, brx, tlx, brx }, gy[4] = { tly, tly, bry, bry };
        for (int k = 0; k < 4; k++) {
            int c = order[k];
            p->node[c] = NewNode(bag, slot, gx[c], gy[c]);
            if (p->node[c] < 0) {
                rc = BAGERR_NONODE;
                break;
            }
        }
        /* splitters: top, left, right, bottom */
        static const struct { int a, b, vertical, edge, slot; } sp[4] = {
            { 0, 1, 0, BAG_UP, 0 }, { 0, 2, 1, BAG_LEFT, 2 },
            { 1, 3, 1, BAG_RIGHT, 3 }, { 2, 3, 0, BAG_DOWN, 1 },
        };
        for (int k = 0; k < 4 && !rc; k++) {
            int s = NewSplit(bag, slot, p->node[sp[k].a], p->node[sp[k].b], sp[k].vertical,
                             sp[k].edge);
            if (s < 0)
                rc = BAGERR_NOSPLIT;
            p->split[sp[k].slot] = s;
        }
        if (rc) {       /* give back what this pane took */
            for (int k = 0; k < 4; k++) {
                if (p->node[k] >= 0)
                    bag->nodes[p->node[k]].used = 0;
                if (p->split[k] >= 0)
                    bag->splits[p->split[k]].used = 0;
            }
            goto out;
        }
        p->used = 1;
        if (slot >= bag->paneCount)
            bag->paneCount = slot + 1;
        if (paneIndex)
            *paneIndex = slot;
    }
out:
    ClearPlacementTail(place);
    return rc;
}

int BagValidate(BagRecord *bag)
{
    int32_t lo[2] = { 1000, 1000 }, hi[2] = { -1000, -1000 };
    int number = 0;
    for (int i = 0; i < bag->paneCount; i++) {
        BagPane *p = &bag->panes[i];
        if (!p->used)
            continue;
        p->number = number++;
        for (int a = 0; a < 2; a++) {
            if (p->grid[a] < lo[a]) lo[a] = p->grid[a];
            if (p->grid[a + 2] > hi[a]) hi[a] = p->grid[a + 2];
        }
    }
    if (!number)
        return BAGERR_GAP;
    if (lo[0] < 0)
        return BAGERR_NEGX;
    if (lo[1] < 0)
        return BAGERR_NEGY;
    for (int i = 0; i < bag->paneCount; i++)
        if (bag->panes[i].used)
            for (int k = 0; k < 4; k++)
                bag->panes[i].grid[k] -= lo[k & 1];
    for (int i = 0; i < bag->nodeCount; i++)
        if (bag->nodes[i].used)
            for (int a = 0; a < 2; a++)
                bag->nodes[i].grid[a] -= lo[a];
    bag->columns = hi[0] - lo[0];
    bag->rows = hi[1] - lo[1];
    if (bag->columns > BAG_MAXGRID)
        return BAGERR_COLUMNS;
    if (bag->rows > BAG_MAXGRID)
        return BAGERR_ROWS;
    for (int cx = 0; cx < bag->columns; cx++)
        for (int cy = 0; cy < bag->rows; cy++) {
            int covered = 0;
            for (int i = 0; i < bag->paneCount; i++) {
                const BagPane *p = &bag->panes[i];
                if (p->used && p->grid[0] <= cx && cx < p->grid[2] && p->grid[1] <= cy
                    && cy < p->grid[3])
                    covered++;
            }
            if (covered != 1)
                return covered ? BAGERR_OVERLAP : BAGERR_GAP;
        }
    const int32_t ext[2] = { bag->extentCx, bag->extentCy }, n[2] = { bag->columns, bag->rows };
    for (int i = 0; i < bag->nodeCount; i++) {
        BagNode *nd = &bag->nodes[i];
        if (!nd->used)
            continue;
        BagNodeState *s = BagNP(nd);
        for (int a = 0; a < 2; a++) {
            int32_t g = nd->grid[a];
            s->pos[a] = (g == 0 ? 0 : g == n[a] ? ext[a] : ext[a] * g / n[a]) * 10;
        }
        s->flags = BAG_CHANGED | BAG_FIXEDX | BAG_FIXEDY;
    }
    bag->cx = bag->extentCx;
    bag->cy = bag->extentCy;
    int rc = BagResizeInt(bag, bag->x, bag->y);
    bag->validated = 1;
    return rc;
}

/* ---- Adjustment: fitting the nodes to a new size ---- */

struct BagLimits { int32_t min[2], max[2]; int hold[2]; int hidden[2]; };

struct AdjustCtx {
    BagRecord *bag;
    BagLimits lim[BAG_MAXPANES];
    int restricted;
    int32_t size10[2], ext10[2];
};

static int NodeFixed(BagNode *n, int axis) { return BagNP(n)->flags & (axis ? BAG_FIXEDY : BAG_FIXEDX); }

static void EffectiveLimits(AdjustCtx *c, int i)
{
    BagRecord *bag = c->bag;
    BagPane *p = &bag->panes[i];
    BagLimits *l = &c->lim[i];
    const BagPanePlacement *pl = &p->place;
    const uint32_t pct[2] = { pl->pctCx, pl->pctCy }, init[2] = { pl->initCx, pl->initCy };
    l->min[0] = pl->minCx; l->min[1] = pl->minCy;
    l->max[0] = pl->maxCx; l->max[1] = pl->maxCy;
    l->hold[0] = pl->flags & BAG_HOLDWIDTH;
    l->hold[1] = pl->flags & BAG_HOLDHEIGHT;
    uint32_t dir = BagPP(p)->flags & 15;
    l->hidden[0] = dir & (BAG_LEFT | BAG_RIGHT);
    l->hidden[1] = dir & (BAG_UP | BAG_DOWN);
    for (int a = 0; a < 2; a++) {
        if (l->hidden[a]) {
            l->min[a] = l->max[a] = 1;
            continue;
        }
        if (!bag->firstPending)
            continue;
        int32_t w = 0;
        if (pct[a]) {
            w = (int32_t)((int64_t)pct[a] * c->size10[a] / 100);
            if (init[a] && w > (int32_t)init[a])
                w = init[a];
        } else if (init[a])
            w = init[a];
        if (!w)
            continue;
        if (l->min[a] && w < l->min[a]) w = l->min[a];
        if (l->max[a] && w > l->max[a]) w = l->max[a];
        l->min[a] = l->max[a] = w;
    }
}

/* Moves the edge's line: every node on the same grid line and place whose
 * other coordinate lies within the span of a pane already on the line. */
static void MoveLine(AdjustCtx *c, BagPane *p, int axis, int side, int32_t to)
{
    BagRecord *bag = c->bag;
    int b = axis ^ 1;
    BagNode *first = BagEdgeNode(bag, p, axis, side, 0);
    int32_t key = BagNP(first)->pos[axis], g = first->grid[axis];
    int queue[BAG_MAXPANES], head = 0, tail = 0;
    uint32_t seen = 1u << (p - bag->panes);
    queue[tail++] = (int)(p - bag->panes);
    while (head < tail) {
        BagPane *q = &bag->panes[queue[head++]];
        int32_t lo = BagNP(&bag->nodes[q->node[0]])->pos[b];
        int32_t hi = BagNP(&bag->nodes[q->node[3]])->pos[b];
        for (int i = 0; i < bag->nodeCount; i++) {
            BagNode *n = &bag->nodes[i];
            BagNodeState *s = BagNP(n);
            if (!n->used || n->grid[axis] != g || s->pos[axis] != key || NodeFixed(n, axis)
                || s->pos[b] < lo || s->pos[b] > hi)
                continue;
            s->pos[axis] = to;
            s->flags |= (axis ? BAG_FIXEDY : BAG_FIXEDX) | BAG_CHANGED;
            if (!(seen & (1u << n->pane))) {
                seen |= 1u << n->pane;
                queue[tail++] = n->pane;
            }
        }
    }
}

static int32_t Scale(AdjustCtx *c, int axis, int32_t old)
{
    if (old == c->ext10[axis])
        return c->size10[axis];
    float f = (float)old * ((float)c->size10[axis] / (float)c->ext10[axis]);
    return (int32_t)std::floor(f + 0.5f);
}

static void AdjustPane(AdjustCtx *c, BagPane *p, int axis)
{
    BagRecord *bag = c->bag;
    const BagLimits *l = &c->lim[p - bag->panes];
    for (int side = 0; side < 2; side++) {
        BagNode *n = BagEdgeNode(bag, p, axis, side, 0);
        BagNode *o = BagEdgeNode(bag, p, axis, side ^ 1, 0);
        if (NodeFixed(n, axis) || (c->restricted && !NodeFixed(o, axis)))
            continue;
        int32_t old = BagNP(n)->pos[axis], opp = BagNP(o)->pos[axis];
        int32_t to;
        if (bag->resizing && l->hold[axis] && NodeFixed(o, axis))
            to = old + (opp - BagNC(o)->pos[axis]);
        else
            to = Scale(c, axis, old);
        if (l->min[axis] || l->max[axis]) {
            int32_t lo = side ? opp : to, hi = side ? to : opp, w;
            w = l->hidden[axis] ? hi - lo : RectHi(hi, c->size10[axis]) - RectLo(lo);
            int32_t want = l->max[axis] && w > l->max[axis] ? l->max[axis]
                         : l->min[axis] && w < l->min[axis] ? l->min[axis] : 0;
            if (want)
                to = l->hidden[axis] ? (side ? opp + want : opp - want)
                                     : BagEdgeFor(opp, side, want, c->size10[axis]);
        }
        MoveLine(c, p, axis, side, to);
    }
}

static void AdjustNode(AdjustCtx *c, BagNode *n)
{
    BagRecord *bag = c->bag;
    const int32_t gmax[2] = { bag->columns, bag->rows };
    for (int a = 0; a < 2; a++) {
        if (!NodeFixed(n, a)) {
            if (n->grid[a] == 0)
                BagSetNodePos(n, a, 0, a ? BAG_FIXEDY : BAG_FIXEDX);
            else if (n->grid[a] == gmax[a])
                BagSetNodePos(n, a, c->size10[a], a ? BAG_FIXEDY : BAG_FIXEDX);
        }
        if (!c->restricted || (n->restriction & (a ? (2 | 32) : (1 | 16))))
            AdjustPane(c, &bag->panes[n->pane], a);
    }
}

static void Adjust(BagRecord *bag)
{
    AdjustCtx c;
    c.bag = bag;
    c.size10[0] = bag->cx * 10; c.size10[1] = bag->cy * 10;
    c.ext10[0] = bag->extentCx * 10; c.ext10[1] = bag->extentCy * 10;
    bag->adjustList = nullptr;
    for (int i = 0; i < bag->paneCount; i++) {
        BagPane *p = &bag->panes[i];
        if (!p->used)
            continue;
        EffectiveLimits(&c, i);
        const BagLimits *l = &c.lim[i];
        uint32_t v = (l->hold[0] ? 16 : 0) | (l->hold[1] ? 32 : 0)
                   | (l->min[0] || l->max[0] ? 1 : 0) | (l->min[1] || l->max[1] ? 2 : 0);
        for (int k = 0; k < 4; k++) {
            BagNode *n = &bag->nodes[p->node[k]];
            uint32_t r = v;
            if (n->grid[0] == 0 || n->grid[0] == bag->columns)
                r = (r & ~(1u | 16u)) | 0x10000000;
            if (n->grid[1] == 0 || n->grid[1] == bag->rows)
                r = (r & ~(2u | 32u)) | 0x20000000;
            n->restriction = r;
            BagNode **at = &bag->adjustList;        /* largest first, stable */
            while (*at && (*at)->restriction >= r)
                at = &(*at)->next;
            n->next = *at;
            *at = n;
        }
    }
    c.restricted = 1;
    for (BagNode *n = bag->adjustList; n && n->restriction; n = n->next)
        AdjustNode(&c, n);
    c.restricted = 0;
    for (BagNode *n = bag->adjustList; n; n = n->next)
        AdjustNode(&c, n);
}

/* ---- Move and commit ---- */

void BagRestore(BagRecord *bag)
{
    for (int i = 0; i < bag->nodeCount; i++) {
        BagNode *n = &bag->nodes[i];
        if (!n->used)
            continue;
        uint32_t keep = BagNP(n)->flags & BAG_NEW;
        *BagNP(n) = *BagNC(n);
        BagNP(n)->flags = keep;
    }
    for (int i = 0; i < bag->paneCount; i++) {
        BagPane *p = &bag->panes[i];
        if (!p->used)
            continue;
        uint32_t keep = BagPP(p)->flags & BAG_NEW;
        *BagPP(p) = *BagPC(p);
        BagPP(p)->flags |= keep;
    }
    for (int i = 0; i < bag->splitCount; i++) {
        BagSplitter *s = &bag->splits[i];
        if (s->used)
            *BagSP(s) = s->st[s->cur] & 0xFFFFFF;
    }
}

static int PaneHidden(BagPane *p) { return BagPP(p)->flags & 15; }

/* A pane outside its limits: sets the drag's suggested position. */
static int CheckLimits(BagRecord *bag, BagPane *p)
{
    const BagPaneState *s = BagPP(p);
    const int32_t mins[2] = { (int32_t)p->place.minCx, (int32_t)p->place.minCy };
    const int32_t maxs[2] = { (int32_t)p->place.maxCx, (int32_t)p->place.maxCy };
    const int32_t drag[2] = { bag->dragX, bag->dragY };
    int32_t *suggest[2] = { &bag->suggestX, &bag->suggestY };
    for (int a = 0; a < 2; a++) {
        int32_t lo = s->r[a], hi = s->r[a + 2], w = hi - lo, limit = 0;
        int rc = 0;
        if (mins[a] && w < mins[a]) { limit = mins[a]; rc = BAGERR_TOOSMALL; }
        else if (maxs[a] && w > maxs[a]) { limit = maxs[a]; rc = BAGERR_TOOLARGE; }
        if (!rc)
            continue;
        if (bag->dragging && *suggest[a] == -1) {
            int32_t lnode = BagNP(BagEdgeNode(bag, p, a, 0, 0))->pos[a];
            int32_t hnode = BagNP(BagEdgeNode(bag, p, a, 1, 0))->pos[a];
            if (std::abs(drag[a] - hnode) <= 2 * BAG_THICK)
                *suggest[a] = lo + limit + BAG_THICK;
            else if (std::abs(drag[a] - lnode) <= 2 * BAG_THICK)
                *suggest[a] = hi - limit - BAG_THICK;
        }
        return rc;
    }
    return 0;
}

static int CheckPanes(BagRecord *bag)
{
    int64_t area = 0;
    const int32_t size10[2] = { bag->cx * 10, bag->cy * 10 };
    for (int i = 0; i < bag->paneCount; i++) {
        BagPane *p = &bag->panes[i];
        if (!p->used)
            continue;
        const BagNodeState *tl = BagNP(&bag->nodes[p->node[0]]);
        const BagNodeState *br = BagNP(&bag->nodes[p->node[3]]);
        int32_t w = br->pos[0] - tl->pos[0], h = br->pos[1] - tl->pos[1];
        uint32_t dir = PaneHidden(p);
        if (bag->dragging && (((dir & (BAG_UP | BAG_DOWN)) && h != 1)
                              || ((dir & (BAG_LEFT | BAG_RIGHT)) && w != 1)))
            return BAGERR_TOOSMALL;
        if (w < 1 || h < 1)
            return BAGERR_TOOSMALL;
        for (int a = 0; a < 2; a++)
            if (tl->pos[a] < 0 || br->pos[a] > size10[a])
                return BAGERR_SPAN;
        if ((BagPP(p)->flags & BAG_CHANGED) && !dir) {
            int rc = CheckLimits(bag, p);
            if (rc)
                return rc;
        }
        area += (int64_t)w * h;
    }
    if (area != (int64_t)size10[0] * size10[1])
        return BAGERR_AREA;
    bag->totalArea = (int32_t)area;
    return 0;
}

static void SplitRect(BagRecord *bag, BagSplitter *s, RECT *rc)
{
    const BagNodeState *a = BagNP(&bag->nodes[s->nodeA]);
    const BagNodeState *b = BagNP(&bag->nodes[s->nodeB]);
    uint32_t edge = *BagSP(s) & 15;
    int ax = s->vertical ? 0 : 1, ob = ax ^ 1;
    int32_t at = a->pos[ax] - (edge == BAG_LEFT || edge == BAG_UP ? 0 : BAG_THICK);
    int32_t p[2], q[2];
    p[ax] = at;
    p[ob] = a->pos[ob];
    q[ax] = at + BAG_THICK;
    q[ob] = b->pos[ob];
    SetRect(rc, bag->x + p[0] / 10, bag->y + p[1] / 10, bag->x + q[0] / 10, bag->y + q[1] / 10);
}

static void Place(HWND w, const RECT *rc)
{
    SetWindowPos(w, nullptr, rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top,
                 SWP_NOREDRAW | SWP_NOCOPYBITS);
}

static int Commit(BagRecord *bag)
{
    HWND moved[BAG_MAXPANES + BAG_MAXSPLITS];
    int nmoved = 0, rc = 0;
    if (bag->validated && (rc = CheckPanes(bag)) != 0) {
        BagRestore(bag);
        return rc;
    }
    for (int i = 0; i < bag->splitCount; i++) {
        BagSplitter *s = &bag->splits[i];
        if (!s->used || (s->window && !(*BagSP(s) & BAG_CHANGED)))
            continue;
        RECT r;
        SplitRect(bag, s, &r);
        if (s->window) {
            if (!bag->zoomed) {
                Place(s->window, &r);
                moved[nmoved++] = s->window;
            }
        } else {
            void **block = (void **)CSGetMem(2 * sizeof(void *), "BAGSPLIT");
            if (block) {
                block[0] = bag;
                block[1] = s;
                s->window = CreateWindowExA(0, "BAGSPLIT", "", WS_CHILD | WS_VISIBLE, r.left,
                                            r.top, r.right - r.left, r.bottom - r.top,
                                            bag->parent, nullptr, GetModuleHandleA(nullptr),
                                            block);
                if (!s->window)
                    CSFreeMem(block);
            }
            if (!s->window) {
                BagRestore(bag);
                return BAGERR_SPLITWINDOW;
            }
        }
        s->st[s->cur] = *BagSP(s) & ~(BAG_CHANGED | BAG_NEW);
        s->cur ^= 1;
        *BagSP(s) = s->st[s->cur];
    }
    for (int i = 0; i < bag->nodeCount; i++) {
        BagNode *n = &bag->nodes[i];
        if (!n->used)
            continue;
        BagNP(n)->flags &= ~(BAG_FIXEDX | BAG_FIXEDY | BAG_CHANGED | BAG_NEW);
        *BagNC(n) = *BagNP(n);
        n->cur ^= 1;
    }
    for (int i = 0; i < bag->paneCount; i++) {
        BagPane *p = &bag->panes[i];
        if (!p->used)
            continue;
        BagPaneState *s = BagPP(p);
        if ((s->flags & BAG_CHANGED) && !(s->flags & 15) && !bag->zoomed) {
            RECT r;
            SetRect(&r, bag->x + s->r[0] / 10, bag->y + s->r[1] / 10, bag->x + s->r[2] / 10,
                    bag->y + s->r[3] / 10);
            Place(p->window, &r);
            moved[nmoved++] = p->window;
            if (bag->notifyMsg)
                SendMessageA(bag->parent, bag->notifyMsg, (WPARAM)p->window,
                             MAKELPARAM(r.right - r.left, r.bottom - r.top));
        }
        s->flags &= ~(BAG_CHANGED | BAG_NEW);
        *BagPC(p) = *s;
        p->cur ^= 1;
    }
    if (!bag->zoomed) {
        /* Splitters on the outer border have nothing to separate.  The
         * border is that of the size just laid out. */
        const int32_t size10[2] = { bag->cx * 10, bag->cy * 10 };
        for (int i = 0; i < bag->splitCount; i++) {
            BagSplitter *s = &bag->splits[i];
            if (!s->used || !s->window)
                continue;
            int ax = s->vertical ? 0 : 1;
            int32_t at = BagNC(&bag->nodes[s->nodeA])->pos[ax];
            int border = at <= 2 * BAG_THICK || std::abs(at - size10[ax]) <= 2 * BAG_THICK;
            ShowWindow(s->window, border ? SW_HIDE : SW_SHOWNA);
        }
        if (bag->parent)
            InvalidateRect(bag->parent, nullptr, FALSE);
        while (nmoved > 0)
            RedrawWindow(moved[--nmoved], nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
    return 0;
}

int BagMove(BagRecord *bag)
{
    for (int i = 0; i < bag->splitCount; i++) {
        BagSplitter *s = &bag->splits[i];
        if (!s->used)
            continue;
        int ax = s->vertical ? 0 : 1;
        BagNodeState *a = BagNP(&bag->nodes[s->nodeA]), *b = BagNP(&bag->nodes[s->nodeB]);
        if (a->flags & BAG_CHANGED) {
            b->pos[ax] = a->pos[ax];
            b->flags |= BAG_CHANGED;
        }
        if (b->flags & BAG_CHANGED) {
            a->pos[ax] = b->pos[ax];
            a->flags |= BAG_CHANGED;
        }
        *BagSP(s) |= BAG_CHANGED;
    }
    const int32_t size10[2] = { bag->cx * 10, bag->cy * 10 };
    for (int i = 0; i < bag->paneCount; i++) {
        BagPane *p = &bag->panes[i];
        if (!p->used)
            continue;
        const BagNodeState *tl = BagNP(&bag->nodes[p->node[0]]);
        const BagNodeState *br = BagNP(&bag->nodes[p->node[3]]);
        BagPaneState *s = BagPP(p);
        int32_t r[4];
        for (int a = 0; a < 2; a++) {
            r[a] = RectLo(tl->pos[a]);
            r[a + 2] = RectHi(br->pos[a], size10[a]);
        }
        if (memcmp(r, s->r, sizeof r)) {
            memcpy(s->r, r, sizeof r);
            s->flags |= BAG_CHANGED;
        }
    }
    return Commit(bag);
}

int BagResizeInt(BagRecord *bag, int32_t x, int32_t y)
{
    if (!bag->cx || !bag->cy)
        return 0;
    if (bag->cx < 100) bag->cx = 100;
    if (bag->cy < 100) bag->cy = 100;
    if (x != bag->x || y != bag->y)
        for (int i = 0; i < bag->paneCount; i++)
            if (bag->panes[i].used)
                BagPP(&bag->panes[i])->flags |= BAG_CHANGED;
    bag->x = x;
    bag->y = y;
    Adjust(bag);
    int rc = BagMove(bag);
    if (rc && bag->firstPending) {
        /* initial sizes the window cannot hold (a height remembered from
         * a taller window) are given up rather than failing every later
         * layout; the panes keep their proportions instead */
        bag->firstPending = 0;
        Adjust(bag);
        rc = BagMove(bag);
        if (rc)
            bag->firstPending = 1;
    }
    if (!rc) {
        bag->extentCx = bag->cx;
        bag->extentCy = bag->cy;
        bag->firstPending = 0;
    }
    if (bag->zoomed)
        SetWindowPos(bag->zoomed, nullptr, x, y, bag->cx, bag->cy,
                     SWP_NOREDRAW | SWP_NOCOPYBITS);
    return rc;
}

int BagResize(BagRecord *bag, int32_t x, int32_t y, int32_t cx, int32_t cy)
{
    if (!cx || !cy)
        return 0;
    if (!bag->sizedOnce)
        bag->sizedOnce = bag->firstPending = 1;
    bag->cx = cx;
    bag->cy = cy;
    if (!bag->validated)
        return 0;
    bag->resizing = 1;
    int rc = BagResizeInt(bag, x, y);
    bag->userCx = cx;
    bag->userCy = cy;
    bag->resizing = 0;
    return rc;
}

int BagSetOption(BagRecord *bag, uint32_t notifyMsg)
{
    bag->notifyMsg = notifyMsg;
    return 0;
}

int BagGetPlacement(BagRecord *bag, HWND window, BagPanePlacement *place)
{
    int i = BagFindPane(bag, window);
    if (i < 0)
        return BAGERR_NOTPANE;
    *place = bag->panes[i].place;
    place->minCx /= 10; place->minCy /= 10;
    place->maxCx /= 10; place->maxCy /= 10;
    place->initCx /= 10; place->initCy /= 10;
    return 0;
}

int BagSetPlacement(BagRecord *bag, HWND window, const BagPanePlacement *place)
{
    int i = BagFindPane(bag, window);
    if (i < 0)
        return BAGERR_NOTPANE;
    BagPanePlacement *pl = &bag->panes[i].place;
    *pl = *place;
    pl->minCx *= 10; pl->minCy *= 10;
    pl->maxCx *= 10; pl->maxCy *= 10;
    pl->initCx *= 10; pl->initCy *= 10;
    if (!bag->validated)
        return 0;
    bag->cx = bag->extentCx;
    bag->cy = bag->extentCy;
    return BagResizeInt(bag, bag->x, bag->y);
}

int BagSetPanePos(BagRecord *bag, HWND window, int32_t cx, int32_t cy, int release)
{
    BagPanePlacement pl;
    int rc = BagGetPlacement(bag, window, &pl);
    if (rc)
        return rc;
    if ((int32_t)pl.maxCx == cx && (int32_t)pl.maxCy == cy)
        return 0;
    uint32_t minCx = pl.minCx, minCy = pl.minCy;
    pl.minCx = pl.maxCx = cx;
    pl.minCy = pl.maxCy = cy;
    rc = BagSetPlacement(bag, window, &pl);
    if (release) {
        pl.minCx = cx ? minCx : 0;
        pl.minCy = cx ? minCy : 0;
        rc = BagSetPlacement(bag, window, &pl);
    }
    return rc;
}
