/* The replies of the queue-manager refresh: the queue manager's
 * attributes into the location (its capabilities when platform, level
 * or group change), each queue of an inquiry into the location's queue
 * information, and at the end of an inquiry the refresh marks, the queues
 * no reply renewed, and the main window and location list told. */
#include "cmdint.h"

#include "cs.h"
#include "locstore.h"

#define ATTR_SEPARATOR   ZKT_OBJECT_SEPARATOR
#define ATTR_CLUSTER_Q_TYPE 59
#define ATTR_Q_TYPES     1261
#define ATTR_Q_NAMES     3011
#include "ravoltids.h"

/* One parameter of a reply as the walker hands it out. */
struct PARM {
    MQLONG type, id, length, count;
    const uint8_t *value;
};

static int NextParm(MQPP *pp, PARM *p)
{
    MQLONG cc, rc;
    void *value = nullptr;
    PCFGetNextParm(pp, &p->type, &p->id, &value, &p->length, &p->count, &cc, &rc);
    p->value = (const uint8_t *)value;
    return !cc;
}

static int32_t IntOf(const PARM *p)
{
    int32_t v;
    memcpy(&v, p->value, 4);
    return v;
}

/* A string parameter into a fixed field; 1 when it changed. */
static int TakeName(const PARM *p, char *field, size_t size)
{
    char text[QMS_NAME + 1];
    CmdTakeString(text, size < sizeof text ? size : sizeof text, p->value, p->length);
    if (!strcmp(text, field))
        return 0;
    CmdCopy(field, text, size);
    return 1;
}

/* The first blank-delimited word of a string. */
static void FirstWord(const PARM *p, char *out, size_t size)
{
    CmdTakeString(out, size, p->value, p->length);
    char *blank = strchr(out, ' ');
    if (blank)
        *blank = 0;
}

/* ---- the queue manager ---- */

/* The attributes of a queue-manager reply; the pending refresh kinds to
 * ask for now that the level is known (0 none); *changed when a name
 * changed. */
static uint32_t ProcessQmgrReply(QMS *r, MQPP *pp, int *changedOut)
{
    MQCFH *h = PCFHeader(pp);
    if (h->Type != MQCFT_RESPONSE && h->Type != MQCFT_XR_SUMMARY && h->Type != MQCFT_XR_ITEM)
        return 0;
    CMDLOC *l = CmdLocOf(r);
    if (!l)
        return 0;
    CMDQMGR *q = &l->reported;
    int changed = 0, repository = 0;
    int32_t platform = r->platform, level = r->commandLevel;
    int inGroup = (r->flags & LF_QSG) != 0;
    PARM p;
    while (NextParm(pp, &p)) {
        int str = p.type == MQCFT_STRING, num = p.type == MQCFT_INTEGER;
        char word[QMS_NAME + 1];
        if (str && p.id == MQCA_Q_MGR_NAME) {
            changed |= TakeName(&p, q->name, sizeof q->name);
        } else if (str && p.id == MQCA_DEAD_LETTER_Q_NAME) {
            changed |= TakeName(&p, q->deadLetterQ, sizeof q->deadLetterQ);
        } else if (str && p.id == MQCA_DEF_XMIT_Q_NAME) {
            changed |= TakeName(&p, q->xmitQ, sizeof q->xmitQ);
        } else if (str && (p.id == MQCA_REPOSITORY_NAME || p.id == MQCA_REPOSITORY_NAMELIST) && !repository) {
            FirstWord(&p, word, sizeof word);
            if (word[0]) {
                repository = 1;
                changed |= strcmp(word, q->repository) != 0;
                CmdCopy(q->repository, word, sizeof q->repository);
            }
        } else if (str && p.id == MQCA_QSG_NAME) {
            FirstWord(&p, word, sizeof word);
            inGroup = word[0] != 0;
        } else if (num && p.id == MQIA_CODED_CHAR_SET_ID) {
            r->ccsidQm = (uint32_t)IntOf(&p);
        } else if (num && p.id == MQIA_COMMAND_LEVEL) {
            level = IntOf(&p);
        } else if (num && p.id == MQIA_PLATFORM) {
            platform = IntOf(&p);
        }
    }
    if (!repository && q->repository[0]) {
        q->repository[0] = 0;
        changed = 1;
    }
    q->inGroup = inGroup;
    if (platform != r->platform || level != r->commandLevel || inGroup != ((r->flags & LF_QSG) != 0)) {
        r->flags = inGroup ? r->flags | LF_QSG : r->flags & ~LF_QSG;
        LocSetCapabilities(r, platform, level, (uint32_t)inGroup);
    }
    SetDefaultEncoding(r);
    uint32_t again = 0;
    if (q->pendingKinds && r->commandLevel > 0) {
        again = q->pendingKinds;
        q->pendingKinds = 0;
    }
    if (changed)
        l->notifyMain = l->notifyList = 1;
    *changedOut = changed;
    return again;
}

