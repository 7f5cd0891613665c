/* MYCMD_INQUIRE_CONSOLE and MYCMD_DELETE_CONSOLE: the entries of the
 * event console chosen by console id, event type and patterns of the
 * queue manager, location and group, answered one response per entry or
 * deleted. */
#include "consoleint.h"

#include <cstring>

#include "cs.h"

#define LOCATION_PATTERN 99
#define CONSOLE_AREA 2000

/* Attributes an inquiry may ask for, with their bits. */
enum : uint32_t {
    CA_QMGR = 0x1, CA_LOCATION = 0x2, CA_EVENT = 0x4, CA_PRIORITY = 0x8, CA_TIME = 0x10,
    CA_DATE = 0x20, CA_OBJECT = 0x40, CA_POSITION = 0x80, CA_ALL = 0xFF,
};

static const struct { int32_t attribute; uint32_t bit; } Attributes[] = {
    { MQCA_Q_MGR_NAME, CA_QMGR }, { MYCA_LOCATION, CA_LOCATION }, { MYIA_EVENT_TYPE, CA_EVENT },
    { MYIA_CSL_PRIORITY, CA_PRIORITY }, { MYCA_CSL_TIME, CA_TIME }, { MYCA_CSL_DATE, CA_DATE },
    { MYCA_CSL_OBJECTNAME, CA_OBJECT }, { MYPCFA_POSITION, CA_POSITION },
};

struct CONSOLEREQ {
    int32_t event;
    int32_t id;                        /* 0: none given */
    char qm[AGENT_NAME + 1];
    char location[LOCATION_PATTERN + 1];
    char group[AGENT_NAME + 1];
    int listed;                        /* an attribute list was given */
    uint32_t attributes;
};

static int take_attributes(AGENTREQ *rq, const AGENTPARM *p, CONSOLEREQ *c)
{
    if (p->type != MQCFT_INTEGER_LIST && p->type != MQCFT_INTEGER)
        return AgentUnknown(rq, p);
    c->listed = 1;
    for (int32_t i = 0; i < p->count; i++) {
        int32_t id;
        memcpy(&id, p->value + (size_t)i * 4, 4);
        uint32_t bit = 0;
        for (const auto &a : Attributes)
            if (a.attribute == id)
                bit = a.bit;
        if (!bit) {
            AgentError(rq, MQRCCF_ATTR_VALUE_ERROR, MQIACF_ERROR_IDENTIFIER, id);
            return -1;
        }
        c->attributes |= bit;
    }
    return 0;
}

static int parse(AGENTREQ *rq, MQPP *pp, CONSOLEREQ *c)
{
    AGENTPARM p;
    int more;
    while ((more = AgentNext(rq, pp, &p)) > 0) {
        int rc;
        switch (p.id) {
        case MYIA_EVENT_TYPE: rc = AgentInt(rq, &p, &c->event); break;
        case MYPCFA_POSITION: rc = AgentInt(rq, &p, &c->id); break;
        case MQCA_Q_MGR_NAME: rc = AgentString(rq, &p, c->qm, AGENT_NAME); break;
        case MYCA_LOCATION: rc = AgentString(rq, &p, c->location, LOCATION_PATTERN); break;
        case MYCA_GROUP:
            rc = AgentString(rq, &p, c->group, AGENT_NAME);
            if (!rc)
                c->group[strcspn(c->group, " ")] = 0;
            break;
        case MYIACF_CSL_ATTRS: rc = take_attributes(rq, &p, c); break;
        default: return AgentUnknown(rq, &p);
        }
        if (rc)
            return -1;
    }
    return more < 0 ? -1 : 0;
}

/* A pattern: empty or "*" matches everything. */
static int matches(const char *pattern, const char *text)
{
    if (!pattern[0] || !strcmp(pattern, "*"))
        return 1;
    return UTWildMatch(text, (int)strlen(text), pattern, (int)strlen(pattern));
}

/* How far an entry got through the filters, for the text when none
 * matched: 1 queue manager, 2 location, 3 group, 4 all. */
static int stage_of(const CONSOLEREQ *c, const CSLENTRY *e)
{
    QMS *r = e->location;
    if (!matches(c->qm, r ? r->qmName : ""))
        return 0;
    if (!matches(c->location, r ? r->locationName : ""))
        return 1;
    if (!matches(c->group, r ? r->groupName : ""))
        return 2;
    if ((c->id && e->id != c->id) || (c->event && e->event != c->event))
        return 3;
    return 4;
}

