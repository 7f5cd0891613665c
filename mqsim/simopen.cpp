/* Opening and closing objects: queues (local, alias, remote, model with
 * its dynamic queues), the queue manager and topics; open options,
 * sharing, inhibition and selection strings. */
#include "simcall.h"

static std::string CharV(const MQCHARV &v, const void *base)
{
    if (v.VSLength == 0)
        return std::string();
    const char *p = v.VSPtr ? (const char *)v.VSPtr : v.VSOffset ? (const char *)base + v.VSOffset : nullptr;
    if (!p)
        return std::string();
    return v.VSLength == MQVS_NULL_TERMINATED ? std::string(p) : std::string(p, (size_t)(v.VSLength < 0 ? 0 : v.VSLength));
}

static const MQLONG KnownOpenOptions = SimInputOptions | MQOO_BROWSE | MQOO_OUTPUT | MQOO_INQUIRE |
    MQOO_SET | MQOO_SAVE_ALL_CONTEXT | SimContextOptions | MQOO_ALTERNATE_USER_AUTHORITY |
    MQOO_FAIL_IF_QUIESCING | MQOO_BIND_ON_OPEN | MQOO_BIND_NOT_FIXED | MQOO_BIND_ON_GROUP |
    MQOO_RESOLVE_NAMES | MQOO_RESOLVE_LOCAL_Q | MQOO_RESOLVE_LOCAL_TOPIC | MQOO_READ_AHEAD |
    MQOO_NO_READ_AHEAD | MQOO_CO_OP | MQOO_NO_MULTICAST;

static MQLONG CheckOpenOptions(MQLONG o)
{
    MQLONG in = o & SimInputOptions;
    if ((o & ~KnownOpenOptions) || (in & (in - 1)))
        return MQRC_OPTIONS_ERROR;
    if ((o & MQOO_READ_AHEAD) && (o & MQOO_NO_READ_AHEAD))
        return MQRC_OPTIONS_ERROR;
    if ((o & SimContextOptions) && !(o & MQOO_OUTPUT))
        return MQRC_OPTIONS_ERROR;
    if ((o & MQOO_SAVE_ALL_CONTEXT) && !in)
        return MQRC_OPTIONS_ERROR;
    if (!(o & (SimInputOptions | MQOO_BROWSE | MQOO_OUTPUT | MQOO_INQUIRE | MQOO_SET)))
        return MQRC_OPTIONS_ERROR;
    return 0;
}

/* A unique name from a DynamicQName template ("prefix*"). */
static std::string DynamicName(SimQMgr *q, const char *tmpl)
{
    std::string t = SimName(tmpl, 48);
    size_t star = t.find('*');
    if (star == std::string::npos)
        return t;
    char suffix[40];
    snprintf(suffix, sizeof suffix, "%08X%08X", (unsigned)(SimNowMs() / 1000), (unsigned)++q->dynSeq);
    std::string n = t.substr(0, star) + suffix;
    return n.size() > 48 ? n.substr(0, 48) : n;
}

/* Resolves aliases and remote definitions to the local queue a handle
 * reaches: 0 or a reason. */
static MQLONG Resolve(SimQMgr **qm, SimObject **obj, MQLONG options, SimObject **target)
{
    SimObject *o = *obj;
    *target = nullptr;
    if (o->kind == SIM_K_QALIAS) {
        std::string base = SimStr(o, MQCA_BASE_Q_NAME);
        SimObject *b = SimLookup(*qm, SIM_K_QLOCAL, base);
        if (!b || b->kind == SIM_K_QALIAS || b->kind == SIM_K_QMODEL)
            return MQRC_UNKNOWN_ALIAS_BASE_Q;
        if (b->kind == SIM_K_QREMOTE && (options & (SimInputOptions | MQOO_BROWSE)))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
        o = b;
    }
    if (o->kind == SIM_K_QREMOTE) {
        if (options & (SimInputOptions | MQOO_BROWSE | MQOO_SET))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
        std::string rqm = SimStr(o, MQCA_REMOTE_Q_MGR_NAME), rq = SimStr(o, MQCA_REMOTE_Q_NAME);
        int reason;
        SimQMgr *other = rqm.empty() || rqm == (*qm)->name ? *qm : SimFindQMgr(rqm, &reason);
        if (!other)
            return MQRC_UNKNOWN_REMOTE_Q_MGR;
        SimObject *r = SimLookup(other, SIM_K_QLOCAL, rq);
        if (!r || r->kind != SIM_K_QLOCAL)
            return MQRC_UNKNOWN_OBJECT_NAME;
        *qm = other;
        o = r;
    }
    *target = o->kind == SIM_K_QLOCAL ? o : nullptr;
    return 0;
}

