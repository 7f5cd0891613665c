/* The credential dialogs under a display: the prompt's sizes, notes and
 * OK, the log-on dialog's attempts text and its background form, the
 * creation and set-password dialogs, each with a gallery picture. */
#include <gtest/gtest.h>

#include <windows.h>
#include <cstring>
#include <string>

#include "toolkit/tkharness.h"
#include "config/cfgtest.h"
#include "dd.h"
#include "locstore.h"
#include "prfdata.h"
#include "pwcwin.h"
#include "tkutil.h"
#include "tkwin.h"
#include "cs.h"

namespace {

class Dialogs : public ::testing::Test {
protected:
    std::string dir, file;
    void SetUp() override
    {
        TestParent(10, 10);
        dir = cfgtest::TempDir("pwcdlg");
        file = dir + CSPathSepString + "RAVOLT.PWC";
        PrfSetDefaults();
        Prf.po[3] |= 0x200;
        snprintf(Prf.pwc, sizeof Prf.pwc, "%s", file.c_str());
        snprintf(Prf.wsnd, sizeof Prf.wsnd, "none");
        PWCResetState();
        PWCRefreshFileName();
        PWCInitWindows(nullptr);
        PWCHOOKS h = *PWCHooks();
        h.confirm = [](void *, const char *) { return 1; };
        PWCSetHooks(&h);
        UtilSetMessageBoxSink([](HWND, const char *, const char *, UINT) { return IDOK; });
    }
    void TearDown() override
    {
        for (HWND w : { PWCAccessWindow(), PWCSetWindow() })
            if (w)
                SendMessageA(w, WM_CLOSE, 0, 0);
        Pump();
        while (LocTree)
            LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
        LocFlushFreed();
        PWCSetHooks(nullptr);
        PWCResetState();
    }
    QMS *Location(uint32_t flags2 = 0)
    {
        QMS t;
        InitLocationDefaults(&t);
        strcpy(t.qmName, "QMDLG");
        t.flags |= LF_USRP;
        t.flags2 = flags2;
        CSStringSet(&t.securityGroupDesc, "Payments", -1);
        return LocCreate(&LocTree, &t, 0);
    }
    static std::string Text(HWND w, int id)
    {
        char buf[300] = "";
        DDGetFieldText(DDFindHandle(w), id, buf, sizeof buf);
        return buf;
    }
    static void Type(HWND w, int id, const char *text)
    {
        HWND f = DDGetFieldWindow(DDFindHandle(w), id, 0);
        ASSERT_NE(f, nullptr) << id;
        SetWindowTextA(f, text);           /* the edit sends EN_CHANGE */
        Pump();
    }
    static int Enabled(HWND w, int id)
    {
        HWND f = DDGetFieldWindow(DDFindHandle(w), id, 0);
        return f && IsWindowEnabled(f);
    }
    static int Shown(HWND w, int id)
    {
        HWND f = DDGetFieldWindow(DDFindHandle(w), id, 0);
        return f && IsWindowVisible(f);
    }
    static void Press(HWND w, int id)
    {
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        Pump();
    }
};

/* a dialog as the screen shows it, once it has painted */
bool Shot(HWND w, const char *name)
{
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    return GalleryShot(w, name, true);
}

int WindowHeight(HWND w)
{
    RECT rc;
    GetWindowRect(w, &rc);
    return rc.bottom - rc.top;
}

TEST_F(Dialogs, PromptSizesNotesAndOk)
{
    QMS *r = Location(LF2_UCUSER);
    int heights[3];
    const int asks[3][2] = { { 1, 1 }, { 1, 0 }, { 0, 1 } };
    KDBS *kdb = nullptr;
    KDBFind("C:\\keys\\key.kdb", &kdb, 1);
    r->kdbEntry = kdb;
    for (int i = 0; i < 3; i++) {
        UserIdDialog(r, asks[i][0], asks[i][1]);
        HWND w = (HWND)r->credDialog;
        ASSERT_NE(w, nullptr);
        heights[i] = WindowHeight(w);
        if (i == 0) {
            char caption[100];
            GetWindowTextA(w, caption, sizeof caption);
            EXPECT_STREQ(caption, "Credentials for connecting to 'QMDLG'");
            EXPECT_EQ(Text(w, USR_WARNING), "Note: UserId is uppercased");
            EXPECT_EQ(Text(w, USR_TEXT), "Please enter your credentials for 'Payments' : ");
            EXPECT_EQ(Text(w, USR_KDBFILE), "C:\\keys\\key.kdb");
            EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
            EXPECT_TRUE(Shot(w, "credentials_prompt"));
        }
        if (i == 2) {
            EXPECT_FALSE(Shown(w, USR_PASSWORD));          /* only the key database */
            EXPECT_TRUE(Shown(w, USR_KDBPASSWORD));
        }
        SendMessageA(w, WM_CLOSE, 0, 0);
        Pump();
        EXPECT_EQ(r->credDialog, nullptr);
    }
    EXPECT_EQ(heights[0] * 14, heights[1] * 18);
    EXPECT_EQ(heights[0] * 11, heights[2] * 18);
    /* OK waits for the asked passwords; the user id may stay empty */
    r->credentialsPending = 1;
    UserIdDialog(r, 1, 1);
    HWND w = (HWND)r->credDialog;
    EXPECT_FALSE(Enabled(w, 1));
    Type(w, USR_PASSWORD, "pw1");
    EXPECT_FALSE(Enabled(w, 1));
    Type(w, USR_KDBPASSWORD, "kdbpw");
    EXPECT_TRUE(Enabled(w, 1));
    Type(w, USR_USERID, "app");
    Press(w, 1);
    EXPECT_EQ(r->credDialog, nullptr);
    EXPECT_EQ(r->credentialsPending, 0);
    EXPECT_STREQ(r->userId, "APP");                        /* ucuser */
    EXPECT_STREQ(r->password, "pw1");
    EXPECT_STREQ(kdb->password, "kdbpw");
}

TEST_F(Dialogs, LogonAttemptsAndBackgroundForm)
{
    ASSERT_EQ(PWCLogon("secret", "the hint"), 0);
    PWCSetPassword("");
    ASSERT_TRUE(PWCAccessDialog(1, 1));
    HWND w = PWCAccessWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Text(w, PWC_HINT), "the hint");
    EXPECT_TRUE(Shown(w, 2));
    EXPECT_FALSE(Enabled(w, 1));
    EXPECT_TRUE(Shot(w, "password_cache_logon"));
    for (int left = 3; left >= 1; left--) {
        Type(w, PWC_PASSWORD, "wrong");
        EXPECT_TRUE(Enabled(w, 1));
        Press(w, 1);
        EXPECT_EQ(Text(w, PWC_STATUS),
                  "Incorrect password. " + std::to_string(left) + " attempts remaining");
        EXPECT_EQ(Text(w, PWC_PASSWORD), "");
    }
    Type(w, PWC_PASSWORD, "secret");
    Press(w, 1);
    EXPECT_EQ(PWCAccessWindow(), nullptr);
    EXPECT_STREQ(PWCCurrentPassword(), "secret");
    /* for a background request: no Cancel, no system menu */
    PWCSetPassword("");
    ASSERT_TRUE(PWCAccessDialog(0, 1));
    w = PWCAccessWindow();
    EXPECT_FALSE(Shown(w, 2));
    EXPECT_FALSE(GetWindowLongA(w, GWL_STYLE) & WS_SYSMENU);
    EXPECT_TRUE(PWCAccessDialog(0, 1));                     /* open: activated, no second */
    EXPECT_EQ(PWCAccessWindow(), w);
}

