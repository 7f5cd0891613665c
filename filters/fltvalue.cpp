/* Values of the filter language: reading constants and variables into
 * evaluation slots, the coercions between strings, integers and reals,
 * truth, the binary operators at run time (32-bit integers that wrap)
 * and the folding of constants at compile time (64-bit integers). */
#include "fltint.h"

#include <climits>
#include <cmath>
#include <cstdio>

/* ---- conversions -------------------------------------------------------- */

int32_t FRealToInt32(double r)
{
    if (std::isnan(r))
        return 0;
    if (r >= 2147483647.0)
        return INT32_MAX;
    if (r <= -2147483648.0)
        return INT32_MIN;
    return (int32_t)r;
}

int64_t FRealToInt64(double r)
{
    if (std::isnan(r))
        return 0;
    if (r >= 9223372036854775807.0)
        return INT64_MAX;
    if (r <= -9223372036854775808.0)
        return INT64_MIN;
    return (int64_t)r;
}

static int32_t Wrap32(uint32_t v) { return (int32_t)v; }

static int64_t Mod64(int64_t a, int64_t b)
{
    if (b == 0 || (a == INT64_MIN && b == -1))
        return 0;
    return a % b;
}

/* ---- slots ------------------------------------------------------------ */

void FValMissing(FVAL *v)
{
    v->type = 0;
    v->var = nullptr;
    v->s = nullptr;
    v->len = 0;
}

void FValString(FVAL *v, const char *s, size_t len)
{
    if (len > FLT_STRING_MAX)
        len = FLT_STRING_MAX;
    if (len && s != v->buf)
        memmove(v->buf, s, len);
    v->buf[len] = 0;
    v->type = FLT_STRING;
    v->s = v->buf;
    v->len = (uint32_t)len;
    v->var = nullptr;
}

void FValCopy(FVAL *to, const FVAL *from)
{
    if (to == from)
        return;
    to->type = from->type;
    to->i = from->i;
    to->r = from->r;
    to->var = from->var;
    to->len = from->len;
    if (from->type == FLT_STRING && from->s == from->buf) {
        memcpy(to->buf, from->buf, from->len);
        to->buf[from->len] = 0;
        to->s = to->buf;
    } else {
        to->s = from->s;
    }
}

void FValFromNode(const FNODE *node, FVAL *out)
{
    out->var = nullptr;
    if (FNodeKind(node) == FK_CONST) {
        switch (FNodeType(node)) {
        case FLT_STRING: {
            const FSTRNODE *s = (const FSTRNODE *)node;
            out->type = FLT_STRING;
            out->s = FStrText(s);
            out->len = s->length;
            return;
        }
        case FLT_REAL:
            FValReal(out, ((const FCONSTNODE *)node)->r);
            return;
        default:
            FValInt(out, Wrap32((uint32_t)((const FCONSTNODE *)node)->i));
            return;
        }
    }
    const FVARNODE *v = (const FVARNODE *)node;
    if (!v->value) {
        FValMissing(out);
        out->var = v;
        return;
    }
    switch (FNodeType(node)) {
    case FLT_STRING:
        out->type = FLT_STRING;
        out->s = (const char *)v->value;
        out->len = v->lengthPtr ? FGet16(v->lengthPtr) : 0;
        break;
    case FLT_REAL:
        FValReal(out, FGetReal(v->value));
        break;
    case FLT_INT:
        FValInt(out, FGet32(v->value));
        break;
    default:
        FValMissing(out);
        break;
    }
    out->var = v;
}

double FValToReal(const FVAL *v)
{
    switch (v->type) {
    case FLT_STRING:
        return (double)v->len;
    case FLT_INT:
        return (double)v->i;
    case FLT_REAL:
        return v->r;
    }
    return 0;
}

int FValText(const FVAL *v, char *buffer, size_t size)
{
    int n = 0;
    switch (v->type) {
    case FLT_STRING:
        n = (int)(v->len < size - 1 ? v->len : size - 1);
        memcpy(buffer, v->s, (size_t)n);
        buffer[n] = 0;
        return n;
    case FLT_INT:
        n = snprintf(buffer, size, "%d", (int)v->i);
        break;
    case FLT_REAL:
        n = snprintf(buffer, size, "%.2f", v->r);
        break;
    default:
        buffer[0] = 0;
        return 0;
    }
    return n < 0 ? 0 : n >= (int)size ? (int)size - 1 : n;
}

/* ---- operators at run time --------------------------------------------- */

