/* Object dialogs as the program wires them: a number shown with
 * thousands separators edited in the Queue dialog and read back through
 * the MQI, the Preferences reaching the field texts, the repaint
 * announcement reaching every kind of open window, and the queue-manager
 * list pane's pictures and clicks. */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "apptest.h"
#include "cmddlg.h"
#include "cnt.h"
#include "cs.h"
#include "dd.h"
#include "dlgcolours.h"
#include "mqi.h"
#include "pcflistwin.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "qms.h"
#include "repaint.h"
#include "shellint.h"
#include "tkutil.h"

#include <cstring>
#include <map>

namespace {

/* The dialog a menu command of the frame (RAVOLT.DEMO selected) opened. */
DialogWords *Opened(FrameWords *f, int32_t id, const char *title)
{
    TreeRecord(f)->selLine = FindLine(f, "RAVOLT.DEMO");
    FrameCommand(f, id);
    DialogWords *found = nullptr;
    PumpUntil([&] {
        for (DialogWords *d = PCFOpenDialogs; d; d = d->next)
            if (d->window && !(d->optionFlags & DO_IN_CALLER_WINDOW) &&
                WindowText(PCFWnd(d->window)).find(title) != std::string::npos)
                found = d;
        return found != nullptr;
    });
    return found;
}

/* An integer attribute of a queue of RAVOLT.DEMO through the MQI. */
MQLONG Inquire(const char *queue, MQLONG selector)
{
    HMODULE mqm = GetModuleHandleA("mqm.dll");
    MQCHAR qm[MQ_Q_MGR_NAME_LENGTH + 1] = "RAVOLT.DEMO";
    MQOD od = { MQOD_DEFAULT };
    snprintf(od.ObjectName, sizeof od.ObjectName, "%s", queue);
    MQHCONN h = 0;
    MQHOBJ o = 0;
    MQLONG cc, rc, value = -99;
    ((MQCONN_FN)GetProcAddress(mqm, "MQCONN"))(qm, &h, &cc, &rc);
    ((MQOPEN_FN)GetProcAddress(mqm, "MQOPEN"))(h, &od, MQOO_INQUIRE, &o, &cc, &rc);
    ((MQINQ_FN)GetProcAddress(mqm, "MQINQ"))(h, o, 1, &selector, 1, &value, 0, nullptr, &cc, &rc);
    ((MQCLOSE_FN)GetProcAddress(mqm, "MQCLOSE"))(h, &o, 0, &cc, &rc);
    ((MQDISC_FN)GetProcAddress(mqm, "MQDISC"))(&h, &cc, &rc);
    return value;
}

/* The field pane's editor put on a field's line as clicks on its tab, the
 * scroll bar and the line put it: the editor's text. */
std::string EditField(DialogWords *d, uint32_t attrId)
{
    HWND tabs = PCFWnd(d->tabWindow);
    for (int tab = 0; tab < (tabs ? TabCtrl_GetItemCount(tabs) : 1); tab++) {
        NMHDR n = { tabs, 30, (UINT)TCN_SELCHANGE };
        if (tabs && TabCtrl_SetCurSel(tabs, tab) >= 0)
            SendMessageA(PCFWnd(d->window), WM_NOTIFY, 30, (LPARAM)&n);
        SendMessageA(PCFWnd(d->fieldWindow), WM_VSCROLL, SB_TOP, 0);
        PCFFieldEntry *e = nullptr;
        int32_t element, kind;
        for (int32_t line = 0; line < d->lineCount; line++)
            if (!PCFLineAt(d, line, &e, &element, &kind) && e && e->field->attrId == attrId) {
                Click(PCFWnd(d->fieldWindow), 40, (line - (int32_t)d->topLine) * d->linePitch + d->linePitch / 2);
                return d->currentField == e ? WindowText(PCFWnd(d->valueWindow)) : "(not reached)";
            }
    }
    return "(none)";
}

void TypeOver(DialogWords *d, const char *text)
{
    SetWindowTextA(PCFWnd(d->valueWindow), text);
}

std::string Status(DialogWords *d)
{
    return WindowText(PCFWnd(d->statusWindow));
}

/* What reaches a window: its messages recorded on their way. */
std::map<HWND, std::pair<WNDPROC, std::vector<std::pair<UINT, WPARAM>>>> spies;

LRESULT CALLBACK Spied(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    spies[hwnd].second.push_back({ msg, wp });
    return CallWindowProcA(spies[hwnd].first, hwnd, msg, wp, lp);
}

/* The wParam of the first msg the window got (-1: none). */
intptr_t Got(HWND w, UINT msg)
{
    for (auto &m : spies[w].second)
        if (m.first == msg)
            return (intptr_t)m.second;
    return -1;
}

/* The cell of a line's n-th item in a container's child window. */
RECT ItemCell(CNTW *rec, cntLINE *line, int n)
{
    int left = line->indent + n * rec->indent, top = (int)(line->row - rec->firstVisible->row) * rec->rowHeight;
    return { left, top, left + rec->indent, top + rec->rowHeight };
}

}  // namespace

