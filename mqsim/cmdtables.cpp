/* The command server's object commands, driven by one table row per
 * object type: inquire, inquire names, create, copy, change and delete
 * of queues, channels, topics, namelists and processes, inquire and
 * change of the queue manager, and clear of a local queue. */
#include "cmdsrv.h"

#include <algorithm>
#include <cstring>

struct CmdObjType {
    int kind;                 /* SimKind; queues: SIM_K_QLOCAL for every queue type */
    MQLONG inquire, names, create, copy, change, del;
    MQLONG nameId;            /* 0: the queue manager, a single object */
    MQLONG namesId, attrsId, fromId, toId;
    MQLONG typeId;            /* sub-type parameter (queue, channel, topic type) or 0 */
    MQLONG typeAll;           /* its "all types" value */
    MQLONG notFound;
};

static const CmdObjType ObjTypes[] = {
    {SIM_K_QLOCAL, MQCMD_INQUIRE_Q, MQCMD_INQUIRE_Q_NAMES, MQCMD_CREATE_Q, MQCMD_COPY_Q, MQCMD_CHANGE_Q,
     MQCMD_DELETE_Q, MQCA_Q_NAME, MQCACF_Q_NAMES, MQIACF_Q_ATTRS, MQCACF_FROM_Q_NAME, MQCACF_TO_Q_NAME,
     MQIA_Q_TYPE, MQQT_ALL, MQRC_UNKNOWN_OBJECT_NAME},
    {SIM_K_CHANNEL, MQCMD_INQUIRE_CHANNEL, MQCMD_INQUIRE_CHANNEL_NAMES, MQCMD_CREATE_CHANNEL,
     MQCMD_COPY_CHANNEL, MQCMD_CHANGE_CHANNEL, MQCMD_DELETE_CHANNEL, MQCACH_CHANNEL_NAME,
     MQCACH_CHANNEL_NAMES, MQIACF_CHANNEL_ATTRS, MQCACF_FROM_CHANNEL_NAME, MQCACF_TO_CHANNEL_NAME,
     MQIACH_CHANNEL_TYPE, MQCHT_ALL, MQRCCF_CHANNEL_NOT_FOUND},
    {SIM_K_TOPIC, MQCMD_INQUIRE_TOPIC, MQCMD_INQUIRE_TOPIC_NAMES, MQCMD_CREATE_TOPIC, MQCMD_COPY_TOPIC,
     MQCMD_CHANGE_TOPIC, MQCMD_DELETE_TOPIC, MQCA_TOPIC_NAME, MQCACF_TOPIC_NAMES, MQIACF_TOPIC_ATTRS,
     MQCACF_FROM_TOPIC_NAME, MQCACF_TO_TOPIC_NAME, 0, 0, MQRC_UNKNOWN_OBJECT_NAME},
    {SIM_K_NAMELIST, MQCMD_INQUIRE_NAMELIST, MQCMD_INQUIRE_NAMELIST_NAMES, MQCMD_CREATE_NAMELIST,
     MQCMD_COPY_NAMELIST, MQCMD_CHANGE_NAMELIST, MQCMD_DELETE_NAMELIST, MQCA_NAMELIST_NAME,
     MQCACF_NAMELIST_NAMES, MQIACF_NAMELIST_ATTRS, MQCACF_FROM_NAMELIST_NAME, MQCACF_TO_NAMELIST_NAME, 0, 0,
     MQRC_UNKNOWN_OBJECT_NAME},
    {SIM_K_PROCESS, MQCMD_INQUIRE_PROCESS, MQCMD_INQUIRE_PROCESS_NAMES, MQCMD_CREATE_PROCESS,
     MQCMD_COPY_PROCESS, MQCMD_CHANGE_PROCESS, MQCMD_DELETE_PROCESS, MQCA_PROCESS_NAME,
     MQCACF_PROCESS_NAMES, MQIACF_PROCESS_ATTRS, MQCACF_FROM_PROCESS_NAME, MQCACF_TO_PROCESS_NAME, 0, 0,
     MQRC_UNKNOWN_OBJECT_NAME},
    {SIM_K_QMGR, MQCMD_INQUIRE_Q_MGR, -1, -1, -1, MQCMD_CHANGE_Q_MGR, -1, 0, 0, MQIACF_Q_MGR_ATTRS, 0, 0, 0,
     0, 0},
};

