/* Binding a program's variables to a list row before it is evaluated:
 * field variables to the row's value records (their columns found once
 * per list area), user-variable columns by their pseudo field, system
 * texts to the row's location, and "%" user variables completed from the
 * row into variables of their own; the user variables themselves. */
#include "fltint.h"

#include <cstdio>

#include "qms.h"

/* ---- user variables ---------------------------------------------------- */

int FltUserVarType(const char *name)
{
    if (name[0] != '@')
        return 0;
    if (name[1] == '$')
        return name[2] ? FLT_STRING : 0;
    if (name[1] == '@')
        return name[2] ? FLT_REAL : 0;
    return name[1] ? FLT_INT : 0;
}

FLTUSERVAR *FltUserVar(FilterEvalContext *ctx, const char *name)
{
    CSTREE *found = CSTreeFind(ctx->userVars, name, CSKEY_STRPTR);
    if (found)
        return (FLTUSERVAR *)found;
    size_t n = strlen(name);
    size_t size = offsetof(FLTUSERVAR, name) + n + 1;
    if (size < sizeof(FLTUSERVAR))
        size = sizeof(FLTUSERVAR);
    uint8_t image[sizeof(FLTUSERVAR) + FLT_NAME_MAX + 8];
    if (size > sizeof image)
        return nullptr;
    memset(image, 0, size);
    FLTUSERVAR *uv = (FLTUSERVAR *)image;
    memcpy(uv->name, name, n + 1);
    uv->key = uv->name;
    uv->type = FltUserVarType(name);
    FLTUSERVAR *added = (FLTUSERVAR *)CSTreeAdd(&ctx->userVars, "ENVVAR", 0, image, size, CSKEY_STRPTR);
    if (added)
        added->key = added->name;
    return added;
}

void FltBindUserVar(FVARNODE *v, FLTUSERVAR *uv)
{
    switch (FNodeType(&v->n)) {
    case FLT_STRING:
        v->value = uv->s;
        v->lengthPtr = &uv->len;
        break;
    case FLT_REAL:
        v->value = &uv->r;
        break;
    default:
        v->value = &uv->i;
        break;
    }
}

/* ---- field variables --------------------------------------------------- */

int FltFieldVarType(const PCFFieldDef *f)
{
    switch (f->type) {
    case PCFT_STRING: case PCFT_NAME: case PCFT_MULTISTR: case PCFT_HEX: case PCFT_BYTES:
    case PCFT_STRING25: case PCFT_WIDE17: case PCFT_WIDEHEX: case PCFT_DATETIME:
    case PCFT_DATETIME100:
        return FLT_STRING;
    case PCFT_REAL:
        return FLT_REAL;
    }
    return FLT_INT;
}

static int UserColumn(const PCFFieldDef *f)
{
    return f->type == PCFT_SIGNED || f->type == PCFT_WIDE17 || f->type == PCFT_REAL;
}

void FltBindRecord(FVARNODE *v, uint8_t *rec)
{
    const PCFFieldDef *f = v->field;
    v->value = nullptr;
    if (!rec || !f)
        return;
    uint16_t state = FGet16(rec);
    int present = (state & PCFS_PRESENT) || UserColumn(f);
    if (f->type == PCFT_ENUMLIST || f->type == PCFT_INTLIST)
        present = present && FGet16(rec + 2) != 0;
    if (!present)
        return;
    switch (f->type) {
    case PCFT_STRING: case PCFT_NAME: case PCFT_MULTISTR: case PCFT_HEX: case PCFT_BYTES:
    case PCFT_STRING25: case PCFT_WIDE17: case PCFT_WIDEHEX:
        v->value = rec + PCFLV_TEXT;
        v->lengthPtr = rec + 2;
        return;
    case PCFT_DATETIME: case PCFT_DATETIME100:
        v->value = rec + 36;
        v->lengthPtr = rec + 2;
        return;
    case PCFT_ENUMLIST: case PCFT_INTLIST:
        v->value = rec + PCFLV_TEXT;
        return;
    }
    v->value = rec + PCFLV_INT;
}

/* A column's record length as base + unit * its count, found from the
 * record lengths of counts 0, 1 and 2 (else the call each time). */
static void WalkRule(const PCFFieldDef *f, uint8_t *base, uint8_t *unit)
{
    uint8_t rec[PCFLV_TEXT] = {};
    uint32_t len[3];
    for (uint16_t k = 0; k < 3; k++) {
        FPut16(rec + 2, k);
        len[k] = PCFValueLength(rec, f);
    }
    uint32_t step = len[1] - len[0];
    int linear = len[1] >= len[0] && len[2] == len[1] + step && len[0] < FLT_WALK_CALL && step < FLT_WALK_CALL;
    *base = linear ? (uint8_t)len[0] : 0;
    *unit = linear ? (uint8_t)step : FLT_WALK_CALL;
}

/* The row walk of an area and the column of each field variable. */
static void FindColumns(FilterProgram *prog, PCFLISTAREA *area)
{
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    int walk = 0;
    while (walk < area->columns && parts.columns[walk].field) {
        if (walk < FLT_ROW_COLUMNS)
            WalkRule(parts.columns[walk].field, &prog->walkBase[walk], &prog->walkUnit[walk]);
        walk++;
    }
    prog->walkColumns = walk;
    prog->walkArea = area;
    for (uint32_t i = 0; i < prog->varCount; i++) {
        FVARNODE *v = prog->vars[i];
        v->columnIndex = -1;
        if (!(v->flags & VF_FIELD) || !v->field)
            continue;
        for (int c = 0; c < area->columns && parts.columns[c].field; c++)
            if (parts.columns[c].field == v->field || parts.columns[c].field->attrId == v->field->attrId) {
                v->columnIndex = c;
                break;
            }
    }
}

