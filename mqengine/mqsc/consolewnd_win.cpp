/* The MQSC console window: a container that lays out the lines pane over
 * the input box, the pane that paints the console's reply lines (command
 * titles in the title colour, the search text marked, the found line
 * shaded) with the toolkit's scrolling, and the input box whose Enter
 * issues the console input.  The lines themselves live in the console
 * state of the dialog; the window reads them on UM_PCF_UPDATE_DIALOG and
 * on a short timer, because replies arrive on the engine's threads. */
#include "consolewnd.h"

#include <cstring>

#include "cmddlg.h"
#include "tkscroll.h"

#define CONSOLE_CLASS "RavoltMQSCConsole"
#define PANE_CLASS "RavoltMQSCLines"

enum { ID_PANE = 1, ID_INPUT = PCFC_HISTORY };
enum { POLL_TIMER = 1, POLL_MS = 200 };
enum { INPUT_HEIGHT = 200, MARGIN = 2 };

static const COLORREF TitleColour = RGB(0, 0, 160);
static const COLORREF MarkColour = RGB(255, 255, 0);
static const COLORREF FoundColour = RGB(224, 232, 255);

/* The window's state (GWLP_USERDATA of the container). */
struct CONSOLEWND {
    HWND hwnd, pane, input, inputEdit;
    DialogWords *dialog;
    const PCFActionDef *action;
    HFONT font, bold;
    int charWidth, lineHeight, inputHeight;
    ScrollState v;
    int32_t lines;                   /* lines when last read */
    int32_t top, found;              /* the console's, when last read */
    uint32_t inputs;                 /* the console's inputs taken, when last read */
    WNDPROC editProc;
};

static CONSOLEWND *StateOf(HWND container)
{
    return (CONSOLEWND *)GetWindowLongPtrA(container, GWLP_USERDATA);
}

/* ---- reading the console ---- */

/* The pane's size told to the console: characters per line, lines shown. */
static void TellSize(CONSOLEWND *w)
{
    MQSCCONSOLE *c = MQSCConsoleOf(w->dialog);
    RECT rc;
    GetClientRect(w->pane, &rc);
    if (!c || !w->lineHeight)
        return;
    c->lineWidth = (uint32_t)(rc.right > 2 * MARGIN ? rc.right - 2 * MARGIN : 0);
    c->charWidth = (uint32_t)w->charWidth;
    c->visibleLines = rc.bottom / w->lineHeight;
    w->v.page = (uint16_t)(c->visibleLines > 0 ? c->visibleLines : 1);
}

/* New lines, a search or a "cls": the scroll range and the top line
 * follow the console. */
static void Sync(CONSOLEWND *w)
{
    MQSCCONSOLE *c = MQSCConsoleOf(w->dialog);
    if (!c)
        return;
    int32_t n = MQSCLineCount(c);
    int atEnd = w->v.position + (int32_t)w->v.page >= w->lines;
    int changed = n != w->lines || c->topLine != w->top || c->foundLine != w->found;
    if (!changed)
        return;
    int searched = c->topLine != w->top || c->foundLine != w->found;
    w->lines = n;
    w->v.total = n;
    w->v.needed = n > (int32_t)w->v.page;
    if (searched)
        w->v.position = c->topLine < n ? c->topLine : 0;
    else if (atEnd && n > (int32_t)w->v.page)
        w->v.position = n - (int32_t)w->v.page;       /* keep showing the newest replies */
    if (w->v.position > n)
        w->v.position = 0;
    ScrollUpdateBars(w->pane, nullptr, &w->v, 2);
    c->topLine = w->v.position;
    w->top = c->topLine;
    w->found = c->foundLine;
    InvalidateRect(w->pane, nullptr, TRUE);
}

/* The input box's list: the command history, the typed text kept. */
static void FillHistory(CONSOLEWND *w)
{
    FillHistoryCombo(w->dialog->first.location, w->input);
}

/* An input taken (by Enter here, or by the dialog's Execute): the box
 * shows what the console kept of it, the list the history with it. */
static void Taken(CONSOLEWND *w)
{
    MQSCCONSOLE *c = MQSCConsoleFind(w->dialog);
    if (!c || c->inputs == w->inputs)
        return;
    w->inputs = c->inputs;
    FillHistory(w);
    SetWindowTextA(w->input, c->input);
    SendMessageA(w->inputEdit, EM_SETSEL, 0, -1);
}

/* The box's text as the console's input, so that every way of issuing
 * it (Enter, Execute, F5) sends what the user sees. */
