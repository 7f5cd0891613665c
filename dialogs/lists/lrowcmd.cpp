/* Commands built from the selected rows of a list dialog: one command per
 * row (PCFRowCommand) or one for all of them with list parameters
 * (BuildSelectionList); and a row's values copied into the fields of a dialog opened for it. */
#include "pcflists.h"
#include "../pcfint.h"

#include <cstdio>

#include "cs.h"
#include "cstext.h"
#include "mq/capability.h"
#include "mq/pcf.h"
#include "qms.h"

#define CHLAUTH_DELETE   10304
#define CHANNEL_TABLE    1526
#define CHANNEL_TYPE     1511
#define REGISTRATION     1081
#define CHLAUTH_TYPE     1352
#define ACTION_PARM      1086
#define CORREL_ID        3044
#define ENTITY_NAME      3068
#define ENTITY_TYPE      1118
#define GROUP_NAMES      3066
#define PRINCIPAL_NAMES  3065
#define APPL_GROUP       10188
#define SET_GROUP        10205
#define TARGET_Q         10045
#define TARGET_QM        10046
#define QUALIFIER        10051

/* ---- the selection ---- */

static PCFSELECTED SelectionSource = PCFShownSelected;

void PCFSetSelectionSource(PCFSELECTED source)
{
    SelectionSource = source ? source : PCFShownSelected;
}

PCFSELECTED PCFSelectionSource(void)
{
    return SelectionSource;
}

int PCFSelectedList(DialogWords *d, PCFROW **rows, int max)
{
    return SelectionSource(d, rows, max);
}

/* The selected rows in order: a few in place, more in a block tagged
 * "SELECTIONS" that the caller frees (Done). */
struct Selected {
    PCFROW *few[20];
    PCFROW **rows;
    int count;
};

static int ReadSelection(DialogWords *d, Selected *s)
{
    s->rows = s->few;
    s->count = PCFSelectedList(d, s->few, 20);
    if (s->count <= 20)
        return 1;
    s->rows = (PCFROW **)CSGetMem(sizeof *s->rows * (size_t)(s->count + 3), "SELECTIONS");
    if (!s->rows) {
        s->rows = s->few;
        return 0;
    }
    s->count = PCFSelectedList(d, s->rows, s->count);
    return 1;
}

static void Done(Selected *s)
{
    if (s->rows != s->few)
        CSFreeMem(s->rows);
}

/* ---- writing parameters ---- */

static void AddInt(MQPP *pp, int32_t id, int32_t v, MQLONG *cc, MQLONG *rc)
{
    if (!*cc)
        PCFAddParm(pp, MQCFT_INTEGER, id, &v, 4, 0, cc, rc);
}

static void AddString(MQPP *pp, int32_t id, const char *text, int32_t n, MQLONG *cc, MQLONG *rc)
{
    if (!*cc)
        PCFAddParm(pp, MQCFT_STRING, id, text, n, 0, cc, rc);
}

/* An MQCFBS: its length is the bytes plus 16, rounded up to 4, the
 * padding cleared. */
static void AddByteString(MQPP *pp, int32_t id, const uint8_t *bytes, int32_t n, MQLONG *cc, MQLONG *rc)
{
    if (*cc)
        return;
    int32_t length = (n + 19) & ~3;
    if (length > pp->size - pp->position) {
        PCFGrowArea(pp, length, cc, rc);
        if (*cc)
            return;
    }
    uint8_t *s = pp->message + pp->position;
    memset(s, 0, (size_t)length);
    Put32(s, MQCFT_BYTE_STRING);
    Put32(s + 4, length);
    Put32(s + 8, id);
    Put32(s + 12, n);
    memcpy(s + 16, bytes, (size_t)n);
    PCFHeader(pp)->ParameterCount++;
    pp->position += length;
}

