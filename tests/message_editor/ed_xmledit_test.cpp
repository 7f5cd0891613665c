/* XML commands (wrapping, comments, removing, selecting, the partner's
 * name following an edited tag name), partner brackets scanned in the
 * data's code page, and named values chosen for a field. */
#include "edtest.h"
#include "fmtint.h"
#include "prfdata.h"

struct EdXmlEdit : EdFixture {
    uint32_t savedPo;
    void SetUp() override
    {
        EdFixture::SetUp();
        d.viewWords[0] |= LR_XML_DETECT;
        ed->insertMode = 1;
        savedPo = Prf.po[3];
        Prf.po[3] |= 0x80000;                   /* the XML typing aids */
    }
    void TearDown() override
    {
        Prf.po[3] = savedPo;
        EdFixture::TearDown();
    }
    std::string Body() { return std::string((const char *)ed->data.data, ed->data.length); }
    void Xml(const char *text) { Load(EdDescriptor("MQSTR   "), Bytes().Raw(text, strlen(text))); }
    /* the cursor on a column of the (n-th) line that holds the text */
    int32_t At(const char *piece, int column, int nth = 0)
    {
        for (int32_t i = 0; i < ed->scroll.lineCount; i++)
            if (Text(i).find(piece) != std::string::npos && nth-- == 0) {
                EdMoveCursor(ed, 0, 0, MC_GOTO, Line(i)->valueColumn + column, i);
                return i;
            }
        ADD_FAILURE() << piece;
        return -1;
    }
    void Type(const char *text)
    {
        for (const char *c = text; *c; c++)
            EdCharProc(ed, (unsigned char)*c);
    }
    std::string Last() { return rec.statuses.empty() ? "" : rec.statuses.back(); }
    /* the selected bytes of the body */
    std::string Selected()
    {
        if (!EdHasSelection(ed))
            return "<none>";
        uint32_t a = ed->anchor.digit / 2, c = ed->cursor.digit / 2;
        return std::string((const char *)ed->data.data + (a < c ? a : c), a < c ? c - a : a - c);
    }
};

TEST_F(EdXmlEdit, WrappingInATagOrAComment)
{
    Xml("<a>hello</a>");
    int32_t text = At("hello", 0);
    ASSERT_GE(text, 0);
    EdEditCommand(&d, 911);
    EXPECT_EQ(Body(), "<a><></>hello</a>");
    EXPECT_EQ(ed->cursor.digit, 2 * 4u);        /* between "<" and ">" */
    EdUndo(ed, 0);
    EXPECT_EQ(Body(), "<a>hello</a>");
    /* with a selection: "</>" after it, "<>" before it */
    text = At("hello", 1);
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, Line(text)->valueColumn + 4, text);
    EdEditCommand(&d, 911);
    EXPECT_EQ(Body(), "<a>h<>ell</>o</a>");
    EXPECT_FALSE(EdHasSelection(ed));
    EdUndo(ed, 0);
    /* a comment around a selection, and uncommented again */
    text = At("hello", 0);
    EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, Line(text)->valueColumn + 5, text);
    EdEditCommand(&d, 915);
    EXPECT_EQ(Body(), "<a><!-- hello --></a>");
    At("<!--", 0);
    EdEditCommand(&d, 916);
    EXPECT_EQ(Body(), "<a>hello</a>");
    /* a comment with nothing selected */
    At("hello", 0);
    EdEditCommand(&d, 915);
    EXPECT_EQ(Body(), "<a><!--  -->hello</a>");
    EXPECT_EQ(ed->cursor.digit, 2 * 8u);
    /* in the descriptor */
    At("Priority", 0);
    EdEditCommand(&d, 911);
    EXPECT_EQ(Last(), "Cursor is not in message area");
}

TEST_F(EdXmlEdit, RemovingAndSelectingElements)
{
    Xml("<r><a x=\"1\">in<b/></a><!-- c --></r>");
    At("<a", 0);
    EdEditCommand(&d, 912);
    EXPECT_EQ(Selected(), "in<b/>");
    At("<a", 0);
    EdEditCommand(&d, 914);
    EXPECT_EQ(Selected(), "<a x=\"1\">in<b/></a>");
    At("<b/>", 0);
    EdEditCommand(&d, 912);
    EXPECT_EQ(Selected(), "<b/>");
    /* a start tag goes with its end tag, the content stays */
    At("<a", 0);
    EdEditCommand(&d, 917);
    EXPECT_EQ(Body(), "<r>in<b/><!-- c --></r>");
    At("<!--", 0);
    EdEditCommand(&d, 917);
    EXPECT_EQ(Body(), "<r>in<b/></r>");
    EdUndo(ed, 0);
    EdUndo(ed, 0);
    EXPECT_EQ(Body(), "<r><a x=\"1\">in<b/></a><!-- c --></r>");
    /* refusals */
    At("in", 0);
    EdEditCommand(&d, 917);
    EXPECT_EQ(Last(), "Please put the cursor on a tag field");
    At("<a", 0);
    EdEditCommand(&d, 916);
    EXPECT_EQ(Last(), "Cursor is not in an XML command");
}

