/* The location store: keys and rings, groups, status changes with their
 * commands, capabilities, deferred deletion and the thread rules. */
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cs.h"
#include "locstore.h"

namespace {

struct Recorder {
    std::vector<std::string> calls;
    std::vector<std::string> commands;
    std::vector<int> events;
    int repaints = 0;
};

struct Store : ::testing::Test {
    Recorder rec;

    void SetUp() override
    {
        LOCHOOKS h = {};
        h.context = &rec;
        h.addRow = [](void *c, QMS *r, uint32_t) { ((Recorder *)c)->calls.push_back(std::string("add ") + r->qmName); };
        h.removeRow = [](void *c, QMS *r) { ((Recorder *)c)->calls.push_back(std::string("remove ") + r->qmName); };
        h.beginBatch = [](void *c) { ((Recorder *)c)->calls.push_back("begin"); };
        h.endBatch = [](void *c) { ((Recorder *)c)->calls.push_back("end"); };
        h.endGetThread = [](void *c, QMS *) { ((Recorder *)c)->calls.push_back("end get"); };
        h.endPutThread = [](void *c, QMS *, int) { ((Recorder *)c)->calls.push_back("end put"); };
        h.closeDialogs = [](void *c, QMS *) { ((Recorder *)c)->calls.push_back("dialogs"); };
        h.timerOne = [](void *c, QMS *) { ((Recorder *)c)->calls.push_back("timer"); };
        h.runCommand = [](void *c, QMS *, const char *cmd, char **) {
            ((Recorder *)c)->commands.push_back(cmd);
            return 1;
        };
        h.consoleEvent = [](void *c, QMS *, int32_t code, int32_t) { ((Recorder *)c)->events.push_back(code); };
        h.repaint = [](void *c, uint32_t) { ((Recorder *)c)->repaints++; };
        h.capsForQmgr = [](void *, uint8_t *caps, int32_t platform, int32_t level) {
            caps[0] = (uint8_t)platform;
            caps[1] = level >= 900;
            caps[22] = 1;
        };
        h.capsChanged = [](void *c, QMS *) { ((Recorder *)c)->calls.push_back("caps"); };
        LocSetHooks(&h);
        LocGlobals.defaultAuthMask = 0x77;
    }
    void TearDown() override
    {
        while (LocTree)
            LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
        LocFlushFreed();
        LocSetHooks(nullptr);
        LocGlobals.uiThread = 0;
        LocGlobals.maxCommandLevel = 0;
    }
    QMS *Add(const char *qm, const char *second = "", const char *group = "",
             int64_t used = 0, uint32_t flags = 0)
    {
        QMS t;
        InitLocationDefaults(&t);
        snprintf(t.qmName, sizeof t.qmName, "%s", qm);
        snprintf(t.secondName, sizeof t.secondName, "%s", second);
        snprintf(t.groupName, sizeof t.groupName, "%s", group);
        t.lastUsed = used;
        t.flags |= flags;
        t.commandQueue[0] = 0;
        return LocCreate(&LocTree, &t, 0);
    }
    static int FirstCount(QMS *r)
    {
        int n = 0;
        QMS *p = r;
        do {
            n += (p->status & LS_FIRSTOFRING) != 0;
            p = p->nextInRing;
        } while (p && p != r);
        return n;
    }
};

TEST_F(Store, KeysRingsAndLookup)
{
    QMS *a = Add("QMA", "", "", 5, LF_MVS);
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->secondName, "RAVOLT");
    EXPECT_STREQ(a->commandQueue, "SYSTEM.COMMAND.INPUT");
    EXPECT_EQ(a->authMask, 0x77u);
    EXPECT_EQ(a->putThread.hConn, -1);
    EXPECT_TRUE(a->status & LS_UNKNOWN);
    EXPECT_TRUE(a->status & LS_FIRSTOFRING);
    EXPECT_EQ(Add("QMA"), nullptr);                /* same key */
    QMS *b = Add("QMA", "OTHER", "", 9);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->nextInRing, b);
    EXPECT_EQ(b->nextInRing, a);
    EXPECT_EQ(FirstCount(a), 1);
    EXPECT_TRUE(b->status & LS_FIRSTOFRING);       /* used later */
    EXPECT_EQ(LocFindByNames("QMA", "OTHER"), b);
    EXPECT_NE(LocFind("QMA"), nullptr);
    EXPECT_EQ(LocFind(""), nullptr);
    EXPECT_EQ(LocFind("QMB"), nullptr);
    std::vector<std::string> want = { "add QMA", "add QMA" };
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "caps", "add QMA", "caps", "add QMA" }));

    /* deleting one of two leaves the other alone and first of its ring */
    LocDelete(&LocTree, b, nullptr);
    EXPECT_EQ(a->nextInRing, nullptr);
    EXPECT_TRUE(a->status & LS_FIRSTOFRING);
    EXPECT_EQ(LocFindByNames("QMA", "OTHER"), nullptr);
    EXPECT_EQ(LocFlushFreed(), 1);
}

