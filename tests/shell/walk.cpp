/* The walk's rows, choosing them, the values read back and the modal
 * windows answered (walk.h). */
#include "walk.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>

#include "cmddlg.h"
#include "dlginfo.h"
#include "edpane.h"
#include "pcflists.h"
#include "pcflistwin.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "shellint.h"
#include "shellwork.h"
#include "locstore.h"
#include "locdlg.h"
#include "locdlgwin.h"
#include "tktoolbar.h"
#include "mqi.h"
#include "mq/mqown.h"
#include "pwcache.h"
#include "prefwin.h"

#include <commctrl.h>

/* The location's context menu of a frame's selected location, as a right
 * click would open it now (one popup, built again each time). */
static HMENU LocationMenu(HWND frame)
{
    static HMENU context;
    if (!context)
        context = CreatePopupMenu();
    FrameWords *f = FrameOf(frame);
    LocContextMenu(FrameGetSelLocation(frame), f ? f->panel : frame, 2, context, 1);
    return context;
}

/* ---- rows ---- */

static void MenuRows(HMENU menu, int via, std::vector<WalkRow> &out)
{
    for (int i = 0, n = menu ? GetMenuItemCount(menu) : 0; i < n; i++) {
        char text[200] = "";
        GetMenuStringA(menu, (UINT)i, text, sizeof text, MF_BYPOSITION);
        if (HMENU sub = GetSubMenu(menu, i)) {
            MenuRows(sub, via, out);
            continue;
        }
        UINT id = GetMenuItemID(menu, i);
        if (id == (UINT)-1 || id == 0)
            continue;                 /* separators */
        WalkRow r = {};
        r.via = via;
        r.id = (int32_t)id;
        r.label = text;
        r.menu = menu;
        out.push_back(r);
    }
}

/* The command dialog a child window belongs to (its nearest), else null. */
static HWND OwningDialog(HWND w)
{
    for (HWND p = GetParent(w); p; p = GetParent(p))
        if (PCFDialogOf(p))
            return p;
    return nullptr;
}

struct BUTTONS {
    HWND window;
    std::vector<WalkRow> *rows;
};

static BOOL CALLBACK ButtonRow(HWND w, LPARAM lp)
{
    BUTTONS *b = (BUTTONS *)lp;
    HWND owner = OwningDialog(w);
    if (owner && owner != b->window && IsChild(owner, w))
        return TRUE;              /* a pane's own, walked with the pane */
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    LONG style = GetWindowLongA(w, GWL_STYLE);
    LONG type = style & BS_TYPEMASK;
    if (lstrcmpiA(cls, "Button") || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_OWNERDRAW))
        return TRUE;
    WalkRow r = {};
    r.via = VIA_BUTTON;
    r.id = GetDlgCtrlID(w);
    r.label = WindowText(w);
    r.control = w;
    b->rows->push_back(r);
    return TRUE;
}

/* A command dialog's own keys: F5 its refresh (button 1 "&Refresh"), Alt
 * with the letter after "&" of a button's text that button's action; a
 * letter two buttons share, or that the frame's table takes first (Alt
 * P, Q, S), is left out.  Not yet the message windows' and the frame's
 * panes' (their Refresh and Open rows wait for their own mends). */
static void DialogKeys(HWND window, std::vector<WalkRow> &out)
{
    DialogWords *d = WalkDialog(window);
    if (!d || d->editor || (d->optionFlags & DO_CHILD))
        return;
    std::vector<WalkRow> keys;
    std::string letters, twice = "PQS";
    for (const WalkRow &b : out) {
        size_t amp = b.via == VIA_BUTTON ? b.label.find('&') : std::string::npos;
        if (amp == std::string::npos || amp + 1 >= b.label.size() || !isalnum((unsigned char)b.label[amp + 1]))
            continue;
        char c = (char)toupper((unsigned char)b.label[amp + 1]);
        (letters.find(c) == std::string::npos ? letters : twice) += c;
    }
    for (const WalkRow &b : out) {
        if (b.via != VIA_BUTTON)
            continue;
        size_t amp = b.label.find('&');
        char c = amp == std::string::npos ? 0 : (char)toupper((unsigned char)b.label[amp + 1]);
        WalkRow r = {};
        r.via = VIA_ACCEL;
        r.id = b.id;
        r.control = window;
        if (b.id == 1 && b.label == "&Refresh") {
            r.key = { FVIRTKEY, VK_F5, 1 };
            r.label = "F5";
            keys.push_back(r);
        }
        if (c && isalnum((unsigned char)c) && twice.find(c) == std::string::npos) {
            r.key = { (BYTE)(FVIRTKEY | FALT), (WORD)c, (WORD)b.id };
            r.label = std::string("Alt+") + c;
            keys.push_back(r);
        }
    }
    out.insert(out.end(), keys.begin(), keys.end());
}

void WalkAnswered(DialogWords *d)
{
    PumpUntil([d] { return !(d->markFlags & DM_REQUEST_SENT) && d->first.sequence == d->first.lastAnswered; }, 8000);
    PumpAll();
}

DialogWords *WalkDialog(HWND window)
{
    return window && !FrameOf(window) ? PCFDialogOf(window) : nullptr;
}

