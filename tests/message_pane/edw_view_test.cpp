/* View commands through the dialog: accelerators on the view words with
 * their check marks and tool bar buttons, the display copies read back
 * from the clipboard (and a clipboard that refuses), the debug and frame
 * captions, the code-page notice after the paint, the editor's rows
 * greyed and enabled by the pane's state, the menu state's tool bar on a
 * new message, and a message from the stand-in queue manager
 * through the MQ binding. */
#include <gtest/gtest.h>
#include "edhost.h"
#include "message_editor/edmq.h"
#include "tkharness.h"
#include "tktoolbar.h"
#include "tkutil.h"
#include "pcfwin.h"
#include "prfdata.h"
#include <algorithm>
#include <vector>

struct PaneView : ::testing::Test {
    EdHostDialog &host = SharedHost();
    void SetUp() override { ResetHost(host); }
    PCFDATA *ed() { return host.ed; }
    bool MenuChecked(int id) { return (GetMenuState(host.menu, (UINT)id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
    bool ButtonTicked(int id)
    {
        int n = 0;
        const ToolbarButton *b = TbButtons(host.toolbar, &n);
        for (int i = 0; i < n; i++)
            if (b[i].id == id)
                return (b[i].flags & TBB_TICKED) != 0;
        return false;
    }
    int ButtonFlags(int id)
    {
        int n = 0;
        const ToolbarButton *b = TbButtons(host.toolbar, &n);
        for (int i = 0; i < n; i++)
            if (b[i].id == id)
                return (int)b[i].flags;
        return -1;
    }
    bool MenuGrayed(int id) { return (GetMenuState(host.menu, (UINT)id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
    std::string Clipboard()
    {
        std::string s;
        if (!OpenClipboard(NULL))
            return "<closed>";
        if (HANDLE h = GetClipboardData(CF_TEXT)) {
            s = (const char *)GlobalLock(h);
            GlobalUnlock(h);
        }
        CloseClipboard();
        return s;
    }
};

TEST_F(PaneView, AcceleratorsOnTheViewWords)
{
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(20));
    host.AccelKey('H', false, true);                 /* Ctrl+H: raw bytes */
    EXPECT_TRUE(host.d->viewWords[0] & VW_RAW_BYTES);
    EXPECT_TRUE(MenuChecked(568));
    EXPECT_FALSE(MenuChecked(569));
    EXPECT_TRUE(ButtonTicked(568));
    EXPECT_EQ(EdGetLine(ed(), 0)->lineFlags & LF_HEADING, (uint32_t)LF_HEADING);
    host.AccelKey('H', true, true);                  /* Ctrl+Shift+H: formatted */
    EXPECT_TRUE(host.d->viewWords[0] & VW_FORMATTED);
    EXPECT_FALSE(host.d->viewWords[0] & VW_RAW_BYTES);
    EXPECT_TRUE(host.d->viewWords[0] & LR_HEX_GROUP_BLANK);
    EXPECT_TRUE(ButtonTicked(569));
    EXPECT_FALSE(ButtonTicked(568));
    uint32_t words = host.d->viewWords[0];
    int32_t lines = ed()->scroll.lineCount;
    host.AccelKey('0', false, true);                 /* Ctrl+0 twice */
    EXPECT_NE(ed()->scroll.lineCount, lines);
    EXPECT_FALSE(MenuChecked(573));
    host.AccelKey('0', false, true);
    EXPECT_EQ(host.d->viewWords[0], words);
    EXPECT_EQ(ed()->scroll.lineCount, lines);
    EXPECT_TRUE(MenuChecked(573));
    host.AccelKey('1', false, true);
    EXPECT_EQ(host.d->viewWords[0] & 0xFF, 1u);
    EXPECT_TRUE(MenuChecked(570));
    EXPECT_TRUE(ButtonTicked(570));
    EXPECT_FALSE(MenuChecked(572));
}

TEST_F(PaneView, BodyKindsFromTheMenu)
{
    Bytes json;
    json.Raw("{\"a\":1,\"b\":[1,2]}", 17);
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), json);
    host.Command(923);
    EXPECT_EQ(host.d->bodyKind, (uint32_t)BK_JSON);
    EXPECT_TRUE(MenuChecked(923));
    EXPECT_FALSE(MenuChecked(922));
    EXPECT_EQ(EdGetLine(ed(), ed()->scroll.lineCount - 1)->bodyKind, BK_JSON);
    host.Command(922);
    EXPECT_TRUE(MenuChecked(922));
    host.Command(927);
    EXPECT_FALSE(MenuChecked(927));                  /* the pane switched the typing aids on */
}

TEST_F(PaneView, DisplayCopiesReadBackFromTheClipboard)
{
    host.d->viewWords[0] &= ~VW_SHOW_MD;
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(1000));
    host.Command(692);
    std::string all = Clipboard();
    size_t lines = 0;
    for (size_t at = all.find("\r\n"); at != std::string::npos; at = all.find("\r\n", at + 2))
        lines++;
    EXPECT_EQ(lines, 1001u);                         /* the data's heading and its lines */
    EXPECT_EQ(all.substr(all.find('\n') + 1, 12), "line 00001\r\n");
    EXPECT_EQ(host.StatusText(), "Copied to clipboard");
    host.Command(670);
    std::string page = Clipboard();
    EXPECT_EQ((int)std::count(page.begin(), page.end(), '\n'), (int)ed()->scroll.visible);
    EdMoveCursor(ed(), 0, 0, MC_GOTO, 5, 4);
    EdMoveCursor(ed(), 0, 0, MC_EXTEND_TO, 2, 5);
    host.Command(813);
    EXPECT_EQ(Clipboard(), "00004\r\nli\r\n");
    /* the large question, answered through an injected confirmation */
    std::vector<std::string> asked;
    static std::vector<std::string> *askedPtr;
    askedPtr = &asked;
    auto saved = edHost.confirm;
    edHost.confirm = [](DialogWords *, const char *q, uint32_t *, uint32_t) {
        askedPtr->push_back(q);
        return 0;
    };
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(6000));
    host.Command(692);
    edHost.confirm = saved;
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("copy all 72031 bytes"), std::string::npos);
    EXPECT_EQ(Clipboard(), "00004\r\nli\r\n");       /* declined: the clipboard kept its text */
}

