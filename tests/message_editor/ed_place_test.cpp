/* The counting pass: a position kept in data terms gets its line and
 * column again by each kind of field, a position between lines goes to
 * the next line's first digit, and the anchor is placed like the cursor. */
#include "edtest.h"

struct EdPlace : EdFixture {
    /* places the cursor at a half-byte of a buffer by a count */
    void PlaceAt(CSDATA *buffer, uint32_t digit, uint8_t kept = 0)
    {
        ed->cursor = EdPosition{};
        ed->cursor.buffer = buffer;
        ed->cursor.digit = digit;
        ed->cursor.valueColumn = kept;
        ed->flush = 1;
        EdBuildLineData(ed, 1);
    }
    int32_t LineOfType(uint16_t type)
    {
        for (int32_t i = 0; i < ed->scroll.lineCount; i++)
            if (Line(i)->lineType == type)
                return i;
        return -1;
    }
    int32_t LineOfOffset(uint16_t type, uint32_t offset)
    {
        for (int32_t i = 0; i < ed->scroll.lineCount; i++) {
            LINEDATA *l = Line(i);
            if (l->lineType == type && l->lineOffset == offset)
                return i;
        }
        return -1;
    }
};

TEST_F(EdPlace, TheNinthDigitOfAHexBodyLineStandsInColumnNine)
{
    std::vector<unsigned char> body(200);
    for (size_t i = 0; i < body.size(); i++)
        body[i] = (unsigned char)i;
    Load(EdDescriptor("BINARY  ").b, body);
    int32_t dump = -1;
    for (int32_t i = 0; i < ed->scroll.lineCount && dump < 0; i++)
        if (Line(i)->lineType == LK_DUMP)
            dump = i;
    ASSERT_GE(dump, 0);
    LINEDATA *l = Line(dump);
    PlaceAt(&ed->data, 2 * l->lineOffset + 8);
    EXPECT_EQ(ed->cursor.line, dump);
    EXPECT_EQ(ed->cursor.column, l->valueColumn + 9);
    EXPECT_EQ(ed->rememberedColumn, ed->cursor.column);
    PlaceAt(&ed->data, 2 * l->lineOffset + 17);
    EXPECT_EQ(ed->cursor.column, l->valueColumn + 19);
    EXPECT_EQ(EdHexNibble(LK_DUMP, 19), 1);
    EXPECT_EQ(EdHexNibble(LK_DUMP, 9), 0);
    /* the second dump line holds the bytes after the first */
    LINEDATA *next = Line(dump + 1);
    PlaceAt(&ed->data, 2 * next->lineOffset);
    EXPECT_EQ(ed->cursor.line, dump + 1);
    EXPECT_EQ(ed->cursor.column, next->valueColumn);
    /* moved there by keys or the mouse, the cursor never stands on the
       blank between two groups, and a count leaves it where it is */
    static const struct { int32_t from; int key; int32_t column; uint32_t digit; } moves[] = {
        { 7, 39, 9, 8 },            /* Right from the eighth digit */
        { 9, 37, 7, 7 },            /* Left from the ninth */
        { 16, 39, 18, 16 },
        { 18, 37, 16, 15 },
        { 8, 0, 9, 8 },             /* a click on the blank */
    };
    for (auto &m : moves) {
        int32_t column = Line(dump)->valueColumn;
        EdMoveCursor(ed, 0, 0, MC_GOTO, column + m.from, dump);
        if (m.key)
            Key(m.key);
        EXPECT_EQ(ed->cursor.column, column + m.column) << m.from << " " << m.key;
        EXPECT_EQ(ed->cursor.digit, 2 * Line(dump)->lineOffset + m.digit) << m.from << " " << m.key;
        ed->flush = 1;
        EdBuildLineData(ed, 1);
        EXPECT_EQ(ed->cursor.column, column + m.column) << m.from << " " << m.key;
    }
}

