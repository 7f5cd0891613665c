/* Units of work across connections: visibility, commit, backout with
 * BackoutCount, the uncommitted-message limit, disconnect. */
#include "simtest.h"

#include <cstring>

TEST_F(Sim, UnitsOfWorkAcrossTwoConnections)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN a = Connect("QM1"), b = Connect("QM1");
    MQHOBJ qa = Open(a, "Q1", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    MQHOBJ qb = Open(b, "Q1", MQOO_OUTPUT | MQOO_INPUT_SHARED | MQOO_BROWSE);
    EXPECT_EQ(Put(a, qa, "first", nullptr, MQPMO_NO_SYNCPOINT), 0);
    EXPECT_EQ(Put(a, qa, "uncommitted", nullptr, MQPMO_SYNCPOINT), 0);
    std::string d;
    EXPECT_EQ(Get(b, qb, &d, MQGMO_BROWSE_FIRST), 0);
    EXPECT_EQ(d, "first");
    EXPECT_EQ(Get(b, qb, &d, MQGMO_BROWSE_NEXT), MQRC_NO_MSG_AVAILABLE);
    EXPECT_EQ(Depth(b, "Q1"), 2);
    /* a gets "first" under syncpoint: b no longer sees it */
    EXPECT_EQ(Get(a, qa, &d, MQGMO_SYNCPOINT), 0);
    EXPECT_EQ(Get(b, qb, &d, MQGMO_BROWSE_FIRST), MQRC_NO_MSG_AVAILABLE);
    MQLONG cc, rc;
    MQBACK(a, &cc, &rc);
    EXPECT_EQ(rc, 0);
    /* back in its place, BackoutCount raised; the uncommitted put is gone */
    MQMD md = {MQMD_DEFAULT};
    EXPECT_EQ(Get(b, qb, &d, MQGMO_BROWSE_FIRST, &md), 0);
    EXPECT_EQ(d, "first");
    EXPECT_EQ(md.BackoutCount, 1);
    EXPECT_EQ(Get(b, qb, &d, MQGMO_BROWSE_NEXT), MQRC_NO_MSG_AVAILABLE);
    EXPECT_EQ(Get(a, qa, &d, MQGMO_SYNCPOINT), 0);
    EXPECT_EQ(Put(a, qa, "second", nullptr, MQPMO_SYNCPOINT), 0);
    MQCMIT(a, &cc, &rc);
    EXPECT_EQ(Get(b, qb, &d), 0);
    EXPECT_EQ(d, "second");
    EXPECT_EQ(Depth(b, "Q1"), 0);
}

TEST_F(Sim, UncommittedLimitAndDisconnect)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)\nALTER QMGR MAXUMSGS(3)");
    MQHCONN a = Connect("QM1"), b = Connect("QM1");
    MQHOBJ qa = Open(a, "Q1", MQOO_OUTPUT);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(Put(a, qa, "x", nullptr, MQPMO_SYNCPOINT), 0);
    EXPECT_EQ(Put(a, qa, "x", nullptr, MQPMO_SYNCPOINT), MQRC_SYNCPOINT_LIMIT_REACHED);
    EXPECT_EQ(Put(a, qa, "x", nullptr, MQPMO_NO_SYNCPOINT), 0);
    EXPECT_EQ(Depth(b, "Q1"), 4);
    MQLONG cc, rc;
    MQDISC(&a, &cc, &rc);    /* a normal disconnect commits */
    MQHOBJ qb = Open(b, "Q1", MQOO_INPUT_SHARED);
    int n = 0;
    while (Get(b, qb, nullptr) == 0)
        n++;
    EXPECT_EQ(n, 4);
    MQHCONN inq = Connect("QM1");
    MQOD od = {MQOD_DEFAULT};
    od.ObjectType = MQOT_Q_MGR;
    MQHOBJ qm = Open(inq, "", MQOO_INQUIRE, 0, &od);
    MQLONG sel[3] = {MQIA_MAX_UNCOMMITTED_MSGS, MQCA_Q_MGR_NAME, MQCA_DEAD_LETTER_Q_NAME};
    MQLONG ints[1];
    char chars[96];
    MQINQ(inq, qm, 3, sel, 1, ints, sizeof chars, chars, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(ints[0], 3);
    EXPECT_EQ(Trim(chars, 48), "QM1");
    EXPECT_EQ(Trim(chars + 48, 48), "SYSTEM.DEAD.LETTER.QUEUE");
    MQINQ(inq, qm, 3, sel, 1, ints, 50, chars, &cc, &rc);
    EXPECT_EQ(rc, MQRC_CHAR_ATTRS_TOO_SHORT);
    MQLONG bad = MQIA_CURRENT_Q_DEPTH;
    MQINQ(inq, qm, 1, &bad, 1, ints, 0, chars, &cc, &rc);
    EXPECT_EQ(rc, MQRC_SELECTOR_ERROR);
    MQHOBJ q = Open(inq, "Q1", MQOO_INQUIRE | MQOO_INPUT_SHARED);
    MQLONG qsel[3] = {MQIA_OPEN_INPUT_COUNT, MQIA_CURRENT_Q_DEPTH, MQIA_INHIBIT_GET};
    MQLONG qv[3];
    MQINQ(inq, q, 3, qsel, 3, qv, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(qv[0], 2);
    EXPECT_EQ(qv[1], 0);
    EXPECT_EQ(qv[2], MQQA_GET_ALLOWED);
}