bool SimInhibited(const SimObject *o, MQLONG id)
{
    return o && SimInt(o, id) == 1;
}

static MQLONG CheckInput(SimObject *obj, SimObject *t, MQLONG options, MQLONG *effective)
{
    MQLONG in = options & SimInputOptions;
    if (!in)
        return 0;
    if (in == MQOO_INPUT_AS_Q_DEF)
        in = SimInt(t, MQIA_DEF_INPUT_OPEN_OPTION, MQOO_INPUT_SHARED) == MQOO_INPUT_EXCLUSIVE ?
             MQOO_INPUT_EXCLUSIVE : MQOO_INPUT_SHARED;
    if (in == MQOO_INPUT_SHARED && SimInt(t, MQIA_SHAREABILITY, MQQA_SHAREABLE) == MQQA_NOT_SHAREABLE)
        in = MQOO_INPUT_EXCLUSIVE;
    if (t->queue->exclusive || (in == MQOO_INPUT_EXCLUSIVE && t->queue->openInput > 0))
        return MQRC_OBJECT_IN_USE;
    *effective = in;
    return 0;
}

MQLONG SimOpen(SimConn *c, MQOD *od, const void *userOd, MQLONG options, SimHandle **out)
{
    MQLONG reason = CheckOpenOptions(options);
    if (reason)
        return reason;
    SimQMgr *qm = c->qmgr;
    std::string qmName = SimName(od->ObjectQMgrName, 48);
    if (!qmName.empty() && qmName != qm->name && od->ObjectType != MQOT_Q_MGR) {
        int r;
        qm = SimFindQMgr(qmName, &r);
        if (!qm)
            return MQRC_UNKNOWN_REMOTE_Q_MGR;
        if (options & ~(MQOO_OUTPUT | SimContextOptions | MQOO_FAIL_IF_QUIESCING |
                        MQOO_ALTERNATE_USER_AUTHORITY | MQOO_BIND_ON_OPEN | MQOO_BIND_NOT_FIXED))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
    }
    std::string name = SimName(od->ObjectName, 48);
    SimObject *obj = nullptr, *target = nullptr;
    bool creator = false;
    std::string selection = od->Version >= 4 ? CharV(od->SelectionString, userOd) : "";
    std::vector<SimSelTerm> terms;
    if (!selection.empty() && SimSelCompile(selection, &terms) != 0)
        return MQRC_SELECTOR_SYNTAX_ERROR;
    switch (od->ObjectType) {
    case MQOT_Q_MGR:
        if (options & ~(MQOO_INQUIRE | MQOO_FAIL_IF_QUIESCING | MQOO_ALTERNATE_USER_AUTHORITY))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
        if (!name.empty() && name != qm->name)
            return MQRC_UNKNOWN_OBJECT_NAME;
        obj = qm->qmgrObj;
        break;
    case MQOT_TOPIC: {
        std::string str = od->Version >= 4 ? CharV(od->ObjectString, userOd) : "";
        if (name.empty() && str.empty())
            return MQRC_UNKNOWN_OBJECT_NAME;
        if (!name.empty() && !(obj = SimLookup(qm, SIM_K_TOPIC, name)))
            return MQRC_UNKNOWN_OBJECT_NAME;
        if (options & (SimInputOptions | MQOO_BROWSE | MQOO_SET))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
        break;
    }
    case MQOT_Q: {
        if (name.empty() || !(obj = SimLookup(qm, SIM_K_QLOCAL, name)))
            return MQRC_UNKNOWN_OBJECT_NAME;
        if (!(options & (SimInputOptions | MQOO_BROWSE | MQOO_OUTPUT)) && obj->kind != SIM_K_QMODEL) {
            /* inquire or set only: the definition itself */
            target = obj->kind == SIM_K_QLOCAL ? obj : nullptr;
            break;
        }
        if (obj->kind == SIM_K_QMODEL) {
            if (qm != c->qmgr)
                return MQRC_UNKNOWN_OBJECT_NAME;
            std::string dyn = DynamicName(qm, od->DynamicQName);
            if (dyn.empty())
                return MQRC_OBJECT_NAME_ERROR;
            if (SimLookup(qm, SIM_K_QLOCAL, dyn))
                return MQRC_OBJECT_ALREADY_EXISTS;
            SimObject *model = obj;
            obj = SimNewObject(qm, SIM_K_QLOCAL, dyn, model);
            MQLONG deftype = SimInt(model, MQIA_DEFINITION_TYPE, MQQDT_TEMPORARY_DYNAMIC);
            obj->temporary = deftype == MQQDT_TEMPORARY_DYNAMIC;
            SimSetInt(obj, MQIA_DEFINITION_TYPE, deftype == MQQDT_PERMANENT_DYNAMIC ?
                      MQQDT_PERMANENT_DYNAMIC : MQQDT_TEMPORARY_DYNAMIC);
            SimSetInt(obj, MQIA_Q_TYPE, MQQT_LOCAL);
            obj->owner = c;
            SimStoreObject(qm, obj);
            SimPad(od->ObjectName, 48, dyn);
            creator = true;
        }
        if ((reason = Resolve(&qm, &obj, options, &target)) != 0)
            break;
        if (!target && (options & (SimInputOptions | MQOO_BROWSE)))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
        if ((options & MQOO_OUTPUT) && (SimInhibited(obj, MQIA_INHIBIT_PUT) || SimInhibited(target, MQIA_INHIBIT_PUT)))
            reason = MQRC_PUT_INHIBITED;
        break;
    }
    default:
        return MQRC_OBJECT_TYPE_ERROR;
    }
    MQLONG input = 0;
    if (!reason && target)
        reason = CheckInput(obj, target, options, &input);
    if (reason) {
        if (obj && obj->temporary && obj->owner == c && obj->queue && obj->queue->openInput == 0 &&
            obj->queue->openOutput == 0 && obj->queue->openBrowse == 0)
            SimDeleteObject(qm, obj);
        return reason;
    }
    SimHandle *h = new SimHandle();
    h->hobj = c->nextHobj++;
    h->conn = c;
    h->qmgr = qm;
    h->obj = obj;
    h->target = target;
    h->options = options;
    h->selection = selection;
    h->topic = od->ObjectType == MQOT_TOPIC;
    if (h->topic)
        h->topicString = SimTopicString(qm, obj ? obj->name : "",
                                        od->Version >= 4 ? CharV(od->ObjectString, userOd) : "");
    h->creator = creator;
    MQMD blank = {MQMD_DEFAULT};
    h->context = blank;
    if (!terms.empty())
        h->selector = new std::vector<SimSelTerm>(terms);
    if (target) {
        if (input) {
            target->queue->openInput++;
            target->queue->exclusive = input == MQOO_INPUT_EXCLUSIVE;
        }
        if (options & MQOO_OUTPUT)
            target->queue->openOutput++;
        if (options & MQOO_BROWSE)
            target->queue->openBrowse++;
        h->exclusive = input == MQOO_INPUT_EXCLUSIVE;
    }
    if (od->Version >= 3) {
        SimPad(od->ResolvedQName, 48, target ? target->name : obj ? obj->name : "");
        SimPad(od->ResolvedQMgrName, 48, qm->name);
    }
    if (od->Version >= 4)
        od->ResolvedType = od->ObjectType;
    c->handles[h->hobj] = h;
    *out = h;
    return 0;
}

