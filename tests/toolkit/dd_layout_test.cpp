/* Layout of dynamic dialogs: width sharing in a row, row breaks, size
 * classes, pixel and character sizes, word-wrapping labels, scrolled
 * panes, twisties, hidden fields, tab pages and splitters. Every figure
 * is in pixels given by the tables or in the measured character size. */
#include "dd_test.h"

#define F(type, id, text, value, mnx, mny, mxx, mxy) \
    {(uint32_t)(type), id, text, value, nullptr, 0, mnx, mny, mxx, mxy, 0}
#define S(type, id, text, value, sub) {(uint32_t)(type), id, text, value, sub, 0, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

static int cxOf(DDHANDLE dd, int id) { return DDFindField(dd, id)->cx; }
static int yOf(DDHANDLE dd, int id) { return DDFindField(dd, id)->y; }

TEST(DDLayout, BoundedFieldsGrowAPixelPerTurnBeforeUnboundedOnes)
{
    static DDFieldDef t[] = {F(DD_EDIT, 1, "", 0, -50, 0, -60, 0), F(DD_EDIT, 2, "", 0, -50, 0, -200, 0),
                             F(DD_EDIT, 3, "", 0, -50, 0, 0, 0), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 300, 100, &w, &dd), 0);
    EXPECT_EQ(cxOf(dd, 1), 60);
    EXPECT_EQ(cxOf(dd, 2), 190);
    EXPECT_EQ(cxOf(dd, 3), 50);
    EXPECT_EQ(DDTestRect(dd, 2).right - DDTestRect(dd, 2).left, 190);
    EXPECT_EQ(DDTestRect(dd, 3).left, 250);
    DDTestClose(w, &dd);
}

TEST(DDLayout, WidthLeftOverGoesToStretchingFieldsInEqualShares)
{
    static DDFieldDef t[] = {F(DD_EDIT, 1, "", 0, -50, 0, -60, 0), F(DD_EDIT, 2, "", 0, -50, 0, -60, 0),
                             F(DD_EDIT | DDF_NOSTRETCH, 3, "", 0, -50, 0, -60, 0), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 301, 100, &w, &dd), 0);
    EXPECT_EQ(cxOf(dd, 1), 121);
    EXPECT_EQ(cxOf(dd, 2), 120);
    EXPECT_EQ(cxOf(dd, 3), 60);
    EXPECT_EQ(cxOf(dd, 1) + cxOf(dd, 2) + cxOf(dd, 3), 301);
    /* the controls keep their maximum width inside the wider cells */
    EXPECT_EQ(DDTestRect(dd, 1).right - DDTestRect(dd, 1).left, 60);
    DDTestClose(w, &dd);
}

TEST(DDLayout, NoBreakKeepsAPairTogetherOnTheNextRow)
{
    static DDFieldDef t[] = {F(DD_EDIT, 1, "", 0, -100, 0, -100, 0), F(DD_EDIT, 2, "", 0, -100, 0, -100, 0),
                             F(DD_EDIT | DDF_NOBREAK, 3, "", 0, -100, 0, -100, 0), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 250, 200, &w, &dd), 0);
    EXPECT_LT(yOf(dd, 1), yOf(dd, 2));
    EXPECT_EQ(yOf(dd, 2), yOf(dd, 3));
    DDTestResize(w, 320, 200);
    EXPECT_EQ(yOf(dd, 1), yOf(dd, 2));
    EXPECT_EQ(yOf(dd, 2), yOf(dd, 3));
    /* a new-row flag always breaks */
    DDTestClose(w, &dd);
}

