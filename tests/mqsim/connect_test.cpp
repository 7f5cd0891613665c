/* Connections: queue manager names, connect options, credentials and
 * handle sharing between threads. */
#include "simtest.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

TEST_F(Sim, ConnectNamesAndOptions)
{
    Mqsc("QM1", "ALTER QMGR DESCR('first')");
    Connect("NOSUCH", MQRC_Q_MGR_NOT_AVAILABLE);
    Connect("BAD!NAME", MQRC_Q_MGR_NAME_ERROR);
    MQHCONN h = Connect("QM1");
    MQHCONN star = Connect("*QM1");
    EXPECT_NE(h, star);
    MQCNO bad = {MQCNO_DEFAULT};
    bad.Version = 9;
    Connect("QM1", MQRC_CNO_ERROR, &bad);
    memcpy(bad.StrucId, "XXXX", 4);
    bad.Version = 1;
    Connect("QM1", MQRC_CNO_ERROR, &bad);
    for (MQLONG v = 1; v <= 8; v++) {
        MQCNO cno = {MQCNO_DEFAULT};
        cno.Version = v;
        cno.Options = MQCNO_HANDLE_SHARE_BLOCK;
        MQHCONN x = Connect("QM1", 0, &cno);
        MQLONG cc, rc;
        MQDISC(&x, &cc, &rc);
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(x, MQHC_UNUSABLE_HCONN);
    }
    /* a client connection (with a channel definition) reaches the same queue manager */
    MQCD cd = {MQCD_DEFAULT};
    FILL(cd.ChannelName, "SYSTEM.DEF.SVRCONN");
    FILL(cd.ConnectionName, "localhost(1414)");
    MQCNO cno = {MQCNO_DEFAULT};
    cno.Version = 7;
    cno.ClientConnPtr = &cd;
    FILL(cno.ApplName, "Vorsk Software Ravolt");
    MQHCONN client = Connect("QM1", 0, &cno);
    MQHOBJ o = Open(client, "SYSTEM.DEFAULT.LOCAL.QUEUE", MQOO_OUTPUT);
    MQMD md = {MQMD_DEFAULT};
    EXPECT_EQ(Put(client, o, "x", &md), 0);
    EXPECT_EQ(std::string(md.PutApplName, 28), "Vorsk Software Ravolt       ");
    MQLONG cc, rc;
    MQDISC(&h, &cc, &rc);
    MQDISC(&h, &cc, &rc);
    EXPECT_EQ(rc, MQRC_HCONN_ERROR);
}

TEST_F(Sim, CredentialsRequired)
{
    Mqsc("QMA", "ALTER QMGR CUSTOM('SIMUSER(app) SIMPWD(secret)')");
    Connect("QMA", MQRC_NOT_AUTHORIZED);
    MQCSP csp = {MQCSP_DEFAULT};
    csp.AuthenticationType = MQCSP_AUTH_USER_ID_AND_PWD;
    char user[] = "app", pwd[] = "wrong";
    csp.CSPUserIdPtr = user;
    csp.CSPUserIdLength = 3;
    csp.CSPPasswordPtr = pwd;
    csp.CSPPasswordLength = 5;
    MQCNO cno = {MQCNO_DEFAULT};
    cno.Version = 5;
    cno.SecurityParmsPtr = &csp;
    Connect("QMA", MQRC_NOT_AUTHORIZED, &cno);
    char good[] = "secret";
    csp.CSPPasswordPtr = good;
    csp.CSPPasswordLength = 6;
    MQHCONN h = Connect("QMA", 0, &cno);
    MQHOBJ o = Open(h, "SYSTEM.DEFAULT.LOCAL.QUEUE", MQOO_OUTPUT);
    MQMD md = {MQMD_DEFAULT};
    EXPECT_EQ(Put(h, o, "x", &md), 0);
    EXPECT_EQ(std::string(md.UserIdentifier, 12), "app         ");
}

/* A get that waits holds its connection for the whole wait: a put of
 * another thread on the connection (shared with blocking) waits for it
 * instead of failing with 2219, and lands only once the get has run out.
 * The put is made once the get is seen inside its call; a get that runs
 * out before it is seen is tried again. */
