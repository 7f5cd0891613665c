/* The field pane and the keyboard: a click activates a line and its
 * editing window lies over the value cell; long values; upper-case
 * editors; Tab, Shift+Tab, Return, F5 and Ctrl+Home/End through a message
 * loop that routes keys as the program's does; and the layout after a
 * resize. */
#include "wintest.h"

#include <commctrl.h>

#include "autfile.h"
#include "tktoolbar.h"
#include "tkutil.h"

using namespace wintest;
using namespace dlgtest;

namespace {

struct Fields : Windows {
    void SetUp() override
    {
        Windows::SetUp();
        AutGlobalMask = ~0ull;
        BYTE ks[256];
        GetKeyboardState(ks);
        ks[VK_CAPITAL] = 0;
        SetKeyboardState(ks);
    }
    static std::string Text(HWND w)
    {
        std::string t(8192, '\0');
        t.resize((size_t)GetWindowTextA(w, &t[0], (int)t.size()));
        return t;
    }
};

TEST_F(Fields, AClickActivatesALineUnderTheCursor)
{
    DialogWords *d = Open(&PCFQueueDef);
    ASSERT_NE(d, nullptr);
    HWND fields = PCFWnd(d->fieldWindow);
    ASSERT_TRUE(IsWindowVisible(fields));
    EXPECT_NE(d->tabWindow, nullptr);
    EXPECT_EQ(SendMessageA(PCFWnd(d->tabWindow), TCM_GETITEMCOUNT, 0, 0), 6);
    MoveWindow(PCFWnd(d->window), 0, 0, 1200, 800, TRUE);   /* room for the widest editor */
    Pump();
    for (int line : { 3, 0, 5 }) {
        SCOPED_TRACE(line);
        Click(fields, d->titleWidth + 40, line * d->linePitch + d->linePitch / 2);
        EXPECT_EQ(d->currentLine, (uint32_t)line);
        HWND editor = PCFWnd(d->valueWindow);
        ASSERT_TRUE(editor && IsWindowVisible(editor));
        EXPECT_EQ(GetParent(editor), fields);
        RECT r = InParent(editor);
        char cls[16];
        GetClassNameA(editor, cls, sizeof cls);
        int combo = _stricmp(cls, "COMBOBOX") == 0, edge = GetSystemMetrics(SM_CXEDGE);
        int left = d->titleWidth + d->charWidth / 2 - 4 * edge - (combo ? d->charWidth / 2 : 2 * edge + d->charWidth / 4);
        int top = line * d->linePitch + (combo ? 0 : d->lineHeight / 4 - 2 * GetSystemMetrics(SM_CYEDGE));
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.top, top);
        EXPECT_EQ(r.right - r.left, PCFEditorTenths(d->currentField) * d->charWidth / 10);
        EXPECT_LE(r.left, d->titleWidth);                 /* over the value cell */
        EXPECT_GT(r.right, d->titleWidth);
    }
    /* a click below the last line changes nothing */
    Click(fields, 10, (d->lineCount + 1) * d->linePitch);
    EXPECT_EQ(d->currentLine, 5u);
    /* another tab: its lines */
    TabCtrl_SetCurSel(PCFWnd(d->tabWindow), 1);
    NMHDR n = { PCFWnd(d->tabWindow), PCFC_TABS, (UINT)TCN_SELCHANGE };
    SendMessageA(PCFWnd(d->window), WM_NOTIFY, PCFC_TABS, (LPARAM)&n);
    EXPECT_EQ(d->shownTab, 1u);
    EXPECT_FALSE(IsWindowVisible(PCFWnd(d->valueWindow)));
    Click(fields, d->titleWidth + 40, d->linePitch / 2);
    EXPECT_EQ(d->currentTab, 1u);
    EXPECT_STREQ(d->currentField->field->title, "Maximum Queue Depth");
}

/* A definition with one long text field. */
const PCFFieldDef FdLong = { 0, 0, 0, "Long Text", "longText", nullptr, 0, "LONGTEXT", "Long", 9001, 4, 0, 8000, nullptr, 0 };
PCFFieldEntry LongFields[] = {
    { 0, 0, 0, nullptr, &FdLong, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 },
};
const PCFActionDef LongActions[] = {
    { 0, 0, 0, 0, 2, nullptr, "Cancel", 0x21, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr },
};
PCFCommandDef LongDef = { 0, 0, 0, "Long Values", LongActions, LongFields, 0, 0, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr, nullptr };

TEST_F(Fields, ALongValueShowsItsFirstFiveThousand)
{
    PCFPrepareDef(&LongDef);
    DialogWords *d = Open(&LongDef);
    ASSERT_NE(d, nullptr);
    std::string value(6000, 'v');
    value[4999] = 'E';
    value[5000] = 'X';
    ASSERT_EQ(PCFSetFieldText(d, 9001, value.c_str()), 0);
    char *painted = PCFValueCopy(d, &d->definition->fields[0], 0, PCF_VALUE_SHOWN);
    ASSERT_NE(painted, nullptr);
    EXPECT_EQ(strlen(painted), 5000u);
    EXPECT_EQ(painted[4999], 'E');
    CSFreeMem(painted);
    PCFShowFieldValue(d, 0);
    EXPECT_EQ(Text(PCFWnd(d->valueWindow)), value);     /* the editor holds it all */
    InvalidateRect(PCFWnd(d->fieldWindow), nullptr, TRUE);
    UpdateWindow(PCFWnd(d->fieldWindow));
}

