/* Persistence: committed persistent messages survive a killed process,
 * uncommitted work is backed out, a torn log tail is dropped, and one
 * process at a time owns a queue manager.  The child side runs in this
 * same executable ("--child MODE HOME"). */
#include "simtest.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
static void KillSelf(void) { TerminateProcess(GetCurrentProcess(), 9); }
static const int Killed = 9;
#else
#include <signal.h>
#include <unistd.h>
static void KillSelf(void) { kill(getpid(), SIGKILL); }
static const int Killed = 100 + SIGKILL;
#endif

static MQLONG ChildPut(MQHCONN h, MQHOBJ o, const char *text, MQLONG persistence, MQLONG options)
{
    MQMD md = {MQMD_DEFAULT};
    md.Persistence = persistence;
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = options;
    MQLONG cc, rc;
    MQPUT(h, o, &md, &pmo, (MQLONG)strlen(text), (PMQVOID)text, &cc, &rc);
    return rc;
}

int SimChannelChild(const char *mode, const std::string &home);

int SimChildMain(const char *mode, const char *home)
{
    SimTestSetEnv("RAVOLT_MQSIM_HOME", home);
    if (strncmp(mode, "chan-", 5) == 0)
        return SimChannelChild(mode, home);
    char name[48];
    FILL(name, "QM1");
    MQHCONN h;
    MQLONG cc, rc;
    MQCONN(name, &h, &cc, &rc);
    if (strcmp(mode, "connect") == 0) {
        /* served by the owner: what it puts lands in the owner's queue */
        if (rc)
            return 1;
        MQOD od = {MQOD_DEFAULT};
        FILL(od.ObjectName, "P.Q");
        MQMD md = {MQMD_DEFAULT};
        MQPMO pmo = {MQPMO_DEFAULT};
        MQPUT1(h, &od, &md, &pmo, 5, (PMQVOID) "child", &cc, &rc);
        MQDISC(&h, &cc, &rc);
        return rc ? 2 : 0;
    }
    if (rc)
        return 2;
    MQOD od = {MQOD_DEFAULT};
    FILL(od.ObjectName, "P.Q");
    MQHOBJ o;
    MQOPEN(h, &od, MQOO_OUTPUT | MQOO_INPUT_SHARED, &o, &cc, &rc);
    if (rc)
        return 3;
    if (strcmp(mode, "putid") == 0) {
        rc = ChildPut(h, o, "one run", MQPER_PERSISTENT, MQPMO_NO_SYNCPOINT | MQPMO_NEW_MSG_ID);
        MQDISC(&h, &cc, &rc);
        return rc ? 7 : 0;
    }
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_SYNCPOINT;
    char buf[64];
    MQLONG len;
    MQGET(h, o, &md, &gmo, sizeof buf, buf, &len, &cc, &rc);       /* "g0", never committed */
    if (rc)
        return 4;
    for (const char *p : {"p0", "p1", "p2"})
        if (ChildPut(h, o, p, MQPER_PERSISTENT, MQPMO_NO_SYNCPOINT))
            return 5;
    ChildPut(h, o, "uncommitted", MQPER_PERSISTENT, MQPMO_SYNCPOINT);
    ChildPut(h, o, "non-persistent", MQPER_NOT_PERSISTENT, MQPMO_NO_SYNCPOINT);
    KillSelf();
    return 6;
}

static std::string Contents(Sim *t, MQHCONN h)
{
    MQHOBJ o = t->Open(h, "P.Q", MQOO_BROWSE);
    std::string all, d;
    MQLONG opt = MQGMO_BROWSE_FIRST;
    while (t->Get(h, o, &d, opt) == 0) {
        all += d + ",";
        opt = MQGMO_BROWSE_NEXT;
    }
    t->Close(h, o);
    return all;
}