/* Hex text into bytes (at most room); the byte count. */
static int32_t HexBytes(const char *hex, int n, uint8_t *out, int room)
{
    if (n / 2 > room)
        n = 2 * room;
    n &= ~1;
    if (UTHexToBytes(hex, n, out))
        return 0;
    return n / 2;
}

/* ---- which fields a command sends ---- */

/* The command-use row of a field for a command that the target takes. */
static const PCFCommandUse *UseFor(const PCFCommandDef *target, const PCFFieldDef *f, uint32_t command)
{
    for (const PCFCommandUse *u = f->uses; u && u->command; u++) {
        if (u->command != command)
            continue;
        if (((u->flags & 8) && !target->list) || ((u->flags & 16) && target->list))
            continue;
        return u;
    }
    return nullptr;
}

static int Sends(DialogWords *d, const PCFCommandDef *target, const PCFFieldEntry *e, uint32_t command,
                 const PCFActionDef *action, PCFLISTAREA *area, PCFROW *row, const uint8_t *caps)
{
    if (!PCFEntryCaps(caps, e))
        return 0;
    const PCFCommandUse *u = UseFor(target, e->field, command);
    if (!u)
        return 0;
    if (u->conditions && (action->flags & 0x2) &&
        !PCFFieldApplies(caps, d->stateFlags, target, area, row, nullptr, nullptr, u->conditions, nullptr))
        return 0;
    return 1;
}

/* ---- one command per row ---- */

struct RowCtx {
    DialogWords *d;
    const PCFActionDef *action;
    uint32_t command;
    PCFLISTAREA *area;
    PCFROW *row;
    PCFREQINFO *info;
    char *name;
    MQLONG cc, rc;
};

static void RowInteger(RowCtx *c, MQPP *pp, const PCFFieldEntry *e, const uint8_t *v)
{
    uint32_t id = e->field->attrId;
    int32_t value = PCFListInt(v);
    if (c->command == MQCMD_DELETE_CHANNEL && id == CHANNEL_TYPE) {
        if (value == 10)
            AddInt(pp, (int32_t)id, value, &c->cc, &c->rc);
        else
            AddInt(pp, CHANNEL_TABLE, value == MQCHT_CLNTCONN ? 2 : 1, &c->cc, &c->rc);
        return;
    }
    if (id == REGISTRATION && c->command == 62)
        value &= 0x190041;
    if (id == REGISTRATION && c->command == 61)
        value &= 0x41;
    AddInt(pp, (int32_t)id, value, &c->cc, &c->rc);
    if (id == CHLAUTH_TYPE && (c->action->id == 520 || c->action->id == 705))
        AddInt(pp, ACTION_PARM, 7, &c->cc, &c->rc);
}

static void RowString(RowCtx *c, MQPP *pp, const PCFFieldEntry *e, const uint8_t *v)
{
    uint32_t id = e->field->attrId;
    const char *text = (const char *)v + PCFLV_TEXT;
    int32_t n = PCFListLength(v);
    if (id == APPL_GROUP && c->command == SET_GROUP) {
        QMS *q = c->d->first.location;
        const char *group = q ? q->groupName : "";
        AddString(pp, (int32_t)id, group, (int32_t)strlen(group), &c->cc, &c->rc);
        return;
    }
    if (!n && (e->flags & 0x8))
        return;
    if (id == CORREL_ID) {
        if (n >= 48 && !UTHexToBytes(text, 48, c->info->correlId))
            c->info->flags |= PCFSEL_CORREL;
        return;
    }
    if (id == ENTITY_NAME && c->command == MQCMD_DELETE_AUTH_REC) {
        uint8_t *t = FindItemAttr(c->area, ENTITY_TYPE, c->row);
        int group = t && (PCFState(t) & PCFS_PRESENT) && PCFListInt(t) == 2;
        if (!c->cc && n)
            PCFAddParm(pp, MQCFT_STRING_LIST, group ? GROUP_NAMES : PRINCIPAL_NAMES, text, n, 1, &c->cc, &c->rc);
        return;
    }
    if (e->field->type == PCFT_NAME && c->name && !c->name[0])
        snprintf(c->name, 500, "%.*s", n > 499 ? 499 : n, text);
    AddString(pp, (int32_t)id, text, n, &c->cc, &c->rc);
}

