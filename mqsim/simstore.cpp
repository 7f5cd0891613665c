/* Persistence of a queue manager: one append-only log (qm.log) of object
 * definitions and deletions and of persistent messages put and removed.
 * Each record carries its length and a checksum, so that a record torn by
 * a killed process is recognised and dropped on the next start; the
 * records of one commit go out as one record, so that none is kept alone.
 * Every record reaches the operating system before the MQI call that made it
 * returns (no fsync: a killed process loses nothing, a crashed machine may).
 * The log is rewritten (compacted) into a new file that then replaces the
 * old one in one rename, at start and whenever it has grown well beyond
 * what it holds. */
#include "sim.h"

#include <cstring>

enum { REC_OBJECT = 'O', REC_DELETE = 'X', REC_PUT = 'M', REC_REMOVE = 'R',
       REC_BACKOUT = 'B', REC_TOKEN = 'T', REC_BATCH = 'U' };

static const int64_t COMPACT_SLACK = 16 << 20;
static const uint32_t MAX_RECORD = 1u << 30;

/* ---- record building --------------------------------------------------- */

static void Put32(std::string *b, uint32_t v) { b->append((const char *)&v, 4); }
static void Put64(std::string *b, uint64_t v) { b->append((const char *)&v, 8); }
static void PutStr(std::string *b, const std::string &s)
{
    Put32(b, (uint32_t)s.size());
    b->append(s);
}

struct Reader {
    const char *p, *end;
    bool ok;
    uint32_t U32() { uint32_t v = 0; if (end - p < 4) { ok = false; return 0; } memcpy(&v, p, 4); p += 4; return v; }
    uint64_t U64() { uint64_t v = 0; if (end - p < 8) { ok = false; return 0; } memcpy(&v, p, 8); p += 8; return v; }
    std::string Str()
    {
        uint32_t n = U32();
        if (!ok || (size_t)(end - p) < n) { ok = false; return std::string(); }
        std::string s(p, n);
        p += n;
        return s;
    }
};

static uint32_t Checksum(const std::string &b)
{
    uint32_t h = 2166136261u;
    for (unsigned char c : b)
        h = (h ^ c) * 16777619u;
    return h;
}

static void Frame(std::string *out, const std::string &payload)
{
    uint32_t head[2] = { (uint32_t)payload.size(), Checksum(payload) };
    out->append((const char *)head, sizeof head);
    out->append(payload);
}

static int64_t WriteRecord(FILE *f, const std::string &payload)
{
    uint32_t head[2] = { (uint32_t)payload.size(), Checksum(payload) };
    fwrite(head, sizeof head, 1, f);
    fwrite(payload.data(), 1, payload.size(), f);
    return (int64_t)(sizeof head + payload.size());
}

static void Append(SimQMgr *q, const std::string &payload)
{
    if (!q->log)
        return;
    if (q->batching) {
        Frame(&q->batch, payload);
        return;
    }
    q->logBytes += WriteRecord(q->log, payload);
    fflush(q->log);
}

void SimStoreBatchBegin(SimQMgr *q)
{
    q->batching = true;
}

void SimStoreBatchEnd(SimQMgr *q)
{
    if (!q->batching)
        return;
    q->batching = false;
    if (q->batch.empty())
        return;
    std::string b(1, (char)REC_BATCH);
    b += q->batch;
    std::string().swap(q->batch);
    if (b.size() <= MAX_RECORD) {
        Append(q, b);
    } else if (q->log) {  /* too big for one record: its records one by one */
        fwrite(b.data() + 1, 1, b.size() - 1, q->log);
        fflush(q->log);
        q->logBytes += (int64_t)b.size() - 1;
    }
}

static std::string ObjectRecord(const SimObject *o)
{
    std::string b(1, (char)REC_OBJECT);
    Put32(&b, (uint32_t)o->kind);
    PutStr(&b, o->name);
    Put32(&b, (uint32_t)o->attrs.size());
    for (const auto &kv : o->attrs) {
        const SimAttr &a = kv.second;
        Put32(&b, (uint32_t)kv.first);
        Put32(&b, (uint32_t)a.type);
        Put32(&b, (uint32_t)a.ival);
        PutStr(&b, a.sval);
        Put32(&b, (uint32_t)a.ilist.size());
        for (MQLONG v : a.ilist)
            Put32(&b, (uint32_t)v);
        Put32(&b, (uint32_t)a.slist.size());
        for (const std::string &s : a.slist)
            PutStr(&b, s);
    }
    return b;
}

