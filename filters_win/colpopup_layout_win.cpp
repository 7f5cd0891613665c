/* The column filter pop-up's controls: the layout tables chosen by the
 * column's field type, the control table with one entry per control (and
 * per value check box), the controls' creation and placement in rows, the
 * controls set from the filter record, the two value lists and the
 * owner-drawn entries and buttons. */
#include "colpopint.h"
#include <commctrl.h>

#include "tkcontrols.h"
#include "tkspin.h"
#include "tkwin.h"
#include "mq/capability.h"
#include "cs.h"

#include <cstdio>
#include <cstring>

#define R(type, id, text, style) {(uint32_t)(type), id, text, 0, nullptr, (uint32_t)(style), 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}
#define CHECK (BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP)
#define RADIO (BS_AUTORADIOBUTTON | BS_LEFTTEXT | WS_TABSTOP)
#define PUSH (BS_OWNERDRAW | WS_TABSTOP)
#define LIST (LBS_OWNERDRAWFIXED | LBS_MULTIPLESEL | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP)
#define NEW DDF_NEWROW

#define HEAD R(DD_CHECKBOX, CFC_ENABLE, "Enable ", CHECK), R(DD_CHECKBOX, CFC_INVERSE, "Inverse ", CHECK)
#define MINMAX \
    R(DD_STATIC | NEW, 0, "Minimum", 0), R(DD_EDIT, CFC_MINIMUM, "", ES_AUTOHSCROLL | WS_TABSTOP), \
    R(DD_STATIC | NEW, 0, "Maximum", 0), R(DD_EDIT, CFC_MAXIMUM, "", ES_AUTOHSCROLL | WS_TABSTOP)
#define SELECT R(DD_BUTTON | NEW, CFC_SELECTALL, "Select All", PUSH), R(DD_BUTTON, CFC_SELECTNONE, "Select None", PUSH)
#define TEXTROWS R(DD_EDIT | NEW, CFC_TEXT, "", ES_AUTOHSCROLL | WS_TABSTOP), \
    R(DD_RADIO | NEW, CFC_CONTAINS, "Contains", RADIO), R(DD_RADIO, CFC_MATCHES, "Matches", RADIO)

static DDFieldDef RangeLayout[] = { HEAD, MINMAX, END };
static DDFieldDef CountedLayout[] = {
    HEAD, MINMAX,
    R(DD_CHECKBOX | NEW, CFC_ANYVALUE, "Any value ", CHECK), R(DD_CHECKBOX, CFC_SHOWALL, "Show All ", CHECK),
    R(DD_BUTTON, CFC_REFRESH, "Refresh Values", PUSH),
    R(DD_ULISTBOX | NEW, CFC_VALUELIST, nullptr, LIST), END };
static DDFieldDef ChecksLayout[] = { HEAD, SELECT, END };
static DDFieldDef ListLayout[] = {
    HEAD, SELECT, R(DD_CHECKBOX, CFC_SHOWALL, "Show All ", CHECK),
    R(DD_ULISTBOX | NEW, CFC_ENUMLIST, nullptr, LIST), END };
static DDFieldDef RangeChecksLayout[] = { HEAD, MINMAX, SELECT, END };
static DDFieldDef RangeListLayout[] = {
    HEAD, MINMAX, SELECT, R(DD_CHECKBOX, CFC_SHOWALL, "Show All ", CHECK),
    R(DD_ULISTBOX | NEW, CFC_ENUMLIST, nullptr, LIST), END };
static DDFieldDef TextCaseLayout[] = { HEAD, TEXTROWS, R(DD_CHECKBOX, CFC_MATCHCASE, "Match Case ", CHECK), END };
static DDFieldDef TextLayout[] = { HEAD, TEXTROWS, END };
static DDFieldDef TimeLayout[] = {
    HEAD, R(DD_CHECKBOX | NEW, CFC_LOCALTIME, "Local Time ", CHECK),
    R(DD_STATIC | NEW, 0, "From: ", 0), R(DD_SPINNER, CFC_FROM, nullptr, 0),
    R(DD_STATIC | NEW, 0, "For: ", 0), R(DD_SPINNER, CFC_FOR, nullptr, 0),
    R(DD_STATIC | NEW, 0, "Until: ", 0), R(DD_SPINNER, CFC_UNTIL, nullptr, 0), END };
