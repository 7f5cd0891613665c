/* Test harness of the command agent: requests, the copying receiver,
 * requests run as the message thread runs them, and queue contents. */
#include "agenttest.h"

#include <cstring>

#include "cs.h"
#include "progress.h"

Received Got;

/* ---- responses ---- */

static std::string Trimmed(const std::string &s)
{
    size_t n = s.size();
    while (n && (s[n - 1] == ' ' || s[n - 1] == 0))
        n--;
    return s.substr(0, n);
}

PcfPart ParsePart(const void *data, size_t length)
{
    PcfPart part;
    part.raw.assign((const char *)data, length);
    if (length >= sizeof part.cfh)
        memcpy(&part.cfh, data, sizeof part.cfh);
    MQPP pp;
    MQLONG command, cc, rc;
    PCFInitParse(&pp, data, (int32_t)length, &command, &cc, &rc);
    if (cc) {
        part.walkReason = rc;
        return part;
    }
    part.items.emplace_back();
    for (;;) {
        MQLONG type, id = 0, len = 0, count = 0;
        void *value = nullptr;
        PCFGetNextParm(&pp, &type, &id, &value, &len, &count, &cc, &rc);
        if (cc) {
            part.walkReason = rc;
            return part;
        }
        if (type == PCF_END_GROUP) {
            part.items.emplace_back();
            continue;
        }
        PcfParm p;
        p.type = type;
        p.id = id;
        if (type == MQCFT_INTEGER || type == MQCFT_INTEGER_LIST)
            p.ints.assign((const int32_t *)value, (const int32_t *)value + count);
        else if (value)
            p.bytes.assign((const char *)value, (size_t)len);
        part.items.back().push_back(p);
    }
}

const PcfParm *PcfPart::Find(int32_t id, size_t item) const
{
    if (item >= items.size())
        return nullptr;
    for (const PcfParm &p : items[item])
        if (p.id == id)
            return &p;
    return nullptr;
}

int32_t PcfPart::Int(int32_t id, size_t item) const
{
    const PcfParm *p = Find(id, item);
    return p && !p->ints.empty() ? p->ints[0] : -99999;
}

std::string PcfPart::Str(int32_t id, size_t item) const
{
    const PcfParm *p = Find(id, item);
    return p ? Trimmed(p->bytes) : std::string("<none>");
}

std::string PcfPart::Bytes(int32_t id, size_t item) const
{
    const PcfParm *p = Find(id, item);
    return p ? p->bytes : std::string();
}

std::string PcfPart::Text() const
{
    if (Has(MYPCFA_ERROR_MESSAGE))
        return Str(MYPCFA_ERROR_MESSAGE);
    return Has(MYPCFA_INFO_MESSAGE) ? Str(MYPCFA_INFO_MESSAGE) : std::string();
}

std::vector<int32_t> PcfPart::Ids(size_t item) const
{
    std::vector<int32_t> out;
    if (item < items.size())
        for (const PcfParm &p : items[item])
            out.push_back(p.id);
    return out;
}

/* ---- requests ---- */

Pcf::Pcf(int32_t command)
{
    MQLONG cc, rc;
    PCFInitArea(&pp, &area, 1, 0, 0, command, &cc, &rc);
}

Pcf::~Pcf()
{
    CSFreeMemAndClear(&area);
}

Pcf &Pcf::Str(int32_t id, const std::string &text)
{
    MQLONG cc, rc;
    PCFAddParm(&pp, MQCFT_STRING, id, text.data(), (int32_t)text.size(), 1, &cc, &rc);
    return *this;
}

Pcf &Pcf::Int(int32_t id, int32_t value)
{
    MQLONG cc, rc;
    PCFAddParm(&pp, MQCFT_INTEGER, id, &value, 4, 1, &cc, &rc);
    return *this;
}

Pcf &Pcf::Ints(int32_t id, const std::vector<int32_t> &values)
{
    MQLONG cc, rc;
    PCFAddParm(&pp, MQCFT_INTEGER_LIST, id, values.data(), (int32_t)(values.size() * 4), 0, &cc, &rc);
    return *this;
}

Pcf &Pcf::Bytes(int32_t id, const std::string &bytes, int32_t type)
{
    MQLONG cc, rc;
    PCFAddParm(&pp, type, id, bytes.data(), (int32_t)bytes.size(), 1, &cc, &rc);
    return *this;
}

std::vector<uint8_t> Pcf::Data() const
{
    const uint8_t *m = pp.message;
    return std::vector<uint8_t>(m, m + pp.position);
}

/* ---- the receiver ---- */

void Received::Clear()
{
    std::lock_guard<std::mutex> g(lock);
    parts.clear();
}

std::vector<PcfPart> Received::All()
{
    std::lock_guard<std::mutex> g(lock);
    return parts;
}

size_t Received::Count()
{
    std::lock_guard<std::mutex> g(lock);
    return parts.size();
}

static int Receive(QMS *r, uint32_t, MQMD *md, void *data, uint32_t length)
{
    PcfPart part = ParsePart(data, length);
    part.location = r;
    part.md = *md;
    std::lock_guard<std::mutex> g(Got.lock);
    Got.parts.push_back(part);
    return 0;
}

void InstallReceiver(void)
{
    MQEHooks.response = Receive;
}

/* ---- the fixture ---- */

void AgentTest::SetUp()
{
    EngineTest::SetUp();
    Got.Clear();
    InstallReceiver();
    MonResetOutstanding();
}

