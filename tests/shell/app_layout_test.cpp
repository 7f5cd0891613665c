/* The layout rules every dynamic dialog the program ships keeps, checked on
 * its real windows laid out by the engine at the size it opens with: no
 * control outside its parent's client area or over another, a label on
 * the line of the field beside it, a check box's text to the right of its
 * box, buttons of one row of one width, and no more than a row of empty
 * space below the last control.  A planted overlap is caught. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apptest.h"
#include "cmddlg.h"
#include "dd.h"
#include "mq/mqsc/consolewnd.h"
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

typedef std::vector<std::string> Faults;

RECT ScreenRect(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    return r;
}

std::string Where(const RECT &r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

/* A command dialog's window once its first layout is done. */
HWND Opened(const char *cls, const std::string &title)
{
    HWND w = nullptr;
    PumpUntil([&] { return (w = AppWindow(cls, title)) != nullptr && IsWindowVisible(w); }, 10000);
    PumpAll();
    return w;
}

/* A command opened from the frame's menu, the pointer left on the menu
 * bar as a click there leaves it. */
HWND FromMenu(FrameWords *f, int id, const char *cls, const char *title)
{
    RECT r = ScreenRect(f->window);
    SetCursorPos(r.left + 40, r.top + GetSystemMetrics(SM_CYCAPTION) + 8);
    FrameCommand(f, id);
    return Opened(cls, title);
}

HWND Console(FrameWords *f) { return FromMenu(f, 556, PCF_CLASS_COMMAND, "RAVOLT.DEMO/MQSC Commands"); }
HWND QueueManager(FrameWords *f) { return FromMenu(f, 542, PCF_CLASS_COMMAND, "RAVOLT.DEMO/Queue Manager"); }
HWND LocationSettings(FrameWords *f) { return FromMenu(f, 749, "DD_DLG_REMOTEDLG", "Location Settings"); }

HWND AutoRefreshRate(FrameWords *f)
{
    HWND qm = QueueManager(f);
    if (!qm)
        return nullptr;
    SendMessageA(qm, WM_COMMAND, 504, 0);
    return Opened("DD_DLG_AUTOREFRESH", "Auto Refresh Rate");
}

HWND QueueList(FrameWords *f)
{
    HWND w = FromMenu(f, 534, PCF_CLASS_COMMAND, "RAVOLT.DEMO/Queue List");
    DialogWords *d = w ? PCFDialogOf(w) : nullptr;
    PumpUntil([&] { return d && SendMessageA(PCFWnd(d->rightList), LB_GETCOUNT, 0, 0) > 3; }, 20000);
    return w;
}

/* The frame's Message List of the queue of every kind of message. */
HWND MessageList(FrameWords *f)
{
    OpenQueueInFrame(f, AppDemo(), "DEMO.MESSAGES");
    DialogWords *d = f->listPane;
    PumpUntil([&] { return SendMessageA(PCFWnd(d->rightList), LB_GETCOUNT, 0, 0) >= 8; }, 20000);
    PumpAll();
    return f->window;
}

/* Every window: inside the screen's work area. */
void OnTheScreen(const char *name, HWND w, Faults &faults)
{
    const AreaRect &a = UtilDisplayLayout()->desktop;
    RECT r = ScreenRect(w);
    if (r.left < a.left || r.top < a.top || r.right > a.right || r.bottom > a.bottom)
        faults.push_back(std::string(name) + " at " + Where(r) + " is not inside the screen");
}

/* A dialog opened from the frame lies centred over it (kept on the
 * screen), unless its kind remembers where the user left it. */
void NearTheFrame(const char *name, HWND w, FrameWords *f, Faults &faults)
{
    DialogWords *d = PCFDialogOf(w);
    if (d && (d->markFlags & DM_POS_SET))
        return;
    RECT r = ScreenRect(w), o = ScreenRect(f->window);
    const AreaRect &a = UtilDisplayLayout()->desktop;
    int cx = (o.left + o.right) / 2, cy = (o.top + o.bottom) / 2;
    int x = cx - (r.right - r.left) / 2, y = cy - (r.bottom - r.top) / 2;
    x = x < a.left ? a.left : x + (r.right - r.left) > a.right ? a.right - (r.right - r.left) : x;
    y = y < a.top ? a.top : y + (r.bottom - r.top) > a.bottom ? a.bottom - (r.bottom - r.top) : y;
    if (abs(r.left - x) > 2 || abs(r.top - y) > 2)
        faults.push_back(std::string(name) + " at " + Where(r) + " is not centred over the frame at " + Where(o));
}

/* The console: half the screen at least, its replies and its input box
 * above the status line, neither of no height. */
void ConsoleRoom(const char *name, HWND w, FrameWords *, Faults &faults)
{
    const AreaRect &a = UtilDisplayLayout()->desktop;
    RECT r = ScreenRect(w);
    if (r.right - r.left < (a.right - a.left) / 2 || r.bottom - r.top < (a.bottom - a.top) / 2)
        faults.push_back(std::string(name) + " opens " + Where(r) + ", less than half the screen");
    DialogWords *d = PCFDialogOf(w);
    HWND console = d ? PCFWnd(d->dataWindow) : nullptr;
    if (!console) {
        faults.push_back(std::string(name) + " has no console");
        return;
    }
    RECT pane = ScreenRect(MQSCConsolePane(console)), input = ScreenRect(MQSCConsoleInput(console));
    RECT status = ScreenRect(PCFWnd(d->statusWindow));
    COMBOBOXINFO ci = { sizeof ci };
    GetComboBoxInfo(MQSCConsoleInput(console), &ci);
    int inputBottom = input.top + ci.rcItem.bottom + 3;
    if (pane.bottom - pane.top < 10 * 12)
        faults.push_back(std::string(name) + "'s replies are " + std::to_string(pane.bottom - pane.top) + " px high");
    if (input.top < pane.bottom || inputBottom > status.top)
        faults.push_back(std::string(name) + "'s input box at " + Where(input) + " is not between its replies and "
                         "its status line");
}

