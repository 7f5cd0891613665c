/* Objects: aliases, remote queues across queue managers, dynamic queues,
 * open options, inhibition, selection strings, topics. */
#include "simtest.h"

#include <cstring>

TEST_F(Sim, AliasAndRemoteQueues)
{
    Mqsc("QM1", "DEFINE QLOCAL(LQ)\nDEFINE QALIAS(AQ) TARGET(LQ)\n"
                "DEFINE QREMOTE(RQ) RNAME(TARGET.Q) RQMNAME(QM2)\nDEFINE QREMOTE(BADQM) RNAME(X) RQMNAME(NOWHERE)");
    Mqsc("QM2", "DEFINE QLOCAL(TARGET.Q)");
    MQHCONN h = Connect("QM1");
    MQHOBJ a = Open(h, "AQ", MQOO_OUTPUT);
    EXPECT_EQ(Put(h, a, "via alias"), 0);
    EXPECT_EQ(Depth(h, "LQ"), 1);
    MQHOBJ r = Open(h, "RQ", MQOO_OUTPUT);
    EXPECT_EQ(Put(h, r, "via channel"), 0);
    Open(h, "RQ", MQOO_INPUT_SHARED, MQRC_OPTION_NOT_VALID_FOR_TYPE);
    Open(h, "BADQM", MQOO_OUTPUT, MQRC_UNKNOWN_REMOTE_Q_MGR);
    /* ObjectQMgrName routes to another queue manager of the process */
    MQOD od = {MQOD_DEFAULT};
    FILL(od.ObjectName, "TARGET.Q");
    FILL(od.ObjectQMgrName, "QM2");
    MQHOBJ direct = Open(h, "", MQOO_OUTPUT, 0, &od);
    EXPECT_EQ(Put(h, direct, "direct"), 0);
    FILL(od.ObjectQMgrName, "QM9");
    Open(h, "", MQOO_OUTPUT, MQRC_UNKNOWN_REMOTE_Q_MGR, &od);
    MQHCONN h2 = Connect("QM2");
    EXPECT_EQ(Depth(h2, "TARGET.Q"), 2);
    Open(h, "NO.SUCH.Q", MQOO_OUTPUT, MQRC_UNKNOWN_OBJECT_NAME);
}

TEST_F(Sim, TemporaryDynamicQueueLifetime)
{
    Mqsc("QM1", "");
    MQHCONN h = Connect("QM1"), other = Connect("QM1");
    MQOD od = {MQOD_DEFAULT};
    FILL(od.ObjectName, "SYSTEM.DEFAULT.MODEL.QUEUE");
    FILL(od.DynamicQName, "RAVOLT.*");
    MQHOBJ dyn = Open(h, "", MQOO_INPUT_EXCLUSIVE, 0, &od);
    std::string name(od.ObjectName, 48);
    EXPECT_EQ(name.rfind("RAVOLT.", 0), 0u);
    name = name.substr(0, name.find(' '));
    MQHOBJ out = Open(other, name.c_str(), MQOO_OUTPUT);
    EXPECT_EQ(Put(other, out, "reply"), 0);
    std::string data;
    EXPECT_EQ(Get(h, dyn, &data), 0);
    EXPECT_EQ(data, "reply");
    /* closing the creating handle deletes it; the other connection sees 2052 */
    Close(h, dyn);
    EXPECT_EQ(Put(other, out, "late"), MQRC_Q_DELETED);
    Open(other, name.c_str(), MQOO_OUTPUT, MQRC_UNKNOWN_OBJECT_NAME);
    /* ended with its connection too */
    FILL(od.ObjectName, "SYSTEM.DEFAULT.MODEL.QUEUE");
    Open(h, "", MQOO_INPUT_EXCLUSIVE, 0, &od);
    std::string second = Trim(od.ObjectName, 48);
    MQLONG cc, rc;
    MQDISC(&h, &cc, &rc);
    Open(other, second.c_str(), MQOO_OUTPUT, MQRC_UNKNOWN_OBJECT_NAME);
}