TEST_F(Sim, PersistentMessagesSurviveKilledProcess)
{
    Mqsc("QM1", "DEFINE QLOCAL(P.Q) MAXDEPTH(100)");
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "P.Q", MQOO_OUTPUT);
    MQMD md = {MQMD_DEFAULT};
    md.Persistence = MQPER_PERSISTENT;
    ASSERT_EQ(Put(h, o, "g0", &md), 0);
    MQSimShutdown();
    ASSERT_EQ(SimTestRunChild("put", home), Killed);
    h = Connect("QM1");
    EXPECT_EQ(Contents(this, h), "g0,p0,p1,p2,");
    /* the object definitions came back too */
    MQHOBJ q = Open(h, "P.Q", MQOO_INQUIRE);
    MQLONG sel = MQIA_MAX_Q_DEPTH, v = 0, cc, rc;
    MQINQ(h, q, 1, &sel, 1, &v, 0, nullptr, &cc, &rc);
    EXPECT_EQ(v, 100);
    MQSimShutdown();
    /* a record torn in the middle is dropped, the rest kept */
    std::string log = home + "/QM1/qm.log";
    FILE *f = fopen(log.c_str(), "ab");
    ASSERT_TRUE(f);
    unsigned char torn[] = {200, 0, 0, 0, 1, 2, 3, 4, 'M', 9, 9};
    fwrite(torn, 1, sizeof torn, f);
    fclose(f);
    h = Connect("QM1");
    EXPECT_EQ(Contents(this, h), "g0,p0,p1,p2,");
}

TEST_F(Sim, OneOwnerProcessPerQueueManager)
{
    Mqsc("QM1", "DEFINE QLOCAL(P.Q)");
    MQHCONN h = Connect("QM1");
    EXPECT_EQ(SimTestRunChild("connect", home), 0);     /* served, not loaded twice */
    EXPECT_EQ(Depth(h, "P.Q"), 1);
}

TEST_F(Sim, DamagedLogNeverCrashes)
{
    Mqsc("QM1", "DEFINE QLOCAL(P.Q) DESCR('x')\nDEFINE NAMELIST(NL1) NAMES(A, B)");
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "P.Q", MQOO_OUTPUT);
    MQMD md = {MQMD_DEFAULT};
    md.Persistence = MQPER_PERSISTENT;
    for (int i = 0; i < 3; i++)
        Put(h, o, "persistent", &md);
    MQSimShutdown();
    std::string log = home + "/QM1/qm.log";
    FILE *f = fopen(log.c_str(), "rb");
    ASSERT_TRUE(f);
    std::string good;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        good.append(buf, n);
    fclose(f);
    srand(7);
    for (int round = 0; round < 60; round++) {
        std::string bad = good;
        if (round < 20)
            bad.resize(good.size() * (size_t)round / 20);
        else
            for (int k = 0; k < 8; k++)
                bad[(size_t)rand() % bad.size()] = (char)rand();
        f = fopen(log.c_str(), "wb");
        fwrite(bad.data(), 1, bad.size(), f);
        fclose(f);
        MQHCONN x;
        char name[48];
        FILL(name, "QM1");
        MQLONG cc, rc;
        MQCONN(name, &x, &cc, &rc);
        if (rc == 0) {
            MQOD od = {MQOD_DEFAULT};
            FILL(od.ObjectName, "P.Q");
            MQHOBJ b;
            MQOPEN(x, &od, MQOO_BROWSE, &b, &cc, &rc);
        }
        MQSimShutdown();
    }
}

/* A unit of work that moves a message between queues reaches the log
 * whole or not at all: a process killed anywhere in its commit leaves the
 * message on exactly one of the queues. */
