/* The evaluation plan: a program's prefix stream turned, once when the
 * program is made, into steps that hold their operands, so that a row
 * walks no stream.  An operator whose operands are an integer or string
 * field and a constant (the common "depth > 100", "name == 'A*'") reads
 * both in place and applies the operator at once; a missing operand, and
 * every other node, takes the general rules of fltvalue.cpp and the
 * functions' rules, in the stream's order (right operand before left,
 * parameters first to last), with the same slots. */
#include "fltint.h"

static FVAL *Push(FilterEvalContext *ctx, int n)
{
    FVAL *v = ctx->slots + ctx->slotTop;
    ctx->slotTop += n;
    return v;
}

static void Pop(FilterEvalContext *ctx, int n) { ctx->slotTop -= n; }

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
    FVAL *v = Push(ctx, 1);
    Run(ctx, s->a, v);
    Unary(s->node->code, v, out);
    Pop(ctx, 1);
}

/* Any binary operator: the right operand, the left one, then the
 * operator (two integers at once). */
static void RunBinary(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    FVAL *right = Push(ctx, 2), *left = right + 1;
    Run(ctx, s->a, right);
    Run(ctx, s->b, left);
    if (s->intOp && left->type == FLT_INT && right->type == FLT_INT)
        SetInt(out, s->intOp(left->i, right->i));
    else
        PCFEvalOperator(ctx, s->node, right, left, out);
    Pop(ctx, 2);
}

/* Two leaves by the general rules (one of them is missing). */
static void LeavesByRule(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    FVAL *right = Push(ctx, 2), *left = right + 1;
    FValFromNode(s->a->node, right);
    FValFromNode(s->b->node, left);
    PCFEvalOperator(ctx, s->node, right, left, out);
    Pop(ctx, 2);
}

static void RunIntLeaves(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const void *left = *s->ref[0], *right = *s->ref[1];
    if (left && right)
        SetInt(out, s->intOp(FGet32(left), FGet32(right)));
    else
        LeavesByRule(ctx, s, out);
}

static void RunStringLeaves(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const void *left = *s->ref[0], *right = *s->ref[1];
    if (left && right)
        FValStringOp(s->node->code, (const char *)left, LeafLength(s->ref[2]), (const char *)right,
                     LeafLength(s->ref[3]), out);
    else
        LeavesByRule(ctx, s, out);
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
    SetInt(out, n >= s->count && !memcmp(left, s->a->own[0], s->count));
}

static void RunWildExact(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const void *left = *s->ref[0];
    if (!left) {
        LeavesByRule(ctx, s, out);
        return;
    }
    uint32_t n = LeafLength(s->ref[2]);
    SetInt(out, n == s->count && !memcmp(left, s->a->own[0], s->count));
}

/* ---- if, sequences, calls ---------------------------------------------- */

static void RunIf(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    FVAL *cond = Push(ctx, 1);
    Run(ctx, s->a, cond);
    int truth = FValTruth(cond);
    Pop(ctx, 1);
    const FSTEP *branch = truth ? s->b : s->c;
    if (branch)
        Run(ctx, branch, out);
    else
        SetInt(out, truth ? 1 : 0);
}

static void RunSequence(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const FSTEP *k = s->a;
    FVAL *tmp = Push(ctx, 1);
    for (uint32_t i = 0; i < s->count; i++, k = k->next)
        Run(ctx, k, tmp);
    Pop(ctx, 1);
    Run(ctx, k, out);
}

