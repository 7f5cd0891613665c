/* Placement arithmetic: fitting rectangles into areas, choosing the
 * monitor, spreading a row of items and comparing points. */
#include "tklogic.h"

void WinFitRectIn(PlaceRect *r, int clamp, uint32_t fit, const AreaRect *a)
{
    int32_t w = a->right - a->left, h = a->bottom - a->top;
    if (fit) {
        if (fit & FIT_THIRD) {
            if (r->cx == 0) r->cx = w / 3;
            if (r->cy == 0) r->cy = h / 3;
        }
        if (fit & FIT_TWO_THIRDS) {
            if (r->cx == 0) r->cx = 2 * w / 3;
            if (r->cy == 0) r->cy = 2 * h / 3;
        }
        if (!(fit & FIT_KEEP_SMALL)) {
            if (r->cx < w / 5) r->cx = w / 2;
            if (r->cy < h / 5) r->cy = h / 2;
        }
        if (r->cx > w) r->cx = w;
        if (r->cy > h) r->cy = h;
    }
    if (clamp && r->x != INT32_MIN && r->y != INT32_MIN) {
        if ((int64_t)r->x + r->cx > a->right) r->x = a->right - r->cx;
        if ((int64_t)r->y + r->cy > a->bottom) r->y = a->bottom - r->cy;
        if (r->x < a->left) r->x = a->left;
        if (r->y < a->top) r->y = a->top;
    }
}

int64_t WinRectOverlap(const PlaceRect *r, const AreaRect *a)
{
    if (r->cx <= 0 || r->cy <= 0 || r->x == INT32_MIN || r->y == INT32_MIN)
        return 0;
    int64_t l = r->x > a->left ? r->x : a->left;
    int64_t t = r->y > a->top ? r->y : a->top;
    int64_t rr = (int64_t)r->x + r->cx < a->right ? (int64_t)r->x + r->cx : a->right;
    int64_t b = (int64_t)r->y + r->cy < a->bottom ? (int64_t)r->y + r->cy : a->bottom;
    return rr > l && b > t ? (rr - l) * (b - t) : 0;
}

AreaRect WinChooseFitArea(const DisplayLayout *d, const PlaceRect *r, int wholeDesktop)
{
    if (d->monitors <= 1 || wholeDesktop)
        return d->desktop;
    int64_t p = WinRectOverlap(r, &d->monitor[0]);
    int64_t s = WinRectOverlap(r, &d->monitor[1]);
    int64_t t = d->monitors > 2 ? WinRectOverlap(r, &d->monitor[2]) : 0;
    if (t > s && t > p)
        return d->monitor[2];
    if (s >= t && s > p)
        return d->monitor[1];
    return d->monitor[0];
}

void WinSpreadItems(int32_t width, int n, SpreadItem *it)
{
    if (n <= 0)
        return;
    if (n == 1) {
        it[0].pos = 0;
        if (it[0].width > width) it[0].width = width;
        return;
    }
    int64_t sum = 0;
    for (int i = 0; i < n; i++)
        sum += it[i].width;
    if (sum >= width) {
        int64_t over = sum - width;
        for (int i = 0; i < n; i++) {
            it[i].width -= (int32_t)(over / n + (i < over % n ? 1 : 0));
            it[i].pos = i == 0 ? 0 : it[i - 1].pos + it[i - 1].width;
        }
    } else {
        int64_t spare = width - sum;
        it[0].pos = 0;
        for (int i = 1; i < n; i++)
            it[i].pos = (int32_t)(it[i - 1].pos + it[i - 1].width + spare / (n - 1) +
                                  (i - 1 < spare % (n - 1) ? 1 : 0));
    }
}

int WinComparePoint(const TkPoint *a, const TkPoint *b)
{
    if (a->y != b->y) return a->y > b->y ? 1 : -1;
    if (a->x != b->x) return a->x > b->x ? 1 : -1;
    return 0;
}
