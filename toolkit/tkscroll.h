/* Scroll-bar state: windows that draw their own content in units keep
 * one ScrollState per direction and hand all scrolling to these routines. */
#pragma once

#include <windows.h>
#include <cstdint>

struct ScrollState {
    int32_t position;   /* first unit shown */
    int32_t total;      /* number of units */
    uint16_t page;      /* units that fit in the window */
    uint16_t unit;      /* pixels per unit (0 counts as 1) */
    uint16_t flags;     /* SCROLL_* */
    uint16_t nesting;   /* guards the bar update against re-entry */
    uint16_t owner;     /* the owner's word */
    uint16_t needed;    /* total > page */
};

enum { SCROLL_DISABLENOSCROLL = 1, SCROLL_FOLLOWEND = 2, SCROLL_SUSPENDED = 4 };
/* The program's own scroll requests. */
enum { SCROLL_REQ_SETPOS = 3, SCROLL_REQ_INVIEW = 32 };

int32_t ScrollLargest(const ScrollState *s);
LRESULT ScrollMessage(HWND hwnd, ScrollState *h, ScrollState *v, UINT msg, WPARAM wp, LPARAM lp);
LRESULT ScrollHandleMessage(HWND hwnd, ScrollState *h, ScrollState *v, UINT msg, WPARAM wp,
                            LPARAM lp, HWND companion);
/* Brings the units start..start+count-1 into view (32-bit form of
 * request 32): h or v picks the direction. */
void ScrollIntoView(HWND hwnd, ScrollState *s, int vertical, int32_t start, int32_t count,
                    HWND companion);
/* One step of change units (limited to the range), content scrolled. */
void ScrollStep(HWND hwnd, ScrollState *s, int vertical, int64_t change, HWND companion);
void ScrollUpdateBars(HWND hwnd, ScrollState *h, ScrollState *v, int which);
void ScrollSizeChanged(HWND hwnd, ScrollState *h, ScrollState *v);
void ScrollSetTotal(HWND hwnd, ScrollState *h, ScrollState *v, int32_t total, int update);
void ScrollEnableUpdates(HWND hwnd, ScrollState *h, ScrollState *v, int enable);
void ScrollNoop(HWND hwnd, ScrollState *h, ScrollState *v);
/* Test hook: the wheel-scroll lines (normally read once from the system). */
void ScrollSetWheelLines(int lines);
