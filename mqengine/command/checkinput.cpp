/* PCFCheckInput: the PCF request of an action built from a dialog's data
 * area.  Field by field it decides what takes part in the command,
 * checks it with the texts the user sees, writes it as its field type
 * asks, moves the correlation id and user id into the request itself,
 * and appends what the action adds: the WHERE filter, the dialog
 * qualifier, the attribute lists.  The message never grows past the
 * caller's buffer (2071). */
#include "cmdint.h"

#include "autdata.h"
#include "cs.h"
#include "prfdata.h"

#define ATTR_CHANNEL_TYPE   1511
#define ATTR_CHANNEL_TABLE  1526
#define ATTR_REG_OPTIONS    1081
#define ATTR_GENERIC_CONN   7007
#define ATTR_CONNECTION_ID  7006
#define ATTR_ALT_USER       3039
#define ATTR_CORREL_ID      3044
#define ATTR_WHERE          10262
#define ATTR_STOP           10161
#define ATTR_CONVERT_CCSID  10061
#define ATTR_ACTION         1086
#define ATTR_APPL_TAG       3058
#define ATTR_APPL_DESC      3174
#define CMD_DELETE_CHLAUTH  10304
#define CMD_CREATE_APP      10243
#define PRF_LIST_DYNAMIC    0x4     /* option word 1: list dynamic queues */
#define LONGEST_MESSAGE     104857600
#define PCF_WORK_NAME       500

struct CHECK {
    CHECKINPUT *in;
    MQPP pp;
    void *area;                  /* the buffer, for the cursor */
    int building;
    const uint8_t *caps;
    uint32_t command;
    int marked;                  /* a state bit-8 mark was seen */
    int stopped;                 /* the message ends here (10161) */
    int nameSeen;                /* the first object name was copied */
    int failed;                  /* a parameter did not fit */
};

/* ---- writing ---- */

static void *Add(CHECK *c, int32_t type, int32_t id, const void *value, int32_t length, int32_t count)
{
    if (!c->building || c->failed)
        return nullptr;
    MQLONG cc, rc;
    void *at = PCFAddParm(&c->pp, type, id, value, length, count, &cc, &rc);
    if (cc) {
        c->failed = rc ? rc : MQRC_STORAGE_NOT_AVAILABLE;
        return nullptr;
    }
    return at;
}

static void AddInt(CHECK *c, int32_t id, int32_t value)
{
    Add(c, MQCFT_INTEGER, id, &value, 4, 1);
}

static void AddInts(CHECK *c, int32_t id, const int32_t *values, int32_t count)
{
    Add(c, MQCFT_INTEGER_LIST, id, values, count * 4, count);
}

int PCFPackStringList(MQPP *pp, int32_t id, const void *list, int32_t maximum)
{
    PCFSTRLIST *l = (PCFSTRLIST *)list;
    int count = l ? l->count : 0, width = 0;
    for (int i = 0; i < count; i++) {
        int n = UTTrimmedLength(PCFStrListItem(l, maximum, i), maximum);
        if (n > width)
            width = n;
    }
    if (!count || !width)
        count = width = 1;               /* one blank */
    MQLONG cc, rc;
    char *out = (char *)PCFAddParm(pp, MQCFT_STRING_LIST, id, nullptr, width * count, count, &cc, &rc);
    if (cc)
        return rc;
    for (int i = 0; i < count; i++) {
        if (l && l->count && width <= maximum)
            memcpy(out + (size_t)i * width, PCFStrListItem(l, maximum, i), (size_t)width);
        else
            memset(out + (size_t)i * width, ' ', (size_t)width);
    }
    return 0;
}

const char *PCFGetNameMaskPrefix(QMS *r, char *out, const char *dflt)
{
    const char *mask = r && r->queueList[0] ? r->queueList : AutQueueList[0] ? AutQueueList : nullptr;
    if (!mask)
        return dflt;
    const char *star = strchr(mask, '*');
    size_t n = star ? (size_t)(star - mask) + 1 : strlen(mask);
    if (n > QMS_NAME)
        n = QMS_NAME;
    memcpy(out, mask, n);
    out[n] = 0;
    return out;
}