static int Compare(uint16_t code, int c, int *known)
{
    *known = 1;
    switch (code) {
    case FOP('<', ' '): return c < 0;
    case FOP('>', ' '): return c > 0;
    case FOP('<', '='): return c <= 0;
    case FOP('>', '='): return c >= 0;
    case FOP('=', ' '): case FOP('=', '='): return c == 0;
    case FOP('!', '='): case FOP('<', '>'): return c != 0;
    }
    *known = 0;
    return 0;
}

static const struct {
    uint16_t code;
    FINTOP op;
} IntOps[] = {
    { FOP('<', ' '), FOpLt }, { FOP('>', ' '), FOpGt }, { FOP('<', '='), FOpLe }, { FOP('>', '='), FOpGe },
    { FOP('=', ' '), FOpEq }, { FOP('=', '='), FOpEq }, { FOP('!', '='), FOpNe }, { FOP('<', '>'), FOpNe },
    { FOP('+', ' '), FOpAdd }, { FOP('-', ' '), FOpSub }, { FOP('*', ' '), FOpMul }, { FOP_MOD, FOpMod },
    { FOP('&', ' '), FOpAnd }, { FOP('|', ' '), FOpOr }, { FOP('&', '&'), FOpBitAnd }, { FOP('|', '|'), FOpBitOr },
};

FINTOP FltIntOperator(uint16_t code)
{
    for (const auto &row : IntOps)
        if (row.code == code)
            return row.op;
    return nullptr;
}

static void IntOp(uint16_t code, int32_t a, int32_t b, FVAL *out)
{
    FINTOP op = FltIntOperator(code);
    if (op)
        FValInt(out, op(a, b));
    else if (code == FOP('/', ' '))
        FValReal(out, (double)a / (double)b);
    else
        FValMissing(out);
}

static void RealOp(uint16_t code, double a, double b, FVAL *out)
{
    switch (code) {
    case FOP('<', ' '): FValReal(out, a < b); return;
    case FOP('>', ' '): FValReal(out, a > b); return;
    case FOP('<', '='): FValReal(out, a <= b); return;
    case FOP('>', '='): FValReal(out, a >= b); return;
    case FOP('=', ' '): case FOP('=', '='): FValReal(out, a == b); return;
    case FOP('!', '='): case FOP('<', '>'): FValReal(out, a != b); return;
    case FOP('+', ' '): FValReal(out, a + b); return;
    case FOP('-', ' '): FValReal(out, a - b); return;
    case FOP('*', ' '): FValReal(out, a * b); return;
    case FOP('/', ' '): FValReal(out, a / b); return;
    case FOP_MOD: FValReal(out, (double)Mod64(FRealToInt64(a), FRealToInt64(b))); return;
    case FOP('&', '&'): FValReal(out, (double)(FRealToInt64(a) & FRealToInt64(b))); return;
    case FOP('|', '|'): FValReal(out, (double)(FRealToInt64(a) | FRealToInt64(b))); return;
    case FOP('&', ' '): FValReal(out, FRealToInt32(a) != 0 && FRealToInt32(b) != 0); return;
    case FOP('|', ' '): FValReal(out, FRealToInt32(a) != 0 || FRealToInt32(b) != 0); return;
    }
    FValMissing(out);
}

void FValStringOp(uint16_t code, const char *a, uint32_t al, const char *b, uint32_t bl, FVAL *out)
{
    if (code == FOP('=', '=')) {
        FValInt(out, UTWildMatch(a, (int)al, b, (int)bl));
        return;
    }
    uint32_t common = al < bl ? al : bl;
    int c = common ? memcmp(a, b, common) : 0;
    if (!c)
        c = (al > bl) - (al < bl);
    int known;
    int r = Compare(code, c, &known);
    if (known) {
        FValInt(out, r);
        return;
    }
    switch (code) {
    case FOP('+', ' '): {
        char joined[FLT_STRING_MAX + 1];
        uint32_t first = al < FLT_STRING_MAX ? al : FLT_STRING_MAX;
        uint32_t second = bl < FLT_STRING_MAX - first ? bl : FLT_STRING_MAX - first;
        memcpy(joined, a, first);
        memcpy(joined + first, b, second);
        FValString(out, joined, first + second);
        return;
    }
    case FOP('&', ' '): case FOP('&', '&'): FValInt(out, al && bl); return;
    case FOP('|', ' '): case FOP('|', '|'): FValInt(out, al || bl); return;
    case FOP('/', ' '): FValReal(out, (double)al / (double)bl); return;
    }
    IntOp(code, (int32_t)al, (int32_t)bl, out);
}

