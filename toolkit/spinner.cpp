/* ZKTSPINNERS: a row of numeric fields, labels and check boxes with
 * carries, month names, days per month and groups that check boxes
 * enable or disable. */
#include "tkspin.h"
#include "tkpriv.h"
#include "tkutil.h"
#include "tklogic.h"
#include <cstdio>
#include <ctime>

struct SpinField {
    int32_t kind;
    int32_t id;
    int32_t x;
    int32_t width, height;
    int32_t digits;
    int32_t natural;
    int32_t value;
    const char *label;
    uint32_t flags;
    const SpinFieldDef *def;
    SpinField *group;          /* enclosing group marker, null at the top */
    SpinField *end;            /* of a group marker */
    SpinField *controller;     /* of a group marker */
    SpinField *next;           /* next member of the same group */
    SpinField *current, *previous;   /* exclusive group choices */
};

struct SpinnerState {
    char eye[4];               /* "SPNS" */
    HWND hwnd, parent;
    HDC dc;
    int32_t width, height;
    int32_t barHeight, textHeight, gap;
    int32_t valueY, upY, downY;
    int32_t fieldsWidth, rightmost;
    int32_t id;
    uint32_t style;
    HBRUSH bg;
    uint8_t focused, captured;
    int32_t pressed;           /* 0 none, 1 up bar, 2 down bar, 3 check box */
    uint8_t pressedInside;
    int32_t state;
    uint8_t spaceHeld;
    SpinField *current;
    HFONT font;
    uint8_t remeasureDigits, widthsChanged, remeasureFields;
    int32_t digitWidth[10], widestDigit;
    COLORREF textColour, bgColour;
    int32_t count;
    int32_t naturalWidth, totalHeight;
    SpinField *fields;
};

enum { REPEAT_TIMER = 25, REPEAT_MS = 100, REPEAT_START = 7 };
enum { PART_VALUE = 0, PART_UP = 1, PART_DOWN = 2 };

/* the repeat counters: one spinner repeats at a time */
static int repeat_ticks, repeat_threshold;

static const char *const month_names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

static const SpinFieldDef date_rows[] = {
    {"Day", -6, -7, SPK_NUMBER, 0x3, 1, 31, 1, NULL, "-", NULL},
    {"Month", -7, -8, SPK_NUMBER, 0x3, 0, 11, 0, NULL, "-", month_names},
    {"Year", -8, 0, SPK_NUMBER, 0, 1970, 3000, 1970, NULL, NULL, NULL},
    {"Hour", -9, -6, SPK_NUMBER, 0x5, 0, 23, 0, "   ", ":", NULL},
    {"Minutes", -10, -9, SPK_NUMBER, 0x5, 0, 59, 0, NULL, ":", NULL},
    {"Seconds", -11, -10, SPK_NUMBER, 0x5, 0, 59, 0, NULL, ".", NULL},
    {"Hundredths", -28, -11, SPK_NUMBER, 0x5, 0, 99, 0, NULL, NULL, NULL},
    {NULL, 0, 0, 0, 0, 0, 0, 0, NULL, NULL, NULL},
};

static const SpinFieldDef date_now_rows[] = {
    {"Grp", 0, 0, SPK_GROUP, SPF_GROUPBEGIN, 0, 0, 0, NULL, NULL, NULL},
    date_rows[0], date_rows[1], date_rows[2], date_rows[3], date_rows[4], date_rows[5], date_rows[6],
    {"Now", 1010, 0, SPK_CHECK, 0x60, 0, 1, 0, "  Now: ", NULL, NULL},
    {"GrpEnd", 0, 0, SPK_GROUP, SPF_GROUPEND, 0, 0, 0, NULL, NULL, NULL},
    {NULL, 0, 0, 0, 0, 0, 0, 0, NULL, NULL, NULL},
};

static const SpinFieldDef interval_rows[] = {
    {"Days", -18, 0, SPK_NUMBER, 0, 0, 9999, 0, NULL, " Days ", NULL},
    {"Hour", -9, -18, SPK_NUMBER, 0x5, 0, 23, 0, NULL, ":", NULL},
    {"Minutes", -10, -9, SPK_NUMBER, 0x5, 0, 59, 0, NULL, ":", NULL},
    {"Seconds", -11, -10, SPK_NUMBER, 0x5, 0, 59, 0, NULL, ".", NULL},
    {"Hundredths", -28, -11, SPK_NUMBER, 0x5, 0, 99, 0, NULL, NULL, NULL},
    {NULL, 0, 0, 0, 0, 0, 0, 0, NULL, NULL, NULL},
};

