/* Object dialogs as the program wires them: a number shown with
 * thousands separators edited in the Queue dialog and read back through
 * the MQI, the Preferences' separators reaching the field texts, the
 * repaint announcement reaching every kind of open window, and the
 * queue-manager list pane's pictures and clicks. */
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

/* RAVOLT.DEMO selected in the main frame's tree. */
FrameWords *DemoSelected(void)
{
    FrameWords *f = AppMain();
    if (!AppDemoExpanded(f))
        return nullptr;
    TreeRecord(f)->selLine = FindLine(f, "RAVOLT.DEMO");
    return f;
}

/* The dialog a menu command of the frame opened (its title ends so). */
DialogWords *Opened(FrameWords *f, int32_t id, const char *title)
{
    FrameCommand(f, id);
    PumpAll();
    DialogWords *found = nullptr;
    PumpUntil([&] {
        for (DialogWords *d = PCFOpenDialogs; d; d = d->next)
            if (d->window && !(d->optionFlags & DO_IN_CALLER_WINDOW) && WindowText(PCFWnd(d->window)).find(title) != std::string::npos)
                found = d;
        return found != nullptr;
    }, 10000);
    return found;
}

/* An integer attribute of a queue through the MQI, as another program
 * asks it. */
MQLONG Inquire(const char *qmgr, const char *queue, MQLONG selector)
{
    HMODULE mqm = GetModuleHandleA("mqm.dll");
    auto conn = (MQCONN_FN)GetProcAddress(mqm, "MQCONN");
    auto open = (MQOPEN_FN)GetProcAddress(mqm, "MQOPEN");
    auto inq = (MQINQ_FN)GetProcAddress(mqm, "MQINQ");
    auto close = (MQCLOSE_FN)GetProcAddress(mqm, "MQCLOSE");
    auto disc = (MQDISC_FN)GetProcAddress(mqm, "MQDISC");
    MQCHAR qm[MQ_Q_MGR_NAME_LENGTH];
    memset(qm, ' ', sizeof qm);
    memcpy(qm, qmgr, strlen(qmgr));
    MQHCONN h = 0;
    MQHOBJ o = 0;
    MQLONG cc = 0, rc = 0, value = -99;
    conn(qm, &h, &cc, &rc);
    MQOD od = { MQOD_DEFAULT };
    memset(od.ObjectName, ' ', sizeof od.ObjectName);
    memcpy(od.ObjectName, queue, strlen(queue));
    open(h, &od, MQOO_INQUIRE, &o, &cc, &rc);
    inq(h, o, 1, &selector, 1, &value, 0, nullptr, &cc, &rc);
    close(h, &o, 0, &cc, &rc);
    disc(&h, &cc, &rc);
    return value;
}

/* The field pane's editor put on the line of a field, as a click on its
 * tab and line does: the editor's text, or "(none)". */
std::string EditField(DialogWords *d, uint32_t attrId)
{
    HWND tabs = PCFWnd(d->tabWindow);
    int count = tabs ? (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0) : 1;
    for (int tab = 0; tab < count; tab++) {
        if (tabs) {
            SendMessageA(tabs, TCM_SETCURSEL, (WPARAM)tab, 0);
            NMHDR n = { tabs, 30, (UINT)TCN_SELCHANGE };
            SendMessageA(PCFWnd(d->window), WM_NOTIFY, 30, (LPARAM)&n);
            PumpAll();
        }
        for (int32_t line = 0; line < d->lineCount; line++) {
            PCFFieldEntry *e = nullptr;
            int32_t element = 0;
            int kind = 0;
            if (PCFLineAt(d, line, &e, &element, &kind) || !e || e->field->attrId != attrId)
                continue;
            SendMessageA(PCFWnd(d->fieldWindow), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, line), 0);
            PumpAll();
            int y = (int)(line - (int32_t)d->topLine) * d->linePitch + d->linePitch / 2;
            Click(PCFWnd(d->fieldWindow), 40, y);
            PumpAll();
            return d->currentField == e ? WindowText(PCFWnd(d->valueWindow)) : "(not reached)";
        }
    }
    return "(none)";
}

/* Text typed over the editor's whole value. */
void TypeOver(DialogWords *d, const char *text)
{
    HWND w = PCFWnd(d->valueWindow);
    SendMessageA(w, EM_SETSEL, 0, -1);
    SendMessageA(w, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    SetWindowTextA(w, text);
}

std::string Status(DialogWords *d)
{
    return WindowText(PCFWnd(d->statusWindow));
}

/* ---- what reaches a window: its messages recorded on their way ---- */

struct Spy {
    WNDPROC old;
    std::vector<std::pair<UINT, WPARAM>> got;
};
std::map<HWND, Spy> spies;

LRESULT CALLBACK Spied(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Spy &s = spies[hwnd];
    s.got.push_back({ msg, wp });
    return CallWindowProcA(s.old, hwnd, msg, wp, lp);
}

void Watch(HWND w)
{
    spies[w].old = (WNDPROC)SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)Spied);
}

