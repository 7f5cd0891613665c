/* The container: the program's own tree control.
 *
 * Its content is a tree of lines; each line (cntLINE) is one variable-length
 * record of a 64-byte header and a packed run of items (texts, owner-drawn
 * cells, check boxes, user-data values).  An owner builds a line in a
 * scratch record (from CSGetMem, tag "cntLINE") with cntInitLine and the
 * item adders, copies it into a line set with cntAddLine or cntAddChildLine
 * and hands the set to a container window with cntSetLines.  The window is
 * a pair: an outer window with an optional heading strip and a child that
 * draws, scrolls and takes the keyboard and mouse. */
#pragma once

#include <windows.h>
#include <cstdint>
#include "tkscroll.h"

struct CNTW;
struct cntITEM;

/* Item callback: child window, CtlNotify code, the item, the record. */
typedef int (*cntItemProc)(HWND child, UINT code, cntITEM *item, CNTW *record);

/* Results. */
enum { CNT_ENOTCNT = 1001, CNT_ENOMEM = 1002, CNT_EEXPANDER = 1003, CNT_ELABEL = 1004 };

/* CtlNotify codes of the container. */
enum {
    CN_PAINT = 6024, CN_PRESSED = 6025, CN_RELEASED = 6026, CN_CLICKED = 6027,
    CN_EXPANDING = 6028, CN_COLLAPSING = 6029, CN_SELCHANGE = 6030, CN_ACTIVATE = 6031
};

/* Line flags. */
enum {
    CNTL_EXPANDER = 1, CNTL_EXPANDED = 2, CNTL_SELECTED = 4, CNTL_NOCHILD = 8,
    CNTL_NOEXPANDERS = 16, CNTL_LABEL = 32, CNTL_LAST = 64, CNTL_COLUMNS = 0x100,
    CNTL_ALIGNED = 0x200, CNTL_NOCASE = 0x400, CNTL_NOTCHILD = 0x8000
};

/* Item types and flags. */
enum { CNTI_TEXT = 1, CNTI_DRAW = 2, CNTI_CHECK = 3, CNTI_USERDATA = 4 };
enum {
    CNTI_SELECTABLE = 1, CNTI_PRESSABLE = 2, CNTI_PRESSED = 8, CNTI_SELECTED = 16,
    CNTI_EXPANDER = 32, CNTI_NOFRAME = 64, CNTI_COLUMN = 128
};
/* Text alignment flags. */
enum { CNTA_CENTRE = 1, CNTA_RIGHT = 2, CNTA_CHARS = 4, CNTA_NOCOMPARE = 8 };

/* Container styles. */
enum { CNTS_TREELINES = 1, CNTS_ASKEXPAND = 2, CNTS_NOTIFYSEL = 4, CNTS_ACTIVATE = 8 };

struct cntLINE {
    uint16_t capacity;        /* bytes allocated for this record */
    uint16_t used;            /* header + items + ending zero byte */
    uint32_t level;           /* layout: 1 for top-level lines */
    uint32_t filter;          /* shown only when all bits are in the filter mask */
    uint32_t row;             /* layout: row among the visible lines */
    uint16_t flags;           /* CNTL_* */
    uint16_t label;           /* offset of the sort-label item */
    uint16_t width;           /* layout: width of the items in pixels */
    uint16_t indent;          /* layout: indent in pixels */
    uint32_t treeMask;        /* layout: bit n-1 when the ancestor at level n has a later sibling */
    uint8_t textColour;       /* 0 the container's, else 1-based colour table index */
    uint8_t backColour;
    uint8_t reserved;
    uint8_t generation;       /* line-set generation at the last measurement */
    cntLINE *nextVisible, *prevVisible;
    cntLINE *next, *child;
};
static_assert(sizeof(cntLINE) == 64, "line header");

#pragma pack(push, 1)
struct cntITEM {
    uint8_t type, flags;
    uint16_t length;          /* bytes of this item */
    uint16_t width;           /* pixels */
    uint16_t spare;
    uint64_t value;           /* text/check: caller value; owner-drawn: first pointer; user data */
    uint64_t extra;           /* owner-drawn: context; check: extra value */
    cntItemProc callback;
    /* text items only: */
    uint8_t textColour, backColour;
    uint16_t align;           /* CNTA_* */
    uint16_t chars;           /* width in characters */
    char text[1];             /* with its ending zero */
};
#pragma pack(pop)

struct CntLineSet {
    uint32_t flags;           /* 1 changed: lay out again */
    uint32_t generation;      /* raised by cntSetFont */
    cntLINE *first;
};

/* One colour: the caller's variable, the colour last seen there, and a
 * brush and a pen of it. */