/* The name fields and keys as they were made before they were built in
 * line: the text cut at its first NUL or at the width, the rest of the
 * field NUL; names of every length up to past the width, bytes above 127,
 * and what stood in the field after its NUL, in the record, its group and
 * the keys of the lookups. */
TEST_F(Store, NamesAreCutAndPaddedAsBefore)
{
    auto before = [](const char *text) {
        std::string field(QMS_NAME + 1, '\0');
        size_t n = strnlen(text, QMS_NAME);
        memmove(&field[0], text, n);
        memset(&field[n], 0, QMS_NAME + 1 - n);
        return field;
    };
    uint32_t seed = 5;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    auto fill = [&](char *field, size_t length) {
        for (size_t i = 0; i <= QMS_NAME; i++)          /* what stood there (no control characters: refused) */
            field[i] = (char)(0x20 + next() % 224);
        if (length <= QMS_NAME)
            field[length] = 0;
    };
    int added = 0;
    for (int round = 0; round < 400; round++) {
        QMS t;
        InitLocationDefaults(&t);
        fill(t.qmName, 1 + round % (QMS_NAME + 1));
        fill(t.secondName, next() % (QMS_NAME + 2));
        fill(t.groupName, round % 3 ? next() % (QMS_NAME + 2) : 0);
        t.commandQueue[0] = 0;
        std::string qm = before(t.qmName), second = before(t.secondName), group = before(t.groupName);
        if (!second[0])
            second = before("RAVOLT");
        QMS *r = LocCreate(&LocTree, &t, 0);
        if (!r)
            continue;
        added++;
        ASSERT_EQ(std::string(r->qmName, QMS_NAME + 1), qm) << round;
        ASSERT_EQ(std::string(r->secondName, QMS_NAME + 1), second) << round;
        if (group[0]) {
            ASSERT_NE(r->group, nullptr) << round;
            ASSERT_EQ(std::string(r->group->name, QMS_NAME + 1), group) << round;
            EXPECT_EQ(LocGroupGet(group.c_str()), r->group) << round;
            if (strlen(group.c_str()) == QMS_NAME) {
                EXPECT_EQ(LocGroupGet((group.c_str() + std::string("tail")).c_str()), r->group) << round;
            }
        }
        EXPECT_EQ(LocFindByNames(qm.c_str(), second.c_str()), r) << round;
        /* texts longer than the field find it by its cut name */
        if (strlen(qm.c_str()) == QMS_NAME && strlen(second.c_str()) == QMS_NAME) {
            std::string longQm = qm.c_str() + std::string(5, 'x');
            std::string longSecond = second.c_str() + std::string(3, 'y');
            EXPECT_EQ(LocFindByNames(longQm.c_str(), longSecond.c_str()), r) << round;
            EXPECT_NE(LocFind(longQm.c_str()), nullptr) << round;
        }
    }
    EXPECT_GT(added, 300);
}

/* A new queue-manager name moves a record to its place in the tree, out
 * of its old ring and into the new one, each with one first of ring; a
 * pair already taken is refused and nothing moves. */
