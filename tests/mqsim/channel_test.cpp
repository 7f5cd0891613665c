/* The local channel: a second process reaches a queue manager that
 * another process has loaded, the owner's faults strike the owner's own
 * calls, and a broken connection backs out its work.  The owner and the
 * other clients are this executable run again ("--child chan-...");
 * they take orders through files in the home folder. */
#include "simtest.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
static void KillSelf(void) { TerminateProcess(GetCurrentProcess(), 9); }
#else
#include <signal.h>
#include <unistd.h>
static void KillSelf(void) { kill(getpid(), SIGKILL); }
#endif

static MQLONG PutText(MQHCONN h, MQHOBJ o, const char *text, MQLONG options)
{
    MQMD md = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = options;
    MQLONG cc, rc;
    MQPUT(h, o, &md, &pmo, (MQLONG)strlen(text), (PMQVOID)text, &cc, &rc);
    return rc;
}

/* How long an owner waits for its orders: as long as a test program may
 * run. */
static const int OwnerLifeMs = 600000;

/* The owner's work when told ("go"): five puts and a commit on a
 * connection of its own, each reason written to "result". */
static void OwnerWork(const std::string &home)
{
    char name[48];
    FILL(name, "QM1");
    MQHCONN h;
    MQHOBJ o;
    MQLONG cc, rc;
    std::string out;
    MQCONN(name, &h, &cc, &rc);
    MQOD od = {MQOD_DEFAULT};
    FILL(od.ObjectName, "P.Q");
    MQOPEN(h, &od, MQOO_OUTPUT, &o, &cc, &rc);
    for (int i = 0; i < 5; i++)
        out += std::to_string(PutText(h, o, "owner", MQPMO_SYNCPOINT)) + " ";
    MQCMIT(h, &cc, &rc);
    out += std::to_string(rc);
    MQDISC(&h, &cc, &rc);
    FILE *f = fopen((home + "/result.new").c_str(), "wb");
    fputs(out.c_str(), f);
    fclose(f);
    rename((home + "/result.new").c_str(), (home + "/result").c_str());
}

int SimChannelChild(const char *mode, const std::string &home)
{
    char name[48];
    FILL(name, "QM1");
    MQHCONN h;
    MQLONG cc, rc;
    MQCONN(name, &h, &cc, &rc);
    if (rc)
        return 1;
    if (strcmp(mode, "chan-owner") == 0) {
        SimTestTouch(home + "/ready");
        bool quit = false;
        SimTestPoll([&] {
            if (remove((home + "/go").c_str()) == 0)
                OwnerWork(home);
            if (remove((home + "/await-get").c_str()) == 0 && SimTestWaitInputCall("R.Q"))
                SimTestTouch(home + "/get-awaited");       /* a served get of R.Q is in its call */
            return quit = remove((home + "/quit").c_str()) == 0;
        }, OwnerLifeMs);
        if (!quit)
            return 2;
        MQSimShutdown();
        return 0;
    }
    if (strcmp(mode, "chan-vanish") == 0) {
        /* a client killed with a destructive get uncommitted */
        MQOD od = {MQOD_DEFAULT};
        FILL(od.ObjectName, "P.Q");
        MQHOBJ o;
        MQOPEN(h, &od, MQOO_INPUT_SHARED, &o, &cc, &rc);
        MQMD md = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_SYNCPOINT | MQGMO_NO_WAIT;
        char buf[64];
        MQLONG len;
        MQGET(h, o, &md, &gmo, sizeof buf, buf, &len, &cc, &rc);
        if (rc)
            return 3;
        KillSelf();
    }
    return 4;
}