/* The row every value check box stands for, and the row of a value
 * counted for the value list (no window). */
static DDFieldDef ValueBox = R(DD_CHECKBOX | NEW, CFC_FIRSTBOX, nullptr, BS_AUTOCHECKBOX | WS_TABSTOP);
static DDFieldDef ListValue = R(0, CFC_ENUMLIST, nullptr, 0);

static int Contains(const char *title, const char *part) { return title && strstr(title, part); }

/* The value-table rows the location allows. */
static int AllowedRows(DialogWords *d, const PCFFieldDef *f, const PCFValueDef **rows, int max)
{
    int n = 0;
    const uint8_t *caps = PCFDialogCaps(d);
    for (const PCFValueDef *v = f->values; v && v->name && v->name[0] && n < max; v++)
        if (CapTest(nullptr, caps, v))
            rows[n++] = v;
    return n;
}

const DDFieldDef *ColLayoutFor(DialogWords *d, const PCFFieldDef *f, int *boxes)
{
    *boxes = 0;
    const PCFValueDef *rows[COLF_CHECKBOXES + 1];
    int n = f->values ? AllowedRows(d, f, rows, COLF_CHECKBOXES + 1) : 0;
    switch (f->type) {
    case PCFT_INT: case PCFT_NUMBER:
        return ColFilterCountable(f) ? CountedLayout : RangeLayout;
    case PCFT_ENUM: case PCFT_ENUMLIST: case PCFT_FLAGSET:
        if (n <= COLF_CHECKBOXES) {
            *boxes = n;
            return ChecksLayout;
        }
        return ListLayout;
    case PCFT_ENUMNUM:
        if (n <= COLF_CHECKBOXES) {
            *boxes = n;
            return RangeChecksLayout;
        }
        return RangeListLayout;
    case PCFT_STRING: case PCFT_NAME: case PCFT_BYTES:
        return Contains(f->title, " Date") || Contains(f->title, " Time") ? TextLayout : TextCaseLayout;
    case PCFT_HEX: case PCFT_STRING25:
        return TextLayout;
    case PCFT_DATETIME100:
        return TimeLayout;
    }
    return RangeLayout;
}

COLFCTL *ColControl(COLFSTATE *st, int id)
{
    for (COLFCTL *c = st && st->controls ? st->controls : nullptr; c && c->layoutRow; c++)
        if (c->id == id && c->window)
            return c;
    return nullptr;
}

/* Whether a layout has a control. */
static int ColControlFor(const DDFieldDef *layout, int id)
{
    for (; layout->type; layout++)
        if (layout->id == id)
            return 1;
    return 0;
}

HWND ColControlWindow(COLFSTATE *st, int id)
{
    COLFCTL *c = ColControl(st, id);
    return c ? (HWND)c->window : nullptr;
}

/* ---- creation ------------------------------------------------------------ */

/* Enter in an edit applies at once. */
static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data)
{
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
        ColFilterApply((DialogWords *)data, 0);
        return 0;
    }
    if (msg == WM_CHAR && (wp == '\r' || wp == '\n'))
        return 0;
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, EditProc, 1);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

static HWND Create(COLPOPUP *p, const DDFieldDef *row, int id, const char *text)
{
    const char *cls = "STATIC";
    uint32_t style = WS_CHILD | WS_VISIBLE | row->style, ex = row->exStyle;
    const void *param = nullptr;
    switch (row->type & 0xFF) {
    case DD_EDIT: cls = "EDIT"; style |= WS_BORDER; break;
    case DD_BUTTON: case DD_CHECKBOX: case DD_RADIO: cls = "BUTTON"; break;
    case DD_ULISTBOX: cls = ZKT_LISTBOX; break;
    case DD_SPINNER:
        cls = ZKT_SPINNERS;
        style |= SPS_CHECK | SPS_REPORTALL | WS_TABSTOP;
        param = id == CFC_FOR ? &SpinInterval : id == CFC_UNTIL ? &SpinDateTimeNow : &SpinDateTime;
        break;
    }
    HWND w = CreateWindowExA(ex, cls, text ? text : "", style, 0, 0, 10, 10, p->hwnd, (HMENU)(INT_PTR)id,
                             GetModuleHandleA(nullptr), (void *)param);
    if (w)
        SendMessageA(w, WM_SETFONT, (WPARAM)p->font, 0);
    if (w && (row->type & 0xFF) == DD_EDIT)
        SetWindowSubclass(w, EditProc, 1, (DWORD_PTR)p->dialog);
    return w;
}

