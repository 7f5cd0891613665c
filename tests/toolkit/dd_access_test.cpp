/* Field access by row id: texts served from saved values, mandatory
 * fields, check boxes, enabling, colours and fonts. */
#include "dd_test.h"
#include <string>
#include "csmem.h"
#include "tkutil.h"

#define F(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define S(type, id, text, value, sub) {(uint32_t)(type), id, text, value, sub, 0, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

static DDFieldDef page1[] = {F(DD_EDIT, 11, "initial", 10, 0), F(DD_COMBOBOX | DDF_NEWROW, 12, "", 10, 0),
                             F(DD_CHECKBOX | DDF_NEWROW, 13, "Check", 0, 0), END};
static DDFieldDef page2[] = {F(DD_STATIC, 21, "Status", 0, 0), F(DD_EDIT | DDF_NEWROW, 22, "", 20, 0),
                             F(DD_LISTBOX | DDF_NEWROW, 23, nullptr, 0, 0), END};
static DDFieldDef dialog[] = {S(DD_TABCTL, 10, nullptr, 0, nullptr), S(DD_TAB, 0, "One", 0, page1),
                              S(DD_TAB, 0, "Two", 0, page2),
                              F(DD_BUTTON | DDF_NEWROW, 1, "OK", 1, BS_DEFPUSHBUTTON), END};

TEST(DDAccess, TextsOfFieldsWithoutControls)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(dialog, 0, 400, 300, &w, &dd), 0);
    EXPECT_EQ(DDFindField(dd, 22)->hwnd, nullptr);
    char buf[64] = "untouched";
    EXPECT_EQ(DDGetFieldText(dd, 22, buf, sizeof buf), 0);     /* neither control nor value */
    EXPECT_STREQ(buf, "untouched");
    EXPECT_EQ(DDSetFieldValue(dd, 22, "queue.one"), 1);
    EXPECT_EQ(DDFindField(dd, 22)->hwnd, nullptr);
    EXPECT_EQ(DDGetFieldTextLength(dd, 22), 9);
    EXPECT_EQ(DDGetFieldText(dd, 22, buf, 6), 5);              /* cut to the buffer */
    EXPECT_STREQ(buf, "queue");
    EXPECT_EQ(DDSendFieldMsg(dd, 22, WM_GETTEXT, sizeof buf, (LPARAM)buf), 9);
    EXPECT_STREQ(buf, "queue.one");
    /* the same text again allocates nothing */
    CSMEMSTATS a, b;
    CSMemStats(&a);
    EXPECT_EQ(DDSetFieldValue(dd, 22, "queue.one"), 1);
    CSMemStats(&b);
    EXPECT_EQ(a.sequence, b.sequence);
    EXPECT_EQ(DDFindField(dd, 22)->hwnd, nullptr);
    DDSetFieldText(dd, 22, -1, "second");
    EXPECT_EQ(DDSendFieldMsg(dd, 22, WM_GETTEXTLENGTH, 0, 0), 6);
    /* no such id: neutral answers */
    EXPECT_EQ(DDGetFieldText(dd, 999, buf, sizeof buf), 0);
    EXPECT_EQ(DDSetFieldValue(dd, 999, "x"), 0);
    EXPECT_EQ(DDSetFieldText(dd, 999, -1, "x"), 1);
    EXPECT_EQ(DDGetFieldWindow(dd, 999, 0), nullptr);
    EXPECT_EQ(DDGetCheck(dd, 999), 0);
    DDTestClose(w, &dd);
}

TEST(DDAccess, ComboBoxKeepsItsItemsAndTextAcrossPages)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(dialog, 0, 400, 300, &w, &dd), 0);
    HWND combo = DDGetFieldWindow(dd, 12, 0);
    ASSERT_NE(combo, nullptr);
    SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)"alpha");
    SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)"beta");
    SetWindowTextA(combo, "typed");
    DDSetCheck(dd, 13, 1);
    HWND tab = DDFindField(dd, 10)->hwnd;
    NMHDR nm = {tab, 10, (UINT)TCN_SELCHANGE};
    SendMessageA(tab, TCM_SETCURSEL, 1, 0);
    SendMessageA(w, WM_NOTIFY, 10, (LPARAM)&nm);
    EXPECT_EQ(DDFindField(dd, 12)->hwnd, nullptr);
    char buf[32];
    DDGetFieldText(dd, 12, buf, sizeof buf);
    EXPECT_STREQ(buf, "typed");
    SendMessageA(tab, TCM_SETCURSEL, 0, 0);
    SendMessageA(w, WM_NOTIFY, 10, (LPARAM)&nm);
    combo = DDFindField(dd, 12)->hwnd;
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    GetWindowTextA(combo, buf, sizeof buf);
    EXPECT_STREQ(buf, "typed");
    EXPECT_EQ(DDGetCheck(dd, 13), 1);                 /* check boxes are only hidden */
    DDTestClose(w, &dd);
}