class Channel : public Sim {
public:
    intptr_t owner = -1;
    void StartOwner()
    {
        MQSimShutdown();
        owner = SimTestStartChild("chan-owner", home);
        ASSERT_TRUE(SimTestWaitFile(home + "/ready"));
    }
    int StopOwner()
    {
        SimTestTouch(home + "/quit");
        int rc = SimTestWaitChild(owner);
        owner = -1;
        return rc;
    }
    void TearDown() override
    {
        if (owner != -1)
            StopOwner();
        Sim::TearDown();
    }
    /* Polls the depth until it is as expected (the owner ends a lost
     * client's work as soon as it sees the channel close). */
    MQLONG DepthBecomes(MQHCONN h, const char *queue, MQLONG want)
    {
        MQLONG d = -1;
        SimTestPoll([&] { return (d = Depth(h, queue)) == want; });
        return d;
    }
    /* Browses the first message of a queue, waiting for one to come. */
    MQLONG BrowseFirst(MQHCONN h, MQHOBJ o, std::string *data, MQMD *md)
    {
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_BROWSE_FIRST | MQGMO_WAIT;
        gmo.WaitInterval = SimTestEventMs;
        return Get(h, o, data, 0, md, &gmo);
    }
};

/* Every verb the channel carries, as it behaves in the owner: puts and
 * put1 with their ids back, browse, gets under syncpoint with commit and
 * back out, a waiting get woken by another connection's put, truncation,
 * inquire, set, close and disconnect; the tool lists while the owner
 * runs; the owner's end breaks the connections it served. */
