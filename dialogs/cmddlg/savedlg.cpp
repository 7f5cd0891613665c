/* Saved dialogs: the list, its parts table, copying, capture from an open
 * dialog and the program's own dialog commands answered with PCF. */
#include "savedlg.h"
#include "cfgdefs.h"
#include "mq/pcf.h"
#include "cs.h"
#include "ravoltids.h"

#include <cstddef>
#include <cstring>
#include <initializer_list>

CSTREE *SavedDialogs;
int DlgDeveloperMode;
static int32_t lastId;
static SAVEDDLGHOOKS hooks;

/* The program's own ids used here. */
enum {
    CMD_INQUIRE = 10020, CMD_DELETE, CMD_CHANGE, CMD_SWITCH, CMD_START, CMD_CREATE,
    PD_ID = 10095, PD_TYPE = 10096, PD_QMNAME = 10105, PD_ATTRS = 10106, PD_OPEN = 10107,
    PD_GROUPTYPE = 10159, PD_INTERVAL = 10199,
    MSG_ERROR = 10050, MSG_INFO = 10084,
    RC_MESSAGE = 100004, RC_NOMATCH = 100009,
    RC_BADCOMMAND = 3007, RC_BADPARM = 3014, RC_BADATTR = 4005, RC_MISSING = 3228,
    RC_STORAGE = 2071, RC_LISTFAILED = 4018,
    ID_SELECTOR = 1014, ID_ERROR = 1013,
};

void SavedDialogSetHooks(const SAVEDDLGHOOKS *h)
{
    if (h)
        hooks = *h;
    else
        memset(&hooks, 0, sizeof hooks);
}

const SAVEDDLGHOOKS *SavedDialogHooks(void)
{
    return &hooks;
}

/* ---- the dialog-type table -------------------------------------------- */

static const struct { int32_t type; const char *title; int32_t name, second; } dlgTypes[] = {
    { 1, "Queue List", 2016, 20 },
    { 9, "Message List", 2016, 0 },
};

int32_t DlgTypeValue1(int32_t type)
{
    for (const auto &t : dlgTypes)
        if (t.type == type)
            return t.name;
    return 0;
}

int32_t DlgTypeValue2(int32_t type)
{
    for (const auto &t : dlgTypes)
        if (t.type == type)
            return t.second;
    return 0;
}

const void *DlgTypeValue3(int32_t type)
{
    for (const auto &t : dlgTypes)
        if (t.type == type)
            return DefFindCommand(t.title);
    return nullptr;
}

/* ---- parts -------------------------------------------------------------- */

enum PartKind : uint8_t { PK_INT, PK_TEXT, PK_FLAG, PK_INTERVAL, PK_ALIGN, PK_SELECTOR, PK_INQUIRE };

struct PART {
    int32_t id;
    uint64_t mask;
    uint8_t kind;
    uint8_t copied;                    /* SavedDialogCopy takes it */
    uint16_t size;                     /* a text's field */
    size_t offset;
    uint32_t flag;
};

