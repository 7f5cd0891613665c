/* Container windows: lines given to a window, mouse and keys (synthesized
 * messages), expanding with and without the owner's consent, scrolling,
 * the heading strip, painting and the owner's notifications. */
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "cntint.h"
#include "cs.h"

namespace {

struct Note { UINT msg; LPARAM lp; };
std::vector<Note> notes;
LRESULT answerExpand = 1;
std::vector<UINT> calls;            /* item callback codes */
RECT paintedBox;
int painted;

LRESULT CALLBACK OwnerProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m >= CN_EXPANDING && m <= CN_ACTIVATE) {
        notes.push_back({ m, l });
        return m == CN_EXPANDING || m == CN_COLLAPSING ? answerExpand : 0;
    }
    return DefWindowProcA(h, m, w, l);
}

int Track(HWND, UINT code, cntITEM *, CNTW *rec)
{
    calls.push_back(code);
    if (code == CN_PAINT) {
        painted++;
        paintedBox = rec->itemRect;
        EXPECT_NE(rec->paintDC, nullptr);
    }
    return 0;
}

void SetKeys(bool shift, bool ctrl)
{
    BYTE ks[256];
    GetKeyboardState(ks);
    ks[VK_SHIFT] = shift ? 0x80 : 0;
    ks[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(ks);
}

struct Cnt : ::testing::Test {
    HWND parent = nullptr, win = nullptr;
    CNTW *rec = nullptr;
    CntLineSet *set = nullptr;

    void SetUp() override
    {
        static bool registered;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = OwnerProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "CntTestOwner";
            RegisterClassA(&wc);
            registered = true;
        }
        parent = CreateWindowExA(0, "CntTestOwner", "owner", WS_POPUP, 0, 0, 400, 400, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(parent);
        win = cntCreateWindow(parent, nullptr, nullptr, nullptr);
        ASSERT_TRUE(win);
        rec = (CNTW *)GetWindowLongPtrA(win, GWLP_USERDATA);
        ASSERT_TRUE(rec);
        MoveWindow(win, 0, 0, 300, 10 * rec->rowHeight + GetSystemMetrics(SM_CYHSCROLL), FALSE);
        notes.clear();
        calls.clear();
        answerExpand = 1;
        SetKeys(false, false);
    }
    void TearDown() override
    {
        SetKeys(false, false);
        if (parent)
            DestroyWindow(parent);
        cntFreeLines(set, 1);
    }
    static CntLineSet *NewSet()
    {
        CntLineSet *s = (CntLineSet *)CSGetMem(sizeof(CntLineSet), "cntLINE");
        memset(s, 0, sizeof *s);
        return s;
    }
    /* Locations with an expander, a label and a pressable text, each with
     * `queues` selectable queue lines. */
    static CntLineSet *Build(int locations, int queues, const char *prefix = "QM")
    {
        CntLineSet *s = NewSet();
        cntLINE *b = (cntLINE *)CSGetMem(200, "cntLINE");
        for (int i = 0; i < locations; i++) {
            char name[32];
            snprintf(name, sizeof name, "%s%02d", prefix, i);
            cntInitLine(b, 200, 0, 0, nullptr, nullptr);
            cntAddExpander(b, &b);
            cntAddSortLabel(b, &b, CNTI_SELECTABLE, 0, nullptr, name, -1, nullptr, nullptr);
            cntAddText(b, &b, CNTI_SELECTABLE | CNTI_PRESSABLE, 0, Track, "[go]", -1, nullptr,
                       nullptr);
            cntLINE *loc = nullptr;
            cntAddLine(s, nullptr, b, &loc);
            for (int q = 0; q < queues; q++) {
                snprintf(name, sizeof name, "Q.%03d", q);
                cntInitLine(b, 200, 0, 0, nullptr, nullptr);
                cntAddSortLabel(b, &b, CNTI_SELECTABLE, 0, nullptr, name, -1, nullptr, nullptr);
                cntAddDraw(b, &b, 0, nullptr, Track);
                cntAddChildLine(s, loc, nullptr, b, nullptr);
            }
        }
        CSFreeMem(b);
        return s;
    }
    void Give(CntLineSet *s)
    {
        CntLineSet *old = nullptr;
        ASSERT_EQ(cntSetLines(win, s, &old), 0);
        EXPECT_EQ(old, set);
        cntFreeLines(old, 1);
        set = s;
    }
    LPARAM At(int x, int row) { return MAKELPARAM(x, row * rec->rowHeight + 2); }
    void Click(int x, int row)
    {
        SendMessageA(rec->child, WM_LBUTTONDOWN, MK_LBUTTON, At(x, row));
        SendMessageA(rec->child, WM_LBUTTONUP, 0, At(x, row));
    }
    void Key(WPARAM k, UINT msg = WM_KEYDOWN) { SendMessageA(rec->child, msg, k, 0); }
    std::string Sel()
    {
        if (!rec->selLine)
            return "";
        std::string s = ((cntITEM *)((char *)rec->selLine + rec->selLine->label))->text;
        return rec->selItem ? s + "/" + rec->selItem->text : s;
    }
    cntLINE *Row(int r)
    {
        cntLINE *l = rec->firstVisible;
        while (l && (int)l->row != r)
            l = l->nextVisible;
        return l;
    }
};

TEST_F(Cnt, CallsOnOtherWindowsAreRefused)
{
    EXPECT_EQ(cntSetLines(parent, nullptr, nullptr), CNT_ENOTCNT);
    EXPECT_EQ(cntSetStyle(parent, 1), CNT_ENOTCNT);
    EXPECT_EQ(cntSetFont(nullptr, nullptr), CNT_ENOTCNT);
    EXPECT_EQ(cntScrollToSelection(parent), CNT_ENOTCNT);
    EXPECT_EQ(cntSetColours(parent, nullptr, nullptr, nullptr), CNT_ENOTCNT);
    EXPECT_EQ(cntSetStyle(rec->child, 0), 0);     /* the child window serves as well */
}

TEST_F(Cnt, EmptyContainerIgnoresKeys)
{
    Give(NewSet());
    Key(VK_DOWN);
    Key(VK_TAB);
    Key(VK_F9);
    EXPECT_EQ(rec->selLine, nullptr);
    EXPECT_EQ(rec->v.total, 0);
}

TEST_F(Cnt, NewLinesTakeTheFirstSelectableItem)
{
    cntSetStyle(win, CNTS_NOTIFYSEL);
    Give(Build(3, 2));
    EXPECT_EQ(rec->v.total, 3);
    EXPECT_EQ(Sel(), "QM00/QM00");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].msg, (UINT)CN_SELCHANGE);
    EXPECT_EQ(notes[0].lp, (LPARAM)rec->selLine);
}

