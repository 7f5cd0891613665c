/* The frame of the shell running in the test's process: its panel, tree
 * and panes as start-up leaves them. */
#include <gtest/gtest.h>

#include "apptest.h"
#include "cmddlg.h"
#include "pcfwin.h"
#include "message_editor/edbytes.h"
#include "shell.h"
#include "qms.h"

TEST(AppFrame, StartsWithThePanelTheTreeAndHiddenPanes)
{
    HWND main = AppStart();
    ASSERT_NE(main, nullptr);
    FrameWords *f = AppMain();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(WindowText(main).rfind("Ravolt", 0), 0u);
    ASSERT_NE(f->listPane, nullptr);
    ASSERT_NE(f->msgPane, nullptr);
    PumpUntil([&] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000);
    ASSERT_NE(FindLine(f, "RAVOLT.DEMO"), nullptr);
    GalleryDialogShot(main, "frame_start");
}


/* The frame's Edit menu follows its message pane: greyed without a
 * message, undo once something was typed, and the commands reach it. */
TEST(AppFrame, EditMenuFollowsTheMessagePane)
{
    HWND main = AppStart();
    ASSERT_NE(main, nullptr);
    FrameWords *f = AppMain();
    ASSERT_NE(f, nullptr);
    DialogWords *pane = f->msgPane;
    ASSERT_NE(pane, nullptr);
    ASSERT_NE(pane->editor, nullptr);
    HMENU menu = f->menu;
    ASSERT_NE(menu, nullptr);
    auto greyed = [&](UINT id) {
        FrameInitMenu(main);
        return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    EXPECT_TRUE(greyed(898));                            /* no message shown */

    QMS q = {};
    snprintf(q.qmName, sizeof q.qmName, "QM1");
    q.ccsid = q.ccsidQm = 850;
    q.encoding = 546;
    QMS *kept = pane->first.location;
    pane->first.location = &q;
    pane->viewWords[0] = 3 | VW_FORMATTED;
    std::vector<unsigned char> md(364, 0), body = { 'a', 'b', 'c' };
    const int32_t words[] = { 2, 546, 850 };            /* Version, Encoding, CodedCharSetId */
    memcpy(md.data(), "MD  ", 4);
    memcpy(md.data() + 4, &words[0], 4);
    memcpy(md.data() + 24, &words[1], 4);
    memcpy(md.data() + 28, &words[2], 4);
    memcpy(md.data() + 32, "MQSTR   ", 8);
    FillMessageRecords(EdDialogValue(pane, ATTR_MSGDESCRIPTOR), EdDialogValue(pane, ATTR_FULLMESSAGE), md, body);
    SendMessageA(PCFWnd(pane->dataWindow), UM_PCF_UPDATE_DIALOG, 0, 1);
    PCFDATA *ed = pane->editor;
    ASSERT_EQ(ed->data.length, 3u);
    EXPECT_FALSE(greyed(898));
    EXPECT_TRUE(greyed(894));
    EXPECT_TRUE(greyed(896));
    int32_t line = EdFindLine(ed, "abc");
    ASSERT_GE(line, 0);
    EdMoveCursor(ed, 0, 0, MC_GOTO, EdGetLine(ed, line)->valueColumn, line);
    SendMessageA(PCFWnd(pane->dataWindow), WM_CHAR, 'x', 1);
    EXPECT_NE(std::string((const char *)ed->data.data, ed->data.length), "abc") << ed->status;
    EXPECT_FALSE(greyed(894));
    FrameCommand(f, 894);                                /* Undo reaches the pane */
    EXPECT_EQ(std::string((const char *)ed->data.data, ed->data.length), "abc");
    EXPECT_FALSE(greyed(895));
    FrameCommand(f, 937);                                /* Select All */
    EXPECT_FALSE(greyed(896));
    FillMessageRecords(EdDialogValue(pane, ATTR_MSGDESCRIPTOR), EdDialogValue(pane, ATTR_FULLMESSAGE), {}, {});
    SendMessageA(PCFWnd(pane->dataWindow), UM_PCF_UPDATE_DIALOG, 0, 1);
    pane->first.location = kept;
}
