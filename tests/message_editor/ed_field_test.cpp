/* Field location: the data address behind a column for each display
 * class, the room numbers leave for one more character, the ends of a
 * field, continued fields and joins, and the limits of open fields, which
 * never reach past the data. */
#include "edtest.h"
#include "fmtint.h"

struct EdField : EdFixture {
    int32_t LineOfType(uint16_t type, int from = 0)
    {
        for (int32_t i = from; i < ed->scroll.lineCount; i++)
            if (Line(i)->lineType == type)
                return i;
        return -1;
    }
};

TEST_F(EdField, EachDisplayClassMapsItsColumnToItsBytes)
{
    d.viewWords[0] |= LR_HEX_CHARLINE;
    std::vector<unsigned char> body(100);
    for (size_t i = 0; i < body.size(); i++)
        body[i] = (unsigned char)(i * 3);
    Load(EdDescriptor("BINARY  ").b, body);
    EdFieldAt at;
    /* hex dump: a blank after each eight digits, address of the digit's byte */
    int32_t dump = LineOfType(LK_DUMP);
    ASSERT_GE(dump, 0);
    LINEDATA *l = Line(dump);
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn + 10, dump, 0, 0, 0), 10);
    EXPECT_EQ(at.digit, 2 * l->lineOffset + 9);
    EXPECT_EQ(at.address, ed->data.data + l->lineOffset + 4);
    EXPECT_EQ(at.lineDigit, 2 * l->lineOffset);
    /* hex pairs counted from the line (MsgId at 48) and its character line */
    int32_t pairs = LineOfType(LK_HEX_PAIRS);
    ASSERT_GE(pairs, 0);
    l = Line(pairs);
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn + 5, pairs, 0, 0, 0), 5);
    EXPECT_EQ(at.digit, 2 * 48u + 5);
    EXPECT_EQ(at.address, ed->descriptor.data + 48 + 2);
    EXPECT_EQ(EdFindField(ed, &at, Line(pairs + 1)->valueColumn + 5, pairs + 1, 0, 0, 0), 5);
    EXPECT_EQ(at.digit, 2 * 48u + 4);
    /* a number: the whole value at its offset (Priority at 40) */
    int32_t number = -1;
    for (int32_t i = 0; i < ed->scroll.lineCount && number < 0; i++)
        if (Line(i)->lineType == FT_INT && Line(i)->lineOffset == 40)
            number = i;
    ASSERT_GE(number, 0);
    l = Line(number);
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn + 1, number, 0, 0, 0), 1);
    EXPECT_EQ(at.address, ed->descriptor.data + 40);
    EXPECT_EQ(at.limit, 4u);
    /* characters: one byte per column (PutApplName at 276) */
    int32_t chars = -1;
    for (int32_t i = 0; i < ed->scroll.lineCount && chars < 0; i++)
        if (Line(i)->lineType == FT_CHAR && Line(i)->lineOffset == 276)
            chars = i;
    ASSERT_GE(chars, 0);
    l = Line(chars);
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn + 3, chars, 0, 0, 0), 3);
    EXPECT_EQ(at.address, ed->descriptor.data + 279);
    EXPECT_EQ(at.digit, 2 * 279u);
    EXPECT_EQ(at.limit, 28u);
}

TEST_F(EdField, NumbersLeaveRoomForOneMoreDigit)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(1));
    int32_t priority = -1;
    for (int32_t i = 0; i < ed->scroll.lineCount && priority < 0; i++)
        if (Line(i)->lineType == FT_INT && Line(i)->lineOffset == 40)
            priority = i;
    ASSERT_GE(priority, 0);
    LINEDATA *l = Line(priority);
    ASSERT_EQ(l->valueLength, 1);                 /* "4" */
    EdFieldAt at;
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn + 1, priority, 0, 0, 0), 1);
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn + 2, priority, 0, 0, 0), -1);
    EXPECT_STREQ(ed->status, "The cursor is not at an input field");
    /* a value of eleven characters leaves none */
    l->valueLength = 11;
    l->textLength = (uint16_t)(l->valueColumn + 11);
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn + 11, priority, 0, 0, 0), -1);
    EXPECT_EQ(EdValueAllowance(FT_INT), 11);
    EXPECT_EQ(EdValueAllowance(FT_UINTH), 11);
    EXPECT_EQ(EdValueAllowance(FT_ENCODING), 8);
    EXPECT_EQ(EdValueAllowance(FT_USHORT), 6);
    EXPECT_EQ(EdValueAllowance(FT_UINT64H), 21);
    EXPECT_EQ(EdValueAllowance(FT_INT8H), 4);
    EXPECT_EQ(EdValueAllowance(FT_PACKED), -1);
    EXPECT_EQ(EdValueAllowance(FT_CHAR), 0);
}