extern "C" void MQENTRY MQOPEN(MQHCONN Hconn, PMQVOID pObjDesc, MQLONG Options, PMQHOBJ pHobj,
                               PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQOPEN", Hconn);
    MQLONG reason = call.reason;
    MQOD od = {MQOD_DEFAULT};
    if (!reason)
        reason = SimCopyIn(&od, od, pObjDesc, MQOD_STRUC_ID, MQRC_OD_ERROR);
    if (!reason && !pHobj)
        reason = MQRC_HOBJ_ERROR;
    SimHandle *h = nullptr;
    if (!reason)
        reason = SimOpen(call.conn, &od, pObjDesc, Options, &h);
    if (!reason) {
        SimCopyOut(pObjDesc, od);
        *pHobj = h->hobj;
    } else if (pHobj) {
        *pHobj = MQHO_UNUSABLE_HOBJ;
    }
    SimResult(pCompCode, pReason, reason);
}

/* Forgets every reference to a queue that is being deleted: handles on it
 * see 2052 from now on, units of work drop its messages. */
void SimForgetQueue(SimObject *o)
{
    for (auto &kv : SimConns) {
        SimConn *c = kv.second;
        for (auto &hv : c->handles) {
            SimHandle *h = hv.second;
            if (h->target == o || h->obj == o) {
                h->cursor = h->locked = nullptr;
                h->target = nullptr;
                h->obj = nullptr;
                h->deleted = true;
            }
        }
        std::vector<SimUowEntry> keep;
        for (const SimUowEntry &e : c->uow)
            if (e.queue != o)
                keep.push_back(e);
        c->uow.swap(keep);
    }
}

