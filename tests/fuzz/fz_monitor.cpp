/* Fuzz target: blank-format records on a location's reply queue, as any
 * connection that may put there sends them, into the get thread's
 * AnalyseCommand on a connected location of the stand-in.  The input
 * gives the descriptor's reply-to queue manager and queue (48 bytes
 * each) and the record.  A record may make a location, answer it, save
 * the configuration or show a text; a location it makes has names that
 * the configuration reads back as themselves, so that the next record
 * from the same sender finds it after a restart instead of making
 * another. */
#include "fuzz.h"

#include "agentrequests.h"
#include "cfgfile.h"
#include "cs.h"
#include "prffile.h"

namespace {

struct Agent : AgentTest {
    void TestBody() override {}
    QMS *r = nullptr;
};
Agent *agent;
int saves;

int Save(void)
{
    saves++;
    CfgStatus |= CFG_STATUS_READ;
    return CfgFileWrite();
}

void Init(void)
{
    agent = new Agent;
    agent->SetUp();
    snprintf(ConfigPath, sizeof ConfigPath, "%s/", FuzzScratch().c_str());
    snprintf(ConfigFile, sizeof ConfigFile, "%s/RAVOLT.CFG", FuzzScratch().c_str());
    static CFGHOOKS quiet = {};
    quiet.errorBox = [](void *, const char *, const char *, int, int) { return 0; };
    quiet.notice = [](void *, const char *, const char *) {};
    CfgSetHooks(&quiet);
    MQEHooks.writeConfig = Save;
    agent->Mqsc("QM1", "DEFINE QLOCAL(APP.Q) MAXDEPTH(100000)");
    agent->r = agent->Connected("QM1");
    atexit([] { agent->TearDown(); });
}

std::string Name(const char *text)
{
    std::string n(text);
    n.resize(48, ' ');
    return n;
}

void Seeds(FuzzSeeds *s)
{
    for (char kind : { 'm', 'r', 't', 's', '"', 'x' }) {
        MonMSG m = {};
        m.kind = kind;
        m.interval = 60;
        m.lastResponse = 12;
        std::string record((const char *)&m, sizeof m);
        if (kind == '"')
            record = "\"hello from elsewhere";
        s->Add(Name("QM2") + Name("REPLY.Q") + record);
        s->Add(Name("QM1") + Name("APP.Q") + record);
        s->Add(Name("QM1\r\nQM:X") + Name("Q\r\n\"x\"") + record);
    }
}

/* The locations other than the receiving one are let go after each run. */
void EmptyOthers(void)
{
    for (;;) {
        QMS *other = nullptr;
        for (CSTREE *e = CSTreeFirst(LocTree); e && !other; e = e->next)
            if ((QMS *)e != agent->r)
                other = (QMS *)e;
        if (!other)
            break;
        LocDelete(&LocTree, other, nullptr);
    }
    LocFlushFreed();
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

    /* every location the record made reads back from the configuration
       with the names it was made with */
    std::vector<std::pair<std::string, std::string>> made;
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        if ((QMS *)e != r && !(((QMS *)e)->flags & LF_NOTSAVED) && strncmp(((QMS *)e)->secondName, "AMQ.", 4))
            made.push_back({ ((QMS *)e)->qmName, ((QMS *)e)->secondName });
    if (!made.empty()) {
        Save();
        CSTREE *read = nullptr;
        CfgFileRead(ConfigFile, &read, 0, nullptr);
        for (const auto &n : made) {
            bool found = false;
            for (CSTREE *e = CSTreeFirst(read); e && !found; e = e->next)
                found = n.first == ((QMS *)e)->qmName && n.second == ((QMS *)e)->secondName;
            FUZZ_CHECK(found, "a location made by a monitor record reads back under other names: [" + n.first +
                                  "] [" + n.second + "]");
        }
        while (read)
            LocDelete(&read, (QMS *)CSTreeFirst(read), nullptr);
    }
    EmptyOthers();
    std::lock_guard<std::mutex> g(Rec.lock);
    Rec.calls.clear();
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
