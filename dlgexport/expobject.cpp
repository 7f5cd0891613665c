/* Objects of the export: a list row copied into a data area of its
 * object's definition, and one object written as MQSC commands, as XML,
 * or field by field as text or CSV. */
#include "expint.h"

#include <cstdlib>
#include <cstring>

#include "cs.h"

#define QUEUE_TYPE 20                  /* MQIA_Q_TYPE */
#define TOPIC_TYPE 208                 /* MQIA_TOPIC_TYPE */
#define TOPIC_STRING 2094              /* MQCA_TOPIC_STRING */
#define CHANNEL_TYPE 1511              /* MQIACH_CHANNEL_TYPE */
#define INSTANCE_TYPE 1523

/* ---- a row into a data area ------------------------------------------------ */

static void StoreStrings(PCFFieldEntry *e, uint8_t *rec, const char *text, uint32_t n)
{
    int count = n ? 1 : 0;
    for (uint32_t i = 0; i < n; i++)
        count += text[i] == 5;
    int max = e->field->maximum > 0 ? e->field->maximum : 1;
    PCFSTRLIST *l = PCFNewStrList(count ? count : 1, max, "EXPORT PCFSTRLHDR");
    if (!l)
        return;
    int item = 0, at = 0;
    for (uint32_t i = 0; i < n; i++) {
        if (text[i] == 5) {
            item++;
            at = 0;
        } else if (at < max) {
            PCFStrListItem(l, max, item)[at++] = text[i];
        }
    }
    l->count = (int16_t)count;
    PCFSetRecPtr(rec, l);
    PCFSetState(rec, PCFS_PRESENT);
}

static void StoreInts(uint8_t *rec, const uint8_t *items, int count)
{
    PCFINTLIST *l = PCFNewIntList(count ? count : 1, "EXPORT PCFINTLHDR");
    if (!l)
        return;
    for (int i = 0; i < count; i++)
        PCFIntListItems(l)[i] = Get32(items + 4 * i);
    l->count = (int16_t)count;
    PCFSetRecPtr(rec, l);
    PCFSetState(rec, PCFS_PRESENT);
}

static int IsIntColumn(int type)
{
    switch (type) {
    case PCFT_INT: case PCFT_NUMBER: case PCFT_SHOWINT: case PCFT_FLAGSET: case PCFT_SIGNED:
    case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14:
        return 1;
    }
    return 0;
}

/* Entries whose store changes only the state and the integer of the
 * record (StoreInteger and StoreEnum). */
static int IsIntEntry(int type)
{
    switch (type) {
    case PCFT_INT: case PCFT_NUMBER:
    case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14:
        return 1;
    }
    return 0;
}

static void CopyValue(EXPCTX *c, PCFFieldEntry *e, const PCFFieldDef *col, const uint8_t *v);

/* An integer column into an integer entry: the text a value becomes and
 * its store depend on the value and the record before alone, so the
 * record the store made is remembered and made again for the same value
 * found before the same record. */
static void CopyIntValue(EXPCTX *c, int column, PCFFieldEntry *e, const PCFFieldDef *col,
                         const uint8_t *v)
{
    uint8_t *rec = c->work + e->offset;
    int32_t value = PCFListInt(v);
    EXPMEMO *m = c->memo[column];
    uint8_t before[6];
    memcpy(before, rec, sizeof before);
    for (int k = 0; k < EXP_MEMO; k++)
        if (m[k].used && m[k].value == value && !memcmp(m[k].before, before, sizeof before)) {
            memcpy(rec, m[k].record, sizeof m[k].record);
            return;
        }
    CopyValue(c, e, col, v);
    EXPMEMO *slot = &m[c->memoNext[column]++ % EXP_MEMO];
    slot->used = 1;
    slot->value = value;
    memcpy(slot->before, before, sizeof before);
    memcpy(slot->record, rec, sizeof slot->record);
}

