/* The keyboard rules every dynamic dialog shares: Tab and Shift+Tab,
 * Return to the default button, Escape with and without its flag. */
#include "dd_test.h"

#define F(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

static DDFieldDef form[] = {
    F(DD_STATIC, 10, "Name", 0, 0), F(DD_EDIT, 11, "", 10, 0),
    F(DD_EDIT | DDF_NEWROW, 12, "", 10, 0),
    F(DD_EDIT | DDF_NEWROW, 13, "", 10 | (1u << 29), 0),
    F(DD_MULTIEDIT | DDF_NEWROW, 14, "", 10, ES_WANTRETURN | ES_AUTOVSCROLL),
    F(DD_COMBOBOX | DDF_NEWROW, 15, "", 10, 0),
    F(DD_BUTTON | DDF_NEWROW, 1, "OK", 1, 0), F(DD_BUTTON, 2, "Cancel", 1, BS_DEFPUSHBUTTON), END};

static int commands(UINT msg, int id)
{
    int n = 0;
    for (auto &c : DDTestGot())
        n += c.msg == msg && (id < 0 || LOWORD(c.wp) == id);
    return n;
}

TEST(DDKeys, TabWalksTheFieldsAndWraps)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(form, 0, 400, 400, &w, &dd), 0);
    HWND e11 = DDGetFieldWindow(dd, 11, 0), e12 = DDGetFieldWindow(dd, 12, 0);
    HWND e13 = DDGetFieldWindow(dd, 13, 0), e14 = DDGetFieldWindow(dd, 14, 0);
    HWND cancel = DDGetFieldWindow(dd, 2, 0);
    SetFocus(e11);
    DDTestKey(e11, VK_TAB);
    EXPECT_EQ(GetFocus(), e12);
    DDTestKey(e12, VK_TAB);                 /* 13 is passed over going forwards */
    EXPECT_EQ(GetFocus(), e14);
    DDTestKey(e14, VK_TAB, true);           /* but reached going backwards */
    EXPECT_EQ(GetFocus(), e13);
    SetFocus(cancel);
    DDTestKey(cancel, VK_TAB);
    EXPECT_EQ(GetFocus(), e11);             /* last to first */
    DDTestKey(e11, VK_TAB, true);
    EXPECT_EQ(GetFocus(), cancel);          /* first to last */
    EXPECT_EQ(GetWindowTextLengthA(e11), 0);   /* no tab character typed */
    DDTestClose(w, &dd);
}

TEST(DDKeys, ReturnPressesTheDefaultButtonUnlessTheFieldWantsIt)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(form, 0, 400, 400, &w, &dd), 0);
    HWND e11 = DDGetFieldWindow(dd, 11, 0), e14 = DDGetFieldWindow(dd, 14, 0);
    SetFocus(e11);
    DDTestKey(e11, VK_RETURN);
    DDTestPump();
    EXPECT_EQ(commands(WM_COMMAND, 2), 1);
    DDTestGot().clear();
    SetFocus(e14);
    DDTestKey(e14, VK_RETURN);
    DDTestPump();
    EXPECT_EQ(commands(WM_COMMAND, 2), 0);
    EXPECT_EQ(SendMessageA(e14, EM_GETLINECOUNT, 0, 0), 2);
    /* a disabled default button is not pressed */
    DDEnableField(dd, 2, 0, 0);
    DDTestKey(e11, VK_RETURN);
    DDTestPump();
    EXPECT_EQ(commands(WM_COMMAND, 2), 0);
    DDTestClose(w, &dd);
}

TEST(DDKeys, EscapeClosesOnlyWhenAsked)
{
    for (uint32_t flags : {0u, (uint32_t)DDC_ESCAPECLOSES}) {
        HWND w;
        DDHANDLE dd;
        ASSERT_EQ(DDTestDialog(form, flags, 400, 400, &w, &dd), 0);
        HWND e11 = DDGetFieldWindow(dd, 11, 0);
        SetFocus(e11);
        DDTestKey(e11, VK_ESCAPE);
        DDTestPump();
        EXPECT_EQ(commands(WM_CLOSE, -1), flags ? 1 : 0);
        DDTestGot().clear();
        /* in a combo box with its list open Escape only closes the list */
        HWND combo = DDGetFieldWindow(dd, 15, 0);
        HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        ASSERT_NE(edit, nullptr);
        SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
        if (SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) {
            DDTestKey(edit, VK_ESCAPE);
            DDTestPump();
            EXPECT_EQ(commands(WM_CLOSE, -1), 0);
        }
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        DDTestClose(w, &dd);
    }
}

TEST(DDKeys, UndoKeysOfPushButtons)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(form, DDC_UNDOKEYS, 400, 400, &w, &dd), 0);
    HWND ok = DDGetFieldWindow(dd, 1, 0);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(ok, WM_KEYDOWN, 'Z', 1);
    SendMessageA(ok, WM_KEYDOWN, 'Y', 1);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    DDTestPump();
    EXPECT_EQ(commands(DDM_UNDO, -1), 1);
    EXPECT_EQ(commands(DDM_REDO, -1), 1);
    EXPECT_TRUE(SendMessageA(ok, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
    DDTestClose(w, &dd);
}
