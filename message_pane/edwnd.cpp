/* The "PCFData" window: the message editor pane of a message dialog.
 * Its state is the dialog's PCFDATA; this file turns window messages into
 * the pane's operations (keys, mouse, scrolling, sizing, fonts, reloads)
 * and serves the pane's host hooks (repaints, caret, scroll bar, status
 * line, questions) from the window. */
#include "edwnd.h"
#include "edops.h"
#include "prfdata.h"
#include "tkscroll.h"
#include "tktoolbar.h"
#include "tkutil.h"
#include "tkwin.h"
#include "tkcontrols.h"
#include "confirm.h"
#include "userfmt.h"
#include <cstddef>
#include <cstdio>
#include <windowsx.h>
#include <algorithm>

static_assert(sizeof(EdScroll) == sizeof(ScrollState), "the scroll record is a ScrollState");
static_assert(offsetof(EdScroll, top) == offsetof(ScrollState, position), "top line");
static_assert(offsetof(EdScroll, lineCount) == offsetof(ScrollState, total), "line count");
static_assert(offsetof(EdScroll, visible) == offsetof(ScrollState, page), "visible lines");
static_assert(offsetof(EdScroll, lineHeight) == offsetof(ScrollState, unit), "line height");

static PCFDATA *panes;                 /* the open panes, newest first */
static int caretWidth, caretHeight;    /* the caret last made */

static PCFDATA *State(HWND hwnd) { return (PCFDATA *)GetWindowLongPtrA(hwnd, GWLP_USERDATA); }
static HWND Window(const PCFDATA *ed) { return (HWND)ed->window; }
static ScrollState *Scroll(PCFDATA *ed) { return reinterpret_cast<ScrollState *>(&ed->scroll); }

PCFDATA *EdFirstPane(void) { return panes; }
PCFDATA *EdNextPane(PCFDATA *ed) { return ed ? ed->nextPane : nullptr; }
HFONT EdPaneFont(PCFDATA *ed) { return (HFONT)ed->font; }
void EdCaretShape(int *width, int *height) { *width = caretWidth; *height = caretHeight; }

/* ---- caret ---- */

void EdCreateCaret(HWND hwnd, PCFDATA *ed)
{
    int w, h;
    switch (ed->caretKind) {
    case 1:
        w = ed->charWidth, h = 0;                     /* an underline */
        break;
    case 2:
        if (ed->insertMode)
            w = (Prf.po[3] & PO4_WIDE_CURSOR) ? 2 : 0, h = ed->charHeight;
        else
            w = ed->charWidth, h = ed->charHeight / 2;
        break;
    default:
        return;
    }
    caretWidth = w ? w : GetSystemMetrics(SM_CXBORDER);
    caretHeight = h ? h : GetSystemMetrics(SM_CYBORDER);
    CreateCaret(hwnd, NULL, w, h);
    EdSetCaretPos(hwnd, ed, EdCachedLine(ed, ed->cursor.line));
    ShowCaret(hwnd);
}

void EdSetCaretPos(HWND hwnd, PCFDATA *ed, const LINEDATA *line)
{
    (void)hwnd;
    int cell = line ? edHost.cellWidth(ed, line->ccsid) : ed->charWidth;
    int lh = ed->scroll.lineHeight;
    int y = (ed->cursor.line - ed->scroll.top) * lh + (lh - ed->charHeight) / 2;
    if (ed->caretKind == 1)
        y += ed->charHeight - caretHeight;
    else if (ed->caretKind == 2 && !ed->insertMode)
        y += ed->charHeight - caretHeight;
    SetCaretPos(ed->cursor.column * cell, y);
}

void EdInvalidate(HWND hwnd, PCFDATA *ed, int32_t first, int32_t last)
{
    int32_t lh = ed->scroll.lineHeight, top = ed->scroll.top;
    if (!hwnd || lh <= 0)
        return;
    if (last < 0)
        last = top + ed->scroll.visible;
    if (first > last)
        std::swap(first, last);
    if (last < top || first > top + ed->scroll.visible + 1)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    RECT r = { 0, (first - top) * lh, client.right, (last - top + 1) * lh };
    if (r.top < 0)
        r.top = 0;
    InvalidateRect(hwnd, &r, FALSE);
}

/* ---- the host hooks ---- */

