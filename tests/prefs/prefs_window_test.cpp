/* The Preferences window on the display: a picture of each of its twelve
 * tabs, bad values shown in a box with the dialog kept, an exclusive
 * group keeping one row, the repaint mask handed over on Apply, and
 * Cancel storing nothing. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cs.h"
#include "prefwin.h"
#include "tkharness.h"

namespace {

std::vector<uint32_t> masks;

struct PrefWindow : ::testing::Test {
    HWND h = nullptr;
    DDHANDLE dd = nullptr;
    void SetUp() override
    {
        TestDialogsInit();
        TestCatchBoxes(IDOK);
        PrfLoadText("AP:\n", 4);
        masks.clear();
        PREFHOOKS hooks = {};
        hooks.repaint = [](void *, uint32_t mask) { masks.push_back(mask); };
        PrefSetHooks(&hooks);
        h = PrefDialog(nullptr);
        ASSERT_NE(h, nullptr);
        Pump();
        dd = DDFindHandle(h);
        ASSERT_NE(dd, nullptr);
    }
    void TearDown() override
    {
        if (h && IsWindow(h))
            SendMessageA(h, WM_CLOSE, 0, 0);
        Pump();
        PrefSetHooks(nullptr);
    }
    void Tab(int index) { TestSelectTab(dd, h, PF_TABS, index); }
    void Set(int id, const char *text)
    {
        DDSetFieldValue(dd, id, text);
        Pump();
    }
    void Press(int id)
    {
        SendMessageA(DDGetFieldWindow(dd, id, 0), BM_CLICK, 0, 0);
        Pump();
    }
    /* A click on an option list's line of that text. */
    void ClickOption(int list, const char *text, int after = 0)
    {
        HWND w = DDGetFieldWindow(dd, list, 0);
        int row = (int)SendMessageA(w, LB_FINDSTRINGEXACT, (WPARAM)(after - 1), (LPARAM)text);
        ASSERT_GE(row, 0) << text;
        SendMessageA(w, LB_SETTOPINDEX, (WPARAM)row, 0);
        RECT rc;
        SendMessageA(w, LB_GETITEMRECT, (WPARAM)row, (LPARAM)&rc);
        Click(w, rc.left + 40, (rc.top + rc.bottom) / 2);
        Pump();
    }
    int Selected(int list, const char *text, int after = 0)
    {
        HWND w = DDGetFieldWindow(dd, list, 0);
        int row = (int)SendMessageA(w, LB_FINDSTRINGEXACT, (WPARAM)(after - 1), (LPARAM)text);
        return row >= 0 ? (int)SendMessageA(w, LB_GETSEL, (WPARAM)row, 0) : -1;
    }
};

TEST_F(PrefWindow, EveryTabPictured)
{
    char title[100];
    GetWindowTextA(h, title, sizeof title);
    EXPECT_STREQ(title, "Kelvane Preferences");
    EXPECT_EQ(PrefDialog(nullptr), h);                    /* one at a time */
    static const char *const names[12] = {
        "prefs_general", "prefs_confirmations", "prefs_dialogs", "prefs_lists", "prefs_browse",
        "prefs_connection", "prefs_export", "prefs_user_formats", "prefs_sounds", "prefs_display",
        "prefs_time", "prefs_help" };
    for (int i = 0; i < 12; i++) {
        Tab(i);
        EXPECT_TRUE(GalleryDialogShot(h, names[i])) << names[i];
    }
    /* an inverted row is shown selected while its bit is clear */
    Prf.po[1] &= ~0x80000u;
    SendMessageA(h, UM_PREF_OPTIONS, 0, 0);
    EXPECT_EQ(Selected(344, "Integral monitor positioning"), 1);
}