/* One parameter of a row value by field type. */
static void RowParm(RowCtx *c, MQPP *pp, const PCFFieldEntry *e, const uint8_t *v)
{
    const PCFFieldDef *f = e->field;
    switch (f->type) {
    case 1: case 2: case 3: case 13: case 14: case 15: case 24:
        RowInteger(c, pp, e, v);
        return;
    case 4: case 5: case 25:
        RowString(c, pp, e, v);
        return;
    case 7: {
        uint8_t list[2048];
        uint32_t n = PCFMeasureList(f, v + PCFLV_TEXT, PCFListLength(v), list, sizeof list);
        if (!c->cc && n)
            PCFAddParm(pp, MQCFT_STRING_LIST, (int32_t)f->attrId, list + 24, Get32(list + 16) * Get32(list + 20),
                       Get32(list + 16), &c->cc, &c->rc);
        return;
    }
    case 8: {
        uint8_t bytes[1024];
        int32_t n = HexBytes((const char *)v + PCFLV_TEXT, PCFListLength(v), bytes, sizeof bytes);
        if (!c->cc)
            PCFAddParm(pp, PCF_BYTE_STRING, (int32_t)f->attrId, bytes, n, 0, &c->cc, &c->rc);
        return;
    }
    case 23: {
        uint8_t bytes[1024];
        int32_t n = HexBytes((const char *)v + PCFLV_TEXT, PCFListLength(v), bytes, sizeof bytes);
        AddByteString(pp, (int32_t)f->attrId, bytes, n, &c->cc, &c->rc);
        return;
    }
    }
}

int PCFRowCommand(DialogWords *d, QMS **location, PCFREQINFO *info, const PCFCommandDef *target,
                  const PCFActionDef *action, int32_t *cursor, uint8_t *out, uint32_t room, uint32_t *length,
                  char *name)
{
    *length = 0;
    if (info)
        memset(info, 0, sizeof *info);
    if (name)
        name[0] = 0;
    Selected sel;
    if (!ReadSelection(d, &sel)) {
        PCFStatus(d, "No Storage", 1);
        return 1;
    }
    int count = sel.count;
    int32_t next = *cursor < 0 ? 0 : *cursor + 1;
    if (next >= count) {
        *cursor = -2;
        Done(&sel);
        return 1;
    }
    *cursor = next + 1 < count ? next : -2;
    PCFROW *row = sel.rows[next];
    Done(&sel);
    PCFLISTAREA *area = PCFRowArea(d, row);
    PCFLISTREQ *r = row->request;
    int live = 0;
    for (PCFLISTREQ *x = PCFFirstList(d); x; x = PCFNextList(d, x))
        live |= x == r;
    if (!live || !area || !r->location)
        return 1;
    *location = r->location;
    const uint8_t *caps = r->caps ? r->caps : r->location->caps;
    uint32_t command = action->command;
    if (command == CHLAUTH_DELETE && !caps[19])
        command = MQCMD_SET_CHLAUTH_REC;
    PCFREQINFO none;
    RowCtx c = { d, action, command, area, row, info ? info : &none, name, 0, 0 };
    MQPP pp;
    void *buffer = out;
    PCFInitArea(&pp, &buffer, 0, (int32_t)room, 0, (int32_t)command, &c.cc, &c.rc);
    for (const PCFFieldEntry *e = target->fields; e && e->field && !c.cc; e++) {
        if (!Sends(d, target, e, action->command, action, area, row, caps))
            continue;
        uint8_t *v = FindItemAttr(area, e->field->attrId, row);
        if (v && (PCFState(v) & PCFS_PRESENT))
            RowParm(&c, &pp, e, v);
    }
    if (c.cc)
        return (int)c.rc;
    *length = (uint32_t)pp.position;
    return 0;
}

