/* The gallery: each of the program's own controls with sample content,
 * one screenshot (BMP) per control in <build>/gallery, for a person to
 * look at. */
#include <gtest/gtest.h>
#include "tkharness.h"
#include "tkspin.h"
#include "tktoolbar.h"
#include "tkutil.h"

/* a child control of the gallery parent */
static HWND child(const char *cls, const char *text, DWORD style, int x, int y, int w, int h,
                  int id = 1, void *param = nullptr)
{
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, TestHarness().parent,
                           (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), param);
}

static const char *const queues[] = {"APP.ORDERS.IN", "APP.ORDERS.OUT", "SYSTEM.ADMIN.COMMAND.QUEUE",
                                     "SYSTEM.DEAD.LETTER.QUEUE", "PAYROLL.REQUEST", "PAYROLL.REPLY",
                                     "AUDIT.EVENTS", "BILLING.BATCH.INPUT", "BILLING.BATCH.OUTPUT",
                                     "CLUSTER.TRANSMIT", "MONITOR.STATS", "TEST.LOOPBACK"};

/* fill a list-like control with the sample queue names */
static void fill(HWND list)
{
    for (const char *q : queues)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)q);
}

TEST(Gallery, ListBox)
{
    TestParent(320, 200);
    HWND list = child(ZKT_LISTBOX, "", LBS_EXTENDEDSEL | LBS_NOTIFY, 0, 0, 320, 200);
    fill(list);
    SendMessageA(list, LB_SELITEMRANGE, 1, MAKELPARAM(2, 4));
    SetFocus(list);
    SendMessageA(list, LB_SETCARETINDEX, 4, 0);
    EXPECT_TRUE(GalleryShot(list, "listbox"));
}

TEST(Gallery, TitleListAndBuddy)
{
    TestParent(520, 200);
    HWND tl = child(ZKT_TITLELIST, "Queue name", 0, 0, 0, 260, 200);
    HWND tb = child(ZKT_TITLEBUDDY, "Same rows, second view", 0, 260, 0, 260, 200);
    HWND list = (HWND)SendMessageA(tl, LBM_GETLIST, 0, 0);
    HWND buddy = (HWND)SendMessageA(tb, LBM_GETLIST, 0, 0);
    SendMessageA(list, LBM_SETBUDDY, 0, (LPARAM)buddy);
    SendMessageA(buddy, LBM_SETBUDDY, 0, (LPARAM)list);
    fill(tl);
    SendMessageA(tl, LB_SETCURSEL, 3, 0);
    SendMessageA(list, WM_HSCROLL, SB_LINEDOWN, 0);
    EXPECT_TRUE(GalleryShot(TestHarness().parent, "titlelist_and_buddy"));
}

TEST(Gallery, SplitList)
{
    TestParent(520, 200);
    HWND sl = child(ZKT_SPLITLIST, "Queue name", 0, 0, 0, 520, 200);
    fill(sl);
    SendMessageA(sl, LB_SETCURSEL, 2, 0);
    SendMessageA(sl, LBM_SPLIT, 1, 0);
    EXPECT_TRUE(GalleryShot(sl, "splitlist"));
}

TEST(Gallery, FrameProgressAndButtons)
{
    TestParent(420, 170);
    HWND frame = child(ZKT_FRAME, "", 0, 0, 0, 200, 120);
    HWND inner = child(ZKT_LISTBOX, "", 0, 0, 0, 10, 10, 2);
    SetParent(inner, frame);
    fill(inner);
    SendMessageA(frame, LBM_FRAMECOLOUR, RGB(90, 140, 200), 0);
    SendMessageA(frame, LBM_FRAMEEDGE, EDGE_SUNKEN, 0);
    SendMessageA(frame, LBM_FRAMECLIENT, (WPARAM)inner, 0);
    HWND bar = child(ZKT_PROGRESS, "", 0, 210, 10, 200, 20, 3);
    SendMessageA(bar, LBM_PROGRESS, 60, 100);
    HWND b1 = child(ZKT_BUTTON, "Refresh", 0, 210, 50, 90, 28, 4);
    HWND b2 = child(ZKT_BUTTON, "Auto", 0, 310, 50, 90, 28, 5);
    HWND b3 = child(ZKT_BUTTON, "Disabled", 0, 210, 90, 90, 28, 6);
    SendMessageA(b2, BM_SETCHECK, 1, 0);
    SendMessageA(b3, ZKTBM_DISABLEDLOOK, 1, 0);
    SetFocus(b1);
    EXPECT_TRUE(GalleryShot(TestHarness().parent, "frame_progress_buttons"));
}