static std::vector<std::string> boxes;
static int boxesInRuns;
static int RecordBox(HWND, const char *text, const char *caption, UINT)
{
    boxes.push_back(std::string(caption) + ": " + text);
    boxesInRuns += EdRunActive() || EdPainting();
    return IDOK;
}
static BOOL WINAPI RefuseOpen(HWND) { return FALSE; }
static BOOL WINAPI RefuseEmpty(void) { return FALSE; }
static HANDLE WINAPI RefuseSet(UINT, HANDLE) { return NULL; }

TEST_F(PaneView, AFailedCopyIsNeverReportedAsDone)
{
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(10));
    UtilSetMessageBoxSink(RecordBox);
    boxes.clear();
    struct { EdClipboardCalls calls; const char *text; } cases[] = {
        { { RefuseOpen, EmptyClipboard, SetClipboardData }, "OpenClipboard" },
        { { OpenClipboard, RefuseEmpty, SetClipboardData }, "EmptyClipboard failed" },
        { { OpenClipboard, EmptyClipboard, RefuseSet }, "SetClipboard failed" },
    };
    for (auto &c : cases) {
        EdDialogStatus(host.d, "", 1);
        EdSetClipboardCalls(&c.calls);
        host.Command(692);
        EXPECT_EQ(host.StatusText(), "") << c.text;
        ASSERT_FALSE(boxes.empty());
        EXPECT_NE(boxes.back().find(c.text), std::string::npos) << boxes.back();
        EXPECT_EQ(boxes.back().find("Operational Error"), 0u);
    }
    EdSetClipboardCalls(nullptr);
    EXPECT_TRUE(OpenClipboard(NULL));               /* the clipboard was left closed */
    CloseClipboard();
    UtilSetMessageBoxSink(nullptr);
}

