/* One line of MQSC text from a PCF command: the verb of the command's
 * action row, each parameter as the keyword of its field with the value
 * in MQSC form, attribute lists as keywords, and the dialog's filter as a
 * WHERE clause.  Every write is bounded by the 2000-byte text; a text that
 * would not fit is refused with 2071 and nothing is sent. */
#include "mqsc.h"

#include "cs.h"
#include "cstext.h"

#define PCFE_QUOTED_BLANK 0x100000   /* a single blank goes unquoted */
#define PARM_CHANNEL_TABLE 1526
#define PARM_ACTION        1086

/* ---- the bounded text ---- */

void MQSCPut(MQSCTEXT *t, const char *bytes, size_t n)
{
    if (t->full || n >= t->size - t->used) {
        t->full = 1;
        return;
    }
    memcpy(t->text + t->used, bytes, n);
    t->used += (uint32_t)n;
    t->text[t->used] = 0;
}

void MQSCPuts(MQSCTEXT *t, const char *text)
{
    MQSCPut(t, text, strlen(text));
}

void MQSCPutQuoted(MQSCTEXT *t, const char *bytes, size_t n)
{
    MQSCPut(t, "'", 1);
    size_t from = 0;
    for (size_t i = 0; i < n; i++)
        if (bytes[i] == '\'') {
            MQSCPut(t, bytes + from, i + 1 - from);
            from = i;                          /* the quote goes again */
        }
    MQSCPut(t, bytes + from, n - from);
    MQSCPut(t, "'", 1);
}

void MQSCPutHex(MQSCTEXT *t, const uint8_t *bytes, size_t n)
{
    char pair[3];
    for (size_t i = 0; i < n && !t->full; i++) {
        UTBytesToHex(bytes + i, 1, pair, 2);
        MQSCPut(t, pair, 2);
    }
}

static void PutInt(MQSCTEXT *t, int32_t value)
{
    char number[16];
    snprintf(number, sizeof number, "%ld", (long)value);
    MQSCPuts(t, number);
}

int ReplaceSubstring(MQSCTEXT *t, const char *what, const char *with)
{
    char *at = t->text ? strstr(t->text, what) : nullptr;
    if (!at)
        return 0;
    size_t a = strlen(what), b = strlen(with);
    if (b > a && b - a >= t->size - t->used) {
        t->full = 1;
        return 0;
    }
    size_t tail = t->used - (size_t)(at - t->text) - a;
    memmove(at + b, at + a, tail + 1);
    memcpy(at, with, b);
    t->used = (uint32_t)(t->used - a + b);
    return 1;
}

/* ---- keywords and values ---- */

void MQSCKeywordForm(const char *keyword, int form, char *out, size_t size)
{
    out[0] = 0;
    if (!keyword)
        return;
    const char *slash = strchr(keyword, '/');
    const char *from = keyword;
    if (form && slash)
        from = slash + 1;
    size_t n = 0;
    while (from[n] && from[n] != '/')
        n++;
    if (n >= size)
        n = size - 1;
    memcpy(out, from, n);
    out[n] = 0;
}

static const struct { const char *text; int32_t op; } WhereOperators[] = {
    { "LT", 1 }, { "<", 1 }, { "EQ", 2 }, { "=", 2 }, { "GT", 4 }, { ">", 4 }, { "GE", 6 }, { ">=", 6 },
    { "CT", 10 }, { "EX", 13 }, { "NE", 5 }, { "<>", 5 }, { "!=", 5 }, { "LE", 3 }, { "<=", 3 },
    { "NG", 3 }, { "LK", 18 }, { "NL", 21 }, { "CTG", 26 }, { "EXG", 29 },
};

const char *WhereOperatorName(int32_t op)
{
    for (const auto &w : WhereOperators)
        if (w.op == op)
            return w.text;
    return nullptr;
}

/* The row of a value, with an MQSC keyword that may be written. */
static const PCFValueDef *WritableRow(const PCFFieldDef *f, int32_t value)
{
    const PCFValueDef *row = PCFFindValue(f->values, value);
    return row && row->keyword && *row->keyword && *row->keyword != '!' ? row : nullptr;
}