TEST(Gallery, Spinners)
{
    TestParent(420, 110);
    HWND date = child(ZKT_SPINNERS, "", 0, 0, 0, 420, 30, 7, (void *)&SpinDateTimeNow);
    int64_t v[7] = {29, 1, 2024, 23, 59, 58, 50};
    SpinSetValues(date, 7, v);
    HWND now = child(ZKT_SPINNERS, "", 0, 0, 35, 420, 30, 8, (void *)&SpinDateTimeNow);
    SpinSetCheck(now, 1010, 1);
    HWND interval = child(ZKT_SPINNERS, "", SPS_CHECK, 0, 70, 420, 30, 9, (void *)&SpinInterval);
    int64_t iv[5] = {12, 6, 30, 0, 0};
    SpinSetValues(interval, 5, iv);
    SendMessageA(date, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 15));   /* the day is current */
    SendMessageA(date, WM_LBUTTONUP, 0, MAKELPARAM(3, 15));
    SendMessageA(date, WM_KEYDOWN, VK_RIGHT, 0);                         /* then the month */
    EXPECT_TRUE(GalleryShot(TestHarness().parent, "spinners"));
}

/* a 16 x 16 sample image on magenta (transparent) */
static HBITMAP sample_image(COLORREF c, int shape)
{
    HDC screen = GetDC(NULL);
    HBITMAP bm = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bm);
    RECT r = {0, 0, 16, 16};
    HBRUSH b = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &r, b);
    DeleteObject(b);
    b = CreateSolidBrush(c);
    HGDIOBJ ob = SelectObject(dc, b);
    if (shape) Ellipse(dc, 2, 2, 14, 14);
    else Rectangle(dc, 3, 3, 13, 13);
    SelectObject(dc, ob);
    DeleteObject(b);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
    return bm;
}

TEST(Gallery, Toolbar)
{
    TestParent(420, 30);
    HBITMAP img[4] = {sample_image(RGB(200, 0, 0), 0), sample_image(RGB(0, 150, 0), 1),
                      sample_image(RGB(0, 0, 200), 0), sample_image(RGB(220, 160, 0), 1)};
    ToolbarButton b[8] = {};
    const int ids[8] = {1, 2, 0, 3, 4, 0, 5, 6};
    for (int i = 0; i < 8; i++) {
        b[i].id = ids[i];
        b[i].key = i;
        b[i].text = "Button";
        b[i].normal = img[i % 4];
        b[i].flags = ids[i] ? 0 : TBB_SEP;
    }
    b[3].group = b[4].group = 1;
    b[5].flags = TBB_STRETCH;
    b[6].flags = TBB_DISABLED;
    b[1].flags = TBB_ALT;
    HWND bar = TbCreate(TestHarness().parent, TBS_FLAT | 0x10, 8, b);
    MouseMove(bar, 10, 10, 0);
    EXPECT_TRUE(GalleryShot(bar, "toolbar"));
    DestroyWindow(bar);
    for (HBITMAP h : img)
        DeleteObject(h);
}

TEST(Gallery, SelectionBox)
{
    TestParent(300, 260);
    HWND box = child(ZKT_SELECTIONBOX, "", 0, 0, 0, 10, 10);
    ShowWindow(box, SW_HIDE);
    fill(box);
    ShowSelectionBox(box, 0, 0, 120, 20, SB_MODE_BUTTON);
    EXPECT_TRUE(GalleryShot(box, "selectionbox_button"));
    ShowSelectionBox(box, 0, 0, 120, 20, SB_MODE_EDITLIST);
    EXPECT_TRUE(GalleryShot(box, "selectionbox_dropdown"));
}

TEST(Gallery, DropTip)
{
    HWND parent = TestParent(600, 400);
    DropTipRequest rq = {};
    rq.owner = parent;
    rq.style = 0x20000000 | 2;
    rq.title = "Copy to";
    const char *body = "QM1 / APP.ORDERS.IN\n3 messages";
    rq.body = body;
    rq.bodyLength = (uint32_t)strlen(body);
    rq.cursor = {200, 150};
    ShowDropTip(&rq);
    EXPECT_TRUE(GalleryShot(DropTipWindow(), "droptip"));
    HideDropTip(parent);
}