/* ---- the value of an entry ---- */

struct VALUE {
    uint8_t *record;             /* data-area record, or null */
    uint16_t state;
    const char *text;            /* without a data area */
};

static int Blank(const char *t)
{
    return !t || !*t || *t == ' ';
}

/* The text of a string value (types 4, 5, 25). */
static const char *Text(const VALUE *v)
{
    return v->record ? PCFRecText(v->record) : v->text ? v->text : "";
}

/* An integer value: the record's, or the row of the value table named by
 * the text, or the text's number. */
static int32_t IntOf(CHECK *c, const PCFFieldDef *f, const VALUE *v, int *known)
{
    *known = 1;
    if (v->record)
        return PCFRecInt(v->record);
    const char *t = v->text ? v->text : "";
    if (f->values) {
        const PCFValueDef *row = PCFFindValueByName(c->caps, f->values, t);
        if (row)
            return row->value;
    }
    char *end;
    long n = strtol(t, &end, 10);
    *known = end != t && !*end;
    return (int32_t)n;
}

/* Whether a required value of a non-string type is there. */
static int HasValue(CHECK *c, const PCFFieldDef *f, const VALUE *v)
{
    if (v->record)
        return (v->state & 0x3) != 0;
    return f->values && v->text && PCFFindValueByName(c->caps, f->values, v->text) != nullptr;
}

/* ---- which fields take part ---- */

static const PCFCommandUse *UseOf(CHECK *c, const PCFFieldEntry *e, uint32_t *result)
{
    const PCFCommandDef *def = c->in->definition;
    for (const PCFCommandUse *u = e->field->uses; u && u->command; u++) {
        if (u->command != c->command)
            continue;
        if (((u->flags & 16) && def->list) || ((u->flags & 8) && !def->list))
            continue;
        if (u->conditions && !PCFFieldApplies(c->caps, c->in->dialogFlags, def, nullptr, nullptr, c->in->area,
                                              nullptr, u->conditions, result))
            continue;
        return u;
    }
    return nullptr;
}

static int IsString(int type)
{
    return type == PCFT_STRING || type == PCFT_NAME || type == PCFT_HEX || type == PCFT_BYTES ||
           type == PCFT_STRING25;
}

/* 1 takes part, 0 not, -1 failed (error set). */
static int TakesPart(CHECK *c, const PCFFieldEntry *e, const PCFCommandUse *u, const VALUE *v)
{
    const PCFFieldDef *f = e->field;
    CHECKINPUT *in = c->in;
    if (f->type == PCFT_MESSAGE && (in->editedMd || in->editedMsg))
        return 1;                       /* the edited message of an update or add */
    if ((u->flags & 4) && IsString(f->type) && Blank(Text(v))) {
        in->error[0] = 0;
        return -1;
    }
    if (u->flags & 1) {
        if (f->type == PCFT_SHOWINT || f->type == PCFT_NOVALUE)
            return 1;
        if (IsString(f->type)) {
            if (f->type == PCFT_HEX || f->type == PCFT_BYTES)
                return v->record ? PCFRecBytesLength(v->record) > 0 : !Blank(v->text);
            const char *t = Text(v);
            if (e->flags & PCFE_LEADBLANKS)
                return UTTrimmedLength(t, (int)strnlen(t, (size_t)f->maximum)) > 0;
            return !Blank(t);
        }
        if (HasValue(c, f, v) || f->attrId == MYPCFA_MSGDESCRIPTOR || f->attrId == MYPCFA_FULLMESSAGE)
            return 1;
        snprintf(in->error, sizeof in->error, "Please enter a valid value for '%s'.", f->title);
        return -1;
    }
    if ((e->flags & 0x100000) && in->location && (in->location->flags & LF_MVS))
        return 1;
    if (f->type == PCFT_SHOWONLY)
        return 1;
    uint16_t state = v->record ? v->state : 0;
    if ((e->flags & 0x8) || (in->action->flags & 0x200000))
        return (state & PCFS_SPECIFIED) != 0;
    return f->type == PCFT_NAME || (e->flags & 0x4000) || (state & PCFS_PRESENT) ||
           (c->marked && (state & PCFS_RECEIVED)) || f->type == PCFT_SHOWINT || f->type == PCFT_NOVALUE;
}

