/* The pane's window under synthesized input: cursor keys, clicks and
 * drags, the wheel and the thumb, Ctrl+End past 65,535 lines, Insert and
 * the caret shapes, sizing and the font message. */
#include <gtest/gtest.h>
#include "edhost.h"
#include "tkharness.h"
#include "prfdata.h"
#include "tkscroll.h"

struct PaneKeys : ::testing::Test {
    EdHostDialog &host = SharedHost();
    void SetUp() override
    {
        ASSERT_NE(host.pane, nullptr);
        ResetHost(host);
    }
    PCFDATA *ed() { return host.ed; }
    DialogWords &d() { return *host.d; }
    Bytes Md(const char *format = "MQSTR   ") { return BuildMD(true, 2, format, 546, 850); }
};

TEST_F(PaneKeys, ArrowsHomeEndPagesAndTab)
{
    host.Load(Md(), EdTextLines(300));
    ASSERT_GT(ed()->scroll.lineCount, 300);
    EXPECT_GT(ed()->scroll.visible, 10);
    EXPECT_EQ(GetFocus(), host.pane);
    int32_t body = EdFindLine(ed(), "line 00001");
    EdMoveCursor(ed(), 0, 0, MC_GOTO, 3, body);
    Key(host.pane, VK_DOWN);
    Key(host.pane, VK_RIGHT);
    EXPECT_EQ(ed()->cursor.line, body + 1);
    EXPECT_EQ(ed()->cursor.column, 4);
    Key(host.pane, VK_HOME);
    EXPECT_EQ(ed()->cursor.column, 0);
    Key(host.pane, VK_END);
    EXPECT_EQ(ed()->cursor.column, 10);
    Key(host.pane, VK_HOME, false, true);
    EXPECT_EQ(ed()->cursor.line, 0);
    EXPECT_EQ(ed()->scroll.top, 0);
    Key(host.pane, VK_NEXT);
    EXPECT_EQ(ed()->cursor.line, ed()->scroll.visible);
    Key(host.pane, VK_PRIOR);
    EXPECT_EQ(ed()->cursor.line, 0);
    Key(host.pane, VK_TAB);
    int32_t field = ed()->cursor.line;
    EXPECT_GT(field, 0);
    Key(host.pane, VK_TAB);
    EXPECT_GT(ed()->cursor.line, field);
    Key(host.pane, VK_TAB, true);
    EXPECT_EQ(ed()->cursor.line, field);
    Key(host.pane, VK_END, false, true);
    EXPECT_EQ(ed()->cursor.line, ed()->scroll.lineCount - 1);
    EXPECT_GE(ed()->cursor.line, ed()->scroll.top);
    EXPECT_LT(ed()->cursor.line, ed()->scroll.top + ed()->scroll.visible);
    /* in a hex body Right from the eighth digit stands on the ninth, past
       the blank (column 9), there it stays when the pane counts and paints
       its lines again, and Left comes back over the blank */
    d().viewWords[0] = 3 | VW_RAW_BYTES;
    host.Load(std::vector<unsigned char>(), std::vector<unsigned char>(16, 0x5A));
    LINEDATA *dump = EdGetLine(ed(), 1);
    ASSERT_EQ(dump->lineType, LK_DUMP);
    int32_t value = dump->valueColumn;
    EdMoveCursor(ed(), 0, 0, MC_GOTO, value + 7, 1);
    Key(host.pane, VK_RIGHT);
    EXPECT_EQ(ed()->cursor.column, value + 9);
    EXPECT_EQ(ed()->cursor.digit, 8u);
    ed()->flush = 1;
    InvalidateRect(host.pane, nullptr, FALSE);
    UpdateWindow(host.pane);
    EXPECT_EQ(ed()->cursor.column, value + 9);
    Key(host.pane, VK_LEFT);
    EXPECT_EQ(ed()->cursor.column, value + 7);
    EXPECT_EQ(ed()->cursor.digit, 7u);
}