TEST(DDLayout, SizeClassesMakeButtonsAndLabelsEquallyWide)
{
    static DDFieldDef t[] = {
        F(DD_BUTTON | DDF_CLASS3, 1, "OK", 1, 0, 0, 0, 0),
        F(DD_BUTTON | DDF_CLASS3, 2, "Cancel", 1, 0, 0, 0, 0),
        F(DD_BUTTON | DDF_CLASS3, 3, "A much longer caption", 1, 0, 0, 0, 0),
        S(DD_GROUP | DDF_NEWROW, 0, nullptr, 0, nullptr),
        F(DD_STATIC | DDF_CLASS1, 10, "Name", 0, 0, 0, 0, 0), F(DD_EDIT, 11, "", 10, 0, 0, 0, 0),
        F(DD_STATIC | DDF_CLASS1 | DDF_NEWROW, 12, "A longer label", 0, 0, 0, 0, 0),
        F(DD_EDIT, 13, "", 10, 0, 0, 0, 0),
        S(DD_GROUPE, 0, nullptr, 0, nullptr), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 600, 300, &w, &dd), 0);
    RECT a = DDTestRect(dd, 1), b = DDTestRect(dd, 2), c = DDTestRect(dd, 3);
    EXPECT_EQ(a.right - a.left, c.right - c.left);
    EXPECT_EQ(b.right - b.left, c.right - c.left);
    EXPECT_EQ(DDFindField(dd, 1)->minCx, DDFindField(dd, 3)->minCx);
    EXPECT_EQ(DDFindField(dd, 10)->minCx, DDFindField(dd, 12)->minCx);
    EXPECT_EQ(DDTestRect(dd, 11).left, DDTestRect(dd, 13).left);
    DDTestClose(w, &dd);
}

TEST(DDLayout, PixelAndCharacterSizes)
{
    static DDFieldDef t[] = {F(DD_STATIC, 1, "some label text", 0, -1, 0, -10, 0),
                             F(DD_EDIT | DDF_NEWROW, 2, "", 10, 0, 0, 0, 0),
                             F(DD_EDIT | DDF_NEWROW, 3, "", 0, 12, 0, 12, 0), END};
    HWND w;
    DDHANDLE dd;
    for (int width : {100, 500}) {
        ASSERT_EQ(DDTestDialog(t, 0, width, 200, &w, &dd), 0);
        RECT r = DDTestRect(dd, 1);
        EXPECT_GE(r.right - r.left, 1);
        EXPECT_LE(r.right - r.left, 10);
        DDField *e = DDFindField(dd, 2);
        EXPECT_EQ(e->minCx, 10 * dd->cw);
        EXPECT_EQ(e->minCy, dd->ch + 2 * GetSystemMetrics(SM_CYEDGE));
        EXPECT_EQ(DDFindField(dd, 3)->maxCx, 12 * dd->cw);
        DDTestClose(w, &dd);
    }
}

TEST(DDLayout, WrappingLabelGrowsAsTheDialogNarrows)
{
    static DDFieldDef t[] = {
        F(DD_STATIC, 1, "This label holds a long sentence that has to wrap onto several lines "
                        "when the dialog becomes narrow enough.", 1, 0, 0, 0, 0),
        F(DD_EDIT | DDF_NEWROW, 2, "", 10, 0, 0, 0, 0), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 1000, 400, &w, &dd), 0);
    RECT wide = DDTestRect(dd, 1);
    int ch = dd->ch;
    EXPECT_LE(wide.bottom - wide.top, ch * 3 / 2);
    DDTestResize(w, 150, 400);
    RECT narrow = DDTestRect(dd, 1);
    EXPECT_GE(narrow.bottom - narrow.top, 3 * ch);
    EXPECT_GE(DDTestRect(dd, 2).top, narrow.bottom);
    DDTestClose(w, &dd);
}

TEST(DDLayout, TallPaneContentsGetAScrollBarAndANarrowerLayout)
{
    static DDFieldDef rows[21];
    for (int i = 0; i < 20; i++)
        rows[i] = F(DD_EDIT | DDF_NEWROW, 100 + i, "", 0, 0, 0, 0, 0);
    rows[20] = END;
    static DDFieldDef t[] = {{DD_SPANE, 50, nullptr, 0, rows, 0, 0, 5, 0, 5, 0}, END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 300, 300, &w, &dd), 0);
    DDField *pane = DDFindField(dd, 50);
    ASSERT_NE(pane->hwnd, nullptr);
    EXPECT_EQ(pane->cy, 5 * dd->ch);
    EXPECT_TRUE(pane->state & DDS_NEEDVSCROLL);
    EXPECT_TRUE(pane->vscroll.needed);
    EXPECT_TRUE(GetWindowLongA(pane->hwnd, GWL_STYLE) & WS_VSCROLL);
    RECT inner;
    GetClientRect(pane->hwnd, &inner);
    EXPECT_EQ(DDFindField(dd, 100)->cx, pane->cx - GetSystemMetrics(SM_CXVSCROLL));
    /* scrolling down moves the contents up */
    int before = DDTestRect(dd, 101).top;
    SendMessageA(pane->hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    RECT r;
    GetWindowRect(DDFindField(dd, 101)->hwnd, &r);
    MapWindowPoints(nullptr, w, (POINT *)&r, 2);
    EXPECT_LT(r.top, before);
    DDTestClose(w, &dd);
}