/* The data bytes a message read asks for: the preference, or, when the
 * dialog asked for the whole message (its "Whole Message" command), the
 * length the last read reported, else the longest a queue manager takes. */
static int32_t WantedSize(CHECK *c)
{
    CHECKINPUT *in = c->in;
    int32_t size = PcfPrefs.maxMsgSize;
    if (!in->dialog || !(in->dialog->statusFlags & DS_WANT_COMPLETE))
        return size;
    uint16_t state = 0;
    int32_t length = in->area ? PCFGetIntValue(c->caps, in->definition, in->area, MYPCFA_MSGLEN, &state) : 0;
    return state && length > size ? length : LONGEST_MESSAGE;
}

/* The wildcard checks of a value that takes part; 0 failed.  A queue-list
 * name may become the permitted mask's prefix (into buffer). */
static int CheckValue(CHECK *c, const PCFFieldEntry *e, const char **text, char *buffer)
{
    const PCFFieldDef *f = e->field;
    CHECKINPUT *in = c->in;
    if ((e->flags & 0x20000000) && (in->dialogFlags & 0x100) && strchr(*text, '*')) {
        snprintf(in->error, sizeof in->error, "Wildcards are not supported for field '%s'.", f->title);
        return 0;
    }
    if (c->command != MQCMD_INQUIRE_Q || f->attrId != MQCA_Q_NAME || !in->definition->list || !in->location ||
        !in->location->authWords[0])
        return 1;
    uint32_t limits = in->location->authWords[0];
    if ((limits & 0x2) && strchr(*text, '*')) {
        snprintf(in->error, sizeof in->error, "Wildcards are not allowed in field '%s'.", f->title);
        return 0;
    }
    if ((limits & 0x1) && !strcmp(*text, "*")) {
        snprintf(in->error, sizeof in->error, "Field '%s' can not contain just a single asterisk.", f->title);
        return 0;
    }
    *text = PCFGetNameMaskPrefix(in->location, buffer, *text);
    return 1;
}

/* Entries (flag 0x10000) that fill the request rather than the message;
 * 1 when handled. */
static int RequestField(CHECK *c, const PCFFieldEntry *e, const VALUE *v)
{
    const PCFFieldDef *f = e->field;
    CHECKINPUT *in = c->in;
    SELECTIONINFO *sel = in->request;
    if (f->attrId == ATTR_ALT_USER) {
        char user[13] = "", own[13] = "";
        CmdTakeString(user, sizeof user, Text(v), (int32_t)strlen(Text(v)));
        if (sel) {
            EngPadName(sel->userId, user, sizeof sel->userId);
            MQELOC *l = in->location ? MQELocOf(in->location) : nullptr;
            if (l)
                CmdTakeString(own, sizeof own, l->userIdentifier, 12);
            if (strcmp(user, own))
                sel->flags |= TRF_USERID;
        }
        return 1;
    }
    if (f->attrId == ATTR_CORREL_ID) {
        const char *t = Text(v);
        if (sel && UTCountHexDigits(t, 48) == 48) {
            UTHexToBytes(t, 48, sel->correlId);
            sel->flags |= TRF_CORRELID;
        }
        return 1;
    }
    if (f->attrId == MYPCFA_MAX_MSG_SIZE) {
        AddInt(c, MYPCFA_MAX_MSG_SIZE, WantedSize(c));
        return 1;
    }
    if (f->attrId == ATTR_STOP) {
        int known;
        if (IntOf(c, f, v, &known) == 1 && in->definition->list)
            c->stopped = 1;
        return 1;
    }
    return 0;
}

/* ---- writing by field type ---- */