const SpinDefBlock SpinDateTime = {-1, date_rows};
const SpinDefBlock SpinDateTimeNow = {-1, date_now_rows};
const SpinDefBlock SpinInterval = {-1, interval_rows};

static SpinnerState *state_of(HWND hwnd)
{
    SpinnerState *s = TkRecord<SpinnerState>(hwnd);
    return s && memcmp(s->eye, "SPNS", 4) == 0 ? s : NULL;
}

/* ---- building ---- */

/* decimal digits of a maximum */
static int digit_count(int32_t v)
{
    int n = 1;
    for (v = v < 0 ? -v : v; v >= 10; v /= 10)
        n++;
    return n;
}

/* append a label entry */
static SpinField *add_label(SpinField *f, const char *text, uint32_t flags)
{
    f->kind = SPK_LABEL;
    f->label = text;
    f->flags = flags;
    return f + 1;
}

/* links every entry to its group, controllers and member chains */
static void build_groups(SpinnerState *s)
{
    SpinField *stack[32];
    int depth = 0;
    SpinField *last[33] = {NULL};
    SpinField *group = NULL;
    for (int i = 0; i < s->count; i++) {
        SpinField *f = &s->fields[i];
        if (f->flags & SPF_GROUPEND) {
            if (depth > 0) {
                group->end = f;
                group = stack[--depth];
            }
            f->group = group;
            continue;
        }
        f->group = group;
        if (last[depth]) last[depth]->next = f;
        last[depth] = f;
        if ((f->flags & SPF_CONTROLLER) && group)
            group->controller = f;
        if ((f->flags & SPF_GROUPBEGIN) && depth < 32) {
            stack[depth++] = group;
            group = f;
            last[depth] = NULL;
        }
    }
}

/* 7024: build the fields from a definition block */
static LRESULT build(SpinnerState *s, const SpinDefBlock *block)
{
    if (s->fields) {
        CSFreeMem(s->fields);
        s->fields = NULL;
    }
    s->count = 0;
    s->current = NULL;
    if (!block || !block->rows)
        return 0;
    int n = 0;
    for (const SpinFieldDef *r = block->rows; r->name; r++)
        n += 1 + (r->before != NULL) + (r->after != NULL);
    if (s->style & SPS_CHECK)
        n += 4;
    SpinField *f = (SpinField *)TkGetMem(sizeof(SpinField) * (n ? n : 1), "SPINEL");
    if (!f)
        return 0;
    s->fields = f;
    if (s->style & SPS_CHECK) {
        f->kind = SPK_GROUP;
        f->flags = SPF_GROUPBEGIN;
        f++;
        f->kind = SPK_CHECK;
        f->id = -1;
        f->flags = SPF_CONTROLLER | SPF_ALWAYS | SPF_SKIPOWN;
        f->value = 1;
        f++;
        f = add_label(f, "   ", SPF_ALWAYS | SPF_SKIPOWN);
    }
    for (const SpinFieldDef *r = block->rows; r->name; r++) {
        uint32_t lf = (r->flags & SPF_ALWAYS) | ((r->flags & SPF_CONTROLLER) ? SPF_SKIPOWN : 0);
        if (r->before)
            f = add_label(f, r->before, lf);
        f->kind = r->kind;
        f->id = r->id;
        f->flags = r->flags | ((r->flags & SPF_CONTROLLER) ? SPF_SKIPOWN : 0);
        f->def = r;
        f->digits = digit_count(r->max);
        int32_t v = r->initial;
        f->value = v < r->min ? r->min : v > r->max ? r->max : v;
        if (r->kind == SPK_CHECK)
            f->value = r->initial != 0;
        if (r->kind == SPK_LABEL)
            f->label = r->name;
        f++;
        if (r->after)
            f = add_label(f, r->after, lf);
    }
    if (s->style & SPS_CHECK) {
        f->kind = SPK_GROUP;
        f->flags = SPF_GROUPEND;
        f++;
    }
    s->count = (int32_t)(f - s->fields);
    build_groups(s);
    s->remeasureFields = 1;
    InvalidateRect(s->hwnd, NULL, FALSE);
    return 1;
}