TEST_F(Fields, UpperCaseEditorsSwapTheCaseOfTypedLetters)
{
    Location qm("QMUPPER");
    qm.q.flags |= LF_UCO;
    DialogWords *d = Open(&PCFQueueDef, &qm.q);
    ASSERT_NE(d, nullptr);
    ASSERT_NE(d->edit2Window, nullptr);
    ASSERT_NE(d->combo2Window, nullptr);
    ActivateField(d, 0, 0);
    ASSERT_STREQ(d->currentField->field->title, "Queue Name");
    HWND editor = PCFWnd(d->valueWindow);
    EXPECT_EQ(editor, PCFWnd(d->edit2Window));
    SetWindowTextA(editor, "");
    for (char c : { 'a', 'b', 'c' })
        SendMessageA(editor, WM_CHAR, c, 1);
    EXPECT_EQ(Text(editor), "ABC");
    SetWindowTextA(editor, "");
    for (char c : { 'A', 'B', 'C', '1' })          /* with Shift held */
        SendMessageA(editor, WM_CHAR, c, 1);
    EXPECT_EQ(Text(editor), "abc1");
    /* the plain editor keeps what is typed */
    Location plain("QMPLAIN");
    DialogWords *p = Open(&PCFQueueDef, &plain.q);
    ActivateField(p, 0, 0);
    HWND e = PCFWnd(p->valueWindow);
    EXPECT_EQ(e, PCFWnd(p->editWindow));
    SetWindowTextA(e, "");
    for (char c : { 'a', 'B' })
        SendMessageA(e, WM_CHAR, c, 1);
    EXPECT_EQ(Text(e), "aB");
}

TEST_F(Fields, TabVisitsWindowsByPositionAndWraps)
{
    Location qm("QMTAB");                      /* actions are enabled with a location */
    DialogWords *d = Open(&PCFQueueDef, &qm.q);
    ASSERT_NE(d, nullptr);
    HWND hwnd = PCFWnd(d->window);
    HWND refresh = GetDlgItem(hwnd, 1), define = GetDlgItem(hwnd, 565), cancel = GetDlgItem(hwnd, 2);
    ASSERT_TRUE(refresh && define && cancel);
    SetFocus(refresh);
    LoopKey(VK_TAB);
    EXPECT_EQ(GetFocus(), define);
    LoopKey(VK_TAB, true);
    EXPECT_EQ(GetFocus(), refresh);
    /* the last window wraps to the first, the tab strip; Tab there enters the fields */
    SetFocus(cancel);
    LoopKey(VK_TAB);
    EXPECT_EQ(GetFocus(), PCFWnd(d->tabWindow));
    LoopKey(VK_TAB);
    EXPECT_EQ(GetFocus(), PCFWnd(d->valueWindow));
    EXPECT_EQ(d->currentLine, 0u);
    LoopKey(VK_TAB);                                 /* within the pane: the next line */
    EXPECT_EQ(d->currentLine, 1u);
    LoopKey(VK_TAB, true);
    EXPECT_EQ(d->currentLine, 0u);
    /* Shift+Tab on the first window wraps to the last */
    SetFocus(PCFWnd(d->tabWindow));
    LoopKey(VK_TAB, true);
    EXPECT_EQ(GetFocus(), cancel);
    /* Ctrl+Home and Ctrl+End: the first and the last window */
    LoopKey(VK_HOME, false, true);
    EXPECT_EQ(GetFocus(), PCFWnd(d->tabWindow));
    LoopKey(VK_END, false, true);               /* forward from the tab strip: into the fields */
    EXPECT_EQ(GetFocus(), PCFWnd(d->valueWindow));
    SetFocus(define);
    LoopKey(VK_END, false, true);
    EXPECT_EQ(GetFocus(), cancel);
    /* Return and F5 issue the default action */
    engine.calls.clear();
    SetFocus(define);
    LoopKey(VK_RETURN);
    LoopKey(VK_F5);
    EXPECT_EQ(engine.calls, std::vector<std::string>({ "all 1", "all 1" }));
    /* Alt and a button's mnemonic */
    MSG m = { GetFocus(), WM_SYSCHAR, 'l', 0 };
    EXPECT_TRUE(PCFTranslateKey(&m));
    Loop();
    EXPECT_EQ(engine.calls.back(), "do 578");
    EXPECT_EQ(GetCommandTarget(), d);
}

