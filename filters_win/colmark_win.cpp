/* The filter mark at the right end of a list title cell: where it lies
 * and how it is drawn (sunken for the open column, shaded for a column
 * with an enabled filter, short lines inside). */
#include "fltwin.h"
#include "dd.h"
#include "tkwin.h"

#define MARK_WIDTH 11             /* pixels of the mark */

static int CharWidth(void)
{
    return winFonts.mainCharWidth ? winFonts.mainCharWidth : 7;
}

int ColFilterHeaderRect(DialogWords *d, const RECT *cell, int rightLimit, int minimumWidth, RECT *mark)
{
    (void)d;
    int fx = GetSystemMetrics(SM_CXEDGE), fy = GetSystemMetrics(SM_CYEDGE);
    int width = cell->right - cell->left;
    if (cell->right > rightLimit)
        return 0;
    if (FltPrefs.markAlways ? width < MARK_WIDTH : width - MARK_WIDTH < minimumWidth + 2 * CharWidth())
        return 0;
    mark->right = cell->right - fx;
    mark->left = mark->right - MARK_WIDTH;
    mark->top = cell->top + fy;
    mark->bottom = cell->bottom - fy;
    return 1;
}

static void Lines(HDC dc, const RECT *r, int full)
{
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    int mid = (r->left + r->right) / 2;
    int n = 0;
    for (int y = r->top + 2; y < r->bottom - 1; y += 3, n++) {
        MoveToEx(dc, r->left + 2, y, nullptr);
        LineTo(dc, mid, y);
        if (full || n % 2 == 0) {
            MoveToEx(dc, mid + 1, y, nullptr);
            LineTo(dc, r->right - 2, y);
        }
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void ColFilterDrawMark(DialogWords *d, HDC dc, const RECT *cell, int pressed, const PCFFieldDef *column)
{
    RECT r;
    if (!ColFilterHeaderRect(d, cell, cell->right, 0, &r))
        return;
    COLFSTATE *st = ColFilterState(d, 0);
    COLFILTER *cf = ColFilterFind(d, column, 0);
    int open = st && st->popup && st->open == column;
    int enabled = cf && cf->enabled;
    COLORREF fill = FltColours.titlesBack;
    if (open || (enabled && FltPrefs.popupMenuBrush))
        fill = FltColours.menuBack;
    else if (enabled)
        fill = DDShadeColour(FltColours.titlesBack, -25);
    HBRUSH b = CreateSolidBrush(fill);
    FillRect(dc, &r, b);
    DeleteObject(b);
    DrawEdge(dc, &r, (pressed || open) ? EDGE_SUNKEN : EDGE_ETCHED, BF_RECT);
    Lines(dc, &r, !enabled);
}
