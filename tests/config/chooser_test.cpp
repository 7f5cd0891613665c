/* The colour chooser under a display: Alt-click selections, the scheme
 * column, the resets, Apply with its repaint and brushes, Change Colour,
 * and the standard colouring of a dialog; with a gallery picture. */
#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "toolkit/tkharness.h"
#include "colourwin.h"
#include "dd.h"
#include "prffile.h"
#include "tkutil.h"
#include "cs.h"

namespace {

uint32_t applied;

class Chooser : public ::testing::Test {
protected:
    HWND w = nullptr;
    DDHANDLE dd = nullptr;
    HWND list = nullptr;
    void SetUp() override
    {
        TestParent(10, 10);
        PrfLoadText("AP:\n", 4);              /* the first scheme's colours */
        ColourInitWindows(nullptr, nullptr);
        REPAINTHOOKS h = {};
        h.apply = [](void *, uint32_t mask) { applied |= mask; };
        RepaintSetHooks(&h);
        applied = 0;
        w = PCFColourDialog(nullptr);
        ASSERT_NE(w, nullptr);
        Pump();                                 /* 11235 fills it */
        dd = DDFindHandle(w);
        list = DDGetFieldWindow(dd, CLRDLG_LIST, 0);
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override
    {
        if (ColourChooserWindow())
            SendMessageA(ColourChooserWindow(), WM_CLOSE, 0, 0);
        Pump();
        RepaintSetHooks(nullptr);
        ColourChooseProc = nullptr;
    }
    int Row(int slot)
    {
        return (int)SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)ColourSlots[slot].name);
    }
    /* a click on a slot's row with Alt (and Shift) held in the keyboard */
    void ClickRow(int slot, bool alt, bool shift = false, WPARAM keys = 0)
    {
        RECT rc;
        SendMessageA(list, LB_SETTOPINDEX, Row(slot), 0);
        SendMessageA(list, LB_GETITEMRECT, Row(slot), (LPARAM)&rc);
        BYTE ks[256];
        GetKeyboardState(ks);
        ks[VK_MENU] = alt ? 0x80 : 0;
        ks[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(ks);
        Click(list, rc.left + 5, (rc.top + rc.bottom) / 2, keys);
        ks[VK_MENU] = ks[VK_SHIFT] = 0;
        SetKeyboardState(ks);
        Pump();
    }
    int Selected(int slot) { return SendMessageA(list, LB_GETSEL, Row(slot), 0) > 0; }
    int SelectedCount() { return (int)SendMessageA(list, LB_GETSELCOUNT, 0, 0); }
    void Press(int id)
    {
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        Pump();
    }
    void ChooseScheme(const char *name)
    {
        HWND combo = DDGetFieldWindow(dd, CLRDLG_SCHEME, 0);
        SendMessageA(combo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)name);
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(CLRDLG_SCHEME, CBN_SELCHANGE), (LPARAM)combo);
        Pump();
    }
};

TEST_F(Chooser, AltClickSelectsEveryRowOfTheSameColour)
{
    /* in the first scheme slots 0, 4, 5, 7, 11, ... are all C0C0C0 */
    int same = 0;
    for (int i = 0; i < CLR_SLOTS; i++)
        same += ColourSlots[i].shown && Prf.colours[i] == Prf.colours[0];
    ASSERT_GT(same, 3);
    EXPECT_FALSE(DDGetFieldWindow(dd, CLRDLG_CHANGE, 0) &&
                 IsWindowEnabled(DDGetFieldWindow(dd, CLRDLG_CHANGE, 0)));
    ClickRow(1, false);
    EXPECT_EQ(SelectedCount(), 1);
    EXPECT_TRUE(IsWindowEnabled(DDGetFieldWindow(dd, CLRDLG_CHANGE, 0)));
    ClickRow(0, true);                          /* Alt: the colour's rows only */
    EXPECT_EQ(SelectedCount(), same);
    EXPECT_FALSE(Selected(1));
    ClickRow(1, false);
    ClickRow(0, true, true, MK_CONTROL);       /* Alt+Shift: added to the selection */
    EXPECT_EQ(SelectedCount(), same + 1);
    EXPECT_TRUE(Selected(1));
    ClickRow(0, true, false, MK_CONTROL);      /* deselected with Alt: its colour goes */
    EXPECT_EQ(SelectedCount(), 1);
    EXPECT_TRUE(GalleryShot(w, "colour_chooser", true));
}

