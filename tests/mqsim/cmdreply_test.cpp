/* The command server's inquiry responses against the former way of
 * building them (a parameter appended piece by piece, a queue's type
 * looked up on its own, each message copied behind its header), kept
 * here as the reference: the same objects give the same bytes, message
 * for message. */
#include "simtest.h"
#include "cmdsrv.h"

#include <cstring>

namespace {

/* ---- the former response building ------------------------------------ */

struct RefMsg {
    MQLONG count = 0;
    std::string data;
};

void Put32(std::string *d, MQLONG v)
{
    d->append((const char *)&v, 4);
}

size_t Pad4(size_t n)
{
    return (n + 3) & ~(size_t)3;
}

void RefInt(RefMsg *m, MQLONG id, MQLONG v)
{
    Put32(&m->data, MQCFT_INTEGER);
    Put32(&m->data, 16);
    Put32(&m->data, id);
    Put32(&m->data, v);
    m->count++;
}

void RefStr(RefMsg *m, MQLONG ccsid, MQLONG id, const std::string &s, size_t padTo)
{
    std::string v = s;
    if (v.size() < padTo)
        v.append(padTo - v.size(), ' ');
    Put32(&m->data, MQCFT_STRING);
    Put32(&m->data, (MQLONG)(20 + Pad4(v.size())));
    Put32(&m->data, id);
    Put32(&m->data, ccsid);
    Put32(&m->data, (MQLONG)v.size());
    m->data.append(v);
    m->data.append(Pad4(v.size()) - v.size(), '\0');
    m->count++;
}

void RefIntList(RefMsg *m, MQLONG id, const std::vector<MQLONG> &v)
{
    Put32(&m->data, MQCFT_INTEGER_LIST);
    Put32(&m->data, (MQLONG)(16 + 4 * v.size()));
    Put32(&m->data, id);
    Put32(&m->data, (MQLONG)v.size());
    for (MQLONG x : v)
        Put32(&m->data, x);
    m->count++;
}

void RefStrList(RefMsg *m, MQLONG ccsid, MQLONG id, const std::vector<std::string> &v, size_t padTo)
{
    size_t w = padTo;
    for (const std::string &s : v)
        if (s.size() > w)
            w = s.size();
    Put32(&m->data, MQCFT_STRING_LIST);
    Put32(&m->data, (MQLONG)(24 + Pad4(w * v.size())));
    Put32(&m->data, id);
    Put32(&m->data, ccsid);
    Put32(&m->data, (MQLONG)v.size());
    Put32(&m->data, (MQLONG)w);
    for (const std::string &s : v) {
        m->data.append(s);
        m->data.append(w - s.size(), ' ');
    }
    m->data.append(Pad4(w * v.size()) - w * v.size(), '\0');
    m->count++;
}

void RefBytes(RefMsg *m, MQLONG id, const std::string &b)
{
    Put32(&m->data, MQCFT_BYTE_STRING);
    Put32(&m->data, (MQLONG)(16 + Pad4(b.size())));
    Put32(&m->data, id);
    Put32(&m->data, (MQLONG)b.size());
    m->data.append(b);
    m->data.append(Pad4(b.size()) - b.size(), '\0');
    m->count++;
}

size_t RefPad(int kind, MQLONG id)
{
    const SimKeyword *k = SimKeywordById(kind, id);
    if (k)
        return (size_t)k->maxlen;
    return id >= MQCA_FIRST && id <= MQCA_LAST ? 48 : 0;
}

void RefAttr(RefMsg *m, MQLONG ccsid, int kind, MQLONG id, const SimAttr &a)
{
    switch (a.type) {
    case SIM_INT:
        return RefInt(m, id, a.ival);
    case SIM_STR:
        return RefStr(m, ccsid, id, a.sval, RefPad(kind, id));
    case SIM_INTLIST:
        return RefIntList(m, id, a.ilist);
    case SIM_STRLIST:
        return RefStrList(m, ccsid, id, a.slist, RefPad(kind, id));
    default:
        return RefBytes(m, id, a.sval);
    }
}

bool RefSelected(const std::vector<MQLONG> &sel, MQLONG id)
{
    for (MQLONG s : sel)
        if (s == id || s == MQIACF_ALL)
            return true;
    return false;
}

/* The former description of one object. */
RefMsg RefDescribe(SimQMgr *q, MQLONG ccsid, MQLONG nameId, bool queues, const SimObject *o,
                   const std::vector<MQLONG> &sel)
{
    static const MQLONG counted[] = {MQIA_CURRENT_Q_DEPTH, MQIA_OPEN_INPUT_COUNT, MQIA_OPEN_OUTPUT_COUNT};
    RefMsg m;
    SimAttr a;
    if (nameId)
        RefStr(&m, ccsid, nameId, o->name, 48);
    if (queues)
        RefInt(&m, MQIA_Q_TYPE, SimInt(o, MQIA_Q_TYPE));
    for (const auto &kv : o->attrs)
        if (kv.first != MQIA_Q_TYPE && RefSelected(sel, kv.first))
            RefAttr(&m, ccsid, o->kind, kv.first, kv.second);
    if (o->queue)
        for (MQLONG id : counted)
            if (RefSelected(sel, id) && CmdAttrOf(q, o, id, &a))
                RefAttr(&m, ccsid, o->kind, id, a);
    if (o->kind == SIM_K_NAMELIST && RefSelected(sel, MQIA_NAME_COUNT) && CmdAttrOf(q, o, MQIA_NAME_COUNT, &a))
        RefAttr(&m, ccsid, o->kind, MQIA_NAME_COUNT, a);
    if (o->kind == SIM_K_QMGR && RefSelected(sel, MQCA_QSG_NAME) && !o->attrs.count(MQCA_QSG_NAME))
        RefStr(&m, ccsid, MQCA_QSG_NAME, "", 4);
    return m;
}

/* The former messages: each one's header, then a copy of its data. */
std::vector<std::string> RefFinish(MQLONG command, const std::vector<RefMsg> &msgs)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < msgs.size(); i++) {
        MQCFH h = {MQCFH_DEFAULT};
        h.Type = MQCFT_RESPONSE;
        h.Command = command;
        h.MsgSeqNumber = (MQLONG)i + 1;
        h.Control = i + 1 == msgs.size() ? MQCFC_LAST : MQCFC_NOT_LAST;
        h.ParameterCount = msgs[i].count;
        std::string msg((const char *)&h, sizeof h);
        msg.append(msgs[i].data);
        out.push_back(std::move(msg));
    }
    return out;
}