TEST_F(EdPlace, ADumpsCharactersBesideOrUnderTheirDigits)
{
    std::vector<unsigned char> body(100);
    for (size_t i = 0; i < body.size(); i++)
        body[i] = (unsigned char)('A' + i % 26);
    Load(EdDescriptor("BINARY  ").b, body);
    int32_t dump = LineOfType(LK_DUMP);
    ASSERT_GE(dump, 0);
    LINEDATA *l = Line(dump);
    /* beside the hex, set off by "| ": a click on a character is its byte */
    int32_t chars = l->valueColumn + l->hexColumns + ED_DUMP_GAP;
    std::string t = Text(dump);
    ASSERT_GT((int32_t)t.size(), chars + 3);
    EXPECT_EQ(t.substr(chars - 2, 2), "| ");
    EXPECT_EQ(t[chars + 3], (char)body[l->lineOffset + 3]);
    EdMoveCursor(ed, 0, 0, MC_GOTO, chars + 3, dump);
    EXPECT_EQ(ed->cursor.digit, 2 * (l->lineOffset + 3));

    /* View > Characters: a character line under each hex line, each
       character under its first digit, a blank between groups as the hex */
    d.viewWords[0] |= LR_HEX_CHARLINE;
    Load(EdDescriptor("BINARY  ").b, body);
    dump = LineOfType(LK_DUMP);
    ASSERT_GE(dump, 0);
    LINEDATA *h = Line(dump), *c = Line(dump + 1);
    ASSERT_EQ(c->lineType, LK_DUMP_GCHARS);
    EXPECT_EQ(c->lineOffset, h->lineOffset);
    EXPECT_EQ(c->valueColumn, h->valueColumn);
    EXPECT_EQ(Line(dump + 2)->lineType, LK_DUMP);
    EXPECT_EQ(Line(dump + 2)->lineOffset, h->lineOffset + h->dataLength);
    std::string ht = Text(dump), ct = Text(dump + 1);
    EXPECT_EQ(ht.find('|'), std::string::npos);
    for (uint32_t b : { 0u, 3u, 4u, 9u }) {
        size_t col = (size_t)h->valueColumn + 2 * b + b / 4;
        ASSERT_LT(col, ct.size());
        EXPECT_EQ(ct[col], (char)body[h->lineOffset + b]) << b;
        EXPECT_EQ(ht[col], "0123456789ABCDEF"[body[h->lineOffset + b] >> 4]) << b;
    }
    /* a character typed over one replaces its byte; the cursor goes on to the next */
    uint32_t offset = h->lineOffset;
    int32_t column = c->valueColumn;
    EdFieldAt at;
    EdFindField(ed, &at, column + 9, dump + 1, 0, 0, 0);
    EXPECT_EQ(at.address, ed->data.data + offset + 4);
    ed->insertMode = 0;
    EdMoveCursor(ed, 0, 0, MC_GOTO, column + 9, dump + 1);
    EdCharProc(ed, 'z');
    EXPECT_EQ(ed->data.data[offset + 4], 'z');
    EXPECT_EQ(ed->cursor.digit, 2 * (offset + 5));
}

TEST_F(EdPlace, APositionBetweenLinesGoesToTheNextLinesFirstDigit)
{
    std::string text = "ab\r\ncd";
    Bytes body;
    body.Chars(text.c_str(), text.size());
    Load(EdDescriptor("MQSTR   "), body);
    int32_t ab = Find("ab"), cd = Find("cd");
    ASSERT_GE(ab, 0);
    ASSERT_EQ(cd, ab + 1);
    PlaceAt(&ed->data, 2 * 2);                     /* on the CR: the end of "ab" */
    EXPECT_EQ(ed->cursor.line, ab);
    EXPECT_EQ(ed->cursor.column, Line(ab)->valueColumn + 2);
    PlaceAt(&ed->data, 2 * 3);                     /* on the LF: to the start of "cd" */
    EXPECT_EQ(ed->cursor.line, cd);
    EXPECT_EQ(ed->cursor.digit, 2u * 4);
    EXPECT_EQ(ed->cursor.column, Line(cd)->valueColumn);
    PlaceAt(&ed->data, 2 * 6);                     /* the end of the data */
    EXPECT_EQ(ed->cursor.line, cd);
    EXPECT_EQ(ed->cursor.column, Line(cd)->valueColumn + 2);
}