TEST_F(Chooser, SchemeColumnResetsApplyAndChange)
{
    uint32_t before[CLR_SLOTS];
    memcpy(before, Prf.colours, sizeof before);
    HBRUSH oldBrush = ColourBrush(1);
    ChooseScheme("Spring");
    Press(CLRDLG_APPLY);                        /* only the Scheme column changed */
    EXPECT_EQ(0, memcmp(before, Prf.colours, sizeof before));
    EXPECT_EQ(applied, (uint32_t)(RP_ALL | RP_COLOURS | RP_TOOLBAR));
    EXPECT_NE(ColourBrush(1), oldBrush);        /* brushes made again */
    /* the scheme column shows the chosen scheme: a pixel of its swatch */
    int cw, ch;
    std::vector<uint32_t> px = Capture(list, &cw, &ch);
    RECT rc;
    SendMessageA(list, LB_SETTOPINDEX, Row(0), 0);
    SendMessageA(list, LB_GETITEMRECT, Row(0), (LPARAM)&rc);
    px = Capture(list, &cw, &ch);
    HDC dc = GetDC(list);
    SIZE col;
    GetTextExtentPoint32A(dc, "ABCDEFGH", 8, &col);
    ReleaseDC(list, dc);
    RECT client;
    GetClientRect(list, &client);
    uint32_t pixel = PixelAt(px, cw, client.right - col.cx - col.cx / 2, (rc.top + rc.bottom) / 2);
    uint32_t spring = ColourScheme(5)[0];
    EXPECT_EQ(pixel, ((spring & 0xFF) << 16) | (spring & 0xFF00) | ((spring >> 16) & 0xFF));
    /* reset one slot to the scheme, then all to the original */
    ClickRow(1, false);
    Press(CLRDLG_RESETSCHEME);
    Press(CLRDLG_APPLY);
    EXPECT_EQ(Prf.colours[1], ColourScheme(5)[1]);
    EXPECT_EQ(Prf.colours[0], before[0]);
    ClickRow(2, false);                         /* another slot changed, then only it selected */
    Press(CLRDLG_RESETSCHEME);
    Press(CLRDLG_RESETALLORIGINAL);
    Press(CLRDLG_APPLY);
    EXPECT_EQ(0, memcmp(before, Prf.colours, sizeof before));
    /* Change Colour gives every selected slot the chosen colour */
    ColourChooseProc = [](HWND, COLORREF *c) {
        *c = RGB(1, 2, 3);
        return 1;
    };
    ClickRow(2, false);
    ClickRow(3, false, false, MK_CONTROL);
    Press(CLRDLG_CHANGE);
    Press(1);                                   /* OK applies and closes */
    EXPECT_EQ(Prf.colours[2], (uint32_t)RGB(1, 2, 3));
    EXPECT_EQ(Prf.colours[3], (uint32_t)RGB(1, 2, 3));
    EXPECT_EQ(ColourChooserWindow(), nullptr);
    /* Cancel applies nothing */
    w = PCFColourDialog(nullptr);
    Pump();
    dd = DDFindHandle(w);
    Press(CLRDLG_RESETALLORIGINAL);
    Press(2);
    EXPECT_EQ(Prf.colours[2], (uint32_t)RGB(1, 2, 3));
}

static DDFieldDef sample[] = {
    {DD_STATIC, 0, "Label", 0, nullptr, 0, 0, 0, 0, 0, 0},
    {DD_EDIT, 11, "read only", 12, nullptr, ES_READONLY | ES_AUTOHSCROLL, 0, 0, 0, 0, 0},
    {DD_EDIT, 12, "typed", 12, nullptr, 0, 0, 0, 0, 0, 0},
    {DD_BUTTON | DDF_NEWROW, 13, "Button", 1, nullptr, 0, 0, 0, 0, 0, 0},
    {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0},
};

TEST_F(Chooser, DialogColours)
{
    HWND host = TestParent(300, 100);
    DDHANDLE d = nullptr;
    ASSERT_EQ(DDCreate(host, sample, DDC_KEEPPROC, &d), 0);
    SetDlgColours(d);
    EXPECT_EQ(DDFindField(d, 11)->backColour, ColourRef(CLR_STATUSBG));
    EXPECT_EQ(DDFindField(d, 11)->textColour, ColourRef(CLR_STATUSFG));
    EXPECT_EQ(DDFindField(d, 12)->backColour, nullptr);        /* typed into: the system's */
    EXPECT_EQ(DDFindField(d, 13)->backColour, ColourRef(CLR_BUTTONBG));
    EXPECT_EQ(d->fields[0].backColour, ColourRef(CLR_DIALOGBG));
    SetDlgColoursEx(d, 1);
    EXPECT_EQ(DDFindField(d, 11)->backColour, ColourRef(CLR_DIALOGBG));
    DDDestroy(&d);
}

}  // namespace
