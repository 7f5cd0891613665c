/* The layout rules every dynamic dialog the program ships keeps, checked on
 * its real windows laid out by the engine at the size it opens with: no
 * control outside its parent's client area or over another, a label on
 * the line of the field beside it, a check box's text to the right of its
 * box, buttons of one row of one width, and no more than a row of empty
 * space below the last control.  A planted overlap is caught.  The
 * windows a user opens first sit near their owner, and their list rows
 * are painted as the list preferences say. */
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "apptest.h"
#include "cmddlg.h"
#include "dd.h"
#include "dlgcolours.h"
#include "consolewnd.h"
#include "pcflistwin.h"
#include "pcfwin.h"
#include "tkharness.h"
#include "tkutil.h"

extern DDFieldDef DLG_ABOUTDLG[], DLG_FILEVIEW[], DLG_VERSION_DIALOG[], DLG_COLOURDLG[], DLG_IMPORT[],
    DLG_IMPORTCCDT[], DLG_IMPORTTK47[], DLG_IMPORTMQEX[], CACHEACCESSDLG[], CACHECREATEDLG[], CACHESETDLG[],
    USERIDDLG[], FilterManagerTable[], DLG_FINDREPLACE[], DLG_ALTERLIST[], DLG_AUTOREFRESH[], DLG_LOADMSG[],
    DLG_SAVEMSG[], DRASKDLG_TABLE[], DLG_PUT_TABLE[], DLG_PUB_TABLE[], DLG_PROGRESS[], DLG_PREFERENCE[],
    DLG_ADDDLG[], DLG_REMOTEDLG[], DLG_MULTICHGDLG[], DLG_CONFIRM[], DLG_COMMANDDLG[], DLG_EXPORTDLG[];