/* One list value into the data area's entry. */
static void CopyValue(EXPCTX *c, PCFFieldEntry *e, const PCFFieldDef *col, const uint8_t *v)
{
    uint8_t *rec = c->work + e->offset;
    int type = e->field->type;
    char text[EXP_VALUE + 16];
    if (type == PCFT_STRLIST || type == PCFT_MULTISTR) {
        if (PCFEmptyValueLength(col->type) == 12 && !PCFRecPtr(rec))
            StoreStrings(e, rec, (const char *)v + PCFLV_TEXT, PCFListLength(v));
        return;
    }
    if (type == PCFT_ENUMLIST || type == PCFT_INTLIST || type == PCFT_FLAGSET) {
        if (PCFRecPtr(rec))
            return;
        if (col->type == PCFT_ENUMLIST || col->type == PCFT_INTLIST)
            StoreInts(rec, v + PCFLV_TEXT, PCFListLength(v));
        else if (PCFEmptyValueLength(col->type) == 14)
            StoreInts(rec, v + PCFLV_INT, 1);
        return;
    }
    const char *t = text;
    int n = -1;
    switch (col->type) {
    case PCFT_INT: case PCFT_NUMBER: case PCFT_SHOWINT: case PCFT_FLAGSET:
        n = ExpDecimal(PCFListInt(v), 1, text);
        break;
    case PCFT_SIGNED:
        n = ExpDecimal(PCFListInt(v), 0, text);
        break;
    case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14: {
        const PCFValueDef *row = PCFFindValue(col->values, PCFListInt(v));
        if (row)
            t = row->name;
        else
            n = ExpDecimal(PCFListInt(v), 0, text);
        break;
    }
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRING25: case PCFT_HEX: case PCFT_BYTES:
    case PCFT_WIDEHEX:
        t = (const char *)v + PCFLV_TEXT;
        n = PCFListLength(v);
        break;
    default:
        return;
    }
    PCFStoreText(c->objectDef, c->work, e, t, n, nullptr, 0);    /* its message is not shown */
}

/* The entry of the object that takes each column of an area, found once
 * per area. */
static void MapColumns(EXPCTX *c, PCFLISTAREA *area, const PCFLISTPARTS *parts)
{
    if (c->mappedArea == area)
        return;
    c->mappedArea = area;
    memset(c->memo, 0, sizeof c->memo);
    for (int i = 0; i < area->columns && i < EXP_MAX_COLUMNS && parts->columns[i].field; i++) {
        PCFFieldEntry *e = PCFFindField(nullptr, c->caps, c->objectDef->fields, parts->columns[i].field->attrId);
        c->mapped[i] = e && PCFStoresValue(e) ? e : nullptr;
    }
}

void ExpRowToArea(EXPCTX *c, PCFLISTAREA *area, PCFROW *row)
{
    PCFCommandDef *def = c->objectDef;
    PCFFreeData(def, c->work, 0);
    PCFInitData(def, c->work, nullptr, 0, 0, 0);
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    MapColumns(c, area, &parts);
    uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; i < area->columns && i < EXP_MAX_COLUMNS && parts.columns[i].field; i++) {
        const PCFFieldDef *col = parts.columns[i].field;
        PCFFieldEntry *e = c->mapped[i];
        if (e && (PCFState(v) & PCFS_PRESENT)) {
            if (IsIntColumn(col->type) && IsIntEntry(e->field->type))
                CopyIntValue(c, i, e, col, v);
            else
                CopyValue(c, e, col, v);
        }
        v = PCFNextValue(v, col);
    }
}

const char *ExpRowName(PCFLISTAREA *area, PCFROW *row, const PCFCommandDef *def, char *buffer,
                       size_t size)
{
    buffer[0] = 0;
    uint32_t id = PCFNameFieldId(def);
    uint8_t *v = id ? FindItemAttr(area, id, row) : nullptr;
    if (v && (PCFState(v) & PCFS_PRESENT) && size) {
        size_t n = strnlen((const char *)v + PCFLV_TEXT, PCFListLength(v));
        n = n < size - 1 ? n : size - 1;
        memcpy(buffer, v + PCFLV_TEXT, n);
        buffer[n] = 0;
    }
    return buffer;
}