/* Queue types and the kinds that hold them. */
static const MQLONG QueueKinds[][2] = {
    {MQQT_LOCAL, SIM_K_QLOCAL}, {MQQT_MODEL, SIM_K_QMODEL},
    {MQQT_ALIAS, SIM_K_QALIAS}, {MQQT_REMOTE, SIM_K_QREMOTE},
};

static int KindOfQType(MQLONG t)
{
    for (const auto &k : QueueKinds)
        if (k[0] == t)
            return (int)k[1];
    return -1;
}

static const CmdObjType *TypeOfKind(int kind)
{
    if (kind == SIM_K_QMODEL || kind == SIM_K_QALIAS || kind == SIM_K_QREMOTE)
        kind = SIM_K_QLOCAL;
    for (const CmdObjType &t : ObjTypes)
        if (t.kind == kind)
            return &t;
    return nullptr;
}

/* The object's sub-type as the type parameter names it. */
static MQLONG SubType(const CmdObjType *t, const SimObject *o)
{
    if (!t->typeId)
        return 0;
    return SimInt(o, t->typeId);
}

/* ---- attributes --------------------------------------------------------- */

bool CmdAttrOf(SimQMgr *q, const SimObject *o, MQLONG id, SimAttr *out)
{
    (void)q;
    *out = SimAttr{};
    const SimQueue *sq = o->queue;
    MQLONG counted = -1;
    if (sq && id == MQIA_CURRENT_Q_DEPTH)
        counted = sq->depth;
    else if (sq && id == MQIA_OPEN_INPUT_COUNT)
        counted = sq->openInput;
    else if (sq && id == MQIA_OPEN_OUTPUT_COUNT)
        counted = sq->openOutput;
    else if (o->kind == SIM_K_NAMELIST && id == MQIA_NAME_COUNT) {
        auto it = o->attrs.find(MQCA_NAMES);
        counted = it == o->attrs.end() ? 0 : (MQLONG)it->second.slist.size();
    }
    if (counted >= 0) {
        out->type = SIM_INT;
        out->ival = counted;
        return true;
    }
    const CmdObjType *t = TypeOfKind(o->kind);
    if (t && t->nameId && t->nameId == id) {
            out->type = SIM_STR;
            out->sval = o->name;
            return true;
        }
    auto it = o->attrs.find(id);
    if (it == o->attrs.end())
        return false;
    *out = it->second;
    return true;
}

/* The width a string attribute is shown in: its keyword's longest
 * value, else 48 for a string.  The string attributes of every kind are
 * indexed once: an inquiry asks for each of every object. */
static size_t PadOf(int kind, MQLONG id)
{
    static const size_t span = MQCA_LAST - MQCA_FIRST + 1;
    static const std::vector<uint16_t> strings = [] {
        std::vector<uint16_t> t((size_t)SIM_K_COUNT * span, 0xffff);
        for (const SimKeyword &k : SimKeywords)     /* the first keyword of an id, as SimKeywordById */
            for (int kd = 0; kd < SIM_K_COUNT && k.id >= MQCA_FIRST && k.id <= MQCA_LAST; kd++)
                if ((k.kinds & (1u << kd)) && t[(size_t)kd * span + (size_t)(k.id - MQCA_FIRST)] == 0xffff)
                    t[(size_t)kd * span + (size_t)(k.id - MQCA_FIRST)] = (uint16_t)k.maxlen;
        for (uint16_t &w : t)
            if (w == 0xffff)
                w = 48;
        return t;
    }();
    if (id >= MQCA_FIRST && id <= MQCA_LAST && kind >= 0 && kind < SIM_K_COUNT)
        return strings[(size_t)kind * span + (size_t)(id - MQCA_FIRST)];
    const SimKeyword *k = SimKeywordById(kind, id);
    return k ? (size_t)k->maxlen : 0;
}

