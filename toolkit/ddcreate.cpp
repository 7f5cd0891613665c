/* Dynamic dialogs: engine start-up, the list of live dialogs, building
 * field records from definition tables, creating and releasing the
 * controls of fields, DDCreateDialog, DDDialogBox and DDDestroy. */
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include "ddint.h"
#include "csmem.h"
#include "cstrace.h"
#include "cshost.h"
#include "tkcontrols.h"
#include "tkspin.h"
#include "cnt.h"

HINSTANCE ddInstance;
int ddCxEdge = 2, ddCyEdge = 2, ddCxVScroll = 16, ddCyHScroll = 16, ddCxIcon = 32, ddCyIcon = 32;
HBRUSH ddFaceBrush;
COLORREF ddFaceColour;
DDHANDLE DDModalHandle;

static int initialised, metricsLoaded;

void DDTrap(int line, int value)
{
    CSTrap("dyndlg", __DATE__, line, value);
}

void DDLoadMetrics(void)
{
    if (metricsLoaded)
        return;
    metricsLoaded = 1;
    ddCxEdge = GetSystemMetrics(SM_CXEDGE);
    ddCyEdge = GetSystemMetrics(SM_CYEDGE);
    ddCxVScroll = GetSystemMetrics(SM_CXVSCROLL);
    ddCyHScroll = GetSystemMetrics(SM_CYHSCROLL);
    ddCxIcon = GetSystemMetrics(SM_CXICON);
    ddCyIcon = GetSystemMetrics(SM_CYICON);
    ddFaceBrush = GetSysColorBrush(COLOR_BTNFACE);
    ddFaceColour = GetSysColor(COLOR_BTNFACE);
}

int DDInitialise(HINSTANCE instance, int *version, void *, void *)
{
    if (!version || *version != 100) {
        if (version)
            *version = 100;
        return DDERR_VERSION;
    }
    ddInstance = instance ? instance : GetModuleHandleA(nullptr);
    ddCxEdge = GetSystemMetrics(SM_CXEDGE);
    ddCyEdge = GetSystemMetrics(SM_CYEDGE);
    const char *spec = getenv("DYNDLGTRC");
    if (spec && *spec) {
        size_t n = strlen(spec) + 1;
        char *dir = (char *)malloc(n + 2), *name = (char *)malloc(n + 12);
        int relative, drive;
        if (dir && name) {
            CSParseFileSpec(spec, 0, dir, name, &relative, &drive);
            if (!dir[0])
                strcpy(dir, "\\.");
            if (!name[0])
                strcpy(name, "dyndlg.log");
            CSSetTraceDir(dir);
            CSTraceOpen(name);
        }
        free(dir);
        free(name);
    }
    return initialised++ ? DDERR_AGAIN : 0;
}

/* ---- the live dialogs: a growing array of (window, handle) pairs ---- */

struct DDPair { HWND hwnd; DDHANDLE dd; };
static DDPair *pairs;
static int pairCount, pairCap;
static DDPair lastLookup;

static int pair_index(DDHANDLE dd)
{
    for (int i = 0; i < pairCount; i++)
        if (pairs[i].dd == dd)
            return i;
    return -1;
}

static int pair_enter(HWND hwnd, DDHANDLE dd)
{
    int i = pair_index(dd);
    if (i < 0) {
        if (pairCount == pairCap) {
            int cap = pairCap ? pairCap * 2 : 16;
            DDPair *p = (DDPair *)CSGetMem(sizeof(DDPair) * cap, "DDPAIRS");
            if (!p)
                return DDERR_STORAGE;
            if (pairs) {
                memcpy(p, pairs, sizeof(DDPair) * pairCount);
                CSFreeMem(pairs);
            }
            pairs = p;
            pairCap = cap;
        }
        i = pairCount++;
    }
    pairs[i].hwnd = hwnd;
    pairs[i].dd = dd;
    return 0;
}

int DDHandleCount(void)
{
    return pairCount;
}

DDHANDLE DDFindHandle(HWND hwnd)
{
    for (HWND w = hwnd; w; w = GetParent(w)) {
        if (lastLookup.dd && lastLookup.hwnd == w)
            return lastLookup.dd;
        for (int i = 0; i < pairCount; i++)
            if (pairs[i].hwnd == w) {
                lastLookup = pairs[i];
                return pairs[i].dd;
            }
    }
    return nullptr;
}

DDHANDLE DDHandleOfField(const DDField *f)
{
    for (int i = 0; i < pairCount; i++) {
        DDHANDLE dd = pairs[i].dd;
        if (f == &dd->root || (f >= dd->fields && f < dd->fields + dd->count))
            return dd;
    }
    return nullptr;
}

/* ---- field kinds ---- */

enum StyleMode { SM_NONE, SM_ADD, SM_DEFAULT, SM_FIXED };
struct DDKind {
    const char *cls;
    uint8_t mode;
    uint32_t style;       /* base (SM_ADD, SM_FIXED) or default (SM_DEFAULT) */
    uint32_t exStyle;
};