const char *ExpAreaName(PCFCommandDef *def, uint8_t *area)
{
    PCFFieldEntry *e = PCFFindNameField(def->fields);
    if (!e || !PCFStoresValue(e) || !PCFIsTextType(e->field->type))
        return "";
    uint8_t *r = area + e->offset;
    return (PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED)) ? PCFRecText(r) : "";
}

/* ---- which fields are written ----------------------------------------------------- */

/* The command an MQSC export writes for a definition, 0 for none. */
static uint32_t WritingCommand(const PCFCommandDef *def)
{
    if (def->mqscObject && !strcmp(def->mqscObject, "QUEUE"))
        return 11;                     /* MQCMD_CREATE_Q */
    if (def->mqscObject && !strcmp(def->mqscObject, "QMGR"))
        return 1;                      /* MQCMD_CHANGE_Q_MGR */
    return 0;
}

static const char *LastKeyword(const PCFFieldDef *f, char *out, size_t size)
{
    if (f->attrId == INSTANCE_TYPE && (!f->keyword || !*f->keyword))
        return strcpy(out, "INSTANCE");
    const char *kw = f->keyword ? f->keyword : "";
    const char *slash = strrchr(kw, '/');
    snprintf(out, size, "%s", slash ? slash + 1 : kw);
    return out;
}

/* The field's row of the command-use list, or null. */
static const PCFCommandUse *UseOf(const PCFFieldDef *f, uint32_t command)
{
    for (const PCFCommandUse *u = f->uses; u && u->command; u++)
        if (u->command == command)
            return u;
    return nullptr;
}

static int HasValue(const uint8_t *area, const PCFFieldEntry *e)
{
    uint8_t *r = (uint8_t *)area + e->offset;
    if (!(PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED)))
        return 0;
    if (PCFIsAttachedType(e->field->type)) {
        void *block = PCFRecPtr(r);
        if (!block)
            return 0;
        if (e->field->type == PCFT_STRLIST || e->field->type == PCFT_MULTISTR)
            return ((PCFSTRLIST *)block)->count > 0;
        return ((PCFINTLIST *)block)->count > 0;
    }
    return 1;
}

/* 1 when the entry is one the export writes at all. */
static int Exportable(const PCFFieldEntry *e, int objectType)
{
    const PCFFieldDef *f = e->field;
    if ((e->flags & (PCFE_NOEXPORT | PCFE_NOSTORE)) || !PCFStoresValue(e) ||
        f->type == PCFT_HEADING || f->type == PCFT_SHOWONLY)
        return 0;
    if (f->type == PCFT_NAME && (e->flags & PCFE_KEY))
        return 0;                      /* the object's name is in its first line */
    return !(objectType && f->attrId == QUEUE_TYPE);
}

/* The MQSC filters of an entry: 1 when written (a debug line says why not). */
static int MqscWanted(EXPCTX *c, PCFCommandDef *def, uint8_t *area, const PCFFieldEntry *e,
                      uint32_t command)
{
    const PCFFieldDef *f = e->field;
    if ((e->flags & PCFE_SHOWONLY) && f->attrId != CHANNEL_TYPE) {
        ExpDebug(c, "  Field is read only");
        return 0;
    }
    if (f->attrId == TOPIC_TYPE && getenv("RAVOLT_NO_TOPIC_TYPE"))
        return 0;
    const PCFCommandUse *u = UseOf(f, command);
    if (!u || ((u->flags & 8) && !def->list) ||
        (u->conditions && !PCFFieldApplies(c->caps, 0, def, nullptr, nullptr, area, nullptr,
                                           u->conditions, nullptr))) {
        ExpDebug(c, "  Field is not required for this command");
        return 0;
    }
    if (!PCFFieldApplies(c->caps, 0, def, nullptr, nullptr, area, e, nullptr, nullptr)) {
        ExpDebug(c, "  Field is dependant on other fields");
        return 0;
    }
    return 1;
}

