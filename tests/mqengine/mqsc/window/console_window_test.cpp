/* The MQSC console window under Xvfb, on the engine's threads against the
 * stand-in: a command typed and entered, its reply lines painted and
 * followed to the end, the pane's size told to the console, scrolling,
 * a search marked in the pane, the input box's history (the typed text
 * kept, the location's or the program's, Alt swapping), and the picture
 * of the gallery. */
#include "../mqsctest.h"

#include <cstring>
#include <string>
#include <vector>

#include "cs.h"
#include "tkharness.h"
#include "cmddlg.h"
#include "consolewnd.h"

using namespace cmdtest;
using namespace mqsctest;

namespace {

const PCFActionDef ConsoleAction = { 0, 0, 0, 0, 900, nullptr, "&Execute", 0, 0x800, nullptr, "Command sent",
                                     nullptr, nullptr };

struct ConsoleWindow : Live {
    QMS *r = nullptr;
    TestDialog *d = nullptr;
    HWND w = nullptr;
    void TearDown() override
    {
        if (w)
            DestroyWindow(w);
        if (d)
            delete d;
        Live::TearDown();
    }
    HWND Edit() { return FindWindowExA(MQSCConsoleInput(w), nullptr, "Edit", nullptr); }
    std::string Input()
    {
        char text[500] = "";
        GetWindowTextA(MQSCConsoleInput(w), text, sizeof text);
        return text;
    }
    void Enter(const char *text)
    {
        SetWindowTextA(MQSCConsoleInput(w), "");
        TestType(Edit(), text);
        Key(Edit(), VK_RETURN);
    }
    bool Until(std::function<bool()> done)
    {
        return WaitFor([&] {
            Pump();
            return done();
        });
    }
    /* Every command of the console answered. */
    bool Answered()
    {
        return Until([this] {
            CSLockGlobal(CSLOCK_DIALOGS);
            IFCMD *c = IfcmdFind(d->d, MQSCResponseLines);
            bool done = c && c->consoleCommands.count == 0;
            CSUnlockGlobal(CSLOCK_DIALOGS);
            return done;
        });
    }
};

bool HasPixel(HWND hwnd, uint32_t colour)
{
    int width, height;
    std::vector<uint32_t> px = Capture(hwnd, &width, &height);
    for (uint32_t p : px)
        if (p == colour)
            return true;
    return false;
}

TEST_F(ConsoleWindow, TypedCommandsRepliesScrollingSearchAndHistory)
{
    Mqsc("QMWIN", "DEFINE QLOCAL(APP.A) DESCR('first queue')\nDEFINE QLOCAL(APP.B) DESCR('second queue')\n");
    r = Location("QMWIN");
    d = new TestDialog(&PCFQueueManagerDef, r);
    HWND parent = TestParent(640, 420);
    w = MQSCConsoleWindow(parent, d->d, &ConsoleAction, 7);
    ASSERT_NE(w, nullptr);
    MoveWindow(w, 0, 0, 640, 420, TRUE);
    Pump();
    MQSCCONSOLE *c = MQSCConsoleFind(d->d);
    ASSERT_NE(c, nullptr);
    RECT pane;
    GetClientRect(MQSCConsolePane(w), &pane);
    ASSERT_GT(c->charWidth, 0u);
    EXPECT_EQ(MQSCLineChars(c), (int32_t)((pane.right - 4) / (int)c->charWidth));
    EXPECT_GT(c->visibleLines, 5);

    /* Enter sends the input; the replies fill the pane and it follows
     * them to the end; the box is cleared and remembers the command */
    Enter("DISPLAY QLOCAL(APP.*) ALL");
    ASSERT_TRUE(Answered());
    ASSERT_TRUE(Until([&] { return MQSCLineCount(c) > c->visibleLines && c->topLine > 0; }));
    EXPECT_EQ(c->topLine, MQSCLineCount(c) - c->visibleLines);
    EXPECT_EQ(Input(), "");
    ASSERT_EQ(SendMessageA(MQSCConsoleInput(w), CB_GETCOUNT, 0, 0), 1);
    char item[200] = "";
    SendMessageA(MQSCConsoleInput(w), CB_GETLBTEXT, 0, (LPARAM)item);
    EXPECT_STREQ(item, "DISPLAY QLOCAL(APP.*) ALL");
    EXPECT_EQ(Rec.Of("MQPUT", "SYSTEM.ADMIN.COMMAND.QUEUE").size(), 1u);

    /* the list dropped down again: the text typed stays; the history is
     * the location's, or the program's with the shared-history option,
     * Alt held taking the other one; entries in the history's order */
    MQSCHistoryPush(MQSCGlobalHistory(), "DISPLAY CHANNEL(*)");
    struct { int shared, alt; std::vector<std::string> list; } offers[] = {
        { 0, 0, { "DISPLAY QLOCAL(APP.*) ALL" } },
        { 1, 0, { "DISPLAY QLOCAL(APP.*) ALL", "DISPLAY CHANNEL(*)" } },
        { 0, 1, { "DISPLAY QLOCAL(APP.*) ALL", "DISPLAY CHANNEL(*)" } },
        { 1, 1, { "DISPLAY QLOCAL(APP.*) ALL" } },
    };
    for (const auto &o : offers) {
        SetWindowTextA(MQSCConsoleInput(w), "DIS Q");
        PcfWinPrefs.filterListGlobal = o.shared;
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_MENU] = o.alt ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(MQSCConsoleInput(w)), CBN_DROPDOWN),
                     (LPARAM)MQSCConsoleInput(w));
        keys[VK_MENU] = 0;
        SetKeyboardState(keys);
        std::vector<std::string> list;
        for (int i = 0; i < SendMessageA(MQSCConsoleInput(w), CB_GETCOUNT, 0, 0); i++) {
            SendMessageA(MQSCConsoleInput(w), CB_GETLBTEXT, i, (LPARAM)item);
            list.push_back(item);
        }
        EXPECT_EQ(list, o.list) << "shared " << o.shared << ", Alt " << o.alt;
        EXPECT_EQ(Input(), "DIS Q") << "shared " << o.shared << ", Alt " << o.alt;
    }
    PcfWinPrefs.filterListGlobal = 0;
    SetWindowTextA(MQSCConsoleInput(w), "");

    /* the scroll bar moves the console's top line */
    SendMessageA(MQSCConsolePane(w), WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(c->topLine, 0);
    SendMessageA(MQSCConsolePane(w), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(c->topLine, 1);

    /* a search: the found line comes into view, its text is marked, the
     * input stays for the next search */
    Enter("/second queue");
    ASSERT_TRUE(Until([&] { return c->foundLine >= 0 && c->topLine <= c->foundLine; }));
    char text[500];
    ASSERT_TRUE(MQSCLineText(c, c->foundLine, text, sizeof text, nullptr));
    EXPECT_NE(strstr(text, "second queue"), nullptr) << text;
    EXPECT_EQ(Input(), "/second queue");
    EXPECT_TRUE(HasPixel(MQSCConsolePane(w), 0xFFFF00));
    EXPECT_TRUE(GalleryShot(w, "mqsc_console", true));

    /* "cls" empties the pane */
    Enter("cls");
    ASSERT_TRUE(Until([&] { return MQSCLineCount(c) == 0; }));
    EXPECT_FALSE(HasPixel(MQSCConsolePane(w), 0xFFFF00));
}

}  // namespace