#define B 0x44010000u
static const DDKind kinds[35] = {
    {nullptr, SM_NONE, 0, 0},
    {"STATIC", SM_ADD, B, 0},                                         /* STATIC */
    {"EDIT", SM_DEFAULT, B | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},          /* EDIT */
    {"BUTTON", SM_ADD, B, 0},                                          /* BUTTON */
    {nullptr, SM_NONE, 0, 0},                                          /* TAB */
    {nullptr, SM_NONE, 0, 0},                                          /* GROUP */
    {"COMBOBOX", SM_DEFAULT, 0x44210042, 0},                           /* COMBOBOX */
    {"SCROLLBAR", SM_ADD, B, 0},                                       /* SCROLL */
    {"LISTBOX", SM_DEFAULT, 0x44A10003, 0},                            /* LISTBOX */
    {"BUTTON", SM_DEFAULT, 0x44010023, 0},                             /* CHECKBOX */
    {"BUTTON", SM_DEFAULT, 0x44010029, 0},                             /* RADIO */
    {DD_CLASS_GROUPBOX, SM_FIXED, 0x46000000, 0},                      /* GROUPBOX */
    {DD_CLASS_SPANE, SM_FIXED, 0x46000000, 0},                         /* SPANE */
    {nullptr, SM_NONE, 0, 0},                                          /* SPACER */
    {nullptr, SM_NONE, 0, 0},                                          /* GROUPE */
    {WC_TABCONTROLA, SM_FIXED, 0x46010000, WS_EX_COMPOSITED},          /* TABCTL */
    {"RICHEDIT50W", SM_DEFAULT, B | ES_AUTOVSCROLL | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {DD_CLASS_TWISTY, SM_FIXED, 0x46000000, 0},                        /* TWISTY */
    {nullptr, SM_NONE, 0, 0},                                          /* TWISTYE */
    {DD_CLASS_SEPARATOR, SM_FIXED, 0x46000000, 0},                     /* SEPARATOR */
    {UPDOWN_CLASSA, SM_FIXED, 0x44010022, 0},                          /* SPIN */
    {nullptr, SM_ADD, B, 0},                                           /* USER: the row's text */
    {"EDIT", SM_DEFAULT, B | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},          /* MULTIEDIT */
    {nullptr, SM_NONE, 0, 0},                                          /* SECTION */
    {ZKT_LISTBOX, SM_DEFAULT, 0x44A10003, 0},                          /* ULISTBOX */
    {ZKT_TITLELIST, SM_DEFAULT, 0x44810003, 0},                        /* ULISTBOXT */
    {ZKT_SPLITLIST, SM_DEFAULT, 0x44810003, 0},                        /* ULISTBOXS */
    {ZKT_PROGRESS, SM_ADD, B, 0},                                      /* PROGRESS */
    {nullptr, SM_NONE, 0, 0},                                          /* 28 */
    {UPDOWN_CLASSA, SM_ADD, B, 0},                                     /* SPIN_IND */
    {nullptr, SM_NONE, 0, 0},                                          /* CONTAINER: cntCreateWindow */
    {ZKT_SPINNERS, SM_ADD, B, 0},                                      /* SPINNER */
    {ZKT_BUTTON, SM_ADD, B, 0},                                        /* UBUTTON */
    {DD_CLASS_SPLIT, SM_FIXED, 0x46000000, 0},                         /* SPLITLR */
    {DD_CLASS_SPLIT, SM_FIXED, 0x46000000, 0},                         /* SPLITTB */
};
#undef B

int DDIsContainer(const DDField *f)
{
    switch (DD_TYPE(f)) {
    case DD_GROUP: case DD_TAB: case DD_GROUPBOX: case DD_SPANE: case DD_TABCTL:
    case DD_SPLITLR: case DD_SPLITTB: case DD_ENGINEGROUP: case DD_ROOT:
        return 1;
    }
    return 0;
}

/* a field is showable when neither it nor a parent is hidden, collapsed
 * or on a page that is not current */
int DDShowable(const DDField *f)
{
    for (; f && DD_TYPE(f) != DD_ROOT; f = f->parent) {
        if ((f->type & DDF_HIDDEN) || (f->handFlags & DDH_COLLAPSED))
            return 0;
        if (DD_TYPE(f) == DD_TAB && f->parent && f->parent->page != f)
            return 0;
    }
    return 1;
}

HFONT DDFont(DDHANDLE dd)
{
    if (dd->font)
        return dd->font;
    HFONT font = dd->root.hwnd ? (HFONT)SendMessageA(dd->root.hwnd, WM_GETFONT, 0, 0) : nullptr;
    return font ? font : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

HFONT DDFieldFontOf(DDHANDLE dd, const DDField *f)
{
    return f->font ? f->font : DDFont(dd);
}

/* ---- saved values ---- */

char *DDMakeSaved(const char *text, size_t length, const char *items, size_t itemsLength)
{
    size_t size = 8 + length + 1 + itemsLength + 1;
    char *b = (char *)CSGetMem(size, "SS");
    if (!b)
        return nullptr;
    uint64_t sz = size;
    memcpy(b, &sz, 8);
    memcpy(b + 8, text, length);
    b[8 + length] = 0;
    if (itemsLength)
        memcpy(b + 9 + length, items, itemsLength);
    b[9 + length + itemsLength] = 0;
    return b;
}

const char *DDSavedText(const DDField *f)
{
    return f->saved ? f->saved + 8 : nullptr;
}

/* ---- control creation ---- */

static const char *rich_class(void)
{
    static const char *cls;
    if (!cls) {
        if (LoadLibraryA("Msftedit.dll"))
            cls = "RICHEDIT50W";
        else if (LoadLibraryA("Riched20.dll"))
            cls = "RichEdit20A";
        else
            cls = "RichEdit20A";
    }
    return cls;
}

static int classes_registered;

int DDRegisterClasses(void)
{
    if (classes_registered)
        return 1;
    static const struct { const char *name; WNDPROC proc; } list[] = {
        {DD_CLASS_GROUPBOX, DDGroupBoxProc}, {DD_CLASS_SPANE, DDSpaneProc},
        {DD_CLASS_TWISTY, DDTwistyProc}, {DD_CLASS_SEPARATOR, DDSeparatorProc},
        {DD_CLASS_SPLIT, DDSplitProc},
    };
    HINSTANCE inst = ddInstance ? ddInstance : GetModuleHandleA(nullptr);
    RegisterControlClasses(inst);
    for (const auto &c : list) {
        WNDCLASSA wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS;
        wc.lpfnWndProc = c.proc;
        wc.cbWndExtra = 24;
        wc.hInstance = inst;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = c.name;
        RegisterClassA(&wc);
    }
    classes_registered = 1;
    return 1;
}

/* style and extended style of a field's control */
static void field_styles(DDHANDLE dd, DDField *f, DWORD *style, DWORD *exStyle)
{
    int t = DD_TYPE(f);
    const DDKind &k = kinds[t];
    const DDFieldDef *r = f->row;
    uint32_t rs = r ? r->style : 0;
    DWORD s = 0;
    switch (k.mode) {
    case SM_ADD: s = k.style | rs; break;
    case SM_FIXED: s = k.style | rs; break;
    case SM_DEFAULT: s = rs ? (0x44010000u | rs) : k.style; break;
    }
    switch (t) {
    case DD_EDIT:
        if (f->spinBuddy)
            s = rs ? (0x44012002u | rs) : 0x44012002u;
        break;
    case DD_BUTTON:
        if ((f->value & 2) && !(rs & 0xC6))
            s = (s & ~0xFu) | BS_OWNERDRAW;
        break;
    case DD_COMBOBOX: s |= WS_VSCROLL; break;
    case DD_RICHEDIT:
        s |= ES_MULTILINE;
        if (!(f->value & 1))
            s |= WS_VSCROLL | WS_HSCROLL;
        break;
    case DD_MULTIEDIT: s |= ES_MULTILINE; break;
    case DD_SPIN: s |= 0x44010022; break;
    }
    DWORD ex = r && r->exStyle ? r->exStyle : k.exStyle;
    if (f->state & DDS_RECREATE) {
        if (f->savedStyle)
            s = (DWORD)f->savedStyle;
        ex = (DWORD)f->savedExStyle;
    }
    if (DDShowable(f))
        s |= WS_VISIBLE;
    else
        s &= ~WS_VISIBLE;
    (void)dd;
    *style = s;
    *exStyle = ex;
}

static int lazy_type(int t)
{
    switch (t) {
    case DD_STATIC: case DD_EDIT: case DD_COMBOBOX: case DD_GROUPBOX: case DD_SEPARATOR:
    /* these would be destroyed again at once by the release after building */
    case DD_BUTTON: case DD_UBUTTON: case DD_TWISTY:
        return 1;
    }
    return 0;
}

/* refill a re-created combo box from its saved value */
static void refill_combo(DDField *f, HWND combo)
{
    const char *text = DDSavedText(f);
    if (!text)
        return;
    const char *item = text + strlen(text) + 1;
    for (; *item; item += strlen(item) + 1)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)item);
    if (!f->row || !(f->row->style & 3))
        SetWindowTextA(combo, text);
    else
        SendMessageA(combo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)text);
}