TEST_F(PaneKeys, ShiftSelectionThenAPlainArrow)
{
    host.Load(Md(), EdTextLines(50));
    int32_t body = EdFindLine(ed(), "line 00010");
    EdMoveCursor(ed(), 0, 0, MC_GOTO, 2, body);
    Key(host.pane, VK_RIGHT, true);
    Key(host.pane, VK_DOWN, true);
    ASSERT_TRUE(EdHasSelection(ed()));
    EXPECT_EQ(ed()->anchor.line, body);
    EXPECT_EQ(ed()->anchor.column, 2);
    EXPECT_EQ(ed()->cursor.line, body + 1);
    Key(host.pane, VK_LEFT);
    EXPECT_FALSE(EdHasSelection(ed()));
}

TEST_F(PaneKeys, ClickAndDragSelect)
{
    host.Load(Md(), EdTextLines(50));
    int32_t line = ed()->scroll.top + 3;
    MouseDown(host.pane, host.ColumnX(4), host.RowY(line));
    EXPECT_EQ(ed()->cursor.line, line);
    EXPECT_EQ(ed()->cursor.column, 4);
    EXPECT_FALSE(EdHasSelection(ed()));
    EXPECT_EQ(GetCapture(), host.pane);
    MouseMove(host.pane, host.ColumnX(7), host.RowY(line + 2));
    MouseUp(host.pane, host.ColumnX(7), host.RowY(line + 2));
    EXPECT_EQ(GetCapture(), (HWND)NULL);
    ASSERT_TRUE(EdHasSelection(ed()));
    EXPECT_EQ(ed()->anchor.line, line);
    EXPECT_EQ(ed()->anchor.column, 4);
    EXPECT_EQ(ed()->cursor.line, line + 2);
    EXPECT_EQ(ed()->cursor.column, 7);
    /* moving without the button changes nothing; a plain click drops the selection */
    MouseMove(host.pane, host.ColumnX(1), host.RowY(line), 0);
    EXPECT_EQ(ed()->cursor.line, line + 2);
    Click(host.pane, host.ColumnX(1), host.RowY(line + 1));
    EXPECT_FALSE(EdHasSelection(ed()));
}

TEST_F(PaneKeys, WheelAndThumbPastSixtyFiveThousandLines)
{
    host.Load(Md(), EdTextLines(70000));
    int32_t count = ed()->scroll.lineCount, body = EdFindLine(ed(), "line 00001");
    ASSERT_GT(count, 65535);
    ScrollSetWheelLines(3);
    SendMessageA(host.pane, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    Pump();
    EXPECT_EQ(ed()->scroll.top, 3);
    SCROLLINFO si = { sizeof si, SIF_RANGE | SIF_PAGE };
    GetScrollInfo(host.pane, SB_VERT, &si);
    EXPECT_EQ(si.nMax, count - 1);
    EXPECT_EQ((int)si.nPage, ed()->scroll.visible);
    /* the thumb dragged to line 68,000 */
    SetScrollPos(host.pane, SB_VERT, 68000, FALSE);
    SendMessageA(host.pane, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), 0);
    Pump();
    EXPECT_EQ(ed()->scroll.top, 68000);
    UpdateWindow(host.pane);
    EXPECT_LE(ed()->cacheFirst, 68000);
    EXPECT_GE(ed()->cacheLast, 68000 + ed()->scroll.visible - 1);
    LINEDATA *l = EdCachedLine(ed(), 68000);
    ASSERT_NE(l, nullptr);
    char want[32];
    snprintf(want, sizeof want, "line %05d", 68000 - body + 1);
    EXPECT_EQ(std::string(l->text, l->textLength), want);
    /* Ctrl+End reaches the last line */
    Key(host.pane, VK_END, false, true);
    EXPECT_EQ(ed()->cursor.line, count - 1);
    EXPECT_EQ(GetScrollPos(host.pane, SB_VERT), ed()->scroll.top);
    EXPECT_EQ(ed()->scroll.top, count - ed()->scroll.visible);
}

