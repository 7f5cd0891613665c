/* Pane layout: what the layout steps and the splitter windows share
 * inside the toolkit.  Not for callers of the bag. */
#pragma once

#include "bag.h"

/* The pending (being changed) and current (committed) state copies. */
static inline BagNodeState *BagNP(BagNode *n) { return &n->st[n->cur ^ 1]; }
static inline BagNodeState *BagNC(BagNode *n) { return &n->st[n->cur]; }
static inline BagPaneState *BagPP(BagPane *p) { return &p->st[p->cur ^ 1]; }
static inline BagPaneState *BagPC(BagPane *p) { return &p->st[p->cur]; }
static inline uint32_t *BagSP(BagSplitter *s) { return &s->st[s->cur ^ 1]; }

/* Corner node of a pane on one side along an axis (0 x, 1 y): side 0 is
 * the left or top edge, side 1 the right or bottom; k picks one of the
 * edge's two nodes. */
static inline BagNode *BagEdgeNode(BagRecord *bag, BagPane *p, int axis, int side, int k)
{
    static const int corner[2][2][2] = {
        { { 0, 2 }, { 1, 3 } },      /* x: left tl, bl; right tr, br */
        { { 0, 1 }, { 2, 3 } },      /* y: top tl, tr; bottom bl, br */
    };
    return &bag->nodes[p->node[corner[axis][side][k]]];
}

int BagFindPane(BagRecord *bag, HWND window);
/* Position of a pane's moving edge that gives the pane's rectangle the
 * wanted size, the opposite edge standing at `opposite`. */
int32_t BagEdgeFor(int32_t opposite, int side, int32_t want, int32_t size10);
/* Sets one coordinate of a node in the pending state, marking it changed. */
void BagSetNodePos(BagNode *n, int axis, int32_t v, uint32_t fixed);
/* Move and commit (restores the pending copies on failure). */
int BagMove(BagRecord *bag);
int BagResizeInt(BagRecord *bag, int32_t x, int32_t y);
void BagRestore(BagRecord *bag);

int BagRegisterClass(void);
void BagPensDefault(void);
