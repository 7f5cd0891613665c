/* Dynamic dialog layout: natural, minimum and maximum sizes from the
 * font's character size (bottom up), row breaking and width sharing,
 * height sharing, and placing the controls. */
#include <windows.h>
#include <commctrl.h>
#include <vector>
#include <cstring>
#include "ddint.h"
#include "tkspin.h"
#include "cstrace.h"

static int visible(const DDField *f)
{
    return !(f->type & DDF_HIDDEN) && !(f->handFlags & DDH_COLLAPSED);
}

static int conv(float v, int unit)
{
    if (v > 0)
        return (int)(v * (float)unit);
    return v < 0 ? (int)(-v) : 0;
}

/* one device context serves a whole measuring or layout pass */
static HDC measureDC;
static HWND measureWindow;

static HDC measure_dc(DDHANDLE dd)
{
    if (!measureDC || measureWindow != dd->root.hwnd) {
        if (measureDC)
            ReleaseDC(measureWindow, measureDC);
        measureWindow = dd->root.hwnd;
        measureDC = GetDC(measureWindow);
    }
    return measureDC;
}

static void measure_done(void)
{
    if (measureDC)
        ReleaseDC(measureWindow, measureDC);
    measureDC = nullptr;
    measureWindow = nullptr;
}

static SIZE text_extent(DDHANDLE dd, const DDField *f, const char *text, UINT extra, int width)
{
    SIZE s = {0, 0};
    if (!text || !*text)
        return s;
    HDC dc = measure_dc(dd);
    HGDIOBJ old = SelectObject(dc, DDFieldFontOf(dd, f));
    RECT rc = {0, 0, width, 1000};
    DrawTextA(dc, text, -1, &rc, DT_CALCRECT | extra);
    SelectObject(dc, old);
    s.cx = rc.right;
    s.cy = rc.bottom;
    return s;
}

/* ---- measuring ---- */

static void apply_row_sizes(DDHANDLE dd, DDField *f, int natCx, int natCy)
{
    const DDFieldDef *r = f->row;
    int t = DD_TYPE(f);
    if (r && t == DD_RICHEDIT && (r->value & 1) && (f->state & DDS_TEXTSIZED))
        return;   /* sized to its text when the text was set */
    f->minCx = f->minCy = f->maxCx = f->maxCy = 0;
    f->state &= ~(DDS_MAXCX | DDS_MAXCY);
    if (r && t == DD_RICHEDIT && (r->value & 1)) {
        f->minCx = natCx > 0 ? natCx : 1;
        f->minCy = natCy;
        return;
    }
    if (r) {
        if (r->exStyle & WS_EX_DLGMODALFRAME) { natCx += 6; natCy += 6; }
        if (r->exStyle & WS_EX_CLIENTEDGE) { natCx += 6; natCy += 6; }
        f->minCx = conv(r->minCx, dd->cw);
        f->minCy = conv(r->minCy, dd->ch);
        f->maxCx = conv(r->maxCx, dd->cw);
        f->maxCy = conv(r->maxCy, dd->ch);
        if (f->maxCx) f->state |= DDS_MAXCX;
        if (f->maxCy) f->state |= DDS_MAXCY;
    }
    /* a text box of several lines takes the width it is given */
    int wide = (t == DD_MULTIEDIT || t == DD_RICHEDIT) && !(f->state & DDS_MAXCX);
    if (t != DD_SPANE) {
        if (!f->maxCx && !wide) f->maxCx = natCx;
        if (!f->maxCy) f->maxCy = natCy;
    }
    if (!f->minCx) f->minCx = natCx > 0 ? natCx : 1;
    if (!f->minCy) f->minCy = natCy;
    /* a combo box's edit keeps its own height whatever a row asks */
    if (t == DD_COMBOBOX)
        f->minCy = f->maxCy = natCy;
    if (f->maxCx && f->maxCx < f->minCx) f->maxCx = f->minCx;
    if (f->maxCy && f->maxCy < f->minCy) f->maxCy = f->minCy;
}

static void natural_size(DDHANDLE dd, DDField *f, int *cx, int *cy)
{
    int cw = dd->cw, ch = dd->ch, eh = ch + 2 * ddCyEdge;
    const char *text = f->row ? f->row->text : nullptr;
    uint32_t v = f->value, style = f->row ? f->row->style : 0;
    SIZE s;
    *cx = *cy = 0;
    switch (DD_TYPE(f)) {
    case DD_STATIC:
        if (v & 1)
            break;
        if (v & 2) {
            *cx = ddCxIcon;
            *cy = ddCyIcon;
            f->row->minCx = f->row->maxCx = (float)-ddCxIcon;
            f->row->minCy = f->row->maxCy = (float)-ddCyIcon;
            break;
        }
        s = text_extent(dd, f, text, 0, 1000);
        *cx = s.cx;
        /* a value set later still takes one line, not whatever is left */
        *cy = s.cy > dd->ch ? s.cy : dd->ch;
        break;
    case DD_EDIT: *cx = (int)(v & 0xFFFF) * cw; *cy = eh; break;
    case DD_CHECKBOX: case DD_RADIO:
        if (!(style & BS_PUSHLIKE)) {
            s = text_extent(dd, f, text, 0, 1000);
            *cx = s.cx + 5 * cw;
            *cy = ch;
            break;
        }
        /* fall through: push-like as a button */
    case DD_BUTTON: case DD_UBUTTON:
        s = text_extent(dd, f, text, 0, 1000);
        *cx = (v & 1) ? s.cx + 2 * cw : s.cx * 3 / 2;
        *cy = s.cy * 3 / 2;
        if (!*cy)
            *cy = ch * 3 / 2;
        break;
    case DD_COMBOBOX: *cx = (int)v * cw; *cy = eh + 2 * ddCyEdge; break;
    case DD_SCROLL:
        if (style & SBS_VERT) { *cx = ddCxVScroll; *cy = (int)v * ch; }
        else { *cx = (int)v * cw; *cy = ddCyHScroll; }
        dd->state |= 2;
        break;
    case DD_RICHEDIT: case DD_MULTIEDIT: case DD_CONTAINER: *cx = (int)v * cw; break;
    case DD_TWISTY:
        s = text_extent(dd, f, text, 0, 1000);
        *cx = s.cx + 24;
        *cy = ch * 3 / 2;
        break;
    case DD_SEPARATOR:
        *cx = 99999;
        *cy = text && *text ? eh : 3;
        break;
    case DD_SPIN: case DD_SPIN_IND:
        *cx = 2 * cw > 16 ? 2 * cw : 16;
        *cy = eh > 20 ? eh : 20;
        break;
    case DD_PROGRESS: *cx = (int)v * cw; *cy = eh; break;
    case DD_SPINNER:
        if (!f->hwnd)
            DDRestoreWindow(dd, f, nullptr, nullptr);
        if (f->hwnd)
            SpinGetSize(f->hwnd, cx, cy);
        break;
    case DD_LISTBOX: case DD_ULISTBOX: case DD_ULISTBOXT: case DD_ULISTBOXS:
    case DD_SPACER: case DD_USER:
        break;
    default:
        DDTrap(1499, DD_TYPE(f));
        break;
    }
}

