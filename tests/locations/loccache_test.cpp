/* Cached lists of a location: queue information end to end against a
 * stand-in queue manager (inquired by a driver that puts INQUIRE_Q and
 * feeds each reply), the refresh on and off the user-interface thread,
 * batching and suspension, and the same-name chains of kind 7. */
#include "mqsim/simtest.h"
#include "loccache.h"
#include "locstore.h"
#include "prfdata.h"
#include "mq/pcf.h"
#include "cs.h"

#include <cstring>
#include <map>
#include <thread>

int SimChildMain(const char *, const char *)
{
    return 1;
}

namespace {

struct Seen {
    std::vector<uint32_t> posts;
    int batches = 0, flushes = 0, stale = 0, touched = 0;
};
Seen seen;

void install_hooks()
{
    LOCTIMERHOOKS t = {};
    t.postFrame = [](void *, uint32_t message, QMS *) { seen.posts.push_back(message); };
    t.markDialogsStale = [](void *, QMS *, int32_t) { seen.stale++; };
    LocSetTimerHooks(&t);
    LOCHOOKS h = {};
    h.beginBatch = [](void *) { seen.batches++; };
    LocSetHooks(&h);
}

/* Builds a queue's record from one INQUIRE_Q reply: the depth goes only
 * into the depth class, so that a depth change is a values change. */
QINFO from_reply(QMS *r, const std::string &data)
{
    QINFO q;
    memset(&q, 0, sizeof q);
    q.location = r;
    MQPP pp;
    MQLONG cmd, cc, rc, depth = 0, max = 0;
    PCFInitParse(&pp, data.data(), (int32_t)data.size(), &cmd, &cc, &rc);
    for (;;) {
        MQLONG type, id, len, count;
        void *v;
        PCFGetNextParm(&pp, &type, &id, &v, &len, &count, &cc, &rc);
        if (cc)
            break;
        std::string s = type == MQCFT_STRING ? std::string((const char *)v, (size_t)len) : "";
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        MQLONG n = type == MQCFT_INTEGER ? *(MQLONG *)v : 0;
        switch (id) {
        case MQCA_Q_NAME: snprintf(q.name, sizeof q.name, "%s", s.c_str()); break;
        case MQCA_Q_DESC: snprintf(q.desc, sizeof q.desc, "%s", s.c_str()); break;
        case MQIA_Q_TYPE: q.type = (uint32_t)n; break;
        case MQIA_CURRENT_Q_DEPTH: depth = n; break;
        case MQIA_MAX_Q_DEPTH: max = n; memcpy(q.attrs, &n, 4); break;
        case MQCA_BASE_Q_NAME: memcpy(q.attrs, s.c_str(), s.size() < 48 ? s.size() : 48); break;
        }
    }
    if (depth && max)
        q.depthClass = (uint32_t)(depth * 5 > 4 * max ? 5 : depth * 5 > 3 * max ? 4
                                : depth * 5 > 2 * max ? 3 : depth * 5 > max ? 2 : 1);
    return q;
}

class QueueInfo : public Sim {
public:
    MQHCONN h = 0;
    MQHOBJ cmdq = 0, replyq = 0;
    char replyName[48];
    QMS *loc = nullptr;