struct CntColour {
    const COLORREF *var;
    COLORREF seen;
    HBRUSH brush;
    HPEN pen;
};
enum { CNTC_TEXT, CNTC_BACK, CNTC_HEADTEXT, CNTC_HEADBACK, CNTC_SELBACK };

/* The control record, in both windows' user data. */
struct CNTW {
    char signature[4];        /* "CNTW" */
    HWND owner, container, child;
    HBITMAP images[3];        /* collapsed, expanded, pressed */
    HDC paintDC;              /* valid during CN_PAINT callbacks */
    RECT lineRect, itemRect;
    cntLINE *pressedLine;
    int mousePressed;
    RECT pressedRect;
    cntITEM *pressedItem;
    int inside, keyPressed;
    int selectionKept, focus;
    cntITEM *selItem;
    cntLINE *selLine;
    int selX;
    int selSeen;
    uint32_t filter;
    uint32_t style;           /* CNTS_* */
    HFONT font;
    HDC measureDC;
    int indent, rowMin, halfIndent, halfRow, rowHeight;
    int childCx, childCy, cx, cy, borderCx, borderCy;
    int headHeight;
    char *heading;
    uint32_t headStyle;
    int charUnit, textHeight, avgChar, scrollCx, scrollCy;
    CntColour colours[5];
    ScrollState h, v;         /* left pixel and widest line; top row and row count */
    CntLineSet *lines;
    cntLINE *firstVisible;
    cntLINE *itemLine;        /* the line of the item a callback is called for */
};

/* Lines (the builders return the line to use from then on in *out). */
int cntInitLine(cntLINE *line, uint16_t capacity, uint16_t flags, uint32_t filter,
                const COLORREF *text, const COLORREF *back);
int cntAddText(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value, cntItemProc cb,
               const char *text, int length, const COLORREF *textColour,
               const COLORREF *backColour);
int cntAddTextEx(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value, cntItemProc cb,
                 const char *text, int length, const COLORREF *textColour,
                 const COLORREF *backColour, int width, uint16_t align);
int cntAddSortLabel(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value,
                    cntItemProc cb, const char *text, int length, const COLORREF *textColour,
                    const COLORREF *backColour);
int cntAddSortLabelNoCase(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value,
                          cntItemProc cb, const char *text, int length,
                          const COLORREF *textColour, const COLORREF *backColour);
int cntAddDraw(cntLINE *line, cntLINE **out, uint8_t flags, void *first, cntItemProc cb);
int cntAddDrawEx(cntLINE *line, cntLINE **out, uint8_t flags, void *first, void *context,
                 cntItemProc cb);
int cntAddCheck(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value, cntItemProc cb);
int cntAddCheckEx(cntLINE *line, cntLINE **out, uint8_t flags, uint64_t value, uint64_t extra,
                  cntItemProc cb);
int cntAddUserData(cntLINE *line, cntLINE **out, uint8_t flags, void *value);
int cntAddExpander(cntLINE *line, cntLINE **out);
int cntAddLine(CntLineSet *set, cntLINE *after, const cntLINE *built, cntLINE **out);
int cntAddChildLine(CntLineSet *set, cntLINE *parent, cntLINE *after, const cntLINE *built,
                    cntLINE **out);
void cntFreeLines(CntLineSet *set, int freeSet);
void *cntGetUserData(const cntLINE *line);
void *cntLineFromItem(CNTW *record, const void *address);
void *cntFindItemLine(cntLINE *first, const void *address, int *found);
/* First item of a line, the item after one (null at the end of the run). */
cntITEM *cntFirstItem(const cntLINE *line);
cntITEM *cntNextItem(const cntITEM *item);

/* The window. */
HWND cntCreateWindow(HWND owner, HBITMAP collapsed, HBITMAP expanded, HBITMAP pressed);
int cntSetLines(HWND window, CntLineSet *set, CntLineSet **old);
int cntSetColours(HWND window, const COLORREF *text, const COLORREF *back,
                  const COLORREF *selection);
int cntSetFont(HWND window, HFONT font);
int cntSetStyle(HWND window, uint32_t style);
int cntScrollToSelection(HWND window);
cntLINE *cntLineAtPos(CNTW *record, int x, int y, cntLINE *start, RECT *itemRect,
                      cntITEM **item);
/* Draws a bitmap centred in the item being painted (during CN_PAINT), its
 * top-left pixel's colour transparent; 0 without a bitmap. */
int cntDrawItemBitmap(CNTW *record, HBITMAP bitmap);
/* The expander item's callback. */
int cntExpanderProc(HWND child, UINT code, cntITEM *item, CNTW *record);
