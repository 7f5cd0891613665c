/* The Windows side of a dialog's filter: sounds reach the toolkit's
 * player (seen through WinSetSoundHooks), the filter field is read from
 * its combo box and an error range selected in it. */
#include "fltwtest.h"
#include "tkwin.h"

using namespace fltwtest;

namespace {

std::vector<std::string> Played;
void Player(int kind, const char *name) { Played.push_back(std::to_string(kind) + ":" + (name ? name : "")); }
int64_t Clock() { static int64_t t = 1000; return t += 100; }

TEST(WindowHooks, SoundsAndTheFilterField)
{
    SetUpWindows();
    TestDialog t;
    t.list.Fill(flttest::Queues({ { "A", 1, 5 }, { "B", 1, 50 } }));
    WinSetSoundHooks(Clock, Player);
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 200, 100, t.frame,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    t.d()->filterWindow = combo;
    SetWindowTextA(combo, "  sound(curdepth > 10, 'alarm.wav'); sound(0, 'never.wav')  ");
    EXPECT_EQ(PCFNewFilter(t.d(), 0), 0);
    EXPECT_STREQ(t.d()->filterText, "sound(curdepth > 10, 'alarm.wav'); sound(0, 'never.wav')");
    EXPECT_TRUE(Played.empty());
    flttest::Fill(t.d());
    ASSERT_EQ(Played.size(), 1u);
    EXPECT_EQ(Played[0], "2:alarm.wav");
    /* an error: the range selected in the combo's edit */
    SetWindowTextA(combo, "curdepth > nosuch");
    EXPECT_EQ(PCFNewFilter(t.d(), 0), 1);
    DWORD sel = (DWORD)SendMessageA(combo, CB_GETEDITSEL, 0, 0);
    EXPECT_EQ(LOWORD(sel), 11);
    EXPECT_EQ(HIWORD(sel), 17);
    EXPECT_STREQ(t.d()->filterText, "sound(curdepth > 10, 'alarm.wav'); sound(0, 'never.wav')");
    WinSetSoundHooks(nullptr, nullptr);
}

}  // namespace
