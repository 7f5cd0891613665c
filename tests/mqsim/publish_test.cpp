/* Publications delivered to administrative subscriptions: the topic
 * string made of a topic object's string and the given one, each
 * subscription of an equal string reached (correlation id, destination
 * queue manager), none for other strings, and delivery inside the
 * publisher's unit of work. */
#include "simtest.h"

#include <cstring>

static MQHOBJ OpenTopic(Sim *t, MQHCONN h, const char *object, char *string)
{
    MQOD od = {MQOD_DEFAULT};
    od.Version = MQOD_VERSION_4;
    od.ObjectType = MQOT_TOPIC;
    if (object)
        FILL(od.ObjectName, object);
    od.ObjectString.VSPtr = string;
    od.ObjectString.VSLength = string ? (MQLONG)strlen(string) : 0;
    return t->Open(h, "", MQOO_OUTPUT, 0, &od);
}

TEST_F(Sim, PublicationReachesEverySubscriptionOfItsTopic)
{
    Mqsc("QM1", "DEFINE QLOCAL(A.Q)\nDEFINE QLOCAL(B.Q)\nDEFINE QLOCAL(OTHER.Q)\n"
                "DEFINE TOPIC(SPORTS) TOPICSTR('sports')\n"
                "DEFINE SUB(S.A) TOPICSTR('sports/football') DEST(A.Q) DESTCORL(414243)\n"
                "DEFINE SUB(S.B) TOPICOBJ(SPORTS) TOPICSTR('football') DEST(B.Q)\n"
                "DEFINE SUB(S.OTHER) TOPICSTR('sports/tennis') DEST(OTHER.Q)\n");
    MQHCONN h = Connect("QM1");
    char rest[] = "football";
    MQHOBJ t = OpenTopic(this, h, "SPORTS", rest);
    MQMD md = {MQMD_DEFAULT};
    md.Persistence = MQPER_PERSISTENT;
    ASSERT_EQ(Put(h, t, "goal", &md, MQPMO_NO_SYNCPOINT | MQPMO_WARN_IF_NO_SUBS_MATCHED), 0);
    EXPECT_EQ(Depth(h, "A.Q"), 1);
    EXPECT_EQ(Depth(h, "B.Q"), 1);
    EXPECT_EQ(Depth(h, "OTHER.Q"), 0);
    MQHOBJ a = Open(h, "A.Q", MQOO_INPUT_SHARED);
    MQMD got = {MQMD_DEFAULT};
    std::string data;
    ASSERT_EQ(Get(h, a, &data, MQGMO_NO_WAIT, &got), 0);
    EXPECT_EQ(data, "goal");
    EXPECT_EQ(memcmp(got.CorrelId, "\x41\x42\x43", 3), 0);
    EXPECT_EQ(got.Persistence, MQPER_PERSISTENT);
    EXPECT_EQ(memcmp(got.MsgId, md.MsgId, 24), 0);
    /* the whole string given alone reaches the same two */
    char whole[] = "sports/football";
    MQHOBJ t2 = OpenTopic(this, h, nullptr, whole);
    EXPECT_EQ(Put(h, t2, "again"), 0);
    EXPECT_EQ(Depth(h, "A.Q"), 1);
    EXPECT_EQ(Depth(h, "B.Q"), 2);
    char none[] = "sports";
    MQHOBJ t3 = OpenTopic(this, h, nullptr, none);
    EXPECT_EQ(Put(h, t3, "x", nullptr, MQPMO_NO_SYNCPOINT | MQPMO_WARN_IF_NO_SUBS_MATCHED),
              MQRC_NO_SUBS_MATCHED);
}

TEST_F(Sim, PublicationsUnderSyncpointArriveAtCommit)
{
    Mqsc("QM1", "DEFINE QLOCAL(A.Q)\nDEFINE SUB(S.A) TOPICSTR('news') DEST(A.Q)\n");
    Mqsc("QM2", "DEFINE QLOCAL(FAR.Q)");
    Mqsc("QM1", "DEFINE SUB(S.FAR) TOPICSTR('news') DEST(FAR.Q) DESTQMGR(QM2)");
    MQHCONN h = Connect("QM1");
    char topic[] = "news";
    MQHOBJ t = OpenTopic(this, h, nullptr, topic);
    ASSERT_EQ(Put(h, t, "one", nullptr, MQPMO_SYNCPOINT), 0);
    ASSERT_EQ(Put(h, t, "two", nullptr, MQPMO_SYNCPOINT), 0);
    MQHCONN other = Connect("QM1");
    MQHOBJ a = Open(other, "A.Q", MQOO_BROWSE);
    std::string data;
    EXPECT_EQ(Get(other, a, &data, MQGMO_BROWSE_FIRST | MQGMO_NO_WAIT), MQRC_NO_MSG_AVAILABLE);
    MQLONG cc, rc;
    MQCMIT(h, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Depth(h, "A.Q"), 2);
    ASSERT_EQ(Put(h, t, "three", nullptr, MQPMO_SYNCPOINT), 0);
    MQBACK(h, &cc, &rc);
    EXPECT_EQ(Depth(h, "A.Q"), 2);
    MQHCONN remote = Connect("QM2");
    EXPECT_EQ(Depth(remote, "FAR.Q"), 2);
}