/* ---- one command for all rows ---- */

/* The list parameter of a column's attribute: every selected row's value. */
static int ListParm(MQPP *pp, DialogWords *d, const PCFFieldDef *f, PCFROW **rows, int count, MQLONG *cc, MQLONG *rc)
{
    int width = f->type == PCFT_HEX ? (f->maximum > 0 ? f->maximum : 1) : (f->maximum > 0 ? f->maximum : 48);
    int integers = PCFIsIntType(f->type) || f->type == PCFT_FLAGSET;
    size_t bytes = (size_t)count * (size_t)(integers ? 4 : width);
    uint8_t *values = (uint8_t *)CSGetMem(bytes ? bytes : 1, "SELVALUES");
    if (!values) {
        *cc = 2;
        *rc = MQRC_STORAGE_NOT_AVAILABLE;
        return 0;
    }
    memset(values, f->type == PCFT_HEX ? 0 : ' ', bytes);
    for (int i = 0; i < count; i++) {
        PCFLISTAREA *area = PCFRowArea(d, rows[i]);
        uint8_t *v = area ? FindItemAttr(area, f->attrId, rows[i]) : nullptr;
        if (!v || !(PCFState(v) & PCFS_PRESENT))
            continue;
        if (integers) {
            Put32(values + 4 * i, PCFListInt(v));
        } else if (f->type == PCFT_HEX) {
            HexBytes((const char *)v + PCFLV_TEXT, PCFListLength(v), values + (size_t)i * width, width);
        } else {
            int n = PCFListLength(v);
            memcpy(values + (size_t)i * width, v + PCFLV_TEXT, (size_t)(n < width ? n : width));
        }
    }
    if (integers)
        PCFAddParm(pp, MQCFT_INTEGER_LIST, (int32_t)f->attrId, values, 4 * count, 0, cc, rc);
    else
        PCFAddParm(pp, f->type == PCFT_HEX ? PCF_STRING_LIST : MQCFT_STRING_LIST, (int32_t)f->attrId, values,
                   width * count, count, cc, rc);
    CSFreeMem(values);
    return 1;
}

/* The last target queue and queue manager of a copy or move. */
static char LastTarget[2][50];

void PCFSetDropTarget(const char *queue, const char *qmgr)
{
    UTStrCopy(LastTarget[0], queue ? queue : "", sizeof LastTarget[0]);
    UTStrCopy(LastTarget[1], qmgr ? qmgr : "", sizeof LastTarget[1]);
}

/* 1 when a text holds nothing but blanks (an emptied field keeps one). */
static int AllBlank(const char *text)
{
    return text[strspn(text, " ")] == 0;
}

/* A parameter from the dialog's data area; 2110 for a type it cannot send. */
static int AreaParm(MQPP *pp, DialogWords *d, const PCFFieldEntry *e, MQLONG *cc, MQLONG *rc)
{
    const PCFFieldDef *f = e->field;
    uint8_t *r = d->dataArea && PCFStoresValue(e) ? d->dataArea + e->offset : nullptr;
    int present = r && (PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED));
    switch (f->type) {
    case 1: case 2: case 3: case 13: case 14: case 15:
        if (present)
            AddInt(pp, (int32_t)f->attrId, PCFRecInt(r), cc, rc);
        return 0;
    case 4: case 5: case 25: {
        const char *text = present ? PCFRecText(r) : "";
        if ((d->displayFlags & PCFDISP_DROP) && (f->attrId == TARGET_Q || f->attrId == TARGET_QM)) {
            char *last = LastTarget[f->attrId == TARGET_QM];
            if (*text)
                UTStrCopy(last, text, sizeof LastTarget[0]);
            text = last;
        }
        /* an empty object name, and a copy's or move's target queue
           manager left blank or emptied (the location's own), go as "*" */
        if ((!*text && f->type == PCFT_NAME) || (f->attrId == TARGET_QM && AllBlank(text)))
            text = "*";
        if (*text)
            AddString(pp, (int32_t)f->attrId, text, (int32_t)strlen(text), cc, rc);
        return 0;
    }
    case 8: case 9:
        if (present && !*cc)
            PCFAddParm(pp, PCF_BYTE_STRING, (int32_t)f->attrId, PCFRecBytes(r), (int32_t)PCFRecBytesLength(r), 0,
                       cc, rc);
        return 0;
    case 11:
        AddInt(pp, (int32_t)f->attrId, f->minimum, cc, rc);
        return 0;
    case 12: {
        int32_t v = f->minimum;
        if (!*cc)
            PCFAddParm(pp, MQCFT_INTEGER_LIST, (int32_t)f->attrId, &v, 4, 0, cc, rc);
        return 0;
    }
    }
    return 2110;
}

