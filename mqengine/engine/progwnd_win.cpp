/* DLG_PROGRESS, the progress window of a long operation: counts, rates,
 * a bar, elapsed and remaining time, an Abort button that becomes OK, and
 * a status line.  It shows only when the operation is still running
 * "prgdelay" seconds after it began; the one-second timer (ProgUpdateAll)
 * refreshes, shows and closes every progress window. */
#include <windows.h>

#include <atomic>

#include "progress.h"
#include "mqengine.h"
#include "prfdata.h"
#include "confirm.h"
#include "dd.h"
#include "tkplace.h"
#include "tkwin.h"

#define F(type, id, text, value) {(uint32_t)(type), id, text, value, nullptr, 0, 0, 0, 0, 0, 0}
#define FIELD(type, id, cx) {(uint32_t)(type), id, "", 0, nullptr, 0, cx, 1, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

DDFieldDef DLG_PROGRESS[] = {
    FIELD(DD_STATIC, PROG_READ, 44),
    FIELD(DD_STATIC | DDF_NEWROW, PROG_WRITTEN, 44),
    FIELD(DD_STATIC | DDF_NEWROW, PROG_MSGRATE, 44),
    FIELD(DD_STATIC | DDF_NEWROW, PROG_BYTERATE, 44),
    F(DD_SEPARATOR | DDF_NEWROW, 0, nullptr, 0),
    FIELD(DD_PROGRESS | DDF_NEWROW, PROG_BAR, 44),
    F(DD_SEPARATOR | DDF_NEWROW, 0, nullptr, 0),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Elapsed Time ", 0), FIELD(DD_STATIC, PROG_ELAPSED, 28),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Time Remaining ", 0), FIELD(DD_STATIC, PROG_REMAINING, 28),
    F(DD_SEPARATOR | DDF_NEWROW, 0, nullptr, 0),
    F(DD_BUTTON | DDF_NEWROW | DDF_HCENTRE, PROG_BUTTON, "Abort", 1),
    F(DD_SEPARATOR | DDF_NEWROW, 0, nullptr, 0),
    FIELD(DD_STATIC | DDF_NEWROW, PROG_STATUS, 44),
    END,
};

/* The bar's colours. */
static COLORREF barFill = RGB(0, 120, 215), barBack = RGB(255, 255, 255);
static HBRUSH barBrush;

static LRESULT CALLBACK ProgWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

/* The size the user last gave a progress window (0: the dialog's own). */
static int *remembered_size(void)
{
    return &Prf.dialogs[DLG_PRGSZ][2];
}

/* Writes the fields that changed. */
static void show_texts(PROGRESS *p, const PROGTEXTS *t)
{
    DDHANDLE dd = (DDHANDLE)p->dialog;
    if (!dd)
        return;
    if (t->statusChanged)
        DDSetFieldText(dd, PROG_STATUS, 0, t->status);
    if (t->readChanged)
        DDSetFieldText(dd, PROG_READ, 0, t->read);
    if (t->writtenChanged)
        DDSetFieldText(dd, PROG_WRITTEN, 0, t->written);
    if (t->messageRateChanged)
        DDSetFieldText(dd, PROG_MSGRATE, 0, t->messageRate);
    if (t->byteRateChanged)
        DDSetFieldText(dd, PROG_BYTERATE, 0, t->byteRate);
    if (t->percentChanged) {
        DDSendFieldMsg(dd, PROG_BAR, 1242, t->barPosition, 100000);
        SetWindowTextA((HWND)p->window, t->caption);
    }
    if (t->elapsedChanged)
        DDSetFieldText(dd, PROG_ELAPSED, 0, t->elapsed);
    if (t->remainingChanged)
        DDSetFieldText(dd, PROG_REMAINING, 0, t->remaining);
}

static void refresh(PROGRESS *p)
{
    PROGTEXTS t;
    if (p->window && ProgStatsText(p, &t))
        show_texts(p, &t);
}

int ProgHostCreate(PROGRESS *p)
{
    HWND w = DDCreateDialog(nullptr, DLG_PROGRESS, 0, p->title, "DLG_PROGRESS", (HWND)p->owner,
                            ProgWndProc, (LPARAM)p);
    if (!w)
        return -1;
    AddModeless(w, 0, p, nullptr);
    refresh(p);
    SIZE need;
    DDCalcMinSize((DDHANDLE)p->dialog, &need);
    RECT rc = {0, 0, need.cx, need.cy};
    AdjustWindowRectEx(&rc, GetWindowLongA(w, GWL_STYLE), FALSE, GetWindowLongA(w, GWL_EXSTYLE));
    int *size = remembered_size();
    int cx = size[0] > 0 ? size[0] : rc.right - rc.left, cy = size[1] > 0 ? size[1] : rc.bottom - rc.top;
    WinCentreOnWindow(w, (HWND)p->owner, cx, cy, 0);
    if (Prf.prgdelay == 0)
        ShowWindow(w, SW_SHOWNOACTIVATE);
    return 0;
}