/* The element count of an entry's value (1 for a single value). */
static int Elements(const uint8_t *area, const PCFFieldEntry *e)
{
    uint8_t *r = (uint8_t *)area + e->offset;
    switch (e->field->type) {
    case PCFT_STRLIST: case PCFT_MULTISTR: {
        PCFSTRLIST *l = PCFRecStrList(r);
        return l ? l->count : 0;
    }
    case PCFT_ENUMLIST: case PCFT_FLAGSET: {
        PCFINTLIST *l = PCFRecIntList(r);
        return l ? l->count : 0;
    }
    }
    return 1;                          /* integer lists are written whole */
}

static void DebugField(EXPCTX *c, const PCFFieldEntry *e, const char *value)
{
    if (value)
        ExpDebug(c, "  Field '%-25.25s' ID:%5d Offset:%5d Value '%.*s' ", e->field->title,
                 (int)e->field->attrId, (int)e->offset, 200, value);
    else
        ExpDebug(c, "  Field '%-25.25s' ID:%5d Offset:%5d", e->field->title,
                 (int)e->field->attrId, (int)e->offset);
}

/* ---- MQSC ------------------------------------------------------------------------- */

/* A name in single quotes, inner quotes doubled. */
static void Quote(const char *name, char *out, size_t size)
{
    size_t n = 0;
    if (size < 3)
        return;
    out[n++] = '\'';
    for (const char *p = name; *p && n + 3 < size; p++) {
        if (*p == '\'')
            out[n++] = '\'';
        out[n++] = *p;
    }
    out[n++] = '\'';
    out[n] = 0;
}

/* The MQSC lines of one object, built in the run's buffer line by line. */
struct MqscOut {
    EXPCTX *c;
    char *line;
    size_t used;
};

static void AppendN(MqscOut *o, const char *text, size_t n)
{
    if (o->used >= EXP_BUFFER - 1)
        return;
    if (n > EXP_BUFFER - 1 - o->used)
        n = EXP_BUFFER - 1 - o->used;
    memcpy(o->line + o->used, text, n);
    o->used += n;
    o->line[o->used] = 0;
}

static void Append(MqscOut *o, const char *text)
{
    AppendN(o, text, strlen(text));
}

/* Ends the line being built with "  +" and starts the next. */
static void Continue(MqscOut *o)
{
    AppendN(o, "  +", 3);
    ExpLineN(o->c, o->line, o->used, 1);
    o->used = 0;
    o->line[0] = 0;
}

/* A text in single quotes, inner quotes doubled, as PCFExportValueText
 * quotes it into a buffer of size bytes. */
static const char *QuotedText(const char *text, size_t n, char *buffer, int size)
{
    int used = 0;
    buffer[used++] = '\'';
    for (size_t i = 0; i < n && used < size - 2; i++) {
        if (text[i] == '\'')
            buffer[used++] = '\'';
        buffer[used++] = text[i];
    }
    if (used < size - 1)
        buffer[used++] = '\'';
    buffer[used] = 0;
    return buffer;
}

const char *ExpValueText(const uint8_t *area, const PCFFieldEntry *e, int i, char *buffer,
                              int size)
{
    const PCFFieldDef *f = e->field;
    const uint8_t *r = area + e->offset;
    switch (f->type) {
    case PCFT_INT: case PCFT_SHOWINT:
        ExpDecimal(PCFRecInt(r), 1, buffer);
        return buffer;
    case PCFT_NUMBER:
        ExpDecimal(PCFRecInt(r), 0, buffer);
        return buffer;
    case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14: {
        const PCFValueDef *row = PCFFindValue(f->values, PCFRecInt(r));
        if (row && row->keyword && *row->keyword != '!') {
            size_t n = strlen(row->keyword);
            if (n < (size_t)size)
                return (const char *)memcpy(buffer, row->keyword, n + 1);
            break;
        }
        ExpDecimal(PCFRecInt(r), 0, buffer);
        return buffer;
    }
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRING25: {
        const char *t = PCFRecText((uint8_t *)r);
        return *t ? QuotedText(t, strlen(t), buffer, size) : QuotedText(" ", 1, buffer, size);
    }
    }
    return PCFExportValueText(area, e, i, 1, 1, buffer, size);
}

