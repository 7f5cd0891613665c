/* List box internals shared by the list box and its companion windows
 * (the buddy list paints and selects through the list's record). */
#pragma once

#include "tkcontrols.h"
#include "tkscroll.h"
#include "tkpriv.h"

struct ListEntry {
    char *text;
    uint32_t flags;        /* LEF_* */
    uint64_t data;
    int32_t width;         /* -1 not yet measured */
    ListEntry *twin;       /* the hidden copy of a visible entry */
};
enum { LEF_SELECTED = 1, LEF_FOCUS = 16 };

struct EntryArray {
    ListEntry **v;
    int32_t n, cap;
};

struct ListBoxState {
    char eye[4];                 /* "MYLB" */
    HWND hwnd;
    int32_t id;
    HWND buddy, title;
    HFONT font;
    int32_t lastHpos;
    uint32_t measurePending;
    EntryArray items;            /* visible */
    EntryArray all;              /* hidden copy (option 1) */
    ListEntry *lastHidden;
    ListEntry *caretEntry;
    COLORREF textColour, bgColour;
    HBRUSH textBrush, bgBrush;
    ScrollState hs, vs;
    int32_t usableHeight;
    uint8_t redrawOff, bulkLoad;
    uint32_t style;
    int32_t width, height;
    int32_t current;
    uint32_t dragMode;
    uint8_t pendingDrag, dragEnabled, dragging, leftOnce;
    uint32_t emptySelMode;
    int32_t selCount, caret;
    uint8_t captured, selChanged;
    uint8_t vbarShown, fixedWidth;
    uint8_t report1240, report1253;
    uint32_t options;            /* LBO_*, 4 hover pending, 8 tip shown */
    char *filter;
    POINT lastHover;
};
enum { LBO_HOVERPENDING = 4, LBO_TIPSHOWN = 8 };

ListBoxState *ListState(HWND list);
/* One selection step (mouse, keyboard, LB_SETCURSEL). */
void ListSelectStep(ListBoxState *st, WPARAM keys, int32_t index, int mouseDown, int toggle,
                    int keyboard);
/* Keyboard of the list and its buddy; 1 when handled. */
int ListKeyDown(ListBoxState *st, HWND from, WPARAM key);
/* Mouse handling shared with the buddy (drag-out only for the list). */
void ListMouseDown(ListBoxState *st, HWND from, WPARAM keys, LPARAM lp);
void ListMouseMove(ListBoxState *st, HWND from, WPARAM keys, LPARAM lp, int allowDrag);
void ListMouseUp(ListBoxState *st, HWND from, WPARAM keys, LPARAM lp);
/* Focus mark on WM_SETFOCUS / WM_KILLFOCUS. */
void ListFocus(ListBoxState *st, int on);
/* Paints rows of the list into dc for window target with its own
 * horizontal position and brushes. */
void ListPaintRows(ListBoxState *st, HWND target, HDC dc, const RECT *paint, int32_t hpos,
                   HBRUSH bg, COLORREF textColour, COLORREF bgColour);
void ListRepaintRow(ListBoxState *st, int32_t row);
/* The horizontal state of a buddy list (null for another window). */
ScrollState *BuddyHScroll(HWND buddy);
WNDPROC TkListBoxProc(void);