TEST_F(Cnt, ExpanderAsksTheOwner)
{
    cntSetStyle(win, CNTS_ASKEXPAND | CNTS_TREELINES);
    Give(Build(3, 4));
    answerExpand = 0;
    Click(5, 1);
    EXPECT_FALSE(Row(1)->flags & CNTL_EXPANDED);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].msg, (UINT)CN_EXPANDING);
    EXPECT_EQ(notes[0].lp, (LPARAM)Row(1));
    EXPECT_EQ(rec->v.total, 3);
    answerExpand = 1;
    Click(5, 1);
    EXPECT_EQ(rec->v.total, 7);
    EXPECT_TRUE(Row(1)->flags & CNTL_EXPANDED);
    EXPECT_EQ(Row(2)->level, 2u);
    EXPECT_EQ(Row(2)->indent, rec->indent);
    Click(5, 1);                              /* and back */
    EXPECT_EQ(notes.back().msg, (UINT)CN_COLLAPSING);
    EXPECT_EQ(rec->v.total, 3);
}

TEST_F(Cnt, PressMoveOffAndReleaseDoesNotClick)
{
    Give(Build(2, 1));
    RECT rc;
    cntITEM *it = nullptr;
    cntLINE *l = cntLineAtPos(rec, 200, 2, nullptr, &rc, &it);
    ASSERT_TRUE(l);
    EXPECT_EQ(it, nullptr);                   /* beyond the items */
    /* find the "[go]" cell of row 0 */
    int x = 0;
    for (; x < 300; x++)
        if (cntLineAtPos(rec, x, 2, nullptr, &rc, &it) && it && it->type == CNTI_TEXT
            && !strcmp(it->text, "[go]"))
            break;
    ASSERT_LT(x, 300);
    SendMessageA(rec->child, WM_LBUTTONDOWN, MK_LBUTTON, At(x + 1, 0));
    EXPECT_TRUE(it->flags & CNTI_PRESSED);
    EXPECT_EQ(GetCapture(), rec->child);
    SendMessageA(rec->child, WM_MOUSEMOVE, MK_LBUTTON, At(x + 1, 1));
    EXPECT_FALSE(it->flags & CNTI_PRESSED);
    SendMessageA(rec->child, WM_MOUSEMOVE, MK_LBUTTON, At(x + 1, 1));
    SendMessageA(rec->child, WM_LBUTTONUP, 0, At(x + 1, 1));
    EXPECT_EQ(calls, (std::vector<UINT>{ CN_PRESSED, CN_RELEASED }));
    EXPECT_EQ(GetCapture(), nullptr);
    calls.clear();
    Click(x + 1, 0);
    EXPECT_EQ(calls, (std::vector<UINT>{ CN_PRESSED, CN_RELEASED, CN_CLICKED }));
    EXPECT_EQ(Sel(), "QM00/[go]");
}