#define O(f) offsetof(SAVEDDIALOG, f)
#define B(n) ((uint64_t)1 << (n))
static const PART parts[] = {
    { PD_ID, 0x1, PK_INT, 0, 0, O(id), 0 },
    { PD_QMNAME, 0x2, PK_TEXT, 1, 48, O(qm), 0 },
    { PD_TYPE, 0x4, PK_INT, 1, 0, O(type), 0 },
    { 10097, 0x8, PK_TEXT, 1, 96, O(st.fil), 0 },
    { 10098, 0x10, PK_INT, 1, 0, O(st.rest), 0 },
    { 10099, 0x20, PK_INT, 1, 0, O(st.x), 0 },
    { 10100, 0x40, PK_INT, 1, 0, O(st.y), 0 },
    { 10101, 0x80, PK_INT, 1, 0, O(st.cx), 0 },
    { 10102, 0x100, PK_INT, 1, 0, O(st.cy), 0 },
    { 10103, 0x200, PK_FLAG, 1, 0, O(st.flags), PDF_INITREFRESH },
    { 10104, 0x400, PK_INT, 1, 0, O(autoStart), 0 },
    { PD_OPEN, 0x800, PK_INQUIRE, 0, 0, 0, 0 },
    { 10108, 0x1000, PK_INTERVAL, 1, 0, O(st.refresh), 0 },
    { 10110, 0x2000, PK_TEXT, 1, 48, O(st.obj), 0 },
    { 10109, 0x4000, PK_TEXT, 1, 48, O(desc), 0 },
    { 10115, 0x8000, PK_INT, 1, 0, O(st.ds2), 0 },
    { 10116, 0x10000, PK_INT, 1, 0, O(st.ds3), 0 },
    { 10117, 0x20000, PK_INT, 1, 0, O(opt10117), 0 },
    { 20, 0x40000, PK_SELECTOR, 1, 0, O(st.typ), 0 },
    { 1511, 0x80000, PK_SELECTOR, 1, 0, O(st.typ), 0 },
    { 10126, 0x100000, PK_INT, 0, 0, O(st.x2), 0 },
    { 10127, 0x200000, PK_INT, 0, 0, O(st.y2), 0 },
    { 10128, 0x400000, PK_INT, 0, 0, O(st.cx2), 0 },
    { 10129, 0x800000, PK_INT, 0, 0, O(st.cy2), 0 },
    { 10121, 0x1000000, PK_FLAG, 1, 0, O(st.flags), PDF_FILTER },
    { 10124, 0x8000000, PK_FLAG, 1, 0, O(st.flags), PDF_FIELDS },
    { 10125, 0x10000000, PK_FLAG, 1, 0, O(st.flags), PDF_BUTTONS },
    { 10122, 0x2000000, PK_INT, 1, 0, O(st.autoexptype), 0 },
    { 10123, 0x4000000, PK_TEXT, 1, 299, O(st.autoexpfile), 0 },
    { 10130, 0x20000000, PK_INT, 1, 0, O(opt10130), 0 },
    { PD_GROUPTYPE, 0x40000000, PK_INT, 1, 0, O(gtype), 0 },
    { 10160, 0x80000000u, PK_TEXT, 1, 48, O(grps), 0 },
    { 10162, B(32), PK_FLAG, 1, 0, O(st.flags), PDF_10162 },
    { 10163, B(33), PK_FLAG, 1, 0, O(st.flags), PDF_10163 },
    { 10164, B(34), PK_FLAG, 1, 0, O(st.flags), PDF_TL },
    { 10165, B(35), PK_FLAG, 1, 0, O(st.flags), PDF_10165 },
    { 10166, B(36), PK_FLAG, 1, 0, O(st.flags), PDF_10166 },
    { 10198, B(37), PK_ALIGN, 1, 0, O(st.align), 0 },
    { PD_INTERVAL, B(38), PK_INQUIRE, 0, 0, 0, 0 },
};
#undef O
#undef B

static const PART *find_part(int32_t id)
{
    for (const PART &p : parts)
        if (p.id == id)
            return &p;
    return nullptr;
}

static int32_t *int_at(SAVEDDIALOG *r, const PART &p)
{
    return (int32_t *)((char *)r + p.offset);
}

static char *text_at(SAVEDDIALOG *r, const PART &p)
{
    return (char *)r + p.offset;
}

void SavedDialogCopy(void *, SAVEDDIALOG *target, const SAVEDDIALOG *source, uint64_t mask)
{
    SAVEDDIALOG *s = (SAVEDDIALOG *)source;
    for (const PART &p : parts) {
        if (!p.copied || !(mask & p.mask))
            continue;
        switch (p.kind) {
        case PK_TEXT:
            memcpy(text_at(target, p), text_at(s, p), (size_t)p.size + 1);
            break;
        case PK_FLAG: {
            uint32_t *t = (uint32_t *)int_at(target, p), v = *(uint32_t *)int_at(s, p);
            *t = (*t & ~p.flag) | (v & p.flag);
            break;
        }
        default:
            *int_at(target, p) = *int_at(s, p);
            break;
        }
    }
}

