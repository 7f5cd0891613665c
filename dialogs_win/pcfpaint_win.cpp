/* Painting of the command dialog's own parts: the colour pairs of its
 * children from the live colour table, its owner-drawn push buttons, and
 * its owner-drawn menu bar items and field tabs (raised selected tab, button-style tabs with
 * separators, vertical tabs with rotated text). */
#include "pcfwin.h"

#include <commctrl.h>

#include "tkutil.h"
#include "tkwin.h"

void PCFPaintBackground(HWND hwnd, HDC print)
{
    if (print) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(print, &rc, ColourBrush(4));
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    FillRect(dc, &ps.rcPaint, ColourBrush(4));
    EndPaint(hwnd, &ps);
}

/* The colour slots of a child: text and background. */
static int Slots(DialogWords *d, HWND child, int *text)
{
    HWND parent = GetParent(child);
    auto is = [&](void *w) { return w && (child == PCFWnd(w) || parent == PCFWnd(w)); };
    if (is(d->statusWindow)) { *text = 10; return 9; }
    if (is(d->filterWindow) || child == PCFWnd(d->filterButton)) { *text = 12; return 11; }
    if (is(d->historyCombo)) { *text = 10; return 9; }
    if (is(d->splitList) || child == PCFWnd(d->leftList) || child == PCFWnd(d->rightList) ||
        child == PCFWnd(d->leftTitle) || child == PCFWnd(d->rightTitle)) {
        *text = 8;
        return 7;
    }
    if (is(d->editWindow) || is(d->edit2Window) || is(d->comboWindow) || is(d->combo2Window)) {
        *text = 22;
        return 21;
    }
    char cls[16];
    if (GetClassNameA(child, cls, sizeof cls) && _stricmp(cls, "BUTTON") == 0) {
        *text = 16;
        return 15;
    }
    *text = 1;
    return 4;
}

HBRUSH PCFChildColours(DialogWords *d, HWND child, HDC dc)
{
    int text, back = Slots(d, child, &text);
    SetTextColor(dc, *ColourRef(text));
    SetBkColor(dc, *ColourRef(back));
    return ColourBrush(back);
}

/* ---- the menu bar ---- */

/* The bar's items are drawn by the dialog, so that their texts take the
 * colour table's "Menu Foreground".  Each keeps its text: its mnemonic
 * still opens it, and the text is read back to draw it. */
static void OwnerDrawBar(HMENU bar)
{
    for (int i = 0, n = GetMenuItemCount(bar); i < n; i++) {
        MENUITEMINFOA mi = { sizeof mi };
        mi.fMask = MIIM_FTYPE;
        if (!GetMenuItemInfoA(bar, (UINT)i, TRUE, &mi) || (mi.fType & (MFT_OWNERDRAW | MFT_SEPARATOR)))
            continue;
        mi.fType |= MFT_OWNERDRAW;
        SetMenuItemInfoA(bar, (UINT)i, TRUE, &mi);
    }
}

/* The text of the bar's item that carries this id (a pop-up's item
 * carries its pop-up's handle). */
static void BarText(DialogWords *d, ULONG_PTR id, char *text, int size)
{
    HMENU bar = (HMENU)d->menu;
    text[0] = 0;
    for (int i = 0, n = bar ? GetMenuItemCount(bar) : 0; i < n; i++) {
        HMENU sub = GetSubMenu(bar, i);
        if ((sub && (ULONG_PTR)sub == id) || (!sub && GetMenuItemID(bar, i) == (UINT)id)) {
            GetMenuStringA(bar, (UINT)i, text, size, MF_BYPOSITION);
            return;
        }
    }
}

static HFONT BarFont(void)
{
    NONCLIENTMETRICSA m = {};
    m.cbSize = sizeof m;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
    return CreateFontIndirectA(&m.lfMenuFont);
}

