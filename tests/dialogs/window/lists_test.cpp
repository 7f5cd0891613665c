/* List dialogs under Xvfb, filled from the stand-in queue manager through
 * the engine's hooks: the Queue List's rows and count, a sort by a click
 * on a column title, the selection kept by key across a refresh, a WHERE
 * filter sent with the refresh, a row opened in the Queue dialog and
 * altered there, copying to the clipboard, printing onto a bitmap, and
 * the "Change List Contents" and "Auto Refresh Rate" windows, with their
 * gallery pictures. */
#include "listwin.h"

#include <commctrl.h>

#include "autfile.h"
#include "mqsim.h"
#include "pcflistwin.h"

using namespace wintest;
using namespace dlgtest;

namespace {

const char *Qmgr = "QMLISTWIN";
const int Defined = 400;

struct ListWindows : QueueLists {
    void SetUp() override
    {
        AutGlobalMask = ~0ull;
        std::string script;
        char line[120];
        for (int i = 0; i < Defined; i++) {
            snprintf(line, sizeof line, "DEFINE QLOCAL(LIST.Q%04d) DESCR('%s') REPLACE\n", i,
                     i % 2 ? "Odd" : "Active");
            script += line;
        }
        Start(Qmgr, script);
    }
};

TEST_F(ListWindows, QueueListRowsSortSelectionAndCount)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    std::vector<std::string> names = Shown(d);
    ASSERT_GE(names.size(), (size_t)Defined);
    EXPECT_EQ((int)SendMessageA(List(d), LB_GETCOUNT, 0, 0), (int)names.size());
    EXPECT_GE(IndexOf(d, "LIST.Q0399"), 0);
    char count[40];
    PCFCountText(d, count, sizeof count);
    EXPECT_EQ(std::string(count), std::to_string(names.size()) + " / " + std::to_string(names.size()));
    /* names come sorted; a click on the name title turns the order round */
    EXPECT_LT(IndexOf(d, "LIST.Q0001"), IndexOf(d, "LIST.Q0002"));
    HWND title = PCFWnd(d->rightTitle);
    int x = TitleX(d, MQCA_Q_NAME);
    ASSERT_GE(x, 0);
    for (int clicks = 0; clicks < 2 && IndexOf(d, "LIST.Q0001") < IndexOf(d, "LIST.Q0002"); clicks++) {
        MouseDown(title, x, 4);
        MouseUp(title, x, 4);
        Pump();
    }
    EXPECT_GT(IndexOf(d, "LIST.Q0001"), IndexOf(d, "LIST.Q0002"));
    /* a release outside the title band neither moves nor sorts */
    std::vector<std::string> before = Shown(d);
    MouseDown(title, x, 4);
    MouseUp(title, x, 200);
    Pump();
    EXPECT_EQ(Shown(d), before);
    /* select a block of three and keep it by key across a refresh in
       which the rows move */
    int first = IndexOf(d, "LIST.Q0010");
    SendMessageA(List(d), LB_SETSEL, FALSE, -1);
    SendMessageA(List(d), LB_SELITEMRANGE, TRUE, MAKELPARAM(first, first + 2));
    SendMessageA(List(d), LB_SETCARETINDEX, (WPARAM)first, 0);
    std::string a = Shown(d)[(size_t)first], c = Shown(d)[(size_t)first + 2];
    StandinMqsc(Qmgr, "DEFINE QLOCAL(LIST.Q0009A) REPLACE\nDELETE QLOCAL(LIST.Q0398)\n");
    Refresh(d);
    int moved = IndexOf(d, a);
    ASSERT_GE(moved, 0);
    EXPECT_NE(moved, first);
    EXPECT_GT(SendMessageA(List(d), LB_GETSEL, (WPARAM)moved, 0), 0);
    EXPECT_GT(SendMessageA(List(d), LB_GETSEL, (WPARAM)IndexOf(d, c), 0), 0);
    EXPECT_EQ((int)SendMessageA(List(d), LB_GETSELCOUNT, 0, 0), 3);
    SendMessageA(List(d), LB_SETTOPINDEX, (WPARAM)(moved > 4 ? moved - 4 : 0), 0);
    Pump();
    EXPECT_TRUE(GalleryShot(PCFWnd(d->window), "lists_queue_list", true));
    /* copying puts the selected rows on the clipboard, one line each */
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 796, 0);
    Pump();
    std::string copied;
    if (OpenClipboard(nullptr)) {
        HANDLE h = GetClipboardData(CF_TEXT);
        if (h) {
            copied = (const char *)GlobalLock(h);
            GlobalUnlock(h);
        }
        CloseClipboard();
    }
    EXPECT_NE(copied.find(a), std::string::npos);
    EXPECT_NE(copied.find("\r\n"), std::string::npos);
}