/* ---- queues ---- */

/* The fill level of a depth against its maximum (0: not known). */
static uint32_t FillLevel(int64_t depth, int64_t maximum)
{
    if (depth <= 0 || maximum <= 0)
        return 0;
    for (uint32_t level = 1; level < 5; level++)
        if (depth * 5 <= maximum * level)
            return level;
    return 5;
}

/* A queue of an inquiry reply as its parameters come (the type may come
 * last): stored into the location's queue information at its end. */
struct REPLYQ {
    char name[QMS_NAME + 1];
    char description[65];
    uint32_t type;
    uint16_t flags;
    const char *cluster;         /* shared text, or null */
    int32_t depth, maxDepth, definitionType, usage;
    char related1[QMS_NAME + 1]; /* base, initiation or remote queue */
    char related2[QMS_NAME + 1]; /* process or remote queue manager */
    char xmitQ[QMS_NAME + 1];
};

/* The type's attribute block of the record from the reply's values. */
static void FillAttrs(QINFO *q, const REPLYQ *in)
{
    if (in->type == MQQT_LOCAL || in->type == MQQT_MODEL) {
        QATTRLOCAL *a = (QATTRLOCAL *)q->attrs;
        a->depth = in->depth;
        a->maxDepth = in->maxDepth;
        a->usage = in->usage;
        a->definitionType = in->definitionType;
        memcpy(a->initQ, in->related1, sizeof a->initQ);
        memcpy(a->process, in->related2, sizeof a->process);
    } else if (in->type == MQQT_ALIAS) {
        memcpy(((QATTRALIAS *)q->attrs)->baseQ, in->related1, QMS_NAME + 1);
    } else if (in->type == MQQT_REMOTE) {
        QATTRREMOTE *a = (QATTRREMOTE *)q->attrs;
        memcpy(a->remoteQ, in->related1, sizeof a->remoteQ);
        memcpy(a->remoteQMgr, in->related2, sizeof a->remoteQMgr);
        memcpy(a->xmitQ, in->xmitQ, sizeof a->xmitQ);
    }
}

/* The queue into the location's records; its shared text passes on. */
static void StoreQueue(QMS *r, REPLYQ *in)
{
    if (!in->name[0]) {
        CSStringRelease(in->cluster);
        in->cluster = nullptr;
        return;
    }
    QINFO q;
    memset(&q, 0, sizeof q);
    q.location = r;
    memcpy(q.name, in->name, sizeof q.name);
    memcpy(q.desc, in->description, sizeof q.desc);
    q.type = in->type;
    q.flags = in->flags;
    q.text = in->cluster;
    in->cluster = nullptr;
    FillAttrs(&q, in);
    if (in->type == MQQT_LOCAL || in->type == MQQT_MODEL)
        if ((q.depthClass = FillLevel(in->depth, in->maxDepth)) != 0)
            q.flags |= QI_DEPTHKNOWN;
    LocAddQueueInfo(&q);          /* takes or releases the shared text */
}

