/* Dialog tables turned into dialogs: nesting errors, sections, lazy
 * controls, handle reuse, many dialogs alive at once, and edit texts kept
 * whole while their controls are released. */
#include "dd_test.h"
#include <string>
#include "csmem.h"
#include "cstrace.h"

#define ROW(type, id, text, value, sub) {(uint32_t)(type), id, text, value, sub, 0, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

TEST(DDBuild, InitialiseChecksTheVersion)
{
    int version = 99;
    EXPECT_EQ(DDInitialise(GetModuleHandleA(nullptr), &version, nullptr, nullptr), DDERR_VERSION);
    EXPECT_EQ(version, 100);
    DDInitialise(GetModuleHandleA(nullptr), &version, nullptr, nullptr);
    EXPECT_EQ(DDInitialise(GetModuleHandleA(nullptr), &version, nullptr, nullptr), DDERR_AGAIN);
}

TEST(DDBuild, NestingErrorsFailTheWholeDialog)
{
    static DDFieldDef spinStatic[] = {ROW(DD_SPIN, 10, nullptr, 0, nullptr),
                                      ROW(DD_STATIC, 11, "x", 0, nullptr), END};
    static DDFieldDef paneNoSub[] = {ROW(DD_SPANE, 10, nullptr, 0, nullptr), END};
    static DDFieldDef tabNoPage[] = {ROW(DD_TABCTL, 10, nullptr, 0, nullptr),
                                     ROW(DD_STATIC, 11, "x", 0, nullptr), END};
    static DDFieldDef tabAlone[] = {ROW(DD_TAB, 10, "page", 0, nullptr), END};
    static DDFieldDef inner[] = {ROW(DD_STATIC, 1, "x", 0, nullptr), END};
    static DDFieldDef splitBad[] = {ROW(DD_SPLITLR, 10, nullptr, 50000, nullptr),
                                    ROW(DD_SPANE, 11, nullptr, 0, inner),
                                    ROW(DD_STATIC, 12, "x", 0, nullptr), END};
    static DDFieldDef badType[] = {ROW(200, 10, nullptr, 0, nullptr), END};
    struct { DDFieldDef *t; int rc; } cases[] = {
        {spinStatic, DDERR_NOBUDDY}, {paneNoSub, DDERR_NOPANE}, {tabNoPage, DDERR_NOTAB},
        {tabAlone, DDERR_TABOUTSIDE}, {splitBad, DDERR_SPLITROW}, {badType, DDERR_TYPE}};
    int before = DDHandleCount();
    for (auto &c : cases) {
        HWND w;
        DDHANDLE dd;
        EXPECT_EQ(DDTestDialog(c.t, 0, 300, 200, &w, &dd), c.rc);
        EXPECT_EQ(dd, nullptr);
        DestroyWindow(w);
    }
    EXPECT_EQ(DDHandleCount(), before);
}

TEST(DDBuild, EmptyTableAndNullDestroy)
{
    static DDFieldDef empty[] = {END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(empty, 0, 200, 100, &w, &dd), 0);
    ASSERT_NE(dd, nullptr);
    EXPECT_EQ(dd->count, 0);
    DDTestClose(w, &dd);
    EXPECT_EQ(dd, nullptr);
    DDHANDLE none = nullptr;
    DDDestroy(&none);
    DDDestroy(nullptr);
}

TEST(DDBuild, SectionsOffsetIdsOfOneTable)
{
    static DDFieldDef shared[] = {ROW(DD_EDIT, 1, "a", 8, nullptr), ROW(DD_STATIC, 0, "label", 0, nullptr), END};
    static DDFieldDef table[] = {ROW(DD_SECTION, 100, nullptr, 0, shared),
                                 ROW(DD_SECTION | DDF_NEWROW, 200, nullptr, 0, shared), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(table, 0, 400, 200, &w, &dd), 0);
    ASSERT_NE(DDFindField(dd, 101), nullptr);
    ASSERT_NE(DDFindField(dd, 201), nullptr);
    EXPECT_EQ(DDFindField(dd, 1), nullptr);
    EXPECT_EQ(shared[0].id, 1);            /* the included table itself is untouched */
    int zeroIds = 0;
    for (int i = 0; i < dd->count; i++)
        zeroIds += dd->fields[i].row && dd->fields[i].row->id == 0;
    EXPECT_EQ(zeroIds, 2);
    DDSetFieldValue(dd, 101, "first");
    DDSetFieldValue(dd, 201, "second");
    char buf[32];
    DDGetFieldText(dd, 101, buf, sizeof buf);
    EXPECT_STREQ(buf, "first");
    DDTestClose(w, &dd);
}