TEST_F(Channel, ServesEveryVerbToASecondProcess)
{
    Mqsc("QM1", "DEFINE QLOCAL(P.Q) DESCR('served')\nDEFINE QLOCAL(R.Q)");
    StartOwner();
    MQHCONN h = Connect("QM1"), h2 = Connect("QM1");
    ASSERT_NE(h, MQHC_UNUSABLE_HCONN);
    MQHOBJ o = Open(h, "P.Q", MQOO_INPUT_SHARED | MQOO_OUTPUT | MQOO_BROWSE | MQOO_INQUIRE | MQOO_SET);
    MQMD md = {MQMD_DEFAULT};
    memcpy(md.MsgId, "first-message-id........", 24);
    ASSERT_EQ(Put(h, o, "one", &md), 0);
    ASSERT_EQ(Put(h, o, "two"), 0);
    MQOD od = {MQOD_DEFAULT};
    FILL(od.ObjectName, "P.Q");
    MQMD md1 = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    MQLONG cc, rc;
    MQPUT1(h, &od, &md1, &pmo, 5, (PMQVOID) "three", &cc, &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_NE(memcmp(md1.MsgId, MQMI_NONE, 24), 0);           /* the owner's new id came back */
    EXPECT_EQ(Depth(h2, "P.Q"), 3);

    MQHOBJ b = Open(h2, "P.Q", MQOO_BROWSE);
    std::string data;
    MQMD got = {MQMD_DEFAULT};
    ASSERT_EQ(Get(h2, b, &data, MQGMO_BROWSE_FIRST, &got), 0);
    EXPECT_EQ(data, "one");
    EXPECT_EQ(memcmp(got.MsgId, "first-message-id", 16), 0);
    /* a get under syncpoint hides the message from others until backed out */
    ASSERT_EQ(Get(h, o, &data, MQGMO_SYNCPOINT | MQGMO_NO_WAIT), 0);
    EXPECT_EQ(Get(h2, b, &data, MQGMO_BROWSE_FIRST), 0);
    EXPECT_EQ(data, "two");
    MQBACK(h, &cc, &rc);
    EXPECT_EQ(rc, 0);
    MQMD again = {MQMD_DEFAULT};
    EXPECT_EQ(Get(h2, b, &data, MQGMO_BROWSE_FIRST, &again), 0);
    EXPECT_EQ(data, "one");
    EXPECT_EQ(again.BackoutCount, 1);
    ASSERT_EQ(Get(h, o, &data, MQGMO_SYNCPOINT | MQGMO_NO_WAIT), 0);
    MQCMIT(h, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Depth(h2, "P.Q"), 2);
    /* too small a buffer: 2080 with the length */
    MQLONG len = 0;
    char small[2];
    MQMD tmd = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_BROWSE_FIRST;
    MQGET(h2, b, &tmd, &gmo, sizeof small, small, &len, &cc, &rc);
    EXPECT_EQ(rc, MQRC_TRUNCATED_MSG_FAILED);
    EXPECT_EQ(len, 3);
    EXPECT_EQ(memcmp(small, "tw", 2), 0);

    /* inquire and set */
    MQLONG sels[] = {MQCA_Q_DESC, MQIA_INHIBIT_PUT}, ints[1] = {-1};
    char chars[64];
    MQINQ(h, o, 2, sels, 1, ints, 64, chars, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(std::string(chars, 6), "served");
    MQLONG inhibit = MQQA_PUT_INHIBITED;
    MQSET(h, o, 1, &sels[1], 1, &inhibit, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Put(h, o, "refused"), MQRC_PUT_INHIBITED);
    inhibit = MQQA_PUT_ALLOWED;
    MQSET(h, o, 1, &sels[1], 1, &inhibit, 0, nullptr, &cc, &rc);

    /* a waiting get on one connection, woken by a put on another made once
     * the owner serves the get; it ends before its interval would (a get
     * not woken finds the message only when its interval runs out) */
    MQHOBJ r = Open(h2, "R.Q", MQOO_INPUT_SHARED);
    MQHOBJ ro = Open(h, "R.Q", MQOO_OUTPUT);
    const int interval = 10000;
    std::string waited;
    MQLONG waitRc = -1;
    std::chrono::steady_clock::duration took{};
    std::thread waiter([&] {
        MQGMO wg = {MQGMO_DEFAULT};
        wg.Options = MQGMO_WAIT;
        wg.WaitInterval = interval;
        auto start = std::chrono::steady_clock::now();
        waitRc = Get(h2, r, &waited, 0, nullptr, &wg);
        took = std::chrono::steady_clock::now() - start;
    });
    SimTestTouch(home + "/await-get");
    EXPECT_TRUE(SimTestWaitFile(home + "/get-awaited"));
    EXPECT_EQ(Put(h, ro, "wake"), 0);
    waiter.join();
    EXPECT_EQ(waitRc, 0);
    EXPECT_EQ(waited, "wake");
    EXPECT_LT(took, std::chrono::milliseconds(interval));

    /* the tool lists and dumps while the owner runs */
#ifdef _WIN32
    std::string tool = SimTestExeDir() + "mqsim.exe";
#else
    std::string tool = SimTestExeDir() + "mqsim";
#endif
    int trc;
    std::string out = SimTestRun("\"" + tool + "\" -d \"" + home + "\" -m QM1 dump P.Q", &trc);
    EXPECT_EQ(trc, 0);
    EXPECT_NE(out.find("Message 2"), std::string::npos) << out;
    EXPECT_NE(out.find("74 68 72 65 65"), std::string::npos) << out;   /* "three" */

    Close(h, o);
    MQDISC(&h, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Put(h, ro, "after"), MQRC_HCONN_ERROR);
    /* the owner ends: what it served is broken */
    EXPECT_EQ(StopOwner(), 0);
    MQLONG sel = MQIA_CURRENT_Q_DEPTH, d;
    MQINQ(h2, b, 1, &sel, 1, &d, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_CONNECTION_BROKEN);
}

/* Messages of every size cross whole and in order, each way: sizes
 * around the point where a frame no longer fits one receive, and ones
 * of megabytes; a browse of a few thousand messages over the channel
 * sees each once, in the owner's order, as a browse in the owner does;
 * destructive gets under syncpoint backed out leave them as they were. */
TEST_F(Channel, MessagesOfEverySizeAndManyCrossWholeInOrder)
{
    Mqsc("QM1", "DEFINE QLOCAL(P.Q) MAXMSGL(8388608)\nDEFINE QLOCAL(MANY.Q) MAXDEPTH(10000)\n"
                "ALTER QMGR MAXMSGL(8388608) MAXUMSGS(10000)");
    StartOwner();
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "P.Q", MQOO_OUTPUT | MQOO_BROWSE | MQOO_INPUT_SHARED);
    std::vector<size_t> sizes = {0, 1, 4096};
    for (size_t edge : {16384, 65536})
        for (size_t n = edge - 640; n < edge + 64; n += 61)
            sizes.push_back(n);
    sizes.push_back((1 << 20) + 7);
    sizes.push_back(3 << 20);
    std::vector<std::string> sent;
    for (size_t i = 0; i < sizes.size(); i++) {
        std::string data(sizes[i], '\0');
        for (size_t k = 0; k < data.size(); k++)
            data[k] = (char)(k * 31 + i * 7 + k / 251);
        sent.push_back(data);
        ASSERT_EQ(Put(h, o, data), 0) << sizes[i];
    }
    std::string got;
    for (size_t i = 0; i < sent.size(); i++) {
        ASSERT_EQ(Get(h, o, &got, i ? MQGMO_BROWSE_NEXT : MQGMO_BROWSE_FIRST, nullptr, nullptr, 4 << 20), 0);
        EXPECT_TRUE(got == sent[i]) << "message " << i << " of " << sizes[i] << " bytes came back as " << got.size();
    }
    EXPECT_EQ(Get(h, o, &got, MQGMO_BROWSE_NEXT), MQRC_NO_MSG_AVAILABLE);

    /* the many: put in one unit of work, browsed by id in order */
    MQHOBJ m = Open(h, "MANY.Q", MQOO_OUTPUT | MQOO_BROWSE | MQOO_INPUT_SHARED);
    const int count = 3000;
    for (int i = 0; i < count; i++)
        ASSERT_EQ(Put(h, m, "message " + std::to_string(i), nullptr, MQPMO_SYNCPOINT), 0);
    MQLONG cc, rc;
    MQCMIT(h, &cc, &rc);
    ASSERT_EQ(rc, 0);
    MQHCONN h2 = Connect("QM1");
    MQHOBJ b = Open(h2, "MANY.Q", MQOO_BROWSE);
    for (int pass = 0; pass < 2; pass++) {
        int seen = 0;
        MQLONG browse = MQGMO_BROWSE_FIRST;
        MQMD md = {MQMD_DEFAULT};
        while (Get(h2, b, &got, browse, &md) == 0) {
            EXPECT_EQ(got, "message " + std::to_string(seen));
            EXPECT_EQ(md.BackoutCount, pass);
            browse = MQGMO_BROWSE_NEXT;
            seen++;
            md = MQMD{MQMD_DEFAULT};
        }
        EXPECT_EQ(seen, count);
        /* taken under syncpoint by the other connection, then backed out */
        for (int i = 0; pass == 0 && i < count; i++)
            ASSERT_EQ(Get(h, m, &got, MQGMO_SYNCPOINT | MQGMO_NO_WAIT), 0);
        EXPECT_EQ(Get(h2, b, &got, MQGMO_BROWSE_FIRST), pass == 0 ? MQRC_NO_MSG_AVAILABLE : 0);
        MQBACK(h, &cc, &rc);
        EXPECT_EQ(rc, 0);
    }
    EXPECT_EQ(Depth(h2, "MANY.Q"), count);
}

/* A client that vanishes has its unit of work backed out by the owner;
 * a channel file whose key is wrong reaches nothing. */
TEST_F(Channel, VanishedClientIsBackedOutAndKeysAreChecked)
{
    Mqsc("QM1", "DEFINE QLOCAL(P.Q)");
    StartOwner();
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "P.Q", MQOO_OUTPUT | MQOO_BROWSE);
    ASSERT_EQ(Put(h, o, "kept"), 0);
    EXPECT_NE(SimTestRunChild("chan-vanish", home), 3);
    /* hidden by the client's get until the owner, seeing the channel
     * close, backs it out */
    MQMD md = {MQMD_DEFAULT};
    std::string data;
    ASSERT_EQ(BrowseFirst(h, o, &data, &md), 0);
    EXPECT_EQ(data, "kept");
    EXPECT_EQ(md.BackoutCount, 1);
    EXPECT_EQ(Depth(h, "P.Q"), 1);

    std::string chan = home + "/QM1/channel";
    FILE *f = fopen(chan.c_str(), "rb");
    ASSERT_TRUE(f);
    int port = 0;
    ASSERT_EQ(fscanf(f, "%d", &port), 1);
    fclose(f);
    f = fopen(chan.c_str(), "wb");
    fprintf(f, "%d 0123456789abcdef\n", port);
    fclose(f);
    Connect("QM1", MQRC_Q_MGR_NOT_AVAILABLE);
    EXPECT_EQ(MQSimFaultInOwner((PMQCHAR) "MQPUT", (PMQCHAR) "QM1", 1, 1, 2009, 0), MQRC_Q_MGR_NOT_AVAILABLE);
}