static void NewQueue(REPLYQ *q)
{
    CSStringRelease(q->cluster);
    memset(q, 0, sizeof *q);
}

static void QueueParm(REPLYQ *q, const PARM *p)
{
    if (p->type == MQCFT_INTEGER) {
        int32_t v = IntOf(p);
        switch (p->id) {
        case MQIA_CURRENT_Q_DEPTH: q->depth = v; break;
        case MQIA_MAX_Q_DEPTH: q->maxDepth = v; break;
        case MQIA_DEFINITION_TYPE: q->definitionType = v; break;
        case MQIA_USAGE: q->usage = v; break;
        case MQIA_Q_TYPE:
            if (v == MQQT_CLUSTER)
                q->flags |= QI_CLUSTER;
            else
                q->type = (uint32_t)v;
            break;
        case ATTR_CLUSTER_Q_TYPE:
            q->flags &= (uint16_t)~QI_CLUSALIAS;
            q->type = v == 1 ? MQQT_LOCAL : v == 2 ? MQQT_ALIAS : MQQT_REMOTE;
            if (v == 4)
                q->flags |= QI_CLUSALIAS;
            break;
        }
        return;
    }
    if (p->type != MQCFT_STRING)
        return;
    char word[QMS_NAME + 1];
    switch (p->id) {
    case MQCA_Q_NAME: CmdTakeString(q->name, sizeof q->name, p->value, p->length); break;
    case MQCA_Q_DESC: CmdTakeString(q->description, sizeof q->description, p->value, p->length); break;
    case MQCA_BASE_Q_NAME: case MQCA_INITIATION_Q_NAME: case MQCA_REMOTE_Q_NAME:
        CmdTakeString(q->related1, sizeof q->related1, p->value, p->length);
        break;
    case MQCA_PROCESS_NAME: case MQCA_REMOTE_Q_MGR_NAME:
        CmdTakeString(q->related2, sizeof q->related2, p->value, p->length);
        break;
    case MQCA_XMIT_Q_NAME: CmdTakeString(q->xmitQ, sizeof q->xmitQ, p->value, p->length); break;
    case MQCA_CLUSTER_NAME: case MQCA_CLUSTER_NAMELIST:
        FirstWord(p, word, sizeof word);
        CSStringRelease(q->cluster);
        q->cluster = word[0] ? CSStringGet(word, -1) : nullptr;
        if (p->id == MQCA_CLUSTER_NAMELIST)
            q->flags |= QI_INNAMELIST;
        break;
    }
}

static void ProcessQueueReply(QMS *r, MQPP *pp, const uint8_t *data, uint32_t length)
{
    if (!PCFObjectNameSelected(r, data, length))
        return;
    REPLYQ q = {};
    PARM p;
    while (NextParm(pp, &p)) {
        if (p.type == MQCFT_INTEGER && p.id == ATTR_SEPARATOR) {
            StoreQueue(r, &q);
            NewQueue(&q);
        } else {
            QueueParm(&q, &p);
        }
    }
    StoreQueue(r, &q);
    CSStringRelease(q.cluster);
}

/* A name of the queue-names reply that the location's filters pass. */
static int NamePasses(QMS *r, const char *name, int n)
{
    AUTQMASK *chain = nullptr;
    const char *list = nullptr;
    int32_t listLength = 0;
    PCFGetNameFilters(r, &chain, &list, &listLength);
    if (!PCFMatchNameTerms(chain, name, n))
        return 0;
    return !list || listLength <= 0 || UTWildMatch(name, n, list, listLength);
}