/* ---- the window ---- */

/* WM_INITDIALOG: the record and the window know each other. */
static void init_dialog(HWND hwnd, DDHANDLE dd, PROGRESS *p)
{
    p->window = hwnd;
    p->dialog = dd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)p);
    DDSetFieldText(dd, PROG_STATUS, 0, "Waiting to start...");
    if (!barBrush)
        barBrush = CreateSolidBrush(barBack);
    DDSetFieldColours(dd, DD_PROGRESS, PROG_BAR, 0, 0, &barFill, &barBack, &barBrush);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
}

/* WM_SIZE: the size is kept for the next progress window. */
static void remember_size(HWND hwnd)
{
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd))
        return;
    RECT rc;
    GetWindowRect(hwnd, &rc);
    int *size = remembered_size();
    size[0] = rc.right - rc.left;
    size[1] = rc.bottom - rc.top;
}

/* WM_CLOSE: hidden while the operation runs, destroyed after. */
static void close_window(HWND hwnd, PROGRESS *p)
{
    if (p && !std::atomic_ref<uint64_t>(p->finished).load()) {
        p->hidden = 1;
        ShowWindow(hwnd, SW_HIDE);
        return;
    }
    DestroyWindow(hwnd);
}

/* The button: Abort while running, OK once finished. */
static void press_button(HWND hwnd, PROGRESS *p)
{
    if (p->okShown)
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    else
        std::atomic_ref<int32_t>(p->abortRequested).store(1);
}

/* WM_DESTROY: the window lets go of its record. */
static void destroy(HWND hwnd, PROGRESS *p)
{
    UtilRemoveModeless(hwnd);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (!p)
        return;
    DDHANDLE dd = (DDHANDLE)p->dialog;
    ProgLock();
    p->window = nullptr;
    p->dialog = nullptr;
    ProgUnlock();
    DDDestroy(&dd);
    ProgRelease(p);
}

static void set_colours(HWND hwnd, DDHANDLE dd)
{
    if (dlgColours.brush)
        SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
    if (dlgColours.text)
        DDSetFieldColours(dd, DD_STATIC, 0, 0, 0, dlgColours.text, dlgColours.back, dlgColours.brush);
}

static LRESULT CALLBACK ProgWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    PROGRESS *p = (PROGRESS *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    DDHANDLE dd = p ? (DDHANDLE)p->dialog : nullptr;
    switch (msg) {
    case WM_INITDIALOG:
        init_dialog(hwnd, (DDHANDLE)wp, (PROGRESS *)lp);
        return 0;
    case WM_SIZE:
        remember_size(hwnd);
        break;
    case WM_CLOSE:
        close_window(hwnd, p);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL)
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        else if (LOWORD(wp) == PROG_BUTTON && p)
            press_button(hwnd, p);
        return 0;
    case WM_DESTROY:
        destroy(hwnd, p);
        return 0;
    case UM_NEWFONT:
        if (dd && winFonts.mainFont)
            DDSetFont(dd, winFonts.mainFont);
        return 0;
    case UM_COLOURSCHANGED:
        if (dd)
            set_colours(hwnd, dd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- the timer ---- */

static double percent_of(PROGRESS *p)
{
    return p->now.percent;
}

/* Finished windows close: at once when never shown, else when asked to
 * close on completion at 0 or 100 percent. */
static void close_finished(void)
{
    for (PROGRESS *p = ProgList, *next; p; p = next) {
        next = p->next;
        HWND w = (HWND)p->window;
        if (!w || !std::atomic_ref<uint64_t>(p->finished).load() || std::atomic_ref<int32_t>(p->ended).load())
            continue;
        double percent = percent_of(p);
        if (!IsWindowVisible(w) || ((Prf.po[4] & PO5_AUTO_DISMISS) && (percent == 0 || percent == 100)))
            DestroyWindow(w);
    }
}

static void update(PROGRESS *p)
{
    std::atomic_ref<int32_t> changed(p->changed);
    if (std::atomic_ref<uint64_t>(p->started).load() && !std::atomic_ref<uint64_t>(p->finished).load())
        changed.store(1);
    if (std::atomic_ref<uint64_t>(p->finished).load() && !p->okShown && p->dialog) {
        DDSetFieldText((DDHANDLE)p->dialog, PROG_BUTTON, 0, "OK");
        p->okShown = 1;
    }
    if (changed.load())
        refresh(p);
    HWND w = (HWND)p->window;
    if (w && !p->hidden && !IsWindowVisible(w) && MQETime() - p->created >= Prf.prgdelay)
        ShowWindow(w, SW_SHOWNOACTIVATE);
}

void ProgUpdateAll(void)
{
    ProgLock();
    close_finished();
    for (PROGRESS *p = ProgList; p; p = p->next)
        update(p);
    ProgUnlock();
}