void PCFIntListText(MQSCTEXT *t, const PCFFieldDef *field, const int32_t *values, int32_t count)
{
    int written = 0;
    for (int32_t i = 0; i < count; i++) {
        const PCFValueDef *row = PCFFindValue(field->values, values[i]);
        if (row && row->keyword && *row->keyword == '!')
            continue;
        if (written++)
            MQSCPut(t, ",", 1);
        if (row && row->keyword && *row->keyword)
            MQSCPuts(t, row->keyword);
        else
            PutInt(t, values[i]);
    }
}

/* The field entry of an attribute in a field list (with the capability
 * test when caps are given). */
static const PCFFieldEntry *FieldOf(const PCFFieldEntry *list, const uint8_t *caps, int32_t id)
{
    for (const PCFFieldEntry *e = list; e && e->field; e++)
        if ((int32_t)e->field->attrId == id &&
            (!caps || (CapTest(nullptr, caps, e) && CapTest(nullptr, caps, e->field))))
            return e;
    return nullptr;
}

void PCFBuildWhere(MQSCTEXT *t, const PCFCommandDef *def, const uint8_t *caps, int32_t type,
                   int32_t parameter, const uint8_t *value, int32_t length)
{
    if (!def || (type != MQCFT_INTEGER_FILTER && type != MQCFT_STRING_FILTER && type != MQCFT_BYTE_STRING_FILTER))
        return;
    const PCFFieldEntry *detail = def->detail;
    if (!detail && def->objectId == PCFQueueListDef.objectId && def->list)
        detail = PCFQueueListDef.detail;
    const PCFFieldEntry *e = FieldOf(detail, caps, parameter);
    int32_t op;
    if (!e || length < 8)
        return;
    memcpy(&op, value, 4);
    const char *opText = WhereOperatorName(op);
    if (!opText)
        return;
    char keyword[MQSC_KEYWORD_SIZE];
    MQSCKeywordForm(e->field->keyword, 0, keyword, sizeof keyword);
    if (!keyword[0])
        return;
    MQSCPuts(t, " WHERE(");
    MQSCPuts(t, keyword);
    MQSCPut(t, " ", 1);
    MQSCPuts(t, opText);
    MQSCPut(t, " ", 1);
    if (type == MQCFT_INTEGER_FILTER) {
        int32_t v;
        memcpy(&v, value + 4, 4);
        const PCFValueDef *row = WritableRow(e->field, v);
        if (row)
            MQSCPuts(t, row->keyword);
        else
            PutInt(t, v);
    } else if (type == MQCFT_STRING_FILTER && length >= 12) {
        MQSCPutQuoted(t, (const char *)value + 12, (size_t)(length - 12));
    } else if (type == MQCFT_BYTE_STRING_FILTER) {
        MQSCPut(t, "'", 1);
        MQSCPutHex(t, value + 8, (size_t)(length - 8));
        MQSCPut(t, "'", 1);
    }
    MQSCPut(t, ")", 1);
}

/* The definition whose detail fields name a filter's attribute: the
 * command's, else (a definition without a list, such as the Queue
 * definition that carries a queue list's inquiry) the dialog's own. */
static const PCFCommandDef *WhereDefinition(const PCFCommandDef *def, const PCFCommandDef *dialogDef)
{
    if (def && (def->detail || (def->objectId == PCFQueueListDef.objectId && def->list)))
        return def;
    return dialogDef ? dialogDef : def;
}

/* The dialog's filter structure (as SetWhereFilter keeps it), walked as
 * the one parameter of a message so that it is read within its own
 * length. */
static void DialogWhere(MQSCTEXT *t, const PCFCommandDef *def, const uint8_t *caps, const DialogWords *dialog)
{
    uint32_t held = 0;
    const uint8_t *f = PCFWhereFilter(dialog, &held);
    int32_t length;
    if (!f || held < 16)
        return;
    memcpy(&length, f + 4, 4);
    if (length < 16 || (uint32_t)length > held || length > 0x10000)
        return;
    uint8_t *message = (uint8_t *)CSGetMem((size_t)length + 36, "MQSCWhere");
    if (!message)
        return;
    const int32_t head[9] = { MQCFT_COMMAND, 36, MQCFH_VERSION_3, 0, 1, MQCFC_LAST, 0, 0, 1 };
    memcpy(message, head, sizeof head);
    memcpy(message + 36, f, (size_t)length);
    MQPP pp;
    MQLONG command, cc, rc, type, parameter, n, count;
    void *value;
    PCFInitParse(&pp, message, length + 36, &command, &cc, &rc);
    if (!cc)
        PCFGetNextParm(&pp, &type, &parameter, &value, &n, &count, &cc, &rc);
    if (!cc && (type == MQCFT_INTEGER_FILTER || type == MQCFT_STRING_FILTER || type == MQCFT_BYTE_STRING_FILTER))
        PCFBuildWhere(t, def, caps, type, parameter, (const uint8_t *)value, n);
    CSFreeMem(message);
}