/* The row's object name (the value its key offset names), or null. */
static const char *ObjectName(PCFROW *row, uint32_t *length)
{
    if (!row || !row->keyOffset || row->keyOffset + PCFLV_TEXT > row->length)
        return nullptr;
    const uint8_t *rec = (const uint8_t *)row + row->keyOffset;
    *length = FGet16(rec + 2);
    if (row->keyOffset + PCFLV_TEXT + *length > row->length)
        return nullptr;
    return (const char *)rec + PCFLV_TEXT;
}

/* Completes a "%" name for a row; its length. */
static size_t CompleteName(const char *name, PCFROW *row, QMS *location, char *out, size_t size)
{
    uint32_t objLength = 0;
    const char *obj = ObjectName(row, &objLength);
    const char *qm = location && location->qmName[0] ? location->qmName : nullptr;
    size_t n = 0;
    auto put = [&](const char *s, size_t len) {
        if (n + len > size - 1)
            len = size - 1 - n;
        memcpy(out + n, s, len);
        n += len;
    };
    for (const char *p = name; *p; p++) {
        if (*p != '%') {
            put(p, 1);
            continue;
        }
        char c = p[1];
        if (!c)
            break;
        p++;
        if (c == 'n' || c == 'O' || c == 'o') {
            if (!obj)
                continue;
            if (c == 'o' && qm) {
                put("|", 1);
                put(qm, strlen(qm));
            }
            if (c != 'n')
                put("|", 1);
            put(obj, objLength);
        } else {
            put(&c, 1);
        }
    }
    out[n] = 0;
    return n;
}

static QMS *RowLocation(DialogWords *d, PCFROW *row)
{
    if (row && row->request && row->request->location)
        return row->request->location;
    return d ? d->first.location : nullptr;
}

int PCFEvalVarColumns(DialogWords *dialog, PCFROW *row)
{
    FilterEvalContext *ctx = FltDialogContext(dialog);
    FilterProgram *prog = dialog ? (FilterProgram *)dialog->filterProgram : nullptr;
    if (!ctx || !prog || !row)
        return 0;
    PCFLISTAREA *area = ctx->area ? ctx->area : FltDialogArea(dialog);
    if (!area)
        return 0;
    if (area != ctx->boundArea || area != prog->walkArea) {
        FindColumns(prog, area);
        ctx->boundArea = area;
    }
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    uint8_t *recs[FLT_ROW_COLUMNS];
    uint8_t *rec = (uint8_t *)row + PCFLA_ROWHEADER;
    int n = prog->walkColumns;
    for (int c = 0; c < n; c++) {
        uint16_t state = FGet16(rec);
        if (state & (FLTV_FG | FLTV_BG | FLTV_FLASH))
            FPut16(rec, (uint16_t)(state & ~(FLTV_FG | FLTV_BG | FLTV_FLASH)));
        if (c < FLT_ROW_COLUMNS && prog->walkUnit[c] != FLT_WALK_CALL) {
            recs[c] = rec;
            rec += prog->walkBase[c] + (uint32_t)prog->walkUnit[c] * FGet16(rec + 2);
        } else {
            if (c < FLT_ROW_COLUMNS)
                recs[c] = rec;
            rec = PCFNextValue(rec, parts.columns[c].field);
        }
    }
    row->flags &= ~(uint32_t)(FLTR_FLASH | FLTR_CELLFLASH);
    QMS *loc = RowLocation(dialog, row);
    ctx->row = row;
    const char *qm = loc ? loc->qmName : "";
    if (qm != ctx->qmName) {
        ctx->qmName = qm;
        ctx->locName = loc ? loc->locationName : "";
        ctx->qmLength = (uint16_t)strlen(ctx->qmName);
        ctx->locLength = (uint16_t)strlen(ctx->locName);
    }
    for (uint32_t i = 0; i < prog->varCount; i++) {
        FVARNODE *v = prog->vars[i];
        if (v->flags & VF_SYSTEM) {
            if (v->flags & VF_SYSTEXT)
                FltBindSystem(ctx, v);
            continue;
        }
        if (v->flags & VF_FIELD) {
            int c = v->columnIndex;
            if (c < 0) {
                char text[FLT_TOKEN_MAX + 40];
                snprintf(text, sizeof text, "Variable %s not found.", v->name);
                FltStatus(dialog, text, 2);
                return 1;
            }
            uint8_t *r = recs[c < FLT_ROW_COLUMNS ? c : 0];
            if (c >= FLT_ROW_COLUMNS) {
                r = (uint8_t *)row + PCFLA_ROWHEADER;
                for (int k = 0; k < c; k++)
                    r = PCFNextValue(r, parts.columns[k].field);
            }
            FltBindRecord(v, r);
            continue;
        }
        if ((v->flags & VF_USER) && (v->flags & VF_PERCENT)) {
            char name[FLT_NAME_MAX];
            CompleteName(v->name, row, loc, name, sizeof name);
            if (!FltUserVarType(name)) {
                FltStatus(dialog, "Expected variable name after '@'", 2);
                return 1;
            }
            FLTUSERVAR *uv = FltUserVar(ctx, name);
            if (!uv) {
                FltStatus(dialog, "Can not allocate user variable area", 2);
                return 1;
            }
            FltBindUserVar(v, uv);
        }
    }
    return 0;
}