TEST(DDLayout, CollapsingATwistyClosesTheGap)
{
    static DDFieldDef t[] = {F(DD_TWISTY, 10, "More", 0, 0, 0, 0, 0),
                             F(DD_EDIT | DDF_NEWROW, 11, "", 10, 0, 0, 0, 0),
                             F(DD_EDIT | DDF_NEWROW, 12, "", 10, 0, 0, 0, 0),
                             S(DD_TWISTYE, 0, nullptr, 0, nullptr),
                             F(DD_BUTTON | DDF_NEWROW, 20, "Done", 1, 0, 0, 0, 0), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 300, 400, &w, &dd), 0);
    int open = DDTestRect(dd, 20).top;
    ASSERT_NE(DDFindField(dd, 11)->hwnd, nullptr);
    HWND tw = DDFindField(dd, 10)->hwnd;
    ASSERT_NE(tw, nullptr);
    SendMessageA(tw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(tw, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    DDTestPump();
    EXPECT_EQ(DDFindField(dd, 10)->value & 1, 1u);
    EXPECT_EQ(DDFindField(dd, 11)->hwnd, nullptr);
    int closed = DDTestRect(dd, 20).top;
    EXPECT_LT(closed, open);
    EXPECT_GE(open - closed, 2 * dd->ch);
    /* Space expands it again */
    DDTestKey(DDFindField(dd, 10)->hwnd, VK_SPACE);
    EXPECT_EQ(DDTestRect(dd, 20).top, open);
    DDTestClose(w, &dd);
}

TEST(DDLayout, HiddenFieldsTakeNoSpace)
{
    static DDFieldDef t[] = {F(DD_EDIT, 1, "one", 10, 0, 0, 0, 0), F(DD_EDIT | DDF_NEWROW, 2, "two", 10, 0, 0, 0, 0),
                             F(DD_EDIT | DDF_NEWROW, 3, "three", 10, 0, 0, 0, 0), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 300, 300, &w, &dd), 0);
    int third = DDTestRect(dd, 3).top;
    HWND e = DDFindField(dd, 2)->hwnd;
    SetWindowTextA(e, "typed");
    int id = 2;
    DDShowFields(dd, &id, 1, 0, 0);
    EXPECT_EQ(DDFindField(dd, 2)->hwnd, nullptr);
    EXPECT_LT(DDTestRect(dd, 3).top, third);
    char buf[32];
    DDGetFieldText(dd, 2, buf, sizeof buf);
    EXPECT_STREQ(buf, "typed");
    DDShowFields(dd, &id, 1, 1, 0);
    EXPECT_EQ(DDTestRect(dd, 3).top, third);
    GetWindowTextA(DDFindField(dd, 2)->hwnd, buf, sizeof buf);
    EXPECT_STREQ(buf, "typed");
    SIZE min;
    DDCalcMinSize(dd, &min);
    EXPECT_EQ(min.cx, 10 * dd->cw);
    DDTestClose(w, &dd);
}