static void ProcessQueueNamesReply(IFCMD *record, const uint8_t *data, uint32_t length)
{
    MQPP pp;
    MQLONG cc, rc;
    PCFInitParse(&pp, data, (int32_t)length, nullptr, &cc, &rc);
    if (cc)
        return;
    PARM p, types = {}, names = {};
    while (NextParm(&pp, &p)) {
        if (p.type == MQCFT_INTEGER_LIST && p.id == ATTR_Q_TYPES)
            types = p;
        else if (p.type == MQCFT_STRING_LIST && p.id == ATTR_Q_NAMES)
            names = p;
    }
    if (!types.value || !names.value || names.count <= 0)
        return;
    int32_t width = names.length / names.count;
    int32_t n = names.count < types.count ? names.count : types.count;   /* the indices both hold */
    for (int32_t i = 0; i < n; i++) {
        QINFO q = {};
        q.location = record->location;
        CmdTakeString(q.name, sizeof q.name, names.value + (size_t)i * width, width);
        memcpy(&q.type, types.value + 4 * (size_t)i, 4);
        if (q.name[0] && NamePasses(q.location, q.name, (int)strlen(q.name)))
            LocAddQueueInfo(&q);
    }
}

/* ---- the reply callbacks ---- */

static void QmgrInfoReply(IFCMD *record, int update, int finish, uint32_t command, const uint8_t *data,
                          uint32_t length)
{
    QMS *r = record->location;
    if (!r)
        return;
    MQPP pp;
    int last = 1;
    if (length) {
        MQLONG cc, rc;
        PCFInitParse(&pp, data, (int32_t)length, nullptr, &cc, &rc);
        if (cc)
            return;
        last = (PCFHeader(&pp)->Control & MQCFC_LAST) != 0;
    }
    int finishing = finish && last;
    uint32_t again = 0;
    int changed = 0;
    CMDLOC *l = CmdLocOf(r);
    CSLockGlobal(CSLOCK_OBJECTS);
    if (command == MQCMD_INQUIRE_Q_MGR) {
        if (length)
            again = ProcessQmgrReply(r, &pp, &changed);
        if (finishing)
            r->refreshMarks = (r->refreshMarks & ~RM_QMGR_ASKED) | RM_QMGR_DONE;
    } else if (command == MQCMD_INQUIRE_Q || command == MQCMD_INQUIRE_Q_NAMES) {
        if (update)
            r->refreshMarks |= RM_ARRIVING;
        if (length && command == MQCMD_INQUIRE_Q)
            ProcessQueueReply(r, &pp, data, length);
        else if (length)
            ProcessQueueNamesReply(record, data, length);
        if (finishing) {
            if (update)
                r->refreshMarks = (r->refreshMarks & ~(RM_ARRIVING | RM_QUEUES_ASKED)) | RM_QUEUES_DONE;
            LocMarkObjectsByName(record->objectText, r);
            LocRefreshQueueInfo(r);
        }
    } else {
        finishing = 0;
    }
    uint32_t notifyMain = 0, notifyList = 0;
    if (finishing && l && !(r->refreshMarks & RM_BUSY)) {
        l->reported.lastRefresh = CmdNow();
        notifyMain = l->notifyMain;
        notifyList = l->notifyList;
        l->notifyMain = l->notifyList = 0;
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
    if (changed)
        LocSetStatus(r, 0, 0, 1);              /* the location's rows again */
    if (again)
        CmdFrameMessage(FRM_REFRESH, again, r);
    if (notifyMain)
        CmdFrameMessage(FRM_TOUCH, 0, r);
    if (notifyList)
        CmdFrameMessage(MSG_LOCATION_LIST, 0, r);
}

void QmgrInfoReplyUpdate(IFCMD *record, uint32_t command, const uint8_t *data, uint32_t length, uint32_t,
                         const char *)
{
    QmgrInfoReply(record, 1, 1, command, data, length);
}

void QmgrInfoReplyQuiet(IFCMD *record, uint32_t command, const uint8_t *data, uint32_t length, uint32_t,
                        const char *)
{
    QmgrInfoReply(record, 0, 0, command, data, length);
}
