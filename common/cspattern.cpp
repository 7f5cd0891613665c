/* Name patterns: list walking, the simple and the extended matcher, the
 * bracket check and the comparison of two lists' wildcards. */
#include "cspattern.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#define QMGR_TOKEN_LENGTH 6     /* "<qmgr>" */
#define MAX_NESTING 256
#define MATCH_BUDGET 2000000    /* steps before a pathological pattern gives up */

/* ---- Lists ---- */

static int Separator(char c)
{
    return c == ' ' || c == ',' || c == '\r' || c == '\n';
}

/* Next element of [*pos, end): 1 with [*s, *e) trimmed, 0 at the end. */
static int NextElement(const char **pos, const char *end, const char **s, const char **e)
{
    const char *p = *pos;
    while (p < end && *p && Separator(*p))
        p++;
    if (p >= end || !*p)
        return 0;
    *s = p;
    while (p < end && *p && *p != ',')
        p++;
    *pos = p;
    while (p > *s && (p[-1] == ' ' || p[-1] == '\r' || p[-1] == '\n'))
        p--;
    *e = p;
    return 1;
}

static const char *QmgrName(const PATTERNCTX *ctx)
{
    return ctx->qmgrName ? ctx->qmgrName : "";
}

/* ---- Simple patterns ---- */

enum { TOK_LITERAL, TOK_STAR, TOK_QMGR };

/* A "<" is the queue-manager token only when all six characters lie
 * inside the element. */
static int IsQmgrToken(const char *p, const char *e)
{
    return *p == '<' && e - p >= QMGR_TOKEN_LENGTH;
}

/* The token at p (p < e); returns where the next one starts. */
static const char *SimpleToken(const char *p, const char *e, int *kind)
{
    if (*p == '*') {
        *kind = TOK_STAR;
        return p + 1;
    }
    if (IsQmgrToken(p, e)) {
        *kind = TOK_QMGR;
        return p + QMGR_TOKEN_LENGTH;
    }
    *kind = TOK_LITERAL;
    for (p++; p < e && *p != '*' && !IsQmgrToken(p, e); p++)
        ;
    return p;
}

/* Glob over the tokens: a "*" takes the empty run first, then one more
 * character at a time; only the latest "*" needs retrying. */
static int SimpleFullMatch(const PATTERNCTX *ctx, const char *s, const char *e,
                           const char *name, int n)
{
    const char *qmgr = QmgrName(ctx);
    int qlen = (int)strlen(qmgr);
    const char *pi = s, *starP = nullptr;
    int ni = 0, starN = 0;
    for (;;) {
        if (pi < e) {
            int kind;
            const char *next = SimpleToken(pi, e, &kind);
            if (kind == TOK_STAR) {
                starP = pi = next;
                starN = ni;
                continue;
            }
            const char *text = kind == TOK_QMGR ? qmgr : pi;
            int len = kind == TOK_QMGR ? qlen : (int)(next - pi);
            if (ni + len <= n && memcmp(name + ni, text, (size_t)len) == 0) {
                ni += len;
                pi = next;
                continue;
            }
        } else if (ni == n) {
            return 1;
        }
        if (!starP || starN >= n)
            return 0;
        ni = ++starN;
        pi = starP;
    }
}

static int SimpleElementMatch(const PATTERNCTX *ctx, const char *s, const char *e,
                              const char *name, int n)
{
    /* Quick test: the literal text after the last wildcard ends the name. */
    const char *tail = s;
    int wildcards = 0, firstIsStar = 0;
    for (const char *p = s; p < e;) {
        int kind;
        const char *next = SimpleToken(p, e, &kind);
        if (kind != TOK_LITERAL) {
            if (!wildcards)
                firstIsStar = kind == TOK_STAR && p == s;
            wildcards++;
            tail = next;
        }
        p = next;
    }
    int tailLength = (int)(e - tail);
    if (tailLength > n || memcmp(name + n - tailLength, tail, (size_t)tailLength) != 0)
        return 0;
    if (wildcards == 1 && firstIsStar && tail == s + 1)
        return 1;
    return SimpleFullMatch(ctx, s, e, name, n);
}

int PatternListMatch(PATTERNCTX *ctx, const char *list, int listLength,
                     const char *name, int nameLength)
{
    const char *pos = list, *end = list + listLength, *s, *e;
    ctx->listStart = list;
    for (ctx->element = 0; NextElement(&pos, end, &s, &e); ctx->element++)
        if (SimpleElementMatch(ctx, s, e, name, nameLength))
            return 1;
    return 0;
}