/* Faults armed from another process strike the owner's own calls at the
 * n-th call, never the calls it serves; an injected 2009 breaks the
 * owner's connection (its work backed out, later calls 2009), and one
 * injected on a served connection by its client does the same. */
TEST_F(Channel, FaultsInTheOwnerAndBrokenConnections)
{
    Mqsc("QM1", "DEFINE QLOCAL(P.Q)");
    StartOwner();
    EXPECT_EQ(MQSimFaultInOwner((PMQCHAR) "MQPUT", (PMQCHAR) "QM1", 3, 1, MQRC_CONNECTION_BROKEN, 0), 0);
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "P.Q", MQOO_OUTPUT);
    EXPECT_EQ(Put(h, o, "served, not struck"), 0);
    EXPECT_EQ(Put(h, o, "served, not struck"), 0);
    EXPECT_EQ(Put(h, o, "served, not struck"), 0);
    SimTestTouch(home + "/go");
    ASSERT_TRUE(SimTestWaitFile(home + "/result"));
    FILE *f = fopen((home + "/result").c_str(), "rb");
    char result[128] = "";
    ASSERT_TRUE(fgets(result, sizeof result, f));
    fclose(f);
    EXPECT_STREQ(result, "0 0 2009 2009 2009 2009");
    EXPECT_EQ(Depth(h, "P.Q"), 3);                       /* the owner's two puts backed out */

    /* the client's own fault on its served connection */
    ASSERT_EQ(Put(h, o, "uncommitted", nullptr, MQPMO_SYNCPOINT), 0);
    MQSimFault((PMQCHAR) "MQCMIT", 1, MQRC_CONNECTION_BROKEN, 0);
    MQLONG cc, rc;
    MQCMIT(h, &cc, &rc);
    EXPECT_EQ(rc, MQRC_CONNECTION_BROKEN);
    EXPECT_EQ(Put(h, o, "later"), MQRC_CONNECTION_BROKEN);
    MQHCONN h2 = Connect("QM1");
    EXPECT_EQ(DepthBecomes(h2, "P.Q", 3), 3);
    MQDISC(&h, &cc, &rc);
    EXPECT_EQ(rc, MQRC_CONNECTION_BROKEN);
    EXPECT_EQ(h, MQHC_UNUSABLE_HCONN);
}