std::vector<WalkRow> WalkRows(HWND window, bool frame)
{
    std::vector<WalkRow> out;
    DialogWords *d = WalkDialog(window);
    SendMessageA(window, WM_INITMENU, (WPARAM)GetMenu(window), 0);
    MenuRows(d && d->menu ? (HMENU)d->menu : GetMenu(window), VIA_MENU, out);
    BUTTONS buttons = { window, &out };
    EnumChildWindows(window, ButtonRow, (LPARAM)&buttons);
    if (d && d->toolbar) {
        int n = 0;
        const ToolbarButton *b = TbButtons(PCFWnd(d->toolbar), &n);
        for (int i = 0; b && i < n; i++)
            if (b[i].id && !(b[i].flags & (TBB_SEP | TBB_STRETCH))) {
                WalkRow r = {};
                r.via = VIA_TOOLBAR;
                r.id = b[i].id;
                r.label = b[i].text ? b[i].text : "";
                r.control = PCFWnd(d->toolbar);
                out.push_back(r);
            }
    }
    if (frame) {
        ACCEL keys[64];
        int n = CopyAcceleratorTableA(Shell.accelerators, keys, 64);
        for (int i = 0; i < n; i++) {
            WalkRow r = {};
            r.via = VIA_ACCEL;
            r.id = keys[i].cmd;
            r.key = keys[i];
            char name[40];
            snprintf(name, sizeof name, "%s%s%s%u", (keys[i].fVirt & FCONTROL) ? "Ctrl+" : "",
                     (keys[i].fVirt & FSHIFT) ? "Shift+" : "", (keys[i].fVirt & FALT) ? "Alt+" : "",
                     (unsigned)keys[i].key);
            r.label = name;
            out.push_back(r);
        }
        MenuRows(LocationMenu(window), VIA_CONTEXT, out);
    }
    if (d && !frame)
        DialogKeys(window, out);
    return out;
}

/* The menu a right click over the frame's tree pops up, as the user meets
 * it: caught as it opens and closed unchosen. */
static HMENU popped;
static HWND poppedOwner;          /* the window its chosen row goes to */

static LRESULT CALLBACK CatchPopup(int code, WPARAM wp, LPARAM lp)
{
    const CWPSTRUCT *m = (const CWPSTRUCT *)lp;
    if (code == HC_ACTION && m->message == WM_INITMENUPOPUP && !popped) {
        popped = (HMENU)m->wParam;
        poppedOwner = m->hwnd;
        SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            EndMenu();
        });
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

std::vector<WalkRow> WalkTreeMenuRows(HWND frame)
{
    std::vector<WalkRow> out;
    FrameWords *f = FrameOf(frame);
    if (!f || !f->tree)
        return out;
    popped = nullptr;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CatchPopup, nullptr, GetCurrentThreadId());
    RECT r;
    GetWindowRect(f->tree, &r);
    SendMessageA(f->tree, WM_CONTEXTMENU, (WPARAM)f->tree, MAKELPARAM(r.left + 20, r.top + 20));
    UnhookWindowsHookEx(hook);
    PumpAll();
    MenuRows(popped, VIA_CONTEXT, out);
    for (WalkRow &r : out)
        r.control = poppedOwner;
    return out;
}

const char *WalkViaName(int via)
{
    static const char *names[] = { "menu", "button", "toolbar", "key", "context" };
    return via >= 0 && via < 5 ? names[via] : "?";
}

/* A toolbar button's state; the point that presses it, found as the
 * user finds it (pressed, and let go outside when it is another). */
static bool ToolbarEnabled(HWND bar, int32_t id)
{
    int n = 0;
    const ToolbarButton *b = TbButtons(bar, &n);
    for (int i = 0; b && i < n; i++)
        if (b[i].id == id)
            return !(b[i].flags & TBB_DISABLED);
    return false;
}

static bool ToolbarPoint(HWND bar, int32_t id, LPARAM *at)
{
    RECT client;
    GetClientRect(bar, &client);
    for (int y = 4; y < client.bottom; y += 8)
        for (int x = 2; x < client.right; x += 4) {
            LPARAM p = MAKELPARAM(x, y);
            int n = 0;
            const ToolbarButton *b = TbButtons(bar, &n);
            std::vector<uint32_t> was;
            for (int i = 0; b && i < n; i++)
                was.push_back(b[i].flags);
            SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, p);
            b = TbButtons(bar, &n);
            int32_t pressed = 0;
            for (int i = 0; b && i < n && i < (int)was.size(); i++)
                if ((b[i].flags ^ was[i]) & TBB_PRESSED)
                    pressed = b[i].id;
            if (pressed == id) {
                *at = p;
                return true;
            }
            SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(-1000, -1000));
        }
    return false;
}

/* A control of a window by its id, at any depth, of a class when cls is
 * given; the first found, else null. */
struct FINDCONTROL {
    int32_t id;
    const char *cls;
    HWND found;
};

static BOOL CALLBACK ControlById(HWND w, LPARAM lp)
{
    FINDCONTROL *f = (FINDCONTROL *)lp;
    char cls[32] = "";
    if (f->cls)
        GetClassNameA(w, cls, sizeof cls);
    if (!f->found && GetDlgCtrlID(w) == f->id && (!f->cls || !lstrcmpiA(cls, f->cls)))
        f->found = w;
    return TRUE;
}

HWND WalkControl(HWND window, int32_t id, const char *cls)
{
    FINDCONTROL f = { id, cls, nullptr };
    if (window)
        EnumChildWindows(window, ControlById, (LPARAM)&f);
    return f.found;
}

/* ---- switches: what greys what ---- */