static std::string MessageRecord(const SimObject *queue, const SimMsg *m)
{
    std::string b(1, (char)REC_PUT);
    PutStr(&b, queue->name);
    Put64(&b, m->token);
    Put64(&b, (uint64_t)m->expireAt);
    b.append((const char *)&m->md, sizeof m->md);
    PutStr(&b, std::string((const char *)m->data, (size_t)m->length));
    return b;
}

static std::string RefRecord(int type, const SimObject *queue, const SimMsg *m)
{
    std::string b(1, (char)type);
    PutStr(&b, queue->name);
    Put64(&b, m->token);
    if (type == REC_BACKOUT)
        Put32(&b, (uint32_t)m->md.BackoutCount);
    return b;
}

void SimStoreObject(SimQMgr *q, const SimObject *o)
{
    if (!o->temporary)
        Append(q, ObjectRecord(o));
}

void SimStoreDelete(SimQMgr *q, const SimObject *o)
{
    if (o->temporary)
        return;
    std::string b(1, (char)REC_DELETE);
    Put32(&b, (uint32_t)o->kind);
    PutStr(&b, o->name);
    Append(q, b);
}

void SimStorePut(SimQMgr *q, const SimObject *queue, const SimMsg *m)
{
    if (m->persistent && !queue->temporary)
        Append(q, MessageRecord(queue, m));
}

void SimStoreRemove(SimQMgr *q, const SimObject *queue, const SimMsg *m)
{
    if (m->persistent && !queue->temporary)
        Append(q, RefRecord(REC_REMOVE, queue, m));
}

void SimStoreBackout(SimQMgr *q, const SimObject *queue, const SimMsg *m)
{
    if (m->persistent && !queue->temporary && SimInt(queue, MQIA_HARDEN_GET_BACKOUT) == MQQA_BACKOUT_HARDENED)
        Append(q, RefRecord(REC_BACKOUT, queue, m));
}

/* ---- replay -------------------------------------------------------------- */

static void ReplayObject(SimQMgr *q, Reader *r)
{
    int kind = (int)r->U32();
    std::string name = r->Str();
    uint32_t n = r->U32();
    SimAttrs attrs;
    for (uint32_t i = 0; i < n && r->ok; i++) {
        MQLONG id = (MQLONG)r->U32();
        SimAttr &a = attrs[id];
        a.type = (int)r->U32();
        a.ival = (MQLONG)r->U32();
        a.sval = r->Str();
        uint32_t ni = r->U32();
        for (uint32_t j = 0; j < ni && r->ok; j++)
            a.ilist.push_back((MQLONG)r->U32());
        uint32_t ns = r->U32();
        for (uint32_t j = 0; j < ns && r->ok; j++)
            a.slist.push_back(r->Str());
    }
    if (!r->ok || kind < 0 || kind >= SIM_K_COUNT)
        return;
    SimObject *o = kind == SIM_K_QMGR ? q->qmgrObj : SimLookup(q, kind, name);
    if (!o)
        o = SimNewObject(q, kind, name, nullptr);
    o->attrs = attrs;
}

static void ReplayMessage(SimQMgr *q, Reader *r)
{
    std::string qname = r->Str();
    uint64_t token = r->U64();
    int64_t expireAt = (int64_t)r->U64();
    MQMD md;
    if (!r->ok || (size_t)(r->end - r->p) < sizeof md)
        return;
    memcpy(&md, r->p, sizeof md);
    r->p += sizeof md;
    std::string data = r->Str();
    SimObject *o = SimLookup(q, SIM_K_QLOCAL, qname);
    if (!r->ok || !o || !o->queue)
        return;
    SimMsg *m = SimMsgNew(&md, data.data(), (MQLONG)data.size());
    m->token = token;
    m->expireAt = expireAt;
    m->persistent = true;
    SimMsgInsert(o->queue, m, SimInt(o, MQIA_MSG_DELIVERY_SEQUENCE) == MQMDS_PRIORITY);
    if (token >= q->nextToken)
        q->nextToken = token + 1;
}

static SimMsg *ReplayRef(SimQMgr *q, Reader *r, SimObject **queue)
{
    std::string qname = r->Str();
    uint64_t token = r->U64();
    SimObject *o = SimLookup(q, SIM_K_QLOCAL, qname);
    if (!r->ok || !o || !o->queue)
        return nullptr;
    auto it = o->queue->byToken.find(token);
    *queue = o;
    return it == o->queue->byToken.end() ? nullptr : it->second;
}

static void Replay(SimQMgr *q, const std::string &payload);