void Unwatch(void)
{
    for (auto &s : spies)
        if (IsWindow(s.first))
            SetWindowLongPtrA(s.first, GWLP_WNDPROC, (LONG_PTR)s.second.old);
    spies.clear();
}

/* The wParam of the first msg the window got since the last look (-1: none). */
intptr_t Got(HWND w, UINT msg)
{
    for (auto &m : spies[w].got)
        if (m.first == msg)
            return (intptr_t)m.second;
    return -1;
}

}  // namespace

/* "5,000" in the Queue dialog's Maximum Queue Depth is 5000: typed over
 * with "6,000" and altered it is 6000 on the queue manager; a number cut
 * short is refused; with the Preferences' separators turned off the
 * field shows "6000", and their history length reaches the names. */
TEST(AppFields, ANumberShownWithSeparatorsIsStoredAsShown)
{
    FrameWords *f = DemoSelected();
    ASSERT_NE(f, nullptr);
    AppMqsc("RAVOLT.DEMO", "DEFINE QLOCAL('FIELDS.Q') MAXDEPTH(5000) REPLACE\n");
    ASSERT_EQ(Inquire("RAVOLT.DEMO", "FIELDS.Q", MQIA_MAX_Q_DEPTH), 5000);
    DialogWords *d = Opened(f, 533, "RAVOLT.DEMO/Queue");
    ASSERT_NE(d, nullptr);
    TypeOver(d, "FIELDS.Q");
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
    uint16_t state = 0;
    ASSERT_TRUE(PumpUntil([&] {
        PCFGetIntValue(PCFDialogCaps(d), d->definition, d->dataArea, MQIA_MAX_Q_DEPTH, &state);
        return state != 0;
    }, 20000));
    EXPECT_EQ(EditField(d, MQIA_MAX_Q_DEPTH), "5,000");
    for (const char *cut : { "6,00", "6x" }) {
        TypeOver(d, cut);
        EXPECT_EQ(FieldHWNDData(d, 1, nullptr, 0, nullptr, nullptr, -1, 0), 1) << cut;
        EXPECT_NE(Status(d).find("should be between"), std::string::npos) << Status(d);
    }
    TypeOver(d, "6,000");
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 575, 0);
    EXPECT_TRUE(PumpUntil([&] { return Status(d).find("altered") != std::string::npos; }, 20000)) << Status(d);
    EXPECT_EQ(Inquire("RAVOLT.DEMO", "FIELDS.Q", MQIA_MAX_Q_DEPTH), 6000);

    /* the Preferences' "Show thousands separators" reaches the fields */
    FrameCommand(f, 546);
    PumpAll();
    HWND prefs = nullptr;
    PumpUntil([&] {
        for (HWND w : WindowsOfClass("DD_DLG_PREFERENCE"))
            if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId())
                prefs = w;
        return prefs != nullptr;
    }, 5000);
    ASSERT_NE(prefs, nullptr);
    DDHANDLE dd = DDFindHandle(prefs);
    HWND options = DDGetFieldWindow(dd, 344, 0);
    int row = (int)SendMessageA(options, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)"Show thousands separators");
    ASSERT_GE(row, 0);
    DDSetFieldValue(dd, 335, "2");                      /* History of Object Names */
    SendMessageA(options, LB_SETTOPINDEX, (WPARAM)row, 0);
    RECT rc;
    SendMessageA(options, LB_GETITEMRECT, (WPARAM)row, (LPARAM)&rc);
    Click(options, rc.left + 40, (rc.top + rc.bottom) / 2);
    PumpAll();
    SendMessageA(DDGetFieldWindow(dd, 1, 0), BM_CLICK, 0, 0);
    PumpAll();
    EXPECT_EQ(Prf.po[2] & 0x8000000u, 0u);
    EXPECT_EQ(PcfPrefs.historyMax, 2);
    char *shown = PCFValueCopy(d, d->currentField, 0, 0);
    EXPECT_STREQ(shown, "6000");
    CSFreeMem(shown);
    Prf.po[2] |= 0x8000000u;
    Prf.hso = 10;
    PCFPrefsFromProfile();
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();
}

