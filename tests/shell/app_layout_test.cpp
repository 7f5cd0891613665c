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
#include "dd.h"
#include "tkharness.h"

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

}  // namespace
