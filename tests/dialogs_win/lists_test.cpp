/* List dialogs under Xvfb, filled from the stand-in queue manager through
 * the engine's hooks: the Queue List's rows and count, a sort by a click
 * on a column title, Export offered with no row selected, the selection
 * kept by key across a refresh, a WHERE filter sent with the refresh, a
 * row opened in the Queue dialog and altered there, copying to the
 * clipboard, printing onto a bitmap, and the "Change List Contents" and
 * "Auto Refresh Rate" windows, with their gallery pictures. */
#include "listwin.h"

#include <commctrl.h>

#include "autfile.h"
#include "colfilter.h"
#include "export.h"
#include "fltwin.h"
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
    /* the columns shown: all but the queue-sharing group's, which this queue manager lacks */
    EXPECT_EQ(TitlesShown(d), std::vector<std::string>({ "QMgr", "Name", "Type", "Def Type", "Clus QMgr", "Clus",
                                                         "Targ Type", "Depth" }));
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
    /* Export stands for every row shown, selected or not */
    SendMessageA(List(d), LB_SETSEL, FALSE, -1);
    PCFSetMenu(d);
    EXPECT_EQ(GetMenuState((HMENU)d->menu, 657, MF_BYCOMMAND), (UINT)MF_ENABLED);
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

/* A list filtered by a named filter follows the filter when the Filter
 * Manager changes it: the dialog compiles the new definition, it does not
 * keep showing the old rows nor lose its filter. */
TEST_F(ListWindows, AChangedNamedFilterIsAppliedAgain)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    ASSERT_GE(FltStoreEntry("MINE", "queue == 'LIST.Q000*'", 1, 0, nullptr), 0);
    Filter(d, "$MINE");
    auto all_start = [](const std::vector<std::string> &names, const std::string &prefix) {
        for (const std::string &n : names)
            if (n.compare(0, prefix.size(), prefix))
                return false;
        return !names.empty();
    };
    EXPECT_TRUE(all_start(Shown(d), "LIST.Q000"));
    EXPECT_GE(IndexOf(d, "LIST.Q0003"), 0);
    ASSERT_EQ(FltStoreEntry("MINE", "queue == 'LIST.Q001*'", 1, 0, nullptr), 1);
    SendMessageA(PCFWnd(d->window), UM_FLT_NAMECHANGED, 0, (LPARAM)"MINE");
    Settle();
    Pump();
    EXPECT_TRUE(all_start(Shown(d), "LIST.Q001"));
    EXPECT_GE(IndexOf(d, "LIST.Q0013"), 0);
    EXPECT_LT(IndexOf(d, "LIST.Q0003"), 0);
    ASSERT_NE(d->filterText, nullptr);
    EXPECT_STREQ(d->filterText, "$MINE");
    /* the filter field's drop-down offers the location's recent filters,
       or with "Use global filter history" the program-wide ones; Alt held
       turns the choice round */
    ASSERT_TRUE(d->dlgInfo && d->globalInfo && d->dlgInfo != d->globalInfo);
    PCFRecentFilter(&d->globalInfo->filters, "curdepth > 99", 10);
    HWND combo = PCFWnd(d->filterWindow);
    ASSERT_NE(combo, nullptr);
    const struct { int global; bool alt, programWide; } offers[] = {
        { 0, false, false }, { 1, false, true }, { 1, true, false }, { 0, true, true },
    };
    BYTE keys[256], saved[256];
    GetKeyboardState(saved);
    for (const auto &o : offers) {
        PcfWinPrefs.filterListGlobal = o.global;
        memcpy(keys, saved, sizeof keys);
        keys[VK_MENU] = o.alt ? 0x80 : 0;
        SetKeyboardState(keys);
        PCFSetFilterValues(d);
        EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "curdepth > 99") >= 0, o.programWide)
            << "global " << o.global << ", Alt " << o.alt;
    }
    SetKeyboardState(saved);
    PcfWinPrefs.filterListGlobal = 0;
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
    /* Apply with nothing changed, a title shown cut: the list stays */
    RECT was;
    GetWindowRect(PCFWnd(d->window), &was);
    MoveWindow(PCFWnd(d->window), was.left, was.top, 260, was.bottom - was.top, TRUE);
    Pump();
    PCFLISTENTRY *columns = PCFDialogColumns(d);
    uint32_t cut = 0;
    for (int i = 0; columns[i].field; i++)
        cut |= columns[i].flags & PCFL_CUT;
    ASSERT_TRUE(cut);
    SendMessageA(alter, WM_COMMAND, 131, 0);
    Pump();
    EXPECT_EQ(PCFDialogColumns(d), columns);
    MoveWindow(PCFWnd(d->window), was.left, was.top, was.right - was.left, was.bottom - was.top, TRUE);
    Pump();
    /* a column moved by its title shows at its new place in "List Contents" */
    int depth = TitleX(d, MQIA_CURRENT_Q_DEPTH), name = TitleX(d, MQCA_Q_NAME);
    MouseDown(PCFWnd(d->rightTitle), depth, 4);
    MouseUp(PCFWnd(d->rightTitle), name, 4);
    char moved[120] = "";
    SendMessageA(DDGetFieldWindow(DDFindHandle(alter), 128, 0), LB_GETTEXT, 1, (LPARAM)moved);
    EXPECT_STREQ(moved, "Current Queue Depth (CURDEPTH)");
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

