/* Gallery pictures of the pane layout and the container: a frame-like
 * window laid out by a bag (a container of locations and queues beside two
 * panes, with splitters between them), written into the gallery for a
 * person to look at. */
#include <gtest/gtest.h>
#include <cstdio>
#include <vector>
#include "bag.h"
#include "cnt.h"
#include "cs.h"
#include "tkharness.h"

namespace {

/* A 20-pixel expander picture: a box with a plus or a minus. */
HBITMAP Expander(bool open)
{
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 20, 20);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT r = { 0, 0, 20, 20 };
    FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    RECT box = { 5, 5, 14, 14 };
    FrameRect(dc, &box, (HBRUSH)GetStockObject(BLACK_BRUSH));
    MoveToEx(dc, 7, 9, nullptr);
    LineTo(dc, 12, 9);
    if (!open) {
        MoveToEx(dc, 9, 7, nullptr);
        LineTo(dc, 9, 12);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bmp;
}

int Status(HWND, UINT code, cntITEM *it, CNTW *rec)
{
    if (code == CN_PAINT) {
        HBRUSH b = CreateSolidBrush(it->value ? RGB(0, 160, 0) : RGB(200, 0, 0));
        RECT r = rec->itemRect;
        InflateRect(&r, -5, -5);
        FillRect(rec->paintDC, &r, b);
        DeleteObject(b);
    }
    return 0;
}

CntLineSet *Sample()
{
    CntLineSet *s = (CntLineSet *)CSGetMem(sizeof *s, "cntLINE");
    memset(s, 0, sizeof *s);
    cntLINE *b = (cntLINE *)CSGetMem(256, "cntLINE");
    static const char *qms[] = { "QM.LONDON", "QM.PARIS", "QM.TOKYO", "QM.ZURICH" };
    static const char *queues[] = { "APP.ORDERS", "APP.REPLIES", "DEAD.LETTER", "SYSTEM.ADMIN.COMMAND.QUEUE" };
    static COLORREF blue = RGB(0, 0, 160);
    for (int i = 0; i < 4; i++) {
        cntInitLine(b, 256, i < 2 ? CNTL_EXPANDED : 0, 0, nullptr, nullptr);
        cntAddExpander(b, &b);
        cntAddCheck(b, &b, CNTI_NOFRAME, i != 2, Status);
        cntAddSortLabel(b, &b, CNTI_SELECTABLE, 0, nullptr, qms[i], -2, &blue, nullptr);
        cntAddText(b, &b, 0, 0, nullptr, "  (client)", -1, nullptr, nullptr);
        cntLINE *loc = nullptr;
        cntAddLine(s, nullptr, b, &loc);
        for (int q = 0; q < 4; q++) {
            cntInitLine(b, 256, 0, 0, nullptr, nullptr);
            uint8_t flags = CNTI_SELECTABLE | (i == 0 && q == 1 ? CNTI_SELECTED : 0);
            cntAddSortLabel(b, &b, flags, 0, nullptr, queues[q], -2, nullptr, nullptr);
            char depth[32];
            snprintf(depth, sizeof depth, "%d", (q + 1) * 17 * (i + 1));
            cntAddTextEx(b, &b, CNTI_COLUMN, 0, nullptr, depth, -1, nullptr, nullptr, 8,
                         CNTA_RIGHT | CNTA_NOCOMPARE);
            cntAddChildLine(s, loc, nullptr, b, nullptr);
        }
    }
    CSFreeMem(b);
    return s;
}

TEST(Gallery, PaneLayoutAndContainer)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CntGalleryFrame";
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, "CntGalleryFrame", "gallery", WS_POPUP, 0, 0, 640, 420,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(frame);
    HBITMAP shut = Expander(false), open = Expander(true);
    HWND tree = cntCreateWindow(frame, shut, open, open);
    ASSERT_TRUE(tree);
    cntSetStyle(tree, CNTS_TREELINES | CNTS_ASKEXPAND | CNTS_NOTIFYSEL | CNTS_ACTIVATE);
    static COLORREF back = RGB(255, 255, 240);
    cntSetColours(tree, nullptr, &back, nullptr);
    SetWindowTextA(tree, "Queue managers");
    CntLineSet *set = Sample();
    ASSERT_EQ(cntSetLines(tree, set, nullptr), 0);
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VISIBLE, 0, 0, 10,
                                10, frame, nullptr, nullptr, nullptr);
    for (const char *m : { "Message 1  MQSTR  120 bytes", "Message 2  MQHRF2  840 bytes",
                           "Message 3  MQSTR  12 bytes" })
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)m);
    HWND text = CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "Message pane", WS_CHILD | WS_VISIBLE,
                                0, 0, 10, 10, frame, nullptr, nullptr, nullptr);

    BagRecord *bag = new BagRecord;
    ASSERT_EQ(BagInitialise(bag, frame, 0, 0), 0);
    BagPanePlacement pl = {};
    pl.minCx = 120;
    pl.pctCx = 40;
    ASSERT_EQ(BagAdd(bag, tree, 0, 0, 1, 2, &pl, nullptr), 0);
    pl = {};
    pl.minCy = 60;
    ASSERT_EQ(BagAdd(bag, list, 1, 0, 2, 1, &pl, nullptr), 0);
    ASSERT_EQ(BagAdd(bag, text, 1, 1, 2, 2, &pl, nullptr), 0);
    static COLORREF face = RGB(170, 190, 220);
    BagSetColour(bag, &face);
    ASSERT_EQ(BagValidate(bag), 0);
    ASSERT_EQ(BagResize(bag, 0, 0, 640, 420), 0);
    ShowWindow(frame, SW_SHOWNA);
    SetFocus(tree);
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(GalleryShot(frame, "pane_layout", true));
    EXPECT_TRUE(GalleryShot(tree, "container", true));

    DestroyWindow(frame);
    delete bag;
    cntFreeLines(set, 1);
    DeleteObject(shut);
    DeleteObject(open);
}

} // namespace