TEST(DDLayout, OnlyTheCurrentTabPageHasControls)
{
    static DDFieldDef p1[] = {F(DD_LISTBOX, 11, nullptr, 0, 10, 4, 0, 0), F(DD_BUTTON, 12, "Go", 1, 0, 0, 0, 0), END};
    static DDFieldDef p2[] = {F(DD_EDIT, 21, "", 10, 0, 0, 0, 0), F(DD_BUTTON, 22, "Stop", 1, 0, 0, 0, 0), END};
    static DDFieldDef t[] = {S(DD_TABCTL, 10, nullptr, 0, nullptr), S(DD_TAB, 0, "First", 0, p1),
                             S(DD_TAB, 0, "Second", 0, p2), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 400, 300, &w, &dd), 0);
    EXPECT_NE(DDFindField(dd, 12)->hwnd, nullptr);
    EXPECT_EQ(DDFindField(dd, 21)->hwnd, nullptr);
    EXPECT_EQ(DDFindField(dd, 22)->hwnd, nullptr);
    HWND tab = DDFindField(dd, 10)->hwnd;
    RECT tr, br;
    GetWindowRect(tab, &tr);
    GetWindowRect(DDFindField(dd, 12)->hwnd, &br);
    EXPECT_GE(br.top, tr.top);
    EXPECT_LE(br.bottom, tr.bottom);
    EXPECT_EQ(DDGetTabSelection(dd, 10), 0);
    SendMessageA(tab, TCM_SETCURSEL, 1, 0);
    NMHDR nm = {tab, 10, (UINT)TCN_SELCHANGE};
    SendMessageA(tab, WM_NOTIFY, 10, (LPARAM)&nm);   /* passed on by the tab control */
    EXPECT_EQ(DDFindField(dd, 12)->hwnd, nullptr);
    EXPECT_NE(DDFindField(dd, 22)->hwnd, nullptr);
    EXPECT_EQ(DDGetTabSelection(dd, 10), 1);
    EXPECT_EQ(DDGetTabSelection(dd, 22), -2);
    EXPECT_EQ(DDGetTabSelection(dd, 999), -1);
    DDTestClose(w, &dd);
}

TEST(DDLayout, SplitterDragStopsAtTheEdge)
{
    static DDFieldDef left[] = {F(DD_LISTBOX, 11, nullptr, 0, 0, 0, 0, 0), END};
    static DDFieldDef right[] = {F(DD_LISTBOX, 21, nullptr, 0, 0, 0, 0, 0), END};
    static DDFieldDef t[] = {{DD_SPLITLR, 10, nullptr, 30000, nullptr, 0, 0, 0, 0, 0, 0},
                             S(DD_SPANE, 12, nullptr, 0, left), S(DD_SPANE, 13, nullptr, 0, right), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 400, 200, &w, &dd), 0);
    DDField *s = DDFindField(dd, 10);
    ASSERT_NE(s->hwnd, nullptr);
    EXPECT_EQ(s->bar, s->cx * 30 / 100);
    EXPECT_EQ(DDFindField(dd, 12)->cx, s->bar - 5);
    EXPECT_EQ(DDFindField(dd, 13)->x, s->bar + 5);
    SendMessageA(s->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(s->bar, 50));
    SendMessageA(s->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(s->bar + 40, 50));
    EXPECT_EQ(SendMessageA(s->hwnd, DDM_SPLITGET, 0, 0), (s->bar * 100000 + s->cx / 2) / s->cx);
    SendMessageA(s->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(s->cx + 200, 50));
    SendMessageA(s->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(s->cx + 200, 50));
    EXPECT_EQ(SendMessageA(s->hwnd, DDM_SPLITGET, 0, 0), 100000);
    EXPECT_EQ(s->bar, s->cx);
    SendMessageA(s->hwnd, DDM_SPLITSET, 50000, 0);
    EXPECT_EQ(s->bar, s->cx / 2);
    DDTestClose(w, &dd);
}

TEST(DDLayout, DialogTooSmallForItsFieldsScrolls)
{
    static DDFieldDef rows[41];
    for (int i = 0; i < 40; i++)
        rows[i] = F(DD_EDIT | DDF_NEWROW, 100 + i, "", 10, 0, 0, 0, 0);
    rows[40] = END;
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(rows, 0, 300, 200, &w, &dd), 0);
    EXPECT_TRUE(dd->root.vscroll.needed);
    EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_VSCROLL);
    int top = DDTestRect(dd, 105).top;
    SendMessageA(w, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(DDTestRect(dd, 105).top, top - dd->ch);
    /* Tab to a field below the visible part scrolls it into view */
    HWND last = DDGetFieldWindow(dd, 139, 0);
    HWND first = DDGetFieldWindow(dd, 100, 0);
    SetFocus(first);
    DDTestKey(first, VK_TAB, true);
    EXPECT_EQ(GetFocus(), last);
    RECT r = DDTestRect(dd, 139), client;
    GetClientRect(w, &client);
    EXPECT_LE(r.bottom, client.bottom);
    EXPECT_GE(r.top, 0);
    DDTestResize(w, 300, 2000);
    EXPECT_FALSE(dd->root.vscroll.needed);
    EXPECT_EQ(DDTestRect(dd, 100).top, 0);
    DDTestClose(w, &dd);
}

