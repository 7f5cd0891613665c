/* Reply processing with replies made byte by byte: a display into the data
 * area, a command's end messages, replies of records gone or of an
 * earlier record, the texts of error replies and what cannot be read of
 * them, 3008, 3003 and 2035, a list answered by an error, the Queue
 * Manager display merged with its status in either order, a purge while
 * a reply is handled, a dialog closed with a command in flight, and the
 * time-stamp texts. */
#include "cmdtest.h"

#include <cstring>
#include <thread>

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"

using namespace cmdtest;

namespace {

struct Replies : CmdFixture {
    Loc qm{ "QMREPLY" };
    void SetUp() override
    {
        CmdFixture::SetUp();
        hooks.swallow = 1;
    }
    /* Sends the dialog's action; its key. */
    CMDKEY Send(TestDialog &d, uint32_t action)
    {
        size_t before = hooks.sent.size();
        PCFDoCommand(d.d, 0, 1, action, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
        EXPECT_EQ(hooks.sent.size(), before + 1);
        return hooks.sent.back().key;
    }
    /* The messages to a dialog, in order. */
    std::vector<uint32_t> Messages(DialogWords *d)
    {
        std::vector<uint32_t> out;
        for (const DlgMsg &m : hooks.messages)
            if (m.dialog == d)
                out.push_back(m.message);
        return out;
    }
};

TEST_F(Replies, ADisplayFillsTheDataAreaAndEnds)
{
    TestDialog q(&PCFQueueDef, &qm);
    q.Set(MQCA_Q_NAME, "APP.ONE");
    CMDKEY key = Send(q, 1);
    hooks.messages.clear();
    Feed(&qm, key, Reply(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "APP.ONE", 41).Int(MQIA_Q_TYPE, 1)
                       .Str(MQCA_Q_DESC, "first queue").Int(MQIA_MAX_Q_DEPTH, 4000));
    hooks.Pump();
    EXPECT_EQ(q.Value(MQCA_Q_DESC), "first queue");
    EXPECT_EQ(q.Value(MQIA_MAX_Q_DEPTH), "4,000");
    EXPECT_EQ(hooks.statuses.back().text, "Display refreshed");
    EXPECT_EQ(hooks.statuses.back().kind, (uint32_t)SK_LAST);
    EXPECT_EQ(q->first.lastAnswered, key.sequence);
    EXPECT_EQ(Messages(q.d), (std::vector<uint32_t>{ UM_PCF_UPDATE_DIALOG, UM_PCF_UPDATE_DIALOG }));
    EXPECT_EQ(hooks.messages.back().lParam, 1);        /* a good reply: no 10002 */
    EXPECT_EQ(IfcmdCount(), 0);
    /* a late reply of the record gone changes nothing */
    size_t statuses = hooks.statuses.size();
    Feed(&qm, key, Reply(MQCMD_INQUIRE_Q).Str(MQCA_Q_DESC, "late"));
    hooks.Pump();
    EXPECT_EQ(q.Value(MQCA_Q_DESC), "first queue");
    EXPECT_EQ(hooks.statuses.size(), statuses);
}

TEST_F(Replies, RepliesOfAnEarlierRecordAndShortRepliesAreCountedOnly)
{
    TestDialog q(&PCFQueueDef, &qm);
    q.Set(MQCA_Q_NAME, "APP.ONE");
    CMDKEY key = Send(q, 1);
    IFCMD *r = IfcmdHold((const uint8_t *)&key);
    IfcmdLetGo(r);
    CMDKEY stale = key;
    stale.created++;
    Feed(&qm, stale, Reply(MQCMD_INQUIRE_Q).Str(MQCA_Q_DESC, "stale"));
    stale = key;
    stale.serial++;
    Feed(&qm, stale, Reply(MQCMD_INQUIRE_Q).Str(MQCA_Q_DESC, "stale"));
    Reply full = Reply(MQCMD_INQUIRE_Q).Str(MQCA_Q_DESC, "short");
    for (size_t n : { (size_t)0, (size_t)4, (size_t)35 }) {
        MQMD md = ReplyMd(key);
        std::string part = full.data.substr(0, n);
        uint8_t *block = (uint8_t *)CSGetMem(n ? n : 1, "TESTREPLY");
        memcpy(block, part.data(), n);
        ProcessResponse(&qm, 0, &md, n ? block : nullptr, (uint32_t)n);
        CSFreeMem(block);
    }
    hooks.Pump();
    EXPECT_EQ(r->otherReplies, 5u);
    EXPECT_EQ(r->complete, 0u);
    EXPECT_EQ(q.Value(MQCA_Q_DESC), "");
    EXPECT_EQ(IfcmdCount(), 1);
}

TEST_F(Replies, TheTextsOfErrorReplies)
{
    TestDialog q(&PCFQueueDef, &qm);
    q.Set(MQCA_Q_NAME, "APP.X");
    const std::string unknown = MQReasonText(MQRC_UNKNOWN_OBJECT_NAME);
    struct Case {
        Reply reply;
        std::string text;
        uint32_t kind;
    } cases[] = {
        { Reply(MQCMD_INQUIRE_Q, true, MQRC_UNKNOWN_OBJECT_NAME), "'APP.X':" + unknown, SK_ERROR },
        { Reply(MQCMD_INQUIRE_Q, true, 999999), "'APP.X':Command Failed. Reason = 999999", SK_ERROR },
        { Reply(MQCMD_INQUIRE_Q, true, MQRCCF_OBJECT_NAME_ERROR).Int(1012, MQCA_Q_NAME).Int(1018, 4),
          "'APP.X':" + std::string(MQReasonText(MQRCCF_OBJECT_NAME_ERROR)) + " Offset 4.", SK_ERROR },
        { Reply(MQCMD_INQUIRE_Q, true, MQRCCF_CFIN_PARM_ID_ERROR).Int(1014, MQCA_Q_DESC),
          "'APP.X':" + std::string(MQReasonText(MQRCCF_CFIN_PARM_ID_ERROR)) + " Parameter " +
              MQParmDesc(MQCA_Q_DESC) + ".", SK_ERROR },
        { Reply(MQCMD_INQUIRE_Q, true, MQRCCF_ATTR_VALUE_ERROR).Int(1013, 77),
          "'APP.X':" + std::string(MQReasonText(MQRCCF_ATTR_VALUE_ERROR)) + " Reason(77)", SK_ERROR },
        { Reply(MQCMD_INQUIRE_Q, true, MQRC_UNKNOWN_OBJECT_NAME).Int(2, 1208),
          "'APP.X':" + unknown + " CCSID = 1208.", SK_ERROR },
        { Reply(MQCMD_INQUIRE_Q, true, 3007).Str(MYPCFA_ERROR_MESSAGE, "said the agent"), "said the agent", SK_ERROR },
        { Reply(MQCMD_INQUIRE_Q, true, MYRC_INFORMATION).Str(MYPCFA_INFO_MESSAGE, "for your information"),
          "for your information", SK_INFO },
        { Reply(MQCMD_INQUIRE_Q, true, 3008).Int(1017, 1).Str(3014, "escaped  "), "", 0 },
        { Reply(MQCMD_INQUIRE_Q, true, 3006).Int(1017, 1).Str(3014, "escaped  "), "escaped", SK_ERROR },
        { Reply(MQCMD_INQUIRE_Q, true, MQRC_UNKNOWN_OBJECT_NAME).Int(4242, 1), "'APP.X':" + unknown, SK_ERROR },
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.text);
        CMDKEY key = Send(q, 1);
        hooks.statuses.clear();
        hooks.messages.clear();
        Feed(&qm, key, c.reply);
        hooks.Pump();
        std::vector<std::string> texts = hooks.Texts(q.d);
        if (c.text.empty()) {                              /* 3008: nothing further */
            EXPECT_TRUE(texts.empty());
        } else {
            ASSERT_FALSE(texts.empty());
            EXPECT_EQ(texts.back(), c.text);
            EXPECT_EQ(hooks.statuses.back().kind, c.kind);
        }
        /* only error replies: 10002 (sent, the command code) before 10004 */
        EXPECT_EQ(Messages(q.d), (std::vector<uint32_t>{ UM_PCF_REPLY_DONE, UM_PCF_UPDATE_DIALOG }));
        EXPECT_EQ(hooks.messages[0].send, 1);
        EXPECT_EQ(hooks.messages[0].lParam, MQCMD_INQUIRE_Q);
    }
    /* what cannot be read ends the decoding: a parameter running past the
     * end, or one shorter than its fixed part */
    Reply bad = Reply(MQCMD_INQUIRE_Q, true, MQRC_UNKNOWN_OBJECT_NAME).Int(1018, 9).Str(MYPCFA_ERROR_MESSAGE, "lost");
    bad.Put32At(36 + 16 + 4, 4000);
    CMDKEY key = Send(q, 1);
    Feed(&qm, key, bad);
    EXPECT_EQ(hooks.LastText(q.d), "'APP.X':" + unknown + " Offset 9.");
    Reply tiny = Reply(MQCMD_INQUIRE_Q, true, MQRC_UNKNOWN_OBJECT_NAME).Put({ MQCFT_STRING, 12, 10050, 0 });
    key = Send(q, 1);
    Feed(&qm, key, tiny);
    EXPECT_EQ(hooks.LastText(q.d), "'APP.X':" + unknown);
    EXPECT_EQ(IfcmdCount(), 0);
}

TEST_F(Replies, TheSwitchToMqscAndTheNotAuthorisedList)
{
    TestDialog q(&PCFQueueDef, &qm);
    q.Set(MQCA_Q_NAME, "APP.X");
    qm.q.refreshMarks = RM_QMGR_DONE | RM_QUEUES_DONE | RM_QMGR_ASKED | 0x40;
    CMDKEY key = Send(q, 1);
    Feed(&qm, key, Reply(MQCMD_INQUIRE_Q, true, MQRCCF_CFH_VERSION_ERROR));
    EXPECT_TRUE(qm.q.flags & LF_MVS);
    EXPECT_EQ(qm.q.refreshMarks, 0x40u);
    EXPECT_EQ(hooks.LastText(q.d), "");
    ASSERT_EQ(hooks.Frames(11383, &qm.q), 1u);
    EXPECT_EQ(hooks.frames.back().wParam, 3u);
    /* a list not authorised shows no text, but its empty list */
    qm.q.flags &= ~LF_MVS;
    TestDialog l(&PCFQueueListDef, &qm);
    key = Send(l, 1);
    hooks.statuses.clear();
    Feed(&qm, key, Reply(MQCMD_INQUIRE_Q, true, MQRC_NOT_AUTHORIZED));
    hooks.Pump();
    EXPECT_EQ(hooks.Texts(l.d), std::vector<std::string>{ "" });
    ASSERT_NE(l->first.replyArea, nullptr);
    EXPECT_EQ(l->first.replyArea->rows, 0u);
    EXPECT_EQ(l->first.replyArea->sequence, key.sequence);
    EXPECT_EQ(Messages(l.d).front(), (uint32_t)UM_PCF_UPDATE_LIST);
}

TEST_F(Replies, TheQueueManagerAndItsStatusMergeInEitherOrder)
{
    for (int statusFirst = 0; statusFirst < 2; statusFirst++) {
        SCOPED_TRACE(statusFirst);
        TestDialog d(&PCFQueueManagerDef, &qm);
        size_t before = hooks.sent.size();
        ASSERT_EQ(PCFDoCommand(d.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
        ASSERT_EQ(hooks.sent.size(), before + 2);      /* the display and its status follow-up */
        CMDKEY qmgr = hooks.sent[before].key, status = hooks.sent[before + 1].key;
        int32_t code;
        memcpy(&code, hooks.sent[before + 1].data.data() + 12, 4);
        EXPECT_EQ(code, MQCMD_INQUIRE_Q_MGR_STATUS);
        Reply a = Reply(MQCMD_INQUIRE_Q_MGR).Str(MQCA_Q_MGR_NAME, "QMREPLY").Str(MQCA_Q_MGR_DESC, "merged");
        Reply b = Reply(MQCMD_INQUIRE_Q_MGR_STATUS).Int(MQIACF_Q_MGR_STATUS, MQQMSTA_RUNNING)
                      .Int(MQIACF_CONNECTION_COUNT, 23);
        if (statusFirst) {
            Feed(&qm, status, b);
            Feed(&qm, qmgr, a);
        } else {
            Feed(&qm, qmgr, a);
            Feed(&qm, status, b);
        }
        hooks.Pump();
        EXPECT_EQ(d.Value(MQCA_Q_MGR_DESC), "merged");
        EXPECT_EQ(d.Value(MQIACF_CONNECTION_COUNT), "23");
        EXPECT_EQ(IfcmdCount(), 0);
    }
}

TEST_F(Replies, APurgeOrACloseWhileAReplyIsHandled)
{
    TestDialog q(&PCFQueueDef, &qm);
    q.Set(MQCA_Q_NAME, "APP.ONE");
    CMDKEY key = Send(q, 1);
    /* a handler holds the record: a purge marks it, the handler frees it */
    IFCMD *r = IfcmdHold((const uint8_t *)&key);
    ASSERT_NE(r, nullptr);
    std::thread([this] { IfcmdPurge(0, &qm.q, 1); }).join();
    EXPECT_EQ(IfcmdCount(), 1);
    EXPECT_EQ(r->released, 1u);
    EXPECT_EQ(IfcmdLetGo(r), 1);
    EXPECT_EQ(IfcmdCount(), 0);
    Feed(&qm, key, Reply(MQCMD_INQUIRE_Q).Str(MQCA_Q_DESC, "after"));
    EXPECT_EQ(q.Value(MQCA_Q_DESC), "");
    /* a dialog closed with a command in flight stays until it ends */
    TestDialog *closing = new TestDialog(&PCFQueueDef, &qm);
    closing->Set(MQCA_Q_NAME, "APP.TWO");
    key = Send(*closing, 1);
    DialogWords *d = closing->d;
    EXPECT_EQ(FreeDialogWords(d), 0);
    EXPECT_TRUE(d->stateFlags & DF_CLOSING);
    EXPECT_EQ(d->window, nullptr);
    closing->d = nullptr;
    delete closing;
    std::thread([this, key] {
        Feed(&qm, key, Reply(MQCMD_INQUIRE_Q, false).Str(MQCA_Q_NAME, "APP.TWO"));
        Feed(&qm, key, Reply(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "APP.TWO").Str(MQCA_Q_DESC, "late"));
    }).join();
    for (DialogWords *o = PCFOpenDialogs; o; o = o->next)
        EXPECT_NE(o, d);
    EXPECT_EQ(IfcmdCount(), 0);
}

TEST_F(Replies, TimeStampTexts)
{
    CSSetTimeZoneProc([](int64_t, CSZoneInfo *z) {
        z->offset = z->standardOffset = 3600;
        z->isDst = 0;
        return 1;
    });
    char out[56];
    ResponseTimeFormat("%D %m %d %t %y", 1700000000, out, sizeof out);
    EXPECT_STREQ(out, "Tue Nov 14 23:13:20 2023");
    ResponseTimeFormat("%H:%M:%S %% %q%", 86399, out, sizeof out);
    EXPECT_STREQ(out, "00:59:59 % ");
    ResponseTimeFormat("%d.%m", -86400 * 366, out, sizeof out);
    EXPECT_STREQ(out, "31.Dec");
    /* 8 characters for 2: a long template is cut at 55 */
    ResponseTimeFormat("%t%t%t%t%t%t%t%t%t%t", 0, out, sizeof out);
    EXPECT_EQ(strlen(out), 55u);
    EXPECT_EQ(std::string(out, 9), "01:00:000");
    char texts[3][56];
    snprintf(Prf.tf1, sizeof Prf.tf1, "%%y");
    snprintf(Prf.tf2, sizeof Prf.tf2, "x");
    Prf.tf3[0] = 0;
    ResponseTimeText(texts, 0);
    EXPECT_STREQ(texts[0], "1970");
    EXPECT_STREQ(texts[1], "x");
    EXPECT_STREQ(texts[2], "");
    Prf.tf1[0] = Prf.tf2[0] = 0;
    CSSetTimeZoneProc(nullptr);
}

}  // namespace