/* the members of a level, engine groups being transparent */
static void collect_members(DDField *c, std::vector<DDField *> &out)
{
    for (DDField *f = c->child; f; f = f->next) {
        if (!visible(f))
            continue;
        if (DD_TYPE(f) == DD_ENGINEGROUP)
            collect_members(f, out);
        else
            out.push_back(f);
    }
}

static void class_apply(std::vector<DDField *> &members, uint32_t scopeBits, uint32_t scopeWant,
                        int32_t *cmin, int32_t *cmax, int collect, int apply)
{
    for (DDField *f : members) {
        int k = (f->type & DDF_CLASSMASK) >> 12;
        if (!k || (f->type & scopeBits) != scopeWant)
            continue;
        if (collect) {
            if (f->minCx > cmin[k - 1]) cmin[k - 1] = f->minCx;
            if (f->maxCx > cmax[k - 1]) cmax[k - 1] = f->maxCx;
        }
    }
    if (!apply)
        return;
    for (DDField *f : members) {
        int k = (f->type & DDF_CLASSMASK) >> 12;
        if (!k || (f->type & scopeBits) != scopeWant)
            continue;
        if (cmin[k - 1]) f->minCx = cmin[k - 1];
        if (cmax[k - 1]) f->maxCx = cmax[k - 1];
        if (f->maxCx && f->maxCx < f->minCx) f->maxCx = f->minCx;
    }
}

static void tab_margins(DDHANDLE dd, DDField *f)
{
    f->marginL = f->marginR = f->marginB = 4;
    f->marginT = dd->ch + 8;
    if (!f->hwnd)
        return;
    RECT rc = {0, 0, 1000, 1000};
    SendMessageA(f->hwnd, TCM_ADJUSTRECT, FALSE, (LPARAM)&rc);
    LONG style = GetWindowLongA(f->hwnd, GWL_STYLE);
    if (style & (TCS_VERTICAL | TCS_MULTILINE)) {
        int rows = (int)SendMessageA(f->hwnd, TCM_GETROWCOUNT, 0, 0);
        f->marginL = f->marginR = f->marginB = 4;
        f->marginT = dd->cw * 4 * (rows > 0 ? rows : 1);
        return;
    }
    f->marginL = rc.left;
    f->marginT = rc.top;
    f->marginR = 1000 - rc.right;
    f->marginB = 1000 - rc.bottom;
}