static void AddAttr(CmdMsg *m, int kind, MQLONG id, const SimAttr &a)
{
    switch (a.type) {
    case SIM_INT:
        return CmdAddInt(m, id, a.ival);
    case SIM_STR:
        return CmdAddStr(m, id, a.sval, PadOf(kind, id));
    case SIM_INTLIST:
        return CmdAddIntList(m, id, a.ilist);
    case SIM_STRLIST:
        return CmdAddStrList(m, id, a.slist, PadOf(kind, id));
    default:
        return CmdAddBytes(m, id, a.sval);
    }
}

/* Attributes worked out rather than stored, per kind. */
static const MQLONG CountedQueue[] = {MQIA_CURRENT_Q_DEPTH, MQIA_OPEN_INPUT_COUNT, MQIA_OPEN_OUTPUT_COUNT};

static bool Selected(const std::vector<MQLONG> &sel, MQLONG id)
{
    for (MQLONG s : sel)
        if (s == id || s == MQIACF_ALL)
            return true;
    return false;
}

/* The stored attributes of a few objects in order, their walks taken a
 * step of each in turn: a step waits for memory, and the waits of the
 * objects' walks overlap. */
typedef std::vector<const SimAttrs::value_type *> CmdAttrList;
enum { WalkTogether = 8 };

static void WalkAttrs(const SimObject *const *objs, size_t n, CmdAttrList *out)
{
    SimAttrs::const_iterator at[WalkTogether], end[WalkTogether];
    for (size_t k = 0; k < n; k++) {
        out[k].clear();
        at[k] = objs[k]->attrs.begin();
        end[k] = objs[k]->attrs.end();
    }
    for (bool more = true; more;) {
        more = false;
        for (size_t k = 0; k < n; k++)
            if (at[k] != end[k]) {
                out[k].push_back(&*at[k]);
                ++at[k];
                more = true;
            }
    }
}

/* One inquiry response: the object's name and the selected attributes
 * (its stored ones in attrs).  A queue's type comes second, its value
 * filled in when the stored ones come to it (0 when it has none). */
static void Describe(SimQMgr *q, const CmdObjType *t, const SimObject *o, const CmdAttrList &attrs,
                     const std::vector<MQLONG> &sel, CmdReply *r)
{
    CmdMsg *m = CmdNewMsg(r);
    SimAttr a;
    bool all = std::find(sel.begin(), sel.end(), MQIACF_ALL) != sel.end();
    if (t->nameId)
        CmdAddStr(m, t->nameId, o->name, 48);
    size_t typeAt = 0;
    if (t->kind == SIM_K_QLOCAL) {
        typeAt = m->data.size() + 12;
        CmdAddInt(m, MQIA_Q_TYPE, 0);
    }
    for (const SimAttrs::value_type *kv : attrs) {
        if (kv->first == MQIA_Q_TYPE && typeAt)
            memcpy(&m->data[typeAt], &kv->second.ival, 4);
        else if (kv->first != MQIA_Q_TYPE && (all || Selected(sel, kv->first)))
            AddAttr(m, o->kind, kv->first, kv->second);
    }
    if (o->queue)
        for (MQLONG id : CountedQueue)
            if (Selected(sel, id) && CmdAttrOf(q, o, id, &a))
                AddAttr(m, o->kind, id, a);
    if (o->kind == SIM_K_NAMELIST && Selected(sel, MQIA_NAME_COUNT) && CmdAttrOf(q, o, MQIA_NAME_COUNT, &a))
        AddAttr(m, o->kind, MQIA_NAME_COUNT, a);
    if (o->kind == SIM_K_QMGR && Selected(sel, MQCA_QSG_NAME) && !o->attrs.count(MQCA_QSG_NAME))
        CmdAddStr(m, MQCA_QSG_NAME, "", 4);    /* not in a queue-sharing group */
}

/* The inquiry responses of objects in their order. */
static void DescribeAll(SimQMgr *q, const CmdObjType *t, SimObject *const *objs, size_t n,
                        const std::vector<MQLONG> &sel, CmdReply *r)
{
    CmdAttrList attrs[WalkTogether];
    for (size_t i = 0; i < n; i += WalkTogether) {
        size_t group = n - i < WalkTogether ? n - i : WalkTogether;
        WalkAttrs(objs + i, group, attrs);
        for (size_t k = 0; k < group; k++)
            Describe(q, t, objs[i + k], attrs[k], sel, r);
    }
}

