/* Fuzz: replies captured from the stand-in (queue-manager and queue
 * inquiries, names, status, the download, displays, alters, errors, a
 * message list answered in process), every prefix and random mutations
 * of each, into ProcessResponse for dialogs of several kinds and into
 * the refresh and download callbacks.  Each input sits in a block of
 * exactly its size, so that the sanitizers see any read past it.
 * Natively only; RAVOLT_FUZZ_COUNT bounds the mutations per input (the
 * inputs are written as the test's property "inputs"). */
#include "cmdtest.h"
#include "../enginetest.h"
#include "../fuzztest.h"

#include <cstring>
#include <map>

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"

#ifdef _WIN32
#define NATIVE_ONLY() GTEST_SKIP() << "the fuzz runs natively, under the sanitizers"
#else
#define NATIVE_ONLY() (void)0
#endif

using namespace cmdtest;

namespace {

std::mutex CaptureLock;
std::vector<std::vector<uint8_t>> Captured;

int Capture(QMS *r, uint32_t value, MQMD *md, void *data, uint32_t length)
{
    {
        std::lock_guard<std::mutex> g(CaptureLock);
        Captured.emplace_back((const uint8_t *)data, (const uint8_t *)data + length);
    }
    return ProcessResponse(r, value, md, data, length);
}

struct Fuzz : EngineTest {
    Hooks hooks;
    QMS *r = nullptr;
    void SetUp() override
    {
        EngineTest::SetUp();
        hooks.Install();
    }
    void TearDown() override
    {
        WaitFor([] { return IfcmdCount() == 0; });
        IfcmdPurge(0, nullptr, 1);
        hooks.Pump();
        if (r) {
            FreeDownloadData(r);
            LocFreeCache(r, 0);
        }
        hooks.Remove();
        EngineTest::TearDown();
    }
    void Do(TestDialog &d, uint32_t action)
    {
        PCFDoCommand(d.d, 0, 1, action, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
        ASSERT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
        hooks.Pump();
    }
    /* Real replies of the commands the program sends. */
    void CaptureReplies()
    {
        Mqsc("QMFUZZ", "DEFINE QLOCAL(APP.ONE) DESCR('fuzzed') MAXDEPTH(100)\nDEFINE QALIAS(APP.AL) TARGET(APP.ONE)\n"
                       "DEFINE QREMOTE(APP.RM) RNAME(X) RQMNAME(Y)\nDEFINE QLOCAL(APP.CL) CLUSTER(CLUS)\n");
        r = Location("QMFUZZ");
        r->authMask = ~0ull;
        MQEHooks.response = Capture;
        RequestQmgrRefresh(r, RK_QMGR, nullptr, 0);
        ASSERT_TRUE(WaitFor([this] { return r->commandLevel > 0 && IfcmdCount() == 0; }));
        RequestQmgrRefresh(r, RK_QUEUES, "*", 1);
        ASSERT_TRUE(WaitFor([this] { return (r->refreshMarks & RM_QUEUES_DONE) && IfcmdCount() == 0; }));
        Prf.po[3] |= 0x4000000;
        RequestQmgrRefresh(r, RK_QUEUES, "APP.*", 1);
        ASSERT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
        Prf.po[3] &= ~0x4000000u;
        StartDownload(r, 0);
        ASSERT_TRUE(WaitFor([this] { return DownloadState(r) == DL_DONE; }));
        TestDialog q(&PCFQueueDef, r);
        q.Set(MQCA_Q_NAME, "APP.ONE");
        Do(q, 1);
        q.Set(MQCA_Q_DESC, "altered");
        Do(q, 575);
        q.Set(MQCA_Q_NAME, "APP.NONE");
        Do(q, 1);
        q.Set(MQCA_Q_NAME, "BAD%NAME#");
        Do(q, 565);
        TestDialog list(&PCFQueueListDef, r);
        Do(list, 1);
        TestDialog qm(&PCFQueueManagerDef, r);
        Do(qm, 1);
        ASSERT_EQ(StartMessageThread(), 0);
        TestDialog msgs(&PCFMessageListDef, r);
        msgs.Set(MQCA_Q_NAME, "APP.ONE");
        MQHCONN h = Own("QMFUZZ");
        MQHOBJ o = OpenOwn(h, "APP.ONE", MQOO_OUTPUT);
        for (int i = 0; i < 3; i++) {
            MQMD md = { MQMD_DEFAULT };
            MQPMO pmo = { MQPMO_DEFAULT };
            MQLONG cc, rc;
            StandIn.MQPUT(h, o, &md, &pmo, 11, (PMQVOID) "fuzz a list", &cc, &rc);
        }
        Do(msgs, 1);
        MQEHooks.response = ProcessResponse;
    }
};

/* One input into every receiver. */
struct Target {
    Fuzz *f;
    TestDialog *dialogs[3];
    IFCMD qmgr, queues, names, download;

