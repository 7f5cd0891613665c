/* The evaluation plan: a program's prefix stream turned, once when the
 * program is made, into steps that hold their operands, so that a row
 * walks no stream.  An operator whose operands are an integer or string
 * field and a constant (the common "depth > 100", "name == 'A*'") reads
 * both in place and applies the operator at once; a missing operand, and
 * every other node, takes the general rules of fltvalue.cpp and the
 * functions' rules, in the stream's order (right operand before left,
 * parameters first to last).  Each step's temporaries have their slots
 * fixed when it is made, where the stream's walk would push them.
 * Steps whose value is an integer from integer and wildcard tests of
 * leaves (and "&", "|" and the other integer operators over them) also
 * have a test that gives the integer without slots: their parents
 * (operators, conditions, calls, the colour and sort actions) use it,
 * and take the general run only when an operand is missing. */
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

/* Two integer leaves: the operator's own run and test (INT_LEAVES), or
 * any. */
#define INT_LEAVES(name, op)                                                 \
    static void name(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)    \
    {                                                                        \
        const void *left = *s->ref[0], *right = *s->ref[1];                  \
        if (left && right)                                                   \
            SetInt(out, op(FGet32(left), FGet32(right)));                    \
        else                                                                 \
            LeavesByRule(ctx, s, out);                                       \
    }                                                                        \
    static int name##Test(const FSTEP *s, int32_t *v)                        \
    {                                                                        \
        const void *left = *s->ref[0], *right = *s->ref[1];                  \
        if (!left || !right)                                                 \
            return 1;                                                        \
        *v = op(FGet32(left), FGet32(right));                                \
        return 0;                                                            \
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

/* The tests of leaves a tested parent makes in line (FSTEP leaf). */
enum { FL_NONE, FL_LT, FL_GT, FL_LE, FL_GE, FL_EQ, FL_NE, FL_ADD, FL_SUB, FL_PREFIX, FL_EXACT, FL_INT };

#define INT_LEAF_ROW(op, name, leaf) { op, name, name##Test, leaf }

static const struct {
    FINTOP op;
    FSTEPRUN run;
    FSTEPTEST test;
    uint8_t leaf;
} IntLeafRuns[] = {
    INT_LEAF_ROW(FOpLt, RunLtLeaves, FL_LT),    INT_LEAF_ROW(FOpGt, RunGtLeaves, FL_GT),
    INT_LEAF_ROW(FOpLe, RunLeLeaves, FL_LE),    INT_LEAF_ROW(FOpGe, RunGeLeaves, FL_GE),
    INT_LEAF_ROW(FOpEq, RunEqLeaves, FL_EQ),    INT_LEAF_ROW(FOpNe, RunNeLeaves, FL_NE),
    INT_LEAF_ROW(FOpAdd, RunAddLeaves, FL_ADD), INT_LEAF_ROW(FOpSub, RunSubLeaves, FL_SUB),
    INT_LEAF_ROW(FOpAnd, RunAndLeaves, 0),      INT_LEAF_ROW(FOpOr, RunOrLeaves, 0),
};

/* The run and test of an operator on two integer leaves. */
static FSTEPRUN IntLeafRun(FSTEP *s)
{
    for (const auto &row : IntLeafRuns)
        if (row.op == s->intOp) {
            s->test = row.test;
            s->leaf = row.leaf;
            return row.run;
        }
    s->test = RunIntLeavesTest;
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

/* The pattern's literal characters begin the text (short: no call; the
 * loop as long whatever the text, so that rows whose texts differ early
 * or late take the same branches). */
static inline int Begins(const void *text, const void *literal, uint32_t n)
{
    const uint8_t *a = (const uint8_t *)text, *b = (const uint8_t *)literal;
    uint32_t differ = 0;
    for (uint32_t k = 0; k < n; k++)
        differ |= (uint32_t)(a[k] ^ b[k]);
    return differ == 0;
}

/* "==" of a string and a constant pattern without "?" whose only "*"
 * end it: its literal characters (count) begin the string, or are the
 * string when there is no "*". */
static int TestWildPrefix(const FSTEP *s, int32_t *v)
{
    const void *left = *s->ref[0];
    if (!left)
        return 1;
    *v = LeafLength(s->ref[2]) >= s->count && Begins(left, s->a->own[0], s->count);
    return 0;
}

static int TestWildExact(const FSTEP *s, int32_t *v)
{
    const void *left = *s->ref[0];
    if (!left)
        return 1;
    *v = LeafLength(s->ref[2]) == s->count && Begins(left, s->a->own[0], s->count);
    return 0;
}

static int TestInt(const FSTEP *s, int32_t *v)
{
    *v = s->i;
    return 0;
}

/* A step's test, the common tests of leaves made here in line (each
 * as its own test makes it). */
static inline int TestStep(const FSTEP *s, int32_t *v)
{
    switch (s->leaf) {
    case FL_INT:
        *v = s->i;
        return 0;
    case FL_PREFIX:
    case FL_EXACT: {
        const void *left = *s->ref[0];
        if (!left)
            return 1;
        uint32_t n = LeafLength(s->ref[2]);
        *v = (s->leaf == FL_PREFIX ? n >= s->count : n == s->count) && Begins(left, s->a->own[0], s->count);
        return 0;
    }
    case FL_NONE:
        return s->test(s, v);
    }
    const void *left = *s->ref[0], *right = *s->ref[1];
    if (!left || !right)
        return 1;
    int32_t l = FGet32(left), r = FGet32(right);
    switch (s->leaf) {
    case FL_LT: *v = FOpLt(l, r); break;
    case FL_GT: *v = FOpGt(l, r); break;
    case FL_LE: *v = FOpLe(l, r); break;
    case FL_GE: *v = FOpGe(l, r); break;
    case FL_EQ: *v = FOpEq(l, r); break;
    case FL_NE: *v = FOpNe(l, r); break;
    case FL_ADD: *v = FOpAdd(l, r); break;
    default: *v = FOpSub(l, r); break;
    }
    return 0;
}

/* A tested step: its test, else its run by the general rules. */
static void RunTested(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    int32_t v;
    if (s->test(s, &v))
        s->general(ctx, s, out);
    else
        SetInt(out, v);
}

/* An operator with an integer result on two tested operands ("&" and
 * "|" with tests of their own). */
static int TestAnd(const FSTEP *s, int32_t *v)
{
    int32_t right, left;
    if (TestStep(s->a, &right) || TestStep(s->b, &left))
        return 1;
    *v = FOpAnd(left, right);
    return 0;
}

static int TestOr(const FSTEP *s, int32_t *v)
{
    int32_t right, left;
    if (TestStep(s->a, &right) || TestStep(s->b, &left))
        return 1;
    *v = FOpOr(left, right);
    return 0;
}

static int TestBinary(const FSTEP *s, int32_t *v)
{
    int32_t right, left;
    if (TestStep(s->a, &right) || TestStep(s->b, &left))
        return 1;
    *v = s->intOp(left, right);
    return 0;
}

/* ---- if, sequences, calls ---------------------------------------------- */

static void RunIf(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    int32_t tested;
    int truth;
    if (s->a->test && !TestStep(s->a, &tested)) {
        truth = tested != 0;
    } else {
        FVAL *cond = Slots(ctx, s);
        Run(ctx, s->a, cond);
        truth = FValTruth(cond);
    }
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

/* A call whose parameters are all tested: their values put in the
 * slots as integers (none missing), else the call by the general rules. */
static void RunCallTested(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const FCALLNODE *c = (const FCALLNODE *)s->node;
    FVAL *args = Slots(ctx, s), *end = args;
    for (const FSTEP *k = s->a; k; k = k->next) {
        int32_t v;
        if (TestStep(k, &v)) {
            RunCall(ctx, s, out);
            return;
        }
        SetInt(end++, v);
    }
    SetInt(out, 1);
    c->func->handler(ctx, c, args, (int)c->count, out);
}

/* "fg" and "bg" with tested parameters (the colour first in the chain,
 * then the condition), and the sort keys of a tested integer. */
static void RunColourTested(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    int32_t colour, on;
    if (TestStep(s->a, &colour) || TestStep(s->a->next, &on)) {
        RunCall(ctx, s, out);
        return;
    }
    SetInt(out, 1);
    if (s->action == FA_FG)
        FltRowColour(ctx, on, colour, FLTR_FG, FLTR_TEXTCOLOUR);
    else
        FltRowColour(ctx, on, colour, FLTR_BG, FLTR_BACKCOLOUR);
}

static void RunSortTested(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    int32_t key;
    if (TestStep(s->a, &key)) {
        RunCall(ctx, s, out);
        return;
    }
    SetInt(out, 1);
    uint32_t kind = s->action - FA_SORT;
    FltSortKeyInt(ctx, key, kind >= 2, kind & 1);
}

/* The run of a call whose parameters are all tested. */
static FSTEPRUN CallTestedRun(FSTEP *s)
{
    const FCALLNODE *c = (const FCALLNODE *)s->node;
    int action = FltIntAction(c->func);
    s->action = (uint8_t)action;
    if ((action == FA_FG || action == FA_BG) && c->count == 2)
        return RunColourTested;
    if (action >= FA_SORT && c->count == 1)
        return RunSortTested;
    s->action = 0;
    return RunCallTested;
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
    const char *text = FStrText(pattern);
    while (literal < n && text[literal] != '*' && text[literal] != '?')
        literal++;
    for (uint32_t k = literal; k < n; k++)
        if (text[k] != '*')
            return nullptr;
    s->count = literal;
    s->test = literal == n ? TestWildExact : TestWildPrefix;
    s->leaf = literal == n ? FL_EXACT : FL_PREFIX;
    s->general = LeavesByRule;
    return RunTested;
}

/* An operator with an integer result on two tested operands: tested
 * too, else its run. */
static FSTEPRUN TestedOr(FSTEP *s, FSTEPRUN run)
{
    if (!s->intOp || !s->a->test || !s->b->test)
        return run;
    s->test = s->intOp == FOpAnd ? TestAnd : s->intOp == FOpOr ? TestOr : TestBinary;
    s->general = run;
    return RunTested;
}

/* The run of a binary operator for what its operands are. */
static FSTEPRUN BinaryRun(FSTEP *s)
{
    uint16_t code = s->node->code;
    if (code == FOP_ASSIGN)
        return RunBinary;
    if (!IsLeaf(s->a) || !IsLeaf(s->b))
        return TestedOr(s, BinaryOpRun(s->intOp));
    uint32_t right = FNodeType(s->a->node), left = FNodeType(s->b->node);
    const void *const *refs[4] = { s->b->ref[0], s->a->ref[0], s->b->ref[1], s->a->ref[1] };
    memcpy(s->ref, refs, sizeof refs);
    if (left == FLT_INT && right == FLT_INT && s->intOp)
        return IntLeafRun(s);
    if (left != FLT_STRING || right != FLT_STRING)
        return RunBinary;
    FSTEPRUN wild = nullptr;
    if (code == FOP('=', '=') && FNodeKind(s->a->node) == FK_CONST)
        wild = PatternRun(s, (const FSTRNODE *)s->a->node);
    return wild ? wild : RunStringLeaves;
}

/* Parameters that are all tested (at least one). */
static int AllTested(const FSTEP *k)
{
    if (!k)
        return 0;
    for (; k; k = k->next)
        if (!k->test)
            return 0;
    return 1;
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
        s->own[0] = FStrText((const FSTRNODE *)n);
        s->own[1] = &s->length;
    } else if (FNodeType(n) != FLT_REAL) {
        s->i = (int32_t)(uint32_t)((const FCONSTNODE *)n)->i;
        s->own[0] = &s->i;
        s->run = RunInt;
        s->test = TestInt;
        s->leaf = FL_INT;
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
            if (!failed && AllTested(s->a))
                s->run = CallTestedRun(s);
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
