/* Length-aware edits: PCF strings keep their string length, structure
 * length and padding to 4; byte strings likewise; string lists rebuild
 * with one element length; XML sections grow and shrink in fours with
 * their MQRFH2. */
#include "edtest.h"
#include "fmtint.h"

enum { VK_DELETE_KEY = 46 };

struct EdPcfString : EdFixture {
    void SetUp() override
    {
        EdFixture::SetUp();
        ed->insertMode = 1;
    }
    int32_t Int(uint32_t at) { return (int32_t)FmtRd32(ed->data.data + at, 546); }
    std::string Bytes_(uint32_t at, uint32_t n) { return std::string((const char *)ed->data.data + at, n); }
    /* the cursor on a column of the value of the line holding the text */
    int32_t At(const char *piece, int column)
    {
        int32_t line = Find(piece);
        EXPECT_GE(line, 0) << piece;
        if (line >= 0)
            EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn + column, line);
        return line;
    }
    void Type(const char *text)
    {
        for (const char *c = text; *c; c++)
            EdCharProc(ed, (unsigned char)*c);
    }
    void LoadString(const char *s)
    {
        Bytes pcf = BuildPcfHeader(true, 1, 13, 1);
        CfSt(pcf, 2016, s);
        Load(EdDescriptor("MQADMIN "), pcf);
    }
};

TEST_F(EdPcfString, StringsKeepTheirLengthsAndPadding)
{
    LoadString("ABCD");
    ASSERT_EQ(Int(36 + 4), 24);
    At("'ABCD'", 4);
    Type("\b");
    EXPECT_EQ(Int(36 + 16), 3);                 /* the string length only */
    EXPECT_EQ(Int(36 + 4), 24);
    EXPECT_EQ(ed->data.length, 60u);
    /* a string of 5 pads to 8; one character less fits in 4 */
    LoadString("ABCDE");
    ASSERT_EQ(Int(36 + 4), 28);
    At("'ABCDE'", 5);
    Type("\b");
    EXPECT_EQ(Int(36 + 16), 4);
    EXPECT_EQ(Int(36 + 4), 24);
    EXPECT_EQ(ed->data.length, 60u);
    EXPECT_EQ(Bytes_(56, 4), "ABCD");
    /* four characters less shrink it by 4 */
    LoadString("ABCDEFGH");
    int32_t line = At("'ABCDEFGH'", 2);
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, Line(line)->valueColumn + 6, line);
    Key(VK_DELETE_KEY);
    EXPECT_EQ(Int(36 + 16), 4);
    EXPECT_EQ(Int(36 + 4), 24);
    EXPECT_EQ(Bytes_(56, 4), "ABGH");
    /* growing: into the pad first, then by fours */
    LoadString("APP.Q");
    At("'APP.Q'", 5);
    Type("123");
    EXPECT_EQ(Int(36 + 16), 8);
    EXPECT_EQ(Int(36 + 4), 28);
    Type("4");
    EXPECT_EQ(Int(36 + 16), 9);
    EXPECT_EQ(Int(36 + 4), 32);
    EXPECT_EQ(Bytes_(56, 9), "APP.Q1234");
    EXPECT_EQ(Bytes_(65, 3), std::string(3, '\0'));
    EdUndo(ed, 0);
    EXPECT_EQ(Int(36 + 4), 28);
    EXPECT_EQ(Int(36 + 16), 8);
}

TEST_F(EdPcfString, ByteStringsGrowByBytes)
{
    Bytes pcf = BuildPcfHeader(true, 1, 13, 1);
    pcf.I32(9).I32(20).I32(7001).I32(3).Raw("\x01\x02\x03\0", 4);
    Load(EdDescriptor("MQADMIN "), pcf);
    int32_t line = -1;
    for (int32_t i = 0; i < ed->scroll.lineCount; i++)
        if (Line(i)->lineType == LK_BYTES_PAIRS)
            line = i;
    ASSERT_GE(line, 0);
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn + 6, line);
    Type("AB");
    EXPECT_EQ(Int(36 + 12), 4);                 /* string length */
    EXPECT_EQ(Int(36 + 4), 20);
    EXPECT_EQ(ed->data.data[36 + 19], 0xAB);
    Type("C");
    EXPECT_EQ(Int(36 + 12), 5);
    EXPECT_EQ(Int(36 + 4), 24);
    EXPECT_EQ(ed->data.data[36 + 20], 0xC0);
    Type("D");
    EXPECT_EQ(ed->data.data[36 + 20], 0xCD);
    EXPECT_EQ(Int(36 + 12), 5);
}