/* "5,000" in the Queue dialog's Maximum Queue Depth is 5000: typed over
 * with "6,000" and altered it is 6000 on the queue manager; a number cut
 * short is refused; with the Preferences' separators turned off the
 * field shows "6000", their history length reaches the names, Up and
 * Down step through the lines (only while they tab between fields) and
 * the title leaves the name out. */
TEST(AppFields, ANumberShownWithSeparatorsIsStoredAsShown)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    AppMqsc("RAVOLT.DEMO", "DEFINE QLOCAL('FIELDS.Q') MAXDEPTH(5000) REPLACE\n");
    DialogWords *d = Opened(f, 533, "RAVOLT.DEMO/Queue");
    ASSERT_NE(d, nullptr);
    TypeOver(d, "FIELDS.Q");
    EXPECT_EQ(WindowText(PCFWnd(d->window)), "[] RAVOLT.DEMO/Queue 'FIELDS.Q'");   /* as it is typed */
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
    uint16_t state = 0;
    ASSERT_TRUE(PumpUntil([&] {
        PCFGetIntValue(PCFDialogCaps(d), d->definition, d->dataArea, MQIA_MAX_Q_DEPTH, &state);
        return state != 0;
    }, 20000));
    EXPECT_EQ(EditField(d, MQIA_MAX_Q_DEPTH), "5,000");
    TypeOver(d, "6,00");
    EXPECT_EQ(FieldHWNDData(d, 1, nullptr, 0, nullptr, nullptr, -1, 0), 1);
    EXPECT_NE(Status(d).find("should be between"), std::string::npos) << Status(d);
    TypeOver(d, "6,000");
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 575, 0);
    EXPECT_TRUE(PumpUntil([&] { return Status(d).find("altered") != std::string::npos; }, 20000)) << Status(d);
    EXPECT_EQ(Inquire("FIELDS.Q", MQIA_MAX_Q_DEPTH), 6000);

    /* the Preferences' "Show thousands separators" and "History of Object
       Names" reach the fields */
    FrameCommand(f, 546);
    HWND prefs = nullptr;
    PumpUntil([&] { return (prefs = FindWindowA("DD_DLG_PREFERENCE", nullptr)) != nullptr; }, 5000);
    ASSERT_NE(prefs, nullptr);
    DDHANDLE dd = DDFindHandle(prefs);
    DDSetFieldValue(dd, 335, "2");
    HWND options = DDGetFieldWindow(dd, 344, 0);
    uint32_t saved[3] = { Prf.po[0], Prf.po[1], Prf.po[2] };
    for (const char *text : { "Show thousands separators", "Up/Down keys should tab between fields",
                              "Show object name in titlebar", "Refresh time on the right" }) {
        int row = (int)SendMessageA(options, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
        SendMessageA(options, LB_SETTOPINDEX, (WPARAM)row, 0);
        RECT rc;
        SendMessageA(options, LB_GETITEMRECT, (WPARAM)row, (LPARAM)&rc);
        Click(options, rc.left + 40, (rc.top + rc.bottom) / 2);
    }
    SendMessageA(DDGetFieldWindow(dd, 1, 0), BM_CLICK, 0, 0);
    PumpAll();
    EXPECT_EQ(Prf.po[2] & 0x8000000u, 0u);
    EXPECT_EQ(PcfPrefs.historyMax, 2);
    char *shown = PCFValueCopy(d, d->currentField, 0, 0);
    EXPECT_STREQ(shown, "6000");
    CSFreeMem(shown);
    uint32_t line = d->currentLine;
    SetFocus(PCFWnd(d->valueWindow));
    LoopKey(GetFocus(), VK_DOWN);
    EXPECT_EQ(d->currentLine, line + 1);
    EXPECT_EQ(WindowText(PCFWnd(d->window)).find("FIELDS.Q"), std::string::npos);
    memcpy(Prf.po, saved, sizeof saved);
    Prf.hso = 10;
    PCFPrefsFromProfile();
    PCFWinPrefsFromProfile();
    /* with Up/Down no longer tabbing, Down is the edit's own key */
    ASSERT_EQ(PcfWinPrefs.arrowKeysMove, 0);
    line = d->currentLine;
    LoopKey(GetFocus(), VK_DOWN);
    EXPECT_EQ(d->currentLine, line);
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();
}

