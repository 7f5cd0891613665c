/* The field pane: the "PCFFields" window that lists title and value
 * lines (painted here, scrolled by line, clicked to activate a line), the
 * cell metrics and sizes of the dialog, the field tabs (a SysTabControl32
 * over the pane, owner-drawn unless the options say otherwise), and the
 * placing of the editing window over the current line's value cell. */
#include "pcfwin.h"
#include "pcflistwin.h"

#include <commctrl.h>
#include <windowsx.h>

#include "cs.h"
#include "mq/capability.h"
#include "tklogic.h"
#include "tkscroll.h"
#include "tkwin.h"


/* The field window's own record. */
struct FieldsRecord {
    char eye[4];              /* "PCFF" */
    DialogWords *dialog;
    ScrollState vs;
};

static FieldsRecord *RecordOf(HWND hwnd)
{
    FieldsRecord *r = (FieldsRecord *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    return r && memcmp(r->eye, "PCFF", 4) == 0 ? r : nullptr;
}

DialogWords *PCFFieldsDialog(HWND fieldWindow)
{
    FieldsRecord *r = RecordOf(fieldWindow);
    return r ? r->dialog : nullptr;
}

static HFONT Font(void)
{
    return winFonts.mainFont ? winFonts.mainFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

/* ---- metrics and sizes ---- */

void PCFSetFontMetrics(DialogWords *d)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font());
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    d->charWidth = (uint16_t)((3 * tm.tmAveCharWidth) / 2);
    d->lineHeight = (uint16_t)(tm.tmHeight + tm.tmExternalLeading);
    d->linePitch = (uint16_t)((3 * d->lineHeight) / 2 + d->lineGap);
}

/* The widest value the pane is sized for, in characters: longer values
 * scroll in their editor rather than widening the window off the screen. */
#define VALUE_CHARS_SHOWN 48

static int TextWidth(HDC dc, const char *text)
{
    SIZE sz = {};
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &sz);
    return sz.cx;
}

/* The title a line shows in the field pane. */
static const char *LineTitle(DialogWords *d, const PCFFieldEntry *e)
{
    PCFLISTENTRY column = { e->field, 0 };
    uint32_t mode = d->stateFlags & DF_TITLE_MODES;
    return PCFFieldTitle(d, mode ? mode : DF_TITLE_FULL, &column);
}

void PCFCalculateMaxSizes(DialogWords *d)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font());
    int32_t buttons = 0, title = 0, value = 0, fields = 0, longest = 0, tabLines = 0;
    int tabs = PCFUseFieldTabs(d);
    char buffer[120];
    for (const PCFActionDef *a = d->definition->actions; a && a->id; a++)
        if ((a->flags & PCFA_BUTTON) && CapTest(d->definition, PCFDialogCaps(d), a))
            buttons += TextWidth(dc, PCFButtonText(d, a, buffer, sizeof buffer)) + 2 * d->charWidth;
    for (PCFFieldEntry *e = PCFPaneFields(d); e && e->field; e++) {
        int type = e->field->type;
        if (tabs && type == PCFT_HEADING)
            tabLines = 0;
        /* a tabbed pane shows one tab at a time: as tall as its tallest */
        if (tabs && type != PCFT_HEADING && (tabLines += PCFEntryLines(d, e)) > fields)
            fields = tabLines;
        if (type == PCFT_SHOWINT || type == PCFT_NOVALUE || type == PCFT_HEADING || !PCFEntryShown(d, e, nullptr))
            continue;
        const char *t = LineTitle(d, e);
        int w = TextWidth(dc, t);
        if (w > title)
            title = w;
        if ((int32_t)strlen(t) > longest)
            longest = (int32_t)strlen(t);
        int chars = PCFValueChars(e);
        if (chars > VALUE_CHARS_SHOWN)
            chars = VALUE_CHARS_SHOWN;
        if (chars * d->charWidth > value)
            value = chars * d->charWidth;
        if (!tabs)
            fields++;
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    d->buttonRowWidth = (uint16_t)(buttons + d->border);
    d->buttonHeight = (uint16_t)((3 * d->lineHeight) / 2);
    d->titleWidth = (uint16_t)(title + 4 * d->border);
    d->longestTitle = (uint16_t)longest;
    d->paneWidth = (uint16_t)(value + d->titleWidth);
    d->paneHeight = (uint16_t)(d->lineGap + fields * d->linePitch + (tabs ? 2 * d->lineHeight : 0));
    d->totalFieldHeight = d->paneHeight;
}