/* one tab per page, the page record as item data; the current page selected */
static void add_tabs(DDField *f, HWND tab)
{
    int index = 0, current = 0;
    for (DDField *p = f->child; p; p = p->next, index++) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = (char *)(p->row && p->row->text ? p->row->text : "");
        item.lParam = (LPARAM)p;
        SendMessageA(tab, TCM_INSERTITEMA, (WPARAM)index, (LPARAM)&item);
        if (p == f->page)
            current = index;
    }
    SendMessageA(tab, TCM_SETCURSEL, (WPARAM)current, 0);
}

static HWND create_control(DDHANDLE dd, DDField *f, HWND parent)
{
    int t = DD_TYPE(f);
    DWORD style, ex;
    field_styles(dd, f, &style, &ex);
    const char *cls = kinds[t].cls;
    const char *text = f->row && f->row->text ? f->row->text : "";
    int cx = 0, cy = 0;
    switch (t) {
    case DD_USER: cls = f->row->text; text = ""; break;
    case DD_RICHEDIT: cls = rich_class(); break;
    case DD_GROUPBOX: case DD_SPANE: case DD_TWISTY: case DD_SEPARATOR:
    case DD_SPLITLR: case DD_SPLITTB:
        DDRegisterClasses();
        break;
    case DD_ULISTBOX: case DD_ULISTBOXT: case DD_ULISTBOXS: case DD_PROGRESS:
    case DD_UBUTTON:
        RegisterControlClasses(ddInstance ? ddInstance : GetModuleHandleA(nullptr));
        break;
    case DD_SPINNER:
        SpinRegisterClass(ddInstance ? ddInstance : GetModuleHandleA(nullptr));
        break;
    case DD_EDIT: case DD_COMBOBOX:
        cx = f->cx;
        cy = f->cy;
        if (t == DD_EDIT && DDSavedText(f))
            text = DDSavedText(f);
        break;
    }
    if (t == DD_CONTAINER) {
        HWND w = cntCreateWindow(parent, nullptr, nullptr, nullptr);
        if (w) {
            SetWindowLongPtrA(w, GWLP_ID, f->row->id);
            if (!DDShowable(f))
                ShowWindow(w, SW_HIDE);
        }
        return w;
    }
    if (!cls)
        return nullptr;
    LPVOID param = nullptr;
    SpinDefBlock spinDef = {-1, nullptr};
    if (t == DD_SPINNER) {
        spinDef.rows = (const SpinFieldDef *)f->row->sub;
        param = &spinDef;
    }
    HMENU id = (HMENU)(INT_PTR)(f->row ? f->row->id : 0);
    HWND w = CreateWindowExA(ex, cls, text, style, 0, 0, cx, cy, parent, id, ddInstance, param);
    if (!w && t == DD_TABCTL && (ex & WS_EX_COMPOSITED))
        w = CreateWindowExA(ex & ~WS_EX_COMPOSITED, cls, text, style, 0, 0, cx, cy, parent, id,
                            ddInstance, param);
    if (!w && t == DD_RICHEDIT && LoadLibraryA("Riched20.dll"))
        w = CreateWindowExA(ex, "RichEdit20A", text, style, 0, 0, cx, cy, parent, id,
                            ddInstance, param);
    return w;
}