TEST_F(Sim, SharedHandleBlocksSecondThread)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQCNO cno = {MQCNO_DEFAULT};
    cno.Options = MQCNO_HANDLE_SHARE_BLOCK;
    MQHCONN h = Connect("QM1", 0, &cno);
    MQHOBJ in = Open(h, "Q1", MQOO_INPUT_SHARED | MQOO_OUTPUT);
    const int interval = 300;
    bool seen = false;
    for (int round = 0; round < 20 && !seen; round++) {
        std::atomic<bool> ended{false};
        MQLONG getReason = -1;
        auto start = std::chrono::steady_clock::now();
        std::thread getter([&] {
            MQGMO gmo = {MQGMO_DEFAULT};
            gmo.Options = MQGMO_WAIT;
            gmo.WaitInterval = interval;
            getReason = Get(h, in, nullptr, 0, nullptr, &gmo);
            ended = true;
        });
        seen = SimTestWaitInputCall("Q1", &ended);
        MQLONG putReason = seen ? Put(h, in, "from other thread") : 0;
        auto took = std::chrono::steady_clock::now() - start;
        getter.join();
        EXPECT_EQ(getReason, MQRC_NO_MSG_AVAILABLE);     /* the put did not land during the wait */
        EXPECT_EQ(putReason, 0);
        if (seen) {
            EXPECT_GE(took, std::chrono::milliseconds(interval - 10));
            std::string data;
            EXPECT_EQ(Get(h, in, &data), 0);
            EXPECT_EQ(data, "from other thread");
        }
    }
    EXPECT_TRUE(seen) << "the get was never seen in its call";
}

TEST_F(Sim, BadArgumentsGiveReasonsNotCrashes)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "Q1", MQOO_OUTPUT | MQOO_INPUT_SHARED | MQOO_INQUIRE | MQOO_SET);
    MQLONG cc, rc, len;
    MQHOBJ none;
    MQOPEN(h, nullptr, MQOO_OUTPUT, &none, &cc, &rc);
    EXPECT_EQ(rc, MQRC_OD_ERROR);
    EXPECT_EQ(none, MQHO_UNUSABLE_HOBJ);
    MQPUT(h, o, nullptr, nullptr, 1, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_MD_ERROR);
    MQMD md = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    MQPUT(h, o, &md, &pmo, 4, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_BUFFER_ERROR);
    MQPUT(h, o, &md, &pmo, -1, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_BUFFER_LENGTH_ERROR);
    MQGMO gmo = {MQGMO_DEFAULT};
    MQGET(h, o, &md, &gmo, 10, nullptr, &len, &cc, &rc);
    EXPECT_EQ(rc, MQRC_BUFFER_ERROR);
    MQGET(h, o, &md, &gmo, 0, nullptr, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_DATA_LENGTH_ERROR);
    MQGET(h, o, &md, nullptr, 0, nullptr, &len, &cc, &rc);
    EXPECT_EQ(rc, MQRC_GMO_ERROR);
    MQINQ(h, o, 2, nullptr, 0, nullptr, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_SELECTOR_ERROR);
    MQSET(h, o, 2, nullptr, 0, nullptr, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_SELECTOR_ERROR);
    MQLONG sel = MQIA_INHIBIT_GET;
    MQSET(h, o, 1, &sel, 1, nullptr, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_INT_ATTR_COUNT_ERROR);
    MQCLOSE(h, nullptr, 0, &cc, &rc);
    EXPECT_EQ(rc, MQRC_HOBJ_ERROR);
    MQHOBJ bogus = 12345;
    MQCLOSE(h, &bogus, 0, &cc, &rc);
    EXPECT_EQ(rc, MQRC_HOBJ_ERROR);
    MQCMIT(999, &cc, &rc);
    EXPECT_EQ(rc, MQRC_HCONN_ERROR);
    MQDISC(nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_HCONN_ERROR);
    MQCONNX(nullptr, nullptr, nullptr, nullptr, nullptr);     /* nowhere to answer: must not crash */
    MQSTAT(h, MQSTAT_TYPE_ASYNC_ERROR, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_STS_ERROR);
    MQSTS sts = {MQSTS_DEFAULT};
    MQSTAT(h, MQSTAT_TYPE_ASYNC_ERROR, &sts, &cc, &rc);
    EXPECT_EQ(rc, 0);
}
