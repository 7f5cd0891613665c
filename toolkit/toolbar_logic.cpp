/* Toolbar arithmetic: ordering, widths, group ticks, width sharing, rows
 * of a narrow bar and tooltip texts; and the choice of an extra caption text. */
#include "tklogic.h"
#include <cstring>

enum { TB_UNIT = 20 };

/* stable exchange sort by position key */
static void sort_by_key(ToolbarButton *b, int n)
{
    for (int i = 1; i < n; i++)
        for (int j = i; j > 0 && b[j - 1].key > b[j].key; j--) {
            ToolbarButton t = b[j];
            b[j] = b[j - 1];
            b[j - 1] = t;
        }
}

/* a separator (or spacer) entry */
static int is_sep(const ToolbarButton *b)
{
    return b->id == 0 && (b->flags & TBB_SEP);
}

/* first of a run ticks, a later 0x80 of the run takes the tick over */
static void tick_groups(ToolbarButton *b, int n)
{
    for (int i = 0; i < n; i++) {
        if (!b[i].group)
            continue;
        b[i].flags |= TBB_CHECK;
        int first = i == 0 || b[i - 1].group != b[i].group;
        if (first || (b[i].flags & TBB_STARTTICK)) {
            for (int j = 0; j < n; j++)
                if (b[j].group == b[i].group)
                    b[j].flags &= ~(TBB_TICKED | TBB_PRESSED);
            b[i].flags |= TBB_TICKED | TBB_PRESSED;
        }
    }
}

void TbPrepareButtons(ToolbarButton *b, int n)
{
    sort_by_key(b, n);
    for (int i = 0; i < n; i++) {
        int32_t w = b[i].width;
        b[i].width = w == 0 ? TB_UNIT : w > 0 ? w * TB_UNIT : -w;
        if (is_sep(&b[i]) && (i == 0 || is_sep(&b[i - 1])))
            b[i].width = 0;
        if (b[i].flags & TBB_SHRINK)
            b[i].base = b[i].width;
    }
    tick_groups(b, n);
    for (int i = n - 1; i >= 0 && (b[i].id == 0 || b[i].width == 0); i--)
        b[i].width = b[i].base = 0;
}

void TbShareWidths(ToolbarButton *b, int n, int32_t client)
{
    int64_t fixed = 0;
    int stretchers = 0;
    for (int i = 0; i < n; i++) {
        if (b[i].flags & TBB_SHRINK)
            b[i].width = b[i].base;
        if (b[i].flags & TBB_STRETCH)
            stretchers++;
        else
            fixed += b[i].width;
    }
    int64_t freew = client - fixed;
    for (int gave = 1; freew < 0 && gave;) {
        gave = 0;
        for (int i = 0; i < n && freew < 0; i++)
            if ((b[i].flags & TBB_SHRINK) && !(b[i].flags & TBB_STRETCH) && b[i].width > 0) {
                b[i].width--;
                freew++;
                gave = 1;
            }
    }
    if (!stretchers)
        return;
    int64_t each = freew > 0 ? freew / stretchers : 0;
    int64_t rest = freew > 0 ? freew % stretchers : 0;
    for (int i = 0; i < n; i++) {
        if (!(b[i].flags & TBB_STRETCH))
            continue;
        int64_t w = each + (rest > 0 ? 1 : 0);
        if (rest > 0) rest--;
        if (b[i].base > 0 && w > b[i].base)
            w = b[i].base;
        b[i].width = (int32_t)w;
    }
}

void TbWrapPlace(const ToolbarButton *b, int n, int32_t width, int i, int32_t *x, int32_t *row)
{
    int32_t at = 0, r = 0;
    for (int k = 0; k < n; k++) {
        int32_t w = b[k].width;
        if (width > 0 && w > 0 && at > 0 && (int64_t)at + w > width) {
            at = 0;
            r++;
        }
        if (k == i)
            break;
        at += w;
    }
    *x = at;
    *row = r;
}

int TbWrapRows(const ToolbarButton *b, int n, int32_t width)
{
    int32_t x, row;
    if (n <= 0)
        return 1;
    TbWrapPlace(b, n, width, n - 1, &x, &row);
    return row + 1;
}

void TbTooltipText(const char *text, char *out, size_t size)
{
    size_t o = 0;
    if (size == 0)
        return;
    for (; text && *text && *text != '\t' && o + 1 < size; text++)
        if (*text != '&')
            out[o++] = *text;
    out[o] = 0;
}

int CaptionChooseEntry(const uint32_t widths[3], const char *const texts[3], int32_t title, int32_t room)
{
    for (int i = 0; i < 3; i++)
        if (texts[i] && texts[i][0] && (int64_t)widths[i] + title < room)
            return i;
    return -1;
}