struct Inquiry {
    MQLONG command, nameId, attrsId;
    int kind;                     /* the objects' namespace */
    std::vector<MQLONG> sel;
};

}  // namespace

TEST_F(Sim, InquiryResponsesMatchTheFormerBuilding)
{
    std::string script;
    for (int i = 0; i < 23; i++)
        script += "DEFINE QLOCAL(CMP.L" + std::to_string(i) + ") DESCR('local queue " + std::to_string(i) +
                  "') MAXDEPTH(" + std::to_string(100 + i) + ")\n";
    script += "DEFINE QALIAS(CMP.A) TARGET(CMP.L1) DESCR('an alias')\n"
              "DEFINE QREMOTE(CMP.R) RNAME(FAR.Q) RQMNAME(FAR.QM)\n"
              "DEFINE QMODEL(CMP.M) DEFTYPE(PERMDYN)\n"
              "DEFINE NAMELIST(CMP.NL) NAMES(ONE, TWO, A.MUCH.LONGER.NAME.THAN.THE.OTHERS)\n"
              "DEFINE NAMELIST(CMP.EMPTY)\n"
              "DEFINE CHANNEL(CMP.SVRCONN) CHLTYPE(SVRCONN) DESCR('server connection')\n"
              "DEFINE CHANNEL(CMP.SDR) CHLTYPE(SDR) CONNAME('far.host(1414)') XMITQ(CMP.L2)\n"
              "DEFINE TOPIC(CMP.T) TOPICSTR('cmp/topic')\n"
              "DEFINE PROCESS(CMP.P) APPLICID('cmp.exe')\n";
    Mqsc("QMR", script.c_str());
    MQHCONN h = Connect("QMR");
    MQHOBJ l1 = Open(h, "CMP.L1", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    EXPECT_EQ(Put(h, l1, "one"), 0);
    EXPECT_EQ(Put(h, l1, "two"), 0);

    const std::vector<MQLONG> all = {MQIACF_ALL};
    const Inquiry inquiries[] = {
        {MQCMD_INQUIRE_Q, MQCA_Q_NAME, MQIACF_Q_ATTRS, SIM_K_QLOCAL, all},
        {MQCMD_INQUIRE_Q, MQCA_Q_NAME, MQIACF_Q_ATTRS, SIM_K_QLOCAL,
         {MQCA_Q_DESC, MQIA_CURRENT_Q_DEPTH, MQIA_MAX_Q_DEPTH, MQIA_OPEN_INPUT_COUNT, MQIA_Q_TYPE}},
        {MQCMD_INQUIRE_NAMELIST, MQCA_NAMELIST_NAME, MQIACF_NAMELIST_ATTRS, SIM_K_NAMELIST, all},
        {MQCMD_INQUIRE_NAMELIST, MQCA_NAMELIST_NAME, MQIACF_NAMELIST_ATTRS, SIM_K_NAMELIST,
         {MQCA_NAMES, MQIA_NAME_COUNT}},
        {MQCMD_INQUIRE_CHANNEL, MQCACH_CHANNEL_NAME, MQIACF_CHANNEL_ATTRS, SIM_K_CHANNEL, all},
        {MQCMD_INQUIRE_TOPIC, MQCA_TOPIC_NAME, MQIACF_TOPIC_ATTRS, SIM_K_TOPIC, all},
        {MQCMD_INQUIRE_PROCESS, MQCA_PROCESS_NAME, MQIACF_PROCESS_ATTRS, SIM_K_PROCESS, all},
        {MQCMD_INQUIRE_Q_MGR, 0, MQIACF_Q_MGR_ATTRS, SIM_K_QMGR, all},
        {MQCMD_INQUIRE_Q_MGR, 0, MQIACF_Q_MGR_ATTRS, SIM_K_QMGR, {MQCA_Q_MGR_NAME, MQCA_QSG_NAME}},
    };
    std::lock_guard<std::mutex> lk(SimLock);
    int reason = 0;
    SimQMgr *q = SimFindQMgr("QMR", &reason);
    ASSERT_NE(q, nullptr);
    MQLONG ccsid = SimInt(q->qmgrObj, MQIA_CODED_CHAR_SET_ID);
    for (const Inquiry &in : inquiries) {
        CmdRequest req = {};
        req.command = in.command;
        req.version = MQCFH_VERSION_1;
        if (in.nameId) {
            CmdParm name = {};
            name.type = MQCFT_STRING;
            name.id = in.nameId;
            name.sval = "*";
            req.parms.push_back(name);
        }
        CmdParm attrs = {};
        attrs.type = MQCFT_INTEGER_LIST;
        attrs.id = in.attrsId;
        attrs.ilist = in.sel;
        req.parms.push_back(attrs);
        CmdReply r = {};
        r.command = req.command;
        r.version = req.version;
        r.ccsid = ccsid;
        ASSERT_EQ(CmdObjectCommand(q, &req, &r), 0);
        std::vector<std::string> got;
        CmdFinish(&r, &got);

        std::vector<RefMsg> ref;
        if (in.kind == SIM_K_QMGR)
            ref.push_back(RefDescribe(q, ccsid, 0, false, q->qmgrObj, in.sel));
        else
            for (const auto &kv : q->objects[in.kind])
                if (kv.second->kind != SIM_K_QCLUSTER)
                    ref.push_back(RefDescribe(q, ccsid, in.nameId, in.kind == SIM_K_QLOCAL, kv.second, in.sel));
        std::vector<std::string> want = RefFinish(in.command, ref);
        ASSERT_EQ(got.size(), want.size()) << "command " << in.command;
        ASSERT_GT(got.size(), in.kind == SIM_K_QLOCAL ? 26u : 0u);
        for (size_t i = 0; i < got.size(); i++)
            EXPECT_EQ(got[i], want[i]) << "command " << in.command << ", response " << i + 1;
    }
}