int DDRestoreWindow(DDHANDLE dd, DDField *f, const POINT *pos, const SIZE *size)
{
    int t = DD_TYPE(f);
    if (!f->hwnd) {
        if (t == DD_ROOT)
            return 0;
        if (!(dd->state & 1) && !(dd->flags & DDC_ALLCONTROLS) && lazy_type(t))
            return 0;
        if (t != DD_CONTAINER && !kinds[t < 35 ? t : 0].cls && t != DD_USER)
            return 0;
        DDField *wp = f->winParent;
        if (wp && DD_TYPE(wp) != DD_ROOT && !wp->hwnd)
            DDRestoreWindow(dd, wp, nullptr, nullptr);
        HWND parent = wp ? wp->hwnd : dd->root.hwnd;
        if (!parent)
            return 0;
        if (f->state & DDS_CREATING)
            return 0;
        f->state |= DDS_CREATING;
        if (CSTraceIsOn())
            CSTrace(1, "DDRestoreWindow(%s %X)\n", f->row && f->row->text ? f->row->text : "", f->type);
        HWND w = create_control(dd, f, parent);
        if (!w) {
            f->state &= ~DDS_CREATING;
            return 0;
        }
        f->hwnd = w;   /* a new child is already on top of its siblings */
        switch (t) {
        case DD_GROUPBOX: case DD_SPANE: case DD_TWISTY: case DD_SEPARATOR:
        case DD_SPLITLR: case DD_SPLITTB:
            SetWindowLongPtrA(w, DD_WB_HANDLE, (LONG_PTR)dd);
            break;
        case DD_SPIN: case DD_SPIN_IND:
            SendMessageA(w, UDM_SETRANGE, 0, MAKELPARAM(100, 0));
            break;
        case DD_RICHEDIT:
            if (f->value & 1)
                SendMessageA(w, EM_SETTARGETDEVICE, 0, 0);
            break;
        case DD_COMBOBOX:
            refill_combo(f, w);
            break;
        case DD_TABCTL:
            if (dd->state & 1)   /* while building, once every page is there */
                add_tabs(f, w);
            break;
        }
        if (t == DD_EDIT && f->spinBuddy && f->spinBuddy->hwnd)
            SendMessageA(f->spinBuddy->hwnd, UDM_SETBUDDY, (WPARAM)w, 0);
        if (t == DD_SPIN && f->next && f->next->spinBuddy == f && f->next->hwnd)
            SendMessageA(w, UDM_SETBUDDY, (WPARAM)f->next->hwnd, 0);
        SendMessageA(w, WM_SETFONT, (WPARAM)DDFieldFontOf(dd, f), 0);
        DDSubclass(f, w);
        if ((f->state & DDS_RECREATE) && f->savedProc &&
            f->savedProc != (WNDPROC)GetWindowLongPtrA(w, GWLP_WNDPROC))
            SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)f->savedProc);
        SetWindowLongPtrA(w, GWLP_USERDATA, (LONG_PTR)f);
        if (f->handFlags & DDH_DISABLED)
            EnableWindow(w, FALSE);
        f->created++;
        f->state &= ~DDS_CREATING;
    }
    if (pos && size) {
        UINT swp = SWP_NOZORDER | SWP_NOACTIVATE;
        int show = DDShowable(f);
        if (show)
            swp |= SWP_SHOWWINDOW;
        if (t == DD_COMBOBOX)
            swp |= SWP_NOREDRAW;
        SetWindowPos(f->hwnd, nullptr, pos->x, pos->y, size->cx, size->cy, swp);
        if (t == DD_COMBOBOX || (show && t == DD_GROUPBOX) ||
            (t == DD_STATIC && f->row && (f->row->style & 0x603)))
            InvalidateRect(f->hwnd, nullptr, TRUE);
    }
    return 0;
}