/* The value text of element i, or the empty value of a field without one. */
static const char *ValueText(const uint8_t *area, const PCFFieldEntry *e, int i, int has, int quote,
                             char *buffer, int size)
{
    if (has)
        return quote ? ExpValueText(area, e, i, buffer, size)
                     : PCFExportValueText(area, e, i, quote, 1, buffer, size);
    int type = e->field->type;
    if ((type >= PCFT_STRING && type <= PCFT_HEX) || type == PCFT_STRING25)
        return quote ? (e->field->attrId == TOPIC_STRING ? "''" : "' '") : "";
    return "";
}

/* The lines of one attribute; 0 when a value can not be carried (the
 * object is then left out). */
static int MqscField(MqscOut *o, const uint8_t *area, const PCFFieldEntry *e, const char *keyword,
                     int has)
{
    static const char blanks[] = "       ";
    char value[EXP_VALUE * 4];
    size_t kwlen = strlen(keyword);
    int count = has ? Elements(area, e) : 1;
    for (int i = 0; i < count; i++) {
        const char *v = ValueText(area, e, i, has, 1, value, sizeof value);
        long carried = ExpMqscLength(v);
        if (carried < 0)
            return 0;
        size_t vn = (size_t)carried;
        if (i == 0 && o->c->debug)
            DebugField(o->c, e, v);
        Continue(o);
        if (e->flags & PCFE_MQSCBARE) {
            AppendN(o, blanks, 7);
            AppendN(o, v, vn);
            return 1;
        }
        if (i == 0) {
            AppendN(o, blanks, 7);
            AppendN(o, keyword, kwlen);
            AppendN(o, "(", 1);
        } else {
            for (size_t k = 0; k < 7 + kwlen; k++)
                AppendN(o, " ", 1);
            AppendN(o, ",", 1);
        }
        AppendN(o, v, vn);
    }
    AppendN(o, ")", 1);
    return 1;
}

/* The queue type keyword of a queue's area ("QLOCAL"), or null. */
static const char *QueueKeyword(EXPCTX *c, PCFCommandDef *def, uint8_t *area)
{
    PCFFieldEntry *e = PCFFindField(nullptr, c->caps, def->fields, QUEUE_TYPE);
    if (!e)
        return nullptr;
    const PCFValueDef *row = PCFFindValue(e->field->values, PCFRecInt(area + e->offset));
    return row ? row->keyword : nullptr;
}

/* What MqscWanted decides of an entry before any value is known: made
 * once per definition and command of a run. */
static void PlanField(EXPCTX *c, PCFCommandDef *def, const PCFFieldEntry *e, uint32_t command,
                      EXPFIELD *p)
{
    const PCFFieldDef *f = e->field;
    memset(p, 0, sizeof *p);
    if (!Exportable(e, command == 11)) {
        p->skip = EXPSKIP_QUIET;
        return;
    }
    if ((e->flags & PCFE_SHOWONLY) && f->attrId != CHANNEL_TYPE) {
        p->skip = EXPSKIP_READONLY;
        return;
    }
    if (f->attrId == TOPIC_TYPE && getenv("RAVOLT_NO_TOPIC_TYPE")) {
        p->skip = EXPSKIP_QUIET;
        return;
    }
    p->use = UseOf(f, command);
    if (!p->use || ((p->use->flags & 8) && !def->list)) {
        p->skip = EXPSKIP_UNUSED;
        return;
    }
    p->useConditions = p->use->conditions != nullptr;
    p->entryConditions = e->conditions && e->conditions->attrId;
    /* PCFFieldApplies of the entry without its conditions */
    PCFFieldEntry bare = *e;
    bare.conditions = nullptr;
    p->staticFails = !PCFFieldApplies(c->caps, 0, def, nullptr, nullptr, nullptr, &bare, nullptr,
                                      nullptr);
    LastKeyword(f, p->keyword, sizeof p->keyword);
}

