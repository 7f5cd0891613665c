/* The keyboard of command dialogs: Tab and Shift+Tab visit the dialog's
 * windows by their place on the screen (and the field pane line by
 * line), wrapping at the ends; the program's message loop hands Tab,
 * Return, F5, Ctrl+Home/End and Alt-characters to the command dialog of
 * either class that owns the focus. */
#include "pcfwin.h"

#include "cs.h"
#include "tkwin.h"

#define CANDIDATES 30

/* ---- window order ---- */

struct Candidates {
    HWND focus;
    HWND windows[CANDIDATES];
    PCFTABRECT rects[CANDIDATES];
    int n;
};

static void Add(Candidates *c, HWND w, int focused)
{
    if (c->n >= CANDIDATES)
        return;
    RECT r;
    GetWindowRect(w, &r);
    c->windows[c->n] = w;
    c->rects[c->n] = { r.left, r.top, r.right, r.bottom, focused, 0 };
    c->n++;
}

static BOOL CALLBACK Collect(HWND w, LPARAM lp)
{
    Candidates *c = (Candidates *)lp;
    LONG style = GetWindowLongA(w, GWL_STYLE);
    if (w == c->focus || !(style & WS_TABSTOP) || !IsWindowVisible(w) || !IsWindowEnabled(w) ||
        (c->focus && IsChild(w, c->focus)))
        return TRUE;
    Add(c, w, 0);
    return c->n < CANDIDATES;
}

HWND TabFirstWindowByPosition(HWND dialog, int forward, int fromEnd)
{
    Candidates c = {};
    c.focus = GetFocus();
    if (c.focus && c.focus != dialog && IsChild(dialog, c.focus))
        Add(&c, c.focus, 1);
    else
        c.focus = nullptr;
    EnumChildWindows(dialog, Collect, (LPARAM)&c);
    /* the rectangles are sorted in place: keep the windows alongside */
    PCFTABRECT sorted[CANDIDATES];
    memcpy(sorted, c.rects, sizeof(PCFTABRECT) * (size_t)c.n);
    for (int i = 0; i < c.n; i++)
        sorted[i].holdsFocus = i;            /* the index travels in a spare field */
    int pick = PCFTabOrderPick(sorted, c.n, forward, fromEnd);
    if (pick < 0)
        return dialog;
    HWND w = c.windows[sorted[pick].holdsFocus];
    SetFocus(w);
    return w;
}

/* ---- Tab ---- */

static int InEditor(DialogWords *d, HWND focus)
{
    HWND editor = PCFWnd(d->valueWindow);
    return editor && focus && (focus == editor || IsChild(editor, focus));
}

HWND TabWindowByPosition(HWND dialog, int, int forward, int fromEnd)
{
    DialogWords *d = PCFDialogOf(dialog);
    if (!d)
        return nullptr;
    HWND focus = GetFocus();
    int inEditor = InEditor(d, focus);
    if (focus && focus == PCFWnd(d->tabWindow) && forward) {
        PCFFocusFields(d, 1);
        return GetFocus();
    }
    if (inEditor && !fromEnd && PCFStepField(d, forward, 0))
        return GetFocus();
    /* past either end of a list dialog's fields the pane hands the focus
       to the list, as its own Tab does */
    if (inEditor && !fromEnd && d->splitList) {
        SendMessageA(dialog, forward ? LBM_TAB : LBM_BACKTAB, 0, (LPARAM)PCFWnd(d->fieldWindow));
        return GetFocus();
    }
    HWND reached = TabFirstWindowByPosition(dialog, forward, fromEnd);
    if (!forward && reached == PCFWnd(d->tabWindow) &&
        !(d->valueWindow && IsWindowVisible(PCFWnd(d->valueWindow)))) {
        PCFFocusFields(d, 0);
        return GetFocus();
    }
    HWND now = GetFocus();
    if (now == focus && !inEditor) {
        if (fromEnd)
            return now;
        TabFirstWindowByPosition(dialog, !forward, 1);
        now = GetFocus();
    }
    if (InEditor(d, now) && (!inEditor || now == focus))
        PCFStepField(d, fromEnd ? forward : !forward, 1);
    return GetFocus();
}

/* ---- the command target and the message loop's keys ---- */

DialogWords *GetCommandTarget(void)
{
    char cls[32];
    /* parents only: a pop-up the dialog owns (a column filter) keeps its keys */
    for (HWND w = GetFocus(); w; w = GetAncestor(w, GA_PARENT)) {
        if (!GetClassNameA(w, cls, sizeof cls))
            return nullptr;
        if (strcmp(cls, PCF_CLASS_CHILD) == 0 || strcmp(cls, PCF_CLASS_COMMAND) == 0)
            return PCFDialogOf(w);
        if (strcmp(cls, "ZKTSELECTIONBOX") == 0)
            return nullptr;
    }
    return nullptr;
}

/* A frame's message pane (a message dialog made as a child of its frame,
 * or in a window of its caller) handles these keys in its editor itself. */
static int MessagePane(const DialogWords *d)
{
    return (d->optionFlags & (DO_IN_CALLER_WINDOW | DO_CHILD)) && d->definition && !d->definition->list &&
           (d->definition->flags & PCFD_MSGDIALOG);
}

/* A control that takes the key itself (an input box that runs what is
 * typed into it) asks for it, as it would ask a dialog box. */
static int WantsKey(const MSG *msg)
{
    HWND focus = GetFocus();
    return focus && (SendMessageA(focus, WM_GETDLGCODE, msg->wParam, (LPARAM)msg) & DLGC_WANTMESSAGE);
}

/* Escape in a dialog window of its own (not a frame's pane) is Cancel,
 * unless it closes a dropped-down list. */
static int Escape(HWND dialog, int down)
{
    if ((GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) || WinDroppedCombo(GetFocus()))
        return 0;
    if (down)
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 1;
}

int PCFTranslateKey(const MSG *msg)
{
    if (msg->message == WM_SYSCHAR) {
        DialogWords *d = GetCommandTarget();
        return d && PCFIssueAction(d, (char)msg->wParam) >= 0;
    }
    if (msg->message != WM_KEYDOWN && msg->message != WM_CHAR)
        return 0;
    DialogWords *d = GetCommandTarget();
    if (!d)
        return 0;
    HWND dialog = PCFWnd(d->window);
    int down = msg->message == WM_KEYDOWN, ctrl = GetKeyState(VK_CONTROL) < 0;
    if (msg->wParam == VK_F5 && down) {
        PCFIssueDefaultAction(nullptr, d, nullptr);
        return 1;
    }
    if (MessagePane(d))
        return 0;
    if (msg->wParam == VK_ESCAPE && down)
        return Escape(dialog, down);
    switch (msg->wParam) {
    case VK_TAB:
        if (down)
            TabWindowByPosition(dialog, 1, GetKeyState(VK_SHIFT) >= 0, ctrl);
        return 1;
    case VK_RETURN:
        if (WantsKey(msg))
            return 0;
        if (down)
            PCFIssueDefaultAction(nullptr, d, nullptr);
        return 1;
    case VK_END: case VK_HOME:
        if (!down || !ctrl)
            return 0;
        TabWindowByPosition(dialog, 1, msg->wParam == VK_END, 1);
        return 1;
    }
    return 0;
}