/* A repaint announcement reaches every kind of open window with what its
 * bits ask: object dialogs (font, list sizes, rows, date fields, title,
 * placement, colours, toolbar), the frame's message pane and the windows
 * that list locations. */
TEST(AppFields, TheRepaintMaskReachesEveryOpenWindow)
{
    FrameWords *f = DemoSelected();
    ASSERT_NE(f, nullptr);
    DialogWords *q = Opened(f, 533, "RAVOLT.DEMO/Queue");
    DialogWords *l = Opened(f, 534, "RAVOLT.DEMO/Queue List");
    ASSERT_TRUE(q && l);
    cntLINE *line = FindLine(f, "DEMO.REQUEST");
    ASSERT_NE(line, nullptr);
    TreeActivated(f, line);
    PumpAll();
    ASSERT_TRUE(f->msgPane && f->msgPane->dataWindow);
    FrameCommand(f, 884);
    PumpAll();
    std::vector<HWND> importers = WindowsOfClass("DD_DLG_IMPORTCCDT");
    ASSERT_FALSE(importers.empty());
    HWND qw = PCFWnd(q->window), lw = PCFWnd(l->window), pane = PCFWnd(f->msgPane->dataWindow),
         importer = importers[0];
    static const struct { uint32_t mask; int window; UINT msg; intptr_t wp; } rows[] = {
        { RP_FONT, 0, UM_NEWFONT, 1 },           { RP_FONT, 1, UM_NEWFONT, 1 },
        { RP_LIST, 1, UM_RESIZE_COLUMNS, 0 },    { RP_LIST, 0, UM_RESIZE_COLUMNS, -1 },
        { RP_ROWS, 1, UM_NEWFONT, 1 },           { RP_PANELS, 0, UM_DATE_FIELDS, 0 },
        { RP_MESSAGES, 2, UM_PANE_REFORMAT, 0 }, { RP_LOCATIONS, 3, UM_LOCATIONSCHANGED, 0 },
        { RP_COLOURS, 3, UM_COLOURSCHANGED, 0 }, { RP_ALL, 3, UM_LOCATIONSCHANGED, -1 },
    };
    HWND windows[] = { qw, lw, pane, importer };
    for (HWND w : windows)
        Watch(w);
    for (const auto &r : rows) {
        for (auto &s : spies)
            s.second.got.clear();
        RepaintAllWindows(r.mask);
        PumpAll();
        EXPECT_EQ(Got(windows[r.window], r.msg), r.wp) << "mask " << r.mask << " window " << r.window << " message " << r.msg;
    }
    Unwatch();

    /* the title composed again, the saved placement taken again, the
       colours' brushes and the profile's toolbar style taken up */
    std::string title = WindowText(qw);
    SetWindowTextA(qw, "scribbled");
    RepaintAllWindows(RP_TITLE);
    EXPECT_EQ(WindowText(qw), title);
    int slot = UtilDisplayLayout()->monitors > 1 ? 1 : 0;
    RECT was;
    GetWindowRect(qw, &was);
    q->placement[slot][0] = 30;
    q->placement[slot][1] = 40;
    RepaintAllWindows(RP_PLACE);
    RECT now;
    GetWindowRect(qw, &now);
    EXPECT_EQ(now.left, 30);
    EXPECT_EQ(now.top, 40);
    EXPECT_EQ(now.right - now.left, was.right - was.left);
    ColourMakeBrushes();
    RepaintAllWindows(RP_COLOURS);
    EXPECT_EQ((HBRUSH)GetClassLongPtrA(qw, GCLP_HBRBACKGROUND), ColourBrush(4));
    int32_t tb = Prf.tb;
    Prf.tb = tb ^ 0x1;
    RepaintAllWindows(RP_TOOLBAR);
    EXPECT_EQ(PcfWinPrefs.toolbarStyle, (uint32_t)Prf.tb);
    Prf.tb = tb;
    RepaintAllWindows(RP_TOOLBAR);
    for (HWND w : { qw, lw, importer })
        SendMessageA(w, WM_CLOSE, 0, 0);
    PumpAll();
}

