/* Pane layout: building, validation, resizing with limits and hold flags,
 * splitter drags (synthesized mouse messages), hiding, showing and zoom,
 * asserted on the panes' window rectangles. */
#include <gtest/gtest.h>
#include <windows.h>
#include "bagint.h"
#include "cs.h"

namespace {

LRESULT CALLBACK ParentProc(HWND h, UINT m, WPARAM w, LPARAM l);
/* The parent stays hidden (a shown top-level window costs seconds under
 * Wine without a window manager): look at the children's own style. */
bool Shown(HWND w) { return (GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE) != 0; }
UINT notified;
HWND notifiedPane;
LPARAM notifiedSize;

LRESULT CALLBACK ParentProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_APP + 7) {
        notified++;
        notifiedPane = (HWND)w;
        notifiedSize = l;
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

struct Bag : ::testing::Test {
    HWND parent = nullptr;
    HWND pane[16] = {};
    BagRecord *bag = nullptr;

    void SetUp() override
    {
        static bool registered;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = ParentProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "BagTestParent";
            wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
            RegisterClassA(&wc);
            registered = true;
        }
        parent = CreateWindowExA(0, "BagTestParent", "bag", WS_POPUP, 0, 0, 1000,
                                 800, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(parent);
        for (int i = 0; i < 16; i++)
            pane[i] = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0,
                                      10, 10, parent, nullptr, nullptr, nullptr);
        bag = new BagRecord;
        ASSERT_EQ(BagInitialise(bag, parent, 0, 0), 0);
    }
    void TearDown() override
    {
        if (parent)
            DestroyWindow(parent);
        delete bag;
    }
    int Add(int i, int x0, int y0, int x1, int y1, BagPanePlacement pl = {})
    {
        return BagAdd(bag, pane[i], x0, y0, x1, y1, &pl, nullptr);
    }
    RECT Rect(HWND w)
    {
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, parent, (POINT *)&r, 2);
        return r;
    }
    int Width(int i) { RECT r = Rect(pane[i]); return r.right - r.left; }
    int Height(int i) { RECT r = Rect(pane[i]); return r.bottom - r.top; }
    BagSplitter *Split(int p, int slot) { return &bag->splits[bag->panes[p].split[slot]]; }
    /* Drags from a point on a splitter window (parent coordinates). */
    void Drag(BagSplitter *s, POINT from, POINT to, WPARAM keys = 0)
    {
        /* mouse positions are relative to the window where it is now */
        HWND w = s->window;
        auto send = [&](UINT m, WPARAM k, POINT p) {
            MapWindowPoints(parent, w, &p, 1);
            SendMessageA(w, m, k, MAKELPARAM(p.x, p.y));
        };
        send(WM_LBUTTONDOWN, MK_LBUTTON | keys, from);
        send(WM_MOUSEMOVE, MK_LBUTTON | keys, { (from.x + to.x) / 2, (from.y + to.y) / 2 });
        send(WM_MOUSEMOVE, MK_LBUTTON | keys, to);
        send(WM_LBUTTONUP, keys, to);
    }
};

#define EXPECT_RECT(r, l, t, rr, b)                                                            \
    do {                                                                                       \
        RECT x_ = (r);                                                                         \
        EXPECT_EQ(x_.left, l); EXPECT_EQ(x_.top, t);                                           \
        EXPECT_EQ(x_.right, rr); EXPECT_EQ(x_.bottom, b);                                      \
    } while (0)