/* ---- release ---- */

static char *read_text(HWND w, size_t *length)
{
    int n = GetWindowTextLengthA(w);
    char *text = (char *)malloc((size_t)n + 1);
    if (!text)
        return nullptr;
    n = GetWindowTextA(w, text, n + 1);
    text[n] = 0;
    *length = (size_t)n;
    return text;
}

static void save_edit(DDField *f)
{
    size_t n = 0;
    char *text = read_text(f->hwnd, &n);
    if (!text)
        return;
    const char *rowText = f->row && f->row->text ? f->row->text : "";
    CSFreeMemAndClear(&f->saved);
    /* an empty text is kept when the row would show another one */
    if (n || *rowText)
        f->saved = DDMakeSaved(text, n, nullptr, 0);
    free(text);
}

static void save_combo(DDField *f)
{
    HWND w = f->hwnd;
    size_t n = 0;
    char *text = read_text(w, &n);
    int count = (int)SendMessageA(w, CB_GETCOUNT, 0, 0);
    size_t itemsLength = 0;
    for (int i = 0; i < count; i++)
        itemsLength += (size_t)SendMessageA(w, CB_GETLBTEXTLEN, i, 0) + 1;
    char *items = (char *)malloc(itemsLength + 1), *p = items;
    CSFreeMemAndClear(&f->saved);
    if (text && items && (n || count > 0)) {
        for (int i = 0; i < count; i++) {
            int len = (int)SendMessageA(w, CB_GETLBTEXT, i, (LPARAM)p);
            p += len > 0 ? len : 0;
            *p++ = 0;
        }
        f->saved = DDMakeSaved(text, n, items, (size_t)(p - items));
    }
    free(text);
    free(items);
}

void DDReleaseControl(DDHANDLE dd, DDField *f)
{
    int t = DD_TYPE(f);
    if (DDIsContainer(f))
        for (DDField *c = f->child; c; c = c->next)
            DDReleaseControl(dd, c);
    if (!f->hwnd)
        return;
    int held = (f->handFlags & DDH_HELD) || f->handouts > 0;
    int mayGo;
    if (dd->flags & DDC_ALLCONTROLS)
        mayGo = t == DD_STATIC && !held;
    else
        mayGo = !held && (t == DD_COMBOBOX || !GetWindow(f->hwnd, GW_CHILD));
    switch (mayGo ? t : 0) {
    case DD_EDIT: save_edit(f); break;
    case DD_COMBOBOX: save_combo(f); break;
    case DD_STATIC: case DD_BUTTON: case DD_GROUPBOX: case DD_TWISTY: case DD_SEPARATOR:
    case DD_UBUTTON:
        break;
    default:
        ShowWindow(f->hwnd, SW_HIDE);
        return;
    }
    f->savedUser = GetWindowLongPtrA(f->hwnd, GWLP_USERDATA);
    f->savedProc = (WNDPROC)GetWindowLongPtrA(f->hwnd, GWLP_WNDPROC);
    f->savedStyle = GetWindowLongA(f->hwnd, GWL_STYLE) & ~WS_VISIBLE;
    f->savedExStyle = GetWindowLongA(f->hwnd, GWL_EXSTYLE);
    if (!IsWindowEnabled(f->hwnd))
        f->handFlags |= DDH_DISABLED;
    f->state |= DDS_RECREATE;
    if (f->saved)
        f->state |= DDS_SAVEDVALUE;
    HWND w = f->hwnd;
    f->hwnd = nullptr;
    DestroyWindow(w);
}

/* ---- building ---- */

struct DDBuild {
    DDHANDLE dd;
    int next;
    int err;
};

enum { LV_TABLE, LV_GROUP, LV_IMPLICIT, LV_TWISTY };

static int count_rows(const DDFieldDef *r)
{
    int n = 0;
    for (; r && r->type; r++) {
        int t = r->type & 0xFF;
        n++;
        if (r->type & DDF_GROUP)
            n++;
        if (t == DD_GROUPBOX || t == DD_SPANE)
            n++;
        if (r->sub && t != DD_SPINNER)
            n += count_rows(r->sub);
    }
    return n;
}

static DDField *new_field(DDBuild *b, DDFieldDef *r, DDField *parent, DDField *winParent,
                          DDField *origin, DDField **prev)
{
    if (b->next >= b->dd->count) {
        b->err = DDERR_STORAGE;
        return nullptr;
    }
    DDField *f = &b->dd->fields[b->next++];
    f->row = r;
    f->type = r ? r->type : DD_ENGINEGROUP;
    f->value = r ? r->value : 0;
    f->parent = parent;
    f->winParent = winParent;
    f->scrollOrigin = origin;
    if (*prev)
        (*prev)->next = f;
    else
        parent->child = f;
    *prev = f;
    return f;
}

static DDFieldDef *build_level(DDBuild *b, DDFieldDef *r, DDField *parent, DDField *winParent,
                               DDField *origin, int mode, DDField **prev);

