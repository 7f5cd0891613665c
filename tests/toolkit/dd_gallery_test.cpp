/* Gallery of the dialog engine: one sample dialog holding every field
 * type, written into the gallery at two widths (dd_gallery_wide.bmp,
 * dd_gallery_narrow.bmp), and the tab page and collapsed twisty of the
 * same dialog. */
#include "dd_test.h"
#include "tkspin.h"
#include "ddint.h"

#define F(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define FS(type, id, text, value, mnx, mny, mxx, mxy) {(uint32_t)(type), id, text, value, nullptr, 0, mnx, mny, mxx, mxy, 0}
#define S(type, id, text, value, sub) {(uint32_t)(type), id, text, value, sub, 0, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

static DDFieldDef pageA[] = {F(DD_STATIC | DDF_GROUP, 0, "Queue", 0, 0), F(DD_EDIT | DDF_GROUPEND, 201, "SYSTEM.DEFAULT.LOCAL.QUEUE", 24, 0),
                             F(DD_CHECKBOX | DDF_NEWROW, 202, "Persistent", 0, 0),
                             F(DD_RADIO, 203, "Bindings", 0, WS_GROUP | BS_AUTORADIOBUTTON),
                             F(DD_RADIO, 204, "Client", 0, BS_AUTORADIOBUTTON), END};
static DDFieldDef pageB[] = {F(DD_STATIC, 0, "Second page", 0, 0), END};
static DDFieldDef paneRows[] = {F(DD_STATIC, 0, "Scrolled pane line 1", 0, 0), F(DD_EDIT | DDF_NEWROW, 301, "", 12, 0),
                                F(DD_STATIC | DDF_NEWROW, 0, "line 3", 0, 0), F(DD_EDIT | DDF_NEWROW, 302, "", 12, 0),
                                F(DD_STATIC | DDF_NEWROW, 0, "line 5", 0, 0), F(DD_EDIT | DDF_NEWROW, 303, "", 12, 0), END};
static DDFieldDef leftRows[] = {FS(DD_LISTBOX, 401, nullptr, 0, 8, 3, 0, 0), END};
static DDFieldDef rightRows[] = {FS(DD_ULISTBOX, 402, nullptr, 0, 8, 3, 0, 0), END};
static DDFieldDef topRows[] = {FS(DD_MULTIEDIT, 403, "upper pane", 10, 0, 2, 0, 0), END};
static DDFieldDef bottomRows[] = {FS(DD_ULISTBOXT, 404, nullptr, 0, 8, 2, 0, 0), END};
static DDFieldDef sectionRows[] = {F(DD_STATIC, 0, "Section field", 0, 0), F(DD_EDIT, 1, "from a section", 14, 0), END};
static DDFieldDef twistyRows[] = {F(DD_STATIC, 0, "Inside the twisty", 0, 0), F(DD_COMBOBOX, 501, "", 12, 0), END};

static DDFieldDef gallery[] = {
    F(DD_STATIC, 0, "Every field type of the dialog engine. This label wraps at the dialog's width, so it grows taller "
                    "when the dialog is narrow.", 1, 0),
    F(DD_SEPARATOR | DDF_NEWROW, 0, "Plain fields", 0, 0),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Edit", 0, 0), F(DD_EDIT, 101, "text", 16, 0),
    F(DD_STATIC | DDF_CLASS1, 0, "Combo", 0, 0), F(DD_COMBOBOX, 102, "choice", 12, 0),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Spin", 0, 0), F(DD_SPIN | DDF_GROUP, 103, nullptr, 0, 0),
    F(DD_EDIT | DDF_GROUPEND, 104, "42", 5, 0), F(DD_SPIN_IND, 105, nullptr, 0, 0),
    F(DD_STATIC | DDF_CLASS1, 0, "Progress", 0, 0), F(DD_PROGRESS, 106, nullptr, 12, 0),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Scroll", 0, 0), F(DD_SCROLL, 107, nullptr, 20, 0),
    F(DD_SPACER, 0, nullptr, 0, 0), F(DD_UBUTTON, 108, "Own button", 1, 0),
    {DD_SPINNER | DDF_NEWROW, 109, nullptr, 0, (DDFieldDef *)SpinDateTime.rows, 0, 0, 0, 0, 0, 0},
    F(DD_USER, 110, "STATIC", 0, SS_ETCHEDFRAME),
    {DD_RICHEDIT | DDF_NEWROW, 111, "Rich edit text", 30, nullptr, 0, 0, 2, 0, 3, 0},
    {DD_MULTIEDIT, 112, "Multi-line\r\nedit", 20, nullptr, ES_AUTOVSCROLL, 0, 2, 0, 3, 0},
    FS(DD_CONTAINER | DDF_NEWROW, 113, nullptr, 14, 0, 3, 0, 4),
    FS(DD_ULISTBOXS, 114, nullptr, 0, 12, 3, 0, 4),
    F(DD_GROUPBOX | DDF_NEWROW, 120, "Group box", 0, 0),
    S(DD_TABCTL, 121, nullptr, 0, nullptr),
    S(DD_TAB, 0, "Connection", 0, pageA), S(DD_TAB, 0, "Other", 0, pageB),
    F(DD_GROUPE, 0, nullptr, 0, 0),
    {DD_SPANE, 130, nullptr, 0, paneRows, WS_BORDER, 16, 4, 0, 4, 0},
    {DD_SPLITLR | DDF_NEWROW, 140, nullptr, 50000, nullptr, 0, 20, 4, 0, 5, 0},
    S(DD_SPANE, 141, nullptr, 0, leftRows), S(DD_SPANE, 142, nullptr, 0, rightRows),
    {DD_SPLITTB, 143, nullptr, 50000, nullptr, 0, 20, 6, 0, 7, 0},
    S(DD_SPANE, 144, nullptr, 0, topRows), S(DD_SPANE, 145, nullptr, 0, bottomRows),
    S(DD_SECTION | DDF_NEWROW, 600, nullptr, 0, sectionRows),
    S(DD_TWISTY | DDF_NEWROW, 150, "Twisty section", 2 | 4, twistyRows),
    F(DD_GROUP | DDF_NEWROW, 0, nullptr, 0, 0),
    F(DD_CHECKBOX, 160, "Check", 0, 0), F(DD_RADIO, 161, "Radio", 0, 0),
    F(DD_LISTBOX, 162, nullptr, 0, 0),
    F(DD_GROUPE, 0, nullptr, 0, 0),
    F(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, 1, "OK", 1, BS_DEFPUSHBUTTON),
    F(DD_BUTTON | DDF_CLASS2, 2, "Cancel", 1, 0), END};

