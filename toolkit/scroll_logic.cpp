/* Scrolling arithmetic: where a view must move to show a range. */
#include "tklogic.h"

int ScrollIntoViewTarget(int32_t p, int32_t g, int32_t start, int32_t count, int32_t *target)
{
    int64_t end = (int64_t)start + count;
    if (end > (int64_t)p + g) {
        if ((int64_t)p + g - start > 100)
            return 0;
        *target = (int32_t)(end - g);
    } else if (start >= p) {
        if (start >= g)
            return 0;
        *target = 0;
    } else {
        *target = start < g ? 0 : start;
    }
    return *target != p;
}
