/* The evaluation plan: a program's prefix stream turned, once when the
 * program is made, into steps that hold their operands, so that a row
 * walks no stream.  An operator whose operands are an integer or string
 * field and a constant (the common "depth > 100", "name == 'A*'") reads
 * both in place and applies the operator at once; a missing operand, and
 * every other node, takes the general rules of fltvalue.cpp and the
 * functions' rules, in the stream's order (right operand before left,
 * parameters first to last).  Each step's temporaries have their slots
 * fixed when it is made, where the stream's walk would push them. */
#include "fltint.h"

/* The step's first temporary. */
static inline FVAL *Slots(FilterEvalContext *ctx, const FSTEP *s) { return ctx->slots + s->slot; }

static inline void Run(FilterEvalContext *ctx, const FSTEP *s, FVAL *out) { s->run(ctx, s, out); }

/* ---- leaves ------------------------------------------------------------ */

static inline void SetInt(FVAL *out, int32_t i)
{
    out->type = FLT_INT;
    out->i = i;
    out->var = nullptr;
}

static void RunLeaf(FilterEvalContext *, const FSTEP *s, FVAL *out) { FValFromNode(s->node, out); }

static void RunInt(FilterEvalContext *, const FSTEP *s, FVAL *out) { SetInt(out, s->i); }

/* A string leaf's length (its value is there). */
static inline uint32_t LeafLength(const void *const *length)
{
    return *length ? FGet16(*length) : 0;
}

/* ---- operators --------------------------------------------------------- */

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

static void RunUnary(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    FVAL *v = Slots(ctx, s);
    Run(ctx, s->a, v);
    Unary(s->node->code, v, out);
}

/* Any binary operator: the right operand, the left one, then the
 * operator (two integers at once); "&" and "|" with runs of their own. */
#define BINARY(name, op)                                                     \
    static void name(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)    \
    {                                                                        \
        FVAL *right = Slots(ctx, s), *left = right + 1;                      \
        Run(ctx, s->a, right);                                               \
        Run(ctx, s->b, left);                                                \
        if (s->intOp && left->type == FLT_INT && right->type == FLT_INT)     \
            SetInt(out, op(left->i, right->i));                              \
        else                                                                 \
            PCFEvalOperator(ctx, s->node, right, left, out);                 \
    }

BINARY(RunBinary, s->intOp)
BINARY(RunAndBinary, FOpAnd)
BINARY(RunOrBinary, FOpOr)

/* Two leaves by the general rules (one of them is missing): out of line,
 * so that the runs below keep no registers for it. */
__attribute__((noinline, cold)) static void LeavesByRule(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    FVAL *right = Slots(ctx, s), *left = right + 1;
    FValFromNode(s->a->node, right);
    FValFromNode(s->b->node, left);
    PCFEvalOperator(ctx, s->node, right, left, out);
}

/* Two integer leaves: the operator's own run (INT_LEAVES), or any. */
#define INT_LEAVES(name, op)                                                 \
    static void name(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)    \
    {                                                                        \
        const void *left = *s->ref[0], *right = *s->ref[1];                  \
        if (left && right)                                                   \
            SetInt(out, op(FGet32(left), FGet32(right)));                    \
        else                                                                 \
            LeavesByRule(ctx, s, out);                                       \
    }

INT_LEAVES(RunIntLeaves, s->intOp)
INT_LEAVES(RunLtLeaves, FOpLt)
INT_LEAVES(RunGtLeaves, FOpGt)
INT_LEAVES(RunLeLeaves, FOpLe)
INT_LEAVES(RunGeLeaves, FOpGe)
INT_LEAVES(RunEqLeaves, FOpEq)
INT_LEAVES(RunNeLeaves, FOpNe)
INT_LEAVES(RunAddLeaves, FOpAdd)
INT_LEAVES(RunSubLeaves, FOpSub)
INT_LEAVES(RunAndLeaves, FOpAnd)
INT_LEAVES(RunOrLeaves, FOpOr)

static const struct {
    FINTOP op;
    FSTEPRUN run;
} IntLeafRuns[] = {
    { FOpLt, RunLtLeaves }, { FOpGt, RunGtLeaves }, { FOpLe, RunLeLeaves },   { FOpGe, RunGeLeaves },
    { FOpEq, RunEqLeaves }, { FOpNe, RunNeLeaves }, { FOpAdd, RunAddLeaves }, { FOpSub, RunSubLeaves },
    { FOpAnd, RunAndLeaves }, { FOpOr, RunOrLeaves },
};

static FSTEPRUN IntLeafRun(FINTOP op)
{
    for (const auto &row : IntLeafRuns)
        if (row.op == op)
            return row.run;
    return RunIntLeaves;
}

static FSTEPRUN BinaryOpRun(FINTOP op) { return op == FOpAnd ? RunAndBinary : op == FOpOr ? RunOrBinary : RunBinary; }

static void RunStringLeaves(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const void *left = *s->ref[0], *right = *s->ref[1];
    if (left && right)
        FValStringOp(s->node->code, (const char *)left, LeafLength(s->ref[2]), (const char *)right,
                     LeafLength(s->ref[3]), out);
    else
        LeavesByRule(ctx, s, out);
}