/* Tab through the loop steps the Queue dialog's editor down its lines,
 * the pane scrolling to keep it inside at any height, and on from the last
 * line to the window below the pane (in the Queue List, Tab past the last
 * line and Shift+Tab on the first reach the list); a queue type typed
 * letter by letter is taken once whole, and its lines follow. */
TEST(AppFields, TheFieldPaneFollowsTabAndTyping)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    DialogWords *d = Opened(f, 533, "RAVOLT.DEMO/Queue");
    ASSERT_NE(d, nullptr);
    HWND w = PCFWnd(d->window), fields = PCFWnd(d->fieldWindow);
    for (int height : { 0, 300 }) {
        RECT r, pane, editor;
        GetWindowRect(w, &r);
        MoveWindow(w, r.left, r.top, r.right - r.left, height ? height : r.bottom - r.top, TRUE);
        EditField(d, MQCA_Q_NAME);
        SetFocus(PCFWnd(d->valueWindow));
        for (int line = 0; line < d->lineCount; line++, LoopKey(GetFocus(), VK_TAB)) {
            GetWindowRect(fields, &pane);
            GetWindowRect(GetFocus(), &editor);
            int middle = (editor.top + editor.bottom) / 2;
            EXPECT_TRUE(middle > pane.top && middle < pane.bottom) << height << " " << line;
        }
        EXPECT_EQ(d->currentLine + 1u, d->lineCount) << height;
        EXPECT_FALSE(IsChild(fields, GetFocus())) << height;
    }
    EditField(d, MQIA_Q_TYPE);
    HWND typing = GetWindow(PCFWnd(d->valueWindow), GW_CHILD);
    SetWindowTextA(typing, "");
    TestType(typing, "Remote");
    EXPECT_EQ(WindowText(typing), "Remote");
    EXPECT_NE(EditField(d, MQCA_REMOTE_Q_NAME), "(none)");
    SendMessageA(w, WM_CLOSE, 0, 0);
    PumpAll();
    /* a list dialog's fields hand the focus on to the list at either end */
    d = Opened(f, 534, "RAVOLT.DEMO/Queue List");
    ASSERT_NE(d, nullptr);
    w = PCFWnd(d->window);
    bool shown = IsWindowVisible(PCFWnd(d->fieldWindow));
    if (!shown)
        SendMessageA(w, WM_COMMAND, 502, 0);
    for (bool back : { false, true }) {
        EditField(d, MQCA_Q_NAME);
        SetFocus(PCFWnd(d->valueWindow));
        for (int line = 0; line < (back ? 1 : d->lineCount); line++)
            LoopKey(GetFocus(), VK_TAB, false, back);
        HWND list = PCFWnd(d->splitList);
        EXPECT_TRUE(GetFocus() == list || IsChild(list, GetFocus())) << back;
    }
    if (!shown)
        SendMessageA(w, WM_COMMAND, 502, 0);
    SendMessageA(w, WM_CLOSE, 0, 0);
    PumpAll();
}

/* A repaint announcement reaches every kind of open window with what its
 * bits ask: object dialogs (font, list sizes, rows, date fields, title,
 * placement, colours, toolbar), the frame's message pane and the windows
 * that list locations. */