    void Start(const char *script)
    {
        Mqsc("QMQI", script);
        h = Connect("QMQI");
        cmdq = Open(h, "SYSTEM.ADMIN.COMMAND.QUEUE", MQOO_OUTPUT);
        MQOD od = {MQOD_DEFAULT};
        FILL(od.ObjectName, "SYSTEM.DEFAULT.MODEL.QUEUE");
        replyq = Open(h, "SYSTEM.DEFAULT.MODEL.QUEUE", MQOO_INPUT_EXCLUSIVE, 0, &od);
        memcpy(replyName, od.ObjectName, 48);
        PrfSetDefaults();
        install_hooks();
        seen = Seen();
        QMS t;
        InitLocationDefaults(&t);
        strcpy(t.qmName, "QMQI");
        loc = LocCreate(&LocTree, &t, 0);
    }
    void TearDown() override
    {
        while (LocTree)
            LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
        LocFlushFreed();
        LocGlobals.uiThread = 0;
        LocSetHooks(nullptr);
        LocSetTimerHooks(nullptr);
        Sim::TearDown();
    }
    /* The replies of one INQUIRE_Q for a pattern. */
    std::vector<std::string> Replies(const char *pattern)
    {
        alignas(8) char buffer[4096];
        void *area = buffer;
        MQPP pp;
        MQLONG cc, rc;
        PCFInitArea(&pp, &area, 0, sizeof buffer, 0, MQCMD_INQUIRE_Q, &cc, &rc);
        PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_NAME, pattern, -1, 1, &cc, &rc);
        MQMD md = {MQMD_DEFAULT};
        md.MsgType = MQMT_REQUEST;
        memcpy(md.Format, MQFMT_ADMIN, 8);
        memcpy(md.ReplyToQ, replyName, 48);
        EXPECT_EQ(Put(h, cmdq, std::string(buffer, (size_t)pp.position), &md), 0);
        std::vector<std::string> out;
        for (;;) {
            MQMD rmd = {MQMD_DEFAULT};
            MQGMO gmo = {MQGMO_DEFAULT};
            gmo.Options = MQGMO_WAIT | MQGMO_NO_SYNCPOINT;
            gmo.WaitInterval = 5000;
            std::string data;
            if (Get(h, replyq, &data, 0, &rmd, &gmo, 1 << 16))
                break;
            const MQCFH *cfh = (const MQCFH *)data.data();
            if (cfh->CompCode == 0)
                out.push_back(data);

            if (cfh->Control == MQCFC_LAST)
                break;
        }
        return out;
    }
    /* What the reply processing does with an inquiry. */
    void Inquire(const char *pattern, int twice = 0)
    {
        std::vector<std::string> replies = Replies(pattern);
        LocMarkQueues(loc, pattern);
        for (const std::string &data : replies)
            for (int i = 0; i <= twice; i++) {
                QINFO q = from_reply(loc, data);
                CSStringSet(&q.text, q.desc, -1);
                LocAddQueueInfo(&q);
            }
        LocMarkObjectsByName(pattern, loc);
        LocRefreshQueueInfo(loc);
    }
    std::map<std::string, uint32_t> Cache()
    {
        std::map<std::string, uint32_t> m;
        LOCCACHES *c = (LOCCACHES *)loc->objectCaches;
        for (CSTREE *e = c ? CSTreeFirst(c->queues) : nullptr; e; e = e->next)
            m[((QINFO *)e)->name] = ((QINFO *)e)->type;
        return m;
    }
};

TEST_F(QueueInfo, CacheFollowsTheQueueManager)
{
    Start("DEFINE QLOCAL(APP.ONE) MAXDEPTH(5)\n"
          "DEFINE QLOCAL(APP.TWO) DESCR('second')\n"
          "DEFINE QALIAS(APP.ALIAS) TARGET(APP.ONE)\n"
          "DEFINE QREMOTE(APP.REMOTE) RNAME(X) RQMNAME(QM2)\n"
          "DEFINE QLOCAL(OTHER.Q)\n");
    Inquire("APP.*");
    std::map<std::string, uint32_t> want = {
        {"APP.ONE", 1}, {"APP.TWO", 1}, {"APP.ALIAS", 3}, {"APP.REMOTE", 6}};
    EXPECT_EQ(Cache(), want);
    QINFO *two = LocFindQueueInfo(loc, "APP.TWO");
    ASSERT_NE(two, nullptr);
    EXPECT_STREQ(two->text, "second");
    two->line[0] = 77;                       /* the tree line's words */

    /* local to alias: a new record of the alias size keeps the line words */
    Mqsc("QMQI", "DELETE QLOCAL(APP.TWO)\nDEFINE QALIAS(APP.TWO) TARGET(APP.ONE)\n"
                 "DELETE QREMOTE(APP.REMOTE)\n");
    Inquire("APP.*");
    want.erase("APP.REMOTE");
    want["APP.TWO"] = 3;
    EXPECT_EQ(Cache(), want);
    two = LocFindQueueInfo(loc, "APP.TWO");
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->line[0], 77);

    /* a depth change is a values change only */
    MQHOBJ q = Open(h, "APP.ONE", MQOO_OUTPUT);
    Put(h, q, "one");
    Put(h, q, "two");
    std::vector<std::string> replies = Replies("APP.*");
    LocMarkQueues(loc, "APP.*");
    for (const std::string &data : replies) {
        QINFO in = from_reply(loc, data);
        LocAddQueueInfo(&in);
    }
    EXPECT_EQ(loc->caches[2].count, 0u);
    EXPECT_EQ(loc->caches[2].values, 1u);
    EXPECT_EQ(LocFindQueueInfo(loc, "APP.ONE")->depthClass, 2u);
    LocMarkObjectsByName("APP.*", loc);
    LocRefreshQueueInfo(loc);
    EXPECT_EQ(loc->caches[2].values, 0u);
}