/* ---- the list ------------------------------------------------------------ */

/* the tree key of an id: ordered as the numbers are */
static void set_key(uint8_t *key, int32_t id)
{
    uint32_t v = (uint32_t)id;
    for (int i = 0; i < 4; i++)
        key[i] = (uint8_t)(v >> (24 - 8 * i));
}

int SavedDialogAdd(const SAVEDDIALOG *record, SAVEDDIALOG **out)
{
    SAVEDDIALOG copy = *record;
    copy.id = lastId + 1;
    set_key(copy.key, copy.id);
    SAVEDDIALOG *r = (SAVEDDIALOG *)CSTreeAdd(&SavedDialogs, "DIALOGS", CSTREE_NORENUM, &copy,
                                              sizeof copy, 4);
    if (out)
        *out = r;
    if (!r)
        return RC_LISTFAILED;
    lastId = r->id;
    return 0;
}

SAVEDDIALOG *SavedDialogFind(int32_t id)
{
    uint8_t key[4];
    set_key(key, id);
    return (SAVEDDIALOG *)CSTreeFind(SavedDialogs, key, 4);
}

static void dropped(CSTREE *e, void *)
{
    PCFForgetSaved((SAVEDDIALOG *)e);
}

void SavedDialogFreeAll(void)
{
    CSTreeFree(&SavedDialogs, dropped, nullptr);
    lastId = 0;
}

static void mark_stale(void)
{
    if (hooks.markDialogsStale)
        hooks.markDialogsStale(hooks.context, CMD_INQUIRE);
}

/* ---- capture ----------------------------------------------------------- */

int32_t DlgTypeOf(const void *def)
{
    for (const auto &t : dlgTypes)
        if (def && DefFindCommand(t.title) == def)
            return t.type;
    return 0;
}

/* The captured window state as a record's state: its rectangle for both
 * monitor layouts, show state, filter and name. */
static void take_capture(PDGSTATE *s, const SAVEDDIALOG *r)
{
    s->x = s->x2 = r->normal[0];
    s->y = s->y2 = r->normal[1];
    s->cx = s->cx2 = r->normal[2];
    s->cy = s->cy2 = r->normal[3];
    s->rest = r->showState;
    UTStrCopy(s->fil, r->filterText, sizeof s->fil);
    UTStrCopy(s->obj, r->nameValue, sizeof s->obj);
}

SAVEDDIALOG *SavedDialogCapture(int useTitle, DLGCAPTURE *dlg, const char *titleText)
{
    int type = DlgTypeOf(dlg->def);
    if (dlg->noSave || !type)
        return dlg->record;
    SAVEDDIALOG fresh, *r = dlg->record;
    if (!r) {
        memset(&fresh, 0, sizeof fresh);
        fresh.type = type;
        UTStrCopy(fresh.desc, titleText ? titleText : "", sizeof fresh.desc);
        UTStrCopy(fresh.qm, dlg->qmName ? dlg->qmName : "", sizeof fresh.qm);
        fresh.st.align = fresh.saved.align = -1;
        fresh.st.typ = fresh.saved.typ = PD_UNSET;
        r = &fresh;
    }
    r->showState = dlg->showState;
    memcpy(r->normal, dlg->normal, sizeof r->normal);
    r->dialogFlags = dlg->flags[0] | dlg->flags[1] | dlg->flags[2] | dlg->flags[3];
    r->dialogFlags2 = dlg->flags2;
    memcpy(r->settings, dlg->settings, sizeof r->settings);
    UTStrCopy(r->filterText, dlg->filterText ? dlg->filterText : "", sizeof r->filterText);
    UTStrCopy(r->caption, dlg->caption ? dlg->caption : "", sizeof r->caption);
    UTStrCopy(r->nameValue, dlg->nameValue ? dlg->nameValue : "", sizeof r->nameValue);
    if (useTitle) {
        take_capture(&r->saved, r);
        r->hasSaved = 1;
    }
    if (r == &fresh) {
        take_capture(&fresh.st, &fresh);   /* a new record opens where it was captured */
        SavedDialogAdd(&fresh, &r);
        dlg->record = r;
    }
    mark_stale();
    return r;
}