/* Sets one attribute from a request parameter: 0 or a reason. */
static MQLONG ErrorOfType(MQLONG type)
{
    switch (type) {
    case MQCFT_INTEGER:
        return MQRCCF_CFIN_PARM_ID_ERROR;
    case MQCFT_STRING:
        return MQRCCF_CFST_PARM_ID_ERROR;
    case MQCFT_INTEGER_LIST:
        return MQRCCF_CFIL_PARM_ID_ERROR;
    case MQCFT_STRING_LIST:
        return MQRCCF_CFSL_PARM_ID_ERROR;
    case MQCFT_BYTE_STRING:
        return MQRCCF_CFBS_PARM_ID_ERROR;
    default:
        return MQRCCF_STRUCTURE_TYPE_ERROR;
    }
}

/* An enumeration: its value words name every value it takes.  A number
 * whose only words are special negative values (DEFPRTY's ASPARENT)
 * takes plain numbers too. */
static bool Enumerated(MQLONG id)
{
    for (const SimValueKeyword &v : SimValueKeywords)
        if (v.id == id && v.value >= 0)
            return true;
    return false;
}

static bool KnownValue(MQLONG id, MQLONG value)
{
    for (const SimValueKeyword &v : SimValueKeywords)
        if (v.id == id && v.value == value)
            return true;
    return false;
}

static MQLONG SetParm(int kind, SimAttrs *attrs, const CmdParm &p)
{
    static const int types[][2] = {
        {MQCFT_INTEGER, SIM_INT}, {MQCFT_STRING, SIM_STR}, {MQCFT_INTEGER_LIST, SIM_INTLIST},
        {MQCFT_STRING_LIST, SIM_STRLIST}, {MQCFT_BYTE_STRING, SIM_BYTES},
    };
    const SimKeyword *k = SimKeywordById(kind, p.id);
    if (!k || ((k->flags & (SIM_KW_RO | SIM_KW_CMD)) && !SimWritableAttr(kind, p.id)))
        return ErrorOfType(p.type);
    bool typeOk = false;
    for (const auto &t : types)
        if (t[0] == p.type && t[1] == k->type)
            typeOk = true;
    if (!typeOk)
        return ErrorOfType(p.type);
    if (p.type == MQCFT_INTEGER && Enumerated(p.id) && !KnownValue(p.id, p.ival) &&
        !SimWritableAttr(kind, p.id))
        return MQRCCF_PARM_VALUE_ERROR;
    if (p.type == MQCFT_STRING && k->maxlen && (int)p.sval.size() > k->maxlen)
        return MQRCCF_CFST_STRING_LENGTH_ERR;
    SimAttr &a = (*attrs)[p.id];
    a.type = k->type;
    a.ival = p.ival;
    a.sval = p.sval;
    a.ilist = p.ilist;
    a.slist.clear();
    for (const std::string &s : p.slist)
        if (!s.empty())
            a.slist.push_back(s);
    if (k->type == SIM_STRLIST)
        a.ival = (MQLONG)a.slist.size();
    return 0;
}

/* Parameters of the command itself, not attributes. */
static bool CommandParm(const CmdObjType *t, MQLONG id)
{
    static const MQLONG common[] = {MQIACF_REPLACE, MQIACF_PURGE, MQCACF_COMMAND_SCOPE, MQIA_QSG_DISP,
                                    MQIACF_QSG_DISPS};
    for (MQLONG c : common)
        if (c == id)
            return true;
    return id == t->nameId || id == t->fromId || id == t->toId || (t->typeId && id == t->typeId &&
                                                                     t->kind == SIM_K_QLOCAL);
}

static bool ApplyParms(const CmdObjType *t, int kind, SimAttrs *attrs, const CmdRequest *req, CmdReply *r)
{
    for (const CmdParm &p : req->parms) {
        if (CommandParm(t, p.id))
            continue;
        MQLONG rc = SetParm(kind, attrs, p);
        if (rc) {
            CmdError(r, rc, MQIACF_PARAMETER_ID, p.id);
            return false;
        }
    }
    return true;
}

/* ---- the commands ------------------------------------------------------------ */

