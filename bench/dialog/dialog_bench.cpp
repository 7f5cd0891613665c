/* Dialog engine benchmark: build, lay out and destroy a 200-field dialog
 * (50 rows of label, edit field, check box and button) many times, beside
 * creating, placing and destroying the same 200 controls directly with
 * CreateWindowEx in the same run.
 *   bench_dialog [iterations] [--check]   (1000 by default; needs a display;
 *   guard: within 3 x the plain controls) */
#include "benchcheck.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include "dd.h"
#include "tkcontrols.h"

enum { ROWS = 50, FIELDS = ROWS * 4 };
static DDFieldDef table[FIELDS + 1];

static void make_table(void)
{
    static char labels[ROWS][16];
    for (int i = 0; i < ROWS; i++) {
        snprintf(labels[i], sizeof labels[i], "Field %d", i);
        DDFieldDef *r = &table[i * 4];
        r[0] = {DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, labels[i], 0, nullptr, 0, 0, 0, 0, 0, 0};
        r[1] = {DD_EDIT, 1000 + i, "value", 20, nullptr, 0, 0, 0, 0, 0, 0};
        r[2] = {DD_CHECKBOX, 2000 + i, "On", 0, nullptr, 0, 0, 0, 0, 0, 0};
        r[3] = {DD_BUTTON | DDF_CLASS2, 3000 + i, "Browse", 1, nullptr, 0, 0, 0, 0, 0, 0};
    }
    table[FIELDS] = {};
}

static LRESULT CALLBACK host_proc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    return DefWindowProcA(h, m, w, l);
}

static double now(void)
{
    static LARGE_INTEGER f;
    if (!f.QuadPart)
        QueryPerformanceFrequency(&f);
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart / (double)f.QuadPart;
}

static void pump(void)
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
}

static HWND host(HWND top)
{
    return CreateWindowExA(0, "DDBENCHHOST", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 700,
                           ROWS * 24, top, nullptr, GetModuleHandleA(nullptr), nullptr);
}

static int dialog_once(HWND top)
{
    HWND w = host(top);
    DDHANDLE dd = nullptr;
    int rc = DDCreate(w, table, 0, &dd);
    int made = 0;
    for (int i = 0; dd && i < dd->count; i++)
        made += dd->fields[i].hwnd != nullptr;
    DDDestroy(&dd);
    DestroyWindow(w);
    pump();
    return rc ? -1 : made;
}

/* the same controls made directly, each placed once */
static void plain_once(HWND top, HFONT font)
{
    static const char *const cls[4] = {"STATIC", "EDIT", "BUTTON", "BUTTON"};
    static const DWORD style[4] = {0, ES_AUTOHSCROLL | WS_TABSTOP, BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP,
                                   BS_PUSHBUTTON | WS_TABSTOP};
    static const char *const text[4] = {"Field", "value", "On", "Browse"};
    HWND w = host(top);
    for (int i = 0; i < FIELDS; i++) {
        int k = i % 4;
        HWND c = CreateWindowExA(k == 1 ? WS_EX_CLIENTEDGE : 0, cls[k], text[k],
                                 WS_CHILD | WS_CLIPSIBLINGS | style[k], 0, 0, 0, 0, w,
                                 (HMENU)(INT_PTR)(1000 + i), GetModuleHandleA(nullptr), nullptr);
        SendMessageA(c, WM_SETFONT, (WPARAM)font, 0);
        SetWindowPos(c, nullptr, k * 170, (i / 4) * 24, 160, 22, SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    DestroyWindow(w);
    pump();
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    int n = (int)BenchCount(argc, argv, 1, 1000);
    if (n <= 0)
        n = 1000;
    int version = 100;
    DDInitialise(GetModuleHandleA(nullptr), &version, nullptr, nullptr);
    RegisterControlClasses(GetModuleHandleA(nullptr));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = host_proc;
    wc.cbWndExtra = 24;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "DDBENCHHOST";
    RegisterClassA(&wc);
    HWND top = CreateWindowExA(0, "DDBENCHHOST", "bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                               720, ROWS * 24 + 20, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!top) {
        fprintf(stderr, "no display\n");
        return 1;
    }
    make_table();
    int made = dialog_once(top);   /* warm-up: classes, fonts */
    plain_once(top, (HFONT)GetStockObject(DEFAULT_GUI_FONT));
    if (made < 0) {
        fprintf(stderr, "DDCreate failed\n");
        return 1;
    }
    /* the two alternate, so that the load of the machine weighs on both alike */
    double ddTotal = 0, plainTotal = 0;
    for (int i = 0; i < n; i++) {
        double t0 = now();
        dialog_once(top);
        double t1 = now();
        plain_once(top, (HFONT)GetStockObject(DEFAULT_GUI_FONT));
        double t2 = now();
        ddTotal += t1 - t0;
        plainTotal += t2 - t1;
    }
    double dd = ddTotal / n * 1000.0, plain = plainTotal / n * 1000.0;
    printf("dialog of %d fields (%d controls made), %d times\n", FIELDS, made, n);
    printf("  dynamic dialog: create + lay out + destroy  %8.3f ms per dialog\n", dd);
    printf("  CreateWindowEx: %d plain controls           %8.3f ms per set\n", FIELDS, plain);
    printf("  ratio dialog / plain                        %8.2f\n", plain > 0 ? dd / plain : 0.0);
    BenchTarget("dialog engine", plain > 0 ? dd / plain : 0.0, 3);
    DestroyWindow(top);
    return BenchExit();
}
