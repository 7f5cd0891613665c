/* What XML lines carry into the cache: each tag its partner tag's offset,
 * each line its element; and the one notice for a code page that nothing
 * converts, reported after the run, once per code page. */
#include "edtest.h"

struct EdXml : EdFixture {
    int32_t LineAt(uint32_t offset)
    {
        for (int32_t i = 0; i < ed->scroll.lineCount; i++)
            if (Line(i)->element && Line(i)->element->tag == offset)
                return i;
        return -1;
    }
};

TEST_F(EdXml, TagsKnowTheirPartnersAndLinesTheirElement)
{
    const char *xml = "<a><b>x</b><c/><!-- note --></a>";
    Bytes body;
    body.Raw(xml, strlen(xml));
    d.bodyKind = BK_XML;
    d.viewWords[0] &= ~VW_SHOW_MD;
    Load(EdDescriptor("MQSTR   "), body);
    int32_t a = LineAt(0), b = LineAt(3), endB = LineAt(7), c = LineAt(11), note = LineAt(15),
            endA = LineAt(28);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ASSERT_GE(endB, 0);
    ASSERT_GE(c, 0);
    ASSERT_GE(note, 0);
    ASSERT_GE(endA, 0);
    EXPECT_EQ(Line(a)->element->partner, 28u);
    EXPECT_EQ(Line(b)->element->partner, 7u);
    EXPECT_EQ(Line(endB)->element->partner, 3u);
    EXPECT_EQ(Line(endA)->element->partner, 0u);
    EXPECT_EQ(Line(c)->element->partner, FMT_NO_TAG);
    EXPECT_EQ(Line(note)->element->partner, FMT_NO_TAG);
    /* an empty element, a comment: "no partner" in the line flags */
    EXPECT_TRUE(Line(c)->lineFlags & LF_XML_END);
    EXPECT_TRUE(Line(note)->lineFlags & LF_XML_END);
    EXPECT_FALSE(Line(b)->lineFlags & LF_XML_END);
    EXPECT_EQ(Line(b)->element->tagLength, 3u);
    /* the text line belongs to b; its element is b's start tag */
    int32_t x = Find("x");
    ASSERT_EQ(x, b + 1);
    EXPECT_EQ(Line(x)->element->tag, FMT_NO_TAG);
    EXPECT_EQ(Line(x)->element->element, 3u);
    EXPECT_EQ(Line(x)->elementOffset, 3u);
    const FmtTagInfo *e = EdLineElement(ed, Line(x), x);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->tag, 3u);
    EXPECT_EQ(EdLineElement(ed, Line(c), c)->tag, 0u);     /* c lies in a */
}

TEST_F(EdXml, BrokenNestingHasNoPartner)
{
    const char *xml = "<a><b></a>";
    Bytes body;
    body.Raw(xml, strlen(xml));
    d.bodyKind = BK_XML;
    Load(EdDescriptor("MQSTR   "), body);
    int32_t a = LineAt(0), b = LineAt(3);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_EQ(Line(b)->element->partner, FMT_NO_TAG);
    EXPECT_EQ(Line(a)->element->partner, FMT_NO_TAG);
    EXPECT_GE(Find("** XML Badly formed ** Expected end tag </b>"), 0);
}

TEST_F(EdXml, FolderNamesShowNoValueToEdit)
{
    Bytes rfh = BuildRfh2(true, "MQSTR   ", { "<jms><Dst>queue:///Q1</Dst></jms>" });
    d.viewWords[0] |= LR_XML_NAMES;
    Load(EdDescriptor("MQHRF2  "), rfh);
    int32_t jms = Find("JMSProperties:");
    ASSERT_GE(jms, 0);
    EXPECT_EQ(Line(jms)->valueLength, 0);
    ASSERT_NE(Line(jms)->element, nullptr);
    EXPECT_NE(Line(jms)->element->partner, FMT_NO_TAG);
}

TEST_F(EdXml, AMissingCodePageIsReportedOncePerCodePage)
{
    Load(EdDescriptor("MQSTR   ", 4711, 546), EdTextLines(3));
    ASSERT_EQ(rec.missing.size(), 1u);
    EXPECT_EQ(rec.missing[0], 4711u);
    EXPECT_GE(Find("line 00002"), 0);               /* the lines are there all the same */
    d.viewWords[0] ^= VW_SHOW_MD;
    EdBuildLineData(ed, 1);
    Load(EdDescriptor("MQSTR   ", 4711, 546), EdTextLines(3));
    EXPECT_EQ(rec.missing.size(), 1u);
    Load(EdDescriptor("MQSTR   ", 4712, 546), EdTextLines(3));
    EXPECT_EQ(rec.missing.size(), 2u);
    /* code pages of the program's own tables need no notice */
    Load(EdDescriptor("MQSTR   ", 500, 785), EdTextLines(3));
    EXPECT_EQ(rec.missing.size(), 2u);
}