TEST_F(Cnt, KeysMoveTheSelection)
{
    Give(Build(3, 3));
    EXPECT_EQ(Sel(), "QM00/QM00");
    Key(VK_UP);                               /* nothing above */
    EXPECT_EQ(Sel(), "QM00/QM00");
    Key(VK_RIGHT);
    EXPECT_EQ(Sel(), "QM00/[go]");
    Key(VK_RIGHT);                            /* stays at the end of the line */
    EXPECT_EQ(Sel(), "QM00/[go]");
    Key(VK_TAB);                              /* into the next line */
    EXPECT_EQ(Sel(), "QM01/QM01");
    SetKeys(true, false);
    Key(VK_TAB);
    EXPECT_EQ(Sel(), "QM00/[go]");
    SetKeys(false, false);
    Key(VK_DOWN);                             /* nearest item by position */
    EXPECT_EQ(Sel(), "QM01/[go]");
    Key(VK_LEFT);
    EXPECT_EQ(Sel(), "QM01/QM01");
    Key(VK_F9);                               /* expand the selected line */
    EXPECT_EQ(rec->v.total, 6);
    Key(VK_DOWN);
    EXPECT_EQ(Sel(), "Q.000/Q.000");
    Key(VK_F9);                               /* a queue has no expander */
    EXPECT_EQ(rec->v.total, 6);
    SetKeys(true, false);                     /* Alt+Shift+F9: everything open */
    Key(VK_F9, WM_SYSKEYDOWN);
    EXPECT_EQ(rec->v.total, 12);
    SetKeys(false, true);                     /* Alt+Ctrl+F9: everything shut */
    Key(VK_F9, WM_SYSKEYDOWN);
    EXPECT_EQ(rec->v.total, 3);
    EXPECT_EQ(rec->selLine, nullptr);         /* the queue went out of sight */
}