/* ---- the command ---- */

struct BUILD {
    MQSCTEXT t;
    const uint8_t *caps;
    const PCFCommandDef *def;          /* the command's definition */
    const PCFCommandDef *dialogDef;
    uint32_t command;
    int listed;                        /* an attribute keyword was written */
    int filtered;                      /* the message carried a filter */
    int failed;
};

/* Attributes never written in an attribute list: the object's name and
 * selectors, which the command gives elsewhere. */
static const struct { uint32_t command; int32_t ids[4]; } NotListed[] = {
    { MQCMD_INQUIRE_Q, { 2016, 193 } },
    { MQCMD_INQUIRE_CHANNEL, { 3501 } },
    { MQCMD_INQUIRE_PROCESS, { 2012 } },
    { MQCMD_INQUIRE_CHANNEL_STATUS, { 3501, 3505, 3506 } },
    { MQCMD_INQUIRE_NAMELIST, { 2010 } },
    { MQCMD_INQUIRE_CLUSTER_Q_MGR, { 2031, 3501 } },
    { MQCMD_INQUIRE_STG_CLASS, { 2022 } },
    { MQCMD_INQUIRE_CF_STRUC, { 2039 } },
    { MQCMD_INQUIRE_SUBSCRIPTION, { 3152, 7016, 1289, 1274 } },
    { MQCMD_INQUIRE_SUB_STATUS, { 3152, 7016, 1289, 1274 } },
    { MQCMD_INQUIRE_TOPIC, { 2092, 208 } },
    { MQCMD_INQUIRE_TOPIC_STATUS, { 1302, 2094 } },
    { MQCMD_INQUIRE_Q_STATUS, { 2016, 1103 } },
    { MQCMD_INQUIRE_AUTH_INFO, { 2045, 66 } },
    { MQCMD_INQUIRE_CHLAUTH_RECS, { 3501, 1352 } },
    { MQCMD_INQUIRE_SMDS, { 3183, 2039 } },
    { MQCMD_INQUIRE_CONNECTION, { 7006, 1110, 222, 3501 } },
};

static int Listable(BUILD *b, int32_t id)
{
    if (id == MQIA_QSG_DISP)
        return 0;
    if (b->command == MQCMD_INQUIRE_Q && id == MQIA_Q_TYPE && CapGet(b->caps, 9))
        return 0;
    for (const auto &n : NotListed)
        if (n.command == b->command)
            for (int32_t x : n.ids)
                if (x && x == id)
                    return 0;
    return 1;
}

/* The reserve before a parameter and after a list element. */
static int Room(BUILD *b)
{
    if (b->t.full || b->t.size - b->t.used < MQSC_TEXT_RESERVE) {
        b->failed = MQRC_STORAGE_NOT_AVAILABLE;
        return 0;
    }
    return 1;
}

static void AttributeList(BUILD *b, const int32_t *ids, int32_t count)
{
    if (b->command == MQCMD_INQUIRE_SMDSCONN)
        return;
    char keyword[MQSC_KEYWORD_SIZE];
    for (int32_t i = 0; i < count && !b->failed; i++) {
        const PCFFieldEntry *e = nullptr;
        if (Listable(b, ids[i]) && !(e = FieldOf(b->def->fields, b->caps, ids[i])))
            e = FieldOf(b->def->detail, b->caps, ids[i]);
        MQSCKeywordForm(e ? e->field->keyword : nullptr, 1, keyword, sizeof keyword);
        if (keyword[0]) {
            MQSCPuts(&b->t, keyword);
            MQSCPut(&b->t, " ", 1);
            b->listed = 1;
        }
        Room(b);
    }
}

static void StringList(BUILD *b, const char *items, int32_t each, int32_t count)
{
    if (count <= 0 || each <= 0) {
        MQSCPuts(&b->t, "' '");
        return;
    }
    for (int32_t i = 0; i < count && !b->failed; i++) {
        const char *s = items + (size_t)i * (size_t)each;
        size_t n = (size_t)each;
        while (n && (s[n - 1] == ' ' || s[n - 1] == 0))
            n--;
        if (i)
            MQSCPut(&b->t, ",", 1);
        MQSCPutQuoted(&b->t, n ? s : " ", n ? n : 1);
        Room(b);
    }
}