TEST_F(Store, RekeyMovesBetweenRings)
{
    QMS *a1 = Add("QMA", "ONE", "G", 1);
    QMS *a2 = Add("QMA", "TWO", "G", 2);
    QMS *b = Add("QMB", "", "G", 3);
    QMS *c = Add("QMC", "", "G", 4);
    ASSERT_TRUE(a1 && a2 && b && c);
    rec.calls.clear();
    EXPECT_EQ(LocRekey(&LocTree, a2, "QMB", "RAVOLT"), 1);   /* taken by b */
    EXPECT_STREQ(a2->qmName, "QMA");
    EXPECT_EQ(a1->nextInRing, a2);
    EXPECT_EQ(LocRekey(&LocTree, a2, "QMA", "TWO"), 0);      /* its own pair */
    EXPECT_TRUE(rec.calls.empty());

    ASSERT_EQ(LocRekey(&LocTree, a2, "QMB", "TWO"), 0);
    EXPECT_EQ(LocFindByNames("QMB", "TWO"), a2);
    EXPECT_EQ(LocFindByNames("QMA", "TWO"), nullptr);
    EXPECT_EQ(a1->nextInRing, nullptr);                        /* left alone */
    EXPECT_TRUE(a1->status & LS_FIRSTOFRING);
    EXPECT_EQ(b->nextInRing, a2);
    EXPECT_EQ(FirstCount(b), 1);
    EXPECT_TRUE(b->status & LS_FIRSTOFRING);                   /* used later than a2 */
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "remove QMB", "add QMB" }));

    /* the tree's key order and the group's name order follow */
    std::vector<QMS *> order;
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        order.push_back((QMS *)e);
    EXPECT_EQ(order, std::vector<QMS *>({ a1, b, a2, c }));
    ASSERT_EQ(LocRekey(&LocTree, a1, "QMD", ""), 0);
    EXPECT_STREQ(a1->secondName, "RAVOLT");
    order.clear();
    for (QMS *p = b->group->first; p; p = p->nextInGroup)
        order.push_back(p);
    EXPECT_EQ(order, std::vector<QMS *>({ b, a2, c, a1 }));

    /* leaving a ring of two: the one left is alone and first */
    ASSERT_EQ(LocRekey(&LocTree, b, "QMC", "X"), 0);
    EXPECT_EQ(a2->nextInRing, nullptr);
    EXPECT_TRUE(a2->status & LS_FIRSTOFRING);
    EXPECT_EQ(FirstCount(c), 1);
    EXPECT_EQ(LocFind("QMB"), a2);
}

TEST_F(Store, RingLatestWithEqualTimesAndNetworkPlacement)
{
    QMS *a = Add("R", "A", "", 0, LF_NETWORK);
    a->placementFlags = 0x24;
    a->placement[1] = 12345;
    QMS *b = Add("R", "B", "", 0);
    QMS *c = Add("R", "C", "", 0);
    /* ring a -> c -> b? new members go just before the first found */
    QMS *latest = LocRingLatest(a);
    EXPECT_EQ(FirstCount(a), 1);
    EXPECT_NE(latest, a);                          /* every other member wins over the start */
    QMS *last = a;
    while (last->nextInRing != a)
        last = last->nextInRing;
    EXPECT_EQ(latest, last);                       /* the last one visited */
    EXPECT_TRUE(latest->flags & LF_NETWORK);
    EXPECT_EQ(latest->placement[1], 12345);
    EXPECT_FALSE(a->flags & LF_NETWORK);
    EXPECT_EQ(a->placementFlags & 0x24, 0u);
    (void)b; (void)c;

    LocGlobals.now = 1000;
    LocTouch(a);
    EXPECT_TRUE(a->status & LS_FIRSTOFRING);
    a->downloadState = 0x1;                        /* a download in progress */
    LocGlobals.now = 2000;
    LocTouch(b);
    b->downloadState = 0;
    EXPECT_EQ(FirstCount(a), 1);
    LocGlobals.now = 0;
}