static int SwitchKind(HWND w)
{
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    LONG style = GetWindowLongA(w, GWL_STYLE), type = style & BS_TYPEMASK;
    if (!IsWindowVisible(w) || !IsWindowEnabled(w))
        return 0;
    if (!lstrcmpiA(cls, "Edit"))
        return style & ES_READONLY ? 0 : 'e';
    if (lstrcmpiA(cls, "Button"))
        return 0;
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE)
        return 'c';
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ? 'r' : 0;
}

/* The combo box whose edit a control is, else null. */
static HWND ComboOf(HWND edit)
{
    char cls[32] = "";
    GetClassNameA(GetParent(edit), cls, sizeof cls);
    return lstrcmpiA(cls, "ComboBox") ? nullptr : GetParent(edit);
}

int32_t WalkSwitchId(HWND sw)
{
    return GetDlgCtrlID(ComboOf(sw) ? ComboOf(sw) : sw);
}

static BOOL CALLBACK SwitchOf(HWND w, LPARAM lp)
{
    if (SwitchKind(w) && WalkSwitchId(w) > 0 && (!ComboOf(w) || IsWindowEnabled(ComboOf(w))))
        ((std::vector<HWND> *)lp)->push_back(w);
    return TRUE;
}

std::vector<HWND> WalkSwitches(HWND window)
{
    std::vector<HWND> out;
    if (window && !WalkDialog(window) && !FrameOf(window))
        EnumChildWindows(window, SwitchOf, (LPARAM)&out);
    return out;
}

static BOOL CALLBACK TabsOf(HWND w, LPARAM lp)
{
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (!lstrcmpiA(cls, WC_TABCONTROLA))
        ((std::vector<HWND> *)lp)->push_back(w);
    return TRUE;
}

std::vector<HWND> WalkTabs(HWND window)
{
    std::vector<HWND> tabs;
    if (window)
        EnumChildWindows(window, TabsOf, (LPARAM)&tabs);
    return tabs;
}

static BOOL CALLBACK EnabledOf(HWND w, LPARAM lp)
{
    int id = GetDlgCtrlID(w);
    if (id > 0 && id != 0xffff)
        ((std::vector<std::pair<HWND, bool>> *)lp)->push_back({ w, IsWindowEnabled(w) != 0 });
    return TRUE;
}

static std::vector<std::pair<HWND, bool>> Enabling(HWND window)
{
    std::vector<std::pair<HWND, bool>> out;
    PumpAll();
    EnumChildWindows(window, EnabledOf, (LPARAM)&out);
    return out;
}

/* An edit's text set as typed: its dialog told of the change (a combo
 * box's edit: as its box tells it). */
static void Type(HWND window, HWND edit, const std::string &text)
{
    SetWindowTextA(edit, text.c_str());
    HWND combo = ComboOf(edit);
    if (!combo) {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(edit), EN_CHANGE), (LPARAM)edit);
        return;
    }
    for (WORD code : { (WORD)CBN_EDITUPDATE, (WORD)CBN_EDITCHANGE })
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), code), (LPARAM)combo);
}

/* The other radio button of the group a radio button is in that is
 * chosen, or null. */
static HWND Chosen(HWND radio)
{
    for (HWND s = GetWindow(GetParent(radio), GW_CHILD); s; s = GetWindow(s, GW_HWNDNEXT))
        if (s != radio && SwitchKind(s) == 'r' && SendMessageA(s, BM_GETCHECK, 0, 0) == BST_CHECKED)
            return s;
    return nullptr;
}

std::string WalkSwitchEffect(HWND window, HWND sw)
{
    std::vector<std::pair<HWND, bool>> off, on;
    int kind = SwitchKind(sw);
    if (kind == 'e') {
        std::string kept = WindowText(sw);
        Type(window, sw, "");
        off = Enabling(window);
        Type(window, sw, "7");
        on = Enabling(window);
        Type(window, sw, kept);
    } else if (kind == 'r') {
        HWND first = Chosen(sw);
        if (!first || SendMessageA(sw, BM_GETCHECK, 0, 0) == BST_CHECKED)
            return "";
        off = Enabling(window);
        SendMessageA(sw, BM_CLICK, 0, 0);
        on = Enabling(window);
        SendMessageA(first, BM_CLICK, 0, 0);
    } else if (kind == 'c') {
        bool checked = SendMessageA(sw, BM_GETCHECK, 0, 0) == BST_CHECKED;
        (checked ? on : off) = Enabling(window);
        SendMessageA(sw, BM_CLICK, 0, 0);
        (checked ? off : on) = Enabling(window);
        SendMessageA(sw, BM_CLICK, 0, 0);
    }
    PumpAll();
    std::map<int, std::string> flips;
    for (const auto &a : on)
        for (const auto &b : off)
            if (a.first == b.first && a.first != sw && a.first != ComboOf(sw) && a.second != b.second)
                flips[GetDlgCtrlID(a.first)] = (a.second ? "+" : "-") + std::to_string(GetDlgCtrlID(a.first));
    std::string out;
    for (const auto &f : flips)
        out += (out.empty() ? "" : " ") + f.second;
    return out;
}

/* A row's control in the window as it is now (it may have been made
 * again since the rows were read). */
static HWND Control(HWND window, const WalkRow &row)
{
    if (row.via == VIA_TOOLBAR) {
        DialogWords *d = WalkDialog(window);
        return d && d->toolbar ? PCFWnd(d->toolbar) : nullptr;
    }
    if (IsWindow(row.control) && (GetAncestor(row.control, GA_ROOT) == window || IsChild(window, row.control)))
        return row.control;
    return WalkControl(window, row.id, "Button");
}

