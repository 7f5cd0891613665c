/* The column filter pop-up under Xvfb on a test dialog: the layout of
 * each field type (15 check boxes, the list at 16), a typed minimum
 * applied on the first tick more than a second later and Enter at once,
 * Select All and None, the value list of a counted column, the time
 * range's spinners, the caption drag after which the list no longer
 * moves it, the work area, the filter mark shaded for an enabled filter,
 * and a picture of each layout in the gallery. */
#include "fltwtest.h"
#include "tkspin.h"
#include "tkwin.h"
#include "dd.h"

using namespace fltwtest;
using dlgtest::Reply;

namespace {

char Names[17][16];

PCFFieldDef Col(const char *title, uint32_t id, int16_t type, int values = 0)
{
    PCFFieldDef f = {};
    f.title = f.shortTitle = f.name = title;
    f.attrId = id;
    f.type = type;
    f.maximum = 20;
    if (values) {
        static PCFValueDef tables[2][17];
        PCFValueDef *t = tables[values == 16];
        for (int i = 0; i < values; i++) {
            snprintf(Names[i], sizeof Names[i], "Value %d", i + 1);
            t[i] = { 0, 0, 0, i + 1, Names[i], Names[i] };
        }
        t[values] = { 0, 0, 0, 0, nullptr, nullptr };
        f.values = t;
    }
    return f;
}

PCFFieldDef Depth = Col("Maximum Depth", 15, 1), Pos = Col("Position", 10033, 1), Checks15 = Col("Fifteen", 20, 2, 15),
            List16 = Col("Sixteen", 30, 2, 16), Name = Col("Queue Name", 2016, 5), When = Col("Put Date", 2092, 4),
            Stamp = Col("Put Date Time", 10230, 36);

PCFLISTENTRY Columns[] = { { &Depth, 3 }, { &Pos, 3 }, { &Checks15, 3 }, { &List16, 3 }, { &Name, 3 },
                           { &When, 3 },  { &Stamp, 3 }, { nullptr, 0 } };

struct Popup : ::testing::Test {
    static void SetUpTestSuite() { SetUpWindows(); }
    TestDialog *t = nullptr;
    void SetUp() override
    {
        t = new TestDialog();
        t->d()->first.columns = Columns;
        Reply r(MQCMD_INQUIRE_Q);
        for (int i = 0; i < 6; i++) {
            if (i)
                r.Separator();
            r.Int(15, (i % 3) * 100).Int(10033, i + 1).Int(20, 1 + i % 15).Int(30, 1 + i % 16);
            r.Str(2016, i % 2 ? "APP.ONE" : "SYS.TWO").Str(2092, "20260101");
            r.Str(10027, "20261206").Str(10028, i < 3 ? "14050900" : "23000000");
        }
        t->list.Fill(r);
    }
    void TearDown() override
    {
        ColFilterClose(t->d());
        t->d()->first.columns = nullptr;
        delete t;
        CSSetCurrentTime(0);
    }
    HWND Open(PCFFieldDef *f, int left = 100)
    {
        COLFANCHOR a = t->Anchor(left, 120);
        ColFilterToggle(t->d(), f, &a);
        Pump();
        return ColFilterWindow(t->d());
    }
    std::vector<int> Ids()
    {
        std::vector<int> ids;
        COLFSTATE *st = ColFilterState(t->d(), 0);
        for (COLFCTL *c = st->controls; c && c->layoutRow; c++)
            if (c->window && c->id)
                ids.push_back(c->id);
        return ids;
    }
    std::vector<int> Shown()
    {
        std::vector<int> v;
        int i = 0;
        for (PCFROW *r : t->list.Rows()) {
            if (ColFilterMatch(t->d(), r))
                v.push_back(i);
            i++;
        }
        return v;
    }
};

TEST_F(Popup, LayoutByFieldType)
{
    struct {
        PCFFieldDef *column;
        std::vector<int> ids;
        const char *picture;
    } layouts[] = {
        { &Pos, { 876, 875, 878, 879 }, "colfilter_range" },
        { &Depth, { 876, 875, 878, 879, 884, 886, 885, 883 }, "colfilter_counted" },
        { &Checks15, { 876, 875, 540, 887, 983, 984, 985, 986, 987, 988, 989, 990, 991, 992, 993, 994, 995, 996, 997 },
          "colfilter_checks" },
        { &List16, { 876, 875, 540, 887, 886, 998 }, "colfilter_list" },
        { &Name, { 876, 875, 579, 881, 882, 525 }, "colfilter_text" },
        { &When, { 876, 875, 579, 881, 882 }, "colfilter_text_date" },
        { &Stamp, { 876, 875, 226, 1011, 1013, 1012 }, "colfilter_time" },
    };
    for (auto &l : layouts) {
        HWND w = Open(l.column);
        ASSERT_NE(w, nullptr) << l.picture;
        char cls[32];
        GetClassNameA(w, cls, sizeof cls);
        EXPECT_STREQ(cls, ZKT_COLFILTER);
        EXPECT_EQ(Ids(), l.ids) << l.picture;
        EXPECT_TRUE(IsWindowVisible(w));
        /* under the column's title cell, no taller than it needs */
        RECT r;
        GetWindowRect(w, &r);
        POINT cell = { 100, 20 };
        ClientToScreen(t->title, &cell);
        EXPECT_EQ(r.left, cell.x) << l.picture;
        EXPECT_EQ(r.top, cell.y) << l.picture;
        Picture(w, l.picture);
        /* the same column again closes it */
        COLFANCHOR a = t->Anchor(100, 120);
        ColFilterToggle(t->d(), l.column, &a);
        EXPECT_EQ(ColFilterWindow(t->d()), nullptr);
        EXPECT_FALSE(IsWindow(w));
    }
    /* its controls in the small font only while the preference asks */
    ASSERT_TRUE(winFonts.smallFont && winFonts.mainFont && winFonts.smallFont != winFonts.mainFont);
    for (int small : { 1, 0 }) {
        FltPrefs.smallPopupFont = small;
        Open(&Name);
        EXPECT_EQ((HFONT)SendMessageA(Control(t->d(), 881), WM_GETFONT, 0, 0),
                  small ? winFonts.smallFont : winFonts.mainFont);
        ColFilterClose(t->d());
    }
    /* a new enumerated filter starts with every value, not enabled */
    Open(&Checks15);
    EXPECT_FALSE(Checked(t->d(), CFC_ENABLE));
    for (int id = 983; id <= 997; id++)
        EXPECT_TRUE(Checked(t->d(), id)) << id;
    EXPECT_EQ(WindowText(Control(t->d(), 983)), "Value 1");
}

TEST_F(Popup, TypedBoundsApplyASecondLaterOrAtEnter)
{
    CSSetCurrentTime(1000);
    Open(&Pos);
    SetWindowTextA(Control(t->d(), CFC_MINIMUM), "4");
    Pump();
    EXPECT_TRUE(t->d()->displayFlags & DD_COLF_PENDING);
    EXPECT_EQ(ColFilterPending, 1);
    COLFILTER *f = ColFilterFind(t->d(), &Pos, 0);
    PCFOpenDialogs = t->d();
    CSSetCurrentTime(1001);
    ColFilterDeferred();
    EXPECT_EQ(f->bounds & CFB_MIN, 0u);
    EXPECT_EQ(ColFilterPending, 1);
    CSSetCurrentTime(1002);
    ColFilterDeferred();
    EXPECT_EQ(f->bounds & CFB_MIN, (uint32_t)CFB_MIN);
    EXPECT_EQ(f->minimum, 4);
    EXPECT_TRUE(f->enabled);
    EXPECT_TRUE(Checked(t->d(), CFC_ENABLE));
    EXPECT_EQ(ColFilterPending, 0);
    EXPECT_FALSE(t->d()->displayFlags & DD_COLF_PENDING);
    EXPECT_GE(t->refreshes, 1);
    EXPECT_EQ(Shown(), std::vector<int>({ 3, 4, 5 }));
    /* Enter in the field applies at once */
    SetWindowTextA(Control(t->d(), CFC_MAXIMUM), "5");
    SendMessageA(Control(t->d(), CFC_MAXIMUM), WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(f->maximum, 5);
    EXPECT_EQ(Shown(), std::vector<int>({ 3, 4 }));
    PCFOpenDialogs = nullptr;
    /* closing keeps the filter */
    ColFilterClose(t->d());
    EXPECT_EQ(Shown(), std::vector<int>({ 3, 4 }));
}

TEST_F(Popup, SelectAllAndNone)
{
    Open(&Checks15);
    Click(Control(t->d(), CFC_SELECTNONE));
    COLFILTER *f = ColFilterFind(t->d(), &Checks15, 0);
    for (int id = 983; id <= 997; id++)
        EXPECT_FALSE(Checked(t->d(), id));
    EXPECT_TRUE(Checked(t->d(), CFC_ENABLE));
    EXPECT_EQ(f->selectedCount, 0);
    EXPECT_EQ(Shown(), std::vector<int>());
    /* a value box clicked checks Enable and the value passes, the list
       filtered again */
    int refreshes = t->refreshes;
    Click(Control(t->d(), 985));
    EXPECT_EQ(f->selectedCount, 1);
    EXPECT_EQ(Shown(), std::vector<int>({ 2 }));
    EXPECT_EQ(t->refreshes, refreshes + 1);
    Click(Control(t->d(), CFC_SELECTALL));
    EXPECT_FALSE(Checked(t->d(), CFC_ENABLE));
    EXPECT_FALSE(f->enabled);
    EXPECT_EQ(f->selectedCount, 15);
    EXPECT_EQ(Shown(), std::vector<int>({ 0, 1, 2, 3, 4, 5 }));
    /* inverse of all values, enabled: none */
    Click(Control(t->d(), CFC_ENABLE));
    Click(Control(t->d(), CFC_INVERSE));
    EXPECT_EQ(Shown(), std::vector<int>());
}

TEST_F(Popup, TheEnumeratedListCountsItsValues)
{
    Open(&List16);
    COLFSTATE *st = ColFilterState(t->d(), 0);
    /* a fill counts the rows of each value */
    ColFilterResetCounts(t->d());
    PCFLISTPARTS parts;
    PCFListAreaPointers(t->list.Area(), &parts);
    for (PCFROW *r : t->list.Rows())
        ColFilterCountValue(t->d(), t->list.Area(), parts.columns, r);
    ColFilterRecount(t->d());
    HWND list = Control(t->d(), CFC_ENUMLIST);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 6);
    uint32_t total = 0;
    for (COLFCTL *c = st->controls; c->layoutRow; c++)
        total += c->count;
    EXPECT_EQ(total, 6u);
    /* deselecting entries enables the filter, the list filtered again */
    int refreshes = t->refreshes;
    SendMessageA(list, LB_SETSEL, FALSE, 0);
    SendMessageA(ColFilterWindow(t->d()), WM_COMMAND, MAKEWPARAM(CFC_ENUMLIST, LBN_SELCHANGE), (LPARAM)list);
    Pump();
    EXPECT_EQ(t->refreshes, refreshes + 1);
    EXPECT_TRUE(Checked(t->d(), CFC_ENABLE));
    EXPECT_EQ(ColFilterFind(t->d(), &List16, 0)->selectedCount, 15);
    EXPECT_EQ(Shown(), std::vector<int>({ 1, 2, 3, 4, 5 }));
    /* Show All lists the values no row holds too */
    Click(Control(t->d(), CFC_SHOWALL));
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 16);
    Click(Control(t->d(), CFC_SHOWALL));
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(ColFilterFind(t->d(), &List16, 0)->selectedCount, 15);
    Picture(ColFilterWindow(t->d()), "colfilter_list_counted");
}