/* The filter mark at the right end of a column's title: a click opens
 * the column's filter pop-up instead of sorting; what is typed there
 * filters the rows; a second click closes the pop-up and the filter
 * stays; with the marks hidden the same click sorts. */
TEST_F(ListWindows, AColumnFilterMarkOpensThePopup)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    HWND title = PCFWnd(d->rightTitle);
    int x = TitleX(d, MQCA_Q_NAME);
    ASSERT_GE(x, 0);
    int32_t left, right;
    int border;
    ASSERT_GE(PCFColumnAt(d, x, 4, &left, &right, &border), 0);
    int mark = right - 7;
    std::vector<std::string> before = Shown(d);
    ASSERT_GE(before.size(), (size_t)Defined);
    MouseDown(title, mark, 4);
    MouseUp(title, mark, 4);
    Pump();
    HWND popup = ColFilterWindow(d);
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(IsWindowVisible(popup));
    EXPECT_EQ(Shown(d), before);                  /* no sort */
    HWND text = GetDlgItem(popup, CFC_TEXT);
    ASSERT_NE(text, nullptr);
    SetWindowTextA(text, "Q001");
    SetFocus(text);
    LoopKey(VK_RETURN);
    Pump();
    std::vector<std::string> shown = Shown(d);
    EXPECT_EQ(shown.size(), 10u);
    for (const std::string &n : shown)
        EXPECT_EQ(n.find("LIST.Q001"), 0u) << n;
    char count[40];
    PCFCountText(d, count, sizeof count);
    EXPECT_EQ(std::string(count), "10 / " + std::to_string(before.size()));
    EXPECT_TRUE(GalleryShot(PCFWnd(d->window), "lists_column_filter", true));
    x = TitleX(d, MQCA_Q_NAME);                   /* the widths follow the rows */
    ASSERT_GE(PCFColumnAt(d, x, 4, &left, &right, &border), 0);
    mark = right - 7;
    MouseDown(title, mark, 4);
    MouseUp(title, mark, 4);
    Pump();
    EXPECT_EQ(ColFilterWindow(d), nullptr);
    EXPECT_EQ(Shown(d).size(), 10u);
    /* Remove Column Filters brings every row back; hidden marks sort */
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 960, 0);
    Pump();
    EXPECT_EQ(Shown(d).size(), before.size());
    /* hidden by the dialog's own command, or by the preference */
    const struct { const char *how; int command, shown; } hidden[] = {
        { "Hide Column Filters", 961, 1 }, { "the preference off", 0, 0 },
    };
    for (const auto &h : hidden) {
        if (h.command)
            SendMessageA(PCFWnd(d->window), WM_COMMAND, (WPARAM)h.command, 0);
        FltPrefs.marksShown = h.shown;
        Pump();
        x = TitleX(d, MQCA_Q_NAME);
        ASSERT_GE(PCFColumnAt(d, x, 4, &left, &right, &border), 0);
        mark = right - 7;
        auto ascending = [&] { return IndexOf(d, "LIST.Q0001") < IndexOf(d, "LIST.Q0002"); };
        const bool was = ascending();
        for (int clicks = 0; clicks < 2 && ascending() == was; clicks++) {
            MouseDown(title, mark, 4);
            MouseUp(title, mark, 4);
            Pump();
        }
        EXPECT_EQ(ColFilterWindow(d), nullptr) << h.how;
        EXPECT_NE(ascending(), was) << h.how << ": a click on the mark's place sorts";
        if (h.command)
            SendMessageA(PCFWnd(d->window), WM_COMMAND, (WPARAM)h.command, 0);
        FltPrefs.marksShown = 1;
        Pump();
    }
}

