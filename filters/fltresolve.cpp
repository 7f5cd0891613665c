/* Resolution after parsing: each statement's names become user
 * variables, system fields, fields of the dialog's definition or the
 * numeric values of a field's keywords; the last parameter of the cell
 * functions becomes a field's attribute id; constants are folded.  The
 * statement's stream is copied into the program as it is resolved. */
#include "fltparse.h"

#include <cstdio>

/* System fields: name, type, writable. */
struct FSYSFIELD {
    const char *name;
    int type;
    int writable;
};

static const FSYSFIELD SystemFields[] = {
    { "_first", FLT_INT, 0 }, { "_last", FLT_INT, 0 }, { "_time", FLT_INT, 0 },
    { "_index", FLT_INT, 0 }, { "_items", FLT_INT, 0 }, { "_scan", FLT_INT, 0 },
    { "_rescan", FLT_INT, 1 }, { "_qmname", FLT_STRING, 0 }, { "_locname", FLT_STRING, 0 },
};
#define SYS_QMNAME 7
#define SYS_LOCNAME 8

int FltNodeIsName(const FNODE *n)
{
    return FNodeKind(n) == FK_VAR && !(((const FVARNODE *)n)->flags & (VF_USER | VF_SYSTEM | VF_FIELD));
}

static FVARNODE *VarAt(FBUF *out, uint32_t at) { return (FVARNODE *)(out->data + at); }

static int Append(FPARSE *p, FBUF *out, const void *bytes, uint32_t n)
{
    if (FBufAppend(out, bytes, n)) {
        FFail(p, nullptr, "Out of memory");
        return 1;
    }
    return 0;
}

void FltBindSystem(FilterEvalContext *ctx, FVARNODE *v)
{
    if (!ctx) {
        v->value = nullptr;
        return;
    }
    int32_t *ints[] = { &ctx->first, &ctx->last, &ctx->timeValue, &ctx->index, &ctx->items,
                        &ctx->scan, &ctx->rescan };
    if (v->sysIndex < 7) {
        v->value = ints[v->sysIndex];
    } else if (v->sysIndex == SYS_QMNAME) {
        v->value = ctx->qmName ? ctx->qmName : "";
        v->lengthPtr = &ctx->qmLength;
    } else {
        v->value = ctx->locName ? ctx->locName : "";
        v->lengthPtr = &ctx->locLength;
    }
}

static int SystemField(FPARSE *p, FVARNODE *v)
{
    for (uint32_t i = 0; i < sizeof SystemFields / sizeof SystemFields[0]; i++)
        if (!strcmp(SystemFields[i].name, v->name)) {
            v->flags |= VF_SYSTEM | (SystemFields[i].writable ? VF_WRITABLE : 0) |
                        (SystemFields[i].type == FLT_STRING ? VF_SYSTEXT : 0);
            v->sysIndex = i;
            v->n.kind = (uint8_t)(FK_VAR | SystemFields[i].type);
            FltBindSystem(p->ctx, v);
            return 0;
        }
    FFail(p, &v->place, "Unknown system field '%s'", v->name);
    return 1;
}

static int UserVariable(FPARSE *p, FVARNODE *v)
{
    int type = FltUserVarType(v->name);
    if (!type) {
        FFail(p, &v->place, "Expected variable name after '@'");
        return 1;
    }
    if (!p->ctx || p->ctx->varsOff) {
        FFail(p, &v->place, "User variables are not available");
        return 1;
    }
    v->flags |= VF_USER;
    v->n.kind = (uint8_t)(FK_VAR | type);
    if (strchr(v->name, '%')) {
        v->flags |= VF_PERCENT;
        v->value = nullptr;
        return 0;
    }
    FLTUSERVAR *uv = FltUserVar(p->ctx, v->name);
    if (!uv) {
        FFail(p, &v->place, "Can not allocate user variable area");
        return 1;
    }
    FltBindUserVar(v, uv);
    return 0;
}

static void FieldVariable(FVARNODE *v, const PCFFieldDef *f)
{
    v->flags |= VF_FIELD;
    v->field = f;
    v->value = nullptr;
    v->n.kind = (uint8_t)(FK_VAR | FltFieldVarType(f));
}