TEST_F(EdPcfString, StringListsShareOneElementLength)
{
    Bytes pcf = BuildPcfHeader(true, 1, 13, 1);
    pcf.I32(6).I32(36).I32(3003).I32(0).I32(2).I32(6).Chars("ABCDEF", 6).Chars("GH", 6);
    Load(EdDescriptor("MQADMIN "), pcf);
    /* typing into the full longest element: every element one longer */
    At("'ABCDEF'", 6);
    Type("X");
    EXPECT_EQ(Int(36 + 20), 7);
    EXPECT_EQ(Int(36 + 4), 40);                 /* 24 + 14, to a multiple of 4 */
    EXPECT_EQ(Bytes_(60, 14), "ABCDEFXGH     ");
    EXPECT_EQ(Bytes_(74, 2), std::string(2, '\0'));
    /* deleting the tail of the only longest shrinks to the next longest */
    At("'ABCDEFX'", 2);
    int32_t line = Find("'ABCDEFX'");
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, Line(line)->valueColumn + 7, line);
    Key(VK_DELETE_KEY);
    EXPECT_EQ(Int(36 + 20), 2);
    EXPECT_EQ(Int(36 + 4), 28);
    EXPECT_EQ(Bytes_(60, 4), "ABGH");
    EXPECT_EQ(ed->data.length, 36u + 28u);
    /* room in the trailing blanks: nothing grows */
    Load(EdDescriptor("MQADMIN "), pcf);
    At("'GH", 2);
    Type("IJ");
    EXPECT_EQ(Int(36 + 20), 6);
    EXPECT_EQ(Bytes_(66, 6), "GHIJ  ");
}

TEST_F(EdPcfString, XmlSectionsGrowAndShrinkInFours)
{
    Bytes r = BuildRfh2(true, "MQSTR   ", { "<usr><a>1</a></usr>" });      /* 19 + 1 blank */
    r.Raw("body", 4);
    Load(EdDescriptor("MQHRF2  "), r);
    int32_t rfh = Int(8), section = Int(36);
    ASSERT_EQ(section, 20);
    int32_t one = Find("1");
    for (int32_t i = 0; i < ed->scroll.lineCount; i++)
        if (Line(i)->lineType == LK_XML_TEXT && Text(i).find(" 1") != std::string::npos)
            one = i;
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(one)->valueColumn + 1, one);
    Type("2");                                  /* into the trailing blank */
    EXPECT_EQ(Int(36), 20);
    EXPECT_EQ(Int(8), rfh);
    Type("3");                                  /* no blank left: four more */
    EXPECT_EQ(Int(36), 24);
    EXPECT_EQ(Int(8), rfh + 4);
    EXPECT_EQ(Bytes_(40, 24), "<usr><a>123</a></usr>   ");
    EXPECT_EQ(Bytes_(ed->data.length - 4, 4), "body");
    Type("\b\b");
    EXPECT_EQ(Int(36), 20);
    EXPECT_EQ(Int(8), rfh);
    EXPECT_EQ(Bytes_(40, 20), "<usr><a>1</a></usr> ");
}

TEST_F(EdPcfString, AnEmptySectionAndTheRestAfterAMarkerGrowTheirSection)
{
    /* an empty section, then one whose XML breaks off after a marker */
    Bytes r = BuildRfh2(true, "MQSTR   ", { "", "<a><b>1</b></c>" });
    r.Raw("body", 4);
    Load(EdDescriptor("MQHRF2  "), r);
    int32_t rfh = Int(8);
    int32_t empty = Find("XML Length") + 1;
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(empty)->valueColumn, empty);
    Type("z");
    EXPECT_EQ(Int(36), 4);
    EXPECT_EQ(Bytes_(40, 4), "z   ");
    EXPECT_EQ(Int(44), 16);
    EXPECT_EQ(Int(8), rfh + 4);
    int32_t rest = Find("</c>");
    ASSERT_GE(rest, 0);
    ASSERT_EQ(Line(rest)->field, nullptr);
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(rest)->valueColumn, rest);
    Type("yy");                                 /* one blank left: four more */
    EXPECT_EQ(Int(44), 20);
    EXPECT_EQ(Int(8), rfh + 8);
    EXPECT_EQ(Bytes_(48, 20), "<a><b>1</b>yy</c>   ");
    EXPECT_EQ(Bytes_(ed->data.length - 4, 4), "body");
}