TEST_F(Store, GroupsKeepNameOrderAndVanishWhenEmpty)
{
    QMS *c = Add("C", "", "G");
    QMS *a = Add("A", "", "G");
    QMS *b1 = Add("B", "1", "G");
    QMS *b2 = Add("B", "2", "G");
    ASSERT_NE(a->group, nullptr);
    EXPECT_EQ(a->group, c->group);
    std::vector<QMS *> order;
    for (QMS *p = a->group->first; p; p = p->nextInGroup)
        order.push_back(p);
    EXPECT_EQ(order, std::vector<QMS *>({ a, b1, b2, c }));
    strcpy(c->groupName, "H");
    LocSyncGroup(c);
    EXPECT_STREQ(c->group->name, "H");
    c->groupName[0] = 0;
    LocSyncGroup(c);
    EXPECT_EQ(c->group, nullptr);
    EXPECT_EQ(CSTreeFind(LocGroups, "H", 2), nullptr);   /* group H had one member */
    for (QMS *p : { a, b1, b2 })
        LocDelete(&LocTree, p, nullptr);
    EXPECT_EQ(LocGroups, nullptr);
}

/* Group order and rings take the byte order of the whole name field
 * (bytes above 127 after the others, as memcmp has them): names that
 * part at every place of the field, in an order of their adding that is
 * none of theirs, end in the group in the order of a plain compare, and
 * only the records of one name share a ring. */
TEST_F(Store, GroupAndRingOrderFollowTheBytesOfTheName)
{
    std::vector<std::string> names;
    for (size_t at = 0; at < QMS_NAME; at += 5)
        for (int c : { 0x41, 0x61, 0x7F, 0x80, 0xE9, 0xFF }) {
            std::string n(at, 'M');
            n += (char)c;
            names.push_back(n);
        }
    names.push_back(std::string(QMS_NAME, 'M'));       /* the full width */
    names.push_back("M");
    uint32_t seed = 3;
    std::vector<std::string> added = names;
    for (size_t i = added.size(); i > 1; i--) {
        seed = seed * 1103515245u + 12345u;
        std::swap(added[i - 1], added[(seed >> 16) % i]);
    }
    for (const std::string &n : added) {
        ASSERT_NE(Add(n.c_str(), "", "G"), nullptr) << n;
        ASSERT_NE(Add(n.c_str(), "TWO", "G"), nullptr) << n;
    }
    auto field = [](const char *name) {
        std::string f(name);
        f.resize(QMS_NAME + 1, '\0');
        return f;
    };
    std::vector<std::string> expected;
    for (const std::string &n : names) {
        expected.push_back(field(n.c_str()));
        expected.push_back(field(n.c_str()));
    }
    std::sort(expected.begin(), expected.end(), [](const std::string &a, const std::string &b) {
        return memcmp(a.data(), b.data(), QMS_NAME + 1) < 0;
    });
    QMSGROUP *g = LocGroupGet("G");
    ASSERT_NE(g, nullptr);
    std::vector<std::string> order;
    for (QMS *p = g->first; p; p = p->nextInGroup) {
        order.push_back(field(p->qmName));
        ASSERT_NE(p->nextInRing, nullptr) << p->qmName;      /* its twin of the same name */
        EXPECT_STREQ(p->nextInRing->qmName, p->qmName);
        EXPECT_EQ(p->nextInRing->nextInRing, p);
    }
    EXPECT_TRUE(order == expected);
}