/* ---- Brackets ---- */

static char Closer(char c)
{
    return c == '(' ? ')' : c == '[' ? ']' : c == '<' ? '>' : 0;
}

static int IsCloser(char c)
{
    return c == ')' || c == ']' || c == '>';
}

static int Offset(const PATTERNCTX *ctx, const char *p)
{
    return (int)(p - (ctx->listStart ? ctx->listStart : p)) + 1;
}

const char *PatternCheckBrackets(PATTERNCTX *ctx, const char *open, const char *end,
                                 char closing)
{
    char expected[MAX_NESTING];
    int depth = 0;
    for (const char *p = open + 1; p < end && *p; p++) {
        if (Closer(*p)) {
            if (depth == MAX_NESTING)
                break;
            expected[depth++] = Closer(*p);
        } else if (IsCloser(*p)) {
            if (depth == 0 && *p == closing)
                return p;
            if (depth == 0 || *p != expected[depth - 1]) {
                snprintf(ctx->message, sizeof ctx->message,
                         "Unexpected bracket '%c' found at offset %d", *p, Offset(ctx, p));
                return nullptr;
            }
            depth--;
        }
    }
    snprintf(ctx->message, sizeof ctx->message,
             "Missing matching bracket '%c' for bracket at offset %d", closing,
             Offset(ctx, open));
    return nullptr;
}

/* ---- Extended patterns ---- */

/* Checks every group of an element; 0 with the message on an error.  A
 * closing bracket outside any group stands for itself. */
static int CheckElementBrackets(PATTERNCTX *ctx, const char *s, const char *e)
{
    for (const char *p = s; p < e; p++)
        if (Closer(*p)) {
            p = PatternCheckBrackets(ctx, p, e, Closer(*p));
            if (!p)
                return 0;
        }
    return 1;
}

/* The closer of a group already checked. */
static const char *GroupEnd(const char *p, const char *e)
{
    int depth = 0;
    for (; p < e; p++) {
        if (Closer(*p))
            depth++;
        else if (IsCloser(*p) && --depth == 0)
            return p;
    }
    return e;
}

/* The "|" that ends the alternative starting at p, or e. */
static const char *AlternativeEnd(const char *p, const char *e)
{
    for (; p < e; p++) {
        if (*p == '|')
            return p;
        if (Closer(*p))
            p = GroupEnd(p, e);
    }
    return e;
}

struct Rest {            /* what follows an enclosing group */
    const char *p, *e;
    const Rest *next;
};

struct ExMatch {
    const PATTERNCTX *ctx;
    const char *name;
    int n;
    long budget;
};

static int IsDigit(char c) { return c >= '0' && c <= '9'; }
static int IsLower(char c) { return c >= 'a' && c <= 'z'; }

/* Characters a run of "*", "**", "$" or "$$" may take. */
static int RunTakes(char kind, int twice, char c)
{
    int separator = c == '.' || c == '_' || c == '%' || c == '/';
    if (kind == '*')
        return !IsLower(c) && (twice || !separator);
    return twice || !separator;
}

static int MatchAlternatives(ExMatch *m, const char *s, const char *e, int pos, const Rest *rest);

/* Matches the sequence [p, e) at pos, then the rest; 1 when everything
 * ends exactly at the end of the name. */
static int MatchSequence(ExMatch *m, const char *p, const char *e, int pos, const Rest *rest)
{
    const char *name = m->name;
    for (;;) {
        if (--m->budget < 0)
            return 0;
        if (p == e) {
            if (!rest)
                return pos == m->n;
            p = rest->p;
            e = rest->e;
            rest = rest->next;
            continue;
        }
        char c = *p;
        if (c == '*' || c == '$') {
            int twice = p + 1 < e && p[1] == c;
            const char *after = p + 1 + twice;
            for (int k = pos; k < m->n && RunTakes(c, twice, name[k]); k++)
                if (MatchSequence(m, after, e, k + 1, rest))
                    return 1;
            return 0;
        }
        if (c == '(' || c == '[') {
            const char *close = GroupEnd(p, e);
            Rest after = {close + 1, e, rest};
            if (MatchAlternatives(m, p + 1, close, pos, &after))
                return 1;
            if (c == '(')
                return 0;
            p = close + 1;                     /* the optional group left out */
            continue;
        }
        if (c == '<') {
            const char *close = GroupEnd(p, e);
            size_t len = (size_t)(close - p - 1);
            if (len == 1 && p[1] == '#') {
                while (pos < m->n && IsDigit(name[pos]))
                    pos++;
            } else if (len == 4 && strncmp(p + 1, "qmgr", 4) == 0) {
                const char *q = QmgrName(m->ctx);
                int qlen = (int)strlen(q);
                if (pos + qlen > m->n || memcmp(name + pos, q, (size_t)qlen) != 0)
                    return 0;
                pos += qlen;
            } else {
                return 0;
            }
            p = close + 1;
            continue;
        }
        if (pos >= m->n)
            return 0;
        if (c == '#' ? !IsDigit(name[pos]) : c != '?' && c != name[pos])
            return 0;
        pos++;
        p++;
    }
}