TEST(DDBuild, StaticControlsWaitForTheFirstLayout)
{
    static DDFieldDef table[] = {ROW(DD_STATIC, 10, "Label", 0, nullptr), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(table, 0, 0, 0, &w, &dd), 0);
    SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
    DDHANDLE again = nullptr;
    DDDestroy(&dd);
    RECT rc;
    GetClientRect(w, &rc);
    if (rc.right == 0 || rc.bottom == 0) {
        ASSERT_EQ(DDCreate(w, table, 0, &again), 0);
        EXPECT_EQ(DDFindField(again, 10)->hwnd, nullptr);
        DDTestResize(w, 200, 100);
        EXPECT_NE(DDFindField(again, 10)->hwnd, nullptr);
        EXPECT_TRUE(IsWindowVisible(DDFindField(again, 10)->hwnd));
    }
    DDTestClose(w, &again);
}

TEST(DDBuild, HandleForAnotherTableIsRefused)
{
    static DDFieldDef small[] = {ROW(DD_STATIC, 10, "a", 0, nullptr), END};
    static DDFieldDef big[] = {ROW(DD_STATIC, 10, "a", 0, nullptr), ROW(DD_EDIT, 11, "b", 5, nullptr),
                               ROW(DD_EDIT, 12, "c", 5, nullptr), ROW(DD_EDIT, 13, "d", 5, nullptr), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(small, 0, 300, 100, &w, &dd), 0);
    DDHANDLE kept = dd;
    HWND w2 = DDTestWindow(300, 100);
    EXPECT_EQ(DDCreate(w2, big, 0, &dd), DDERR_TABLE);
    EXPECT_EQ(dd, kept);
    EXPECT_EQ(DDFindField(dd, 11), nullptr);
    /* the same table again rebuilds in place */
    EXPECT_EQ(DDCreate(w, small, 0, &dd), 0);
    EXPECT_EQ(dd, kept);
    EXPECT_NE(DDFindField(dd, 10), nullptr);
    DestroyWindow(w2);
    DDTestClose(w, &dd);
}

TEST(DDBuild, MoreThanAHundredDialogsLiveAndDieCleanly)
{
    static DDFieldDef table[] = {ROW(DD_EDIT, 10, "x", 4, nullptr), END};
    const int n = 101;
    std::vector<HWND> wins(n);
    std::vector<DDHANDLE> dds(n, nullptr);
    int before = DDHandleCount();
    for (int i = 0; i < n; i++) {
        wins[i] = DDTestWindow(120, 40);
        ASSERT_EQ(DDCreate(wins[i], table, 0, &dds[i]), 0) << i;
    }
    EXPECT_EQ(DDHandleCount(), before + n);
    HWND edit = DDGetFieldWindow(dds[n - 1], 10, 0);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(DDFindHandle(edit), dds[n - 1]);        /* found through the parent */
    /* the 101st answers its keys: Escape with flag 32 is not set, Return has no default */
    EXPECT_EQ(DDFindHandle(wins[n - 1]), dds[n - 1]);
    DDDestroy(&dds[n - 1]);
    EXPECT_EQ(DDFindHandle(wins[n - 1]), nullptr);    /* the remembered lookup went with it */
    EXPECT_EQ(DDFindHandle(wins[0]), dds[0]);
    for (int i = 0; i < n; i++) {
        DDDestroy(&dds[i]);
        DestroyWindow(wins[i]);
    }
    EXPECT_EQ(DDHandleCount(), before);
    DDTestPump();
}

TEST(DDBuild, ReleasedEditKeepsItsWholeText)
{
    static DDFieldDef page1[] = {ROW(DD_EDIT, 11, "", 20, nullptr), END};
    static DDFieldDef page2[] = {ROW(DD_STATIC, 12, "other", 0, nullptr), END};
    static DDFieldDef table[] = {ROW(DD_TABCTL, 10, nullptr, 0, nullptr),
                                 ROW(DD_TAB, 0, "One", 0, page1), ROW(DD_TAB, 0, "Two", 0, page2), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(table, 0, 400, 300, &w, &dd), 0);
    std::string text;
    for (int i = 0; i < 2000; i++)
        text += (char)('a' + i % 26);
    HWND edit = DDGetFieldWindow(dd, 11, 0);
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, text.c_str());
    HWND tab = DDGetFieldWindow(dd, 10, 0);
    SendMessageA(tab, TCM_SETCURSEL, 1, 0);
    NMHDR nm = {tab, 10, (UINT)TCN_SELCHANGE};
    SendMessageA(w, WM_NOTIFY, 10, (LPARAM)&nm);
    DDTestPump();
    EXPECT_EQ(DDFindField(dd, 11)->hwnd, nullptr);
    std::vector<char> buf(4000);
    EXPECT_EQ(DDGetFieldText(dd, 11, buf.data(), (int)buf.size()), 2000);
    EXPECT_EQ(std::string(buf.data()), text);
    EXPECT_EQ(DDFindField(dd, 11)->hwnd, nullptr);     /* served without a control */
    SendMessageA(tab, TCM_SETCURSEL, 0, 0);
    SendMessageA(w, WM_NOTIFY, 10, (LPARAM)&nm);
    edit = DDFindField(dd, 11)->hwnd;
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetWindowTextLengthA(edit), 2000);
    DDTestClose(w, &dd);
}