/* The dialog engine's rules, on the window at the size it opened with. */
void EngineRules(const char *name, HWND w, FrameWords *, Faults &faults)
{
    for (const std::string &fault : LayoutFaults(w, name))
        faults.push_back(fault);
}

/* Location Settings of a connected location: no bare time as its error. */
void SettingsRules(const char *name, HWND w, FrameWords *f, Faults &faults)
{
    EngineRules(name, w, f, faults);
    std::string error = WindowText(GetDlgItem(w, 115));
    if (error.size() >= 8 && error[2] == '.' && error[5] == '.' && error.find_first_not_of(" ", 8) == std::string::npos)
        faults.push_back(std::string(name) + " shows a bare time \"" + error + "\" as its error");
}

/* A list's rows: room for the font and the cells' edges, and every
 * number drawn with aligned digits inside its column. */
void ListRows(const char *name, DialogWords *d, Faults &faults)
{
    HWND list = PCFWnd(d->rightList);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(list, WM_GETFONT, 0, 0));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    int widest = 0;
    for (char c = '0'; c <= '9'; c++) {
        SIZE sz;
        GetTextExtentPoint32A(dc, &c, 1, &sz);
        widest = sz.cx > widest ? sz.cx : widest;
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    int edges = PcfListPrefs.grid & 0x3F ? 2 * GetSystemMetrics(SM_CYEDGE) : 0;
    if (height < tm.tmHeight + edges)
        faults.push_back(std::string(name) + " rows are " + std::to_string(height) + " px for a font of " +
                         std::to_string(tm.tmHeight) + " px and edges of " + std::to_string(edges));
    PCFLISTSTATE *st = PCFListState(d);
    PCFLISTENTRY *columns = PCFDialogColumns(d);
    int rows = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < rows && st && PcfListPrefs.digitAlign; i++) {
        PCFROW *row = (PCFROW *)SendMessageA(list, LB_GETITEMDATA, (WPARAM)i, 0);
        for (uint32_t c = 0; c < st->colCount && columns[c].field; c++) {
            int length = 0;
            const char *v = PCFParmText(d, row, nullptr, columns[c].field->attrId, &length);
            bool number = v && length > 0 && strspn(v, "0123456789") == (size_t)length;
            int need = length * (widest + 1) + 2 * GetSystemMetrics(SM_CXEDGE);
            if (number && PCFColumnShown(d, columns[c].flags) && st->cols[c].width < need)
                faults.push_back(std::string(name) + " column '" + columns[c].field->title + "' of " +
                                 std::to_string(st->cols[c].width) + " px cuts \"" + std::string(v, (size_t)length) +
                                 "\"");
        }
    }
}

void QueueListRows(const char *name, HWND w, FrameWords *, Faults &faults)
{
    ListRows(name, PCFDialogOf(w), faults);
}

void MessageListRows(const char *name, HWND, FrameWords *f, Faults &faults)
{
    ListRows(name, f->listPane, faults);
}

struct FirstWindow {
    const char *name;
    HWND (*open)(FrameWords *f);
    bool nearFrame;
    void (*check)(const char *name, HWND w, FrameWords *f, Faults &faults);
    const char *shot;
};

const FirstWindow FirstWindows[] = {
    {"MQSC console", Console, true, ConsoleRoom, nullptr},
    {"Queue Manager", QueueManager, true, nullptr, nullptr},
    {"Queue List", QueueList, true, QueueListRows, "layout_queue_list"},
    {"Message List", MessageList, false, MessageListRows, "layout_message_list"},
    {"Auto Refresh Rate", AutoRefreshRate, false, EngineRules, "layout_auto_refresh_rate"},
    {"Location Settings", LocationSettings, false, SettingsRules, "layout_location_settings"},
};

TEST(AppLayout, TheWindowsAUserOpensFirstFitTheirRowsNearTheirOwner)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    ShowWindow(f->window, SW_SHOWNORMAL);
    MoveWindow(f->window, 300, 150, 1000, 700, TRUE);
    PumpAll();
    for (const FirstWindow &row : FirstWindows) {
        HWND w = row.open(f);
        EXPECT_NE(w, nullptr) << row.name << " did not open";
        if (!w)
            continue;
        Faults faults;
        OnTheScreen(row.name, w, faults);
        if (row.nearFrame)
            NearTheFrame(row.name, w, f, faults);
        if (row.check)
            row.check(row.name, w, f, faults);
        EXPECT_TRUE(faults.empty()) << Lines(faults);
        if (row.shot)
            GalleryDialogShot(w, row.shot);
        if (w != f->window)
            SendMessageA(w, WM_CLOSE, 0, 0);
        for (HWND qm; (qm = AppWindow(PCF_CLASS_COMMAND, "RAVOLT.DEMO/Queue Manager")) != nullptr;)
            SendMessageA(qm, WM_CLOSE, 0, 0);
        PumpAll();
    }
}

}  // namespace
