/* Fuzz: every prefix and random mutations of valid requests of each
 * command into ProcessCommand, and of replies and monitor records into
 * AnalyseCommand, against a real queue.  Each input sits in a block of
 * exactly its size, so that the sanitizers see any read past it; every
 * response that comes back must be a whole PCF message whose last part
 * is marked last.  Natively only; RAVOLT_FUZZ_COUNT bounds the mutations
 * per input (default 200). */
#include "agenttest.h"
#include "fuzztest.h"
#include "agentrequests.h"

#include <cstdlib>
#include <cstring>

#include "cs.h"

#ifdef _WIN32
#define NATIVE_ONLY() GTEST_SKIP() << "the fuzz runs natively, under the sanitizers"
#else
#define NATIVE_ONLY() (void)0
#endif

namespace {

using fuzz::Rng;
using fuzz::Mutations;
using fuzz::Mutate;

void CheckResponses(const char *what)
{
    auto parts = Got.All();
    for (size_t i = 0; i < parts.size(); i++) {
        EXPECT_EQ(parts[i].walkReason, PCF_RC_END_OF_PARMS) << what;
        if (i + 1 == parts.size()) {
            EXPECT_EQ(parts[i].cfh.Control, MQCFC_LAST) << what;
        }
    }
}

int NoWrite(void)
{
    return 0;
}

}  // namespace

class AgentFuzz : public AgentTest {
public:
    QMS *r = nullptr;
    void SetUp() override
    {
        AgentTest::SetUp();
        MQEHooks.writeConfig = NoWrite;
        Mqsc("QM1", "DEFINE QLOCAL(APP.Q) MAXDEPTH(100000)\nDEFINE QLOCAL(TARGET.Q) MAXDEPTH(100000)");
        r = Connected("QM1");
        r->commandLevel = 900;
        Refill();
    }
    void Refill()
    {
        if (Browse("QM1", "APP.Q").size() < 5)
            Fill("QM1", "APP.Q", 10, "fuzz message ");
    }
    /* One input of exactly its length to the agent's entry point. */
    void Feed(int (*entry)(QMS *, int32_t *, MQHCONN, MQMD *, void *, int32_t), MQHCONN h,
              const std::vector<uint8_t> &data, const char *format, MQLONG msgType)
    {
        Got.Clear();
        void *block = data.empty() ? nullptr : CSGetMem(data.size(), "FUZZ");
        if (block)
            memcpy(block, data.data(), data.size());
        MQMD md = RequestMD(r);
        md.MsgType = msgType;
        memcpy(md.Format, format, 8);
        int32_t stop = 0;
        entry(r, &stop, h, &md, block, (int32_t)data.size());
        CSFreeMemAndClear(&block);
    }
    void Process(const std::vector<uint8_t> &data, MQLONG msgType = MQMT_REQUEST)
    {
        Feed(ProcessCommand, r->putThread.hConn, data, "MQADMIN ", msgType);
        CheckResponses("request");
    }
    void Analyse(const std::vector<uint8_t> &data, const char *format, MQLONG msgType)
    {
        Feed(AnalyseCommand, r->getThread.hConn, data, format, msgType);
    }
};

TEST_F(AgentFuzz, RequestsOfEveryCommand)
{
    NATIVE_ONLY();
    std::vector<std::vector<uint8_t>> requests = AgentSampleRequests();
    ConsoleAddEntry(r, MQRC_Q_FULL, CSL_RECORD, 40, nullptr, nullptr, "APP.Q", -1, 3, "abc");
    Rng rng = {20240611};
    int count = Mutations();
    for (const auto &request : requests) {
        for (size_t n = 0; n <= request.size(); n++)
            Process(std::vector<uint8_t>(request.begin(), request.begin() + (long)n));
        for (int i = 0; i < count; i++) {
            Process(Mutate(request, rng), i % 7 ? MQMT_REQUEST : MQMT_DATAGRAM);
            if (i % 50 == 0)
                Refill();
        }
    }
    ConsoleClear();
}

TEST_F(AgentFuzz, RepliesAndMonitorRecords)
{
    NATIVE_ONLY();
    Rng rng = {7};
    int count = Mutations();
    std::string mqsc = "CSQN205I*COUNT=3" + std::string(1, '\0') + "CSQM401I QUEUE(A)" + std::string(1, '\0') + "CSQ9022I";
    std::vector<uint8_t> text(mqsc.begin(), mqsc.end());
    std::vector<uint8_t> pcf = Pcf(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "APP.Q").Int(MQIA_CURRENT_Q_DEPTH, 3).Data();
    MonMSG m = {};
    m.kind = 'm';
    m.interval = 60;
    std::vector<uint8_t> monitor((uint8_t *)&m, (uint8_t *)&m + sizeof m);
    for (size_t n = 0; n <= text.size(); n++) {
        Analyse(std::vector<uint8_t>(text.begin(), text.begin() + (long)n), "MQCMD1  ", MQMT_REPLY);
        size_t total = 0;
        for (const PcfPart &p : Got.All())
            total += p.raw.size();
        EXPECT_LE(total, n);
    }
    for (int i = 0; i < count; i++) {
        Analyse(Mutate(text, rng), i % 2 ? "MQCMD1  " : "MQCMD2  ", MQMT_REPLY);
        Analyse(Mutate(pcf, rng), "MQADMIN ", i % 3 ? MQMT_REPLY : MQMT_REPORT);
    }
    for (char kind : {'m', 'r', 't', 's', '"', 'x'}) {
        monitor[0] = (uint8_t)kind;
        for (size_t n = 0; n <= monitor.size(); n++)
            Analyse(std::vector<uint8_t>(monitor.begin(), monitor.begin() + (long)n), "        ", MQMT_DATAGRAM);
        for (int i = 0; i < count / 4; i++) {
            std::vector<uint8_t> mutated = Mutate(monitor, rng);
            if (!mutated.empty())
                mutated[0] = (uint8_t)kind;
            Analyse(mutated, "        ", MQMT_REQUEST);
        }
    }
}
