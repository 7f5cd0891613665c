/* Typing and deleting by field type: values through the typing buffer
 * (canonical text, pending text, deferred fields, byte order), hex digits
 * in fixed fields, line ends as one unit, the selection, the questions
 * before an edit and the status texts of refused edits. */
#include "edtest.h"
#include "cscodepage.h"
#include "fmtint.h"
#include "prfdata.h"

enum { VK_DOWN_KEY = 40, VK_DELETE_KEY = 46 };

struct EdTyping : EdFixture {
    void SetUp() override
    {
        EdFixture::SetUp();
        ed->insertMode = 1;
        savedPo = Prf.po[1];
        savedOpt = Prf.opt1;
        savedCo = Prf.co;
        Prf.co = 0;
    }
    void TearDown() override
    {
        Prf.po[1] = savedPo;
        Prf.opt1 = savedOpt;
        Prf.co = savedCo;
        EdFixture::TearDown();
    }
    uint32_t savedPo, savedOpt, savedCo;
    /* the cursor at a column of the value of the first line holding the text */
    int32_t Goto(const char *piece, int column = 0, int from = 0)
    {
        int32_t line = -1;
        for (int32_t i = from; i < ed->scroll.lineCount && line < 0; i++)
            if (Text(i).find(piece) != std::string::npos)
                line = i;
        EXPECT_GE(line, 0) << piece;
        if (line < 0)
            return -1;
        EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn + column, line);
        return line;
    }
    void Type(const char *text)
    {
        for (const char *c = text; *c; c++)
            EdCharProc(ed, (unsigned char)*c);
    }
    int32_t Md32(uint32_t at) { return (int32_t)FmtRd32(ed->descriptor.data + at, 546); }
    std::string Body() { return std::string((const char *)ed->data.data, ed->data.length); }
    std::string Last() { return rec.statuses.empty() ? "" : rec.statuses.back(); }
    /* a selection from one column and line to another */
    void Select(int32_t line1, int32_t column1, int32_t line2, int32_t column2)
    {
        EdMoveCursor(ed, 0, 0, MC_GOTO, column1, line1);
        EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, column2, line2);
    }
};

TEST_F(EdTyping, ValuesAreStoredWhenTheirTextIsCanonical)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(2));
    ASSERT_EQ(Md32(40), 4);                     /* Priority */
    Goto("Priority");
    Type("-");
    EXPECT_EQ(Md32(40), -4);
    EXPECT_FALSE(ed->typing);
    EXPECT_NE(Text(ed->cursor.line).find(": -4"), std::string::npos) << Text(ed->cursor.line);
    EdUndo(ed, 0);
    EXPECT_EQ(Md32(40), 4);
    /* a leading zero and a plus sign keep the text pending */
    Goto("Priority");
    Type("0");
    EXPECT_TRUE(ed->typing);
    EXPECT_STREQ((const char *)ed->typed.data, "04");
    EXPECT_EQ(Md32(40), 4);
    Type("\b");
    EXPECT_FALSE(ed->typing);
    Goto("Priority");
    Type("+");
    EXPECT_TRUE(ed->typing);
    Key(VK_DOWN_KEY);
    EXPECT_FALSE(ed->typing);
    EXPECT_EQ(Md32(40), 4);
    /* a letter is refused */
    Goto("Priority");
    Type("x");
    EXPECT_EQ(Last(), "Character is not valid for this type of field");
    /* an empty text asks for a value and stays pending */
    Goto("Priority", 1);
    Type("\b");
    EXPECT_EQ(Last(), "Please enter a value for the field");
    EXPECT_TRUE(ed->typing);
    EXPECT_EQ(Md32(40), 4);
}

