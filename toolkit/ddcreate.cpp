/* Dynamic dialogs: the controls of fields. Window class and style of each
 * field type, creation (DDRestoreWindow), release with the saved value
 * of edit fields and combo boxes, and the engine's own window classes. */
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include "ddint.h"
#include "csmem.h"
#include "cstrace.h"
#include "tkcontrols.h"
#include "tkspin.h"
#include "cnt.h"

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
    {"BUTTON", SM_DEFAULT, 0x44010003, 0},                             /* CHECKBOX: box, then text */
    {"BUTTON", SM_DEFAULT, 0x44010009, 0},                             /* RADIO */
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
        if (f->savedStyle)   /* the enabled state is the field's own (DDH_DISABLED) */
            s = (DWORD)f->savedStyle & ~WS_DISABLED;
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
    uint32_t kind = f->row ? f->row->style & 3 : 0;
    if (!kind)
        SetWindowTextA(combo, text);
    else if (kind == CBS_DROPDOWNLIST)
        SendMessageA(combo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)text);
    else if (SendMessageA(combo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)text) == CB_ERR ||
             GetWindowTextLengthA(combo) != (int)strlen(text)) {
        /* typed, not an item (or only a prefix of one) */
        SendMessageA(combo, CB_SETCURSEL, (WPARAM)-1, 0);
        SetWindowTextA(combo, text);
    }
}

/* one tab per page, the page record as item data; the current page selected */
void DDAddTabs(DDField *f, HWND tab)
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

/* A one-line edit keeps the scroll it took while it was narrow: focused
 * (its text selected, the caret at the end) before the dialog had its
 * size, it shows nothing of its text once widened, and typing adds to a
 * text the user cannot see.  Scrolled back to the start, then to the
 * caret, it shows what it holds. */
static void show_text_again(int type, HWND w)
{
    COMBOBOXINFO ci = {sizeof ci};
    HWND edit = type == DD_EDIT ? w : type == DD_COMBOBOX && GetComboBoxInfo(w, &ci) ? ci.hwndItem : nullptr;
    if (!edit || (GetWindowLongA(edit, GWL_STYLE) & ES_MULTILINE) ||
        SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0) <= 0)
        return;
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    SendMessageA(edit, EM_SETSEL, 0, 0);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    SendMessageA(edit, EM_SETSEL, start, end);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
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
                DDAddTabs(f, w);
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
        if (t != DD_CONTAINER)   /* the container keeps its own record there */
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
        show_text_again(t, f->hwnd);
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