TEST_F(PaneView, TheCodePageNoticeComesAfterThePaintOncePerCodePage)
{
    UtilSetMessageBoxSink(RecordBox);
    boxes.clear();
    boxesInRuns = 0;
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 4713), EdTextLines(30));
    UpdateWindow(host.pane);
    PumpWith(&host);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].find("Codepage Missing: This message uses codepage"), 0u) << boxes[0];
    EXPECT_EQ(boxesInRuns, 0);
    InvalidateRect(host.pane, NULL, FALSE);
    UpdateWindow(host.pane);
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 4713), EdTextLines(30));
    EXPECT_EQ(boxes.size(), 1u);
    UtilSetMessageBoxSink(nullptr);
}

TEST_F(PaneView, DebugAndFrameCaptions)
{
    strcpy(host.d->captionText, "MSG1");
    Prf.po[0] &= ~(uint32_t)PO1_NO_TITLE_TIME;
    Prf.po[2] &= ~(uint32_t)PO3_TIME_ON_RIGHT;
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(10));
    char title[300];
    GetWindowTextA(host.window, title, sizeof title);
    EXPECT_STREQ(title, "Ravolt - [MSG1] - QM1/APP.QUEUE");
    /* no title tag with the time on the right, nor without a time */
    const struct { uint32_t po1, po3; } untagged[] = { { 0, PO3_TIME_ON_RIGHT }, { PO1_NO_TITLE_TIME, 0 } };
    for (const auto &u : untagged) {
        Prf.po[0] |= u.po1;
        Prf.po[2] |= u.po3;
        SetFrameTitle(host.d);
        GetWindowTextA(host.window, title, sizeof title);
        EXPECT_STREQ(title, "Ravolt - QM1/APP.QUEUE") << u.po1 << "/" << u.po3;
        Prf.po[0] &= ~u.po1;
        Prf.po[2] &= ~u.po3;
    }
    edDebugSwitch = 1;
    Key(host.pane, VK_DOWN);
    GetWindowTextA(host.window, title, sizeof title);
    EXPECT_EQ(std::string(title).find(" Scr(0,"), 0u) << title;
    edDebugSwitch = 0;
    ViewDebugText(host.d);
    GetWindowTextA(host.window, title, sizeof title);
    EXPECT_NE(std::string(title).find("Scr(0,"), std::string::npos) << title;
}

static int setTexts;
static WNDPROC frameProc;
static LRESULT CALLBACK CountSetText(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_SETTEXT)
        setTexts++;
    return CallWindowProcA(frameProc, hwnd, msg, wp, lp);
}

/* The caption is set only when its text changes: another message of the
 * same queue leaves it (and its drawing) alone. */
TEST_F(PaneView, TheFrameCaptionIsSetOnlyWhenItChanges)
{
    strcpy(host.d->captionText, "MSG1");
    Prf.po[0] &= ~0x80000000u;
    Prf.po[2] &= ~0x800000u;
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(10));
    frameProc = (WNDPROC)SetWindowLongPtrA(host.window, GWLP_WNDPROC, (LONG_PTR)CountSetText);
    setTexts = 0;
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(20));
    EXPECT_EQ(setTexts, 0);
    strcpy(host.d->captionText, "MSG2");
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(20));
    EXPECT_EQ(setTexts, 1);
    char title[300];
    GetWindowTextA(host.window, title, sizeof title);
    EXPECT_STREQ(title, "Ravolt - [MSG2] - QM1/APP.QUEUE");
    SetWindowLongPtrA(host.window, GWLP_WNDPROC, (LONG_PTR)frameProc);
}