/* A command server stopped from another process inside the owner
 * leaves a request on the command queue, unanswered, until it is
 * started again; then the reply comes. */
TEST_F(Channel, CommandServerStoppedInTheOwner)
{
    Mqsc("QM1", "DEFINE QLOCAL(REPLY.Q)");
    StartOwner();
    ASSERT_EQ(MQSimFaultInOwner((PMQCHAR)MQSIM_COMMAND_SERVER, (PMQCHAR) "QM1", 1, 1, MQSIM_CMDSERVER_STOPPED, 0), 0);
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "SYSTEM.ADMIN.COMMAND.QUEUE", MQOO_OUTPUT);
    MQCFH ping = {MQCFT_COMMAND, MQCFH_STRUC_LENGTH, MQCFH_VERSION_1, MQCMD_PING_Q_MGR, 1, MQCFC_LAST, 0, 0, 0};
    MQMD md = {MQMD_DEFAULT};
    md.MsgType = MQMT_REQUEST;
    memcpy(md.Format, MQFMT_ADMIN, 8);
    FILL(md.ReplyToQ, "REPLY.Q");
    ASSERT_EQ(Put(h, o, std::string((const char *)&ping, sizeof ping), &md), 0);
    /* nothing marks a stopped server's having passed the request by: this
     * only gives one that ignores the stop time to answer it */
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(Depth(h, "SYSTEM.ADMIN.COMMAND.QUEUE"), 1);
    EXPECT_EQ(Depth(h, "REPLY.Q"), 0);
    ASSERT_EQ(MQSimFaultInOwner((PMQCHAR)MQSIM_COMMAND_SERVER, (PMQCHAR) "QM1", 1, 0, 0, 0), 0);
    MQHOBJ reply = Open(h, "REPLY.Q", MQOO_BROWSE);
    std::string data;
    MQMD rmd = {MQMD_DEFAULT};
    EXPECT_EQ(BrowseFirst(h, reply, &data, &rmd), 0);
    EXPECT_EQ(Depth(h, "REPLY.Q"), 1);
    EXPECT_EQ(Depth(h, "SYSTEM.ADMIN.COMMAND.QUEUE"), 0);
}