TEST_F(Popup, TheCountedValueList)
{
    Open(&Depth);
    COLFILTER *f = ColFilterFind(t->d(), &Depth, 0);
    ASSERT_NE(f->values, nullptr);
    EXPECT_EQ(f->values->count, 3);
    HWND list = Control(t->d(), CFC_VALUELIST);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_TRUE(Checked(t->d(), CFC_ANYVALUE));
    SendMessageA(list, LB_SETSEL, TRUE, 2);
    SendMessageA(ColFilterWindow(t->d()), WM_COMMAND, MAKEWPARAM(CFC_VALUELIST, LBN_SELCHANGE), (LPARAM)list);
    Pump();
    EXPECT_FALSE(Checked(t->d(), CFC_ANYVALUE));
    Click(Control(t->d(), CFC_ENABLE));
    EXPECT_EQ(Shown(), std::vector<int>({ 2, 5 }));
    Picture(ColFilterWindow(t->d()), "colfilter_counted_values");
}

TEST_F(Popup, TheTimeRangeSpinners)
{
    Open(&Stamp);
    HWND from = Control(t->d(), CFC_FROM), length = Control(t->d(), CFC_FOR), until = Control(t->d(), CFC_UNTIL);
    ASSERT_TRUE(from && length && until);
    COLFILTER *f = ColFilterFind(t->d(), &Stamp, 0);
    int64_t day[7] = { 6, 11, 2026, 14, 0, 0, 0 };
    SpinSetValues(from, 7, day);
    SpinSetCheck(from, -1, 1);
    Pump();
    EXPECT_TRUE(f->bounds & CFB_FROM);
    EXPECT_TRUE(Checked(t->d(), CFC_ENABLE));
    int64_t hour[5] = { 0, 1, 0, 0, 50 };
    SpinSetValues(length, 5, hour);
    SpinSetCheck(length, -1, 1);
    Pump();
    /* From and For give Until */
    int64_t got[7];
    SpinGetValues(until, 7, got);
    EXPECT_EQ(got[3], 15);
    EXPECT_EQ(got[6], 50);
    EXPECT_EQ(Shown(), std::vector<int>({ 0, 1, 2 }));
    /* the third switches off the one edited longer ago */
    SpinSetCheck(until, -1, 1);
    Pump();
    EXPECT_EQ(SpinGetField(from, -1), 0);
    EXPECT_EQ(f->bounds & (CFB_FROM | CFB_UNTIL | CFB_FOR), (uint32_t)(CFB_UNTIL | CFB_FOR));
    /* an invalid date fails the rows until it is corrected */
    SpinSetCheck(from, -1, 1);
    int64_t bad[7] = { 31, 10, 2026, 0, 0, 0, 0 };
    SpinSetValues(from, 7, bad);
    SpinNotifyBlock changed = { from, SPN_CHANGED, CFC_FROM, (uint32_t)-6 };
    SendMessageA(ColFilterWindow(t->d()), SPM_NOTIFY, CFC_FROM, (LPARAM)&changed);
    Pump();
    EXPECT_TRUE(f->bounds & CFB_FROM_BAD);
    EXPECT_EQ(Shown(), std::vector<int>());
    Picture(ColFilterWindow(t->d()), "colfilter_time_error");
}