TEST(DDLayout, AlignmentInsideWiderCells)
{
    static DDFieldDef t[] = {
        F(DD_EDIT, 1, "", 0, -40, 0, -40, 0), F(DD_EDIT | DDF_NOSTRETCH, 9, "", 0, -200, 0, -200, 0),
        F(DD_EDIT | DDF_NEWROW | DDF_RIGHT, 2, "", 0, -40, 0, -40, 0), F(DD_EDIT | DDF_NOSTRETCH, 10, "", 0, -200, 0, -200, 0),
        F(DD_EDIT | DDF_NEWROW | DDF_HCENTRE, 3, "", 0, -40, 0, -40, 0), F(DD_EDIT | DDF_NOSTRETCH, 11, "", 0, -200, 0, -200, 0),
        F(DD_EDIT | DDF_NEWROW | DDF_TOP, 4, "", 0, -40, -10, -40, -10),
        F(DD_EDIT | DDF_BOTTOM, 5, "", 0, -40, -10, -40, -10), F(DD_EDIT, 6, "", 0, -40, -10, -40, -10),
        F(DD_EDIT | DDF_NOSTRETCH, 7, "", 0, -40, -30, -40, -30), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 340, 200, &w, &dd), 0);
    /* each cell is 140 wide for a field of at most 40 */
    ASSERT_EQ(cxOf(dd, 1), 140);
    EXPECT_EQ(DDTestRect(dd, 1).left, 0);
    EXPECT_EQ(DDTestRect(dd, 2).left, 100);
    EXPECT_EQ(DDTestRect(dd, 3).left, 50);
    /* a row 30 high holds fields of 10 at the top, bottom and centre */
    DDField *r4 = DDFindField(dd, 4);
    ASSERT_EQ(r4->cy, 30);
    EXPECT_EQ(DDTestRect(dd, 4).top, r4->y);
    EXPECT_EQ(DDTestRect(dd, 5).top, r4->y + 20);
    EXPECT_EQ(DDTestRect(dd, 6).top, r4->y + 10);
    DDTestClose(w, &dd);
}

TEST(DDLayout, SizeClassScopes)
{
    static DDFieldDef t[] = {
        F(DD_GROUPBOX, 10, "First", 0, 0, 0, 0, 0),
        F(DD_STATIC | DDF_CLASS1 | DDF_CLASSSIBLINGS, 1, "Name", 0, 0, 0, 0, 0), F(DD_EDIT, 2, "", 6, 0, 0, 0, 0),
        F(DD_GROUPE, 0, nullptr, 0, 0, 0, 0, 0),
        F(DD_GROUPBOX, 11, "Second", 0, 0, 0, 0, 0),
        F(DD_STATIC | DDF_CLASS1 | DDF_CLASSSIBLINGS, 3, "A much longer name", 0, 0, 0, 0, 0), F(DD_EDIT, 4, "", 6, 0, 0, 0, 0),
        F(DD_GROUPE, 0, nullptr, 0, 0, 0, 0, 0),
        F(DD_GROUP | DDF_NEWROW, 0, nullptr, 0, 0, 0, 0, 0),
        F(DD_STATIC | DDF_CLASS2 | DDF_CLASSDIALOG, 5, "X", 0, 0, 0, 0, 0),
        F(DD_STATIC | DDF_CLASS3, 7, "Y", 0, 0, 0, 0, 0),
        F(DD_GROUPE, 0, nullptr, 0, 0, 0, 0, 0),
        F(DD_GROUP | DDF_NEWROW, 0, nullptr, 0, 0, 0, 0, 0),
        F(DD_STATIC | DDF_CLASS2 | DDF_CLASSDIALOG, 6, "Rather wide label", 0, 0, 0, 0, 0),
        F(DD_STATIC | DDF_CLASS3, 8, "Rather wide label too", 0, 0, 0, 0, 0),
        F(DD_GROUPE, 0, nullptr, 0, 0, 0, 0, 0), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 800, 300, &w, &dd), 0);
    EXPECT_EQ(DDFindField(dd, 1)->minCx, DDFindField(dd, 3)->minCx);    /* across sibling boxes */
    EXPECT_EQ(DDFindField(dd, 5)->minCx, DDFindField(dd, 6)->minCx);    /* dialog-wide */
    EXPECT_LT(DDFindField(dd, 7)->minCx, DDFindField(dd, 8)->minCx);    /* one level only */
    DDTestClose(w, &dd);
}

