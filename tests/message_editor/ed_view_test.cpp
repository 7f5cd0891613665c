/* View commands: the message-view words with their check marks, buttons
 * and program-wide defaults, the body kinds, the raw view, the offset prefix, the gutter,
 * the discard question and the display copy. */
#include "edtest.h"
#include "prfdata.h"
#include "csmem.h"
#include "command.h"
#include "mq/mqown.h"
#include <algorithm>

struct EdView : EdFixture {
    void Command(int id) { ToggleViewOption(&d, &d.viewWords[0], &d.viewWords[1], id); }
    int Checked(int id)
    {
        for (auto it = rec.checks.rbegin(); it != rec.checks.rend(); ++it)
            if (it->first == id)
                return it->second;
        return -1;
    }
    int Pressed(int id)
    {
        for (auto it = rec.buttons.rbegin(); it != rec.buttons.rend(); ++it)
            if (it->first == id)
                return it->second;
        return -1;
    }
    std::string Copy(int id, int ask = 1)
    {
        uint32_t size = 0;
        char *t = EdViewCopyText(&d, id, &size, ask);
        std::string s = t ? std::string(t, size ? size - 1 : 0) : std::string("<null>");
        if (t)
            CSFreeMem(t);
        return s;
    }
};

TEST_F(EdView, RawAndFormattedViewsAndTheDescriptorToggle)
{
    d.viewWords[0] = 2 | VW_FORMATTED;
    Command(568);                                    /* Ctrl+H */
    EXPECT_TRUE(d.viewWords[0] & VW_RAW_BYTES);
    EXPECT_FALSE(d.viewWords[0] & VW_FORMATTED);
    EXPECT_EQ(Checked(568), 1);
    EXPECT_EQ(Checked(569), 0);
    EXPECT_EQ(Pressed(568), 1);
    Command(569);                                    /* Ctrl+Shift+H */
    EXPECT_TRUE(d.viewWords[0] & VW_FORMATTED);
    EXPECT_FALSE(d.viewWords[0] & VW_RAW_BYTES);
    EXPECT_TRUE(d.viewWords[0] & LR_HEX_GROUP_BLANK);
    EXPECT_EQ(Pressed(569), 1);
    EXPECT_EQ(Pressed(568), 0);
    uint32_t before = d.viewWords[0];
    Command(573);                                    /* Ctrl+0 twice */
    EXPECT_EQ(Checked(573), 1);
    Command(573);
    EXPECT_EQ(d.viewWords[0], before);
    EXPECT_EQ(Checked(573), 0);
    Command(572);                                    /* Ctrl+3 */
    EXPECT_EQ(d.viewWords[0] & 0xFF, 3u);
    EXPECT_EQ(Checked(572), 1);
    EXPECT_EQ(Checked(570), 0);
    EXPECT_EQ(Pressed(572), 1);
    EXPECT_EQ(Checked(737), 1);                      /* inverted: characters shown */
    Command(737);
    EXPECT_EQ(Checked(737), 0);
    Command(936);
    EXPECT_TRUE(d.viewWords[1] & LO_DECODE_ENTITIES);
    EXPECT_EQ(Checked(936), 1);
    /* the words became the program-wide defaults */
    EXPECT_EQ(Prf.msgFormat, 3);
    EXPECT_EQ(Prf.msgFlags, d.viewWords[0] & ~0xFFu);
    EXPECT_EQ(Prf.msgFlags2, d.viewWords[1]);
}

TEST_F(EdView, TheRawViewShowsTheDataAsOneDump)
{
    d.statusFlags |= DS_TRUNCATED;
    d.viewWords[0] &= ~VW_SHOW_MD;
    Load(EdDescriptor("MQSTR   "), EdTextLines(10));
    Command(568);
    EdBuildLineData(ed, 1);
    char heading[40];
    snprintf(heading, sizeof heading, "[%5u bytes] Message Bytes", ed->data.length);
    EXPECT_EQ(Text(0), heading);
    EXPECT_EQ(Line(1)->lineType, LK_DUMP);
    EXPECT_EQ(Text(ed->scroll.lineCount - 1), "<Message Truncated>");
    Command(569);
    EdBuildLineData(ed, 1);
    EXPECT_EQ(Text(ed->scroll.lineCount - 1), "<Message Truncated>");
    EXPECT_GE(Find("line 00010"), 0);
    /* the offset prefix of each line: hex with "Show offsets in hex", else
       decimal ("line 00002" starts at byte 11) */
    const uint32_t po4 = Prf.po[3];
    Command(609);
    for (uint32_t hex : { 0u, (uint32_t)PO4_HEX_OFFSETS }) {
        Prf.po[3] = (po4 & ~(uint32_t)PO4_HEX_OFFSETS) | hex;
        EdBuildLineData(ed, 1);
        EXPECT_EQ(Text(Find("line 00002")), hex ? "+0000000B line 00002" : "+      11 line 00002");
    }
    Prf.po[3] = po4;
}