TEST_F(Sim, OpenOptionsAndInhibition)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)\nDEFINE QLOCAL(NOSHARE.Q) NOSHARE");
    MQHCONN h = Connect("QM1"), h2 = Connect("QM1");
    MQHOBJ ex = Open(h, "Q1", MQOO_INPUT_EXCLUSIVE);
    Open(h2, "Q1", MQOO_INPUT_SHARED, MQRC_OBJECT_IN_USE);
    Close(h, ex);
    MQHOBJ sh = Open(h, "Q1", MQOO_INPUT_SHARED);
    Open(h2, "Q1", MQOO_INPUT_EXCLUSIVE, MQRC_OBJECT_IN_USE);
    Open(h2, "Q1", MQOO_INPUT_SHARED | MQOO_INPUT_EXCLUSIVE, MQRC_OPTIONS_ERROR);
    Open(h2, "Q1", MQOO_BROWSE | MQOO_READ_AHEAD | MQOO_NO_READ_AHEAD, MQRC_OPTIONS_ERROR);
    Open(h2, "Q1", MQOO_BROWSE | MQOO_READ_AHEAD);
    Open(h2, "Q1", MQOO_SET_ALL_CONTEXT, MQRC_OPTIONS_ERROR);
    Close(h, sh);
    MQHOBJ a = Open(h, "NOSHARE.Q", MQOO_INPUT_AS_Q_DEF);
    Open(h2, "NOSHARE.Q", MQOO_INPUT_SHARED, MQRC_OBJECT_IN_USE);
    Close(h, a);
    /* MQSET of the inhibit attributes */
    MQHOBJ s = Open(h, "Q1", MQOO_SET | MQOO_INQUIRE | MQOO_OUTPUT);
    MQLONG sel[2] = {MQIA_INHIBIT_GET, MQIA_INHIBIT_PUT}, vals[2] = {MQQA_GET_INHIBITED, MQQA_PUT_INHIBITED};
    MQLONG cc, rc;
    MQSET(h, s, 2, sel, 2, vals, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Put(h, s, "x"), MQRC_PUT_INHIBITED);
    /* a get-inhibited queue opens for input; its gets fail */
    MQHOBJ in = Open(h2, "Q1", MQOO_INPUT_SHARED);
    EXPECT_EQ(Get(h2, in, nullptr), MQRC_GET_INHIBITED);
    Close(h2, in);
    Open(h2, "Q1", MQOO_OUTPUT, MQRC_PUT_INHIBITED);
    MQLONG got[2] = {-1, -1};
    MQINQ(h, s, 2, sel, 2, got, 0, nullptr, &cc, &rc);
    EXPECT_EQ(got[0], 1);
    EXPECT_EQ(got[1], 1);
    vals[0] = vals[1] = 0;
    MQSET(h, s, 2, sel, 2, vals, 0, nullptr, &cc, &rc);
    EXPECT_EQ(Put(h, s, "x"), 0);
    MQHOBJ noset = Open(h, "Q1", MQOO_INQUIRE);
    MQSET(h, noset, 2, sel, 2, vals, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_NOT_OPEN_FOR_SET);
    MQLONG bad = MQIA_MAX_Q_DEPTH;
    MQSET(h, s, 1, &bad, 1, vals, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_SELECTOR_ERROR);
}