/* The plan of a definition's entries for the command (made when first
 * asked); null when there is no memory for it. */
static EXPFIELD *Plan(EXPCTX *c, PCFCommandDef *def, uint32_t command)
{
    if (c->noPlan)
        return nullptr;
    if (c->plan && c->planDef == def && c->planCommand == command)
        return c->plan;
    if (c->plan)
        CSFreeMem(c->plan);
    c->planDef = nullptr;
    size_t n = 0;
    for (PCFFieldEntry *e = def->fields; e && e->field; e++)
        n++;
    c->plan = (EXPFIELD *)CSGetMem((n ? n : 1) * sizeof(EXPFIELD), "EXPORT");
    if (!c->plan)
        return nullptr;
    for (size_t i = 0; i < n; i++)
        PlanField(c, def, &def->fields[i], command, &c->plan[i]);
    c->planDef = def;
    c->planCommand = command;
    return c->plan;
}

/* The condition rows of one object already tested: the fields share a
 * few lists of rows, each tested once per object. */
#define EXP_TESTED 32
struct TESTED {
    const PCFDependency *rows[EXP_TESTED];
    uint8_t applies[EXP_TESTED];
    int count;
};

static int Applies(EXPCTX *c, PCFCommandDef *def, uint8_t *area, const PCFDependency *rows,
                   TESTED *t)
{
    for (int i = 0; i < t->count; i++)
        if (t->rows[i] == rows)
            return t->applies[i];
    int applies = PCFFieldApplies(c->caps, 0, def, nullptr, nullptr, area, nullptr, rows, nullptr);
    if (t->count < EXP_TESTED) {
        t->rows[t->count] = rows;
        t->applies[t->count++] = (uint8_t)applies;
    }
    return applies;
}

/* The MQSC filters of an entry by its plan: 1 when written (a debug line
 * says why not, as MqscWanted does).  The entry's own rows are tested as
 * PCFFieldApplies tests them once its other checks (the plan's) passed. */
static int PlannedWanted(EXPCTX *c, PCFCommandDef *def, uint8_t *area, const PCFFieldEntry *e,
                         const EXPFIELD *p, TESTED *t)
{
    if (p->skip) {
        if (c->debug && p->skip == EXPSKIP_READONLY)
            ExpDebug(c, "  Field is read only");
        if (c->debug && p->skip == EXPSKIP_UNUSED)
            ExpDebug(c, "  Field is not required for this command");
        return 0;
    }
    if (p->useConditions && !Applies(c, def, area, p->use->conditions, t)) {
        ExpDebug(c, "  Field is not required for this command");
        return 0;
    }
    if (p->staticFails || (p->entryConditions && !Applies(c, def, area, e->conditions, t))) {
        ExpDebug(c, "  Field is dependant on other fields");
        return 0;
    }
    return 1;
}

/* 1 when every value text of an entry (each element of a list) can be
 * carried. */
static int Carried(const uint8_t *area, const PCFFieldEntry *e, int has, int xml)
{
    char value[EXP_VALUE * 4];
    int count = has ? Elements(area, e) : 1;
    for (int i = 0; i < count; i++)
        if (ExpUncarried(xml ? PCFExportValueText(area, e, i, 0, 1, value, sizeof value)
                             : ValueText(area, e, i, has, 1, value, sizeof value), xml))
            return 0;
    return 1;
}

/* The attribute lines of an object, or (o null) only whether each value
 * written can be carried: 0 when one can not (the lines stop there). */