int ColBuildControls(COLPOPUP *p)
{
    DialogWords *d = p->dialog;
    COLFSTATE *st = ColState(d);
    COLFILTER *cf = ColOpenFilter(d);
    if (!st || !cf)
        return 1;
    int boxes;
    const DDFieldDef *layout = ColLayoutFor(d, st->open, &boxes);
    int rows = 0;
    while (layout[rows].type)
        rows++;
    static const PCFValueDef *values[1024];
    int listed = ColControlFor(layout, CFC_ENUMLIST) ? AllowedRows(d, st->open, values, 1024) : 0;
    uint32_t size = (uint32_t)sizeof(COLFCTL) * (uint32_t)(rows + boxes + listed + 2);
    if (!st->controls || st->controlsSize < size) {
        CSFreeMemAndClear(&st->controls);
        st->controls = (COLFCTL *)CSGetMem(size, "COLFILTFLD");
        st->controlsSize = st->controls ? size : 0;
        if (!st->controls)
            return 1;
    }
    memset(st->controls, 0, size);
    if (cf->type == PCFT_ENUMNUM)
        cf->rangeKind = 1;
    COLFCTL *c = st->controls;
    for (int i = 0; i < rows; i++, c++) {
        c->id = layout[i].id;
        c->layoutRow = &layout[i];
        c->text = layout[i].text;
        c->window = Create(p, &layout[i], c->id, c->text);
    }
    for (int i = 0; i < listed; i++, c++) {
        c->id = CFC_ENUMLIST;
        c->layoutRow = &ListValue;
        c->text = values[i]->name;
        c->valueRow = values[i];
    }
    int n = boxes ? AllowedRows(d, st->open, values, COLF_CHECKBOXES) : 0;
    for (int i = 0; i < n; i++, c++) {
        c->id = CFC_FIRSTBOX + i;
        c->layoutRow = &ValueBox;
        c->text = values[i]->name;
        c->valueRow = values[i];
        c->window = Create(p, &ValueBox, c->id, c->text);
    }
    return 0;
}

/* ---- placement ------------------------------------------------------------ */

static int TextWidth(COLPOPUP *p, const char *text)
{
    HDC dc = GetDC(p->hwnd);
    HGDIOBJ old = SelectObject(dc, p->font);
    SIZE s = {};
    if (text)
        GetTextExtentPoint32A(dc, text, (int)strlen(text), &s);
    SelectObject(dc, old);
    ReleaseDC(p->hwnd, dc);
    return s.cx;
}

/* The widest entry of a value list (name and "[count]"). */
static int ListWidth(COLPOPUP *p, HWND list)
{
    int n = list ? (int)SendMessageA(list, LB_GETCOUNT, 0, 0) : 0, w = 12 * p->cw;
    char text[200];
    for (int i = 0; i < n; i++) {
        SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
        int k = TextWidth(p, text) + 10 * p->cw;
        if (k > w)
            w = k;
    }
    return w;
}

static void ControlSize(COLPOPUP *p, COLFCTL *c, int *cx, int *cy)
{
    COLFSTATE *st = ColState(p->dialog);
    int type = ((const DDFieldDef *)c->layoutRow)->type & 0xFF;
    int h = p->lineHeight + 6;
    switch (type) {
    case DD_EDIT: {
        int chars = MINMAX_CHARS;
        if (c->id == CFC_TEXT) {
            chars = st->open->maximum > 0 ? st->open->maximum + 4 : TEXT_MAX;
            if (chars > TEXT_MAX)
                chars = TEXT_MAX;
        }
        *cx = chars * p->cw;
        *cy = h;
        break;
    }
    case DD_BUTTON:
        *cx = TextWidth(p, c->text) + 2 * p->cw;
        *cy = h;
        break;
    case DD_CHECKBOX: case DD_RADIO:
        *cx = TextWidth(p, c->text) + 24;
        *cy = h - 2;
        break;
    case DD_ULISTBOX: {
        *cx = ListWidth(p, (HWND)c->window) + GetSystemMetrics(SM_CXVSCROLL);
        int rows = c->window ? (int)SendMessageA((HWND)c->window, LB_GETCOUNT, 0, 0) : 0;
        *cy = (rows < 3 ? 3 : rows > LIST_ROWS ? LIST_ROWS : rows) * p->lineHeight + 4;
        break;
    }
    case DD_SPINNER:
        if (c->window)
            SpinGetSize((HWND)c->window, cx, cy);
        else
            *cx = *cy = 0;
        break;
    default:
        *cx = TextWidth(p, c->text) + 4;
        *cy = p->lineHeight;
        break;
    }
}