static void WriteString(CHECK *c, const PCFFieldDef *f, const char *t)
{
    /* a search text is compared byte for byte, its blanks too */
    int32_t n = f->attrId == MYPCFA_SEARCH ? (int32_t)strlen(t) : UTTrimmedLength(t, (int)strlen(t));
    if (f->type == PCFT_NAME && !n)
        t = "*", n = 1;
    if (f->type == PCFT_NAME && !c->nameSeen) {
        c->nameSeen = 1;
        if (c->in->objectName)
            snprintf(c->in->objectName, 500, "%.*s", (int)(n < 499 ? n : 499), t);
    }
    Add(c, MQCFT_STRING, (int32_t)f->attrId, t, n, 1);
}

/* The element after the index of a multi-name list, trailing blanks
 * removed (into buffer); null, with the index -2, when none is left. */
static const char *NextName(CHECK *c, const PCFFieldDef *f, const VALUE *v, char *buffer, size_t size)
{
    PCFSTRLIST *l = v->record ? PCFRecStrList(v->record) : nullptr;
    int count = l ? l->count : 0;
    int next = c->in->index + 1;
    c->in->count = count;
    if (next < 0 || next >= count) {
        c->in->index = -2;
        c->stopped = 1;
        return nullptr;
    }
    const char *t = PCFStrListItem(l, f->maximum, next);
    int32_t n = UTTrimmedLength(t, f->maximum);
    c->in->index = next;
    snprintf(buffer, size, "%.*s", (int)n, t);
    if (c->in->objectName)
        snprintf(c->in->objectName, 500, "%s", buffer);
    return buffer;
}

/* A multi-name field: the element after the index, one per call. */
static void WriteMultiName(CHECK *c, const PCFFieldDef *f, const VALUE *v)
{
    char name[PCF_WORK_NAME];
    if (const char *t = NextName(c, f, v, name, sizeof name))
        Add(c, MQCFT_STRING, (int32_t)f->attrId, t, (int32_t)strlen(t), 1);
}

static void WriteWhere(CHECK *c)
{
    int32_t value;
    int32_t id, op;
    if (c->in->definition == &PCFQueueNamesDef[1]) {
        id = MQIA_DEFINITION_TYPE;
        int dynamic = (Prf.opt1 & PRF_LIST_DYNAMIC) != 0;
        op = dynamic ? MQCFOP_NOT_EQUAL : MQCFOP_EQUAL;
        value = dynamic ? MQQDT_TEMPORARY_DYNAMIC : MQQDT_PREDEFINED;
    } else {
        id = MQIA_Q_TYPE;
        op = MQCFOP_NOT_EQUAL;
        value = MQQT_LOCAL;
    }
    Add(c, MQCFT_INTEGER_FILTER, id, &value, 4, op);
}

static void WriteShownOnly(CHECK *c, const PCFFieldDef *f)
{
    CHECKINPUT *in = c->in;
    if (!in->dialog) {
        if (f->attrId == ATTR_WHERE)
            WriteWhere(c);
        return;
    }
    if (f->attrId == MYPCFA_MSGDESCRIPTOR && in->editedMd)
        Add(c, MQCFT_BYTE_STRING, MYPCFA_MSGDESCRIPTOR, in->editedMd, (int32_t)in->editedMdLength, 1);
    else if (f->attrId == MYPCFA_FULLMESSAGE && in->editedMsg)
        Add(c, MQCFT_BYTE_STRING, MYPCFA_FULLMESSAGE, in->editedMsg, (int32_t)in->editedMsgLength, 1);
}

static void WriteInteger(CHECK *c, const PCFFieldDef *f, const VALUE *v)
{
    int known;
    int32_t value = IntOf(c, f, v, &known);
    int32_t id = (int32_t)f->attrId;
    if (c->command == MQCMD_DELETE_CHANNEL && id == ATTR_CHANNEL_TYPE) {
        id = ATTR_CHANNEL_TABLE;
        value = value == MQCHT_CLNTCONN ? 2 : 1;
    }
    AddInt(c, id, value);
}

/* A message buffer field: the editor's bytes when it holds the message,
 * else the buffer's; only a command that puts the message carries it (a
 * read of a shown message never sends that message back). */