/* copy a table (and its sub-tables) adding offset to ids not 0 */
static DDFieldDef *copy_table(const DDFieldDef *t, int offset)
{
    int n = 0;
    while (t[n].type)
        n++;
    DDFieldDef *c = (DDFieldDef *)CSGetMem(sizeof(DDFieldDef) * (n + 1), "Replicated SubFields");
    if (!c)
        return nullptr;
    memcpy(c, t, sizeof(DDFieldDef) * (n + 1));
    for (int i = 0; i < n; i++) {
        if (c[i].id && (c[i].type & 0xFF) != DD_SECTION)
            c[i].id += offset;
        if (c[i].sub && (c[i].type & 0xFF) != DD_SPINNER && (c[i].type & 0xFF) != DD_SECTION) {
            c[i].sub = copy_table(c[i].sub, offset);
            if (!c[i].sub)
                return nullptr;
        }
    }
    return c;
}

static DDField *make_page(DDBuild *b, DDFieldDef *r, DDField *tab, DDField **prev)
{
    DDField *p = new_field(b, r, tab, tab, nullptr, prev);
    if (!p)
        return nullptr;
    DDField *inner = nullptr;
    if (r->sub)
        build_level(b, r->sub, p, tab, nullptr, LV_TABLE, &inner);
    return p;
}

static void destroy_controls(DDHANDLE dd);

static void create_after_build(DDHANDLE dd, DDField *f)
{
    DDRestoreWindow(dd, f, nullptr, nullptr);
    DDReleaseControl(dd, f);
}

static DDFieldDef *make_field(DDBuild *b, DDFieldDef *r, DDField *parent, DDField *winParent,
                              DDField *origin, DDField **prev, int inImplicit)
{
    DDHANDLE dd = b->dd;
    int t = r->type & 0xFF;
    if (t == DD_SECTION) {
        int saved = dd->sectionOffset;
        dd->sectionOffset += r->id;
        if (r->sub && dd->sectionOffset && r->style != 1) {
            DDFieldDef *copy = copy_table(r->sub, dd->sectionOffset);
            if (!copy) {
                b->err = DDERR_STORAGE;
                return r + 1;
            }
            r->sub = copy;
            r->style = 1;
        }
        if (r->sub)
            build_level(b, r->sub, parent, winParent, origin, LV_TABLE, prev);
        dd->sectionOffset = saved;
        return r + 1;
    }
    if ((r->type & DDF_GROUP) && !inImplicit) {
        DDField *g = new_field(b, nullptr, parent, winParent, origin, prev);
        if (!g)
            return r + 1;
        g->type = DD_ENGINEGROUP | (r->type & (DDF_NEWROW | DDF_NOBREAK));
        DDField *inner = nullptr;
        return build_level(b, r, g, winParent, origin, LV_IMPLICIT, &inner);
    }
    if ((dd->flags & DDC_OWNERDRAW) && (t == DD_BUTTON || (t == DD_CHECKBOX && (r->style & BS_PUSHLIKE))))
        r->value |= 2;
    if ((dd->flags & DDC_PAINTTABS) && t == DD_TABCTL)
        r->value |= 1;
    if (t == DD_SEPARATOR && r->minCx == 0)
        r->minCx = -1;
    DDField *f;
    switch (t) {
    case DD_GROUPE: case DD_TWISTYE:
        return r + 1;
    case DD_TAB:
        b->err = DDERR_TABOUTSIDE;
        return r + 1;
    case DD_SPIN: {
        if ((r[1].type & 0xFF) != DD_EDIT) {
            b->err = DDERR_NOBUDDY;
            return r + 1;
        }
        f = new_field(b, r, parent, winParent, origin, prev);
        if (!f)
            return r + 1;
        create_after_build(dd, f);
        DDField *e = new_field(b, r + 1, parent, winParent, origin, prev);
        if (!e)
            return r + 2;
        e->spinBuddy = f;
        create_after_build(dd, e);
        return r + 2;
    }
    case DD_GROUP: {
        f = new_field(b, r, parent, winParent, origin, prev);
        if (!f)
            return r + 1;
        f->type |= r[1].type & (DDF_NEWROW | DDF_NOBREAK);
        DDField *inner = nullptr;
        return build_level(b, r + 1, f, winParent, origin, LV_GROUP, &inner);
    }
    case DD_GROUPBOX: {
        f = new_field(b, r, parent, winParent, origin, prev);
        if (!f)
            return r + 1;
        create_after_build(dd, f);
        DDField *gprev = nullptr;
        DDField *g = new_field(b, nullptr, f, f, nullptr, &gprev);
        if (!g)
            return r + 1;
        g->type = DD_ENGINEGROUP |
                  (r->type & ~(0xFFu | DDF_CLASSMASK | DDF_CLASSDIALOG | DDF_CLASSSIBLINGS |
                               DDF_GROUP | DDF_GROUPEND | DDF_HIDDEN)) |
                  (r[1].type & (DDF_NEWROW | DDF_NOBREAK));
        DDField *inner = nullptr;
        return build_level(b, r + 1, g, f, nullptr, LV_GROUP, &inner);
    }
    case DD_SPANE: {
        if (!r->sub) {
            b->err = DDERR_NOPANE;
            return r + 1;
        }
        f = new_field(b, r, parent, winParent, origin, prev);
        if (!f)
            return r + 1;
        create_after_build(dd, f);
        DDField *gprev = nullptr;
        DDField *g = new_field(b, nullptr, f, f, f, &gprev);
        if (!g)
            return r + 1;
        DDField *inner = nullptr;
        build_level(b, r->sub, g, f, f, LV_TABLE, &inner);
        return r + 1;
    }
    case DD_TABCTL: {
        if ((r[1].type & 0xFF) != DD_TAB) {
            b->err = DDERR_NOTAB;
            return r + 1;
        }
        f = new_field(b, r, parent, winParent, origin, prev);
        if (!f)
            return r + 1;
        DDField *pprev = nullptr;
        for (r++; (r->type & 0xFF) == DD_TAB && !b->err; r++)
            if (!make_page(b, r, f, &pprev))
                break;
        f->page = f->child;
        DDRestoreWindow(dd, f, nullptr, nullptr);
        if (f->hwnd) {
            SendMessageA(f->hwnd, TCM_DELETEALLITEMS, 0, 0);
            add_tabs(f, f->hwnd);
        }
        DDReleaseControl(dd, f);
        return r;
    }
    case DD_TWISTY: {
        f = new_field(b, r, parent, winParent, origin, prev);
        if (!f)
            return r + 1;
        create_after_build(dd, f);
        DDField *before = *prev;
        DDFieldDef *next;
        if (r->sub) {
            build_level(b, r->sub, parent, winParent, origin, LV_TABLE, prev);
            next = r + 1;
        } else {
            next = build_level(b, r + 1, parent, winParent, origin, LV_TWISTY, prev);
        }
        f->child = *prev != before ? *prev : nullptr;
        DDApplyTwisty(dd, f);
        return next;
    }
    case DD_SPLITLR: case DD_SPLITTB: {
        f = new_field(b, r, parent, winParent, origin, prev);
        if (!f)
            return r + 1;
        create_after_build(dd, f);
        DDField *pprev = nullptr;
        for (int i = 1; i <= 2; i++) {
            DDFieldDef *pr = r + i;
            if ((pr->type & 0xFF) != DD_SPANE) {
                b->err = DDERR_SPLITROW;
                return r + i;
            }
            if (!pr->sub) {
                b->err = DDERR_NOPANE;
                return r + i;
            }
            DDField *p = new_field(b, pr, f, f, nullptr, &pprev);
            if (!p)
                return r + i;
            create_after_build(dd, p);
            DDField *gprev = nullptr;
            DDField *g = new_field(b, nullptr, p, p, p, &gprev);
            if (!g)
                return r + i;
            DDField *inner = nullptr;
            build_level(b, pr->sub, g, p, p, LV_TABLE, &inner);
        }
        return r + 3;
    }
    case DD_STATIC: case DD_EDIT: case DD_BUTTON: case DD_COMBOBOX: case DD_SCROLL:
    case DD_LISTBOX: case DD_CHECKBOX: case DD_RADIO: case DD_RICHEDIT: case DD_SEPARATOR:
    case DD_USER: case DD_MULTIEDIT: case DD_ULISTBOX: case DD_ULISTBOXT: case DD_ULISTBOXS:
    case DD_PROGRESS: case DD_SPIN_IND: case DD_CONTAINER: case DD_SPINNER: case DD_UBUTTON:
    case DD_SPACER:
        f = new_field(b, r, parent, winParent, origin, prev);
        if (f && t != DD_SPACER)
            create_after_build(dd, f);
        if (f && t == DD_SCROLL)
            dd->state |= 2;
        return r + 1;
    }
    DDTrap(7407, t);
    b->err = DDERR_TYPE;
    return r + 1;
}

