/* Real bytes: messages put to a stand-in queue with all their context set
 * and got back as the pane receives them, shown line by line. */
#include "edtest.h"
#include "edmq.h"

struct EdStandIn : EdFixture {
    MQIEntryTable table{};
    void SetUp() override
    {
        EdFixture::SetUp();
        table.MQCONN = MQCONN;
        table.MQOPEN = MQOPEN;
        table.MQPUT = MQPUT;
        table.MQGET = MQGET;
        table.MQCLOSE = MQCLOSE;
        table.MQDISC = MQDISC;
    }
    void TearDown() override
    {
        MQSimShutdown();
        EdFixture::TearDown();
    }
};

TEST_F(EdStandIn, ARulesHeaderAndItsXmlFromTheQueue)
{
    Bytes body = BuildRfh2(true, "MQSTR   ", { "<usr><colour>blue</colour><size>7</size></usr>" });
    body.Raw("Body text after the header", 26);
    StandInMessage got;
    ASSERT_EQ(PutAndGet(&table, MQSimRunMqsc, "QMEDIT", body.b, "MQHRF2  ", 1208, 546, &got), "");
    ASSERT_EQ(got.data, body.b);
    Load(got.md, got.data);
    EXPECT_GE(Find(standInApplName), 0);
    EXPECT_GE(Find(standInUserId), 0);
    EXPECT_GE(Find("Rules and Formatting (MQRFH2)"), 0);
    EXPECT_GE(Find("<colour>"), 0);
    int32_t blue = Find("blue");
    ASSERT_GE(blue, 0);
    LINEDATA *l = Line(blue);
    EXPECT_EQ(l->buffer, &ed->data);
    EXPECT_EQ(std::string((const char *)ed->data.data + l->lineOffset, 4), "blue");
    EXPECT_EQ(l->ccsid, 1208u);
    int32_t text = Find("Body text after the header");
    ASSERT_GE(text, 0);
    /* the cursor walks the fields of the real message */
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(text)->valueColumn + 5, text);
    EXPECT_EQ(ed->cursor.digit, 2 * (Line(text)->lineOffset + 5));
    EXPECT_EQ(ed->caretKind, 2u);
    EXPECT_EQ(ConfirmDiscardEdits(&d), 0);
}

TEST_F(EdStandIn, APcfMessageFromTheQueue)
{
    Bytes pcf = BuildPcfHeader(true, 2, 13, 2);
    CfSt(pcf, 2016, "APP.QUEUE");
    CfIn(pcf, 20, 1);
    StandInMessage got;
    ASSERT_EQ(PutAndGet(&table, MQSimRunMqsc, "QMEDIT", pcf.b, "MQADMIN ", 850, 546, &got), "");
    Load(got.md, got.data);
    EXPECT_GE(Find("APP.QUEUE"), 0);
    EXPECT_GE(Find("(MQCFH)"), 0);
    EXPECT_GE(Find("(MQCFIN)"), 0);
}