static WPARAM initWp;
static LPARAM initLp;
static LRESULT CALLBACK dialog_proc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_INITDIALOG) {
        initWp = w;
        initLp = l;
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

TEST(DDBuild, ModelessDialogGetsItsHandleAtInitialisation)
{
    static DDFieldDef table[] = {ROW(DD_EDIT, 10, "x", 8, nullptr), ROW(DD_BUTTON | DDF_NEWROW, 1, "OK", 1, nullptr), END};
    HWND w = DDCreateDialog(nullptr, table, 0, "Modeless", "DDTESTMODELESS", nullptr, dialog_proc, 1234);
    ASSERT_NE(w, nullptr);
    DDHANDLE dd = (DDHANDLE)initWp;
    EXPECT_EQ(initLp, 1234);
    ASSERT_NE(dd, nullptr);
    EXPECT_EQ(DDFindHandle(w), dd);
    SetWindowPos(w, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_NE(DDFindField(dd, 10)->hwnd, nullptr);
    char cls[64];
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_STREQ(cls, "DD_DDTESTMODELESS");
    DDDestroy(&dd);
    DestroyWindow(w);
    /* a bad table leaves no window and reports the code */
    static DDFieldDef bad[] = {ROW(DD_SPANE, 10, nullptr, 0, nullptr), END};
    EXPECT_EQ(DDCreateDialog(nullptr, bad, 0, "Bad", "DDTESTMODELESS", nullptr, dialog_proc, 0), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)DDERR_NOPANE);
}

static LRESULT CALLBACK plain_proc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    return DefWindowProcA(h, m, w, l);
}

TEST(DDBuild, WindowWithoutRoomForTheSavedProcedureIsRefused)
{
    static DDFieldDef table[] = {ROW(DD_EDIT, 10, "x", 8, nullptr), END};
    WNDCLASSA wc = {};
    wc.lpfnWndProc = plain_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DDTESTNOBYTES";
    RegisterClassA(&wc);
    HWND top = DDTestWindow(10, 10);
    HWND w = CreateWindowExA(0, "DDTESTNOBYTES", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 50, top, nullptr, nullptr, nullptr);
    DDHANDLE dd = nullptr;
    int before = DDHandleCount();
    EXPECT_EQ(DDCreate(w, table, 0, &dd), DDERR_WINDOWBYTES);
    EXPECT_EQ(dd, nullptr);
    EXPECT_EQ(DDHandleCount(), before);
    /* leaving the procedure alone needs no room */
    EXPECT_EQ(DDCreate(w, table, DDC_KEEPPROC, &dd), 0);
    DDDestroy(&dd);
    DestroyWindow(top);
}

static INT_PTR CALLBACK modal_proc(HWND h, UINT m, WPARAM, LPARAM)
{
    if (m == WM_INITDIALOG)
        PostMessageA(h, WM_COMMAND, 1, 0);
    if (m == WM_COMMAND) {
        EndDialog(h, 77);
        return TRUE;
    }
    return FALSE;
}

TEST(DDBuild, ModalDialogResultAndBuildFailure)
{
    static DDFieldDef table[] = {ROW(DD_BUTTON, 1, "OK", 1, nullptr), END};
    EXPECT_EQ(DDDialogBox(table, "NO_SUCH_TEMPLATE", nullptr, modal_proc), 77);
    EXPECT_EQ(DDModalHandle, nullptr);
    static DDFieldDef bad[] = {ROW(DD_SPIN, 10, nullptr, 0, nullptr), ROW(DD_STATIC, 11, "x", 0, nullptr), END};
    EXPECT_EQ(DDDialogBox(bad, "NO_SUCH_TEMPLATE", nullptr, modal_proc), DDERR_NOBUDDY);
}