static int FirstFormCommand(uint32_t c)
{
    static const uint32_t first[] = { 13, 25, 42, 170, 172, 173, 174, 182, 183 };
    for (uint32_t x : first)
        if (x == c)
            return 1;
    return 0;
}

/* The value of a parameter found in the field list. */
static void Value(BUILD *b, const PCFFieldEntry *e, int32_t type, int32_t parameter, const uint8_t *value,
                  int32_t length, int32_t count)
{
    const PCFFieldDef *f = e->field;
    int32_t v = 0;
    switch (type) {
    case MQCFT_INTEGER: {
        memcpy(&v, value, 4);
        if (f->type == PCFT_SHOWINT)
            return;
        const PCFValueDef *row = nullptr;
        if (f->type == PCFT_ENUM || f->type == PCFT_ENUMNUM || f->type == PCFT_ENUM13 || f->type == PCFT_ENUM14)
            row = WritableRow(f, v);
        if (row)
            MQSCPuts(&b->t, row->keyword);
        else
            PutInt(&b->t, v);
        return;
    }
    case MQCFT_STRING:
        if ((parameter == MYPCFA_CMDSCOPE && length > 0 && value[0] == '*') ||
            ((e->flags & PCFE_QUOTED_BLANK) && length == 1 && value[0] == ' '))
            MQSCPut(&b->t, (const char *)value, (size_t)length);
        else
            MQSCPutQuoted(&b->t, (const char *)value, (size_t)length);
        return;
    case MQCFT_INTEGER_LIST:
        if (f->type == PCFT_ENUMLIST || f->type == PCFT_INTLIST)
            PCFIntListText(&b->t, f, (const int32_t *)value, count);
        else
            AttributeList(b, (const int32_t *)value, count);
        return;
    case MQCFT_STRING_LIST:
        StringList(b, (const char *)value, count ? length / count : 0, count);
        return;
    case MQCFT_BYTE_STRING:
        if (length)
            MQSCPutHex(&b->t, value, (size_t)length);
        else
            MQSCPut(&b->t, "*", 1);
        return;
    default:
        b->failed = 1;
    }
}

/* Parameters a command writes as its object keyword: CLEAR names its
 * queue QLOCAL; a copy's new name is the queue the DEFINE makes (its type
 * then turns QUEUE into QLOCAL and so on). */
static const char *ObjectKeyword(uint32_t command, int32_t parameter)
{
    static const struct { uint32_t command; int32_t parameter; const char *keyword; } rows[] = {
        { MQCMD_CLEAR_Q, MQCA_Q_NAME, "QLOCAL" }, { MQCMD_COPY_Q, MQCACF_TO_Q_NAME, "QUEUE" },
    };
    for (const auto &r : rows)
        if (r.command == command && r.parameter == parameter)
            return r.keyword;
    return nullptr;
}

/* The queue type as the object keyword: QUEUE becomes QLOCAL and so on
 * (a copy too: DEFINE QLOCAL(new) LIKE(source); a "QUEUE" keyword left in
 * a DEFINE is a syntax error). */
static int QueueTypeKeyword(BUILD *b, const PCFFieldEntry *e, const uint8_t *value)
{
    uint32_t c = b->command;
    if (c != MQCMD_CHANGE_Q && c != MQCMD_CLEAR_Q && c != MQCMD_CREATE_Q && c != MQCMD_DELETE_Q &&
        c != MQCMD_COPY_Q)
        return 0;
    int32_t v;
    memcpy(&v, value, 4);
    const PCFValueDef *row = WritableRow(e->field, v);
    if (!row)
        return 0;
    ReplaceSubstring(&b->t, "QUEUE", row->keyword);
    return 1;
}

