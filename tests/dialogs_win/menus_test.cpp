/* Menu bar, push buttons and toolbar of command dialogs: what they hold
 * for a definition, empty submenus and leading separators left out,
 * actions the authorities refuse left out everywhere, the show/hide texts,
 * check marks and pressed toolbar buttons after the view toggles, and the
 * status history. */
#include "wintest.h"

#include <commctrl.h>

#include "autfile.h"
#include "pcflists.h"
#include "tktoolbar.h"
#include "tkwin.h"

#include <algorithm>
#include <set>

using namespace wintest;
using namespace dlgtest;

namespace {

struct Menus : Windows {
    void SetUp() override
    {
        Windows::SetUp();
        AutGlobalMask = ~0ull;
    }
    static std::vector<int32_t> ToolbarIds(DialogWords *d)
    {
        std::vector<int32_t> ids;
        int n = 0;
        const ToolbarButton *b = d->toolbar ? TbButtons(PCFWnd(d->toolbar), &n) : nullptr;
        for (int i = 0; i < n; i++)
            if (b[i].id)
                ids.push_back(b[i].id);
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    static bool Ticked(DialogWords *d, int32_t id)
    {
        int n = 0;
        const ToolbarButton *b = TbButtons(PCFWnd(d->toolbar), &n);
        for (int i = 0; i < n; i++)
            if (b[i].id == id)
                return (b[i].flags & TBB_TICKED) != 0;
        return false;
    }
    static std::string ItemText(DialogWords *d, int32_t id)
    {
        char text[100] = "";
        GetMenuStringA((HMENU)d->menu, (UINT)id, text, sizeof text, MF_BYCOMMAND);
        return text;
    }
    static bool Checked(DialogWords *d, int32_t id)
    {
        return (GetMenuState((HMENU)d->menu, (UINT)id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
};

TEST_F(Menus, MenuBarOfAnObjectDialog)
{
    DialogWords *d = Open(&PCFQueueDef);
    ASSERT_NE(d, nullptr);
    HMENU bar = GetMenu(PCFWnd(d->window));
    EXPECT_EQ(MenuItems(bar), std::vector<std::string>({ ">Options", "-", "&Refresh", "&Define", "&Alter", "C&opy",
                                                          "De&lete", "-", "&Clear", "Reset &Statistics",
                                                          "Close &Handles", "-", "&Browse", "&Put..." }));
    EXPECT_EQ(MenuItems(Submenu(bar, "Options")),
              std::vector<std::string>({ "Auto Refresh...", "Highlight difference from default",
                                         "Display difference from default", "-", "Export...", "-", "Hide Buttons",
                                         "Hide Toolbar" }));
    /* buttons of the rows with flag 0x1, at least 6 character widths each */
    for (int32_t id : { 1, 565, 575, 577, 578, 566, 2 }) {
        HWND b = GetDlgItem(PCFWnd(d->window), id);
        ASSERT_NE(b, nullptr) << id;
        EXPECT_TRUE(IsWindowVisible(b)) << id;
        RECT r = InParent(b);
        EXPECT_GE(r.right - r.left, 6 * d->charWidth) << id;
    }
    EXPECT_EQ(GetDlgItem(PCFWnd(d->window), 579), nullptr);      /* Clear: a menu item only */
    EXPECT_EQ(ToolbarIds(d), std::vector<int32_t>({ 1, 501, 754 }));
}

/* One menu of each name in every shipped dialog's menu bar: the Message
 * List's Options join the dialog's own, the Message dialog's Edit command
 * leads its Edit menu. */
TEST_F(Menus, EachMenuNameStandsOnceInTheBar)
{
    for (PCFCommandDef *def : { &PCFQueueManagerDef, &PCFQueueDef, &PCFQueueListDef, &PCFMessageListDef,
                                &PCFMessageDef, &PCFMessageDetailDef }) {
        DialogWords *d = Open(def, nullptr, DO_CHILD);
        ASSERT_NE(d, nullptr) << def->title;
        std::vector<std::string> names;
        for (const std::string &item : MenuItems((HMENU)d->menu)) {
            if (item == "-")
                continue;
            std::string plain;
            for (char c : item.substr(item[0] == '>' ? 1 : 0))
                if (c != '&')
                    plain += c;
            names.push_back(plain);
        }
        std::vector<std::string> sorted = names;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end())
            << def->title << ": " << testing::PrintToString(names);
        if (def == &PCFMessageListDef) {
            HMENU options = Submenu((HMENU)d->menu, "Options");
            ASSERT_NE(options, nullptr);
            EXPECT_NE(GetMenuState(options, 505, MF_BYCOMMAND), (UINT)-1);   /* the table's */
        }
        if (def == &PCFMessageDef) {
            HMENU edit = Submenu((HMENU)d->menu, "&Edit");
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(GetMenuItemID(edit, 0), 904u);
            EXPECT_NE(GetMenuState(edit, 894, MF_BYCOMMAND), (UINT)-1);
        }
        Close(d);
    }
}

TEST_F(Menus, EmptySubmenusAndLeadingSeparatorsLeaveNothing)
{
    /* the message dialog's Options start after two separator rows */
    DialogWords *m = Open(&PCFMessageDef);
    ASSERT_NE(m, nullptr);
    HMENU bar = GetMenu(PCFWnd(m->window));
    EXPECT_EQ(MenuItems(Submenu(bar, "Options")),
              std::vector<std::string>({ "Show Buttons", "Hide Toolbar", "Show Fields" }));
    std::vector<std::string> items = MenuItems(bar);
    for (size_t i = 1; i < items.size(); i++)
        EXPECT_FALSE(items[i] == "-" && items[i - 1] == "-") << i;
    EXPECT_NE(std::find(items.begin(), items.end(), ">&Edit"), items.end());
    Close(m);
    /* every row of the Options refused: no Options at all */
    for (int32_t id : { 504, 735, 736, 657, 501, 754 })
        AutAddMenuRestriction(id);
    DialogWords *d = Open(&PCFQueueDef);
    ASSERT_NE(d, nullptr);
    items = MenuItems(GetMenu(PCFWnd(d->window)));
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0], "&Refresh");
    EXPECT_EQ(std::find(items.begin(), items.end(), ">Options"), items.end());
}

TEST_F(Menus, ARefusedActionHasNoButtonItemOrToolbarButton)
{
    AutAddMenuRestriction(1);
    DialogWords *d = Open(&PCFQueueListDef);
    ASSERT_NE(d, nullptr);
    HWND hwnd = PCFWnd(d->window);
    EXPECT_EQ(GetDlgItem(hwnd, 1), nullptr);
    EXPECT_EQ(GetMenuState((HMENU)d->menu, 1, MF_BYCOMMAND), (UINT)-1);
    std::vector<int32_t> ids = ToolbarIds(d);
    EXPECT_EQ(std::find(ids.begin(), ids.end(), 1), ids.end());
    EXPECT_EQ(ids, std::vector<int32_t>({ 501, 502, 503, 684, 754, 762, 780, 789, 960 }));
    EXPECT_NE(GetMenuState((HMENU)d->menu, 578, MF_BYCOMMAND), (UINT)-1);
}

TEST_F(Menus, ShowHideTextsChecksAndToolbarAfterToggles)
{
    DialogWords *d = Open(&PCFQueueListDef);
    ASSERT_NE(d, nullptr);
    HWND hwnd = PCFWnd(d->window);
    struct Toggle { int32_t id; const char *before, *after; void **window; } toggles[] = {
        { 501, "Show Buttons", "Hide Buttons", nullptr },
        { 502, "Show Fields", "Hide Fields", &d->fieldWindow },
        { 503, "Show Filter", "Hide Filter", &d->filterWindow },
    };
    for (const Toggle &t : toggles) {
        SCOPED_TRACE(t.id);
        EXPECT_EQ(ItemText(d, t.id), t.before);
        EXPECT_FALSE(Ticked(d, t.id));
        if (t.window) {
            EXPECT_FALSE(IsWindowVisible(PCFWnd(*t.window)));
        }
        SendMessageA(hwnd, WM_COMMAND, t.id, 0);
        Pump();
        EXPECT_EQ(ItemText(d, t.id), t.after);
        EXPECT_TRUE(Ticked(d, t.id));
        if (t.window) {
            EXPECT_TRUE(IsWindowVisible(PCFWnd(*t.window)));
        }
    }
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(hwnd, 578)));
    EXPECT_EQ(d->dlgInfo->optA & (DLGA_BUTTONS | DLGA_FIELDS | DLGA_FILTER),
              (uint32_t)(DLGA_BUTTONS | DLGA_FIELDS | DLGA_FILTER));
    EXPECT_EQ(ItemText(d, 754), "Hide Toolbar");
    SendMessageA(hwnd, WM_COMMAND, 754, 0);
    Pump();
    EXPECT_EQ(ItemText(d, 754), "Show Toolbar");
    EXPECT_FALSE(IsWindowVisible(PCFWnd(d->toolbar)));
    EXPECT_FALSE(d->dlgInfo->optB & DLGB_TL);
    SendMessageA(hwnd, WM_COMMAND, 501, 0);
    Pump();
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(hwnd, 578)));
    /* check marks: title modes, hidden system objects, view options */
    EXPECT_TRUE(Checked(d, 610));
    SendMessageA(hwnd, WM_COMMAND, 612, 0);
    EXPECT_TRUE(Checked(d, 612));
    EXPECT_FALSE(Checked(d, 610));
    EXPECT_EQ(d->dlgInfo->optA & DF_TITLE_MODES, (uint32_t)DF_TITLE_SHORT);
    EXPECT_FALSE(Checked(d, 748));
    SendMessageA(hwnd, WM_COMMAND, 748, 0);
    EXPECT_TRUE(Checked(d, 748));
    EXPECT_TRUE(d->dlgInfo->optB & DLGB_NOSYS);
    EXPECT_FALSE(Checked(d, 684));
    SendMessageA(hwnd, WM_COMMAND, 684, 0);
    EXPECT_TRUE(Checked(d, 684));
    EXPECT_TRUE(Ticked(d, 684));
}

