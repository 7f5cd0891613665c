/* Toolkit internals shared by its source files: zeroed tagged blocks,
 * the window-record slot and the shared metrics of the control family. */
#pragma once

#include <windows.h>
#include <cstring>
#include "csmem.h"
#include "cstrace.h"

/* A window procedure whose messages are traced while tracing is on. */
template <WNDPROC Body, const char *Name>
LRESULT CALLBACK TkTraced(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (!CSTraceIsOn())
        return Body(hwnd, msg, wp, lp);
    CSTraceMsgIn(Name, hwnd, msg, (uint64_t)wp, (uint64_t)lp);
    LRESULT r = Body(hwnd, msg, wp, lp);
    CSTraceMsgOut(Name, hwnd, msg, (uint64_t)r);
    return r;
}

/* a zeroed tagged block, or null */
static inline void *TkGetMem(size_t size, const char *tag)
{
    void *p = CSGetMem(size, tag);
    if (p)
        memset(p, 0, size);
    return p;
}

/* Painting for WM_PAINT and WM_PRINTCLIENT alike: the paint device
 * context and rectangle (the whole client area for WM_PRINTCLIENT). */
static inline HDC TkBeginPaint(HWND hwnd, UINT msg, WPARAM wp, PAINTSTRUCT *ps)
{
    if (msg == WM_PAINT)
        return BeginPaint(hwnd, ps);
    memset(ps, 0, sizeof *ps);
    ps->hdc = (HDC)wp;
    GetClientRect(hwnd, &ps->rcPaint);
    return ps->hdc;
}

static inline void TkEndPaint(HWND hwnd, UINT msg, PAINTSTRUCT *ps)
{
    if (msg == WM_PAINT)
        EndPaint(hwnd, ps);
}

/* the record kept in window slot 0 */
template <typename T> static inline T *TkRecord(HWND hwnd)
{
    return hwnd ? (T *)GetWindowLongPtrA(hwnd, 0) : nullptr;
}

/* Metrics captured by RegisterControlClasses. */
struct TkMetrics {
    int cxEdge2, cyEdge2;   /* twice SM_CXEDGE, SM_CYEDGE */
    int cxVScroll, cyHScroll;
    int cxEdge, cyEdge;
};
extern TkMetrics tkMetrics;
void TkLoadMetrics(void);

/* the grey of disabled text */
COLORREF TkGrayText(void);
/* the instance the toolkit's classes are registered with */
HINSTANCE TkInstance(void);