TEST(DDBuild, OwnerDrawnButtonsAndEnginePaintedTabs)
{
    static DDFieldDef page[] = {ROW(DD_STATIC, 0, "page", 0, nullptr), END};
    static DDFieldDef table[] = {ROW(DD_TABCTL, 10, nullptr, 0, nullptr), ROW(DD_TAB, 0, "One", 0, page),
                                 ROW(DD_BUTTON | DDF_NEWROW, 1, "OK", 1, nullptr), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(table, DDC_OWNERDRAW | DDC_PAINTTABS, 300, 200, &w, &dd), 0);
    EXPECT_EQ(table[2].value & 2, 2u);
    EXPECT_EQ(table[0].value & 1, 1u);
    HWND ok = DDGetFieldWindow(dd, 1, 0);
    EXPECT_EQ(GetWindowLongA(ok, GWL_STYLE) & 0xF, BS_OWNERDRAW);
    HWND tab = DDGetFieldWindow(dd, 10, 0);
    UpdateWindow(tab);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(IsWindowVisible(ok));
    DDTestClose(w, &dd);
}

TEST(DDBuild, TraceFileNamedByTheEnvironment)
{
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    std::string path = std::string(dir) + "ddtrace_test.log";
    DeleteFileA(path.c_str());
    SetEnvironmentVariableA("DYNDLGTRC", path.c_str());
    _putenv_s("DYNDLGTRC", path.c_str());
    int version = 100;
    DDInitialise(GetModuleHandleA(nullptr), &version, nullptr, nullptr);
    _putenv_s("DYNDLGTRC", "");
    static DDFieldDef table[] = {ROW(DD_EDIT, 10, "traced", 8, nullptr), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(table, 0, 200, 100, &w, &dd), 0);
    DDTestResize(w, 250, 120);
    SendMessageA(DDGetFieldWindow(dd, 10, 0), WM_KEYUP, 'A', 0);
    DDTestClose(w, &dd);
    CSTraceClose();
    FILE *f = fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    fclose(f);
    EXPECT_NE(text.find("Main Window Sized (250,120)"), std::string::npos);
    EXPECT_NE(text.find("DDRestoreWindow(traced"), std::string::npos);
    EXPECT_NE(text.find("EditProc"), std::string::npos);
    EXPECT_NE(text.find("Mn("), std::string::npos);
    DeleteFileA(path.c_str());
}

/* a combo box released with its page keeps a typed text that is not one of
 * its items when its row asks for an editable drop-down */
TEST(DDBuild, ReleasedDropDownKeepsItsTypedText)
{
    static DDFieldDef page1[] = {{DD_COMBOBOX, 11, "", 20, nullptr, CBS_DROPDOWN, 0, 0, 0, 0, 0},
                                 {DD_COMBOBOX, 13, "", 20, nullptr, CBS_DROPDOWNLIST, 0, 0, 0, 0, 0},
                                 END};
    static DDFieldDef page2[] = {ROW(DD_STATIC, 12, "other", 0, nullptr), END};
    static DDFieldDef table[] = {ROW(DD_TABCTL, 10, nullptr, 0, nullptr),
                                 ROW(DD_TAB, 0, "One", 0, page1), ROW(DD_TAB, 0, "Two", 0, page2), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(table, 0, 400, 300, &w, &dd), 0);
    for (int id : {11, 13}) {
        HWND combo = DDGetFieldWindow(dd, id, 0);
        ASSERT_NE(combo, nullptr);
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)"QM1");
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)"QM2");
    }
    SetWindowTextA(DDFindField(dd, 11)->hwnd, "QM9 typed");
    SendMessageA(DDFindField(dd, 13)->hwnd, CB_SETCURSEL, 1, 0);
    HWND tab = DDGetFieldWindow(dd, 10, 0);
    NMHDR nm = {tab, 10, (UINT)TCN_SELCHANGE};
    for (int page : {1, 0}) {
        SendMessageA(tab, TCM_SETCURSEL, page, 0);
        SendMessageA(w, WM_NOTIFY, 10, (LPARAM)&nm);
        DDTestPump();
    }
    char buf[64] = "";
    HWND combo = DDFindField(dd, 11)->hwnd;
    ASSERT_NE(combo, nullptr);
    GetWindowTextA(combo, buf, sizeof buf);
    EXPECT_STREQ(buf, "QM9 typed");
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    combo = DDFindField(dd, 13)->hwnd;
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    /* a typed prefix of an item stays the prefix */
    SetWindowTextA(DDFindField(dd, 11)->hwnd, "QM");
    for (int page : {1, 0}) {
        SendMessageA(tab, TCM_SETCURSEL, page, 0);
        SendMessageA(w, WM_NOTIFY, 10, (LPARAM)&nm);
        DDTestPump();
    }
    GetWindowTextA(DDFindField(dd, 11)->hwnd, buf, sizeof buf);
    EXPECT_STREQ(buf, "QM");
    DDTestClose(w, &dd);
}