TEST_F(EdXmlEdit, AnEndTagsNameFollowsItsStartTag)
{
    Xml("<r><abc>x</abc></r>");
    At("<abc>", 4);                             /* after "abc" */
    Type("de");
    EXPECT_EQ(Body(), "<r><abcde>x</abcde></r>");
    Type("\b\b");
    EXPECT_EQ(Body(), "<r><abc>x</abc></r>");
    /* editing the end tag moves the start tag's name along */
    At("</abc>", 5);
    Type("Z");
    EXPECT_EQ(Body(), "<r><abcZ>x</abcZ></r>");
    EdUndo(ed, 0);
    EXPECT_EQ(Body(), "<r><abc>x</abc></r>");
    /* without the typing aids nothing follows */
    Prf.po[3] &= ~0x80000u;
    At("<abc>", 4);
    Type("q");
    EXPECT_EQ(Body(), "<r><abcq>x</abc></r>");
}

TEST_F(EdXmlEdit, PartnerBracketsInTheDatasCodePage)
{
    Load(EdDescriptor("BINARY  "), Bytes().Raw("{a\"}\"(b)[c]}", 12));
    d.viewWords[0] &= ~(uint32_t)LR_XML_DETECT;
    d.viewWords[0] |= VW_RAW_BYTES;
    d.viewWords[0] &= ~(uint32_t)VW_FORMATTED;
    EdBuildLineData(ed, 1);
    auto jump = [&](uint32_t at) {
        ed->cursor.buffer = &ed->data;
        ed->cursor.digit = 2 * at;
        ed->cursor.placed = 0;
        ed->flush = 1;
        EdFlushTyping(ed);
        EdEditCommand(&d, 910);
        return ed->cursor.digit / 2;
    };
    EXPECT_EQ(jump(0), 11u);                    /* the quoted "}" is passed over */
    EXPECT_EQ(jump(11), 0u);
    EXPECT_EQ(jump(5), 7u);
    /* "(" with a stray "]" before its ")" */
    Load(EdDescriptor("BINARY  "), Bytes().Raw("(a]b)", 5));
    rec.statuses.clear();
    EXPECT_EQ(jump(0), 2u);
    EXPECT_EQ(Last(), "Unmatched bracket found");
    Load(EdDescriptor("BINARY  "), Bytes().Raw("(ab", 3));
    EXPECT_EQ(jump(0), 0u);
    EXPECT_EQ(Last(), "Partner tag was not found");
    EXPECT_EQ(jump(1), 1u);
    EXPECT_EQ(Last(), "Please put the cursor on a tag field");
    /* EBCDIC: "(" is 0x4D, ")" 0x5D; the ASCII codes mean nothing there */
    Load(EdDescriptor("BINARY  ", 500, 785), Bytes().Raw("\x4D\x28\x29\x5D", 4));
    EXPECT_EQ(jump(0), 3u);
}

TEST_F(EdXmlEdit, NamedValuesAreListedAndChosen)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(1));
    /* Report holds COA (0x100) and expiration (0x200000) */
    int32_t report = At("Report", 0);
    ed->listLine = report;
    EdEnumList list;
    ASSERT_TRUE(EdEnumValues(ed, 0, &list));
    EXPECT_TRUE(list.several);
    int marked = 0;
    for (uint32_t i = 0; i < list.count; i++)
        marked += list.entries[i].marked;
    EXPECT_EQ(marked, 2);
    EdFreeEnumList(&list);
    /* Shift gives descriptions */
    int32_t type = At("Message Type", 0);
    ed->listLine = type;
    ASSERT_TRUE(EdEnumValues(ed, 0, &list));
    std::string names = list.entries[0].text;
    EdFreeEnumList(&list);
    ASSERT_TRUE(EdEnumValues(ed, 1, &list));
    EXPECT_NE(names, list.entries[0].text);
    EXPECT_STRNE(list.entries[0].text, "");
    /* choosing one writes its value, one undo step */
    std::vector<uint8_t> chosen(list.count, 0);
    uint32_t reply = 0;
    for (uint32_t i = 0; i < list.count; i++)
        if (list.entries[i].value == 2)
            reply = i;
    chosen[reply] = 1;
    ASSERT_TRUE(EdApplyEnumEntries(ed, &list, chosen.data()));
    EXPECT_EQ(FmtRd32(ed->descriptor.data + 12, 546), 2u);
    EdFreeEnumList(&list);
    EdUndo(ed, 0);
    EXPECT_EQ(FmtRd32(ed->descriptor.data + 12, 546), 1u);
    /* two flags give their OR */
    ed->listLine = At("Report", 0);
    ASSERT_TRUE(EdEnumValues(ed, 0, &list));
    chosen.assign(list.count, 0);
    for (uint32_t i = 0; i < list.count; i++)
        if (list.entries[i].value == 0x100 || list.entries[i].value == 0x800)
            chosen[i] = 1;
    ASSERT_TRUE(EdApplyEnumEntries(ed, &list, chosen.data()));
    EXPECT_EQ(FmtRd32(ed->descriptor.data + 8, 546), 0x900u);
    EdFreeEnumList(&list);
    /* a character field of over 200 bytes has no hover box; none without a table */
    LINEDATA big = {};
    FmtFieldDef f = { "Big", FT_CHAR, 256, FmtLinks.reasons, 0, 0, 0, nullptr, 0 };
    big.field = &f;
    EXPECT_FALSE(EdFieldOffersValues(&big, 1));
    EXPECT_TRUE(EdFieldOffersValues(&big, 0));
    ed->listLine = At("Backout", 0);
    EXPECT_FALSE(EdEnumValues(ed, 0, &list));
}