/* The field a name stands for; null after an error. */
static const PCFFieldDef *FieldNamed(FPARSE *p, const FVARNODE *v)
{
    const PCFFieldDef *f;
    const PCFValueDef *row;
    int rc = FltFindField(p->caps, p->def, v->name, "", &f, &row);
    if (rc == 2)
        FFail(p, &v->place, "Ambiguous keyword '%s'", v->name);
    else if (rc)
        FFail(p, &v->place, "Unrecognised keyword '%s'", v->name);
    return rc ? nullptr : f;
}

/* A name by itself. */
static int ResolveName(FPARSE *p, FVARNODE *v)
{
    if (v->name[0] == '@')
        return UserVariable(p, v);
    if (v->name[0] == '_')
        return SystemField(p, v);
    const PCFFieldDef *f = FieldNamed(p, v);
    if (!f)
        return 1;
    FieldVariable(v, f);
    return 0;
}

/* Replaces the partner (at `at`, followed by the left name) by an
 * integer constant, keeping the left node after it. */
static int PartnerConstant(FPARSE *p, FBUF *out, uint32_t at, uint32_t leftAt, int32_t value)
{
    uint32_t leftLength = out->size - leftAt;
    uint8_t saved[FVARNODE_FIXED + FLT_TOKEN_MAX + 16];
    memcpy(saved, out->data + leftAt, leftLength);
    out->size = at;
    FCONSTNODE c = {};
    c.n.length = sizeof c;
    c.n.kind = FK_CONST | FLT_INT;
    c.i = value;
    return Append(p, out, &c, sizeof c) || Append(p, out, saved, leftLength);
}

/* Two names of a binary operator: the left one as a field and the right
 * one as a possible keyword value of it. */
static int ResolvePair(FPARSE *p, FBUF *out, uint32_t rightAt, uint32_t leftAt)
{
    FVARNODE *left = VarAt(out, leftAt);
    if (left->name[0] == '@' || left->name[0] == '_')
        return ResolveName(p, left) || ResolveName(p, VarAt(out, rightAt));
    const PCFFieldDef *f;
    const PCFValueDef *row;
    int rc = FltFindField(p->caps, p->def, left->name, VarAt(out, rightAt)->name, &f, &row);
    if (rc == 2) {
        FFail(p, &left->place, "Ambiguous keyword '%s'", left->name);
        return 1;
    }
    if (rc == 3) {
        FVARNODE *right = VarAt(out, rightAt);
        FFail(p, &right->place, "Ambiguous value '%s' for keyword '%s'", right->name, left->name);
        return 1;
    }
    if (rc) {
        FFail(p, &left->place, "Unrecognised keyword '%s'", left->name);
        return 1;
    }
    FieldVariable(left, f);
    if (row)
        return PartnerConstant(p, out, rightAt, leftAt, row->value);
    return ResolveName(p, VarAt(out, rightAt));
}

/* The last parameter of a cell function: a field's attribute id. */
static int CellField(FPARSE *p, const FCALLNODE *call, const uint8_t **cursor, FBUF *out)
{
    const FLTFUNC *fn = call->func;
    const FNODE *n = (const FNODE *)*cursor;
    if (FNodeKind(n) != FK_VAR) {
        FFail(p, &call->last, "Sorry, the last parameter of '%s' should be a field name", fn->name);
        return 1;
    }
    const FVARNODE *v = (const FVARNODE *)n;
    *cursor += n->length;
    FCONSTNODE c = {};
    c.n.length = sizeof c;
    c.n.kind = FK_CONST | FLT_INT;
    if (v->name[0] == '@') {
        const PCFFieldDef *f = PCFUserVarField(v->name);
        if (!f) {
            FFail(p, &v->place, "Unrecognised User Variable '%s'", v->name);
            return 1;
        }
        c.i = (int32_t)f->attrId;
    } else {
        const PCFFieldDef *f = FieldNamed(p, v);
        if (!f)
            return 1;
        c.i = (int32_t)f->attrId;
    }
    return Append(p, out, &c, sizeof c);
}

static int IsCellFunction(const FLTFUNC *f)
{
    return !strcmp(f->name, "fgcell") || !strcmp(f->name, "bgcell") || !strcmp(f->name, "flashcell");
}