/* Ctrl with Copy exports the selected rows onto the clipboard instead of
 * copying their text; Shift as well exports every row shown. */
TEST_F(ListWindows, CtrlCopyExportsTheRowsOntoTheClipboard)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    int a = IndexOf(d, "LIST.Q0005"), b = IndexOf(d, "LIST.Q0007");
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    int height = (int)SendMessageA(List(d), LB_GETITEMHEIGHT, 0, 0);
    int top = (int)SendMessageA(List(d), LB_GETTOPINDEX, 0, 0);
    MouseDown(List(d), 30, (a - top) * height + height / 2);
    MouseUp(List(d), 30, (a - top) * height + height / 2);
    MouseDown(List(d), 30, (b - top) * height + height / 2, MK_CONTROL);
    MouseUp(List(d), 30, (b - top) * height + height / 2, MK_CONTROL);
    Pump();
    ASSERT_EQ((int)SendMessageA(List(d), LB_GETSELCOUNT, 0, 0), 2);
    d->exportType = EXP_MQSC;
    CopyWithKeys(d, true, false);
    std::string text = ClipboardText();
    EXPECT_NE(text.find("DEFINE QLOCAL("), std::string::npos) << text;
    EXPECT_NE(text.find("LIST.Q0005"), std::string::npos) << text;
    EXPECT_NE(text.find("LIST.Q0007"), std::string::npos) << text;
    EXPECT_EQ(text.find("LIST.Q0006"), std::string::npos) << text;
    char status[200] = "";
    GetWindowTextA(PCFWnd(d->statusWindow), status, sizeof status);
    EXPECT_EQ(std::string(status), "2 objects exported.");
    CopyWithKeys(d, true, true);
    text = ClipboardText();
    EXPECT_NE(text.find("LIST.Q0006"), std::string::npos);
    EXPECT_NE(text.find("LIST.Q0399"), std::string::npos);
    /* without Ctrl the rows' text is copied, as before */
    CopyWithKeys(d, false, false);
    text = ClipboardText();
    EXPECT_EQ(text.find("DEFINE"), std::string::npos);
    EXPECT_NE(text.find("LIST.Q0005"), std::string::npos);
}

/* "Highlight difference from default" marks each row's values against
 * the location's default queue: the name and type always, a definition
 * type and a depth equal to the default's not. */
TEST_F(ListWindows, RowsMarkedAgainstTheDefaultQueue)
{
    ASSERT_TRUE(DownloadDefaults(&loc->q));
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 735, 0);
    Pump();
    ASSERT_TRUE(d->viewOptions & 0x400000);
    int at = IndexOf(d, "LIST.Q0005");
    ASSERT_GE(at, 0);
    PCFROW *row = PCFListState(d)->rows[at].row;
    PCFLISTAREA *area = PCFCurrentArea(&d->first);
    auto marked = [&](uint32_t id) {
        uint8_t *v = FindItemAttr(area, id, row);
        EXPECT_NE(v, nullptr) << id;
        return v && (PCFState(v) & PCFV_DIFFERS);
    };
    EXPECT_TRUE(marked(MQCA_Q_NAME));
    EXPECT_TRUE(marked(MQIA_Q_TYPE));
    EXPECT_FALSE(marked(MQIA_DEFINITION_TYPE));    /* predefined, as the default */
    EXPECT_FALSE(marked(MQIA_CURRENT_Q_DEPTH));    /* empty, as the default */
    EXPECT_TRUE(GalleryShot(PCFWnd(d->window), "dialog_queue_list_default_marks", true));
}

}  // namespace
