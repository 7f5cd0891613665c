/* Fuzz target: blank-format records on a location's reply queue, as any
 * connection that may put there sends them, into AnalyseCommand on a
 * connected location of the stand-in.  The input gives the reply-to
 * queue manager and queue (48 bytes each) and the record.  A location a
 * record makes reads back from the configuration under its names, so
 * that the same sender finds it after a restart instead of making
 * another. */
#include "fzconfig.h"

#include "agentrequests.h"

namespace {

struct Agent : AgentTest {
    void TestBody() override {}
    QMS *r = nullptr;
};
Agent *agent;

int Save(void)
{
    CfgStatus |= CFG_STATUS_READ;
    return CfgFileWrite();
}

void Init(void)
{
    agent = new Agent;
    agent->SetUp();
    FuzzConfigQuiet();
    MQEHooks.writeConfig = Save;
    agent->Mqsc("QM1", "DEFINE QLOCAL(APP.Q) MAXDEPTH(100000)");
    agent->r = agent->Connected("QM1");
    atexit([] { agent->TearDown(); });
}

void Seeds(FuzzSeeds *s)
{
    auto name = [](std::string n) {
        n.resize(48, ' ');
        return n;
    };
    const char *names[][2] = { { "QM2", "REPLY.Q" }, { "QM1", "APP.Q" }, { "QM1\r\nQM:X", "Q\r\n\"x\"" } };
    for (char kind : { 'm', 'r', 't', 's', '"', 'x' }) {
        MonMSG m = {};
        m.kind = kind;
        m.interval = 60;
        std::string record = kind == '"' ? "\"hello from elsewhere" : std::string((const char *)&m, sizeof m);
        for (const auto &n : names)
            s->Add(name(n[0]) + name(n[1]) + record);
    }
}

void Run(const uint8_t *data, size_t size)
{
    FuzzInput in = { data, size };
    std::string qm = in.Take(48), queue = in.Take(48);
    FuzzBlock record(in.Rest());
    QMS *r = agent->r;
    MQMD md = agent->RequestMD(r);
    memcpy(md.Format, MQFMT_NONE, 8);
    md.MsgType = MQMT_DATAGRAM;
    memset(md.ReplyToQMgr, ' ', 48);
    memset(md.ReplyToQ, ' ', 48);
    memcpy(md.ReplyToQMgr, qm.data(), qm.size());
    memcpy(md.ReplyToQ, queue.data(), queue.size());
    /* on the put side's connection: the get thread waits in MQGET on its
       own, which an answer's open would wait for in turn */
    int32_t stop = 0;
    AnalyseCommand(r, &stop, r->putThread.hConn, &md, record.data(), (int32_t)record.size());
    std::vector<QMS *> made;
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        if ((QMS *)e != r)
            made.push_back((QMS *)e);
    if (!made.empty()) {
        Save();
        CSTREE *read = nullptr;
        CfgFileRead(ConfigFile, &read, 0, nullptr);
        for (QMS *m : made) {
            bool found = (m->flags & LF_NOTSAVED) || !strncmp(m->secondName, "AMQ.", 4);
            for (CSTREE *e = CSTreeFirst(read); e && !found; e = e->next)
                found = !strcmp(m->qmName, ((QMS *)e)->qmName) && !strcmp(m->secondName, ((QMS *)e)->secondName);
            FUZZ_CHECK(found, std::string("a location made by a record reads back under other names: [") +
                                  m->qmName + "] [" + m->secondName + "]");
        }
        while (read)
            LocDelete(&read, (QMS *)CSTreeFirst(read), nullptr);
    }
    for (QMS *m : made)
        LocDelete(&LocTree, m, nullptr);
    LocFlushFreed();
    std::lock_guard<std::mutex> g(Rec.lock);
    Rec.calls.clear();
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