TEST_F(Sim, SelectionStrings)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN h = Connect("QM1");
    MQHOBJ out = Open(h, "Q1", MQOO_OUTPUT);
    for (int p = 0; p < 6; p++) {
        MQMD md = {MQMD_DEFAULT};
        md.Priority = p;
        FILL(md.Format, p % 2 ? "MQSTR" : "");
        ASSERT_EQ(Put(h, out, std::to_string(p), &md), 0);
    }
    MQOD od = {MQOD_DEFAULT};
    od.Version = MQOD_VERSION_4;
    FILL(od.ObjectName, "Q1");
    char bad[] = "Root.MQMD.Nonsense LIKE 'x%'";
    od.SelectionString.VSPtr = bad;
    od.SelectionString.VSLength = (MQLONG)strlen(bad);
    Open(h, "", MQOO_BROWSE, MQRC_SELECTOR_SYNTAX_ERROR, &od);
    char sel[] = "Root.MQMD.Priority >= 3 AND Format = 'MQSTR' OR Priority = 0";
    od.SelectionString.VSPtr = sel;
    od.SelectionString.VSLength = MQVS_NULL_TERMINATED;
    MQHOBJ b = Open(h, "", MQOO_BROWSE, 0, &od);
    std::string got, data;
    MQLONG opt = MQGMO_BROWSE_FIRST;
    while (Get(h, b, &data, opt) == 0) {
        got += data;
        opt = MQGMO_BROWSE_NEXT;
    }
    EXPECT_EQ(got, "530");
    /* every prefix and some mutations open or give 2459, never crash */
    std::string text = sel;
    srand(3);
    for (size_t i = 0; i < text.size() + 200; i++) {
        std::string s = i <= text.size() ? text.substr(0, i) : text;
        if (i > text.size())
            s[(size_t)rand() % s.size()] = "'= <>AND 09x\x01"[rand() % 13];
        od.SelectionString.VSPtr = &s[0];
        od.SelectionString.VSLength = (MQLONG)s.size();
        MQHOBJ x;
        MQLONG cc, rc;
        MQOPEN(h, &od, MQOO_BROWSE, &x, &cc, &rc);
        EXPECT_TRUE(rc == 0 || rc == MQRC_SELECTOR_SYNTAX_ERROR) << s;
        if (rc == 0)
            Close(h, x);
    }
}

TEST_F(Sim, TopicPublicationAccepted)
{
    Mqsc("QM1", "DEFINE TOPIC(SPORTS) TOPICSTR('sports')");
    MQHCONN h = Connect("QM1");
    MQOD od = {MQOD_DEFAULT};
    od.Version = MQOD_VERSION_4;
    od.ObjectType = MQOT_TOPIC;
    char str[] = "sports/football";
    od.ObjectString.VSPtr = str;
    od.ObjectString.VSLength = (MQLONG)strlen(str);
    MQHOBJ t = Open(h, "", MQOO_OUTPUT, 0, &od);
    EXPECT_EQ(Put(h, t, "goal"), 0);
    EXPECT_EQ(Put(h, t, "goal", nullptr, MQPMO_WARN_IF_NO_SUBS_MATCHED), MQRC_NO_SUBS_MATCHED);
    MQOD named = {MQOD_DEFAULT};
    named.ObjectType = MQOT_TOPIC;
    FILL(named.ObjectName, "SPORTS");
    Open(h, "", MQOO_OUTPUT, 0, &named);
    FILL(named.ObjectName, "NOSUCH");
    Open(h, "", MQOO_OUTPUT, MQRC_UNKNOWN_OBJECT_NAME, &named);
}

/* MQCO_DELETE and MQCO_DELETE_PURGE delete dynamic queues only: on a
 * predefined queue they are refused and nothing is lost. */
TEST_F(Sim, CloseDeletesOnlyDynamicQueues)
{
    Mqsc("QM1", "DEFINE QLOCAL(PRE.Q)\nDEFINE QMODEL(PERM.MODEL) DEFTYPE(PERMDYN)");
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "PRE.Q", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    ASSERT_EQ(Put(h, o, "keep me"), 0);
    MQLONG cc, rc;
    MQCLOSE(h, &o, MQCO_DELETE_PURGE, &cc, &rc);
    EXPECT_EQ(rc, MQRC_OPTION_NOT_VALID_FOR_TYPE);
    Close(h, o);
    EXPECT_EQ(Depth(h, "PRE.Q"), 1);
    MQOD od = {MQOD_DEFAULT};
    FILL(od.ObjectName, "PERM.MODEL");
    FILL(od.DynamicQName, "PERM.*");
    MQHOBJ dyn = Open(h, "", MQOO_OUTPUT, 0, &od);
    std::string name = Trim(od.ObjectName, 48);
    ASSERT_EQ(Put(h, dyn, "x"), 0);
    MQCLOSE(h, &dyn, MQCO_DELETE_PURGE, &cc, &rc);
    EXPECT_EQ(rc, 0);
    Open(h, name.c_str(), MQOO_OUTPUT, MQRC_UNKNOWN_OBJECT_NAME);
}