namespace {

/* The cell of a line's n-th item in the container's child window. */
RECT ItemCell(CNTW *rec, cntLINE *line, int n)
{
    RECT cell = {};
    for (int y = 0; y < 2000 && !cell.right; y++)
        for (int x = 0; x < 400; x++) {
            cntITEM *item = nullptr;
            RECT r;
            if (cntLineAtPos(rec, x, y, nullptr, &r, &item) != line || !item)
                continue;
            cntITEM *want = cntFirstItem(line);
            for (int i = 0; i < n && want; i++)
                want = cntNextItem(want);
            if (item == want) {
                cell = r;
                break;
            }
        }
    return cell;
}

/* Pixels of a colour in a cell of a window's picture. */
int PixelsOf(HWND w, const RECT &cell, COLORREF colour)
{
    int width = 0, height = 0, n = 0;
    std::vector<uint32_t> px = ScreenCapture(w, &width, &height);
    uint32_t want = (uint32_t)(GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour));
    for (int y = cell.top; y < cell.bottom && y < height; y++)
        for (int x = cell.left; x < cell.right && x < width; x++)
            n += (PixelAt(px, width, x, y) & 0xFFFFFF) == want;
    return n;
}

}  // namespace

/* The queue-manager list pane of a Queue List: each location's line shows
 * the program's pictures (a ticked or empty box, a page with or without a
 * list); a click on the state picture of a listed queue manager asks
 * nothing again; ticking one that has no list asks for it. */
TEST(AppFields, TheQueueManagerListShowsItsPicturesAndAsksOnlyForMissingLists)
{
    FrameWords *f = DemoSelected();
    ASSERT_NE(f, nullptr);
    QMS *other = AppLocation("FIELDS.OTHER");
    ASSERT_NE(other, nullptr);
    DialogWords *l = Opened(f, 534, "RAVOLT.DEMO/Queue List");
    ASSERT_NE(l, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return PCFCurrentArea(&l->first) != nullptr; }, 20000));
    if (!(l->optionFlags & DO_QMLIST))
        SendMessageA(PCFWnd(l->window), WM_COMMAND, 780, 0);
    PumpAll();
    HWND pane = PCFWnd(l->qmList);
    CNTW *rec = (CNTW *)GetWindowLongPtrA(pane, GWLP_USERDATA);
    ASSERT_TRUE(rec && rec->lines);
    cntLINE *demo = nullptr, *second = nullptr;
    for (cntLINE *x = rec->lines->first; x; x = x->next) {
        if (cntGetUserData(x) == AppDemo())
            demo = x;
        if (cntGetUserData(x) == other)
            second = x;
    }
    ASSERT_TRUE(demo && second);
    PCFLISTREQ *otherList = nullptr;
    for (PCFLISTREQ *r = PCFFirstList(l); r; r = PCFNextList(l, r))
        if (r->location == other)
            otherList = r;
    ASSERT_NE(otherList, nullptr);
    static const COLORREF tick = RGB(0, 0, 0), green = RGB(30, 150, 40), frame = RGB(64, 64, 64), page = RGB(255, 255, 255);
    RECT mark = ItemCell(rec, demo, 0), state = ItemCell(rec, demo, 1), otherMark = ItemCell(rec, second, 0);
    int green0 = PcfListPrefs.checkStyle;
    for (int greenTicks : { 0, 1 }) {
        PcfListPrefs.checkStyle = greenTicks;
        InvalidateRect(rec->child, nullptr, TRUE);
        PumpAll();
        EXPECT_GT(PixelsOf(rec->child, mark, frame), 20);        /* the ticked box */
        EXPECT_GT(PixelsOf(rec->child, mark, greenTicks ? green : tick), 5);
        EXPECT_EQ(PixelsOf(rec->child, mark, greenTicks ? tick : green), 0);
        EXPECT_GT(PixelsOf(rec->child, otherMark, frame), 20);   /* the empty box */
        EXPECT_EQ(PixelsOf(rec->child, otherMark, tick) + PixelsOf(rec->child, otherMark, green), 0);
        EXPECT_GT(PixelsOf(rec->child, state, page), 20);        /* a page: the list is there */
    }
    PcfListPrefs.checkStyle = green0;
    GalleryDialogShot(PCFWnd(l->window), "qmlist_pane");

    /* the state picture of the listed queue manager asks nothing */
    l->first.flags &= ~(uint32_t)PCFLR_ISSUED;
    Click(rec->child, (state.left + state.right) / 2, (state.top + state.bottom) / 2);
    PumpAll();
    EXPECT_EQ(l->first.flags & PCFLR_ISSUED, 0u);
    /* ticking the other, which has no list, asks for it */
    Click(rec->child, (otherMark.left + otherMark.right) / 2, (otherMark.top + otherMark.bottom) / 2);
    PumpAll();
    EXPECT_TRUE(otherList->flags & PCFLR_SELECTED);
    EXPECT_TRUE(otherList->flags & PCFLR_ISSUED);
    SendMessageA(PCFWnd(l->window), WM_CLOSE, 0, 0);
    PumpAll();
    AppRemoveLocation(other);
}