TEST_F(Cnt, ShiftAndCtrlF9OpenAndShutASubtree)
{
    CntLineSet *s = NewSet();
    cntLINE *b = (cntLINE *)CSGetMem(200, "cntLINE"), *top = nullptr, *mid = nullptr;
    const char *names[] = { "a", "b", "c" };
    for (int i = 0; i < 3; i++) {
        cntInitLine(b, 200, 0, 0, nullptr, nullptr);
        cntAddExpander(b, &b);
        cntAddSortLabel(b, &b, CNTI_SELECTABLE, 0, nullptr, names[i], -1, nullptr, nullptr);
        cntLINE *n = nullptr;
        if (i == 0)
            cntAddLine(s, nullptr, b, &top);
        else
            cntAddChildLine(s, i == 1 ? top : mid, nullptr, b, i == 1 ? &mid : &n);
    }
    cntInitLine(b, 200, 0, 0, nullptr, nullptr);
    cntAddSortLabel(b, &b, CNTI_SELECTABLE, 0, nullptr, "z", -1, nullptr, nullptr);
    cntAddLine(s, nullptr, b, nullptr);
    CSFreeMem(b);
    Give(s);
    ASSERT_EQ(Sel(), "a/a");
    SetKeys(true, false);
    Key(VK_F9);
    EXPECT_EQ(rec->v.total, 4);               /* a, b, c and z */
    SetKeys(false, true);
    Key(VK_F9);
    EXPECT_EQ(rec->v.total, 2);
    EXPECT_FALSE(mid->flags & CNTL_EXPANDED);
    SetKeys(false, false);
    Key(VK_F9);                               /* plain F9 opens one level */
    EXPECT_EQ(rec->v.total, 3);
}

TEST_F(Cnt, SpacePressesTheSelectedItem)
{
    Give(Build(2, 0));
    Key(VK_RIGHT);
    ASSERT_EQ(Sel(), "QM00/[go]");
    Key(VK_SPACE);
    EXPECT_TRUE(rec->selItem->flags & CNTI_PRESSED);
    Key(VK_SPACE, WM_KEYUP);
    EXPECT_EQ(calls, (std::vector<UINT>{ CN_PRESSED, CN_RELEASED, CN_CLICKED }));
    EXPECT_FALSE(rec->selItem->flags & CNTI_PRESSED);
}

TEST_F(Cnt, ScrollingAndSelectionOutOfView)
{
    CntLineSet *s = Build(40, 0);
    Give(s);
    int page = rec->v.page;
    EXPECT_GE(page, 10);
    SendMessageA(rec->child, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(rec->v.position, page);
    Key(VK_END);
    EXPECT_EQ(rec->v.position, 40 - page);
    Key(VK_HOME);
    EXPECT_EQ(rec->v.position, 0);
    for (int i = 0; i < 12; i++)
        Key(VK_DOWN);
    EXPECT_EQ(Sel(), "QM12/QM12");
    EXPECT_EQ(rec->v.position, 12 - page + 1);   /* the bottom row */
    EXPECT_EQ(cntScrollToSelection(win), 0);
    EXPECT_EQ(rec->v.position, 12 - page / 2);
    SendMessageA(rec->child, WM_VSCROLL, SB_TOP, 0);
    Key(VK_TAB);                                 /* out of view: from the top row */
    EXPECT_EQ(Sel(), "QM00/QM00");
    /* a taller window shows everything it can */
    SendMessageA(rec->child, WM_VSCROLL, SB_BOTTOM, 0);
    MoveWindow(win, 0, 0, 300, 50 * rec->rowHeight, FALSE);
    EXPECT_EQ(rec->v.position, 0);
}

TEST_F(Cnt, RebuiltTreeKeepsExpandedAndSelectedLines)
{
    cntSetStyle(win, CNTS_NOTIFYSEL);
    Give(Build(3, 3));
    Key(VK_DOWN);
    Key(VK_F9);
    Key(VK_DOWN);
    Key(VK_DOWN);
    ASSERT_EQ(Sel(), "Q.001/Q.001");
    Give(Build(4, 3));                  /* one more location, same labels otherwise */
    EXPECT_EQ(Sel(), "Q.001/Q.001");
    EXPECT_TRUE(Row(1)->flags & CNTL_EXPANDED);
    EXPECT_EQ(rec->v.total, 7);
    EXPECT_EQ(rec->selLine, Row(3));
    Give(Build(2, 2, "XX"));            /* nothing matches: the first line */
    EXPECT_EQ(Sel(), "XX00/XX00");
    Give(nullptr);
    EXPECT_EQ(rec->selLine, nullptr);
    EXPECT_EQ(rec->v.total, 0);
}

TEST_F(Cnt, DoubleClickAndRightButton)
{
    cntSetStyle(win, CNTS_ACTIVATE);
    Give(Build(3, 0));
    SendMessageA(rec->child, WM_LBUTTONDBLCLK, MK_LBUTTON, At(5, 2));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].msg, (UINT)CN_ACTIVATE);
    EXPECT_EQ(notes[0].lp, (LPARAM)Row(2));
    SendMessageA(rec->child, WM_RBUTTONDOWN, MK_RBUTTON, At(5, 1));  /* no expander cells */
    EXPECT_EQ(Sel(), "QM01/QM01");
    SendMessageA(rec->child, WM_RBUTTONDOWN, MK_RBUTTON, At(299, 2));   /* no item there */
    EXPECT_EQ(Sel(), "QM02/QM02");
}