/* the field with an id */
static SpinField *field_by_id(SpinnerState *s, int32_t id)
{
    for (int i = 0; i < s->count; i++)
        if (s->fields[i].id == id && (s->fields[i].kind == SPK_NUMBER || s->fields[i].kind == SPK_CHECK))
            return &s->fields[i];
    return NULL;
}

/* ---- enablement ---- */

/* the nearest enclosing group marker with a controller */
static SpinField *controlled_group(SpinField *g)
{
    while (g && !g->controller)
        g = g->group;
    return g;
}

static int enabled(const SpinField *f)
{
    const SpinField *walk = f;
    for (int guard = 0; walk && guard < 64; guard++) {
        if (walk->flags & SPF_ALWAYS)
            return 1;
        if (walk->flags & SPF_DISABLED)
            return 0;
        SpinField *g = controlled_group(walk->group);
        if (!g)
            return 1;
        SpinField *c = g->controller;
        if (walk->flags & SPF_SKIPOWN) {
            if (c != walk && (c->flags & SPF_DISABLED))
                return 0;
        } else {
            int ticked = c->value != 0;
            if (ticked == ((c->flags & SPF_INVERTED) != 0))
                return 0;
        }
        walk = g;
    }
    return 1;
}

/* a field that can become current */
static int selectable(const SpinField *f)
{
    return (f->kind == SPK_NUMBER || f->kind == SPK_CHECK) && !(f->flags & SPF_INVISIBLE) && enabled(f);
}

/* ---- measuring and layout ---- */

/* a device context with the spinner's font */
static HDC get_dc(SpinnerState *s, HGDIOBJ *old)
{
    HDC dc = s->dc ? s->dc : GetDC(s->hwnd);
    *old = SelectObject(dc, s->font ? s->font : GetStockObject(DEFAULT_GUI_FONT));
    return dc;
}

static void release_dc(SpinnerState *s, HDC dc, HGDIOBJ old)
{
    SelectObject(dc, old);
    if (dc != s->dc)
        ReleaseDC(s->hwnd, dc);
}

/* the text a number field shows */
static void field_text(const SpinField *f, char *out, size_t size)
{
    const SpinFieldDef *d = f->def;
    if (d && d->names && f->value >= d->min && f->value <= d->max)
        snprintf(out, size, "%s", d->names[f->value - d->min]);
    else if (f->flags & SPF_ZEROPAD)
        snprintf(out, size, "%*.*d", f->digits, f->digits, f->value);
    else
        snprintf(out, size, "%d", f->value);
}

/* pixel width of a text */
static int text_width(HDC dc, const char *t)
{
    SIZE sz = {0, 0};
    GetTextExtentPoint32A(dc, t, (int)strlen(t), &sz);
    return sz.cx;
}

/* width of one field */
static int32_t measure_field(SpinnerState *s, HDC dc, SpinField *f)
{
    char text[64];
    if (f->flags & SPF_INVISIBLE)
        return 0;
    switch (f->kind) {
    case SPK_NUMBER: {
        field_text(f, text, sizeof text);
        int32_t w = text_width(dc, text);
        const SpinFieldDef *d = f->def;
        if (d && d->names) {
            f->natural = 0;
            for (int v = d->min; v <= d->max; v++) {
                int32_t nw = text_width(dc, d->names[v - d->min]);
                if (nw > f->natural) f->natural = nw;
            }
        } else {
            f->natural = f->digits * s->widestDigit;
        }
        return (f->flags & SPF_FIXED) ? f->natural : w;
    }
    case SPK_CHECK: {
        SIZE sz;
        GetTextExtentPoint32A(dc, "P", 1, &sz);
        return sz.cy;
    }
    case SPK_LABEL:
        return text_width(dc, f->label ? f->label : "");
    }
    return 0;
}

