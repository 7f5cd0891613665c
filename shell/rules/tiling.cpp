/* Tiling windows over the primary work area: k = ceil(sqrt(n)) bands of
 * rows or columns, the first bands holding one window fewer when n is
 * short of k * k. */
#include "shellrules.h"

int ShellTileBands(int n, int *counts, int max)
{
    if (n <= 0)
        return 0;
    int k = 1;
    while (k * k < n)
        k++;
    int excess = k * k - n, bands = 0;
    for (int b = 0; b < k && bands < max; b++) {
        int c = k;
        if (excess > 0) {
            excess--;
            c = k - 1 - excess / k;
        }
        if (c > 0)
            counts[bands++] = c;
    }
    return bands;
}

void ShellTile(const AreaRect *a, int n, int rows, PlaceRect *out)
{
    int counts[64];
    int k = ShellTileBands(n, counts, 64);
    int32_t width = a->right - a->left, height = a->bottom - a->top;
    for (int b = 0, w = 0; b < k; b++)
        for (int i = 0; i < counts[b] && w < n; i++, w++) {
            PlaceRect &r = out[w];
            if (rows) {
                r.cy = height / k;
                r.y = a->top + b * r.cy;
                r.cx = width / counts[b];
                r.x = a->left + i * r.cx;
            } else {
                r.cx = width / k;
                r.x = a->left + b * r.cx;
                r.cy = height / counts[b];
                r.y = a->top + i * r.cy;
            }
        }
}
