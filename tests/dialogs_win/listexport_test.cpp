/* A Queue List exported as its user sees it, under Xvfb: the list filled
 * from the stand-in queue manager, a filter typed into its filter field,
 * a sort by a click on a column title and rows picked by clicks; the
 * export dialog opened from the list's menu command writes "All Shown"
 * and "Selected" as CSV, read back row by row against the list; and the
 * "Timestamp" box of "Auto Refresh Rate" starting each row with the date
 * and time; a column filter's counts following a refresh; Escape. */
#include "listwin.h"

#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "colfilter.h"
#include "expwin.h"
#include "fltwin.h"
#include "pcflistwin.h"
#include "prfdata.h"

using namespace wintest;
using namespace dlgtest;

namespace {

const char *Qmgr = "QMEXPWIN";

struct ListExport : QueueLists {
    std::string path;
    void SetUp() override
    {
        Start(Qmgr, "DEFINE QLOCAL(EXP.ALPHA) DESCR('kept') REPLACE\n"
                    "DEFINE QLOCAL(EXP.BRAVO) DESCR('kept') REPLACE\n"
                    "DEFINE QLOCAL(EXP.CHARLIE) DESCR('hidden') REPLACE\n"
                    "DEFINE QLOCAL(EXP.DELTA) DESCR('kept') REPLACE\n"
                    "DEFINE QLOCAL(EXP.ECHO) DESCR('kept') REPLACE\n"
                    "DEFINE QLOCAL(OTHER.ONE) DESCR('kept') REPLACE\n");
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path = std::string(temp) + "ravolt_listexport_" + std::to_string(GetCurrentProcessId()) + ".csv";
        remove(path.c_str());
    }
    void TearDown() override
    {
        remove(path.c_str());
        QueueLists::TearDown();
    }
    /* The export dialog of the list (its menu command), the selection
     * and type chosen, the file named, OK pressed: its status text. */
    std::string Export(DialogWords *d, const char *selection, const char *type)
    {
        SendMessageA(PCFWnd(d->window), WM_COMMAND, 657, 0);
        Pump();
        HWND h = (HWND)d->exportDialog;
        if (!h)
            return "no export dialog";
        DDHANDLE dd = DDFindHandle(h);
        for (int id : { EXD_TYPE, EXD_SELECTION }) {
            HWND combo = DDGetFieldWindow(dd, id, 0);
            SendMessageA(combo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)(id == EXD_TYPE ? type : selection));
            SendMessageA(h, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
        }
        DDSetFieldText(dd, EXD_FILE, 0, path.c_str());
        remove(path.c_str());
        SendMessageA(DDGetFieldWindow(dd, EXD_APPLY, 0), BM_CLICK, 0, 0);
        Pump();
        char status[200] = "";
        DDGetFieldText(dd, EXD_STATUS, status, sizeof status);
        SendMessageA(h, WM_CLOSE, 0, 0);
        Pump();
        return status;
    }
    /* The CSV file's lines split into values (no value holds a comma). */
    std::vector<std::vector<std::string>> Csv()
    {
        std::vector<std::vector<std::string>> out;
        std::ifstream in(path, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::vector<std::string> values;
            std::stringstream s(line);
            std::string v;
            while (std::getline(s, v, ','))
                values.push_back(v.size() >= 2 && v.front() == '"' ? v.substr(1, v.size() - 2) : v);
            out.push_back(values);
        }
        return out;
    }
    /* The names of a CSV export's rows, by its "Name" heading. */
    std::vector<std::string> CsvNames()
    {
        std::vector<std::vector<std::string>> lines = Csv();
        std::vector<std::string> names;
        if (lines.empty())
            return names;
        size_t at = 0;
        while (at < lines[0].size() && lines[0][at] != "Name")
            at++;
        for (size_t i = 1; i < lines.size(); i++)
            names.push_back(at < lines[i].size() ? lines[i][at] : "?");
        return names;
    }
};

TEST_F(ListExport, AllShownAndSelectedFollowTheFilterTheSortAndTheClicks)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    Filter(d, "queue == 'EXP.*' & descr == 'kept'");
    ClickTitle(d, MQCA_Q_NAME);
    std::vector<std::string> shown = Shown(d);
    if (!shown.empty() && shown.front() == "EXP.ALPHA") {
        ClickTitle(d, MQCA_Q_NAME);
        shown = Shown(d);
    }
    std::vector<std::string> want = { "EXP.ECHO", "EXP.DELTA", "EXP.BRAVO", "EXP.ALPHA" };
    ASSERT_EQ(shown, want);

    /* every shown row in the list's order, nothing the filter hides */
    EXPECT_EQ(Export(d, "All Shown", "CSV"), "4 objects exported.");
    EXPECT_EQ(CsvNames(), want);

    /* two rows picked by clicks: only they, in the list's order */
    ClickRow(d, 3, false);
    ClickRow(d, 1, true);
    ASSERT_EQ((int)SendMessageA(List(d), LB_GETSELCOUNT, 0, 0), 2);
    EXPECT_EQ(Export(d, "Selected", "CSV"), "2 objects exported.");
    EXPECT_EQ(CsvNames(), (std::vector<std::string>{ "EXP.DELTA", "EXP.ALPHA" }));