TEST_F(EdTyping, AMinusTypedIntoABigEndianValueIsWrittenBigEndian)
{
    Bytes pcf = BuildPcfHeader(false, 2, 13, 1);
    CfIn(pcf, 20, 5);
    Load(EdDescriptor("MQADMIN ", 850, 273), pcf);
    int32_t line = Goto("Value ");
    ASSERT_GE(line, 0);
    Type("-");
    uint32_t at = Line(line)->lineOffset;
    EXPECT_EQ(FmtRd32(ed->data.data + at, 273), (uint32_t)-5);
    EXPECT_EQ(ed->data.data[at], 0xFF);
    /* and in a little-endian message little-endian */
    Bytes le = BuildPcfHeader(true, 2, 13, 1);
    CfIn(le, 20, 5);
    Load(EdDescriptor("MQADMIN "), le);
    line = Goto("Value ");
    Type("-");
    EXPECT_EQ(FmtRd32(ed->data.data + Line(line)->lineOffset, 546), (uint32_t)-5);
}

TEST_F(EdTyping, ValueTextsAreCheckedByTheirWidth)
{
    FmtFieldDef f = { "V", FT_INT8, 1, nullptr, 0, 0, 0, nullptr, 0 };
    LINEDATA l = {};
    l.field = &f;
    struct { uint16_t type; const char *text; int valid; } rows[] = {
        { FT_INT8, "127", 1 }, { FT_INT8, "-128", 1 }, { FT_INT8, "200", 0 }, { FT_UINT8, "255", 1 },
        { FT_UINT8, "256", 0 }, { FT_SHORT, "32768", 0 }, { FT_SHORT, "-32768", 1 }, { FT_INT, "007", 0 },
        { FT_INT, "2147483648", 0 }, { FT_UINT, "4294967295", 1 }, { FT_INT64, "-9223372036854775808", 1 },
        { FT_UINT64, "-1", 0 }, { FT_FLAGS, "0000001F", 1 }, { FT_FLAGS, "1G", 0 },
        { FT_ENCODING, "0x'1234'", 1 }, { FT_DOUBLE, "1.5", 1 }, { FT_DOUBLE, "1.50", 0 },
        { FT_TIME32, "12:30:00 31/01/2024", 1 }, { FT_TIME32, "25:00:00 31/01/2024", 0 }, { FT_INT, "", 0 },
    };
    for (auto &r : rows) {
        f.type = r.type;
        f.length = EdValueWidth(&f) ? EdValueWidth(&f) : 4;
        f.digits = r.type == FT_TIME32 ? 1 : 0;
        EXPECT_EQ(EdValueTextValid(&l, r.text, (uint32_t)strlen(r.text)), r.valid) << r.type << " " << r.text;
    }
}

TEST_F(EdTyping, FloatsAreWrittenInTheFieldsFloatEncoding)
{
    unsigned char b[8];
    EdPutFloat(b, 4, 1.5, 0x222);               /* IEEE reversed */
    EXPECT_EQ(memcmp(b, "\x00\x00\xC0\x3F", 4), 0);
    EdPutFloat(b, 4, 1.5, 0x111);               /* IEEE normal */
    EXPECT_EQ(memcmp(b, "\x3F\xC0\x00\x00", 4), 0);
    EdPutFloat(b, 4, 1.5, 0x311);               /* S/390 */
    EXPECT_EQ(memcmp(b, "\x41\x18\x00\x00", 4), 0);
    EdPutFloat(b, 8, -2.0, 0x222);
    EXPECT_EQ(memcmp(b, "\x00\x00\x00\x00\x00\x00\x00\xC0", 8), 0);
    FmtFieldDef f = { "F", FT_FLOAT, 4, nullptr, 0, 0, 0, nullptr, 0 };
    for (uint32_t enc : { 0x222u, 0x111u, 0x311u }) {
        EdPutFloat(b, 4, 1.5, enc);
        EXPECT_EQ(FapGetFieldFloat(&f, b, enc), 1.5) << std::hex << enc;
    }
}