struct CmdCtx {
    SimQMgr *q;
    const CmdObjType *t;
    const CmdRequest *req;
    CmdReply *r;
};

static const std::string *StrParm(const CmdRequest *req, MQLONG id)
{
    const CmdParm *p = CmdFind(req, id);
    return p && p->type == MQCFT_STRING ? &p->sval : nullptr;
}

static MQLONG IntParm(const CmdRequest *req, MQLONG id, MQLONG dflt)
{
    const CmdParm *p = CmdFind(req, id);
    return p && p->type == MQCFT_INTEGER ? p->ival : dflt;
}

static void Missing(CmdReply *r, MQLONG id)
{
    CmdError(r, MQRCCF_PARM_COUNT_TOO_SMALL, MQIACF_PARAMETER_ID, id);
}

/* The objects of the type that the name (generic or not), the type
 * selection and the filters choose, in name order. */
static void Choose(const CmdCtx *x, const std::string &name, MQLONG typeSel, std::vector<SimObject *> *out)
{
    const auto &objs = x->q->objects[x->t->kind];
    bool generic = !name.empty() && name.back() == '*';
    auto it = generic ? objs.lower_bound(name.substr(0, name.size() - 1)) : objs.find(name);
    for (; it != objs.end(); ++it) {
        SimObject *o = it->second;
        if (!SimNameMatch(name, o->name))
            break;
        if (o->kind == SIM_K_QCLUSTER)
            continue;
        if (x->t->typeId && typeSel != x->t->typeAll && SubType(x->t, o) != typeSel)
            continue;
        bool pass = true;
        for (const CmdParm &p : x->req->parms) {
            if (p.type != MQCFT_INTEGER_FILTER && p.type != MQCFT_STRING_FILTER &&
                p.type != MQCFT_BYTE_STRING_FILTER)
                continue;
            SimAttr a;
            pass = pass && CmdAttrOf(x->q, o, p.id, &a) && CmdFilterMatch(&p, &a);
        }
        if (pass)
            out->push_back(o);
    }
}

/* An attribute selector: MQIACF_ALL or an integer or string attribute. */
static bool ValidSelector(MQLONG id)
{
    return id == MQIACF_ALL || (id >= MQIA_FIRST && id <= MQIA_LAST) || (id >= MQCA_FIRST && id <= MQCA_LAST);
}

/* An error response naming the parameter and the selector in error. */
static void SelectorError(CmdReply *r, MQLONG reason, MQLONG parm, MQLONG selector)
{
    CmdError(r, reason, MQIACF_PARAMETER_ID, parm);
    CmdAddInt(&r->msgs.back(), MQIACF_SELECTOR, selector);
}

static void Inquire(const CmdCtx *x)
{
    std::vector<MQLONG> sel = {MQIACF_ALL};
    const CmdParm *ap = CmdFind(x->req, x->t->attrsId);
    if (ap && ap->type == MQCFT_INTEGER_LIST)
        sel = ap->ilist;
    for (MQLONG s : sel)
        if (!ValidSelector(s))
            return SelectorError(x->r, MQRCCF_ATTR_VALUE_ERROR, x->t->attrsId, s);
    if (!x->t->nameId)
        return DescribeAll(x->q, x->t, &x->q->qmgrObj, 1, sel, x->r);
    const std::string *name = StrParm(x->req, x->t->nameId);
    if (!name)
        return Missing(x->r, x->t->nameId);
    int filters = 0;
    for (const CmdParm &p : x->req->parms)
        if (p.type == MQCFT_INTEGER_FILTER || p.type == MQCFT_STRING_FILTER ||
            p.type == MQCFT_BYTE_STRING_FILTER) {
            if (++filters > 1)
                return CmdError(x->r, MQRCCF_TOO_MANY_FILTERS);
            if (!ValidSelector(p.id) || p.id == MQIACF_ALL)
                return SelectorError(x->r, MQRCCF_FILTER_ERROR, p.id, p.id);
            if (!CmdFilterValid(&p, x->t->kind))
                return CmdError(x->r, MQRCCF_FILTER_ERROR, MQIACF_PARAMETER_ID, p.id);
        }
    std::vector<SimObject *> objs;
    Choose(x, *name, IntParm(x->req, x->t->typeId, x->t->typeAll), &objs);
    if (objs.empty()) {
        if (filters && name->find('*') != std::string::npos)
            return (void)CmdNewMsg(x->r);     /* nothing passed the filter */
        return CmdError(x->r, x->t->notFound);
    }
    DescribeAll(x->q, x->t, objs.data(), objs.size(), sel, x->r);
}

