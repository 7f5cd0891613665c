/* The clipboard through the process-wide board: hex text and its
 * conversion, copies with and without a selection (text and "Vorsk HEX"
 * data, the digits at its ends), Paste by field type with the question
 * for hex-looking text, Alt, Paste All in the body and the descriptor,
 * Cut, and the question before a large copy. */
#include "edtest.h"
#include "csmem.h"
#include "fmtint.h"

struct EdClip : EdFixture {
    void SetUp() override
    {
        EdFixture::SetUp();
        EdClipboardDefaults(&edClipboard);
        edClipboard.empty();
        ed->insertMode = 1;
    }
    void TearDown() override
    {
        edClipboard.empty();
        EdFixture::TearDown();
    }
    std::string Body() { return std::string((const char *)ed->data.data, ed->data.length); }
    std::string Board(int hex)
    {
        uint32_t n = 0;
        char *t = hex ? edClipboard.getHex(&n) : edClipboard.getText(&n);
        std::string s = t ? std::string(t, n) : "<none>";
        if (t)
            CSFreeMem(t);
        return s;
    }
    void PutText(const char *text)
    {
        edClipboard.empty();
        edClipboard.setText(text, (uint32_t)strlen(text) + 1);
    }
    /* the first hex-dump line of the body */
    int32_t Dump()
    {
        for (int32_t i = 0; i < ed->scroll.lineCount; i++)
            if (Line(i)->lineType == LK_DUMP)
                return i;
        return -1;
    }
    std::string Last() { return rec.statuses.empty() ? "" : rec.statuses.back(); }
};

TEST_F(EdClip, HexText)
{
    EXPECT_TRUE(EdIsHexText("41 42\r\n", 7));
    EXPECT_TRUE(EdIsHexText("4142\0", 5));
    EXPECT_FALSE(EdIsHexText("414", 3));          /* odd */
    EXPECT_FALSE(EdIsHexText("41 4G", 5));
    EXPECT_FALSE(EdIsHexText("  ", 2));
    uint32_t n = 7;
    unsigned char *b = EdHexTextToData(ed, 0, "41 4-2\n", &n, 0, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(memcmp(b, "AB", 2), 0);
    CSFreeMem(b);
    n = 6;
    b = EdHexTextToData(ed, 0, "123456", &n, 1, 1);   /* the first and last digits dropped */
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(b[0], 0x23);
    EXPECT_EQ(b[1], 0x45);
    CSFreeMem(b);
    n = 8;
    b = EdHexTextToData(ed, PD_HEX_CHARS, "1 2x\r\n34", &n, 1, 1);    /* kept as characters */
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(std::string((char *)b, 5), "12x34");
    CSFreeMem(b);
    n = 3;
    EXPECT_EQ(EdHexTextToData(ed, 0, "xyz", &n, 0, 0), nullptr);
}

TEST_F(EdClip, CopyWithoutAnAnchorCoversOnePosition)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(2));
    EdMoveCursor(ed, 0, 0, MC_GOTO, 3, Find("line 00001"));
    ASSERT_TRUE(EdCopy(&d, 0));
    EXPECT_EQ(Board(0), "");
    EXPECT_EQ(Board(1), "<none>");
    EXPECT_EQ(Last(), "Copied to Clipboard  : Text(0 bytes) Data(0 bytes)");
    /* a selection: its text, and its bytes as hex */
    int32_t line = Find("line 00001");
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, 8, line + 1);
    ASSERT_TRUE(EdCopy(&d, 0));
    EXPECT_EQ(Board(0), "e 00001\r\nline 000");
    EXPECT_EQ(Board(1), "652030303030310A6C696E6520303030");
    EXPECT_EQ(Last(), "Copied to Clipboard  : Text(17 bytes) Data(16 bytes)");
}

TEST_F(EdClip, HexSelectionsKeepTheirEndDigits)
{
    std::vector<unsigned char> body = { 0x12, 0x34, 0x56, 0x78 };
    Load(EdDescriptor("BINARY  ").b, body);
    int32_t dump = Dump();
    ASSERT_GE(dump, 0);
    int32_t vc = Line(dump)->valueColumn;
    /* from the second digit of byte 1 to the second digit of byte 2 */
    EdMoveCursor(ed, 0, 0, MC_GOTO, vc + 3, dump);
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, vc + 5, dump);
    ASSERT_TRUE(EdCopy(&d, 0));
    EXPECT_EQ(Board(1), "3456");
    EXPECT_EQ(ed->copyStartDigit, 1);
    EXPECT_EQ(ed->copyEndDigit, 1);
    /* Paste All: one byte of the two selected digits */
    EdMoveCursor(ed, 0, 0, MC_GOTO, vc + 8, dump);
    ASSERT_TRUE(EdPasteAll(&d));
    EXPECT_EQ(Body(), std::string("\x12\x34\x56\x78\x45", 5));
    EdUndo(ed, 0);
    /* to the first digit of byte 3: three digits, one byte of the first two */
    EdMoveCursor(ed, 0, 0, MC_GOTO, vc + 3, dump);
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, vc + 6, dump);
    ASSERT_TRUE(EdCopy(&d, 0));
    EXPECT_EQ(Board(1), "3456");
    EdMoveCursor(ed, 0, 0, MC_GOTO, vc + 8, dump);
    ASSERT_TRUE(EdPasteAll(&d));
    EXPECT_EQ(Body(), std::string("\x12\x34\x56\x78\x45", 5));
    EdUndo(ed, 0);
    /* Paste into the hex field: the four digits typed */
    EdMoveCursor(ed, 0, 0, MC_GOTO, vc + 8, dump);
    ASSERT_TRUE(EdPaste(&d));
    EXPECT_EQ(Body(), std::string("\x12\x34\x56\x78\x34\x56", 6));
}