/* ---- alignment times --------------------------------------------------- */

void PdFormatAlign(int32_t seconds, char *out, size_t size)
{
    if (seconds < 0)
        snprintf(out, size, "None");
    else
        snprintf(out, size, "%02d:%02d:%02d", (int)(seconds / 3600 % 24),
                 (int)(seconds / 60 % 60), (int)(seconds % 60));
}

int32_t PdParseAlign(const char *text)
{
    if (!strcmp(text, "None"))
        return -1;
    int h = 0, m = 0, s = 0, n = 0;
    if (sscanf(text, "%2d:%2d%n", &h, &m, &n) != 2)
        return -2;
    if (text[n] == ':' && sscanf(text + n + 1, "%2d", &s) != 1)
        return -2;
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        return -2;
    return h * 3600 + m * 60 + s;
}

/* ---- answers ------------------------------------------------------------ */

struct RESPONSE {
    MQPP pp;
    void *area;
    MQLONG cc, rc;
};

static int resp_begin(RESPONSE *r, int32_t command, int32_t compCode, int32_t reason)
{
    r->area = nullptr;
    PCFInitArea(&r->pp, &r->area, 1, 0, 2000, command, &r->cc, &r->rc);
    if (r->cc)
        return 0;
    MQCFH *h = PCFHeader(&r->pp);
    h->Type = MQCFT_RESPONSE;
    h->CompCode = compCode;
    h->Reason = reason;
    return 1;
}

static void add_int(RESPONSE *r, int32_t id, int32_t v)
{
    if (!r->cc)
        PCFAddParm(&r->pp, MQCFT_INTEGER, id, &v, 4, 0, &r->cc, &r->rc);
}

static void add_text(RESPONSE *r, int32_t id, const char *text)
{
    if (!r->cc)
        PCFAddParm(&r->pp, MQCFT_STRING, id, text, -1, 0, &r->cc, &r->rc);
}

/* Sends a built response and frees it; 0 when storage ran out. */
static int resp_send(DLGREPLY *agent, RESPONSE *r, int last)
{
    int ok = !r->cc;
    if (ok) {
        MQCFH *h = PCFHeader(&r->pp);
        h->Control = last ? MQCFC_LAST : MQCFC_NOT_LAST;
        if (agent && agent->send)
            agent->send(agent->context, r->area, r->pp.position, last);
    }
    CSFreeMemAndClear(&r->area);
    return ok;
}

/* A final response with a reason, a parameter naming what was wrong and
 * an optional message. */
static int answer(DLGREPLY *agent, int32_t command, int32_t cc, int32_t reason, int32_t parmId,
                  int32_t value, int32_t messageId, const char *text)
{
    RESPONSE r;
    if (!resp_begin(&r, command, cc, reason))
        return reason;
    if (parmId)
        add_int(&r, parmId, value);
    if (messageId)
        add_text(&r, messageId, text);
    resp_send(agent, &r, 1);
    return reason;
}

/* ---- the commands -------------------------------------------------------- */

struct REQUEST {
    SAVEDDIALOG t;
    uint64_t given;                    /* parts in the request */
    uint64_t wanted;                   /* parts asked for */
    int attrList;                      /* 10106 was given */
    int32_t bad, badId, badParm;       /* reason, id of the parameter */
};

static void init_template(SAVEDDIALOG *t)
{
    memset(t, 0, sizeof *t);
    for (const PART &p : parts)
        if (p.kind == PK_INT || p.kind == PK_SELECTOR || p.kind == PK_INTERVAL)
            *int_at(t, p) = PD_UNSET;
    t->st.rest = t->st.ds2 = t->st.ds3 = t->opt10117 = t->opt10130 = 1;
    t->gtype = 0;                      /* a single dialog unless told */
    t->st.align = t->saved.align = -1;
    t->saved.typ = PD_UNSET;
}

