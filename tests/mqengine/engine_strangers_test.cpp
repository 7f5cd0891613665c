/* Requests that another connection puts to a location's reply queue:
 * none of them runs, whatever its command; the queues they name stay as
 * they were, the location stays connected, and one operational error
 * names the queue, the user and the application.  The program's own
 * requests through the same queue still run, each only once. */
#include "agenttest.h"

#include <cstring>

#include "cs.h"

namespace {

bool Contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

/* Every command the agent knows, each as harmful as its parameters make
 * it: all of APP.Q's messages, copies and moves to the sender's queue. */
std::vector<std::vector<uint8_t>> HostileRequests()
{
    std::vector<std::vector<uint8_t>> all;
    const int32_t onQueue[] = {
        MYCMD_INQUIRE_MSG, MYCMD_INQUIRE_MSGS, MYCMD_INQUIRE_MSGDETAIL, MYCMD_CLOSE_QUEUE,
        MYCMD_INQUIRE_MSG_NEXT_FAST, MYCMD_INQUIRE_MSGDETAIL_NEXT_FAST,
    };
    for (int32_t code : onQueue)
        all.push_back(Pcf(code).Str(MQCA_Q_NAME, "APP.Q").Data());
    for (int32_t code : {MYCMD_DELETE_MSGS, MYCMD_COPY_MSGS, MYCMD_MOVE_MSGS})
        all.push_back(Pcf(code).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, 0x8)
                          .Str(MYPCFA_TARGET_Q, "THEIRS.Q").Data());
    for (int32_t code : {MYCMD_UPDATE_MSG, MYCMD_ADD_MSG})
        all.push_back(Pcf(code).Str(MQCA_Q_NAME, "APP.Q").Bytes(MYPCFA_MESSAGE, "planted").Data());
    const int32_t bare[] = {
        MYCMD_STOP_SVR, MYCMD_INQUIRE_CONSOLE, MYCMD_DELETE_CONSOLE, MYCMD_INQUIRE_DIALOG,
        MYCMD_DELETE_DIALOG, MYCMD_CHANGE_DIALOG, MYCMD_SWITCH_DIALOG, MYCMD_START_DIALOG,
        MYCMD_CREATE_DIALOG, MYCMD_INQUIRE_SUBSCRIBER, MYCMD_INQUIRE_PUBLISHER,
        MYCMD_DELETE_CLIENT, 4711,
    };
    for (int32_t code : bare)
        all.push_back(Pcf(code).Data());
    return all;
}

}  // namespace

class StrangerTest : public AgentTest {
public:
    QMS *r = nullptr;
    MQELOC *e = nullptr;
    void SetUp() override
    {
        AgentTest::SetUp();
        Mqsc("QM1", "DEFINE QLOCAL(APP.Q)\nDEFINE QLOCAL(THEIRS.Q)\nDEFINE QLOCAL(THEIRS.REPLY)");
        Fill("QM1", "APP.Q", 5);
        RecordAgent();
        r = Connected("QM1");
        e = MQELocOf(r);
    }
    /* A message put to the location's reply queue by a connection of its
     * own, as user "mallory" of application "intruder". */
    void PutAsStranger(const std::string &data, MQMD md)
    {
        MQHCONN h = Own("QM1");
        MQHOBJ o = OpenOwn(h, e->replyQ, MQOO_OUTPUT | MQOO_SET_ALL_CONTEXT);
        memset(md.UserIdentifier, ' ', 12);
        memcpy(md.UserIdentifier, "mallory", 7);
        memset(md.PutApplName, ' ', 28);
        memcpy(md.PutApplName, "intruder", 8);
        MQPMO pmo = {MQPMO_DEFAULT};
        pmo.Options = MQPMO_NO_SYNCPOINT | MQPMO_SET_ALL_CONTEXT;
        MQLONG cc, rc;
        StandIn.MQPUT(h, o, &md, &pmo, (MQLONG)data.size(), (PMQVOID)data.data(), &cc, &rc);
        ASSERT_EQ(rc, 0);
        StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    }
    MQMD Request(MQLONG type)
    {
        MQMD md = RequestMD(r, 0x33);
        md.MsgType = type;
        memset(md.ReplyToQ, ' ', 48);
        memcpy(md.ReplyToQ, "THEIRS.REPLY", 12);
        return md;
    }
    std::vector<std::string> DiscardTexts()
    {
        std::vector<std::string> found;
        for (const std::string &t : Main.ErrorTexts(r))
            if (Contains(t, "discarded"))
                found.push_back(t);
        return found;
    }
};