/* The Message dialog's toolbar in a narrow window: its buttons wrap onto
 * further rows inside the window, every button the mouse reaches at full
 * width is reached there too, and the message pane starts below them. */
TEST_F(Menus, AMessageToolbarWrapsInANarrowWindow)
{
    DialogWords *d = Open(&PCFMessageDef);
    ASSERT_NE(d, nullptr);
    HWND hwnd = PCFWnd(d->window), bar = PCFWnd(d->toolbar);
    ASSERT_NE(bar, nullptr);
    /* the buttons the pointer lights up, scanning the bar, and the x
       farthest right where one lit up */
    int farthest = 0;
    auto reached = [&] {
        std::set<int32_t> ids;
        RECT rc;
        GetClientRect(bar, &rc);
        for (int y = 1; y < rc.bottom; y += 3)
            for (int x = 1; x < rc.right; x += 3) {
                SendMessageA(bar, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
                int n = 0;
                const ToolbarButton *b = TbButtons(bar, &n);
                for (int i = 0; i < n; i++)
                    if (b[i].flags & TBB_HOT) {
                        ids.insert(b[i].id);
                        farthest = std::max(farthest, x);
                    }
            }
        SendMessageA(bar, WM_MOUSELEAVE, 0, 0);
        return ids;
    };
    MoveWindow(hwnd, 40, 40, 1200, 560, TRUE);
    Pump();
    std::set<int32_t> wide = reached();
    RECT one = InParent(bar);
    ASSERT_FALSE(wide.empty());
    ASSERT_GT(farthest, 260) << "no button lies past the narrow width";
    MoveWindow(hwnd, 40, 40, 260, 560, TRUE);
    Pump();
    RECT narrow = InParent(bar), client;
    GetClientRect(hwnd, &client);
    EXPECT_LE(narrow.right, client.right);
    EXPECT_GT(narrow.bottom - narrow.top, one.bottom - one.top) << "the buttons stayed on one row";
    EXPECT_EQ(reached(), wide) << "buttons past the right edge cannot be reached";
    EXPECT_GE(InParent(PCFWnd(d->dataWindow)).top, narrow.bottom);
    EXPECT_TRUE(GalleryShot(hwnd, "dialog_message_narrow", true));
    MoveWindow(hwnd, 40, 40, 1200, 560, TRUE);
    Pump();
    EXPECT_EQ(InParent(bar).bottom - InParent(bar).top, one.bottom - one.top);
    Close(d);
}

/* The pixels of a button's picture. */
static std::vector<uint32_t> Pixels(HBITMAP bm)
{
    BITMAPINFO bi = {};
    bi.bmiHeader = { sizeof bi.bmiHeader, 16, -16, 1, 32, BI_RGB };
    std::vector<uint32_t> px(256);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bm, 0, 16, px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return px;
}

/* The tooltip window a toolbar shows its tips in. */
static HWND TipOf(HWND bar)
{
    struct Find { HWND bar, tip; } f = { bar, nullptr };
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM lp) -> BOOL {
        Find *f = (Find *)lp;
        char name[40] = "";
        GetClassNameA(w, name, sizeof name);
        TOOLINFOA ti = {};
        ti.cbSize = sizeof ti;
        if (!lstrcmpiA(name, "tooltips_class32") && SendMessageA(w, TTM_ENUMTOOLSA, 0, (LPARAM)&ti) &&
            ti.hwnd == f->bar)
            f->tip = w;
        return !f->tip;
    }, (LPARAM)&f);
    return f.tip;
}