/* The editor's rows of the Message window greyed by the pane's state:
 * each state reached as the user reaches it, with the rows it leaves
 * enabled (the others greyed); the rows with a tool bar button (Undo to
 * Paste All, Set Mark, Go to Mark) show the same on the button. */
static const int editorRows[] = { 894, 895, 896, 897, 898, 899, 905, 906, 937, 900 };
static const int editorButtons[] = { 894, 895, 896, 897, 898, 899, 905, 906 };

/* A message shown (no mark yet), the cursor at its start. */
static void Shown(EdHostDialog &h)
{
    h.ed->mark = EdPosition{};
    h.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), Bytes().Raw("first walk", 10));
    SendMessageA(h.window, UM_PCF_UPDATE_DIALOG, 0, 0);    /* the dialog takes it over */
    PumpWith(&h);
}
/* The message let go, as the frame's pane does when another queue opens. */
static void LetGo(EdHostDialog &h)
{
    ASSERT_EQ(EdForgetMessage(h.d), 1);
    SendMessageA(h.pane, UM_PCF_UPDATE_DIALOG, 0, 3);
    PCFSetMenu(h.d);
    PumpWith(&h);
}

static const struct {
    const char *state;
    void (*reach)(EdHostDialog &);
    std::vector<int> enabled;
} editorStates[] = {
    { "a message shown", Shown, { 898, 899, 905, 937, 900 } },
    { "everything selected", [](EdHostDialog &h) { h.Command(937); }, { 896, 897, 898, 899, 905, 937, 900 } },
    { "typed over the selection",
      [](EdHostDialog &h) { SendMessageA(h.pane, WM_CHAR, 'w', 1); PumpWith(&h); },
      { 894, 898, 899, 905, 937, 900 } },
    /* the bytes typed over come back selected */
    { "the typing undone", [](EdHostDialog &h) { h.Command(894); }, { 895, 896, 897, 898, 899, 905, 937, 900 } },
    { "the mark set", [](EdHostDialog &h) { h.Command(905); }, { 895, 896, 897, 898, 899, 905, 906, 937, 900 } },
    { "the selection dropped", [](EdHostDialog &h) { Key(h.pane, VK_LEFT); PumpWith(&h); },
      { 895, 898, 899, 905, 906, 937, 900 } },
    { "the message let go", LetGo, {} },
};

TEST_F(PaneView, EachEditorRowGreyedAndEnabledByThePanesState)
{
    for (int id : editorButtons)
        ASSERT_GE(ButtonFlags(id), 0) << id << " has a tool bar button";
    for (const auto &s : editorStates) {
        SCOPED_TRACE(s.state);
        s.reach(host);
        for (int id : editorRows) {
            bool on = std::find(s.enabled.begin(), s.enabled.end(), id) != s.enabled.end();
            EXPECT_EQ(MenuGrayed(id), !on) << id;
            if (std::find(std::begin(editorButtons), std::end(editorButtons), id) != std::end(editorButtons))
                EXPECT_EQ((ButtonFlags(id) & TBB_DISABLED) == 0, on) << id << " (tool bar)";
        }
    }
}

/* A new message taken over by the dialog sets the menu state again: the
 * editor's items follow the browse state, and a tool bar whose buttons
 * all look as they did is not drawn again (every button was, each
 * time); a button whose state changes is. */