/* vertical layout from the font */
static void layout_rows(SpinnerState *s, HDC dc)
{
    SIZE sz;
    GetTextExtentPoint32A(dc, "dpq", 3, &sz);
    s->textHeight = sz.cy;
    s->gap = s->textHeight / 8 > 1 ? s->textHeight / 8 : 1;
    s->barHeight = s->textHeight / 4 > 2 ? s->textHeight / 4 : 2;
    s->totalHeight = s->textHeight + 2 * (s->barHeight + s->gap);
    s->upY = (s->height - s->totalHeight) / 2 > 0 ? (s->height - s->totalHeight) / 2 : 0;
    s->valueY = s->upY + s->barHeight + s->gap;
    s->downY = s->valueY + s->textHeight + s->gap;
}

/* measure what is pending: digits, widths, positions */
static void measure(SpinnerState *s)
{
    HGDIOBJ old;
    HDC dc = get_dc(s, &old);
    if (s->remeasureDigits) {
        s->widestDigit = 0;
        for (int i = 0; i < 10; i++) {
            char d[2] = {(char)('0' + i), 0};
            s->digitWidth[i] = text_width(dc, d);
            if (s->digitWidth[i] > s->widestDigit) s->widestDigit = s->digitWidth[i];
        }
        s->remeasureDigits = 0;
        s->remeasureFields = 1;
    }
    layout_rows(s, dc);
    if (s->remeasureFields) {
        int32_t x = 0, natural = 0;
        for (int i = 0; i < s->count; i++) {
            SpinField *f = &s->fields[i];
            f->width = measure_field(s, dc, f);
            f->height = s->textHeight;
            if (f->x != x)
                s->widthsChanged = 1;
            f->x = x;
            x += f->width;
            natural += f->kind == SPK_NUMBER && !(f->flags & SPF_INVISIBLE) ? f->natural : f->width;
        }
        s->fieldsWidth = x;
        s->naturalWidth = natural > x ? natural : x;
        s->remeasureFields = 0;
    }
    release_dc(s, dc, old);
}

/* repaint the column of a field (bars and value) */
static void repaint_field(SpinnerState *s, const SpinField *f)
{
    RECT rc = {f->x, 0, f->x + f->width, s->height};
    InvalidateRect(s->hwnd, &rc, FALSE);
}

/* ---- reporting ---- */

static void report(SpinnerState *s, const SpinField *f, uint32_t code)
{
    if (s->style & SPS_REPORTNONE)
        return;
    if (!(s->style & SPS_REPORTALL) && !(f && (f->flags & SPF_REPORT)))
        return;
    SpinNotifyBlock b = {s->hwnd, code, (uint32_t)s->id, f ? (uint32_t)f->id : 0};
    SendMessageA(s->parent, SPM_NOTIFY, (WPARAM)s->id, (LPARAM)&b);
}

/* a changed value: report, re-measure, reposition or repaint */
static void changed(SpinnerState *s, SpinField *f)
{
    report(s, f, SPN_CHANGED);
    int32_t w = f->width;
    s->remeasureFields = 1;
    measure(s);
    if (f->width != w)
        InvalidateRect(s->hwnd, NULL, FALSE);
    else
        repaint_field(s, f);
}

/* ---- stepping ---- */

/* exclusive groups: a stepped field's controller becomes the choice */
static void choose_exclusive(SpinField *f)
{
    SpinField *g = controlled_group(f->group);
    SpinField *c = g ? g->controller : NULL;
    SpinField *outer = g ? g->group : NULL;
    if (!c || !(c->flags & SPF_EXCLMEMBER) || !outer || !(outer->flags & SPF_EXCLUSIVE))
        return;
    if (outer->current == c)
        return;
    if (outer->previous == c) {
        outer->previous = outer->current;
        outer->current = c;
        return;
    }
    SpinField *drop = outer->previous;
    outer->previous = outer->current;
    outer->current = c;
    if (drop && drop->value)
        drop->value = 0;
}

/* the largest value of a field now (days of the month for day fields) */
static int32_t field_max(SpinnerState *s, const SpinField *f)
{
    if ((f->id == -6 || f->id == -12) && s->state == 0) {
        SpinField *m = field_by_id(s, f->id - 1), *y = field_by_id(s, f->id - 2);
        if (m && y)
            return SpinDaysInMonth(m->value, y->value);
    }
    return f->def ? f->def->max : 0;
}

static void step(SpinnerState *s, SpinField *f, int delta, int depth);