TEST_F(Store, StatusChangesRunCommandsAndEvents)
{
    QMS *a = Add("S", "", "", 0, LF_CSL);
    strcpy(a->failCommand, "fail %m");
    strcpy(a->okCommand, " not run");
    LocSetStatus(a, 0, LS_UNKNOWN, 0);             /* the state becomes known */
    EXPECT_EQ(rec.events, std::vector<int>({ 100008 }));
    rec.events.clear();
    rec.calls.clear();
    int repaints = rec.repaints;
    LocSetStatus(a, 0, 0, 0);                      /* nothing changes */
    EXPECT_EQ(rec.repaints, repaints);
    LocSetStatus(a, LS_UNAVAILABLE, 0, 0);
    EXPECT_EQ(rec.commands, std::vector<std::string>({ "fail %m" }));
    EXPECT_EQ(rec.events, std::vector<int>({ 100007 }));
    EXPECT_EQ(rec.repaints, repaints + 1);
    LocSetStatus(a, LS_CANTSEND, 0, 0);            /* still failing: no second run */
    EXPECT_EQ(rec.commands.size(), 1u);
    LocMarkChanged(a);
    EXPECT_EQ(a->status & 0x8006, 0u);
    EXPECT_EQ(rec.commands.size(), 1u);            /* a blank first character: not run */
    EXPECT_EQ(rec.events, std::vector<int>({ 100007, 100008 }));
    a->state |= LST_REDISPLAY;
    LocSetStatus(a, 0, 0, 0);
    EXPECT_EQ(rec.repaints, repaints + 4);
    EXPECT_EQ(a->state & LST_REDISPLAY, 0u);
    LocSetStatus(a, LS_PROCESSNOW, 0, 0);
    EXPECT_EQ(rec.calls.back(), "timer");
    EXPECT_EQ(LocSetStatus(nullptr, 1, 0, 1), nullptr);
}

TEST_F(Store, CapabilitiesAndEncoding)
{
    QMS t;
    InitLocationDefaults(&t);
    strcpy(t.qmName, "CAPS");
    t.platform = 3;
    t.commandLevel = 940;
    t.flags |= LF_PS;
    t.flags2 |= LF2_SSLWK;
    LocGlobals.maxCommandLevel = 920;
    QMS *a = LocCreate(&LocTree, &t, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->commandLevel, 920);
    EXPECT_EQ(a->caps[0], 3);
    EXPECT_EQ(a->caps[28], 1);
    EXPECT_EQ(a->caps[46], 1);
    EXPECT_EQ(a->caps[17], 1);
    EXPECT_EQ(a->encoding, 273u);
    rec.calls.clear();
    LocSetCapabilities(a, 3, 920, 0);
    EXPECT_TRUE(rec.calls.empty());               /* no change, no notice */
    strcpy(a->viaQm, "GW");
    LocSetCapabilities(a, 3, 920, 0);
    EXPECT_EQ(a->caps[17], 0);
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "caps" }));

    QMS e = {};
    e.platform = 1;
    SetDefaultEncoding(&e);
    EXPECT_EQ(e.encoding, 785u);
    e.encodingQm = 0; e.platform = 11;
    SetDefaultEncoding(&e);
    EXPECT_EQ(e.encoding, 546u);
    e.encodingQm = 0; e.platform = 99; e.ccsidQm = 1208;
    SetDefaultEncoding(&e);
    EXPECT_EQ(e.encoding, 0u);
    EXPECT_EQ(e.ccsid, 1208u);
}

