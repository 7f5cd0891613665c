/* The handle cache of a connection and the open with recovery: hits,
 * options and selections, eviction of the least recently used handle,
 * the dead-letter queue, refused options, and queues held exclusively
 * elsewhere. */
#include "enginetest.h"

#include <atomic>
#include <cstring>
#include <thread>

#include "cs.h"
#include "prfdata.h"

namespace {

class CacheTest : public EngineTest {
public:
    MQHCONN h = MQHC_UNUSABLE_HCONN;
    void *cache = nullptr;

    void Open(const char *qm)
    {
        char name[48];
        memset(name, ' ', sizeof name);
        memcpy(name, qm, strlen(qm));
        MQCNO cno = {MQCNO_DEFAULT};
        MQLONG cc, rc;
        MQServerTable.MQCONNX(name, &cno, &h, &cc, &rc);
        ASSERT_EQ(rc, 0);
    }
    void TearDown() override
    {
        MQEmptyCache(&cache, 1);
        MQLONG cc, rc;
        if (h != MQHC_UNUSABLE_HCONN)
            MQServerTable.MQDISC(&h, &cc, &rc);
        EngineTest::TearDown();
    }
    /* An open through the cache: the handle, or -1 with the reason. */
    MQHOBJ Cached(const char *queue, MQLONG options, uint32_t match = 0, const char *selection = nullptr,
                  MQLONG *reason = nullptr, MQCACHEENTRY **entry = nullptr)
    {
        MQHOBJ o;
        MQLONG cc, rc;
        MQOpenCached(h, 0, &cache, match, nullptr, queue, nullptr, nullptr, options, 0, selection,
                     selection ? (int32_t)strlen(selection) : 0, &o, entry, &cc, &rc);
        if (reason)
            *reason = rc;
        return cc == MQCC_FAILED ? -1 : o;
    }
    MQLONG InhibitGet(const char *queue)
    {
        MQHCONN own = Own("QM1");
        MQOD od = {MQOD_DEFAULT};
        memset(od.ObjectName, ' ', 48);
        memcpy(od.ObjectName, queue, strlen(queue));
        MQHOBJ o;
        MQLONG cc, rc, selector = MQIA_INHIBIT_GET, value = -1;
        StandIn.MQOPEN(own, &od, MQOO_INQUIRE, &o, &cc, &rc);
        StandIn.MQINQ(own, o, 1, &selector, 1, &value, 0, nullptr, &cc, &rc);
        StandIn.MQCLOSE(own, &o, MQCO_NONE, &cc, &rc);
        return value;
    }
};

}  // namespace

TEST_F(CacheTest, HitsNeedTheSameNamesSelectionAndEnoughOptions)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Open("QM1");
    MQHOBJ browse = Cached("APP.Q", MQOO_BROWSE);
    ASSERT_NE(browse, -1);
    EXPECT_EQ(Cached("APP.Q", MQOO_BROWSE), browse);
    EXPECT_EQ(Rec.Count("MQOPEN", "APP.Q"), 1u);
    MQHOBJ output = Cached("APP.Q", MQOO_OUTPUT);
    EXPECT_NE(output, browse);                 /* browse only does not do for output */
    EXPECT_EQ(Rec.Count("MQOPEN", "APP.Q"), 2u);
    EXPECT_EQ(Cached("APP.Q", MQOO_OUTPUT, MQC_EQUAL), output);
    MQHOBJ wider = Cached("APP.Q", MQOO_OUTPUT | MQOO_INQUIRE);
    EXPECT_NE(wider, output);
    EXPECT_EQ(Cached("APP.Q", MQOO_OUTPUT), output);           /* the first that does */
    EXPECT_NE(Cached("APP.Q", MQOO_OUTPUT, MQC_EQUAL), wider);
    MQHOBJ selected = Cached("APP.Q", MQOO_BROWSE, 0, "Root.MQMD.Priority = 5");
    EXPECT_NE(selected, browse);
    EXPECT_EQ(Rec.Of("MQOPEN", "APP.Q").back().od.Version, MQOD_VERSION_4);
    EXPECT_EQ(Cached("APP.Q", MQOO_BROWSE, 0, "Root.MQMD.Priority = 5"), selected);
    size_t opens = Rec.Count("MQOPEN", "APP.Q");
    MQHOBJ again = Cached("APP.Q", MQOO_BROWSE, MQC_REOPEN);
    EXPECT_EQ(Rec.Count("MQOPEN", "APP.Q"), opens + 1);
    EXPECT_EQ(Rec.Count("MQCLOSE", "APP.Q"), 1u);
    EXPECT_NE(again, -1);

    MQLONG cc, rc;
    MQCloseCachedByName(h, 0, &cache, "", "APP.Q", &cc, &rc);
    EXPECT_EQ(Rec.Count("MQCLOSE", "APP.Q"), opens + 1);       /* every one of them */
    Cached("APP.Q", MQOO_BROWSE);
    EXPECT_EQ(Rec.Count("MQOPEN", "APP.Q"), opens + 2);
}