void AgentTest::TearDown()
{
    for (const auto &f : faults)
        StandInFaultAt(f.first.c_str(), f.second.empty() ? nullptr : f.second.c_str(), 1, 0, 0);
    faults.clear();
    conns.clear();
    EngineTest::TearDown();
    Got.Clear();
}

void AgentTest::FaultAt(const char *verb, const char *qmgr, MQLONG nth, MQLONG reason, MQLONG count)
{
    StandInFaultAt(verb, qmgr, nth, count, reason);
    faults.push_back({verb, qmgr ? qmgr : ""});
}

QMS *AgentTest::Connected(const char *qm, uint32_t flags)
{
    QMS *r = Location(qm, flags);
    Connect(r);
    return r;
}

MQMD AgentTest::RequestMD(QMS *r, uint8_t keyByte)
{
    MQMD md = {MQMD_DEFAULT};
    md.Encoding = MQENC_NATIVE;
    memcpy(md.Format, "MQADMIN ", 8);
    md.MsgType = MQMT_REQUEST;
    memset(md.MsgId, keyByte, sizeof md.MsgId);
    MQELOC *e = MQELocOf(r);
    memset(md.ReplyToQMgr, ' ', 48);
    memcpy(md.ReplyToQMgr, r->qmName, strlen(r->qmName));
    memset(md.ReplyToQ, ' ', 48);
    memcpy(md.ReplyToQ, e->replyQ, strlen(e->replyQ));
    return md;
}

std::vector<PcfPart> AgentTest::RunOn(QMS *r, MQHCONN h, const Pcf &request, MQMD *md)
{
    Got.Clear();
    MQMD own = RequestMD(r);
    std::vector<uint8_t> data = request.Data();
    int32_t stop = 0;
    ProcessCommand(r, &stop, h, md ? md : &own, data.data(), (int32_t)data.size());
    return Got.All();
}

std::vector<PcfPart> AgentTest::Run(QMS *r, const Pcf &request, MQMD *md)
{
    return RunOn(r, MQEConnection(r, MQE_PUTSIDE, nullptr, nullptr), request, md);
}

MQHCONN AgentTest::Conn(const char *qm)
{
    auto it = conns.find(qm);
    if (it != conns.end())
        return it->second;
    MQHCONN h = Own(qm);
    conns[qm] = h;
    return h;
}

std::vector<std::string> AgentTest::Fill(const char *qm, const char *queue, int count,
                                         const std::string &prefix, MQMD *model)
{
    MQHCONN h = Conn(qm);
    MQLONG options = MQOO_OUTPUT | (model ? MQOO_SET_ALL_CONTEXT : 0);
    MQHOBJ o = OpenOwn(h, queue, options);
    std::vector<std::string> ids;
    MQLONG cc, rc;
    for (int i = 1; i <= count; i++) {
        MQMD md = {MQMD_DEFAULT};
        if (model)
            md = *model;
        memcpy(md.Format, model ? model->Format : "MQSTR   ", 8);
        MQPMO pmo = {MQPMO_DEFAULT};
        pmo.Options = MQPMO_NO_SYNCPOINT | MQPMO_NEW_MSG_ID | (model ? MQPMO_SET_ALL_CONTEXT : 0);
        std::string data = prefix + std::to_string(i);
        StandIn.MQPUT(h, o, &md, &pmo, (MQLONG)data.size(), (PMQVOID)data.data(), &cc, &rc);
        EXPECT_EQ(rc, 0);
        ids.push_back(std::string((const char *)md.MsgId, 24));
    }
    StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    return ids;
}

std::vector<QMsg> AgentTest::Browse(const char *qm, const char *queue)
{
    MQHCONN h = Conn(qm);
    MQHOBJ o = OpenOwn(h, queue, MQOO_BROWSE);
    std::vector<QMsg> out;
    std::vector<char> buffer(1 << 20);
    MQLONG options = MQGMO_BROWSE_FIRST | MQGMO_NO_WAIT;
    for (;;) {
        QMsg m;
        m.md = MQMD{MQMD_DEFAULT};
        m.md.Version = MQMD_VERSION_2;
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = options;
        MQLONG length = 0, cc, rc;
        StandIn.MQGET(h, o, &m.md, &gmo, (MQLONG)buffer.size(), buffer.data(), &length, &cc, &rc);
        if (cc == MQCC_FAILED)
            break;
        m.data.assign(buffer.data(), (size_t)length);
        out.push_back(m);
        options = MQGMO_BROWSE_NEXT | MQGMO_NO_WAIT;
    }
    MQLONG cc, rc;
    StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    return out;
}

void AgentTest::Drain(const char *qm, const char *queue)
{
    MQHCONN h = Conn(qm);
    MQHOBJ o = OpenOwn(h, queue, MQOO_INPUT_SHARED);
    char buffer[16];
    for (;;) {
        MQMD md = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_NO_WAIT | MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_NO_SYNCPOINT;
        MQLONG length, cc, rc;
        StandIn.MQGET(h, o, &md, &gmo, sizeof buffer, buffer, &length, &cc, &rc);
        if (cc == MQCC_FAILED)
            break;
    }
    MQLONG cc, rc;
    StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
}

PROGRESS *TestProgress(uint8_t keyByte)
{
    PROGRESS *p = (PROGRESS *)CSGetMem(sizeof(PROGRESS), "PROGRESS");
    memset(p, 0, sizeof *p);
    p->references = 1;
    memset(p->key, keyByte, sizeof p->key);
    ProgLock();
    p->next = ProgList;
    ProgList = p;
    ProgUnlock();
    return p;
}
