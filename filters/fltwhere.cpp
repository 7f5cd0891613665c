/* The WHERE condition a list dialog's filter gives its list requests: a
 * filter made only of comparisons of the definition's fields with
 * constants, joined by "&" or "&&", hands the queue manager one of those
 * comparisons, so that only rows the filter could show come back.  The
 * filter still runs over every row that comes; a filter the queue
 * manager cannot share (calls, assignments, variables, "|", "!") gives
 * no condition.  A field whose values are named ones (a queue's type,
 * put enabled) is compared by the queue manager only for equal or not
 * equal: an order on it stays with the program. */
#include "fltint.h"

#include "mqi.h"
#include "pcflists.h"

#include <string>

#define ATTR_OWN_FIRST 10000          /* the program's own ids: no MQ attribute */

/* Each comparison's filter operator for an integer and for a string
 * constant, and the operator with its operands swapped; 0 none. */
static const struct { uint16_t code; int32_t intOp, strOp; uint16_t swapped; } Comparisons[] = {
    { FOP('<', ' '), MQCFOP_LESS, 0, FOP('>', ' ') },
    { FOP('>', ' '), MQCFOP_GREATER, 0, FOP('<', ' ') },
    { FOP('<', '='), MQCFOP_NOT_GREATER, 0, FOP('>', '=') },
    { FOP('>', '='), MQCFOP_NOT_LESS, 0, FOP('<', '=') },
    { FOP('=', ' '), MQCFOP_EQUAL, MQCFOP_EQUAL, FOP('=', ' ') },
    { FOP('=', '='), MQCFOP_EQUAL, MQCFOP_LIKE, 0 },
    { FOP('!', '='), MQCFOP_NOT_EQUAL, MQCFOP_NOT_EQUAL, FOP('!', '=') },
    { FOP('<', '>'), MQCFOP_NOT_EQUAL, MQCFOP_NOT_EQUAL, FOP('<', '>') },
};

static int IsConjunction(uint16_t code)
{
    return code == FOP('&', ' ') || code == FOP('&', '&');
}

/* Whether every node of the program is an operator without side
 * effects, a constant or a field of the definition. */
static int Pure(const FilterProgram *p)
{
    const uint8_t *end = p->first + p->used;
    for (const uint8_t *at = p->first; at < end; at += ((const FNODE *)at)->length) {
        const FNODE *n = (const FNODE *)at;
        if (!n->length)
            return 0;
        switch (FNodeKind(n)) {
        case FK_BINARY:
            if (n->code == FOP_SEQ || n->code == FOP_CALL || n->code == FOP_ASSIGN)
                return 0;
            break;
        case FK_UNARY:
            if (n->code == FOP_IF)
                return 0;
            break;
        case FK_VAR: {
            const FVARNODE *v = (const FVARNODE *)n;
            if (!(v->flags & VF_FIELD) || (v->flags & (VF_USER | VF_SYSTEM | VF_PERCENT)) || !v->field)
                return 0;
            break;
        }
        case FK_CONST:
            break;
        default:
            return 0;
        }
    }
    return 1;
}

static int IntegerField(const PCFFieldDef *f)
{
    return f->type == PCFT_INT || f->type == PCFT_ENUM || f->type == PCFT_ENUMNUM || f->type == PCFT_ENUM13 ||
           f->type == PCFT_ENUM14 || f->type == PCFT_NUMBER;
}

/* An integer field whose values come from a set of named values. */
static int NamedValues(const PCFFieldDef *f)
{
    return f->type == PCFT_ENUM || f->type == PCFT_ENUM13 || f->type == PCFT_ENUM14;
}

static int StringField(const PCFFieldDef *f)
{
    return f->type == PCFT_STRING || f->type == PCFT_NAME || f->type == PCFT_STRING25;
}

/* A string the queue manager compares as the filter does: no trailing
 * blank (its values are compared blank-padded), and for a generic match
 * only one "*", at the end. */