TEST_F(EdTyping, ADeferredFieldIsStoredOnEnter)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(2));
    int32_t line = Goto("MQEncoding", 3);      /* inside 0x'222' */
    ASSERT_GE(line, 0);
    Type("1");
    EXPECT_TRUE(ed->typing);
    EXPECT_TRUE(ed->deferred);
    EXPECT_EQ(Md32(24), 0x222);
    Type("\r");
    EXPECT_FALSE(ed->typing);
    EXPECT_EQ(Md32(24), 0x1222);
    EdUndo(ed, 0);
    EXPECT_EQ(Md32(24), 0x222);
}

TEST_F(EdTyping, HexDigitsInAFixedFieldShiftIntoTrailingZeros)
{
    Bytes md = EdDescriptor("MQSTR   ");
    md.b[72] = 0x12;                            /* CorrelId 12 34 00 .. 00 */
    md.b[73] = 0x34;
    Load(md, EdTextLines(1));
    int32_t correl = Goto("Correl. Id");
    ASSERT_GE(correl, 0);
    int32_t pairs = correl;
    while (Line(pairs)->lineType != LK_HEX_PAIRS)
        pairs++;
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(pairs)->valueColumn, pairs);
    Type("A");
    EXPECT_EQ(ed->descriptor.data[72], 0xA1);
    EXPECT_EQ(ed->descriptor.data[73], 0x23);
    EXPECT_EQ(ed->descriptor.data[74], 0x40);
    EXPECT_EQ(ed->descriptor.length, 364u);
    EXPECT_EQ(ed->cursor.digit, 2 * 72u + 1);
    /* on a second digit that is not 0 */
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(pairs)->valueColumn + 1, pairs);
    Type("B");
    EXPECT_EQ(Last(), "Cannot insert because the second nibble of the byte is not zero");
    EXPECT_EQ(ed->descriptor.data[72], 0xA1);
    /* a field whose last digit is not 0 is full (MsgId ends in 01) */
    int32_t msgid = Goto("Msg Id");
    while (Line(msgid)->lineType != LK_HEX_PAIRS)
        msgid++;
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(msgid)->valueColumn, msgid);
    Type("C");
    EXPECT_EQ(Last(), "The current field is full");
    /* overtype replaces a digit */
    ed->insertMode = 0;
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(msgid)->valueColumn, msgid);
    Type("F");
    EXPECT_EQ(ed->descriptor.data[48], 0xF1);   /* 'A' = 0x41 */
    /* deleting shifts the later digits left and fills 0 */
    ed->insertMode = 1;
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(pairs)->valueColumn, pairs);
    Key(VK_DELETE_KEY);
    EXPECT_EQ(ed->descriptor.data[72], 0x12);
    EXPECT_EQ(ed->descriptor.data[73], 0x34);
    EXPECT_EQ(ed->descriptor.data[95], 0x00);
}

/* Delete and Backspace in the hex body take one digit, then the pair's
 * other digit in a second step: at the same place (before it at the
 * data's end) or one further back, over the blank between two groups of
 * eight digits; one key is one undo step.  A digit typed in insert mode
 * first opens a byte whose second digit is only a placeholder: Backspace
 * takes the typed digit with it, Delete the data's next digit, and every
 * later digit keeps its place. */