static void Names(const CmdCtx *x)
{
    const std::string *name = StrParm(x->req, x->t->nameId);
    if (!name)
        return Missing(x->r, x->t->nameId);
    std::vector<SimObject *> objs;
    Choose(x, *name, IntParm(x->req, x->t->typeId, x->t->typeAll), &objs);
    std::vector<std::string> names;
    std::vector<MQLONG> types;
    for (SimObject *o : objs) {
        names.push_back(o->name);
        types.push_back(SimInt(o, MQIA_Q_TYPE));
    }
    CmdMsg *m = CmdNewMsg(x->r);
    CmdAddStrList(m, x->t->namesId, names, 48);
    if (x->t->kind == SIM_K_QLOCAL)
        CmdAddIntList(m, MQIACF_Q_TYPES, types);
}

/* The kind of a new or named object: from the queue type for queues. */
static int KindOf(const CmdCtx *x, MQLONG *reasonParm)
{
    *reasonParm = 0;
    if (x->t->kind != SIM_K_QLOCAL)
        return x->t->kind;
    const CmdParm *p = CmdFind(x->req, MQIA_Q_TYPE);
    if (!p) {
        *reasonParm = MQIA_Q_TYPE;
        return -1;
    }
    return KindOfQType(p->ival);
}

static bool Busy(const SimObject *o)
{
    return SimQueueBusy(o);
}

/* A new object's name: not empty, not longer than the type's names,
 * only the characters object names take; otherwise an error response
 * with the offset of the first bad character when there is one. */