static int KeyDown(int key) { return GetKeyState(key) < 0; }
static void HostInvalidate(PCFDATA *ed, int32_t first, int32_t last) { EdInvalidate(Window(ed), ed, first, last); }
static void HostScrollTo(PCFDATA *ed, int32_t line)
{
    if (Window(ed))
        ScrollIntoView(Window(ed), Scroll(ed), 1, line, 1, NULL);
    else
        EdSetTop(ed, line);
}
static void HostScrollBars(PCFDATA *ed)
{
    if (Window(ed))
        ScrollSizeChanged(Window(ed), NULL, Scroll(ed));
}
static void HostPlaceCaret(PCFDATA *ed)
{
    if (Window(ed) && GetFocus() == Window(ed))
        EdSetCaretPos(Window(ed), ed, EdCachedLine(ed, ed->cursor.line));
}
static void HostRecreateCaret(PCFDATA *ed)
{
    if (!Window(ed) || GetFocus() != Window(ed))
        return;
    DestroyCaret();
    EdCreateCaret(Window(ed), ed);
}
static int HostCellWidth(PCFDATA *ed, uint32_t ccsid)
{
    CPSETTING *cp = CSGetCodepageSetting((int)ccsid, Window(ed), ed->font, nullptr);
    return cp && cp->cellWidth > 0 ? cp->cellWidth : ed->charWidth;
}
static void HostStatus(DialogWords *d, const char *text, int mode) { EdDialogStatus(d, text, mode); }
static void HostCount(DialogWords *d) { EdDialogCount(d); }
static void HostBrowse(DialogWords *d) { EdDialogBrowseState(d); }
static int HostConfirm(DialogWords *d, const char *question, uint32_t *option, uint32_t bit)
{
    return WinConfirm(d ? (HWND)d->window : NULL, 0, question, nullptr, option, bit);
}
static void HostMissing(PCFDATA *ed, uint32_t ccsid)
{
    if (Window(ed))
        PostMessageA(Window(ed), UM_PANE_NOTICE, ccsid, 0);
}
static void HostCaption(PCFDATA *ed, const char *text)
{
    HWND top = Window(ed) ? GetAncestor(Window(ed), GA_ROOT) : NULL;
    if (top)
        SetWindowTextA(top, text);
}
static void HostView(DialogWords *d, int id) { EdDialogView(d, id); }
static void HostPost(DialogWords *d, uintptr_t wp, intptr_t lp)
{
    if (d && d->window)
        PostMessageA((HWND)d->window, UM_PCF_UPDATE_DIALOG, wp, lp);
}
static void HostCheck(DialogWords *d, int id, int on)
{
    if (d && d->menu)
        CheckMenuItem((HMENU)d->menu, (UINT)id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}
static void HostButton(DialogWords *d, int id, int on)
{
    if (d && d->toolbar)
        TbSetButtonState((HWND)d->toolbar, id, on);
}
static void HostContext(DialogWords *d) { EdDialogContextTexts(d); }
static void HostSound(void) { WinPlaySound(Prf.wsnd, 0, 0); }

/* ---- messages ---- */

/* WM_CREATE: the dialog takes the program-wide view words and put context. */
static LRESULT OnCreate(HWND hwnd, const CREATESTRUCTA *cs)
{
    PCFDATA *ed = (PCFDATA *)cs->lpCreateParams;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)ed);
    ed->window = hwnd;
    ed->format = EdFormatMessage;
    ed->scroll.flags |= SCROLL_DISABLENOSCROLL;   /* a bar that comes and goes would change the width */
    ed->nextPane = panes;
    panes = ed;
    if (DialogWords *d = ed->dialog) {
        d->dataWindow = hwnd;
        d->viewWords[0] = (Prf.msgFlags & ~0xFFu) | (uint32_t)(Prf.msgFormat > 0 ? Prf.msgFormat : 1);
        d->viewWords[1] = Prf.msgFlags2;
        d->addContext = Prf.iactx;
        d->updateContext = Prf.iuctx;
        d->viewSwitches[1] = 1;
        ToggleViewOption(d, &d->viewWords[0], &d->viewWords[1], 0);
        SetViewModeOption(d, 0);
    }
    SendMessageA(hwnd, UM_PANE_NEWFONT, 0, 0);
    return 0;
}

static void OnDestroy(PCFDATA *ed)
{
    for (PCFDATA **p = &panes; *p; p = &(*p)->nextPane)
        if (*p == ed) {
            *p = ed->nextPane;
            break;
        }
    if (ed->font)
        DeleteObject((HFONT)ed->font);
    ed->font = nullptr;
    ed->window = nullptr;
}