bool WalkEnabled(HWND window, const WalkRow &row)
{
    HWND control = Control(window, row);
    switch (row.via) {
    case VIA_BUTTON:
        return control && IsWindowEnabled(control);
    case VIA_TOOLBAR:
        return control && ToolbarEnabled(control, row.id) && IsWindowVisible(control);
    case VIA_CONTEXT:
        return !(GetMenuState(row.menu, (UINT)row.id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    case VIA_ACCEL:
        if (row.control) {            /* a dialog's key: as its button */
            HWND button = WalkControl(window, row.id, "Button");
            return button && IsWindowEnabled(button);
        }
        break;
    }
    DialogWords *d = WalkDialog(window);
    HMENU bar = d && d->menu ? (HMENU)d->menu : GetMenu(window);
    SendMessageA(window, WM_INITMENU, (WPARAM)bar, 0);
    UINT state = GetMenuState(bar, (UINT)row.id, MF_BYCOMMAND);
    return state == (UINT)-1 || !(state & (MF_GRAYED | MF_DISABLED));
}

/* ---- what a toolbar button shows ---- */

/* The button of a toolbar row: the one of its command with its text (a
 * command given two buttons shows each row its own), else the first. */
static int ButtonOf(const ToolbarButton *b, int n, const WalkRow &row)
{
    int first = -1;
    for (int i = 0; i < n; i++)
        if (b[i].id == row.id) {
            if (b[i].text && row.label == b[i].text)
                return i;
            first = first < 0 ? i : first;
        }
    return first;
}

std::string WalkTooltip(HWND window, const WalkRow &row)
{
    HWND bar = Control(window, row);
    int n = 0;
    const ToolbarButton *b = bar ? TbButtons(bar, &n) : nullptr;
    int i = b ? ButtonOf(b, n, row) : -1;
    if (i < 0)
        return "(no button)";
    /* what the tooltip asks its toolbar for when it shows */
    NMTTDISPINFOA di = {};
    di.hdr.code = TTN_GETDISPINFOA;
    di.hdr.idFrom = (UINT_PTR)i + 1;
    SendMessageA(bar, WM_NOTIFY, 0, (LPARAM)&di);
    return di.lpszText ? di.lpszText : "";
}

/* A bitmap's pixels, as 32-bit colours. */
static std::vector<uint32_t> Pixels(HBITMAP bm)
{
    BITMAP info = {};
    if (!bm || !GetObjectA(bm, sizeof info, &info))
        return {};
    std::vector<uint32_t> px((size_t)info.bmWidth * (size_t)info.bmHeight);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = info.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bm, 0, (UINT)info.bmHeight, px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return px;
}

bool WalkPictureIs(HWND window, const WalkRow &row, int32_t picture)
{
    HWND bar = Control(window, row);
    int n = 0;
    const ToolbarButton *b = bar ? TbButtons(bar, &n) : nullptr;
    HBITMAP own = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(picture));
    bool same = false;
    int i = b ? ButtonOf(b, n, row) : -1;
    if (i >= 0) {
        std::vector<uint32_t> shown = Pixels((HBITMAP)b[i].normal);
        same = own && !shown.empty() && shown == Pixels(own);
    }
    if (own)
        DeleteObject(own);
    return same;
}

/* ---- answering modal windows ---- */

static std::set<HWND> baseline;
static UINT_PTR answerTimer;

std::vector<std::string> &ModalsMet(void)
{
    static std::vector<std::string> met;
    return met;
}

static BOOL CALLBACK StaticTexts(HWND w, LPARAM lp)
{
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    std::string t = WindowText(w);
    if (!t.empty() && lstrcmpiA(cls, "Button"))
        *(std::string *)lp += " | " + t;
    return TRUE;
}

static int answerYes;

void WalkAnswerYes(int yes)
{
    answerYes = yes;
}

/* The button that answers: "No" (else "Cancel", "Close", "OK"), or "Yes"
 * (else "OK") when asked to agree; its label without blanks and "&". */
static BOOL CALLBACK Refusal(HWND w, LPARAM lp)
{
    static const char *const no[] = { "No", "Cancel", "Close", "OK" };
    static const char *const yes[] = { "Yes", "OK" };
    std::string t;
    for (char c : WindowText(w))
        if (c != ' ' && c != '&')
            t += c;
    HWND *found = (HWND *)lp;
    const char *const *answers = answerYes ? yes : no;
    int count = answerYes ? 2 : 4;
    for (int i = 0; i < count; i++)
        if (t == answers[i] && (!found[0] || i < (int)(intptr_t)found[1])) {
            found[0] = w;
            found[1] = (HWND)(intptr_t)i;
        }
    return TRUE;
}

static BOOL CALLBACK AnswerOne(HWND w, LPARAM)
{
    if (!IsWindowVisible(w) || baseline.count(w) || (GetWindowLongA(w, GWL_STYLE) & WS_CHILD))
        return TRUE;
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    HWND owner = GetWindow(w, GW_OWNER);
    if (strcmp(cls, "#32770") && !(owner && !IsWindowEnabled(owner)))
        return TRUE;
    std::string text = std::string(cls) + " '" + WindowText(w) + "'";
    EnumChildWindows(w, StaticTexts, (LPARAM)&text);
    ModalsMet().push_back(text);
    baseline.insert(w);
    HWND found[2] = { nullptr, nullptr };
    EnumChildWindows(w, Refusal, (LPARAM)found);
    HWND no = found[0];
    if (no)
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(no), BN_CLICKED), (LPARAM)no);
    else
        PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