/* The records of one commit, framed as in the log. */
static void ReplayBatch(SimQMgr *q, Reader *r)
{
    while (r->ok && r->p < r->end) {
        uint32_t n = r->U32(), sum = r->U32();
        if (!r->ok || n == 0 || (size_t)(r->end - r->p) < n)
            return;
        std::string sub(r->p, n);
        r->p += n;
        if (Checksum(sub) == sum && sub[0] != REC_BATCH)
            Replay(q, sub);
    }
}

static void Replay(SimQMgr *q, const std::string &payload)
{
    Reader r = { payload.data() + 1, payload.data() + payload.size(), true };
    SimObject *queue = nullptr;
    SimMsg *m;
    switch (payload[0]) {
    case REC_OBJECT:
        ReplayObject(q, &r);
        break;
    case REC_DELETE: {
        int kind = (int)r.U32();
        std::string name = r.Str();
        SimObject *o = r.ok && kind > SIM_K_QMGR && kind < SIM_K_COUNT ? SimLookup(q, kind, name) : nullptr;
        if (o)
            SimDeleteObject(q, o);
        break;
    }
    case REC_PUT:
        ReplayMessage(q, &r);
        break;
    case REC_REMOVE:
        if ((m = ReplayRef(q, &r, &queue)) != nullptr)
            SimMsgRemove(queue->queue, m);
        break;
    case REC_BACKOUT:
        if ((m = ReplayRef(q, &r, &queue)) != nullptr) {
            MQLONG count = (MQLONG)r.U32();
            if (r.ok)
                m->md.BackoutCount = count;
        }
        break;
    case REC_BATCH:
        ReplayBatch(q, &r);
        break;
    case REC_TOKEN: {
        uint64_t t = r.U64(), seed = r.U64();
        if (r.ok && t > q->nextToken)
            q->nextToken = t;
        if (r.ok)
            q->tokenSeed = seed;
        break;
    }
    }
}

/* ---- compaction ------------------------------------------------------------ */

static int Compact(SimQMgr *q)
{
    std::string path = q->dir + "/qm.log", tmp = path + ".tmp";
    FILE *f = fopen(tmp.c_str(), "wb");
    if (!f)
        return -1;
    int64_t bytes = 0;
    std::string t(1, (char)REC_TOKEN);
    Put64(&t, q->nextToken);
    Put64(&t, q->tokenSeed);
    bytes += WriteRecord(f, t);
    bytes += WriteRecord(f, ObjectRecord(q->qmgrObj));
    for (int k = SIM_K_QMGR + 1; k < SIM_K_COUNT; k++)
        for (const auto &kv : q->objects[k])
            if (!kv.second->temporary)
                bytes += WriteRecord(f, ObjectRecord(kv.second));
    for (const auto &kv : q->objects[SIM_K_QLOCAL]) {
        const SimObject *o = kv.second;
        if (!o->queue || o->temporary)
            continue;
        for (const SimMsg *m = o->queue->head; m; m = m->next)
            if (m->persistent && (m->state == SIM_MSG_LIVE || m->state == SIM_MSG_GET_PENDING))
                bytes += WriteRecord(f, MessageRecord(o, m));
    }
    bool ok = fflush(f) == 0 && !ferror(f);
    fclose(f);
    if (!ok) {
        remove(tmp.c_str());
        return -1;
    }
    if (q->log)
        fclose(q->log);
    q->log = nullptr;
    int rc = SimHostReplace(tmp, path);
    q->log = fopen(path.c_str(), "ab");
    q->logBytes = q->liveBytes = bytes;
    return rc == 0 && q->log ? 0 : -1;
}

void SimStoreMaybeCompact(SimQMgr *q)
{
    if (q->log && q->logBytes > 2 * q->liveBytes + COMPACT_SLACK)
        Compact(q);
}

int SimStoreOpen(SimQMgr *q)
{
    std::string path = q->dir + "/qm.log";
    FILE *f = fopen(path.c_str(), "rb");
    if (f) {
        uint32_t head[2];
        std::string payload;
        while (fread(head, sizeof head, 1, f) == 1) {
            if (head[0] == 0 || head[0] > MAX_RECORD)
                break;
            payload.resize(head[0]);
            if (fread(&payload[0], 1, head[0], f) != head[0] || Checksum(payload) != head[1])
                break;     /* torn by a killed process: the rest is dropped */
            Replay(q, payload);
        }
        fclose(f);
    }
    return Compact(q);
}

void SimStoreClose(SimQMgr *q)
{
    if (q->log)
        fclose(q->log);
    q->log = nullptr;
}
