/* The Filter Manager under Xvfb: its list with a local and a shared
 * filter of one name side by side and "[S]" marks, its status texts, the
 * delete and discard questions, 11347 with an unknown name, opening on a
 * dialog's "$name", an error shown at its characters, the buttons local
 * filters enable, and Export Shared with the exportable rule. */
#include "fltwtest.h"
#include "dd.h"
#include "prfdata.h"

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace fltwtest;
using flttest::Named;

namespace {

struct Manager : ::testing::Test {
    static void SetUpTestSuite() { SetUpWindows(); }
    void SetUp() override
    {
        Asked = Questions();
        memset(Prf.dialogs[DLG_FILTERS], 0, sizeof Prf.dialogs[DLG_FILTERS]);
        Named("DEEP", "curdepth > 100", true, true);
        Named("LOCALS", "type = local", true, false);
        Named("DEEP", "curdepth > 5000", false, false);
        Named("REMOTE", "type = remote", false, true);
    }
    void TearDown() override
    {
        FltCloseDialog();
        Pump();
        flttest::ClearNamed();
        FLTWINHOOKS hooks = *FltWinHooks();
        hooks.activeDialog = nullptr;
        FltWinSetHooks(&hooks);
        Prf.sffile[0] = 0;
    }
    HWND Field(int id) { return GetDlgItem(FltManagerWindow(), id) ? GetDlgItem(FltManagerWindow(), id) : Find(id); }
    static HWND Find(int id)
    {
        DDHANDLE dd = DDFindHandle(FltManagerWindow());
        return dd ? DDGetFieldWindow(dd, id, 0) : nullptr;
    }
    std::string Status() { return WindowText(Find(FLTC_STATUS)); }
    std::vector<std::string> Entries()
    {
        std::vector<std::string> v;
        HWND lb = Find(FLTC_LIST);
        int n = (int)SendMessageA(lb, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; i++) {
            char t[200];
            SendMessageA(lb, LB_GETTEXT, (WPARAM)i, (LPARAM)t);
            v.push_back(t);
        }
        return v;
    }
    void Select(const char *text)
    {
        HWND lb = Find(FLTC_LIST);
        int i = (int)SendMessageA(lb, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
        SendMessageA(lb, LB_SETCURSEL, (WPARAM)i, 0);
        SendMessageA(FltManagerWindow(), WM_COMMAND, MAKEWPARAM(FLTC_LIST, LBN_SELCHANGE), (LPARAM)lb);
        Pump();
    }
    void Type(int id, const char *text)
    {
        SetWindowTextA(Find(id), text);
        Pump();
    }
    void Press(int id) { Click(Find(id)); }
};

TEST_F(Manager, ListsLocalAndSharedFiltersSideBySide)
{
    FltOpenDialog(nullptr);
    ASSERT_NE(FltManagerWindow(), nullptr);
    EXPECT_EQ(WindowText(FltManagerWindow()), "Filter Manager");
    EXPECT_EQ(Entries(), std::vector<std::string>({ "DEEP", "DEEP$", "LOCALS", "REMOTE$" }));
    /* nothing selected: fields empty, Local ticked */
    EXPECT_EQ(WindowText(Find(FLTC_NAME)), "");
    EXPECT_TRUE(DDGetCheck(DDFindHandle(FltManagerWindow()), FLTC_LOCAL));
    Select("DEEP$");
    EXPECT_EQ(WindowText(Find(FLTC_DEFINITION)), "curdepth > 5000");
    EXPECT_FALSE(DDGetCheck(DDFindHandle(FltManagerWindow()), FLTC_LOCAL));
    /* shared filters are read-only here */
    EXPECT_FALSE(IsWindowEnabled(Find(FLTC_DEFINITION)));
    EXPECT_FALSE(IsWindowEnabled(Find(1)));
    EXPECT_FALSE(IsWindowEnabled(Find(FLTC_APPLY)));
    Select("DEEP");
    EXPECT_EQ(WindowText(Find(FLTC_DEFINITION)), "curdepth > 100");
    EXPECT_TRUE(DDGetCheck(DDFindHandle(FltManagerWindow()), FLTC_EXPORTABLE));
    EXPECT_TRUE(IsWindowEnabled(Find(FLTC_DEFINITION)));
    /* Export Shared only with a shared filter file */
    EXPECT_FALSE(IsWindowEnabled(Find(FLTC_EXPORT)));
    Picture(FltManagerWindow(), "filter_manager");
}

TEST_F(Manager, StatusTextsOfOkAndApply)
{
    FltOpenDialog(nullptr);
    Type(FLTC_NAME, "  ");
    Type(FLTC_DEFINITION, "1");
    Press(FLTC_APPLY);
    EXPECT_EQ(Status(), "Please enter a name for this filter");
    Type(FLTC_NAME, "two words");
    EXPECT_EQ(Status(), "");
    Press(FLTC_APPLY);
    EXPECT_EQ(Status(), "Sorry, filter names should not contain blank characters");
    Type(FLTC_NAME, "NEW");
    for (const char *blank : { "", " ", "  " }) {    /* blanks define nothing: refused, not lost later */
        Type(FLTC_DEFINITION, blank);
        Press(FLTC_APPLY);
        EXPECT_EQ(Status(), "Please enter a definition for this filter") << "[" << blank << "]";
        EXPECT_EQ(FltFindFilter("NEW"), nullptr);
    }
    Type(FLTC_DEFINITION, "type = local &\r\n  $BAD");
    Named("BAD", "curdepth >");
    Press(FLTC_APPLY);
    EXPECT_EQ(Status(), "NEW/BAD:Unexpected operator '> '");
    DWORD s = 0, e = 0;
    SendMessageA(Find(FLTC_DEFINITION), EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    EXPECT_EQ(s, 18u);
    EXPECT_EQ(e, 22u);
    EXPECT_EQ(FltFindFilter("NEW"), nullptr);
    /* a definition naming itself is circular and not stored */
    Type(FLTC_DEFINITION, "$NEW");
    Press(FLTC_APPLY);
    EXPECT_EQ(Status(), "Circular filter dependancy on filter 'NEW'");
    EXPECT_EQ(FltFindFilter("NEW"), nullptr);
    Type(FLTC_DEFINITION, "curdepth > 1");
    Press(FLTC_APPLY);
    EXPECT_EQ(Status(), "Filter definition 'NEW' added");
    EXPECT_STREQ(FltFindFilter("NEW")->text, "curdepth > 1");
    Type(FLTC_DEFINITION, "curdepth > 2");
    Press(FLTC_APPLY);
    EXPECT_EQ(Status(), "Filter definition 'NEW' updated");
    EXPECT_EQ(Entries().size(), 6u);
    /* a shared one of the same name stands beside it */
    DDSetCheck(DDFindHandle(FltManagerWindow()), FLTC_LOCAL, 0);
    Press(FLTC_APPLY);
    EXPECT_EQ(Status(), "Filter definition 'NEW' added");
    EXPECT_EQ(Entries(), std::vector<std::string>({ "BAD", "DEEP", "DEEP$", "LOCALS", "NEW", "NEW$", "REMOTE$" }));
    /* OK stores and closes */
    DDSetCheck(DDFindHandle(FltManagerWindow()), FLTC_LOCAL, 1);
    Type(FLTC_NAME, "LAST");
    Press(1);
    EXPECT_EQ(FltManagerWindow(), nullptr);
    EXPECT_NE(FltFindFilter("LAST"), nullptr);
}

TEST_F(Manager, DeleteAndDiscardQuestions)
{
    FltOpenDialog(nullptr);
    Press(FLTC_DELETE);
    EXPECT_EQ(Status(), "No filter item selected");
    Select("REMOTE$");
    Asked.answer = 0;
    Press(FLTC_DELETE);
    EXPECT_EQ(Asked.asked, std::vector<std::string>({ "delete shared filter|REMOTE" }));
    EXPECT_NE(FltFindFilter("REMOTE"), nullptr);
    Asked.answer = 1;
    Select("LOCALS");
    Press(FLTC_DELETE);
    EXPECT_EQ(Asked.asked.back(), "delete local filter|LOCALS");
    EXPECT_EQ(Status(), "Filter 'LOCALS' deleted.");
    EXPECT_EQ(FltFindFilter("LOCALS"), nullptr);
    /* leaving an edited definition (another entry, Cancel, the close box)
       asks first: no keeps the edit shown and the window open, yes drops
       it; neither answer stores it */
    enum { OTHER, CANCEL, CLOSE };
    const struct {
        int how, answer;
        bool open;
        const char *shown;
    } leaves[] = {
        { OTHER, 0, true, "curdepth > 101" }, { OTHER, 1, true, "curdepth > 5000" },
        { CANCEL, 0, true, "curdepth > 101" }, { CANCEL, 1, false, nullptr },
        { CLOSE, 0, true, "curdepth > 101" }, { CLOSE, 1, false, nullptr },
    };
    for (const auto &c : leaves) {
        SCOPED_TRACE(std::to_string(c.how) + " answered " + std::to_string(c.answer));
        if (!FltManagerWindow())
            FltOpenDialog(nullptr);
        Select("DEEP");
        Type(FLTC_DEFINITION, "curdepth > 101");
        Asked.asked.clear();
        Asked.answer = c.answer;
        if (c.how == OTHER)
            Select("DEEP$");
        else if (c.how == CANCEL)
            Press(2);
        else
            SendMessageA(FltManagerWindow(), WM_CLOSE, 0, 0);
        Pump();
        EXPECT_EQ(Asked.asked, std::vector<std::string>(
                                   { "!The filter content has changed are you sure you want to continue without saving?" }));
        EXPECT_EQ(FltManagerWindow() != nullptr, c.open);
        if (c.shown) {
            EXPECT_EQ(WindowText(Find(FLTC_DEFINITION)), c.shown);
            EXPECT_EQ(Entries()[(size_t)SendMessageA(Find(FLTC_LIST), LB_GETCURSEL, 0, 0)],
                      c.answer ? "DEEP$" : "DEEP");
        }
        EXPECT_STREQ(FltFindFilter("DEEP")->text, "curdepth > 100");
    }
}

TEST_F(Manager, SelectingByName)
{
    FltOpenDialog(nullptr);
    SendMessageA(FltManagerWindow(), UM_FLT_SELECT, 0, (LPARAM) "NOSUCH");
    EXPECT_EQ(Status(), "Filter definition 'NOSUCH' not found");
    EXPECT_EQ(WindowText(Find(FLTC_NAME)), "NOSUCH");
    EXPECT_EQ(WindowText(Find(FLTC_DEFINITION)), "");
    SendMessageA(FltManagerWindow(), UM_FLT_SELECT, 0, (LPARAM) "REMOTE");
    EXPECT_EQ(WindowText(Find(FLTC_DEFINITION)), "type = remote");
    FltCloseDialog();
    /* the remembered filter is selected again */
    EXPECT_EQ(FltOpenDialog(nullptr), 1);
    EXPECT_EQ(WindowText(Find(FLTC_NAME)), "REMOTE");
    FltCloseDialog();
    /* a dialog whose filter is a reference opens the manager on it */
    TestDialog dialog;
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWN, 0, 0, 100, 100, dialog.frame, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    SetWindowTextA(combo, " $LOCALS ");
    dialog.d()->filterWindow = combo;
    static DialogWords *active;
    active = dialog.d();
    FLTWINHOOKS hooks = *FltWinHooks();
    hooks.activeDialog = [](void *) { return active; };
    FltWinSetHooks(&hooks);
    FltOpenDialog(nullptr);
    EXPECT_EQ(WindowText(Find(FLTC_NAME)), "LOCALS");
    EXPECT_EQ(WindowText(Find(FLTC_DEFINITION)), "type = local");
    /* an error in a named filter: selected at its characters */
    FltShowError("DEEP", 9, 10);
    DWORD s = 0, e = 0;
    SendMessageA(Find(FLTC_DEFINITION), EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    EXPECT_EQ(WindowText(Find(FLTC_DEFINITION)), "curdepth > 100");
    EXPECT_EQ(s, 9u);
    EXPECT_EQ(e, 10u);
    EXPECT_EQ(GetFocus(), Find(FLTC_DEFINITION));
}

TEST_F(Manager, ExportShared)
{
    std::string file = (std::filesystem::temp_directory_path() / "ravolt-fm-export.txt").string();
    snprintf(Prf.sffile, sizeof Prf.sffile, "%s", file.c_str());
    FltOpenDialog(nullptr);
    EXPECT_TRUE(IsWindowEnabled(Find(FLTC_EXPORT)));
    Press(FLTC_EXPORT);
    EXPECT_EQ(Status(), "2 filters exported to '" + file + "'");
    std::ifstream f(file, std::ios::binary);
    std::stringstream text;
    text << f.rdbuf();
    f.close();
    EXPECT_NE(text.str().find("v =\"curdepth > 100\""), std::string::npos);
    EXPECT_EQ(text.str().find("type = local"), std::string::npos);
    EXPECT_NE(text.str().find("type = remote"), std::string::npos);
    std::filesystem::remove(file);
    FltCloseDialog();
    FltPrefs.exportDisabled = 1;
    FltOpenDialog(nullptr);
    EXPECT_FALSE(IsWindowEnabled(Find(FLTC_EXPORT)));
    FltPrefs.exportDisabled = 0;
}

TEST_F(Manager, RemembersItsPlace)
{
    FltOpenDialog(nullptr);
    SetWindowPos(FltManagerWindow(), nullptr, 200, 150, 700, 520, SWP_NOZORDER);   /* above its minimum */
    FltCloseDialog();
    EXPECT_EQ(Prf.dialogs[DLG_FILTERS][0], 200);
    EXPECT_EQ(Prf.dialogs[DLG_FILTERS][2], 700);
    FltOpenDialog(nullptr);
    RECT r;
    GetWindowRect(FltManagerWindow(), &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 520);
}

}  // namespace