static DDFieldDef *build_level(DDBuild *b, DDFieldDef *r, DDField *parent, DDField *winParent,
                               DDField *origin, int mode, DDField **prev)
{
    while (r->type && !b->err) {
        int t = r->type & 0xFF;
        if (mode == LV_GROUP && t == DD_GROUPE)
            return r + 1;
        if (mode == LV_TWISTY && t == DD_TWISTYE)
            return r + 1;
        /* a SPIN row brings its EDIT row, which may close the group */
        int closes = mode == LV_IMPLICIT &&
                     ((r->type & DDF_GROUPEND) || (t == DD_SPIN && (r[1].type & DDF_GROUPEND)));
        r = make_field(b, r, parent, winParent, origin, prev, mode == LV_IMPLICIT);
        if (closes)
            break;
    }
    return r;
}

/* ---- DDCreate and DDDestroy ---- */

int DDCreate(HWND hwnd, DDFieldDef *table, uint32_t flags, DDHANDLE *handle)
{
    DDLoadMetrics();
    if (!handle || !hwnd)
        return DDERR_STORAGE;   /* nowhere to keep the dialog */
    DDHANDLE dd = *handle;
    int count = count_rows(table);
    if (dd && dd->table != table) {
        /* the record array was sized for the other table */
        DDTrap(8865, 0);
        return DDERR_TABLE;
    }
    if (!dd) {
        size_t size = sizeof(DDHANDLE_) + sizeof(DDField) * (size_t)(count > 0 ? count : 1);
        dd = (DDHANDLE)CSGetMem(size, "DDHANDLE");
        if (!dd)
            return DDERR_STORAGE;
        memset(dd, 0, size);
        dd->count = count;
    } else {
        /* the same table again: start from empty records */
        destroy_controls(dd);
        int n = dd->count;
        memset(&dd->root, 0, sizeof(DDField) * (size_t)(n + 1));
        dd->sizesValid = 0;
        dd->state = 0;
    }
    dd->table = table;
    dd->flags = flags;
    if (pair_enter(hwnd, dd)) {
        if (!*handle)
            CSFreeMem(dd);
        return DDERR_STORAGE;
    }
    dd->root.hwnd = hwnd;
    dd->root.type = DD_ROOT;
    dd->root.child = nullptr;
    dd->root.scrollOrigin = nullptr;
    DDBuild b = {dd, 0, 0};
    DDField *prev = nullptr;
    if (table)
        build_level(&b, table, &dd->root, &dd->root, &dd->root, LV_TABLE, &prev);
    if (b.err) {
        DDDestroy(&dd);
        if (handle)
            *handle = nullptr;
        return b.err;
    }
    dd->count = b.next;
    dd->state |= 1;
    if (!(flags & (DDC_KEEPPROC | DDC_KEEPPROC2))) {
        if (GetClassLongPtrA(hwnd, GCL_CBWNDEXTRA) < 16) {
            DDDestroy(&dd);
            *handle = nullptr;
            return DDERR_WINDOWBYTES;
        }
        if ((WNDPROC)GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != DDWinProc) {
            SetWindowLongPtrA(hwnd, DD_WB_SAVEDPROC, GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)DDWinProc);
        }
    }
    *handle = dd;
    DDLayout(dd);
    return 0;
}