void PCFMeasureBarItem(DialogWords *d, MEASUREITEMSTRUCT *mi)
{
    char text[120];
    BarText(d, mi->itemID, text, sizeof text);
    HDC dc = GetDC(PCFWnd(d->window));
    HFONT font = BarFont(), old = (HFONT)SelectObject(dc, font);
    RECT r = { 0, 0, 0, 0 };
    DrawTextA(dc, text, -1, &r, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(PCFWnd(d->window), dc);
    /* the text's own width: the bar adds the margins it gives its texts */
    mi->itemWidth = (UINT)r.right;
    mi->itemHeight = (UINT)GetSystemMetrics(SM_CYMENU);
}

/* An item in "Menu Foreground" on "Menu Background"; the open item in the
 * pair reversed, a greyed one in the grey text colour. */
void PCFDrawBarItem(DialogWords *d, const DRAWITEMSTRUCT *di)
{
    char text[120];
    BarText(d, di->itemID, text, sizeof text);
    int open = (di->itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
    RECT r = di->rcItem;
    FillRect(di->hDC, &r, ColourBrush(open ? CLR_MENUFG : CLR_MENUBG));
    COLORREF fore = *ColourRef(open ? CLR_MENUBG : CLR_MENUFG);
    if (di->itemState & (ODS_GRAYED | ODS_DISABLED))
        fore = GetSysColor(COLOR_GRAYTEXT);
    int mode = SetBkMode(di->hDC, TRANSPARENT);
    COLORREF was = SetTextColor(di->hDC, fore);
    HFONT font = BarFont(), old = (HFONT)SelectObject(di->hDC, font);
    DrawTextA(di->hDC, text, -1, &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | ((di->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0));
    SelectObject(di->hDC, old);
    DeleteObject(font);
    SetTextColor(di->hDC, was);
    SetBkMode(di->hDC, mode);
}

void PCFSetWindowsColours(DialogWords *d)
{
    HWND hwnd = PCFWnd(d->window);
    if (!hwnd)
        return;
    SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)ColourBrush(4));
    /* the menu bar on "Menu Background", its texts in "Menu Foreground"
       (its pop-ups keep their own) */
    if (d->menu) {
        MENUINFO mi = { sizeof mi };
        mi.fMask = MIM_BACKGROUND;
        mi.hbrBack = ColourBrush(CLR_MENUBG);
        SetMenuInfo((HMENU)d->menu, &mi);
        OwnerDrawBar((HMENU)d->menu);
        if (GetMenu(hwnd) == (HMENU)d->menu)
            DrawMenuBar(hwnd);
    }
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

/* ---- push buttons ---- */

static COLORREF Average(COLORREF a, COLORREF b)
{
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

void PCFDrawButton(DialogWords *, const DRAWITEMSTRUCT *di)
{
    HDC dc = di->hDC;
    RECT rc = di->rcItem;
    FillRect(dc, &rc, ColourBrush(15));
    char text[101];
    GetWindowTextA(di->hwndItem, text, sizeof text);
    int pushed = (di->itemState & ODS_SELECTED) != 0;
    DrawEdge(dc, &rc, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    RECT tr = rc;
    if (pushed)
        OffsetRect(&tr, 2, 2);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(di->hwndItem, WM_GETFONT, 0, 0));
    COLORREF fg = *ColourRef(16);
    if (di->itemState & ODS_DISABLED) {
        RECT shadow = tr;
        OffsetRect(&shadow, 1, 1);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextA(dc, text, -1, &shadow, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SetTextColor(dc, Average(fg, *ColourRef(15)));
    } else {
        SetTextColor(dc, fg);
    }
    DrawTextA(dc, text, -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    if (di->itemState & ODS_FOCUS) {
        RECT f = rc;
        InflateRect(&f, -GetSystemMetrics(SM_CXEDGE) - 1, -GetSystemMetrics(SM_CYEDGE) - 1);
        DrawFocusRect(dc, &f);
    }
}

/* ---- field tabs ---- */

static void DrawTab(HWND tab, HDC dc, int index, int selected, LONG style, COLORREF back)
{
    RECT rc;
    if (!SendMessageA(tab, TCM_GETITEMRECT, index, (LPARAM)&rc))
        return;
    char text[80] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tab, TCM_GETITEMA, index, (LPARAM)&item);
    if (selected)
        InflateRect(&rc, 2, 2);
    HBRUSH b = CreateSolidBrush(WinShadeColour(back, selected ? 10.0f : -10.0f));
    FillRect(dc, &rc, b);
    DeleteObject(b);
    DrawEdge(dc, &rc, selected ? EDGE_RAISED : EDGE_ETCHED, (style & TCS_BUTTONS) ? BF_RECT : BF_LEFT | BF_TOP | BF_RIGHT);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, *ColourRef(6));
    if (style & TCS_VERTICAL)
        DrawRotatedText(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 90);
    else
        DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

static void DrawTabs(HWND tab, HDC dc)
{
    RECT client;
    GetClientRect(tab, &client);
    COLORREF back = *ColourRef(4);
    FillRect(dc, &client, ColourBrush(4));
    LONG style = GetWindowLongA(tab, GWL_STYLE);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(tab, WM_GETFONT, 0, 0));
    int count = (int)SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), selected = (int)SendMessageA(tab, TCM_GETCURSEL, 0, 0);
    for (int i = 0; i < count; i++)
        if (i != selected)
            DrawTab(tab, dc, i, 0, style, back);
    if (selected >= 0)
        DrawTab(tab, dc, selected, 1, style, back);
    SelectObject(dc, old);
}

LRESULT CALLBACK PCFTabSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WNDPROC old = (WNDPROC)GetPropA(hwnd, "PCFTabProc");
    switch (msg) {
    case WM_PAINT: case WM_PRINTCLIENT: {
        PAINTSTRUCT ps;
        HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : (HDC)wp;
        DrawTabs(hwnd, dc);
        if (msg == WM_PAINT)
            EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_KILLFOCUS: {
        RECT rc;
        int focus = (int)SendMessageA(hwnd, TCM_GETCURFOCUS, 0, 0);
        if (focus >= 0 && SendMessageA(hwnd, TCM_GETITEMRECT, focus, (LPARAM)&rc))
            InvalidateRect(hwnd, &rc, FALSE);
        break;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)old);
        RemovePropA(hwnd, "PCFTabProc");
        RemovePropA(hwnd, "PCFDialog");
        break;
    }
    return old ? CallWindowProcA(old, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}