TEST_F(PrefWindow, BadValuesShowTheirTextAndKeepTheDialog)
{
    Tab(0);
    Set(PF_MAXHDB, "30");
    Press(1);
    ASSERT_EQ(TestBoxes().size(), 1u);
    EXPECT_EQ(TestBoxes()[0].text, "Maximum number of bytes per hex dump line should be a multiple of four.");
    EXPECT_TRUE(IsWindow(h));
    Set(PF_MAXHDB, "No limit");
    Tab(4);
    Set(PF_MAXB, "30001");
    Press(PF_APPLY);
    ASSERT_EQ(TestBoxes().size(), 2u);
    EXPECT_EQ(TestBoxes()[1].text, "Maximum number of browse messages can be no greater than 30000");
    Set(PF_MAXB, "500");
    Set(PF_MSGDSP, "201");
    Press(PF_APPLY);
    ASSERT_EQ(TestBoxes().size(), 3u);
    EXPECT_EQ(TestBoxes()[2].text, "Message summary size can be no greater than 200");
    Set(PF_MSGDSP, "60");
    Press(1);
    EXPECT_EQ(TestBoxes().size(), 3u);
    EXPECT_EQ(Prf.maxb, 500);
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(PrefWindow, ExclusiveGroupKeepsOneRowAndApplyRepaints)
{
    Tab(3);
    Prf.po[1] = (Prf.po[1] & ~0x3Fu) | 0x1;               /* "Raised" */
    SendMessageA(h, UM_PREF_OPTIONS, 0, 0);
    ClickOption(347, "Bump");
    EXPECT_EQ(Selected(347, "Bump"), 1);
    EXPECT_EQ(Selected(347, "Raised", 12), 0);            /* the "List lines" one */
    ClickOption(347, "Bump");                             /* clicked off: stays on */
    EXPECT_EQ(Selected(347, "Bump"), 1);
    int on = 0;
    for (const char *t : { "Bump", "Sunken", "Etched", "Flat", "One dimensional" })
        on += Selected(347, t);
    EXPECT_EQ(on + Selected(347, "Raised", 12), 1);

    Tab(10);
    /* the zone is typed only with local times on and the system's zone
       not used, the system's box only with local times on: each of the
       four pairs, local times off at first, ending with local times on and
       the system's box as it was */
    HWND zone = DDGetFieldWindow(dd, PF_TZ, 0), system = DDGetFieldWindow(dd, PF_SYSTEMZONE, 0),
         local = DDGetFieldWindow(dd, PF_LOCALTIMES, 0);
    auto ticked = [](HWND w) { return SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED; };
    EXPECT_FALSE(ticked(local));
    for (int press : { PF_LOCALTIMES, PF_SYSTEMZONE, PF_LOCALTIMES, PF_LOCALTIMES, PF_SYSTEMZONE }) {
        bool l = ticked(local), s = ticked(system);
        EXPECT_EQ(IsWindowEnabled(zone) != 0, l && !s) << "local times " << l << ", the system's zone " << s;
        EXPECT_EQ(IsWindowEnabled(system) != 0, l) << "local times " << l << ", the system's zone " << s;
        Press(press);
    }
    masks.clear();
    Press(PF_APPLY);
    ASSERT_EQ(masks.size(), 1u);
    EXPECT_EQ(masks[0], 0x200u | 0x10u);                 /* local times, list lines */
    EXPECT_EQ(Prf.po[1] & 0x3Fu, 0x2u);
    EXPECT_TRUE(IsWindow(h));
    masks.clear();
    Press(PF_APPLY);
    ASSERT_EQ(masks.size(), 1u);
    EXPECT_EQ(masks[0], 0u);                              /* nothing changed since */
}

TEST_F(PrefWindow, CancelStoresNothingMore)
{
    int32_t hso = Prf.hso;
    Tab(2);
    Set(PF_HSO, "33");
    Tab(8);
    Set(PF_WSND, "");
    Press(2);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(Prf.hso, hso);
    EXPECT_STREQ(Prf.wsnd, "beep");
    EXPECT_TRUE(masks.empty());
}

}  // namespace