static void WriteMessage(CHECK *c, const PCFFieldDef *f, const VALUE *v)
{
    CHECKINPUT *in = c->in;
    if (c->command != MYCMD_UPDATE_MSG && c->command != MYCMD_ADD_MSG)
        return;
    if ((f->attrId == MYPCFA_MSGDESCRIPTOR && in->editedMd) || (f->attrId == MYPCFA_FULLMESSAGE && in->editedMsg)) {
        WriteShownOnly(c, f);
        return;
    }
    PCFMSGBUF *b = v->record ? PCFRecMsgBuf(v->record) : nullptr;
    Add(c, MQCFT_BYTE_STRING, (int32_t)f->attrId, b ? PCFMsgBufBytes(b) : nullptr, b ? (int32_t)b->length : 0, 1);
}

static void WriteIntList(CHECK *c, const PCFFieldDef *f, const VALUE *v, int orTogether)
{
    PCFINTLIST *l = v->record ? PCFRecIntList(v->record) : nullptr;
    int32_t count = l ? l->count : 0;
    int32_t values[1] = { 0 };
    const int32_t *items = l ? PCFIntListItems(l) : values;
    if (!orTogether) {
        AddInts(c, (int32_t)f->attrId, items, count);
        return;
    }
    int32_t set = 0;
    for (int32_t i = 0; i < count; i++)
        set |= items[i];
    if (f->attrId == ATTR_REG_OPTIONS && c->command == MQCMD_DEREGISTER_SUBSCRIBER)
        set &= 0x190041;
    else if (f->attrId == ATTR_REG_OPTIONS && c->command == MQCMD_DEREGISTER_PUBLISHER)
        set &= 0x41;
    AddInt(c, (int32_t)f->attrId, set);
}

static void WriteValue(CHECK *c, const PCFFieldEntry *e, const VALUE *v, const char *text)
{
    const PCFFieldDef *f = e->field;
    switch (f->type) {
    case PCFT_INT: case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14: case PCFT_NUMBER:
        WriteInteger(c, f, v);
        break;
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRING25:
        WriteString(c, f, text);
        break;
    case PCFT_STRLIST:
        WriteMultiName(c, f, v);
        break;
    case PCFT_MULTISTR: {
        int rc = c->building && !c->failed
                     ? PCFPackStringList(&c->pp, (int32_t)f->attrId, v->record ? PCFRecStrList(v->record) : nullptr,
                                         f->maximum)
                     : 0;
        if (rc)
            c->failed = rc;
        break;
    }
    case PCFT_HEX: case PCFT_BYTES:
        if (v->record)
            Add(c, MQCFT_STRING, (int32_t)f->attrId, PCFRecBytes(v->record), (int32_t)PCFRecBytesLength(v->record), 1);
        else
            Add(c, MQCFT_STRING, (int32_t)f->attrId, text, -1, 1);
        break;
    case PCFT_SHOWINT:
        if (f->attrId == ATTR_CONVERT_CCSID) {
            if (Prf.ccsid)
                AddInt(c, ATTR_CONVERT_CCSID, Prf.ccsid);
        } else {
            AddInt(c, (int32_t)f->attrId, f->minimum);
        }
        break;
    case PCFT_NOVALUE:
        AddInts(c, (int32_t)f->attrId, &f->minimum, 1);
        break;
    case PCFT_ENUMLIST: case PCFT_INTLIST:
        WriteIntList(c, f, v, 0);
        break;
    case PCFT_FLAGSET:
        WriteIntList(c, f, v, 1);
        break;
    case PCFT_WIDEHEX: {
        uint32_t n = v->record ? PCFRecBytesLength(v->record) : 0;
        int32_t id = (int32_t)f->attrId == ATTR_GENERIC_CONN && n ? ATTR_CONNECTION_ID : (int32_t)f->attrId;
        Add(c, MQCFT_BYTE_STRING, id, v->record ? PCFRecBytes(v->record) : nullptr, (int32_t)n, 1);
        break;
    }
    case PCFT_SHOWONLY:
        WriteShownOnly(c, f);
        break;
    case PCFT_MESSAGE:                  /* the descriptor and data of a message dialog */
        WriteMessage(c, f, v);
        break;
    default:
        break;
    }
}