static int StringComparable(const FSTRNODE *s, int32_t op)
{
    uint16_t n = s->length;
    const char *text = FStrText(s);
    if (!n || text[n - 1] == ' ')
        return 0;
    const char *star = (const char *)memchr(text, '*', n);
    const char *any = (const char *)memchr(text, '?', n);
    if (op == MQCFOP_LIKE)
        return !any && star == text + n - 1 && n > 1;
    return 1;
}

/* One comparison of a field with a constant into *w; 1 when it is one. */
static int Comparison(const FSTEP *s, FLTWHERE *w)
{
    const FNODE *right = s->a ? s->a->node : nullptr, *left = s->b ? s->b->node : nullptr;
    if (!right || !left)
        return 0;
    uint16_t code = s->node->code;
    if (FNodeKind(left) == FK_CONST && FNodeKind(right) == FK_VAR) {
        const FNODE *t = left;           /* the constant on the left: read it the other way */
        left = right;
        right = t;
        code = 0;
        for (const auto &c : Comparisons)
            if (c.code == s->node->code)
                code = c.swapped;
    }
    if (FNodeKind(left) != FK_VAR || FNodeKind(right) != FK_CONST)
        return 0;
    const PCFFieldDef *f = ((const FVARNODE *)left)->field;
    if (!f || f->attrId >= ATTR_OWN_FIRST)
        return 0;
    for (const auto &c : Comparisons) {
        if (c.code != code || !code)
            continue;
        memset(w, 0, sizeof *w);
        w->parameter = (int32_t)f->attrId;
        if (IntegerField(f) && FNodeType(right) == FLT_INT) {
            if (NamedValues(f) && c.intOp != MQCFOP_EQUAL && c.intOp != MQCFOP_NOT_EQUAL)
                return 0;
            w->type = MQCFT_INTEGER_FILTER;
            w->op = c.intOp;
            w->value = (int32_t)((const FCONSTNODE *)right)->i;     /* as the filter reads it */
            return 1;
        }
        const FSTRNODE *text = (const FSTRNODE *)right;
        if (StringField(f) && FNodeType(right) == FLT_STRING && c.strOp && StringComparable(text, c.strOp)) {
            w->type = MQCFT_STRING_FILTER;
            w->op = c.strOp;
            w->text = FStrText(text);
            w->length = text->length;
            return 1;
        }
        return 0;
    }
    return 0;
}

/* The first comparison, as written, of a conjunction (every operand of
 * "&" or "&&" holds for a row shown). */
static int Condition(const FSTEP *s, FLTWHERE *w)
{
    if (!s || !s->node)
        return 0;
    if (FNodeKind(s->node) == FK_BINARY && IsConjunction(s->node->code))
        return Condition(s->b, w) || Condition(s->a, w);
    return FNodeKind(s->node) == FK_BINARY && Comparison(s, w);
}

int PCFFilterCondition(const FilterProgram *program, FLTWHERE *where)
{
    if (!program || !program->root || !Pure(program))
        return 0;
    return Condition(program->root, where);
}

int PCFFilterWhere(DialogWords *d)
{
    uint32_t length = 0;
    const uint8_t *held = PCFWhereFilter(d, &length);
    std::string before(held ? (const char *)held : "", held ? length : 0);
    const PCFCommandDef *def = d->definition;
    const PCFActionDef *list = def && def->list && def->actions && def->actions->id ? def->actions : nullptr;
    FLTWHERE w;
    if (!list || list->command >= ATTR_OWN_FIRST ||
        !PCFFilterCondition(d->filterProgram, &w))
        PCFFreeWhereFilter(d);
    else if (w.type == MQCFT_INTEGER_FILTER)
        SetWhereFilter(d, 1, w.type, w.parameter, w.op, &w.value, 4);
    else
        SetWhereFilter(d, 1, w.type, w.parameter, w.op, w.text, w.length);
    const uint8_t *now = PCFWhereFilter(d, &length);
    return before != std::string(now ? (const char *)now : "", now ? length : 0);
}