TEST(AppFields, TheRepaintMaskReachesEveryOpenWindow)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    DialogWords *q = Opened(f, 533, "RAVOLT.DEMO/Queue"), *l = Opened(f, 534, "RAVOLT.DEMO/Queue List");
    ASSERT_TRUE(q && l);
    TreeActivated(f, FindLine(f, "DEMO.REQUEST"));
    FrameCommand(f, 884);
    PumpAll();
    ASSERT_TRUE(f->msgPane && f->msgPane->dataWindow && FindWindowA("DD_DLG_IMPORTCCDT", nullptr));
    HWND qw = PCFWnd(q->window), windows[] = { qw, PCFWnd(l->window), PCFWnd(f->msgPane->dataWindow),
                                                FindWindowA("DD_DLG_IMPORTCCDT", nullptr) };
    static const struct { uint32_t mask; int window; UINT msg; intptr_t wp; } rows[] = {
        { RP_FONT, 0, UM_NEWFONT, 1 },           { RP_FONT, 1, UM_NEWFONT, 1 },
        { RP_LIST, 1, UM_RESIZE_COLUMNS, 0 },    { RP_LIST, 0, UM_RESIZE_COLUMNS, -1 },
        { RP_ROWS, 1, UM_NEWFONT, 1 },           { RP_PANELS, 0, UM_DATE_FIELDS, 0 },
        { RP_MESSAGES, 2, UM_PANE_REFORMAT, 0 }, { RP_LOCATIONS, 3, UM_LOCATIONSCHANGED, 0 },
        { RP_COLOURS, 3, UM_COLOURSCHANGED, 0 }, { RP_ALL, 3, UM_LOCATIONSCHANGED, -1 },
    };
    for (HWND w : windows)
        spies[w].first = (WNDPROC)SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)Spied);
    for (const auto &r : rows) {
        for (auto &s : spies)
            s.second.second.clear();
        RepaintAllWindows(r.mask);
        PumpAll();
        EXPECT_EQ(Got(windows[r.window], r.msg), r.wp) << "mask " << r.mask << " window " << r.window;
    }
    for (auto &s : spies)
        SetWindowLongPtrA(s.first, GWLP_WNDPROC, (LONG_PTR)s.second.first);
    spies.clear();

    /* the title composed again, the saved placement taken again, the
       colours' brushes and the profile's toolbar style taken up */
    std::string title = WindowText(qw);
    SetWindowTextA(qw, "scribbled");
    RepaintAllWindows(RP_TITLE);
    EXPECT_EQ(WindowText(qw), title);
    int slot = UtilDisplayLayout()->monitors > 1 ? 1 : 0;
    q->placement[slot][0] = 30;
    q->placement[slot][1] = 40;
    RepaintAllWindows(RP_PLACE);
    RECT now;
    GetWindowRect(qw, &now);
    EXPECT_EQ(now.left * 1000 + now.top, 30040);
    ColourMakeBrushes();
    RepaintAllWindows(RP_COLOURS);
    EXPECT_EQ((HBRUSH)GetClassLongPtrA(qw, GCLP_HBRBACKGROUND), ColourBrush(4));
    Prf.tb ^= 0x1;
    RepaintAllWindows(RP_TOOLBAR);
    EXPECT_EQ(PcfWinPrefs.toolbarStyle, (uint32_t)Prf.tb);
    Prf.tb ^= 0x1;
    RepaintAllWindows(RP_TOOLBAR);
    for (HWND w : { windows[0], windows[1], windows[3] })
        SendMessageA(w, WM_CLOSE, 0, 0);
    PumpAll();
}

/* The queue-manager list pane of a Queue List: each location's line shows
 * the program's pictures (a ticked box, green when ticks should be, or an
 * empty one; a page when the list is there); a click on the state picture
 * of a listed queue manager asks nothing again; ticking one that has no
 * list asks for it.  A row of that queue manager then puts and opens its
 * dialog on its own queue manager. */