TEST_F(EdClip, HexLookingTextIsOfferedAsBytes)
{
    Load(EdDescriptor("MQSTR   "), Bytes().Raw("xy", 2));
    int32_t line = Find("xy");
    PutText("41 42");
    rec.answer = 1;
    EdMoveCursor(ed, 0, 0, MC_GOTO, 1, line);
    ASSERT_TRUE(EdPaste(&d));
    EXPECT_EQ(Body(), "xABy");
    ASSERT_EQ(rec.questions.size(), 1u);
    EXPECT_NE(rec.questions[0].find("appears to be hex bytes"), std::string::npos);
    EdUndo(ed, 0);
    rec.answer = 0;
    EdMoveCursor(ed, 0, 0, MC_GOTO, 1, line);
    ASSERT_TRUE(EdPaste(&d));
    EXPECT_EQ(Body(), "x41 42y");
    EdUndo(ed, 0);
    /* with Alt nothing is converted and nothing asked */
    rec.questions.clear();
    rec.alt = 1;
    EdMoveCursor(ed, 0, 0, MC_GOTO, 1, line);
    ASSERT_TRUE(EdPaste(&d));
    rec.alt = 0;
    EXPECT_EQ(Body(), "x41 42y");
    EXPECT_TRUE(rec.questions.empty());
    /* nothing there */
    edClipboard.empty();
    EXPECT_FALSE(EdPaste(&d));
    EXPECT_EQ(Last(), "No data in clipboard");
}

TEST_F(EdClip, PasteAllOverwritesTheDescriptorAndInsertsIntoStructures)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(1));
    edClipboard.empty();
    edClipboard.setHex("4142434445", 10);
    int32_t line = Find("Reply Queue");
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn + 2, line);
    ASSERT_TRUE(EdPasteAll(&d));
    EXPECT_EQ(std::string((const char *)ed->descriptor.data + 102, 5), "ABCDE");
    /* at its last field only what fits */
    line = Find("Original Len.");
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn, line);
    ASSERT_TRUE(EdPasteAll(&d));
    EXPECT_EQ(ed->descriptor.length, 364u);
    EXPECT_EQ(std::string((const char *)ed->descriptor.data + 360, 4), "ABCD");
    /* inside a PCF structure the bytes go in at the cursor as they are,
       its lengths untouched */
    Bytes pcf = BuildPcfHeader(true, 1, 13, 1);
    CfSt(pcf, 2016, "APP.Q");
    Load(EdDescriptor("MQADMIN "), pcf);
    std::string before = Body();
    line = Find("'APP.Q'");
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn + 2, line);
    ASSERT_TRUE(EdPasteAll(&d));
    EXPECT_EQ(Body(), before.substr(0, 36 + 22) + "ABCDE" + before.substr(36 + 22));
    EdUndo(ed, 0);
    EXPECT_EQ(Body(), before);
    /* Paste types into the string, lengths and all */
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn + 2, line);
    edClipboard.empty();
    PutText("XYZ");
    ASSERT_TRUE(EdPaste(&d));
    EXPECT_EQ(FmtRd32(ed->data.data + 36 + 16, 546), 8u);
}

TEST_F(EdClip, CutAndTheLargeCopyQuestion)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(3));
    int32_t line = Find("line 00002");
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, line);
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, 5, line);
    ASSERT_TRUE(EdCut(&d));
    EXPECT_EQ(Board(0), "line ");
    EXPECT_EQ(Body(), "line 00001\n00002\nline 00003");
    EdUndo(ed, 0);
    EXPECT_EQ(Body(), "line 00001\nline 00002\nline 00003");
    Load(EdDescriptor("MQSTR   "), EdTextLines(6000));
    rec.answer = 0;
    EXPECT_FALSE(EdCopy(&d, 1));
    ASSERT_FALSE(rec.questions.empty());
    EXPECT_NE(rec.questions.back().find("The data is quite large"), std::string::npos);
    EXPECT_EQ(Last(), "Clipboard copy cancelled");
    rec.answer = 1;
    ASSERT_TRUE(EdCopy(&d, 1));
    EXPECT_EQ(Board(1).size(), 2 * ed->data.length);
}