static void container_size(DDHANDLE dd, DDField *c)
{
    int t = DD_TYPE(c);
    if (t == DD_GROUPBOX || t == DD_SPANE) {
        DDField *g = c->child;
        int mnx = g ? g->minCx : 0, mny = g ? g->minCy : 0;
        int mxx = g ? g->maxCx : 0, mxy = g ? g->maxCy : 0;
        if (t == DD_GROUPBOX) {
            int caption = c->row && c->row->text && *c->row->text;
            c->marginL = c->marginR = dd->cw;
            c->marginT = caption ? dd->ch * 3 / 2 : dd->ch / 2;
            c->marginB = dd->ch / 2;
            if ((c->value & 0xFF) == 4 && !caption)
                c->marginL = c->marginR = c->marginT = c->marginB = 0;
            int mx = c->marginL + c->marginR, my = c->marginT + c->marginB;
            c->minCx = mnx + mx;
            c->minCy = mny + my;
            c->maxCx = mxx ? mxx + mx : 0;
            c->maxCy = mxy ? mxy + my : 0;
            return;
        }
        apply_row_sizes(dd, c, 0, 0);
        const DDFieldDef *r = c->row;
        int border = r && (r->style & WS_BORDER) ? 2 : 0;
        if (!r || !r->minCx) c->minCx = mnx + ddCxVScroll + border;
        if (!r || !r->minCy) c->minCy = mny + ddCyHScroll + border;
        if (!r || !r->maxCx) c->maxCx = mxx ? mxx + ddCxVScroll + border : 0;
        else if (border) c->maxCx += 2;
        if (!r || !r->maxCy) c->maxCy = mxy ? mxy + ddCyHScroll + border : 0;
        c->contentCx = mnx;
        c->contentCy = mny;
        return;
    }
    if (t == DD_TABCTL) {
        tab_margins(dd, c);
        int mnx = 0, mny = 0, mxx = 0, mxy = 0, unbx = 0, unby = 0;
        for (DDField *p = c->child; p; p = p->next) {
            if (p->minCx > mnx) mnx = p->minCx;
            if (p->minCy > mny) mny = p->minCy;
            if (!p->maxCx) unbx = 1; else if (p->maxCx > mxx) mxx = p->maxCx;
            if (!p->maxCy) unby = 1; else if (p->maxCy > mxy) mxy = p->maxCy;
        }
        int mx = c->marginL + c->marginR, my = c->marginT + c->marginB;
        int natMinCx = mnx + mx, natMinCy = mny + my;
        apply_row_sizes(dd, c, natMinCx, natMinCy);
        if (c->minCx < natMinCx) c->minCx = natMinCx;
        if (c->minCy < natMinCy) c->minCy = natMinCy;
        if (!(c->state & DDS_MAXCX)) c->maxCx = unbx ? 0 : mxx + mx;
        if (!(c->state & DDS_MAXCY)) c->maxCy = unby ? 0 : mxy + my;
        return;
    }
    if (t == DD_SPLITLR || t == DD_SPLITTB) {
        DDField *a = c->child, *b = a ? a->next : nullptr;
        int amx = a ? a->minCx : 0, amy = a ? a->minCy : 0, bmx = b ? b->minCx : 0, bmy = b ? b->minCy : 0;
        int natCx = t == DD_SPLITLR ? amx + bmx + 10 : (amx > bmx ? amx : bmx);
        int natCy = t == DD_SPLITTB ? amy + bmy + 10 : (amy > bmy ? amy : bmy);
        apply_row_sizes(dd, c, natCx, natCy);
        if (!(c->state & DDS_MAXCX)) c->maxCx = 0;
        if (!(c->state & DDS_MAXCY)) c->maxCy = 0;
        return;
    }
    /* GROUP, TAB page, engine group, root: rows broken at 0x400, runs joined by 0x800 */
    int minCx = 0, minCy = 0, maxCx = 0, maxCy = 0, unbx = 0, unby = 0;
    int rowMin = 0, rowMaxW = 0, rowMinH = 0, run = 0, runMaxH = 0;
    int first = 1;
    for (DDField *f = c->child; f; f = f->next) {
        if (!visible(f))
            continue;
        if (!first && (f->type & DDF_NEWROW)) {
            minCy += rowMin;
            if (rowMaxW > maxCx) maxCx = rowMaxW;
            rowMin = rowMaxW = 0;
        }
        if (first || !(f->type & DDF_NOBREAK)) {
            if (!first) maxCy += runMaxH;
            run = 0;
            runMaxH = 0;
        }
        first = 0;
        run += f->minCx;
        if (run > minCx) minCx = run;
        if (f->minCy > rowMin) rowMin = f->minCy;
        if (!f->maxCx) unbx = 1;
        rowMaxW += f->maxCx;
        if (!f->maxCy) unby = 1;
        if (f->maxCy > runMaxH) runMaxH = f->maxCy;
        (void)rowMinH;
    }
    minCy += rowMin;
    maxCy += runMaxH;
    if (rowMaxW > maxCx) maxCx = rowMaxW;
    c->minCx = minCx;
    c->minCy = minCy;
    c->maxCx = unbx ? 0 : maxCx;
    c->maxCy = unby ? 0 : maxCy;
}

static void measure(DDHANDLE dd, DDField *c, int pass);

/* sibling-scope classes: the members of the sibling containers of c */
static void sibling_classes(DDHANDLE dd, DDField *c, int pass)
{
    std::vector<DDField *> members;
    int any = 0;
    for (DDField *g = c->child; g; g = g->next)
        if (visible(g) && DDIsContainer(g)) {
            DDField *inner = (DD_TYPE(g) == DD_GROUPBOX || DD_TYPE(g) == DD_SPANE) ? g->child : g;
            if (inner)
                collect_members(inner, members);
            any = 1;
        }
    if (!any)
        return;
    int32_t cmin[3] = {0, 0, 0}, cmax[3] = {0, 0, 0};
    int found = 0;
    for (DDField *f : members)
        if ((f->type & DDF_CLASSSIBLINGS) && (f->type & DDF_CLASSMASK))
            found = 1;
    if (!found)
        return;
    class_apply(members, DDF_CLASSSIBLINGS | DDF_CLASSDIALOG, DDF_CLASSSIBLINGS, cmin, cmax, 1, 1);
    /* the sibling containers' sizes follow their members */
    for (DDField *g = c->child; g; g = g->next)
        if (visible(g) && DDIsContainer(g))
            measure(dd, g, pass | 0x100);
}

/* The push buttons of a row of buttons alone take one width, the widest's,
 * each centred in a cell a character wider, so that neighbours never touch. */
static void button_rows(DDHANDLE dd, DDField *c)
{
    DDField *start = nullptr;
    for (DDField *f = c->child;; f = f->next) {
        if (f && !visible(f))
            continue;
        if (!f || !start || (f->type & DDF_NEWROW)) {
            int widest = 0, buttons = 0, others = 0;
            for (DDField *g = start; g && g != f; g = g->next) {
                if (!visible(g))
                    continue;
                if (DD_TYPE(g) == DD_BUTTON && !(g->row && (g->row->style & 0xF) == BS_OWNERDRAW)) {
                    buttons++;
                    if (g->minCx > widest) widest = g->minCx;
                } else {
                    others++;
                }
            }
            if (buttons > 1 && !others)
                for (DDField *g = start; g && g != f; g = g->next)
                    if (visible(g)) {
                        g->minCx = widest + dd->cw;
                        if (!g->maxCx || g->maxCx < widest) g->maxCx = widest;
                    }
            start = f;
        }
        if (!f)
            break;
    }
}

/* pass 1 collects the dialog-wide classes, pass 2 applies them; 0x100:
 * containers only (their leaves are measured) */