TEST_F(EdView, BodyKindsAndSwitches)
{
    SetViewModeOption(&d, 925);
    EXPECT_EQ(d.bodyKind, (uint32_t)BK_CSV);
    EXPECT_EQ(Checked(925), 1);
    EXPECT_EQ(Checked(922), 0);
    SetViewModeOption(&d, 928);
    EXPECT_EQ(d.bodyKind, (uint32_t)BK_TEXT);
    EXPECT_EQ(Checked(925), 0);
    EXPECT_EQ(Checked(928), -1);                     /* text has no check mark */
    SetViewModeOption(&d, 926);
    EXPECT_EQ(d.viewSwitches[0], 1u);
    EXPECT_EQ(Checked(926), 1);
    SetViewModeOption(&d, 926);
    EXPECT_EQ(d.viewSwitches[0], 0u);
    /* the body kind applies to strings, not to IBM MQ's own formats */
    std::string values = "a,b,c";
    Bytes csv;
    csv.Chars(values.c_str(), values.size());
    SetViewModeOption(&d, 925);
    Load(EdDescriptor("MQSTR   "), csv);
    EXPECT_GE(Find("a,"), 0);
    EXPECT_GE(Find("b,"), 0);
}

TEST_F(EdView, TheGutterHoldsTheLineCountsDigitsAndTwo)
{
    SetLineNumberWidth(ed);
    EXPECT_EQ(ed->gutterWidth, 0u);
    d.viewOptions |= DV_LINE_NUMBERS;
    SetLineNumberWidth(ed);
    EXPECT_EQ(ed->gutterWidth, 3u);                  /* no lines: one digit */
    Load(EdDescriptor("MQSTR   "), EdTextLines(1000));
    SetLineNumberWidth(ed);
    EXPECT_EQ(ed->gutterWidth, 4u + 2);
}

TEST_F(EdView, TheDiscardQuestion)
{
    EXPECT_EQ(ConfirmDiscardEdits(&d), 0);          /* no message at all */
    EXPECT_TRUE(rec.questions.empty());
    Load(EdDescriptor("MQSTR   "), EdTextLines(5));
    EXPECT_EQ(ConfirmDiscardEdits(&d), 0);
    EXPECT_TRUE(rec.questions.empty());
    EdKeepSavedData(ed);                             /* as every change of the data does */
    ed->data.data[0] = 'L';                          /* an edit */
    rec.answer = 0;
    EXPECT_EQ(ConfirmDiscardEdits(&d), 1);
    ASSERT_EQ(rec.questions.size(), 1u);
    EXPECT_EQ(rec.questions[0], "!The edited message has not been saved. If you continue all updates will be "
                                "lost.\n\nAre you sure you want to continue?");
    rec.answer = 1;
    EXPECT_EQ(ConfirmDiscardEdits(&d), 0);
    ed->data.data[0] = 'l';                          /* edited back */
    unsigned char priority = ed->descriptor.data[40];
    ed->descriptor.data[40] = 9;
    ed->descriptor.data[40] = priority;
    rec.questions.clear();
    EXPECT_EQ(ConfirmDiscardEdits(&d), 0);
    EXPECT_TRUE(rec.questions.empty());
    ed->data.length = 0;                             /* mended: an empty body is an edit */
    rec.answer = 0;
    EXPECT_EQ(ConfirmDiscardEdits(&d), 1);
    EXPECT_EQ(rec.questions.size(), 1u);
}

/* The saved copy a load defers is made before the data first changes:
 * each path that changes the data leaves the question right. */
struct EdDiscard : EdFixture {
    uint32_t savedCo = 0;
    void SetUp() override
    {
        EdFixture::SetUp();
        ed->insertMode = 1;
        savedCo = Prf.co;
        Prf.co = 0;
        rec.answer = 0;
        EdClipboardDefaults(&edClipboard);
        edClipboard.empty();
        Load(EdDescriptor("MQSTR   "), EdTextLines(5));
    }
    void TearDown() override
    {
        edClipboard.empty();
        Prf.co = savedCo;
        EdFixture::TearDown();
    }
    /* 1 when closing now asks */
    int Asks()
    {
        size_t before = rec.questions.size();
        int kept = ConfirmDiscardEdits(&d);
        EXPECT_EQ(kept, rec.questions.size() > before ? 1 : 0);
        return rec.questions.size() > before;
    }
    void AtText()
    {
        int32_t line = Find("line 00003");
        ASSERT_GE(line, 0);
        EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn + 2, line);
    }
};