TEST_F(Sim, KilledCommitNeitherLosesNorDuplicates)
{
    Mqsc("QM1", "DEFINE QLOCAL(A.Q)\nDEFINE QLOCAL(B.Q)");
    MQHCONN h = Connect("QM1");
    MQHOBJ a = Open(h, "A.Q", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    MQHOBJ b = Open(h, "B.Q", MQOO_OUTPUT);
    MQMD md = {MQMD_DEFAULT};
    md.Persistence = MQPER_PERSISTENT;
    ASSERT_EQ(Put(h, a, "moved", &md), 0);
    MQSimShutdown();
    std::string log = home + "/QM1/qm.log";
    auto slurp = [&log] {
        std::string all;
        FILE *f = fopen(log.c_str(), "rb");
        char buf[4096];
        size_t n;
        while (f && (n = fread(buf, 1, sizeof buf, f)) > 0)
            all.append(buf, n);
        if (f)
            fclose(f);
        return all;
    };
    h = Connect("QM1");
    std::string before = slurp();
    a = Open(h, "A.Q", MQOO_INPUT_SHARED);
    b = Open(h, "B.Q", MQOO_OUTPUT);
    std::string data;
    ASSERT_EQ(Get(h, a, &data, MQGMO_SYNCPOINT), 0);
    md = MQMD{MQMD_DEFAULT};
    md.Persistence = MQPER_PERSISTENT;
    ASSERT_EQ(Put(h, b, data, &md, MQPMO_SYNCPOINT), 0);
    MQLONG cc, rc;
    MQCMIT(h, &cc, &rc);
    ASSERT_EQ(rc, 0);
    MQSimShutdown();
    std::string after = slurp();
    ASSERT_EQ(after.compare(0, before.size(), before), 0);
    for (size_t cut = before.size(); cut <= after.size(); cut++) {
        FILE *f = fopen(log.c_str(), "wb");
        ASSERT_TRUE(f);
        fwrite(after.data(), 1, cut, f);
        fclose(f);
        h = Connect("QM1");
        MQLONG onA = Depth(h, "A.Q"), onB = Depth(h, "B.Q");
        EXPECT_EQ(onA + onB, 1) << "log cut at " << cut << " of " << after.size();
        MQSimShutdown();
        if (onA + onB != 1)
            break;
    }
}

/* Message identifiers made by one run of a program are never made again
 * by the next run. */
TEST_F(Sim, MessageIdsUniqueAcrossRuns)
{
    Mqsc("QM1", "DEFINE QLOCAL(P.Q)");
    MQSimShutdown();
    ASSERT_EQ(SimTestRunChild("putid", home), 0);
    ASSERT_EQ(SimTestRunChild("putid", home), 0);
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "P.Q", MQOO_BROWSE);
    MQMD first = {MQMD_DEFAULT}, second = {MQMD_DEFAULT};
    std::string d;
    ASSERT_EQ(Get(h, o, &d, MQGMO_BROWSE_FIRST, &first), 0);
    ASSERT_EQ(Get(h, o, &d, MQGMO_BROWSE_NEXT, &second), 0);
    EXPECT_NE(memcmp(first.MsgId, second.MsgId, 24), 0);
}

/* The log is rewritten while a unit of work holds a persistent message
 * got and another put: after a restart the get is undone if it was not
 * committed, and a committed put is there. */
TEST_F(Sim, CompactionWithWorkInFlight)
{
    Mqsc("QM1", "DEFINE QLOCAL(A.Q) MAXMSGL(2000000)\nDEFINE QLOCAL(CHURN.Q) MAXMSGL(2000000)");
    MQHCONN h = Connect("QM1"), w = Connect("QM1");
    MQHOBJ a = Open(w, "A.Q", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    MQMD md = {MQMD_DEFAULT};
    md.Persistence = MQPER_PERSISTENT;
    ASSERT_EQ(Put(w, a, "held", &md), 0);
    std::string d;
    ASSERT_EQ(Get(w, a, &d, MQGMO_SYNCPOINT), 0);              /* got, not committed */
    md = MQMD{MQMD_DEFAULT};
    md.Persistence = MQPER_PERSISTENT;
    ASSERT_EQ(Put(w, a, "pending", &md, MQPMO_SYNCPOINT), 0);  /* put, not committed */
    MQHOBJ churn = Open(h, "CHURN.Q", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    std::string big(1 << 20, 'x');
    for (int i = 0; i < 40; i++) {                              /* enough to rewrite the log */
        md = MQMD{MQMD_DEFAULT};
        md.Persistence = MQPER_PERSISTENT;
        ASSERT_EQ(Put(h, churn, big, &md), 0);
        ASSERT_EQ(Get(h, churn, &d, MQGMO_NO_WAIT, nullptr, nullptr, 1 << 21), 0);
    }
    MQLONG cc, rc;
    MQCMIT(w, &cc, &rc);                                         /* "held" gone, "pending" there */
    ASSERT_EQ(rc, 0);
    std::string logPath = home + "/QM1/qm.log";
    FILE *f = fopen(logPath.c_str(), "rb");
    ASSERT_TRUE(f);
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fclose(f);
    EXPECT_LT(size, 20L << 20);                                  /* it was rewritten */
    MQSimShutdown();
    h = Connect("QM1");
    a = Open(h, "A.Q", MQOO_INPUT_SHARED);
    EXPECT_EQ(Get(h, a, &d), 0);
    EXPECT_EQ(d, "pending");
    EXPECT_EQ(Get(h, a, &d), MQRC_NO_MSG_AVAILABLE);
}