static std::string boxText, boxCaption;
static int sink(HWND, const char *text, const char *caption, UINT)
{
    boxText = text;
    boxCaption = caption;
    return IDOK;
}

TEST(DDAccess, MandatoryFieldsNameTheMissingValue)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(dialog, 0, 400, 300, &w, &dd), 0);
    HWND edit = DDGetFieldWindow(dd, 11, 0);
    SetWindowTextA(edit, "  \t ");
    char buf[32];
    UtilSetMessageBoxSink(sink);
    EXPECT_EQ(DDCheckMandatory(dd, 11, sizeof buf, buf, 0, "Queue name"), 0);
    EXPECT_EQ(boxText, "Please enter a value for 'Queue name'");
    EXPECT_EQ(boxCaption, "Parameter error");
    EXPECT_EQ(GetFocus(), edit);
    /* with a message field the text goes there instead */
    boxText.clear();
    EXPECT_EQ(DDCheckMandatory(dd, 11, sizeof buf, buf, 22, "Queue name"), 0);
    EXPECT_TRUE(boxText.empty());
    char msg[80];
    DDGetFieldText(dd, 22, msg, sizeof msg);
    EXPECT_STREQ(msg, "Please enter a value for 'Queue name'");
    SetWindowTextA(edit, "Q1  ");
    EXPECT_EQ(DDCheckMandatory(dd, 11, sizeof buf, buf, 0, "Queue name"), 1);
    EXPECT_STREQ(buf, "Q1");
    SetWindowTextA(edit, "");
    EXPECT_EQ(DDCheckMandatory(dd, 11, sizeof buf, buf, 0, nullptr), 1);
    UtilSetMessageBoxSink(nullptr);
    DDTestClose(w, &dd);
}

TEST(DDAccess, HeldControlsSurviveHiding)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(dialog, 0, 400, 300, &w, &dd), 0);
    HWND edit = DDGetFieldWindow(dd, 11, 1);
    int id = 11;
    DDShowFields(dd, &id, 1, 0, 0);
    EXPECT_EQ(DDFindField(dd, 11)->hwnd, edit);
    EXPECT_FALSE(IsWindowVisible(edit));
    DDShowFields(dd, &id, 1, 1, 0);
    EXPECT_TRUE(IsWindowVisible(edit));
    DDReleaseField(dd, edit);
    EXPECT_EQ(DDFindField(dd, 11)->handouts, 0u);
    DDReleaseField(dd, edit);
    EXPECT_EQ(DDFindField(dd, 11)->handouts, 0u);
    DDEnableField(dd, 1, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(DDFindField(dd, 1)->hwnd));
    DDTestClose(w, &dd);
}

TEST(DDAccess, BackgroundColoursSkipTypingFields)
{
    static DDFieldDef t[] = {F(DD_STATIC, 1, "Label", 0, 0), F(DD_EDIT, 2, "", 10, 0),
                             F(DD_BUTTON | DDF_NEWROW, 3, "Press", 1, 0),
                             F(DD_LISTBOX | DDF_NEWROW, 4, nullptr, 0, WS_BORDER | WS_VSCROLL | LBS_NOTIFY), END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 300, 200, &w, &dd), 0);
    static COLORREF text = RGB(0, 0, 200), back = RGB(200, 255, 200);
    static HBRUSH brush = CreateSolidBrush(back);
    DDSetFieldColours(dd, DD_BACKGROUND, 0, 0, 0, &text, &back, &brush);
    EXPECT_EQ(DDFindField(dd, 1)->brush, &brush);
    EXPECT_EQ(DDFindField(dd, 3)->brush, &brush);
    EXPECT_EQ(dd->root.brush, &brush);
    EXPECT_EQ(DDFindField(dd, 2)->brush, nullptr);
    EXPECT_EQ(DDFindField(dd, 4)->brush, nullptr);
    HWND label = DDGetFieldWindow(dd, 1, 0);
    HDC dc = GetDC(label);
    EXPECT_EQ(SendMessageA(w, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)label), (LRESULT)brush);
    EXPECT_EQ(GetTextColor(dc), text);
    ReleaseDC(label, dc);
    HWND edit = DDGetFieldWindow(dd, 2, 0);
    EXPECT_EQ(DDCtlColour(w, WM_CTLCOLOREDIT, nullptr, edit), nullptr);
    /* a style mask narrows the choice */
    static HBRUSH other = CreateSolidBrush(RGB(1, 2, 3));
    DDSetFieldColours(dd, 0, 0, WS_BORDER, 0, nullptr, nullptr, &other);
    EXPECT_EQ(DDFindField(dd, 4)->brush, &other);
    EXPECT_EQ(DDFindField(dd, 2)->brush, nullptr);
    DDTestClose(w, &dd);
}