static void measure(DDHANDLE dd, DDField *c, int pass)
{
    if (!DDIsContainer(c)) {
        if (!(pass & 0x100)) {
            int cx, cy;
            natural_size(dd, c, &cx, &cy);
            apply_row_sizes(dd, c, cx, cy);
        }
        return;
    }
    for (DDField *f = c->child; f; f = f->next)
        measure(dd, f, pass);
    if (!(pass & 0x100) && DD_TYPE(c) != DD_TABCTL && DD_TYPE(c) != DD_SPLITLR &&
        DD_TYPE(c) != DD_SPLITTB && DD_TYPE(c) != DD_GROUPBOX && DD_TYPE(c) != DD_SPANE) {
        std::vector<DDField *> members;
        collect_members(c, members);
        int32_t cmin[3] = {0, 0, 0}, cmax[3] = {0, 0, 0};
        class_apply(members, DDF_CLASSSIBLINGS | DDF_CLASSDIALOG, 0, cmin, cmax, 1, 1);
        class_apply(members, DDF_CLASSDIALOG, DDF_CLASSDIALOG, dd->classMin, dd->classMax,
                    (pass & 0xFF) == 1, (pass & 0xFF) == 2);
        /* engine groups of this level follow their members */
        for (DDField *f = c->child; f; f = f->next)
            if (DD_TYPE(f) == DD_ENGINEGROUP)
                measure(dd, f, pass | 0x100);
        button_rows(dd, c);
        if ((pass & 0xFF) == 2)
            sibling_classes(dd, c, pass);
    }
    container_size(dd, c);
}

static int layingOut;

void DDCalcNaturalSizes(DDHANDLE dd)
{
    HDC dc = measure_dc(dd);
    HGDIOBJ old = SelectObject(dc, DDFont(dd));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    dd->cw = tm.tmAveCharWidth > 0 ? tm.tmAveCharWidth : 1;
    dd->ch = tm.tmAscent + tm.tmDescent;
    dd->ch4 = dd->ch / 4;
    dd->cw2 = dd->cw / 2;
    memset(dd->classMin, 0, sizeof dd->classMin);
    memset(dd->classMax, 0, sizeof dd->classMax);
    measure(dd, &dd->root, 1);
    measure(dd, &dd->root, 2);
    dd->classesMeasured = 1;
    dd->sizesValid = 1;
    if (!layingOut)
        measure_done();
}

/* ---- widths ---- */

static void size_cx(DDHANDLE dd, DDField *c, int W, int x0);
static void size_cy(DDHANDLE dd, DDField *c, int H, int y0);

/* the size a field's control gets: its cell, narrowed to its maximum */
static int eff_cx(const DDField *f)
{
    return !(f->type & DDF_FILL) && f->maxCx && f->cx > f->maxCx ? f->maxCx : f->cx;
}

static int eff_cy(const DDField *f)
{
    return !(f->type & DDF_FILL) && f->maxCy && f->cy > f->maxCy ? f->maxCy : f->cy;
}

static int pane_inner_cx(DDHANDLE dd, DDField *p)
{
    int w = eff_cx(p);
    if (p->row && (p->row->style & WS_BORDER))
        w -= 2;
    if ((dd->state & 4) && (p->state & DDS_NEEDVSCROLL))
        w -= ddCxVScroll;
    return w > 0 ? w : 0;
}

static int pane_inner_cy(DDField *p)
{
    int h = eff_cy(p);
    if (p->row && (p->row->style & WS_BORDER))
        h -= 2;
    return h > 0 ? h : 0;
}

/* a container's heights after its contents were laid out at a width */
static void heights_from_rows(DDField *c, int extraMin, int extraMax)
{
    int mn = 0, mx = 0, unb = 0;
    for (DDField *f = c->child; f; f = f->next) {
        if (!visible(f) || !f->rowLast)
            continue;
        mn += f->rowMinCy;
        if (!f->rowMaxCy) unb = 1;
        mx += f->rowMaxCy;
    }
    c->minCy = mn + extraMin;
    c->maxCy = unb ? 0 : mx + extraMax;
}