TEST_F(QueueInfo, KeepDuplicatesAndOtherPatterns)
{
    Start("DEFINE QLOCAL(APP.ONE)\nDEFINE QLOCAL(APP.TWO)\nDEFINE QLOCAL(B.ONE)\n");
    Inquire("B.*");
    QINFO kept;
    memset(&kept, 0, sizeof kept);
    strcpy(kept.name, "APP.KEPT");
    kept.type = 1;
    kept.location = loc;
    QINFO *k = LocAddQueueInfo(&kept);
    ASSERT_NE(k, nullptr);
    k->flags |= QI_KEEP;
    /* every queue reported twice: the second report changes nothing */
    std::vector<std::string> replies = Replies("APP.*");
    LocMarkQueues(loc, "APP.*");
    uint32_t before = loc->caches[2].count;
    for (const std::string &data : replies) {
        QINFO a = from_reply(loc, data);
        QINFO *first = LocAddQueueInfo(&a);
        uint32_t after = loc->caches[2].count;
        QINFO b = from_reply(loc, data);
        EXPECT_EQ(LocAddQueueInfo(&b), first);
        EXPECT_EQ(loc->caches[2].count, after);
    }
    EXPECT_EQ(loc->caches[2].count - before, 2u);   /* the two new queues */
    LocMarkObjectsByName("APP.*", loc);
    LocRefreshQueueInfo(loc);
    std::map<std::string, uint32_t> want = {
        {"APP.ONE", 1}, {"APP.TWO", 1}, {"APP.KEPT", 1}, {"B.ONE", 1}};
    EXPECT_EQ(Cache(), want);                /* kept, and another pattern untouched */
}

TEST_F(QueueInfo, WorkerPostsAndTheInterfaceThreadRemoves)
{
    std::string script;
    for (int i = 0; i < 12; i++)
        script += "DEFINE QLOCAL(MANY." + std::to_string(i) + ")\n";
    Start(script.c_str());
    LocGlobals.uiThread = CSGetThreadId();
    std::vector<std::string> replies = Replies("MANY.*");
    std::thread worker([&] {
        LocMarkQueues(loc, "MANY.*");
        for (const std::string &data : replies) {
            QINFO q = from_reply(loc, data);
            LocAddQueueInfo(&q);
        }
        LocMarkObjectsByName("MANY.*", loc);
        LocRefreshQueueInfo(loc);
    });
    worker.join();
    EXPECT_EQ(seen.posts, std::vector<uint32_t>{ FRM_QINFO });
    EXPECT_EQ(seen.batches, 0);
    EXPECT_TRUE(loc->entriesChanged);
    LocRefreshQueueInfo(loc);                /* as the main frame does on 11366 */
    EXPECT_EQ(seen.batches, 1);              /* 12 changes: one batched redraw */
    EXPECT_EQ(Cache().size(), 12u);

    /* a suspended list is left alone whatever the counts */
    Mqsc("QMQI", "DELETE QLOCAL(MANY.0)\n");
    loc->caches[2].flags |= 0x2;
    Inquire("MANY.*");
    EXPECT_EQ(Cache().size(), 12u);
    loc->caches[2].flags &= ~0x2u;
    LocRefreshQueueInfo(loc);
    EXPECT_EQ(Cache().size(), 11u);
    EXPECT_EQ(seen.batches, 1);              /* one change: no batch */
}

/* The "-m" start-up queue opens after its location's queue information
 * is refreshed, also when the list arrives unchanged: at once on the
 * user-interface thread, through the frame's message from a worker. */
TEST_F(QueueInfo, TheStartupQueueOpensAfterAnUnchangedList)
{
    Start("DEFINE QLOCAL(START.Q)\n");
    static int opened;
    opened = 0;
    LOCTIMERHOOKS t = {};
    t.postFrame = [](void *, uint32_t message, QMS *) { seen.posts.push_back(message); };
    t.openStartupQueue = [](void *, QMS *) { opened++; };
    LocSetTimerHooks(&t);
    Inquire("START.*");
    ASSERT_EQ(Cache().size(), 1u);
    LocStartupLocation = loc;
    Inquire("START.*");                      /* nothing changed */
    EXPECT_EQ(opened, 1);
    LocGlobals.uiThread = CSGetThreadId();
    seen.posts.clear();
    std::vector<std::string> replies = Replies("START.*");
    std::thread([&] {
        LocMarkQueues(loc, "START.*");
        for (const std::string &data : replies) {
            QINFO q = from_reply(loc, data);
            CSStringSet(&q.text, q.desc, -1);
            LocAddQueueInfo(&q);
        }
        LocMarkObjectsByName("START.*", loc);
        LocRefreshQueueInfo(loc);
    }).join();
    EXPECT_EQ(seen.posts, std::vector<uint32_t>{ FRM_QINFO });
    EXPECT_EQ(opened, 1);
    LocRefreshQueueInfo(loc);                /* as the main frame does on 11366 */
    EXPECT_EQ(opened, 2);
    /* a location that is not the start-up one opens nothing */
    LocStartupLocation = nullptr;
    Inquire("START.*");
    EXPECT_EQ(opened, 2);
}

/* ---- the other lists -------------------------------------------------------- */