TEST_F(PaneKeys, InsertAndTheThreeCarets)
{
    host.Load(Md(), EdTextLines(20));
    int w, h;
    Key(host.pane, VK_HOME, false, true);          /* a heading: no field */
    EXPECT_EQ(ed()->caretKind, 1u);
    EdCaretShape(&w, &h);
    EXPECT_EQ(w, ed()->charWidth);
    EXPECT_LT(h, ed()->charHeight / 2);             /* an underline */
    int32_t body = EdFindLine(ed(), "line 00002");
    EdMoveCursor(ed(), 0, 0, MC_GOTO, 2, body);
    ASSERT_EQ(ed()->cursor.line, body);
    EXPECT_EQ(ed()->caretKind, 2u);
    uint32_t mode = ed()->insertMode;
    EdCaretShape(&w, &h);
    if (mode)
        EXPECT_EQ(h, ed()->charHeight);             /* a bar */
    else
        EXPECT_EQ(h, ed()->charHeight / 2);         /* a half-height block */
    Key(host.pane, VK_INSERT);
    EXPECT_NE(ed()->insertMode, mode);
    EdCaretShape(&w, &h);
    if (ed()->insertMode) {
        EXPECT_EQ(h, ed()->charHeight);
        EXPECT_LT(w, ed()->charWidth);
    } else {
        EXPECT_EQ(h, ed()->charHeight / 2);
        EXPECT_EQ(w, ed()->charWidth);
    }
}

TEST_F(PaneKeys, SizingKeepsOrChangesTheWidth)
{
    host.Load(Md(), EdTextLines(200));
    uint32_t counts = ed()->countRuns, runs = ed()->displayRuns;
    RECT w, r;
    GetWindowRect(host.pane, &w);
    GetClientRect(host.pane, &r);
    r.right = w.right - w.left;                     /* the window's size, scroll bar included */
    r.bottom = w.bottom - w.top;
    /* the same width, another height: the scroll bar only */
    SetWindowPos(host.pane, NULL, 0, 0, r.right, r.bottom - 50, SWP_NOMOVE | SWP_NOZORDER);
    PumpWith(&host);
    EXPECT_EQ(ed()->countRuns, counts);
    RECT now;
    GetClientRect(host.pane, &now);
    EXPECT_EQ(ed()->scroll.visible, now.bottom / ed()->scroll.lineHeight);
    /* another width: the lines are made again */
    SetWindowPos(host.pane, NULL, 0, 0, r.right - 200, r.bottom - 50, SWP_NOMOVE | SWP_NOZORDER);
    PumpWith(&host);
    EXPECT_EQ(ed()->countRuns, counts + 1);
    EXPECT_GT(ed()->displayRuns, runs);
    /* a line height of 0 (no font measured yet): sizing does nothing */
    uint16_t lh = ed()->scroll.lineHeight;
    int width = ed()->width;
    ed()->scroll.lineHeight = 0;
    SetWindowPos(host.pane, NULL, 0, 0, r.right - 300, r.bottom, SWP_NOMOVE | SWP_NOZORDER);
    PumpWith(&host);
    EXPECT_EQ(ed()->width, width);
    ed()->scroll.lineHeight = lh;
}

TEST_F(PaneKeys, TheFontMessageMeasuresTheFont)
{
    host.Load(Md(), EdTextLines(20));
    d().lineGap = 4;
    Prf.npfont.height = -20;
    SendMessageA(host.pane, UM_PANE_NEWFONT, 0, 0);
    PumpWith(&host);
    EXPECT_GE(ed()->charHeight, 18);
    EXPECT_EQ(ed()->scroll.lineHeight, ed()->charHeight + 4);
    RECT r;
    GetClientRect(host.pane, &r);
    EXPECT_EQ(ed()->scroll.visible, r.bottom / ed()->scroll.lineHeight);
    Prf.npfont.height = -13;
    d().lineGap = 0;
    SendMessageA(host.pane, UM_PANE_NEWFONT, 0, 0);
    PumpWith(&host);
}