TEST_F(PaneView, TheMenuStateRedrawsOnlyToolbarButtonsThatChange)
{
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(50));
    struct { int id; uint32_t bit; } items[] = { { 894, 1 }, { 896, 8 }, { 897, 8 }, { 898, 4 }, { 905, 4 } };
    auto follow = [&] {
        for (const auto &it : items) {
            SCOPED_TRACE(it.id);
            bool on = (host.d->browseState & it.bit) != 0;
            EXPECT_EQ(MenuGrayed(it.id), !on);
            if (ButtonFlags(it.id) >= 0) {
                EXPECT_EQ((ButtonFlags(it.id) & TBB_DISABLED) == 0, on);
            }
        }
    };
    auto update = [&] {                             /* the dialog takes a message over */
        SendMessageA(host.window, UM_PCF_UPDATE_DIALOG, 0, 0);
        return GetUpdateRect(host.toolbar, nullptr, FALSE) != 0;
    };
    update();
    follow();
    EXPECT_FALSE(host.d->browseState & 1) << "nothing to undo yet";
    EXPECT_TRUE(host.d->browseState & 4);
    ASSERT_GE(ButtonFlags(894), 0) << "Undo has a tool bar button";
    UpdateWindow(host.toolbar);
    EXPECT_FALSE(update()) << "the tool bar was drawn again unchanged";
    PCFSetMenu(host.d);
    EXPECT_FALSE(GetUpdateRect(host.toolbar, nullptr, FALSE));
    follow();
    host.Command(937);                              /* select all: Copy and Cut come on */
    EXPECT_TRUE(host.d->browseState & 8);
    follow();
    UpdateWindow(host.toolbar);
    EXPECT_FALSE(update());
    EdMoveCursor(ed(), 0, 0, MC_GOTO, 0, 0);        /* the selection gone: Copy goes off again */
    EXPECT_TRUE(update());
    EXPECT_FALSE(host.d->browseState & 8);
    follow();

    /* the XML rows follow the cursor's line (as the menu opens): Select
       XML and Remove XML Tag on a tag, Uncomment on a comment only */
    host.d->bodyKind = BK_XML;
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), Bytes().Raw("<a><!-- c --><b>x</b></a>", 25));
    const struct { const char *line; bool tag, comment; } lines[] = {
        { "<b>", true, false }, { "<!--", true, true }, { "Format", false, false },
    };
    for (const auto &l : lines) {
        SCOPED_TRACE(l.line);
        int32_t line = EdFindLine(ed(), l.line);
        ASSERT_GE(line, 0);
        EdMoveCursor(ed(), 0, 0, MC_GOTO, EdGetLine(ed(), line)->valueColumn, line);
        SendMessageA(host.window, WM_INITMENU, (WPARAM)host.menu, 0);
        for (int id : { 912, 914, 917 })
            EXPECT_EQ(MenuGrayed(id), !l.tag) << id;
        EXPECT_EQ(MenuGrayed(916), !l.comment);
    }
}

TEST_F(PaneView, AMessageThroughTheBinding)
{
    _putenv_s("MQM_DLL_PATH", MQSIM_DIR "/");
    ASSERT_EQ(MQBindTable(0), 0);
    HMODULE mqm = GetModuleHandleA("mqm.dll");
    ASSERT_NE(mqm, nullptr);
    auto mqsc = (MQSimRunMqsc_FN)(void *)GetProcAddress(mqm, "MQSimRunMqsc");
    ASSERT_NE(mqsc, nullptr);
    Bytes body = BuildRfh2(true, "MQSTR   ", { "<usr><colour>blue</colour></usr>" });
    body.Raw("From the queue", 14);
    StandInMessage got;
    ASSERT_EQ(PutAndGet(&MQServerTable, mqsc, "QMPANE", body.b, "MQHRF2  ", 1208, 546, &got), "");
    host.Load(got.md, got.data);
    bool appl = false, text = false;
    for (int32_t i = 0; i < ed()->scroll.lineCount; i++) {
        LINEDATA *l = EdGetLine(ed(), i);
        std::string s(l->text, l->textLength);
        appl |= s.find(standInApplName) != std::string::npos;
        text |= s.find("From the queue") != std::string::npos;
    }
    EXPECT_TRUE(appl);
    EXPECT_TRUE(text);
    if (auto end = (MQSimShutdown_FN)(void *)GetProcAddress(mqm, "MQSimShutdown"))
        end();
}