static int MatchAlternatives(ExMatch *m, const char *s, const char *e, int pos, const Rest *rest)
{
    for (const char *a = s;; a++) {
        const char *bar = AlternativeEnd(a, e);
        if (MatchSequence(m, a, bar, pos, rest))
            return 1;
        if (bar == e)
            return 0;
        a = bar;
    }
}

int PatternListMatchEx(PATTERNCTX *ctx, const char *list, int listLength,
                       const char *name, int nameLength)
{
    const char *pos = list, *end = list + listLength, *s, *e;
    ctx->listStart = list;
    for (ctx->element = 0; NextElement(&pos, end, &s, &e); ctx->element++) {
        if (!CheckElementBrackets(ctx, s, e))
            return 0;
        ExMatch m = {ctx, name, nameLength, MATCH_BUDGET};
        if (MatchAlternatives(&m, s, e, 0, nullptr))
            return 1;
    }
    return 0;
}

/* ---- Two lists' wildcards ---- */

/* The next wildcard of [*p, e): '*' or '<', or 0 when none is left. */
static char NextWildcard(const char **p, const char *e)
{
    for (const char *q = *p; q < e; q++) {
        if (*q == '*') {
            *p = q + 1;
            return '*';
        }
        if (IsQmgrToken(q, e)) {
            *p = q + QMGR_TOKEN_LENGTH;
            return '<';
        }
    }
    *p = e;
    return 0;
}

static int SameWildcards(PATTERNCTX *ctx, const char *s1, const char *e1, const char *s2,
                         const char *e2)
{
    const char *p1 = s1, *p2 = s2;
    for (;;) {
        char w1 = NextWildcard(&p1, e1), w2 = NextWildcard(&p2, e2);
        if (!w1 && !w2)
            return 1;
        const char *text = !w1 || !w2
            ? "Patterns '%.*s' and '%.*s' do not contain the same number of wildcards"
            : w1 != w2 ? "Patterns '%.*s' and '%.*s' do not have the same wildcards" : nullptr;
        if (text) {
            snprintf(ctx->message, sizeof ctx->message, text, (int)(e1 - s1), s1,
                     (int)(e2 - s2), s2);
            return 0;
        }
    }
}

int PatternMatch(PATTERNCTX *ctx, const char *first, const char *second)
{
    const char *end1 = first + strlen(first), *end2 = second + strlen(second);
    const char *pos1 = first, *pos2 = second, *s1, *e1, *s2, *e2;
    ctx->listStart = first;
    for (ctx->element = 0;; ctx->element++) {
        int more1 = NextElement(&pos1, end1, &s1, &e1);
        int more2 = NextElement(&pos2, end2, &s2, &e2);
        if (!more1 && !more2)
            return 1;
        if (more1 != more2) {
            snprintf(ctx->message, sizeof ctx->message,
                     "Pattern '%s' does not contain enough list elements",
                     more1 ? first : second);
            return 0;
        }
        if (!SameWildcards(ctx, s1, e1, s2, e2))
            return 0;
    }
}

int SplitCountPair(const char *text, int32_t *first, int32_t *second)
{
    char *end;
    long a = strtol(text, &end, 10);
    if (end == text)
        return 0;
    const char *p = end;
    while (*p == ' ')
        p++;
    if (*p == ',') {
        const char *b = p + 1;
        long v = strtol(b, &end, 10);
        if (end != b) {
            *first = (int32_t)a;
            *second = (int32_t)v;
            return 1;
        }
    }
    *first = 1;
    *second = (int32_t)a;
    return 1;
}