/* carry one into the carry field */
static void carry(SpinnerState *s, SpinField *f, int delta, int depth)
{
    if (!f->def || !f->def->carry || s->state != 0 || depth > 16)
        return;
    SpinField *c = field_by_id(s, f->def->carry);
    if (c && c != f)
        step(s, c, delta, depth + 1);
}

static void step(SpinnerState *s, SpinField *f, int delta, int depth)
{
    if (!f->def || f->kind != SPK_NUMBER)
        return;
    choose_exclusive(f);
    int32_t min = f->def->min, max = field_max(s, f);
    int64_t v = (int64_t)f->value + delta;
    if (v > max) {
        if (f->flags & SPF_WRAP)
            while (v > max) {
                carry(s, f, 1, depth);
                v -= (int64_t)max - min + 1;
            }
        else
            v = max;
    } else if (v < min) {
        if (f->flags & SPF_WRAP)
            while (v < min) {
                carry(s, f, -1, depth);
                max = field_max(s, f);
                v += (int64_t)max - min + 1;
            }
        else
            v = min;
    }
    if (v != f->value) {
        f->value = (int32_t)v;
        changed(s, f);
    }
}

/* Space on a number field: the current year, 1 for a day, else 0 */
static void reset_field(SpinnerState *s, SpinField *f)
{
    int32_t v = 0;
    if (f->id == -8 || f->id == -14 || f->id == -24) {
        time_t t = time(NULL);
        struct tm lt;
        localtime_s(&lt, &t);
        v = lt.tm_year + 1900;
    } else if (f->id == -6 || f->id == -12 || f->id == -22) {
        v = 1;
    }
    step(s, f, v - f->value, 0);
}

/* a controller's group: un-blank and repaint */
static void apply_controller(SpinnerState *s, SpinField *c)
{
    SpinField *g = c->group;
    int enabling = (c->value != 0) != ((c->flags & SPF_INVERTED) != 0);
    if (!g)
        return;
    if (enabling && (c->flags & SPF_UNBLANK)) {
        SpinField *end = g->end ? g->end : s->fields + s->count;
        for (SpinField *f = g + 1; f < end; f++)
            f->flags &= ~SPF_BLANKED;
    }
    choose_exclusive(c);
    InvalidateRect(s->hwnd, NULL, FALSE);
}

/* the radio range around a check box: clear the other ticked radios */
static void clear_radios(SpinnerState *s, SpinField *f)
{
    int i = (int)(f - s->fields), lo = i, hi = i;
    while (lo > 0 && !(s->fields[lo].flags & SPF_RADIOBEGIN))
        lo--;
    while (hi < s->count - 1 && !(s->fields[hi].flags & SPF_RADIOEND))
        hi++;
    for (int k = lo; k <= hi; k++) {
        SpinField *o = &s->fields[k];
        if (o == f || o->kind != SPK_CHECK || !(o->flags & SPF_RADIO) || !o->value)
            continue;
        if ((f->flags & SPF_RADIOGROUP) && o->group != f->group)
            continue;
        o->value = 0;
        repaint_field(s, o);
    }
}

static void toggle(SpinnerState *s, SpinField *f)
{
    f->value = !f->value;
    if (f->value && (f->flags & SPF_RADIO))
        clear_radios(s, f);
    report(s, f, f->value ? SPN_TICKED : SPN_CLEARED);
    repaint_field(s, f);
    if (f->flags & SPF_CONTROLLER)
        apply_controller(s, f);
}

/* ---- painting ---- */

/* fill a rectangle with the background */
static void fill_bg(SpinnerState *s, HDC dc, int l, int t, int r, int b)
{
    RECT rc = {l, t, r, b};
    FillRect(dc, &rc, s->bg);
}

