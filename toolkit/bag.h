/* Pane layout: up to 16 child windows (panes) of one parent laid out on a
 * grid of at most 5 by 5 grid points, separated by draggable 3-pixel
 * splitter windows of class BAGSPLIT.  Panes keep within their limits while
 * the parent is resized or a splitter is dragged; a pane can be hidden
 * towards one side, shown again, or zoomed over the whole area.
 *
 * Build a layout with BagInitialise, one BagAdd per pane and BagValidate;
 * then call BagResize from the parent's sizing handler.  Positions inside
 * the bag are held in tenths of a pixel. */
#pragma once

#include <windows.h>
#include <cstdint>

enum {
    BAG_THICK = 30,           /* splitter thickness in tenths */
    BAG_MAXPANES = 16,
    BAG_MAXNODES = 64,
    BAG_MAXSPLITS = 64,
    BAG_MAXGRID = 4
};

/* Results: 0 or one of these. */
enum BagError {
    BAGERR_NOPANE = 1, BAGERR_NONODE = 2, BAGERR_NOSPLIT = 3,
    BAGERR_NOTPANE = 6, BAGERR_SPLITWINDOW = 7, BAGERR_TOOSMALL = 8,
    BAGERR_GAP = 9, BAGERR_OVERLAP = 10, BAGERR_SPAN = 12,
    BAGERR_COLUMNS = 13, BAGERR_ROWS = 14, BAGERR_DIRECTION = 15,
    BAGERR_HIDDEN = 16, BAGERR_NOTHIDDEN = 17, BAGERR_NOSPLITTER = 18,
    BAGERR_TOOLARGE = 19, BAGERR_NEGX = 20, BAGERR_NEGY = 21, BAGERR_AREA = 22
};

/* Hide directions (also the low four bits of a pane's flags). */
enum { BAG_UP = 1, BAG_DOWN = 2, BAG_LEFT = 4, BAG_RIGHT = 8 };

/* State bits of nodes, panes and splitters. */
enum {
    BAG_FIXEDX = 1, BAG_FIXEDY = 2,
    BAG_CHANGED = 0x10000000, BAG_NEW = 0x40000000
};

/* Placement flags. */
enum { BAG_HOLDWIDTH = 1, BAG_HOLDHEIGHT = 2 };

/* Given to BagAdd in pixels; its last five fields are cleared by every
 * BagAdd so that one record serves the next pane with the same limits. */
struct BagPanePlacement {
    uint32_t minCx, minCy, maxCx, maxCy;   /* 0 = no limit */
    uint32_t pctCx, pctCy;                 /* initial size in percent */
    uint32_t initCx, initCy;               /* initial size in pixels */
    uint32_t flags;                        /* BAG_HOLDWIDTH, BAG_HOLDHEIGHT */
};

struct BagPaneState { int32_t r[4]; uint32_t flags; };  /* left, top, right, bottom */

struct BagPane {
    uint32_t used;
    HWND window;
    int32_t grid[4];               /* top-left x, y, bottom-right x, y */
    BagPanePlacement place;        /* limits and initial sizes in tenths */
    int32_t savedCx, savedCy;      /* size when hidden (tenths) */
    int32_t savedExtCx, savedExtCy;
    int32_t number;
    int32_t split[4];              /* top, bottom, left, right */
    uint32_t cur;
    int32_t node[4];               /* top-left, top-right, bottom-left, bottom-right */
    BagPaneState st[2];
};

struct BagNodeState { uint32_t flags; int32_t pos[2]; };  /* x, y */

struct BagNode {
    uint32_t used, hit, marked;
    int32_t index;
    uint32_t cur;
    int32_t pane;
    int32_t grid[2];
    BagNode *next;                 /* adjust list */
    uint32_t restriction;
    BagNodeState st[2];
};

struct BagSplitter {
    uint32_t used, selected;
    HWND window;
    int32_t pane;
    uint32_t vertical;             /* 1 vertical line moving in x, 0 horizontal */
    int32_t index;
    int32_t cx, cy;                /* client size of its window */
    uint32_t cur;
    int32_t nodeA, nodeB;          /* A has the smaller grid coordinate */
    uint32_t st[2];                /* edge (1 top, 2 bottom, 4 left, 8 right) and state bits */
};

struct BagRecord {
    HWND parent;
    HWND zoomed;
    int32_t x, y;                  /* origin in the parent's client area */
    int32_t cx, cy;                /* size being laid out */
    int32_t extentCx, extentCy;    /* size of the last successful layout */
    int32_t userCx, userCy;        /* last size given to BagResize */
    int32_t dragX, dragY;          /* tenths */
    int32_t suggestX, suggestY;    /* tenths, -1 none */
    int32_t totalArea;
    uint32_t validated, sizedOnce, firstPending, dragging, resizing;
    int32_t columns, rows;
    uint32_t buttonDown;
    uint32_t notifyMsg;
    const COLORREF *colour;
    COLORREF appliedColour;
    uint32_t customColour;
    BagNode *adjustList;
    int32_t paneCount;
    BagPane panes[BAG_MAXPANES];
    int32_t splitCount;
    BagSplitter splits[BAG_MAXSPLITS];
    int32_t nodeCount;
    BagNode nodes[BAG_MAXNODES];
};

int BagInitialise(BagRecord *bag, HWND parent, int32_t extentCx, int32_t extentCy);
int BagAdd(BagRecord *bag, HWND pane, int32_t tlx, int32_t tly, int32_t brx, int32_t bry,
           BagPanePlacement *place, int32_t *paneIndex);
int BagValidate(BagRecord *bag);
int BagResize(BagRecord *bag, int32_t x, int32_t y, int32_t cx, int32_t cy);
int BagSetPanePos(BagRecord *bag, HWND pane, int32_t cx, int32_t cy, int release);
int BagSetOption(BagRecord *bag, uint32_t notifyMsg);
/* The pane's placement (limits in pixels) and its replacement, which
 * re-lays out a validated bag. */
int BagGetPlacement(BagRecord *bag, HWND pane, BagPanePlacement *place);
int BagSetPlacement(BagRecord *bag, HWND pane, const BagPanePlacement *place);

/* Splitters, hiding and zoom. */
int BagSetColour(BagRecord *bag, const COLORREF *colour);
int BagHide(BagRecord *bag, HWND pane, int direction);
int BagShow(BagRecord *bag, HWND pane);
int BagZoomPane(BagRecord *bag, HWND pane);
LRESULT CALLBACK BagSplitProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