static int MqscFields(EXPCTX *c, MqscOut *o, PCFCommandDef *def, uint8_t *area, uint32_t command,
                      int compared)
{
    EXPFIELD *plan = Plan(c, def, command);
    char keyword[64];
    int index = 0;
    TESTED tested;
    tested.count = 0;
    for (PCFFieldEntry *e = def->fields; e && e->field; e++, index++) {
        const EXPFIELD *p = plan ? &plan[index] : nullptr;
        if (p ? p->skip == EXPSKIP_QUIET : !Exportable(e, command == 11))
            continue;
        if (p ? !PlannedWanted(c, def, area, e, p, &tested) : !MqscWanted(c, def, area, e, command))
            continue;
        if (compared && !(PCFState(area + e->offset) & PCFS_AREADIFF))
            continue;
        int has = HasValue(area, e);
        const PCFCommandUse *u = p ? p->use : UseOf(e->field, command);
        if (!has && !(u && (u->flags & 1)) && !compared) {
            ExpDebug(c, "  Field has NULL value");
            continue;
        }
        if (!o) {
            if (!Carried(area, e, has, 0))
                return 0;
            continue;
        }
        if (!MqscField(o, area, e, p ? p->keyword : LastKeyword(e->field, keyword, sizeof keyword), has))
            return 0;
    }
    return 1;
}

/* Whether an object's values can all be written, looked at before
 * anything of it is (when its lines can not be held back): a value never
 * ends a command line. */
static int MqscCarried(EXPCTX *c, PCFCommandDef *def, uint8_t *area, uint32_t command, int compared)
{
    int debug = c->debug;
    c->debug = 0;                      /* the writing tells why a field is left out */
    int carried = MqscFields(c, nullptr, def, area, command, compared);
    c->debug = debug;
    return carried;
}

static int WriteMqsc(EXPCTX *c, PCFCommandDef *def, uint8_t *area, const char *name, int compared)
{
    uint32_t command = WritingCommand(def);
    if (!command) {
        snprintf(c->run->message, sizeof c->run->message, "Sorry, this object type is not supported");
        return -1;
    }
    const char *typeKeyword = command == 11 ? QueueKeyword(c, def, area) : nullptr;
    if (command == 11 && (!typeKeyword || !strcmp(typeKeyword, "QCLUSTER")))
        return 0;
    /* the object's lines are held until every value is known to be
       carried, each value formatted once; without a block to hold them
       the values are looked at first */
    if (ExpUncarried(name, 0) || (!ExpHold(c) && !MqscCarried(c, def, area, command, compared))) {
        ExpLeftOut(c, name);
        return 0;
    }
    MqscOut o = { c, c->buffer, 0 };
    char quoted[2 * 50 + 4];
    Quote(name, quoted, sizeof quoted);
    o.line[0] = 0;
    if (command == 1) {
        Append(&o, "ALTER  ");
        Append(&o, def->mqscObject);
    } else {
        Append(&o, "DEFINE ");
        Append(&o, typeKeyword);
        Append(&o, "(");
        Append(&o, quoted);
        Append(&o, ")");
    }
    int carried = MqscFields(c, &o, def, area, command, compared);
    if (carried && command != 1) {
        Continue(&o);
        Append(&o, "       REPLACE");
    }
    if (carried)
        ExpLineN(c, o.line, o.used, 1);
    if (ExpRelease(c, carried) < 0 && !carried) {
        snprintf(c->run->message, sizeof c->run->message, "No storage");
        return -1;
    }
    if (!carried)
        ExpLeftOut(c, name);
    return carried;
}

/* ---- XML -------------------------------------------------------------------------- */

/* The entries an XML object element holds: 1 when the entry is written. */
static int XmlWritten(const uint8_t *area, const PCFFieldEntry *e, const PCFFieldEntry *nameField,
                      int queue, int compared, char *keyword, size_t size)
{
    if (!Exportable(e, queue) || e == nameField || !HasValue(area, e))
        return 0;
    if (compared && !(PCFState(area + e->offset) & PCFS_AREADIFF))
        return 0;
    return *LastKeyword(e->field, keyword, size) != 0;
}