void ColLayout(COLPOPUP *p)
{
    COLFSTATE *st = ColState(p->dialog);
    if (!st || !st->controls)
        return;
    int frame = GetSystemMetrics(SM_CYEDGE);
    p->caption = p->lineHeight + 2 * frame;
    if (p->caption < CAPTION_MIN)
        p->caption = CAPTION_MIN;
    int x = POPUP_MARGIN, y = p->caption + POPUP_MARGIN, rowHeight = 0, widest = 0;
    int labelWidth = 0;
    for (COLFCTL *c = st->controls; c->layoutRow; c++) {
        const DDFieldDef *row = (const DDFieldDef *)c->layoutRow;
        if ((row->type & 0xFF) == DD_STATIC && c->text) {
            int w = TextWidth(p, c->text) + 4;
            if (w > labelWidth)
                labelWidth = w;
        }
    }
    for (COLFCTL *c = st->controls; c->layoutRow; c++) {
        const DDFieldDef *row = (const DDFieldDef *)c->layoutRow;
        if (!row->type)
            continue;
        int cx, cy;
        ControlSize(p, c, &cx, &cy);
        if ((row->type & 0xFF) == DD_STATIC)
            cx = labelWidth;
        if ((row->type & DDF_NEWROW) && c != st->controls) {
            x = POPUP_MARGIN;
            y += rowHeight + POPUP_MARGIN;
            rowHeight = 0;
        }
        c->x = x;
        c->y = y;
        c->cx = cx;
        c->cy = cy;
        if (c->window)
            MoveWindow((HWND)c->window, x, y, cx, cy, FALSE);
        x += cx + POPUP_MARGIN;
        if (x > widest)
            widest = x;
        if (cy > rowHeight)
            rowHeight = cy;
    }
    const char *title = st->open->title ? st->open->title : "";
    int width = TextWidth(p, title) + 5 * p->cw + CLOSE_SIZE;
    if (widest > width)
        width = widest;
    RECT r = { 0, 0, width, y + rowHeight + POPUP_MARGIN };
    AdjustWindowRectEx(&r, (DWORD)GetWindowLongA(p->hwnd, GWL_STYLE), FALSE,
                       (DWORD)GetWindowLongA(p->hwnd, GWL_EXSTYLE));
    SetWindowPos(p->hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER |
                 SWP_NOACTIVATE);
    HWND close = GetDlgItem(p->hwnd, CFC_CLOSE);
    if (close)
        MoveWindow(close, width - CLOSE_SIZE, (p->caption - CLOSE_SIZE) / 2, CLOSE_SIZE, CLOSE_SIZE, FALSE);
    st->stale = 0;
    InvalidateRect(p->hwnd, nullptr, TRUE);
}

/* ---- the controls from the record -------------------------------------------- */