/* Every toolbar button shows a picture of its own within its bar, and
 * hovering over it tips the command's name, the name its menu item has. */
TEST_F(Menus, ToolbarButtonsHaveTheirOwnPictureAndTheirNameAsTip)
{
    for (PCFCommandDef *def : { &PCFQueueManagerDef, &PCFQueueDef, &PCFQueueListDef, &PCFMessageListDef,
                                &PCFMessageDef }) {
        SCOPED_TRACE(def->title);
        DialogWords *d = Open(def);
        ASSERT_NE(d, nullptr);
        HWND bar = PCFWnd(d->toolbar);
        ASSERT_NE(bar, nullptr);
        MoveWindow(PCFWnd(d->window), 20, 20, 900, 600, TRUE);
        Pump();
        HWND tip = TipOf(bar);
        ASSERT_NE(tip, nullptr);
        int n = 0, x = 0;
        const ToolbarButton *b = TbButtons(bar, &n);
        std::vector<std::vector<uint32_t>> pictures;
        for (int i = 0; i < n; x += b[i].width, i++) {
            if (!b[i].id)
                continue;
            SCOPED_TRACE(b[i].id);
            std::vector<uint32_t> px = Pixels((HBITMAP)b[i].normal);
            EXPECT_EQ(std::find(pictures.begin(), pictures.end(), px), pictures.end());
            pictures.push_back(px);
            TTHITTESTINFOA hit = {};
            hit.hwnd = bar;
            hit.pt = { x + b[i].width / 2, TbGetHeight(bar) / 2 };
            hit.ti.cbSize = sizeof hit.ti;
            ASSERT_TRUE(SendMessageA(tip, TTM_HITTESTA, 0, (LPARAM)&hit));
            char text[100] = "";
            TOOLINFOA ti = {};
            ti.cbSize = sizeof ti;
            ti.hwnd = bar;
            ti.uId = hit.ti.uId;
            ti.lpszText = text;
            SendMessageA(tip, TTM_GETTEXTA, sizeof text, (LPARAM)&ti);
            std::string name = ItemText(d, b[i].id);
            name.erase(std::remove(name.begin(), name.end(), '&'), name.end());
            name = name.substr(0, name.find('\t'));
            EXPECT_FALSE(std::string(text).empty());
            if (!name.empty() && name.rfind("Hide ", 0) && name.rfind("Show ", 0)) {
                EXPECT_EQ(text, name);
            }
        }
        Close(d);
    }
}