    /* none picked: said so, nothing written */
    SendMessageA(List(d), LB_SETSEL, FALSE, -1);
    EXPECT_EQ(Export(d, "Selected", "CSV"), "No objects selected.");
    EXPECT_TRUE(Csv().empty());
    Close(d);
}

TEST_F(ListExport, TheTimestampBoxStartsEachRowWithTheDateAndTime)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    PCFAutoRefreshDialog(d);
    Pump();
    HWND rate = PCFWnd(d->popups[PCF_POPUP_AUTOREFRESH]);
    ASSERT_TRUE(IsWindow(rate));
    DDHANDLE dd = DDFindHandle(rate);
    HWND tabs = FindChild(rate, WC_TABCONTROLA);                /* the Export page */
    ASSERT_NE(tabs, nullptr);
    TabCtrl_SetCurSel(tabs, 1);
    NMHDR n = { tabs, (UINT_PTR)GetDlgCtrlID(tabs), (UINT)TCN_SELCHANGE };
    SendMessageA(GetParent(tabs), WM_NOTIFY, n.idFrom, (LPARAM)&n);
    Pump();
    HWND type = DDGetFieldWindow(dd, 185, 0);            /* the box is for Text and CSV */
    auto choose = [&](const char *name) {
        SendMessageA(type, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)name);
        SendMessageA(rate, WM_COMMAND, MAKEWPARAM(185, CBN_SELCHANGE), (LPARAM)type);
    };
    /* Timestamp (397) for a type that has one, Always Header (396) for
       it when appending (188) */
    static const struct { const char *type; bool append, stamp, header; } states[] = {
        { "CSV", true, true, true }, { "MQSC", true, false, false }, { "Text", true, true, true },
        { "XML", false, false, false }, { "CSV", false, true, false } };
    for (const auto &s : states) {
        choose(s.type);
        if (DDGetCheck(dd, 188) != s.append)
            SendMessageA(DDGetFieldWindow(dd, 188, 0), BM_CLICK, 0, 0);
        Pump();
        EXPECT_EQ(IsWindowEnabled(DDGetFieldWindow(dd, 397, 0)) != 0, s.stamp) << s.type << " " << s.append;
        EXPECT_EQ(IsWindowEnabled(DDGetFieldWindow(dd, 396, 0)) != 0, s.header) << s.type << " " << s.append;
    }
    ASSERT_TRUE(IsWindowEnabled(DDGetFieldWindow(dd, 397, 0)));
    SendMessageA(DDGetFieldWindow(dd, 397, 0), BM_CLICK, 0, 0);
    Pump();
    ASSERT_TRUE(DDGetCheck(dd, 397));
    SendMessageA(DDGetFieldWindow(dd, 1, 0), BM_CLICK, 0, 0);
    Pump();
    EXPECT_TRUE(d->optionFlags & DO_TIMESTAMP);
    std::string said = Export(d, "All Shown", "CSV");
    EXPECT_NE(said.find(" objects exported."), std::string::npos) << said;
    std::vector<std::vector<std::string>> lines = Csv();
    ASSERT_GE(lines.size(), 2u);
    ASSERT_GE(lines[0].size(), 3u);
    EXPECT_EQ(lines[0][0], "Date");
    EXPECT_EQ(lines[0][1], "Time");
    char date[40], time[16];
    ExpDateText(Prf.edf, Prf.eds, CSGetCurrentTime(), date, sizeof date, time, sizeof time);
    for (size_t i = 1; i < lines.size(); i++) {
        ASSERT_GE(lines[i].size(), 2u);
        EXPECT_EQ(lines[i][0], date);
        EXPECT_EQ(lines[i][1].size(), 8u);
        EXPECT_EQ(lines[i][1][2], ':');
    }
    Close(d);
}

/* The counts of the pop-up's value controls, summed. */
static uint32_t Counted(DialogWords *d)
{
    COLFSTATE *st = ColFilterState(d, 0);
    uint32_t total = 0;
    for (COLFCTL *c = st && st->controls ? st->controls : nullptr; c && c->layoutRow; c++)
        total += c->count;
    return total;
}

TEST_F(ListExport, AColumnFiltersCountsFollowARefresh)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    Filter(d, "queue == 'EXP.*'");
    const PCFFieldDef *type = nullptr;
    for (PCFLISTENTRY *c = PCFDialogColumns(d); c->field; c++)
        if (c->field->attrId == MQIA_Q_TYPE)
            type = c->field;
    ASSERT_NE(type, nullptr);
    COLFANCHOR anchor = { List(d), PCFWnd(d->rightTitle), { 100, 0, 200, 20 } };
    ColFilterToggle(d, type, &anchor);
    Pump();
    ASSERT_NE(ColFilterWindow(d), nullptr);
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
    Settle();
    EXPECT_EQ(Counted(d), 5u);
    StandinMqsc(Qmgr, "DEFINE QLOCAL(EXP.FOXTROT) REPLACE\nDEFINE QALIAS(EXP.GOLF) TARGET(EXP.ALPHA) REPLACE\n");
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
    Settle();
    EXPECT_EQ(Counted(d), 7u);
    ColFilterClose(d);
    Pump();
    Close(d);
}

TEST_F(ListExport, EscapeClosesAListAsCancelDoes)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    HWND w = PCFWnd(d->window);
    SetFocus(List(d));
    LoopKey(VK_ESCAPE);
    Pump();
    EXPECT_FALSE(IsWindow(w));
}

}  // namespace