TEST_F(Cnt, HeadingStrip)
{
    SetWindowTextA(win, "Queues");
    RECT r;
    GetWindowRect(rec->child, &r);
    MapWindowPoints(nullptr, win, (POINT *)&r, 2);
    EXPECT_EQ(r.top, rec->textHeight * 3 / 2);
    EXPECT_EQ(rec->headHeight, rec->textHeight * 3 / 2);
    EXPECT_STREQ(rec->heading, "Queues");
    SetWindowTextA(win, "");
    GetWindowRect(rec->child, &r);
    MapWindowPoints(nullptr, win, (POINT *)&r, 2);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(rec->heading, nullptr);
}

TEST_F(Cnt, FontChangeMeasuresAgain)
{
    Give(Build(2, 0));
    int before = rec->rowHeight;
    uint16_t width = Row(0)->width;
    HFONT big = CreateFontA(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    ASSERT_EQ(cntSetFont(win, big), 0);
    EXPECT_GT(rec->rowHeight, before);
    EXPECT_GE(rec->rowHeight, rec->rowMin);
    EXPECT_GT(Row(0)->width, width);
    DestroyWindow(parent);
    parent = nullptr;
    DeleteObject(big);
}

TEST_F(Cnt, PaintsLinesAndOwnerDrawnCells)
{
    static COLORREF back = RGB(250, 240, 200), text = RGB(0, 0, 128), sel = RGB(0, 120, 0);
    ASSERT_EQ(cntSetColours(win, &text, &back, &sel), 0);
    cntSetStyle(win, CNTS_TREELINES);
    Give(Build(2, 2));
    Key(VK_F9);
    ShowWindow(parent, SW_SHOWNA);
    painted = 0;
    RedrawWindow(rec->child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(painted, 2);                    /* the queues' owner-drawn cells */
    EXPECT_EQ(paintedBox.right - paintedBox.left, 20);
    HDC dc = GetDC(rec->child);
    EXPECT_EQ(GetPixel(dc, 250, 8 * rec->rowHeight), back);     /* below the lines */
    /* the tree line at half an indent step beside the first queue */
    EXPECT_EQ(GetPixel(dc, rec->halfIndent, rec->rowHeight + 1), text);
    ReleaseDC(rec->child, dc);
    back = RGB(10, 10, 10);                   /* the variable is read again */
    RedrawWindow(rec->child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    dc = GetDC(rec->child);
    EXPECT_EQ(GetPixel(dc, 250, 8 * rec->rowHeight), back);
    ReleaseDC(rec->child, dc);
}

TEST_F(Cnt, DestroyGivesBackTheRecord)
{
    auto busy = [] {
        size_t n = 0;
        PROCESS_HEAP_ENTRY e = {};
        HeapLock(GetProcessHeap());
        while (HeapWalk(GetProcessHeap(), &e))
            if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                n += e.cbData;
        HeapUnlock(GetProcessHeap());
        return n;
    };
    for (int round = 0; round < 2; round++) {   /* the first round warms up */
        size_t before = busy();
        for (int i = 0; i < 40; i++) {
            HWND w = cntCreateWindow(parent, nullptr, nullptr, nullptr);
            ASSERT_TRUE(w);
            SetWindowTextA(w, "A heading that is copied");
            DestroyWindow(w);
        }
        if (round) {
            EXPECT_LT(busy(), before + 40 * sizeof(CNTW) / 2);
        }
    }
}

} // namespace