TEST_F(Fields, AResizeLaysEverythingOutAgain)
{
    DialogWords *d = Open(&PCFQueueDef);
    ASSERT_NE(d, nullptr);
    HWND hwnd = PCFWnd(d->window);
    for (SIZE size : { SIZE{ 900, 640 }, SIZE{ 640, 480 } }) {
        SCOPED_TRACE(size.cx);
        MoveWindow(hwnd, 10, 10, size.cx, size.cy, TRUE);
        Pump();
        RECT client;
        GetClientRect(hwnd, &client);
        int previous = -1, top = -1;
        for (const PCFActionDef *a = PCFQueueDef.actions; a->id; a++) {
            HWND b = (a->flags & PCFA_BUTTON) ? GetDlgItem(hwnd, a->id) : nullptr;
            if (!b)
                continue;
            RECT r = InParent(b);
            EXPECT_GE(r.right - r.left, 6 * d->charWidth);
            EXPECT_GT(r.left, previous);
            EXPECT_LE(r.right, client.right);
            EXPECT_EQ(r.bottom - r.top, d->buttonHeight);
            if (top >= 0) {
                EXPECT_EQ(r.top, top);
            }
            top = r.top;
            previous = r.right - 1;
        }
        RECT status = InParent(PCFWnd(d->statusWindow));
        EXPECT_EQ(status.left, 0);
        EXPECT_EQ(status.right, client.right);
        EXPECT_LT(status.top, top);
        RECT bar = InParent(PCFWnd(d->toolbar));
        EXPECT_EQ(bar.right - bar.left, client.right);
        EXPECT_LE(bar.bottom, InParent(PCFWnd(d->tabWindow)).top);
        RECT tabs = InParent(PCFWnd(d->tabWindow));
        EXPECT_EQ(tabs.right, client.right);
        EXPECT_LE(tabs.bottom, status.top);
    }
    /* a list dialog: count window beside the status line, panes between toolbar and status */
    DialogWords *l = Open(&PCFQueueListDef);
    ASSERT_NE(l, nullptr);
    HWND lw = PCFWnd(l->window);
    SendMessageA(lw, WM_COMMAND, 502, 0);
    MoveWindow(lw, 20, 20, 800, 560, TRUE);
    Pump();
    RECT client;
    GetClientRect(lw, &client);
    RECT status = InParent(PCFWnd(l->statusWindow)), count = InParent(PCFWnd(l->countWindow));
    EXPECT_EQ(count.right, client.right);
    EXPECT_EQ(count.right - count.left, 16 * l->charWidth);
    EXPECT_EQ(status.right, count.left);
    EXPECT_EQ(status.top, count.top);
    RECT fieldsPane = InParent(PCFWnd(l->fieldsPane)), listPane = InParent(PCFWnd(l->listPane));
    EXPECT_GE(fieldsPane.top, InParent(PCFWnd(l->toolbar)).bottom);
    EXPECT_LE(listPane.bottom, status.top);
    EXPECT_GT(listPane.bottom - listPane.top, 0);
    EXPECT_TRUE(IsWindowVisible(PCFWnd(l->fieldWindow)));
}

int Monitors = 2;

TEST_F(Fields, PlacementsStopOnceTheMonitorsChange)
{
    UtilSetDisplaySource([](DisplayLayout *l) {
        l->monitors = Monitors;
        l->desktop = { 0, 0, Monitors * 1600, 1000 };
        l->monitor[0] = { 0, 0, 1600, 1000 };
        l->monitor[1] = { 1600, 0, 3200, 1000 };
        return 1;
    });
    UtilCheckMonitors();
    PCFSetMonitors(0, 0);                             /* counted by the first dialog */
    Location qm("QMPLACE");
    DialogWords *d = Open(&PCFQueueDef, &qm.q);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(PCFMonitorsAtStart(), 2);
    EXPECT_EQ(PCFPlacementSlot(), 1);
    /* the default size keeps within three quarters of the work area */
    RECT r;
    GetWindowRect(PCFWnd(d->window), &r);
    EXPECT_LE(r.right - r.left, 3 * 3200 / 4 + 2 * (d->margin + 8));
    MoveWindow(PCFWnd(d->window), 100, 120, 600, 400, TRUE);
    Pump();
    EXPECT_TRUE(d->dlgInfo->optA & DLGA_POSSAVED);
    EXPECT_EQ(d->dlgInfo->x2, 100);
    EXPECT_EQ(d->dlgInfo->cx2, 600);
    EXPECT_EQ(d->dlgInfo->x, 0);                      /* the single-monitor slot untouched */
    Monitors = 1;
    UtilCheckMonitors();
    MoveWindow(PCFWnd(d->window), 300, 320, 500, 300, TRUE);
    Pump();
    EXPECT_TRUE(PCFPlacementChanged());
    EXPECT_EQ(d->dlgInfo->x2, 100);
    EXPECT_EQ(d->dlgInfo->cx2, 600);
    EXPECT_EQ(d->dlgInfo->x, 0);
    Monitors = 2;
    UtilCheckMonitors();
    MoveWindow(PCFWnd(d->window), 400, 420, 500, 300, TRUE);
    Pump();
    EXPECT_EQ(d->dlgInfo->x2, 100);                   /* nothing more until the program ends */
    UtilSetDisplaySource(nullptr);
    UtilCheckMonitors();
    PCFSetMonitors(1, 1);
}

}  // namespace
