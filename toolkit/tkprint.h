/* Printing a window's content: the system's print dialog chooses the
 * printer, and the page loop has the window measure its content (11337),
 * draw one page band after another (11338) and let go of its print state
 * (11339), each time with the print context, on any device context (a
 * printer's, a metafile's or a bitmap's). */
#pragma once

#include <windows.h>
#include <cstdint>

#include "ravoltids.h"

struct TkPrintContext {
    HDC device;
    double scale;                 /* device units per screen pixel */
    int32_t contentWidth, contentHeight;   /* set by measuring */
    int32_t lineHeight;           /* set by measuring */
    int32_t headerLines;          /* set by measuring: lines every page repeats */
    int32_t left, top, right, bottom;      /* the page's area on the device */
    int32_t first;                /* content offset (lines) the page starts at */
    void *state;                  /* the window's print state (freed by 11339) */
};

/* The pages of a window's content on a device, the area of each page
 * given; startPage and endPage (may be null) frame each page.  The number
 * of pages drawn, 0 when the window measured nothing. */
int TkPrintPages(HWND window, HDC device, const RECT *area, double scale,
                 int (*startPage)(void *ctx, int page), void (*endPage)(void *ctx), void *ctx);
/* The print dialog for a window's content, then its pages on the printer
 * chosen, with margins of half an inch, as the document named.  The pages
 * printed; 0 when the dialog was cancelled or there was nothing to print;
 * -1 when printing failed or no printer is installed, the reason in
 * error. */
int TkPrintWindow(HWND owner, HWND window, const char *document, char *error, size_t size);