/* The pattern's literal characters begin the text (short: no call). */
static inline int Begins(const void *text, const void *literal, uint32_t n)
{
    const uint8_t *a = (const uint8_t *)text, *b = (const uint8_t *)literal;
    for (uint32_t k = 0; k < n; k++)
        if (a[k] != b[k])
            return 0;
    return 1;
}

/* "==" of a string and a constant pattern without "?" whose only "*"
 * end it: its literal characters (count) begin the string, or are the
 * string when there is no "*". */
static void RunWildPrefix(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const void *left = *s->ref[0];
    if (!left) {
        LeavesByRule(ctx, s, out);
        return;
    }
    uint32_t n = LeafLength(s->ref[2]);
    SetInt(out, n >= s->count && Begins(left, s->a->own[0], s->count));
}

static void RunWildExact(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const void *left = *s->ref[0];
    if (!left) {
        LeavesByRule(ctx, s, out);
        return;
    }
    uint32_t n = LeafLength(s->ref[2]);
    SetInt(out, n == s->count && Begins(left, s->a->own[0], s->count));
}

/* ---- if, sequences, calls ---------------------------------------------- */

static void RunIf(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    FVAL *cond = Slots(ctx, s);
    Run(ctx, s->a, cond);
    int truth = FValTruth(cond);
    const FSTEP *branch = truth ? s->b : s->c;
    if (branch)
        Run(ctx, branch, out);
    else
        SetInt(out, truth ? 1 : 0);
}

static void RunSequence(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const FSTEP *k = s->a;
    FVAL *tmp = Slots(ctx, s);
    for (uint32_t i = 0; i < s->count; i++, k = k->next)
        Run(ctx, k, tmp);
    Run(ctx, k, out);
}

static void RunCall(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const FCALLNODE *c = (const FCALLNODE *)s->node;
    FVAL *args = Slots(ctx, s), *end = args;
    for (const FSTEP *k = s->a; k; k = k->next)
        Run(ctx, k, end++);
    const FLTFUNC *f = c->func;
    if (!f->missing)
        for (const FVAL *a = args; a < end; a++)
            if (!a->type && a->var) {
                if (f->action)
                    SetInt(out, 1);
                else
                    FValMissing(out);
                return;
            }
    SetInt(out, 1);
    f->handler(ctx, c, args, (int)c->count, out);
}

/* ---- building ---------------------------------------------------------- */

struct FBUILD {
    FSTEP *steps;
    uint32_t used, cap;
    const uint8_t *start, *end;
    uint32_t need;                /* slots the steps take */
};

static int IsLeaf(const FSTEP *s) { return (s->node->kind & (FK_CONST | FK_VAR)) != 0; }

/* A constant pattern's form: the run for it when it has no "?" and its
 * only "*" end it, with its literal characters in count. */
static FSTEPRUN PatternRun(FSTEP *s, const FSTRNODE *pattern)
{
    uint32_t n = pattern->length, literal = 0;
    while (literal < n && pattern->text[literal] != '*' && pattern->text[literal] != '?')
        literal++;
    for (uint32_t k = literal; k < n; k++)
        if (pattern->text[k] != '*')
            return nullptr;
    s->count = literal;
    return literal == n ? RunWildExact : RunWildPrefix;
}

/* The run of a binary operator for what its operands are. */
static FSTEPRUN BinaryRun(FSTEP *s)
{
    uint16_t code = s->node->code;
    if (code == FOP_ASSIGN)
        return RunBinary;
    if (!IsLeaf(s->a) || !IsLeaf(s->b))
        return BinaryOpRun(s->intOp);
    uint32_t right = FNodeType(s->a->node), left = FNodeType(s->b->node);
    const void *const *refs[4] = { s->b->ref[0], s->a->ref[0], s->b->ref[1], s->a->ref[1] };
    memcpy(s->ref, refs, sizeof refs);
    if (left == FLT_INT && right == FLT_INT && s->intOp)
        return IntLeafRun(s->intOp);
    if (left != FLT_STRING || right != FLT_STRING)
        return RunBinary;
    FSTEPRUN wild = nullptr;
    if (code == FOP('=', '=') && FNodeKind(s->a->node) == FK_CONST)
        wild = PatternRun(s, (const FSTRNODE *)s->a->node);
    return wild ? wild : RunStringLeaves;
}

/* A leaf: where its value and length lie, and its run. */
static void Leaf(FSTEP *s)
{
    const FNODE *n = s->node;
    if (FNodeKind(n) == FK_VAR) {
        const FVARNODE *v = (const FVARNODE *)n;
        s->ref[0] = &v->value;
        s->ref[1] = &v->lengthPtr;
        s->run = RunLeaf;
        return;
    }
    s->ref[0] = &s->own[0];
    s->ref[1] = &s->own[1];
    s->run = RunLeaf;
    if (FNodeType(n) == FLT_STRING) {
        s->length = ((const FSTRNODE *)n)->length;
        s->own[0] = ((const FSTRNODE *)n)->text;
        s->own[1] = &s->length;
    } else if (FNodeType(n) != FLT_REAL) {
        s->i = (int32_t)(uint32_t)((const FCONSTNODE *)n)->i;
        s->own[0] = &s->i;
        s->run = RunInt;
    }
}

