/* The walk's rows, choosing them, the values read back and the modal
 * windows answered (walk.h). */
#include "walk.h"

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
#include "tktoolbar.h"
#include "mqi.h"

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
    if (owner && owner != b->window)
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
        static HMENU context;
        if (!context)
            context = CreatePopupMenu();
        FrameWords *f = FrameOf(window);
        LocContextMenu(FrameGetSelLocation(window), f ? f->panel : window, 2, context, 1);
        MenuRows(context, VIA_CONTEXT, out);
    }
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

/* A row's control in the window as it is now (it may have been made
 * again since the rows were read). */
struct FINDBUTTON {
    int32_t id;
    HWND found;
};

static BOOL CALLBACK ButtonById(HWND w, LPARAM lp)
{
    FINDBUTTON *f = (FINDBUTTON *)lp;
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (!f->found && GetDlgCtrlID(w) == f->id && !lstrcmpiA(cls, "Button"))
        f->found = w;
    return TRUE;
}

static HWND Control(HWND window, const WalkRow &row)
{
    if (row.via == VIA_TOOLBAR) {
        DialogWords *d = WalkDialog(window);
        return d && d->toolbar ? PCFWnd(d->toolbar) : nullptr;
    }
    if (IsWindow(row.control) && (GetAncestor(row.control, GA_ROOT) == window || IsChild(window, row.control)))
        return row.control;
    FINDBUTTON f = { row.id, nullptr };
    EnumChildWindows(window, ButtonById, (LPARAM)&f);
    return f.found;
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
    }
    DialogWords *d = WalkDialog(window);
    HMENU bar = d && d->menu ? (HMENU)d->menu : GetMenu(window);
    SendMessageA(window, WM_INITMENU, (WPARAM)bar, 0);
    UINT state = GetMenuState(bar, (UINT)row.id, MF_BYCOMMAND);
    return state == (UINT)-1 || !(state & (MF_GRAYED | MF_DISABLED));
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
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(row.id, 0), 0);
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

static std::string Editor(const PCFDATA *ed)
{
    if (!ed)
        return "none";
    char b[200];
    snprintf(b, sizeof b, "gen %u bytes %u+%u cursor %d,%d anchor %d,%d mark %d,%d top %d lines %d ins %u quiet %u",
             ed->generation, (unsigned)ed->descriptor.length, (unsigned)ed->data.length, ed->cursor.line,
             ed->cursor.column, ed->anchor.line, ed->anchor.column, ed->mark.line, ed->mark.column,
             (int)ed->scroll.top, (int)ed->scroll.lineCount, ed->insertMode, ed->quiet);
    return b;
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
    char b[300];
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
    snprintf(b, sizeof b, "%x %x %x %x body %u switches %x %x", d->viewWords[0], d->viewWords[1],
             d->numericWords[0], d->numericWords[1], d->bodyKind, d->viewSwitches[0], d->viewSwitches[1]);
    s[p + "words"] = b;
    s[p + "rows"] = std::to_string(d->rowCounts[0]);
    if (d->definition && d->definition->list) {
        PCFROW *row = nullptr;
        s[p + "selected"] = std::to_string(PCFSelectedRows(d, &row, nullptr));
        PCFLISTSTATE *st = PCFListState(d);
        s[p + "shown"] = std::to_string(st ? st->count : 0);
        std::string widths;
        if (st)
            for (uint32_t i = 0; i < st->colCount; i++)
                widths += std::to_string(st->cols[i].width) + " ";
        s[p + "widths"] = widths;
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
    s[p + "values"] = Values(d);
    s[p + "editor"] = Editor(d->editor);
    if (d->editor)
        s[p + "edited"] = Edited(d->editor) ? "yes" : "no";
    s[p + "statusflags"] = Hex(d->statusFlags);
    s[p + "location"] = d->first.location ? d->first.location->qmName : "";
}

static BOOL CALLBACK TopWindow(HWND w, LPARAM lp)
{
    if (!IsWindowVisible(w) || (GetWindowLongA(w, GWL_STYLE) & WS_CHILD))
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

static std::string Clipboard(void)
{
    std::string text = std::to_string(GetClipboardSequenceNumber());
    if (OpenClipboard(nullptr)) {
        if (HANDLE h = GetClipboardData(CF_TEXT))
            if (const char *t = (const char *)GlobalLock(h)) {
                text += " " + std::string(t).substr(0, 100);
                GlobalUnlock(h);
            }
        CloseClipboard();
    }
    return text;
}

Snapshot Observe(HWND window)
{
    Snapshot s;
    EnumThreadWindows(GetCurrentThreadId(), TopWindow, (LPARAM)&s);
    s["active"] = WindowText(GetActiveWindow());
    auto last = [](size_t n, const std::string &t) { return std::to_string(n) + " " + t; };
    s["box"] = last(Boxes().size(), Boxes().empty() ? "" : Boxes().back().caption + ": " + Boxes().back().text);
    s["question"] = last(Questions().size(),
                         Questions().empty() ? "" : Questions().back().verb + " '" + Questions().back().name + "'");
    s["modal"] = last(ModalsMet().size(), ModalsMet().empty() ? "" : ModalsMet().back());
    s["link"] = last(OpenedLinks().size(), OpenedLinks().empty() ? "" : OpenedLinks().back());
    s["refresh"] = last(Refreshes().size(), Refreshes().empty() ? "" : Hex(Refreshes().back().bits));
    s["clipboard"] = Clipboard();
    s["profile"] = Hex(Prf.opt1) + " " + Hex(Prf.po[0]) + " " + Hex(Prf.po[1]) + " " + Hex(Prf.po[2]) + " " +
                   Hex(Prf.po[3]);
    s["frames"] = std::to_string(FrameCount());
    WIN32_FILE_ATTRIBUTE_DATA cfg = {};
    if (GetFileAttributesExA((AppConfigDir() + "RAVOLT.CFG").c_str(), GetFileExInfoStandard, &cfg))
        s["config"] = Hex(((uint64_t)cfg.ftLastWriteTime.dwHighDateTime << 32) | cfg.ftLastWriteTime.dwLowDateTime) +
                      " " + std::to_string(cfg.nFileSizeLow);
    QMS *demo = AppDemo();
    s["demo"] = std::string((demo->putThread.state & 0x4) ? "connected" : "not connected") +
                ((demo->state & LST_SUSPENDED) ? " suspended" : "");
    FrameWords *f = FrameOf(window);
    if (!f)
        f = AppMain();
    if (f) {
        s["frame.flags"] = Hex(f->flags);
        s["frame.status"] = WindowText(f->status);
        s["frame.title"] = WindowText(f->window);
        s["frame.fields"] = std::string(IsWindowVisible(f->prefix) ? "prefix " : "") +
                            (IsWindowVisible(f->search) ? "search " : "") + (IsWindowVisible(f->searchQ) ? "queues " : "");
        s["frame.panes"] = std::string(f->listPane && IsWindowVisible(PCFWnd(f->listPane->window)) ? "list " : "") +
                           (f->msgPane && IsWindowVisible(PCFWnd(f->msgPane->window)) ? "message" : "");
        s["frame.lines"] = std::to_string(TreeLines(f).size());
        s["frame.searches"] = std::string(Shell.defaultSearch[0]) + "|" + Shell.defaultSearch[1];
        s["frame.searchtext"] = WindowText(f->search) + "|" + WindowText(f->searchQ);
        ObserveDialog(s, f->listPane, "listpane.");
        ObserveDialog(s, f->msgPane, "msgpane.");
    }
    ObserveDialog(s, WalkDialog(window), "dialog.");
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