TEST_F(Popup, DraggedItStaysWhereTheUserPutIt)
{
    HWND w = Open(&Name);
    RECT before;
    GetWindowRect(w, &before);
    ColFilterFollow(t->d(), before.left + 30, before.top);
    RECT moved;
    GetWindowRect(w, &moved);
    EXPECT_EQ(moved.left, before.left + 30);
    MouseDown(w, 10, 5);
    MouseMove(w, 60, 45);
    MouseUp(w, 60, 45);
    Pump();
    RECT dragged;
    GetWindowRect(w, &dragged);
    EXPECT_EQ(dragged.left, moved.left + 50);
    EXPECT_EQ(dragged.top, moved.top + 40);
    ColFilterFollow(t->d(), 0, 0);
    COLFANCHOR a = t->Anchor(10, 100);
    ColFilterPosition(t->d(), &a);
    RECT after;
    GetWindowRect(w, &after);
    EXPECT_EQ(after.left, dragged.left);
    EXPECT_EQ(after.top, dragged.top);
    /* the owner's moves still carry it */
    ColFilterPlace(t->d(), 5, 7);
    GetWindowRect(w, &after);
    EXPECT_EQ(after.left, dragged.left + 5);
    EXPECT_EQ(after.top, dragged.top + 7);
}

TEST_F(Popup, KeptInsideTheWorkArea)
{
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    SetWindowPos(t->frame, nullptr, area.right - 150, area.bottom - 60, 600, 300, SWP_NOZORDER);
    HWND w = Open(&Stamp, 100);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_LE(r.right, area.right);
    EXPECT_LE(r.bottom, area.bottom);
    EXPECT_GE(r.left, area.left);
    EXPECT_GE(r.top, area.top);
}