/* ---- a copy's names ---- */

/* The source and the new name of a copy, and the object a dialog shows. */
static const struct { uint32_t command; uint32_t from, to, shown; } CopyNames[] = {
    { MQCMD_COPY_Q, MQCACF_FROM_Q_NAME, MQCACF_TO_Q_NAME, MQCA_Q_NAME },
};

/* A copy's source, blank for the object the dialog shows, and its new
 * name, which must be given: 1 written, 0 no copy's name, -1 failed. */
static int CopyName(CHECK *c, const PCFFieldEntry *e, const VALUE *v)
{
    const PCFFieldDef *f = e->field;
    for (const auto &n : CopyNames) {
        if (c->command != n.command || (f->attrId != n.from && f->attrId != n.to))
            continue;
        const char *t = Text(v);
        if (Blank(t) && f->attrId == n.from && c->in->area) {
            uint16_t state = 0;
            const uint8_t *shown = PCFGetStrValue(c->caps, c->in->definition, c->in->area, n.shown, &state);
            t = shown ? (const char *)shown : "";
        }
        if (Blank(t)) {
            snprintf(c->in->error, sizeof c->in->error, "Please enter a value for '%s'.", f->title);
            return -1;
        }
        WriteString(c, f, t);
        return 1;
    }
    return 0;
}

/* ---- the walk ---- */

/* Multi-name mode: the name entry (flag 0x40) stands for the names listed
 * in the entry after it; each request carries the next of them as the
 * name, checked as a typed name is.  1 handled, 0 not this case, -1
 * failed (error set). */
static int ListedName(CHECK *c, const PCFFieldEntry *e)
{
    CHECKINPUT *in = c->in;
    const PCFFieldEntry *list = e + 1;
    if (!(e->flags & PCFE_NOTMULTI) || !(in->dialogFlags & DF_MULTI_NAME) || !in->area || !list->field ||
        !(list->flags & PCFE_MULTIONLY) || !PCFStoresValue(list) ||
        (list->field->type != PCFT_STRLIST && list->field->type != PCFT_MULTISTR))
        return 0;
    uint32_t result = 0;
    if (!UseOf(c, e, &result))
        return 0;
    VALUE v = {};
    v.record = in->area + list->offset;
    v.state = PCFState(v.record);
    char name[PCF_WORK_NAME], prefix[QMS_NAME + 1];
    const char *text = NextName(c, list->field, &v, name, sizeof name);
    if (!text)
        return 1;
    if (!CheckValue(c, e, &text, prefix))
        return -1;
    Add(c, MQCFT_STRING, (int32_t)e->field->attrId, text, (int32_t)strlen(text), 1);
    return 1;
}

/* 1 go on, 0 failed (error set). */
static int Field(CHECK *c, const PCFFieldEntry *e, const char *defaultName)
{
    const PCFFieldDef *f = e->field;
    CHECKINPUT *in = c->in;
    if ((e->flags & 0x80) || f->type == PCFT_SIGNED || f->type == PCFT_WIDE17 || f->type == PCFT_REAL)
        return 1;
    const PCFCommandDef *def = in->definition;
    if (!CapTest(def, c->caps, e) || !CapTest(def, c->caps, f))
        return 1;
    if (int listed = ListedName(c, e))
        return listed > 0;
    /* a changed name marks the fields after it, also where the name is
       no parameter of the command (a copy's source is its own field) */
    if (in->area && PCFStoresValue(e) && (PCFState(in->area + e->offset) & PCFS_NAMECHG))
        c->marked = 1;
    uint32_t result = 0;
    const PCFCommandUse *u = UseOf(c, e, &result);
    if (!u || !PCFFieldApplies(c->caps, in->dialogFlags, def, nullptr, nullptr, in->area, e, nullptr, &result))
        return 1;
    VALUE v = {};
    if (in->area && PCFStoresValue(e)) {
        v.record = in->area + e->offset;
        v.state = PCFState(v.record);
    } else if (!in->area) {
        v.text = f->type == PCFT_NAME && defaultName && *defaultName ? defaultName : e->defaultText;
    }
    if (int copy = CopyName(c, e, &v))
        return copy > 0;
    int part = TakesPart(c, e, u, &v);
    if (part < 0)
        return 0;
    if (!part)
        return 1;
    const char *text = IsString(f->type) ? Text(&v) : "";
    char prefix[QMS_NAME + 1];
    if (IsString(f->type) && !CheckValue(c, e, &text, prefix))
        return 0;
    if ((e->flags & 0x10000) && RequestField(c, e, &v))
        return 1;
    /* the whole message asked for: the longest a queue manager takes,
       whatever size the dialog shows */
    if (f->attrId == MYPCFA_MAX_MSG_SIZE && in->dialog && (in->dialog->statusFlags & DS_WANT_COMPLETE)) {
        AddInt(c, MYPCFA_MAX_MSG_SIZE, WantedSize(c));
        return 1;
    }
    WriteValue(c, e, &v, text);
    return 1;
}

