/* Failures of a run and what it retries: an abort, a refused put, a unit
 * of work beyond the queue manager's limit and a full disk all back out
 * with their texts and lose no message; read ahead and asynchronous puts
 * refused with 2046 are tried again without; a truncated get is read
 * again into a bigger buffer; 2119 counts as a message, 2034 under the
 * cursor skips one; context options that cannot work are refused; a
 * failed unload keeps the messages it wrote. */
#include "xferengine.h"

#include <atomic>
#include <cstring>

#include "mq/mqconst.h"
#include "mqsim.h"

namespace {

/* Moves Q1 to Q2: the block, to be changed before Run. */
DROPT *Move(Transfer *t)
{
    DROPT *o = t->Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->targetQ, "Q2");
    o->options |= DRO_MOVE;
    return o;
}

} // namespace

TEST_F(Transfer, AbortBacksOutTheUnitOfWork)
{
    PutMany("Q1", 150);
    uint8_t key[24] = "abort test";
    PROGRESS *p = ProgCreate(nullptr, key, "Moving messages");
    ASSERT_NE(p, nullptr);
    ProgAddRef(p);                                 /* the run's */
    /* the user aborts as the 60th message is got */
    Rec.onCall = [p](const MQCall &c) {
        if (c.verb == "MQGET" && c.object == "Q1" && Rec.Count("MQGET", "Q1") == 60)
            std::atomic_ref<int32_t>(p->abortRequested).store(1);
    };
    DROPT *o = Move(this);
    o->progress = p;
    int rc = Run(o);
    Rec.onCall = nullptr;
    EXPECT_EQ(rc, DRC_ABORTED);
    EXPECT_EQ(Rec.Count("MQGET", "Q1"), 60u);       /* seen before the next message is read */
    EXPECT_EQ(LastText(), "Operation aborted by user");
    EXPECT_EQ(Rec.Count("MQBACK"), 1u);
    EXPECT_EQ(DepthOf("Q1"), 150);
    EXPECT_EQ(DepthOf("Q2"), 0);
    EXPECT_TRUE(p->ended);
    EXPECT_TRUE(p->rolledBack);
    ProgRelease(p);
}

TEST_F(Transfer, RefusedPutsBackOutAndLoseNothing)
{
    PutMany("Q1", 300);
#ifndef _WIN32
    MQSimFault((PMQCHAR) "MQPUT", 1, MQRC_Q_FULL, 0);
#else
    Rec.Fail("MQPUT", "Q2", MQRC_Q_FULL);
#endif
    EXPECT_EQ(Run(Move(this)), MQRC_Q_FULL);
    EXPECT_EQ(LastText(), std::string("MQPUT(Q2) failed RC(2053) ") + MQReasonText(MQRC_Q_FULL));
    EXPECT_EQ(DepthOf("Q1"), 300);
    EXPECT_EQ(DepthOf("Q2"), 0);
    /* a failure in the second unit: the first stays committed */
    Rec.Fail("MQPUT", "Q2", MQRC_Q_FULL, 1, 249);
    EXPECT_EQ(Run(Move(this)), MQRC_Q_FULL);
    EXPECT_EQ(DepthOf("Q1"), 100);
    EXPECT_EQ(DepthOf("Q2"), 200);
}

TEST_F(Transfer, UnitsBeyondTheQueueManagersLimit)
{
    Mqsc("QM1", "ALTER QMGR MAXUMSGS(50)");
    PutMany("Q1", 120);
    int rc = Run(Move(this));
    EXPECT_EQ(rc, MQRC_SYNCPOINT_LIMIT_REACHED);
    EXPECT_NE(LastText().find("failed RC(2024)"), std::string::npos) << LastText();
    EXPECT_EQ(DepthOf("Q1"), 120);
    EXPECT_EQ(DepthOf("Q2"), 0);
}