TEST(AppFields, TheQueueManagerListShowsItsPicturesAndAsksOnlyForMissingLists)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    QMS *other = AppLocation("FIELDS.OTHER");
    ASSERT_EQ(AppMqsc("FIELDS.OTHER", "DEFINE QLOCAL(FIELDS.ONLY.B)\n"), 0);
    DialogWords *l = Opened(f, 534, "RAVOLT.DEMO/Queue List");
    ASSERT_TRUE(other && l);
    ASSERT_TRUE(PumpUntil([&] { return PCFCurrentArea(&l->first) != nullptr; }, 20000));
    if (!(l->optionFlags & DO_QMLIST))
        SendMessageA(PCFWnd(l->window), WM_COMMAND, 780, 0);
    PumpAll();
    CNTW *rec = (CNTW *)GetWindowLongPtrA(PCFWnd(l->qmList), GWLP_USERDATA);
    ASSERT_TRUE(rec && rec->lines);
    cntLINE *lines[2] = {};                              /* RAVOLT.DEMO's, the other's */
    for (cntLINE *x = rec->lines->first; x; x = x->next)
        for (int i : { 0, 1 })
            if (cntGetUserData(x) == (i ? other : AppDemo()))
                lines[i] = x;
    PCFLISTREQ *otherList = PCFFirstList(l);
    while (otherList && otherList->location != other)
        otherList = PCFNextList(l, otherList);
    ASSERT_TRUE(lines[0] && lines[1] && otherList);
    static const COLORREF black = RGB(0, 0, 0), green = RGB(30, 150, 40), frame = RGB(64, 64, 64);
    RECT mark = ItemCell(rec, lines[0], 0), state = ItemCell(rec, lines[0], 1), empty = ItemCell(rec, lines[1], 0);
    int greenTicks = PcfListPrefs.checkStyle;
    for (int style : { 0, 1 }) {
        PcfListPrefs.checkStyle = style;
        InvalidateRect(rec->child, nullptr, TRUE);
        PumpAll();
        EXPECT_GT(PixelsOf(rec->child, mark, frame), 20);
        EXPECT_GT(PixelsOf(rec->child, mark, style ? green : black), 5);
        EXPECT_EQ(PixelsOf(rec->child, mark, style ? black : green), 0);
        EXPECT_GT(PixelsOf(rec->child, empty, frame), 20);
        EXPECT_EQ(PixelsOf(rec->child, empty, black) + PixelsOf(rec->child, empty, green), 0);
        EXPECT_GT(PixelsOf(rec->child, state, RGB(255, 255, 255)), 20);
    }
    PcfListPrefs.checkStyle = greenTicks;
    GalleryDialogShot(PCFWnd(l->window), "qmlist_pane");
    l->first.flags &= ~(uint32_t)PCFLR_ISSUED;
    Click(rec->child, (state.left + state.right) / 2, (state.top + state.bottom) / 2);
    EXPECT_EQ(l->first.flags & PCFLR_ISSUED, 0u);
    Click(rec->child, (empty.left + empty.right) / 2, (empty.top + empty.bottom) / 2);
    EXPECT_EQ(otherList->flags & (PCFLR_SELECTED | PCFLR_ISSUED), (uint32_t)(PCFLR_SELECTED | PCFLR_ISSUED));

    /* a row of the other queue manager, alone selected: its location's
       commands and its own dialog go to that queue manager */
    ASSERT_TRUE(PumpUntil([&] { return RowOf(l, "FIELDS.ONLY.B") >= 0; }, 20000));
    SelectRow(l, RowOf(l, "FIELDS.ONLY.B"));
    SendMessageA(PCFWnd(l->window), WM_COMMAND, 567, 0);
    HWND put = nullptr;
    EXPECT_TRUE(PumpUntil([&] { return (put = AppWindow("RAVOLT_PUT", "MQPUT from 'FIELDS.OTHER'")) != nullptr; },
                          5000));
    if (put)
        SendMessageA(put, WM_CLOSE, 0, 0);
    for (int32_t id : { 517, 534 }) {                  /* the row's Queue; the location's Queue List */
        PCFCommandDef *def = id == 517 ? &PCFQueueDef : &PCFQueueListDef;
        DialogWords *opened = nullptr;
        SendMessageA(PCFWnd(l->window), WM_COMMAND, (WPARAM)id, 0);
        PumpUntil([&] {
            for (DialogWords *d = PCFOpenDialogs; d && !opened; d = d->next)
                if (d != l && d->definition == def)
                    opened = d;
            return opened != nullptr;
        }, 10000);
        ASSERT_NE(opened, nullptr) << id;
        EXPECT_EQ(opened->first.location, other) << id;
        SendMessageA(PCFWnd(opened->window), WM_CLOSE, 0, 0);
        PumpAll();
    }
    SendMessageA(PCFWnd(l->window), WM_CLOSE, 0, 0);
    PumpAll();
    AppRemoveLocation(other);
}