TEST_F(EdTyping, HexDigitsOfTheBodyAreDeletedInPairs)
{
    static const struct {
        int digit;                  /* the cursor's, in column digit + digit / 8 */
        const char *typed;
        int key;
        const char *then;
        std::string after;
        int steps;                  /* undo steps back to the loaded bytes */
    } cases[] = {
        { 0, "", VK_DELETE_KEY, "", std::string("\x34\x56\x78\x9A\xBC", 5), 1 },
        { 1, "", VK_DELETE_KEY, "", std::string("\x14\x56\x78\x9A\xBC", 5), 1 },  /* the 2 and the 3 */
        { 11, "", VK_DELETE_KEY, "", std::string("\x12\x34\x56\x78\x9A", 5), 1 }, /* C, then B */
        { 2, "", '\b', "", std::string("\x34\x56\x78\x9A\xBC", 5), 1 },
        { 3, "", '\b', "", std::string("\x14\x56\x78\x9A\xBC", 5), 1 },
        { 8, "", '\b', "", std::string("\x12\x34\x56\x9A\xBC", 5), 1 },          /* 8, then 7 */
        { 9, "", '\b', "", std::string("\x12\x34\x56\x7A\xBC", 5), 1 },          /* 9, then 8 */
        { 10, "", '\b', "", std::string("\x12\x34\x56\x78\xBC", 5), 1 },
        { 0, "D", '\b', "", std::string("\x12\x34\x56\x78\x9A\xBC", 6), 2 },
        { 0, "D", '\b', "E", std::string("\xE0\x12\x34\x56\x78\x9A\xBC", 7), 3 },
        { 8, "D", '\b', "", std::string("\x12\x34\x56\x78\x9A\xBC", 6), 2 },
        { 12, "D", '\b', "", std::string("\x12\x34\x56\x78\x9A\xBC", 6), 2 },    /* at the end */
        { 0, "D", VK_DELETE_KEY, "", std::string("\xD2\x34\x56\x78\x9A\xBC", 6), 2 },
        { 2, "D", VK_DELETE_KEY, "E", std::string("\x12\xD4\x56\x78\x9A\xBC", 6), 2 }, /* E refused */
    };
    const std::string body("\x12\x34\x56\x78\x9A\xBC", 6);
    Load(EdDescriptor("BINARY  "), Bytes().Raw(body.data(), body.size()));
    int32_t dump = 0;
    while (dump < ed->scroll.lineCount && Line(dump)->lineType != LK_DUMP)
        dump++;
    ASSERT_LT(dump, ed->scroll.lineCount);
    for (auto &c : cases) {
        EdMoveCursor(ed, 0, 0, MC_GOTO, Line(dump)->valueColumn + c.digit + c.digit / 8, dump);
        Type(c.typed);
        if (c.key == VK_DELETE_KEY)
            Key(VK_DELETE_KEY);
        else
            Type("\b");
        EXPECT_FALSE(ed->editFlags & EF_HALF_BYTE) << c.digit << " " << c.typed;
        Type(c.then);
        EXPECT_EQ(Body(), c.after) << c.digit << " " << c.typed << " " << c.key << " " << Last();
        int steps = 0;
        for (; EdCanUndo(ed) && steps < 9; steps++)
            EdUndo(ed, 0);
        EXPECT_EQ(Body(), body) << c.digit << " " << c.typed << " " << c.key;
        EXPECT_EQ(steps, c.steps) << c.digit << " " << c.typed << " " << c.key;
    }
}

TEST_F(EdTyping, ALineEndIsDeletedAsOneUnit)
{
    Load(EdDescriptor("MQSTR   "), Bytes().Raw("ab\r\ncd\nef", 9));
    int32_t first = Find("ab");
    EdMoveCursor(ed, 0, 0, MC_GOTO, 2, first);
    Key(VK_DELETE_KEY);
    EXPECT_EQ(Body(), "abcd\nef");
    EdUndo(ed, 0);
    EXPECT_EQ(Body(), "ab\r\ncd\nef");
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, Find("cd"));
    Type("\b");
    EXPECT_EQ(Body(), "abcd\nef");
    /* a lone line feed */
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, Find("ef"));
    Type("\b");
    EXPECT_EQ(Body(), "abcdef");
    /* Delete at the data's end */
    int32_t last = ed->scroll.lineCount - 1;
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(last)->valueColumn + Line(last)->valueLength, last);
    Key(VK_DELETE_KEY);
    EXPECT_EQ(Last(), "Cannot delete beyond end of data");
    EXPECT_EQ(Body(), "abcdef");
}