/* The name of an enumerated field's value, or null. */
static const char *ValueName(const FVAL *v)
{
    if (v->type != FLT_INT || !v->var || !v->var->field || !v->var->field->values)
        return nullptr;
    const PCFValueDef *row = PCFFindValue(v->var->field->values, v->i);
    return row && row->name ? row->name : nullptr;
}

/* ":=": only user variables, user-variable columns and the writable
 * system field receive a value. */
static void Assign(FilterEvalContext *ctx, const FVAL *right, const FVAL *left, FVAL *out);

int PCFEvalOperator(FilterEvalContext *ctx, const FNODE *op, const FVAL *right, const FVAL *left,
                    FVAL *result)
{
    uint16_t code = op->code;
    if (code == FOP_ASSIGN) {
        Assign(ctx, right, left, result);
        return 0;
    }
    if (!left->type || !right->type) {
        if (left->type && (code == FOP('+', ' ') || code == FOP('-', ' ') || code == FOP('|', ' ')))
            FValCopy(result, left);
        else if (right->type && (code == FOP('+', ' ') || code == FOP('-', ' ') || code == FOP('|', ' ')))
            FValCopy(result, right);
        else
            FValMissing(result);
        return 0;
    }
    int lt = left->type, rt = right->type;
    if (lt == FLT_STRING && rt == FLT_STRING) {
        FValStringOp(code, left->s, left->len, right->s, right->len, result);
        return 0;
    }
    if (lt == FLT_INT && rt == FLT_STRING) {
        const char *name = ValueName(left);
        if (name)
            FValStringOp(code, name, (uint32_t)strlen(name), right->s, right->len, result);
        else
            IntOp(code, left->i, (int32_t)right->len, result);
        return 0;
    }
    if (lt == FLT_STRING && rt == FLT_INT) {
        IntOp(code, (int32_t)left->len, right->i, result);
        return 0;
    }
    if (lt == FLT_INT && rt == FLT_INT) {
        IntOp(code, left->i, right->i, result);
        return 0;
    }
    RealOp(code, FValToReal(left), FValToReal(right), result);
    return 0;
}

/* ---- assignment -------------------------------------------------------- */

static void Assign(FilterEvalContext *ctx, const FVAL *right, const FVAL *left, FVAL *out)
{
    const FVARNODE *v = left->var;
    FValInt(out, 0);
    if (!v || !v->value || !right->type)
        return;
    int column = (v->flags & VF_FIELD) && v->field &&
                 (v->field->type == PCFT_SIGNED || v->field->type == PCFT_WIDE17 || v->field->type == PCFT_REAL);
    int user = (v->flags & VF_USER) && !(v->flags & VF_FIELD);
    int system = (v->flags & VF_WRITABLE) != 0;
    if (!column && !user && !system)
        return;
    uint8_t *value = (uint8_t *)v->value;
    switch (FNodeType(&v->n)) {
    case FLT_INT: {
        int32_t i = right->type == FLT_INT ? right->i : right->type == FLT_REAL ? FRealToInt32(right->r)
                                                                                : (int32_t)right->len;
        FPut32(value, i);
        if (column)
            FPut16(value - PCFLV_INT, (uint16_t)(FGet16(value - PCFLV_INT) | FLTV_CHANGED));
        break;
    }
    case FLT_REAL:
        FPutReal(value, FValToReal(right));
        if (column)
            FPut16(value - PCFLV_INT, (uint16_t)(FGet16(value - PCFLV_INT) | FLTV_CHANGED));
        break;
    case FLT_STRING: {
        char text[FLT_STRING_MAX + 1];
        int n = FValText(right, text, sizeof text);
        if (right->type == FLT_REAL)
            n = snprintf(text, sizeof text, "%f", right->r);
        if (n < 0)
            n = 0;
        if (n > FLT_STRING_MAX)
            n = FLT_STRING_MAX;
        if (column) {
            /* a 62-byte record: the text after its 12-byte header */
            int room = (int)PCFEmptyValueLength(PCFT_WIDE17) - PCFLV_TEXT - 1;
            if (n > room)
                n = room;
            memcpy(value, text, (size_t)n);
            value[n] = 0;
            FPut16(value - PCFLV_TEXT + 2, (uint16_t)n);
            FPut16(value - PCFLV_TEXT, (uint16_t)(FGet16(value - PCFLV_TEXT) | FLTV_CHANGED));
        } else if (user) {
            FLTUSERVAR *uv = (FLTUSERVAR *)(value - offsetof(FLTUSERVAR, s));
            memcpy(uv->s, text, (size_t)n);
            uv->s[n] = 0;
            uv->len = (uint16_t)n;
        }
        break;
    }
    default:
        return;
    }
    (void)ctx;
    FValFromNode(&v->n, out);
}