TEST_F(CacheTest, TheTwentyFirstQueueClosesTheLeastRecentlyUsed)
{
    std::string mqsc;
    for (int i = 1; i <= 21; i++)
        mqsc += "DEFINE QLOCAL(Q" + std::to_string(i) + ")\n";
    Mqsc("QM1", mqsc.c_str());
    Open("QM1");
    std::vector<MQHOBJ> handles;
    for (int i = 1; i <= 20; i++)
        handles.push_back(Cached(("Q" + std::to_string(i)).c_str(), MQOO_OUTPUT));
    EXPECT_EQ(Cached("Q1", MQOO_OUTPUT), handles[0]);          /* Q2 is now the oldest */
    EXPECT_EQ(Rec.Count("MQCLOSE"), 0u);
    Cached("Q21", MQOO_OUTPUT);
    std::vector<MQCall> closes = Rec.Of("MQCLOSE");
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].object, "Q2");
    EXPECT_EQ(Cached("Q1", MQOO_OUTPUT), handles[0]);
    EXPECT_EQ(Rec.Count("MQOPEN"), 21u);
}

TEST_F(CacheTest, TheDeadLetterQueueByItsMark)
{
    Mqsc("QM1", "DEFINE QLOCAL(MY.DLQ)\nALTER QMGR DEADQ(' ')");
    Open("QM1");
    MQLONG reason = 0;
    EXPECT_EQ(Cached("#DLQ", MQOO_OUTPUT, 0, nullptr, &reason), -1);
    EXPECT_EQ(reason, MQRC_UNKNOWN_OBJECT_NAME);               /* none defined */
    Mqsc("QM1", "ALTER QMGR DEADQ(MY.DLQ)");
    MQCACHEENTRY *entry = nullptr;
    MQHOBJ dlq = Cached("#DLQ", MQOO_OUTPUT, 0, nullptr, &reason, &entry);
    ASSERT_NE(dlq, -1);
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->objectName, "MY.DLQ");
    EXPECT_TRUE(entry->deadLetter);
    EXPECT_EQ(Rec.Count("MQOPEN", "MY.DLQ"), 1u);
    size_t inquiries = Rec.Count("MQINQ");
    EXPECT_EQ(Cached("#DLQ", MQOO_OUTPUT), dlq);
    EXPECT_EQ(Rec.Count("MQINQ"), inquiries);                   /* known by its mark */
}

TEST_F(CacheTest, OptionsTheQueueManagerRefusesAreDropped)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Open("QM1");
    MQCACHEENTRY *entry = nullptr;
    Rec.Fail("MQOPEN", "APP.Q", MQRC_OPTIONS_ERROR);
    ASSERT_NE(Cached("APP.Q", MQOO_BROWSE | MQOO_READ_AHEAD, 0, nullptr, nullptr, &entry), -1);
    std::vector<MQCall> opens = Rec.Of("MQOPEN", "APP.Q");
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_TRUE(opens[0].options & MQOO_READ_AHEAD);
    EXPECT_FALSE(opens[1].options & MQOO_READ_AHEAD);
    EXPECT_EQ(entry->options, (uint32_t)MQOO_BROWSE);

    /* read-ahead is asked for as given, never with the no-read-ahead preference */
    for (uint32_t no : { 0u, (uint32_t)PO3_NO_READ_AHEAD }) {
        MQEmptyCache(&cache, 0);
        Prf.po[2] = (Prf.po[2] & ~(uint32_t)PO3_NO_READ_AHEAD) | no;
        MQHOBJ o;
        ASSERT_EQ(MQOpenRetry(h, 0, &cache, nullptr, "APP.Q", nullptr, nullptr, MQOO_BROWSE | MQOO_READ_AHEAD, &o),
                  0);
        EXPECT_EQ(Rec.Of("MQOPEN", "APP.Q").back().options & (MQOO_READ_AHEAD | MQOO_NO_READ_AHEAD),
                  no ? MQOO_NO_READ_AHEAD : MQOO_READ_AHEAD) << no;
    }
}