static void Check(COLFSTATE *st, int id, int on)
{
    HWND w = ColControlWindow(st, id);
    if (w)
        SendMessageA(w, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

static void SetBound(COLFSTATE *st, int id, int set, int32_t value, const PCFFieldDef *f)
{
    HWND w = ColControlWindow(st, id);
    if (!w)
        return;
    char text[64] = "";
    if (set) {
        const PCFValueDef *row = f->values ? PCFFindValue(f->values, value) : nullptr;
        if (row && row->name)
            snprintf(text, sizeof text, "%s", row->name);
        else
            snprintf(text, sizeof text, "%d", (int)value);
    }
    SetWindowTextA(w, text);
}

/* The spinner values of a time ("From", "Until"), as local time. */
void ColWriteTime(HWND spin, const COLTIME *t)
{
    FmtDateState s = {};
    int64_t v = t->seconds;
    if (!spin || !TimeToTm(&s, &v))
        return;
    int64_t values[7] = { s.tm.tm_mday, s.tm.tm_mon, s.tm.tm_year + 1900, s.tm.tm_hour, s.tm.tm_min,
                          s.tm.tm_sec, t->hundredths };
    SpinSetValues(spin, 7, values);
}

void ColWriteDuration(HWND spin, const COLTIME *t)
{
    if (!spin)
        return;
    int64_t s = t->seconds < 0 ? 0 : t->seconds;
    int64_t values[5] = { s / 86400, s / 3600 % 24, s / 60 % 60, s % 60, t->hundredths };
    SpinSetValues(spin, 5, values);
}

void ColSetControls(COLPOPUP *p)
{
    DialogWords *d = p->dialog;
    COLFSTATE *st = ColState(d);
    COLFILTER *cf = ColOpenFilter(d);
    if (!st || !cf)
        return;
    p->filling++;
    Check(st, CFC_ENABLE, cf->enabled);
    Check(st, CFC_INVERSE, cf->inverse);
    Check(st, CFC_MATCHCASE, cf->matchCase);
    Check(st, CFC_SHOWALL, cf->showAll);
    Check(st, CFC_LOCALTIME, cf->localTime);
    Check(st, CFC_CONTAINS, cf->contains);
    Check(st, CFC_MATCHES, !cf->contains);
    Check(st, CFC_ANYVALUE, !cf->values || cf->values->anyValue);
    SetBound(st, CFC_MINIMUM, cf->bounds & CFB_MIN, cf->minimum, cf->column);
    SetBound(st, CFC_MAXIMUM, cf->bounds & CFB_MAX, cf->maximum, cf->column);
    if (HWND t = ColControlWindow(st, CFC_TEXT))
        SetWindowTextA(t, cf->text ? cf->text : "");
    for (COLFCTL *c = st->controls; c->layoutRow; c++)
        if (c->valueRow && c->id >= CFC_FIRSTBOX && c->id <= CFC_LASTBOX)
            Check(st, c->id, ColFilterIsSelected(cf, c->valueRow));
    HWND from = ColControlWindow(st, CFC_FROM), until = ColControlWindow(st, CFC_UNTIL),
         length = ColControlWindow(st, CFC_FOR);
    ColWriteTime(from, &cf->from);
    ColWriteTime(until, &cf->until);
    ColWriteDuration(length, &cf->length);
    if (from)
        SpinSetCheck(from, -1, (cf->bounds & CFB_FROM) != 0);
    if (until) {
        SpinSetCheck(until, -1, (cf->bounds & CFB_UNTIL) != 0);
        SpinSetCheck(until, 1010, (cf->bounds & CFB_NOW) != 0);
    }
    if (length)
        SpinSetCheck(length, -1, (cf->bounds & CFB_FOR) != 0);
    if (from)
        SpinSetState(from, (cf->bounds & CFB_FROM_BAD) != 0);
    if (until)
        SpinSetState(until, (cf->bounds & CFB_UNTIL_BAD) != 0);
    ColFillEnumList(p);
    ColFillValueList(p, 0);
    p->filling--;
}

/* ---- the value lists ------------------------------------------------------- */

void ColFillEnumList(COLPOPUP *p)
{
    COLFSTATE *st = ColState(p->dialog);
    COLFILTER *cf = ColOpenFilter(p->dialog);
    HWND list = ColControlWindow(st, CFC_ENUMLIST);
    if (!list || !cf)
        return;
    p->filling++;
    int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    const PCFValueDef *rows[512];
    int n = AllowedRows(p->dialog, st->open, rows, 512);
    COLFCTL *counts = ColControl(st, CFC_ENUMLIST);
    for (int i = 0; i < n; i++) {
        uint32_t count = 0;
        for (COLFCTL *c = st->controls; c->layoutRow; c++)
            if (c->valueRow == rows[i])
                count = c->count;
        (void)counts;
        if (!cf->showAll && !count)
            continue;
        LRESULT k = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)rows[i]->name);
        if (k < 0)
            continue;
        SendMessageA(list, LB_SETITEMDATA, (WPARAM)k, (LPARAM)rows[i]);
        if (ColFilterIsSelected(cf, rows[i]))
            SendMessageA(list, LB_SETSEL, TRUE, k);
    }
    if (top > 0)
        SendMessageA(list, LB_SETTOPINDEX, (WPARAM)top, 0);
    p->filling--;
}

