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

/* How a field variable reads its record: the value's offset, and
 * whether it is present whatever the state (user-variable columns),
 * only with elements (lists), and has its length at +2. */
#define FB_OFFSET  0xFF
#define FB_ALWAYS  0x100
#define FB_COUNTED 0x200
#define FB_LENGTH  0x400

static uint32_t BindRule(const PCFFieldDef *f)
{
    uint32_t always = UserColumn(f) ? FB_ALWAYS : 0;
    switch (f->type) {
    case PCFT_STRING: case PCFT_NAME: case PCFT_MULTISTR: case PCFT_HEX: case PCFT_BYTES:
    case PCFT_STRING25: case PCFT_WIDE17: case PCFT_WIDEHEX:
        return always | FB_LENGTH | PCFLV_TEXT;
    case PCFT_DATETIME: case PCFT_DATETIME100:
        return always | FB_LENGTH | 36;
    case PCFT_ENUMLIST: case PCFT_INTLIST:
        return always | FB_COUNTED | PCFLV_TEXT;
    }
    return always | PCFLV_INT;
}

static inline void BindByRule(FVARNODE *v, uint8_t *rec, uint32_t rule)
{
    v->value = nullptr;
    if (!rec || (!(FGet16(rec) & PCFS_PRESENT) && !(rule & FB_ALWAYS)) ||
        ((rule & FB_COUNTED) && !FGet16(rec + 2)))
        return;
    v->value = rec + (rule & FB_OFFSET);
    if (rule & FB_LENGTH)
        v->lengthPtr = rec + 2;
}

/* A column's record length: base, plus its count shifted by shift
 * unless the column is FLT_WALK_FIXED (found from the record lengths of
 * counts 0, 1, 2 and the largest; FLT_WALK_CALL: PCFNextValue each
 * time). */
static void WalkRule(const PCFFieldDef *f, uint8_t *base, uint8_t *shift)
{
    static const uint16_t counts[] = { 0, 1, 2, 0xFFFF };
    uint8_t rec[PCFLV_TEXT] = {};
    uint32_t len[4];
    for (int k = 0; k < 4; k++) {
        FPut16(rec + 2, counts[k]);
        len[k] = PCFValueLength(rec, f);
    }
    uint32_t step = len[1] - len[0];
    *base = (uint8_t)len[0];
    *shift = FLT_WALK_CALL;
    if (len[1] < len[0] || len[2] != len[1] + step || len[3] != len[0] + 0xFFFFu * step || len[0] > 0xFF)
        return;
    *shift = step == 0 ? FLT_WALK_FIXED : step == 1 ? 0 : step == 4 ? 2 : FLT_WALK_CALL;
}

/* The row walk of an area and the column of each field variable; the
 * bindings when every field variable has a remembered column, with the
 * variables bound otherwise counted (bindOthers: -1 when some column is
 * missing or beyond them). */