TEST_F(StrangerTest, RequestsOfAnotherConnectionNeverRun)
{
    std::vector<std::vector<uint8_t>> hostile = HostileRequests();
    uint32_t sent = 0;
    for (const std::vector<uint8_t> &request : hostile)
        for (MQLONG type : {MQMT_REQUEST, MQMT_DATAGRAM}) {
            PutAsStranger(std::string(request.begin(), request.end()), Request(type));
            sent++;
        }
    /* a message of no known type, and a request that claims a seal */
    PutAsStranger("x", Request(99));
    MQMD forged = Request(MQMT_REQUEST);
    memset(forged.CorrelId, 0x5C, sizeof forged.CorrelId);
    std::vector<uint8_t> wipe = Pcf(MYCMD_DELETE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, 0x8).Data();
    PutAsStranger(std::string(wipe.begin(), wipe.end()), forged);
    sent += 2;

    ASSERT_TRUE(WaitFor([&] { return e->strangers == sent; })) << e->strangers << " of " << sent;
    EXPECT_EQ(Depth("QM1", e->replyQ), 0);
    EXPECT_EQ(Agent.Commands(), 0u);
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 5u);
    EXPECT_EQ(Depth("QM1", "THEIRS.Q"), 0);
    EXPECT_EQ(Depth("QM1", "THEIRS.REPLY"), 0);
    EXPECT_TRUE(MQEState(&r->getThread) & TS_RUNNING);
    EXPECT_TRUE(MQEState(&r->putThread) & TS_CONNECTED);
    EXPECT_EQ(Main.Count(FM_GET_ENDED, r), 0u);

    std::vector<std::string> texts = DiscardTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(Contains(texts[0], e->replyQ)) << texts[0];
    EXPECT_TRUE(Contains(texts[0], "'mallory'")) << texts[0];
    EXPECT_TRUE(Contains(texts[0], "'intruder'")) << texts[0];
}

TEST_F(StrangerTest, TheProgramsOwnRequestsRunOnceAndCannotBeReplayed)
{
    std::vector<uint8_t> list = Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Data();
    uint8_t key[24];
    memset(key, 0x21, sizeof key);
    ASSERT_EQ(PostThreadRequest(r, nullptr, TRF_REPLYQ, nullptr, key, Block(list.data(), list.size()),
                                (uint32_t)list.size()), 0);
    ASSERT_TRUE(WaitFor([&] { return Agent.Commands() == 1; }));
    EXPECT_EQ(e->strangers, 0u);

    /* the very request, seen on the queue and put again by someone else */
    std::vector<MQCall> puts = Rec.Of("MQPUT", e->replyQ);
    ASSERT_EQ(puts.size(), 1u);
    PutAsStranger(puts[0].data, puts[0].md);
    ASSERT_TRUE(WaitFor([&] { return e->strangers == 1; }));
    EXPECT_EQ(Agent.Commands(), 1u);

    /* the program's own stop still ends the get thread, and only it */
    ASSERT_EQ(EndGetThread(r), 0);
    ASSERT_TRUE(WaitFor([r = r] { return MQEState(&r->getThread) == 0; }));
    EXPECT_TRUE(MQEState(&r->putThread) & TS_CONNECTED);
}