TEST_F(EdTyping, TheSelectionIsCutToItsFields)
{
    Bytes md = EdDescriptor("MQSTR   ");
    Load(md, EdTextLines(3));
    ASSERT_NE(Md32(12), 8);                     /* MsgType 1 */
    /* across descriptor fields: the default descriptor's bytes */
    int32_t report = Find("Report"), prio = Find("Priority");
    Select(report, Line(report)->valueColumn, prio, Line(prio)->valueColumn + 1);
    ASSERT_TRUE(EdHasSelection(ed));
    Key(VK_DELETE_KEY);
    EXPECT_EQ(Md32(12), 8);
    EXPECT_EQ(Md32(16), -1);
    EXPECT_EQ(Md32(40), -1);
    EXPECT_EQ(ed->descriptor.length, 364u);
    EXPECT_FALSE(EdHasSelection(ed));
    EdUndo(ed, 0);
    EXPECT_EQ(Md32(12), 1);
    /* inside the body: the range goes */
    int32_t body = Find("line 00002");
    Select(body, 2, body, 8);
    Key(VK_DELETE_KEY);
    EXPECT_EQ(Body(), "line 00001\nli02\nline 00003");
    /* across PCF fields: refused, nothing changes */
    Bytes pcf = BuildPcfHeader(true, 1, 13, 2);
    CfIn(pcf, 20, 5);
    CfSt(pcf, 2016, "APP.Q");
    Load(EdDescriptor("MQADMIN "), pcf);
    std::string before = Body();
    int32_t value = Find("Value "), string = Find("'APP.Q'");
    Select(value, Line(value)->valueColumn, string, Line(string)->valueColumn + 2);
    Key(VK_DELETE_KEY);
    EXPECT_EQ(Last(), "Selection area spans multiple fields");
    EXPECT_EQ(Body(), before);
    /* lines without fields only */
    int32_t heading = Find("Integer (MQCFIN)");
    Select(heading, 0, heading, 3);
    EXPECT_FALSE(EdDeleteSelection(&d, ed, 0));
    EXPECT_EQ(Body(), before);
}

TEST_F(EdTyping, TheQuestionsBeforeAnEdit)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(1));
    int32_t body = Find("line 00001");
    /* character substitution mode: asked once, no stops */
    d.viewWords[1] |= LO_DECODE_ENTITIES;
    rec.answer = 0;
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, body);
    Type("X");
    ASSERT_EQ(rec.questions.size(), 1u);
    EXPECT_NE(rec.questions[0].find("Character Substitution Mode"), std::string::npos);
    EXPECT_EQ(Body(), "line 00001");
    rec.answer = 1;
    Type("X");
    Type("Y");
    EXPECT_EQ(rec.questions.size(), 2u);
    EXPECT_EQ(Body(), "XYline 00001");
    d.viewWords[1] &= ~LO_DECODE_ENTITIES;
    /* a converted message */
    d.markFlags |= DM_CONVERTED;
    rec.answer = 0;
    Type("Z");
    EXPECT_NE(rec.questions.back().find("has been converted"), std::string::npos);
    EXPECT_EQ(Body(), "XYline 00001");
    d.markFlags &= ~DM_CONVERTED;
    /* a partial message: the whole one is asked for, the edit refused */
    int fetched = 0;
    static int *fetchCount;
    fetchCount = &fetched;
    edHost.fetchWhole = [](DialogWords *) { (*fetchCount)++; };
    d.statusFlags |= DS_TRUNCATED;
    rec.answer = 1;
    size_t statuses = rec.statuses.size();
    Type("Z");
    EXPECT_NE(rec.questions.back().find("entire message"), std::string::npos);
    EXPECT_EQ(fetched, 1);
    EXPECT_EQ(Body(), "XYline 00001");
    EXPECT_EQ(rec.statuses.size(), statuses);  /* quiet: nothing to report */
    d.statusFlags &= ~DS_TRUNCATED;
    edHost.fetchWhole = nullptr;
    /* expert-only fields */
    Prf.opt1 &= ~0x200000u;
    Goto("StrucId");
    Type("X");
    EXPECT_EQ(Last(), "To edit this field you need to be expert mode");
    Prf.opt1 |= 0x200000u;
    ed->insertMode = 0;
    Goto("StrucId");
    Type("N");
    EXPECT_EQ(memcmp(ed->descriptor.data, "ND  ", 4), 0);
}