TEST_F(CacheTest, AQueueHeldExclusivelyIsFreedAndGetsAllowedAgain)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Open("QM1");
    /* the holder lets go once its gets are inhibited; the open after the
       inhibit comes once it has, however long the engine's pause runs */
    std::atomic<bool> letGo{false};
    Rec.Hold("MQOPEN", "APP.Q", [&letGo] { return letGo.load(); }, 2);
    MQHCONN holder = Own("QM1");
    MQOD od = {MQOD_DEFAULT};
    memset(od.ObjectName, ' ', 48);
    memcpy(od.ObjectName, "APP.Q", 5);
    MQHOBJ held;
    MQLONG cc, rc;
    StandIn.MQOPEN(holder, &od, MQOO_INPUT_EXCLUSIVE, &held, &cc, &rc);
    ASSERT_EQ(rc, 0);
    std::atomic<bool> over{false};
    std::thread t([&] {
        MQLONG r = 0, c, len;
        while (r != MQRC_GET_INHIBITED && !over) {
            MQMD md = {MQMD_DEFAULT};
            MQGMO gmo = {MQGMO_DEFAULT};
            gmo.Options = MQGMO_WAIT;
            gmo.WaitInterval = 10;
            char buf[10];
            StandIn.MQGET(holder, held, &md, &gmo, sizeof buf, buf, &len, &c, &r);
        }
        StandIn.MQCLOSE(holder, &held, MQCO_NONE, &c, &r);
        letGo = true;
    });
    MQHOBJ o;
    EXPECT_EQ(MQOpenRetry(h, 0, &cache, nullptr, "APP.Q", nullptr, nullptr, MQOO_INPUT_EXCLUSIVE, &o), 0);
    over = true;                                  /* a holder never inhibited stops too */
    t.join();
    std::vector<MQCall> sets = Rec.Of("MQSET", "APP.Q");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].options, MQQA_GET_INHIBITED);
    EXPECT_EQ(sets[1].options, MQQA_GET_ALLOWED);
    EXPECT_EQ(InhibitGet("APP.Q"), MQQA_GET_ALLOWED);
    MQEmptyCache(&cache, 0);
    StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);

    /* a holder that stays: the second 2042 is returned, gets allowed again */
    StandIn.MQOPEN(holder, &od, MQOO_INPUT_EXCLUSIVE, &held, &cc, &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(MQOpenRetry(h, 0, &cache, nullptr, "APP.Q", nullptr, nullptr, MQOO_INPUT_EXCLUSIVE, &o),
              MQRC_OBJECT_IN_USE);
    EXPECT_EQ(InhibitGet("APP.Q"), MQQA_GET_ALLOWED);
    StandIn.MQCLOSE(holder, &held, MQCO_NONE, &cc, &rc);

    /* the 2046 recovery drops MQOO_SET: gets are allowed all the same */
    Rec.Clear();
    Rec.Fail("MQOPEN", "APP.Q", MQRC_OBJECT_IN_USE);
    Rec.Fail("MQOPEN", "APP.Q", MQRC_OPTIONS_ERROR, 1, 2);
    EXPECT_EQ(MQOpenRetry(h, 0, &cache, nullptr, "APP.Q", nullptr, nullptr, MQOO_INPUT_SHARED, &o), 0);
    std::vector<MQCall> opens = Rec.Of("MQOPEN", "APP.Q");
    ASSERT_EQ(opens.size(), 5u);
    EXPECT_EQ(opens[2].rc, MQRC_OPTIONS_ERROR);
    EXPECT_TRUE(opens[2].options & MQOO_SET);
    EXPECT_FALSE(opens[3].options & MQOO_SET);
    EXPECT_EQ(Rec.Of("MQSET", "APP.Q").back().options, MQQA_GET_ALLOWED);
    EXPECT_EQ(InhibitGet("APP.Q"), MQQA_GET_ALLOWED);

    /* leaving get-inhibit settings alone: no recovery at all */
    MQEmptyCache(&cache, 0);
    Prf.po[0] |= 0x400000;
    Rec.Clear();
    Rec.Fail("MQOPEN", "APP.Q", MQRC_OBJECT_IN_USE);
    EXPECT_EQ(MQOpenRetry(h, 0, &cache, nullptr, "APP.Q", nullptr, nullptr, MQOO_INPUT_SHARED, &o),
              MQRC_OBJECT_IN_USE);
    EXPECT_EQ(Rec.Count("MQSET"), 0u);
}
