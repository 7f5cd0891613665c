/* The evaluator: a program's prefix stream walked once per row with the
 * context's slots (allocated once for the program's need, so that a row
 * allocates nothing); unary operators and if-nodes, runs of statements
 * without a stack frame per statement, and function calls with their
 * missing-value rules. */
#include "fltint.h"

int FltEnsureSlots(FilterEvalContext *ctx, uint32_t need)
{
    if ((uint32_t)ctx->slotCap >= need)
        return 0;
    FVAL *slots = (FVAL *)CSGetMem(sizeof(FVAL) * need, "FLTSLOTS");
    if (!slots)
        return 1;
    CSFreeMemAndClear(&ctx->slots);
    ctx->slots = slots;
    ctx->slotCap = (int32_t)need;
    return 0;
}

static FVAL *Push(FilterEvalContext *ctx, int n)
{
    FVAL *v = ctx->slots + ctx->slotTop;
    ctx->slotTop += n;
    return v;
}

static void Pop(FilterEvalContext *ctx, int n) { ctx->slotTop -= n; }

static void EvalNode(FilterEvalContext *ctx, const uint8_t **cursor, FVAL *out);

/* An operand: a leaf is read in place, anything else evaluated. */
static inline void Operand(FilterEvalContext *ctx, const uint8_t **cursor, FVAL *out)
{
    const FNODE *n = (const FNODE *)*cursor;
    if (n->kind & (FK_CONST | FK_VAR)) {
        *cursor += n->length;
        FValFromNode(n, out);
    } else {
        EvalNode(ctx, cursor, out);
    }
}


/* A unary operator on a value; a missing one gives 0. */
static void Unary(uint16_t code, const FVAL *v, FVAL *out)
{
    switch (v->type) {
    case FLT_STRING: {
        int32_t len = (int32_t)v->len;
        FValInt(out, code == FOP_NOT ? len == 0 : code == FOP_NEG ? -len : len);
        return;
    }
    case FLT_INT:
        FValInt(out, code == FOP_NOT ? v->i == 0 : code == FOP_NEG ? (int32_t)(0u - (uint32_t)v->i) : v->i);
        return;
    case FLT_REAL:
        FValReal(out, code == FOP_NOT ? (v->r == 0.0) : code == FOP_NEG ? -v->r : v->r);
        return;
    }
    FValInt(out, 0);
}

static void EvalIf(FilterEvalContext *ctx, const FIFNODE *f, const uint8_t **cursor, FVAL *out)
{
    const uint8_t *start = (const uint8_t *)f;
    FVAL *cond = Push(ctx, 1);
    EvalNode(ctx, cursor, cond);
    int truth = FValTruth(cond);
    Pop(ctx, 1);
    uint32_t branch = truth ? f->trueOffset : f->falseOffset;
    if (branch) {
        const uint8_t *at = start + branch;
        EvalNode(ctx, &at, out);
    } else {
        FValInt(out, truth ? 1 : 0);
    }
    *cursor = start + f->size;
}

/* A run of statements: the headers, then each statement in turn. */
static void EvalSequence(FilterEvalContext *ctx, const uint8_t **cursor, FVAL *out)
{
    int headers = 1;
    while (((const FNODE *)*cursor)->code == FOP_SEQ && FNodeKind((const FNODE *)*cursor) == FK_BINARY) {
        *cursor += ((const FNODE *)*cursor)->length;
        headers++;
    }
    FVAL *tmp = Push(ctx, 1);
    for (int i = 0; i < headers; i++)
        EvalNode(ctx, cursor, tmp);
    Pop(ctx, 1);
    EvalNode(ctx, cursor, out);
}

static void EvalCall(FilterEvalContext *ctx, const FCALLNODE *c, const uint8_t **cursor, FVAL *out)
{
    int n = (int)c->count;
    FVAL *args = Push(ctx, n);
    for (int i = 0; i < n; i++)
        Operand(ctx, cursor, &args[i]);
    const FLTFUNC *f = c->func;
    if (!f->missing)
        for (int i = 0; i < n; i++)
            if (!args[i].type && args[i].var) {
                if (f->action)
                    FValInt(out, 1);
                else
                    FValMissing(out);
                Pop(ctx, n);
                return;
            }
    FValInt(out, 1);
    f->handler(ctx, c, args, n, out);
    Pop(ctx, n);
}

static void EvalNode(FilterEvalContext *ctx, const uint8_t **cursor, FVAL *out)
{
    const FNODE *n = (const FNODE *)*cursor;
    *cursor += n->length;
    switch (FNodeKind(n)) {
    case FK_CONST:
    case FK_VAR:
        FValFromNode(n, out);
        return;
    case FK_UNARY:
        if (n->code == FOP_IF) {
            EvalIf(ctx, (const FIFNODE *)n, cursor, out);
        } else {
            FVAL *v = Push(ctx, 1);
            EvalNode(ctx, cursor, v);
            Unary(n->code, v, out);
            Pop(ctx, 1);
        }
        return;
    }
    if (n->code == FOP_SEQ) {
        EvalSequence(ctx, cursor, out);
        return;
    }
    if (n->code == FOP_CALL) {
        EvalCall(ctx, (const FCALLNODE *)n, cursor, out);
        return;
    }
    FVAL *right = Push(ctx, 2), *left = right + 1;
    Operand(ctx, cursor, right);
    Operand(ctx, cursor, left);
    PCFEvalOperator(ctx, n, right, left, out);
    Pop(ctx, 2);
}

void PCFEvalInitContext(FilterProgram *program, FilterEvalContext *ctx, int initialPass)
{
    ctx->first = 1;
    ctx->varsOff = ctx->last = ctx->index = ctx->items = ctx->rescan = ctx->scan = 0;
    ctx->time = CSGetCurrentTime();
    ctx->timeValue = (int32_t)(uint32_t)ctx->time;
    ctx->program = program;
    ctx->initialPass = (uint32_t)initialPass;
    ctx->boundArea = nullptr;
    ctx->qmName = ctx->locName = nullptr;
    ctx->qmLength = ctx->locLength = 0;
    if (!program)
        return;
    for (uint32_t i = 0; i < program->varCount; i++)
        if (program->vars[i]->flags & VF_SYSTEM)
            FltBindSystem(ctx, program->vars[i]);
    FltEnsureSlots(ctx, program->slotNeed);
}

int PCFEvalExpression(FilterEvalContext *ctx, FilterProgram *program, int *result)
{
    if (!program || !program->used) {
        if (result && !(program && (program->flags & FLTP_INITIAL)))
            *result = 1;
        ctx->first = 0;
        return 0;
    }
    if (FltEnsureSlots(ctx, program->slotNeed))
        return 1;
    ctx->program = program;
    ctx->slotTop = 0;
    FVAL *v = Push(ctx, 1);
    const uint8_t *cursor = program->first;
    EvalNode(ctx, &cursor, v);
    if (result && !(program->flags & FLTP_INITIAL))
        *result = FValTruth(v);
    Pop(ctx, 1);
    ctx->first = 0;
    return 0;
}