static const FCONSTNODE *NumberAt(FBUF *out, uint32_t at)
{
    const FNODE *n = (const FNODE *)(out->data + at);
    if (FNodeKind(n) == FK_CONST && (FNodeType(n) == FLT_INT || FNodeType(n) == FLT_REAL))
        return (const FCONSTNODE *)n;
    return nullptr;
}

/* Replaces the subtree at `at` with a constant. */
static int Replace(FPARSE *p, FBUF *out, uint32_t at, const FCONSTNODE *c)
{
    FCONSTNODE copy = *c;
    out->size = at;
    return Append(p, out, &copy, sizeof copy);
}

static int Resolve(FPARSE *p, const uint8_t **cursor, const uint8_t *end, FBUF *out)
{
    if (*cursor >= end) {
        FFail(p, nullptr, "Syntax error");
        return 1;
    }
    const FNODE *n = (const FNODE *)*cursor;
    uint32_t at = out->size;
    if (Append(p, out, n, n->length))
        return 1;
    *cursor += n->length;
    switch (FNodeKind(n)) {
    case FK_CONST:
        return 0;
    case FK_VAR:
        return ResolveName(p, VarAt(out, at));
    case FK_UNARY: {
        ((FNODE *)(out->data + at))->unary = 1;
        uint32_t operand = out->size;
        if (Resolve(p, cursor, end, out))
            return 1;
        const FCONSTNODE *c = NumberAt(out, operand);
        FCONSTNODE folded;
        if (c && !FltFoldUnary(n->code, c, &folded))
            return Replace(p, out, at, &folded);
        ((FNODE *)(out->data + at))->kind |= (uint8_t)FNodeType((const FNODE *)(out->data + operand));
        return 0;
    }
    }
    if (n->code == FOP_CALL) {
        const FCALLNODE *c = (const FCALLNODE *)n;
        for (uint32_t i = 0; i < c->count; i++) {
            int rc = i == 0 && IsCellFunction(c->func) ? CellField(p, c, cursor, out)
                                                         : Resolve(p, cursor, end, out);
            if (rc)
                return 1;
        }
        return 0;
    }
    /* a binary operator: the right operand, then the left one */
    const FNODE *right = (const FNODE *)*cursor;
    const FNODE *left = *cursor + right->length < end ? FNext(right) : nullptr;
    uint32_t rightAt = out->size;
    uint32_t leftAt;
    if (left && FltNodeIsName(right) && FltNodeIsName(left)) {
        if (Append(p, out, right, right->length))
            return 1;
        leftAt = out->size;
        if (Append(p, out, left, left->length))
            return 1;
        *cursor += right->length + left->length;
        if (ResolvePair(p, out, rightAt, leftAt))
            return 1;
        leftAt = rightAt + ((const FNODE *)(out->data + rightAt))->length;
    } else {
        if (Resolve(p, cursor, end, out))
            return 1;
        leftAt = out->size;
        if (Resolve(p, cursor, end, out))
            return 1;
    }
    FCONSTNODE *r = (FCONSTNODE *)NumberAt(out, rightAt), *l = (FCONSTNODE *)NumberAt(out, leftAt);
    if (r && l) {
        if (FNodeType(&r->n) == FLT_INT && FNodeType(&l->n) == FLT_REAL) {
            r->r = (double)r->i;
            r->n.kind = FK_CONST | FLT_REAL;
        } else if (FNodeType(&l->n) == FLT_INT && FNodeType(&r->n) == FLT_REAL) {
            l->r = (double)l->i;
            l->n.kind = FK_CONST | FLT_REAL;
        }
        FCONSTNODE folded;
        if (FltFoldBinary(n->code, l, r, &folded)) {
            FFail(p, &((const FOPNODE *)n)->place, "Error evaluating '%c%c'", n->code >> 8, n->code & 0xFF);
            return 1;
        }
        return Replace(p, out, at, &folded);
    }
    ((FNODE *)(out->data + at))->kind |= (uint8_t)(FNodeType((const FNODE *)(out->data + rightAt)) |
                                                   FNodeType((const FNODE *)(out->data + leftAt)));
    return 0;
}

int FltResolveStatement(FPARSE *p, const uint8_t *stream, uint32_t length, FBUF *out)
{
    const uint8_t *cursor = stream, *end = stream + length;
    uint32_t base = out->size;
    while (cursor < end)
        if (Resolve(p, &cursor, end, out)) {
            out->size = base;
            return 1;
        }
    return 0;
}
