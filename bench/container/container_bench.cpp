/* Container benchmark: a tree of 1,000 locations with 100 queues each is
 * built into a line set, given to a container (layout of every line, all
 * expanded) and repainted in full at the top, the middle and the end;
 * beside it, in the same run, a plain list box receives the same number of
 * items and is repainted.  Needs a display.
 *   container_bench [locations] [--check]   (1,000 by default; guards: the
 *   build and layout within 3 x the list fill, a repaint within 3 x the
 *   list box's) */
#include "benchcheck.h"
#include <windows.h>
#include <cstdio>
#include <cstring>
#include "cnt.h"
#include "cs.h"

static int LOCATIONS = 1000;
enum { QUEUES = 100, REPAINTS = 20 };

static double Now(void)
{
    static LARGE_INTEGER freq;
    LARGE_INTEGER t;
    if (!freq.QuadPart)
        QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)freq.QuadPart;
}

static CntLineSet *Build(void)
{
    CntLineSet *set = (CntLineSet *)CSGetMem(sizeof *set, "cntLINE");
    memset(set, 0, sizeof *set);
    cntLINE *b = (cntLINE *)CSGetMem(256, "cntLINE");
    char name[64];
    for (int i = 0; i < LOCATIONS; i++) {
        snprintf(name, sizeof name, "QM.LOCATION.%04d", i);
        cntInitLine(b, 256, CNTL_EXPANDED, 0, nullptr, nullptr);
        cntAddExpander(b, &b);
        cntAddSortLabelNoCase(b, &b, CNTI_SELECTABLE, 0, nullptr, name, -2, nullptr, nullptr);
        cntAddText(b, &b, 0, 0, nullptr, "(client)", -1, nullptr, nullptr);
        cntAddUserData(b, &b, 0, (void *)(uintptr_t)(i + 1));
        cntLINE *loc = nullptr;
        if (cntAddLine(set, nullptr, b, &loc))
            return nullptr;
        for (int q = 0; q < QUEUES; q++) {
            snprintf(name, sizeof name, "APP.QUEUE.%03d", q);
            cntInitLine(b, 256, 0, 0, nullptr, nullptr);
            cntAddSortLabelNoCase(b, &b, CNTI_SELECTABLE, 0, nullptr, name, -2, nullptr,
                                  nullptr);
            cntAddUserData(b, &b, 0, (void *)(uintptr_t)q);
            if (cntAddChildLine(set, loc, nullptr, b, nullptr))
                return nullptr;
        }
    }
    CSFreeMem(b);
    return set;
}

static double Repaint(HWND w)
{
    double t0 = Now();
    for (int i = 0; i < REPAINTS; i++)
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return (Now() - t0) / (double)REPAINTS;
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    LOCATIONS = (int)BenchCount(argc, argv, 1, 1000);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CntBench";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, "CntBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 900,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    HWND tree = frame ? cntCreateWindow(frame, nullptr, nullptr, nullptr) : nullptr;
    if (!tree) {
        fprintf(stderr, "container_bench: cannot create the windows (no display?)\n");
        return 1;
    }
    MoveWindow(tree, 0, 0, 400, 900, FALSE);
    const int lines = LOCATIONS * (QUEUES + 1);

    double t0 = Now();
    CntLineSet *set = Build();
    double build = Now() - t0;
    if (!set) {
        fprintf(stderr, "container_bench: out of storage\n");
        return 1;
    }
    t0 = Now();
    cntSetLines(tree, set, nullptr);
    double layout = Now() - t0;
    CNTW *rec = (CNTW *)GetWindowLongPtrA(tree, GWLP_USERDATA);
    HWND child = rec->child;
    double top = Repaint(child);
    rec->v.position = rec->v.total / 2;     /* straight to the middle row */
    double middle = Repaint(child);
    SendMessageA(child, WM_VSCROLL, SB_BOTTOM, 0);
    double end = Repaint(child);
    t0 = Now();
    for (int i = 0; i < 200; i++)
        SendMessageA(child, WM_VSCROLL, i % 2 ? SB_PAGEUP : SB_PAGEDOWN, 0), UpdateWindow(child);
    double page = (Now() - t0) / 200;

    /* baseline: the same number of items in a plain list box */
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 400, 0,
                                400, 900, frame, nullptr, nullptr, nullptr);
    char name[64];
    t0 = Now();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < lines; i++) {
        snprintf(name, sizeof name, "QM.LOCATION.%04d APP.QUEUE.%03d", i / (QUEUES + 1),
                 i % (QUEUES + 1));
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)name);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    double listFill = Now() - t0;
    double listTop = Repaint(list);
    SendMessageA(list, LB_SETTOPINDEX, lines / 2, 0);
    double listMiddle = Repaint(list);

    printf("container: %d lines (%d locations x %d queues), %d rows shown\n", lines, LOCATIONS,
           QUEUES, rec->v.page);
    printf("  build line set        %9.1f ms  (%.2f us a line)\n", build, build * 1000 / lines);
    printf("  set lines and layout  %9.1f ms  (%.2f us a line)\n", layout, layout * 1000 / lines);
    printf("  full repaint top      %9.2f ms\n", top);
    printf("  full repaint middle   %9.2f ms\n", middle);
    printf("  full repaint end      %9.2f ms\n", end);
    printf("  page up/down + paint  %9.2f ms\n", page);
    printf("list box baseline: %d items\n", lines);
    printf("  LB_ADDSTRING fill     %9.1f ms  (%.2f us an item)\n", listFill,
           listFill * 1000 / lines);
    printf("  full repaint top      %9.2f ms\n", listTop);
    printf("  full repaint middle   %9.2f ms\n", listMiddle);
    printf("ratios: container build+layout / list fill = %.2f; repaint top = %.2f\n",
           (build + layout) / listFill, top / listTop);
    BenchTarget("container build and layout", (build + layout) / listFill, 3);
    BenchTarget("container repaint at the top", top / listTop, 3);
    DestroyWindow(frame);
    cntFreeLines(set, 1);
    return BenchExit();
}