/* The dialog's WHERE filter: a whole MQCFIF, MQCFSF or MQCFBF, read
 * within its own length. */
static void Filter(CHECK *c, const uint8_t *f)
{
    int32_t w[6] = {};
    memcpy(w, f, 8);
    int32_t fixed = w[0] == MQCFT_INTEGER_FILTER ? 20 : w[0] == MQCFT_STRING_FILTER ? 24
                  : w[0] == MQCFT_BYTE_STRING_FILTER ? 20 : 0;
    if (!fixed || w[1] < fixed)
        return;
    memcpy(w, f, (size_t)fixed);
    int32_t n = w[0] == MQCFT_STRING_FILTER ? w[5] : w[4];
    if (w[0] == MQCFT_INTEGER_FILTER)
        Add(c, w[0], w[2], &w[4], 4, w[3]);
    else if (n >= 0 && n <= w[1] - fixed)
        Add(c, w[0], w[2], f + fixed, n, w[3]);
    else
        return;
    if (c->building)
        PCFHeader(&c->pp)->Version = MQCFH_VERSION_3;
}

/* A copy, move or delete from a dialog that shows one message and has no
 * selection of its own: it acts on that message by its position and its
 * id (qualifier bit 0x1), so a message that has gone or moved is never
 * touched in its stead. */
static int OneMessage(const CHECK *c)
{
    return !c->in->definition->list && c->command >= MYCMD_COPY_MSGS && c->command <= MYCMD_DELETE_MSGS;
}

/* After the fields: the filter, the qualifier, the attribute lists. */
static void Trailer(CHECK *c)
{
    CHECKINPUT *in = c->in;
    const PCFCommandDef *def = in->definition;
    const PCFActionDef *a = in->action;
    const uint8_t *f = in->filter;
    if (f && !(in->location && (in->location->flags & LF_MVS)))
        Filter(c, f);
    if (a->flags & 0x400000)
        AddInt(c, MYPCFA_DIALOG_QUALIFIER, (int32_t)in->qualifier);
    else if (OneMessage(c))
        AddInt(c, MYPCFA_DIALOG_QUALIFIER, 0x1);
    if (a->flags & 0x2000000) {
        int32_t all = MQIACF_ALL;
        AddInts(c, (int32_t)def->objectId, &all, 1);
    }
    if (c->command == MQCMD_SET_CHLAUTH_REC)
        AddInt(c, ATTR_ACTION, a->id == 520 ? 7 : a->id == 551 ? 6 : 5);
    if (!in->columns || (def->flags & 16) || (a->flags & 0x800000))
        return;
    int32_t ids[256];
    int32_t n = 0;
    for (const PCFLISTENTRY *col = in->columns; col->field && n < 256; col++) {
        const PCFFieldDef *fd = col->field;
        int32_t id = (int32_t)fd->attrId;
        if ((fd->type >= PCFT_SIGNED && fd->type <= PCFT_REAL) || fd->type == PCFT_DATETIME ||
            fd->type == PCFT_DATETIME100 || !CapTest(def, c->caps, fd) || id == 1230 || id == 3067 ||
            id == 3069 || id == MYPCFA_MULTI_QMNAME || id == MYCA_LOCATION_TEXT || (n && ids[n - 1] == id))
            continue;
        ids[n++] = id;
    }
    AddInts(c, (int32_t)def->objectId, ids, n);
}