/* Runs in every message loop of the thread, modal ones included (while
 * a row runs, or while a row is prepared). */
static void CALLBACK Answer(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), AnswerOne, 0);
}

void WalkStartAnswering(void)
{
    if (!answerTimer)
        answerTimer = SetTimer(nullptr, 0, 150, Answer);
}

void WalkStopAnswering(void)
{
    if (answerTimer)
        KillTimer(nullptr, answerTimer);
    answerTimer = 0;
}

static BOOL CALLBACK Known(HWND w, LPARAM)
{
    baseline.insert(w);
    return TRUE;
}

void WalkPerform(HWND window, const WalkRow &row)
{
    baseline.clear();
    EnumThreadWindows(GetCurrentThreadId(), Known, 0);
    switch (row.via) {
    case VIA_MENU: case VIA_CONTEXT:
        /* a popped menu's row goes to the window the menu was popped for */
        SendMessageA(row.control ? row.control : window, WM_COMMAND, MAKEWPARAM(row.id, 0), 0);
        break;
    case VIA_BUTTON: {
        /* what a click of the button sends (its tab may not be shown) */
        HWND b = Control(window, row);
        if (b)
            SendMessageA(GetParent(b), WM_COMMAND, MAKEWPARAM(row.id, BN_CLICKED), (LPARAM)b);
        break;
    }
    case VIA_TOOLBAR: {
        HWND bar = Control(window, row);
        LPARAM at = 0;
        if (bar && ToolbarPoint(bar, row.id, &at))
            SendMessageA(bar, WM_LBUTTONUP, 0, at);   /* pressed there: let go */
        else {
            int n = 0;
            const ToolbarButton *b = bar ? TbButtons(bar, &n) : nullptr;
            RECT rc = {};
            GetClientRect(bar, &rc);
            printf("walk: toolbar %d not found in %ldx%ld:", row.id, rc.right, rc.bottom);
            for (int i = 0; b && i < n; i++)
                printf(" %d/%d/%x", b[i].id, b[i].width, b[i].flags);
            printf("\n");
        }
        break;
    }
    case VIA_ACCEL: {
        bool ctrl = row.key.fVirt & FCONTROL, shift = row.key.fVirt & FSHIFT, alt = row.key.fVirt & FALT;
        FrameWords *f = FrameOf(window);
        HWND at = f && f->tree ? f->tree : window;
        if (row.control) {            /* a dialog's key, where its focus is */
            SetActiveWindow(GetAncestor(window, GA_ROOT));
            SetFocus(window);
            at = GetFocus() ? GetFocus() : window;
        }
        if (row.key.fVirt & FVIRTKEY)
            LoopKey(at, row.key.key, ctrl, shift, alt);
        else
            LoopMessage(at, WM_CHAR, row.key.key, 1);
        break;
    }
    }
    PumpAll();
}

/* ---- values read back ---- */

static std::string Hex(uint64_t v)
{
    char b[24];
    snprintf(b, sizeof b, "%llx", (unsigned long long)v);
    return b;
}

static std::string Checked(HMENU menu)
{
    std::string out;
    for (int i = 0, n = menu ? GetMenuItemCount(menu) : 0; i < n; i++) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            out += Checked(sub);
            continue;
        }
        if (GetMenuState(menu, (UINT)i, MF_BYPOSITION) & MF_CHECKED)
            out += std::to_string(GetMenuItemID(menu, i)) + " ";
    }
    return out;
}

/* The editor's state as named values: cursor, selection anchor and mark
 * ("line,column"), descriptor and data lengths, top line and line count,
 * insert mode. */
static void Editor(Snapshot &s, const std::string &p, const PCFDATA *ed)
{
    if (!ed) {
        s[p + "editor"] = "none";
        return;
    }
    auto at = [](int line, int column) { return std::to_string(line) + "," + std::to_string(column); };
    s[p + "cursor"] = at(ed->cursor.line, ed->cursor.column);
    s[p + "anchor"] = at(ed->anchor.line, ed->anchor.column);
    s[p + "mark"] = at(ed->mark.line, ed->mark.column);
    s[p + "descriptor"] = std::to_string(ed->descriptor.length);
    s[p + "data"] = std::to_string(ed->data.length);
    s[p + "top"] = std::to_string((int)ed->scroll.top);
    s[p + "lines"] = std::to_string((int)ed->scroll.lineCount);
    s[p + "insert"] = std::to_string(ed->insertMode);
}

/* Whether the message differs from its copy as loaded or last sent (the
 * copies are blocks of a word, the length, then the bytes). */
static bool Differs(const CSDATA *now, const void *saved)
{
    uint32_t length = 0;
    if (saved)
        memcpy(&length, (const char *)saved + 4, 4);
    return length != now->length || (length && memcmp(now->data, (const char *)saved + 8, length));
}

static bool Edited(const PCFDATA *ed)
{
    return ((!ed->savedDataDeferred || ed->savedData) && Differs(&ed->data, ed->savedData)) ||
           Differs(&ed->descriptor, ed->savedDescriptor);
}