static void FindColumns(FilterProgram *prog, PCFLISTAREA *area)
{
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    int walk = 0;
    while (walk < area->columns && parts.columns[walk].field) {
        if (walk < FLT_ROW_COLUMNS)
            WalkRule(parts.columns[walk].field, &prog->walkBase[walk], &prog->walkShift[walk]);
        walk++;
    }
    prog->walkColumns = walk;
    prog->walkArea = area;
    prog->walkList = parts.columns;
    prog->bindCount = prog->bindOthers = 0;
    for (uint32_t i = 0; i < prog->varCount; i++) {
        FVARNODE *v = prog->vars[i];
        v->columnIndex = -1;
        if (v->flags & VF_SYSTEM) {
            prog->bindOthers += (v->flags & VF_SYSTEXT) != 0;
            continue;
        }
        if (!(v->flags & VF_FIELD)) {
            prog->bindOthers += (v->flags & VF_USER) && (v->flags & VF_PERCENT);
            continue;
        }
        if (!v->field) {
            prog->bindOthers = (uint32_t)-1;
            continue;
        }
        for (int c = 0; c < area->columns && parts.columns[c].field; c++)
            if (parts.columns[c].field == v->field || parts.columns[c].field->attrId == v->field->attrId) {
                v->columnIndex = c;
                break;
            }
        if (v->columnIndex < 0 || v->columnIndex >= FLT_ROW_COLUMNS)
            prog->bindOthers = (uint32_t)-1;
        else
            prog->binds[prog->bindCount++] = { v, v->columnIndex, BindRule(v->field) };
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

/* A cell's filter marks cleared (the record written only when it has
 * some). */
static inline void ClearMarks(uint8_t *rec)
{
    uint16_t state = FGet16(rec);
    if (state & (FLTV_FG | FLTV_BG | FLTV_FLASH))
        FPut16(rec, (uint16_t)(state & ~(FLTV_FG | FLTV_BG | FLTV_FLASH)));
}

/* The row's value records (the first FLT_ROW_COLUMNS into recs), their
 * cells' filter marks cleared. */
static void WalkRow(const FilterProgram *prog, PCFROW *row, const PCFLISTENTRY *columns, uint8_t **recs)
{
    uint8_t *rec = (uint8_t *)row + PCFLA_ROWHEADER;
    int n = prog->walkColumns, kept = n < FLT_ROW_COLUMNS ? n : FLT_ROW_COLUMNS;
    const uint8_t *base = prog->walkBase, *shift = prog->walkShift;
    for (int c = 0; c < kept; c++) {
        recs[c] = rec;
        ClearMarks(rec);
        if (shift[c] == FLT_WALK_FIXED)
            rec += base[c];
        else if (shift[c] == 0)
            rec += base[c] + (uint32_t)FGet16(rec + 2);
        else if (shift[c] == 2)
            rec += base[c] + 4 * (uint32_t)FGet16(rec + 2);
        else
            rec = PCFNextValue(rec, columns[c].field);
    }
    for (int c = kept; c < n; c++) {
        ClearMarks(rec);
        rec = PCFNextValue(rec, columns[c].field);
    }
}

/* The variables in their order: field variables (unless fields is 0)
 * to their columns' records, system texts, "%" user variables completed
 * for the row; 0, or 1 after a status. */
static int BindInOrder(DialogWords *dialog, FilterEvalContext *ctx, FilterProgram *prog, PCFROW *row, QMS *loc,
                       uint8_t *const *recs, const PCFLISTENTRY *columns, int fields)
{
    for (uint32_t i = 0; i < prog->varCount; i++) {
        FVARNODE *v = prog->vars[i];
        if (v->flags & VF_SYSTEM) {
            if (v->flags & VF_SYSTEXT)
                FltBindSystem(ctx, v);
            continue;
        }
        if (v->flags & VF_FIELD) {
            if (!fields)
                continue;
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
                    r = PCFNextValue(r, columns[k].field);
            }
            if (v->field)
                BindByRule(v, r, BindRule(v->field));
            else
                v->value = nullptr;
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

int PCFEvalVarColumns(DialogWords *dialog, PCFROW *row)
{
    FilterEvalContext *ctx = FltDialogContext(dialog);
    FilterProgram *prog = dialog ? dialog->filterProgram : nullptr;
    if (!ctx || !prog || !row)
        return 0;
    PCFLISTAREA *area = ctx->area ? ctx->area : FltDialogArea(dialog);
    if (!area)
        return 0;
    if (area != ctx->boundArea || area != prog->walkArea) {
        FindColumns(prog, area);
        ctx->boundArea = area;
    }
    uint8_t *recs[FLT_ROW_COLUMNS];
    WalkRow(prog, row, prog->walkList, recs);
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
    if (prog->bindOthers != (uint32_t)-1) {
        for (uint32_t k = 0; k < prog->bindCount; k++)
            BindByRule(prog->binds[k].var, recs[prog->binds[k].column], prog->binds[k].rule);
        return prog->bindOthers ? BindInOrder(dialog, ctx, prog, row, loc, recs, prog->walkList, 0) : 0;
    }
    return BindInOrder(dialog, ctx, prog, row, loc, recs, prog->walkList, 1);
}
