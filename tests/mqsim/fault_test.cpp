/* Fault injection: the next calls of a verb fail or are delayed. */
#include "simtest.h"

#include <chrono>

TEST_F(Sim, FaultInjection)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN h = Connect("QM1");
    MQHOBJ q = Open(h, "Q1", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    MQSimFault((PMQCHAR) "MQPUT", 2, MQRC_CONNECTION_BROKEN, 0);
    EXPECT_EQ(Put(h, q, "x"), MQRC_CONNECTION_BROKEN);
    EXPECT_EQ(Put(h, q, "x"), MQRC_CONNECTION_BROKEN);
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