TEST_F(Bag, AddRejectsBadSpansAndClearsThePlacementTail)
{
    BagPanePlacement pl = { 10, 20, 30, 40, 50, 60, 70, 80, 3 };
    EXPECT_EQ(BagAdd(bag, pane[0], 1, 0, 1, 4, &pl, nullptr), BAGERR_SPAN);
    EXPECT_EQ(pl.minCx, 10u);
    EXPECT_EQ(pl.maxCy, 40u);
    EXPECT_EQ(pl.pctCx + pl.pctCy + pl.initCx + pl.initCy + pl.flags, 0u);
    EXPECT_EQ(BagAdd(bag, pane[0], 0, 0, 5, 1, &pl, nullptr), BAGERR_SPAN);
    pl = { 1, 2, 3, 4, 5, 6, 7, 8, 1 };
    int32_t index = -1;
    EXPECT_EQ(BagAdd(bag, pane[0], 0, 0, 1, 1, &pl, &index), 0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(pl.minCx, 1u);
    EXPECT_EQ(pl.flags, 0u);
    EXPECT_EQ(bag->panes[0].place.minCx, 10u);      /* held in tenths */
}

TEST_F(Bag, SlotsRunOut)
{
    for (int i = 0; i < 16; i++)
        ASSERT_EQ(Add(i, i % 4, i / 4, i % 4 + 1, i / 4 + 1), 0);
    EXPECT_EQ(Add(0, 0, 0, 1, 1), BAGERR_NOPANE);
    EXPECT_EQ(BagValidate(bag), 0);
}

TEST_F(Bag, ValidationFindsGapsOverlapsAndTooManyColumns)
{
    Add(0, 0, 0, 1, 2);
    Add(1, 1, 0, 2, 1);
    EXPECT_EQ(BagValidate(bag), BAGERR_GAP);
    Add(2, 0, 1, 2, 2);
    EXPECT_EQ(BagValidate(bag), BAGERR_OVERLAP);

    BagInitialise(bag, parent, 0, 0);
    Add(0, 1, 1, 2, 2);                    /* shifted to the origin */
    Add(1, 2, 1, 3, 2);
    EXPECT_EQ(BagValidate(bag), 0);
    EXPECT_EQ(bag->columns, 2);
    EXPECT_EQ(bag->rows, 1);
}

TEST_F(Bag, FirstLayoutUsesTheExtentAndResizeScales)
{
    Add(0, 0, 0, 1, 1);
    Add(1, 1, 0, 2, 1);
    ASSERT_EQ(BagValidate(bag), 0);
    BagNode *tr = &bag->nodes[bag->panes[0].node[1]];
    EXPECT_EQ(BagNC(tr)->pos[0], 50000);
    EXPECT_EQ(bag->validated, 1u);

    ASSERT_EQ(BagResize(bag, 0, 0, 800, 600), 0);
    EXPECT_RECT(Rect(pane[0]), 0, 0, 397, 600);
    EXPECT_RECT(Rect(pane[1]), 403, 0, 800, 600);
    /* the splitters between them, the outer ones hidden */
    EXPECT_TRUE(Shown(Split(0, 3)->window));
    EXPECT_RECT(Rect(Split(0, 3)->window), 397, 0, 400, 600);
    EXPECT_RECT(Rect(Split(1, 2)->window), 400, 0, 403, 600);
    EXPECT_FALSE(Shown(Split(0, 2)->window));
    EXPECT_FALSE(Shown(Split(0, 0)->window));
    EXPECT_FALSE(Shown(Split(1, 3)->window));

    ASSERT_EQ(BagResize(bag, 10, 20, 400, 300), 0);
    EXPECT_RECT(Rect(pane[0]), 10, 20, 207, 320);
    EXPECT_RECT(Rect(pane[1]), 213, 20, 410, 320);
    EXPECT_FALSE(Shown(Split(1, 3)->window));

    ASSERT_EQ(BagResize(bag, 0, 0, 50, 50), 0);
    EXPECT_EQ(bag->extentCx, 100);
    EXPECT_EQ(bag->extentCy, 100);
    EXPECT_EQ(Rect(pane[1]).right, 100);
    EXPECT_EQ(BagResize(bag, 0, 0, 0, 300), 0);
    EXPECT_EQ(bag->extentCx, 100);
}

TEST_F(Bag, LimitsHoldFlagsAndInitialSizes)
{
    BagPanePlacement fixed = {};
    fixed.initCx = 150;
    fixed.flags = BAG_HOLDWIDTH;
    BagPanePlacement small = {};
    small.minCx = 120;
    BagPanePlacement capped = {};
    capped.maxCy = 100;
    Add(0, 0, 0, 1, 2, fixed);
    Add(1, 1, 0, 2, 1, small);
    Add(2, 1, 1, 2, 2, capped);
    ASSERT_EQ(BagValidate(bag), 0);
    ASSERT_EQ(BagResize(bag, 0, 0, 600, 400), 0);
    EXPECT_EQ(Width(0), 150);               /* initial width */
    EXPECT_EQ(Height(2), 100);              /* maximum height */
    EXPECT_EQ(Rect(pane[2]).bottom, 400);
    ASSERT_EQ(BagResize(bag, 0, 0, 900, 500), 0);
    EXPECT_EQ(Width(0), 150);               /* holds its width */
    EXPECT_EQ(Rect(pane[1]).right, 900);
    EXPECT_EQ(Height(2), 100);
    ASSERT_EQ(BagResize(bag, 0, 0, 280, 500), 0);
    EXPECT_EQ(Width(0), 150);
    EXPECT_EQ(Width(1), 280 - 156);
    /* too narrow for both: nothing moves */
    EXPECT_EQ(BagResize(bag, 0, 0, 250, 500), BAGERR_TOOSMALL);
    EXPECT_EQ(Rect(pane[1]).right, 280);
}

TEST_F(Bag, PercentageAndPinnedSizes)
{
    BagPanePlacement pl = {};
    pl.pctCx = 25;
    Add(0, 0, 0, 1, 1, pl);
    Add(1, 1, 0, 2, 1);
    ASSERT_EQ(BagValidate(bag), 0);
    ASSERT_EQ(BagResize(bag, 0, 0, 800, 300), 0);
    EXPECT_EQ(Width(0), 200);
    ASSERT_EQ(BagResize(bag, 0, 0, 400, 300), 0);
    EXPECT_EQ(Width(0), 98);                /* scales afterwards: edge at 101.5 */

    EXPECT_EQ(BagSetPanePos(bag, pane[1], 300, 0, 0), 0);
    EXPECT_EQ(Width(1), 300);
    BagPanePlacement got;
    ASSERT_EQ(BagGetPlacement(bag, pane[1], &got), 0);
    EXPECT_EQ(got.minCx, 300u);
    EXPECT_EQ(got.maxCx, 300u);
    EXPECT_EQ(BagSetPanePos(bag, pane[1], 0, 0, 0), 0);
    ASSERT_EQ(BagGetPlacement(bag, pane[1], &got), 0);
    EXPECT_EQ(got.maxCx, 0u);
    EXPECT_EQ(BagSetPanePos(bag, pane[5], 10, 10, 0), BAGERR_NOTPANE);
}

/* An initial size given after the pane was added is in pixels, as one
 * given when it is added: a remembered width comes back as it was. */
TEST_F(Bag, AnInitialSizeSetLaterIsInPixels)
{
    BagPanePlacement pl = {};
    pl.pctCx = 25;
    Add(0, 0, 0, 1, 1, pl);
    Add(1, 1, 0, 2, 1);
    BagPanePlacement got;
    ASSERT_EQ(BagGetPlacement(bag, pane[0], &got), 0);
    got.initCx = 264;
    got.pctCx = 0;
    ASSERT_EQ(BagSetPlacement(bag, pane[0], &got), 0);
    ASSERT_EQ(BagGetPlacement(bag, pane[0], &got), 0);
    EXPECT_EQ(got.initCx, 264u);
    ASSERT_EQ(BagValidate(bag), 0);
    ASSERT_EQ(BagResize(bag, 0, 0, 1000, 300), 0);
    EXPECT_EQ(Width(0), 264);
}

/* A remembered size taller than the window: the panes still fill the
 * window, in proportion, and later sizes lay out as well. */
TEST_F(Bag, AnInitialSizeTooBigForTheWindowIsGivenUp)
{
    BagPanePlacement pl = {};
    pl.initCy = 812;
    Add(0, 0, 0, 1, 2, pl);
    Add(1, 0, 2, 1, 4);
    ASSERT_EQ(BagValidate(bag), 0);
    EXPECT_EQ(BagResize(bag, 0, 0, 900, 600), 0);
    RECT a = Rect(pane[0]), b = Rect(pane[1]);
    EXPECT_EQ(a.top, 0);
    EXPECT_LE(a.right, 900);
    EXPECT_GT(Height(0), 100);
    EXPECT_LE(b.bottom, 600);
    EXPECT_GT(Height(1), 100);
    EXPECT_EQ(BagResize(bag, 0, 0, 700, 500), 0);
    EXPECT_LE(Rect(pane[1]).bottom, 500);
}

TEST_F(Bag, NotifiesTheParentOfMovedPanes)
{
    Add(0, 0, 0, 1, 1);
    Add(1, 0, 1, 1, 2);
    BagSetOption(bag, WM_APP + 7);
    ASSERT_EQ(BagValidate(bag), 0);
    notified = 0;
    ASSERT_EQ(BagResize(bag, 0, 0, 300, 200), 0);
    EXPECT_EQ(notified, 2u);
    EXPECT_EQ(notifiedPane, pane[1]);
    EXPECT_EQ(LOWORD(notifiedSize), 300);
    EXPECT_EQ(HIWORD(notifiedSize), 97);
}

TEST_F(Bag, DragStopsExactlyAtTheMinimum)
{
    BagPanePlacement pl = {};
    pl.minCx = 200;
    Add(0, 0, 0, 1, 1, pl);
    pl.minCx = 150;
    Add(1, 1, 0, 2, 1, pl);
    ASSERT_EQ(BagValidate(bag), 0);
    ASSERT_EQ(BagResize(bag, 0, 0, 800, 400), 0);
    BagSplitter *s = Split(0, 3);
    Drag(s, { 398, 200 }, { 300, 200 });
    EXPECT_EQ(Width(0), 297);
    Drag(s, { 298, 200 }, { 100, 200 });    /* past the left pane's minimum */
    EXPECT_EQ(Width(0), 200);
    EXPECT_EQ(Rect(pane[1]).left, 206);
    Drag(Split(1, 2), { 207, 200 }, { 790, 200 });   /* past the right one's */
    EXPECT_EQ(Width(1), 150);
    EXPECT_EQ(Rect(pane[1]).right, 800);
    EXPECT_EQ(bag->buttonDown, 0u);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Bag, CtrlDragMovesTheWholeLineAndCornersMoveBothWays)
{
    Add(0, 0, 0, 1, 1);
    Add(1, 1, 0, 2, 1);
    Add(2, 0, 1, 1, 2);
    Add(3, 1, 1, 2, 2);
    ASSERT_EQ(BagValidate(bag), 0);
    ASSERT_EQ(BagResize(bag, 0, 0, 800, 600), 0);
    /* with Ctrl the whole line, both rows */
    Drag(Split(2, 3), { 398, 500 }, { 600, 500 }, MK_CONTROL);
    EXPECT_EQ(Rect(pane[0]).right, 597);
    EXPECT_EQ(Rect(pane[2]).right, 597);
    EXPECT_EQ(Rect(pane[1]).left, 603);
    EXPECT_EQ(Rect(pane[3]).left, 603);
    /* the meeting point moves in both directions */
    Drag(Split(0, 1), { 599, 299 }, { 460, 200 });
    EXPECT_RECT(Rect(pane[0]), 0, 0, 457, 197);
    EXPECT_RECT(Rect(pane[3]), 463, 203, 800, 600);
    EXPECT_EQ(Rect(pane[1]).bottom, 197);
    EXPECT_EQ(Rect(pane[2]).top, 203);
    /* without Ctrl only the upper row's splitter moves */
    Drag(Split(0, 3), { 458, 100 }, { 360, 100 });
    EXPECT_EQ(Rect(pane[0]).right, 357);
    EXPECT_EQ(Rect(pane[1]).left, 363);
    EXPECT_EQ(Rect(pane[2]).right, 457);
}

TEST_F(Bag, CursorShowsTheWayASplitterMoves)
{
    Add(0, 0, 0, 1, 1);
    Add(1, 1, 0, 2, 1);
    Add(2, 0, 1, 1, 2);
    Add(3, 1, 1, 2, 2);
    ASSERT_EQ(BagValidate(bag), 0);
    ASSERT_EQ(BagResize(bag, 0, 0, 800, 600), 0);
    auto cursorAt = [&](BagSplitter *s, POINT p) {
        ClientToScreen(parent, &p);
        SetCursorPos(p.x, p.y);
        SendMessageA(s->window, WM_SETCURSOR, (WPARAM)s->window, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    EXPECT_EQ(cursorAt(Split(0, 3), { 398, 100 }), LoadCursor(nullptr, IDC_SIZEWE));
    EXPECT_EQ(cursorAt(Split(0, 1), { 100, 298 }), LoadCursor(nullptr, IDC_SIZENS));
    EXPECT_EQ(cursorAt(Split(0, 3), { 398, 297 }), LoadCursor(nullptr, IDC_SIZEALL));
}

TEST_F(Bag, HideShowAndZoom)
{
    BagPanePlacement pl = {};
    Add(0, 0, 0, 1, 1, pl);
    Add(1, 0, 1, 1, 2, pl);
    ASSERT_EQ(BagValidate(bag), 0);
    ASSERT_EQ(BagResize(bag, 0, 0, 400, 600), 0);
    EXPECT_EQ(Height(0), 297);
    EXPECT_EQ(BagShow(bag, pane[0]), BAGERR_NOTHIDDEN);
    EXPECT_EQ(BagHide(bag, pane[0], 3), BAGERR_DIRECTION);
    EXPECT_EQ(BagHide(bag, pane[0], BAG_DOWN), BAGERR_NOSPLITTER);  /* top is the border */
    ASSERT_EQ(BagHide(bag, pane[0], BAG_UP), 0);
    EXPECT_FALSE(Shown(pane[0]));
    EXPECT_RECT(Rect(pane[1]), 0, 0, 400, 600);
    EXPECT_EQ(BagHide(bag, pane[0], BAG_UP), BAGERR_HIDDEN);
    BagNode *tl = &bag->nodes[bag->panes[0].node[0]], *bl = &bag->nodes[bag->panes[0].node[2]];
    EXPECT_EQ(BagNC(bl)->pos[1] - BagNC(tl)->pos[1], 1);
    /* a resize keeps it shut */
    ASSERT_EQ(BagResize(bag, 0, 0, 400, 500), 0);
    EXPECT_EQ(BagNC(bl)->pos[1] - BagNC(tl)->pos[1], 1);
    EXPECT_RECT(Rect(pane[1]), 0, 0, 400, 500);
    /* a drag that would open it fails and changes nothing */
    BagSplitter *s = Split(1, 0);
    bag->buttonDown = 1;
    s->selected = 1;
    bag->nodes[s->nodeA].marked = bag->nodes[s->nodeB].marked = 1;
    SendMessageA(s->window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 200));
    SendMessageA(s->window, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(BagNC(bl)->pos[1] - BagNC(tl)->pos[1], 1);
    EXPECT_RECT(Rect(pane[1]), 0, 0, 400, 500);

    ASSERT_EQ(BagShow(bag, pane[0]), 0);
    EXPECT_TRUE(Shown(pane[0]));
    EXPECT_EQ(Height(0), 297 * 500 / 600);
    EXPECT_EQ(Rect(pane[1]).top, Rect(pane[0]).bottom + 6);

    RECT before0 = Rect(pane[0]), before1 = Rect(pane[1]);
    ASSERT_EQ(BagZoomPane(bag, pane[1]), 0);
    EXPECT_FALSE(Shown(pane[0]));
    EXPECT_RECT(Rect(pane[1]), 0, 0, 400, 500);
    ASSERT_EQ(BagResize(bag, 0, 0, 300, 300), 0);
    EXPECT_RECT(Rect(pane[1]), 0, 0, 300, 300);
    ASSERT_EQ(BagResize(bag, 0, 0, 400, 500), 0);
    ASSERT_EQ(BagZoomPane(bag, nullptr), 0);
    EXPECT_TRUE(Shown(pane[0]));
    EXPECT_TRUE(Shown(Split(0, 1)->window));
    RECT after0 = Rect(pane[0]);
    EXPECT_TRUE(EqualRect(&before0, &after0));
    RECT after1 = Rect(pane[1]);
    EXPECT_TRUE(EqualRect(&before1, &after1));
    EXPECT_EQ(BagZoomPane(bag, pane[9]), BAGERR_NOTPANE);
}

TEST_F(Bag, SplitterWindowsGiveBackTheirBlocks)
{
    CSMEMSTATS before, after;
    CSMemStats(&before);
    Add(0, 0, 0, 1, 1);
    Add(1, 1, 0, 2, 1);
    ASSERT_EQ(BagValidate(bag), 0);
    CSMEMSTATS during;
    CSMemStats(&during);
    EXPECT_EQ(during.blocks - before.blocks, 8);
    DestroyWindow(parent);
    parent = nullptr;
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
}

TEST_F(Bag, ColourFollowsTheVariable)
{
    Add(0, 0, 0, 1, 1);
    Add(1, 1, 0, 2, 1);
    ASSERT_EQ(BagValidate(bag), 0);
    ASSERT_EQ(BagResize(bag, 0, 0, 200, 100), 0);
    ShowWindow(parent, SW_SHOWNA);          /* painting needs a shown window */
    COLORREF face = RGB(200, 100, 50);
    BagSetColour(bag, &face);
    EXPECT_EQ(bag->appliedColour, face);
    face = RGB(10, 20, 30);
    BagSplitter *s = Split(0, 3);
    RedrawWindow(s->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(bag->appliedColour, face);
    /* the left edge of the right pane: face, face, shadow */
    HDC dc = GetDC(Split(1, 2)->window);
    RedrawWindow(Split(1, 2)->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(GetPixel(dc, 0, 50), face);
    EXPECT_EQ(GetPixel(dc, 2, 50), RGB(8, 16, 24));
    ReleaseDC(Split(1, 2)->window, dc);
    BagSetColour(bag, nullptr);
    EXPECT_EQ(bag->customColour, 0u);
}

} // namespace
