/* Dynamic dialogs: engine start-up, the list of live dialogs, building
 * field records from definition tables (DDCreate), DDCreateDialog,
 * DDDialogBox and DDDestroy. */
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include "ddint.h"
#include "csmem.h"
#include "cstrace.h"
#include "cshost.h"

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
    const char *setting = getenv("DYNDLGTRC");
    if (setting && *setting) {
        size_t n = strlen(setting) + 1;
        char *dir = (char *)malloc(n + 2), *name = (char *)malloc(n + 12);
        int relative, drive;
        if (dir && name) {
            CSParseFileSpec(setting, 0, dir, name, &relative, &drive);
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
            DDAddTabs(f, f->hwnd);
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
            if (DD_TYPE(f) != DD_CONTAINER)
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