int BuildSelectionList(DialogWords *d, const PCFCommandDef *target, const PCFActionDef *action, uint8_t *out,
                       uint32_t room, uint32_t *length)
{
    *length = 0;
    Selected sel;
    if (!ReadSelection(d, &sel)) {
        PCFStatus(d, "No Storage", 1);
        return 1;
    }
    int count = sel.count;
    MQLONG cc = 0, rc = 0;
    MQPP pp;
    void *buffer = out;
    PCFInitArea(&pp, &buffer, 0, (int32_t)room, 0, (int32_t)action->command, &cc, &rc);
    const PCFLISTENTRY *columns = PCFDialogColumns(d);
    const uint8_t *caps = PCFDialogCaps(d);
    for (const PCFFieldEntry *e = target->fields; e && e->field && !cc; e++) {
        if (!PCFEntryCaps(caps, e) || !UseFor(target, e->field, action->command))
            continue;
        int column = -1;
        for (int i = 0; columns && columns[i].field && column < 0; i++)
            if (columns[i].field->attrId == e->field->attrId)
                column = i;
        if (column >= 0 && count > 0) {
            ListParm(&pp, d, columns[column].field, sel.rows, count, &cc, &rc);
        } else if (!(e->flags & PCFE_NOSTORE)) {
            int bad = AreaParm(&pp, d, e, &cc, &rc);
            if (bad) {
                Done(&sel);
                return bad;
            }
        }
    }
    Done(&sel);
    /* the view's selection mode; none chosen: each id checked at its
       position, so that a row whose message has gone acts on no other */
    uint32_t qualifier = d->viewOptions;
    if (!(qualifier & 0xF))
        qualifier |= 0x1;
    AddInt(&pp, QUALIFIER, (int32_t)qualifier, &cc, &rc);
    if (cc)
        return (int)rc;
    *length = (uint32_t)pp.position;
    return 0;
}

/* ---- a row into a dialog's fields ---- */

/* The target entry of a row value's attribute, with its alternatives. */
static PCFFieldEntry *TargetEntry(DialogWords *t, uint32_t attrId)
{
    const uint8_t *caps = PCFDialogCaps(t);
    PCFFieldEntry *fields = t->definition->fields;
    PCFFieldEntry *e = PCFFindField(t, caps, fields, attrId);
    if (e)
        return e;
    uint32_t other = attrId == MQCA_Q_MGR_NAME ? MQCA_REMOTE_Q_MGR_NAME : attrId == 0 ? ENTITY_NAME
                   : attrId == 10039 ? 10044 : 0;
    return other ? PCFFindField(t, caps, fields, other) : nullptr;
}