TEST_F(ListWindows, WhereFilterTravelsWithTheRefresh)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    size_t all = Shown(d).size();
    ASSERT_EQ(SetWhereFilter(d, 1, MQCFT_STRING_FILTER, MQCA_Q_DESC, MQCFOP_LIKE, "Active*", -1), 0);
    PCFDialogTitle(d, nullptr);
    Refresh(d);
    std::vector<std::string> names = Shown(d);
    EXPECT_EQ(names.size(), (size_t)Defined / 2);
    EXPECT_LT(names.size(), all);
    EXPECT_GE(IndexOf(d, "LIST.Q0002"), 0);
    EXPECT_LT(IndexOf(d, "LIST.Q0001"), 0);
    char caption[200] = "";
    GetWindowTextA(PCFWnd(d->window), caption, sizeof caption);
    EXPECT_NE(std::string(caption).find("WHERE"), std::string::npos) << caption;
}

TEST_F(ListWindows, PropertiesOpenTheQueueDialogFromTheRow)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    int row = IndexOf(d, "LIST.Q0007");
    ASSERT_GE(row, 0);
    SendMessageA(List(d), LB_SETSEL, FALSE, -1);
    SendMessageA(List(d), LB_SETSEL, TRUE, row);
    SendMessageA(List(d), LB_SETCARETINDEX, (WPARAM)row, 0);
    DialogWords *opened = nullptr;
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 517, 0);
    Settle();
    for (DialogWords *o = PCFOpenDialogs; o; o = o->next)
        if (o->definition == &PCFQueueDef)
            opened = o;
    ASSERT_NE(opened, nullptr);
    char text[64] = "";
    const char *name = PCFGetValueText(opened, MQCA_Q_NAME, text, sizeof text);
    EXPECT_STREQ(name ? name : "", "LIST.Q0007");
}

TEST_F(ListWindows, PrintedPageOnABitmap)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    const int w = 850, h = 1100;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all = { 0, 0, w, h };
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    RECT area = { 40, 40, w - 40, h - 40 };
    static int pages;
    pages = 0;
    auto start = [](void *, int) -> int { return ++pages == 1; };
    int printed = TkPrintPages(PCFWnd(d->window), dc, &area, 1.0, start, nullptr, nullptr);
    EXPECT_GE(printed, 1);
    /* something was drawn inside the page area */
    int ink = 0;
    for (int y = 40; y < 200 && !ink; y += 2)
        for (int x = 40; x < w - 40 && !ink; x += 2)
            ink = (GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_TRUE(ink);
    /* the page into the gallery through a window that shows the bitmap */
    HWND show = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | SS_BITMAP, 0, 0, w, h, nullptr, nullptr,
                                nullptr, nullptr);
    SelectObject(dc, old);
    SendMessageA(show, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bmp);
    Pump();
    EXPECT_TRUE(GalleryShot(show, "lists_printed_page", true));
    DestroyWindow(show);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

TEST_F(ListWindows, ChangeListContentsAndAutoRefreshRate)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    PCFAlterListOpen(d);
    Pump();
    HWND alter = PCFWnd(d->popups[PCF_POPUP_ALTERLIST]);
    ASSERT_TRUE(IsWindow(alter));
    ShowWindow(alter, SW_SHOW);
    MoveWindow(alter, 40, 40, 560, 440, TRUE);
    Pump();
    EXPECT_TRUE(GalleryShot(alter, "lists_change_list_contents", true));
    SendMessageA(alter, WM_CLOSE, 0, 0);
    Pump();
    PCFAutoRefreshDialog(d);
    Pump();
    HWND rate = PCFWnd(d->popups[PCF_POPUP_AUTOREFRESH]);
    ASSERT_TRUE(IsWindow(rate));
    ShowWindow(rate, SW_SHOW);
    Pump();
    EXPECT_TRUE(GalleryShot(rate, "lists_auto_refresh_rate", true));
    HWND tabs = FindChild(rate, WC_TABCONTROLA);
    if (tabs) {
        TabCtrl_SetCurSel(tabs, 1);
        NMHDR n = { tabs, (UINT_PTR)GetDlgCtrlID(tabs), (UINT)TCN_SELCHANGE };
        SendMessageA(GetParent(tabs), WM_NOTIFY, n.idFrom, (LPARAM)&n);
        Pump();
        EXPECT_TRUE(GalleryShot(rate, "lists_auto_refresh_rate_export", true));
    }
    SendMessageA(rate, WM_CLOSE, 0, 0);
    Pump();
}

}  // namespace
