/* Fault injection: the next calls of a verb fail or are delayed. */
#include "simtest.h"

#include <chrono>

TEST_F(Sim, FaultInjection)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN h = Connect("QM1");
    MQHOBJ q = Open(h, "Q1", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    MQSimFault((PMQCHAR) "MQPUT", 2, MQRC_RESOURCE_PROBLEM, 0);
    EXPECT_EQ(Put(h, q, "x"), MQRC_RESOURCE_PROBLEM);
    EXPECT_EQ(Put(h, q, "x"), MQRC_RESOURCE_PROBLEM);
    EXPECT_EQ(Put(h, q, "x"), 0);
    MQSimFault((PMQCHAR) "MQGET", 1, MQRC_TRUNCATED_MSG_FAILED, 0);
    MQLONG len, cc, rc;
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    char buf[8];
    MQGET(h, q, &md, &gmo, sizeof buf, buf, &len, &cc, &rc);
    EXPECT_EQ(rc, MQRC_TRUNCATED_MSG_FAILED);
    EXPECT_EQ(cc, MQCC_WARNING);
    MQSimFault((PMQCHAR) "MQOPEN", 1, MQRC_OBJECT_IN_USE, 0);
    Open(h, "Q1", MQOO_INPUT_SHARED, MQRC_OBJECT_IN_USE);
    MQSimFault((PMQCHAR) "MQCONNX", 1, MQRC_CNO_ERROR, 0);
    Connect("QM1", MQRC_CNO_ERROR);
    MQSimFault((PMQCHAR) "MQGET", 1, 0, 150);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Get(h, q, nullptr), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(140));
    MQSimFault((PMQCHAR) "*", 1, MQRC_OPTIONS_ERROR, 0);
    MQINQ(h, q, 0, nullptr, 0, nullptr, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_OPTIONS_ERROR);
}

/* A fault that waits for the n-th call and hits only one queue manager:
 * a put, get or commit fails mid-way, and a target's commit fails while
 * the source's goes through. */
TEST_F(Sim, FaultAtTheNthCallOfOneQueueManager)
{
    Mqsc("QMA", "DEFINE QLOCAL(Q1)");
    Mqsc("QMB", "DEFINE QLOCAL(Q2)");
    MQHCONN a = Connect("QMA"), b = Connect("QMB");
    MQHOBJ qa = Open(a, "Q1", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    MQHOBJ qb = Open(b, "Q2", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    MQSimFaultAt((PMQCHAR) "MQPUT", (PMQCHAR) "QMA", 3, 1, MQRC_Q_FULL);
    EXPECT_EQ(Put(b, qb, "b"), 0);                 /* another queue manager: not counted */
    EXPECT_EQ(Put(a, qa, "1"), 0);
    EXPECT_EQ(Put(a, qa, "2"), 0);
    EXPECT_EQ(Put(a, qa, "3"), MQRC_Q_FULL);       /* the third on QMA */
    EXPECT_EQ(Put(a, qa, "4"), 0);
    EXPECT_EQ(Depth(a, "Q1"), 3);

    /* the target's commit fails alone: its put stays uncommitted */
    EXPECT_EQ(Put(b, qb, "pending", nullptr, MQPMO_SYNCPOINT), 0);
    std::string data;
    EXPECT_EQ(Get(a, qa, &data, MQGMO_SYNCPOINT | MQGMO_NO_WAIT), 0);
    MQSimFaultAt((PMQCHAR) "MQCMIT", (PMQCHAR) "QMB   ", 1, 1, MQRC_BACKED_OUT);
    MQLONG cc, rc;
    MQCMIT(b, &cc, &rc);
    EXPECT_EQ(rc, MQRC_BACKED_OUT);
    MQCMIT(a, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Depth(a, "Q1"), 2);
    EXPECT_EQ(Depth(b, "Q2"), 2);                  /* the depth counts the uncommitted put */
    MQBACK(b, &cc, &rc);
    EXPECT_EQ(Depth(b, "Q2"), 1);

    /* the middle get of three, any queue manager; count 0 takes it back */
    MQSimFaultAt((PMQCHAR) "MQGET", nullptr, 2, 1, MQRC_RESOURCE_PROBLEM);
    EXPECT_EQ(Get(b, qb, &data), 0);
    EXPECT_EQ(Get(a, qa, &data), MQRC_RESOURCE_PROBLEM);
    EXPECT_EQ(Get(a, qa, &data), 0);
    MQSimFaultAt((PMQCHAR) "MQPUT", nullptr, 1, 5, MQRC_Q_FULL);
    MQSimFaultAt((PMQCHAR) "MQPUT", nullptr, 1, 0, 0);
    EXPECT_EQ(Put(a, qa, "5"), 0);
    MQSimFaultAt((PMQCHAR) "MQCONNX", (PMQCHAR) "QMB", 1, 1, MQRC_Q_MGR_NOT_AVAILABLE);
    Connect("QMA");
    Connect("QMB", MQRC_Q_MGR_NOT_AVAILABLE);
}