TEST_F(Store, MaskMatchNamesAndPaths)
{
    EXPECT_TRUE(LocMaskMatch(0, 0));
    EXPECT_TRUE(LocMaskMatch(0x3, 0x1));
    EXPECT_FALSE(LocMaskMatch(0x2, 0x3));
    EXPECT_TRUE(LocMaskMatch(0x300000000ull, 0x100000000ull));
    EXPECT_FALSE(LocMaskMatch(0x100000000ull, 0x200000000ull));
    EXPECT_TRUE(LocMaskMatch(0x1, 0xF00000001ull));  /* low half only */
    EXPECT_TRUE(StrEqualNull(nullptr, ""));
    EXPECT_FALSE(StrEqualNull("a", nullptr));

    LocResetNameList();
    QMS r = {};
    for (int i = 0; i < 20; i++) {
        snprintf(r.qmName, sizeof r.qmName, "QUEUE.MANAGER.%02d", i);
        LocAddToNameList(&r);
    }
    std::string list = LocNameList();
    EXPECT_LT(list.size(), 100u);
    EXPECT_EQ(list.substr(list.size() - 3), "...");
    EXPECT_EQ(list.find("...") , list.size() - 3);
    LocResetNameList();

#ifndef _WIN32
    setenv("MQ_DATA_PATH", "/data/mq", 1);
#else
    _putenv("MQ_DATA_PATH=/data/mq");
#endif
    char path[300];
    QMS q = {};
    strcpy(q.qmName, "QM1");
    ASSERT_EQ(GetQmgrDataPath(&q, path), 1);
    EXPECT_EQ(std::string(path), std::string("/data/mq") + CSPathSep + "Qmgrs" + CSPathSep + "QM1");
    q.flags = LF_CLIENT;
    GetQmgrDataPath(&q, path);
    EXPECT_STREQ(path, "/data/mq");
    strcpy(q.viaQm, "X");
    EXPECT_EQ(GetQmgrDataPath(&q, path), 0);
#ifdef _WIN32
    /* without the variable and an installation's keys: the Windows folder
     * an installation uses, never a Unix home folder */
    _putenv("MQ_DATA_PATH=");
    char registry[300];
    if (!LocHostMQDataPath(registry, sizeof registry) && CSRunningOnWine) {
        ASSERT_EQ(GetMQDataPath(path), 1);
        std::string p = path, tail = std::string(1, CSPathSep) + "IBM" + CSPathSep + "MQ";
        EXPECT_EQ(p.substr(1, 1), ":") << p;
        EXPECT_EQ(p.substr(p.size() - tail.size()), tail) << p;
        EXPECT_EQ(p.find("/home/"), std::string::npos) << p;
    }
#endif
}

/* Deletion waits for the location's threads; the record is freed only by
 * the user-interface thread. */
TEST_F(Store, DeferredDeletion)
{
    QMS *a = Add("DEL");
    a->getThread.state = QMSTHREAD_RUNNING;
    a->putThread.state = QMSTHREAD_RUNNING;
    rec.calls.clear();
    LocDelete(&LocTree, a, nullptr);
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "end get" }));
    EXPECT_TRUE(a->state & LST_DELETING);
    EXPECT_EQ(LocFind("DEL"), a);
    a->getThread.state = 0;                       /* the get thread ended */
    LocDelete(&LocTree, a, nullptr);
    EXPECT_EQ(rec.calls.back(), "end put");
    a->putThread.state = 0;
    rec.calls.clear();
    LocDelete(&LocTree, a, nullptr);
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "begin", "dialogs", "remove DEL", "end" }));
    EXPECT_EQ(LocFind("DEL"), nullptr);

    LocGlobals.uiThread = CSGetThreadId();
    int fromWorker = 0;
    std::thread([&] { fromWorker = LocFlushFreed(); }).join();
    EXPECT_EQ(fromWorker, -1);
    EXPECT_EQ(LocFlushFreed(), 1);
}

/* The parts of a record that the libraries above lay out (the
 * client-channel area, the dialog records) go back through the release
 * hooks: the dialog records when the record is deleted, the area when it
 * is freed.  Without the hooks the store leaves both alone. */
TEST_F(Store, ReleaseHooksFreeThePartsOfTheLibrariesAbove)
{
    static std::vector<std::string> released;
    released.clear();
    LOCRELEASEHOOKS h = {};
    h.freeClientData = [](void *, QMS *r) {
        released.push_back(std::string("client ") + r->qmName);
        CSFreeMemAndClear(&r->clientSettings);
    };
    h.freeDialogs = [](void *, CSTREE **tree) {
        released.push_back("dialogs");
        CSFreeMemAndClear(tree);
    };
    LocSetReleaseHooks(&h);
    QMS *a = Add("REL");
    a->clientSettings = CSGetMem(16, "TEST");
    a->dialogs = (CSTREE *)CSGetMem(sizeof(CSTREE), "TEST");
    LocDelete(&LocTree, a, nullptr);
    EXPECT_EQ(released, std::vector<std::string>({ "dialogs" }));
    EXPECT_EQ(LocFlushFreed(), 1);
    EXPECT_EQ(released, std::vector<std::string>({ "dialogs", "client REL" }));

    LocSetReleaseHooks(nullptr);
    released.clear();
    void *area = CSGetMem(16, "TEST");
    void *tree = CSGetMem(sizeof(CSTREE), "TEST");
    QMS *b = Add("KEEP");
    b->clientSettings = area;
    b->dialogs = (CSTREE *)tree;
    LocDelete(&LocTree, b, nullptr);
    EXPECT_EQ(LocFlushFreed(), 1);
    EXPECT_TRUE(released.empty());
    CSFreeMem(area);                   /* still ours: a double free would show */
    CSFreeMem(tree);
}