TEST(DDAccess, LargerFontMakesRowsAndListItemsTaller)
{
    static DDFieldDef t[] = {F(DD_EDIT, 1, "", 10, 0), {DD_LISTBOX | DDF_NEWROW, 2, nullptr, 0, nullptr, 0, 10, 5, 0, 5, 0}, END};
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(t, 0, 400, 400, &w, &dd), 0);
    int ch = dd->ch;
    RECT small = DDTestRect(dd, 1);
    int item = (int)SendMessageA(DDGetFieldWindow(dd, 2, 0), LB_GETITEMHEIGHT, 0, 0);
    HFONT big = CreateFontA(-2 * ch, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    DDSetFont(dd, big);
    EXPECT_GT(dd->ch, ch);
    RECT large = DDTestRect(dd, 1);
    EXPECT_GT(large.bottom - large.top, small.bottom - small.top);
    EXPECT_GT(SendMessageA(DDGetFieldWindow(dd, 2, 0), LB_GETITEMHEIGHT, 0, 0), item);
    EXPECT_EQ(DDFindField(dd, 2)->cy, 5 * dd->ch);
    DDTestClose(w, &dd);
    DeleteObject(big);
}

TEST(DDAccess, ClearedEditStaysEmptyWhileHidden)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(dialog, 0, 400, 300, &w, &dd), 0);
    HWND edit = DDGetFieldWindow(dd, 11, 0);
    char buf[32];
    GetWindowTextA(edit, buf, sizeof buf);
    EXPECT_STREQ(buf, "initial");
    SetWindowTextA(edit, "");
    int id = 11;
    DDShowFields(dd, &id, 1, 0, 0);
    EXPECT_EQ(DDFindField(dd, 11)->hwnd, nullptr);
    strcpy(buf, "x");
    EXPECT_EQ(DDGetFieldText(dd, 11, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    DDShowFields(dd, &id, 1, 1, 0);
    GetWindowTextA(DDFindField(dd, 11)->hwnd, buf, sizeof buf);
    EXPECT_STREQ(buf, "");                      /* not the row's "initial" again */
    DDTestClose(w, &dd);
}

/* the enabled state set while a field has no control is the one its
 * re-created control shows, both ways */
TEST(DDAccess, EnablingWhileHiddenHoldsWhenShownAgain)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(dialog, 0, 400, 300, &w, &dd), 0);
    HWND tab = DDGetFieldWindow(dd, 10, 0);
    NMHDR nm = {tab, 10, (UINT)TCN_SELCHANGE};
    auto page = [&](int index) {
        SendMessageA(tab, TCM_SETCURSEL, index, 0);
        SendMessageA(w, WM_NOTIFY, 10, (LPARAM)&nm);
        DDTestPump();
    };
    ASSERT_NE(DDFindField(dd, 11)->hwnd, nullptr);
    DDEnableField(dd, 11, 0, 0);
    page(1);
    ASSERT_EQ(DDFindField(dd, 11)->hwnd, nullptr);
    DDEnableField(dd, 11, 1, 0);
    page(0);
    HWND edit = DDFindField(dd, 11)->hwnd;
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(IsWindowEnabled(edit));
    page(1);
    DDEnableField(dd, 11, 0, 0);
    page(0);
    edit = DDFindField(dd, 11)->hwnd;
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(IsWindowEnabled(edit));
    DDTestClose(w, &dd);
}