    void Reply(const std::vector<uint8_t> &bytes)
    {
        QMS *r = f->r;
        uint8_t *block = bytes.empty() ? nullptr : (uint8_t *)CSGetMem(bytes.size(), "FUZZ");
        if (block)
            memcpy(block, bytes.data(), bytes.size());
        uint32_t n = (uint32_t)bytes.size();
        for (TestDialog *d : dialogs) {
            size_t before = f->hooks.sent.size();
            PCFDoCommand(d->d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 1, 0, nullptr, nullptr, nullptr);
            if (f->hooks.sent.size() == before)
                continue;
            MQMD md = ReplyMd(f->hooks.sent.back().key);
            ProcessResponse(r, 0, &md, block, n);
        }
        uint32_t command = 0;
        if (n >= 16)
            memcpy(&command, block + 12, 4);
        for (IFCMD *rec : { &qmgr, &queues, &names }) {
            QmgrInfoReplyUpdate(rec, command, block, n, 0, "");
            QmgrInfoReplyQuiet(rec, command, block, n, 0, "");
        }
        if (!(DownloadState(r) & DL_RUNNING))
            StartDownload(r, 1);
        IFCMD *held = f->hooks.sent.empty() ? nullptr : IfcmdHold((const uint8_t *)&f->hooks.sent.back().key);
        if (held && held->callback == DownloadResponse)
            download.callerValue = held->callerValue;
        if (held)
            IfcmdLetGo(held);
        download.complete = n & 1;
        DownloadResponse(&download, command, block, n, 0, "");
        CSFreeMemAndClear(&block);
        IfcmdPurge(0, r, 1);
        f->hooks.Pump();
        f->hooks.sent.clear();
        f->hooks.statuses.clear();
        f->hooks.messages.clear();
        f->hooks.frames.clear();
        f->hooks.titles.clear();
        r->flags &= ~LF_MVS;
    }
};

TEST_F(Fuzz, RepliesOfEveryKind)
{
    NATIVE_ONLY();
    CaptureReplies();
    /* one reply of each command, reason, control and format of reply */
    std::map<std::vector<int32_t>, std::vector<uint8_t>> kinds;
    for (const std::vector<uint8_t> &c : Captured) {
        std::vector<int32_t> key(9, 0);
        memcpy(key.data(), c.data(), c.size() < 36 ? c.size() : 36);
        key[1] = key[2] = key[4] = 0;              /* the parameter count stays */
        kinds.emplace(key, c);
    }
    std::vector<std::vector<uint8_t>> inputs;
    for (auto &k : kinds)
        inputs.push_back(k.second);
    ASSERT_GE(inputs.size(), 10u);
    RecordProperty("inputs", (int)inputs.size());
    hooks.swallow = 1;
    TestDialog q(&PCFQueueDef, r), list(&PCFQueueListDef, r), qm(&PCFQueueManagerDef, r);
    q.Set(MQCA_Q_NAME, "APP.ONE");
    Target t = { this, { &q, &list, &qm }, {}, {}, {}, {} };
    t.qmgr.location = t.queues.location = t.names.location = t.download.location = r;
    t.qmgr.definition = &PCFQmgrInfoDef;
    t.queues.definition = &PCFQueueNamesDef[1];
    t.names.definition = &PCFQueueNamesDef[3];
    t.download.definition = &PCFQueueDef;
    for (IFCMD *rec : { &t.qmgr, &t.queues, &t.names })
        strcpy(rec->objectText, "*");
    fuzz::Rng rng = { 17 };
    int mutations = fuzz::Mutations();
    for (const std::vector<uint8_t> &input : inputs) {
        for (size_t n = 0; n <= input.size(); n++)
            t.Reply(std::vector<uint8_t>(input.begin(), input.begin() + (long)n));
        for (int i = 0; i < mutations; i++)
            t.Reply(fuzz::Mutate(input, rng));
    }
    EXPECT_EQ(IfcmdCount(), 0);
}

}  // namespace