static void Parameter(BUILD *b, int32_t type, int32_t parameter, const uint8_t *value, int32_t length,
                      int32_t count)
{
    if (!Room(b))
        return;
    int filter = type == MQCFT_INTEGER_FILTER || type == MQCFT_STRING_FILTER || type == MQCFT_BYTE_STRING_FILTER;
    if (filter) {
        b->filtered = 1;
        PCFBuildWhere(&b->t, WhereDefinition(b->def, b->dialogDef), nullptr, type, parameter, value, length);
        MQSCPut(&b->t, " ", 1);
        return;
    }
    const PCFFieldEntry *e = FieldOf(b->def->fields, b->caps, parameter);
    if (!e) {
        if (parameter == (int32_t)b->dialogDef->objectId && type == MQCFT_INTEGER_LIST)
            AttributeList(b, (const int32_t *)value, count);
        else if (parameter == PARM_CHANNEL_TABLE && type == MQCFT_INTEGER && *(const int32_t *)value == 2)
            MQSCPuts(&b->t, "CHLTABLE(CLNTTBL) ");
        else if (parameter == PARM_ACTION && type == MQCFT_INTEGER) {
            int32_t v;
            memcpy(&v, value, 4);
            MQSCPuts(&b->t, v == 5 ? "ACTION(ADD) " : v == 6 ? "ACTION(REPLACE) " : v == 7 ? "ACTION(REMOVE) " : "");
        }
        return;
    }
    if (type == MQCFT_INTEGER && b->command == MQCMD_CLEAR_Q && parameter == MQIA_QSG_DISP &&
        *(const int32_t *)value != 2)
        return;
    if (type == MQCFT_INTEGER && parameter == MQIA_Q_TYPE && QueueTypeKeyword(b, e, value))
        return;
    char keyword[MQSC_KEYWORD_SIZE];
    if (const char *object = ObjectKeyword(b->command, parameter))
        CmdCopy(keyword, object, sizeof keyword);
    else
        MQSCKeywordForm(e->field->keyword, FirstFormCommand(b->command) ? 0 : 1, keyword, sizeof keyword);
    int open = 0;
    if (keyword[0] && !(e->flags & PCFE_MQSCBARE)) {
        MQSCPuts(&b->t, keyword);
        if (e->field->type != PCFT_SHOWINT) {
            MQSCPut(&b->t, "(", 1);
            open = 1;
        }
    }
    Value(b, e, type, parameter, value, length, count);
    if (open)
        MQSCPut(&b->t, ")", 1);
    MQSCPut(&b->t, " ", 1);
}

int PCFBuildMQSC(DialogWords *dialog, const uint8_t *caps, const PCFCommandDef *dialogDef, MQSCPcf *state,
                 void **message, uint32_t *length)
{
    MQPP pp;
    MQLONG command = 0, cc = 0, rc = 0;
    PCFInitParse(&pp, *message, (int32_t)*length, &command, &cc, &rc);
    const PCFCommandDef *def = state->definition ? state->definition : dialogDef;
    if (cc || !def || !def->actions)
        return 1;
    const PCFActionDef *a = def->actions;
    while (a->id && !(a->command == (uint32_t)command && a->verb))
        a++;
    if (!a->id)
        return 1;
    BUILD b = {};
    b.t.text = (char *)CSGetMem(MQSC_TEXT_SIZE, "pMQSCMsg");
    if (!b.t.text)
        return 1;
    b.t.size = MQSC_TEXT_SIZE;
    b.t.text[0] = 0;
    b.caps = caps;
    b.def = def;
    b.dialogDef = dialogDef ? dialogDef : def;
    b.command = (uint32_t)command;
    MQSCPuts(&b.t, a->verb);
    MQSCPut(&b.t, " ", 1);
    for (;;) {
        MQLONG type, parameter, n, count;
        void *value;
        PCFGetNextParm(&pp, &type, &parameter, &value, &n, &count, &cc, &rc);
        if (cc)
            break;
        Parameter(&b, type, parameter, (const uint8_t *)value, n, count);
        if (b.failed)
            break;
    }
    if (!b.failed && cc && rc != PCF_RC_END_OF_PARMS)
        b.failed = 1;
    if (!b.failed && !strncmp(b.t.text, "DISPLAY", 7) && !b.listed && b.command != MQCMD_INQUIRE_SMDSCONN)
        MQSCPuts(&b.t, "ALL");
    if (!b.failed && !b.filtered && dialog && PCFWhereFilter(dialog, nullptr))
        DialogWhere(&b.t, WhereDefinition(def, b.dialogDef), dialog->first.caps, dialog);
    if (!b.failed && b.t.full)
        b.failed = MQRC_STORAGE_NOT_AVAILABLE;
    if (b.failed) {
        CSFreeMem(b.t.text);
        return b.failed;
    }
    CSFreeMem(*message);
    *message = b.t.text;
    *length = b.t.used;
    return 0;
}