/* A digest of the values the dialog's fields show. */
static std::string Values(DialogWords *d)
{
    std::string all;
    char buffer[1100];
    for (PCFFieldEntry *e = d->definition ? d->definition->fields : nullptr; e && e->field && d->dataArea; e++)
        if (e->field->type == PCFT_HEADING || e->field->type == PCFT_MESSAGE || !PCFStoresValue(e))
            continue;
        else if (const char *v = PCFValueText(d->dataArea, e, 0, buffer, sizeof buffer, 1))
            all += std::string(v) + "|";
    uint32_t h = 2166136261u;
    for (unsigned char c : all)
        h = (h ^ c) * 16777619u;
    return Hex(h) + " " + all.substr(0, 120);
}

static void ObserveDialog(Snapshot &s, DialogWords *d, const std::string &p)
{
    if (!d || !d->window)
        return;
    HWND w = PCFWnd(d->window);
    s[p + "status"] = WindowText(PCFWnd(d->statusWindow));
    if (!(d->optionFlags & DO_CHILD))
        s[p + "title"] = WindowText(w);
    const struct { const char *name; int on; } parts[] = {
        { "buttons", !!(d->stateFlags & DF_SHOW_BUTTONS) }, { "fields", !!(d->stateFlags & DF_SHOW_FIELDS) },
        { "filterbar", !!(d->stateFlags & DF_SHOW_FILTER) }, { "toolbar", !!(d->optionFlags & DO_TOOLBAR) },
        { "qmlist", !!(d->optionFlags & DO_QMLIST) }, { "colfilter", !!(d->displayFlags & 0x800000) },
        { "split", !!(d->stateFlags & DF_SPLIT_TOGGLE) }, { "hidesys", !!(d->optionFlags & DO_HIDE_SYSTEM) },
        { "atopen", !!(d->stateFlags & DF_REFRESH_AT_OPEN) },
    };
    for (const auto &part : parts)
        s[p + part.name] = part.on ? "on" : "off";
    s[p + "titles"] = Hex((d->stateFlags & DF_TITLE_MODES) >> 24);
    s[p + "view"] = Hex(d->viewOptions);
    const struct { const char *name; uint32_t value; } words[] = {
        { "words0", d->viewWords[0] }, { "words1", d->viewWords[1] }, { "numeric0", d->numericWords[0] },
        { "numeric1", d->numericWords[1] }, { "body", d->bodyKind }, { "switches0", d->viewSwitches[0] },
        { "switches1", d->viewSwitches[1] },
    };
    for (const auto &word : words)
        s[p + word.name] = Hex(word.value);
    s[p + "rows"] = std::to_string(d->rowCounts[0]);
    if (d->definition && d->definition->list) {
        PCFROW *row = nullptr;
        s[p + "selected"] = std::to_string(PCFSelectedRows(d, &row, nullptr));
        PCFLISTSTATE *st = PCFListState(d);
        s[p + "shown"] = std::to_string(st ? st->count : 0);
        std::string widths;
        int shown = 0;            /* the columns shown (a width of their own) */
        if (st)
            for (uint32_t i = 0; i < st->colCount; i++) {
                widths += std::to_string(st->cols[i].width) + " ";
                shown += st->cols[i].width > 0;
            }
        s[p + "widths"] = widths;
        s[p + "columns"] = std::to_string(shown);
    }
    s[p + "sent"] = std::to_string(d->first.sequence);
    s[p + "checks"] = Checked((HMENU)d->menu);
    std::string ticks;
    int n = 0;
    const ToolbarButton *tb = d->toolbar ? TbButtons(PCFWnd(d->toolbar), &n) : nullptr;
    for (int i = 0; tb && i < n; i++)
        if (tb[i].flags & TBB_TICKED)
            ticks += std::to_string(tb[i].id) + " ";
    s[p + "ticks"] = ticks;
    if (d->filterWindow)
        s[p + "filter"] = WindowText(PCFWnd(d->filterWindow));
    if (d->dlgInfo)
        s[p + "deffilter"] = d->dlgInfo->dftFilter ? d->dlgInfo->dftFilter : "";
    s[p + "refresh"] = std::to_string(d->refreshRate);
    if (p == "owner.")                /* what its own windows set in it */
        s[p + "options"] = Hex(d->optionFlags & 0x1000c);
    s[p + "values"] = Values(d);
    Editor(s, p, d->editor);
    char value[100] = "";
    if (d->editor && PCFGetValueText(d, MYPCFA_POSITION, value, sizeof value))
        s[p + "position"] = value;
    if (d->editor && PCFGetValueText(d, MYPCFA_MSGID, value, sizeof value))
        s[p + "msgid"] = value;
    if (d->editor)
        s[p + "edited"] = Edited(d->editor) ? "yes" : "no";
    s[p + "statusflags"] = Hex(d->statusFlags);
    s[p + "location"] = d->first.location ? d->first.location->qmName : "";
}

static BOOL CALLBACK TopWindow(HWND w, LPARAM lp)
{
    if ((!IsWindowVisible(w) && !IsIconic(w)) || (GetWindowLongA(w, GWL_STYLE) & WS_CHILD))
        return TRUE;
    char cls[40] = "", b[400];
    GetClassNameA(w, cls, sizeof cls);
    RECT r;
    GetWindowRect(w, &r);
    snprintf(b, sizeof b, "%s '%s' %s at %ld,%ld %ldx%ld", cls, WindowText(w).c_str(), IsIconic(w) ? "minimized" : "",
             r.left, r.top, r.right - r.left, r.bottom - r.top);
    (*(Snapshot *)lp)["window " + Hex((uintptr_t)w)] = b;
    return TRUE;
}