/* One entry's response (inquiry) into the area, sent; 0 or 2071. */
static int ConsoleInquireResponse(AGENTREQ *rq, const CONSOLEREQ *c, const CSLENTRY *e, void **area)
{
    MQPP out;
    MQLONG cc, rc;
    PCFInitArea(&out, area, 1, CONSOLE_AREA, 0, rq->command, &cc, &rc);
    if (cc)
        return rc;
    uint32_t want = c->listed ? c->attributes : CA_ALL;
    QMS *r = e->location;
    int32_t kind = e->key.kind;
    char date[11], time[9];
    memcpy(date, e->key.date, 10);
    date[10] = 0;
    memcpy(time, e->key.time, 8);
    time[8] = 0;
    PCFAddParm(&out, MQCFT_INTEGER, MYPCFA_POSITION, &e->id, 4, 1, &cc, &rc);
    if (!c->listed && e->dataLength && !cc)
        PCFAddParm(&out, PCF_BYTE_STRING, MYCA_CSL_FULLENTRY, ConsoleData(e), e->dataLength, 1, &cc, &rc);
    const struct { uint32_t bit; int32_t type, id; const void *value; int32_t length; } parms[] = {
        { CA_ALL, MQCFT_STRING, MQCA_Q_MGR_NAME, r ? r->qmName : "", -1 },
        { CA_EVENT, MQCFT_INTEGER, MYIA_EVENT_TYPE, &e->event, 4 },
        { CA_LOCATION, MQCFT_STRING, MYCA_LOCATION, r ? r->locationName : "", -1 },
        { CA_TIME, MQCFT_STRING, MYCA_CSL_TIME, time, 8 },
        { CA_OBJECT, MQCFT_STRING, MYCA_CSL_OBJECTNAME, ConsoleName(e), -1 },
        { CA_DATE, MQCFT_STRING, MYCA_CSL_DATE, date, 10 },
        { CA_PRIORITY, MQCFT_INTEGER, MYIA_CSL_PRIORITY, &kind, 4 },
    };
    for (const auto &p : parms)
        if (!cc && (p.bit == CA_ALL || (want & p.bit)))
            PCFAddParm(&out, p.type, p.id, p.value, p.length, 1, &cc, &rc);
    if (cc)
        return rc;
    SendResponse(rq->location, rq->hconn, rq->cache, rq->md, &out, !c->listed);
    return 0;
}

static const char *const NoneTexts[] = {
    "No matching Queue Manager found.", "No matching location found.", "No matching QM Group found.",
};

/* Walks the entries under the console's lock: the inquiry's responses
 * sent, or the delete's entry deleted.  0, or the reason answered. */
static int walk(AGENTREQ *rq, const CONSOLEREQ *c, int32_t *deleted)
{
    int best = -1, rc = 0;
    void *area = nullptr;
    CSLockGlobal(CSLOCK_EVENTS);
    for (CSTREE *t = CSTreeFirst(ConsoleTree); t && !rc;) {
        CSTREE *next = t->next;
        CSLENTRY *e = (CSLENTRY *)t;
        int stage = stage_of(c, e);
        if (stage > best)
            best = stage;
        if (stage == 4) {
            if (rq->command == MYCMD_DELETE_CONSOLE) {
                *deleted = e->id;
                CSTreeDelete(&ConsoleTree, ConsoleFreeEntry, nullptr, t, CSL_KEY);
            } else if ((rc = ConsoleInquireResponse(rq, c, e, &area)) != 0) {
                AgentError(rq, rc);
            }
        }
        t = next;
    }
    CSUnlockGlobal(CSLOCK_EVENTS);
    CSFreeMemAndClear(&area);
    if (rc)
        return rc;
    if (best < 0)
        return AgentError(rq, MYRC_INFORMATION, MYPCFA_ERROR_MESSAGE, (intptr_t) "No matching entry found.");
    if (best < 3)
        return AgentError(rq, MYRC_INFORMATION, MYPCFA_ERROR_MESSAGE, (intptr_t)NoneTexts[best]);
    if (best == 3)
        return AgentError(rq, MYRC_NO_CONSOLE_ENTRY, MYPCFA_ERROR_MESSAGE,
                          (intptr_t) "No matching console entry found");
    return 0;
}

int ConsoleCommand(QMS *loc, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *pp)
{
    AGENTREQ rq = { loc, command, h, cache, md, 0, nullptr };
    CONSOLEREQ c = {};
    if (parse(&rq, pp, &c))
        return 0;
    int deleting = command == MYCMD_DELETE_CONSOLE;
    if ((deleting || !c.listed) && !c.id)
        return AgentError(&rq, MYRC_INFORMATION, MYPCFA_ERROR_MESSAGE, (intptr_t) "Console Id not specified.");
    int32_t deleted = 0;
    if (walk(&rq, &c, &deleted))
        return 0;
    if (deleting) {
        char text[60];
        EngFormat(text, sizeof text, "Console entry %d deleted", (int)deleted);
        AgentError(&rq, MYRC_INFORMATION, MYPCFA_INFO_MESSAGE, (intptr_t)text);
        MQEHooks.markStale(MYCMD_INQUIRE_CONSOLE);
    } else if (c.listed) {
        void *area = nullptr;
        MQPP out;
        MQLONG cc, rc;
        PCFInitArea(&out, &area, 1, 0, 0, command, &cc, &rc);
        if (cc)
            return AgentError(&rq, rc);
        SendResponse(loc, h, cache, md, &out, 1);
        CSFreeMemAndClear(&area);
    }
    return 0;
}