TEST_F(Popup, TheFilterMark)
{
    COLFILTER *f = ColFilterFind(t->d(), &Name, 1);
    RECT cell = { 0, 0, 120, 22 }, mark;
    ASSERT_TRUE(ColFilterHeaderRect(t->d(), &cell, 1000, 10, &mark));
    EXPECT_EQ(mark.right, 120 - GetSystemMetrics(SM_CXEDGE));
    EXPECT_FALSE(ColFilterHeaderRect(t->d(), &cell, 100, 10, &mark));
    RECT narrow = { 0, 0, 20, 22 };
    EXPECT_FALSE(ColFilterHeaderRect(t->d(), &narrow, 1000, 10, &mark));
    FltPrefs.markAlways = 1;                          /* over the title: room for the mark alone */
    EXPECT_TRUE(ColFilterHeaderRect(t->d(), &narrow, 1000, 10, &mark));
    narrow.right = 10;
    EXPECT_FALSE(ColFilterHeaderRect(t->d(), &narrow, 1000, 10, &mark));
    FltPrefs.markAlways = 0;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bm = CreateCompatibleBitmap(screen, 120, 22);
    ReleaseDC(nullptr, screen);
    SelectObject(dc, bm);
    auto fillAt = [&](int enabled) {
        f->enabled = (uint32_t)enabled;
        ColFilterDrawMark(t->d(), dc, &cell, 0, &Name);
        ColFilterHeaderRect(t->d(), &cell, 1000, 0, &mark);
        return GetPixel(dc, mark.left + 3, mark.top + 3);
    };
    COLORREF plain = fillAt(0), shaded = fillAt(1);
    EXPECT_EQ(plain, FltColours.titlesBack);
    EXPECT_EQ(shaded, DDShadeColour(FltColours.titlesBack, -25));
    EXPECT_NE(plain, shaded);
    FltPrefs.popupMenuBrush = 1;                      /* an enabled filter's mark on the menu colour */
    EXPECT_EQ(fillAt(1), FltColours.menuBack);
    EXPECT_EQ(fillAt(0), FltColours.titlesBack);
    FltPrefs.popupMenuBrush = 0;
    DeleteDC(dc);
    DeleteObject(bm);
}

}  // namespace