/* The clipboard's text (its first 200 characters), and its hex bytes
 * under the editor's own format. */
static void Clipboard(Snapshot &s)
{
    s["clipboard.seq"] = std::to_string(GetClipboardSequenceNumber());
    s["clipboard"] = "";
    if (!OpenClipboard(nullptr))
        return;
    if (HANDLE h = GetClipboardData(CF_TEXT))
        if (const char *t = (const char *)GlobalLock(h)) {
            s["clipboard"] = std::string(t).substr(0, 200);
            GlobalUnlock(h);
        }
    if (HANDLE h = GetClipboardData(RegisterClipboardFormatA("Vorsk HEX")))
        if (const char *t = (const char *)GlobalLock(h)) {
            s["clipboard.hex"] = std::string(t, strnlen(t, GlobalSize(h))).substr(0, 200);
            GlobalUnlock(h);
        }
    CloseClipboard();
}

static std::vector<std::string> watched;

void WalkWatchDepths(const std::vector<std::string> &queues)
{
    watched = queues;
}

Snapshot Observe(HWND window)
{
    Snapshot s;
    EnumThreadWindows(GetCurrentThreadId(), TopWindow, (LPARAM)&s);
    /* the titles of the windows shown, in order ("min" after a minimized one) */
    std::set<std::string> titles;
    for (const auto &[k, v] : s)
        if (!k.rfind("window ", 0)) {
            size_t a = v.find('\''), b = v.rfind("' ");
            titles.insert(v.substr(a, b + 1 - a) + (v.find("' minimized") != std::string::npos ? " min" : ""));
        }
    for (const std::string &t : titles)
        s["windows"] += t + " ";
    for (const std::string &q : watched)
        s["depth/" + q] = std::to_string(QueueDepth("RAVOLT.DEMO", q.c_str()));
    s["active"] = WindowText(GetActiveWindow());
    auto last = [](size_t n, const std::string &t) { return std::to_string(n) + " " + t; };
    /* what a row asked or showed: how many, and the last one's text */
    s["boxes"] = std::to_string(Boxes().size());
    s["box"] = Boxes().empty() ? "" : Boxes().back().caption + ": " + Boxes().back().text;
    s["questions"] = std::to_string(Questions().size());
    s["question"] = Questions().empty() ? "" : Questions().back().verb + " '" + Questions().back().name + "'";
    s["modals"] = std::to_string(ModalsMet().size());
    s["modal"] = ModalsMet().empty() ? "" : ModalsMet().back();
    s["link"] = last(OpenedLinks().size(), OpenedLinks().empty() ? "" : OpenedLinks().back());
    s["refreshes"] = std::to_string(Refreshes().size());
    s["refresh"] = Refreshes().empty() ? "" : Refreshes().back().qm + " '" + Refreshes().back().prefix + "'";
    Clipboard(s);
    s["prf.opt1"] = Hex(Prf.opt1);
    s["prf.po"] = Hex(Prf.po[0]);
    s["prf.po2"] = Hex(Prf.po[1]);
    s["prf.po3"] = Hex(Prf.po[2]);
    s["prf.po4"] = Hex(Prf.po[3]);
    s["frames"] = std::to_string(FrameCount());
    WIN32_FILE_ATTRIBUTE_DATA cfg = {};
    if (GetFileAttributesExA((AppConfigDir() + "RAVOLT.CFG").c_str(), GetFileExInfoStandard, &cfg))
        s["config"] = Hex(((uint64_t)cfg.ftLastWriteTime.dwHighDateTime << 32) | cfg.ftLastWriteTime.dwLowDateTime) +
                      " " + std::to_string(cfg.nFileSizeLow);
    QMS *demo = AppDemo();
    s["demo"] = std::string((demo->putThread.state & 0x4) ? "connected" : "not connected") +
                ((demo->state & LST_SUSPENDED) ? " suspended" : "");
    s["demo.password"] = demo->password ? demo->password : "";
    /* what the location dialogs store: its flag words, network names and
       the password of its key database */
    s["demo.flags"] = Hex(demo->flags);
    s["demo.flags2"] = Hex(demo->flags2);
    s["demo.netnames"] = demo->networkNames ? demo->networkNames : "";
    s["demo.kdb"] = demo->kdbEntry ? ((KDBS *)demo->kdbEntry)->password : "(none)";
    /* the password cache: its password while open, and the Preferences'
       button that opens it */
    s["cache.password"] = PWCCurrentPassword();
    if (HWND access = PrefWindow() ? WalkControl(PrefWindow(), 484) : nullptr)
        s["prefs.cache"] = WindowText(access) + (IsWindowEnabled(access) ? "" : " grey");
    FrameWords *f = FrameOf(window);
    if (!f)
        f = AppMain();
    if (f) {
        s["frame.flags"] = Hex(f->flags);
        s["frame.checks"] = Checked(GetMenu(f->window));
        /* and the location's context menu, as it would open now */
        if (FrameGetSelLocation(f->window))
            s["frame.ctxchecks"] = Checked(LocationMenu(f->window));
        s["frame.status"] = WindowText(f->status);
        s["frame.title"] = WindowText(f->window);
        RECT r = {};
        GetWindowRect(f->window, &r);
        s["frame.rect"] = std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                          std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
        s["frame.iconic"] = IsIconic(f->window) ? "yes" : "no";
        s["frame.fields"] = std::string(IsWindowVisible(f->prefix) ? "prefix " : "") +
                            (IsWindowVisible(f->search) ? "search " : "") + (IsWindowVisible(f->searchQ) ? "queues " : "");
        s["frame.panes"] = std::string(f->listPane && IsWindowVisible(PCFWnd(f->listPane->window)) ? "list " : "") +
                           (f->msgPane && IsWindowVisible(PCFWnd(f->msgPane->window)) ? "message" : "");
        std::vector<TreeLine> lines = TreeLines(f);
        s["frame.lines"] = std::to_string(lines.size());
        /* the text of each location line, and of each queue line by its
           queue's name */
        int located = 0;
        for (const TreeLine &l : lines)
            if (l.depth == 0)
                s["frame.line" + std::to_string(located++)] = l.text;
            else if (!l.text.empty() && l.text[0] != ' ')
                s["frame.queue/" + l.text.substr(0, l.text.find(' '))] = l.text;
        s["frame.searches"] = std::string(Shell.defaultSearch[0]) + "|" + Shell.defaultSearch[1];
        s["frame.searchtext"] = WindowText(f->search) + "|" + WindowText(f->searchQ);
        ObserveDialog(s, f->listPane, "listpane.");
        ObserveDialog(s, f->msgPane, "msgpane.");
    }
    ObserveDialog(s, WalkDialog(window), "dialog.");
    /* a window a command dialog opened for itself: that dialog too (also
       once the window is closed) */
    static std::map<HWND, HWND> owners;
    if (IsWindow(window) && !FrameOf(window) && !WalkDialog(window))
        owners[window] = GetWindow(GetAncestor(window, GA_ROOT), GW_OWNER);
    if (window && owners.count(window))
        ObserveDialog(s, PCFDialogOf(owners[window]), "owner.");
    if (IsWindow(window) && !FrameOf(window))
        s["dialog.window"] = WindowText(GetAncestor(window, GA_ROOT));
    if (window && !FrameOf(window) && !WalkDialog(window)) {
        /* a window of its own (not a command dialog): its status line */
        HWND status = WalkControl(window, 103);
        if (!status)
            status = WalkControl(window, 709);     /* the export window's */
        if (status)
            s["dialog.status"] = WindowText(status);
        /* its lists: how many entries, which are selected, the first one */
        EnumChildWindows(window, [](HWND w, LPARAM lp) -> BOOL {
            char cls[32] = "", text[300] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (lstrcmpiA(cls, "ListBox"))
                return TRUE;
            std::string key = "dialog.list" + std::to_string(GetDlgCtrlID(w)), selected;
            LRESULT n = SendMessageA(w, LB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < n; i++)
                if (SendMessageA(w, LB_GETSEL, (WPARAM)i, 0) > 0)
                    selected += std::to_string(i) + " ";
            if (n > 0 && SendMessageA(w, LB_GETTEXTLEN, 0, 0) < (LRESULT)sizeof text)
                SendMessageA(w, LB_GETTEXT, 0, (LPARAM)text);
            Snapshot &s = *(Snapshot *)lp;
            s[key] = std::to_string(n);
            s[key + ".sel"] = selected;
            s[key + ".first"] = text;
            return TRUE;
        }, (LPARAM)&s);
        /* the locations the Change Multiple Locations list has selected */
        HWND root = GetAncestor(window, GA_ROOT);
        if (!WindowText(root).rfind("Change Multiple Location", 0))
            if (MCDIALOG *m = MultiChgRecord(root)) {
                s["dialog.selected"] = "";
                for (int i = 0; i < m->count; i++)
                    if (m->entries[i].selected)
                        s["dialog.selected"] += std::string(m->entries[i].location->qmName) + " ";
            }
    }
    return s;
}

