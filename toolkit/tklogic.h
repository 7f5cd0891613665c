/* Window-free arithmetic of the toolkit: colour shading, placement and
 * spreading, sound gating, spinner dates, toolbar widths, caption choice
 * and tip line breaking. Built on every host; the window code calls it. */
#pragma once

#include <cstddef>
#include <cstdint>

/* Colours are COLORREF values: 0x00BBGGRR. */
#define TK_RGB(r, g, b) ((uint32_t)(((r) & 0xFF) | (((g) & 0xFF) << 8) | (((b) & 0xFF) << 16)))
#define TK_R(c) ((int)((c) & 0xFF))
#define TK_G(c) ((int)(((c) >> 8) & 0xFF))
#define TK_B(c) ((int)(((c) >> 16) & 0xFF))

uint32_t WinShadeColour(uint32_t colour, float percent);
uint32_t WinBlendColour(uint32_t a, uint32_t b, float percent);

/* Placement rectangle (x, y, width, height); x or y of INT32_MIN: no
 * position yet. Area rectangle as a Windows RECT. */
struct PlaceRect { int32_t x, y, cx, cy; };
struct AreaRect { int32_t left, top, right, bottom; };
struct TkPoint { int32_t x, y; };

enum { FIT_THIRD = 1, FIT_TWO_THIRDS = 2, FIT_KEEP_SMALL = 4 };

/* The display layout kept by UtilCheckMonitors. */
struct DisplayLayout {
    int32_t monitors;           /* monitor count */
    AreaRect desktop;           /* work area (one monitor) or virtual screen */
    AreaRect monitor[3];        /* first three monitors, enumeration order */
};

struct SpreadItem { int32_t pos; int32_t user1; int32_t width; int32_t user2; };

void WinFitRectIn(PlaceRect *rect, int clamp, uint32_t fit, const AreaRect *area);
int64_t WinRectOverlap(const PlaceRect *rect, const AreaRect *area);
/* The area WinFitRect fits into: the best of the primary work area and
 * the two further monitors, or the desktop with one monitor or when
 * wholeDesktop is set. */
AreaRect WinChooseFitArea(const DisplayLayout *layout, const PlaceRect *rect, int wholeDesktop);
void WinSpreadItems(int32_t width, int count, SpreadItem *items);
int WinComparePoint(const TkPoint *a, const TkPoint *b);

/* Sounds: the three intervals (seconds, 0 = rule off) and the gate's
 * state. SoundGateAllow decides whether a sound plays at time now. */
struct SoundTimes { int32_t alertGap, alertRun, otherGap; };
struct SoundGate {
    int64_t lastAlert, runStart, lastAlertAsked, lastSound;
    uint8_t hasAlert, hasRun, hasAsked, hasSound;
};
int SoundParseTimes(const char *text, SoundTimes *times);
int SoundGateAllow(SoundGate *gate, const SoundTimes *times, int alert, int64_t now);

/* Scrolling: the position that brings start..start+count into a view of
 * page units at pos; 0 when nothing moves. */
int ScrollIntoViewTarget(int32_t pos, int32_t page, int32_t start, int32_t count, int32_t *target);

/* Spinner dates: days of a 0-based month (31 for a month out of range). */
int SpinIsLeapYear(int year);
int SpinDaysInMonth(int month0, int year);

/* Toolbar entries (the caller's array; TbCreate copies it). The images
 * are bitmap handles. */
struct ToolbarButton {
    const char *text;
    int32_t id;
    uint32_t flags;
    int32_t key;
    void *normal, *pressed, *alternate;
    int32_t width;
    int32_t group;
    int32_t base;
};
enum {
    TBB_ALT = 0x1, TBB_PRESSED = 0x2, TBB_HOT = 0x4, TBB_INERT = 0x8, TBB_SEP = 0x10,
    TBB_CHECK = 0x20, TBB_TICKED = 0x40, TBB_STARTTICK = 0x80, TBB_FLIPALT = 0x100,
    TBB_STRETCH = 0x200, TBB_SHRINK = 0x400, TBB_DISABLED = 0x800
};
/* Sorting, widths in pixels and group ticks of a copied array. */
void TbPrepareButtons(ToolbarButton *b, int n);
/* Width sharing for a client width. */
void TbShareWidths(ToolbarButton *b, int n, int32_t clientWidth);
/* Rows of a bar too narrow for its buttons: a button that would pass the
 * right edge starts the next row.  Where button i lies (x and row), and
 * how many rows the buttons take (1 at least; width 0 or less: one). */
void TbWrapPlace(const ToolbarButton *b, int n, int32_t width, int i, int32_t *x, int32_t *row);
int TbWrapRows(const ToolbarButton *b, int n, int32_t width);
/* Tooltip text: up to the first TAB, "&" dropped. */
void TbTooltipText(const char *text, char *out, size_t size);

/* Caption texts: the first entry (non-empty text) whose width plus the
 * title width is less than the room; -1 for none. */
int CaptionChooseEntry(const uint32_t widths[3], const char *const texts[3], int32_t titleWidth, int32_t room);

/* Line breaking of tip texts. measure gives the pixel width of a piece
 * of text. Returns the number of lines stored (at most max; further lines
 * are dropped). */
struct TipLine { int32_t start, length, width; };
typedef int (*TipMeasure)(void *ctx, const char *text, int length);
int TipBreakLines(const char *text, int length, int limit, int single,
                  TipMeasure measure, void *ctx, TipLine *lines, int max);

/* Case-blind "contains" of the list filter; an empty needle matches. */
int TkContainsNoCase(const char *text, const char *needle);

/* The operational error box text within size bytes: the caller's text
 * (cut so that the last-error line always fits), the last-error line and
 * as much of the system text as fits. */
void WinOpErrorText(char *out, size_t size, const char *text, long code, const char *systemText);

/* The batch log line of a message box: caption padded to 25, ":", text, newline. */
void UtilLogLine(char *out, size_t size, const char *caption, const char *text);