TEST_F(Menus, StatusHistoryOfThirty)
{
    DialogWords *d = Open(&PCFQueueDef);
    ASSERT_NE(d, nullptr);
    HWND status = PCFWnd(d->statusWindow);
    PCFDialogStatus(d, "same", nullptr, 1);
    PCFDialogStatus(d, "same", nullptr, 1);
    EXPECT_EQ(SendMessageA(status, CB_GETCOUNT, 0, 0), 1);
    for (int i = 0; i < 35; i++)
        PCFDialogStatus(d, ("text " + std::to_string(i)).c_str(), nullptr, 1);
    EXPECT_EQ(SendMessageA(status, CB_GETCOUNT, 0, 0), 30);
    char first[40], last[40];
    SendMessageA(status, CB_GETLBTEXT, 0, (LPARAM)first);
    SendMessageA(status, CB_GETLBTEXT, 29, (LPARAM)last);
    EXPECT_STREQ(first, "text 34");
    EXPECT_STREQ(last, "text 5");
    /* precedence: a text with flag 32 stays against an empty one */
    PCFDialogStatus(d, "kept", nullptr, 32);
    PCFDialogStatus(d, "", nullptr, 0);
    char shown[40];
    GetWindowTextA(status, shown, sizeof shown);
    EXPECT_STREQ(shown, "kept");
    /* flag 2: a transient text for the timed check to clear, no wait for
       a command server's answer */
    PCFDialogStatus(d, "sent", nullptr, 2);
    EXPECT_TRUE(d->optionFlags & DO_TRANSIENT);
    EXPECT_FALSE(d->markFlags & DM_REQUEST_SENT);
    PCFDialogStatus(d, "answered", nullptr, 0);
    EXPECT_FALSE(d->optionFlags & DO_TRANSIENT);
    d->fixedStatus = (char *)CSGetMem(8, "STATUS");
    strcpy(d->fixedStatus, "fixed");
    PCFDialogStatus(d, "other", nullptr, 0);
    GetWindowTextA(status, shown, sizeof shown);
    EXPECT_STREQ(shown, "fixed");
}

int64_t FakeNow;
int Sounds;

TEST_F(Menus, ErrorSoundsAtMostOnceInTwoSeconds)
{
    DialogWords *d = Open(&PCFQueueDef);
    ASSERT_NE(d, nullptr);
    FakeNow = 5000;
    Sounds = 0;
    PCFClock = [] { return FakeNow; };
    WinSetSoundHooks([] { return FakeNow; }, [](int, const char *) { Sounds++; });
    PCFDialogStatus(d, "bad", nullptr, 4);
    PCFDialogStatus(d, "bad again", nullptr, 4);
    EXPECT_EQ(Sounds, 1);
    FakeNow += 1;
    PCFDialogStatus(d, "still bad", nullptr, 4);
    EXPECT_EQ(Sounds, 1);
    FakeNow += 1;
    PCFDialogStatus(d, "bad later", nullptr, 4);
    EXPECT_EQ(Sounds, 2);
    d->markFlags |= DM_QUIET;
    FakeNow += 10;
    PCFDialogStatus(d, "quiet", nullptr, 4);
    EXPECT_EQ(Sounds, 2);
    WinSetSoundHooks(nullptr, nullptr);
}

}  // namespace