/* One parameter into the template; 0 when it is refused. */
static int take_parm(REQUEST *q, MQLONG type, MQLONG id, void *value, MQLONG length,
                     MQLONG count)
{
    if (id == PD_ATTRS && type == MQCFT_INTEGER_LIST) {
        q->attrList = 1;
        for (MQLONG i = 0; i < count; i++) {
            int32_t a;
            memcpy(&a, (char *)value + 4 * i, 4);
            const PART *p = find_part(a);
            if (!p) {
                q->bad = RC_BADATTR;
                q->badParm = ID_ERROR;
                q->badId = a;
                return 0;
            }
            q->wanted |= p->mask;
        }
        return 1;
    }
    const PART *p = find_part(id);
    int text = p && (p->kind == PK_TEXT || p->kind == PK_INTERVAL || p->kind == PK_ALIGN);
    if (!p || p->kind == PK_INQUIRE || (text ? type != MQCFT_STRING : type != MQCFT_INTEGER)) {
        q->bad = RC_BADPARM;
        q->badParm = ID_SELECTOR;
        q->badId = id;
        return 0;
    }
    if (type == MQCFT_INTEGER) {
        int32_t v;
        memcpy(&v, value, 4);
        if (p->kind == PK_FLAG) {
            uint32_t *w = (uint32_t *)int_at(&q->t, *p);
            *w = v ? (*w | p->flag) : (*w & ~p->flag);
        } else {
            *int_at(&q->t, *p) = (p->kind == PK_SELECTOR && v == -1) ? PD_UNSET : v;
        }
        q->given |= p->mask;
        return 1;
    }
    char text_[400];
    MQLONG n = length < (MQLONG)sizeof text_ - 1 ? length : (MQLONG)sizeof text_ - 1;
    memcpy(text_, value, (size_t)n);
    text_[n] = 0;
    UTTrimRight(text_, (int)n);
    if (p->kind == PK_TEXT) {
        UTStrCopy(text_at(&q->t, *p), text_, (size_t)p->size + 1);
    } else if (p->kind == PK_INTERVAL) {
        int64_t seconds = length < 100 ? UTParseInterval(text_) : -1;
        if (seconds < 0 || seconds > INT32_MAX) {
            q->bad = RC_BADPARM;
            q->badParm = ID_SELECTOR;
            q->badId = id;
            return 0;
        }
        *int_at(&q->t, *p) = (int32_t)seconds;
    } else {
        int32_t align = length < 20 ? PdParseAlign(text_) : -2;
        if (align == -2)
            return 1;                  /* a time that does not convert stays unset */
        *int_at(&q->t, *p) = align;
    }
    q->given |= p->mask;
    return 1;
}

static int parse_request(REQUEST *q, const void *request, int32_t length)
{
    init_template(&q->t);
    MQPP pp;
    MQLONG command, cc, rc;
    PCFInitParse(&pp, request, length, &command, &cc, &rc);
    if (cc)
        return 0;
    for (;;) {
        MQLONG type, id, plen, count;
        void *value;
        PCFGetNextParm(&pp, &type, &id, &value, &plen, &count, &cc, &rc);
        if (cc)
            break;
        if (!take_parm(q, type, id, value, plen, count))
            return 0;
    }
    return 1;
}

static int matches(const REQUEST *q, const SAVEDDIALOG *r, int byIdOnly)
{
    if ((q->given & 0x1) && (byIdOnly || !q->attrList) && r->id != q->t.id)
        return 0;
    if (byIdOnly)
        return 1;
    if ((q->given & 0x4) && r->type != q->t.type)
        return 0;
    if ((q->given & 0x40000000) && r->gtype != q->t.gtype)
        return 0;
    if ((q->given & 0x2) &&
        !UTWildMatch(r->qm, (int)strlen(r->qm), q->t.qm, (int)strlen(q->t.qm)))
        return 0;
    if (!strcmp(r->desc, "#") && !DlgDeveloperMode)
        return 0;
    return 1;
}