/* ---- folding ----------------------------------------------------------- */

static void FoldInt(FCONSTNODE *out, int64_t v)
{
    memset(out, 0, sizeof *out);
    out->n.length = sizeof *out;
    out->n.kind = FK_CONST | FLT_INT;
    out->i = v;
}

static void FoldReal(FCONSTNODE *out, double v)
{
    memset(out, 0, sizeof *out);
    out->n.length = sizeof *out;
    out->n.kind = FK_CONST | FLT_REAL;
    out->r = v;
}

int FltFoldBinary(uint16_t code, const FCONSTNODE *left, const FCONSTNODE *right, FCONSTNODE *out)
{
    if (code == FOP_ASSIGN || code == FOP_SEQ)
        return 1;
    int known;
    if (FNodeType(&left->n) == FLT_INT) {
        int64_t a = left->i, b = right->i;
        int c = Compare(code, (a > b) - (a < b), &known);
        if (known) {
            FoldInt(out, c);
            return 0;
        }
        switch (code) {
        case FOP('+', ' '): FoldInt(out, (int64_t)((uint64_t)a + (uint64_t)b)); return 0;
        case FOP('-', ' '): FoldInt(out, (int64_t)((uint64_t)a - (uint64_t)b)); return 0;
        case FOP('*', ' '): FoldInt(out, (int64_t)((uint64_t)a * (uint64_t)b)); return 0;
        case FOP_MOD: FoldInt(out, Mod64(a, b)); return 0;
        case FOP('/', ' '): FoldReal(out, (double)a / (double)b); return 0;
        case FOP('&', ' '): FoldInt(out, a && b); return 0;
        case FOP('|', ' '): FoldInt(out, a || b); return 0;
        case FOP('&', '&'): FoldInt(out, a & b); return 0;
        case FOP('|', '|'): FoldInt(out, a | b); return 0;
        }
        return 1;
    }
    double a = left->r, b = right->r;
    switch (code) {
    case FOP('<', ' '): FoldReal(out, a < b); return 0;
    case FOP('>', ' '): FoldReal(out, a > b); return 0;
    case FOP('<', '='): FoldReal(out, a <= b); return 0;
    case FOP('>', '='): FoldReal(out, a >= b); return 0;
    case FOP('=', ' '): case FOP('=', '='): FoldReal(out, a == b); return 0;
    case FOP('!', '='): case FOP('<', '>'): FoldReal(out, a != b); return 0;
    case FOP('+', ' '): FoldReal(out, a + b); return 0;
    case FOP('-', ' '): FoldReal(out, a - b); return 0;
    case FOP('*', ' '): FoldReal(out, a * b); return 0;
    case FOP('/', ' '): FoldReal(out, a / b); return 0;
    case FOP_MOD: FoldReal(out, FOpMod(FRealToInt32(a), FRealToInt32(b))); return 0;
    case FOP('&', '&'): FoldReal(out, FRealToInt32(a) & FRealToInt32(b)); return 0;
    case FOP('|', '|'): FoldReal(out, FRealToInt32(a) | FRealToInt32(b)); return 0;
    case FOP('&', ' '): FoldReal(out, FRealToInt32(a) != 0 && FRealToInt32(b) != 0); return 0;
    case FOP('|', ' '): FoldReal(out, FRealToInt32(a) != 0 || FRealToInt32(b) != 0); return 0;
    }
    return 1;
}

int FltFoldUnary(uint16_t code, const FCONSTNODE *operand, FCONSTNODE *out)
{
    if (FNodeType(&operand->n) == FLT_INT) {
        int64_t v = operand->i;
        switch (code) {
        case FOP_NOT: FoldInt(out, v == 0); return 0;
        case FOP_PLUS: FoldInt(out, v); return 0;
        case FOP_NEG: FoldInt(out, (int64_t)(0 - (uint64_t)v)); return 0;
        }
        return 1;
    }
    double r = operand->r;
    switch (code) {
    case FOP_NOT: FoldReal(out, r == 0.0); return 0;
    case FOP_PLUS: FoldReal(out, r); return 0;
    case FOP_NEG: FoldReal(out, -r); return 0;
    }
    return 1;
}