namespace {

struct Shipped {
    const char *name;
    DDFieldDef *table;
};

const Shipped Dialogs[] = {
    {"About", DLG_ABOUTDLG}, {"File viewer", DLG_FILEVIEW}, {"Version", DLG_VERSION_DIALOG},
    {"Colours", DLG_COLOURDLG}, {"Import", DLG_IMPORT}, {"Import CCDT", DLG_IMPORTCCDT},
    {"Import TK47", DLG_IMPORTTK47}, {"Import MQEX", DLG_IMPORTMQEX}, {"Cache access", CACHEACCESSDLG},
    {"Cache create", CACHECREATEDLG}, {"Cache set", CACHESETDLG}, {"User id", USERIDDLG},
    {"Filter Manager", FilterManagerTable}, {"Find", DLG_FINDREPLACE}, {"Change List Contents", DLG_ALTERLIST},
    {"Auto Refresh", DLG_AUTOREFRESH}, {"Load message", DLG_LOADMSG}, {"Save message", DLG_SAVEMSG},
    {"Load/Unload", DRASKDLG_TABLE}, {"Put", DLG_PUT_TABLE}, {"Publish", DLG_PUB_TABLE},
    {"Progress", DLG_PROGRESS}, {"Preferences", DLG_PREFERENCE}, {"Add location", DLG_ADDDLG},
    {"Remote location", DLG_REMOTEDLG}, {"Change Multiple Locations", DLG_MULTICHGDLG},
    {"Confirm", DLG_CONFIRM}, {"Choose queue manager", DLG_COMMANDDLG}, {"Export", DLG_EXPORTDLG},
};

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG)
        return 0;
    if (msg == WM_DESTROY) {
        DDHANDLE dd = DDFindHandle(hwnd);
        if (dd)
            DDDestroy(&dd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* A shipped definition opened hidden and laid out at the size the engine
 * gives it. */
HWND OpenAtNaturalSize(DDFieldDef *table)
{
    HWND w = DDCreateDialog(nullptr, table, 0, "layout", nullptr, nullptr, PlainProc, 0);
    if (!w)
        return nullptr;
    SIZE size;
    DDWindowSize(DDFindHandle(w), w, 0, 0, 0, 0, &size);
    SetWindowPos(w, nullptr, 40, 40, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpAll();
    return w;
}

std::string Lines(const std::vector<std::string> &v)
{
    std::string out;
    for (const std::string &s : v)
        out += s + "\n";
    return out;
}

TEST(AppLayout, EveryShippedDialogKeepsTheLayoutRules)
{
    AppStart();
    for (const Shipped &s : Dialogs) {
        HWND w = OpenAtNaturalSize(s.table);
        EXPECT_NE(w, nullptr) << s.name;
        if (!w)
            continue;
        std::vector<std::string> faults = LayoutFaults(w, s.name);
        EXPECT_TRUE(faults.empty()) << Lines(faults);
        DestroyWindow(w);
        PumpAll();
    }
}

TEST(AppLayout, APlantedOverlapIsCaught)
{
    AppStart();
    HWND w = OpenAtNaturalSize(DLG_EXPORTDLG);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(LayoutFaults(w, "Export").empty()) << Lines(LayoutFaults(w, "Export"));
    /* the Append box moved onto the Overwrite box */
    HWND overwrite = FindWindowExA(w, nullptr, "Button", "Overwrite");
    HWND append = FindWindowExA(w, nullptr, "Button", "Append");
    ASSERT_TRUE(overwrite && append);
    RECT r;
    GetWindowRect(overwrite, &r);
    MapWindowPoints(nullptr, w, (POINT *)&r, 2);
    SetWindowPos(append, nullptr, r.left + 10, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    std::vector<std::string> faults = LayoutFaults(w, "Export");
    ASSERT_EQ(faults.size(), 1u) << Lines(faults);
    EXPECT_NE(faults[0].find("'Overwrite'"), std::string::npos) << faults[0];
    EXPECT_NE(faults[0].find(" over Button '"), std::string::npos) << faults[0];
    EXPECT_NE(faults[0].find("'Append'"), std::string::npos) << faults[0];
    DestroyWindow(w);
    PumpAll();
}

/* ---- the windows a user opens first, as the program opens them ---- */

enum { FW_NEAR = 1, FW_CONSOLE = 2, FW_RULES = 4, FW_LIST = 8, FW_CURSOR = 16 };

struct FirstWindow {
    const char *name, *cls, *title;    /* no title: the frame's own Message List */
    int id, viaQm;                     /* the frame's command, then the Queue Manager dialog's */
    unsigned checks;
    const char *shot;
};

const FirstWindow FirstWindows[] = {
    {"MQSC console", PCF_CLASS_COMMAND, "RAVOLT.DEMO/MQSC Commands", 556, 0, FW_NEAR | FW_CONSOLE, nullptr},
    {"Queue Manager", PCF_CLASS_COMMAND, "RAVOLT.DEMO/Queue Manager", 542, 0, FW_NEAR, nullptr},
    {"Queue List", PCF_CLASS_COMMAND, "RAVOLT.DEMO/Queue List", 534, 0, FW_NEAR | FW_LIST, "layout_queue_list"},
    {"Message List", nullptr, nullptr, 0, 0, FW_LIST, "layout_message_list"},
    {"Auto Refresh Rate", "DD_DLG_AUTOREFRESH", "Auto Refresh Rate", 542, 504, FW_RULES, "layout_auto_refresh_rate"},
    {"Location Settings", "DD_DLG_REMOTEDLG", "Location Settings", 749, 0, FW_RULES, "layout_location_settings"},
    {"Preferences", "DD_DLG_PREFERENCE", "Kelvane Preferences", 546, 0, FW_CURSOR, nullptr},
};

/* Opened as a menu command opens it, the pointer left on the frame's menu
 * bar; the list's rows in. */
HWND OpenFirst(FrameWords *f, const FirstWindow &row)
{
    RECT r;
    GetWindowRect(f->window, &r);
    SetCursorPos(r.left + 40, r.top + 30);
    HWND w = f->window;
    if (!row.title) {
        /* messages whose lengths have three to five digits */
        static const std::string texts[] = {std::string(200, 'a'), std::string(1000, 'b'), std::string(12345, 'c'),
                                            std::string(99, 'd')};
        AppPut("RAVOLT.DEMO", "DEMO.MESSAGES", {texts[0].c_str(), texts[1].c_str(), texts[2].c_str(), texts[3].c_str()});
        PCFSetFieldText(f->listPane, MYPCFA_MSG_RANGE, "");   /* no page size left from before */
        OpenQueueInFrame(f, AppDemo(), "DEMO.MESSAGES");
    }
    else
        FrameCommand(f, row.id);
    if (row.viaQm && PumpUntil([&] { return (w = AppWindow(PCF_CLASS_COMMAND, "RAVOLT.DEMO/Queue Manager")); }, 9000))
        SendMessageA(w, WM_COMMAND, (WPARAM)row.viaQm, 0);
    if (row.title)
        PumpUntil([&] { return (w = AppWindow(row.cls, row.title)) != nullptr && IsWindowVisible(w); }, 9000);
    DialogWords *d = row.title ? PCFDialogOf(w) : f->listPane;
    if (row.checks & FW_LIST)
        PumpUntil([&] { return d && SendMessageA(PCFWnd(d->rightList), LB_GETCOUNT, 0, 0) > 3; }, 20000);
    PumpAll();
    return w;
}

/* A list's painted rows, each preference in both states: the odd rows on
 * the stripe colour only while lists are striped; the row with the caret
 * underlined in the selection colour while rule lines are on, dotted
 * otherwise. */
void RowPaint(HWND list, std::vector<std::string> &faults)
{
    enum { SELECT_BACK = 31, STRIPE_BACK = 33 };
    const COLORREF mark = RGB(1, 160, 2), line = *ColourRef(SELECT_BACK);
    const PCFLISTPREFS was = PcfListPrefs;
    COLORREF stripe = *ColourRef(STRIPE_BACK);
    *ColourRef(STRIPE_BACK) = mark;
    SetForegroundWindow(GetAncestor(list, GA_ROOT));
    SetFocus(list);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    SendMessageA(list, LB_SETCARETINDEX, 2, FALSE);
    SendMessageA(list, LB_SETTOPINDEX, 0, 0);
    RECT client;
    GetClientRect(list, &client);
    int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    RECT odd = { 0, (1 - top) * height, client.right, (2 - top) * height };
    RECT even = { 0, odd.bottom, client.right, odd.bottom + height };
    RECT under = { even.left, even.bottom - 1, even.right, even.bottom };
    for (int on : { 1, 0 }) {
        PcfListPrefs.stripes = PcfListPrefs.focusLine = on;
        InvalidateRect(list, nullptr, TRUE);
        PumpAll();
        int striped = PixelsOf(list, odd, mark), evenStriped = PixelsOf(list, even, mark);
        int underlined = PixelsOf(list, under, line);
        std::string state = on ? " (on)" : " (off)";
        if (on ? striped < (odd.right - odd.left) / 2 || evenStriped : striped + evenStriped)
            faults.push_back("stripes" + state + ": " + std::to_string(striped) + " px on row 1, " +
                             std::to_string(evenStriped) + " on row 2");
        if (on ? underlined < (under.right - under.left) / 2 : underlined)
            faults.push_back("rule line" + state + ": " + std::to_string(underlined) + " px under the caret's row");
    }
    PcfListPrefs = was;
    *ColourRef(STRIPE_BACK) = stripe;
    InvalidateRect(list, nullptr, TRUE);
    PumpAll();
}

/* A list's rows: room for the font and the cells' edges, every number
 * drawn with aligned digits (a slot of the widest digit each, separators
 * as measured) inside its column; their paint. */
void ListRows(DialogWords *d, std::vector<std::string> &faults)
{
    HWND list = PCFWnd(d->rightList);
    if (SendMessageA(list, LB_GETCOUNT, 0, 0) > 3)
        RowPaint(list, faults);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(list, WM_GETFONT, 0, 0));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    int widths[256] = {}, digit = 0;
    for (int ch = 1; ch < 256; ch++) {
        SIZE sz = {};
        char c = (char)ch;
        GetTextExtentPoint32A(dc, &c, 1, &sz);
        widths[ch] = sz.cx;
        digit = ch >= '0' && ch <= '9' && sz.cx > digit ? sz.cx : digit;
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    if (height < tm.tmHeight + (PcfListPrefs.grid & 0x3F ? 2 * GetSystemMetrics(SM_CYEDGE) : 0))
        faults.push_back("rows of " + std::to_string(height) + " px cut a font of " + std::to_string(tm.tmHeight));
    PCFLISTSTATE *st = PCFListState(d);
    for (int i = 0, n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0); st && PcfListPrefs.digitAlign && i < n; i++) {
        PCFROW *row = (PCFROW *)SendMessageA(list, LB_GETITEMDATA, (WPARAM)i, 0);
        PCFLISTAREA *area = PCFRowArea(d, row);
        PCFLISTPARTS parts;
        if (!area)
            continue;
        PCFListAreaPointers(area, &parts);
        uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
        for (uint32_t k = 0; k < st->colCount && parts.columns[k].field; k++) {
            char buf[1024];
            const char *text = nullptr;
            int numeric = 0, length = PCFListCellText(&parts.columns[k], v, buf, sizeof buf, &text, &numeric);
            int need = 2 * GetSystemMetrics(SM_CXEDGE);
            for (int j = 0; j < length; j++)
                need += (text[j] >= '0' && text[j] <= '9' ? digit : widths[(uint8_t)text[j]]) + 1;
            const PCFLISTENTRY *c = PCFDialogColumns(d);
            uint32_t flags = c && k < (uint32_t)PCFColumnCount(c) && c[k].field == parts.columns[k].field
                                 ? c[k].flags : parts.columns[k].flags;
            if (numeric && length > 0 && PCFColumnShown(d, flags) && st->cols[k].width < need)
                faults.push_back(std::string(parts.columns[k].field->title) + " cuts " + std::string(text, (size_t)length));
            v = PCFNextValue(v, parts.columns[k].field);
        }
    }
}

/* What a row's window breaks of: the screen, the place near the frame
 * (unless its kind remembers one), the console's room, the engine's rules
 * (and no bare time as an error), the list rows. */
std::vector<std::string> FirstFaults(FrameWords *f, const FirstWindow &row, HWND w)
{
    std::vector<std::string> faults;
    const AreaRect &a = UtilDisplayLayout()->desktop;
    RECT r, o;
    GetWindowRect(w, &r);
    GetWindowRect(f->window, &o);
    int cx = r.right - r.left, cy = r.bottom - r.top;
    if (r.left < a.left || r.top < a.top || r.right > a.right || r.bottom > a.bottom)
        faults.push_back("not inside the screen");
    DialogWords *d = row.title ? PCFDialogOf(w) : f->listPane;
    int x = std::clamp((int)(o.left + o.right - cx) / 2, (int)a.left, (int)a.right - cx);
    int y = std::clamp((int)(o.top + o.bottom - cy) / 2, (int)a.top, (int)a.bottom - cy);
    if ((row.checks & FW_NEAR) && d && !(d->markFlags & DM_POS_SET) && (abs(r.left - x) > 2 || abs(r.top - y) > 2))
        faults.push_back("at " + std::to_string(r.left) + "," + std::to_string(r.top) + ", not centred over the frame");
    POINT c;
    GetCursorPos(&c);
    x = std::clamp((int)c.x - cx / 2, (int)a.left, (int)a.right - cx);
    y = std::clamp((int)c.y - cy / 2, (int)a.top, (int)a.bottom - cy);
    if ((row.checks & FW_CURSOR) && (abs(r.left - x) > 2 || abs(r.top - y) > 2))
        faults.push_back("at " + std::to_string(r.left) + "," + std::to_string(r.top) + ", not centred on the cursor");
    if (row.checks & FW_CONSOLE) {
        HWND console = PCFWnd(d->dataWindow), input = MQSCConsoleInput(console);
        RECT pane, box, status;
        GetWindowRect(MQSCConsolePane(console), &pane);
        GetWindowRect(input, &box);
        GetWindowRect(PCFWnd(d->statusWindow), &status);
        COMBOBOXINFO ci = {sizeof ci};
        GetComboBoxInfo(input, &ci);
        if (cx < (a.right - a.left) / 2 || cy < (a.bottom - a.top) / 2 || pane.bottom - pane.top < 120 ||
            box.top < pane.bottom || box.top + ci.rcItem.bottom + 3 > status.top)
            faults.push_back("too small for its replies, or its input box not between them and its status line");
    }
    if (row.checks & FW_RULES)
        for (const std::string &fault : LayoutFaults(w, row.name))
            faults.push_back(fault);
    std::string error = row.id == 749 ? WindowText(GetDlgItem(w, 115)) : "";
    if (error.size() >= 8 && error[2] == '.' && error[5] == '.' && error.find_first_not_of(' ', 8) == std::string::npos)
        faults.push_back("a bare time \"" + error + "\" as its error");
    if (row.checks & FW_LIST)
        ListRows(d, faults);
    return faults;
}

TEST(AppLayout, TheWindowsAUserOpensFirstFitTheirRowsNearTheirOwner)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    ShowWindow(f->window, SW_SHOWNORMAL);
    MoveWindow(f->window, 300, 150, 1000, 700, TRUE);
    for (const FirstWindow &row : FirstWindows) {
        HWND w = OpenFirst(f, row);
        ASSERT_NE(w, nullptr) << row.name << " did not open";
        EXPECT_TRUE(FirstFaults(f, row, w).empty()) << row.name << ": " << Lines(FirstFaults(f, row, w));
        if (row.shot)
            GalleryDialogShot(w, row.shot);
        for (HWND open : {w, AppWindow(PCF_CLASS_COMMAND, "RAVOLT.DEMO/Queue Manager")})
            if (open && open != f->window)
                SendMessageA(open, WM_CLOSE, 0, 0);
        PumpAll();
    }
}

}  // namespace
