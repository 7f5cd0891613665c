/* Change Multiple Locations on the display: a search typed, locations
 * selected by clicks, a field chosen, "<Multiple Values>", and Set New
 * Value with the question answered both ways. */
#include "locdlgtest.h"

#include <functional>
#include <string>
#include <vector>

#include "dialogs.h"
#include "locdlgwin.h"
#include "prfdata.h"
#include "tkharness.h"

using namespace locdlgtest;

namespace {

/* The answer to the next modal confirmation, given from a timer. */
int answer;
void CALLBACK Answer(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!DDModalHandle || !DDModalHandle->root.hwnd)
        return;
    KillTimer(nullptr, id);
    SendMessageA(DDGetFieldWindow(DDModalHandle, answer, 0), BM_CLICK, 0, 0);
}

struct MultiWindow : Locations {
    HWND h = nullptr;
    MCDIALOG *d = nullptr;
    void SetUp() override
    {
        Locations::SetUp();
        TestDialogsInit();
        TestCatchBoxes(IDOK);
    }
    void TearDown() override
    {
        if (h && IsWindow(h))
            SendMessageA(h, WM_CLOSE, 0, 0);
        Pump();
        Locations::TearDown();
    }
    void Open()
    {
        h = MultiChgOpen(nullptr);
        ASSERT_NE(h, nullptr);
        Pump();
        d = MultiChgRecord(h);
        ASSERT_NE(d, nullptr);
    }
    HWND Field(int id) { return DDGetFieldWindow((DDHANDLE)d->dd, id, 0); }
    std::string Text(int id)
    {
        char b[600];
        DDGetFieldText((DDHANDLE)d->dd, id, b, sizeof b);
        return b;
    }
    /* A click on the list line that shows a location. */
    void ClickLine(QMS *r)
    {
        HWND list = Field(MC_LOCLIST);
        int n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; i++) {
            int index = (int)SendMessageA(list, LB_GETITEMDATA, (WPARAM)i, 0);
            if (index >= 0 && d->entries[index].location == r) {
                RECT rc;
                SendMessageA(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&rc);
                Click(list, rc.left + 30, (rc.top + rc.bottom) / 2);
                Pump();
                return;
            }
        }
        ADD_FAILURE() << "no line for " << r->qmName;
    }
    void ChooseField(const char *name)
    {
        HWND list = Field(MC_FIELDLIST);
        int row = (int)SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)name);
        ASSERT_GE(row, 0) << name;
        SendMessageA(list, LB_SETCURSEL, (WPARAM)row, 0);
        SendMessageA(h, WM_COMMAND, MAKEWPARAM(MC_FIELDLIST, LBN_SELCHANGE), (LPARAM)list);
        Pump();
    }
};