/* ---- tabs ---- */

void PCFSizeFieldTabs(HWND tab, RECT *rc)
{
    if (!tab)
        return;
    LONG style = GetWindowLongA(tab, GWL_STYLE);
    int rows = (int)SendMessageA(tab, TCM_GETROWCOUNT, 0, 0);
    RECT item = {};
    SendMessageA(tab, TCM_GETITEMRECT, 0, (LPARAM)&item);
    int border = GetSystemMetrics(SM_CXBORDER);
    if (style & TCS_VERTICAL) {
        int w = rows * (item.right - item.left) + 3 * border;
        if (style & TCS_RIGHT)
            rc->right -= w;
        else
            rc->left += w;
    } else if (style & TCS_BOTTOM) {
        rc->bottom -= rows * (item.bottom - item.top) + GetSystemMetrics(SM_CYEDGE);
    } else {
        SendMessageA(tab, TCM_ADJUSTRECT, FALSE, (LPARAM)rc);
    }
}

/* Rebuilds the tab items when the shown tabs changed. */
void PCFBuildTabs(DialogWords *d)
{
    HWND tab = PCFWnd(d->tabWindow);
    if (!tab)
        return;
    uint32_t built = (uint32_t)GetWindowLongPtrA(tab, GWLP_USERDATA);
    if (SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0) && built == d->tabsShown + 1) {
        int index = 0;
        for (uint32_t i = 0; i < d->shownTab; i++)
            index += (d->tabsShown >> i) & 1;
        SendMessageA(tab, TCM_SETCURSEL, index, 0);
        return;
    }
    if (!((d->tabsShown >> d->shownTab) & 1))
        for (uint32_t i = 0; i < 10; i++)
            if ((d->tabsShown >> i) & 1) {
                d->shownTab = i;
                break;
            }
    SendMessageA(tab, TCM_DELETEALLITEMS, 0, 0);
    int index = 0, selected = 0;
    for (uint32_t i = 0; i < 10; i++) {
        if (!((d->tabsShown >> i) & 1) || !d->tabs[i].first)
            continue;
        TCITEMA item = {};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = (char *)d->tabs[i].first->field->title;
        item.lParam = (LPARAM)i;
        SendMessageA(tab, TCM_INSERTITEMA, index, (LPARAM)&item);
        if (i == d->shownTab)
            selected = index;
        index++;
    }
    SendMessageA(tab, TCM_SETCURSEL, selected, 0);
    SetWindowLongPtrA(tab, GWLP_USERDATA, (LONG_PTR)(d->tabsShown + 1));
}

void PCFSelectTab(DialogWords *d)
{
    HWND tab = PCFWnd(d->tabWindow);
    int selected = (int)SendMessageA(tab, TCM_GETCURSEL, 0, 0), index = 0;
    for (uint32_t i = 0; i < 10; i++) {
        if (!((d->tabsShown >> i) & 1))
            continue;
        if (index++ == selected) {
            d->shownTab = i;
            break;
        }
    }
    PCFCountFields(d);
    if (d->valueWindow)
        ShowWindow(PCFWnd(d->valueWindow), d->currentTab == d->shownTab ? SW_SHOW : SW_HIDE);
    InvalidateRect(PCFWnd(d->fieldWindow), nullptr, TRUE);
}

/* The tab control with the program's tab options. */
static HWND MakeTabs(DialogWords *d, HWND parent)
{
    uint32_t o = PcfWinPrefs.tabOptions;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;
    if (!(o & 0x40))
        style |= TCS_OWNERDRAWFIXED;
    if (o & 0x2)
        style |= (o & 0x20) ? TCS_BUTTONS | TCS_FLATBUTTONS : TCS_BUTTONS;
    if (o & 0x80)
        style |= TCS_MULTILINE;
    if (o & 0x4)
        style |= TCS_VERTICAL | TCS_MULTILINE | ((o & 0x8) ? TCS_RIGHT : 0);
    if (o & 0x10)
        style |= TCS_BOTTOM;
    HWND tab = CreateWindowExA(WS_EX_COMPOSITED, WC_TABCONTROLA, "", style, 0, 0, 0, 0, parent,
                               (HMENU)(intptr_t)PCFC_TABS, GetModuleHandleA(nullptr), nullptr);
    if (!tab)
        return nullptr;
    SendMessageA(tab, WM_SETFONT, (WPARAM)Font(), 0);
    if (!(o & 0x40)) {
        SetPropA(tab, "PCFDialog", d);
        SetPropA(tab, "PCFTabProc", (HANDLE)SetWindowLongPtrA(tab, GWLP_WNDPROC, (LONG_PTR)PCFTabSubclassProc));
    }
    return tab;
}

