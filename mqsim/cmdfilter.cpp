/* WHERE filters of the command server's inquiries: an integer, string
 * or byte-string filter applied to one attribute value. */
#include "cmdsrv.h"

static bool Compare(MQLONG op, int cmp)
{
    switch (op) {
    case MQCFOP_LESS:
        return cmp < 0;
    case MQCFOP_EQUAL:
        return cmp == 0;
    case MQCFOP_GREATER:
        return cmp > 0;
    case MQCFOP_NOT_LESS:
        return cmp >= 0;
    case MQCFOP_NOT_EQUAL:
        return cmp != 0;
    case MQCFOP_NOT_GREATER:
        return cmp <= 0;
    default:
        return false;
    }
}

static bool ListOp(MQLONG op, bool found)
{
    return op == MQCFOP_CONTAINS || op == MQCFOP_CONTAINS_GEN ? found : !found;
}

/* Generic string match: a trailing "*" matches any rest. */
static bool Like(const std::string &pattern, const std::string &value)
{
    return SimNameMatch(pattern, value);
}

static bool IntMatch(const CmdParm *f, const SimAttr *v)
{
    if (v->type == SIM_INTLIST) {
        bool found = false;
        for (MQLONG x : v->ilist)
            found = found || x == f->ival;
        return ListOp(f->op, found);
    }
    if (v->type != SIM_INT)
        return false;
    return Compare(f->op, v->ival < f->ival ? -1 : v->ival > f->ival ? 1 : 0);
}

static bool StrMatch(const CmdParm *f, const SimAttr *v)
{
    if (v->type == SIM_STRLIST) {
        bool found = false;
        bool gen = f->op == MQCFOP_CONTAINS_GEN || f->op == MQCFOP_EXCLUDES_GEN;
        for (const std::string &s : v->slist)
            found = found || (gen ? Like(f->sval, s) : s == f->sval);
        return ListOp(f->op, found);
    }
    if (v->type != SIM_STR)
        return false;
    if (f->op == MQCFOP_LIKE)
        return Like(f->sval, v->sval);
    if (f->op == MQCFOP_NOT_LIKE)
        return !Like(f->sval, v->sval);
    int c = v->sval.compare(f->sval);
    return Compare(f->op, c < 0 ? -1 : c > 0 ? 1 : 0);
}

bool CmdFilterMatch(const CmdParm *f, const SimAttr *v)
{
    switch (f->type) {
    case MQCFT_INTEGER_FILTER:
        return IntMatch(f, v);
    case MQCFT_STRING_FILTER:
        return StrMatch(f, v);
    default:
        if (v->type != SIM_BYTES)
            return false;
        return Compare(f->op, v->sval.compare(f->sval) < 0 ? -1 : v->sval == f->sval ? 0 : 1);
    }
}

/* An attribute whose values come from a set of named values (a queue's
 * TYPE, PUT ENABLED or DISABLED): as in IBM MQ its filter takes only
 * EQ and NE.  A number that names only special values (CAPEXPRY
 * NOLIMIT, all negative) is still a number. */
bool CmdNamedValues(MQLONG id)
{
    for (const SimValueKeyword &v : SimValueKeywords)
        if (v.id == id && v.value >= 0)
            return true;
    return false;
}

/* Operators each filter type takes. */
bool CmdFilterValid(const CmdParm *f, int kind)
{
    if (f->type == MQCFT_INTEGER_FILTER && f->op != MQCFOP_EQUAL && f->op != MQCFOP_NOT_EQUAL &&
        f->op != MQCFOP_CONTAINS && f->op != MQCFOP_EXCLUDES && CmdNamedValues(f->id))
        return false;

    static const MQLONG compare[] = {MQCFOP_LESS, MQCFOP_EQUAL, MQCFOP_GREATER, MQCFOP_NOT_LESS,
                                     MQCFOP_NOT_EQUAL, MQCFOP_NOT_GREATER};
    bool ok = false;
    for (MQLONG op : compare)
        ok = ok || f->op == op;
    if (f->type != MQCFT_BYTE_STRING_FILTER)
        ok = ok || f->op == MQCFOP_CONTAINS || f->op == MQCFOP_EXCLUDES;
    if (f->type == MQCFT_STRING_FILTER)
        ok = ok || f->op == MQCFOP_LIKE || f->op == MQCFOP_NOT_LIKE || f->op == MQCFOP_CONTAINS_GEN ||
             f->op == MQCFOP_EXCLUDES_GEN;
    (void)kind;
    return ok;
}