TEST(DDLayout, NestedTwistyKeepsItsOwnState)
{
    static DDFieldDef inner[] = {F(DD_EDIT, 21, "", 8, 0, 0, 0, 0), END};
    static DDFieldDef outer[] = {S(DD_TWISTY, 20, "Inner", 1, inner), F(DD_EDIT | DDF_NEWROW, 12, "", 8, 0, 0, 0, 0), END};
    static DDFieldDef t[] = {S(DD_TWISTY, 10, "Outer", 0, outer), F(DD_BUTTON | DDF_NEWROW, 30, "Done", 1, 0, 0, 0, 0), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 300, 300, &w, &dd), 0);
    EXPECT_NE(DDFindField(dd, 12)->hwnd, nullptr);
    EXPECT_EQ(DDFindField(dd, 21)->hwnd, nullptr);      /* the inner one starts collapsed */
    HWND tw = DDFindField(dd, 10)->hwnd;
    SendMessageA(tw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(tw, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(DDFindField(dd, 12)->hwnd, nullptr);
    EXPECT_EQ(DDFindField(dd, 20)->hwnd, nullptr);
    SendMessageA(tw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(tw, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_NE(DDFindField(dd, 12)->hwnd, nullptr);
    EXPECT_NE(DDFindField(dd, 20)->hwnd, nullptr);
    EXPECT_EQ(DDFindField(dd, 21)->hwnd, nullptr);      /* still collapsed */
    /* a release outside the header does not toggle */
    SendMessageA(tw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(tw, WM_LBUTTONUP, 0, MAKELPARAM(-50, -50));
    EXPECT_EQ(DDFindField(dd, 10)->value & 1, 0u);
    /* hiding the outer twisty takes its section with it */
    int id = 10;
    DDShowFields(dd, &id, 1, 0, 0);
    EXPECT_EQ(DDFindField(dd, 12)->hwnd, nullptr);
    DDShowFields(dd, &id, 1, 1, 0);
    EXPECT_NE(DDFindField(dd, 12)->hwnd, nullptr);
    DDTestClose(w, &dd);
}

TEST(DDLayout, DisabledGroupBoxCaptionIsEmbossed)
{
    static DDFieldDef t[] = {F(DD_GROUPBOX, 10, "Caption", 0, 0, 0, 0, 0), F(DD_EDIT, 11, "", 8, 0, 0, 0, 0),
                             F(DD_GROUPE, 0, nullptr, 0, 0, 0, 0, 0), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 300, 200, &w, &dd), 0);
    HWND box = DDGetFieldWindow(dd, 10, 0);
    auto whites = [&] {
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        HDC dc = GetDC(box);
        int n = 0;
        for (int y = 0; y < dd->ch + 4; y++)
            for (int x = dd->cw; x < dd->cw * 10; x++)
                n += GetPixel(dc, x, y) == RGB(255, 255, 255);
        ReleaseDC(box, dc);
        return n;
    };
    int enabled = whites();
    DDEnableField(dd, 10, 0, 0);
    int disabled = whites();
    EXPECT_GT(disabled, enabled);
    DDTestClose(w, &dd);
}

TEST(DDLayout, HidingAGroupHidesItsFields)
{
    static DDFieldDef t[] = {F(DD_GROUP, 10, nullptr, 0, 0, 0, 0, 0), F(DD_EDIT, 11, "a", 8, 0, 0, 0, 0),
                             F(DD_LISTBOX, 12, nullptr, 0, 0, 0, 0, 0), F(DD_GROUPE, 0, nullptr, 0, 0, 0, 0, 0),
                             F(DD_EDIT | DDF_NEWROW, 13, "b", 8, 0, 0, 0, 0), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 300, 200, &w, &dd), 0);
    HWND list = DDFindField(dd, 12)->hwnd;
    ASSERT_NE(list, nullptr);
    int id = 10;
    DDShowFields(dd, &id, 1, 0, 0);
    EXPECT_EQ(DDFindField(dd, 11)->hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(DDTestRect(dd, 13).top, 0);
    DDShowFields(dd, &id, 1, 1, 0);
    EXPECT_TRUE(IsWindowVisible(DDFindField(dd, 12)->hwnd));
    EXPECT_NE(DDFindField(dd, 11)->hwnd, nullptr);
    DDTestClose(w, &dd);
}

TEST(DDLayout, PaneWithAScrollBarGrowsByTheBarAtMost)
{
    static DDFieldDef rows[13];
    for (int i = 0; i < 12; i++)
        rows[i] = F(DD_EDIT | DDF_NEWROW, 100 + i, "", 0, -100, 0, -100, 0);
    rows[12] = END;
    static DDFieldDef t[] = {{DD_SPANE, 50, nullptr, 0, rows, 0, 0, 4, -100, 4, 0}, END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 400, 300, &w, &dd), 0);
    int bar = GetSystemMetrics(SM_CXVSCROLL);
    DDField *pane = DDFindField(dd, 50);
    EXPECT_TRUE(pane->state & DDS_NEEDVSCROLL);
    RECT r = DDTestRect(dd, 50);
    EXPECT_EQ(r.right - r.left, 100 + bar);
    EXPECT_EQ(DDFindField(dd, 100)->cx, 100);
    /* tall enough: the bar and the extra width go */
    DDTestResize(w, 400, 2000);
    DDTestClose(w, &dd);
}

/* a drag whose mouse capture is taken away (another window, a message box)
 * ends there: later moves without the button leave the bar alone */
TEST(DDLayout, SplitterDragEndsWhenTheCaptureIsLost)
{
    static DDFieldDef left[] = {F(DD_LISTBOX, 11, nullptr, 0, 0, 0, 0, 0), END};
    static DDFieldDef right[] = {F(DD_LISTBOX, 21, nullptr, 0, 0, 0, 0, 0), END};
    static DDFieldDef t[] = {{DD_SPLITLR, 10, nullptr, 30000, nullptr, 0, 0, 0, 0, 0, 0},
                             S(DD_SPANE, 12, nullptr, 0, left), S(DD_SPANE, 13, nullptr, 0, right), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 400, 200, &w, &dd), 0);
    DDField *s = DDFindField(dd, 10);
    ASSERT_NE(s->hwnd, nullptr);
    SendMessageA(s->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(s->bar, 50));
    EXPECT_EQ(GetCapture(), s->hwnd);
    ReleaseCapture();
    SendMessageA(s->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(s->bar + 60, 50));
    EXPECT_EQ(SendMessageA(s->hwnd, DDM_SPLITGET, 0, 0), 30000);
    DDTestClose(w, &dd);
}

/* a twisty pressed and then robbed of the mouse capture is no longer
 * pressed: a later button release over it does not toggle it */
TEST(DDLayout, TwistyPressEndsWhenTheCaptureIsLost)
{
    static DDFieldDef section[] = {F(DD_EDIT, 12, "", 8, 0, 0, 0, 0), END};
    static DDFieldDef t[] = {S(DD_TWISTY, 10, "Section", 0, section), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 300, 200, &w, &dd), 0);
    DDField *f = DDFindField(dd, 10);
    HWND tw = f->hwnd;
    ASSERT_NE(tw, nullptr);
    SendMessageA(tw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(GetCapture(), tw);
    ReleaseCapture();
    EXPECT_EQ(f->state & DDS_DRAWNPRESSED, 0u);
    SendMessageA(tw, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(f->value & 1, 0u);
    DDTestClose(w, &dd);
}