static void RunCall(FilterEvalContext *ctx, const FSTEP *s, FVAL *out)
{
    const FCALLNODE *c = (const FCALLNODE *)s->node;
    int n = (int)c->count;
    FVAL *args = Push(ctx, n);
    const FSTEP *k = s->a;
    for (int i = 0; i < n; i++, k = k->next)
        Run(ctx, k, &args[i]);
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

/* ---- building ---------------------------------------------------------- */

struct FBUILD {
    FSTEP *steps;
    uint32_t used, cap;
    const uint8_t *start, *end;
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
    if (code == FOP_ASSIGN || !IsLeaf(s->a) || !IsLeaf(s->b))
        return RunBinary;
    uint32_t right = FNodeType(s->a->node), left = FNodeType(s->b->node);
    const void *const *refs[4] = { s->b->ref[0], s->a->ref[0], s->b->ref[1], s->a->ref[1] };
    memcpy(s->ref, refs, sizeof refs);
    if (left == FLT_INT && right == FLT_INT && s->intOp)
        return RunIntLeaves;
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

static FSTEP *Build(FBUILD *b, const uint8_t **cursor);

/* count steps chained by next from the cursor on into *first; 0, or 1
 * when the stream ends inside them. */
static int Chain(FBUILD *b, const uint8_t **cursor, uint32_t count, const FSTEP **first)
{
    FSTEP *last = nullptr;
    *first = nullptr;
    for (uint32_t i = 0; i < count; i++) {
        FSTEP *k = Build(b, cursor);
        if (!k)
            return 1;
        if (last)
            last->next = k;
        else
            *first = k;
        last = k;
    }
    return 0;
}

static int BuildIf(FBUILD *b, FSTEP *s, const uint8_t **cursor)
{
    const FIFNODE *f = (const FIFNODE *)s->node;
    const uint8_t *start = (const uint8_t *)f;
    if (f->size < f->n.length || f->size > (uint32_t)(b->end - start))
        return 1;
    s->run = RunIf;
    if (!(s->a = Build(b, cursor)))
        return 1;
    const uint32_t offsets[2] = { f->trueOffset, f->falseOffset };
    const FSTEP **branches[2] = { &s->b, &s->c };
    for (int i = 0; i < 2; i++) {
        if (!offsets[i])
            continue;
        const uint8_t *at = start + offsets[i];
        if (offsets[i] >= f->size || !(*branches[i] = Build(b, &at)))
            return 1;
    }
    *cursor = start + f->size;
    return 0;
}

/* One node and its operands; null when the stream ends inside it. */
static FSTEP *Build(FBUILD *b, const uint8_t **cursor)
{
    if (*cursor < b->start || *cursor + sizeof(FNODE) > b->end || b->used >= b->cap)
        return nullptr;
    const FNODE *n = (const FNODE *)*cursor;
    if (n->length < sizeof(FNODE) || n->length > (uint32_t)(b->end - *cursor))
        return nullptr;
    FSTEP *s = &b->steps[b->used++];
    memset(s, 0, sizeof *s);
    s->node = n;
    *cursor += n->length;
    switch (FNodeKind(n)) {
    case FK_CONST:
    case FK_VAR:
        Leaf(s);
        return s;
    case FK_UNARY:
        if (n->code == FOP_IF)
            return BuildIf(b, s, cursor) ? nullptr : s;
        s->run = RunUnary;
        return (s->a = Build(b, cursor)) ? s : nullptr;
    }
    if (n->code == FOP_SEQ) {
        /* the headers of a run of statements, then its statements */
        s->count = 1;
        while (*cursor + sizeof(FNODE) <= b->end && ((const FNODE *)*cursor)->code == FOP_SEQ &&
               FNodeKind((const FNODE *)*cursor) == FK_BINARY && ((const FNODE *)*cursor)->length) {
            *cursor += ((const FNODE *)*cursor)->length;
            s->count++;
        }
        s->run = RunSequence;
        return Chain(b, cursor, s->count + 1, &s->a) ? nullptr : s;
    }
    if (n->code == FOP_CALL) {
        s->run = RunCall;
        return Chain(b, cursor, ((const FCALLNODE *)n)->count, &s->a) ? nullptr : s;
    }
    if (!(s->a = Build(b, cursor)) || !(s->b = Build(b, cursor)))
        return nullptr;
    s->intOp = n->code == FOP_ASSIGN ? nullptr : FltIntOperator(n->code);
    s->run = BinaryRun(s);
    return s;
}

int FltBuildPlan(FilterProgram *prog)
{
    prog->root = nullptr;
    if (!prog->used)
        return 0;
    FBUILD b = { prog->steps, 0, prog->nodes, prog->first, prog->first + prog->used };
    const uint8_t *cursor = prog->first;
    prog->root = Build(&b, &cursor);
    return prog->root ? 0 : 1;
}
