/* Add Location and Location Settings on the display: fields typed and Add
 * creating a location, the same names refused in a box, MVS and Auto
 * Connect acting on their fields, " Configure " opening the client
 * dialog on a client-connection area, a rename by Apply, a button whose
 * hook is missing saying so, and a picture of each dialog and tab. */
#include "locdlgtest.h"


#include "dialogs.h"
#include "locdlgwin.h"
#include "tkharness.h"

using namespace locdlgtest;

namespace {

std::vector<std::string> rows;

struct Windows : Locations {
    void SetUp() override
    {
        Locations::SetUp();
        TestDialogsInit();
        TestCatchBoxes(IDOK);
        LOCHOOKS h = {};
        h.addRow = [](void *, QMS *r, uint32_t) { rows.push_back(std::string("add ") + r->qmName); };
        h.removeRow = [](void *, QMS *r) { rows.push_back(std::string("remove ") + r->qmName); };
        LocSetHooks(&h);
        rows.clear();
    }
    void TearDown() override
    {
        LocSetHooks(nullptr);
        Locations::TearDown();
    }
    static RTABWORDS *Words(HWND h) { return (RTABWORDS *)GetWindowLongPtrA(h, GWLP_USERDATA); }
    static HWND Field(HWND h, int id) { return DDGetFieldWindow(Words(h)->dd, id, 0); }
    static std::string Text(HWND h, int id)
    {
        char b[600];
        DDGetFieldText(Words(h)->dd, id, b, sizeof b);
        return b;
    }
    static void Set(HWND h, int id, const char *text)
    {
        HWND f = Field(h, id);
        SendMessageA(f, WM_SETTEXT, 0, (LPARAM)"");
        TestType(f, text);
    }
    static void Press(HWND h, int id)
    {
        SendMessageA(Field(h, id), BM_CLICK, 0, 0);
        Pump();
    }
    static void Tab(HWND h, int index) { TestSelectTab(Words(h)->dd, h, RTF_TABS, index); }
};

TEST_F(Windows, AddLocationCreatesALocationAndRefusesTheSamePairAgain)
{
    HWND h = RtabOpen(nullptr, nullptr, nullptr);
    ASSERT_NE(h, nullptr);
    Pump();
    EXPECT_TRUE(IsWindowVisible(h));
    char title[100];
    GetWindowTextA(h, title, sizeof title);
    EXPECT_STREQ(title, "Add Location");
    static const char *const tabs[] = { "rtab_add_connection", "rtab_add_security", "rtab_add_options" };
    for (int i = 0; i < 3; i++) {
        Tab(h, i);
        EXPECT_TRUE(GalleryDialogShot(h, tabs[i]));
    }
    Tab(h, 0);
    Set(h, RTF_LOCATION, "Payments");
    Set(h, RTF_QMNAME, "QMPAY");
    GetWindowTextA(h, title, sizeof title);
    EXPECT_STREQ(title, "Add Location - QMPAY");

    /* MVS puts the z/OS command queue in, and takes it out again */
    Press(h, RTF_MVS);
    EXPECT_EQ(Text(h, RTF_CMDQ), "SYSTEM.COMMAND.INPUT");
    Press(h, RTF_MVS);
    EXPECT_EQ(Text(h, RTF_CMDQ), "SYSTEM.ADMIN.COMMAND.QUEUE");
    /* Auto Connect disables the disconnect interval */
    EXPECT_TRUE(IsWindowEnabled(Field(h, RTF_DISC)));
    Press(h, RTF_AUTO);
    EXPECT_FALSE(IsWindowEnabled(Field(h, RTF_DISC)));

    /* Client enables " Configure ", which opens the client dialog on a
       client connection over TCP/IP */
    EXPECT_FALSE(IsWindowEnabled(Field(h, RTF_CONFIGURE)));
    Press(h, RTF_CLIENT);
    ASSERT_TRUE(IsWindowEnabled(Field(h, RTF_CONFIGURE)));
    Press(h, RTF_CONFIGURE);
    ASSERT_NE(rec.lastArea, nullptr);
    EXPECT_EQ(rec.opened.definition, &PCFClientChannelDef);
    EXPECT_EQ(rec.opened.stateFlags & DF_KEEP_PREVIOUS, (uint32_t)DF_KEEP_PREVIOUS);
    EXPECT_EQ(PCFGetIntValue(nullptr, &PCFClientChannelDef, rec.lastArea, 1511, nullptr), 6);
    EXPECT_EQ(PCFGetIntValue(nullptr, &PCFClientChannelDef, rec.lastArea, 1501, nullptr), 2);
    rec.calls.clear();
    Press(h, RTF_CONFIGURE);                          /* open: it gets the focus */
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "focus" }));
    Words(h)->record->clientDialog = nullptr;         /* the test's dialog "closes" */

    Press(h, 1);
    QMS *made = LocFindByNames("QMPAY", "RAVOLT");
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->locationName, "Payments");
    EXPECT_TRUE(made->flags & LF_AUTO);
    EXPECT_TRUE(made->flags & LF_CLIENT);
    EXPECT_NE(made->clientSettings, nullptr);
    EXPECT_EQ(rows, std::vector<std::string>({ "add QMPAY" }));
    EXPECT_FALSE(IsWindow(h));                        /* closed after adding */
    EXPECT_EQ(made->settingsWindow, nullptr);

    /* the same pair again: the box, and the dialog stays */
    h = RtabOpen(nullptr, nullptr, nullptr);
    Pump();
    Set(h, RTF_LOCATION, "Payments again");
    Set(h, RTF_QMNAME, "QMPAY");
    Press(h, 1);
    ASSERT_EQ(TestBoxes().size(), 1u);
    EXPECT_EQ(TestBoxes()[0].text, "Can not add new location - a definition for this Queue Manager already exists.");
    EXPECT_EQ(TestBoxes()[0].caption, "Operation Error");
    EXPECT_TRUE(IsWindow(h));
    /* a mandatory field left empty: its box, focus on it */
    Set(h, RTF_LOCATION, "");
    Press(h, 1);
    ASSERT_EQ(TestBoxes().size(), 2u);
    EXPECT_EQ(TestBoxes()[1].text, "Please enter a value for 'Location'");
    SendMessageA(h, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(Windows, LocationSettingsShowsStatusAndRenamesByApply)
{
    QMS *a = Add("QMOLD", "", "Old place");
    a->putThread.state = 0x5;
    a->getThread.state = 0x5;
    a->status = LS_MONITORED | LS_FIRSTOFRING;
    HWND h = RtabOpen(nullptr, a, nullptr);
    ASSERT_NE(h, nullptr);
    Pump();
    EXPECT_EQ(a->settingsWindow, h);
    EXPECT_EQ(RtabOpen(nullptr, a, nullptr), h);      /* one per location */
    EXPECT_EQ(Text(h, RTF_STATUS), "[Connected],Monitored");
    EXPECT_EQ(Text(h, RTF_CONNECT), "Disconnect");
    static const char *const tabs[] = { "rtab_settings_connection", "rtab_settings_security",
                                        "rtab_settings_options" };
    for (int i = 0; i < 3; i++) {
        Tab(h, i);
        EXPECT_TRUE(GalleryDialogShot(h, tabs[i]));
    }
    Tab(h, 0);
    /* a bad network name: its box, nothing renamed yet */
    Set(h, RTF_NETNAMES, "GOOD, THIS.NAME.IS.TOO.LONGX");
    Press(h, RTF_APPLY);
    ASSERT_EQ(TestBoxes().size(), 1u);
    EXPECT_EQ(TestBoxes()[0].caption, "Invalid Network Name");
    EXPECT_EQ(TestBoxes()[0].text,
              "Network name 'THIS.NAME.IS.TOO.LONGX' is too long. Each network name should be 20 characters or less");
    Set(h, RTF_NETNAMES, "GOOD");
    Set(h, RTF_QMNAME, "QMNEW");
    rec.calls.clear();
    Press(h, RTF_APPLY);
    EXPECT_EQ(TestBoxes().size(), 1u);
    EXPECT_EQ(LocFindByNames("QMNEW", "RAVOLT"), a);
    EXPECT_EQ(LocFindByNames("QMOLD", "RAVOLT"), nullptr);
    EXPECT_TRUE(a->status & LS_RESTARTING);           /* a new name restarts it */
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "end QMOLD", "configChanged" }));
    EXPECT_TRUE(IsWindow(h));                         /* Apply keeps it open */
    Press(h, RTF_CONNECT);                            /* connected: Disconnect suspends */
    EXPECT_TRUE(a->state & LST_SUSPENDED);
    /* a button whose hook the program did not install says so */
    rec.calls.clear();
    Press(h, RTF_INIFILE);
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "ini" }));
    LOCDLGHOOKS without = *LocDlgHooks();
    without.showIniFile = nullptr;
    LocDlgSetHooks(&without);
    Press(h, RTF_INIFILE);
    ASSERT_EQ(TestBoxes().size(), 2u);
    EXPECT_EQ(TestBoxes()[1].text, "Showing the qm.ini file is not available in this build");
    Press(h, 1);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(a->settingsWindow, nullptr);
    a->putThread.state = a->getThread.state = 0;      /* the threads "ended" */
}

}  // namespace