static void paint_field(SpinnerState *s, HDC dc, SpinField *f)
{
    int l = f->x, r = f->x + f->width;
    int en = enabled(f);
    fill_bg(s, dc, l, s->upY, r, s->downY + s->barHeight);
    if ((f->flags & SPF_BLANKED) || (f->flags & SPF_INVISIBLE) || f->kind == SPK_GROUP)
        return;
    COLORREF tc = s->state ? RGB(255, 0, 0) : s->textColour;
    SetTextColor(dc, en ? tc : TkGrayText());
    SetBkMode(dc, TRANSPARENT);
    RECT vr = {l, s->valueY, r, s->valueY + s->textHeight};
    char text[64];
    if (f->kind == SPK_LABEL) {
        DrawTextA(dc, f->label, -1, &vr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    } else if (f->kind == SPK_NUMBER) {
        field_text(f, text, sizeof text);
        DrawTextA(dc, text, -1, &vr, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
        if (f == s->current && s->focused && en) {
            RECT up = {l, s->upY, r, s->upY + s->barHeight};
            RECT dn = {l, s->downY, r, s->downY + s->barHeight};
            FillRect(dc, &up, (HBRUSH)GetStockObject(BLACK_BRUSH));
            FillRect(dc, &dn, (HBRUSH)GetStockObject(BLACK_BRUSH));
            if (s->pressed == PART_UP && s->pressedInside) DrawEdge(dc, &up, EDGE_SUNKEN, BF_RECT);
            if (s->pressed == PART_DOWN && s->pressedInside) DrawEdge(dc, &dn, EDGE_SUNKEN, BF_RECT);
        }
    } else if (f->kind == SPK_CHECK) {
        RECT box = vr;
        if (f->value) {
            HBRUSH b = CreateSolidBrush(WinShadeColour(s->bgColour, -10));
            FillRect(dc, &box, b);
            DeleteObject(b);
            DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        } else {
            DrawEdge(dc, &box, EDGE_RAISED, BF_RECT | BF_ADJUST);
        }
        if (s->state && f->flags == SPF_CONTROLLER)
            DrawCross(dc, &vr);
        if (f == s->current && s->focused)
            DrawFocusRect(dc, &box);
    }
}

static void paint(SpinnerState *s, UINT msg, WPARAM wp)
{
    PAINTSTRUCT ps;
    HDC dc = TkBeginPaint(s->hwnd, msg, wp, &ps);
    s->dc = dc;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    s->bg = (HBRUSH)SendMessageA(s->parent, WM_CTLCOLORDLG, (WPARAM)dc, (LPARAM)s->hwnd);
    if (!s->bg)
        s->bg = GetSysColorBrush(COLOR_BTNFACE);
    s->textColour = GetTextColor(dc);
    s->bgColour = GetBkColor(dc);
    HGDIOBJ old = SelectObject(dc, s->font ? s->font : GetStockObject(DEFAULT_GUI_FONT));
    measure(s);
    fill_bg(s, dc, 0, 0, s->width, s->upY);
    fill_bg(s, dc, 0, s->downY + s->barHeight, s->width, s->height);
    for (int i = 0; i < s->count; i++)
        paint_field(s, dc, &s->fields[i]);
    fill_bg(s, dc, s->fieldsWidth, s->upY, s->width, s->downY + s->barHeight);
    s->rightmost = s->fieldsWidth;
    SelectObject(dc, old);
    s->dc = NULL;
    TkEndPaint(s->hwnd, msg, &ps);
}

/* ---- input ---- */

/* the next selectable field in a direction */
static SpinField *neighbour(SpinnerState *s, int dir)
{
    int i = s->current ? (int)(s->current - s->fields) : (dir > 0 ? -1 : s->count);
    for (i += dir; i >= 0 && i < s->count; i += dir)
        if (selectable(&s->fields[i]))
            return &s->fields[i];
    return NULL;
}

/* make a field current, repainting both columns */
static void set_current(SpinnerState *s, SpinField *f)
{
    if (f == s->current)
        return;
    if (s->current)
        repaint_field(s, s->current);
    s->current = f;
    if (f)
        repaint_field(s, f);
}

static int key_down(SpinnerState *s, WPARAM key)
{
    SpinField *f = s->current;
    int big = GetKeyState(VK_SHIFT) < 0 ? 10 : 1;
    if (!f)
        return 0;
    switch (key) {
    case VK_UP: if (enabled(f)) step(s, f, big, 0); return 1;
    case VK_DOWN: if (enabled(f)) step(s, f, -big, 0); return 1;
    case VK_LEFT:
    case VK_RIGHT: {
        SpinField *n = neighbour(s, key == VK_LEFT ? -1 : 1);
        if (n) set_current(s, n);
        return 1;
    }
    case VK_SPACE:
        if (!enabled(f))
            return 1;
        if (f->kind == SPK_CHECK) {
            if (!s->spaceHeld) toggle(s, f);
            s->spaceHeld = 1;
        } else {
            reset_field(s, f);
        }
        return 1;
    }
    return 0;
}

/* the field under an x, or null */
static SpinField *field_at(SpinnerState *s, int x)
{
    for (int i = 0; i < s->count; i++)
        if (x >= s->fields[i].x && x < s->fields[i].x + s->fields[i].width && s->fields[i].width > 0)
            return &s->fields[i];
    return NULL;
}

/* the part under a y */
static int part_at(SpinnerState *s, int y)
{
    if (y < s->valueY)
        return PART_UP;
    if (y >= s->downY)
        return PART_DOWN;
    return PART_VALUE;
}

static void mouse_down(SpinnerState *s, LPARAM lp)
{
    SetFocus(s->hwnd);
    measure(s);
    int x = (short)LOWORD(lp), y = (short)HIWORD(lp);
    SpinField *f = field_at(s, x);
    if (f && selectable(f))
        set_current(s, f);
    if (!f || f != s->current)
        return;
    SetCapture(s->hwnd);
    s->captured = 1;
    s->pressedInside = 1;
    if (f->kind == SPK_CHECK) {
        s->pressed = 3;
        toggle(s, f);
        return;
    }
    int part = part_at(s, y);
    if (part == PART_VALUE) {
        s->pressed = 0;
        return;
    }
    s->pressed = part;
    step(s, f, part == PART_UP ? 1 : -1, 0);
    repeat_ticks = 0;
    repeat_threshold = REPEAT_START;
    SetTimer(s->hwnd, REPEAT_TIMER, REPEAT_MS, NULL);
    repaint_field(s, f);
}

static void mouse_move(SpinnerState *s, LPARAM lp)
{
    if (!s->captured || s->pressed != 3 || !s->current)
        return;
    SpinField *f = field_at(s, (short)LOWORD(lp));
    int inside = f == s->current && part_at(s, (short)HIWORD(lp)) == PART_VALUE;
    if (inside != s->pressedInside) {
        s->pressedInside = (uint8_t)inside;
        toggle(s, s->current);
    }
}

static void mouse_up(SpinnerState *s)
{
    if (s->captured)
        ReleaseCapture();
    s->captured = 0;
    KillTimer(s->hwnd, REPEAT_TIMER);
    if (s->current)
        repaint_field(s, s->current);
    s->pressed = 0;
}

/* the repeat timer: faster steps while a bar is held */
static void repeat_tick(SpinnerState *s)
{
    if ((s->pressed != PART_UP && s->pressed != PART_DOWN) || !s->current)
        return;
    if (++repeat_ticks < repeat_threshold)
        return;
    repeat_ticks = 0;
    if (repeat_threshold > 1)
        repeat_threshold--;
    step(s, s->current, s->pressed == PART_UP ? 1 : -1, 0);
}

/* WM_ENABLE: disabled flag on every field without SPF_ALWAYS */
static void enable(SpinnerState *s, int on)
{
    for (int i = 0; i < s->count; i++) {
        SpinField *f = &s->fields[i];
        if (f->flags & SPF_ALWAYS)
            continue;
        uint32_t nf = on ? f->flags & ~SPF_DISABLED : f->flags | SPF_DISABLED;
        if (nf != f->flags) {
            f->flags = nf;
            repaint_field(s, f);
        }
    }
}

/* ---- window ---- */

static LRESULT on_create(HWND hwnd, const CREATESTRUCTA *cs)
{
    SpinnerState *s = (SpinnerState *)TkGetMem(sizeof *s, "SPNWDS");
    if (!s)
        return -1;
    memcpy(s->eye, "SPNS", 4);
    s->hwnd = hwnd;
    s->parent = cs->hwndParent;
    s->id = (int32_t)(INT_PTR)cs->hMenu;
    s->style = (uint32_t)cs->style;
    s->width = cs->cx;
    s->height = cs->cy;
    s->remeasureDigits = s->remeasureFields = s->widthsChanged = 1;
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)s);
    SendMessageA(hwnd, SPM_BUILD, 0, (LPARAM)cs->lpCreateParams);
    return 0;
}