/* A value as the text a field takes; elements of lists one by one. */
static void StoreValue(DialogWords *t, PCFFieldEntry *e, const PCFLISTENTRY *column, const uint8_t *v)
{
    const PCFFieldDef *f = column->field;
    char text[1100];
    int32_t savedIndex = t->listIndex;
    switch (f->type) {
    case 1: case 15: case 16: case 24:
        snprintf(text, sizeof text, "%ld", (long)PCFListInt(v));
        break;
    case 2: case 3: case 13: case 14: {
        const PCFValueDef *row = PCFFindValue(f->values, PCFListInt(v));
        if (row && row->name && !*row->name)
            return;
        if (row && row->name)
            snprintf(text, sizeof text, "%s", row->name);
        else
            snprintf(text, sizeof text, "%ld", (long)PCFListInt(v));
        break;
    }
    case 7: case 19: {
        int n = PCFListLength(v);
        const char *items = (const char *)v + PCFLV_TEXT;
        t->listIndex = 32767;
        for (int i = 0, start = 0; f->type == 7 && i <= n; i++)
            if (i == n || items[i] == 5) {
                FieldHWNDData(t, 0, nullptr, 0, e, items + start, i - start, 1);
                start = i + 1;
            }
        for (int i = 0; f->type == 19 && i < n; i++) {
            const PCFValueDef *row = PCFFindValue(f->values, Get32(v + PCFLV_TEXT + 4 * i));
            snprintf(text, sizeof text, "%s", row && row->name ? row->name : "");
            if (!row)
                snprintf(text, sizeof text, "%ld", (long)Get32(v + PCFLV_TEXT + 4 * i));
            FieldHWNDData(t, 0, nullptr, 0, e, text, -1, 1);
        }
        t->listIndex = savedIndex;
        return;
    }
    case 22: {
        int n = PCFListLength(v), used = 0;
        text[0] = 0;
        for (int i = 0; i < n && used < (int)sizeof text - 16; i++)
            used += snprintf(text + used, sizeof text - (size_t)used, "%s%ld", i ? "," : "",
                             (long)Get32(v + PCFLV_TEXT + 4 * i));
        break;
    }
    case 32: case 36: {
        if (!PCFStoresValue(e) || !t->dataArea)
            return;
        uint8_t value16[16] = {};
        int64_t time = PCFPairTime(v);
        memcpy(value16, &time, 8);
        char pairText[101];
        snprintf(pairText, sizeof pairText, "%.*s", PCFListLength(v), (const char *)v + 36);
        PCFSetPairValue(t->dataArea, e, pairText, value16);
        PCFSetState(t->dataArea + e->offset, PCFState(t->dataArea + e->offset) | PCFS_SPECIFIED);
        return;
    }
    default: {
        int n = PCFListLength(v);
        snprintf(text, sizeof text, "%.*s", n > 1000 ? 1000 : n, (const char *)v + PCFLV_TEXT);
        break;
    }
    }
    FieldHWNDData(t, 0, nullptr, 0, e, text, -1, 0);
}

void PCFFieldsFromRow(DialogWords *t, int several, int firstRow, PCFLISTAREA *area, PCFROW *row, int sideB,
                      int markListed, int onlySpecified)
{
    if (!t || !t->definition || !area || !row)
        return;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
    int past = !sideB;
    for (int i = 0; parts.columns[i].field; i++) {
        const PCFLISTENTRY *column = &parts.columns[i];
        uint8_t *next = PCFNextValue(v, column->field);
        if (!past) {
            past = column->field->type == PCFT_BAR;
            v = next;
            continue;
        }
        PCFFieldEntry *e = TargetEntry(t, column->field->attrId);
        int wanted = e && (PCFState(v) & PCFS_PRESENT) && (!onlySpecified || (PCFState(v) & PCFS_SPECIFIED));
        if (wanted && several)
            wanted = (e->flags & 0x8000) || (firstRow ? !(e->flags & PCFE_NOTMULTI) : (e->flags & PCFE_MULTIONLY));
        if (wanted) {
            StoreValue(t, e, column, v);
            if (markListed && t->dataArea && PCFStoresValue(e)) {
                uint8_t *r = t->dataArea + e->offset;
                PCFSetState(r, (uint16_t)((PCFState(r) & ~(PCFS_PRESENT | PCFS_NAMECHG)) | PCFS_RECEIVED));
            }
        }
        v = next;
    }
}