TEST_F(EdPlace, EachFieldClassHasItsColumn)
{
    d.viewWords[0] |= LR_HEX_CHARLINE;
    Load(EdDescriptor("MQSTR   "), EdTextLines(3));
    /* characters: one column per byte (ReplyToQMgr at 148) */
    int32_t qmgr = LineOfOffset(FT_CHAR, 148);
    ASSERT_GE(qmgr, 0) << "ReplyToQMgr";
    PlaceAt(&ed->descriptor, 2 * 148 + 2 * 2);
    EXPECT_EQ(ed->cursor.line, qmgr);
    EXPECT_EQ(ed->cursor.column, Line(qmgr)->valueColumn + 2);
    /* hex pairs (MsgId at 48): a column per digit (a second digit too, where
       typing fills it), then its character line is left alone */
    int32_t msgId = LineOfOffset(LK_HEX_PAIRS, 48);
    ASSERT_GE(msgId, 0);
    EXPECT_EQ(Line(msgId + 1)->lineType, LK_DUMP_CHARS);
    PlaceAt(&ed->descriptor, 2 * 48 + 5);
    EXPECT_EQ(ed->cursor.line, msgId);
    EXPECT_EQ(ed->cursor.column, Line(msgId)->valueColumn + 5);
    /* a number keeps its column inside the value text (Priority at 40) */
    int32_t priority = LineOfOffset(FT_INT, 40);
    ASSERT_GE(priority, 0);
    PlaceAt(&ed->descriptor, 2 * 40 + 3, 1);
    EXPECT_EQ(ed->cursor.line, priority);
    EXPECT_EQ(ed->cursor.column, Line(priority)->valueColumn + 1);
    /* the anchor is placed by the same count */
    ed->anchor = EdPosition{};
    ed->anchor.buffer = &ed->descriptor;
    ed->anchor.digit = 2 * 148;
    PlaceAt(&ed->data, 0);
    EXPECT_EQ(ed->anchor.line, qmgr);
    EXPECT_EQ(ed->anchor.column, Line(qmgr)->valueColumn);
    EXPECT_EQ(ed->cursor.line, Find("line 00001"));
}

TEST_F(EdPlace, ACursorPastTheLastLineGoesToTheLastLine)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(20));
    ed->cursor.line = ed->scroll.lineCount + 5;
    ed->cursor.column = 7;
    ed->cursor.buffer = nullptr;
    Load(EdDescriptor("MQSTR   "), EdTextLines(2));
    ed->cursor.line = 100;
    ed->flush = 1;
    EdBuildLineData(ed, 1);
    EXPECT_EQ(ed->cursor.line, ed->scroll.lineCount - 1);
    EXPECT_EQ(ed->cursor.column, 0);
}

TEST_F(EdPlace, DigitColumnsOfTheTable)
{
    EXPECT_EQ(EdDigitColumn(FT_HEX, 5, 0, 0), 5);
    EXPECT_EQ(EdDigitColumn(LK_DUMP, 8, 35, 0), 9);
    EXPECT_EQ(EdDigitColumn(LK_DUMP, 32, 35, 0), 35);        /* at most the width */
    EXPECT_EQ(EdDigitColumn(LK_HEX_PAIRS, 7, 0, 0), 7);
    EXPECT_EQ(EdDigitColumn(LK_DUMP_CHARS, 3, 0, 0), 2);
    EXPECT_EQ(EdDigitColumn(FT_CHAR, 7, 0, 0), 3);
    EXPECT_EQ(EdDigitColumn(FT_INT, 7, 0, 4), 4);            /* kept */
    EXPECT_EQ(EdLineDigits(LK_DUMP, 16, 35), 32u);
    EXPECT_EQ(EdLineDigits(FT_HEX, 0, 0), 0u);
    EXPECT_TRUE(EdIsCharType(FT_CHAR));
    EXPECT_TRUE(EdIsCharType(LK_BYTES_PAIRS));
    EXPECT_FALSE(EdIsCharType(FT_INT));
}