TEST_F(EdTyping, RefusedEditsSayWhy)
{
    Bytes md = EdDescriptor("MQSTR   ");
    Load(md, EdTextLines(2));
    struct { const char *line; int column; const char *keys; int insert; const char *status; } rows[] = {
        { "Reply Queue", 0, "\r", 1, "Newline character is not valid for this type of field" },
        { "Expiry", 0, "a", 1, "Character is not valid for this type of field" },
    };
    for (auto &r : rows) {
        ed->insertMode = (uint32_t)r.insert;
        int32_t line = Goto(r.line);
        EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn + r.column, line);
        rec.statuses.clear();
        Type(r.keys);
        EXPECT_EQ(Last(), r.status) << r.line;
    }
    ed->insertMode = 1;
    /* a full fixed text field */
    int32_t reply = Goto("Reply Queue");
    for (int i = 0; i < 48; i++)
        Type("Q");
    EXPECT_NE(Text(reply).find("QQREPLY.Q'"), std::string::npos) << Text(reply);
    EXPECT_EQ(Last(), "The current field is full");
    /* time stamps: refused while local time is shown, else as any full field */
    for (uint32_t local : { (uint32_t)PO2_LOCAL_TIMES, 0u }) {
        Prf.po[1] = (Prf.po[1] & ~(uint32_t)PO2_LOCAL_TIMES) | local;
        Load(md, EdTextLines(2));
        rec.statuses.clear();
        Goto("Put Date");
        Type("2");
        EXPECT_EQ(Last(), local ? "Cannot edit time or date field while local time displayed"
                                : "The current field is full") << local;
    }
    /* a character the field's code page lacks */
    Load(EdDescriptor("MQSTR   ", 500, 785), Bytes().Raw("\xC1\xC2", 2));
    int32_t body = ed->scroll.lineCount - 1;
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, body);
    Type("\xB0");
    EXPECT_NE(Last().find("Character not valid in"), std::string::npos) << Last();
    EXPECT_EQ(ed->data.length, 2u);
    Type("A");
    EXPECT_EQ(ed->data.data[0], 0xC1);        /* EBCDIC 'A' */
    EXPECT_EQ(ed->data.length, 3u);
    /* no data to delete in an empty body */
    Load(EdDescriptor("MQSTR   "), Bytes());
    EdMoveCursor(ed, 0, 0, MC_GOTO, 100, ed->scroll.lineCount - 1);
    Key(VK_DELETE_KEY);
    EXPECT_EQ(Last(), "There is no data to delete");
    (void)reply;
}

/* A short value typed into a blank fixed text field (the descriptor's
 * Reply QMgr, emptied): the cursor stays after the value as it grows,
 * never wandering off into the fields below. */
TEST_F(EdTyping, AValueTypedIntoABlankFixedFieldGrowsInPlace)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(2));
    std::string user = Text(Goto("User Id"));
    int32_t line = Goto("Reply QMgr");
    ASSERT_GE(line, 0);
    while (Text(line).find("''") == std::string::npos && Line(line)->valueLength > 0)
        Key(VK_DELETE_KEY);
    ASSERT_NE(Text(line).find("''"), std::string::npos) << Text(line);
    Type("QM.TWO");
    EXPECT_EQ(ed->cursor.line, line);
    EXPECT_NE(Text(line).find("'QM.TWO'"), std::string::npos) << Text(line);
    EXPECT_EQ(Text(Goto("User Id")), user);
}