static LRESULT CALLBACK SpinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return on_create(hwnd, (const CREATESTRUCTA *)lp);
    SpinnerState *s = state_of(hwnd);
    if (!s)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case SPM_BUILD: return build(s, (const SpinDefBlock *)lp);
    case WM_DESTROY:
        KillTimer(hwnd, REPEAT_TIMER);
        if (s->fields) CSFreeMem(s->fields);
        SetWindowLongPtrA(hwnd, 0, 0);
        CSFreeMem(s);
        return 0;
    case WM_SIZE:
        s->width = LOWORD(lp);
        s->height = HIWORD(lp);
        measure(s);
        return 0;
    case WM_SETFONT:
        s->font = (HFONT)wp;
        s->remeasureDigits = 1;
        InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case WM_GETFONT: return (LRESULT)s->font;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        s->focused = msg == WM_SETFOCUS;
        if (s->current) repaint_field(s, s->current);
        else InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case WM_ENABLE: enable(s, (int)wp); return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT: paint(s, msg, wp); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (key_down(s, wp)) return 1;
        break;
    case WM_KEYUP:
        if (wp == VK_SPACE && s->current) {
            s->spaceHeld = 0;
            repaint_field(s, s->current);
            return 1;
        }
        break;
    case WM_LBUTTONDOWN: mouse_down(s, lp); return 0;
    case WM_MOUSEMOVE: mouse_move(s, lp); return 0;
    case WM_LBUTTONUP: mouse_up(s); return 0;
    case WM_TIMER:
        if (wp == REPEAT_TIMER) repeat_tick(s);
        return 0;
    case WM_MOUSEWHEEL:
        if (s->current && s->current->kind == SPK_NUMBER && enabled(s->current)) {
            int d = (LOWORD(wp) & MK_SHIFT) ? 5 : 1;
            step(s, s->current, (short)HIWORD(wp) > 0 ? d : -d, 0);
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static constexpr char SpinProc_name[] = "SpinProc";

int SpinRegisterClass(HINSTANCE instance)
{
    WNDCLASSA wc;
    if (GetClassInfoA(instance, ZKT_SPINNERS, &wc))
        return 1;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = TkTraced<SpinProc, SpinProc_name>;
    wc.cbWndExtra = 24;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_MENU + 1);
    wc.lpszClassName = ZKT_SPINNERS;
    return RegisterClassA(&wc) != 0;
}

