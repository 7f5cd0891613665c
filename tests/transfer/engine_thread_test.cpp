/* A move queued to a location's put thread as the Load/Unload dialog
 * queues it: the put thread gives the block its connection, the texts
 * reach the window through the port, and a message command queued to the
 * same location meanwhile waits for the move's connection lock, so the
 * two never share a unit of work and no message is lost; where no
 * transfer is wired, the window is told so. */
#include "xferengine.h"

#include <atomic>
#include <cstring>

#include "cs.h"

namespace {

std::atomic<uint64_t> deleteStarted{0};
std::atomic<int> deleted{0};

/* A message-list delete as the message thread would run it: one
 * destructive get from Q1 on the connection it is given.  Other commands
 * (the get thread's stop) go to the agent. */
int DeleteOne(QMS *r, int32_t *stop, MQHCONN h, MQMD *requestMD, void *data, int32_t length)
{
    if (length >= 36 && ((const MQCFH *)data)->Command != 10014)
        return ProcessCommand(r, stop, h, requestMD, data, length);   /* the end of the get thread */
    deleteStarted = MQETick();
    MQOD od = {MQOD_DEFAULT};
    Fill(od.ObjectName, sizeof od.ObjectName, "Q1");
    MQHOBJ o;
    MQLONG cc, rc;
    MQServerTable.MQOPEN(h, &od, MQOO_INPUT_SHARED, &o, &cc, &rc);
    if (cc == MQCC_FAILED)
        return 0;
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_NO_WAIT | MQGMO_NO_SYNCPOINT | MQGMO_ACCEPT_TRUNCATED_MSG;
    char buf[64];
    MQLONG n;
    MQServerTable.MQGET(h, o, &md, &gmo, sizeof buf, buf, &n, &cc, &rc);
    if (cc != MQCC_FAILED)
        deleted++;
    MQServerTable.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    return 0;
}

} // namespace

TEST_F(Transfer, MoveOnThePutThreadAndADeleteOnTheSameLocation)
{
    PutMany("Q1", 2000);
    QMS *r = Location("QM1");
    Connect(r);
    Rec.Clear();
    MQEHooks.process = DeleteOne;
    deleteStarted = 0;
    deleted = 0;

    auto move = [] {
        DROPT *o = (DROPT *)CSGetMem(sizeof(DROPT), "DROPT");
        DraskInit(o);
        strcpy(o->sourceQ, "Q1");
        strcpy(o->targetQ, "Q2");
        o->options |= DRO_MOVE | DRO_BROWSEGET;
        o->first = 1;
        o->last = 1500;
        return o;
    };
    DROPT *block = move();
    void *window = (void *)0x1234;
    ThreadRequest request = {};
    request.kind = TRK_LOADUNLOAD;
    request.resultWindow = window;
    request.count = 1;
    ASSERT_EQ(PostThreadRequest(r, nullptr, TRF_KIND | TRF_MSGINFO, &request, nullptr, block, sizeof *block), 0);
    ASSERT_TRUE(WaitFor([] { return Rec.Count("MQGET", "Q1") > 20; }));
    ASSERT_EQ(StartMessageThread(), 0);
    std::vector<uint8_t> command = PcfCommand(10014);
    ASSERT_EQ(PostThreadRequest(r, nullptr, TRF_MESSAGE, nullptr, nullptr, ::Block(command.data(), command.size()),
                                (uint32_t)command.size()), 0);
    ASSERT_TRUE(WaitFor([] { return deleted.load() == 1; }));
    ASSERT_TRUE(WaitFor([] { return !Main.Texts(FM_TEXT).empty(); }));
    std::vector<std::string> texts = Main.Texts(FM_TEXT);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("Completed: 1500 Messages", 0), 0u) << texts[0];
    uint64_t lastCommit = 0;
    for (const MQCall &c : Rec.Of("MQCMIT"))
        lastCommit = c.tick > lastCommit ? c.tick : lastCommit;
    EXPECT_EQ(Rec.Count("MQCMIT"), 8u);            /* 1500 at 200 a unit */
    EXPECT_GE(deleteStarted.load(), lastCommit);   /* the delete waited for the move */
    EXPECT_EQ(DepthOf("Q2"), 1500);
    EXPECT_EQ(DepthOf("Q1"), 499);

    /* the same request where no transfer is wired: the window is told, nothing moves */
    MQEHooks.loadUnload = nullptr;
    DROPT *again = move();
    ASSERT_EQ(PostThreadRequest(r, nullptr, TRF_KIND | TRF_MSGINFO, &request, nullptr, again, sizeof *again), 0);
    ASSERT_TRUE(WaitFor([] { return Main.Texts(FM_TEXT).size() == 2; }));
    EXPECT_EQ(Main.Texts(FM_TEXT)[1], "Load and unload are not available in this build");
    EXPECT_EQ(Main.messages.back().window, window);
    EXPECT_EQ(DepthOf("Q2"), 1500);
    EXPECT_EQ(DepthOf("Q1"), 499);
}