/* In one process: an injected 2009 ends the unit of work and every
 * later call, the disconnect included; other connections go on. */
TEST_F(Sim, InjectedConnectionBrokenBreaksTheConnection)
{
    Mqsc("QM1", "DEFINE QLOCAL(P.Q)");
    MQHCONN h = Connect("QM1"), other = Connect("QM1");
    MQHOBJ o = Open(h, "P.Q", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    MQHOBJ k = Open(other, "P.Q", MQOO_OUTPUT);
    ASSERT_EQ(Put(other, k, "committed"), 0);
    ASSERT_EQ(Put(h, o, "pending", nullptr, MQPMO_SYNCPOINT), 0);
    std::string data;
    ASSERT_EQ(Get(h, o, &data, MQGMO_SYNCPOINT), 0);
    EXPECT_EQ(data, "committed");
    MQSimFaultAt((PMQCHAR) "MQGET", (PMQCHAR) "QM1", 1, 1, MQRC_CONNECTION_BROKEN);
    EXPECT_EQ(Get(h, o, &data), MQRC_CONNECTION_BROKEN);
    EXPECT_EQ(Put(h, o, "after"), MQRC_CONNECTION_BROKEN);
    MQLONG cc, rc;
    MQCMIT(h, &cc, &rc);
    EXPECT_EQ(rc, MQRC_CONNECTION_BROKEN);
    /* backed out: the got message is back, the put one gone; the queue
     * is no longer held open by the broken connection */
    EXPECT_EQ(Depth(other, "P.Q"), 1);
    MQHOBJ x = Open(other, "P.Q", MQOO_INPUT_EXCLUSIVE);
    MQMD md = {MQMD_DEFAULT};
    EXPECT_EQ(Get(other, x, &data, MQGMO_NO_WAIT, &md), 0);
    EXPECT_EQ(data, "committed");
    EXPECT_EQ(md.BackoutCount, 1);
    MQDISC(&h, &cc, &rc);
    EXPECT_EQ(rc, MQRC_CONNECTION_BROKEN);
    EXPECT_EQ(h, MQHC_UNUSABLE_HCONN);
}