#ifndef _WIN32
TEST_F(Transfer, FullDiskBacksOutAndIsNeverCompleted)
{
    /* two messages wait in the stream's buffer: the flush before the
     * commit finds the disk full */
    PutMany("Q1", 2);
    DROPT *o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->outFile, "/dev/full");
    o->options |= DRO_MOVE | DRO_OVERWRITE;
    EXPECT_EQ(Run(o), DRC_WRITE);
    EXPECT_EQ(LastText(), "Error flushing data to file '/dev/full'RC(28)");
    EXPECT_EQ(DepthOf("Q1"), 2);
    EXPECT_EQ(Rec.Count("MQCMIT"), 0u);
    EXPECT_EQ(Rec.Count("MQBACK"), 1u);
    /* more than the writer holds (a megabyte of text): a write fails first */
    PutMany("Q1", 48, std::string(12000, 'p').c_str());
    o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->outFile, "/dev/full");
    o->options |= DRO_MOVE | DRO_OVERWRITE;
    EXPECT_EQ(Run(o), DRC_WRITE);
    EXPECT_EQ(LastText(), "Can not write to file '/dev/full'");
    EXPECT_EQ(DepthOf("Q1"), 50);
    /* a browse to a full disk: no "Completed" either */
    o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->outFile, "/dev/full");
    o->options |= DRO_OVERWRITE;
    o->last = o->first = 1;
    EXPECT_EQ(Run(o), DRC_WRITE);
    EXPECT_EQ(LastText(), "Error flushing data to file '/dev/full'RC(28)");
}
#endif

TEST_F(Transfer, AFailedUnloadKeepsWhatItWrote)
{
    /* the writer holds the text of several messages: a get that fails
     * leaves the file with every message before it */
    PutMany("Q1", 10);
    /* the fifth message fails (the first get is made twice: its buffer
     * was too small) */
    Rec.Fail("MQGET", "Q1", MQRC_CONNECTION_BROKEN, 1, 5);
    std::string out = TempDir() + "/stopped.drask";
    DROPT *o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->outFile, out.c_str());
    o->options |= DRO_OVERWRITE;
    EXPECT_EQ(Run(o), MQRC_CONNECTION_BROKEN);
    EXPECT_EQ(LastText().rfind("MQGET(Q1) failed RC(2009)", 0), 0u) << LastText();
    XRead r = ReadMessages(out);
    EXPECT_EQ(r.rc, 0) << r.error;
    ASSERT_EQ(r.msgs.size(), 4u);
    EXPECT_EQ(r.msgs[3].data, "message 4");
    EXPECT_EQ(DepthOf("Q1"), 10);
}

TEST_F(Transfer, RefusedReadAheadAndAsynchronousPutsAreTriedWithout)
{
    PutMany("Q1", 5);
    Rec.Fail("MQOPEN", "Q1", MQRC_OPTIONS_ERROR);
    Rec.Fail("MQPUT", "Q2", MQRC_OPTIONS_ERROR);
    DROPT *o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->targetQ, "Q2");
    o->options2 |= DRO2_READAHEAD | DRO2_ASYNC;
    ASSERT_EQ(Run(o), 0) << LastText();
    std::vector<MQCall> opens = Rec.Of("MQOPEN", "Q1");
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_TRUE(opens[0].options & MQOO_READ_AHEAD);
    EXPECT_FALSE(opens[1].options & MQOO_READ_AHEAD);
    std::vector<MQCall> puts = Rec.Of("MQPUT", "Q2");
    ASSERT_EQ(puts.size(), 6u);
    EXPECT_TRUE(puts[0].options & MQPMO_ASYNC_RESPONSE);
    for (size_t i = 1; i < puts.size(); i++)
        EXPECT_FALSE(puts[i].options & MQPMO_ASYNC_RESPONSE);
    EXPECT_EQ(DepthOf("Q2"), 5);
}