void ColFillValueList(COLPOPUP *p, int keepTop)
{
    COLFSTATE *st = ColState(p->dialog);
    COLFILTER *cf = ColOpenFilter(p->dialog);
    HWND list = ColControlWindow(st, CFC_VALUELIST);
    if (!list || !cf || !cf->values)
        return;
    p->filling++;
    int before = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (keepTop) {
        int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
        LRESULT data = SendMessageA(list, LB_GETITEMDATA, (WPARAM)top, 0);
        p->topValue = data != LB_ERR && data ? ((COLVALUE *)data)->value : -999999;
    }
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    COLVALUES *cv = cf->values;
    int top = -1, listed = 0;
    for (int i = 0; i < cv->count; i++) {
        COLVALUE *e = &cv->entries[i];
        int was = e->listed;
        e->listed = 0;
        if (!e->count && !cf->showAll) {
            if (was)
                st->stale = 1;
            continue;
        }
        char text[80];
        PCFIntValueText(cf->column, e->value, text, sizeof text, 0);
        LRESULT k = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
        if (k < 0)
            continue;
        SendMessageA(list, LB_SETITEMDATA, (WPARAM)k, (LPARAM)e);
        if (e->selected)
            SendMessageA(list, LB_SETSEL, TRUE, k);
        if (!was)
            st->stale = 1;
        e->listed = 1;
        listed++;
        if (top < 0 && keepTop && p->topValue != -999999 && e->value >= p->topValue)
            top = (int)k;
    }
    if (listed != before)
        st->stale = 1;
    if (top > 0)
        SendMessageA(list, LB_SETTOPINDEX, (WPARAM)top, 0);
    p->filling--;
}

/* ---- drawing ----------------------------------------------------------------- */

static void Tick(HDC dc, const RECT *r)
{
    HPEN pen = CreatePen(PS_SOLID, 2, FltColours.menuFore);
    HGDIOBJ old = SelectObject(dc, pen);
    int y = (r->top + r->bottom) / 2;
    MoveToEx(dc, r->left + 2, y, nullptr);
    LineTo(dc, r->left + 5, y + 3);
    LineTo(dc, r->left + 10, y - 4);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void ColDrawItem(COLPOPUP *p, const DRAWITEMSTRUCT *di)
{
    HDC dc = di->hDC;
    HBRUSH back = CreateSolidBrush(FltColours.menuBack);
    FillRect(dc, &di->rcItem, back);
    DeleteObject(back);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, FltColours.menuFore);
    HGDIOBJ old = SelectObject(dc, p->font);
    RECT r = di->rcItem;
    if (di->CtlType == ODT_BUTTON) {
        if (di->CtlID == CFC_CLOSE) {
            DrawTextA(dc, "x", 1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        } else {
            char text[64];
            GetWindowTextA(di->hwndItem, text, sizeof text);
            DrawEdge(dc, &r, (di->itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
            DrawTextA(dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
        }
        SelectObject(dc, old);
        return;
    }
    if (di->itemID == (UINT)-1) {
        SelectObject(dc, old);
        return;
    }
    if (di->itemState & ODS_SELECTED)
        Tick(dc, &r);
    r.left += 14;
    char text[200];
    SendMessageA(di->hwndItem, LB_GETTEXT, di->itemID, (LPARAM)text);
    DrawTextA(dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    /* the count, in a column of its own after the widest name */
    uint32_t count = 0;
    if (di->CtlID == CFC_VALUELIST && di->itemData) {
        count = ((COLVALUE *)di->itemData)->count;
    } else {
        COLFSTATE *st = ColState(p->dialog);
        for (COLFCTL *c = st->controls; c && c->layoutRow; c++)
            if (c->valueRow == (const PCFValueDef *)di->itemData)
                count = c->count;
    }
    char number[24];
    snprintf(number, sizeof number, "[%u]", (unsigned)count);
    RECT cr = r;
    cr.right -= 2;
    DrawTextA(dc, number, -1, &cr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    SelectObject(dc, old);
}