void SpinGetSize(HWND hwnd, int *w, int *h)
{
    SpinnerState *s = state_of(hwnd);
    *w = *h = 0;
    if (!s)
        return;
    measure(s);
    *w = s->naturalWidth;
    *h = s->totalHeight;
}

int SpinGetValues(HWND hwnd, int count, int64_t *values)
{
    SpinnerState *s = state_of(hwnd);
    int got = 0;
    for (int i = 0; s && i < s->count && got < count; i++)
        if (s->fields[i].kind == SPK_NUMBER)
            values[got++] = (uint32_t)s->fields[i].value;
    return got;
}

int SpinSetValues(HWND hwnd, int count, const int64_t *values)
{
    SpinnerState *s = state_of(hwnd);
    int set = 0;
    for (int i = 0; s && i < s->count && set < count; i++)
        if (s->fields[i].kind == SPK_NUMBER)
            s->fields[i].value = (int32_t)(uint32_t)values[set++];
    if (s) {
        s->remeasureFields = 1;
        measure(s);
        InvalidateRect(hwnd, NULL, FALSE);
    }
    return set;
}

int64_t SpinGetField(HWND hwnd, int32_t id)
{
    SpinnerState *s = state_of(hwnd);
    SpinField *f = s ? field_by_id(s, id) : NULL;
    return f ? f->value : 0;
}

int SpinSetCheck(HWND hwnd, int32_t id, int on)
{
    SpinnerState *s = state_of(hwnd);
    SpinField *f = s ? field_by_id(s, id) : NULL;
    if (f && f->kind == SPK_CHECK && (on == 0 || on == 1) && (f->value != 0) != (on != 0))
        toggle(s, f);
    return 1;
}

int SpinSetState(HWND hwnd, int state)
{
    SpinnerState *s = state_of(hwnd);
    if (!s || s->state == state)
        return 0;
    s->state = state;
    InvalidateRect(hwnd, NULL, FALSE);
    return 1;
}