static void add_part(RESPONSE *resp, SAVEDDIALOG *r, const PART &p)
{
    char text[100];
    switch (p.kind) {
    case PK_TEXT: add_text(resp, p.id, text_at(r, p)); break;
    case PK_FLAG: add_int(resp, p.id, (*(uint32_t *)int_at(r, p) & p.flag) ? 1 : 0); break;
    case PK_INTERVAL:
        UTFormatInterval(text, *int_at(r, p), 0);
        add_text(resp, p.id, text);
        break;
    case PK_ALIGN:
        PdFormatAlign(*int_at(r, p), text, sizeof text);
        add_text(resp, p.id, text);
        break;
    default: add_int(resp, p.id, *int_at(r, p)); break;
    }
}

/* The inquiry's answer for one record. */
static int inquire_one(DLGREPLY *agent, const REQUEST *q, SAVEDDIALOG *r, int last)
{
    RESPONSE resp;
    if (!resp_begin(&resp, CMD_INQUIRE, 0, 0))
        return 0;
    uint64_t want = q->wanted;
    add_int(&resp, PD_ID, r->id);
    for (int32_t id : { 10109, 10159, 10160 })
        if (want & find_part(id)->mask)
            add_part(&resp, r, *find_part(id));
    if (r->gtype == 0) {
        add_int(&resp, PD_TYPE, r->type);
        add_text(&resp, PD_QMNAME, r->qm);
        static const int32_t tail[] = {
            10110, 10097, 10108, PD_INTERVAL, 10198, 10121, 10124, 10125, 10162, 10163,
            10164, 10165, 10166, 10123, 10122,
        };
        for (int32_t id : tail) {
            const PART &p = *find_part(id);
            if (!(want & p.mask))
                continue;
            if (id == PD_INTERVAL) {
                if (r->st.refresh > 0 && r->st.refresh != PD_UNSET)
                    add_int(&resp, PD_INTERVAL, r->st.refresh);
            } else if (p.kind != PK_INTERVAL || *int_at(r, p) != PD_UNSET) {
                add_part(&resp, r, p);
            }
        }
        if (want & 0x800)
            add_int(&resp, PD_OPEN, r->openDialog != nullptr);
        if (want & 0x10)
            add_int(&resp, 10098, r->st.rest);
        if ((want & 0xC0000) && r->st.typ != PD_UNSET && (r->type == 1 || r->type == 2))
            add_int(&resp, r->type == 2 ? 1511 : 20, r->st.typ);
        for (int32_t id : { 10099, 10100, 10101, 10102, 10126, 10127, 10128, 10129 }) {
            const PART &p = *find_part(id);
            if ((want & p.mask) && *int_at(r, p) != PD_UNSET)
                add_int(&resp, id, *int_at(r, p));
        }
        for (int32_t id : { 10103, 10104, 10115, 10130, 10116, 10117 })
            if (want & find_part(id)->mask)
                add_part(&resp, r, *find_part(id));
    }
    return resp_send(agent, &resp, last);
}

/* Carries out a command on the matching records; the number matched, or
 * -1 when an answer could not be built (storage). */
static int dialog_inquire(DLGREPLY *agent, int32_t command, REQUEST *q)
{
    int matched = 0;
    for (CSTREE *e = CSTreeFirst(SavedDialogs), *next; e; e = next) {
        next = e->next;
        SAVEDDIALOG *r = (SAVEDDIALOG *)e;
        if (!matches(q, r, command != CMD_INQUIRE))
            continue;
        matched++;
        switch (command) {
        case CMD_INQUIRE:
            if (!inquire_one(agent, q, r, !q->attrList))
                return -1;
            if (!q->attrList)
                return matched;
            break;
        case CMD_DELETE:
            dropped(e, nullptr);
            CSTreeDelete(&SavedDialogs, nullptr, nullptr, e, 4);
            break;
        case CMD_CHANGE:
            SavedDialogCopy(nullptr, r, &q->t, q->given);
            break;
        case CMD_SWITCH: case CMD_START:
            if (hooks.post)
                hooks.post(hooks.context, command == CMD_SWITCH ? UM_SWITCHDIALOG : UM_STARTDIALOG,
                           command == CMD_START, r);
            break;
        }
    }
    return matched;
}