static FSTEP *Build(FBUILD *b, const uint8_t **cursor, uint32_t base);

/* count steps, their temporaries from slot base, chained by next after
 * last (or from *first); 0, or 1 when the stream ends inside them. */
static int Chain(FBUILD *b, const uint8_t **cursor, uint32_t count, uint32_t base, const FSTEP **first,
                 FSTEP **last)
{
    for (uint32_t i = 0; i < count; i++) {
        FSTEP *k = Build(b, cursor, base);
        if (!k)
            return 1;
        if (*last)
            (*last)->next = k;
        else
            *first = k;
        *last = k;
    }
    return 0;
}

/* The condition (its temporaries after the step's own slot), then the
 * branches in the step's place. */
static int BuildIf(FBUILD *b, FSTEP *s, const uint8_t **cursor)
{
    const FIFNODE *f = (const FIFNODE *)s->node;
    const uint8_t *start = (const uint8_t *)f;
    if (f->size < f->n.length || f->size > (uint32_t)(b->end - start))
        return 1;
    s->run = RunIf;
    if (!(s->a = Build(b, cursor, s->slot + 1)))
        return 1;
    const uint32_t offsets[2] = { f->trueOffset, f->falseOffset };
    const FSTEP **branches[2] = { &s->b, &s->c };
    for (int i = 0; i < 2; i++) {
        if (!offsets[i])
            continue;
        const uint8_t *at = start + offsets[i];
        if (offsets[i] >= f->size || !(*branches[i] = Build(b, &at, s->slot)))
            return 1;
    }
    *cursor = start + f->size;
    return 0;
}

/* A run of statements: its headers, the statements before the last with
 * the step's slot kept, the last in the step's place. */
static int BuildSequence(FBUILD *b, FSTEP *s, const uint8_t **cursor)
{
    s->count = 1;
    while (*cursor + sizeof(FNODE) <= b->end && ((const FNODE *)*cursor)->code == FOP_SEQ &&
           FNodeKind((const FNODE *)*cursor) == FK_BINARY && ((const FNODE *)*cursor)->length) {
        *cursor += ((const FNODE *)*cursor)->length;
        s->count++;
    }
    s->run = RunSequence;
    FSTEP *last = nullptr;
    return Chain(b, cursor, s->count, s->slot + 1, &s->a, &last) || Chain(b, cursor, 1, s->slot, &s->a, &last);
}

/* One node and its operands, its temporaries from slot base; null when
 * the stream ends inside it. */
static FSTEP *Build(FBUILD *b, const uint8_t **cursor, uint32_t base)
{
    if (*cursor < b->start || *cursor + sizeof(FNODE) > b->end || b->used >= b->cap)
        return nullptr;
    const FNODE *n = (const FNODE *)*cursor;
    if (n->length < sizeof(FNODE) || n->length > (uint32_t)(b->end - *cursor))
        return nullptr;
    FSTEP *s = &b->steps[b->used++];
    memset(s, 0, sizeof *s);
    s->node = n;
    s->slot = base;
    *cursor += n->length;
    uint32_t temporaries = 1;
    int failed = 0;
    FSTEP *last = nullptr;
    switch (FNodeKind(n)) {
    case FK_CONST:
    case FK_VAR:
        Leaf(s);
        temporaries = 0;
        break;
    case FK_UNARY:
        if (n->code == FOP_IF) {
            failed = BuildIf(b, s, cursor);
        } else {
            s->run = RunUnary;
            failed = !(s->a = Build(b, cursor, base + 1));
        }
        break;
    default:
        if (n->code == FOP_SEQ) {
            failed = BuildSequence(b, s, cursor);
        } else if (n->code == FOP_CALL) {
            temporaries = ((const FCALLNODE *)n)->count;
            s->run = RunCall;
            failed = Chain(b, cursor, temporaries, base + temporaries, &s->a, &last);
        } else {
            temporaries = 2;
            failed = !(s->a = Build(b, cursor, base + 2)) || !(s->b = Build(b, cursor, base + 2));
            s->intOp = n->code == FOP_ASSIGN ? nullptr : FltIntOperator(n->code);
            if (!failed)
                s->run = BinaryRun(s);
        }
        break;
    }
    if (base + temporaries > b->need)
        b->need = base + temporaries;
    return failed ? nullptr : s;
}

int FltBuildPlan(FilterProgram *prog)
{
    prog->root = nullptr;
    if (!prog->used)
        return 0;
    FBUILD b = { prog->steps, 0, prog->nodes, prog->first, prog->first + prog->used, 1 };
    const uint8_t *cursor = prog->first;
    prog->root = Build(&b, &cursor, 1);
    if (b.need > prog->slotNeed)
        prog->slotNeed = b.need;
    return prog->root ? 0 : 1;
}