/* A worker thread adds locations (as a returned monitor message does)
 * while the user-interface thread looks them up and deletes others. */
TEST_F(Store, WorkerInsertsWhileTheInterfaceThreadWorks)
{
    LocSetHooks(nullptr);
    for (int i = 0; i < 100; i++)
        Add(("UI" + std::to_string(i)).c_str());
    std::atomic<int> added{ 0 };
    std::thread worker([&] {
        for (int i = 0; i < 300; i++) {
            QMS t;
            InitLocationDefaults(&t);
            snprintf(t.qmName, sizeof t.qmName, "W%03d", i);
            if (!LocFindByNames(t.qmName, "RAVOLT") && LocCreate(&LocTree, &t, 0))
                added++;
        }
    });
    for (int i = 0; i < 100; i++) {
        QMS *r = LocFind(("UI" + std::to_string(i)).c_str());
        ASSERT_NE(r, nullptr);
        LocDelete(&LocTree, r, nullptr);
        LocFind("W000");
    }
    worker.join();
    EXPECT_EQ(added.load(), 300);
    int n = 0;
    LocLockStore();
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        n++;
    LocUnlockStore();
    EXPECT_EQ(n, 300);
    EXPECT_EQ(LocFlushFreed(), 100);
}

/* Two threads keep joining and leaving one group, each the group's only
 * member at times: the group must not vanish between being found and
 * being joined. */
TEST_F(Store, GroupJoinedWhileItsLastMemberLeaves)
{
    LocSetHooks(nullptr);
    auto churn = [](const char *prefix) {
        for (int i = 0; i < 4000; i++) {
            QMS t;
            InitLocationDefaults(&t);
            snprintf(t.qmName, sizeof t.qmName, "%s%d", prefix, i);
            strcpy(t.groupName, "SHARED");
            QMS *r = LocCreate(&LocTree, &t, 0);
            if (r)
                LocDelete(&LocTree, r, nullptr);
        }
    };
    std::thread worker(churn, "W");
    churn("U");
    worker.join();
    EXPECT_EQ(LocGroups, nullptr);
    EXPECT_EQ(LocFlushFreed(), 8000);
}

/* Both threads' end messages may each repeat a pending deletion: a second
 * call for a record already deleted changes nothing. */
TEST_F(Store, DeletionRepeatedAfterItCompleted)
{
    QMS *a = Add("TWICE");
    QMS *b = Add("OTHER");
    LocDelete(&LocTree, a, nullptr);
    rec.calls.clear();
    LocDelete(&LocTree, a, nullptr);
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_EQ(LocFind("OTHER"), b);
    EXPECT_EQ(LocFlushFreed(), 1);
}

/* A worker and the user-interface thread change different status bits of
 * one location at the same time: neither change is lost. */
TEST_F(Store, StatusChangedFromTwoThreads)
{
    LocSetHooks(nullptr);
    QMS *a = Add("BUSY");
    auto toggle = [a](uint32_t bit) {
        for (int i = 0; i < 200000; i++) {
            LocSetStatus(a, bit, 0, 0);
            LocSetStatus(a, 0, bit, 0);
        }
        LocSetStatus(a, bit, 0, 0);
    };
    std::thread worker(toggle, (uint32_t)LS_CANTSEND);
    toggle(LS_DISABLED);
    worker.join();
    EXPECT_EQ(a->status & (LS_CANTSEND | LS_DISABLED), (uint32_t)(LS_CANTSEND | LS_DISABLED));
}

}  // namespace