/* The pane's font from the program's settings, and its metrics. */
static void OnNewFont(HWND hwnd, PCFDATA *ed)
{
    const PRFFONT *f = &Prf.npfont;
    BYTE charset = (Prf.po[0] & PO1_OEM_CHARSET) ? OEM_CHARSET : (BYTE)f->charSet;
    HFONT font = CreateFontA(f->height ? f->height : -13, 0, 0, 0, FW_NORMAL, 0, 0, 0, charset,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FIXED_PITCH | FF_MODERN, f->face[0] ? f->face : "Courier New");
    if (!font)
        return;
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    if (ed->font)
        DeleteObject((HFONT)ed->font);
    ed->font = font;
    ed->charWidth = (int16_t)tm.tmAveCharWidth;
    ed->charHeight = (int16_t)(tm.tmHeight + tm.tmExternalLeading);
    ed->scroll.lineHeight = (uint16_t)(ed->charHeight + (ed->dialog ? ed->dialog->lineGap : 0));
    ed->scroll.visible = (uint16_t)(ed->scroll.lineHeight ? ed->height / ed->scroll.lineHeight : 0);
    for (uint32_t ccsid : { 850u, 500u, 437u, 1208u, 819u, 37u })
        if (CPSETTING *cp = CSGetCodepageSetting((int)ccsid, nullptr, nullptr, nullptr))
            cp->cellWidth = 0;            /* measured again with the new font */
    PostMessageA(hwnd, UM_PCF_UPDATE_DIALOG, 0, 2);
}

static void OnSize(HWND hwnd, PCFDATA *ed, int width, int height)
{
    if (ed->scroll.lineHeight == 0)
        return;
    int oldWidth = ed->width;
    ed->width = width;
    ed->height = height;
    ed->scroll.visible = (uint16_t)(height / ed->scroll.lineHeight);
    if (width == oldWidth)
        ScrollSizeChanged(hwnd, NULL, Scroll(ed));
    else
        PostMessageA(hwnd, UM_PCF_UPDATE_DIALOG, 0, 2);
}

/* The line under a client y (lines above the window are negative). */
static int32_t LineAt(PCFDATA *ed, int y)
{
    int lh = ed->scroll.lineHeight ? ed->scroll.lineHeight : 1;
    return ed->scroll.top + (y >= 0 ? y / lh : -((-y + lh - 1) / lh));
}

static void OnButtonDown(HWND hwnd, PCFDATA *ed, int x, int y)
{
    ed->editFlags &= ~EF_HALF_BYTE;
    int32_t line = LineAt(ed, y);
    EdBeginUndoGroup(ed);
    EdMoveCursor(ed, 1, 0, MC_GOTO, EdColumnFromX(ed, line, x), line);
    EdEndUndoGroup(ed, 1);
    ed->capturing = 1;
    SetFocus(hwnd);
    SetCapture(hwnd);
}

static void OnMouseMove(HWND hwnd, PCFDATA *ed, int x, int y)
{
    if (ed->editFlags & EF_ENUM_OPEN)
        return;
    int32_t line = LineAt(ed, y);
    if (ed->capturing) {
        EdMoveCursor(ed, 0, 0, MC_GOTO, EdColumnFromX(ed, line, x), line);
        return;
    }
    if (!ed->hoverTracking) {
        TRACKMOUSEEVENT t = { sizeof t, TME_LEAVE, hwnd, 0 };
        ed->hoverTracking = TrackMouseEvent(&t) != 0;
    }
    if (line != ed->listLine)
        EdHoverSelectionBox(ed, line);
}

static void OnMouseLeave(PCFDATA *ed)
{
    ed->hoverTracking = 0;
    if (ed->editFlags & EF_ENUM_OPEN)
        return;
    POINT p;
    GetCursorPos(&p);
    if (ed->selectionBox && WindowFromPoint(p) != (HWND)ed->selectionBox) {
        HideSelectionBox((HWND)ed->selectionBox);
        ed->listLine = -1;
    }
}

/* 10004: a new message (bit 0) or new lines (bit 1). */
static void OnUpdate(HWND hwnd, PCFDATA *ed, LPARAM lp)
{
    EdSettleCommand(ed->dialog);
    if (lp & 1) {
        EdReload(ed);
        if (ed->dialog)
            SetFrameTitle(ed->dialog);
    }
    if (ed->editFlags & EF_KEEP_FOCUS)
        ed->editFlags &= ~EF_KEEP_FOCUS;
    else if (lp & 1)
        SetFocus(hwnd);
    EdBuildLineData(ed, (int)(lp & 3));
    HostPlaceCaret(ed);
    EdDebugState(ed);
}

/* The code page notice, after the run that met the code page. */
static void OnNotice(HWND hwnd, uint32_t ccsid)
{
    char text[300];
    snprintf(text, sizeof text,
             "This message uses codepage %d which does not appear to be installed.\n\nIdeally you should "
             "install support for this codepage on this machine. Alternatively edit this message in HEX "
             "or after MQ has converted it.", CSCcsidToCodepage((int)ccsid));
    UtilMessageBox(hwnd, text, "Codepage Missing", MB_ICONINFORMATION | MB_OK);
}