static bool NameValid(const CmdObjType *t, const std::string &name, MQLONG nameId, CmdReply *r)
{
    static const char ok[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._/%";
    size_t most = PadOf(t->kind, t->nameId);
    size_t bad = name.find_first_not_of(ok);
    if (!name.empty() && name.size() <= (most ? most : 48) && bad == std::string::npos)
        return true;
    CmdError(r, MQRCCF_OBJECT_NAME_ERROR, MQIACF_PARAMETER_ID, nameId);
    if (bad != std::string::npos)
        CmdAddInt(&r->msgs.back(), MQIACF_ERROR_OFFSET, (MQLONG)bad);
    return false;
}

/* Create (from the type's default object) and copy (from another). */
static void Make(const CmdCtx *x, bool copy)
{
    MQLONG missing;
    int kind = KindOf(x, &missing);
    if (missing)
        return Missing(x->r, missing);
    if (kind < 0)
        return CmdError(x->r, MQRCCF_Q_TYPE_ERROR, MQIACF_PARAMETER_ID, MQIA_Q_TYPE);
    MQLONG nameId = copy ? x->t->toId : x->t->nameId;
    const std::string *name = StrParm(x->req, nameId);
    if (!name)
        return Missing(x->r, nameId);
    if (!NameValid(x->t, *name, nameId, x->r))
        return;
    const SimObject *like;
    if (copy) {
        const std::string *from = StrParm(x->req, x->t->fromId);
        if (!from)
            return Missing(x->r, x->t->fromId);
        like = SimLookup(x->q, kind, *from);
        if (!like)
            return CmdError(x->r, x->t->notFound);
        if (like->kind != kind)
            return CmdError(x->r, MQRCCF_OBJECT_WRONG_TYPE);
    } else {
        MQLONG chltype = 0;
        if (kind == SIM_K_CHANNEL) {
            chltype = IntParm(x->req, MQIACH_CHANNEL_TYPE, 0);
            if (!chltype)
                return Missing(x->r, MQIACH_CHANNEL_TYPE);
        }
        like = SimTypeDefault(x->q, kind, chltype);
        if (kind == SIM_K_CHANNEL && !like)
            return CmdError(x->r, MQRCCF_CHANNEL_TYPE_ERROR, MQIACF_PARAMETER_ID, MQIACH_CHANNEL_TYPE);
    }
    SimObject *o = SimLookup(x->q, kind, *name);
    if (o && IntParm(x->req, MQIACF_REPLACE, 0) != MQRP_YES)
        return CmdError(x->r, MQRCCF_OBJECT_ALREADY_EXISTS);
    if (o && o->kind != kind)
        return CmdError(x->r, MQRCCF_OBJECT_WRONG_TYPE);
    SimAttrs a = like ? like->attrs : SimAttrs();
    if (!ApplyParms(x->t, kind, &a, x->req, x->r))
        return;
    if (kind == SIM_K_CHANNEL && SimInt(like, MQIACH_CHANNEL_TYPE) != IntParm(x->req, MQIACH_CHANNEL_TYPE,
                                                                              SimInt(like, MQIACH_CHANNEL_TYPE)))
        return CmdError(x->r, MQRCCF_CHANNEL_TYPE_ERROR, MQIACF_PARAMETER_ID, MQIACH_CHANNEL_TYPE);
    if (!o)
        o = SimNewObject(x->q, kind, *name, nullptr);
    o->attrs = a;
    o->attrs.erase(MQCA_ALTERATION_DATE);
    SimFinishObject(x->q, o);
    CmdNewMsg(x->r);
}

/* The object a change, delete or clear names, checked against the type
 * the request gives; null after an error response. */
static SimObject *Named(const CmdCtx *x)
{
    if (!x->t->nameId)
        return x->q->qmgrObj;
    const std::string *name = StrParm(x->req, x->t->nameId);
    if (!name) {
        Missing(x->r, x->t->nameId);
        return nullptr;
    }
    SimObject *o = SimLookup(x->q, x->t->kind, *name);
    if (!o || name->find('*') != std::string::npos) {
        CmdError(x->r, x->t->notFound);
        return nullptr;
    }
    const CmdParm *tp = x->t->typeId ? CmdFind(x->req, x->t->typeId) : nullptr;
    if (tp && tp->ival != x->t->typeAll && SubType(x->t, o) != tp->ival) {
        CmdError(x->r, MQRCCF_OBJECT_WRONG_TYPE);
        return nullptr;
    }
    return o;
}

static void Change(const CmdCtx *x)
{
    SimObject *o = Named(x);
    if (!o)
        return;
    SimAttrs a = o->attrs;
    if (!ApplyParms(x->t, o->kind, &a, x->req, x->r))
        return;
    o->attrs = a;
    SimFinishObject(x->q, o);
    CmdNewMsg(x->r);
}

static void Delete(const CmdCtx *x)
{
    SimObject *o = Named(x);
    if (!o)
        return;
    if (Busy(o))
        return CmdError(x->r, MQRCCF_OBJECT_OPEN);
    if (o->queue && o->queue->depth > 0 && IntParm(x->req, MQIACF_PURGE, MQPO_NO) != MQPO_YES)
        return CmdError(x->r, MQRC_Q_NOT_EMPTY);
    SimRemoveObject(x->q, o);
    CmdNewMsg(x->r);
}

static void Clear(const CmdCtx *x)
{
    SimObject *o = Named(x);
    if (!o)
        return;
    if (!o->queue)
        return CmdError(x->r, MQRCCF_Q_WRONG_TYPE);
    if (Busy(o))
        return CmdError(x->r, MQRC_OBJECT_IN_USE);
    SimClearQueue(x->q, o);
    CmdNewMsg(x->r);
}

int CmdObjectCommand(SimQMgr *q, const CmdRequest *req, CmdReply *r)
{
    for (const CmdObjType &t : ObjTypes) {
        CmdCtx x = {q, &t, req, r};
        MQLONG c = req->command;
        if (c == t.inquire)
            return Inquire(&x), 0;
        if (c == t.names)
            return Names(&x), 0;
        if (c == t.create)
            return Make(&x, false), 0;
        if (c == t.copy)
            return Make(&x, true), 0;
        if (c == t.change)
            return Change(&x), 0;
        if (c == t.del)
            return Delete(&x), 0;
        if (c == MQCMD_CLEAR_Q && t.kind == SIM_K_QLOCAL)
            return Clear(&x), 0;
    }
    return -1;
}