static void Typed(CONSOLEWND *w, int selected)
{
    MQSCCONSOLE *c = MQSCConsoleOf(w->dialog);
    if (!c)
        return;
    LRESULT i = selected ? SendMessageA(w->input, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (i != CB_ERR && SendMessageA(w->input, CB_GETLBTEXTLEN, (WPARAM)i, 0) < (LRESULT)sizeof c->input)
        SendMessageA(w->input, CB_GETLBTEXT, (WPARAM)i, (LPARAM)c->input);
    else
        GetWindowTextA(w->input, c->input, (int)sizeof c->input);
}

/* Enter: the input issued. */
static void Issue(CONSOLEWND *w)
{
    Typed(w, 0);
    IssueMQSC(w->dialog, w->action);
    Taken(w);
    Sync(w);
}

/* ---- the lines pane ---- */

/* One line: marks of the search text behind it, then the text. */
static void PaintLine(HDC dc, CONSOLEWND *w, const char *text, uint32_t type, int y, int width, int found,
                      const char *search)
{
    RECT row = { 0, y, width, y + w->lineHeight };
    if (found) {
        HBRUSH b = CreateSolidBrush(FoundColour);
        FillRect(dc, &row, b);
        DeleteObject(b);
    }
    size_t n = strlen(text), s = strlen(search);
    for (const char *p = s ? strstr(text, search) : nullptr; p; p = strstr(p + s, search)) {
        RECT mark = { MARGIN + (int)(p - text) * w->charWidth, y, MARGIN + (int)(p - text + s) * w->charWidth,
                      y + w->lineHeight };
        HBRUSH b = CreateSolidBrush(MarkColour);
        FillRect(dc, &mark, b);
        DeleteObject(b);
    }
    HGDIOBJ old = SelectObject(dc, type == ML_TITLE ? w->bold : w->font);
    SetTextColor(dc, type == ML_TITLE ? TitleColour : GetSysColor(COLOR_WINDOWTEXT));
    TextOutA(dc, MARGIN, y, text, (int)n);
    SelectObject(dc, old);
}

static void PanePaint(HWND hwnd, CONSOLEWND *w, HDC given)
{
    PAINTSTRUCT ps;
    HDC dc = given ? given : BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
    MQSCCONSOLE *c = MQSCConsoleFind(w->dialog);
    SetBkMode(dc, TRANSPARENT);
    char text[2048];
    uint32_t type;
    for (int32_t i = 0; c && w->lineHeight && i * w->lineHeight < rc.bottom; i++) {
        int32_t line = w->v.position + i;
        if (!MQSCLineText(c, line, text, sizeof text, &type))
            break;
        PaintLine(dc, w, text, type, i * w->lineHeight, rc.right, line == c->foundLine, c->search);
    }
    if (!given)
        EndPaint(hwnd, &ps);
}

static LRESULT CALLBACK PaneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CONSOLEWND *w = StateOf(GetParent(hwnd));
    switch (msg) {
    case WM_PAINT:
        if (w)
            PanePaint(hwnd, w, nullptr);
        else
            ValidateRect(hwnd, nullptr);
        return 0;
    case WM_PRINTCLIENT:
        if (w)
            PanePaint(hwnd, w, (HDC)wp);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        if (w) {
            ScrollMessage(hwnd, nullptr, &w->v, msg, wp, lp);
            MQSCCONSOLE *c = MQSCConsoleFind(w->dialog);
            if (c)
                c->topLine = w->top = w->v.position;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (w)
            SetFocus(w->input);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- the input box ---- */

/* Enter in the box's edit issues the input (its WM_CHAR is swallowed);
 * the box asks for Enter, so that the program's keyboard leaves it here. */
static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    HWND container = GetParent(GetParent(hwnd));
    CONSOLEWND *w = StateOf(container);
    if (w && msg == WM_GETDLGCODE) {
        const MSG *key = (const MSG *)lp;
        LRESULT code = CallWindowProcA(w->editProc, hwnd, msg, wp, lp);
        return key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN ? code | DLGC_WANTMESSAGE : code;
    }
    if (w && msg == WM_KEYDOWN && wp == VK_RETURN && !SendMessageA(w->input, CB_GETDROPPEDSTATE, 0, 0)) {
        Issue(w);
        return 0;
    }
    if (msg == WM_CHAR && wp == '\r')
        return 0;
    return w ? CallWindowProcA(w->editProc, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- the container ---- */

static void Layout(CONSOLEWND *w)
{
    RECT rc;
    GetClientRect(w->hwnd, &rc);
    int paneHeight = rc.bottom - w->inputHeight - MARGIN;
    MoveWindow(w->pane, 0, 0, rc.right, paneHeight > 0 ? paneHeight : 0, TRUE);
    MoveWindow(w->input, 0, rc.bottom - w->inputHeight, rc.right, INPUT_HEIGHT, TRUE);
    TellSize(w);
    ScrollSizeChanged(w->pane, nullptr, &w->v);
    w->lines = -1;
    Sync(w);
}

/* The fixed font, its bold form and their measures. */
static void MakeFonts(CONSOLEWND *w)
{
    LOGFONTA lf = {};
    GetObjectA(GetStockObject(ANSI_FIXED_FONT), sizeof lf, &lf);
    w->font = CreateFontIndirectA(&lf);
    lf.lfWeight = FW_BOLD;
    w->bold = CreateFontIndirectA(&lf);
    HDC dc = GetDC(w->hwnd);
    HGDIOBJ old = SelectObject(dc, w->font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(w->hwnd, dc);
    w->charWidth = tm.tmAveCharWidth > 0 ? tm.tmAveCharWidth : 8;
    w->lineHeight = tm.tmHeight + tm.tmExternalLeading;
    w->v.unit = (uint16_t)w->lineHeight;
}

/* The input box: the dialog's history combo box, laid out here under the
 * lines; a box of its own for a dialog without one. */
static HWND TakeInput(CONSOLEWND *w, HINSTANCE inst)
{
    HWND combo = (HWND)w->dialog->historyCombo;
    if (combo && SetParent(combo, w->hwnd))
        return combo;
    return CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN |
                           CBS_AUTOHSCROLL, 0, 0, 0, INPUT_HEIGHT, w->hwnd, (HMENU)(intptr_t)ID_INPUT, inst, nullptr);
}

static int Create(HWND hwnd, CREATESTRUCTA *cs)
{
    CONSOLEWND *w = (CONSOLEWND *)cs->lpCreateParams;
    w->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)w);
    MakeFonts(w);
    HINSTANCE inst = cs->hInstance;
    w->pane = CreateWindowExA(WS_EX_CLIENTEDGE, PANE_CLASS, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, 0, 0, hwnd,
                              (HMENU)(intptr_t)ID_PANE, inst, nullptr);
    w->input = TakeInput(w, inst);
    if (!w->pane || !w->input) {
        DeleteObject(w->font);
        DeleteObject(w->bold);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        return -1;                   /* the caller frees the state */
    }
    SendMessageA(w->input, WM_SETFONT, (WPARAM)w->font, 0);
    SendMessageA(w->input, CB_LIMITTEXT, MQSC_INPUT_SIZE, 0);
    RECT rc;
    GetWindowRect(w->input, &rc);
    w->inputHeight = rc.bottom - rc.top;
    w->inputEdit = FindWindowExA(w->input, nullptr, "Edit", nullptr);
    if (w->inputEdit)
        w->editProc = (WNDPROC)SetWindowLongPtrA(w->inputEdit, GWLP_WNDPROC, (LONG_PTR)EditProc);
    w->v.flags = SCROLL_DISABLENOSCROLL;
    FillHistory(w);
    SetTimer(hwnd, POLL_TIMER, POLL_MS, nullptr);
    return 0;
}

static void Destroy(HWND hwnd, CONSOLEWND *w)
{
    KillTimer(hwnd, POLL_TIMER);
    if (w->inputEdit && w->editProc)
        SetWindowLongPtrA(w->inputEdit, GWLP_WNDPROC, (LONG_PTR)w->editProc);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DeleteObject(w->font);
    DeleteObject(w->bold);
    delete w;
}

static LRESULT CALLBACK ConsoleProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CONSOLEWND *w = StateOf(hwnd);
    switch (msg) {
    case WM_CREATE:
        return Create(hwnd, (CREATESTRUCTA *)lp);
    case WM_SIZE:
        if (w)
            Layout(w);
        return 0;
    case WM_TIMER:
    case UM_PCF_UPDATE_DIALOG:
        if (w) {
            Taken(w);
            Sync(w);
        }
        return 0;
    case WM_COMMAND:
        if (w && LOWORD(wp) == ID_INPUT && (HIWORD(wp) == CBN_EDITCHANGE || HIWORD(wp) == CBN_SELCHANGE))
            Typed(w, HIWORD(wp) == CBN_SELCHANGE);
        else if (w && LOWORD(wp) == ID_INPUT && HIWORD(wp) == CBN_DROPDOWN)
            FillHistory(w);
        return 0;
    case WM_SETFOCUS:
        if (w)
            SetFocus(w->input);
        return 0;
    case WM_DESTROY:
        if (w)
            Destroy(hwnd, w);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static int Register(HINSTANCE inst)
{
    static int done;
    if (done)
        return 1;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ConsoleProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = CONSOLE_CLASS;
    if (!RegisterClassA(&wc))
        return 0;
    wc.lpfnWndProc = PaneProc;
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_IBEAM);
    wc.hbrBackground = nullptr;
    wc.lpszClassName = PANE_CLASS;
    if (!RegisterClassA(&wc))
        return 0;
    done = 1;
    return 1;
}

HWND MQSCConsoleWindow(HWND parent, DialogWords *dialog, const PCFActionDef *action, int id)
{
    HINSTANCE inst = GetModuleHandleA(nullptr);
    if (!dialog || !Register(inst) || !MQSCConsoleOf(dialog))
        return nullptr;
    CONSOLEWND *w = new CONSOLEWND();
    w->dialog = dialog;
    w->action = action;
    w->lines = -1;
    w->found = -1;
    HWND hwnd = CreateWindowExA(0, CONSOLE_CLASS, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                                (HMENU)(intptr_t)id, inst, w);
    if (!hwnd)
        delete w;
    return hwnd;
}

HWND MQSCConsoleInput(HWND console)
{
    CONSOLEWND *w = StateOf(console);
    return w ? w->input : nullptr;
}

HWND MQSCConsolePane(HWND console)
{
    CONSOLEWND *w = StateOf(console);
    return w ? w->pane : nullptr;
}