TEST_F(EdField, BeforeTheFieldAndJoinsWithTheLineBefore)
{
    Bytes body;
    body.Raw("first\nsecond", 12);
    Load(EdDescriptor("MQSTR   "), body);
    int32_t second = Find("second");
    ASSERT_GT(second, 0);
    LINEDATA *l = Line(second);
    EdFieldAt at;
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn, second, -1, 0, 0), -1);
    EXPECT_STREQ(ed->status, "Cannot delete befiore the start of the field");
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn, second, -2, 0, 0), -1);
    EXPECT_STREQ(ed->status, "The cursor is not at an input field");
    /* with join: the line end before the line (the body joins lines) */
    EXPECT_TRUE(EdLineContinues(ed, 1, second));
    EXPECT_TRUE(EdCanJoinField(ed, l));
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn, second, -1, 1, 0), 0);
    EXPECT_EQ(at.address, ed->data.data + 5);
    EXPECT_EQ(*at.address, '\n');
    /* a line that continues a field but may not be joined: the last character before */
    body = Bytes();
    std::string longText(150, 'q');
    longText[99] = 'E';
    body.Raw(longText.data(), longText.size());
    Load(EdDescriptor("MQSTR   "), body);
    int32_t last = ed->scroll.lineCount - 1;
    ASSERT_TRUE(EdLineContinues(ed, 1, last));
    l = Line(last);
    uint32_t start = l->lineOffset;
    ed->deferred = 0;
    Bytes text;
    EXPECT_EQ(EdFindField(ed, &at, l->valueColumn, last, -1, 1, 0), Line(last - 1)->valueLength - 1);
    EXPECT_EQ(at.address, ed->data.data + start - 1);
    /* the first line continues nothing, a line of another field nothing,
     * the data's first line not its heading: Backspace there says why */
    EXPECT_FALSE(EdLineContinues(ed, 1, 0));
    EXPECT_FALSE(EdLineContinues(ed, 1, Find("Version")));
    int32_t data = Find("qqqq");
    EXPECT_FALSE(EdLineContinues(ed, 0, data));
    EXPECT_EQ(EdFindField(ed, &at, Line(data)->valueColumn, data, -1, 1, 0), -1);
    EXPECT_STREQ(ed->status, "Cannot delete befiore the start of the field");
}

TEST_F(EdField, OnlyTextFieldsOfJoinableKindsJoin)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(2));
    int32_t text = Find("line 00002");
    EXPECT_TRUE(EdCanJoinField(ed, Line(text)));
    int32_t version = Find("Version");
    EXPECT_FALSE(EdCanJoinField(ed, Line(version)));
    ed->typing = ed->deferred = 1;               /* a deferred value joins anything */
    EXPECT_TRUE(EdCanJoinField(ed, Line(version)));
    ed->typing = ed->deferred = 0;
}

TEST_F(EdField, OpenFieldsAreLimitedByTheirContainerAndTheData)
{
    /* an XML section whose length word claims far more than the data holds */
    Bytes rfh = BuildRfh2(true, "MQSTR   ", { "<usr><a>1</a></usr>" });
    size_t section = 36;
    rfh.Patch32(section, 100000);
    Load(EdDescriptor("MQHRF2  "), rfh);
    int32_t xml = -1;
    for (int32_t i = 0; i < ed->scroll.lineCount && xml < 0; i++)
        if (Line(i)->lineType == LK_XML_TEXT && Line(i)->structure == &FmtDefXmlSection)
            xml = i;
    ASSERT_GE(xml, 0) << "an XML line";
    LINEDATA *l = Line(xml);
    EdFieldAt at;
    ASSERT_GE(EdFindField(ed, &at, l->valueColumn, xml, 0, 0, 0), 0);
    EXPECT_LE(at.limit, ed->data.length - (section + 4));
    /* a length field read outside the data gives 0 and no address */
    unsigned char *address = (unsigned char *)1;
    LINEDATA shifted = *l;
    shifted.structOffset = ed->data.length - 2;
    EXPECT_EQ(EdStructFieldValue(ed, &shifted, FmtDefXmlSection.rows[0].field, &address), 0);
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(EdStructFieldValue(ed, l, FmtDefXmlSection.rows[0].field, &address), 100000);
    EXPECT_EQ(address, ed->data.data + section);
    /* the RFH2's own room: StrucLength less 36, bounded by the data */
    LINEDATA rfhLine = *l;
    rfhLine.structure = &FmtDefMQRFH2;
    rfhLine.structOffset = 0;
    rfhLine.fieldLength = 0;
    rfhLine.field = nullptr;
    rfhLine.lineType = LK_BYTES_DUMP;
    uint32_t strucLength = FmtRd32(ed->data.data + 8, 546);
    ed->cache[xml - ed->cacheFirst] = rfhLine;
    ASSERT_GE(EdFindField(ed, &at, rfhLine.valueColumn, xml, 0, 0, 0), 0);
    EXPECT_EQ(at.limit, strucLength - 36);
}