/* The creation of an application: a known key goes ahead, else the user
 * is asked.  0 failed. */
static int ApplicationKey(CHECK *c)
{
    CHECKINPUT *in = c->in;
    if (in->definition->list || !in->area)
        return 1;
    uint16_t s1 = 0, s2 = 0;
    uint8_t *tag = PCFGetStrValue(c->caps, in->definition, in->area, ATTR_APPL_TAG, &s1);
    uint8_t *desc = PCFGetStrValue(c->caps, in->definition, in->area, ATTR_APPL_DESC, &s2);
    if (!tag || !desc || Blank((const char *)tag) || Blank((const char *)desc))
        return 1;
    if (CmdConfirm(in->dialog, 0, "!There is no application with the same Application Name (APPLTAG) and "
                                  "Description (APPLDESC) as the application you are trying to create. Are you "
                                  "sure you want to continue?", nullptr, nullptr, 0))
        return 1;
    snprintf(in->error, sizeof in->error, "Application with the same key is not defined");
    return 0;
}

/* The queue-names inquiry: always the same message. */
static int QueueNames(CHECK *c)
{
    CHECKINPUT *in = c->in;
    const char *name = in->objectName && in->objectName[0] ? in->objectName : "*";
    if (c->building)
        PCFHeader(&c->pp)->Version = MQCFH_VERSION_3;
    Add(c, MQCFT_STRING, MQCA_Q_NAME, name, -1, 1);
    return 0;
}

static int Finish(CHECK *c)
{
    CHECKINPUT *in = c->in;
    if (c->failed) {
        snprintf(in->error, sizeof in->error, "Unexpected error constructing command RC(%d) %s", c->failed,
                 MQReasonText(c->failed));
        return 1;
    }
    in->length = c->building ? (uint32_t)c->pp.position : 0;
    return 0;
}

int PCFCheckInput(CHECKINPUT *in)
{
    CHECK c = {};
    c.in = in;
    in->error[0] = 0;
    in->length = 0;
    in->count = 1;
    const PCFCommandDef *def = in->definition;
    const PCFActionDef *a = in->action;
    c.caps = in->location ? in->location->caps : nullptr;
    if (in->dialog && in->dialog->first.caps && in->dialog->first.location == in->location)
        c.caps = in->dialog->first.caps;
    c.command = a->command == CMD_DELETE_CHLAUTH ? MQCMD_SET_CHLAUTH_REC : a->command;
    int queueNames = def == &PCFQueueNamesDef[3];
    if (queueNames)
        c.command = MQCMD_INQUIRE_Q_NAMES;
    if (in->buffer) {
        MQLONG cc, rc;
        c.area = in->buffer;
        PCFInitArea(&c.pp, &c.area, 0, in->size, 0, (int32_t)c.command, &cc, &rc);
        if (cc) {
            c.failed = rc;
            return Finish(&c);
        }
        c.building = 1;
    }
    if (queueNames) {
        QueueNames(&c);
        return Finish(&c);
    }
    if (!in->location && !(def->flags & 0x200)) {
        snprintf(in->error, sizeof in->error,
                 "Please associate this dialog with a Queue Manager before issuing this command");
        return 1;
    }
    char defaultName[500];
    CmdCopy(defaultName, in->objectName, sizeof defaultName);
    int firstName = 1;
    for (const PCFFieldEntry *e = def->fields; e && e->field && !c.stopped; e++) {
        const char *name = nullptr;
        if (e->field->type == PCFT_NAME && firstName) {
            firstName = 0;
            name = defaultName;
        }
        if (!Field(&c, e, name))
            return 1;
    }
    if (in->index == -2 || c.stopped)             /* 10161: the message ends there */
        return Finish(&c);
    Trailer(&c);
    if (c.command == CMD_CREATE_APP && !ApplicationKey(&c))
        return 1;
    return Finish(&c);
}