std::string Changes(const Snapshot &before, const Snapshot &after)
{
    std::string out;
    for (const auto &[k, v] : after) {
        auto was = before.find(k);
        if (was == before.end())
            out += k + ": (new) -> " + v + "\n";
        else if (was->second != v)
            out += k + ": " + was->second + " -> " + v + "\n";
    }
    for (const auto &[k, v] : before)
        if (!after.count(k))
            out += k + ": " + v + " -> (gone)\n";
    return out;
}

void CloseNewWindows(const Snapshot &before, HWND keep)
{
    Snapshot now;
    EnumThreadWindows(GetCurrentThreadId(), TopWindow, (LPARAM)&now);
    for (const auto &[k, v] : now) {
        if (k.rfind("window ", 0) || before.count(k))
            continue;
        HWND w = (HWND)(uintptr_t)strtoull(k.c_str() + 7, nullptr, 16);
        if (w != keep && IsWindow(w))
            SendMessageA(w, WM_CLOSE, 0, 0);
        PumpAll();
    }
    PumpAll();
}

struct NEWEST {
    const char *title;
    DialogWords *found;
};

static int Newest(DialogWords *d, void *ctx)
{
    NEWEST *n = (NEWEST *)ctx;
    if (d->definition && !strcmp(d->definition->title, n->title) && !d->ownerSlot &&
        !(d->stateFlags & DF_CLOSING) && d->window)
        n->found = d;
    return 0;
}

DialogWords *NewestDialog(const char *title)
{
    NEWEST n = { title, nullptr };
    PCFForEachDialog(Newest, &n);
    return n.found;
}