static LRESULT OnScroll(HWND hwnd, PCFDATA *ed, UINT msg, WPARAM wp, LPARAM lp)
{
    ed->scrolling = 1;
    ScrollMessage(hwnd, NULL, Scroll(ed), msg, wp, lp);
    ed->scrolling = 0;
    HostPlaceCaret(ed);
    return 0;
}

LRESULT CALLBACK PCFDataProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    PCFDATA *ed = State(hwnd);
    if (!ed && msg != WM_CREATE)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE: return OnCreate(hwnd, (const CREATESTRUCTA *)lp);
    case WM_NCDESTROY:
        OnDestroy(ed);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        break;
    case WM_SIZE: OnSize(hwnd, ed, LOWORD(lp), HIWORD(lp)); return 0;
    case WM_SETFOCUS: EdCreateCaret(hwnd, ed); return 0;
    case WM_KILLFOCUS: DestroyCaret(); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        EdPaintLines(ed, dc, &ps.rcPaint);
        EndPaint(hwnd, &ps);
        EdDebugState(ed);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT all;
        GetClientRect(hwnd, &all);
        EdPaintLines(ed, (HDC)wp, &all);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_KEYDOWN: EdKeyDown(ed, (int)wp); return 0;
    case WM_CHAR:
        if (EdCharProc(ed, (int)wp))
            return 0;
        break;
    case WM_VSCROLL: case WM_MOUSEWHEEL: return OnScroll(hwnd, ed, msg, wp, lp);
    case WM_MOUSEMOVE: OnMouseMove(hwnd, ed, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_LBUTTONDOWN: OnButtonDown(hwnd, ed, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_LBUTTONUP:
        if (ed->capturing) {
            ed->capturing = 0;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED: ed->capturing = 0; return 0;
    case WM_LBUTTONDBLCLK: return 0;              /* the frame's edit panel: the shell's */
    case WM_MOUSELEAVE: OnMouseLeave(ed); return 0;
    case 6033: EdApplyEnumChoice(ed); ed->editFlags &= ~EF_ENUM_OPEN; return 0;
    case 6034: EdShowEnumList(ed); return 0;
    case 6035: ed->editFlags &= ~EF_ENUM_OPEN; return 0;
    case UM_PCF_UPDATE_DIALOG: OnUpdate(hwnd, ed, lp); return 0;
    case UM_PCF_REPLY_DONE: EdCommandDone(ed->dialog, (uint32_t)lp); return 0;
    case UM_PANE_REFORMAT:
        EdBuildLineData(ed, 1);
        HostPlaceCaret(ed);
        EdDebugState(ed);
        return 0;
    case UM_PANE_NEWFONT: OnNewFont(hwnd, ed); return 0;
    case UM_PANE_NOTICE: OnNotice(hwnd, (uint32_t)wp); return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* The user formats were loaded again: every open pane formats its
 * message anew, counting its lines again, so that no line or position
 * keeps a definition of the set that is freed after this walk. */
static void ReformatPanes(void *)
{
    for (PCFDATA *ed = EdFirstPane(); ed; ed = EdNextPane(ed)) {
        ed->counted.valid = 0;
        SendMessageA(Window(ed), UM_PANE_REFORMAT, 0, 0);
    }
}

void EdUsePaneHost(void)
{
    UFSetReformatWalk(ReformatPanes, nullptr);
    edHost = EdHost{ KeyDown, HostInvalidate, HostScrollTo, HostScrollBars, HostPlaceCaret,
                     HostRecreateCaret, HostCellWidth, HostStatus, HostCount, HostBrowse, HostConfirm,
                     HostMissing, HostCaption, HostView, HostPost, HostCheck, HostButton, HostContext,
                     HostSound, EdDialogFetchWhole };
}

int EdRegisterPaneClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    if (GetClassInfoA(instance, PCFDATA_CLASS, &wc))
        return 1;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = PCFDataProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_IBEAM);
    wc.lpszClassName = PCFDATA_CLASS;
    return RegisterClassA(&wc) != 0;
}

HWND EdCreatePaneWindow(DialogWords *d, HWND parent, PCFDATA *ed)
{
    HWND hwnd = CreateWindowExA(0, PCFDATA_CLASS, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL |
                                WS_TABSTOP, 0, 0, 0, 0, parent, (HMENU)(INT_PTR)PANE_ID,
                                GetModuleHandleA(NULL), ed);
    if (!hwnd) {
        WinOpError("CreateWindow failed: Data window");
        return NULL;
    }
    if (d)
        d->dataWindow = hwnd;
    return hwnd;
}