class Lists : public ::testing::Test {
protected:
    QMS *loc = nullptr;
    void SetUp() override
    {
        install_hooks();
        seen = Seen();
        QMS t;
        InitLocationDefaults(&t);
        strcpy(t.qmName, "QMLISTS");
        loc = LocCreate(&LocTree, &t, 0);
    }
    void TearDown() override
    {
        while (LocTree)
            LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
        LocFlushFreed();
        LocSetHooks(nullptr);
        LocSetTimerHooks(nullptr);
    }
    LOCOBJ *Object(int kind, const char *name, uint32_t flags, uint32_t type = 0)
    {
        LOCOBJ o;
        memset(&o, 0, sizeof o);
        strcpy(o.name, name);
        o.flags = flags;
        o.typeWord = type;
        LOCOBJ *e = LocAddObject(loc, kind, &o, sizeof o);
        if (e && (kind == 1 || kind == 6))
            CSStringSet(&e->shared, "shared text", -1);
        return e;
    }
    int Count(int kind)
    {
        int n = 0;
        for (CSTREE *e = CSTreeFirst(LocCaches(loc)->lists[kind]); e; e = e->next)
            n++;
        return n;
    }
};

TEST_F(Lists, StaleEntriesGoAndTheirLinksCount)
{
    LOCOBJ *a = Object(4, "KEEP", 0);
    LOCOBJ *b = Object(4, "GONE", LOCOBJ_STALE);
    Object(1, "CHL.GONE", LOCOBJ_STALE);
    Object(6, "TEXT.GONE", LOCOBJ_STALE);
    LOCOBJ *named = Object(3, "NAMES", LOCOBJ_STALE);
    named->names = (const char **)CSGetMem(2 * sizeof(char *), "NAMES");
    named->names[0] = CSStringGet("one", -1);
    named->names[1] = CSStringGet("two", -1);
    named->nameCount = 2;
    CSLinkAdd(b, a, LOCOBJ_LINK, 1);
    CSLinkAdd(b, a, LOCOBJ_LINK, 2);
    loc->caches[4].count = 1;
    LocRefreshListE(loc);
    EXPECT_EQ(Count(4), 1);
    EXPECT_EQ(loc->caches[4].count, 2u);     /* one entries change per link */
    EXPECT_EQ(CSLinkNext(a, LOCOBJ_LINK, nullptr), nullptr);
    for (int kind : { 1, 3, 6 })
        loc->caches[kind].flags |= 0x4;      /* a full refresh */
    LocRefreshListB(loc);
    LocRefreshListD(loc);
    LocRefreshListF(loc);
    EXPECT_EQ(Count(1) + Count(3) + Count(6), 0);
    EXPECT_EQ(seen.batches, 3);              /* a full refresh is batched */
    EXPECT_GT(LocFlushFreed(), 0);
}

TEST_F(Lists, MembersChainByNameAndPassTheHeadsAttributes)
{
    LOCGROUPENT *g1 = LocAddGroupEntry(loc, "GROUP1");
    LOCGROUPENT *g2 = LocAddGroupEntry(loc, "GROUP2");
    LOCNAMED *named = LocAddNamed(loc, "SHARED.NAME");
    auto member = [&](LOCGROUPENT *g, const char *name, uint32_t flags, int32_t value) {
        LOCMEMBER m;
        memset(&m, 0, sizeof m);
        strcpy(m.key, name);
        m.flags = flags;
        m.values[0] = value;
        m.named = named;
        return LocAddMember(loc, g, &m);
    };
    LOCMEMBER *head = member(g1, "QM.A", LOCM_CHAIN | LOCM_PASS, 5);
    LOCMEMBER *second = member(g2, "QM.A", LOCM_CHAIN, 1);
    LOCMEMBER *other = member(g2, "QM.B", LOCM_CHAIN, 9);
    loc->caches[7].flags |= 0x4;
    LocRefreshListA(loc);
    EXPECT_EQ(head->head, head);
    EXPECT_EQ(second->head, head);
    EXPECT_EQ(head->nextSame, second);
    EXPECT_EQ(other->head, other);
    EXPECT_EQ(second->values[0], 5);         /* passed on, marked changed */
    EXPECT_TRUE(second->flags & LOCM_CHANGED);
    EXPECT_EQ(seen.stale, 1);

    /* the head goes: the next member leads; a stale named entry is
       forgotten by every member that pointed to it */
    head->flags |= LOCM_STALE;
    named->flags |= LOCOBJ_STALE;
    second->flags &= ~LOCM_CHANGED;
    loc->caches[7].count = 1;
    LocRefreshListA(loc);
    EXPECT_EQ(second->head, second);
    EXPECT_EQ(second->named, nullptr);
    EXPECT_TRUE(second->flags & LOCM_CHANGED);
    EXPECT_EQ(CSTreeFirst(g1->members), nullptr);
    EXPECT_EQ(loc->caches[7].count, 0u);
}

}  // namespace