static void field_cx(DDHANDLE dd, DDField *f)
{
    int t = DD_TYPE(f);
    if (t == DD_STATIC && (f->value & 1)) {
        SIZE s = text_extent(dd, f, f->row ? f->row->text : nullptr, DT_WORDBREAK, f->cx);
        int h = s.cy;
        int given = f->row ? conv(f->row->maxCy, dd->ch) : 0;
        if (given && h > given) h = given;
        int gmin = f->row ? conv(f->row->minCy, dd->ch) : 0;
        f->maxCy = h;
        f->minCy = h > gmin ? h : gmin;
        if (f->maxCy < f->minCy) f->maxCy = f->minCy;
        return;
    }
    switch (t) {
    case DD_GROUP: case DD_TAB: case DD_ENGINEGROUP:
        size_cx(dd, f, f->cx, f->x);
        heights_from_rows(f, 0, 0);
        break;
    case DD_SPANE: {
        DDField *g = f->child;
        if (!g)
            break;
        int inner = pane_inner_cx(dd, f);
        g->cx = inner > g->minCx ? inner : g->minCx;
        g->x = 0;
        size_cx(dd, g, g->cx, 0);
        heights_from_rows(g, 0, 0);
        f->contentCx = g->cx;
        int border = f->row && (f->row->style & WS_BORDER) ? 2 : 0;
        if (!(f->state & DDS_MAXCY)) {
            f->maxCy = g->maxCy ? g->maxCy + border : 0;
            if (f->maxCy && inner <= g->minCx)
                f->maxCy += ddCyHScroll;
            if (f->maxCy && f->maxCy < f->minCy)
                f->maxCy = f->minCy;
        }
        break;
    }
    case DD_GROUPBOX: {
        DDField *g = f->child;
        if (!g)
            break;
        int inner = f->cx - f->marginL - f->marginR;
        int off = f->marginL;
        if (!(f->type & DDF_FILL) && !(g->type & DDF_FILL) && g->maxCx && g->maxCx < inner) {
            int slack = inner - g->maxCx;
            if (g->type & DDF_HCENTRE) off += slack / 2;
            else if (g->type & DDF_RIGHT) off += slack;
            inner = g->maxCx;
        }
        g->x = off;
        g->cx = inner > 0 ? inner : 0;
        size_cx(dd, g, g->cx, off);
        heights_from_rows(g, 0, 0);
        f->minCy = g->minCy + f->marginT + f->marginB;
        if (!(f->state & DDS_MAXCY))
            f->maxCy = g->maxCy ? g->maxCy + f->marginT + f->marginB : 0;
        break;
    }
    case DD_TABCTL: {
        if (f->hwnd)
            SetWindowPos(f->hwnd, nullptr, 0, 0, eff_cx(f), f->cy > 0 ? f->cy : 100,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        tab_margins(dd, f);
        int inner = eff_cx(f) - f->marginL - f->marginR;
        int mn = 0, mx = 0, unb = 0;
        for (DDField *p = f->child; p; p = p->next) {
            p->x = f->marginL;
            p->cx = inner > 0 ? inner : 0;
            size_cx(dd, p, p->cx, p->x);
            heights_from_rows(p, 0, 0);
            if (p->minCy > mn) mn = p->minCy;
            if (!p->maxCy) unb = 1; else if (p->maxCy > mx) mx = p->maxCy;
        }
        f->minCy = mn + f->marginT + f->marginB;
        if (!(f->state & DDS_MAXCY))
            f->maxCy = unb ? 0 : mx + f->marginT + f->marginB;
        break;
    }
    }
}

static void set_row_cx(DDHANDLE dd, std::vector<DDField *> &row, int W, int x)
{
    int n = (int)row.size(), left = W, unbounded = 0, stretch = 0;
    for (DDField *f : row) {
        f->cx = f->minCx;
        left -= f->cx;
        if (!f->maxCx) unbounded++;
        if (!(f->type & DDF_NOSTRETCH)) stretch++;
    }
    while (left > 0) {
        int start = -1, least = 0;
        for (int i = 0; i < n; i++) {
            DDField *f = row[i];
            if (f->maxCx && f->cx < f->maxCx && (start < 0 || f->cx - f->minCx < least)) {
                start = i;
                least = f->cx - f->minCx;
            }
        }
        if (start < 0)
            break;
        for (int k = 0; k < n && left > 0; k++) {
            DDField *f = row[(start + k) % n];
            if (f->maxCx && f->cx < f->maxCx) {
                f->cx++;
                left--;
            }
        }
    }
    /* a row with a labelled column keeps its cells at their widths, so
     * the fields of one column line up: what is left goes to its end */
    int labelled = 0;
    for (DDField *f : row)
        labelled |= (f->type & DDF_CLASSMASK) && DD_TYPE(f) == DD_STATIC;
    if (left > 0 && !unbounded && labelled) {
        row.back()->cx += left;
        left = 0;
    }
    if (left > 0) {
        int share = unbounded ? unbounded : stretch;
        if (share) {
            int each = (left + share - 1) / share;
            for (DDField *f : row) {
                if (left <= 0)
                    break;
                if (unbounded ? f->maxCx != 0 : (f->type & DDF_NOSTRETCH) != 0)
                    continue;
                int give = each < left ? each : left;
                f->cx += give;
                left -= give;
            }
        }
    }
    int rowMin = 0, rowMax = 0, unb = 0;
    for (DDField *f : row) {
        f->x = x;
        x += f->cx;
        field_cx(dd, f);
        if (f->minCy > rowMin) rowMin = f->minCy;
        if (!f->maxCy) unb = 1; else if (f->maxCy > rowMax) rowMax = f->maxCy;
    }
    row[0]->rowMinCy = rowMin;
    row[0]->rowMaxCy = unb ? 0 : rowMax;
}

/* Rows and widths of one level at width W starting at x0. */
static void size_cx(DDHANDLE dd, DDField *c, int W, int x0)
{
    std::vector<DDField *> all;
    for (DDField *f = c->child; f; f = f->next) {
        f->state &= ~DDS_ROWLAST;
        f->rowLast = nullptr;
        f->nextRow = nullptr;
        if (visible(f))
            all.push_back(f);
        else if (f->hwnd || DDIsContainer(f))
            DDReleaseControl(dd, f);
    }
    std::vector<DDField *> row;
    DDField *prevFirst = nullptr;
    int widest = 0;
    size_t i = 0;
    while (i < all.size()) {
        row.clear();
        int used = 0;
        size_t j = i;
        for (; j < all.size(); j++) {
            DDField *f = all[j];
            if (!row.empty() && (f->type & DDF_NEWROW))
                break;
            if (!row.empty() && used + f->minCx > W) {
                /* break after the last field whose successor allows it */
                size_t k = j;
                while (k > i && (all[k]->type & DDF_NOBREAK))
                    k--;
                if (k > i) {
                    row.resize(k - i);
                    j = k;
                } else {
                    row.push_back(f);
                    j++;
                }
                break;
            }
            row.push_back(f);
            used += f->minCx;
        }
        i = j;
        int sum = 0;
        for (DDField *f : row)
            sum += f->minCx;
        if (sum > widest) widest = sum;
        set_row_cx(dd, row, W, x0);
        row.back()->state |= DDS_ROWLAST;
        row[0]->rowLast = row.back();
        if (prevFirst)
            prevFirst->nextRow = row[0];
        prevFirst = row[0];
    }
    c->contentCx = widest > W ? widest : W;
}

/* ---- heights ---- */

static void field_cy(DDHANDLE dd, DDField *f)
{
    switch (DD_TYPE(f)) {
    case DD_GROUP: case DD_TAB: case DD_ENGINEGROUP:
        size_cy(dd, f, f->cy, f->y);
        break;
    case DD_SPANE: {
        DDField *g = f->child;
        if (!g)
            break;
        int inner = pane_inner_cy(f);
        g->y = 0;
        g->cy = inner > g->minCy ? inner : g->minCy;
        size_cy(dd, g, g->cy, 0);
        f->contentCy = g->cy;
        if (inner < g->minCy) {
            if (CSTraceIsOn())
                CSTrace(1, "Re-size SPANE needed (%d,%d)\n", inner, g->minCy);
            dd->state |= 8;
            f->state |= DDS_NEEDVSCROLL;
        } else if (!(dd->state & 4)) {
            f->state &= ~DDS_NEEDVSCROLL;
        }
        break;
    }
    case DD_GROUPBOX: {
        DDField *g = f->child;
        if (!g)
            break;
        g->y = f->marginT;
        g->cy = f->cy - f->marginT - f->marginB;
        if (g->cy < 0) g->cy = 0;
        size_cy(dd, g, g->cy, g->y);
        break;
    }
    case DD_TABCTL:
        for (DDField *p = f->child; p; p = p->next) {
            p->y = f->marginT;
            p->cy = eff_cy(f) - f->marginT - f->marginB;
            if (p->cy < 0) p->cy = 0;
            size_cy(dd, p, p->cy, p->y);
        }
        break;
    }
}

static void size_cy(DDHANDLE dd, DDField *c, int H, int y0)
{
    std::vector<DDField *> rows;
    for (DDField *f = c->child; f; f = f->next)
        if (visible(f) && f->rowLast)
            rows.push_back(f);
    int left = H;
    std::vector<int> h(rows.size());
    for (size_t i = 0; i < rows.size(); i++) {
        h[i] = rows[i]->rowMinCy;
        left -= h[i];
    }
    while (left > 0) {
        int room = -1;
        for (size_t i = 0; i < rows.size(); i++) {
            int r = rows[i]->rowMaxCy - h[i];
            if (rows[i]->rowMaxCy && r > 0 && (room < 0 || r < room))
                room = r;
        }
        if (room <= 0)
            break;
        for (size_t i = 0; i < rows.size() && left > 0; i++) {
            int r = rows[i]->rowMaxCy - h[i];
            if (rows[i]->rowMaxCy && r > 0) {
                int give = room < left ? room : left;
                h[i] += give;
                left -= give;
            }
        }
    }
    int unb = 0;
    for (DDField *r : rows)
        if (!r->rowMaxCy) unb++;
    if (left > 0 && unb) {
        int each = (left + unb - 1) / unb;
        for (size_t i = 0; i < rows.size() && left > 0; i++)
            if (!rows[i]->rowMaxCy) {
                int give = each < left ? each : left;
                h[i] += give;
                left -= give;
            }
    }
    int y = y0, total = 0;
    for (size_t i = 0; i < rows.size(); i++) {
        for (DDField *f = rows[i];; f = f->next) {
            if (visible(f)) {
                f->y = y;
                f->cy = h[i];
                field_cy(dd, f);
            }
            if (f == rows[i]->rowLast || !f->next)
                break;
        }
        y += h[i];
        total += h[i];
    }
    c->contentCy = total;
}

/* ---- placing ---- */

int DDScrollShiftX(const DDField *f)
{
    const DDField *o = f->scrollOrigin;
    if (!o)
        return 0;
    return o->hscroll.position * (o->hscroll.unit ? o->hscroll.unit : 1);
}

int DDScrollShiftY(const DDField *f)
{
    const DDField *o = f->scrollOrigin;
    if (!o)
        return 0;
    return o->vscroll.position * (o->vscroll.unit ? o->vscroll.unit : 1);
}

static int is_centred(int t)
{
    switch (t) {
    case DD_BUTTON: case DD_UBUTTON: case DD_LISTBOX: case DD_ULISTBOX: case DD_ULISTBOXT:
    case DD_ULISTBOXS: case DD_SPACER: case DD_TABCTL:
    case DD_GROUPBOX: case DD_SPLITLR: case DD_SPLITTB:
        return 1;
    }
    return 0;
}

static void place_field(DDHANDLE dd, DDField *f)
{
    int t = DD_TYPE(f);
    int x = f->x, y = f->y, cx = f->cx, cy = f->cy;
    if (!(f->type & DDF_FILL) && t != DD_GROUPBOX) {
        if (f->maxCx && cx > f->maxCx) {
            int d = cx - f->maxCx;
            cx = f->maxCx;
            if (f->type & DDF_RIGHT) x += d;
            else if ((f->type & DDF_HCENTRE) || (!(f->type & DDF_LEFT) && is_centred(t))) x += d / 2;
        }
        if (f->maxCy && cy > f->maxCy) {
            int d = cy - f->maxCy;
            cy = f->maxCy;
            if (f->type & DDF_BOTTOM) y += d;
            else if (!(f->type & DDF_TOP)) y += d / 2;
        }
    }
    if (t == DD_COMBOBOX)
        cy += 10 * dd->ch;
    POINT pos = {x - DDScrollShiftX(f), y - DDScrollShiftY(f)};
    SIZE size = {cx, cy};
    /* size messages of the control while it is placed are the engine's own */
    uint32_t placing = f->state & DDS_PLACING;
    f->state |= DDS_PLACING;
    DDRestoreWindow(dd, f, &pos, &size);
    if (t == DD_COMBOBOX && f->hwnd)
        SendMessageA(f->hwnd, CB_SETEDITSEL, 0, MAKELPARAM(-1, 0));
    switch (t) {
    case DD_SPANE:
        if (f->child)
            DDMoveFields(dd, f->child);
        DDSetScrollState(dd, f);
        break;
    case DD_TABCTL:
        if (f->page)
            DDMoveFields(dd, f->page);
        break;
    case DD_GROUPBOX:
        if (f->child)
            DDMoveFields(dd, f->child);
        break;
    case DD_SPLITLR: case DD_SPLITTB:
        DDPlaceSplit(dd, f);
        break;
    }
    if (!placing)
        f->state &= ~DDS_PLACING;
}

void DDMoveFields(DDHANDLE dd, DDField *c)
{
    for (DDField *f = c->child; f; f = f->next) {
        if (!DDShowable(f)) {
            if (f->hwnd || DDIsContainer(f))
                DDReleaseControl(dd, f);
            continue;
        }
        switch (DD_TYPE(f)) {
        case DD_SPACER:
            break;
        case DD_TAB:
            break;
        case DD_GROUP: case DD_ENGINEGROUP:
            DDMoveFields(dd, f);
            break;
        default:
            place_field(dd, f);
        }
    }
}

void DDPlaceSplit(DDHANDLE dd, DDField *s)
{
    DDField *a = s->child, *b = a ? a->next : nullptr;
    if (!a || !b)
        return;
    int lr = DD_TYPE(s) == DD_SPLITLR;
    int scx = eff_cx(s), scy = eff_cy(s);
    int extent = lr ? scx : scy;
    s->bar = (int)((int64_t)s->value * extent / 100000);
    if (lr) {
        int w = s->bar - 5;
        if (w < 0) w = 0;
        DDSizePane(dd, a, 0, 0, w, scy);
        int x2 = w + 10;
        DDSizePane(dd, b, x2, 0, scx - x2 > 0 ? scx - x2 : 0, scy);
    } else {
        int h = s->bar - 5;
        if (h < 0) h = 0;
        DDSizePane(dd, a, 0, 0, scx, h);
        int y2 = h + 10;
        DDSizePane(dd, b, 0, y2, scx, scy - y2 > 0 ? scy - y2 : 0);
    }
    if (s->hwnd)
        RedrawWindow(s->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
}

/* scroll state of the dialog window or a pane: page and range in units
 * of the character size */
void DDSetScrollState(DDHANDLE dd, DDField *p)
{
    HWND w = p->hwnd;
    if (!w)
        return;
    RECT rc;
    GetClientRect(w, &rc);
    int cw = dd->cw > 0 ? dd->cw : 1, ch = dd->ch > 0 ? dd->ch : 1;
    int pageX = rc.right, pageY = rc.bottom;
    DDField *content = DD_TYPE(p) == DD_ROOT ? p : p->child;
    if (!content)
        return;
    int totalX = content->contentCx, totalY = content->contentCy;
    if (DD_TYPE(p) != DD_ROOT) {
        totalX = content->cx;
        totalY = content->cy;
    }
    p->hscroll.unit = (uint16_t)cw;
    p->vscroll.unit = (uint16_t)ch;
    p->hscroll.page = (uint16_t)(pageX / cw);
    p->vscroll.page = (uint16_t)(pageY / ch);
    p->hscroll.total = totalX > pageX ? (totalX + cw - 1) / cw : p->hscroll.page;
    p->vscroll.total = totalY > pageY ? (totalY + ch - 1) / ch : p->vscroll.page;
    p->hscroll.needed = p->hscroll.total > p->hscroll.page;
    p->vscroll.needed = p->vscroll.total > p->vscroll.page;
    int maxX = p->hscroll.total - p->hscroll.page, maxY = p->vscroll.total - p->vscroll.page;
    if (p->hscroll.position > maxX) p->hscroll.position = maxX > 0 ? maxX : 0;
    if (p->vscroll.position > maxY) p->vscroll.position = maxY > 0 ? maxY : 0;
    ScrollUpdateBars(w, &p->hscroll, &p->vscroll, 3);
}

/* ---- the placing trace ---- */

static const char *const traceNames[35] = {
    "?????????", "STATIC", "EDIT", "BUTTON", "TAB", "GROUP", "COMBOBOX", "SCROLL", "LISTBOX",
    "CHECKBOX", "RADIO", "GROUPBOX", "SPANE", "SPACER", "GROUPE", "TABCTL", "RICHEDIT", "TWISTY",
    "TWISTYE", "SEPARATOR", "SPIN", "USER", "MULTIEDIT", "SECTION", "ULISTBOX", "ULISTBOXT",
    "ULISTBOXS", "PROGRESS", "?????????", "SPIN_IND", "CONTAINER", "SPINNER", "UBUTTON",
    "SPLITLR", "SPLITTB"};

static void trace_tree(const DDField *c, int depth)
{
    for (const DDField *f = c->child; f; f = f->next) {
        int t = DD_TYPE(f);
        const char *name = t == DD_ENGINEGROUP ? "DUMMYGRP" : t == DD_ROOT ? "WINDOW" : t < 35 ? traceNames[t] : "?????????";
        CSTrace(1, "%*s%-9.9s %10.10s Mn(%5d,%5d) Mx(%5d,%5d) Pos(%5d,%5d) Act(%5d,%5d)\n", depth * 2, "",
                name, f->row && f->row->text ? f->row->text : "", f->minCx, f->minCy, f->maxCx, f->maxCy,
                f->x, f->y, f->cx, f->cy);
        if (DDIsContainer(f))
            trace_tree(f, depth + 1);
    }
}

/* ---- the pane entry points ---- */

/* A pane that needs a vertical scroll bar may grow by its width in the
 * second pass; any other layout takes that back. */
static void pane_bars(DDHANDLE dd, int add)
{
    for (int i = 0; i < dd->count; i++) {
        DDField *f = &dd->fields[i];
        if (DD_TYPE(f) != DD_SPANE || !f->maxCx)
            continue;
        if (!add && (f->state & DDS_MAXINCLBAR)) {
            f->maxCx -= ddCxVScroll;
            f->state &= ~DDS_MAXINCLBAR;
        } else if (add && (f->state & DDS_NEEDVSCROLL) && !(f->state & DDS_MAXINCLBAR)) {
            f->maxCx += ddCxVScroll;
            f->state |= DDS_MAXINCLBAR;
        }
    }
}

void DDSizePane(DDHANDLE dd, DDField *p, int x, int y, int cx, int cy)
{
    if (!dd->sizesValid)
        DDCalcNaturalSizes(dd);
    p->x = x;
    p->y = y;
    p->cx = cx;
    p->cy = cy;
    dd->state &= ~(4u | 8u);
    layingOut++;
    int root = DD_TYPE(p) == DD_ROOT;
    if (root)
        pane_bars(dd, 0);
    for (int pass = 0; pass < 2; pass++) {
        if (root) {
            size_cx(dd, p, cx, 0);
            size_cy(dd, p, cy, 0);
        } else {
            field_cx(dd, p);
            field_cy(dd, p);
        }
        if (!(dd->state & 8) || (dd->state & 4))
            break;
        dd->state |= 4;
        if (root)
            pane_bars(dd, 1);
    }
    if (!--layingOut)
        measure_done();
    layingOut++;
    if (root) {
        if (CSTraceIsOn()) {
            CSTraceLock();
            CSTrace(1, "WINDOW    Pos(%5d,%5d) Act(%5d,%5d)\n", x, y, cx, cy);
            trace_tree(p, 1);
            CSTraceUnlock();
        }
        DDMoveFields(dd, p);
        DDSetScrollState(dd, p);
    } else {
        place_field(dd, p);
    }
    layingOut--;
}

void DDLayout(DDHANDLE dd)
{
    if (!dd || !dd->root.hwnd || (dd->root.state & DDS_PLACING))
        return;
    /* scroll bars that come or go change the client size: at most twice more */
    dd->root.state |= DDS_PLACING;
    for (int pass = 0; pass < 3; pass++) {
        RECT rc;
        GetClientRect(dd->root.hwnd, &rc);
        if (rc.right <= 0 || rc.bottom <= 0)
            break;   /* nothing to show yet: controls wait for the first size */
        if (pass && rc.right == dd->root.cx && rc.bottom == dd->root.cy)
            break;
        DDSizePane(dd, &dd->root, 0, 0, rc.right, rc.bottom);
    }
    dd->root.state &= ~DDS_PLACING;
    /* controls moved: nothing of their old places stays painted */
    RedrawWindow(dd->root.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

/* minimum client size: rows broken only at 0x400 */
static void min_size(DDField *c, int *w, int *h)
{
    int rowW = 0, rowH = 0, first = 1;
    *w = *h = 0;
    for (DDField *f = c->child; f; f = f->next) {
        if (!visible(f))
            continue;
        if (!first && (f->type & DDF_NEWROW)) {
            if (rowW > *w) *w = rowW;
            *h += rowH;
            rowW = rowH = 0;
        }
        first = 0;
        int fw = f->minCx, fh = f->minCy;
        int t = DD_TYPE(f);
        if (t == DD_GROUP || t == DD_ENGINEGROUP || t == DD_GROUPBOX) {
            DDField *inner = t == DD_GROUPBOX ? f->child : f;
            int iw = 0, ih = 0;
            if (inner)
                min_size(inner, &iw, &ih);
            fw = iw + f->marginL + f->marginR;
            fh = ih + f->marginT + f->marginB;
            if (fh < f->minCy && t != DD_GROUPBOX && t != DD_ENGINEGROUP && t != DD_GROUP)
                fh = f->minCy;
        }
        rowW += fw;
        if (fh > rowH) rowH = fh;
    }
    if (rowW > *w) *w = rowW;
    *h += rowH;
}

void DDCalcMinSize(DDHANDLE dd, SIZE *size)
{
    if (!dd->sizesValid)
        DDCalcNaturalSizes(dd);
    int w, h;
    min_size(&dd->root, &w, &h);
    size->cx = w;
    size->cy = h;
}

/* The height of the rows laid out at a width: wrapped texts and tab pages
 * know theirs only then. */
static int rows_height(DDHANDLE dd, int cx)
{
    layingOut++;
    size_cx(dd, &dd->root, cx, 0);
    heights_from_rows(&dd->root, 0, 0);
    if (!--layingOut)
        measure_done();
    return dd->root.minCy;
}

void DDWindowSize(DDHANDLE dd, HWND hwnd, int columns, int lines, int32_t savedCx, int32_t savedCy,
                  SIZE *size)
{
    SIZE need;
    DDCalcMinSize(dd, &need);
    int cx = columns * dd->cw > need.cx ? columns * dd->cw : need.cx;
    int laid = rows_height(dd, savedCx > cx ? savedCx : cx);
    if (laid > need.cy)
        need.cy = laid;
    /* as tall as its rows, unless a row can take more height */
    int cy = dd->root.maxCy == 0 && lines * dd->ch > need.cy ? lines * dd->ch : need.cy;
    RECT rc = {0, 0, cx, cy};
    AdjustWindowRectEx(&rc, GetWindowLongA(hwnd, GWL_STYLE), FALSE, GetWindowLongA(hwnd, GWL_EXSTYLE));
    /* the size the user gave it last, when it shows everything: the height
       as well as the width, whether or not a row can take the height */
    size->cx = savedCx > rc.right - rc.left ? savedCx : rc.right - rc.left;
    size->cy = savedCy > rc.bottom - rc.top ? savedCy : rc.bottom - rc.top;
}