TEST(DDGallery, EveryFieldTypeAtTwoWidths)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(gallery, 0, 900, 860, &w, &dd), 0);
    DDSendFieldMsg(dd, 106, 1242, 40, 0);
    HWND list = DDGetFieldWindow(dd, 162, 0);
    for (const char *s : {"QUEUE.A", "QUEUE.B", "QUEUE.C"})
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)s);
    HWND ul = DDGetFieldWindow(dd, 402, 0);
    for (const char *s : {"first row", "second row"})
        SendMessageA(ul, LB_ADDSTRING, 0, (LPARAM)s);
    SIZE min;
    DDCalcMinSize(dd, &min);
    EXPECT_GT(min.cx, 0);
    EXPECT_GT(min.cy, 0);
    EXPECT_NE(DDFindField(dd, 601), nullptr);
    for (int i = 0; i < dd->count; i++) {
        DDField *f = &dd->fields[i];
        if (f->row && f->row->id && DDShowable(f) && DD_TYPE(f) != DD_SPACER) {
            EXPECT_NE(f->hwnd, nullptr) << "field " << f->row->id;
        }
    }
    /* the container keeps its own record in its user data */
    DDField *cnt = DDFindField(dd, 113);
    ASSERT_NE(cnt->hwnd, nullptr);
    EXPECT_NE(GetWindowLongPtrA(cnt->hwnd, GWLP_USERDATA), (LONG_PTR)cnt);
    EXPECT_TRUE(DDTestShot(w, "dd_gallery_wide"));
    DDTestResize(w, 450, 860);
    EXPECT_TRUE(DDTestShot(w, "dd_gallery_narrow"));
    HWND tw = DDGetFieldWindow(dd, 150, 0);
    SendMessageA(tw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(tw, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    HWND tab = DDGetFieldWindow(dd, 121, 0);
    SendMessageA(tab, TCM_SETCURSEL, 1, 0);
    NMHDR nm = {tab, 121, (UINT)TCN_SELCHANGE};
    SendMessageA(w, WM_NOTIFY, 121, (LPARAM)&nm);
    EXPECT_TRUE(DDTestShot(w, "dd_gallery_collapsed"));
    DDTestClose(w, &dd);
}

TEST(DDGallery, EnginePaintedTabsAndOwnerDrawnButtons)
{
    HWND w;
    DDHANDLE dd;
    ASSERT_EQ(DDTestDialog(gallery, DDC_OWNERDRAW | DDC_PAINTTABS, 700, 860, &w, &dd), 0);
    static COLORREF text = RGB(0, 0, 128), back = RGB(230, 240, 255);
    static HBRUSH brush = CreateSolidBrush(back);
    DDSetFieldColours(dd, DD_BACKGROUND, 0, 0, 0, &text, &back, &brush);
    EXPECT_TRUE(DDTestShot(w, "dd_gallery_painted"));
    DDTestClose(w, &dd);
}