TEST_F(Transfer, TruncatedNotConvertedAndVanishedMessages)
{
    std::string big(70000, 'b');
    PutMessage("Q1", big);
    DROPT *o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->targetQ, "Q2");
    ASSERT_EQ(Run(o), 0) << LastText();
    std::vector<MQCall> gets = Rec.Of("MQGET", "Q1");
    ASSERT_GE(gets.size(), 2u);
    EXPECT_EQ(gets[0].rc, MQRC_TRUNCATED_MSG_FAILED);
    EXPECT_EQ(gets[1].rc, 0);
    EXPECT_GE(gets[1].length, 70000);
    EXPECT_EQ(Browse("Q2")[0].data, big);

    /* not converted: the message as it is */
    MQMD md = {MQMD_DEFAULT};
    memcpy(md.Format, MQFMT_STRING, 8);
    md.CodedCharSetId = 1208;
    PutMessage("Q3", "\xC3\xA9t\xC3\xA9", &md);
    Mqsc("QM1", "CLEAR QLOCAL(Q2)");
    o = Block();
    strcpy(o->sourceQ, "Q3");
    strcpy(o->targetQ, "Q2");
    o->options |= DRO_CONVERT;
    o->ccsid = 37;
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(Rec.Of("MQGET", "Q3").back().rc, MQRC_NO_MSG_AVAILABLE);
    bool warned = false;
    for (const MQCall &c : Rec.Of("MQGET", "Q3"))
        warned |= c.rc == MQRC_NOT_CONVERTED;
    EXPECT_TRUE(warned);
    ASSERT_EQ(Browse("Q2").size(), 1u);
    EXPECT_EQ(Browse("Q2")[0].data, "\xC3\xA9t\xC3\xA9");

    /* gone from under the cursor: skipped, no error */
    Mqsc("QM1", "CLEAR QLOCAL(Q1)\nCLEAR QLOCAL(Q2)");
    PutMany("Q1", 4);
    Rec.Clear();
    Rec.Fail("MQGET", "Q1", MQRC_NO_MSG_UNDER_CURSOR, 1, 2);
    o = Move(this);
    o->options |= DRO_BROWSEGET;
    o->search[DRS_TEXT][0].length = 7;
    memcpy(o->search[DRS_TEXT][0].bytes, "message", 7);
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(LastText(), "Completed: 3 Messages (27 Bytes) written");
    ASSERT_EQ(Browse("Q1").size(), 1u);
    EXPECT_EQ(Browse("Q1")[0].data, "message 1");
}

TEST_F(Transfer, ContextOptionsThatCannotWork)
{
    PutMany("Q1", 2);
    DROPT *o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->targetQ, "Q2");
    o->options = (o->options & ~DRO_CTX_MASK) | DRO_CTX_PASSALL;
    EXPECT_EQ(Run(o), DRC_CONTEXT);
    EXPECT_EQ(LastText(), "To pass context you must GET the source message not browse");
    o = Block();
    strcpy(o->inFile, DataPath("golden/default.drask").c_str());
    strcpy(o->targetQ, "Q2");
    o->options = (o->options & ~DRO_CTX_MASK) | DRO_CTX_PASSID;
    EXPECT_EQ(Run(o), DRC_CONTEXT);
    EXPECT_EQ(LastText(), "An input queue must be supplied to pass context");
    /* passed with a move: the context comes along */
    MQMD md = FullMD(4);
    PutMessage("Q3", "with context", &md, true);
    o = Block();
    strcpy(o->sourceQ, "Q3");
    strcpy(o->targetQ, "Q2");
    o->options = (o->options & ~DRO_CTX_MASK) | DRO_CTX_PASSALL | DRO_MOVE;
    ASSERT_EQ(Run(o), 0) << LastText();
    std::vector<XMsg> got = Browse("Q2");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(std::string(got[0].md.PutApplName, 28), std::string(md.PutApplName, 28));
    EXPECT_EQ(std::string(got[0].md.UserIdentifier, 12), std::string(md.UserIdentifier, 12));
}