TEST_F(Dialogs, CreationAndSetPassword)
{
    ASSERT_TRUE(PWCAccessDialog(1, 1));                     /* no file: "yes" creates */
    HWND w = PWCAccessWindow();
    ASSERT_NE(w, nullptr);
    char caption[100];
    GetWindowTextA(w, caption, sizeof caption);
    EXPECT_STREQ(caption, "Password Cache Creation");
    EXPECT_TRUE(Shot(w, "password_cache_creation"));
    Type(w, PWC_HINT, "first pet");
    Type(w, PWC_PASSWORD, "abc");
    EXPECT_FALSE(Enabled(w, 1));                            /* the confirmation too */
    Type(w, PWC_CONFIRM, "abd");
    Press(w, 1);
    EXPECT_EQ(Text(w, PWC_STATUS), "Password fields do not match");
    EXPECT_EQ(Text(w, PWC_CONFIRM), "");
    Type(w, PWC_PASSWORD, "abc");
    Type(w, PWC_CONFIRM, "abc");
    Press(w, 1);
    EXPECT_EQ(PWCAccessWindow(), nullptr);
    EXPECT_TRUE(cfgtest::Exists(file));
    PWCSetPasswordDialog(nullptr);
    HWND s = PWCSetWindow();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Text(s, PWC_OLDHINT), "first pet");
    EXPECT_TRUE(Shot(s, "password_cache_set"));
    Type(s, PWC_OLDPASSWORD, "abc");
    Type(s, PWC_PASSWORD, "new");
    Type(s, PWC_CONFIRM, "new");
    Type(s, PWC_HINT, "second pet");
    Press(s, 1);
    EXPECT_EQ(PWCSetWindow(), nullptr);
    EXPECT_STREQ(PWCCurrentPassword(), "new");
    char *hint = nullptr;
    ASSERT_EQ(PWCGetHint(file.c_str(), &hint), 0);
    EXPECT_STREQ(hint, "second pet");
    CSFreeMem(hint);
}

}  // namespace