static void destroy_controls(DDHANDLE dd)
{
    /* the controls go while the dialog window is hidden: nothing repaints */
    HWND root = dd->root.hwnd && IsWindow(dd->root.hwnd) ? dd->root.hwnd : nullptr;
    int visible = root && IsWindowVisible(root);
    if (visible)
        SetWindowPos(root, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE |
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    for (int i = 0; i < dd->count; i++) {
        DDField *f = &dd->fields[i];
        if (f->hwnd && IsWindow(f->hwnd)) {
            SetWindowLongPtrA(f->hwnd, GWLP_USERDATA, 0);
            DestroyWindow(f->hwnd);
        }
        CSFreeMemAndClear(&f->saved);
    }
    for (int i = 0; i < dd->count; i++)
        dd->fields[i].hwnd = nullptr;
    if (visible)
        SetWindowPos(root, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE |
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void DDDestroy(DDHANDLE *handle)
{
    if (!handle || !*handle)
        return;
    DDHANDLE dd = *handle;
    *handle = nullptr;
    int i = pair_index(dd);
    if (i < 0) {
        DDTrap(8985, 0);
        return;
    }
    memmove(&pairs[i], &pairs[i + 1], sizeof(DDPair) * (size_t)(pairCount - i - 1));
    pairCount--;
    if (lastLookup.dd == dd)
        lastLookup = DDPair{};
    if (DDModalHandle == dd)
        DDModalHandle = nullptr;
    destroy_controls(dd);
    CSFreeMem(dd);
}

/* ---- modeless and modal dialogs ---- */

HWND DDCreateDialog(HICON icon, DDFieldDef *table, uint32_t flags, const char *title,
                    const char *name, HWND parent, WNDPROC proc, LPARAM param)
{
    char cls[128];
    snprintf(cls, sizeof cls, "DD_%s", name ? name : "");
    HINSTANCE inst = ddInstance ? ddInstance : GetModuleHandleA(nullptr);
    HWND hwnd = CreateWindowExA(0, cls, title, 0x02CF0000, 0, 0, 0, 0, parent, nullptr, inst,
                                (LPVOID)param);
    if (!hwnd) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = proc;
        wc.cbWndExtra = 24;
        wc.hInstance = inst;
        wc.hIcon = icon;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = cls;
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, cls, title, 0x02CF0000, 0, 0, 0, 0, parent, nullptr, inst,
                               (LPVOID)param);
        if (!hwnd)
            return nullptr;
    }
    DDHANDLE dd = nullptr;
    int rc = DDCreate(hwnd, table, flags, &dd);
    if (rc) {
        DestroyWindow(hwnd);
        SetLastError((DWORD)rc);
        return nullptr;
    }
    SendMessageA(hwnd, WM_INITDIALOG, (WPARAM)dd, param);
    return hwnd;
}

/* the modal dialog being started */
DDFieldDef *ddPendingTable;
DLGPROC ddPendingProc;

INT_PTR DDDialogBox(DDFieldDef *table, const char *templateName, HWND parent, DLGPROC proc)
{
    DDLoadMetrics();
    DDHANDLE outer = DDModalHandle;
    DDModalHandle = nullptr;
    ddPendingTable = table;
    ddPendingProc = proc;
    HINSTANCE inst = ddInstance ? ddInstance : GetModuleHandleA(nullptr);
    INT_PTR rc;
    if (templateName && FindResourceA(inst, templateName, (LPCSTR)RT_DIALOG)) {
        rc = DialogBoxParamA(inst, templateName, parent, DDDlgProc, 0);
    } else {
        /* no resource: an empty captioned template, sized by the procedure */
        struct { DLGTEMPLATE t; WORD menu, cls, title; } tpl = {};
        tpl.t.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        rc = DialogBoxIndirectParamA(inst, &tpl.t, parent, DDDlgProc, 0);
    }
    DDDestroy(&DDModalHandle);
    DDModalHandle = outer;
    return rc;
}