static void DeleteQueue(SimQMgr *q, SimObject *o)
{
    SimForgetQueue(o);
    SimStoreDelete(q, o);
    SimDeleteObject(q, o);
}

void SimCloseHandle(SimConn *c, SimHandle *h, MQLONG options)
{
    SimObject *t = h->target;
    if (t) {
        SimQueue *q = t->queue;
        if (h->cursor)
            SimMsgUnpin(q, h->cursor);
        if (h->locked && h->locked->lockedBy == h)
            h->locked->lockedBy = nullptr;
        if (h->options & SimInputOptions) {
            q->openInput--;
            if (h->exclusive)
                q->exclusive = false;
        }
        if (h->options & MQOO_OUTPUT)
            q->openOutput--;
        if (h->options & MQOO_BROWSE)
            q->openBrowse--;
        bool dynamic = SimInt(t, MQIA_DEFINITION_TYPE) != MQQDT_PREDEFINED && t->owner == c;
        /* a temporary dynamic queue goes with the handle that made it,
         * whoever else has it open; a permanent one only when asked
         * and no longer open */
        if (t->temporary ? dynamic && t->owner == c && h->creator :
            (options & (MQCO_DELETE | MQCO_DELETE_PURGE)) && !q->openInput && !q->openOutput && !q->openBrowse)
            DeleteQueue(h->qmgr, t);
    }
    c->handles.erase(h->hobj);
    delete h->selector;
    delete h;
    SimWake.notify_all();
}

extern "C" void MQENTRY MQCLOSE(MQHCONN Hconn, PMQHOBJ pHobj, MQLONG Options, PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQCLOSE", Hconn);
    MQLONG reason = call.reason;
    SimHandle *h = nullptr;
    if (!reason && (!pHobj || !(h = SimHandleOf(call.conn, *pHobj))))
        reason = MQRC_HOBJ_ERROR;
    if (!reason && (Options & ~(MQCO_DELETE | MQCO_DELETE_PURGE | MQCO_KEEP_SUB | MQCO_REMOVE_SUB |
                                MQCO_QUIESCE)))
        reason = MQRC_OPTIONS_ERROR;
    if (!reason && (Options & (MQCO_DELETE | MQCO_DELETE_PURGE)) &&
        (!h->target || h->obj != h->target || (SimInt(h->target, MQIA_DEFINITION_TYPE) != MQQDT_PERMANENT_DYNAMIC &&
                                                SimInt(h->target, MQIA_DEFINITION_TYPE) != MQQDT_TEMPORARY_DYNAMIC)))
        reason = MQRC_OPTION_NOT_VALID_FOR_TYPE;     /* only a dynamic queue is deleted */
    if (!reason && (Options & MQCO_DELETE) && h->target && h->target->queue->depth > 0 &&
        !(Options & MQCO_DELETE_PURGE) && !h->target->temporary)
        reason = MQRC_Q_NOT_EMPTY;
    if (!reason) {
        SimCloseHandle(call.conn, h, Options);
        *pHobj = MQHO_UNUSABLE_HOBJ;
    }
    SimResult(pCompCode, pReason, reason);
}