int PCFCreateFieldWindows(DialogWords *d, int)
{
    if (d->stateFlags & DF_NO_DATA)
        return 1;
    HWND parent = d->fieldsPane ? PCFWnd(d->fieldsPane) : PCFWnd(d->window);
    if (d->tabWindow) {
        DestroyWindow(PCFWnd(d->tabWindow));
        d->tabWindow = nullptr;
    }
    if (PCFUseFieldTabs(d)) {
        d->tabWindow = MakeTabs(d, parent);
        if (!d->tabWindow) {
            WinOpError("WinCreateWindow failed: Field Tab control");
            return 0;
        }
    }
    if (!d->fieldWindow) {
        HWND w = CreateWindowExA(0, PCF_CLASS_FIELDS, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL, 0, 0,
                                 0, 0, parent, (HMENU)(intptr_t)PCFC_FIELDS, GetModuleHandleA(nullptr), d);
        if (!w) {
            WinOpError("WinCreateWindow failed: Field window");
            return 0;
        }
    }
    SetWindowPos(PCFWnd(d->fieldWindow), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return 1;
}

/* ---- counting and placing ---- */

void PCFCountFields(DialogWords *d)
{
    PCFFieldEntry *before = d->currentField;
    PCFCountLines(d);
    PCFBuildTabs(d);
    PosField(d);
    if (before != d->currentField)
        PCFShowFieldValue(d, 0);
    FieldsRecord *r = RecordOf(PCFWnd(d->fieldWindow));
    if (r) {
        r->vs.total = d->lineCount;
        if (r->vs.position > r->vs.total)
            r->vs.position = 0;
        d->topLine = (uint32_t)r->vs.position;
        ScrollSizeChanged(PCFWnd(d->fieldWindow), nullptr, &r->vs);
    }
}

int PCFKeepFieldInView(DialogWords *d)
{
    HWND hwnd = PCFWnd(d->fieldWindow);
    FieldsRecord *r = RecordOf(hwnd);
    int32_t target;
    if (!r || d->currentLine == 0xFFFFFFFF || !r->vs.page ||
        !ScrollIntoViewTarget(r->vs.position, r->vs.page, (int32_t)d->currentLine, 1, &target))
        return 0;
    r->vs.position = target;
    d->topLine = (uint32_t)target;
    ScrollUpdateBars(hwnd, nullptr, &r->vs, 2);
    InvalidateRect(hwnd, nullptr, TRUE);
    return 1;
}

/* Edit-control borders (the editor sits inside them). */
static int EditBorder(void)
{
    return GetSystemMetrics(SM_CXEDGE);
}

int PCFEditorRect(DialogWords *d, HWND editor, RECT *rc)
{
    if (d->currentLine == 0xFFFFFFFF || d->currentTab != (PCFUseFieldTabs(d) ? d->shownTab : d->currentTab) ||
        !d->currentField || !editor)
        return 0;
    char cls[16];
    GetClassNameA(editor, cls, sizeof cls);
    int combo = _stricmp(cls, "COMBOBOX") == 0;
    int width = PCFEditorTenths(d->currentField) * d->charWidth / 10;
    int left = d->titleWidth + d->charWidth / 2 - 4 * EditBorder();
    int top = ((int)d->currentLine - (int)d->topLine) * d->linePitch;
    int height;
    if (combo) {
        left -= d->charWidth / 2;
        height = 10 * d->lineHeight;
    } else {
        left -= 2 * EditBorder() + d->charWidth / 4;
        height = (3 * d->lineHeight) / 2;
        top += d->lineHeight / 4 - 2 * GetSystemMetrics(SM_CYEDGE);
    }
    RECT client;
    GetClientRect(PCFWnd(d->fieldWindow), &client);
    if (left + width > client.right - d->border)
        width = client.right - d->border - left;
    *rc = { left, top, left + (width > 0 ? width : 0), top + height };
    return 1;
}

void PosField(DialogWords *d)
{
    RECT rc;
    HWND editor = PCFWnd(d->valueWindow);
    if (!PCFEditorRect(d, editor, &rc))
        return;
    MoveWindow(editor, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

/* ---- the field window ---- */

/* Colours of a line: normal, read-only, or same as the default. */
static void LineColours(DialogWords *d, const PCFFieldEntry *e, int readOnly, int *titleSlot, int *valueSlot)
{
    int same = e && (d->viewOptions & DV_HIGHLIGHT_DEFAULT) && d->definition && !d->definition->list &&
               PCFStoresValue(e) && d->dataArea && !(PCFState(d->dataArea + e->offset) & 0x20);
    if (same) {
        *titleSlot = 36;
        *valueSlot = 34;
    } else if (readOnly) {
        *titleSlot = 38;
        *valueSlot = 2;
    } else {
        *titleSlot = 5;
        *valueSlot = 0;
    }
}

static void PaintLine(DialogWords *d, HDC dc, int32_t line, const RECT *client)
{
    PCFFieldEntry *e = nullptr;
    int32_t element = 0;
    int kind = 0, ro = 0;
    if (PCFLineAt(d, line, &e, &element, &kind))
        return;
    PCFEntryShown(d, e, &ro);
    int top = (line - (int32_t)d->topLine) * d->linePitch;
    RECT title = { 0, top, d->titleWidth, top + d->linePitch };
    RECT value = { d->titleWidth, top, client->right, top + d->linePitch };
    int ts, vs;
    LineColours(d, e, ro, &ts, &vs);
    FillRect(dc, &title, ColourBrush(ts));
    FillRect(dc, &value, ColourBrush(vs));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, *ColourRef(ts + 1));
    const char *t = element == 0 ? LineTitle(d, e) : "    +";
    RECT tr = title;
    tr.left += 2 * d->border;
    DrawTextA(dc, t, -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    char *text = kind == AF_NEW_ELEMENT ? nullptr : PCFValueCopy(d, e, element, PCF_VALUE_SHOWN);
    SetTextColor(dc, *ColourRef(vs + 1));
    RECT vr = value;
    vr.left += d->charWidth / 2;
    DrawTextA(dc, text ? text : "", -1, &vr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    CSFreeMemAndClear(&text);
}

static void PaintFields(HWND hwnd, UINT msg, WPARAM wp, DialogWords *d)
{
    PAINTSTRUCT ps;
    HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : (HDC)wp;
    RECT client;
    GetClientRect(hwnd, &client);
    HGDIOBJ old = SelectObject(dc, Font());
    int32_t visible = d->linePitch ? (client.bottom + d->linePitch - 1) / d->linePitch : 0;
    int32_t last = (int32_t)d->topLine + visible;
    if (last > d->lineCount)
        last = d->lineCount;
    for (int32_t line = (int32_t)d->topLine; line < last; line++)
        PaintLine(d, dc, line, &client);
    RECT below = client;
    below.top = (last - (int32_t)d->topLine) * d->linePitch;
    if (below.top < below.bottom)
        FillRect(dc, &below, ColourBrush(4));
    SelectObject(dc, old);
    if (msg == WM_PAINT)
        EndPaint(hwnd, &ps);
}

/* A left click: the line under the cursor becomes current. */
static void Click(DialogWords *d, LPARAM lp, int twice)
{
    if (!d->linePitch)
        return;
    int32_t line = GET_Y_LPARAM(lp) / d->linePitch + (int32_t)d->topLine;
    if (line >= d->lineCount)
        return;
    if (twice) {
        PCFClickDialog(d, line);
        return;
    }
    if (ActivateField(d, line, 0) && d->valueWindow)
        SetFocus(PCFWnd(d->valueWindow));
}

static void Sized(FieldsRecord *r, HWND hwnd, LPARAM lp)
{
    DialogWords *d = r->dialog;
    d->fieldCx = LOWORD(lp);
    d->fieldCy = HIWORD(lp);
    d->visibleLines = (uint16_t)(d->linePitch ? d->fieldCy / d->linePitch : 0);
    r->vs.page = d->visibleLines;
    r->vs.unit = d->linePitch;
    PosField(d);
    ScrollSizeChanged(hwnd, nullptr, &r->vs);
    d->topLine = (uint32_t)r->vs.position;
    InvalidateRect(hwnd, nullptr, TRUE);
}

/* The editing windows of the pane (created with it). */
LRESULT CALLBACK PCFEntryFieldProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK PCFEntryField2Proc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK PCFComboEditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK PCFLevelComboEditProc(HWND, UINT, WPARAM, LPARAM);
int PCFMakeEditors(DialogWords *d, HWND fields);
LRESULT PCFFieldNotify(DialogWords *d, WPARAM wp, LPARAM lp);

static LRESULT Create(HWND hwnd, const CREATESTRUCTA *cs)
{
    DialogWords *d = (DialogWords *)cs->lpCreateParams;
    FieldsRecord *r = (FieldsRecord *)CSGetMem(sizeof *r, "PCFFIELDS");
    if (!r || !d)
        return -1;
    memset(r, 0, sizeof *r);
    memcpy(r->eye, "PCFF", 4);
    r->dialog = d;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)r);
    d->fieldWindow = hwnd;
    d->linePitch = (uint16_t)((3 * d->lineHeight) / 2);
    PCFSetFontMetrics(d);
    r->vs.unit = d->linePitch;
    if (!PCFMakeEditors(d, hwnd))
        return -1;
    d->currentLine = 0xFFFFFFFF;
    d->currentField = nullptr;
    PCFCountLines(d);
    ActivateField(d, 0, 0);
    return 0;
}

LRESULT CALLBACK PCFFieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return Create(hwnd, (const CREATESTRUCTA *)lp);
    FieldsRecord *r = RecordOf(hwnd);
    if (!r)
        return DefWindowProcA(hwnd, msg, wp, lp);
    DialogWords *d = r->dialog;
    switch (msg) {
    case WM_PAINT: case WM_PRINTCLIENT: PaintFields(hwnd, msg, wp, d); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: Click(d, lp, 0); return 0;
    case WM_LBUTTONDBLCLK: Click(d, lp, 1); return 0;
    case WM_VSCROLL: case WM_MOUSEWHEEL: {
        LRESULT rc = ScrollMessage(hwnd, nullptr, &r->vs, msg, wp, lp);
        d->topLine = (uint32_t)r->vs.position;
        PosField(d);
        InvalidateRect(hwnd, nullptr, TRUE);
        return rc;
    }
    case WM_SIZE: Sized(r, hwnd, lp); return 0;
    case WM_COMMAND: return PCFFieldNotify(d, wp, lp);
    case UM_PCF_STOREVALUE:
        if (d->currentField)
            FieldHWNDData(d, 1, nullptr, 0, d->currentField, nullptr, -1, 0);
        return 0;
    case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORLISTBOX: {
        HBRUSH b = PCFChildColours(d, (HWND)lp, (HDC)wp);
        return b ? (LRESULT)b : DefWindowProcA(hwnd, msg, wp, lp);
    }
    case WM_DESTROY:
        if (d->fieldWindow == hwnd) {
            d->fieldWindow = nullptr;
            d->valueWindow = d->editWindow = d->edit2Window = d->comboWindow = d->combo2Window = nullptr;
        }
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        CSFreeMem(r);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- the fields pane of a list dialog ---- */

int PCFPaneForwards(UINT msg)
{
    switch (msg) {
    case WM_DRAWITEM: case WM_COMMAND: case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: case LBM_DRAWTITLE: case LBM_BARNEEDED: case LBM_TAB: case LBM_BACKTAB:
    case 1240: case 1253: case WM_NOTIFY:
        return 1;
    }
    return 0;
}

DialogWords *PCFPaneBind(HWND hwnd, UINT msg, LPARAM lp)
{
    if (msg == WM_CREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTA *)lp)->lpCreateParams);
    else if (msg == WM_NCDESTROY)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    return (DialogWords *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
}

LRESULT CALLBACK PCFFieldsPaneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DialogWords *d = PCFPaneBind(hwnd, msg, lp);
    if (msg == WM_CREATE || msg == WM_NCDESTROY)
        return 0;
    if (PCFPaneForwards(msg))
        return SendMessageA(GetParent(hwnd), msg, wp, lp);
    switch (msg) {
    case WM_SIZE:
        if (d)
            PCFPositionListPane(d);
        return 0;
    case WM_PAINT: case WM_PRINTCLIENT:
        PCFPaintBackground(hwnd, msg == WM_PRINTCLIENT ? (HDC)wp : nullptr);
        return 0;
    case WM_ERASEBKGND: return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}