TEST_F(EdDiscard, TypingUndoAndRedo)
{
    EXPECT_FALSE(Asks());                            /* opened, not edited */
    std::string loaded((const char *)ed->data.data, ed->data.length);
    AtText();
    EdCharProc(ed, 'x');
    EXPECT_NE(std::string((const char *)ed->data.data, ed->data.length), loaded);
    EXPECT_TRUE(Asks());
    EdUndo(ed, 0);
    EXPECT_EQ(std::string((const char *)ed->data.data, ed->data.length), loaded);
    EXPECT_FALSE(Asks());                            /* undone to the loaded bytes */
    EdRedo(ed);
    EXPECT_TRUE(Asks());
}

TEST_F(EdDiscard, PasteAndFormatChanges)
{
    AtText();
    edClipboard.setText("pasted", 7);
    ASSERT_TRUE(EdPaste(&d));
    EXPECT_TRUE(Asks());
    Load(EdDescriptor("MQSTR   "), EdTextLines(5));
    EXPECT_FALSE(Asks());                            /* a new message: its own saved copy */
    ASSERT_TRUE(EdSetGenericFormat(&d, "MQSTR   ", 0, 0));
    EXPECT_EQ(ed->data.length, 0u);
    EXPECT_TRUE(Asks());
    Load(EdDescriptor("MQSTR   "), EdTextLines(5));
    ASSERT_TRUE(EdSetMessageFormat(&d));
    EXPECT_TRUE(Asks());
}

TEST_F(EdDiscard, SavingMakesTheMessageSaved)
{
    /* the put engine writes the saved copy of what it put while the load's
       copy is still deferred */
    std::string put = "what was put";
    MessageCopyBuffer(&ed->savedData, put.data(), (uint32_t)put.size());
    EXPECT_TRUE(Asks());
    MessageCopyBuffer(&ed->savedData, ed->data.data, ed->data.length);
    EXPECT_FALSE(Asks());
    AtText();
    EdCharProc(ed, 'x');
    EXPECT_TRUE(Asks());
    /* an Update that ended without an error: the edited message is saved */
    EdNoteSent(ed);
    EdCommandDone(&d, MYCMD_UPDATE_MSG);
    EdSettleCommand(&d);
    EXPECT_FALSE(Asks());
    EdCharProc(ed, 'y');
    EXPECT_TRUE(Asks());
}

TEST_F(EdView, TheDisplayCopy)
{
    d.viewWords[0] &= ~VW_SHOW_MD;
    Load(EdDescriptor("MQSTR   "), EdTextLines(1000));
    std::string all = Copy(692);
    size_t lines = 0;
    for (size_t at = all.find("\r\n"); at != std::string::npos; at = all.find("\r\n", at + 2))
        lines++;
    EXPECT_EQ(lines, (size_t)ed->scroll.lineCount);
    EXPECT_EQ(lines, 1001u);                         /* the data's heading and its lines */
    EXPECT_EQ(all.substr(all.size() - 12), "line 01000\r\n");
    /* the visible page */
    Size(20);
    EdSetTop(ed, 100);
    std::string page = Copy(670);
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 20);
    EXPECT_EQ(page.substr(0, 12), Text(100) + "\r\n");
    /* the selection: from the start column to the end column */
    EXPECT_EQ(Copy(813), "<null>");
    EdMoveCursor(ed, 0, 0, MC_GOTO, 5, 10);
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, 4, 12);
    EXPECT_EQ(Copy(813), Text(10).substr(5) + "\r\n" + Text(11) + "\r\n" + Text(12).substr(0, 4) + "\r\n");
    EdMoveCursor(ed, 0, 0, MC_GOTO, 2, 3);
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, 6, 3);
    EXPECT_EQ(Copy(813), Text(3).substr(2, 4) + "\r\n");
    /* 51,200 bytes or more are asked for first */
    rec.questions.clear();
    Load(EdDescriptor("MQSTR   "), EdTextLines(6000));
    rec.answer = 0;
    EXPECT_EQ(Copy(692), "<null>");
    ASSERT_EQ(rec.questions.size(), 1u);
    EXPECT_EQ(rec.questions[0], "!The data is quite large, are you sure you want to copy all 72031 bytes to the clipboard ?");
    rec.answer = 1;
    EXPECT_EQ(Copy(692).size(), 72031u);
}

TEST_F(EdView, TheDebugState)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(3));
    char text[512];
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, 1);
    EdDebugStateText(ed, text, sizeof text);
    EXPECT_EQ(std::string(text).find(" Scr(0,"), 0u) << text;
    EXPECT_NE(std::string(text).find("T("), std::string::npos) << text;
    ed->cursor.line = 1000000;
    EdDebugStateText(ed, text, sizeof text);
    EXPECT_STREQ(text, "Beyond array");
}