int DialogCommand(DLGREPLY *agent, int32_t command, const void *request, int32_t length)
{
    REQUEST *q = (REQUEST *)CSGetMem(sizeof(REQUEST), "DLGREQUEST");
    if (!q)
        return answer(agent, command, 2, RC_STORAGE, 0, 0, 0, nullptr);
    memset(q, 0, sizeof *q);
    int rc = 0;
    if (!parse_request(q, request, length)) {
        rc = answer(agent, command, 2, q->bad ? q->bad : RC_BADPARM, q->badParm, q->badId, 0,
                    nullptr);
    } else if (command < CMD_INQUIRE || command > CMD_CREATE) {
        rc = answer(agent, command, 2, RC_BADCOMMAND, 0, 0, 0, nullptr);
    } else {
        if (!q->attrList)
            q->wanted = ~(uint64_t)0;
        int group = (q->given & 0x40000000) && q->t.gtype == 1;
        int type = q->t.type;
        if (command == CMD_INQUIRE && !q->attrList && (strchr(q->t.qm, '*') || strchr(q->t.qm, '?')))
            rc = answer(agent, command, 2, RC_MESSAGE, 0, 0, MSG_ERROR,
                        "Queue Manager can not contain wildcard.");
        else if ((command == CMD_DELETE || command == CMD_CHANGE) && !(q->given & 0x1))
            rc = answer(agent, command, 2, RC_BADPARM, ID_SELECTOR, PD_ID, 0, nullptr);
        else if (command == CMD_CREATE && !group && !(q->given & 0x4))
            rc = answer(agent, command, 2, RC_BADPARM, ID_SELECTOR, PD_TYPE, 0, nullptr);
        else if (command == CMD_CREATE && !group && type != 8 && type != 10 && type != 11 &&
                 !(q->given & 0x2))
            rc = answer(agent, command, 2, RC_MISSING, ID_SELECTOR, PD_QMNAME, 0, nullptr);
        else
            rc = -1;
    }
    if (rc != -1) {
        CSFreeMem(q);
        return rc;
    }
    int matched;
    SAVEDDIALOG *created = nullptr;
    if (command == CMD_CREATE)
        matched = SavedDialogAdd(&q->t, &created) == 0 ? 1 : -2;
    else
        matched = dialog_inquire(agent, command, q);
    static const char *done[] = { nullptr, "Dialog deleted", "Dialog changed", nullptr,
                                  "Dialog started", "Dialog created" };
    if (matched == -1) {
        rc = answer(agent, command, 2, RC_STORAGE, 0, 0, 0, nullptr);
    } else if (matched == -2) {
        rc = answer(agent, command, 2, RC_LISTFAILED, 0, 0, 0, nullptr);
    } else if (matched == 0) {
        rc = answer(agent, command, 2, RC_NOMATCH, 0, 0, MSG_ERROR, "No matching dialog found");
    } else {
        const char *text = done[command - CMD_INQUIRE];
        if (command == CMD_INQUIRE && !q->attrList)
            rc = 0;                    /* the one answer was the last */
        else if (!text)
            rc = answer(agent, command, 0, 0, 0, 0, 0, nullptr);
        else
            rc = answer(agent, command, 0, RC_MESSAGE, created ? PD_ID : 0,
                        created ? created->id : 0, MSG_INFO, text);
        mark_stale();
    }
    CSFreeMem(q);
    return rc;
}