TEST_F(MultiWindow, SearchSelectChooseAndSetWithTheQuestionAnsweredBothWays)
{
    QMS *a = Add("QMA", "ONE", "Alpha"), *b = Add("QMA", "TWO", "Beta"), *c = Add("QMC", "", "Gamma");
    a->retryInterval = 30;
    b->retryInterval = 60;
    c->retryInterval = 30;
    Open();
    EXPECT_EQ((int)SendMessageA(Field(MC_LOCLIST), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(Text(MC_STATUS), "3 of 3 (0 selected)");
    EXPECT_TRUE(GalleryDialogShot(h, "multichg_locations"));

    TestType(Field(MC_LOCSEARCH), "qma");
    EXPECT_EQ((int)SendMessageA(Field(MC_LOCLIST), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(Text(MC_STATUS), "2 of 3 (0 selected)");
    SendMessageA(Field(MC_SELECT), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(Text(MC_STATUS), "2 of 3 (2 selected)");
    SendMessageA(Field(MC_LOCSEARCH), WM_SETTEXT, 0, (LPARAM)"");
    SendMessageA(h, WM_COMMAND, MAKEWPARAM(MC_LOCSEARCH, EN_CHANGE), 0);
    Pump();
    ClickLine(c);
    EXPECT_EQ(Text(MC_STATUS), "3 of 3 (3 selected)");
    ClickLine(c);
    EXPECT_EQ(Text(MC_STATUS), "3 of 3 (2 selected)");

    ChooseField("Retry Interval");
    char title[100];
    GetWindowTextA(h, title, sizeof title);
    EXPECT_STREQ(title, "Change Multiple Location - Retry Interval");
    EXPECT_EQ(Text(MC_FIELDNAME), "Retry Interval");
    EXPECT_EQ(Text(MC_CURRENT), "<Multiple Values>");
    EXPECT_TRUE(IsWindowEnabled(Field(MC_SETVALUE)));
    EXPECT_FALSE(IsWindowEnabled(Field(MC_ADD)));
    EXPECT_TRUE(GalleryDialogShot(h, "multichg_field"));

    DDSetFieldValue((DDHANDLE)d->dd, MC_NEW, "45");
    answer = 2;                                        /* No */
    SetTimer(nullptr, 0, 30, Answer);
    SendMessageA(Field(MC_SETVALUE), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(Text(MC_STATUS), "Set Aborted - nothing changed");
    EXPECT_EQ(a->retryInterval, 30);
    answer = 1;                                        /* Yes */
    SetTimer(nullptr, 0, 30, Answer);
    SendMessageA(Field(MC_SETVALUE), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(Text(MC_STATUS), "Locations set to new values");
    EXPECT_EQ(a->retryInterval, 45);
    EXPECT_EQ(b->retryInterval, 45);
    EXPECT_EQ(c->retryInterval, 30);                   /* not selected */
    EXPECT_EQ(Text(MC_CURRENT), "45");

    /* all equal now: no question */
    DDSetFieldValue((DDHANDLE)d->dd, MC_NEW, "50");
    SendMessageA(Field(MC_SETVALUE), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(a->retryInterval, 50);

    /* a text that is no number is refused, saying so, and nothing changes */
    DDSetFieldValue((DDHANDLE)d->dd, MC_NEW, "5O");
    SendMessageA(Field(MC_SETVALUE), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(Text(MC_STATUS), "'5O' is not a valid value for 'Retry Interval' - nothing changed");
    EXPECT_EQ(a->retryInterval, 50);
    EXPECT_EQ(b->retryInterval, 50);

    /* a list row: Add and Remove on the network names */
    ChooseField("Network Names");
    EXPECT_TRUE(IsWindowEnabled(Field(MC_ADD)));
    DDSetFieldValue((DDHANDLE)d->dd, MC_NEW, "NET9");
    SendMessageA(Field(MC_ADD), BM_CLICK, 0, 0);
    Pump();
    EXPECT_STREQ(a->networkNames, "NET9");
    EXPECT_STREQ(b->networkNames, "NET9");
    SendMessageA(Field(MC_REMOVE), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(a->networkNames, nullptr);

    /* the lines keep the entries' order: the visible ones, then the
       divider and the selected ones the search hides */
    SendMessageA(h, WM_CLOSE, 0, 0);
    Pump();
    Add("abc", "", "Delta");
    Open();
    SendMessageA(Field(MC_SELECT), BM_CLICK, 0, 0);
    TestType(Field(MC_LOCSEARCH), "QMC");
    HWND list = Field(MC_LOCLIST);
    std::vector<std::string> lines;
    for (int i = 0, n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0); i < n; i++) {
        char text[80] = "";
        SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
        lines.push_back(text);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{ "QMC 000", "p", "~ QMA 000", "~ QMA 000", "~ abc 000" }));
}

/* The sizes of Add Location and Location Settings and the split of Change
 * Multiple Locations are the profile's ("dlgadd", "dlgloc", "mcsplitp"):
 * each dialog opens at them and leaves its own there. */
TEST_F(MultiWindow, SizesAndTheSplitAreTheProfiles)
{
    QMS *a = Add("QMA", "ONE", "Alpha");
    const struct { int slot; QMS *source; } kinds[] = { { DLG_ADD, nullptr }, { DLG_LOC, a } };
    for (const auto &k : kinds) {
        Prf.dialogs[k.slot][2] = 900;
        Prf.dialogs[k.slot][3] = 700;
        HWND w = RtabOpen(nullptr, k.source, nullptr);
        ASSERT_NE(w, nullptr);
        Pump();
        RECT rc;
        GetWindowRect(w, &rc);
        EXPECT_EQ(rc.right - rc.left, 900) << k.slot;
        EXPECT_EQ(rc.bottom - rc.top, 700) << k.slot;   /* no row stretches: kept all the same */
        MoveWindow(w, rc.left, rc.top, 950, 720, TRUE);
        Pump();
        EXPECT_EQ(Prf.dialogs[k.slot][2], 950) << k.slot;
        EXPECT_EQ(Prf.dialogs[k.slot][3], 720) << k.slot;
        SendMessageA(w, WM_CLOSE, 0, 0);
        Pump();
        memset(Prf.dialogs[k.slot], 0, sizeof Prf.dialogs[k.slot]);
    }
    Prf.mcsplitp = 30000;
    Open();
    EXPECT_EQ(DDSendFieldMsg((DDHANDLE)d->dd, MC_SPLIT, DDM_SPLITGET, 0, 0), 30000);
    DDSendFieldMsg((DDHANDLE)d->dd, MC_SPLIT, DDM_SPLITSET, 45000, 0);
    SendMessageA(h, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(Prf.mcsplitp, 45000);
    Prf.mcsplitp = 0;
}

}  // namespace