static int WriteXml(EXPCTX *c, PCFCommandDef *def, uint8_t *area, const char *name, int compared)
{
    int queue = WritingCommand(def) == 11;
    const char *tag = queue ? QueueKeyword(c, def, area)
                            : def->mqscObject && *def->mqscObject ? def->mqscObject : "OBJECT";
    if (!tag || (queue && !strcmp(tag, "QCLUSTER")))
        return 0;
    int qmgr = def->mqscObject && !strcmp(def->mqscObject, "QMGR");
    char escaped[EXP_VALUE * 6], value[EXP_VALUE * 4], keyword[64];
    PCFFieldEntry *nameField = PCFFindNameField(def->fields);
    int carried = !ExpUncarried(name, 1);
    for (PCFFieldEntry *e = def->fields; carried && e && e->field; e++)
        if (XmlWritten(area, e, nameField, queue, compared, keyword, sizeof keyword))
            carried = Carried(area, e, 1, 1);
    if (!carried) {
        ExpLeftOut(c, name);
        return 0;
    }
    ExpXmlEscape(name, 1, escaped, sizeof escaped);
    snprintf(c->buffer, EXP_BUFFER, "<%s %s'%s'>", tag, qmgr ? "QMname=" : "Name=", escaped);
    ExpLine(c, c->buffer, 1);
    for (PCFFieldEntry *e = def->fields; e && e->field; e++) {
        if (!XmlWritten(area, e, nameField, queue, compared, keyword, sizeof keyword))
            continue;
        char *line = c->buffer;
        snprintf(line, EXP_BUFFER, "<%s>", keyword);
        int count = Elements(area, e);
        for (int i = 0; i < count; i++) {
            const char *v = PCFExportValueText(area, e, i, 0, 1, value, sizeof value);
            ExpXmlEscape(v[strspn(v, " ")] ? v : "", 0, escaped, sizeof escaped);
            size_t n = strlen(line);
            snprintf(line + n, EXP_BUFFER - n, "%s%s", i ? ";" : "", escaped);
        }
        size_t n = strlen(line);
        snprintf(line + n, EXP_BUFFER - n, "</%s>", keyword);
        ExpLine(c, line, 1);
    }
    snprintf(c->buffer, EXP_BUFFER, "</%s>", tag);
    ExpLine(c, c->buffer, 1);
    return 1;
}

/* ---- text and CSV of one object ------------------------------------------------------ */

static int WriteFields(EXPCTX *c, PCFCommandDef *def, uint8_t *area)
{
    int longest = 0, csv = c->run->type == EXP_CSV;
    for (PCFFieldEntry *e = def->fields; e && e->field; e++)
        if (Exportable(e, 0) && e->field->title && (int)strlen(e->field->title) > longest)
            longest = (int)strlen(e->field->title);
    char value[EXP_VALUE], cell[2 * EXP_VALUE + 4];
    for (PCFFieldEntry *e = def->fields; e && e->field; e++) {
        if (!Exportable(e, 0))
            continue;
        const char *title = e->field->title ? e->field->title : "";
        int count = HasValue(area, e) ? Elements(area, e) : 1;
        for (int i = 0; i < (count ? count : 1); i++) {
            const char *v = PCFValueText(area, e, i, value, sizeof value, 1);
            if (csv) {
                if (i)
                    break;
                ExpCsvValue(v, c->separator, (e->flags & PCFE_LEADBLANKS) != 0, cell, sizeof cell);
                snprintf(c->buffer, EXP_BUFFER, "%s%c%s", title, c->separator, cell);
            } else {
                snprintf(c->buffer, EXP_BUFFER, "%-*s%s", longest + 1, i ? "     +" : title,
                         *v ? v : "<none>");
            }
            ExpLine(c, c->buffer, 1);
        }
    }
    return 1;
}

int ExpWriteObject(EXPCTX *c, PCFCommandDef *def, uint8_t *area, const char *name, int compared)
{
    ExpDebug(c, "Exporting '%s' - Export Type %d - Export Qualifier %d", name, c->run->type,
             c->run->selection);
    switch (c->run->type) {
    case EXP_MQSC: return WriteMqsc(c, def, area, name, compared);
    case EXP_XML: return WriteXml(c, def, area, name, compared);
    case EXP_TEXT: case EXP_CSV: return WriteFields(c, def, area);
    }
    snprintf(c->run->message, sizeof c->run->message, "Sorry, this object type is not supported");
    return -1;
}
