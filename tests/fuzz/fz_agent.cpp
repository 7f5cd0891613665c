/* Fuzz target: the command agent as a hostile client or queue manager
 * meets it, on a connected location of the stand-in.  The first input
 * byte chooses the way in: a request of the program's own commands into
 * ProcessCommand (as a request or a datagram), or a message on the reply
 * queue into AnalyseCommand (a PCF reply or report, an MQSC reply of
 * either kind, a monitor record).  Every response a request produces is
 * a whole PCF message whose last part is marked last. */
#include "fuzz.h"

#include "agentrequests.h"
#include "cs.h"

namespace {

struct Agent : AgentTest {
    void TestBody() override {}
    QMS *r = nullptr;
};
Agent *agent;

int NoWrite(void)
{
    return 0;
}

void Init(void)
{
    agent = new Agent;
    agent->SetUp();
    MQEHooks.writeConfig = NoWrite;
    agent->Mqsc("QM1", "DEFINE QLOCAL(APP.Q) MAXDEPTH(100000)\nDEFINE QLOCAL(TARGET.Q) MAXDEPTH(100000)");
    agent->r = agent->Connected("QM1");
    agent->r->commandLevel = 900;
    /* the location's threads end before the harness's tables go */
    atexit([] { agent->TearDown(); });
}

void Seeds(FuzzSeeds *s)
{
    std::vector<std::vector<uint8_t>> requests = AgentSampleRequests();
    for (const auto &q : requests)
        s->Add(std::string(1, '\0') + std::string(q.begin(), q.end()));
    std::string mqsc = "CSQN205I*COUNT=3" + std::string(1, '\0') + "CSQM401I QUEUE(A)" + std::string(1, '\0') + "CSQ9022I";
    s->Add("\x02" + mqsc);
    s->Add("\x03" + mqsc);
    std::vector<uint8_t> pcf = Pcf(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "APP.Q").Int(MQIA_CURRENT_Q_DEPTH, 3).Data();
    s->Add("\x04" + std::string(pcf.begin(), pcf.end()));
    for (char kind : { 'm', 'r', 't', 's' }) {
        MonMSG m = {};
        m.kind = kind;
        m.interval = 60;
        s->Add("\x06" + std::string((const char *)&m, sizeof m));
    }
}

void CheckResponses(void)
{
    auto parts = Got.All();
    for (size_t i = 0; i < parts.size(); i++) {
        FUZZ_CHECK(parts[i].walkReason == PCF_RC_END_OF_PARMS, "a response does not walk to its end");
        if (i + 1 == parts.size())
            FUZZ_CHECK(parts[i].cfh.Control == MQCFC_LAST, "the last response is not marked last");
    }
}

void Feed(int (*entry)(QMS *, int32_t *, MQHCONN, MQMD *, void *, int32_t), MQHCONN h, const std::string &data,
          const char *format, MQLONG msgType)
{
    QMS *r = agent->r;
    Got.Clear();
    void *block = data.empty() ? nullptr : CSGetMem(data.size(), "FUZZ");
    if (block)
        memcpy(block, data.data(), data.size());
    MQMD md = agent->RequestMD(r);
    md.MsgType = msgType;
    memcpy(md.Format, format, 8);
    int32_t stop = 0;
    entry(r, &stop, h, &md, block, (int32_t)data.size());
    CSFreeMemAndClear(&block);
}

int runs;

void Run(const uint8_t *data, size_t size)
{
    FuzzInput in = { data, size };
    uint8_t way = in.Byte();
    std::string body = in.Rest();
    QMS *r = agent->r;
    switch (way % 8) {
    case 0: case 1:
        Feed(ProcessCommand, r->putThread.hConn, body, "MQADMIN ", way % 8 ? MQMT_DATAGRAM : MQMT_REQUEST);
        CheckResponses();
        break;
    case 2: Feed(AnalyseCommand, r->getThread.hConn, body, "MQCMD1  ", MQMT_REPLY); break;
    case 3: Feed(AnalyseCommand, r->getThread.hConn, body, "MQCMD2  ", MQMT_REPLY); break;
    case 4: Feed(AnalyseCommand, r->getThread.hConn, body, "MQADMIN ", MQMT_REPLY); break;
    case 5: Feed(AnalyseCommand, r->getThread.hConn, body, "MQADMIN ", MQMT_REPORT); break;
    default: Feed(AnalyseCommand, r->getThread.hConn, body, "        ", way & 1 ? MQMT_REQUEST : MQMT_DATAGRAM); break;
    }
    if (++runs % 50 == 0 && agent->Browse("QM1", "APP.Q").size() < 5)
        agent->Fill("QM1", "APP.Q", 10, "fuzz message ");
    /* the harness's record of MQ calls would grow without end */
    std::lock_guard<std::mutex> g(Rec.lock);
    Rec.calls.clear();
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
